#pragma once
// The print commands of the main window: Print, Preview, Print Outline Test
// Page, Printer Setup and Printer Fine Tuning, and the job they share
// (DoPrint). The main window keeps one of these beside its design and
// calls the command methods from its menu entries and buttons; the command
// line tool uses the same object, so a sheet comes out the same either way.
//
//     TPrintCommands printing(panel.Model(), mainWindow);
//     printing.Layout = [this] { return layout; };
//     printing.BackgroundFile = [this] { return BackgroundFile; };
//     printing.Preferences = &preferences;      // nudges, bottom-margin warning
//     printing.SavePreferences = [this] { TSettings().SavePreferences(preferences); };
//     if (PrinterReady(true)) printing.CreateMainPagePrinter();
//     connect(printAction, &QAction::triggered, [&] { printing.mnuPrintClick(); });
#include "document/Settings.h"
#include "printing/Imposition.h"
#include "printing/MergeCards.h"

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace bv {

class TDesignModel;
class TPagePrinter;

// How one DoPrint ended.
struct TPrintOutcome {
    bool Ran = false;       // the status window ran a job
    bool Aborted = false;   // cancelled or stopped
    QString Error;          // the job failed with this message
    int Pages = 0;          // pages composed (the last page number)
    int Copies = 1;         // copies asked of the printer driver
    QList<int> PositionsDrawn;
};

class TPrintCommands {
public:
    TPrintCommands(TDesignModel& design, QWidget* owner = nullptr);
    ~TPrintCommands();
    TPrintCommands(const TPrintCommands&) = delete;
    TPrintCommands& operator=(const TPrintCommands&) = delete;

    // ---- What the main window provides ------------------------------------------------
    std::function<TCardLayout()> Layout;
    std::function<QString()> BackgroundFile;
    // The program-wide preferences (nudges, ShowBottomMarginWarning); not owned.
    TPreferences* Preferences = nullptr;
    // Writes the preferences to QRD.INI.
    std::function<void()> SavePreferences;
    // The printer's unprintable bottom margin in inches, read after the
    // device was reset; unset: the main page printer's OffsetBottom.
    std::function<double()> PrinterBottomMargin;
    // The design's file (empty or unset: not saved yet). A back design
    // beside it (BackDesignPath) can go on the other side of the sheets.
    std::function<QString()> DesignFile;

    // ---- State ---------------------------------------------------------------------------
    // Card positions chosen for printing; all selected at start-up, kept for
    // the whole run, never saved.
    TCardSelection SelectedCards = AllCardsSelected();
    // Asked for in the Print dialog: crop marks in the sheet's margin (the
    // outline test page always has them) and a bleed beyond each card.
    bool CropMarks = false;
    bool SheetBleed = false;
    // Asked for in the Print dialog when the design has a back: the sheets
    // get the back on their other side, the sheet turned about its long
    // edge (else its short edge). A queue that prints both sides does so;
    // otherwise the fronts print, the user turns the stack, the backs print.
    // A PDF file gets each front page followed by its back page.
    bool BothSides = false;
    bool FlipLongEdge = true;
    // The back design beside the design file; empty when there is none.
    QString BackFile() const;
    // The bleed a sheet gets, inches: the print-shop bleed last chosen, or
    // 1/8 inch or 3 mm by the units.
    double SheetBleedInches() const;
    // Print mode of the next DoPrint: printing (else preview) and outline test.
    bool PrintMode = true;
    bool OutlineTest = false;
    // A preview of whole sheets as they will print (every chosen position),
    // rather than the single card of the Preview command.
    bool SheetPreview = false;
    // Nobody watches (the batch tool): DoPrint runs the job without its
    // status window, so no modal window is needed.
    bool Unattended = false;
    // The mail merge the Print dialog chose (none: every card the same).
    // Kept for the run, never saved.
    TMergeChoice Merge;
    // Preview Sheet shows at most this many sheets of a merge (printing
    // from the preview prints them all).
    static constexpr int MaxMergePreviewSheets = 25;
    // Told when the Print dialog chose another merge file (the record
    // picker lists its records).
    std::function<void()> MergeChanged;

    // The main page printer, made once a printer has been found; it keeps
    // the printer choice, paper, orientation and copies between jobs and
    // prints the jobs.
    TPagePrinter* MainPagePrinter() const { return mainPrinter.get(); }
    void CreateMainPagePrinter();
    void SetMainPagePrinter(std::unique_ptr<TPagePrinter> printer);
    bool PrinterAvailable() const { return mainPrinter != nullptr; }

    // ---- Commands ------------------------------------------------------------------------
    void mnuPrintClick();
    void mnuPreviewClick();
    // "Preview Sheet": the Print Cards choice, then the chosen sheets in the
    // preview window, whose Print button prints them.
    void mnuPreviewSheetClick();
    // Prints one sheet of the chosen positions into a PDF file (vector, text
    // as text) without touching the main page printer's choices. False when
    // the job did not finish; the reason is in LastOutcome().
    bool ExportSheetPdf(const QString& path);
    void mnuPrintOutlineTestPageClick();
    void mnuPrinterSetupClick();
    void mnuPrinterFineTuningClick();
    // The "Print Cards" dialog; true (and SelectedCards taken) on "Ok".
    bool DoPageSetup();
    // Runs one job in the mode set by the command; the design's zoom is 1
    // while it runs and restored afterwards, also after an error.
    TPrintOutcome DoPrint();

    const TPrintOutcome& LastOutcome() const { return lastOutcome; }

    // The sheet geometry DoPrint will use (layout + nudges, design turn).
    TImposition CurrentImposition() const;

private:
    TPrinterNudges nudges() const;
    // One job of DoPrint, with the back as set in the three members below.
    TPrintOutcome printPass();
    int backPages = 0; // a TSheetJob::TBackPages
    TDesignModel* backDesign = nullptr;
    QString backBackground;
    // Print's work after the Print Cards dialog: the bottom-margin warning,
    // then the job.
    void printChosenSheets();
    bool printFromPreview = false;

    TDesignModel& design;
    QWidget* owner;
    std::unique_ptr<TPagePrinter> mainPrinter;
    TPrintOutcome lastOutcome;
};

} // namespace bv
