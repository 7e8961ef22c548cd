#include "pictures/EmfPlusPlayer.h"

#include "pictures/GdiPlayer.h"
#include "pictures/Metafile.h"
#include "platform/Errors.h"

#include <QFontInfo>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QRawFont>
#include <QSet>
#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace bv::pictures {

using namespace plus;

namespace {

constexpr std::uint32_t PlusSignature = 0x2B464D45u; // "EMF+"
// Record flags.
constexpr std::uint16_t ColourNotBrush = 0x8000;
constexpr std::uint16_t Compressed = 0x4000;
constexpr std::uint16_t Append = 0x2000;    // transforms: multiply after
constexpr std::uint16_t ClosedLines = 0x2000;
constexpr std::uint16_t WindingFill = 0x2000;
// String format flags.
constexpr std::uint32_t NoWrap = 0x1000;
constexpr std::uint32_t NoClip = 0x4000;
// Driver string options.
constexpr std::uint32_t CmapLookup = 0x1;
constexpr std::uint32_t RealizedAdvance = 0x4;

thread_local int nesting = 0;

// A geometric angle on an ellipse (degrees, clockwise on the page) as the
// painter's parametric one (counter-clockwise).
double parametric(const QRectF& box, double degrees)
{
    const double a = degrees * M_PI / 180;
    const double t = std::atan2(box.width() * std::sin(a), box.height() * std::cos(a));
    return -t * 180 / M_PI;
}

} // namespace

bool EmfPlusPlayer::IsEmfPlus(const QByteArray& d)
{
    return d.size() >= 4 && qFromLittleEndian<std::uint32_t>(d.constData()) == PlusSignature;
}

const EmfPlusPlayer::Table& EmfPlusPlayer::table()
{
    static const Table handlers {
        { Kind::Header, &EmfPlusPlayer::onHeader },
        { Kind::EndOfFile, &EmfPlusPlayer::onEndOfFile },
        { Kind::GetDC, &EmfPlusPlayer::onGetDC },
        { Kind::Object, &EmfPlusPlayer::onObject },
        { Kind::Clear, &EmfPlusPlayer::onClear },
        { Kind::FillRects, &EmfPlusPlayer::onRects },
        { Kind::DrawRects, &EmfPlusPlayer::onRects },
        { Kind::FillPolygon, &EmfPlusPlayer::onFillPolygon },
        { Kind::DrawLines, &EmfPlusPlayer::onDrawLines },
        { Kind::FillEllipse, &EmfPlusPlayer::onEllipse },
        { Kind::DrawEllipse, &EmfPlusPlayer::onEllipse },
        { Kind::FillPie, &EmfPlusPlayer::onPie },
        { Kind::DrawPie, &EmfPlusPlayer::onPie },
        { Kind::DrawArc, &EmfPlusPlayer::onPie },
        { Kind::FillRegion, &EmfPlusPlayer::onFillRegion },
        { Kind::FillPath, &EmfPlusPlayer::onFillPath },
        { Kind::DrawPath, &EmfPlusPlayer::onDrawPath },
        { Kind::FillClosedCurve, &EmfPlusPlayer::onClosedCurve },
        { Kind::DrawClosedCurve, &EmfPlusPlayer::onClosedCurve },
        { Kind::DrawCurve, &EmfPlusPlayer::onDrawCurve },
        { Kind::DrawBeziers, &EmfPlusPlayer::onDrawBeziers },
        { Kind::DrawImage, &EmfPlusPlayer::onDrawImage },
        { Kind::DrawImagePoints, &EmfPlusPlayer::onDrawImage },
        { Kind::DrawString, &EmfPlusPlayer::onDrawString },
        { Kind::DrawDriverString, &EmfPlusPlayer::onDrawDriverString },
        { Kind::Save, &EmfPlusPlayer::onSave },
        { Kind::BeginContainerNoParams, &EmfPlusPlayer::onSave },
        { Kind::Restore, &EmfPlusPlayer::onRestore },
        { Kind::EndContainer, &EmfPlusPlayer::onRestore },
        { Kind::BeginContainer, &EmfPlusPlayer::onBeginContainer },
        { Kind::SetWorldTransform, &EmfPlusPlayer::onWorldTransform },
        { Kind::ResetWorldTransform, &EmfPlusPlayer::onWorldTransform },
        { Kind::MultiplyWorldTransform, &EmfPlusPlayer::onWorldTransform },
        { Kind::TranslateWorldTransform, &EmfPlusPlayer::onWorldTransform },
        { Kind::ScaleWorldTransform, &EmfPlusPlayer::onWorldTransform },
        { Kind::RotateWorldTransform, &EmfPlusPlayer::onWorldTransform },
        { Kind::SetPageTransform, &EmfPlusPlayer::onSetPageTransform },
        { Kind::ResetClip, &EmfPlusPlayer::onResetClip },
        { Kind::SetClipRect, &EmfPlusPlayer::onSetClip },
        { Kind::SetClipPath, &EmfPlusPlayer::onSetClip },
        { Kind::SetClipRegion, &EmfPlusPlayer::onSetClip },
        { Kind::OffsetClip, &EmfPlusPlayer::onOffsetClip },
    };
    return handlers;
}

