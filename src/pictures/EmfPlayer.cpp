#include "pictures/EmfPlayer.h"

#include "pictures/Metafile.h"
#include "platform/Dib.h"
#include "platform/Errors.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>

namespace bv::pictures {

namespace {

// `n` points of 16 or 32 bits each; none when the record is too short.
std::vector<QPointF> pointList(RecordReader& r, bool small, qsizetype n)
{
    std::vector<QPointF> pts;
    if (n < 0 || !r.has(n * (small ? 4 : 8)))
        return pts;
    pts.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i) {
        if (small) {
            const double x = r.i16();
            pts.emplace_back(x, r.i16());
        } else {
            const double x = r.i32();
            pts.emplace_back(x, r.i32());
        }
    }
    return pts;
}

QRectF rectL(RecordReader& r)
{
    const double l = r.i32(), t = r.i32(), rr = r.i32(), b = r.i32();
    return QRectF(QPointF(l, t), QPointF(rr, b)).normalized();
}

// A bitmap whose header and bits the record holds at the given offsets
// (counted from the record's start, type and size included).
Dib packedDib(RecordReader& r, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits, std::uint32_t cbBits)
{
    const QByteArray head = r.slice(qsizetype(offBmi) - 8, cbBmi);
    const QByteArray bits = r.slice(qsizetype(offBits) - 8, cbBits);
    if (head.isEmpty() || bits.isEmpty())
        throw EConvertError(QStringLiteral("Invalid bitmap"));
    return Dib::FromPackedDib(head + bits);
}

// ExtTextOut options.
constexpr int EtoOpaque = 0x0002;
constexpr int EtoGlyphIndex = 0x0010;

// The record kind with 32-bit points that a 16-bit one stands for.
EmfRecord wideForm(EmfRecord kind)
{
    switch (kind) {
    case EmfRecord::PolyBezier16: return EmfRecord::PolyBezier;
    case EmfRecord::Polygon16: return EmfRecord::Polygon;
    case EmfRecord::Polyline16: return EmfRecord::Polyline;
    case EmfRecord::PolyBezierTo16: return EmfRecord::PolyBezierTo;
    case EmfRecord::PolylineTo16: return EmfRecord::PolylineTo;
    default: return kind;
    }
}

} // namespace

