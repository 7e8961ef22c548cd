#include "Sheet.h"

#include "BatchCommands.h"

#include "app/DesignClasses.h"
#include "document/CardDocument.h"
#include "document/Settings.h"
#include "pageengine/PagePrinter.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "platform/Interaction.h"
#include "printing/PrintCommands.h"
#include "printing/PrintShopPdf.h"
#include "richtext/RichBaseLabel.h"
#include "surface/DesignModel.h"
#include "surface/MergeFields.h"
#include "platform/MergeSource.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <memory>

namespace bv::batch {

namespace {

// A design as the program's window would hold it: the settings of QRD.INI
// and the default layout until the companion file says otherwise.
struct TBatchDesign {
    explicit TBatchDesign(const QString& design, QStringList* warnings = nullptr)
    {
        RegisterDesignClasses();
        const TSettings settings(QFileInfo(TSettings().FileName()).absoluteFilePath());
        preferences = settings.LoadPreferences();
        layout = settings.LoadLayoutPreferences(TCardLayout());
        PrepareDesign(card);
        ApplyProgramSettings(card, preferences.DefaultFont, settings.LoadPersonalInfo());
        ReadDesign(card, design, layout, background, warnings);
    }

    TPreferences preferences;
    TCardLayout layout;
    QString background;
    TDesignModel card;
};

// The user the print job would talk to: messages go to the error stream;
// questions are answered No and dialogs cancelled, as nobody is there to
// answer them. (The job itself runs without its status window.)
class BatchInteraction final : public Interaction {
public:
    explicit BatchInteraction(QTextStream& err) : err(err) { Interaction::Install(this); }
    ~BatchInteraction() override { Interaction::Install(nullptr); }
    BatchInteraction(const BatchInteraction&) = delete;
    BatchInteraction& operator=(const BatchInteraction&) = delete;

    bool AskYesNo(const QString& message, const QString&) override
    {
        err << "brisvale-batch: " << message << " (answered No)\n";
        return false;
    }
    void ShowInfo(const QString& message, const QString&) override { err << "brisvale-batch: " << message << "\n"; }
    void ShowError(const QString& message, const QString&) override { err << "brisvale-batch: " << message << "\n"; }
    QString ChooseOpenFile(const FileChoice&) override { return {}; }
    QString ChooseSaveFile(const FileChoice&) override { return {}; }
    std::optional<QFont> ChooseFont(const QFont&, const QString&) override { return std::nullopt; }
    std::optional<QColor> ChooseColour(const QColor&, const QString&) override { return std::nullopt; }
    int RunModal(QDialog&) override { return mrCancel; }
    void Beep() override {}

private:
    QTextStream& err;
};

// "1,3,5-8" as 0-based positions; false when malformed or out of 1..count.
bool parsePositions(const QString& text, int count, TCardSelection& selection)
{
    selection.fill(false);
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        const int dash = part.indexOf(QLatin1Char('-'));
        bool ok1 = false;
        bool ok2 = false;
        int from = 0;
        int to = 0;
        if (dash < 0) {
            from = to = part.toInt(&ok1);
            ok2 = ok1;
        } else {
            from = part.left(dash).trimmed().toInt(&ok1);
            to = part.mid(dash + 1).trimmed().toInt(&ok2);
        }
        if (!ok1 || !ok2 || from < 1 || to < from || to > count)
            return false;
        for (int n = from; n <= to; ++n)
            selection[n - 1] = true;
    }
    return true;
}

} // namespace