void EmfPlusPlayer::playComment(const QByteArray& data)
{
    if (ended || !IsEmfPlus(data))
        return;
    RecordReader file(data.constData(), data.size());
    file.seek(4);
    applyClip();
    while (file.left() >= 12 && !ended) {
        const qsizetype at = file.pos();
        const std::uint16_t type = file.u16();
        const std::uint16_t recordFlags = file.u16();
        const std::uint32_t size = file.u32();
        const std::uint32_t dataSize = file.u32();
        if (size < 12 || qsizetype(size) > file.left() + 12 || dataSize > size - 12)
            return;
        // The picture's first EMF+ record must be its header.
        if (!header && type != std::uint16_t(Kind::Header))
            return;
        if (type != std::uint16_t(Kind::Object))
            objects.finishPending();
        getDC = false;
        flags = recordFlags;
        if (const Table::Handler handler = table().find(type)) {
            const QByteArray body = file.slice(at + 12, dataSize);
            RecordReader rec(body.constData(), body.size());
            (this->*handler)(rec, Kind(type));
        }
        file.seek(at + size);
    }
}

QTransform EmfPlusPlayer::toTarget() const
{
    const double sx = pixelsPerUnit(st.pageUnit, dpiX) * st.pageScale;
    const double sy = pixelsPerUnit(st.pageUnit, dpiY) * st.pageScale;
    return st.world * st.container * QTransform::fromScale(sx, sy) * frame.device;
}

double EmfPlusPlayer::worldSize(double size, std::uint32_t unit) const
{
    if (unit == std::uint32_t(Unit::World))
        return size;
    const double page = pixelsPerUnit(st.pageUnit, dpiY) * st.pageScale;
    return page > 0 ? size * pixelsPerUnit(unit, dpiY) / page : size;
}

void EmfPlusPlayer::applyClip()
{
    p.setWorldTransform(frame.base);
    if (frame.hadClip)
        p.setClipPath(frame.outerClip, Qt::ReplaceClip);
    p.setClipRect(frame.target, frame.hadClip ? Qt::IntersectClip : Qt::ReplaceClip);
    if (st.clipOn)
        p.setClipPath(st.clip, Qt::IntersectClip);
}

// Replace 0, intersect 1, union 2, xor 3, exclude 4, complement 5; no clip
// is the infinite region.
void EmfPlusPlayer::combineClip(const QPainterPath& worldPath, int mode, bool infinite)
{
    QPainterPath all;
    all.addRect(frame.target.adjusted(-1, -1, 1, 1));
    const QPainterPath next = infinite ? all : toTarget().map(forAlgebra(worldPath));
    const QPainterPath now = st.clipOn ? forAlgebra(st.clip) : all;
    switch (mode) {
    case 0: st.clip = infinite ? all : toTarget().map(worldPath); break;
    case 1: st.clip = now.intersected(next); break;
    case 2: st.clip = now.united(next); break;
    case 3: st.clip = now.united(next).subtracted(now.intersected(next)); break;
    case 4: st.clip = now.subtracted(next); break;
    case 5: st.clip = next.subtracted(now); break;
    default: return;
    }
    st.clipOn = true;
    applyClip();
}

