// A sheet of cards through the print job: a Letter sheet of ten copies of a
// card with 30 objects (text, shapes, lines) written to a PDF file, and the
// preview job with the first drawing of the recorded page at 100 %.
#include "app/DesignClasses.h"
#include "objects/BusinessCardLabel.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "pageengine/PagePlayer.h"
#include "pageengine/PagePrinter.h"
#include "pageengine/PageRecorder.h"
#include "platform/Interaction.h"
#include "printing/LabelPrinter.h"
#include "printing/PreviewForm.h"
#include "printing/PrintCommands.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

// Nobody answers: the status window runs its job, the preview window draws
// its first page, and both close at once.
class Unattended final : public Interaction {
public:
    bool AskYesNo(const QString&, const QString&) override { return false; }
    void ShowInfo(const QString&, const QString&) override {}
    void ShowError(const QString&, const QString&) override {}
    QString ChooseOpenFile(const FileChoice&) override { return {}; }
    QString ChooseSaveFile(const FileChoice&) override { return {}; }
    std::optional<QFont> ChooseFont(const QFont&, const QString&) override { return std::nullopt; }
    std::optional<QColor> ChooseColour(const QColor&, const QString&) override { return std::nullopt; }
    int RunModal(QDialog& dialog) override
    {
        if (auto* status = qobject_cast<TLabelPrinter*>(&dialog))
            status->FormActivate();
        else if (auto* preview = qobject_cast<TPreviewForm*>(&dialog)) {
            preview->FormActivate();
            previewDrawn = preview->PagePreview1.PageImage().width() == 816;
        }
        return mrOk;
    }
    void Beep() override {}
    bool previewDrawn = false;
};

// 15 text labels, 10 filled shapes and 5 lines spread over a 3.5 × 2 card.
void fillCard(TGBusinessCardPanel32& panel)
{
    auto attach = [&panel](TGGraphicControl* o, int l, int t, int w, int h) {
        o->SetParent(&panel);
        o->SetBounds(l, t, w, h);
        o->Loaded();
        panel.AttachObject(o);
    };
    for (int i = 0; i < 15; ++i) {
        auto* label = new TGBusinessCardLabel;
        label->SetCaption(QStringLiteral("Line of text %1").arg(i));
        attach(label, 8 + (i % 3) * 108, 6 + (i / 3) * 36, 100, 18);
    }
    for (int i = 0; i < 10; ++i) {
        auto* shape = new TBCShapes;
        shape->SetShape(i % 2 ? stEllipse : stRoundRect);
        TBrush brush;
        brush.Color = 0x00204080 + i * 0x00100804;
        shape->SetBrush(brush);
        attach(shape, 10 + (i % 5) * 64, 120 + (i / 5) * 34, 50, 28);
    }
    for (int i = 0; i < 5; ++i) {
        auto* line = new TGLineShape;
        line->SetLineStyle(static_cast<TLineStyle>(i % 4));
        attach(line, 20 + i * 60, 100, 50, 20);
    }
}

struct Fixture {
    Fixture()
    {
        RegisterDesignClasses();
        Interaction::Install(&unattended);
        fillCard(panel);
    }
    ~Fixture() { Interaction::Install(nullptr); }
    Unattended unattended;
    TGBusinessCardPanel32 panel;
};

void BM_LetterSheetToPdf(benchmark::State& state)
{
    Fixture f;
    QTemporaryDir dir;
    TPrintCommands printing(f.panel.Model());
    auto printer = std::make_unique<TPagePrinter>();
    printer->SetOutputFileName(dir.filePath(QStringLiteral("sheet.pdf")));
    printing.SetMainPagePrinter(std::move(printer));
    printing.PrintMode = true;
    for (auto _ : state) {
        const TPrintOutcome outcome = printing.DoPrint();
        if (outcome.PositionsDrawn.size() != 10 || !outcome.Error.isEmpty())
            state.SkipWithError("the sheet did not print");
    }
    state.SetLabel("10 cards x 30 objects");
}
BENCHMARK(BM_LetterSheetToPdf)->Unit(benchmark::kMillisecond);

void BM_PreviewJobAndFirstReplay(benchmark::State& state)
{
    Fixture f;
    TPrintCommands printing(f.panel.Model());
    printing.PrintMode = false;
    for (auto _ : state) {
        f.unattended.previewDrawn = false;
        const TPrintOutcome outcome = printing.DoPrint();
        if (outcome.PositionsDrawn.size() != 1 || !outcome.Error.isEmpty() || !f.unattended.previewDrawn)
            state.SkipWithError("the preview did not run");
    }
    state.SetLabel("1 card x 30 objects, page drawn at 100 %");
}
BENCHMARK(BM_PreviewJobAndFirstReplay)->Unit(benchmark::kMillisecond);

// One recorded page holding ten copies of the card, as a full sheet would be
// recorded for the preview, and its replay at 100 % on a 96 ppi screen.
QByteArray recordTenCards(TGBusinessCardPanel32& panel)
{
    QBuffer stream;
    TPageRecorder recorder;
    recorder.SetStream(&stream);
    recorder.OnPrint = [&panel](TPageEngine& e) {
        for (int card = 0; card < 10; ++card)
            panel.PrintObjects(e, 0.75 + (card % 2) * 3.5, 0.5 + (card / 2) * 2.0);
    };
    recorder.Execute();
    return stream.data();
}

void BM_RecordTenCards(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state) {
        QByteArray recording = recordTenCards(f.panel);
        if (recording.isEmpty())
            state.SkipWithError("nothing was recorded");
        benchmark::DoNotOptimize(recording.data());
    }
    state.SetLabel("10 cards x 30 objects");
}
BENCHMARK(BM_RecordTenCards)->Unit(benchmark::kMillisecond);

void BM_ReplayTenCards(benchmark::State& state)
{
    Fixture f;
    const QByteArray recording = recordTenCards(f.panel);
    {
        // The replay must really draw the cards, not a blank sheet.
        TPagePlayer player;
        player.Load(recording);
        const QImage page = player.RenderPage(1, 96).convertToFormat(QImage::Format_RGB32);
        int ink = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                ink += page.pixel(x, y) != qRgb(255, 255, 255);
        if (ink < 1000) {
            state.SkipWithError("the replayed sheet is blank");
            return;
        }
    }
    for (auto _ : state) {
        TPagePlayer player;
        player.Load(recording);
        QImage page = player.RenderPage(1, 96);
        if (page.isNull())
            state.SkipWithError("the page was not drawn");
        benchmark::DoNotOptimize(page.bits());
    }
    state.SetLabel("10 cards x 30 objects, replayed at 100 %");
}
BENCHMARK(BM_ReplayTenCards)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    qputenv("BRISVALE_PPI", "96");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
