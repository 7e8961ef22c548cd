#pragma once
// The picture browser of the clip-art object: places and drives, a folder
// tree, the picture files of the chosen folder and a live preview of the
// selected file, with the two size modes the object takes over.
#include "pictures/Picture.h"

#include <QDialog>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QToolButton;
class QTreeView;

namespace bv {

// The preview picture: stretched over its own bounds, or at the picture's
// size when not stretched.
class TPreviewImage : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewImage(QWidget* parent = nullptr);
    const TPicture& Picture() const { return picture; }
    void SetPicture(const TPicture& value);
    bool Stretch() const { return stretch; }
    void SetStretch(bool value);
    bool AutoSize() const { return autoSize; }
    void SetAutoSize(bool value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fit();
    TPicture picture;
    bool stretch = false;
    bool autoSize = false;
};

class TGImageBrowser : public QDialog {
    Q_OBJECT
public:
    explicit TGImageBrowser(QWidget* parent = nullptr);

    // The file name patterns of the file list.
    static const QStringList& FileMask();

    // Shows a folder in the tree and its picture files in the list; false
    // (and nothing changes) when the path is no folder.
    bool SetFolder(const QString& path);
    QString Folder() const { return folder; }
    // Full path of the selected file, empty when none is selected.
    QString SelectedFileName() const;
    // The folder the browser opens at: the last one a picture was taken
    // from (kept in the settings file), else the user's pictures or home.
    static QString StartFolder();
    // Remembers the listed folder as the one to open at next time.
    void RememberFolder() const;
    // Selects a file of the list by its name (no folder); false when absent.
    bool SelectFile(const QString& name);
    // The preview's picture, which the object copies.
    const TPicture& PreviewPicture() const;

    // Check box behaviour (also run after setting the boxes from code).
    void CBStretchClick();
    void CBAutoSizeClick();
    // The preview of the selected file.
    void FileListBox1Change();

    QComboBox* DriveList = nullptr;
    QLineEdit* PathEdit = nullptr;
    QTreeView* DirectoryListBox1 = nullptr;
    QListWidget* FileListBox1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* CBStretch = nullptr;
    QCheckBox* CBAutoSize = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TPreviewImage* Image1 = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillDrives();
    void fillFiles();
    void previewFits();
    void showFolderInTree();
    void pathEntered();

    QFileSystemModel* folders = nullptr;
    QString folder;
    QString previewed;
    bool previewing = false;
};

} // namespace bv