int Sheet(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString design;
    QString pdf;
    QString printerName;
    QString positions;
    int sheets = 1;
    bool outline = false;
    QString mergeFile;
    int copies = 1;
    int firstRecord = 1;
    int lastRecord = 0;
    bool recordsGiven = false;
    bool withBack = false;
    QString flip;
    const QString usage = QStringLiteral(
        "brisvale-batch: sheet needs DESIGN.QRD and OUT.pdf (or --printer NAME)\n");
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        // A count from 1 to 99 after the option: false (and said) otherwise.
        auto count = [&](const char* option, int& into) {
            QString v;
            bool ok = false;
            if (value(v))
                into = v.toInt(&ok);
            if (!ok || into < 1 || into > 99) {
                err << "brisvale-batch: sheet: " << option << " takes a number from 1 to 99\n";
                return false;
            }
            return true;
        };
        if (a == QLatin1String("--outline")) {
            outline = true;
        } else if (a == QLatin1String("--back")) {
            withBack = true;
        } else if (a == QLatin1String("--flip")) {
            if (!value(flip) || (flip != QLatin1String("long") && flip != QLatin1String("short"))) {
                err << "brisvale-batch: sheet: --flip takes long or short\n";
                return 1;
            }
        } else if (a == QLatin1String("--sheets")) {
            if (!count("--sheets", sheets))
                return 1;
        } else if (a == QLatin1String("--positions")) {
            if (!value(positions)) {
                err << "brisvale-batch: sheet: --positions needs a list such as 1,3,5-8\n";
                return 1;
            }
        } else if (a == QLatin1String("--merge")) {
            if (!value(mergeFile) || mergeFile.isEmpty()) {
                err << "brisvale-batch: sheet: --merge needs a CSV or vCard file\n";
                return 1;
            }
        } else if (a == QLatin1String("--copies")) {
            if (!count("--copies", copies))
                return 1;
        } else if (a == QLatin1String("--records")) {
            QString v;
            const bool given = value(v);
            const QStringList ends = v.split(QLatin1Char('-'));
            bool ok1 = false;
            bool ok2 = false;
            if (given && ends.size() == 2) {
                firstRecord = ends[0].trimmed().toInt(&ok1);
                lastRecord = ends[1].trimmed().toInt(&ok2);
            } else if (given && ends.size() == 1) {
                firstRecord = lastRecord = ends[0].trimmed().toInt(&ok1);
                ok2 = ok1;
            }
            if (!ok1 || !ok2 || firstRecord < 1 || lastRecord < firstRecord) {
                err << "brisvale-batch: sheet: --records takes a range of record numbers such as 1-10\n";
                return 1;
            }
            recordsGiven = true;
        } else if (a == QLatin1String("--printer")) {
            if (!value(printerName) || printerName.isEmpty()) {
                err << "brisvale-batch: sheet: --printer needs a queue name\n";
                return 1;
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            err << "brisvale-batch: sheet: unknown option " << a << "\n";
            return 1;
        } else if (design.isEmpty()) {
            design = a;
        } else if (pdf.isEmpty()) {
            pdf = a;
        } else {
            err << usage;
            return 1;
        }
    }
    if (design.isEmpty() || (pdf.isEmpty() && printerName.isEmpty())) {
        err << usage;
        return 1;
    }
    if (!QFileInfo(design).isFile()) {
        err << "brisvale-batch: " << design << ": no such design file\n";
        return 1;
    }

    if (!flip.isEmpty() && !withBack) {
        err << "brisvale-batch: sheet: --flip goes with --back\n";
        return 1;
    }
    if (withBack && !QFileInfo(BackDesignPath(design)).isFile()) {
        err << "brisvale-batch: sheet: --back: no back design " << QDir::toNativeSeparators(BackDesignPath(design))
            << "\n";
        return 1;
    }
    if (withBack && !pdf.isEmpty() && RefusesOverwritingDesign(BackDesignPath(design), pdf, err))
        return 1;
    if ((copies != 1 || recordsGiven) && mergeFile.isEmpty()) {
        err << "brisvale-batch: sheet: --copies and --records go with --merge FILE\n";
        return 1;
    }
    if (!pdf.isEmpty() && RefusesOverwritingDesign(design, pdf, err))
        return 1;
    BatchInteraction interaction(err);
    try {
        QStringList warnings;
        TBatchDesign loaded(design, &warnings);
        TPreferences& preferences = loaded.preferences;
        TCardLayout& layout = loaded.layout;
        const QString& background = loaded.background;
        TDesignModel& card = loaded.card;
        for (const QString& w : warnings)
            err << "brisvale-batch: " << design << ": " << w << "\n";
        if (!pdf.isEmpty() && RefusesOverwritingBackground(background, pdf, err))
            return 1;

        TPrintCommands printing(card);
        printing.Layout = [&layout] { return layout; };
        printing.BackgroundFile = [&background] { return background; };
        printing.Preferences = &preferences;
        printing.DesignFile = [&design] { return design; };
        printing.BothSides = withBack;
        printing.FlipLongEdge = flip != QLatin1String("short");
        if (!positions.isEmpty()
            && !parsePositions(positions, std::min(layout.Positions(), MaxSheetPositions), printing.SelectedCards)) {
            err << "brisvale-batch: sheet: --positions must name cards from 1 to "
                << std::min(layout.Positions(), MaxSheetPositions) << "\n";
            return 1;
        }
        if (!mergeFile.isEmpty()) {
            // The whole file is read and checked before anything is printed.
            TMergeChoice merge;
            try {
                merge.Table = std::make_shared<TMergeTable>(ReadMergeFile(mergeFile));
            } catch (const Exception& e) {
                err << "brisvale-batch: " << e.message() << "\n";
                return 1;
            }
            if (lastRecord > merge.Table->RecordCount()) {
                err << "brisvale-batch: sheet: --records: " << QFileInfo(mergeFile).fileName() << " holds "
                    << merge.Table->RecordCount() << " record(s)\n";
                return 1;
            }
            merge.First = firstRecord;
            merge.Last = lastRecord;
            merge.Copies = copies;
            const QString missing = CheckMergeFields(card.Objects(), *merge.Table);
            if (!missing.isEmpty()) {
                err << "brisvale-batch: " << missing << "\n";
                return 1;
            }
            printing.Merge = merge;
        }
        std::unique_ptr<TPagePrinter> printer;
        // The printer writes the PDF itself: into a temporary file beside the
        // target, which replaces the previous PDF only once it is complete.
        std::unique_ptr<AtomicFile> pdfOut;
        if (printerName.isEmpty())
            pdfOut = std::make_unique<AtomicFile>(QFileInfo(pdf).absoluteFilePath());
        if (!printerName.isEmpty()) {
            printer = std::make_unique<TPagePrinter>();
            if (!printer->SetPrinterName(printerName)) {
                err << "brisvale-batch: sheet: no print queue named " << printerName << "\n";
                return 1;
            }
        } else {
            QString temp;
            try {
                temp = pdfOut->TempPath();
            } catch (const EWriteError& e) {
                // No file can be made where the PDF should go.
                err << "brisvale-batch: " << design << ": Unable to start printing on \""
                    << QDir::toNativeSeparators(pdf) << "\": " << e.message() << "\n";
                return 1;
            }
            // A file output never asks the print service anything.
            printer = std::make_unique<TPagePrinter>(temp);
        }
        SetEnginePaper(*printer, layout);
        printer->SetOrientation(poPortrait);
        printer->SetCopies(sheets);
        printer->ResetDevice();
        printing.SetMainPagePrinter(std::move(printer));
        // The Print command's mode: printing, the card not in preview.
        printing.PrintMode = true;
        printing.OutlineTest = outline;
        printing.Unattended = true;
        card.SetPreviewMode(false);
        const TPrintOutcome outcome = printing.DoPrint();
        if (!outcome.Error.isEmpty()) {
            err << "brisvale-batch: " << design << ": " << outcome.Error << "\n";
            return 1;
        }
        if (!outcome.Ran || outcome.Aborted) {
            err << "brisvale-batch: " << design << ": the print job did not run\n";
            return 1;
        }
        if (outcome.PositionsDrawn.isEmpty()) {
            err << "brisvale-batch: " << design << ": no card position was printed\n";
            return 1;
        }
        if (pdfOut) {
            // Qt's printer does not report a failed write: the file must end
            // with the PDF trailer it writes last.
            if (!EndsWithPdfTrailer(pdfOut->TempPath()))
                throw EWriteError(AtomicFile::FailureMessage(pdfOut->Target()));
            pdfOut->Commit();
        }
        // Into a file both sides take a page each.
        const bool pagePairs = withBack && printerName.isEmpty();
        out << outcome.PositionsDrawn.size() << (withBack ? " card(s), front and back," : " card(s)") << " on "
            << (pagePairs ? outcome.Pages / 2 : outcome.Pages) << " sheet(s)";
        if (printing.Merge.Active())
            out << " from " << (printing.Merge.LastRecord() - printing.Merge.FirstRecord() + 1) << " record(s)";
        if (outcome.Copies > 1)
            out << ", " << outcome.Copies << " copies";
        out << " to " << (printerName.isEmpty() ? QDir::toNativeSeparators(pdf) : printerName) << "\n";
    } catch (const std::exception&) {
        err << "brisvale-batch: " << design << ": " << DescribeCurrentException() << "\n";
        return 1;
    }
    return 0;
}

