// Writes the background pictures the program ships in its "bg" folder into
// the folder given on the command line:
//
//     make_backgrounds <output folder>
//
// Every picture is card-sized (3.5 by 2 inches, lying): the bitmaps are
// 24-bit Windows bitmaps of 504 × 288 pixels (144 per inch), written through
// the program's own DIB code; the metafiles are placeable Windows metafiles
// of 3500 × 2000 units at 1000 units per inch, written by the small writer
// below with only the records every metafile player knows (window origin and
// extent, pens, brushes, rectangles, ellipses, round rectangles, polygons and
// polylines). Text areas are left quiet: the art lives at the edges, in bands
// or as faint washes. The output depends on nothing but this file (own hash,
// no library random numbers), so a build anywhere gives the same bytes.
#include "platform/Dib.h"
#include "platform/Errors.h"
#include "pictures/Metafile.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QVector>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int BmpWidth = 504;
constexpr int BmpHeight = 288;
constexpr int WmfWidth = 3500;
constexpr int WmfHeight = 2000;

struct Rgb {
    double r, g, b;
};

Rgb mix(const Rgb& a, const Rgb& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

QRgb toRgb(const Rgb& c)
{
    auto ch = [](double v) { return int(std::clamp(std::lround(v), 0L, 255L)); };
    return qRgb(ch(c.r), ch(c.g), ch(c.b));
}

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed)
{
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    h *= 0x27D4EB2Du;
    h ^= h >> 16;
    return h;
}

double unit(std::uint32_t h)
{
    return h / 4294967295.0;
}

// Smooth value noise with cells of `cell` pixels, 0 .. 1.
double noise(double x, double y, double cell, std::uint32_t seed)
{
    const double fx = x / cell, fy = y / cell;
    const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    auto s = [](double t) { return t * t * (3 - 2 * t); };
    const double tx = s(fx - ix), ty = s(fy - iy);
    auto at = [&](int cx, int cy) { return unit(hash(std::uint32_t(cx + 4096), std::uint32_t(cy + 4096), seed)); };
    const double a = at(ix, iy), b = at(ix + 1, iy), c = at(ix, iy + 1), d = at(ix + 1, iy + 1);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

double fbm(double x, double y, double cell, int octaves, std::uint32_t seed)
{
    double sum = 0, amp = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * noise(x, y, cell, seed + std::uint32_t(o));
        total += amp;
        amp *= 0.5;
        cell /= 2;
    }
    return sum / total;
}

// A bitmap whose every pixel comes from a function of (x, y) in 0 .. 1.
QImage shade(const std::function<Rgb(double x, double y, int px, int py)>& f)
{
    QImage img(BmpWidth, BmpHeight, QImage::Format_RGB32);
    for (int y = 0; y < BmpHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < BmpWidth; ++x)
            row[x] = toRgb(f((x + 0.5) / BmpWidth, (y + 0.5) / BmpHeight, x, y));
    }
    return img;
}

// --- bitmaps --------------------------------------------------------------------------------

QImage skyGradient()
{
    const Rgb top {196, 222, 244}, mid {232, 242, 251}, low {255, 255, 255};
    return shade([&](double, double y, int px, int py) {
        const Rgb c = y < 0.45 ? mix(top, mid, y / 0.45) : mix(mid, low, (y - 0.45) / 0.55);
        const double grain = (unit(hash(std::uint32_t(px), std::uint32_t(py), 11)) - 0.5) * 2.0;
        return Rgb {c.r + grain, c.g + grain, c.b + grain};
    });
}

QImage sunriseWash()
{
    const Rgb peach {252, 222, 200}, cream {255, 250, 240}, rose {248, 226, 230};
    return shade([&](double x, double y, int, int) {
        const double t = (x * 0.7 + y * 0.3);
        return t < 0.5 ? mix(peach, cream, t / 0.5) : mix(cream, rose, (t - 0.5) / 0.5);
    });
}

QImage linen()
{
    const Rgb base {247, 243, 233};
    return shade([&](double, double, int px, int py) {
        // Threads: a value per row and per column, crossing like a weave.
        const double warp = unit(hash(std::uint32_t(px), 0, 21)) - 0.5;
        const double weft = unit(hash(0, std::uint32_t(py), 22)) - 0.5;
        const double fleck = unit(hash(std::uint32_t(px), std::uint32_t(py), 23)) - 0.5;
        const double v = ((px + py) % 2 ? warp : weft) * 14 + fleck * 5;
        return Rgb {base.r + v, base.g + v, base.b + v * 1.1};
    });
}

