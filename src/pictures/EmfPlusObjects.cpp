#include "pictures/EmfPlusObjects.h"

#include "pictures/Metafile.h"
#include "platform/PictureLimits.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace bv::pictures::plus {

double pixelsPerUnit(std::uint32_t unit, double dpi)
{
    switch (Unit(unit)) {
    case Unit::Point: return dpi / 72.0;
    case Unit::Inch: return dpi;
    case Unit::Document: return dpi / 300.0;
    case Unit::Millimeter: return dpi / 25.4;
    default: return 1;
    }
}

namespace {

// Brush data flags.
constexpr std::uint32_t HasPath = 0x01;
constexpr std::uint32_t HasTransform = 0x02;
constexpr std::uint32_t HasPresetColors = 0x04;
constexpr std::uint32_t HasBlendH = 0x08;
constexpr std::uint32_t HasBlendV = 0x10;

enum class BrushType { Solid = 0, Hatch = 1, Texture = 2, PathGradient = 3, LinearGradient = 4 };

// Positions with colours (preset) or blend factors between two colours,
// as gradient stops; empty when the record is short or the count absurd.
QGradientStops presetStops(RecordReader& r)
{
    const std::uint32_t n = r.u32();
    QGradientStops stops;
    if (n == 0 || n > 4096 || !r.has(qsizetype(n) * 8))
        return stops;
    std::vector<double> at(n);
    for (double& a : at)
        a = std::clamp(double(r.f32()), 0.0, 1.0);
    for (std::uint32_t i = 0; i < n; ++i)
        stops.append({ at[i], argb(r.u32()) });
    return stops;
}

QGradientStops blendStops(RecordReader& r, const QColor& from, const QColor& to)
{
    const std::uint32_t n = r.u32();
    QGradientStops stops;
    if (n == 0 || n > 4096 || !r.has(qsizetype(n) * 8))
        return stops;
    std::vector<double> at(n);
    for (double& a : at)
        a = std::clamp(double(r.f32()), 0.0, 1.0);
    for (std::uint32_t i = 0; i < n; ++i) {
        const double f = std::clamp(double(r.f32()), 0.0, 1.0);
        const auto mix = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
        stops.append({ at[i], QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                                  mix(from.blue(), to.blue()), mix(from.alpha(), to.alpha())) });
    }
    return stops;
}

QGradient::Spread spread(std::int32_t wrap)
{
    switch (wrap) {
    case 0: return QGradient::RepeatSpread;  // tile
    case 4: return QGradient::PadSpread;     // clamp
    default: return QGradient::ReflectSpread; // tiles flipped in x, y or both
    }
}

// A gradient brush drawn through the brush's own transform, when it has one
// that can be undone.
Brush gradientBrush(const QGradient& g, const QTransform& t)
{
    Brush b;
    b.brush = QBrush(g);
    if (t.isInvertible())
        b.brush.setTransform(t);
    return b;
}

// Path gradient stops count from the boundary (0) to the centre (1); the
// radial gradient counts from the centre.
QGradientStops fromCentre(QGradientStops stops)
{
    for (auto& s : stops)
        s.first = 1 - s.first;
    std::sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return stops;
}

Brush linearGradient(RecordReader& r)
{
    const std::uint32_t flags = r.u32();
    const std::int32_t wrap = r.i32();
    const QRectF rect = readRect(r, false);
    const QColor start = argb(r.u32()), end = argb(r.u32());
    r.skip(8);
    QTransform t;
    if (flags & HasTransform)
        t = readMatrix(r);
    QGradientStops stops { { 0, start }, { 1, end } };
    if (flags & HasPresetColors) {
        const QGradientStops preset = presetStops(r);
        if (!preset.isEmpty())
            stops = preset;
    } else if (flags & HasBlendH) {
        const QGradientStops blend = blendStops(r, start, end);
        if (!blend.isEmpty())
            stops = blend;
    }
    QLinearGradient g(rect.left(), rect.top(), rect.right(), rect.top());
    if (rect.width() == 0 && (flags & HasBlendV))
        g.setFinalStop(rect.left(), rect.bottom());
    g.setStops(stops);
    g.setSpread(spread(wrap));
    return gradientBrush(g, t);
}

