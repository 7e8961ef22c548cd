#include "sysinfo/ConfigurationReport.h"

#include "app/AboutBox.h"
#include "document/Settings.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "sysinfo/SystemFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <cmath>
#include <exception>
#include <sys/utsname.h>

namespace bv {

namespace {

constexpr int LabelWidth = 13;

// A file below the sources' root, read whole; nothing when it cannot be read.
std::optional<QString> readFile(const TReportSources& s, const QString& path)
{
    QFile f(QDir(s.Root).filePath(path.mid(1)));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    // /proc files report size 0: read until the end.
    return QString::fromUtf8(f.readAll());
}

QString cannotRead(const QString& path)
{
    return QStringLiteral("cannot read ") + path;
}

// The user's locale for one category, as the C library chooses it.
QString localeName(const QProcessEnvironment& env, const char* category)
{
    for (const QString& name : { QStringLiteral("LC_ALL"), QString::fromLatin1(category), QStringLiteral("LANG") }) {
        const QString value = env.value(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("C");
}

// The locale the system gives new users: /etc/default/locale (Debian), else
// /etc/locale.conf. Empty when neither names one.
QString systemLocaleName(const TReportSources& s, const char* category)
{
    for (const QString& path : { QStringLiteral("/etc/default/locale"), QStringLiteral("/etc/locale.conf") }) {
        const std::optional<QString> text = readFile(s, path);
        if (!text)
            continue;
        const QHash<QString, QString> v = ParseShellAssignments(*text);
        for (const QString& key : { QStringLiteral("LC_ALL"), QString::fromLatin1(category), QStringLiteral("LANG") })
            if (!v.value(key).isEmpty())
                return v.value(key);
    }
    return {};
}

QString languageOf(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("not set");
    return QLocale::languageToString(QLocale(name).language()) + QStringLiteral(" (") + name + QLatin1Char(')');
}

QString countryOf(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("not set");
    const QString code = QLocale::territoryToCode(QLocale(name).territory());
    return code.isEmpty() ? QStringLiteral("none") : code;
}

// The character set part of a locale name ("UTF-8" of "de_DE.UTF-8@euro").
QString charsetOf(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("not set");
    if (name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return QStringLiteral("ASCII");
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return QStringLiteral("default of ") + name;
    QString set = name.mid(dot + 1);
    const int at = set.indexOf(QLatin1Char('@'));
    if (at >= 0)
        set.truncate(at);
    return set;
}

QString withThousands(const QLocale& locale, qint64 n)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::DefaultNumberOptions);
    return l.toString(n);
}

QString systemLine(const TReportSources& s)
{
    QString name;
    std::optional<QString> release = readFile(s, QStringLiteral("/etc/os-release"));
    if (!release)
        release = readFile(s, QStringLiteral("/usr/lib/os-release"));
    if (!release) {
        name = QStringLiteral("unknown distribution (") + cannotRead(QStringLiteral("/etc/os-release")) + QLatin1Char(')');
    } else {
        name = ParseOsName(*release);
        if (name.isEmpty())
            name = QStringLiteral("unnamed distribution");
    }
    QString kernel;
    if (s.Kernel)
        kernel = QStringLiteral(" (") + s.Kernel->SysName + QStringLiteral(" version ") + s.Kernel->Release
                 + QStringLiteral(" build:") + s.Kernel->Version + QLatin1Char(' ') + s.Kernel->Machine + QLatin1Char(')');
    else
        kernel = QStringLiteral(" (kernel version unknown)");
    return ReportLabel(QStringLiteral("System:")) + name + kernel;
}

QString processorLine(const TReportSources& s)
{
    const QString label = ReportLabel(QStringLiteral("CPU:")) + QStringLiteral("Processor:  ");
    const QString arch = s.Kernel ? s.Kernel->Machine : QString();
    const std::optional<QString> text = readFile(s, QStringLiteral("/proc/cpuinfo"));
    if (!text)
        return label + arch + QLatin1Char(' ') + cannotRead(QStringLiteral("/proc/cpuinfo"));
    const TProcessorFacts cpu = ParseCpuInfo(*text);
    QString line = label + arch + QLatin1Char(' ') + cpu.Model;
    if (cpu.Count > 0)
        line += QStringLiteral(" (") + QString::number(cpu.Count)
                + (cpu.Count == 1 ? QStringLiteral(" logical processor)") : QStringLiteral(" logical processors)"));
    return line;
}

void memoryLines(const TReportSources& s, const QLocale& numbers, QStringList& out)
{
    const QStringList labels = { QStringLiteral("Memory Load:"), QStringLiteral("Phys Memory:"),
                                 QStringLiteral("Page File:"), QStringLiteral("Virt Memory:") };
    const std::optional<QString> text = readFile(s, QStringLiteral("/proc/meminfo"));
    const std::optional<TMemoryFacts> m = text ? ParseMemInfo(*text) : std::nullopt;
    if (!m) {
        const QString why = text ? QStringLiteral("no usable MemTotal in /proc/meminfo") : cannotRead(QStringLiteral("/proc/meminfo"));
        for (const QString& l : labels)
            out << ReportLabel(l) + why;
        return;
    }
    auto pair = [&](const QString& label, std::optional<qint64> total, std::optional<qint64> available) {
        if (!total || !available)
            return ReportLabel(label) + QStringLiteral("not given in /proc/meminfo");
        return ReportLabel(label) + QStringLiteral("Total: ") + withThousands(numbers, *total)
               + QStringLiteral(";    Available: ") + withThousands(numbers, *available);
    };
    out << ReportLabel(labels[0]) + QString::number(m->Load);
    out << pair(labels[1], m->Total, m->Available);
    out << pair(labels[2], m->SwapTotal, m->SwapFree);
    out << pair(labels[3], m->CommitLimit, m->CommitFree);
}

void printerLines(const TReportSources& s, QStringList& out)
{
    const QString label = ReportLabel(QStringLiteral("Printer:"));
    if (!s.Printers) {
        out << label + QStringLiteral("no print system");
        return;
    }
    QList<TPrintQueue> queues;
    try {
        queues = s.Printers->Queues();
    } catch (const std::exception&) {
        out << label + QStringLiteral("cannot ask the print system: ") + DescribeCurrentException();
        return;
    }
    QString defaultName;
    for (const TPrintQueue& q : queues)
        if (q.IsDefault)
            defaultName = q.Name;
    if (queues.isEmpty())
        out << label + QStringLiteral("no print queues installed");
    else
        out << label + QStringLiteral("Default: ") + (defaultName.isEmpty() ? QStringLiteral("none selected") : defaultName);
    out << QString() << QStringLiteral("[Devices]");
    for (const TPrintQueue& q : queues)
        out << q.Name + QLatin1Char('=') + (q.MakeAndModel.isEmpty() ? QStringLiteral("no driver") : q.MakeAndModel)
                   + QLatin1Char(',') + q.Device;
    out << QString() << QStringLiteral("[PrinterPorts]");
    for (const TPrintQueue& q : queues)
        out << q.Name + QLatin1Char('=') + q.Device + QLatin1Char(',') + q.State;
}

void status(const TReportSources& s, const char* text)
{
    if (s.Status)
        s.Status(QString::fromLatin1(text));
}

QDate compiledOn()
{
    // __DATE__ is "Mmm dd yyyy" with the day padded by a blank.
    return QDate::fromString(QString::fromLatin1(__DATE__).simplified(), QStringLiteral("MMM d yyyy"));
}

} // namespace

QString ReportLabel(const QString& label)
{
    return label.leftJustified(LabelWidth) + QLatin1Char('\t');
}

qint64 ColoursForDepth(int bitsPerPixel)
{
    if (bitsPerPixel >= 32)
        return qint64(1) << 24;
    if (bitsPerPixel <= 0)
        return 0;
    return qint64(1) << bitsPerPixel;
}

TReportSources MachineSources()
{
    TReportSources s;
    s.Root = QStringLiteral("/");
    struct utsname u {};
    if (uname(&u) == 0)
        s.Kernel = TKernelFacts { QString::fromLocal8Bit(u.sysname), QString::fromLocal8Bit(u.release),
                                  QString::fromLocal8Bit(u.version), QString::fromLocal8Bit(u.machine) };
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const qreal ratio = screen->devicePixelRatio();
            s.Screen = TScreenFacts { int(std::lround(screen->geometry().width() * ratio)),
                                      int(std::lround(screen->geometry().height() * ratio)), screen->depth(),
                                      ScreenPpi() };
        }
    }
    s.Environment = QProcessEnvironment::systemEnvironment();
    static const TCupsPrintQueues cups;
    s.Printers = &cups;
    if (QCoreApplication::instance())
        s.ExecutableFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    s.ProgramFolder = ProgramFolder();
    s.SettingsPath = IniPath();
    s.Today = QDate::currentDate();
    s.BuildDate = compiledOn();
    s.Version = ProgramVersion();
    return s;
}

