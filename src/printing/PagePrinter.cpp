#include "printing/PagePrinter.h"

#include "platform/Interaction.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace bv {

TPagePrinter::TPagePrinter()
    : printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    SetTitle(QStringLiteral("Brisvale"));
    const QString def = QPrinterInfo::defaultPrinterName();
    if (!def.isEmpty())
        printer->setPrinterName(def);
    SetPaper(PaperLetter);
    ResetDevice();
}

TPagePrinter::~TPagePrinter()
{
    if (ownPainter.isActive())
        ownPainter.end();
}

QStringList TPagePrinter::Printers() const
{
    return QPrinterInfo::availablePrinterNames();
}

int TPagePrinter::PrinterIndex() const
{
    if (printer->outputFormat() != QPrinter::NativeFormat)
        return -1;
    return static_cast<int>(Printers().indexOf(printer->printerName()));
}

QString TPagePrinter::PrinterName() const
{
    return printer->outputFormat() == QPrinter::NativeFormat ? printer->printerName() : QString();
}

void TPagePrinter::SetPrinterIndex(int index)
{
    const QStringList names = Printers();
    if (index >= 0 && index < names.size())
        SetPrinterName(names[index]);
}

bool TPagePrinter::SetPrinterName(const QString& name)
{
    if (!Printers().contains(name))
        return false;
    printer->setOutputFileName(QString());
    printer->setOutputFormat(QPrinter::NativeFormat);
    printer->setPrinterName(name);
    SetPaper(Paper());
    ResetDevice();
    return true;
}

QString TPagePrinter::OutputFileName() const
{
    return printer->outputFileName();
}

void TPagePrinter::SetOutputFileName(const QString& path)
{
    if (path.isEmpty()) {
        printer->setOutputFileName(QString());
        printer->setOutputFormat(QPrinter::NativeFormat);
    } else {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
    }
    SetPaper(Paper());
    ResetDevice();
}

void TPagePrinter::SetPaper(int code)
{
    TPageEngine::SetPaper(code);
    printer->setPageSize(QPageSize(Paper() == PaperA4 ? QPageSize::A4 : QPageSize::Letter));
    readDevice();
}

void TPagePrinter::SetOrientation(int value)
{
    TPageEngine::SetOrientation(value);
    printer->setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    readDevice();
}

void TPagePrinter::SetCopies(int value)
{
    TPageEngine::SetCopies(value);
}

int TPagePrinter::MaxCopies() const
{
    // Qt knows only whether the driver collates copies itself, not a limit.
    return printer->supportsMultipleCopies() ? 9999 : 1;
}

void TPagePrinter::readDevice()
{
    TDeviceFacts f;
    f.ResolutionX = printer->logicalDpiX();
    f.ResolutionY = printer->logicalDpiY();
    const QPageLayout layout = printer->pageLayout();
    const QRectF full = layout.fullRect(QPageLayout::Inch);
    const QRectF paint = layout.paintRect(QPageLayout::Inch);
    f.OffsetLeft = paint.left() - full.left();
    f.OffsetTop = paint.top() - full.top();
    f.OffsetBottom = full.bottom() - paint.bottom();
    f.PageWidth = full.width();
    f.PageHeight = full.height();
    facts = f;
}

void TPagePrinter::readSettings()
{
    const QPageLayout layout = printer->pageLayout();
    const QPageSize::PageSizeId id = layout.pageSize().id();
    if (id == QPageSize::A4)
        TPageEngine::SetPaper(PaperA4);
    else if (id == QPageSize::Letter)
        TPageEngine::SetPaper(PaperLetter);
    TPageEngine::SetOrientation(layout.orientation() == QPageLayout::Landscape ? poLandscape : poPortrait);
    readDevice();
}

void TPagePrinter::ResetDevice()
{
    // The smallest margins the device allows: drawing starts at the corner
    // of its printable area.
    printer->setFullPage(false);
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    readDevice();
    SetMarginLeft(0);
    SetMarginTop(0);
}

bool TPagePrinter::PrinterSetupDialog()
{
    QPageSetupDialog dialog(printer.get());
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    readSettings();
    return true;
}

bool TPagePrinter::PrintDialog()
{
    printer->setCopyCount(Copies());
    QPrintDialog dialog(printer.get());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setMinMax(1, 9999);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    TPageEngine::SetCopies(printer->copyCount());
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        SetFirstPage(printer->fromPage());
        SetLastPage(printer->toPage() > 0 ? printer->toPage() : 9999);
    } else {
        SetFirstPage(1);
        SetLastPage(9999);
    }
    readSettings();
    return true;
}

void TPagePrinter::DoBeginDocument()
{
    printer->setDocName(Title());
    printer->setCopyCount(Copies());
    printer->setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (!ownPainter.begin(printer.get())) {
        const QString name = printer->outputFormat() == QPrinter::PdfFormat ? printer->outputFileName()
                                                                           : printer->printerName();
        throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(name));
    }
    readDevice();
    painter = &ownPainter;
    TCanvasPageEngine::DoBeginDocument();
}

void TPagePrinter::DoEndDocument()
{
    TCanvasPageEngine::DoEndDocument();
    if (ownPainter.isActive())
        ownPainter.end();
    painter = nullptr;
}

void TPagePrinter::DoNewPage()
{
    if (ownPainter.isActive() && !printer->newPage())
        throw EPrinter(QStringLiteral("Unable to start a new page on the printer"));
}

void TPagePrinter::DoAbort()
{
    if (ownPainter.isActive())
        printer->abort();
}

} // namespace bv
