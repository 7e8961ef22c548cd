// Writing and reading a design of 1,000 shapes and lines: the object stream
// to and from memory, and the panel's save and open through files. Also
// reading 1,000 text labels, and clearing a card of 1,000 objects.
#include "objects/BusinessCardLabel.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectFiler.h"
#include "surface/ObjectStream.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

// 1,000 objects: rectangles, round rectangles, ellipses and lines with
// varied pens, brushes and flags, as a busy card would hold.
void fillDesign(TGBasePanel& panel)
{
    for (int k = 0; k < 1000; ++k) {
        TGGraphicControl* o = nullptr;
        if (k % 4 == 3) {
            auto* line = new TGLineShape;
            line->SetLineStyle(TLineStyle(k % 4));
            TPen pen = line->Pen();
            pen.Width = 1 + k % 5;
            pen.Color = k % 3 ? clRed : 0x00102030 + k;
            line->SetPen(pen);
            o = line;
        } else {
            auto* shape = new TBCShapes;
            shape->SetShape(k % 3 == 0 ? stRectangle : k % 3 == 1 ? stRoundRect : stEllipse);
            shape->SetTransparent(k % 5 == 0);
            TBrush brush = shape->Brush();
            brush.Color = k % 2 ? clYellow : 0x00C0FFEE;
            shape->SetBrush(brush);
            shape->SetRoundPerc(20 + k % 60);
            o = shape;
        }
        o->SetParent(&panel);
        o->SetName(QStringLiteral("Special%1").arg(k + 1));
        o->SetBounds(k % 300, (k * 7) % 180, 10 + k % 200, 15 + k % 100);
        o->SetLocked(k % 7 == 0);
        o->Loaded();
    }
}

// 1,000 text labels of the card panel with fonts, alignments, effects and
// angles, the most common object of a design.
void fillLabels(TGBusinessCardPanel32& panel)
{
    for (int k = 0; k < 1000; ++k) {
        auto* label = new TGBusinessCardLabel;
        label->SetParent(&panel);
        label->SetName(QStringLiteral("Special%1").arg(k + 1));
        TFont font;
        font.Name = k % 2 ? QStringLiteral("Arial") : QStringLiteral("Times New Roman");
        font.SetSize(8 + k % 10);
        font.Color = k % 3 ? clNavy : clBlack;
        label->SetFont(font);
        label->SetCaption(QStringLiteral("Label number %1").arg(k));
        label->SetAlignment(TAlignment(k % 3));
        label->SetDepthShadow(k % 4);
        label->SetTransparent(k % 5 != 0);
        label->SetBounds(k % 300, (k * 7) % 180, 120, 20);
        label->SetAngle(k % 10 == 9 ? 90 : 0);
        label->Loaded();
    }
}

struct Fixture {
    TGBusinessCardPanel32 panel;
    QByteArray stream;
    TGBusinessCardPanel32 labelPanel;
    QByteArray labelStream;
    Fixture()
    {
        RegisterShapeClasses();
        RegisterLabelClasses();
        fillDesign(panel);
        QList<const TGGraphicControl*> list(panel.Objects().begin(), panel.Objects().end());
        stream = TGLabelObjectFiler::WriteStream(list);
        fillLabels(labelPanel);
        QList<const TGGraphicControl*> labels(labelPanel.Objects().begin(), labelPanel.Objects().end());
        labelStream = TGLabelObjectFiler::WriteStream(labels);
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_WriteStream1000(benchmark::State& state)
{
    Fixture& f = fixture();
    QList<const TGGraphicControl*> list(f.panel.Objects().begin(), f.panel.Objects().end());
    for (auto _ : state) {
        QByteArray out = TGLabelObjectFiler::WriteStream(list);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * f.stream.size());
}

void BM_ReadStream1000(benchmark::State& state)
{
    Fixture& f = fixture();
    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    for (auto _ : state) {
        QList<TGGraphicControl*> read = filer.ReadStream(f.stream, target.Owner(), target);
        benchmark::DoNotOptimize(read.size());
        state.PauseTiming();
        if (read.size() != 1000)
            state.SkipWithError("not all objects read");
        target.ClearAll();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.stream.size());
}

void BM_ReadLabels1000(benchmark::State& state)
{
    Fixture& f = fixture();
    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    for (auto _ : state) {
        QList<TGGraphicControl*> read = filer.ReadStream(f.labelStream, target.Owner(), target);
        benchmark::DoNotOptimize(read.size());
        state.PauseTiming();
        if (read.size() != 1000)
            state.SkipWithError("not all labels read");
        target.ClearAll();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * f.labelStream.size());
}

// Freeing every object of a card, as opening another design does first.
void BM_ClearAll1000(benchmark::State& state)
{
    Fixture& f = fixture();
    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    for (auto _ : state) {
        state.PauseTiming();
        filer.ReadStream(f.stream, target.Owner(), target);
        state.ResumeTiming();
        target.ClearAll();
    }
}

// The stream alone, without making objects: what the format costs.
void BM_ParseStream1000(benchmark::State& state)
{
    Fixture& f = fixture();
    for (auto _ : state) {
        auto records = ReadObjectStream(f.stream);
        benchmark::DoNotOptimize(records.data());
    }
    state.SetBytesProcessed(state.iterations() * f.stream.size());
}

// Wall time includes the disk sync of the safe save (write a temporary file,
// sync it, rename it over the design). The sync stays: without it a crash
// shortly after saving can leave a renamed but empty design on file systems
// that do not order data before the rename, and one save per command does not
// notice a millisecond. CPU time is the figure without the disk.
void BM_SaveToFile1000(benchmark::State& state)
{
    Fixture& f = fixture();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.qrd"));
    for (auto _ : state)
        f.panel.SaveToFile(path);
}

void BM_LoadFromFile1000(benchmark::State& state)
{
    Fixture& f = fixture();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.qrd"));
    f.panel.SaveToFile(path);
    TGBusinessCardPanel32 target;
    for (auto _ : state) {
        target.LoadFromFile(path);
        state.PauseTiming();
        target.ClearAll();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_WriteStream1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStream1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLabels1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClearAll1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseStream1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveToFile1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFromFile1000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
