#include "pageengine/PagePrinter.h"

#include "pageengine/PageSetupDialog.h"
#include "pageengine/PdfJob.h"
#include "pageengine/PrintQueueJob.h"
#include "pictures/Picture.h"
#include "platform/AtomicFile.h"
#include "platform/DialogHooks.h"
#include "platform/Interaction.h"
#include "platform/Printers.h"

#include <QApplication>
#include <QFile>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <exception>

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
{
    SetTitle(QStringLiteral("Brisvale"));
    queueName = defaultPrinter();
    queueKnown = true;
    Printer();
    SetPaper(PaperLetter);
    ResetDevice();
}

TPagePrinter::TPagePrinter(const QString& file)
    : outputFile(file)
{
    SetTitle(QStringLiteral("Brisvale"));
    SetPaper(PaperLetter);
    ResetDevice();
}

TPagePrinter::~TPagePrinter()
{
    if (job) {
        SetPainter(nullptr);
        job.reset();
    }
}

QPrinter& TPagePrinter::Printer()
{
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!queueKnown) {
            queueName = defaultPrinter();
            queueKnown = true;
        }
        if (!queueName.isEmpty())
            printer->setPrinterName(queueName);
        printer->setPageSize(pageSize);
        printer->setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer->setFullPage(false);
        printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    }
    return *printer;
}

bool TPagePrinter::queueMode() const
{
    return targetFile().isEmpty();
}

QString TPagePrinter::targetFile() const
{
    if (!outputFile.isEmpty())
        return outputFile;
    return printer ? printer->outputFileName() : QString();
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
    return queueMode() ? queueName : QString();
}

bool TPagePrinter::SetPrinterName(const QString& name)
{
    if (!Printers().contains(name))
        return false;
    queueName = name;
    queueKnown = true;
    outputFile.clear();
    QPrinter& p = Printer();
    p.setOutputFileName(QString());
    p.setOutputFormat(QPrinter::NativeFormat);
    p.setPrinterName(name);
    // Another queue may start from its own sheet; keep the one chosen.
    applyPageSize();
    p.setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    ResetDevice();
    return true;
}

QString TPagePrinter::OutputFileName() const
{
    return targetFile();
}

void TPagePrinter::SetOutputFileName(const QString& path)
{
    outputFile = path;
    if (path.isEmpty()) {
        QPrinter& p = Printer();
        p.setOutputFileName(QString());
        p.setOutputFormat(QPrinter::NativeFormat);
    } else if (printer) {
        printer->setOutputFileName(QString());
    }
    applyPageSize();
    if (printer)
        printer->setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    ResetDevice();
}

void TPagePrinter::SetPaper(int code)
{
    TPageEngine::SetPaper(code);
    pageSize = QPageSize(Paper() == PaperA4 ? QPageSize::A4 : QPageSize::Letter);
    applyPageSize();
}

void TPagePrinter::SetPaperSheet(int code, const QSizeF& inches, const QString& media)
{
    TPageEngine::SetPaperSheet(code, inches, media);
    if (PaperSheet().isEmpty()) {
        SetPaper(code);
        return;
    }
    // Exactly the sheet asked for, also where a common size lies close by.
    pageSize = QPageSize(PaperSheet(), QPageSize::Inch, QString(), QPageSize::ExactMatch);
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
    if (printer)
        printer->setPageSize(pageSize);
    readDevice();
}