Brush EmfPlusPlayer::brush(std::uint32_t idOrColour) const
{
    if (flags & ColourNotBrush)
        return Brush{ QBrush(argb(idOrColour)) };
    if (const auto* b = std::get_if<Brush>(&objects[idOrColour]))
        return *b;
    return Brush{ QBrush(Qt::NoBrush) };
}

QPen EmfPlusPlayer::pen(std::uint32_t id) const
{
    const auto* pn = std::get_if<Pen>(&objects[id]);
    if (!pn)
        return Qt::NoPen;
    double w = worldSize(pn->width, pn->unit);
    // The thinnest line is one target unit wide.
    const double s = std::sqrt(std::abs(toTarget().determinant()));
    if (s > 0 && std::isfinite(s) && !(w * s >= 1))
        w = 1 / s;
    if (!(w > 0) || !std::isfinite(w))
        return Qt::NoPen;
    QPen qp(pn->fill.brush, w, pn->style, pn->cap, pn->join);
    qp.setMiterLimit(pn->miterLimit);
    if (pn->style == Qt::CustomDashLine) {
        qp.setDashPattern(pn->dashes);
        qp.setDashOffset(pn->dashOffset);
    }
    return qp;
}

void EmfPlusPlayer::fill(const QPainterPath& path, const Brush& b)
{
    if (b.brush.style() == Qt::NoBrush || path.isEmpty())
        return;
    p.setWorldTransform(full());
    if (b.hatch && b.back.alpha() > 0)
        p.fillPath(path, b.back);
    p.fillPath(path, b.brush);
}

void EmfPlusPlayer::stroke(const QPainterPath& path, std::uint32_t penId)
{
    QPen qp = pen(penId);
    if (qp.style() == Qt::NoPen || path.isEmpty())
        return;
    if (qp.style() == Qt::CustomDashLine) {
        // Dashes by the hundred thousand (a long path, a tiny pattern) cost
        // far more than they show: such a line is drawn solid.
        double period = 0;
        for (const qreal d : qp.dashPattern())
            period += d;
        // The control polygon's length bounds the path's from above.
        double length = 0;
        for (int i = 1; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i), before = path.elementAt(i - 1);
            if (!e.isMoveTo())
                length += std::hypot(e.x - before.x, e.y - before.y);
        }
        const double dashes = length / std::max(period * qp.widthF(), 1e-9);
        if (!(dashes <= MaxDashes))
            qp.setStyle(Qt::SolidLine);
    }
    p.setWorldTransform(full());
    p.strokePath(path, qp);
}

// Angles in degrees, clockwise on the page, as on the ellipse itself.
QPainterPath EmfPlusPlayer::arc(const QRectF& box, double start, double sweep, bool pie) const
{
    QPainterPath out;
    if (!(box.width() > 0 && box.height() > 0) || !std::isfinite(start) || !std::isfinite(sweep))
        return out;
    double a0, span;
    if (std::abs(sweep) >= 360) {
        a0 = parametric(box, start);
        span = sweep > 0 ? -360 : 360;
    } else {
        a0 = parametric(box, start);
        double a1 = parametric(box, start + sweep);
        span = a1 - a0;
        // Same turning sense as the sweep (clockwise is negative here).
        if (sweep > 0)
            while (span > 0) span -= 360;
        else
            while (span < 0) span += 360;
        if (sweep == 0)
            span = 0;
    }
    if (pie) {
        out.moveTo(box.center());
        out.arcTo(box, a0, span);
        out.closeSubpath();
    } else {
        out.arcMoveTo(box, a0);
        out.arcTo(box, a0, span);
    }
    return out;
}

