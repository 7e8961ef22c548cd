#include "support/ScriptedInteraction.h"

#include <QColorDialog>
#include <QFontDialog>

#include <QTest>

namespace bv::test {

ScriptedInteraction::ScriptedInteraction()
{
    Interaction::Install(this);
}

ScriptedInteraction::~ScriptedInteraction()
{
    Interaction::Install(nullptr);
}

void ScriptedInteraction::unexpected(const QString& what)
{
    const QByteArray msg = ("Unexpected user interaction: " + what).toUtf8();
    QTest::qFail(msg.constData(), __FILE__, __LINE__);
}

void ScriptedInteraction::answerYesNo(bool yes) { yesNo.push_back(yes); }
void ScriptedInteraction::answerSaveChanges(SaveAnswer answer) { saveAnswers.push_back(answer); }
void ScriptedInteraction::expectInfo() { ++infosAllowed; }
void ScriptedInteraction::expectError() { ++errorsAllowed; }
void ScriptedInteraction::answerOpenFile(const QString& path) { openFiles.push_back(path); }
void ScriptedInteraction::answerSaveFile(const QString& path) { saveFiles.push_back(path); }
void ScriptedInteraction::answerFont(std::optional<QFont> font) { fonts.push_back(std::move(font)); }
void ScriptedInteraction::answerColour(std::optional<QColor> colour) { colours.push_back(std::move(colour)); }
void ScriptedInteraction::answerDialog(DialogHandler handler) { dialogs.push_back(std::move(handler)); }

QStringList ScriptedInteraction::messages() const
{
    QStringList out;
    for (const auto& c : calls)
        if (c.kind == QLatin1String("AskYesNo") || c.kind == QLatin1String("AskSaveChanges")
            || c.kind == QLatin1String("ShowInfo")
            || c.kind == QLatin1String("ShowError"))
            out << c.text;
    return out;
}

bool ScriptedInteraction::allUsed() const
{
    return yesNo.empty() && saveAnswers.empty() && openFiles.empty() && saveFiles.empty() && fonts.empty()
        && colours.empty() && dialogs.empty() && fontDialogs.empty() && colourDialogs.empty() && infosAllowed == 0
        && errorsAllowed == 0;
}

bool ScriptedInteraction::AskYesNo(const QString& message, const QString& caption)
{
    calls.append({QStringLiteral("AskYesNo"), message, caption});
    if (yesNo.empty()) {
        unexpected("AskYesNo(\"" + message + "\", \"" + caption + "\")");
        return false;
    }
    bool answer = yesNo.front();
    yesNo.pop_front();
    return answer;
}

SaveAnswer ScriptedInteraction::AskSaveChanges(const QString& message, const QString& caption)
{
    calls.append({QStringLiteral("AskSaveChanges"), message, caption});
    if (!saveAnswers.empty()) {
        const SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    if (!yesNo.empty()) {
        const bool yes = yesNo.front();
        yesNo.pop_front();
        return yes ? SaveAnswer::Save : SaveAnswer::DontSave;
    }
    unexpected("AskSaveChanges(\"" + message + "\", \"" + caption + "\")");
    return SaveAnswer::Cancel;
}

void ScriptedInteraction::ShowInfo(const QString& message, const QString& caption)
{
    calls.append({QStringLiteral("ShowInfo"), message, caption});
    if (infosAllowed > 0)
        --infosAllowed;
    else if (!allowAnyMessage)
        unexpected("ShowInfo(\"" + message + "\")");
}

void ScriptedInteraction::ShowError(const QString& message, const QString& caption)
{
    calls.append({QStringLiteral("ShowError"), message, caption});
    if (errorsAllowed > 0)
        --errorsAllowed;
    else if (!allowAnyMessage)
        unexpected("ShowError(\"" + message + "\")");
}

QString ScriptedInteraction::ChooseOpenFile(const FileChoice& choice)
{
    lastFileChoice = choice;
    calls.append({QStringLiteral("ChooseOpenFile"), choice.title, {}});
    if (openFiles.empty()) {
        unexpected("ChooseOpenFile(\"" + choice.title + "\")");
        return {};
    }
    QString path = openFiles.front();
    openFiles.pop_front();
    return path;
}

QString ScriptedInteraction::ChooseSaveFile(const FileChoice& choice)
{
    lastFileChoice = choice;
    calls.append({QStringLiteral("ChooseSaveFile"), choice.title, {}});
    if (saveFiles.empty()) {
        unexpected("ChooseSaveFile(\"" + choice.title + "\")");
        return {};
    }
    QString path = saveFiles.front();
    saveFiles.pop_front();
    return path;
}

std::optional<QFont> ScriptedInteraction::ChooseFont(const QFont& initial, const QString& title)
{
    calls.append({QStringLiteral("ChooseFont"), title, {}});
    if (fonts.empty() && !fontDialogs.empty()) {
        // The program's own font dialog, driven by the test as a user would.
        const std::unique_ptr<QFontDialog> dialog = MakeFontDialog(initial, title, nullptr);
        auto handler = std::move(fontDialogs.front());
        fontDialogs.pop_front();
        if (handler(*dialog) != QDialog::Accepted)
            return std::nullopt;
        return FontChosenIn(*dialog, initial);
    }
    if (fonts.empty()) {
        unexpected("ChooseFont(\"" + title + "\")");
        return std::nullopt;
    }
    auto font = fonts.front();
    fonts.pop_front();
    return font;
}

std::optional<QColor> ScriptedInteraction::ChooseColour(const QColor& initial, const QString& title)
{
    calls.append({QStringLiteral("ChooseColour"), title, {}});
    if (colours.empty() && !colourDialogs.empty()) {
        QColorDialog dialog(initial);
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        dialog.setWindowTitle(title);
        auto handler = std::move(colourDialogs.front());
        colourDialogs.pop_front();
        if (handler(dialog) != QDialog::Accepted)
            return std::nullopt;
        return dialog.selectedColor();
    }
    if (colours.empty()) {
        unexpected("ChooseColour(\"" + title + "\")");
        return std::nullopt;
    }
    auto colour = colours.front();
    colours.pop_front();
    return colour;
}

int ScriptedInteraction::RunModal(QDialog& dialog)
{
    calls.append({QStringLiteral("RunModal"), dialog.windowTitle(), dialog.metaObject()->className()});
    if (dialogs.empty()) {
        unexpected("RunModal(" + dialog.windowTitle() + ")");
        return mrCancel;
    }
    auto handler = std::move(dialogs.front());
    dialogs.pop_front();
    return handler(dialog);
}

} // namespace bv::test