QImage parchment()
{
    const Rgb light {246, 236, 212}, dark {222, 200, 158}, edge {176, 140, 96};
    return shade([&](double x, double y, int px, int py) {
        const double m = fbm(px, py, 96, 5, 31);
        Rgb c = mix(light, dark, (m - 0.35) * 1.6);
        // Darkened edges, as old paper is.
        const double dx = std::min(x, 1 - x) * 3.5, dy = std::min(y, 1 - y) * 2.0;
        const double e = std::clamp(1 - std::min(dx, dy) * 5, 0.0, 1.0);
        c = mix(c, edge, e * e * 0.75);
        return c;
    });
}

QImage slateBand()
{
    const Rgb slateTop {44, 58, 74}, slateLow {72, 92, 114}, gold {201, 162, 78}, paper {255, 255, 255};
    return shade([&](double x, double y, int px, int py) {
        const double band = 0.24;
        if (x < band) {
            const double grain = (unit(hash(std::uint32_t(px), std::uint32_t(py), 41)) - 0.5) * 5;
            const Rgb c = mix(slateTop, slateLow, y);
            return Rgb {c.r + grain, c.g + grain, c.b + grain};
        }
        if (x < band + 0.008)
            return gold;
        return paper;
    });
}

QImage meadowGlow()
{
    const Rgb white {255, 255, 255}, green {200, 230, 196}, deep {150, 200, 150};
    return shade([&](double x, double y, int, int) {
        const double dx = (x - 1.0) * 1.75, dy = (y - 1.0);
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < 0.35)
            return mix(deep, green, d / 0.35);
        return mix(green, white, (d - 0.35) / 0.75);
    });
}

QImage pinstripe()
{
    const Rgb base {246, 247, 249}, stripe {222, 226, 233};
    return shade([&](double, double, int px, int) {
        const int m = px % 14;
        if (m == 0)
            return stripe;
        if (m == 1 || m == 13)
            return mix(base, stripe, 0.35);
        return base;
    });
}

QImage navyHeader()
{
    const Rgb navy {20, 38, 82}, navyLight {38, 66, 128}, accent {232, 174, 62}, paper {255, 255, 255},
        paperLow {238, 242, 248};
    return shade([&](double x, double y, int, int) {
        const double header = 0.36;
        if (y < header)
            return mix(navy, navyLight, x * 0.8 + y);
        if (y < header + 0.025)
            return accent;
        return mix(paper, paperLow, (y - header) / (1 - header));
    });
}

// --- metafiles ------------------------------------------------------------------------------

// Collects the records of a placeable Windows metafile. Drawing uses one pen
// and one brush at a time: each Use() deletes the previous pair, so the
// object table never holds more than two entries.
class WmfWriter {
public:
    WmfWriter()
    {
        record(0x020B, {0, 0});                   // SetWindowOrg (y, x)
        record(0x020C, {WmfHeight, WmfWidth});    // SetWindowExt (y, x)
        record(0x0103, {1});                      // SetBkMode: transparent
    }

    // A pen (0 solid, 5 none) and a solid or clear brush.
    void Use(QRgb penColour, int penWidth, QRgb brushColour, bool solidBrush = true, int penStyle = 0)
    {
        if (haveObjects) {
            record(0x01F0, {0}); // DeleteObject
            record(0x01F0, {1});
        }
        const std::uint32_t pen = colorRef(penColour);
        record(0x02FA, {std::uint16_t(penStyle), std::uint16_t(penWidth), 0, std::uint16_t(pen & 0xFFFF),
                        std::uint16_t(pen >> 16)});
        const std::uint32_t brush = colorRef(brushColour);
        record(0x02FC, {std::uint16_t(solidBrush ? 0 : 1), std::uint16_t(brush & 0xFFFF), std::uint16_t(brush >> 16), 0});
        record(0x012D, {0}); // SelectObject
        record(0x012D, {1});
        haveObjects = true;
    }
    // A filled shape without outline.
    void Fill(QRgb colour) { Use(colour, 0, colour, true, 5); }

    void Rectangle(int l, int t, int r, int b) { record(0x041B, {u(b), u(r), u(t), u(l)}); }
    void Ellipse(int l, int t, int r, int b) { record(0x0418, {u(b), u(r), u(t), u(l)}); }
    void RoundRect(int l, int t, int r, int b, int w, int h) { record(0x061C, {u(h), u(w), u(b), u(r), u(t), u(l)}); }
    void Polygon(const std::vector<QPoint>& pts) { poly(0x0324, pts); }
    void Polyline(const std::vector<QPoint>& pts) { poly(0x0325, pts); }