// A cardinal spline through the points, as cubic pieces.
QPainterPath EmfPlusPlayer::curve(const std::vector<QPointF>& pts, double tension, bool closed, size_t from, size_t segments) const
{
    QPainterPath out;
    const size_t n = pts.size();
    if (n < 2)
        return out;
    const double k = tension / 3;
    const auto at = [&](std::int64_t i) {
        if (closed)
            return pts[size_t((i % std::int64_t(n) + std::int64_t(n)) % std::int64_t(n))];
        return pts[size_t(std::clamp<std::int64_t>(i, 0, std::int64_t(n) - 1))];
    };
    const size_t last = closed ? n : std::min(n - 1, from + segments);
    out.moveTo(pts[from]);
    for (size_t i = from; i < last; ++i) {
        const std::int64_t j = std::int64_t(i);
        const QPointF c1 = at(j) + (at(j + 1) - at(j - 1)) * k;
        const QPointF c2 = at(j + 1) - (at(j + 2) - at(j)) * k;
        out.cubicTo(c1, c2, at(j + 1));
    }
    if (closed)
        out.closeSubpath();
    return out;
}

// Text is drawn in world units divided by `k`; a brush laid out in world
// units is scaled with it.
QBrush EmfPlusPlayer::textBrush(std::uint32_t idOrColour, double k) const
{
    QBrush b = brush(idOrColour).brush;
    if (b.style() != Qt::SolidPattern && b.style() != Qt::NoBrush)
        b.setTransform(b.transform() * QTransform::fromScale(1 / k, 1 / k));
    return b;
}

QFont EmfPlusPlayer::font(const Font& f, double pixels) const
{
    QFont q(f.family.isEmpty() ? QStringLiteral("Arial") : f.family);
    const double dpi = p.device() ? std::max(1, p.device()->logicalDpiY()) : 96;
    q.setPointSizeF(pixels * 72.0 / dpi);
    q.setBold(f.style & 1);
    q.setItalic(f.style & 2);
    q.setUnderline(f.style & 4);
    q.setStrikeOut(f.style & 8);
    q.setHintingPreference(QFont::PreferNoHinting);
    return q;
}

void EmfPlusPlayer::drawImage(const Image& img, const QRectF& src, const QPointF& ul, const QPointF& ur, const QPointF& ll)
{
    if (!img.metafile.isEmpty()) {
        if (nesting >= MaxNesting)
            return;
        const double w = std::hypot(ur.x() - ul.x(), ur.y() - ul.y());
        const double h = std::hypot(ll.x() - ul.x(), ll.y() - ul.y());
        if (!(w > 0 && h > 0))
            return;
        const QTransform t((ur.x() - ul.x()) / w, (ur.y() - ul.y()) / w, (ll.x() - ul.x()) / h, (ll.y() - ul.y()) / h,
            ul.x(), ul.y());
        try {
            const Metafile m = Metafile::FromBytes(img.metafile);
            ++nesting;
            p.setWorldTransform(t * full());
            m.Play(p, QRectF(0, 0, w, h));
            --nesting;
        } catch (const Exception&) {
            nesting = std::max(0, nesting - 1);
        }
        applyClip();
        return;
    }
    if (img.bitmap.isNull() || !(src.width() > 0 && src.height() > 0))
        return;
    const QRectF s = src.intersected(QRectF(img.bitmap.rect()));
    if (s.isEmpty())
        return;
    const QPointF ex = (ur - ul) / src.width(), ey = (ll - ul) / src.height();
    const QTransform t(ex.x(), ex.y(), ey.x(), ey.y(), ul.x() - ex.x() * src.left() - ey.x() * src.top(),
        ul.y() - ex.y() * src.left() - ey.y() * src.top());
    if (!t.isInvertible())
        return;
    p.setWorldTransform(t * full());
    const bool raster = p.device() && (p.device()->devType() == QInternal::Image || p.device()->devType() == QInternal::Pixmap);
    if (raster) {
        // As in the classic players: a textured fill keeps a scaled or
        // mirrored image inside the clip on raster devices.
        p.fillRect(s, QBrush(img.bitmap));
    } else {
        p.drawImage(s.topLeft(), img.bitmap, s);
    }
}

void EmfPlusPlayer::onHeader(RecordReader& r, Kind)
{
    if (header)
        return;
    header = true;
    r.skip(8); // version, flags
    const double x = r.u32(), y = r.u32();
    if (x >= 1 && x <= 100000)
        dpiX = x;
    if (y >= 1 && y <= 100000)
        dpiY = y;
}

