#pragma once
// The page engine on a printer (QPrinter: CUPS queues, or a PDF file).
//
// Device facts come from the printer: its resolution and the unprintable
// margins of the chosen paper, orientation and queue (the printable area's
// top-left corner is device pixel (0, 0), as the coordinate rule expects).
// Settings are applied to the printer when a job starts, after
// OnBeforePrint, so that handler may still change paper, orientation and
// copies.
//
//     TPagePrinter printer;               // the default queue
//     printer.SetOutputFileName("x.pdf"); // or a PDF file instead
//     printer.SetPaper(PaperLetter);
//     printer.OnPrint = [](TPageEngine& e) { e.Rectangle(1, 1, 2, 2); };
//     printer.Execute();                  // throws EPrinter when it cannot start
#include "pageengine/PageCanvasEngine.h"

#include <QPageSize>
#include <QPainter>
#include <QStringList>
#include <memory>

class QPrinter;
class QWidget;

namespace bv {

class TPagePrinter : public TCanvasPageEngine {
public:
    TPagePrinter();
    ~TPagePrinter() override;

    QPrinter& Printer() { return *printer; }

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
    QPageSize PageSize() const { return pageSize; }
    void SetPageSize(const QPageSize& size);
    void SetOrientation(int value) override;
    void SetCopies(int value) override;
    // Copies the driver makes by itself: 1 when it cannot, and 1 whenever
    // the output goes to a file (a file holds what was drawn, no more).
    int MaxCopies() const;

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

protected:
    void DoBeginDocument() override;
    void DoEndDocument() override;
    void DoNewPage() override;
    void DoAbort() override;

private:
    void readDevice();
    void readSettings();
    void applyPageSize();

    std::unique_ptr<QPrinter> printer;
    // The queue jobs go to when no output file is set.
    QString queueName;
    QPageSize pageSize{QPageSize::Letter};
    QPainter ownPainter;
};

// Qt's printer does not report a failed write of a PDF file: a whole file
// ends with the trailer it writes last.
bool EndsWithPdfTrailer(const QString& path);

} // namespace bv
