// brisvale: the business card designer.
#include "app/MainScreen.h"
#include "app/SingleInstance.h"
#include "app/ToolIcons.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    // Before anything else: a second start hands over to the running copy.
    bv::TSingleInstance instance(bv::TSingleInstance::DefaultName());
    if (instance.AnotherIsRunning())
        return 0;

    QApplication::setApplicationName(QStringLiteral("Brisvale"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brisvale"));
    QApplication::setWindowIcon(bv::ProgramIcon());

    bv::TMainScreen window;
    instance.onActivate = [&window] { bv::BringWindowToFront(window); };
    window.show();
    return app.exec();
}
