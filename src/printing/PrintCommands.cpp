#include "printing/PrintCommands.h"
#include "document/Settings.h"
#include "printing/PrintShopDialog.h"

#include "document/AppServices.h"
#include "document/CardDocument.h"
#include "pageengine/PrintQueueJob.h"
#include "pageengine/PagePrinter.h"
#include "pageengine/PageRecorder.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "printing/LabelPrinter.h"
#include "printing/PreviewForm.h"
#include "printing/PrintCardsDialog.h"
#include "printing/PrintFineTune.h"
#include "printing/PrintShopDialog.h"
#include "printing/SheetJob.h"
#include "printing/WarnBottomMargin.h"
#include "richtext/RichBaseLabel.h"
#include "surface/DesignModel.h"
#include "surface/MergeFields.h"

#include <algorithm>

#include <QBuffer>
#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>
#include <QCoreApplication>
#include <QPrinter>
#include <QRadioButton>

namespace bv {

namespace {

// Puts the design's zoom back when the job ends, however it ends.
class ZoomRestore {
public:
    explicit ZoomRestore(TDesignModel& p) : design(p), zoom(p.Zoom()) {}
    ~ZoomRestore()
    {
        try {
            design.SetZoom(zoom);
        } catch (const std::exception&) {
            // Nothing may leave a destructor; the card keeps the job's zoom.
        }
    }
    ZoomRestore(const ZoomRestore&) = delete;
    ZoomRestore& operator=(const ZoomRestore&) = delete;

private:
    TDesignModel& design;
    Single zoom;
};

void showFailure(const QString& message)
{
    Interaction::Current().ShowError(message, QStringLiteral("Error"));
}

// Runs a command, reporting a failure (a refused settings file, a printer
// that cannot start) instead of letting it escape into the event loop.
template <typename F>
void guarded(F&& f)
{
    try {
        f();
    } catch (const std::exception&) {
        showFailure(DescribeCurrentException());
    }
}

} // namespace

TPrintCommands::TPrintCommands(TDesignModel& p, QWidget* o) : design(p), owner(o) {}

TPrintCommands::~TPrintCommands() = default;

void TPrintCommands::CreateMainPagePrinter()
{
    if (!mainPrinter)
        mainPrinter = std::make_unique<TPagePrinter>();
}

void TPrintCommands::SetMainPagePrinter(std::unique_ptr<TPagePrinter> printer)
{
    mainPrinter = std::move(printer);
}

TPrinterNudges TPrintCommands::nudges() const
{
    return Preferences ? Preferences->Nudges : TPrinterNudges();
}

TImposition TPrintCommands::CurrentImposition() const
{
    const TCardLayout layout = Layout ? Layout() : TCardLayout();
    return TImposition::FromLayout(layout, nudges(), design.Rotated());
}

void TPrintCommands::mnuPrintClick()
{
    if (!mainPrinter)
        return;
    guarded([this] {
        PrintMode = true;
        SheetPreview = false;
        const TCardLayout layout = Layout ? Layout() : TCardLayout();
        SetEnginePaper(*mainPrinter, layout);
        design.SetPreviewMode(false);
        OutlineTest = false;
        if (!DoPageSetup())
            return;
        printChosenSheets();
    });
}

void TPrintCommands::printChosenSheets()
{
    PrintMode = true;
    SheetPreview = false;
    design.SetPreviewMode(false);
    OutlineTest = false;
    mainPrinter->ResetDevice();
    QCoreApplication::processEvents();
    const double bottom = PrinterBottomMargin ? PrinterBottomMargin() : mainPrinter->OffsetBottom();
    const bool warn = Preferences ? Preferences->ShowBottomMarginWarning : true;
    if (bottom > 0.5 && SelectedCards[8] && SelectedCards[9] && warn) {
        TWarnBottomMargin warning(owner);
        warning.SetBottomMargin(bottom);
        CentreForm(warning);
        const int result = Interaction::Current().RunModal(warning);
        if (warning.DontShowAgain() && Preferences) {
            Preferences->ShowBottomMarginWarning = false;
            if (SavePreferences)
                SavePreferences();
        }
        if (result != mrOk)
            return;
    }
    DoPrint();
}

bool TPrintCommands::ExportSheetPdf(const QString& path)
{
    // Written beside the target and renamed over it only when whole, so a
    // failed or cancelled export leaves an existing file as it was.
    AtomicFile out(QFileInfo(path).absoluteFilePath());
    // A file needs no print service: nothing asks it for printers.
    auto pdf = std::make_unique<TPagePrinter>(out.TempPath());
    const TCardLayout layout = Layout ? Layout() : TCardLayout();
    SetEnginePaper(*pdf, layout);
    std::unique_ptr<TPagePrinter> kept = std::move(mainPrinter);
    mainPrinter = std::move(pdf);
    const bool wasPrintMode = PrintMode;
    const bool wasOutline = OutlineTest;
    const bool wasUnattended = Unattended;
    PrintMode = true;
    OutlineTest = false;
    SheetPreview = false;
    // No print status window: its closing words are about a printer, and
    // the file gets its name only after the job; the caller reports the
    // file once it is in place.
    Unattended = true;
    design.SetPreviewMode(false);
    TPrintOutcome outcome;
    try {
        outcome = DoPrint();
    } catch (...) {
        mainPrinter = std::move(kept);
        PrintMode = wasPrintMode;
        OutlineTest = wasOutline;
        Unattended = wasUnattended;
        throw;
    }
    mainPrinter = std::move(kept);
    PrintMode = wasPrintMode;
    OutlineTest = wasOutline;
    Unattended = wasUnattended;
    if (!outcome.Ran || outcome.Aborted || !outcome.Error.isEmpty())
        return false;
    if (!EndsWithPdfTrailer(out.TempPath()))
        throw EWriteError(AtomicFile::FailureMessage(out.Target()));
    out.Commit();
    return true;
}

void TPrintCommands::mnuPreviewSheetClick()
{
    if (!mainPrinter)
        return;
    guarded([this] {
        const TCardLayout layout = Layout ? Layout() : TCardLayout();
        SetEnginePaper(*mainPrinter, layout);
        OutlineTest = false;
        if (!DoPageSetup())
            return;
        // The sheets chosen in the dialog are previewed, and printed from the
        // preview's Print button without asking again.
        const int sheets = mainPrinter->Copies();
        PrintMode = false;
        SheetPreview = true;
        design.SetPreviewMode(true);
        DoPrint();
        SheetPreview = false;
        design.SetPreviewMode(false);
        if (printFromPreview) {
            printFromPreview = false;
            mainPrinter->SetCopies(sheets);
            printChosenSheets();
        }
    });
}

void TPrintCommands::mnuPreviewClick()
{
    guarded([this] {
        PrintMode = false;
        SheetPreview = false;
        const TCardLayout layout = Layout ? Layout() : TCardLayout();
        if (mainPrinter)
            SetEnginePaper(*mainPrinter, layout);
        design.SetPreviewMode(true);
        OutlineTest = false;
        DoPrint();
    });
}

void TPrintCommands::mnuPrintOutlineTestPageClick()
{
    if (!mainPrinter)
        return;
    guarded([this] {
        PrintMode = true;
        OutlineTest = true;
        SheetPreview = false;
        // The outlines go on the paper the cards print on (the orientation
        // follows the card in the job itself).
        const TCardLayout layout = Layout ? Layout() : TCardLayout();
        SetEnginePaper(*mainPrinter, layout);
        if (mainPrinter->PrintDialog())
            DoPrint();
    });
}

void TPrintCommands::mnuPrinterSetupClick()
{
    if (!mainPrinter)
        return;
    guarded([this] { mainPrinter->PrinterSetupDialog(); });
}

void TPrintCommands::mnuPrinterFineTuningClick()
{
    guarded([this] {
        TPrintFineTune dialog(owner);
        dialog.SetNudges(nudges());
        CentreForm(dialog);
        if (Interaction::Current().RunModal(dialog) != mrOk)
            return;
        if (Preferences) {
            Preferences->Nudges = dialog.Nudges();
            if (SavePreferences)
                SavePreferences();
        }
    });
}

double TPrintCommands::SheetBleedInches() const
{
    const int chosen = TSettings().LoadPrintShop().BleedHundredthsMm;
    const TCardLayout layout = Layout ? Layout() : TCardLayout();
    return (chosen >= 0 ? chosen / 100.0 : DefaultBleedMm(PrefersMillimetres(layout.UseMM))) / 25.4;
}

bool TPrintCommands::DoPageSetup()
{
    const TCardLayout layout = Layout ? Layout() : TCardLayout();
    TSelectSpecificLabels dialog(owner);
    dialog.Printer = mainPrinter.get();
    dialog.SetSheet(layout, SelectedCards);
    dialog.CheckMerge = [this](const TMergeTable& table) { return CheckMergeFields(design.Objects(), table); };
    dialog.SetMerge(Merge);
    dialog.CropMarksCheck->setChecked(CropMarks);
    dialog.BleedCheck->setChecked(SheetBleed);
    dialog.SetBackFile(BackFile());
    dialog.BothSidesCheck->setChecked(BothSides && dialog.BothSidesCheck->isEnabled());
    (FlipLongEdge ? dialog.LongEdgeRadio : dialog.ShortEdgeRadio)->setChecked(true);
    CentreForm(dialog);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    SelectedCards = dialog.Selected;
    CropMarks = dialog.CropMarksCheck->isChecked();
    SheetBleed = dialog.BleedCheck->isChecked();
    if (dialog.BothSidesCheck->isEnabled()) {
        BothSides = dialog.BothSidesCheck->isChecked();
        FlipLongEdge = dialog.LongEdgeRadio->isChecked();
    }
    Merge = dialog.Merge();
    if (Merge.Active() && design.SharedMergeTable() != Merge.Table) {
        // The card panel offers the file's records in its record picker.
        design.SetMergeTable(Merge.Table);
        if (MergeChanged)
            MergeChanged();
    }
    return true;
}

QString TPrintCommands::BackFile() const
{
    const QString design = DesignFile ? DesignFile() : QString();
    if (design.isEmpty())
        return {};
    const QString back = BackDesignPath(design);
    return QFileInfo(back).isFile() ? back : QString();
}

TPrintOutcome TPrintCommands::DoPrint()
{
    const QString backPath = BothSides && PrintMode && !OutlineTest && mainPrinter ? BackFile() : QString();
    if (backPath.isEmpty())
        return printPass();
    TPrintOutcome outcome;
    // The back, read into a card of its own as the front was read.
    TDesignModel back;
    back.SetDeletesTemporaryFiles(false);
    CreateMasterRichText(back);
    try {
        const TSettings settings;
        ApplyProgramSettings(back, Preferences ? Preferences->DefaultFont : settings.LoadPreferences().DefaultFont,
            settings.LoadPersonalInfo());
        TCardLayout backLayout = Layout ? Layout() : TCardLayout();
        ReadDesign(back, backPath, backLayout, backBackground);
        back.SetRotated(design.Rotated());
    } catch (const std::exception&) {
        outcome.Error = QStringLiteral("Unable to read the back of the card, ") + backPath + QLatin1Char('\n')
                        + DescribeCurrentException();
        lastOutcome = outcome;
        if (!Unattended)
            showFailure(outcome.Error);
        return outcome;
    }
    backDesign = &back;
    struct BackDone {
        TPrintCommands* self;
        ~BackDone()
        {
            self->backDesign = nullptr;
            self->backPages = TSheetJob::bpNone;
        }
    } backDone { this };
    const bool toFile
        = !mainPrinter->OutputFileName().isEmpty() || !mainPrinter->Printer().outputFileName().isEmpty();
    if (toFile) {
        // A file: each front page followed by its back page.
        backPages = TSheetJob::bpInterleaved;
        return printPass();
    }
    if (QueuePrintsTwoSided(mainPrinter->PrinterName(), FlipLongEdge)) {
        // Asked of the queue for this job alone.
        const QString was = mainPrinter->SidesRequest();
        mainPrinter->SetSidesRequest(
            FlipLongEdge ? QStringLiteral("two-sided-long-edge") : QStringLiteral("two-sided-short-edge"));
        backPages = TSheetJob::bpInterleaved;
        outcome = printPass();
        mainPrinter->SetSidesRequest(was);
        return outcome;
    }
    // The queue prints one side: the fronts, the stack turned by hand, the
    // backs in the same order.
    const int copies = mainPrinter->Copies();
    backPages = TSheetJob::bpNone;
    outcome = printPass();
    if (!outcome.Ran || outcome.Aborted || !outcome.Error.isEmpty())
        return outcome;
    if (!Interaction::Current().AskYesNo(
            QStringLiteral("The fronts are printed. Turn the stack over and put it back in the printer, "
                           "then print the backs?"),
            QStringLiteral("Print both sides")))
        return outcome;
    mainPrinter->SetCopies(copies);
    backPages = TSheetJob::bpBacksOnly;
    TPrintOutcome backs = printPass();
    backs.Pages += outcome.Pages;
    backs.PositionsDrawn = outcome.PositionsDrawn + backs.PositionsDrawn;
    lastOutcome = backs;
    return backs;
}

TPrintOutcome TPrintCommands::printPass()
{
    TPrintOutcome outcome;
    lastOutcome = outcome;
    if (PrintMode && !mainPrinter)
        return outcome;

    ZoomRestore zoomRestore(design);
    design.SetZoom(1.0f);
    QCoreApplication::processEvents();

    const TCardLayout layout = Layout ? Layout() : TCardLayout();
    // The preview's memory stream and recorder outlive the status window.
    QByteArray recording;
    QBuffer stream(&recording);
    TPageRecorder recorder;
    // A merge gives each card its record; a field the file cannot fill stops
    // the job before anything is drawn.
    std::unique_ptr<TMergeCards> cards;
    if (Merge.Active() && !OutlineTest) {
        const QString missing = CheckMergeFields(design.Objects(), *Merge.Table);
        if (!missing.isEmpty()) {
            outcome.Error = missing;
            lastOutcome = outcome;
            if (!Unattended)
                showFailure(missing);
            return outcome;
        }
        TMergeChoice choice = Merge;
        if (!PrintMode && SheetPreview) {
            const int perSheet = static_cast<int>(std::count(SelectedCards.cbegin(),
                SelectedCards.cbegin() + std::min(CurrentImposition().Positions(), MaxSheetPositions), true));
            const int copies = std::max(1, choice.Copies);
            const int records = std::max(1, perSheet * MaxMergePreviewSheets / copies);
            choice.Last = std::min(choice.LastRecord(), choice.FirstRecord() + records - 1);
        }
        cards = std::make_unique<TMergeCards>(design, choice);
    }
    TSheetJob job;
    job.Cards = cards.get();
    job.Design = &design;
    job.Sheets = mainPrinter ? mainPrinter->Copies() : 1;
    if (mainPrinter)
        mainPrinter->SetCopies(1);
    job.Selected = SelectedCards;
    job.OutlineTest = OutlineTest;
    job.Sheet = CurrentImposition();
    job.CropMarks = CropMarks || OutlineTest;
    job.Bleed = SheetBleed && !OutlineTest ? SheetBleedInches() : 0;
    job.BackgroundFile = BackgroundFile ? BackgroundFile() : QString();
    job.PrintingMode = PrintMode;
    job.WholeSheet = !PrintMode && SheetPreview;
    job.BackPages = static_cast<TSheetJob::TBackPages>(backPages);
    job.BackDesign = backDesign;
    job.BackBackgroundFile = backBackground;
    job.FlipLongEdge = FlipLongEdge;

    TPageEngine* engine = nullptr;
    if (PrintMode) {
        // The main page printer prints the job: it holds the queue, paper and
        // copies the user chose.
        engine = mainPrinter.get();
    } else {
        SetEnginePaper(recorder, layout);
        stream.open(QIODevice::WriteOnly);
        recorder.SetStream(&stream);
        engine = &recorder;
    }
    job.Engine = engine;
    engine->SetOrientation(poPortrait);
    // The job installs its own two handlers; nothing else runs.
    engine->OnBeforePrint = nullptr;
    engine->OnPrint = nullptr;
    engine->OnPrintHeader = nullptr;
    engine->OnPrintFooter = nullptr;
    engine->OnNewPage = nullptr;
    engine->OnAfterPrint = nullptr;

    if (Unattended) {
        job.Run();
        outcome.Ran = job.Finished();
    } else {
        TLabelPrinter status(job, owner);
        status.setWindowTitle(PrintMode ? QStringLiteral("Print Status") : QStringLiteral("Preview Status"));
        status.CancelButton->setText(PrintMode ? QStringLiteral("Cancel") : QStringLiteral("Stop"));
        status.adjustSize();
        CentreForm(status);
        Interaction::Current().RunModal(status);
        outcome.Ran = status.JobFinished();
    }
    outcome.Aborted = engine->Aborted();
    outcome.Error = job.ErrorMessage();
    outcome.Pages = engine->CurrentPage();
    outcome.Copies = engine->Copies();
    outcome.PositionsDrawn = job.PositionsDrawn();
    // The engine forgets the job before it goes.
    engine->OnBeforePrint = nullptr;
    engine->OnPrint = nullptr;
    engine->SetStatusLabel(nullptr);
    if (mainPrinter) {
        // The main page printer asks for one copy after every job.
        mainPrinter->SetCopies(1);
    }
    lastOutcome = outcome;

    if (!PrintMode) {
        stream.close();
        if (outcome.Ran && !outcome.Aborted && outcome.Error.isEmpty()) {
            TPreviewForm preview(owner);
            preview.setWindowTitle(QStringLiteral("Preview Business Cards"));
            preview.SetRecording(recorder.Recording());
            preview.SetPrintable(SheetPreview && mainPrinter != nullptr);
            CentreForm(preview);
            Interaction::Current().RunModal(preview);
            printFromPreview = preview.PrintRequested();
        }
    }
    return outcome;
}

} // namespace bv