// Shades from the centre colour to the boundary's colour; the radial
// gradient over the boundary's farthest point stands in for the shape.
Brush pathGradient(RecordReader& r)
{
    const std::uint32_t flags = r.u32();
    const std::int32_t wrap = r.i32();
    Q_UNUSED(wrap);
    const QColor centre = argb(r.u32());
    const double cx = r.f32();
    const QPointF c(cx, r.f32());
    const std::uint32_t nColours = r.u32();
    if (nColours > MaxPoints || !r.has(qsizetype(nColours) * 4))
        return Brush{ QBrush(centre) };
    std::vector<QColor> surround;
    for (std::uint32_t i = 0; i < nColours; ++i)
        surround.push_back(argb(r.u32()));
    std::vector<QPointF> boundary;
    if (flags & HasPath) {
        const std::int32_t size = r.i32();
        if (size < 0 || !r.has(size))
            return Brush{ QBrush(centre) };
        const QByteArray bytes = r.slice(r.pos(), size);
        RecordReader pathReader(bytes.constData(), bytes.size());
        const QPainterPath p = readPath(pathReader);
        for (int i = 0; i < p.elementCount(); ++i)
            boundary.emplace_back(p.elementAt(i).x, p.elementAt(i).y);
        r.skip(size);
    } else {
        const std::uint32_t n = r.u32();
        boundary = readPoints(r, 0, n);
    }
    QTransform t;
    if (flags & HasTransform)
        t = readMatrix(r);
    double radius = 0;
    for (const QPointF& q : boundary)
        radius = std::max(radius, std::hypot(q.x() - c.x(), q.y() - c.y()));
    QRadialGradient g(c, radius > 0 ? radius : 1);
    QColor edge = surround.empty() ? centre : surround.front();
    g.setColorAt(0, centre);
    g.setColorAt(1, edge);
    if (flags & HasPresetColors) {
        const QGradientStops preset = fromCentre(presetStops(r));
        if (!preset.isEmpty())
            g.setStops(preset);
    } else if (flags & HasBlendH) {
        const QGradientStops blend = fromCentre(blendStops(r, edge, centre));
        if (!blend.isEmpty())
            g.setStops(blend);
    }
    return gradientBrush(g, t);
}

Brush hatch(RecordReader& r)
{
    const std::uint32_t style = r.u32();
    const QColor fore = argb(r.u32()), back = argb(r.u32());
    Qt::BrushStyle s;
    switch (style) {
    case 0: s = Qt::HorPattern; break;
    case 1: s = Qt::VerPattern; break;
    case 2: s = Qt::FDiagPattern; break;
    case 3: s = Qt::BDiagPattern; break;
    case 4: s = Qt::CrossPattern; break;
    case 5: s = Qt::DiagCrossPattern; break;
    case 6: case 7: s = Qt::Dense7Pattern; break;   // 5 and 10 percent
    case 8: case 9: s = Qt::Dense6Pattern; break;   // 20, 25
    case 10: case 11: s = Qt::Dense5Pattern; break; // 30, 40
    case 12: s = Qt::Dense4Pattern; break;          // 50
    case 13: case 14: s = Qt::Dense3Pattern; break; // 60, 70
    case 15: s = Qt::Dense2Pattern; break;          // 75
    case 16: case 17: s = Qt::Dense1Pattern; break; // 80, 90
    default: s = Qt::Dense4Pattern; break;
    }
    Brush b;
    b.brush = QBrush(fore, s);
    b.back = back;
    b.hatch = true;
    return b;
}

