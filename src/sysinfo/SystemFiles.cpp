#include "sysinfo/SystemFiles.h"

#include <QStringList>
#include <algorithm>

namespace bv {

QHash<QString, QString> ParseShellAssignments(const QString& text)
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

QHash<QString, QString> ParseColonFields(const QString& text)
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

QString ParseOsName(const QString& osRelease)
{
    const QHash<QString, QString> v = ParseShellAssignments(osRelease);
    const QString pretty = v.value(QStringLiteral("PRETTY_NAME")).trimmed();
    if (!pretty.isEmpty())
        return pretty;
    return (v.value(QStringLiteral("NAME")) + QLatin1Char(' ') + v.value(QStringLiteral("VERSION"))).trimmed();
}

TProcessorFacts ParseCpuInfo(const QString& cpuinfo)
{
    TProcessorFacts facts;
    for (const QString& line : cpuinfo.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("processor")) && line.contains(QLatin1Char(':')))
            ++facts.Count;
    // x86 says "model name", ARM boards "Model" or "Hardware", MIPS "cpu model", POWER "cpu".
    const QHash<QString, QString> fields = ParseColonFields(cpuinfo);
    for (const char* key : { "model name", "Model", "cpu model", "cpu", "Processor", "Hardware" }) {
        facts.Model = fields.value(QString::fromLatin1(key));
        if (!facts.Model.isEmpty())
            break;
    }
    return facts;
}

std::optional<TMemoryFacts> ParseMemInfo(const QString& meminfo)
{
    const QHash<QString, QString> fields = ParseColonFields(meminfo);
    // Values are in kB ("MemTotal:  16318008 kB"). Anything above 2^40 kB
    // (a petabyte) is not a real figure; refusing it also keeps the sums
    // below far from overflowing.
    constexpr qint64 MaxKb = qint64(1) << 40;
    auto bytes = [&](const char* key) -> std::optional<qint64> {
        const QString v = fields.value(QString::fromLatin1(key));
        bool ok = false;
        const qint64 n = v.section(QLatin1Char(' '), 0, 0).toLongLong(&ok);
        if (!ok || n < 0 || n > MaxKb)
            return std::nullopt;
        return n * 1024;
    };
    const std::optional<qint64> total = bytes("MemTotal");
    if (!total || *total <= 0)
        return std::nullopt;
    TMemoryFacts m;
    m.Total = *total;
    // Older kernels have no MemAvailable: free memory plus what the caches
    // would give back is the figure they would have shown.
    if (const auto a = bytes("MemAvailable"))
        m.Available = *a;
    else
        m.Available = bytes("MemFree").value_or(0) + bytes("Buffers").value_or(0) + bytes("Cached").value_or(0);
    m.Available = std::clamp<qint64>(m.Available, 0, m.Total);
    m.Load = int((m.Total - m.Available) * 100 / m.Total);
    m.SwapTotal = bytes("SwapTotal");
    m.SwapFree = bytes("SwapFree");
    m.CommitLimit = bytes("CommitLimit");
    if (const auto committed = bytes("Committed_AS"); m.CommitLimit && committed)
        m.CommitFree = std::max<qint64>(0, *m.CommitLimit - *committed);
    return m;
}

} // namespace bv
