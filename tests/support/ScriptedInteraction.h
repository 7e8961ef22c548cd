#pragma once
// Test double for the user-interaction seam: answers come from a script queued
// by the test, every call is logged, and a call the script did not expect
// fails the running test (and answers No / Cancel / nothing).
#include "platform/Interaction.h"

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <variant>

namespace bv::test {

struct Asked {
    QString kind;     // "AskYesNo", "AskSaveChanges", "ShowInfo", "ShowError", "ChooseOpenFile", ...
    QString text;     // message or dialog title
    QString caption;  // caption of a message box
};

class ScriptedInteraction final : public Interaction {
public:
    using DialogHandler = std::function<int(QDialog&)>;

    // Installs itself on construction and restores the Qt seam on destruction.
    ScriptedInteraction();
    ~ScriptedInteraction() override;

    // Queue the next answers, consumed in order per kind.
    void answerYesNo(bool yes);
    // Answers the unsaved-changes question. Without one queued, a queued
    // yes/no answer serves it (Yes = Save, No = Don't Save), so scripts
    // written for a two-way question keep working.
    void answerSaveChanges(SaveAnswer answer);
    void expectInfo();                       // allow one ShowInfo
    void expectError();                      // allow one ShowError
    void answerOpenFile(const QString& path); // empty = cancel
    void answerSaveFile(const QString& path); // empty = cancel
    void answerFont(std::optional<QFont> font);
    void answerColour(std::optional<QColor> colour);
    void answerDialog(DialogHandler handler); // gets the dialog, returns its result
    // The next font or colour choice shows the real dialog (the program's
    // font dialog, Qt's colour dialog) to the handler, which works it as a
    // user would and returns its result; accepted, the choice is what the
    // dialog holds.
    void answerFontDialog(DialogHandler handler) { fontDialogs.push_back(std::move(handler)); }
    void answerColourDialog(DialogHandler handler) { colourDialogs.push_back(std::move(handler)); }
    // Accept any number of info/error boxes without queuing each.
    void allowMessages(bool allow = true) { allowAnyMessage = allow; }

    // What was asked, in order.
    const QList<Asked>& log() const { return calls; }
    QStringList messages() const; // text of every message box, in order
    int beeps() const { return beepCount; }
    // True when every queued answer was used.
    bool allUsed() const;

    bool AskYesNo(const QString& message, const QString& caption) override;
    SaveAnswer AskSaveChanges(const QString& message, const QString& caption) override;
    void ShowInfo(const QString& message, const QString& caption) override;
    void ShowError(const QString& message, const QString& caption) override;
    QString ChooseOpenFile(const FileChoice& choice) override;
    QString ChooseSaveFile(const FileChoice& choice) override;
    std::optional<QFont> ChooseFont(const QFont& initial, const QString& title) override;
    std::optional<QColor> ChooseColour(const QColor& initial, const QString& title) override;
    int RunModal(QDialog& dialog) override;
    void Beep() override { ++beepCount; }

    // Last file choice asked (title, filter, folder, proposed name).
    FileChoice lastFileChoice;

private:
    void unexpected(const QString& what);

    std::deque<bool> yesNo;
    std::deque<SaveAnswer> saveAnswers;
    int infosAllowed = 0;
    int errorsAllowed = 0;
    bool allowAnyMessage = false;
    std::deque<QString> openFiles;
    std::deque<QString> saveFiles;
    std::deque<std::optional<QFont>> fonts;
    std::deque<std::optional<QColor>> colours;
    std::deque<DialogHandler> dialogs;
    std::deque<DialogHandler> fontDialogs;
    std::deque<DialogHandler> colourDialogs;
    QList<Asked> calls;
    int beepCount = 0;
};

} // namespace bv::test