Image readImage(RecordReader& r)
{
    Image img;
    r.skip(4); // version
    const std::uint32_t type = r.u32();
    if (type == 1) {
        const std::int32_t w = r.i32(), h = r.i32(), stride = r.i32();
        const std::uint32_t format = r.u32();
        const std::uint32_t kind = r.u32();
        if (r.bad())
            return img;
        if (kind == 1) {
            img.bitmap = DecodePictureBytes(r.bytes(r.left()));
            return img;
        }
        if (w <= 0 || h <= 0 || !PictureSizeAllowed(w, h))
            return img;
        QList<QRgb> palette;
        if (format & 0x00010000) {
            r.skip(4);
            const std::uint32_t n = r.u32();
            if (n > 256 || !r.has(qsizetype(n) * 4))
                return img;
            for (std::uint32_t i = 0; i < n; ++i) {
                const QColor c = argb(r.u32());
                palette.append(c.rgba());
            }
        }
        const int bits = int((format >> 8) & 0xFF);
        const qsizetype rowBytes = (qsizetype(w) * bits + 7) / 8;
        if (bits <= 0 || stride < rowBytes || !r.has(qsizetype(stride) * h))
            return img;
        const bool alpha = format == 0x0026200A || format == 0x000E200B;
        QImage out(w, h, alpha ? (format == 0x000E200B ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32)
                               : QImage::Format_RGB32);
        if (out.isNull())
            return img;
        const qsizetype start = r.pos();
        for (int y = 0; y < h; ++y) {
            const QByteArray row = r.slice(start + qsizetype(y) * stride, rowBytes);
            const auto* d = reinterpret_cast<const unsigned char*>(row.constData());
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x) {
                switch (bits) {
                case 1: case 4: case 8: {
                    const int perByte = 8 / bits;
                    const int shift = 8 - bits * (x % perByte + 1);
                    const int index = (d[x / perByte] >> shift) & ((1 << bits) - 1);
                    line[x] = index < palette.size() ? palette[index] : qRgb(0, 0, 0);
                    break;
                }
                case 24: line[x] = qRgb(d[3 * x + 2], d[3 * x + 1], d[3 * x]); break;
                case 32:
                    line[x] = qRgba(d[4 * x + 2], d[4 * x + 1], d[4 * x], alpha ? d[4 * x + 3] : 255);
                    break;
                default: line[x] = qRgb(128, 128, 128); break;
                }
            }
        }
        img.bitmap = out;
    } else if (type == 2) {
        r.skip(4); // metafile type
        const std::uint32_t size = r.u32();
        img.metafile = r.bytes(std::min<qsizetype>(size, r.left()));
    }
    return img;
}

Pen readPen(RecordReader& r)
{
    Pen pen;
    r.skip(8); // version, type
    const std::uint32_t flags = r.u32();
    pen.unit = r.u32();
    pen.width = std::abs(r.f32());
    if (flags & 0x0001)
        readMatrix(r);
    if (flags & 0x0002) {
        switch (r.i32()) {
        case 1: pen.cap = Qt::SquareCap; break;
        case 2: pen.cap = Qt::RoundCap; break;
        default: pen.cap = Qt::FlatCap; break;
        }
    }
    if (flags & 0x0004)
        r.skip(4); // end cap: the painter has one cap for both ends
    if (flags & 0x0008) {
        switch (r.u32()) {
        case 1: pen.join = Qt::BevelJoin; break;
        case 2: pen.join = Qt::RoundJoin; break;
        default: pen.join = Qt::MiterJoin; break;
        }
    }
    if (flags & 0x0010)
        pen.miterLimit = std::clamp(double(r.f32()), 1.0, 100.0);
    std::int32_t style = 0;
    if (flags & 0x0020)
        style = r.i32();
    if (flags & 0x0040)
        r.skip(4); // dash cap
    if (flags & 0x0080)
        pen.dashOffset = r.f32();
    QList<qreal> custom;
    if (flags & 0x0100) {
        const std::uint32_t n = r.u32();
        if (n > 1024 || !r.has(qsizetype(n) * 4))
            return Pen{};
        for (std::uint32_t i = 0; i < n; ++i)
            custom.append(std::clamp(double(r.f32()), 0.01, 1e4));
        if (custom.size() % 2)
            custom.append(custom.back());
    }
    if (flags & 0x0200)
        r.skip(4); // alignment
    if (flags & 0x0400) {
        const std::uint32_t n = r.u32();
        r.skip(qsizetype(std::min<std::uint32_t>(n, 1u << 20)) * 4);
    }
    for (const std::uint32_t capFlag : { 0x0800u, 0x1000u })
        if (flags & capFlag)
            r.skip(r.u32());
    switch (style) {
    case 1: pen.dashes = { 3, 1 }; break;
    case 2: pen.dashes = { 1, 1 }; break;
    case 3: pen.dashes = { 3, 1, 1, 1 }; break;
    case 4: pen.dashes = { 3, 1, 1, 1, 1, 1 }; break;
    case 5: pen.dashes = custom; break;
    default:
        // Dash lengths given without the custom style still dash the line.
        pen.dashes = custom;
        break;
    }
    if (!pen.dashes.isEmpty())
        pen.style = Qt::CustomDashLine;
    if (r.bad())
        return Pen{};
    pen.fill = readBrush(r);
    return pen;
}

