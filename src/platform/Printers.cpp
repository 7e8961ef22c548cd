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

QStringList SystemPrinterList::PrinterNames() const
{
    return QPrinterInfo::availablePrinterNames();
}

QString SystemPrinterList::DefaultPrinterName() const
{
    return QPrinterInfo::defaultPrinterName();
}

} // namespace bv
