// brisvale: the business card designer.
#include "app/MainScreen.h"
#include "app/SingleInstance.h"
#include "app/ToolIcons.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    // Design files given on the command line (a file manager's "open").
    QStringList files;
    for (const QString& a : app.arguments().mid(1))
        if (!a.startsWith(QLatin1Char('-')))
            files.append(QFileInfo(a).absoluteFilePath());

    // Before anything else: a second start hands over to the running copy.
    bv::TSingleInstance instance(bv::TSingleInstance::DefaultName());
    if (instance.AnotherIsRunning(files))
        return 0;

    QApplication::setApplicationName(QStringLiteral("Brisvale"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brisvale"));
    QApplication::setWindowIcon(bv::ProgramIcon());

    bv::TMainScreen window;
    instance.onActivate = [&window] { bv::BringWindowToFront(window); };
    instance.onOpen = [&window](const QStringList& paths) { window.OpenFromOutside(paths); };
    window.show();
    // After the first activation (queued by showing), which reopens the
    // most recent design.
    if (!files.isEmpty())
        QMetaObject::invokeMethod(&window, [&window, files] { window.OpenFromOutside(files); }, Qt::QueuedConnection);
    return app.exec();
}
