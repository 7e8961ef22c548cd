#include "pageengine/PagePrinter.h"

#include "pageengine/PageSetupDialog.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "platform/Printers.h"

#include <QApplication>
#include <QFile>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace bv {

namespace {
// The printer list, or nothing when the print system cannot answer.
QStringList installedPrinters()
{
    try {
        return PrinterList::Current().PrinterNames();
    } catch (const std::runtime_error&) {
        return {};
    }
}

QString defaultPrinter()
{
    try {
        return PrinterList::Current().DefaultPrinterName();
    } catch (const std::runtime_error&) {
        return {};
    }
}
} // namespace

TPagePrinter::TPagePrinter()
    : printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    SetTitle(QStringLiteral("Brisvale"));
    queueName = defaultPrinter();
    if (!queueName.isEmpty())
        printer->setPrinterName(queueName);
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
    return installedPrinters();
}

int TPagePrinter::PrinterIndex() const
{
    const QString name = PrinterName();
    return name.isEmpty() ? -1 : static_cast<int>(Printers().indexOf(name));
}

QString TPagePrinter::PrinterName() const
{
    return printer->outputFileName().isEmpty() ? queueName : QString();
}

bool TPagePrinter::SetPrinterName(const QString& name)
{
    if (!Printers().contains(name))
        return false;
    queueName = name;
    printer->setOutputFileName(QString());
    printer->setOutputFormat(QPrinter::NativeFormat);
    printer->setPrinterName(name);
    // Another queue may start from its own sheet; keep the one chosen.
    applyPageSize();
    printer->setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
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
    applyPageSize();
    printer->setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    ResetDevice();
}

void TPagePrinter::SetPaper(int code)
{
    TPageEngine::SetPaper(code);
    pageSize = QPageSize(Paper() == PaperA4 ? QPageSize::A4 : QPageSize::Letter);
    applyPageSize();
}

void TPagePrinter::SetPageSize(const QPageSize& size)
{
    if (!size.isValid())
        return;
    if (size.id() == QPageSize::A4 || size.id() == QPageSize::Letter) {
        SetPaper(size.id() == QPageSize::A4 ? PaperA4 : PaperLetter);
        return;
    }
    // Any other sheet counts as Letter for the paper code; the printer is
    // asked for the sheet itself and the device facts follow it.
    TPageEngine::SetPaper(PaperLetter);
    pageSize = size;
    applyPageSize();
}

void TPagePrinter::applyPageSize()
{
    printer->setPageSize(pageSize);
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
    if (!printer->outputFileName().isEmpty())
        return 1;
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
    pageSize = layout.pageSize();
    const QPageSize::PageSizeId id = pageSize.id();
    if (id == QPageSize::A4)
        TPageEngine::SetPaper(PaperA4);
    else
        TPageEngine::SetPaper(PaperLetter);
    // The platform's print dialog may have picked another queue.
    if (printer->outputFileName().isEmpty() && printer->outputFormat() == QPrinter::NativeFormat)
        queueName = printer->printerName();
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

bool TPagePrinter::PrinterSetupDialog(QWidget* parent)
{
    TPageSetupDialog dialog(parent ? parent : QApplication::activeWindow());
    dialog.SetSettings(PrinterName(), OutputFileName(), pageSize, Orientation());
    PlaceDialog(dialog);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    const QString name = dialog.PrinterName();
    // An empty choice is the output file the engine already writes.
    // A printer removed while the dialog was open cannot take the jobs; say
    // so rather than print on the old one as if it had been chosen.
    if (!name.isEmpty() && name != PrinterName() && !SetPrinterName(name))
        Interaction::Current().ShowError(QStringLiteral("The printer \"%1\" is no longer installed.").arg(name));
    SetPageSize(dialog.PageSize());
    SetOrientation(dialog.Orientation());
    ResetDevice();
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
    if (printer->outputFileName().isEmpty()
        && (printer->outputFormat() != QPrinter::NativeFormat || printer->printerName() != queueName))
        // The print system does not offer the chosen queue (any more): the
        // job must not land on another printer.
        throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(queueName));
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

bool EndsWithPdfTrailer(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 16)
        return false;
    file.seek(file.size() - 16);
    return file.read(16).contains("%%EOF");
}

} // namespace bv