const EmfPlayer::Table& EmfPlayer::table()
{
    static const Table handlers {
        { EmfRecord::PolyBezier, &EmfPlayer::onPoly },
        { EmfRecord::Polygon, &EmfPlayer::onPoly },
        { EmfRecord::Polyline, &EmfPlayer::onPoly },
        { EmfRecord::PolyBezierTo, &EmfPlayer::onPoly },
        { EmfRecord::PolylineTo, &EmfPlayer::onPoly },
        { EmfRecord::PolyBezier16, &EmfPlayer::onPoly },
        { EmfRecord::Polygon16, &EmfPlayer::onPoly },
        { EmfRecord::Polyline16, &EmfPlayer::onPoly },
        { EmfRecord::PolyBezierTo16, &EmfPlayer::onPoly },
        { EmfRecord::PolylineTo16, &EmfPlayer::onPoly },
        { EmfRecord::PolyPolyline, &EmfPlayer::onPolyPoly },
        { EmfRecord::PolyPolygon, &EmfPlayer::onPolyPoly },
        { EmfRecord::PolyPolyline16, &EmfPlayer::onPolyPoly },
        { EmfRecord::PolyPolygon16, &EmfPlayer::onPolyPoly },
        { EmfRecord::SetWindowExtEx, &EmfPlayer::onSetWindowExtEx },
        { EmfRecord::SetWindowOrgEx, &EmfPlayer::onSetWindowOrgEx },
        { EmfRecord::SetViewportExtEx, &EmfPlayer::onSetViewportExtEx },
        { EmfRecord::SetViewportOrgEx, &EmfPlayer::onSetViewportOrgEx },
        { EmfRecord::SetPixelV, &EmfPlayer::onSetPixelV },
        { EmfRecord::SetMapMode, &EmfPlayer::onSetMapMode },
        { EmfRecord::SetBkMode, &EmfPlayer::onSetBkMode },
        { EmfRecord::SetPolyFillMode, &EmfPlayer::onSetPolyFillMode },
        { EmfRecord::SetRop2, &EmfPlayer::onSetRop2 },
        { EmfRecord::SetTextAlign, &EmfPlayer::onSetTextAlign },
        { EmfRecord::SetTextColor, &EmfPlayer::onSetTextColor },
        { EmfRecord::SetBkColor, &EmfPlayer::onSetBkColor },
        { EmfRecord::OffsetClipRgn, &EmfPlayer::onOffsetClipRgn },
        { EmfRecord::MoveToEx, &EmfPlayer::onMoveToEx },
        { EmfRecord::ExcludeClipRect, &EmfPlayer::onClipRect },
        { EmfRecord::IntersectClipRect, &EmfPlayer::onClipRect },
        { EmfRecord::ScaleViewportExtEx, &EmfPlayer::onScaleExt },
        { EmfRecord::ScaleWindowExtEx, &EmfPlayer::onScaleExt },
        { EmfRecord::SaveDC, &EmfPlayer::onSaveDC },
        { EmfRecord::RestoreDC, &EmfPlayer::onRestoreDC },
        { EmfRecord::SetWorldTransform, &EmfPlayer::onWorldTransform },
        { EmfRecord::ModifyWorldTransform, &EmfPlayer::onWorldTransform },
        { EmfRecord::SelectObject, &EmfPlayer::onSelectObject },
        { EmfRecord::DeleteObject, &EmfPlayer::onDeleteObject },
        { EmfRecord::CreatePen, &EmfPlayer::onCreatePen },
        { EmfRecord::ExtCreatePen, &EmfPlayer::onExtCreatePen },
        { EmfRecord::CreateBrushIndirect, &EmfPlayer::onCreateBrushIndirect },
        { EmfRecord::CreateMonoBrush, &EmfPlayer::onCreatePatternBrush },
        { EmfRecord::CreateDIBPatternBrushPt, &EmfPlayer::onCreatePatternBrush },
        { EmfRecord::ExtCreateFontIndirectW, &EmfPlayer::onExtCreateFontIndirectW },
        { EmfRecord::CreatePalette, &EmfPlayer::onCreatePalette },
        { EmfRecord::Ellipse, &EmfPlayer::onBox },
        { EmfRecord::Rectangle, &EmfPlayer::onBox },
        { EmfRecord::RoundRect, &EmfPlayer::onRoundRect },
        { EmfRecord::Arc, &EmfPlayer::onArc },
        { EmfRecord::Chord, &EmfPlayer::onArc },
        { EmfRecord::Pie, &EmfPlayer::onArc },
        { EmfRecord::ArcTo, &EmfPlayer::onArc },
        { EmfRecord::AngleArc, &EmfPlayer::onAngleArc },
        { EmfRecord::LineTo, &EmfPlayer::onLineTo },
        { EmfRecord::SetArcDirection, &EmfPlayer::onSetArcDirection },
        { EmfRecord::BeginPath, &EmfPlayer::onBeginPath },
        { EmfRecord::EndPath, &EmfPlayer::onEndPath },
        { EmfRecord::CloseFigure, &EmfPlayer::onCloseFigure },
        { EmfRecord::AbortPath, &EmfPlayer::onAbortPath },
        { EmfRecord::FillPath, &EmfPlayer::onDrawPath },
        { EmfRecord::StrokeAndFillPath, &EmfPlayer::onDrawPath },
        { EmfRecord::StrokePath, &EmfPlayer::onDrawPath },
        { EmfRecord::WidenPath, &EmfPlayer::onWidenPath },
        { EmfRecord::SelectClipPath, &EmfPlayer::onSelectClipPath },
        { EmfRecord::FillRgn, &EmfPlayer::onFillRegion },
        { EmfRecord::PaintRgn, &EmfPlayer::onFillRegion },
        { EmfRecord::ExtSelectClipRgn, &EmfPlayer::onExtSelectClipRgn },
        { EmfRecord::ExtTextOutA, &EmfPlayer::onExtTextOut },
        { EmfRecord::ExtTextOutW, &EmfPlayer::onExtTextOut },
        { EmfRecord::BitBlt, &EmfPlayer::onBlt },
        { EmfRecord::StretchBlt, &EmfPlayer::onBlt },
        { EmfRecord::AlphaBlend, &EmfPlayer::onBlt },
        { EmfRecord::GradientFill, &EmfPlayer::onGradientFill },
        { EmfRecord::StretchDIBits, &EmfPlayer::onStretchDIBits },
        { EmfRecord::SetDIBitsToDevice, &EmfPlayer::onSetDIBitsToDevice },
    };
    return handlers;
}