void EmfPlusPlayer::onEndOfFile(RecordReader&, Kind)
{
    ended = true;
}

void EmfPlusPlayer::onGetDC(RecordReader&, Kind)
{
    getDC = true;
}

void EmfPlusPlayer::onObject(RecordReader& r, Kind)
{
    objects.take(r, flags);
}

void EmfPlusPlayer::onClear(RecordReader& r, Kind)
{
    const QColor c = argb(r.u32());
    p.setWorldTransform(frame.base);
    p.fillRect(frame.target, c);
}

// FillRects, DrawRects
void EmfPlusPlayer::onRects(RecordReader& r, Kind kind)
{
    const std::uint32_t id = kind == Kind::FillRects ? r.u32() : flags & 0xFF;
    const std::uint32_t n = r.u32();
    if (n > MaxPoints || !r.has(qsizetype(n) * (flags & Compressed ? 8 : 16)))
        return;
    QPainterPath path;
    for (std::uint32_t i = 0; i < n; ++i)
        path.addRect(readRect(r, flags & Compressed));
    if (kind == Kind::FillRects) {
        path.setFillRule(Qt::WindingFill);
        fill(path, brush(id));
    } else {
        stroke(path, id);
    }
}

void EmfPlusPlayer::onFillPolygon(RecordReader& r, Kind)
{
    const std::uint32_t id = r.u32();
    const std::vector<QPointF> pts = readPoints(r, flags, r.u32());
    if (pts.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
    path.closeSubpath();
    fill(path, brush(id));
}

void EmfPlusPlayer::onDrawLines(RecordReader& r, Kind)
{
    const std::vector<QPointF> pts = readPoints(r, flags, r.u32());
    if (pts.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(pts.begin(), pts.end())));
    if (flags & ClosedLines)
        path.closeSubpath();
    stroke(path, flags & 0xFF);
}

// FillEllipse, DrawEllipse
void EmfPlusPlayer::onEllipse(RecordReader& r, Kind kind)
{
    const std::uint32_t id = kind == Kind::FillEllipse ? r.u32() : flags & 0xFF;
    const QRectF box = readRect(r, flags & Compressed);
    if (r.bad())
        return;
    QPainterPath path;
    path.addEllipse(box);
    if (kind == Kind::FillEllipse)
        fill(path, brush(id));
    else
        stroke(path, id);
}

// FillPie, DrawPie, DrawArc
void EmfPlusPlayer::onPie(RecordReader& r, Kind kind)
{
    const std::uint32_t id = kind == Kind::FillPie ? r.u32() : flags & 0xFF;
    const double start = r.f32(), sweep = r.f32();
    const QRectF box = readRect(r, flags & Compressed);
    if (r.bad())
        return;
    const QPainterPath path = arc(box.normalized(), start, sweep, kind != Kind::DrawArc);
    if (kind == Kind::FillPie)
        fill(path, brush(id));
    else
        stroke(path, id);
}

void EmfPlusPlayer::onFillRegion(RecordReader& r, Kind)
{
    const std::uint32_t id = r.u32();
    if (const auto* region = std::get_if<Region>(&objects[flags & 0xFF])) {
        if (region->infinite) {
            p.setWorldTransform(frame.base);
            QPainterPath all;
            all.addRect(frame.target);
            const Brush b = brush(id);
            p.fillPath(all, b.brush);
            return;
        }
        fill(region->path, brush(id));
    }
}

void EmfPlusPlayer::onFillPath(RecordReader& r, Kind)
{
    const std::uint32_t id = r.u32();
    if (const auto* path = std::get_if<Path>(&objects[flags & 0xFF]))
        fill(path->path, brush(id));
}

void EmfPlusPlayer::onDrawPath(RecordReader& r, Kind)
{
    const std::uint32_t penId = r.u32();
    if (const auto* path = std::get_if<Path>(&objects[flags & 0xFF]))
        stroke(path->path, penId);
}