int PrintShop(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString design;
    QString pdf;
    TPrintShopOptions options;
    options.CropMarks = false;
    bool withBack = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--marks")) {
            options.CropMarks = true;
        } else if (a == QLatin1String("--bleed")) {
            bool ok = false;
            if (i + 1 < args.size())
                options.BleedMm = args[++i].toDouble(&ok);
            if (!ok || options.BleedMm < 0 || options.BleedMm > MaxBleedMm) {
                err << "brisvale-batch: pdf: --bleed takes millimetres from 0 to " << MaxBleedMm << "\n";
                return 1;
            }
        } else if (a == QLatin1String("--back")) {
            withBack = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            err << "brisvale-batch: pdf: unknown option " << a << "\n";
            return 1;
        } else if (design.isEmpty()) {
            design = a;
        } else if (pdf.isEmpty()) {
            pdf = a;
        } else {
            design.clear();
            break;
        }
    }
    if (design.isEmpty() || pdf.isEmpty()) {
        err << "brisvale-batch: pdf needs DESIGN.QRD and OUT.pdf\n";
        return 1;
    }
    if (!QFileInfo(design).isFile()) {
        err << "brisvale-batch: " << design << ": no such design file\n";
        return 1;
    }
    if (RefusesOverwritingDesign(design, pdf, err))
        return 1;
    BatchInteraction interaction(err);
    try {
        TBatchDesign loaded(design);
        if (RefusesOverwritingBackground(loaded.background, pdf, err))
            return 1;
        // The back is the design beside the front, NAME.back.QRD.
        std::unique_ptr<TBatchDesign> back;
        if (withBack) {
            const QString backPath = BackDesignPath(design);
            if (!QFileInfo(backPath).isFile()) {
                err << "brisvale-batch: pdf: --back: no back design " << QDir::toNativeSeparators(backPath) << "\n";
                return 1;
            }
            if (RefusesOverwritingDesign(backPath, pdf, err))
                return 1;
            back = std::make_unique<TBatchDesign>(backPath);
            if (RefusesOverwritingBackground(back->background, pdf, err))
                return 1;
        }
        WritePrintShopPdf(loaded.card, loaded.layout, loaded.background, pdf, options,
            back ? TPrintShopBack{ &back->card, back->background } : TPrintShopBack{});
        out << (back ? "1 card, front and back, to " : "1 card to ") << QDir::toNativeSeparators(pdf) << "\n";
    } catch (const std::exception&) {
        err << "brisvale-batch: " << design << ": " << DescribeCurrentException() << "\n";
        return 1;
    }
    return 0;
}

} // namespace bv::batch
