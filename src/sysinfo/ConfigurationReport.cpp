#include "sysinfo/ConfigurationReport.h"

#include "app/AboutBox.h"
#include "app/Settings.h"
#include "platform/Environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLocale>
#include <QScreen>
#include <algorithm>
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

// KEY=value files of the shell kind (os-release, default/locale): values
// may be quoted with ' or ", and backslash escapes inside double quotes.
QHash<QString, QString> shellAssignments(const QString& text)
{
    QHash<QString, QString> values;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString rest = line.mid(eq + 1);
        QString value;
        QChar quote;
        for (int i = 0; i < rest.size(); ++i) {
            const QChar c = rest[i];
            if (quote.isNull()) {
                if (c == QLatin1Char('"') || c == QLatin1Char('\''))
                    quote = c;
                else if (c == QLatin1Char('\\') && i + 1 < rest.size())
                    value += rest[++i];
                else if (c.isSpace() || c == QLatin1Char('#'))
                    break;
                else
                    value += c;
            } else if (c == quote) {
                quote = QChar();
            } else if (quote == QLatin1Char('"') && c == QLatin1Char('\\') && i + 1 < rest.size()) {
                value += rest[++i];
            } else {
                value += c;
            }
        }
        values.insert(key, value);
    }
    return values;
}

// "Key:   value" lines of /proc files; the first of a repeated key wins.
QHash<QString, QString> colonFields(const QString& text)
{
    QHash<QString, QString> values;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString key = line.left(colon).trimmed();
        if (!values.contains(key))
            values.insert(key, line.mid(colon + 1).trimmed());
    }
    return values;
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
        const QHash<QString, QString> v = shellAssignments(*text);
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
        const QHash<QString, QString> v = shellAssignments(*release);
        name = v.value(QStringLiteral("PRETTY_NAME"));
        if (name.isEmpty())
            name = (v.value(QStringLiteral("NAME"), QStringLiteral("Linux")) + QLatin1Char(' ')
                    + v.value(QStringLiteral("VERSION"))).trimmed();
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
    int count = 0;
    for (const QString& line : text->split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("processor")) && line.contains(QLatin1Char(':')))
            ++count;
    // x86 says "model name", ARM boards "Model" or "Hardware", MIPS "cpu model", POWER "cpu".
    const QHash<QString, QString> fields = colonFields(*text);
    QString model;
    for (const char* key : { "model name", "Model", "cpu model", "cpu", "Processor", "Hardware" }) {
        model = fields.value(QString::fromLatin1(key));
        if (!model.isEmpty())
            break;
    }
    QString line = label + arch + QLatin1Char(' ') + model;
    if (count > 0)
        line += QStringLiteral(" (") + QString::number(count)
                + (count == 1 ? QStringLiteral(" logical processor)") : QStringLiteral(" logical processors)"));
    return line;
}

void memoryLines(const TReportSources& s, const QLocale& numbers, QStringList& out)
{
    const QStringList labels = { QStringLiteral("Memory Load:"), QStringLiteral("Phys Memory:"),
                                 QStringLiteral("Page File:"), QStringLiteral("Virt Memory:") };
    const std::optional<QString> text = readFile(s, QStringLiteral("/proc/meminfo"));
    const QHash<QString, QString> fields = text ? colonFields(*text) : QHash<QString, QString>();
    // Values are in kB ("MemTotal:  16318008 kB").
    auto kb = [&](const char* key) -> std::optional<qint64> {
        const QString v = fields.value(QString::fromLatin1(key));
        bool ok = false;
        const qint64 n = v.section(QLatin1Char(' '), 0, 0).toLongLong(&ok);
        return ok ? std::optional<qint64>(n) : std::nullopt;
    };
    const std::optional<qint64> total = kb("MemTotal");
    if (!text || !total || *total <= 0) {
        const QString why = text ? QStringLiteral("no MemTotal in /proc/meminfo") : cannotRead(QStringLiteral("/proc/meminfo"));
        for (const QString& l : labels)
            out << ReportLabel(l) + why;
        return;
    }
    // Older kernels have no MemAvailable: free memory plus what the caches
    // would give back is the figure they would have shown.
    qint64 available = 0;
    if (const auto a = kb("MemAvailable"))
        available = *a;
    else
        available = kb("MemFree").value_or(0) + kb("Buffers").value_or(0) + kb("Cached").value_or(0);
    available = std::clamp<qint64>(available, 0, *total);
    const qint64 load = (*total - available) * 100 / *total;
    auto bytes = [&](qint64 k) { return withThousands(numbers, k * 1024); };
    auto pair = [&](const QString& label, std::optional<qint64> t, std::optional<qint64> a) {
        if (!t || !a)
            return ReportLabel(label) + QStringLiteral("not given in /proc/meminfo");
        return ReportLabel(label) + QStringLiteral("Total: ") + bytes(*t) + QStringLiteral(";    Available: ") + bytes(*a);
    };
    out << ReportLabel(labels[0]) + QString::number(load);
    out << pair(labels[1], total, available);
    out << pair(labels[2], kb("SwapTotal"), kb("SwapFree"));
    // What the kernel lets processes commit, and what of it is still unused.
    std::optional<qint64> commitFree;
    if (const auto limit = kb("CommitLimit"); limit && kb("Committed_AS"))
        commitFree = std::max<qint64>(0, *limit - *kb("Committed_AS"));
    out << pair(labels[3], kb("CommitLimit"), commitFree);
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
    } catch (const std::exception& e) {
        out << label + QStringLiteral("cannot ask the print system: ") + QString::fromUtf8(e.what());
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