    QByteArray Bytes()
    {
        QByteArray body = records;
        appendRecord(body, 0x0000, {}); // end of file
        QByteArray header(18, '\0');
        auto put16 = [&](int at, int v) { qToLittleEndian<std::uint16_t>(std::uint16_t(v), header.data() + at); };
        auto put32 = [&](int at, std::uint32_t v) { qToLittleEndian<std::uint32_t>(v, header.data() + at); };
        put16(0, 1);      // memory metafile
        put16(2, 9);      // header words
        put16(4, 0x0300); // version
        put32(6, std::uint32_t((18 + body.size()) / 2));
        put16(10, 2);     // objects
        put32(12, maxRecord);
        put16(16, 0);
        return bv::Metafile::PlaceableHeader(0, 0, WmfWidth, WmfHeight, 1000) + header + body;
    }

private:
    static std::uint16_t u(int v) { return std::uint16_t(std::int16_t(v)); }
    static std::uint32_t colorRef(QRgb c)
    {
        return std::uint32_t(qRed(c)) | std::uint32_t(qGreen(c)) << 8 | std::uint32_t(qBlue(c)) << 16;
    }
    void poly(int fn, const std::vector<QPoint>& pts)
    {
        std::vector<std::uint16_t> p {std::uint16_t(pts.size())};
        for (const QPoint& q : pts) {
            p.push_back(u(q.x()));
            p.push_back(u(q.y()));
        }
        record(fn, p);
    }
    void record(int fn, const std::vector<std::uint16_t>& params) { appendRecord(records, fn, params); }
    void appendRecord(QByteArray& out, int fn, const std::vector<std::uint16_t>& params)
    {
        const std::uint32_t words = std::uint32_t(3 + params.size());
        maxRecord = std::max(maxRecord, words);
        char buf[4];
        qToLittleEndian<std::uint32_t>(words, buf);
        out.append(buf, 4);
        qToLittleEndian<std::uint16_t>(std::uint16_t(fn), buf);
        out.append(buf, 2);
        for (std::uint16_t v : params) {
            qToLittleEndian<std::uint16_t>(v, buf);
            out.append(buf, 2);
        }
    }

    QByteArray records;
    std::uint32_t maxRecord = 3;
    bool haveObjects = false;
};

std::vector<QPoint> arc(double cx, double cy, double rx, double ry, double from, double to, int steps)
{
    std::vector<QPoint> pts;
    for (int i = 0; i <= steps; ++i) {
        const double a = (from + (to - from) * i / steps) * Pi / 180;
        pts.emplace_back(int(std::lround(cx + rx * std::cos(a))), int(std::lround(cy - ry * std::sin(a))));
    }
    return pts;
}

// A leaf from its stalk at `at`, pointing in direction `degrees`
// (counter-clockwise from the right, y growing downwards).
std::vector<QPoint> leafShape(QPoint at, double degrees, double length, double width)
{
    const double a = degrees * Pi / 180;
    const double ux = std::cos(a), uy = -std::sin(a), vx = -uy, vy = ux;
    std::vector<QPoint> shape;
    for (int side : {1, -1})
        for (int k = 0; k <= 16; ++k) {
            const double t = side > 0 ? k / 16.0 : 1 - k / 16.0;
            const double s = side * std::sin(t * Pi) * std::pow(1 - t, 0.35) * width * 0.6;
            shape.emplace_back(int(std::lround(at.x() + ux * length * t + vx * s)),
                int(std::lround(at.y() + uy * length * t + vy * s)));
        }
    return shape;
}

QByteArray classicBorder()
{
    WmfWriter w;
    const QRgb navy = qRgb(28, 44, 92);
    w.Use(navy, 28, 0, false);
    w.Rectangle(90, 90, WmfWidth - 90, WmfHeight - 90);
    w.Use(navy, 10, 0, false);
    w.Rectangle(150, 150, WmfWidth - 150, WmfHeight - 150);
    // Small diamonds at the middle of each side of the inner rule.
    w.Fill(navy);
    for (QPoint c : {QPoint(WmfWidth / 2, 120), QPoint(WmfWidth / 2, WmfHeight - 120), QPoint(120, WmfHeight / 2),
                     QPoint(WmfWidth - 120, WmfHeight / 2)})
        w.Polygon({{c.x(), c.y() - 45}, {c.x() + 45, c.y()}, {c.x(), c.y() + 45}, {c.x() - 45, c.y()}});
    return w.Bytes();
}

