#pragma once
// The one seam through which the program talks to the user modally: message
// boxes, file/font/colour choices and modal dialogs. The GUI installs the Qt
// implementation; tests install a scripted one that answers and records.
// Nothing else in the program calls QMessageBox, QFileDialog, QFontDialog,
// QColorDialog or QDialog::exec directly.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QDialog;
class QFontDialog;
class QWidget;

namespace bv {

struct FileChoice {
    QString title;        // dialog title
    QString filter;       // Qt name filter, e.g. "Business Card Files (*.qrd)"
    QString folder;       // initial folder
    QString fileName;     // proposed file name (save) or initial selection
    QString defaultSuffix; // appended to a typed name without extension (save)
    bool confirmOverwrite = true; // save: ask before replacing an existing file
    // Receives the filter the user chose (filter holds several, ";;"-separated).
    QString* selectedFilter = nullptr;
};

// The title a message box shows for a caption: "CONFIRM" -> "Confirm —
// Brisvale".
QString MessageBoxTitle(const QString& caption);

enum class MessageIcon { None, Information, Question, Warning, Error };

// The answer to the unsaved-changes question. Cancel (also Escape and closing
// the question) abandons the command that asked.
enum class SaveAnswer { Save, DontSave, Cancel };

class Interaction {
public:
    virtual ~Interaction() = default;

    // Yes/No question with the question icon; true only for Yes.
    virtual bool AskYesNo(const QString& message, const QString& caption) = 0;
    // The unsaved-changes question: Save, Don't Save or Cancel. Escape and the
    // title-bar close give Cancel, never Don't Save. The base asks it as a
    // yes/no question (Yes = Save, No = Don't Save) for implementations that
    // answer without a user; the Qt one shows all three buttons.
    virtual SaveAnswer AskSaveChanges(const QString& message, const QString& caption)
    {
        return AskYesNo(message, caption) ? SaveAnswer::Save : SaveAnswer::DontSave;
    }
    // Information box captioned "Information" (or the caption given).
    virtual void ShowInfo(const QString& message, const QString& caption = QStringLiteral("Information")) = 0;
    // Error box; used for failures the user must see.
    virtual void ShowError(const QString& message, const QString& caption = QStringLiteral("Error")) = 0;
    // Open/save file choice; empty string when cancelled.
    virtual QString ChooseOpenFile(const FileChoice& choice) = 0;
    virtual QString ChooseSaveFile(const FileChoice& choice) = 0;
    // Font choice (with colour for dialogs that offer it); empty when cancelled.
    virtual std::optional<QFont> ChooseFont(const QFont& initial, const QString& title) = 0;
    virtual std::optional<QColor> ChooseColour(const QColor& initial, const QString& title) = 0;
    // Runs a dialog modally; returns its result code. Dialogs finish with
    // done(mrOk) / done(mrCancel) (or their own codes) and override reject()
    // to give mrCancel, so Escape and the title-bar close count as Cancel.
    virtual int RunModal(QDialog& dialog) = 0;
    // The short warning sound of the desktop.
    virtual void Beep() = 0;

    static Interaction& Current();
    // Installs an implementation (not owned); nullptr restores the Qt one.
    static void Install(Interaction* interaction);
};

// Dialog result codes used across the program.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

// The font dialog every font choice shows. A family the system knows only
// by the name of another (fontconfig's "Arial" stands for Liberation Sans)
// opens on the family it stands for, so that its styles are offered.
std::unique_ptr<QFontDialog> MakeFontDialog(const QFont& initial, const QString& title, QWidget* parent);
// The font a user chose in it: the alias's name comes back while its family
// was kept, so a design keeps naming the font it named.
QFont FontChosenIn(const QFontDialog& dialog, const QFont& initial);

// The Qt implementation (real dialogs).
class QtInteraction final : public Interaction {
public:
    bool AskYesNo(const QString& message, const QString& caption) override;
    SaveAnswer AskSaveChanges(const QString& message, const QString& caption) override;
    void ShowInfo(const QString& message, const QString& caption) override;
    void ShowError(const QString& message, const QString& caption) override;
    QString ChooseOpenFile(const FileChoice& choice) override;
    QString ChooseSaveFile(const FileChoice& choice) override;
    std::optional<QFont> ChooseFont(const QFont& initial, const QString& title) override;
    std::optional<QColor> ChooseColour(const QColor& initial, const QString& title) override;
    int RunModal(QDialog& dialog) override;
    void Beep() override;
};

} // namespace bv