void EmfPlayer::play(RecordReader& file)
{
    file.seek(0);
    file.skip(8);
    const double bl = file.i32(), bt = file.i32(), br = file.i32(), bb = file.i32();
    const double fl = file.i32(), ft = file.i32(), fr = file.i32(), fb = file.i32();
    file.seek(72);
    const double devW = file.i32(), devH = file.i32(), mmW = file.i32(), mmH = file.i32();
    if (file.bad())
        return;
    if (devW > 0 && mmW > 0)
        pxPerMmX = devW / mmW;
    if (devH > 0 && mmH > 0)
        pxPerMmY = devH / mmH;
    // The frame (0.01 mm, inclusive) in reference-device pixels maps onto the target.
    QRectF frame(QPointF(fl * pxPerMmX / 100, ft * pxPerMmY / 100), QPointF(fr * pxPerMmX / 100, fb * pxPerMmY / 100));
    if (!(frame.width() > 0 && frame.height() > 0))
        frame = QRectF(QPointF(bl, bt), QPointF(br + 1, bb + 1));
    if (!(frame.width() > 0 && frame.height() > 0))
        frame = QRectF(0, 0, 1, 1);
    const double sx = target.width() / frame.width();
    const double sy = target.height() / frame.height();
    device = QTransform(sx, 0, 0, sy, target.left() - frame.left() * sx, target.top() - frame.top() * sy);

    qsizetype at = 0;
    int count = 0;
    while (at + 8 <= file.size() && count++ < Metafile::MaxRecords) {
        file.seek(at);
        const std::uint32_t type = file.u32();
        const std::uint32_t size = file.u32();
        if (size < 8 || (size & 3) || qsizetype(size) > file.size() - at)
            return;
        if (count > 1 && type == std::uint32_t(EmfRecord::Eof))
            return;
        if (count > 1 && type == std::uint32_t(EmfRecord::Comment)) {
            // The comment's size, then its data.
            const QByteArray data = file.slice(at + 12, qsizetype(size) - 12);
            if (EmfPlusPlayer::IsEmfPlus(data)) {
                playEmfPlus(data);
                at += size;
                continue;
            }
        }
        // Once EMF+ records draw the picture, the classic records are the
        // fallback for programs without EMF+, except after a GetDC record.
        if (plus && plus->started() && !plus->classicRecordsDraw()) {
            at += size;
            continue;
        }
        if (plusDrewLast) {
            plusDrewLast = false;
            applyClip();
        }
        const Table::Handler handler = count > 1 ? table().find(type) : nullptr;
        if (handler) {
            const QByteArray body = file.slice(at + 8, qsizetype(size) - 8);
            RecordReader rec(body.constData(), body.size());
            (this->*handler)(rec, EmfRecord(type));
        }
        at += size;
    }
}

void EmfPlayer::playEmfPlus(const QByteArray& data)
{
    if (!plus)
        plus = std::make_unique<EmfPlusPlayer>(p, EmfPlusPlayer::Frame { target, base, device, hadClip, outerClip });
    plus->playComment(data);
    plusDrewLast = true;
}

// PolyBezier, Polygon, Polyline, PolyBezierTo, PolylineTo and their forms
// with 16-bit points
void EmfPlayer::onPoly(RecordReader& r, EmfRecord kind)
{
    const bool small = kind >= EmfRecord::PolyBezier16;
    const EmfRecord t = small ? wideForm(kind) : kind;
    r.skip(16);
    const std::vector<QPointF> pts = pointList(r, small, r.u32());
    if (pts.empty())
        return;
    if (t == EmfRecord::PolyBezier || t == EmfRecord::PolyBezierTo) {
        size_t i = 0;
        QPointF from = dc.cur;
        if (t == EmfRecord::PolyBezier) {
            from = pts[0];
            i = 1;
        }
        QPainterPath lp;
        lp.moveTo(from);
        for (; i + 3 <= pts.size(); i += 3)
            lp.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        if (t == EmfRecord::PolyBezierTo) {
            dc.cur = lp.currentPosition();
            if (inPath) {
                if (path.elementCount() == 0)
                    path.addPath(logical().map(lp));
                else
                    path.connectPath(logical().map(lp));
                return;
            }
        }
        draw(lp, false, true);
    } else if (t == EmfRecord::PolylineTo) {
        for (const QPointF& q : pts)
            lineTo(q.x(), q.y());
    } else {
        QPainterPath lp;
        lp.moveTo(pts[0]);
        for (size_t i = 1; i < pts.size(); ++i)
            lp.lineTo(pts[i]);
        if (t == EmfRecord::Polygon) {
            lp.closeSubpath();
            draw(lp, true, true);
        } else {
            draw(lp, false, true);
        }
    }
}