QByteArray cornerFlourish()
{
    WmfWriter w;
    const QRgb gold = qRgb(184, 142, 52), goldLight = qRgb(222, 190, 118);
    // Two corners, top left and bottom right, each a pair of sweeping arcs
    // with a leaf and a dot; the bottom right is the top left turned half.
    auto corner = [&](bool flip) {
        auto P = [&](int x, int y) { return flip ? QPoint(WmfWidth - x, WmfHeight - y) : QPoint(x, y); };
        auto map = [&](std::vector<QPoint> pts) {
            for (QPoint& q : pts)
                q = P(q.x(), q.y());
            return pts;
        };
        w.Use(gold, 18, 0, false);
        w.Polyline(map(arc(700, 700, 560, 560, 90, 180, 24)));
        w.Use(goldLight, 10, 0, false);
        w.Polyline(map(arc(760, 760, 560, 560, 95, 175, 24)));
        w.Use(gold, 10, 0, false);
        w.Polyline(map({{140, 140}, {900, 140}}));
        w.Polyline(map({{140, 140}, {140, 640}}));
        // Leaves along the outer sweep, alternately inside and outside.
        const std::vector<QPoint> sweep = arc(700, 700, 560, 560, 90, 180, 24);
        for (int i = 5; i <= 19; i += 7) {
            const double along = 90 + 90.0 * i / 24; // the sweep's angle here
            const bool inside = (i / 7) % 2 == 0;
            const double dir = along + (inside ? -90 - 35 : 90 - 35) + 180;
            w.Fill(inside ? goldLight : gold);
            w.Polygon(map(leafShape(sweep[std::size_t(i)], dir, 190, 110)));
        }
        w.Fill(gold);
        const QPoint d = P(250, 250);
        w.Ellipse(d.x() - 45, d.y() - 45, d.x() + 45, d.y() + 45);
    };
    corner(false);
    corner(true);
    return w.Bytes();
}

QByteArray tealWave()
{
    WmfWriter w;
    auto wave = [&](double base, double amp, double phase, double periods) {
        std::vector<QPoint> pts;
        for (int i = 0; i <= 70; ++i) {
            const double x = WmfWidth * i / 70.0;
            pts.emplace_back(int(std::lround(x)),
                int(std::lround(base + amp * std::sin(phase + periods * 2 * Pi * i / 70.0))));
        }
        pts.emplace_back(WmfWidth, WmfHeight);
        pts.emplace_back(0, WmfHeight);
        return pts;
    };
    w.Fill(qRgb(196, 232, 230));
    w.Polygon(wave(1600, 110, 0.0, 1.2));
    w.Fill(qRgb(92, 176, 172));
    w.Polygon(wave(1720, 90, 1.9, 1.0));
    w.Fill(qRgb(24, 112, 118));
    w.Polygon(wave(1850, 60, 3.4, 1.6));
    return w.Bytes();
}

QByteArray geoCorner()
{
    WmfWriter w;
    const QRgb orange = qRgb(240, 128, 40), charcoal = qRgb(52, 56, 64), sand = qRgb(250, 206, 150);
    w.Fill(sand);
    w.Polygon({{2500, 0}, {3500, 0}, {3500, 900}});
    w.Fill(orange);
    w.Polygon({{2900, 0}, {3500, 0}, {3500, 560}});
    w.Fill(charcoal);
    w.Polygon({{3180, 0}, {3500, 0}, {3500, 300}});
    // A thin rule along the foot of the card.
    w.Fill(charcoal);
    w.Rectangle(0, 1940, 3500, 2000);
    w.Fill(orange);
    w.Rectangle(0, 1920, 900, 1940);
    return w.Bytes();
}

QByteArray boldStripe()
{
    WmfWriter w;
    const QRgb burgundy = qRgb(128, 24, 48), rose = qRgb(204, 96, 116);
    w.Fill(burgundy);
    w.Polygon({{2750, 0}, {3500, 0}, {3500, 2000}, {2350, 2000}});
    w.Fill(rose);
    w.Polygon({{2640, 0}, {2700, 0}, {2300, 2000}, {2240, 2000}});
    return w.Bytes();
}