Font readFont(RecordReader& r)
{
    Font f;
    r.skip(4);
    f.emSize = std::abs(r.f32());
    f.unit = r.u32();
    f.style = r.i32();
    r.skip(4);
    const std::uint32_t n = std::min<std::uint32_t>(r.u32(), 256);
    for (std::uint32_t i = 0; i < n && r.has(2); ++i) {
        const char16_t c = r.u16();
        if (c == 0)
            break;
        f.family.append(QChar(c));
    }
    return f;
}

StringFormat readStringFormat(RecordReader& r)
{
    StringFormat s;
    r.skip(4);
    s.flags = r.u32();
    r.skip(4); // language
    s.align = r.u32();
    s.lineAlign = r.u32();
    r.skip(16); // digit substitution, digit language, first tab offset, hotkey prefix
    s.leadingMargin = std::clamp(double(r.f32()), 0.0, 10.0);
    s.trailingMargin = std::clamp(double(r.f32()), 0.0, 10.0);
    return s;
}

Region readRegionNode(RecordReader& r, int depth, int& nodes)
{
    Region out;
    if (depth > 64 || ++nodes > MaxRegionNodes || r.bad())
        return out;
    const std::uint32_t type = r.u32();
    switch (type) {
    case 0x10000000: out.path.addRect(readRect(r, false).normalized()); return out;
    case 0x10000001: {
        const std::int32_t size = r.i32();
        if (size < 0 || !r.has(size))
            return out;
        const QByteArray bytes = r.bytes(size);
        RecordReader sub(bytes.constData(), bytes.size());
        out.path = readPath(sub);
        return out;
    }
    case 0x10000002: return out;
    case 0x10000003: out.infinite = true; return out;
    default: break;
    }
    if (type < 1 || type > 5)
        return out;
    Region a = readRegionNode(r, depth + 1, nodes);
    Region b = readRegionNode(r, depth + 1, nodes);
    // An infinite region stands as a rectangle far beyond any picture.
    QPainterPath all;
    all.addRect(-1e7, -1e7, 2e7, 2e7);
    const QPainterPath pa = a.infinite ? all : forAlgebra(a.path);
    const QPainterPath pb = b.infinite ? all : forAlgebra(b.path);
    switch (type) {
    case 1: out.path = pa.intersected(pb); out.infinite = a.infinite && b.infinite; break;
    case 2: out.path = pa.united(pb); out.infinite = a.infinite || b.infinite; break;
    case 3: out.path = pa.united(pb).subtracted(pa.intersected(pb)); break;
    case 4: out.path = pa.subtracted(pb); break;
    case 5: out.path = pb.subtracted(pa); break;
    default: break;
    }
    if (out.infinite)
        out.path = QPainterPath();
    return out;
}

} // namespace

QTransform readMatrix(RecordReader& r)
{
    const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(), dy = r.f32();
    return QTransform(m11, m12, m21, m22, dx, dy);
}

QRectF readRect(RecordReader& r, bool compressed)
{
    if (compressed) {
        const double x = r.i16(), y = r.i16(), w = r.i16(), h = r.i16();
        return QRectF(x, y, w, h);
    }
    const double x = r.f32(), y = r.f32(), w = r.f32(), h = r.f32();
    return QRectF(x, y, w, h);
}

namespace {
// A 7-bit or 15-bit signed step of a relative point.
double step(RecordReader& r)
{
    const int b = r.u8();
    if (b & 0x80) {
        int v = ((b & 0x7F) << 8) | r.u8();
        if (v & 0x4000)
            v -= 0x8000;
        return v;
    }
    return (b & 0x40) ? b - 0x80 : b;
}
} // namespace

std::vector<QPointF> readPoints(RecordReader& r, std::uint16_t flags, std::uint32_t n)
{
    std::vector<QPointF> pts;
    const bool relative = flags & 0x0800;
    const bool small = flags & 0x4000;
    const qsizetype least = relative ? 2 : small ? 4 : 8;
    if (n > MaxPoints || !r.has(qsizetype(n) * least))
        return pts;
    pts.reserve(n);
    QPointF at(0, 0);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (relative) {
            const double dx = step(r);
            at += QPointF(dx, step(r));
            pts.push_back(at);
        } else if (small) {
            const double x = r.i16();
            pts.emplace_back(x, r.i16());
        } else {
            const double x = r.f32();
            pts.emplace_back(x, r.f32());
        }
    }
    if (r.bad())
        pts.clear();
    return pts;
}

