// A background of dense hairline art (528 polylines of an enhanced
// metafile, one screen pixel wide) played the way the screen shows it
// (350 x 200 pixels) and the way print output draws it (2400 pixels wide, at
// 12 times the screen's scale), both with anti-aliasing asked for as the
// page painters ask for it.
#include "pictures/Metafile.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace bv;

namespace {

QByteArray le32(std::int64_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<std::uint32_t>(std::uint32_t(v), b.data());
    return b;
}

// Guilloche-like line art: 528 polylines of 60 points each over a frame of
// 3.5 x 2 inches (a card background).
QByteArray lineArt()
{
    QByteArray records;
    int count = 0;
    auto record = [&](int type, const QByteArray& body) {
        records += le32(type) + le32(8 + body.size()) + body;
        ++count;
    };
    record(38, le32(1) + le32(0) + le32(0) + le32(0) + le32(0x00603020)); // CreatePen: solid, hairline
    record(37, le32(1));                                                 // SelectObject
    for (int line = 0; line < 528; ++line) {
        QByteArray pts;
        for (int i = 0; i < 60; ++i) {
            const double t = i / 59.0;
            const double x = t * 3360;
            const double y = 960 + 900 * std::sin(t * 6.283 * 3 + line * 0.012) * std::cos(line * 0.02);
            pts += le32(std::lround(x)) + le32(std::lround(y));
        }
        record(4, le32(0) + le32(0) + le32(3360) + le32(1920) + le32(60) + pts); // Polyline
    }
    const QByteArray eof = le32(14) + le32(20) + le32(0) + le32(16) + le32(20);
    // Frame 88.9 x 50.8 mm; reference device 96 pixels per inch.
    const QByteArray header = le32(1) + le32(88) + le32(0) + le32(0) + le32(3359) + le32(1919) + le32(0) + le32(0)
        + le32(8890) + le32(5080) + le32(0x464D4520) + le32(0x10000) + le32(88 + records.size() + eof.size())
        + le32(count + 2) + QByteArray("\x02\x00\x00\x00", 4) + le32(0) + le32(0) + le32(0) + le32(3360)
        + le32(1920) + le32(889) + le32(508);
    return header + records + eof;
}

void play(benchmark::State& state, int width, double painterScale)
{
    const Metafile m = Metafile::FromBytes(lineArt());
    QImage img(width, width * 4 / 7, QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(painterScale, painterScale);
        m.Play(p, QRectF(0, 0, width / painterScale, width * 4 / 7 / painterScale));
        p.end();
        benchmark::DoNotOptimize(img.bits());
    }
}

void BM_LineArtScreen(benchmark::State& state)
{
    play(state, 350, 1);
}
BENCHMARK(BM_LineArtScreen)->Unit(benchmark::kMillisecond);

void BM_LineArtPrint2400(benchmark::State& state)
{
    play(state, 2400, 2400 / 350.0);
}
BENCHMARK(BM_LineArtPrint2400)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