QByteArray dotFrame()
{
    WmfWriter w;
    const QRgb blue = qRgb(96, 122, 160), light = qRgb(176, 192, 216);
    const int inset = 110, r = 22, step = 110;
    auto dot = [&](int x, int y) {
        w.Fill(((x + y) / step) % 2 ? light : blue);
        w.Ellipse(x - r, y - r, x + r, y + r);
    };
    for (int x = inset; x <= WmfWidth - inset; x += step) {
        dot(x, inset);
        dot(x, WmfHeight - inset);
    }
    for (int y = inset + step; y <= WmfHeight - inset - step; y += step) {
        dot(inset, y);
        dot(WmfWidth - inset, y);
    }
    return w.Bytes();
}

QByteArray decoFrame()
{
    WmfWriter w;
    const QRgb black = qRgb(24, 24, 28), gold = qRgb(196, 160, 80);
    // Stepped corners in each corner of the card, mirrored.
    for (int corner = 0; corner < 4; ++corner) {
        const bool right = corner & 1, bottom = corner & 2;
        auto P = [&](int x, int y) { return QPoint(right ? WmfWidth - x : x, bottom ? WmfHeight - y : y); };
        w.Use(black, 22, 0, false);
        w.Polyline({P(100, 520), P(100, 100), P(520, 100)});
        w.Use(gold, 12, 0, false);
        w.Polyline({P(170, 420), P(170, 250), P(250, 250), P(250, 170), P(420, 170)});
        w.Fill(gold);
        const QPoint c = P(300, 300);
        w.Polygon({{c.x(), c.y() - 40}, {c.x() + 40, c.y()}, {c.x(), c.y() + 40}, {c.x() - 40, c.y()}});
    }
    w.Use(gold, 8, 0, false);
    w.Polyline({{700, 100}, {2800, 100}});
    w.Polyline({{700, 1900}, {2800, 1900}});
    return w.Bytes();
}

QByteArray greenLeaves()
{
    WmfWriter w;
    const QRgb leaf = qRgb(96, 156, 84), leafDark = qRgb(52, 112, 60), stem = qRgb(80, 110, 60);
    // A sprig rising from the lower left corner: a curved stem with leaves
    // on alternate sides.
    w.Use(stem, 16, 0, false);
    const std::vector<QPoint> stemLine = arc(-300, 2000, 1000, 1500, 0, 70, 30);
    w.Polyline(stemLine);
    for (int i = 4; i < int(stemLine.size()) - 2; i += 4) {
        const QPoint at = stemLine[std::size_t(i)];
        const bool left = (i / 4) % 2;
        const std::vector<QPoint> shape = leafShape(at, left ? 150 : 20, 300 - i * 4, 120);
        w.Fill(left ? leafDark : leaf);
        w.Polygon(shape);
    }
    return w.Bytes();
}

bool writeFile(const std::string& path, const QByteArray& bytes)
{
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_backgrounds <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    struct Bitmap {
        const char* name;
        QImage (*make)();
    };
    const Bitmap bitmaps[] = {
        {"SkyGradient.BMP", skyGradient}, {"SunriseWash.BMP", sunriseWash}, {"Linen.BMP", linen},
        {"Parchment.BMP", parchment}, {"SlateBand.BMP", slateBand}, {"MeadowGlow.BMP", meadowGlow},
        {"Pinstripe.BMP", pinstripe}, {"NavyHeader.BMP", navyHeader},
    };
    struct Drawing {
        const char* name;
        QByteArray (*make)();
    };
    const Drawing drawings[] = {
        {"ClassicBorder.WMF", classicBorder}, {"CornerFlourish.WMF", cornerFlourish}, {"TealWave.WMF", tealWave},
        {"GeoCorner.WMF", geoCorner}, {"BoldStripe.WMF", boldStripe}, {"DotFrame.WMF", dotFrame},
        {"DecoFrame.WMF", decoFrame}, {"GreenLeaves.WMF", greenLeaves},
    };
    int failures = 0;
    for (const Bitmap& b : bitmaps) {
        const QByteArray bytes = bv::Dib::FromImage(b.make()).Bytes();
        if (!writeFile(folder + "/" + b.name, bytes)) {
            std::fprintf(stderr, "make_backgrounds: cannot write %s\n", b.name);
            ++failures;
        }
    }
    for (const Drawing& d : drawings) {
        if (!writeFile(folder + "/" + d.name, d.make())) {
            std::fprintf(stderr, "make_backgrounds: cannot write %s\n", d.name);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
