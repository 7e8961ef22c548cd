#pragma once
// Help pages and dialog placement belong to the application, but dialogs of
// the lower subsystems (object dialogs) need both. They reach them through
// these two hooks, which the application installs at start-up; until then a
// help request does nothing and a dialog keeps the place Qt gives it.
#include <functional>

class QWidget;

namespace bv {

// Shows the help page of a help context number.
void SetHelpTopicHandler(std::function<void(int context)> handler);
void RequestHelpTopic(int context);

// Places a dialog before it is shown (centred over the main window).
void SetDialogPlacer(std::function<void(QWidget& dialog)> placer);
void PlaceDialog(QWidget& dialog);

} // namespace bv
