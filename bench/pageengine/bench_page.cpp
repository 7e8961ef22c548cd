// Recording one page of about 450 mixed drawing calls, and replaying it at
// 100 % as the preview does (96 ppi screen) and at the recording device's
// own 300 dpi.
#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PagePlayer.h"
#include "pageengine/PageRecorder.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPicture>
#include <benchmark/benchmark.h>

using namespace bv;
using namespace bv::PageStyle;

namespace {

const TDeviceFacts Printer300{300, 300, 0.25, 0.25, 0.25, 8.5, 11};

struct Assets {
    Dib texture;
    QPicture picture;
    Assets()
    {
        QImage img(32, 32, QImage::Format_RGB32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                img.setPixel(x, y, qRgb(x * 8, y * 8, 128));
        texture = Dib::FromImage(img);
        QPainter p(&picture);
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 12));
        p.drawText(4, 20, QStringLiteral("Company Name"));
        p.end();
        picture.setBoundingRect(QRect(0, 0, 150, 30));
    }
};

// Ten cards of a sheet, about 45 calls each: shapes, lines, text, a picture, a
// clipped texture and a gradient strip.
void sheet(TPageEngine& e, const Assets& a)
{
    for (int card = 0; card < 10; ++card) {
        const double x = 0.75 + (card % 2) * 3.5, y = 0.5 + (card / 2) * 2.0;
        e.SetPen(clSilver, psSolid, -1);
        e.SetBrush(clBlack, bsClear);
        e.Rectangle(x, y, x + 3.5, y + 2.0);
        e.SetPen(clNavy, psSolid, -2);
        e.SetBrush(clYellow, bsSolid);
        e.Ellipse(x + 0.1, y + 0.1, x + 0.6, y + 0.6);
        e.RoundRect(x + 0.7, y + 0.1, x + 1.5, y + 0.6, 0.1, 0.1);
        e.MoveTo(x + 0.1, y + 0.7);
        e.LineTo(x + 3.4, y + 0.7);
        e.SetFont(QStringLiteral("Liberation Sans"), 10);
        e.SetTextBKMode(tbTransparent);
        e.SetFontColor(clBlack);
        for (int line = 0; line < 4; ++line) {
            e.GotoXY(x + 0.2, y + 1.0 + line * 0.2);
            e.PrintText(QStringLiteral("Line %1\tof the card").arg(line));
        }
        e.StretchGraphic(e.InchRectToDevice(x + 1.8, y + 0.1, x + 3.3, y + 0.4), a.picture);
        e.PushEllipseRegion(x + 2.6, y + 1.0, x + 3.4, y + 1.9);
        e.SelectTopRegion();
        e.StretchBitmap(x + 2.6, y + 1.0, x + 3.0, y + 1.4, a.texture);
        e.StretchBitmap(x + 3.0, y + 1.0, x + 3.4, y + 1.4, a.texture);
        e.StretchBitmap(x + 2.6, y + 1.4, x + 3.0, y + 1.9, a.texture);
        e.ClearClip();
        e.PopRegion();
        const TDeviceRect strip = e.InchRectToDevice(x + 0.1, y + 1.85, x + 2.5, y + 1.95);
        for (int band = 0; band < 8; ++band) {
            e.SetBrush(band * 0x200010, bsSolid);
            e.FillDeviceRect(strip.Left + band * strip.Width() / 8, strip.Top,
                             strip.Left + (band + 1) * strip.Width() / 8, strip.Bottom);
        }
    }
}

QByteArray recordSheet(const Assets& a)
{
    QBuffer stream;
    TPageRecorder r;
    r.SetDeviceFacts(Printer300);
    r.SetStream(&stream);
    r.OnPrint = [&](TPageEngine& e) { sheet(e, a); };
    r.Execute();
    return stream.data();
}

void BM_RecordPage(benchmark::State& state)
{
    const Assets a;
    for (auto _ : state) {
        QByteArray rec = recordSheet(a);
        benchmark::DoNotOptimize(rec.data());
    }
}
BENCHMARK(BM_RecordPage)->Unit(benchmark::kMillisecond);

void BM_ReplayPreview96(benchmark::State& state)
{
    const Assets a;
    const QByteArray rec = recordSheet(a);
    for (auto _ : state) {
        TPagePlayer player;
        player.Load(rec);
        QImage page = player.RenderPage(1, 96);
        benchmark::DoNotOptimize(page.bits());
    }
}
BENCHMARK(BM_ReplayPreview96)->Unit(benchmark::kMillisecond);

void BM_ReplayDevice300(benchmark::State& state)
{
    const Assets a;
    const QByteArray rec = recordSheet(a);
    TPagePlayer player;
    player.Load(rec);
    player.SetDeviceFacts(Printer300);
    QImage page(2550, 3300, QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter p(&page);
        player.PlayPage(1, &p);
        p.end();
        benchmark::DoNotOptimize(page.bits());
    }
}
BENCHMARK(BM_ReplayDevice300)->Unit(benchmark::kMillisecond);

void BM_DirectDevice300(benchmark::State& state)
{
    const Assets a;
    QImage page(2550, 3300, QImage::Format_RGB32);
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter p(&page);
        TCanvasPageEngine e(&p, Printer300);
        e.OnPrint = [&](TPageEngine& engine) { sheet(engine, a); };
        e.Execute();
        p.end();
        benchmark::DoNotOptimize(page.bits());
    }
}
BENCHMARK(BM_DirectDevice300)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
