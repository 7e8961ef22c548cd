// Multi-line text and the symbol selector: wrapping and drawing a
// 254-character multi-line label at zoom 1.5 (goal: under 0.5 ms), and
// opening the symbol selector on the default symbol (goal: under 150 ms).
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_multiline
#include "objects/GetSymbol.h"
#include "objects/MultiLineLabel.h"
#include "objects/SymbolLabel.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

QStringList text254()
{
    // Four lines, 254 characters with the three line breaks.
    QStringList lines = { QStringLiteral("Riverside Business Park, Unit 4, Long Lane, Brisvale BV4 7QX"),
        QStringLiteral("Telephone 0117 496 0000, facsimile 0117 496 0001, mobile 07700 900123"),
        QStringLiteral("Accounts, orders and deliveries: orders@example.com, www.example.com"),
        QString() };
    int used = 3;
    for (int k = 0; k < 3; ++k)
        used += lines[k].size();
    lines[3] = QStringLiteral("Open weekdays nine to five ").repeated(10).left(254 - used);
    return lines;
}

void BM_WrapAndDrawMultiLine(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    auto* label = new TGMultiLineLabel;
    label->SetParent(&panel);
    TFont f;
    f.Name = QStringLiteral("Liberation Sans");
    f.SetSize(10);
    label->SetFont(f);
    label->SetItems(text254());
    label->SetBounds(10, 10, 190, 120);
    label->SetWordWrap(true);
    label->Loaded();
    panel.AttachObject(label);
    panel.SetZoom(1.5f);
    QImage image(label->Width(), label->Height(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        label->WrapLines();
        image.fill(Qt::white);
        QPainter p(&image);
        label->DrawTo(p);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["characters"] = label->Items().join(QLatin1Char('\n')).size();
    state.counters["lines"] = label->WrappedLines().size();
}
BENCHMARK(BM_WrapAndDrawMultiLine)->Unit(benchmark::kMicrosecond);

void BM_OpenSymbolSelector(benchmark::State& state)
{
    TGBusinessCardPanel32 panel;
    auto* symbol = new TGSymbolLabel;
    symbol->SetParent(&panel);
    symbol->Loaded();
    for (auto _ : state) {
        TGetSymbol dialog;
        dialog.SetSelectedFont(symbol->Font());
        dialog.SetListFontNameAndStyle(symbol->Font());
        dialog.SetSelectedIndex(symbol->Caption().at(0).unicode() - 32);
        dialog.show();
        // The first paint draws the visible cells.
        QImage shot = dialog.grab().toImage();
        benchmark::DoNotOptimize(shot.bits());
        dialog.hide();
    }
}
BENCHMARK(BM_OpenSymbolSelector)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