// PolyPolyline, PolyPolygon
void EmfPlayer::onPolyPoly(RecordReader& r, EmfRecord kind)
{
    const bool small = kind == EmfRecord::PolyPolyline16 || kind == EmfRecord::PolyPolygon16;
    const bool polygon = kind == EmfRecord::PolyPolygon || kind == EmfRecord::PolyPolygon16;
    r.skip(16);
    const std::uint32_t polys = r.u32();
    const std::uint32_t total = r.u32();
    if (!r.has(qsizetype(polys) * 4))
        return;
    std::vector<std::uint32_t> counts(polys);
    std::uint64_t sum = 0;
    for (auto& c : counts) {
        c = r.u32();
        sum += c;
    }
    if (sum != total)
        return;
    const std::vector<QPointF> pts = pointList(r, small, qsizetype(total));
    if (pts.size() != total)
        return;
    QPainterPath lp;
    size_t k = 0;
    for (std::uint32_t c : counts) {
        for (std::uint32_t i = 0; i < c; ++i, ++k) {
            if (i == 0)
                lp.moveTo(pts[k]);
            else
                lp.lineTo(pts[k]);
        }
        if (polygon && c > 0)
            lp.closeSubpath();
    }
    draw(lp, polygon, true);
}

void EmfPlayer::onSetWindowExtEx(RecordReader& r, EmfRecord)
{
    const double x = r.i32();
    dc.winExt = QSizeF(x, r.i32());
}

void EmfPlayer::onSetWindowOrgEx(RecordReader& r, EmfRecord)
{
    const double x = r.i32();
    dc.winOrg = QPointF(x, r.i32());
}

void EmfPlayer::onSetViewportExtEx(RecordReader& r, EmfRecord)
{
    const double x = r.i32();
    dc.viewExt = QSizeF(x, r.i32());
}

void EmfPlayer::onSetViewportOrgEx(RecordReader& r, EmfRecord)
{
    const double x = r.i32();
    dc.viewOrg = QPointF(x, r.i32());
}

void EmfPlayer::onSetPixelV(RecordReader& r, EmfRecord)
{
    const double x = r.i32(), y = r.i32();
    fillLogicalRect(QRectF(x, y, 1, 1), colorRef(r.u32()));
}

void EmfPlayer::onSetMapMode(RecordReader& r, EmfRecord)
{
    dc.mapMode = int(r.u32());
}

void EmfPlayer::onSetBkMode(RecordReader& r, EmfRecord)
{
    dc.bkMode = int(r.u32());
}

void EmfPlayer::onSetPolyFillMode(RecordReader& r, EmfRecord)
{
    dc.polyFill = int(r.u32());
}

void EmfPlayer::onSetRop2(RecordReader& r, EmfRecord)
{
    dc.rop2 = int(r.u32());
}

void EmfPlayer::onSetTextAlign(RecordReader& r, EmfRecord)
{
    dc.textAlign = int(r.u32());
}

void EmfPlayer::onSetTextColor(RecordReader& r, EmfRecord)
{
    dc.textColor = colorRef(r.u32());
}

void EmfPlayer::onSetBkColor(RecordReader& r, EmfRecord)
{
    dc.bkColor = colorRef(r.u32());
}

void EmfPlayer::onOffsetClipRgn(RecordReader& r, EmfRecord)
{
    const double x = r.i32(), y = r.i32();
    if (dc.clipOn) {
        const QTransform l = logical();
        dc.clip.translate(l.map(QPointF(x, y)) - l.map(QPointF(0, 0)));
        applyClip();
    }
}

void EmfPlayer::onMoveToEx(RecordReader& r, EmfRecord)
{
    const double x = r.i32();
    moveTo(x, r.i32());
}

// ExcludeClipRect, IntersectClipRect
void EmfPlayer::onClipRect(RecordReader& r, EmfRecord kind)
{
    const QPainterPath tp = logical().map(rectPath(rectL(r)));
    if (kind == EmfRecord::IntersectClipRect)
        intersectClip(tp);
    else
        excludeClip(tp);
}

