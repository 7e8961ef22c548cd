#pragma once
// The "Load  Business Card Background Art " dialog: a list of the pictures of
// the background folder (Windows bitmaps and metafiles) beside a preview of
// the one selected, shown turned a quarter turn when the card is rotated, as
// the card itself will show it. "Ok" takes the selected picture (result 1),
// "None" removes the background (99), "Cancel" changes nothing (2).
#include <QDialog>
#include <QImage>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

namespace bv {

// The "None" result: the design is to have no background.
constexpr int mrNoBackground = 99;

class TLoadBackGround : public QDialog {
    Q_OBJECT
public:
    explicit TLoadBackGround(QWidget* parent = nullptr);

    // The size the dialog is designed at, before the orientation shrinks it.
    static constexpr int DesignedWidth = 594;
    static constexpr int DesignedHeight = 390;

    // Lists the pictures of a folder (a missing folder gives an empty list).
    void SetDirectory(const QString& folder);
    QString Directory() const { return folder; }
    // The rotated flag of the card layout: a rotated card makes the dialog
    // 100 pixels narrower (the preview stands), a normal one 100 pixels lower.
    void SetPortrait(bool portrait);
    bool Portrait() const { return portrait; }
    // Selects an existing file: the list moves to its folder when needed.
    // Answers false (and changes nothing) when there is no such picture.
    bool SetFileName(const QString& path);
    // Selects the listed picture of that name (any case); false when none.
    bool SelectListed(const QString& name);
    // Full path of the selected picture; empty when none is selected.
    QString FileName() const;

    // Shows the selected picture in the preview, or reports it unreadable.
    void FileListBox1Click();
    void OkButtonClick();
    void NoneButtonClick();

    // The picture the preview shows, at full size (null when none).
    const QImage& PreviewPicture() const { return preview; }

    void reject() override;

    QListWidget* FileListBox1 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* NoneButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

private:
    void showPreview();

    void followSelection();

    QString folder;
    bool portrait = false;
    QImage preview;
    QString previewed; // the file the preview shows
};

// Reads a background picture as the card shows it: a bitmap at its own size,
// a metafile drawn on white at its own size; with `rotated` the picture is
// laid on a card-sized bitmap (3.5 by 2 inches at the screen's resolution; a
// bitmap keeps its own size) and turned a quarter turn clockwise. Throws the
// reader's error when the file is no picture the program reads.
QImage LoadBackgroundPreview(const QString& path, bool rotated);

// Runs the dialog for the main window: lists the "bg" folder of the program
// folder, preselects `backgroundFile` (or the picture of the same name in
// "bg"), and on "Ok" sets `backgroundFile` to the chosen picture, on "None"
// empties it. Returns the dialog's result (mrOk, mrCancel or mrNoBackground).
int ChooseBackgroundArt(QString& backgroundFile, bool portrait, QWidget* parent = nullptr);

// The "bg" folder of the program folder, created when missing and given any
// shipped picture it lacks.
QString BackgroundFolder();

} // namespace bv
