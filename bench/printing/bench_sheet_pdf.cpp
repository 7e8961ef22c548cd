// Sheets of heavy cards printed to a PDF file through the print command:
//   - an effect card (SuperShape and SuperText gradients, CircleText, a
//     600 x 400 photo) on 1 and 10 Letter sheets of ten cards;
//   - a card holding a metafile of 30,000 shapes, on 1 and 10 sheets;
//   - 50 gradient SuperShapes on one sheet (the PDF's size is the figure);
//   - one card of each drawn at 300 dpi into an image, the yardstick for a
//     sheet.
// Each sheet run reports the PDF's size in bytes (pdf_bytes).
#include "../../tests/support/PictureKit.h"
#include "app/DesignClasses.h"
#include "effects/CircleText.h"
#include "effects/SuperShape.h"
#include "effects/SuperText.h"
#include "objects/Image.h"
#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PagePrinter.h"
#include "platform/Interaction.h"
#include "printing/PrintCommands.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

class Unattended final : public Interaction {
public:
    bool AskYesNo(const QString&, const QString&) override { return false; }
    void ShowInfo(const QString&, const QString&) override {}
    void ShowError(const QString&, const QString&) override {}
    QString ChooseOpenFile(const FileChoice&) override { return {}; }
    QString ChooseSaveFile(const FileChoice&) override { return {}; }
    std::optional<QFont> ChooseFont(const QFont&, const QString&) override { return std::nullopt; }
    std::optional<QColor> ChooseColour(const QColor&, const QString&) override { return std::nullopt; }
    int RunModal(QDialog&) override { return mrCancel; }
    void Beep() override {}
};

template <class T>
T* attach(TGBusinessCardPanel32& panel, T* o, int l, int t, int w, int h)
{
    o->SetParent(&panel);
    o->SetBounds(l, t, w, h);
    o->Loaded();
    panel.AttachObject(o);
    return o;
}

TSuperShape* gradientShape(TGBusinessCardPanel32& panel, int l, int t, int w, int h, int i)
{
    auto* s = attach(panel, new TSuperShape, l, t, w, h);
    s->SetShape(i % 2 ? gstStar : gstEllipse);
    s->SetSurfaceType(stGradientFill);
    s->SetFillDirection(TFillDirection(i % 4));
    s->SetBackColor(TColor(0x0000FF + (i * 0x000500)));
    s->SetGradientToColor(TColor(0xFF0000 + (i * 0x000003)));
    return s;
}

void effectCard(TGBusinessCardPanel32& panel)
{
    QImage photo(600, 400, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * 7 + y) % 256, (y * 3) % 256, (x * y) % 256));
    auto* image = attach(panel, new TGImage, 200, 90, 130, 95);
    image->SetPicture(TPicture::FromBitmap(Dib::FromImage(photo)));
    gradientShape(panel, 10, 10, 90, 90, 1);
    gradientShape(panel, 110, 100, 80, 80, 2);
    auto* text = attach(panel, new TGSuperText, 100, 10, 230, 60);
    TFont f = text->Font();
    f.Name = QStringLiteral("Liberation Sans");
    text->SetFont(f);
    text->SetCaption(QStringLiteral("Brisvale"));
    attach(panel, new TGPCircleText, 10, 100, 90, 90);
}

QByteArray wmf30000()
{
    test::WmfBuilder w;
    w.windowOrg(0, 0).windowExt(3500, 2000);
    for (int i = 0; i < 30000; ++i) {
        const int x = (i * 37) % 3400, y = (i * 53) % 1900;
        w.brush(0, qRgb((i * 40) % 256, (i * 90) % 256, (i * 10) % 256)).select(0);
        if (i % 2)
            w.rectangle(x, y, x + 60, y + 40);
        else
            w.ellipse(x, y, x + 50, y + 50);
        w.remove(0);
    }
    return w.file(true, 0, 0, 3500, 2000, 1000);
}

void wmfCard(TGBusinessCardPanel32& panel)
{
    auto* image = attach(panel, new TGImage, 0, 0, 336, 192);
    image->SetPicture(TPicture::FromMetafile(Metafile::FromBytes(wmf30000())));
}

void gradientCard(TGBusinessCardPanel32& panel)
{
    for (int i = 0; i < 50; ++i)
        gradientShape(panel, (i % 10) * 33, (i / 10) * 38, 30, 34, i);
}

struct Fixture {
    explicit Fixture(void (*build)(TGBusinessCardPanel32&))
    {
        RegisterDesignClasses();
        Interaction::Install(&unattended);
        build(panel);
        path = dir.filePath(QStringLiteral("sheet.pdf"));
        auto printer = std::make_unique<TPagePrinter>();
        printer->SetOutputFileName(path);
        printing.SetMainPagePrinter(std::move(printer));
        printing.PrintMode = true;
        printing.Unattended = true;
    }
    ~Fixture() { Interaction::Install(nullptr); }
    Unattended unattended;
    TGBusinessCardPanel32 panel;
    QTemporaryDir dir;
    QString path;
    TPrintCommands printing{panel.Model()};
};

void sheets(benchmark::State& state, void (*build)(TGBusinessCardPanel32&))
{
    Fixture f(build);
    const int count = int(state.range(0));
    for (auto _ : state) {
        f.printing.MainPagePrinter()->SetCopies(count);
        const TPrintOutcome outcome = f.printing.DoPrint();
        if (outcome.PositionsDrawn.size() != 10 * count || !outcome.Error.isEmpty())
            state.SkipWithError("the sheets did not print");
    }
    state.counters["pdf_bytes"] = double(QFileInfo(f.path).size());
}

void BM_EffectCardSheets(benchmark::State& state) { sheets(state, effectCard); }
BENCHMARK(BM_EffectCardSheets)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_WmfCardSheets(benchmark::State& state) { sheets(state, wmfCard); }
BENCHMARK(BM_WmfCardSheets)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_GradientShapesSheet(benchmark::State& state) { sheets(state, gradientCard); }
BENCHMARK(BM_GradientShapesSheet)->Arg(1)->Unit(benchmark::kMillisecond);

// One card into an image at 300 dpi: what one sheet is measured against.
void oneCard(benchmark::State& state, void (*build)(TGBusinessCardPanel32&))
{
    Fixture f(build);
    for (auto _ : state) {
        QImage card(1050, 600, QImage::Format_RGB32);
        card.fill(Qt::white);
        QPainter painter(&card);
        TCanvasPageEngine engine(&painter, TDeviceFacts{300, 300, 0, 0, 0, 3.5, 2});
        engine.OnPrint = [&f](TPageEngine& e) { f.panel.PrintObjects(e, 0, 0); };
        engine.Execute();
        benchmark::DoNotOptimize(card.bits());
    }
}

void BM_EffectCardAt300Dpi(benchmark::State& state) { oneCard(state, effectCard); }
BENCHMARK(BM_EffectCardAt300Dpi)->Unit(benchmark::kMillisecond);

void BM_WmfCardAt300Dpi(benchmark::State& state) { oneCard(state, wmfCard); }
BENCHMARK(BM_WmfCardAt300Dpi)->Unit(benchmark::kMillisecond);

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
