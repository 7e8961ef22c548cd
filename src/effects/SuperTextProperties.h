#pragma once
// The SuperText dialogs: the properties dialog, which edits a live sample
// SuperText resized around its text after every change, and the texture
// browser that picks the picture of the texture surface.
#include "platform/Dib.h"

#include <QDialog>
#include <QString>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTimer;
class QToolButton;

namespace bv {

class TColorCombo;
class TEffectSample;
class TGSuperText;
class TUpDownButtons;

// Reads a texture picture: ".BMP" as it is, ".ICO" drawn into a bitmap of
// the icon's size, ".JPG" and ".JIF" through the JPEG decoder. Throws
// EFOpenError or EConvertError.
Dib LoadTexturePicture(const QString& path);

class TSuperTextBrushImageBrowser : public QDialog {
    Q_OBJECT
public:
    // `sample` gives the example its settings; `lastPath` is the texture file
    // chosen last (selected when it still exists).
    TSuperTextBrushImageBrowser(const TGSuperText& sample, const QString& lastPath, QWidget* parent = nullptr);
    ~TSuperTextBrushImageBrowser() override;

    // The folder the browser opens in when no last file exists: the first
    // that exists of bmbrush and Textures under the program folder, and the
    // program folder itself.
    static QString StartFolder();

    TGSuperText* Example() const { return example.get(); }
    QString Folder() const { return folder; }
    void SetFolder(const QString& path);
    // Full path of the selected file, or empty.
    QString SelectedPath() const;
    // Selects a file of the current folder and loads it into the example.
    void SelectFile(const QString& fileName);

    void reject() override;

    QComboBox* DriveComboBox = nullptr;
    QListWidget* DirectoryListBox = nullptr;
    QListWidget* FileListBox = nullptr;
    QScrollArea* ExampleBox = nullptr;
    TEffectSample* ExampleView = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

private:
    void fillLists();
    void loadSelected();

    std::unique_ptr<TGSuperText> example;
    QString folder;
};

class TSuperTextProperties : public QDialog {
    Q_OBJECT
public:
    explicit TSuperTextProperties(QWidget* parent = nullptr);
    ~TSuperTextProperties() override;

    TGSuperText* Sample() const { return sample.get(); }
    QString LastTexturePath() const { return lastTexturePath; }
    void SetLastTexturePath(const QString& path) { lastTexturePath = path; }
    const Dib& LastUsedTexture() const { return lastUsedTexture; }
    // Puts the sample's values into the controls (the activation step).
    void ShowSampleValues();
    // One tick of the 200 ms refresh timer.
    void RefreshTick();
    bool CaptionChangedPending() const { return captionChanged; }
    // The surface list's choice, as the list applies it.
    void ChooseSurface(int index);
    // The texture browser and what its "Ok" hands back.
    void LoadImageButtonClick();
    // The symbol selector: its character becomes the text, its font the
    // sample's font (the size is kept).
    void SelectSymbol();
    // The font-size arrows.
    void StepFontSize(bool up);
    void OKButtonClick();
    void reject() override;

    QScrollArea* SampleBox = nullptr;
    TEffectSample* SampleView = nullptr;
    QLineEdit* CaptionText = nullptr;
    QListWidget* SurfaceTypeCombo = nullptr;
    QFrame* GradientPanel = nullptr;
    QFrame* TexturePanel = nullptr;
    QFrame* FontColorPanel = nullptr;
    TColorCombo* FontColorButton = nullptr;
    QComboBox* FillDirectionCombo = nullptr;
    TColorCombo* GradientFromcolorButton = nullptr;
    TColorCombo* GradientToColorButton = nullptr;
    QPushButton* LoadImageButton = nullptr;
    TColorCombo* ShadowColorButton = nullptr;
    QComboBox* ShadowOrientationCombo = nullptr;
    QSpinBox* ShadowDepthSpinner = nullptr;
    TColorCombo* OutlineColorButton = nullptr;
    QComboBox* OutlineStyleCombo = nullptr;
    QSpinBox* OutLineWidthSpinner = nullptr;
    QPushButton* Fontbutton = nullptr;
    QPushButton* SelectSymbolbutton = nullptr;
    TUpDownButtons* RapidChangeFontSize = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* Cancelbutton = nullptr;
    QPushButton* Helpbutton = nullptr;
    QToolButton* MouseHelpButton = nullptr;
    QTimer* RefreshTimer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showPanels();
    void sampleChanged();
    void fitSample();

    std::unique_ptr<TGSuperText> sample;
    QString lastTexturePath;
    Dib lastUsedTexture;
    bool captionChanged = false;
    bool shown = false;
};

} // namespace bv