// ScaleViewportExtEx, ScaleWindowExtEx
void EmfPlayer::onScaleExt(RecordReader& r, EmfRecord kind)
{
    const double xn = r.i32(), xd = r.i32(), yn = r.i32(), yd = r.i32();
    if (xd == 0 || yd == 0)
        return;
    QSizeF& e = kind == EmfRecord::ScaleViewportExtEx ? dc.viewExt : dc.winExt;
    e = QSizeF(e.width() * xn / xd, e.height() * yn / yd);
}

void EmfPlayer::onSaveDC(RecordReader&, EmfRecord)
{
    save();
}

void EmfPlayer::onRestoreDC(RecordReader& r, EmfRecord)
{
    restore(r.i32());
}

void EmfPlayer::onWorldTransform(RecordReader& r, EmfRecord kind)
{
    const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(), dy = r.f32();
    const QTransform x(m11, m12, m21, m22, dx, dy);
    const std::uint32_t mode = kind == EmfRecord::SetWorldTransform ? 4 : r.u32();
    QTransform next = dc.world;
    switch (mode) {
    case 1: next = QTransform(); break; // MWT_IDENTITY
    case 2: next = x * dc.world; break; // MWT_LEFTMULTIPLY
    case 3: next = dc.world * x; break; // MWT_RIGHTMULTIPLY
    case 4: next = x; break;            // MWT_SET
    default: break;
    }
    if (next.isInvertible())
        dc.world = next;
}

void EmfPlayer::onSelectObject(RecordReader& r, EmfRecord)
{
    select(r.u32(), true);
}

void EmfPlayer::onDeleteObject(RecordReader& r, EmfRecord)
{
    objects.remove(r.u32());
}

void EmfPlayer::onCreatePen(RecordReader& r, EmfRecord)
{
    const std::uint32_t ih = r.u32();
    GdiObject o;
    o.kind = GdiObject::Pen;
    o.pen.style = int(r.u32());
    o.pen.width = std::abs(double(r.i32()));
    r.skip(4);
    o.pen.color = colorRef(r.u32());
    objects.set(ih, o);
}

void EmfPlayer::onExtCreatePen(RecordReader& r, EmfRecord)
{
    const std::uint32_t ih = r.u32();
    r.skip(16);
    GdiObject o;
    o.kind = GdiObject::Pen;
    o.pen.style = int(r.u32());
    o.pen.width = double(r.u32());
    const std::uint32_t brushStyle = r.u32();
    o.pen.color = colorRef(r.u32());
    if (brushStyle == 1)
        o.pen.style = 5;
    // A cosmetic pen is one pixel wide.
    if (!(o.pen.style & 0x10000))
        o.pen.width = 0;
    o.pen.style &= 0xFFFF;
    objects.set(ih, o);
}

void EmfPlayer::onCreateBrushIndirect(RecordReader& r, EmfRecord)
{
    const std::uint32_t ih = r.u32();
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.style = int(r.u32());
    o.brush.color = colorRef(r.u32());
    o.brush.hatch = int(r.u32());
    objects.set(ih, o);
}

// CreateMonoBrush, CreateDIBPatternBrushPt
void EmfPlayer::onCreatePatternBrush(RecordReader& r, EmfRecord)
{
    const std::uint32_t ih = r.u32();
    r.skip(4);
    const std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    GdiObject o;
    o.kind = GdiObject::Brush;
    try {
        o.brush.pattern = packedDib(r, offBmi, cbBmi, offBits, cbBits).Image();
        o.brush.style = 3;
    } catch (const Exception&) {
        o.brush.color = Qt::gray;
    }
    objects.set(ih, o);
}

void EmfPlayer::onExtCreateFontIndirectW(RecordReader& r, EmfRecord)
{
    const std::uint32_t ih = r.u32();
    GdiObject o;
    o.kind = GdiObject::Font;
    o.font.height = r.i32();
    r.skip(4);
    o.font.escapement = r.i32();
    r.skip(4);
    o.font.weight = r.i32();
    o.font.italic = r.u8();
    o.font.underline = r.u8();
    o.font.strikeOut = r.u8();
    o.font.charset = r.u8();
    r.skip(4);
    QString face;
    for (int i = 0; i < 32 && r.has(2); ++i) {
        const char16_t c = r.u16();
        if (c == 0)
            break;
        face.append(QChar(c));
    }
    o.font.face = face;
    objects.set(ih, o);
}

