#pragma once
// The standard buttons of the object dialogs: "Ok" (result 1), "Cancel"
// (result 2), "Help" (a help context) and the what's-this button.
#include <QString>

class QBoxLayout;
class QDialog;
class QPushButton;
class QToolButton;

namespace bv {

struct DialogButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* help = nullptr;
    QToolButton* mouseHelp = nullptr;
};

// Creates the four buttons in `row` (what's-this on the left, the others on
// the right). Cancel finishes the dialog with mrCancel and Help shows the
// context's page; Ok is left to the dialog. The object names are given by the
// caller, as each dialog spells them its own way.
DialogButtons AddDialogButtons(QDialog& dialog, QBoxLayout& row, int helpContext, const QString& okName,
    const QString& cancelName, const QString& helpName);

} // namespace bv