// FillClosedCurve, DrawClosedCurve
void EmfPlusPlayer::onClosedCurve(RecordReader& r, Kind kind)
{
    const std::uint32_t id = kind == Kind::FillClosedCurve ? r.u32() : flags & 0xFF;
    const double tension = r.f32();
    const std::vector<QPointF> pts = readPoints(r, flags, r.u32());
    QPainterPath path = curve(pts, tension, true, 0, pts.size());
    if (kind == Kind::FillClosedCurve) {
        path.setFillRule(flags & WindingFill ? Qt::WindingFill : Qt::OddEvenFill);
        fill(path, brush(id));
    } else {
        stroke(path, id);
    }
}

void EmfPlusPlayer::onDrawCurve(RecordReader& r, Kind)
{
    const double tension = r.f32();
    const std::uint32_t offset = r.u32(), segments = r.u32();
    const std::vector<QPointF> pts = readPoints(r, flags, r.u32());
    if (offset >= pts.size())
        return;
    stroke(curve(pts, tension, false, offset, segments), flags & 0xFF);
}

void EmfPlusPlayer::onDrawBeziers(RecordReader& r, Kind)
{
    const std::vector<QPointF> pts = readPoints(r, flags, r.u32());
    if (pts.size() < 4)
        return;
    QPainterPath path;
    path.moveTo(pts[0]);
    for (size_t i = 1; i + 3 <= pts.size(); i += 3)
        path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    stroke(path, flags & 0xFF);
}

// DrawImage, DrawImagePoints
void EmfPlusPlayer::onDrawImage(RecordReader& r, Kind kind)
{
    const auto* img = std::get_if<Image>(&objects[flags & 0xFF]);
    r.skip(4); // image attributes
    const std::int32_t srcUnit = r.i32();
    QRectF src = readRect(r, false);
    if (!img || r.bad())
        return;
    // Source rectangles count pixels; other units are turned into pixels.
    if (srcUnit != std::int32_t(Unit::Pixel) && srcUnit != std::int32_t(Unit::World)) {
        const double k = pixelsPerUnit(std::uint32_t(srcUnit), dpiX);
        src = QRectF(src.x() * k, src.y() * k, src.width() * k, src.height() * k);
    }
    QPointF ul, ur, ll;
    if (kind == Kind::DrawImage) {
        const QRectF dst = readRect(r, flags & Compressed);
        ul = dst.topLeft();
        ur = dst.topRight();
        ll = dst.bottomLeft();
    } else {
        const std::uint32_t n = r.u32();
        if (n != 3)
            return;
        const std::vector<QPointF> pts = readPoints(r, flags, 3);
        if (pts.size() != 3)
            return;
        ul = pts[0];
        ur = pts[1];
        ll = pts[2];
    }
    if (r.bad())
        return;
    drawImage(*img, src, ul, ur, ll);
}

void EmfPlusPlayer::onDrawString(RecordReader& r, Kind)
{
    const std::uint32_t brushId = r.u32(), formatId = r.u32(), length = r.u32();
    const QRectF layout = readRect(r, false);
    if (length > (1u << 20) || !r.has(qsizetype(length) * 2))
        return;
    const QByteArray chars = r.bytes(qsizetype(length) * 2);
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(chars.constData()), length);
    const auto* f = std::get_if<Font>(&objects[flags & 0xFF]);
    if (!f || text.isEmpty())
        return;
    const StringFormat* format = std::get_if<StringFormat>(&objects[formatId]);
    const double em = worldSize(f->emSize, f->unit);
    if (!(em > 0) || !std::isfinite(em))
        return;
    // Text is laid out at 100 pixels per em and scaled to its size.
    constexpr double Em = 100;
    const double k = em / Em;
    const QTransform scaled = QTransform::fromScale(k, k) * full();
    if (!scaled.isInvertible())
        return;
    const QRectF box(layout.x() / k, layout.y() / k, layout.width() / k, layout.height() / k);
    // Without a format the default one leaves a sixth of an em on each side.
    const double lead = (format ? format->leadingMargin : 1.0 / 6) * Em;
    const double trail = (format ? format->trailingMargin : 1.0 / 6) * Em;
    const std::uint32_t align = format ? format->align : 0;
    const std::uint32_t lineAlign = format ? format->lineAlign : 0;
    const std::uint32_t formatFlags = format ? format->flags : 0;
    int qtFlags = align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft;
    qtFlags |= lineAlign == 1 ? Qt::AlignVCenter : lineAlign == 2 ? Qt::AlignBottom : Qt::AlignTop;
    QRectF area = box;
    constexpr double Far = 1e6;
    if (box.width() <= 0) {
        // No width: the text runs from the point, aligned about it.
        const double x = box.x();
        area.setLeft(align == 1 ? x - Far : align == 2 ? x - 2 * Far : x);
        area.setWidth(2 * Far);
    } else {
        area.setLeft(box.left() + lead);
        area.setRight(box.right() - trail);
        if (!(formatFlags & NoWrap))
            qtFlags |= Qt::TextWordWrap;
    }
    if (box.height() <= 0) {
        const double y = box.y();
        area.setTop(lineAlign == 1 ? y - Far : lineAlign == 2 ? y - 2 * Far : y);
        area.setHeight(2 * Far);
    }
    p.save();
    p.setWorldTransform(scaled);
    if (box.width() > 0 && box.height() > 0 && !(formatFlags & NoClip))
        p.setClipRect(box, Qt::IntersectClip);
    p.setFont(font(*f, Em));
    p.setPen(QPen(textBrush(brushId, k), 1));
    p.drawText(area, qtFlags, text);
    p.restore();
}

