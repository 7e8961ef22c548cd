// brisvale-batch: the command-line companion of the card designer.
#include <QCoreApplication>
#include <QTextStream>

namespace {
const char* usage =
    "Usage: brisvale-batch COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  --help       show this text\n"
    "  --version    show the program version\n";
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
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
    err << "brisvale-batch: unknown command '" << args.first() << "'\n" << usage;
    return 1;
}
