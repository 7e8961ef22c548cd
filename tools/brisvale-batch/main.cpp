// brisvale-batch: the command-line companion of the card designer.
#include "Render.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstring>
#include <memory>

namespace {
const char* usage =
    "Usage: brisvale-batch COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  render DESIGN OUT [--border]\n"
    "               write the card picture of DESIGN as Save As Bitmap/JPG would\n"
    "               (OUT ending .bmp, .jpg or .png)\n"
    "  --help       show this text\n"
    "  --version    show the program version\n";

// Commands that build design objects need the widget application; without a
// display they run on the offscreen platform.
bool needsWidgets(const char* command)
{
    return std::strcmp(command, "render") == 0;
}
} // namespace

int main(int argc, char* argv[])
{
    const bool widgets = argc > 1 && needsWidgets(argv[1]);
    if (widgets && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (widgets)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        out << usage;
        return args.isEmpty() ? 1 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        out << "brisvale-batch 3.3f\n";
        return 0;
    }
    if (args.first() == QLatin1String("render"))
        return bv::batch::Render(args.mid(1), err);
    err << "brisvale-batch: unknown command '" << args.first() << "'\n" << usage;
    return 1;
}
