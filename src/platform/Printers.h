#pragma once
// The installed printers as the program sees them: their names and the name
// of the default printer. The program asks the installed list; tests install
// a fake so the printer check can be driven without a print system.
#include <QList>
#include <QPageSize>
#include <QString>
#include <QStringList>

namespace bv {

// What the print system tells about one printer, for the printer setup
// dialog. Empty fields are unknown.
struct PrinterDetails {
    QString Description;       // make and model, or the queue's description
    QString Location;          // where the printer stands
    QString Status;            // "Ready", "Printing", "Stopped", "Error"
    QList<QPageSize> PageSizes; // the sheets it takes
};

class PrinterList {
public:
    virtual ~PrinterList() = default;

    // Names of the installed printers (empty when there are none).
    virtual QStringList PrinterNames() const = 0;
    // Name of the default printer; empty when none is selected.
    virtual QString DefaultPrinterName() const = 0;
    // Description, place, state and sheets of one printer; nothing is known
    // unless the list says more.
    virtual PrinterDetails Details(const QString& name) const;

    // The list in use: the system's unless a test installed another.
    static PrinterList& Current();
    // Installs a list (not owned); nullptr restores the system's.
    static void Install(PrinterList* list);
};

// The system's printers, through the Qt print support (CUPS on Linux).
class SystemPrinterList final : public PrinterList {
public:
    QStringList PrinterNames() const override;
    QString DefaultPrinterName() const override;
    PrinterDetails Details(const QString& name) const override;
};

} // namespace bv