void EmfPlayer::onCreatePalette(RecordReader& r, EmfRecord)
{
    GdiObject o;
    o.kind = GdiObject::Palette;
    objects.set(r.u32(), o);
}

// Ellipse, Rectangle
void EmfPlayer::onBox(RecordReader& r, EmfRecord kind)
{
    const QRectF box = rectL(r);
    QPainterPath lp;
    if (kind == EmfRecord::Ellipse)
        lp.addEllipse(box);
    else
        lp.addRect(box);
    draw(lp, true, true);
}

void EmfPlayer::onRoundRect(RecordReader& r, EmfRecord)
{
    const QRectF box = rectL(r);
    const double w = r.i32(), h = r.i32();
    QPainterPath lp;
    lp.addRoundedRect(box, std::abs(w) / 2, std::abs(h) / 2);
    draw(lp, true, true);
}

// Arc, Chord, Pie, ArcTo
void EmfPlayer::onArc(RecordReader& r, EmfRecord kind)
{
    const QRectF box = rectL(r);
    const double xs = r.i32(), ys = r.i32(), xe = r.i32(), ye = r.i32();
    const int shape = kind == EmfRecord::Pie ? 1 : kind == EmfRecord::Chord ? 2 : 0;
    QPainterPath lp = arcPath(shape, box.left(), box.top(), box.right(), box.bottom(), xs, ys, xe, ye);
    if (kind == EmfRecord::ArcTo) {
        if (lp.elementCount() == 0)
            return;
        QPainterPath joined;
        joined.moveTo(dc.cur);
        joined.lineTo(lp.elementAt(0).x, lp.elementAt(0).y);
        joined.connectPath(lp);
        dc.cur = lp.currentPosition();
        if (inPath) {
            if (path.elementCount() == 0)
                path.addPath(logical().map(joined));
            else
                path.connectPath(logical().map(lp));
        } else {
            draw(joined, false, true);
        }
        return;
    }
    draw(lp, shape != 0, true);
}

void EmfPlayer::onAngleArc(RecordReader& r, EmfRecord)
{
    const double x = r.i32(), y = r.i32();
    const double radius = r.u32();
    const double start = r.f32(), sweep = r.f32();
    const QRectF box(x - radius, y - radius, 2 * radius, 2 * radius);
    QPainterPath lp;
    lp.moveTo(dc.cur);
    lp.arcTo(box, start, sweep);
    dc.cur = lp.currentPosition();
    draw(lp, false, true);
}

void EmfPlayer::onLineTo(RecordReader& r, EmfRecord)
{
    const double x = r.i32();
    lineTo(x, r.i32());
}

void EmfPlayer::onSetArcDirection(RecordReader& r, EmfRecord)
{
    dc.arcClockwise = r.u32() == 2;
}

void EmfPlayer::onBeginPath(RecordReader&, EmfRecord)
{
    inPath = true; path = QPainterPath();
}

void EmfPlayer::onEndPath(RecordReader&, EmfRecord)
{
    inPath = false;
}

void EmfPlayer::onCloseFigure(RecordReader&, EmfRecord)
{
    if (inPath) path.closeSubpath();
}

void EmfPlayer::onAbortPath(RecordReader&, EmfRecord)
{
    inPath = false; path = QPainterPath();
}

// FillPath, StrokeAndFillPath, StrokePath
void EmfPlayer::onDrawPath(RecordReader&, EmfRecord kind)
{
    inPath = false;
    drawTarget(path, kind != EmfRecord::StrokePath, kind != EmfRecord::FillPath);
    path = QPainterPath();
}

void EmfPlayer::onWidenPath(RecordReader&, EmfRecord)
{
    QPainterPathStroker s;
    s.setWidth(qpen().widthF());
    path = s.createStroke(path);
}

