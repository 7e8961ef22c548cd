#pragma once
// The recorded page stream written by TPageRecorder and read by TPagePlayer.
//
// All numbers little-endian. Layout:
//
//   header   "BVPG"                 4 bytes
//            version                u32 (1)
//            ResolutionX, ResolutionY, OffsetLeft, OffsetTop, OffsetBottom,
//            PageWidth, PageHeight  7 x f64 (the recording device, inches)
//            page count             u32
//            record count           u32
//   records  op                     u8
//            payload length         u32
//            payload                (below)
//
// Coordinates are physical inches from the sheet's corner (f64, units,
// margins and scale already applied) or recording-device pixels (i32).
// Strings are u32 byte count + UTF-8. Byte blocks are u32 count + bytes.
//
//   1  NewPage           -
//   2  Pen               colour i32, style i32, mode i32, inInches u8, width f64
//   3  Brush             colour i32, style i32, bitmap id i32 (-1 none)
//   4  Font              name str, size f64 (points), bold u8, italic u8,
//                        underline u8, colour i32
//   5  TextBKMode        mode i32
//   6  Figure            kind i32 (0 rect, 1 ellipse, 2 round rect),
//                        x1 y1 x2 y2 cw ch f64
//   7  Line              x1 y1 x2 y2 f64
//   8  Polygon           count u32, count x (x i32, y i32)
//   9  FillDeviceRect    left top right bottom i32
//  10  Text              x f64, baseline y f64, text str
//  11  StretchBitmap     x1 y1 x2 y2 f64, bitmap id i32
//  12  StretchGraphic    left top right bottom i32, picture id i32
//  13  PushRegion        kind i32, x1 y1 x2 y2 cw ch f64
//  14  PushPolygonRegion count u32, points as in Polygon
//  15  SelectTopRegion   -      16 ClearClip  -      17 PopRegion -
//  18  BeginPath         -      19 EndPath    -      20 ClipToPath -
//  21  StrokePath        -
//  22  BeginBlockClip    x1 y1 x2 y2 f64 (a card's box: bounds every clip
//                        until EndBlockClip)
//  23  EndBlockClip      -
//  30  DefineBitmap      id i32, bytes (a complete Windows bitmap file)
//  31  DefinePicture     id i32, bounding rect x y w h i32, bytes (QPicture data)
//  40  StretchMetafile   left top right bottom i32, metafile id i32
//  41  DefineMetafile    id i32, bytes (a Windows or enhanced metafile)
//
// A bitmap or picture is defined once, before its first use, and then
// referred to by id; pages are separated by NewPage records.
#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstdint>
#include <cstring>

namespace bv::pagestream {

constexpr char Magic[4] = {'B', 'V', 'P', 'G'};
constexpr std::uint32_t Version = 1;
constexpr int HeaderSize = 4 + 4 + 7 * 8 + 4 + 4;

enum Op : std::uint8_t {
    opNewPage = 1, opPen, opBrush, opFont, opTextBKMode, opFigure, opLine, opPolygon,
    opFillDeviceRect, opText, opStretchBitmap, opStretchGraphic, opPushRegion,
    opPushPolygonRegion, opSelectTopRegion, opClearClip, opPopRegion, opBeginPath,
    opEndPath, opClipToPath, opStrokePath, opBeginBlockClip, opEndBlockClip,
    opDefineBitmap = 30, opDefinePicture = 31,
    opStretchMetafile = 40, opDefineMetafile = 41
};

class Writer {
public:
    explicit Writer(QByteArray& target) : out(target) {}
    void u8(std::uint8_t v) { out.append(static_cast<char>(v)); }
    void u32(std::uint32_t v)
    {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void f64(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        char b[8];
        qToLittleEndian(bits, b);
        out.append(b, 8);
    }
    void str(const QString& s) { bytes(s.toUtf8()); }
    void bytes(const QByteArray& b)
    {
        u32(static_cast<std::uint32_t>(b.size()));
        out.append(b);
    }
    // Starts a record; finish() patches its length.
    void begin(Op op)
    {
        u8(op);
        lengthAt = out.size();
        u32(0);
    }
    void finish()
    {
        const auto len = static_cast<std::uint32_t>(out.size() - lengthAt - 4);
        qToLittleEndian(len, out.data() + lengthAt);
    }

private:
    QByteArray& out;
    qsizetype lengthAt = 0;
};

// Reads with bounds checks; a read past the end sets failed() and gives 0.
class Reader {
public:
    Reader(const char* data, qsizetype size) : p(data), end(data + size) {}
    bool failed() const { return bad; }
    bool atEnd() const { return p == end; }
    qsizetype remaining() const { return end - p; }
    std::uint8_t u8()
    {
        if (!need(1))
            return 0;
        return static_cast<std::uint8_t>(*p++);
    }
    std::uint32_t u32()
    {
        if (!need(4))
            return 0;
        const auto v = qFromLittleEndian<std::uint32_t>(p);
        p += 4;
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    double f64()
    {
        if (!need(8))
            return 0;
        const auto bits = qFromLittleEndian<std::uint64_t>(p);
        p += 8;
        double v;
        std::memcpy(&v, &bits, 8);
        return v;
    }
    QByteArray bytes()
    {
        const std::uint32_t n = u32();
        if (bad || !need(n))
            return {};
        QByteArray b(p, static_cast<qsizetype>(n));
        p += n;
        return b;
    }
    QString str() { return QString::fromUtf8(bytes()); }
    const char* position() const { return p; }
    void skip(qsizetype n)
    {
        if (need(n))
            p += n;
    }

private:
    bool need(qsizetype n)
    {
        if (bad || n < 0 || end - p < n) {
            bad = true;
            return false;
        }
        return true;
    }
    const char* p;
    const char* end;
    bool bad = false;
};

} // namespace bv::pagestream
