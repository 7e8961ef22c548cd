#include "platform/Printers.h"

#include <QPrinterInfo>

namespace bv {

namespace {
PrinterList* installed = nullptr;
} // namespace

PrinterList& PrinterList::Current()
{
    static SystemPrinterList system;
    return installed ? *installed : system;
}

void PrinterList::Install(PrinterList* list)
{
    installed = list;
}

PrinterDetails PrinterList::Details(const QString&) const
{
    return {};
}

QStringList SystemPrinterList::PrinterNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString SystemPrinterList::DefaultPrinterName() const
{
    return QPrinterInfo::defaultPrinterName();
}

PrinterDetails SystemPrinterList::Details(const QString& name) const
{
    PrinterDetails d;
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull())
        return d;
    d.Description = info.makeAndModel().isEmpty() ? info.description() : info.makeAndModel();
    d.Location = info.location();
    switch (info.state()) {
    case QPrinter::Idle:
        d.Status = QStringLiteral("Ready");
        break;
    case QPrinter::Active:
        d.Status = QStringLiteral("Printing");
        break;
    case QPrinter::Aborted:
        d.Status = QStringLiteral("Stopped");
        break;
    case QPrinter::Error:
        d.Status = QStringLiteral("Error");
        break;
    }
    d.PageSizes = info.supportedPageSizes();
    return d;
}

} // namespace bv
