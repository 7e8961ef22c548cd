// Pictures: repainting a card that holds a 1000 x 700 24-bit bitmap at zoom
// 1.5 (budget 4 ms), and playing a metafile of 2000 records (brushes, pens,
// rectangles, ellipses, polygons, lines, text) onto a 3.5 x 2 inch card at
// 600 dpi (budget 20 ms).
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_image
#include "../../tests/support/PictureKit.h"
#include "objects/Image.h"
#include "surface/BusinessCardPanel.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace bv;

namespace {

void BM_RepaintCardWithBitmapAtZoom15(benchmark::State& state)
{
    QImage photo(1000, 700, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    TGBusinessCardPanel32 panel;
    auto* image = new TGImage;
    image->SetParent(&panel);
    image->SetBounds(0, 0, 336, 192);
    image->Loaded();
    panel.AttachObject(image);
    image->SetPicture(TPicture::FromBitmap(Dib::FromImage(photo)));
    panel.SetZoom(1.5f);
    for (auto _ : state) {
        QImage shown = panel.RenderScreen();
        benchmark::DoNotOptimize(shown.bits());
    }
}
BENCHMARK(BM_RepaintCardWithBitmapAtZoom15)->Unit(benchmark::kMillisecond);

// 2000 records: 400 groups of brush, select, figure, delete and one more
// figure record (a pen every tenth group, text every twentieth).
QByteArray metafile2000()
{
    test::EmfBuilder e;
    e.record(17, {8}).record(9, {3500, 2000}).record(11, {3500, 2000});
    int records = 3;
    for (int i = 0; records < 1998; ++i) {
        const int x = (i * 37) % 3300, y = (i * 53) % 1800;
        e.brush(1, qRgb((i * 40) % 256, (i * 90) % 256, (i * 10) % 256)).select(1);
        records += 2;
        switch (i % 4) {
        case 0: e.rectangle(x, y, x + 150, y + 100); break;
        case 1: e.ellipse(x, y, x + 200, y + 120); break;
        case 2: e.record(86, {x, y, x + 100, y + 100, 4, (y << 16) | x, ((y + 90) << 16) | (x + 40),
                     ((y + 20) << 16) | (x + 100), ((y + 60) << 16) | (x + 10)}); break; // Polygon16
        default: e.record(87, {x, y, x + 100, y + 100, 3, (y << 16) | x, ((y + 80) << 16) | (x + 50),
                      (y << 16) | (x + 100)}); break; // Polyline16
        }
        ++records;
        if (i % 10 == 0) {
            e.pen(2, 0, 1 + i % 5, qRgb(0, 0, 0)).select(2);
            records += 2;
        } else if (i % 20 == 5) {
            // ExtTextOutW of "Card" at (x, y).
            QByteArray t = test::le32(0) + test::le32(0) + test::le32(0) + test::le32(0) + test::le32(1)
                + test::le32(0) + test::le32(0) + test::le32(x) + test::le32(y) + test::le32(4) + test::le32(76)
                + test::le32(0) + test::le32(0) + test::le32(0) + test::le32(0) + test::le32(0) + test::le32(0);
            t += QByteArray("C\0a\0r\0d\0", 8);
            e.raw(84, t);
            ++records;
        } else {
            e.record(40, {1});
            ++records;
        }
    }
    return e.file(8890, 5080);
}

void BM_PlayMetafileAt600Dpi(benchmark::State& state)
{
    const Metafile m = Metafile::FromBytes(metafile2000());
    QImage card(2100, 1200, QImage::Format_RGB32);
    for (auto _ : state) {
        card.fill(Qt::white);
        QPainter p(&card);
        m.Play(p, QRectF(0, 0, card.width(), card.height()));
        p.end();
        benchmark::DoNotOptimize(card.bits());
    }
    state.counters["records"] = m.RecordCount();
}
BENCHMARK(BM_PlayMetafileAt600Dpi)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