void EmfPlusPlayer::onDrawDriverString(RecordReader& r, Kind)
{
    const std::uint32_t brushId = r.u32(), options = r.u32(), hasMatrix = r.u32(), n = r.u32();
    if (n == 0 || n > (1u << 16) || !r.has(qsizetype(n) * 2))
        return;
    std::vector<std::uint16_t> codes(n);
    for (auto& c : codes)
        c = r.u16();
    const std::vector<QPointF> pos = readPoints(r, 0, (options & RealizedAdvance) && !r.has(qsizetype(n) * 8) ? 1 : n);
    if (pos.empty())
        return;
    QTransform matrix;
    if (hasMatrix)
        matrix = readMatrix(r);
    const auto* f = std::get_if<Font>(&objects[flags & 0xFF]);
    if (!f || r.bad() || !matrix.isInvertible())
        return;
    const double em = worldSize(f->emSize, f->unit);
    if (!(em > 0) || !std::isfinite(em))
        return;
    constexpr double Em = 100;
    const double k = em / Em;
    const QTransform scaled = QTransform::fromScale(k, k) * matrix * full();
    if (!scaled.isInvertible())
        return;
    const QFont qf = font(*f, Em);
    p.save();
    p.setWorldTransform(scaled);
    p.setFont(qf);
    p.setPen(QPen(textBrush(brushId, k), 1));
    const bool oneRun = (options & RealizedAdvance) || pos.size() < n;
    if (options & CmapLookup) {
        QString text;
        for (const std::uint16_t c : codes)
            text.append(QChar(c));
        if (oneRun) {
            p.drawText(pos[0] / k, text);
        } else {
            for (std::uint32_t i = 0; i < n; ++i)
                p.drawText(pos[i] / k, QString(text[i]));
        }
        p.restore();
        return;
    }
    // Glyph numbers belong to the named font's own file.
    QRawFont raw = QRawFont::fromFont(qf);
    if (!raw.isValid() || QFontInfo(qf).family().compare(qf.family(), Qt::CaseInsensitive) != 0) {
        WarnMissingGlyphFont(qf.family());
        p.restore();
        return;
    }
    raw.setPixelSize(Em);
    QList<quint32> glyphs(codes.begin(), codes.end());
    QList<QPointF> at;
    if (oneRun) {
        const QList<QPointF> adv = raw.advancesForGlyphIndexes(glyphs);
        QPointF here = pos[0] / k;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            at.append(here);
            here += i < adv.size() ? adv[i] : QPointF();
        }
    } else {
        for (const QPointF& q : pos)
            at.append(q / k);
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(at);
    run.setUnderline(f->style & 4);
    run.setStrikeOut(f->style & 8);
    p.drawGlyphRun(QPointF(0, 0), run);
    p.restore();
}

