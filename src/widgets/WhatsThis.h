#pragma once
// "What's this?" help of the dialogs: a question-mark button that switches
// to what's-this mode (the next click on a control shows its text), and a
// "What's this?" entry in the context menu of every control that has a
// what's-this text.
class QMenu;
class QPoint;
class QToolButton;
class QWidget;

namespace bv {

// The question-mark button (objectName "MouseHelpButton").
QToolButton* CreateWhatsThisButton(QWidget* parent);

// Gives every widget under root (root included) that has a what's-this
// text a "What's this?" context-menu entry. Call after the texts are set.
void InstallWhatsThisMenus(QWidget* root);

// The context menu a control gets: its own entries for text fields, then
// "What's this?". The caller owns the menu.
QMenu* CreateWhatsThisMenu(QWidget* control);

// Shows the control's what's-this text at a global position.
void ShowWhatsThis(QWidget* control, const QPoint& globalPos);

} // namespace bv
