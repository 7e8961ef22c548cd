#pragma once
// The configuration report: facts about the program, the system, the
// hardware, the locale and the printers as tab-separated lines, for the
// user to pass on to technical support. Every fact comes from a source the
// caller gives, so the report can be built for another machine's files.
// Building it only reads; a fact that cannot be read gives a line saying
// so.
#include "sysinfo/PrintQueues.h"

#include <QDate>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace bv {

// What uname() tells of the kernel.
struct TKernelFacts {
    QString SysName; // "Linux"
    QString Release; // "6.1.0-18-amd64"
    QString Version; // "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)"
    QString Machine; // "x86_64"
};

// The primary screen in device pixels.
struct TScreenFacts {
    int Width = 0;
    int Height = 0;
    int Depth = 0; // bits per pixel
    int Ppi = 96;  // logical pixels per inch the program draws with
};

struct TReportSources {
    // Folder under which proc/cpuinfo, proc/meminfo, etc/os-release and
    // etc/default/locale are read; "/" on a real machine.
    QString Root = QStringLiteral("/");
    std::optional<TKernelFacts> Kernel;  // empty: not known
    std::optional<TScreenFacts> Screen;  // empty: no screen
    QProcessEnvironment Environment;     // LANG, LC_ALL, ... of the user
    const TPrintQueueSource* Printers = nullptr; // nullptr: no print system
    QString ExecutableFolder;  // where the program runs from
    QString ProgramFolder;     // where its files are kept, ending with '/'
    QString SettingsPath;      // the preferences file QRD.INI
    QDate Today;
    QDate BuildDate;
    QString Version;
    // Progress texts while the report is built ("Finding memory info...").
    std::function<void(const QString&)> Status;
};

// The sources of the machine the program runs on.
TReportSources MachineSources();

// The report's lines, in order.
QStringList BuildConfigurationReport(const TReportSources& sources);

// "Label:" padded to the report's label column, then the tab.
QString ReportLabel(const QString& label);

// Colours shown for a colour depth: 2 to the power of the bits, where 32
// bits are 24 bits of colour and 8 of alpha.
qint64 ColoursForDepth(int bitsPerPixel);

} // namespace bv