// Save, BeginContainerNoParams
void EmfPlusPlayer::onSave(RecordReader& r, Kind kind)
{
    const std::uint32_t index = r.u32();
    if (r.bad() || saved.size() >= size_t(MaxSaved))
        return;
    saved.emplace_back(index, st);
    if (kind == Kind::BeginContainerNoParams) {
        st.container = st.world * st.container;
        st.world = QTransform();
    }
}

// Restore, EndContainer: back to the state saved under the index; later
// saves go with it.
void EmfPlusPlayer::onRestore(RecordReader& r, Kind)
{
    const std::uint32_t index = r.u32();
    for (size_t i = saved.size(); i-- > 0;) {
        if (saved[i].first == index) {
            st = saved[i].second;
            saved.resize(i);
            applyClip();
            return;
        }
    }
}

void EmfPlusPlayer::onBeginContainer(RecordReader& r, Kind)
{
    const QRectF dst = readRect(r, false), src = readRect(r, false);
    const std::uint32_t index = r.u32();
    if (r.bad() || saved.size() >= size_t(MaxSaved))
        return;
    saved.emplace_back(index, st);
    // The source rectangle maps onto the destination, which is in the
    // unit the flags name, turned into the page's units.
    const double unit = worldSize(1, (flags >> 8) & 0xFF);
    if (!(src.width() != 0 && src.height() != 0))
        return;
    const double sx = dst.width() / src.width() * unit, sy = dst.height() / src.height() * unit;
    const QTransform t(sx, 0, 0, sy, dst.x() * unit - src.x() * sx, dst.y() * unit - src.y() * sy);
    if (!t.isInvertible())
        return;
    st.container = t * st.world * st.container;
    st.world = QTransform();
}

void EmfPlusPlayer::onWorldTransform(RecordReader& r, Kind kind)
{
    QTransform m;
    switch (kind) {
    case Kind::ResetWorldTransform: st.world = QTransform(); return;
    case Kind::SetWorldTransform: {
        const QTransform t = readMatrix(r);
        if (!r.bad() && t.isInvertible())
            st.world = t;
        return;
    }
    case Kind::MultiplyWorldTransform: m = readMatrix(r); break;
    case Kind::TranslateWorldTransform: {
        const double dx = r.f32();
        m = QTransform::fromTranslate(dx, r.f32());
        break;
    }
    case Kind::ScaleWorldTransform: {
        const double sx = r.f32();
        m = QTransform::fromScale(sx, r.f32());
        break;
    }
    case Kind::RotateWorldTransform: m.rotate(r.f32()); break;
    default: return;
    }
    const QTransform next = flags & Append ? st.world * m : m * st.world;
    if (!r.bad() && next.isInvertible())
        st.world = next;
}

void EmfPlusPlayer::onSetPageTransform(RecordReader& r, Kind)
{
    const double scale = r.f32();
    if (r.bad() || !(scale > 0))
        return;
    st.pageUnit = flags & 0xFF;
    st.pageScale = scale;
}

void EmfPlusPlayer::onResetClip(RecordReader&, Kind)
{
    st.clipOn = false;
    applyClip();
}

// SetClipRect, SetClipPath, SetClipRegion
void EmfPlusPlayer::onSetClip(RecordReader& r, Kind kind)
{
    const int mode = (flags >> 8) & 0x0F;
    QPainterPath path;
    bool infinite = false;
    if (kind == Kind::SetClipRect) {
        path.addRect(readRect(r, false).normalized());
        if (r.bad())
            return;
    } else if (kind == Kind::SetClipPath) {
        const auto* pt = std::get_if<Path>(&objects[flags & 0xFF]);
        if (!pt)
            return;
        path = pt->path;
    } else {
        const auto* rg = std::get_if<Region>(&objects[flags & 0xFF]);
        if (!rg)
            return;
        path = rg->path;
        infinite = rg->infinite;
    }
    combineClip(path, mode, infinite);
}

void EmfPlusPlayer::onOffsetClip(RecordReader& r, Kind)
{
    const double dx = r.f32(), dy = r.f32();
    if (r.bad() || !st.clipOn)
        return;
    const QTransform t = toTarget();
    st.clip.translate(t.map(QPointF(dx, dy)) - t.map(QPointF(0, 0)));
    applyClip();
}

} // namespace bv::pictures
