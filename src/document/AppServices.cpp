#include "document/AppServices.h"

#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/Printers.h"
#include "platform/ProfileFile.h"

#include <QGuiApplication>
#include <algorithm>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace bv {

namespace {
QPointer<QWidget> mainForm;
std::optional<ScreenMetrics> screenOverride;
} // namespace

bool AskYesNo(const QString& message, const QString& caption)
{
    return Interaction::Current().AskYesNo(message, caption);
}

void ShowInfo(const QString& message)
{
    Interaction::Current().ShowInfo(message, QStringLiteral("Information"));
}

void SetMainForm(QWidget* form)
{
    mainForm = form;
}

QWidget* MainForm()
{
    return mainForm.data();
}

ScreenMetrics CurrentScreenMetrics()
{
    if (screenOverride)
        return *screenOverride;
    ScreenMetrics m;
    m.ppi = ScreenPpi();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        m.width = screen->geometry().width();
        m.height = screen->geometry().height();
    }
    // The window manager's frame; platforms that draw none have none.
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        m.frameTop = 32;
        m.frameSide = 4;
        if (const QWidget* main = MainForm(); main && main->isVisible()) {
            const QRect client = main->geometry();
            const QRect frame = main->frameGeometry();
            if (client.top() > frame.top()) {
                m.frameTop = client.top() - frame.top();
                m.frameSide = std::max(0, client.left() - frame.left());
            }
        }
    }
    return m;
}

void OverrideScreenMetrics(std::optional<ScreenMetrics> metrics)
{
    screenOverride = metrics;
}

void CentreForm(QWidget& form)
{
    const QSize size = form.frameGeometry().size();
    QWidget* main = MainForm();
    if (!main || main == &form || main->isMaximized()) {
        const ScreenMetrics screen = CurrentScreenMetrics();
        // Integer division truncates toward zero, as the placement rule says.
        form.move((screen.width - size.width()) / 2, (screen.height - size.height()) / 2);
        return;
    }
    const QRect over = main->frameGeometry();
    form.move(over.left() + (over.width() - size.width()) / 2,
              over.top() + (over.height() - size.height()) / 2);
}

QString PlacementSectionName(const QString& className, int ppi)
{
    QString name = className + QStringLiteral("_Placement");
    if (ppi > 96)
        name += QString::number(ppi);
    return name;
}

QString FormClassName(const QWidget& form)
{
    QString name = QString::fromLatin1(form.metaObject()->className());
    int colons = name.lastIndexOf(QStringLiteral("::"));
    if (colons >= 0)
        name = name.mid(colons + 2);
    return name;
}

void SaveWindowPlacement(const QWidget& form, const QString& className)
{
    const QString section = PlacementSectionName(className.isEmpty() ? FormClassName(form) : className,
                                                 CurrentScreenMetrics().ppi);
    const bool maximized = form.isMaximized();
    QRect normal = (maximized || form.isFullScreen()) ? form.normalGeometry() : form.geometry();
    if (!normal.isValid())
        normal = form.geometry();
    // One update of the file: another copy of the program saving its own
    // position at the same time must not mix its keys with these.
    ProfileFile(IniPath()).Update([&](ProfileFile& ini) {
        ini.WriteInteger(section, QStringLiteral("Left"), normal.left());
        ini.WriteInteger(section, QStringLiteral("Top"), normal.top());
        ini.WriteInteger(section, QStringLiteral("Right"), normal.left() + normal.width());
        ini.WriteInteger(section, QStringLiteral("Bottom"), normal.top() + normal.height());
        ini.WriteBool(section, QStringLiteral("Maximized"), maximized);
    });
}

void RestoreWindowPlacement(QWidget& form, const QString& className)
{
    const ScreenMetrics screen = CurrentScreenMetrics();
    const QString section = PlacementSectionName(className.isEmpty() ? FormClassName(form) : className, screen.ppi);
    const ProfileFile ini(IniPath());
    int left = ini.ReadInteger(section, QStringLiteral("Left"), 0);
    int top = ini.ReadInteger(section, QStringLiteral("Top"), 0);
    int right = ini.ReadInteger(section, QStringLiteral("Right"), 0);
    int bottom = ini.ReadInteger(section, QStringLiteral("Bottom"), 0);
    const bool maximized = ini.ReadBool(section, QStringLiteral("Maximized"), form.isMaximized());

    if (maximized) {
        form.setWindowState(form.windowState() | Qt::WindowMaximized);
        return;
    }
    if (bottom == 0 || right <= left || bottom <= top) {
        // Nothing usable saved (an empty rectangle included): the designed
        // size, centred.
        CentreForm(form);
        const QRect current = form.geometry();
        left = current.left();
        top = current.top();
        right = current.left() + current.width();
        bottom = current.top() + current.height();
    }
    // A size saved at another scale (or on a larger screen) shrinks to fit
    // the screen with the window's frame.
    const int widest = std::max(1, screen.width - 2 * screen.frameSide);
    const int highest = std::max(1, screen.height - screen.frameTop - screen.frameSide);
    if (right - left > widest)
        right = left + widest;
    if (bottom - top > highest)
        bottom = top + highest;
    // Back onto the screen: a rectangle sticking out on the right or bottom
    // moves left or up; if that pushes its left or top edge off the screen
    // it starts at 1. A rectangle lying wholly left of or above the screen
    // (a monitor that is gone) is brought back the same way.
    if (right > screen.width || right <= 0) {
        if (right > screen.width) {
            left -= right - screen.width;
            right = screen.width;
        }
        if (left < 0) {
            right += 1 - left;
            left = 1;
        }
    }
    if (bottom > screen.height || bottom <= 0) {
        if (bottom > screen.height) {
            top -= bottom - screen.height;
            bottom = screen.height;
        }
        if (top < 0) {
            bottom += 1 - top;
            top = 1;
        }
    }
    // The title bar stays where the mouse can reach it.
    if (top < screen.frameTop) {
        bottom += screen.frameTop - top;
        top = screen.frameTop;
    }
    form.setGeometry(QRect(left, top, right - left, bottom - top));
}

bool PrinterReady(bool showMessages)
{
    try {
        const PrinterList& printers = PrinterList::Current();
        if (printers.PrinterNames().isEmpty()) {
            if (showMessages)
                ShowInfo(QStringLiteral("There are no installed printers.\nUnable to perform printer related operations"));
            return false;
        }
        if (printers.DefaultPrinterName().trimmed().isEmpty()) {
            if (showMessages)
                ShowInfo(QStringLiteral("There is no default printer selected.\nUnable to perform printer related operations"));
            return false;
        }
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

} // namespace bv