QPainterPath readPath(RecordReader& r)
{
    QPainterPath path;
    r.skip(4);
    const std::uint32_t n = r.u32();
    const std::uint32_t flags = r.u32();
    const std::vector<QPointF> pts = readPoints(r, std::uint16_t(flags & 0xFFFF), n);
    if (pts.size() != n || n == 0)
        return path;
    std::vector<std::uint8_t> types;
    types.reserve(n);
    if (flags & 0x1000) {
        // Run-length coded: a count (six bits) and the type of the run.
        while (types.size() < n && r.has(2)) {
            const int run = r.u8() & 0x3F;
            const std::uint8_t t = r.u8();
            for (int i = 0; i < run && types.size() < n; ++i)
                types.push_back(t);
        }
    } else {
        for (std::uint32_t i = 0; i < n && r.has(1); ++i)
            types.push_back(r.u8());
    }
    if (types.size() != n)
        return path;
    bool open = false;
    for (std::uint32_t i = 0; i < n; ++i) {
        const int kind = types[i] & 0x07;
        if (kind == 0 || !open) {
            path.moveTo(pts[i]);
            open = true;
        } else if (kind == 3 && i + 2 < n && (types[i + 1] & 7) == 3 && (types[i + 2] & 7) == 3) {
            path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            i += 2;
        } else {
            path.lineTo(pts[i]);
        }
        if (types[i] & 0x80) {
            path.closeSubpath();
            open = false;
        }
    }
    return path;
}

Brush readBrush(RecordReader& r)
{
    r.skip(4);
    const std::uint32_t type = r.u32();
    switch (BrushType(type)) {
    case BrushType::Solid: return Brush{ QBrush(argb(r.u32())) };
    case BrushType::Hatch: return hatch(r);
    case BrushType::LinearGradient: return linearGradient(r);
    case BrushType::PathGradient: return pathGradient(r);
    case BrushType::Texture: {
        const std::uint32_t flags = r.u32();
        r.skip(4);
        QTransform t;
        if (flags & HasTransform)
            t = readMatrix(r);
        const Image img = readImage(r);
        if (img.bitmap.isNull())
            return Brush{ QBrush(Qt::gray) };
        Brush b{ QBrush(img.bitmap) };
        if (t.isInvertible())
            b.brush.setTransform(t);
        return b;
    }
    default: return Brush{ QBrush(Qt::NoBrush) };
    }
}

Object readObject(RecordReader& r, ObjectType type)
{
    Object o;
    switch (type) {
    case ObjectType::Brush: o = readBrush(r); break;
    case ObjectType::Pen: o = readPen(r); break;
    case ObjectType::Path: o = Path{ readPath(r) }; break;
    case ObjectType::Region: {
        r.skip(4);
        const std::uint32_t count = r.u32();
        Q_UNUSED(count);
        int nodes = 0;
        o = readRegionNode(r, 0, nodes);
        break;
    }
    case ObjectType::Image: o = readImage(r); break;
    case ObjectType::Font: o = readFont(r); break;
    case ObjectType::StringFormat: o = readStringFormat(r); break;
    default: break;
    }
    return o;
}

void ObjectTable::finishPending()
{
    if (pendingId < 0)
        return;
    RecordReader r(pending.constData(), pending.size());
    held[size_t(pendingId)] = readObject(r, pendingType);
    pending.clear();
    pendingId = -1;
}

void ObjectTable::take(RecordReader& data, std::uint16_t flags)
{
    const int id = flags & 0xFF;
    const ObjectType type = ObjectType((flags >> 8) & 0x7F);
    const bool continued = flags & 0x8000;
    const bool samePending = pendingId == id && pendingType == type;
    if (!samePending)
        finishPending();
    if (id >= MaxObjects)
        return;
    if (continued) {
        const std::uint32_t total = data.u32();
        if (!samePending) {
            pendingId = id;
            pendingType = type;
            pendingTotal = std::min<std::uint32_t>(total, std::uint32_t(Metafile::MaxBytes));
        }
        pending += data.bytes(std::min<qsizetype>(data.left(), qsizetype(pendingTotal) - pending.size()));
        if (pending.size() >= qsizetype(pendingTotal))
            finishPending();
        return;
    }
    if (samePending) {
        pending += data.bytes(std::min<qsizetype>(data.left(), qsizetype(pendingTotal) - pending.size()));
        finishPending();
        return;
    }
    held[size_t(id)] = readObject(data, type);
}

} // namespace bv::pictures::plus
