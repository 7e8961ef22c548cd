#pragma once
// "Select Business Card Template": the templates of the program's qrdt
// folder and the installed fonts, with a live sample of the chosen template
// in the chosen font; and the steps that build a new design from a template,
// shared by New - Select From Templates and the batch tool.
#include "document/CardLayout.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace bv {

class TFontListBoxx;
class TDesignModel;
class TGBusinessCardPanel32;

class TSelectPreviewTemplate : public QDialog {
    Q_OBJECT
public:
    explicit TSelectPreviewTemplate(QWidget* parent = nullptr);
    ~TSelectPreviewTemplate() override;

    // Given by the caller: the card size of the current layout, in inches.
    Single CardWidth = 3.5f;
    Single CardHeight = 2.0f;
    // The chosen template (full path; empty when the folder has none) and font.
    QString SelectedFile;
    QString SelectedFont = QStringLiteral("Times New Roman");

    // A click in the template list: that template, and the sample again.
    void FileListBox1Click();
    // A click in the font list: that font, and the sample again.
    void FontListBox1Click();
    // Rebuilds the sample from the chosen template and font. Skipped while a
    // key is held in either list, and while a refresh runs (anywhere in the
    // program). A template that cannot be read is reported in an error box.
    void LoadFromIni();
    // Gives every text object of the sample the chosen font.
    void RedrawWithFont();
    // How many times the sample was rebuilt (for tests and diagnostics).
    int Refreshes() const { return refreshes; }
    bool TemplateKeyHeld() const { return templateKeyHeld; }
    bool FontKeyHeld() const { return fontKeyHeld; }

    void reject() override;

    QLabel* Label1 = nullptr;
    QListWidget* FileListBox1 = nullptr;
    QLabel* Label2 = nullptr;
    TFontListBoxx* FontListBox1 = nullptr;
    QLabel* Label3 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TGBusinessCardPanel32* BusinessCardPanel = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QToolButton* MouseHelpButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshSample();

    QString folder;
    bool templateKeyHeld = false;
    bool fontKeyHeld = false;
    bool activated = false;
    int refreshes = 0;
};

// The full path of a template's background picture: a file of the program's
// bg folder, whatever the template names (a path's folders are dropped, so
// "../../etc/shadow" is "shadow" in bg); empty when it names none.
QString TemplateBackgroundPath(const QString& nameInTemplate);

// The steps of starting a design from a template on a panel that holds a
// blank design: the template is imported (with the panel's personal
// information), every text object gets `fontName`, the template's background
// picture is loaded from the program's bg folder, and the layout takes the
// template's orientation. Returns the background file (full path), empty
// when the template names none. The caller turns the card
// (SetCardOrientation). A bad colour text raises EConvertError; a template
// that cannot be read (missing, not a regular file, too large) EFOpenError.
QString StartDesignFromTemplate(TDesignModel& design, const QString& templatePath, const QString& fontName,
    TCardLayout& layout);

} // namespace bv