void EmfPlayer::onSelectClipPath(RecordReader& r, EmfRecord)
{
    const int mode = int(r.u32());
    QPainterPath cp = path;
    cp.setFillRule(dc.polyFill == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(cp.simplified(), mode);
    path = QPainterPath();
    inPath = false;
}

// FillRgn, PaintRgn: the region in device units
void EmfPlayer::onFillRegion(RecordReader& r, EmfRecord kind)
{
    r.skip(16);
    const std::uint32_t cb = r.u32();
    std::uint32_t ih = 0;
    if (kind == EmfRecord::FillRgn)
        ih = r.u32();
    Q_UNUSED(cb);
    r.skip(16); // RGNDATAHEADER dwSize, iType, nCount, nRgnSize
    r.skip(16); // rcBound
    QPainterPath rp;
    for (int k = 0; k < MaxRegionRects && r.has(16); ++k) {
        const QRectF q = rectL(r);
        rp.addRect(q);
    }
    const GdiBrush keep = dc.brush;
    if (kind == EmfRecord::FillRgn) {
        const GdiObject o = objects.get(ih, true);
        if (o.kind == GdiObject::Brush)
            dc.brush = o.brush;
    }
    drawTarget(device.map(rp.simplified()), true, false);
    dc.brush = keep;
}

void EmfPlayer::onExtSelectClipRgn(RecordReader& r, EmfRecord)
{
    const std::uint32_t cb = r.u32();
    const int mode = int(r.u32());
    if (cb < 32) {
        if (mode == 5) {
            dc.clipOn = false;
            applyClip();
        }
        return;
    }
    r.skip(32);
    QPainterPath rp;
    int k = 0;
    for (std::uint32_t used = 32; used + 16 <= cb && r.has(16) && k++ < MaxRegionRects; used += 16)
        rp.addRect(rectL(r));
    combineClip(device.map(rp.simplified()), mode);
}

// ExtTextOutA, ExtTextOutW
void EmfPlayer::onExtTextOut(RecordReader& r, EmfRecord kind)
{
    r.skip(16 + 4 + 8); // bounds, graphics mode, scales
    const double x = r.i32(), y = r.i32();
    const std::uint32_t n = r.u32();
    const std::uint32_t offString = r.u32();
    const int options = int(r.u32());
    const QRectF rect = rectL(r);
    const std::uint32_t offDx = r.u32();
    if (n > 0x100000)
        return;
    QString s;
    if (kind == EmfRecord::ExtTextOutW) {
        const QByteArray b = r.slice(qsizetype(offString) - 8, qsizetype(n) * 2);
        if (qsizetype(b.size()) != qsizetype(n) * 2)
            return;
        s = QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData()), n);
    } else {
        const QByteArray b = r.slice(qsizetype(offString) - 8, qsizetype(n));
        if (qsizetype(b.size()) != qsizetype(n))
            return;
        s = ansiText(b, dc.font.charset);
    }
    std::vector<double> dx;
    if (offDx > 0) {
        const QByteArray d = r.slice(qsizetype(offDx) - 8, qsizetype(n) * 4);
        if (qsizetype(d.size()) == qsizetype(n) * 4)
            for (std::uint32_t i = 0; i < n; ++i)
                dx.push_back(qFromLittleEndian<std::int32_t>(d.constData() + i * 4));
    }
    if (s.isEmpty()) {
        // No characters: an opaque rectangle is still painted.
        if (options & EtoOpaque)
            fillLogicalRect(rect, dc.bkColor);
        return;
    }
    if (kind == EmfRecord::ExtTextOutW && (options & EtoGlyphIndex)) {
        // The codes are glyph numbers of the font.
        std::vector<quint32> glyphs;
        glyphs.reserve(size_t(s.size()));
        for (const QChar c : s)
            glyphs.push_back(c.unicode());
        text(x, y, QString(), dx, options, rect, &glyphs);
        return;
    }
    text(x, y, s, dx, options, rect);
}

// BitBlt, StretchBlt, AlphaBlend
void EmfPlayer::onBlt(RecordReader& r, EmfRecord kind)
{
    r.skip(16);
    const double dx = r.i32(), dy = r.i32(), dw = r.i32(), dh = r.i32();
    const std::uint32_t rop = r.u32();
    const double sx = r.i32(), sy = r.i32();
    r.skip(24 + 4 + 4); // source transform, background colour, usage
    const std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    double sw = dw, sh = dh;
    if (kind != EmfRecord::BitBlt) {
        sw = r.i32();
        sh = r.i32();
    }
    if (cbBmi == 0) {
        patternBlt(QRectF(dx, dy, dw, dh), rop);
        return;
    }
    try {
        const Dib dib = packedDib(r, offBmi, cbBmi, offBits, cbBits);
        QImage img = dib.Image();
        if (kind == EmfRecord::AlphaBlend && dib.BitCount() == 32) {
            // The source's alpha channel (premultiplied) takes part.
            const QByteArray rows = dib.BottomUpRows();
            QImage a(dib.Width(), dib.Height(), QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < dib.Height(); ++y)
                std::memcpy(a.scanLine(dib.Height() - 1 - y), rows.constData() + qsizetype(y) * dib.Width() * 4,
                    size_t(dib.Width()) * 4);
            img = a;
        }
        image(img, QRectF(sx, sy, sw, sh), dx, dy, dw, dh, kind == EmfRecord::AlphaBlend ? std::uint32_t(RasterOp::SrcCopy) : rop);
    } catch (const Exception&) {
    }
}

