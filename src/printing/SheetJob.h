#pragma once
// One sheet job: puts the card of a design on sheets, either to the
// printer or a PDF file (a TPagePrinter) or into a recording for the preview
// window (a TPageRecorder). It knows nothing of windows: whoever runs it
// watches its progress through OnCard and OnIdle and may Cancel it between
// cards. The status window (TLabelPrinter) shows it to the user; the batch
// tool runs it unattended.
//
//     TSheetJob job;
//     job.Design = &design;                // whose objects are printed
//     job.Engine = &printer;              // or a recorder for a preview
//     job.Sheet = TImposition::FromLayout(layout, nudges, design.Rotated());
//     job.Selected = selection;
//     job.Sheets = 3;
//     job.Run();                          // or show it in a TLabelPrinter
#include "platform/Dib.h"
#include "pictures/Metafile.h"
#include "printing/Imposition.h"

#include <QLineF>
#include <QList>
#include <QRectF>
#include <QString>
#include <functional>

namespace bv {

class TCardSource;
class TDesignModel;
class TPageEngine;

class TSheetJob {
public:
    enum TBackgroundKind { bkNone, bkMetafile, bkBitmap };

    TSheetJob() = default;
    // The engine outlives the job: it does not keep the job's handlers.
    ~TSheetJob();
    TSheetJob(const TSheetJob&) = delete;
    TSheetJob& operator=(const TSheetJob&) = delete;

    // ---- The job, filled in before it runs --------------------------------------
    TDesignModel* Design = nullptr;
    // The engine the job draws with (not owned).
    TPageEngine* Engine = nullptr;
    // Sheets to produce.
    int Sheets = 1;
    TCardSelection Selected = AllCardsSelected();
    // True: to the printer; false: a preview recording.
    bool PrintingMode = true;
    // Only the card outlines are drawn.
    bool OutlineTest = false;
    // A preview of the whole sheet: every selected position, no outlines.
    bool WholeSheet = false;
    // Card size, counts, effective margins and pitches, orientation.
    TImposition Sheet;
    // Crop marks in the page margin in line with every cut of the grid,
    // never over a card (the outline test page has them too when asked).
    bool CropMarks = false;
    // Bleed around each card, inches: the background art and whatever
    // overhangs the card's edge print on beyond the cut, up to half the gap
    // to a neighbouring card (cards that touch share none) and the page edge.
    double Bleed = 0;
    QString BackgroundFile;
    // Copies the printer driver can make by itself. When unset, the engine
    // is asked (TPageEngine::DriverCopies).
    std::function<int()> DriverCopies;
    // Names the card drawn at a position (index row × across + column):
    // positions with the same key show the same card, which an engine may
    // draw once and place again. Unset: every position shows the one card.
    std::function<QString(int index)> CardKey;
    // Which card each position shows (not owned). None: every position
    // shows the design as it stands, on `Sheets` sheets. With a source the
    // chosen positions take its cards in order across as many sheets as
    // they need, and Sheets is not used; the source's keys name the cards.
    TCardSource* Cards = nullptr;

    // ---- The card's back ------------------------------------------------------------
    // How the sheets' backs are printed: not at all; each front page
    // followed by its back page (a PDF file, or a queue printing both
    // sides); or the backs alone, the pages the fronts took in the same
    // order, for the stack turned over by hand.
    enum TBackPages { bpNone, bpInterleaved, bpBacksOnly };
    TBackPages BackPages = bpNone;
    // The back design (not owned) and its background art.
    TDesignModel* BackDesign = nullptr;
    QString BackBackgroundFile;
    // The sheet is turned over about its long edge (the back mirrors the
    // card positions across it: left-right on an upright page), else about
    // its short edge (top-bottom). The back of each card lands behind it.
    bool FlipLongEdge = true;
    // Where the back of the card at `front` goes on the back page.
    QRectF BackBox(const QRectF& front, double pageWidth, double pageHeight) const;

    // ---- Progress ----------------------------------------------------------------
    // Called with the position index (row × across + column) of each card
    // before it is drawn.
    std::function<void(int index)> OnCard;
    // Called before and after each card: a window lets its queued messages
    // run here, so that a Cancel click is seen.
    std::function<void()> OnIdle;

    // Runs the whole job once (a second call does nothing). An error ends
    // the job and is kept in ErrorMessage(); it is not raised.
    void Run();
    // Ends the job before the next card; the engine is aborted, which drops
    // a document spooled to a printer.
    void Cancel();

    // ---- Steps of the job (the engine's handlers) ------------------------------
    void BeforePrintLabels(TPageEngine& engine);
    void PrintLabels(TPageEngine& engine);
    void AfterPrintLabels(TPageEngine& engine);
    void LoadBackGround();
    void PrintBackGround(double x, double y);
    // With a bleed (inches), the art is enlarged evenly about the card's
    // centre until it covers the card and the bleed around it.
    void PrintBackGround(TPageEngine& engine, double x, double y, double bleed = 0);

    // ---- Geometry of the sheet ------------------------------------------------------
    // The crop marks of a page of this size (inches from its top-left corner).
    QList<QLineF> CropMarkLines(double pageWidth, double pageHeight) const;
    // The card at a position with the bleed it gets on this page.
    QRectF BleedBox(int row, int column, double pageWidth, double pageHeight) const;

    // ---- What LoadBackGround prepared -------------------------------------------
    TBackgroundKind BackgroundKind() const { return backgroundKind; }
    const Dib& BackgroundBitmap() const { return backgroundBitmap; }
    const Metafile& BackgroundMetafile() const { return backgroundMetafile; }

    // ---- State --------------------------------------------------------------------
    bool CancelRequested() const { return cancelRequested; }
    bool Running() const { return running; }
    bool Finished() const { return finished; }
    // The job ended on an error.
    bool Failed() const { return !errorMessage.isEmpty(); }
    QString ErrorMessage() const { return errorMessage; }
    // Cancelled, or the engine was aborted otherwise.
    bool Aborted() const;
    // Card positions drawn, in order (index row × across + column), over all
    // pages of the job.
    const QList<int>& PositionsDrawn() const { return drawn; }
    // The card of the source being drawn (or last drawn); -1 before the first.
    int CurrentCard() const { return currentCard; }

private:
    int driverCopies() const;
    void drawBacks(TPageEngine& engine, const QList<int>& positions);
    static void loadArt(const QString& file, bool rotated, TBackgroundKind& kind, Dib& bitmap, Metafile& metafile);
    void printArt(TPageEngine& engine, double x, double y, double bleed, TBackgroundKind kind, const Dib& bitmap,
        const Metafile& metafile);
    void idle();
    void detach();

    TBackgroundKind backgroundKind = bkNone;
    Dib backgroundBitmap;
    Metafile backgroundMetafile;
    TBackgroundKind backKind = bkNone;
    Dib backBitmap;
    Metafile backMetafile;
    bool cancelRequested = false;
    bool running = false;
    bool finished = false;
    QString errorMessage;
    QList<int> drawn;
    int currentCard = -1;
};

} // namespace bv