void TPagePrinter::SetOrientation(int value)
{
    TPageEngine::SetOrientation(value);
    if (printer)
        printer->setPageOrientation(Orientation() == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    readDevice();
}

void TPagePrinter::SetCopies(int value)
{
    TPageEngine::SetCopies(value);
}

int TPagePrinter::DriverCopies() const
{
    if (!targetFile().isEmpty())
        return 1;
    // Qt knows only whether the driver collates copies itself, not a limit.
    return const_cast<TPagePrinter*>(this)->Printer().supportsMultipleCopies() ? 9999 : 1;
}

namespace {
// The sheet as the PDF has it: the paper as oriented, no margins.
TDeviceFacts pdfFacts(const QPageSize& size, int orientation, double resolution)
{
    const QPageLayout layout(size, orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(0, 0, 0, 0));
    const QRectF full = layout.fullRect(QPageLayout::Inch);
    return TDeviceFacts{resolution, resolution, 0, 0, 0, full.width(), full.height()};
}
constexpr int PdfResolution = 1200;
} // namespace

void TPagePrinter::readDevice()
{
    if (job)
        return; // the job's PDF is the device until it ends
    if (!queueMode() || !printer) {
        facts = pdfFacts(pageSize, Orientation(), PdfResolution);
        return;
    }
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
    QPrinter& p = Printer();
    const QPageLayout layout = p.pageLayout();
    const bool sameSheet = layout.pageSize().isEquivalentTo(pageSize);
    pageSize = layout.pageSize();
    const QPageSize::PageSizeId id = pageSize.id();
    // A sheet set by size stays as it was (with its media name) unless the
    // dialog chose another.
    if (!sameSheet || PaperSheet().isEmpty())
        TPageEngine::SetPaper(id == QPageSize::A4 ? PaperA4 : PaperLetter);
    // The platform's print dialog may have picked another queue.
    if (p.outputFileName().isEmpty() && p.outputFormat() == QPrinter::NativeFormat)
        queueName = p.printerName();
    TPageEngine::SetOrientation(layout.orientation() == QPageLayout::Landscape ? poLandscape : poPortrait);
    readDevice();
}

void TPagePrinter::ResetDevice()
{
    // The smallest margins the device allows: drawing starts at the corner
    // of its printable area.
    if (printer) {
        printer->setFullPage(false);
        printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    }
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
    QPrinter& p = Printer();
    p.setCopyCount(Copies());
    QPrintDialog dialog(&p);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setMinMax(1, 9999);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    TPageEngine::SetCopies(p.copyCount());
    if (p.printRange() == QPrinter::PageRange && p.fromPage() > 0) {
        SetFirstPage(p.fromPage());
        SetLastPage(p.toPage() > 0 ? p.toPage() : 9999);
    } else {
        SetFirstPage(1);
        SetLastPage(9999);
    }
    readSettings();
    return true;
}

namespace {
// The sheet's self-describing media name (PWG 5101.1) for CUPS: the one
// given with the sheet when it is still the sheet asked for.
QString mediaName(const QPageSize& size, const QString& given)
{
    if (!given.isEmpty())
        return given;
    switch (size.id()) {
    case QPageSize::Letter: return QStringLiteral("na_letter_8.5x11in");
    case QPageSize::Legal: return QStringLiteral("na_legal_8.5x14in");
    case QPageSize::A4: return QStringLiteral("iso_a4_210x297mm");
    case QPageSize::A5: return QStringLiteral("iso_a5_148x210mm");
    default: break;
    }
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return QStringLiteral("custom_%1x%2mm_%1x%2mm").arg(mm.width(), 0, 'f', 1).arg(mm.height(), 0, 'f', 1);
}
} // namespace

QList<QPair<QString, QString>> TPagePrinter::queueOptions() const
{
    QList<QPair<QString, QString>> options;
    options.append({QStringLiteral("copies"), QString::number(Copies())});
    options.append({QStringLiteral("media"), mediaName(pageSize, PaperMedia())});
    // Inches on the sheet are inches on paper.
    options.append({QStringLiteral("print-scaling"), QStringLiteral("none")});
    if (FirstPage() > 1 || LastPage() < 9999)
        options.append({QStringLiteral("page-ranges"),
            QStringLiteral("%1-%2").arg(FirstPage()).arg(std::max(FirstPage(), LastPage()))});
    if (!sidesRequest.isEmpty())
        options.append({QStringLiteral("sides"), sidesRequest});
    if (!printer)
        return options;
    if (sidesRequest.isEmpty()) {
        switch (printer->duplex()) {
        case QPrinter::DuplexNone: options.append({QStringLiteral("sides"), QStringLiteral("one-sided")}); break;
        case QPrinter::DuplexLongSide:
            options.append({QStringLiteral("sides"), QStringLiteral("two-sided-long-edge")});
            break;
        case QPrinter::DuplexShortSide:
            options.append({QStringLiteral("sides"), QStringLiteral("two-sided-short-edge")});
            break;
        case QPrinter::DuplexAuto: break; // the queue's default
        }
    }
    if (printer->colorMode() == QPrinter::GrayScale)
        options.append({QStringLiteral("print-color-mode"), QStringLiteral("monochrome")});
    if (Copies() > 1 && !printer->collateCopies())
        options.append({QStringLiteral("collate"), QStringLiteral("false")});
    // What the print dialog's options page chose (pairs of name and value),
    // which Qt keeps for its own CUPS jobs.
    if (QPrintEngine* engine = printer->printEngine()) {
        const QStringList more = engine->property(QPrintEngine::PrintEnginePropertyKey(0xfe00)).toStringList();
        for (qsizetype i = 0; i + 1 < more.size(); i += 2)
            options.append({more[i], more[i + 1]});
    }
    return options;
}

void TPagePrinter::DoBeginDocument()
{
    const QString file = targetFile();
    if (file.isEmpty()) {
        QPrinter& p = Printer();
        if (queueName.isEmpty() || p.outputFormat() != QPrinter::NativeFormat || p.printerName() != queueName)
            // The print system does not offer the chosen queue (any more): the
            // job must not land on another printer.
            throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(queueName));
        if (!Printers().contains(queueName))
            throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(queueName));
    }
    if (printer)
        printer->setDocName(Title());
    // The PDF is written as the sheets are made: into the file (the old
    // file stays until the job ends well), or a spool file for the queue.
    fileOut.reset();
    spool.reset();
    TPdfOutput output;
    if (file.isEmpty()) {
        spool = std::make_unique<QTemporaryFile>();
        if (!spool->open())
            throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(queueName));
        output = [device = spool.get(), name = queueName](const QByteArray& bytes) {
            if (device->write(bytes) != bytes.size())
                throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(name));
        };
    } else {
        fileOut = std::make_unique<AtomicFile>(file);
        output = [out = fileOut.get()](const QByteArray& bytes) { out->Write(bytes); };
    }
    try {
        job = std::make_unique<TPdfJob>(Title(), pageSize, Orientation() == poLandscape, PdfResolution, output);
    } catch (const Exception&) {
        fileOut.reset();
        spool.reset();
        throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(file.isEmpty() ? queueName : file));
    }
    job->SetPageBoxes(trimBox, bleedBox);
    if (!job->SheetPainter()) {
        job.reset();
        throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(file.isEmpty() ? queueName : file));
    }
    facts = pdfFacts(pageSize, Orientation(), PdfResolution);
    painter = job->SheetPainter();
    TCanvasPageEngine::DoBeginDocument();
}

