// Repainting a card of effect text at zoom 1.5: ten 48-point SuperTexts with
// a gradient fill, outline and shadow, and ten CircleTexts, with warm caches
// (layouts, gradients and letter paths made by a first repaint), and for
// comparison the same card when every SuperText must lay out again.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_effecttext
#include "effects/CircleText.h"
#include "effects/SuperText.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

struct Card {
    TGBusinessCardPanel32 panel;
    QList<TGSuperText*> superTexts;
    Card()
    {
        for (int i = 0; i < 10; ++i) {
            auto* t = new TGSuperText;
            t->SetParent(&panel);
            TFont f = t->Font();
            f.Name = QStringLiteral("Liberation Sans");
            t->SetFont(f);
            t->SetCaption(QStringLiteral("Brand %1").arg(i));
            t->SetShadowDepth(3);
            t->SetShadowOrientation(sdDownRight);
            t->SetBounds((i % 2) * 170, (i / 2) * 38, 170, 70);
            t->Loaded();
            panel.AttachObject(t);
            superTexts << t;
        }
        for (int i = 0; i < 10; ++i) {
            auto* c = new TGPCircleText;
            c->SetParent(&panel);
            c->SetCaption(QStringLiteral("Circle text number %1").arg(i));
            c->SetDegrees(TDegrees(i % 4));
            c->SetMirror(i % 3 == 0);
            c->SetBounds((i % 5) * 65, 60 + (i / 5) * 65, 90, 90);
            c->Loaded();
            panel.AttachObject(c);
        }
        panel.SetZoom(1.5f);
        panel.RenderScreen(); // warms layouts, gradients and letter paths
    }
};

void BM_RepaintWarm(benchmark::State& state)
{
    Card card;
    for (auto _ : state) {
        QImage image = card.panel.RenderScreen();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_RepaintWarm)->Unit(benchmark::kMillisecond);

void BM_RepaintFreshLayouts(benchmark::State& state)
{
    Card card;
    for (auto _ : state) {
        for (TGSuperText* t : card.superTexts)
            t->SetLayoutNeeded();
        QImage image = card.panel.RenderScreen();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_RepaintFreshLayouts)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
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
