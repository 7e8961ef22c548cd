#pragma once
// The page engine on a printer: a CUPS queue, or a PDF file.
//
// Either way the job is written as a PDF (pageengine/PdfJob.h): every
// distinct card is drawn once and placed at its positions, gradients are
// shadings, pictures keep their pixels. A file receives it; a queue
// receives it as one PDF job through CUPS with the options chosen (copies,
// paper, two-sided printing, page range). Output to a file never asks the
// print service anything.
//
// Device facts come from the queue (its resolution and the unprintable
// margins of the chosen paper, orientation and queue) or, for a file, from
// the paper alone (no margins). While a job runs, drawing goes onto the
// PDF: 1200 pixels per inch from the sheet's physical corner. Settings are
// applied when a job starts, after OnBeforePrint, so that handler may still
// change paper, orientation and copies.
//
//     TPagePrinter printer;               // the default queue
//     TPagePrinter file("x.pdf");         // or a PDF file, no print service
//     printer.SetPaper(PaperLetter);
//     printer.OnPrint = [](TPageEngine& e) { e.Rectangle(1, 1, 2, 2); };
//     printer.Execute();                  // throws EPrinter when it cannot start
#include "pageengine/PageCanvasEngine.h"

#include <QPageSize>
#include <QPainter>
#include <QRectF>
#include <QStringList>
#include <memory>

class QPrinter;
class QTemporaryFile;
class QWidget;

namespace bv {

class AtomicFile;
class TPdfJob;

class TPagePrinter : public TCanvasPageEngine {
public:
    // On the default queue.
    TPagePrinter();
    // Into a PDF file; the print service is not asked until a queue is
    // chosen.
    explicit TPagePrinter(const QString& outputFile);
    ~TPagePrinter() override;

    // The platform printer of the queue (made when first needed; its print
    // dialog settings apply to the queue's jobs).
    QPrinter& Printer();

    // Installed printers (PrinterList::Current) and the one in use (-1: none,
    // or PDF output). The engine keeps the queue chosen here; a job refuses
    // to start when the print system no longer offers it, rather than
    // printing somewhere else.
    QStringList Printers() const;
    int PrinterIndex() const;
    QString PrinterName() const;
    // Selects a queue by name; false when there is no such printer.
    bool SetPrinterName(const QString& name);

    // PDF output into this file; empty returns to the printer queue.
    QString OutputFileName() const;
    void SetOutputFileName(const QString& path);

    // Paper() names Letter or A4 only; PageSize() is the sheet the printer
    // is asked for, which the printer setup may set to any size it offers.
    void SetPaper(int code) override;
    // Any sheet: the printer is asked for exactly this size, under its media
    // name when the queue takes one.
    void SetPaperSheet(int code, const QSizeF& inches, const QString& media) override;
    QPageSize PageSize() const { return pageSize; }
    void SetPageSize(const QPageSize& size);
    void SetOrientation(int value) override;
    void SetCopies(int value) override;
    // Copies the driver makes by itself: 1 when it cannot, and 1 whenever
    // the output goes to a file (a file holds what was drawn, no more).
    int DriverCopies() const override;

    // Re-reads the device facts and resets the margins to 0.
    void ResetDevice();

    // The "Printer Setup" dialog (printer, paper, orientation; its
    // Properties button opens the platform's page setup) through the
    // interaction seam. On OK the chosen printer, paper and orientation
    // apply to the next job and true is returned; Cancel changes nothing.
    // Without a parent the active window is used.
    bool PrinterSetupDialog(QWidget* parent = nullptr);
    // The platform's print dialog (printer, copies, page range); sets Copies,
    // FirstPage and LastPage and returns true when confirmed.
    bool PrintDialog();

    // Trim and bleed boxes written on every page of the next jobs (inches
    // from the sheet's corner; empty rectangles: none), as print shops read
    // them.
    void SetPageBoxes(const QRectF& trim, const QRectF& bleed)
    {
        trimBox = trim;
        bleedBox = bleed;
    }

    // The sides the next queue jobs ask for ("two-sided-long-edge", ...),
    // whatever the print dialog chose; empty: the print dialog's choice.
    void SetSidesRequest(const QString& sides) { sidesRequest = sides; }
    QString SidesRequest() const { return sidesRequest; }

    // The last job's PDF as written (empty before the first job).
    qint64 LastJobBytes() const { return lastJobBytes; }

protected:
    void DoBeginDocument() override;
    void DoEndDocument() override;
    void DoNewPage() override;
    void DoAbort() override;
    void DoPlaceBlock(const QString& key, double x1, double y1, double x2, double y2, double left, double top,
        const BlockDrawing& draw) override;
    bool DoFillBands(const TDeviceRect& area, bool across, const QList<TColor>& colours) override;

private:
    void readDevice();
    void readSettings();
    void applyPageSize();
    bool queueMode() const;
    // The file the job goes to: the engine's, or "print to file" of the
    // queue's print dialog; empty for the queue.
    QString targetFile() const;
    QList<QPair<QString, QString>> queueOptions() const;

    std::unique_ptr<QPrinter> printer;
    // PDF output file; empty: the queue (or the queue printer's own file).
    QString outputFile;
    QString sidesRequest;
    // The queue jobs go to when no output file is set.
    QString queueName;
    bool queueKnown = false;
    QPageSize pageSize{QPageSize::Letter};
    std::unique_ptr<TPdfJob> job;
    // Where the job's PDF goes as it is made: the output file (renamed into
    // place when the job ends well), or a spool file for the queue.
    std::unique_ptr<AtomicFile> fileOut;
    std::unique_ptr<QTemporaryFile> spool;
    bool drawingBlock = false;
    qint64 lastJobBytes = 0;
    QRectF trimBox;
    QRectF bleedBox;
};

// Qt's printer does not report a failed write of a PDF file: a whole file
// ends with the trailer it writes last.
bool EndsWithPdfTrailer(const QString& path);

} // namespace bv
