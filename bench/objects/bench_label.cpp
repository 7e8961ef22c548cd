// Repainting a card full of text labels: 100 labels with shadow and
// highlight at zoom 1.5, layouts already computed (the usual repaint), and
// for comparison the same card when every layout must be recomputed.
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_label
#include "objects/BusinessCardLabel.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

struct Card {
    TGBusinessCardPanel32 panel;
    QList<TGBusinessCardLabel*> labels;
    Card()
    {
        for (int i = 0; i < 100; ++i) {
            auto* l = new TGBusinessCardLabel;
            l->SetParent(&panel);
            TFont f;
            f.Name = QStringLiteral("Liberation Sans");
            f.SetSize(8 + i % 8);
            f.Color = clNavy;
            l->SetFont(f);
            l->SetCaption(QStringLiteral("Label number %1").arg(i));
            l->SetBounds((i % 4) * 85, (i / 4) * 7, 120, 20);
            l->SetDirectionShadow(sdDownRight);
            l->SetDepthShadow(2);
            l->SetDirectionHighlight(hdUpLeft);
            l->SetDepthHighlight(1);
            l->SetAngle(i % 10 == 9 ? 90 : 0);
            l->Loaded();
            panel.AttachObject(l);
            labels << l;
        }
        panel.SetZoom(1.5f);
        panel.RenderScreen(); // lays every label out once
    }
};

void BM_RepaintCachedLayouts(benchmark::State& state)
{
    Card card;
    for (auto _ : state) {
        QImage image = card.panel.RenderScreen();
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_RepaintCachedLayouts)->Unit(benchmark::kMillisecond);

void BM_RepaintFreshLayouts(benchmark::State& state)
{
    Card card;
    for (auto _ : state) {
        for (TGBusinessCardLabel* l : card.labels)
            l->SetLayoutDirty();
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
