#pragma once
// The installed printers as the program sees them: their names and the name
// of the default printer. The program asks the installed list; tests install
// a fake so the printer check can be driven without a print system.
#include <QString>
#include <QStringList>

namespace bv {

class PrinterList {
public:
    virtual ~PrinterList() = default;

    // Names of the installed printers (empty when there are none).
    virtual QStringList PrinterNames() const = 0;
    // Name of the default printer; empty when none is selected.
    virtual QString DefaultPrinterName() const = 0;

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
};

} // namespace bv
