// brisvale-batch: the command-line companion of the card designer.
#include "BatchCommands.h"
#include "Render.h"
#include "Sheet.h"
#include "Template.h"

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
    "  dump FILE        list the objects of a design file and their stored properties\n"
    "  resave IN OUT    open design IN as the program does and save it to OUT\n"
    "  render DESIGN OUT [--border] [--dpi N]\n"
    "                   write the card picture of DESIGN as Save As Bitmap/JPG would\n"
    "                   (OUT ending .bmp, .jpg or .png); --dpi N draws it at N pixels\n"
    "                   per inch through the print path (24 to 2400)\n"
    "  sheet DESIGN OUT.pdf [--sheets N] [--outline] [--positions LIST] [--printer NAME]\n"
    "        [--merge FILE [--copies N] [--records A-B]] [--back [--flip long|short]]\n"
    "                   print sheets of the card as the Print command would, into\n"
    "                   OUT.pdf or onto the print queue NAME (LIST: card numbers, e.g. 1,3,5-8);\n"
    "                   --merge prints one card per record of a CSV or vCard file;\n"
    "                   --back prints the back, NAME.back.QRD beside DESIGN, on the\n"
    "                   sheets' other side, turned about the long edge (or --flip short);\n"
    "                   a PDF gets each front page followed by its back page\n"
    "  pdf DESIGN OUT.pdf [--bleed MM] [--marks] [--back]\n"
    "                   the card for a print shop: trim size plus a bleed of MM\n"
    "                   millimetres (0 to 6, default 1/8 inch), TrimBox and BleedBox,\n"
    "                   crop marks with --marks; --back adds the card's back, the\n"
    "                   design NAME.back.QRD beside DESIGN, as page 2\n"
    "  template TEMPLATE.QRDT OUT.QRD [--font NAME]\n"
    "                   start a design from a card template as New - Select From\n"
    "                   Templates would (personal information from QRD.INI, every\n"
    "                   text in font NAME, default Times New Roman) and save it\n"
    "                   with its companion file\n"
    "  --help           show this text\n"
    "  --version        show the program version\n";

// Commands that build design objects need the widget application; without a
// display they run on the offscreen platform.
bool needsWidgets(const char* command)
{
    return std::strcmp(command, "resave") == 0 || std::strcmp(command, "render") == 0
        || std::strcmp(command, "sheet") == 0 || std::strcmp(command, "template") == 0
        || std::strcmp(command, "pdf") == 0;
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
    const QString& command = args.first();
    if (command == QLatin1String("--version")) {
        out << "brisvale-batch 3.3f\n";
        return 0;
    }
    if (command == QLatin1String("dump")) {
        if (args.size() != 2) {
            err << "brisvale-batch: dump needs one FILE\n" << usage;
            return 1;
        }
        return bv::batch::Dump(args[1], out, err);
    }
    if (command == QLatin1String("resave")) {
        if (args.size() != 3) {
            err << "brisvale-batch: resave needs IN and OUT\n" << usage;
            return 1;
        }
        return bv::batch::Resave(args[1], args[2], err);
    }
    if (command == QLatin1String("render"))
        return bv::batch::Render(args.mid(1), err);
    if (command == QLatin1String("sheet"))
        return bv::batch::Sheet(args.mid(1), out, err);
    if (command == QLatin1String("pdf"))
        return bv::batch::PrintShop(args.mid(1), out, err);
    if (command == QLatin1String("template"))
        return bv::batch::Template(args.mid(1), err);
    err << "brisvale-batch: unknown command '" << command << "'\n" << usage;
    return 1;
}
