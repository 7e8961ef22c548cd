// Cost of painting a card of SuperShapes once their gradients are built, and
// of changing one shape's colour (the gradient is rebuilt for that shape only
// and its area repainted).
#include "effects/SuperShape.h"
#include "surface/BusinessCardPanel.h"
#include "pageengine/PageCanvasEngine.h"

#include <QPainter>

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

// A 343 × 191 card with 50 stars (five to eight points) of 40 to 64 pixels,
// gradient surfaces in all four directions and shadows on all four sides,
// shown at zoom 1.5.
void fillCard(TGBusinessCardPanel32& panel)
{
    panel.resize(343, 191);
    for (int i = 0; i < 50; ++i) {
        const int x = (i * 37) % 290;
        const int y = (i * 23) % 140;
        const int side = 40 + (i * 7) % 25;
        auto* shape = new TSuperShape;
        shape->SetBounds(0, 0, side, side);
        shape->SetVectors(10 + 2 * (i % 4));
        shape->SetBackColor(TColor(0x102030 * (i % 7 + 1)));
        shape->SetGradientToColor(TColor(0xF0E0D0 - 0x101010 * (i % 5)));
        shape->SetFillDirection(TFillDirection(i % 4));
        shape->SetShadowOrient(TShadowOrient(1 + i % 4));
        shape->SetShadowColor(clGray);
        shape->SetOutlineWidth(1 + i % 2);
        shape->Loaded();
        panel.AddObject(shape, TRect(x, y, x + side, y + side));
    }
    panel.SetZoom(1.5f);
    panel.show();
    QApplication::processEvents();
    panel.repaint(); // warm: every gradient built at the zoomed size
}

void BM_RepaintCardOf50SuperShapes(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    fillCard(panel);
    for (auto _ : state)
        panel.repaint();
    state.counters["objects"] = panel.ObjectCount();
}
BENCHMARK(BM_RepaintCardOf50SuperShapes)->Unit(benchmark::kMillisecond);

void BM_ChangeOneColourAndRepaint(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    fillCard(panel);
    auto* shape = static_cast<TSuperShape*>(panel.Objects()[25]);
    int step = 0;
    for (auto _ : state) {
        shape->SetBackColor(++step % 2 ? clTeal : clMaroon);
        // The repaint the change asked for, as the event loop would run it.
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ChangeOneColourAndRepaint)->Unit(benchmark::kMillisecond);

// A star whose stored outline is 65,537 pixels wide: drawn as the widest
// outline that can change a pixel of the shape.
void BM_PaintStarWithOutline65537(benchmark::State& state)
{
    TSuperShape shape;
    shape.SetBounds(0, 0, 200, 120);
    shape.SetShape(gstStar);
    shape.SetLoading(true);
    shape.SetOutlineWidth(65537);
    shape.SetLoading(false);
    QImage img(200, 120, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        shape.PaintAt(p, 0, 0);
    }
}
BENCHMARK(BM_PaintStarWithOutline65537)->Unit(benchmark::kMillisecond);

// An 8,192-pixel shape with a 1 x 1 texture printed at 300 dpi on a letter
// page: only the visible part is tiled, in groups of tiles.
void BM_PrintHugeTexturedShape(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    auto* shape = new TSuperShape;
    shape->SetParent(&panel);
    shape->SetBounds(0, 0, 8192, 8192);
    shape->SetShape(gstRectangle);
    shape->SetSurfaceType(stBrushImage);
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::red);
    shape->SetImage(Dib::FromImage(one));
    QImage sheet(2550, 3300, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&sheet);
        TCanvasPageEngine engine(&painter, TDeviceFacts{ 300, 300, 0, 0, 0, 8.5, 11 });
        engine.OnPrint = [&panel](TPageEngine& e) { panel.PrintObjects(e, 0.5, 0.5); };
        engine.Execute();
    }
}
BENCHMARK(BM_PrintHugeTexturedShape)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRISVALE_PPI", "96");
    QApplication app(argc, argv);
    RegisterSuperShapeClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
