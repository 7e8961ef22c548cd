// brisvale: the business card designer.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brisvale"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Brisvale"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