void EmfPlayer::onGradientFill(RecordReader& r, EmfRecord)
{
    r.skip(16);
    const std::uint32_t nVer = r.u32(), nTri = r.u32(), mode = r.u32();
    if (!r.has(qsizetype(nVer) * 16) || nVer > 0x100000)
        return;
    struct Vertex {
        QPointF at;
        QColor colour;
    };
    std::vector<Vertex> v(nVer);
    for (Vertex& x : v) {
        const double px = r.i32(), py = r.i32();
        const int red = r.u16() >> 8, green = r.u16() >> 8, blue = r.u16() >> 8;
        r.skip(2);
        x = { QPointF(px, py), QColor(red, green, blue) };
    }
    const int corners = mode == 2 ? 3 : 2;
    for (std::uint32_t k = 0; k < nTri && r.has(corners * 4) && k < 0x100000; ++k) {
        std::uint32_t idx[3] = { 0, 0, 0 };
        for (int c = 0; c < corners; ++c)
            idx[c] = r.u32();
        if (idx[0] >= nVer || idx[1] >= nVer || idx[2] >= nVer)
            continue;
        QPainterPath lp;
        if (mode == 2) {
            // A colour per corner: the platform has no shaded triangles,
            // their mean colour stands in.
            lp.moveTo(v[idx[0]].at);
            lp.lineTo(v[idx[1]].at);
            lp.lineTo(v[idx[2]].at);
            lp.closeSubpath();
            int rgb[3] = { 0, 0, 0 };
            for (int c = 0; c < 3; ++c) {
                rgb[0] += v[idx[c]].colour.red();
                rgb[1] += v[idx[c]].colour.green();
                rgb[2] += v[idx[c]].colour.blue();
            }
            const QPainterPath tp = logical().map(lp);
            p.save();
            p.setWorldTransform(base);
            p.fillPath(tp, QColor(rgb[0] / 3, rgb[1] / 3, rgb[2] / 3));
            p.restore();
            continue;
        }
        const QRectF box = QRectF(v[idx[0]].at, v[idx[1]].at).normalized();
        lp.addRect(box);
        const QTransform l = logical();
        const QPointF from = l.map(v[idx[0]].at);
        const QPointF to = l.map(mode == 0 ? QPointF(v[idx[1]].at.x(), v[idx[0]].at.y())
                                           : QPointF(v[idx[0]].at.x(), v[idx[1]].at.y()));
        QLinearGradient g(from, to);
        g.setColorAt(0, v[idx[0]].colour);
        g.setColorAt(1, v[idx[1]].colour);
        p.save();
        p.setWorldTransform(base);
        p.fillPath(l.map(lp), g);
        p.restore();
    }
}

void EmfPlayer::onStretchDIBits(RecordReader& r, EmfRecord)
{
    r.skip(16);
    const double dx = r.i32(), dy = r.i32(), sx = r.i32(), sy = r.i32(), sw = r.i32(), sh = r.i32();
    const std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    r.skip(4);
    const std::uint32_t rop = r.u32();
    const double dw = r.i32(), dh = r.i32();
    try {
        const Dib dib = packedDib(r, offBmi, cbBmi, offBits, cbBits);
        image(dib.Image(), QRectF(sx, dib.Height() - sy - sh, sw, sh), dx, dy, dw, dh, rop);
    } catch (const Exception&) {
    }
}

void EmfPlayer::onSetDIBitsToDevice(RecordReader& r, EmfRecord)
{
    r.skip(16);
    const double dx = r.i32(), dy = r.i32(), sx = r.i32(), sy = r.i32(), sw = r.i32(), sh = r.i32();
    const std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
    try {
        const Dib dib = packedDib(r, offBmi, cbBmi, offBits, cbBits);
        image(dib.Image(), QRectF(sx, dib.Height() - sy - sh, sw, sh), dx, dy, sw, sh, std::uint32_t(RasterOp::SrcCopy));
    } catch (const Exception&) {
    }
}

} // namespace bv::pictures
