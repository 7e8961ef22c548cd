#pragma once
// The SuperShape's properties dialog and its texture browser. The dialog
// works on a live sample shape: every control changes the sample at once, and
// only "Ok" hands the sample's settings to the edited shape. The browser
// shows each texture file on an example shape as the user moves through a
// folder.
#include "platform/Dib.h"

#include <QDialog>
#include <QWidget>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace bv {

class TColorCombo;
class TSuperShape;

// A white area that paints one SuperShape at (10, 10).
class TShapeSampleArea : public QWidget {
    Q_OBJECT
public:
    explicit TShapeSampleArea(QWidget* parent = nullptr);
    void SetShape(TSuperShape* value);
    // Resizes to hold the shape with a margin and repaints.
    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TSuperShape* shape = nullptr;
};

// The folder of shipped textures: ProgramFolder() + "bmbrush/", created when
// missing and given any shipped texture it lacks (a file the user replaced
// or deleted by name is put back only when it is missing).
QString BrushFolder();

class TSuperShapeProperties : public QDialog {
    Q_OBJECT
public:
    // Loads the sample from `edited` (its settings and its size) and sets
    // the controls from the sample.
    explicit TSuperShapeProperties(TSuperShape& edited, QWidget* parent = nullptr);
    ~TSuperShapeProperties() override;

    TSuperShape* Sample() const { return sample.get(); }
    const QString& LastTexturePath() const { return lastTexturePath; }
    void SetLastTexturePath(const QString& value) { lastTexturePath = value; }
    const Dib& LastUsedTexture() const { return lastUsedTexture; }
    void SetLastUsedTexture(const Dib& value) { lastUsedTexture = value; }
    // The settings panel shown under the selectors (nullptr when none).
    QFrame* VisibleSettingsPanel() const;

    // "Load Texture": runs the browser; on "Ok" the sample takes its texture.
    void LoadImageButtonClick();
    void reject() override;

    QComboBox* ShapeCombo = nullptr;
    QComboBox* SurfaceTypeCombo = nullptr;
    QFrame* StarPanel = nullptr;
    QSpinBox* PointsOnStar = nullptr;
    QSpinBox* PercentinVector = nullptr;
    QFrame* RoundRectPanel = nullptr;
    QSpinBox* RoundPercent = nullptr;
    QFrame* SolidPanel = nullptr;
    TColorCombo* BackGroundColorCombo = nullptr;
    QFrame* GradientPanel = nullptr;
    QComboBox* FillDirectionCombo = nullptr;
    TColorCombo* BackGroundColorCombo2 = nullptr;
    TColorCombo* GradientToColorCombo = nullptr;
    QFrame* TexturePanel = nullptr;
    QPushButton* LoadImageButton = nullptr;
    TColorCombo* ShadowColorCombo = nullptr;
    QComboBox* ShadowOrientationCombo = nullptr;
    QSpinBox* ShadowDepthSpinner = nullptr;
    TColorCombo* OutlineColorCombo = nullptr;
    QComboBox* OutlineStyleCombo = nullptr;
    QSpinBox* OutLineWidthSpinner = nullptr;
    QScrollArea* SampleBox = nullptr;
    TShapeSampleArea* SampleArea = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

private:
    void activate();
    // Shows the settings panel of the selector changed last (the other
    // selector's panel when that one has none).
    void updatePanels(bool surfaceFirst);
    void sampleChanged();

    std::unique_ptr<TSuperShape> sample;
    QString lastTexturePath;
    Dib lastUsedTexture;
    bool surfaceChosenLast = false;
};

class TGBrushImageBrowser : public QDialog {
    Q_OBJECT
public:
    // `properties` is the dialog whose sample the example copies.
    explicit TGBrushImageBrowser(TSuperShapeProperties& properties, QWidget* parent = nullptr);
    ~TGBrushImageBrowser() override;

    TSuperShape* Example() const { return example.get(); }
    // The folder the lists show and the file selected in it (full paths).
    QString Folder() const { return folder; }
    QString SelectedFile() const;
    // Shows a folder in the folder and file lists.
    void ShowFolder(const QString& path);
    // Selects a file of the current folder by name (loads it).
    bool SelectFile(const QString& fileName);
    // Loads the selected file into the example (the file list's action).
    void FileSelected();
    void reject() override;

    QComboBox* DriveComboBox = nullptr;
    QLabel* FolderLabel = nullptr;
    QListWidget* DirectoryListBox = nullptr;
    QListWidget* FileListBox = nullptr;
    QScrollArea* ExampleBox = nullptr;
    TShapeSampleArea* ExampleArea = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

private:
    void fillDrives();
    void directoryActivated(QListWidgetItem* item);

    std::unique_ptr<TSuperShape> example;
    QString folder;
    bool loadingFile = false;
};

// The names of the textures shipped with the program (in the resources
// under ":/bmbrush/").
QStringList ShippedTextureNames();

} // namespace bv
