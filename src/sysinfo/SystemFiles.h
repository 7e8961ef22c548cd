#pragma once
// Readers of the system's own text files that the configuration report
// quotes: /etc/os-release and /etc/default/locale (shell assignments),
// /proc/cpuinfo and /proc/meminfo ("Key: value" lines). They take any text
// and never fail; what they cannot find stays empty.
#include <QHash>
#include <QString>
#include <optional>

namespace bv {

// KEY=value lines as the shell reads them: values quoted with ' or ",
// backslash escapes outside single quotes, '#' comments; other lines are
// skipped. A repeated key keeps its last value.
QHash<QString, QString> ParseShellAssignments(const QString& text);

// "Key : value" lines; the first of a repeated key wins.
QHash<QString, QString> ParseColonFields(const QString& text);

// The distribution's name from os-release: PRETTY_NAME, else NAME and
// VERSION; empty when neither is there.
QString ParseOsName(const QString& osRelease);

struct TProcessorFacts {
    int Count = 0; // logical processors
    QString Model; // "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz", "Raspberry Pi 4 Model B"
};
TProcessorFacts ParseCpuInfo(const QString& cpuinfo);

// Memory figures in bytes. Absent figures are empty.
struct TMemoryFacts {
    int Load = 0; // percent of physical memory in use
    qint64 Total = 0;
    qint64 Available = 0;
    std::optional<qint64> SwapTotal;
    std::optional<qint64> SwapFree;
    std::optional<qint64> CommitLimit; // what processes may commit
    std::optional<qint64> CommitFree;  // of that, not committed yet
};
// Empty when there is no usable MemTotal. Figures too large to be true are
// treated as absent.
std::optional<TMemoryFacts> ParseMemInfo(const QString& meminfo);

} // namespace bv
