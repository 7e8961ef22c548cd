// Undo and redo on a 200-object design (shapes, lines and labels): one step
// back and one forward, and the memory 100 steps of that design hold.
#include "app/DesignClasses.h"
#include "app/UndoHistory.h"
#include "objects/BusinessCardLabel.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

void fill(TGBusinessCardPanel32& panel)
{
    for (int i = 0; i < 200; ++i) {
        TGGraphicControl* o = nullptr;
        switch (i % 3) {
        case 0: o = new TBCShapes; break;
        case 1: o = new TGLineShape; break;
        default: {
            auto* label = new TGBusinessCardLabel;
            label->SetCaption(QStringLiteral("Label %1").arg(i));
            o = label;
        }
        }
        o->SetParent(&panel);
        o->SetName(QStringLiteral("Obj%1").arg(i));
        o->SetBounds(i % 300, (i * 7) % 180, 40, 20);
        o->Loaded();
    }
    panel.AttachAll();
}

void BM_UndoRedoStep(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    fill(panel);
    TUndoHistory history(panel.Model());
    // One change to undo and redo: the first object moved.
    panel.Objects().first()->SetLeft(5);
    history.NoteChange();
    history.CommitPending();
    for (auto _ : state) {
        history.Undo();
        history.Redo();
    }
    state.counters["steps"] = benchmark::Counter(2, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel("one undo and one redo");
}
BENCHMARK(BM_UndoRedoStep)->Unit(benchmark::kMillisecond);

void BM_MemoryOfHundredSteps(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    fill(panel);
    TUndoHistory history(panel.Model());
    for (auto _ : state) {
        history.Reset();
        for (int step = 0; step < 100; ++step) {
            panel.Objects()[step]->SetLeft(panel.Objects()[step]->Left() + 1);
            history.NoteChange();
            history.CommitPending();
        }
    }
    state.counters["KiB"] = double(history.MemoryUsed()) / 1024.0;
    state.SetLabel("taking 100 snapshots; KiB held by them");
}
BENCHMARK(BM_MemoryOfHundredSteps)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    RegisterDesignClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
