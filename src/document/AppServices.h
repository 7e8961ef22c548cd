#pragma once
// Program-wide services used by the main window and every dialog: the two
// standard message boxes, dialog placement, saved window positions in
// QRD.INI and the check that a printer is usable. (Help pages belong to the
// application: app/HelpBrowser.h; dialogs below it ask for a page through
// platform/DialogHooks.h.)
#include <QString>
#include <optional>

class QWidget;

namespace bv {

// Yes/No question with the question icon; true only for Yes.
bool AskYesNo(const QString& message, const QString& caption);
// Information box captioned "Information".
void ShowInfo(const QString& message);

// The program's main window. Dialogs are centred over it unless it is
// maximised; the main window itself is centred on the screen.
void SetMainForm(QWidget* form);
QWidget* MainForm();

// What placement needs to know of the screen: the primary screen's size in
// pixels and its logical pixels per inch.
struct ScreenMetrics {
    int width = 0;
    int height = 0;
    int ppi = 96;
    // Room a window's frame takes above and beside its client area (the
    // title bar above): a restored window leaves it on the screen.
    int frameTop = 0;
    int frameSide = 0;
};
ScreenMetrics CurrentScreenMetrics();
// Replaces the screen the placement rules see (tests use a small screen);
// nothing restores the real one.
void OverrideScreenMetrics(std::optional<ScreenMetrics> metrics);

// Places a form before it is shown: the main window on the centre of the
// screen; any other form on the centre of the screen when the main window is
// maximised (or there is none), else centred over the main window.
void CentreForm(QWidget& form);

// "<class>_Placement", followed by the pixels per inch when above 96.
QString PlacementSectionName(const QString& className, int ppi);
// The form's class name without namespace ("TMainScreen").
QString FormClassName(const QWidget& form);

// Writes the form's normal-position rectangle (Left, Top, Right, Bottom, in
// screen pixels, Right and Bottom exclusive) and Maximized to QRD.INI.
// Raises EWriteError when the file cannot be written.
void SaveWindowPlacement(const QWidget& form, const QString& className = QString());
// Restores what SaveWindowPlacement wrote: maximised when it was; centred
// (CentreForm) at its current size when nothing usable was saved; otherwise
// the saved rectangle, made no larger than the screen (a size saved at
// another scale) and moved back onto the screen when it sticks out, with
// its title bar on the screen.
void RestoreWindowPlacement(QWidget& form, const QString& className = QString());

// True when printers are installed and a default printer is selected. With
// showMessages the reason for a failure is shown. Never raises: any error
// during the check is a silent failure.
bool PrinterReady(bool showMessages);

} // namespace bv
