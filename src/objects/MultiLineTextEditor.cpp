#include "objects/MultiLineTextEditor.h"

#include "objects/DialogButtons.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "widgets/WhatsThis.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace bv {

namespace {
constexpr int HelpContextEditor = 40001;
}

TLimitedMemo::TLimitedMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(document(), &QTextDocument::contentsChange, this, &TLimitedMemo::trimInsertion);
}

void TLimitedMemo::SetText(const QString& text)
{
    settingText = true;
    setPlainText(text);
    settingText = false;
}

void TLimitedMemo::trimInsertion(int position, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved);
    if (settingText || charsAdded <= 0)
        return;
    // The document counts one character more than its text (the final block
    // end).
    const int length = document()->characterCount() - 1;
    const int excess = length - maxLength;
    if (excess <= 0)
        return;
    // Take back the end of what just came in, at most all of it: text that
    // was already there stays.
    const int cut = std::min(excess, charsAdded);
    settingText = true;
    QTextCursor c(document());
    c.setPosition(position + charsAdded - cut);
    c.setPosition(position + charsAdded, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    settingText = false;
    Interaction::Current().Beep();
}

TMultiLineTextEditor::TMultiLineTextEditor(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MultiLineTextEditor"));
    setWindowTitle(QStringLiteral("Multi-line Text Editor"));
    setSizeGripEnabled(true);
    resize(342, 243);

    auto* top = new QVBoxLayout(this);
    Memo = new TLimitedMemo(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setWhatsThis(QStringLiteral("Type the lines of text here. Press Enter to start a new line."));
    top->addWidget(Memo, 1);

    auto* row = new QHBoxLayout;
    top->addLayout(row);
    const DialogButtons b = AddDialogButtons(*this, *row, HelpContextEditor, QStringLiteral("OKButton"),
        QStringLiteral("Cancelbutton"), QStringLiteral("Helpbutton"));
    OKButton = b.ok;
    // Enter starts a new line in the memo rather than closing the dialog.
    OKButton->setDefault(false);
    OKButton->setAutoDefault(false);
    Cancelbutton = b.cancel;
    Helpbutton = b.help;
    MouseHelpButton = b.mouseHelp;
    connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });

    InstallWhatsThisMenus(this);
    Memo->setFocus();
    PlaceDialog(*this);
}

void TMultiLineTextEditor::reject()
{
    done(mrCancel);
}

} // namespace bv
