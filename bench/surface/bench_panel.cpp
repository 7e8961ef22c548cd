// Cost of painting the card and of one step of dragging a selection.
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "surface/BusinessCardPanel.h"
#include "surface/Handle.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

// A 343 × 191 card with 200 objects: rectangles, ellipses, rounded
// rectangles and lines of several pen widths, grid on, zoom 1.5.
void fillCard(TGBusinessCardPanel32& panel)
{
    panel.resize(343, 191);
    panel.SetShowGrid(true);
    for (int i = 0; i < 200; ++i) {
        const int x = (i * 37) % 300;
        const int y = (i * 23) % 160;
        const TRect r(x, y, x + 20 + i % 30, y + 12 + i % 20);
        if (i % 4 == 3) {
            auto* line = new TGLineShape;
            line->SetLineStyle(TLineStyle(i % 4));
            line->SetPen({ clBlue, pmCopy, psSolid, 1 + i % 3 });
            line->Loaded();
            panel.AddObject(line, r);
        } else {
            auto* shape = new TBCShapes;
            shape->SetShape(i % 4 == 0 ? stRectangle : i % 4 == 1 ? stEllipse : stRoundRect);
            shape->SetBrush({ TColor(0x102030 * (i % 7)), bsSolid });
            shape->SetPen({ clBlack, pmCopy, psSolid, 1 + i % 4 });
            shape->Loaded();
            panel.AddObject(shape, r);
        }
    }
    panel.SetZoom(1.5f);
    panel.show();
    QApplication::processEvents();
}

void BM_FullRepaint(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    fillCard(panel);
    for (auto _ : state)
        panel.repaint();
    state.counters["objects"] = panel.ObjectCount();
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

void BM_DragStep(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    fillCard(panel);
    for (int i = 0; i < 50; ++i)
        panel.Handle().AddToSelection(panel.Objects()[i * 4]);
    const TGHandle& frame = panel.Handle();
    const QPoint start(frame.Left() + frame.Width() / 2, frame.Top() + frame.Height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, start, panel.mapToGlobal(start), Qt::LeftButton, Qt::LeftButton,
        Qt::NoModifier);
    QApplication::sendEvent(&panel, &press);
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        const QPoint p = start + QPoint(step % 20, step % 10);
        ++step;
        QMouseEvent move(QEvent::MouseMove, p, panel.mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&panel, &move);
        // The repaint the move asked for, as the event loop would run it.
        QApplication::processEvents();
    }
    state.counters["selected"] = frame.SelectionCount();
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRISVALE_PPI", "96");
    QApplication app(argc, argv);
    RegisterShapeClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