QStringList BuildConfigurationReport(const TReportSources& s)
{
    const QProcessEnvironment& env = s.Environment;
    const QLocale timeLocale(localeName(env, "LC_TIME"));
    const QLocale numbers(localeName(env, "LC_NUMERIC"));
    QStringList out;

    out << timeLocale.toString(s.Today, QLocale::LongFormat) << QString();

    out << QStringLiteral("[Product]");
    out << ReportLabel(QStringLiteral("Program:")) + QStringLiteral("Brisvale");
    out << ReportLabel(QStringLiteral("Version:")) + s.Version;
    out << ReportLabel(QStringLiteral("Build Date:"))
               + (s.BuildDate.isValid() ? timeLocale.toString(s.BuildDate, QLocale::ShortFormat) : QStringLiteral("unknown"));
    out << ReportLabel(QStringLiteral("Folder:")) + QDir::toNativeSeparators(s.ExecutableFolder);
    out << QString();

    out << QStringLiteral("[Environment]");
    status(s, "Finding system version...");
    out << systemLine(s);
    status(s, "Finding processor info...");
    out << processorLine(s);

    status(s, "Finding video info...");
    if (s.Screen)
        out << ReportLabel(QStringLiteral("Video:")) + QString::number(s.Screen->Width) + QStringLiteral(" x ")
                   + QString::number(s.Screen->Height) + QStringLiteral(" x ")
                   + withThousands(numbers, ColoursForDepth(s.Screen->Depth)) + QStringLiteral(" colors");
    else
        out << ReportLabel(QStringLiteral("Video:")) + QStringLiteral("no screen");

    status(s, "Finding font size...");
    {
        const int ppi = s.Screen ? s.Screen->Ppi : 96;
        QString text = ppi == 96    ? QStringLiteral("Small Fonts in use")
                       : ppi == 120 ? QStringLiteral("Large Fonts in use")
                                    : QStringLiteral("Custom font size in use");
        out << ReportLabel(QStringLiteral("Font:")) + text + QStringLiteral(" (") + QString::number(ppi)
                   + QStringLiteral(" pixels per inch)");
    }

    status(s, "Finding memory info...");
    memoryLines(s, numbers, out);

    status(s, "Finding language info...");
    out << ReportLabel(QStringLiteral("Language:")) + QStringLiteral("User: ") + languageOf(localeName(env, "LC_MESSAGES"))
               + QStringLiteral(";    System: ") + languageOf(systemLocaleName(s, "LC_MESSAGES"));
    status(s, "Finding country info...");
    out << ReportLabel(QStringLiteral("Country:")) + QStringLiteral("User: ") + countryOf(localeName(env, "LC_MONETARY"))
               + QStringLiteral(";    System: ") + countryOf(systemLocaleName(s, "LC_MONETARY"));
    out << ReportLabel(QStringLiteral("Charset:")) + QStringLiteral("User: ") + charsetOf(localeName(env, "LC_CTYPE"))
               + QStringLiteral(";    System: ") + charsetOf(systemLocaleName(s, "LC_CTYPE"));
    out << ReportLabel(QStringLiteral("Date Format:")) + QStringLiteral("Short: ") + timeLocale.dateFormat(QLocale::ShortFormat)
               + QStringLiteral(";    Long: ") + timeLocale.dateFormat(QLocale::LongFormat);
    out << ReportLabel(QStringLiteral("Time Format:")) + QStringLiteral("Short: ") + timeLocale.timeFormat(QLocale::ShortFormat)
               + QStringLiteral(";    Long: ") + timeLocale.timeFormat(QLocale::LongFormat);

    status(s, "Finding printer info...");
    printerLines(s, out);
    out << QString();

    out << QLatin1Char('[') + QDir::toNativeSeparators(s.SettingsPath) + QLatin1Char(']');
    out << QString();
    if (!QFileInfo::exists(s.SettingsPath))
        out << QStringLiteral("(not written yet; the program uses the defaults below)");
    TPreferences prefs;
    try {
        prefs = TSettings(s.SettingsPath).LoadPreferences();
    } catch (const std::exception&) {
        out << QStringLiteral("(cannot be read; the program uses the defaults below)");
    }
    const TDefaultFont& f = prefs.DefaultFont;
    auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    out << ReportLabel(QStringLiteral("DeFFont"))
               + f.Name + QLatin1Char(',') + QString::number(f.Size) + QLatin1Char(',') + flag(f.Bold) + QLatin1Char(',')
               + flag(f.Italic) + QLatin1Char(',') + flag(f.Underline);
    const TPrinterNudges& n = prefs.Nudges;
    out << ReportLabel(QStringLiteral("Nudges:")) + QStringLiteral("Top:") + QString::number(n.TopMargin)
               + QStringLiteral(",Left:") + QString::number(n.LeftMargin) + QStringLiteral(",Vert:")
               + QString::number(n.VerticalSpacing) + QStringLiteral(",Horz:") + QString::number(n.HorizontalSpacing)
               + QStringLiteral("   {1/32 inch}");
    return out;
}

} // namespace bv
