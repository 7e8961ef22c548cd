// Undo and redo on a 200-object design (shapes, lines and labels): one step
// back and one forward, and the memory 100 steps of that design hold. And a
// step on a card holding an 18 MB bitmap: a small box moved by one pixel, as
// an arrow key moves it (time and bytes held per step).
#include "app/DesignClasses.h"
#include "app/UndoHistory.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectStream.h"

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

// A 24-bit bitmap file of w × h pixels.
QByteArray bitmapFile(int w, int h)
{
    const int stride = (w * 3 + 3) & ~3;
    const quint32 size = 54 + quint32(stride) * quint32(h);
    QByteArray b(qsizetype(size), '\0');
    auto put32 = [&](int at, quint32 v) {
        for (int k = 0; k < 4; ++k)
            b[at + k] = char((v >> (8 * k)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(w));
    put32(22, quint32(h));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b[54 + qsizetype(y) * stride + x * 3 + 1] = char((x + y) & 0xFF);
    return b;
}

void BM_StepBesideLargeBitmap(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    panel.SetDeletesTemporaryFiles(false);
    auto* image = new TGImage;
    image->SetPictureData(MakePictureData(QStringLiteral("TBitmap"), bitmapFile(3000, 2000))); // 18 MB
    image->Loaded();
    panel.AddObject(image, TRect(0, 0, 300, 150));
    auto* box = new TBCShapes;
    box->Loaded();
    panel.AddObject(box, TRect(20, 20, 50, 40));
    TUndoHistory history(panel.Model());
    const qint64 before = history.MemoryUsed();
    int steps = 0;
    for (auto _ : state) {
        box->SetLeft(20 + (steps % 100));
        ++steps;
        history.NoteChange();
        history.CommitPending();
        if (history.StepCount() >= TUndoHistory::MaxSteps) {
            state.PauseTiming();
            history.Reset();
            state.ResumeTiming();
        }
    }
    // Bytes one step adds, from a history of 20 steps.
    history.Reset();
    const qint64 start = history.MemoryUsed();
    for (int i = 0; i < 20; ++i) {
        box->SetLeft(box->Left() + 1);
        history.NoteChange();
        history.CommitPending();
    }
    state.counters["KiB/step"] = double(history.MemoryUsed() - start) / 20.0 / 1024.0;
    state.counters["MiB held"] = double(before) / (1024.0 * 1024.0);
    state.SetLabel("one step: a box moved beside an 18 MB bitmap");
}
BENCHMARK(BM_StepBesideLargeBitmap)->Unit(benchmark::kMillisecond);

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
