#pragma once
// The print status window: runs one job that puts the card of the design
// panel on sheets, either to the printer (a TPagePrinter) or into a
// recording for the preview window (a TPageRecorder). The job runs when the
// window is first shown; Cancel (printing, with confirmation) or Stop
// (preview) ends it early, and at the end the button becomes "OK", which
// closes the window.
//
//     TLabelPrinter status;
//     status.Panel = &panel;                 // whose objects are printed
//     status.Engine = &printer;              // or a recorder for a preview
//     status.Sheet = TImposition::FromLayout(layout, nudges, panel.Rotated());
//     status.Selected = selection;
//     status.Sheets = 3;
//     Interaction::Current().RunModal(status);   // the job runs inside
#include "platform/Dib.h"
#include "printing/Imposition.h"

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;

namespace bv {

class TGBusinessCardPanel32;
class TPageEngine;

class TLabelPrinter : public QDialog {
    Q_OBJECT
public:
    enum TBackgroundKind { bkNone, bkMetafile, bkBitmap };

    // FormCreate: controls, no job yet.
    explicit TLabelPrinter(QWidget* parent = nullptr);
    ~TLabelPrinter() override;

    // ---- The job, filled in before the window is shown -----------------------
    TGBusinessCardPanel32* Panel = nullptr;
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
    // Set by Stop (and by a confirmed Cancel); the walk ends before the next
    // position.
    bool CancelRequested = false;
    // Card size, counts, effective margins and pitches, orientation.
    TImposition Sheet;
    QString BackgroundFile;
    // Copies the printer driver can make by itself. When unset, a
    // TPagePrinter engine is asked; any other engine makes none.
    std::function<int()> DriverCopies;

    // ---- What LoadBackGround prepared -------------------------------------------
    TBackgroundKind BackgroundKind() const { return backgroundKind; }
    const Dib& BackgroundBitmap() const { return backgroundBitmap; }

    // ---- Handlers -------------------------------------------------------------
    // First activation: runs the whole job and shows the final status.
    void FormActivate();
    void CancelButtonClick();
    void BeforePrintLabels(TPageEngine& engine);
    void PrintLabels(TPageEngine& engine);
    void AfterPrintLabels(TPageEngine& engine);
    void LoadBackGround();
    void PrintBackGround(double x, double y);

    // ---- State after the job ------------------------------------------------------
    bool JobRunning() const { return running; }
    bool JobFinished() const { return finished; }
    // The job ended on an error (its message is in the status text).
    bool JobFailed() const { return !errorMessage.isEmpty(); }
    QString ErrorMessage() const { return errorMessage; }
    // Card positions drawn, in order (index row × across + column), over all
    // pages of the job.
    const QList<int>& PositionsDrawn() const { return drawn; }

    QLabel* RStatusLabel = nullptr;
    QLabel* Extralabel = nullptr;
    QPushButton* CancelButton = nullptr;

    // Escape and the title bar's close button act as the status button.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int driverCopies() const;
    void finishStatus();

    TBackgroundKind backgroundKind = bkNone;
    Dib backgroundBitmap;
    bool activated = false;
    bool running = false;
    bool finished = false;
    QString errorMessage;
    QList<int> drawn;
};

} // namespace bv