void TPagePrinter::DoEndDocument()
{
    TCanvasPageEngine::DoEndDocument();
    painter = nullptr;
    std::unique_ptr<TPdfJob> done = std::move(job);
    std::unique_ptr<AtomicFile> toFile = std::move(fileOut);
    std::unique_ptr<QTemporaryFile> toQueue = std::move(spool);
    readDevice();
    // An aborted or failed job sends nothing anywhere (the file's temporary
    // copy goes with it).
    if (!done || Aborted() || std::current_exception())
        return;
    done->Finish();
    lastJobBytes = done->BytesWritten();
    done.reset();
    if (toFile) {
        toFile->Commit();
        return;
    }
    if (!toQueue || !toQueue->flush() || !toQueue->seek(0))
        throw EPrinter(QStringLiteral("Unable to start printing on \"%1\"").arg(queueName));
    SendPdfToQueue(queueName, Title(), *toQueue, queueOptions());
}

void TPagePrinter::DoNewPage()
{
    if (!job)
        return;
    SetPainter(nullptr);
    job->NewSheet();
    SetPainter(job->SheetPainter());
}

void TPagePrinter::DoAbort()
{
    // Nothing has left the program yet: the job is dropped when it ends.
}

void TPagePrinter::DoPlaceBlock(const QString& key, double x1, double y1, double x2, double y2, double left,
    double top, const BlockDrawing& draw)
{
    if (!job || drawingBlock || !canDraw()) {
        TCanvasPageEngine::DoPlaceBlock(key, x1, y1, x2, y2, left, top, draw);
        return;
    }
    if (x2 < x1)
        std::swap(x1, x2);
    if (y2 < y1)
        std::swap(y1, y2);
    const QSizeF size(x2 - x1, y2 - y1);
    int block = job->FindBlock(key, size);
    if (block < 0) {
        // Drawn once, on a page of its own the block's size, with its corner
        // at the page's corner.
        drawingBlock = true;
        QPainter* blockPainter = job->BeginBlock(key, size);
        // The card's large bitmaps are written by the job: once per job,
        // their pixels compressed a row at a time, at zlib's fastest level
        // (Qt's writer makes a full copy of the pixels and compresses at the
        // default level). A picture splits the card's drawing in two, some
        // hundred bytes: small pictures (logos on every card of a merge)
        // stay with Qt's writer, which also writes each once.
        struct Drawer {
            Drawer(const QPaintDevice* device, TPicture::BitmapDrawer draw)
            {
                TPicture::SetBitmapDrawer(device, std::move(draw));
            }
            ~Drawer() { TPicture::SetBitmapDrawer(nullptr, nullptr); }
        } drawer(blockPainter->device(), [this](QPainter& p, const QRectF& box, const QImage& image) {
            constexpr qsizetype Large = 512 * 1024;
            if (!job || !drawingBlock || image.isNull() || image.sizeInBytes() < Large)
                return false;
            TPdfPicture picture;
            picture.Image = image;
            const QTransform toDevice = p.combinedTransform();
            picture.ToDevice = QTransform(box.width(), 0, 0, box.height(), box.left(), box.top()) * toDevice;
            if (p.hasClipping())
                picture.Clip = toDevice.map(p.clipPath());
            picture.Opacity = p.opacity();
            job->AddPicture(picture);
            return true;
        });
        const DrawTarget sheet = SwitchTarget(blockPainter,
            TDeviceFacts{double(PdfResolution), double(PdfResolution), 0, 0, 0, size.width(), size.height()});
        try {
            DoBeginBlockClip(0, 0, size.width(), size.height());
            draw(*this, -MarginLeft(), -MarginTop());
            DoEndBlockClip();
        } catch (...) {
            RestoreTarget(sheet);
            drawingBlock = false;
            throw;
        }
        RestoreTarget(sheet);
        drawingBlock = false;
        block = job->EndBlock();
    }
    job->Place(block, x1, y1);
}

bool TPagePrinter::DoFillBands(const TDeviceRect& area, bool across, const QList<TColor>& colours)
{
    if (!job || !drawingBlock || !canDraw() || !TPdfJob::ShadingFits(colours))
        return false;
    TPdfShading shading;
    shading.Clip = ClipPath();
    shading.BlockClip = BlockClipRect();
    shading.Area = area.ToQRect();
    shading.Across = across;
    shading.Colours = colours;
    // The shading ends the block's current page; the drawing goes on on the
    // next one with the same state.
    SetPainter(nullptr);
    SetPainter(job->AddShading(shading));
    return true;
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
