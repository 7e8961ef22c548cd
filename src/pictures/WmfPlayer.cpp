#include "pictures/WmfPlayer.h"

#include "pictures/Metafile.h"
#include "platform/Dib.h"
#include "platform/Errors.h"
#include "platform/ProfileFile.h"

#include <algorithm>

namespace bv::pictures {

namespace {
// Classic records hold signed 16-bit words.
double word(RecordReader& r)
{
    return r.i16();
}
} // namespace

const WmfPlayer::Table& WmfPlayer::table()
{
    static const Table handlers {
        { WmfRecord::SetBkMode, &WmfPlayer::onSetBkMode },
        { WmfRecord::PatBlt, &WmfPlayer::onPatBlt },
        { WmfRecord::SetMapMode, &WmfPlayer::onSetMapMode },
        { WmfRecord::SetRop2, &WmfPlayer::onSetRop2 },
        { WmfRecord::SetPolyFillMode, &WmfPlayer::onSetPolyFillMode },
        { WmfRecord::SetTextAlign, &WmfPlayer::onSetTextAlign },
        { WmfRecord::SaveDC, &WmfPlayer::onSaveDC },
        { WmfRecord::RestoreDC, &WmfPlayer::onRestoreDC },
        { WmfRecord::SetBkColor, &WmfPlayer::onSetBkColor },
        { WmfRecord::SetTextColor, &WmfPlayer::onSetTextColor },
        { WmfRecord::SetWindowOrg, &WmfPlayer::onSetWindowOrg },
        { WmfRecord::SetWindowExt, &WmfPlayer::onSetWindowExt },
        { WmfRecord::SetViewportOrg, &WmfPlayer::onSetViewportOrg },
        { WmfRecord::SetViewportExt, &WmfPlayer::onSetViewportExt },
        { WmfRecord::OffsetWindowOrg, &WmfPlayer::onOffsetWindowOrg },
        { WmfRecord::OffsetViewportOrg, &WmfPlayer::onOffsetViewportOrg },
        { WmfRecord::ScaleWindowExt, &WmfPlayer::onScaleWindowExt },
        { WmfRecord::ScaleViewportExt, &WmfPlayer::onScaleViewportExt },
        { WmfRecord::MoveTo, &WmfPlayer::onMoveTo },
        { WmfRecord::LineTo, &WmfPlayer::onLineTo },
        { WmfRecord::Ellipse, &WmfPlayer::onBox },
        { WmfRecord::Rectangle, &WmfPlayer::onBox },
        { WmfRecord::RoundRect, &WmfPlayer::onRoundRect },
        { WmfRecord::Arc, &WmfPlayer::onArc },
        { WmfRecord::Pie, &WmfPlayer::onArc },
        { WmfRecord::Chord, &WmfPlayer::onArc },
        { WmfRecord::Polygon, &WmfPlayer::onPoly },
        { WmfRecord::Polyline, &WmfPlayer::onPoly },
        { WmfRecord::PolyPolygon, &WmfPlayer::onPolyPolygon },
        { WmfRecord::SetPixel, &WmfPlayer::onSetPixel },
        { WmfRecord::TextOut, &WmfPlayer::onTextOut },
        { WmfRecord::ExtTextOut, &WmfPlayer::onExtTextOut },
        { WmfRecord::CreatePenIndirect, &WmfPlayer::onCreatePenIndirect },
        { WmfRecord::CreateBrushIndirect, &WmfPlayer::onCreateBrushIndirect },
        { WmfRecord::DibCreatePatternBrush, &WmfPlayer::onDibCreatePatternBrush },
        { WmfRecord::CreatePatternBrush, &WmfPlayer::onCreatePatternBrush },
        { WmfRecord::CreateFontIndirect, &WmfPlayer::onCreateFontIndirect },
        { WmfRecord::CreatePalette, &WmfPlayer::onCreatePalette },
        { WmfRecord::CreateRegion, &WmfPlayer::onCreateRegion },
        { WmfRecord::SelectObject, &WmfPlayer::onSelectObject },
        { WmfRecord::DeleteObject, &WmfPlayer::onDeleteObject },
        { WmfRecord::SelectClipRegion, &WmfPlayer::onSelectClipRegion },
        { WmfRecord::IntersectClipRect, &WmfPlayer::onClipRect },
        { WmfRecord::ExcludeClipRect, &WmfPlayer::onClipRect },
        { WmfRecord::OffsetClipRgn, &WmfPlayer::onOffsetClipRgn },
        { WmfRecord::StretchDib, &WmfPlayer::onStretchDib },
        { WmfRecord::DibStretchBlt, &WmfPlayer::onDibBlt },
        { WmfRecord::DibBitBlt, &WmfPlayer::onDibBlt },
    };
    return handlers;
}

void WmfPlayer::play(RecordReader& file)
{
    dc.winOrg = bounds.topLeft();
    dc.winExt = QSizeF(bounds.width(), bounds.height());
    file.seek(start);
    const int type = file.u16();
    const int headerWords = file.u16();
    if (file.bad() || (type != 1 && type != 2) || headerWords != 9)
        return;
    file.seek(start + 18);
    int count = 0;
    while (!file.bad() && file.left() >= 6 && count++ < Metafile::MaxRecords) {
        const qsizetype at = file.pos();
        const std::uint32_t words = file.u32();
        const std::uint16_t fn = file.u16();
        if (words < 3 || qsizetype(words) > (file.size() - at) / 2)
            return; // a broken record ends the drawing
        if (fn == std::uint16_t(WmfRecord::Eof))
            return;
        // Records without a handler (palettes, escapes, ...) draw nothing.
        if (const Table::Handler handler = table().find(fn)) {
            const QByteArray body = file.slice(at + 6, qsizetype(words) * 2 - 6);
            RecordReader rec(body.constData(), body.size());
            (this->*handler)(rec, WmfRecord(fn));
        }
        file.seek(at + qsizetype(words) * 2);
    }
}

void WmfPlayer::onSaveDC(RecordReader&, WmfRecord)
{
    save();
}

void WmfPlayer::onSetBkMode(RecordReader& r, WmfRecord)
{
    dc.bkMode = r.u16();
}

void WmfPlayer::onSetMapMode(RecordReader& r, WmfRecord)
{
    dc.mapMode = r.u16();
}

void WmfPlayer::onSetRop2(RecordReader& r, WmfRecord)
{
    dc.rop2 = r.u16();
}

void WmfPlayer::onSetPolyFillMode(RecordReader& r, WmfRecord)
{
    dc.polyFill = r.u16();
}

void WmfPlayer::onSetTextAlign(RecordReader& r, WmfRecord)
{
    dc.textAlign = r.u16();
}

void WmfPlayer::onRestoreDC(RecordReader& r, WmfRecord)
{
    restore(r.i16());
}

void WmfPlayer::onSetBkColor(RecordReader& r, WmfRecord)
{
    dc.bkColor = colorRef(r.u32());
}

void WmfPlayer::onSetTextColor(RecordReader& r, WmfRecord)
{
    dc.textColor = colorRef(r.u32());
}

void WmfPlayer::onSetWindowOrg(RecordReader& r, WmfRecord)
{
    const double y = word(r);
    dc.winOrg = QPointF(word(r), y);
}

void WmfPlayer::onSetWindowExt(RecordReader& r, WmfRecord)
{
    const double y = word(r);
    dc.winExt = QSizeF(word(r), y);
}

void WmfPlayer::onSetViewportOrg(RecordReader& r, WmfRecord)
{
    const double y = word(r);
    dc.viewOrg = QPointF(word(r), y);
}

void WmfPlayer::onSetViewportExt(RecordReader& r, WmfRecord)
{
    const double y = word(r);
    dc.viewExt = QSizeF(word(r), y);
}

void WmfPlayer::onOffsetWindowOrg(RecordReader& r, WmfRecord)
{
    const double y = word(r);
    dc.winOrg += QPointF(word(r), y);
}

void WmfPlayer::onOffsetViewportOrg(RecordReader& r, WmfRecord)
{
    const double y = word(r);
    dc.viewOrg += QPointF(word(r), y);
}

void WmfPlayer::onScaleWindowExt(RecordReader& r, WmfRecord)
{
    const double yd = word(r), yn = word(r), xd = word(r), xn = word(r);
    if (xd != 0 && yd != 0)
        dc.winExt = QSizeF(dc.winExt.width() * xn / xd, dc.winExt.height() * yn / yd);
}

void WmfPlayer::onScaleViewportExt(RecordReader& r, WmfRecord)
{
    const double yd = word(r), yn = word(r), xd = word(r), xn = word(r);
    if (xd != 0 && yd != 0)
        dc.viewExt = QSizeF(dc.viewExt.width() * xn / xd, dc.viewExt.height() * yn / yd);
}

void WmfPlayer::onMoveTo(RecordReader& r, WmfRecord)
{
    const double y = word(r);
    moveTo(word(r), y);
}

void WmfPlayer::onLineTo(RecordReader& r, WmfRecord)
{
    const double y = word(r);
    lineTo(word(r), y);
}

// Ellipse, Rectangle
void WmfPlayer::onBox(RecordReader& r, WmfRecord kind)
{
    const double b = word(r), rr = word(r), t = word(r), l = word(r);
    QPainterPath lp;
    const QRectF box = QRectF(QPointF(l, t), QPointF(rr, b)).normalized();
    if (kind == WmfRecord::Ellipse)
        lp.addEllipse(box);
    else
        lp.addRect(box);
    draw(lp, true, true);
}

void WmfPlayer::onRoundRect(RecordReader& r, WmfRecord)
{
    const double h = word(r), w = word(r), b = word(r), rr = word(r), t = word(r), l = word(r);
    QPainterPath lp;
    lp.addRoundedRect(QRectF(QPointF(l, t), QPointF(rr, b)).normalized(), std::abs(w) / 2, std::abs(h) / 2);
    draw(lp, true, true);
}

// Arc, Pie, Chord
void WmfPlayer::onArc(RecordReader& r, WmfRecord kind)
{
    const double ye = word(r), xe = word(r), ys = word(r), xs = word(r), b = word(r), rr = word(r), t = word(r), l = word(r);
    const int shape = kind == WmfRecord::Arc ? 0 : kind == WmfRecord::Pie ? 1 : 2;
    draw(arcPath(shape, l, t, rr, b, xs, ys, xe, ye), shape != 0, true);
}

// Polygon, Polyline
void WmfPlayer::onPoly(RecordReader& r, WmfRecord kind)
{
    const int n = r.i16();
    if (n < 0 || !r.has(qsizetype(n) * 4))
        return;
    QPainterPath lp;
    for (int i = 0; i < n; ++i) {
        const double x = word(r);
        const double y = word(r);
        if (i == 0)
            lp.moveTo(x, y);
        else
            lp.lineTo(x, y);
    }
    if (kind == WmfRecord::Polygon) {
        lp.closeSubpath();
        draw(lp, true, true);
    } else {
        draw(lp, false, true);
    }
}

void WmfPlayer::onPolyPolygon(RecordReader& r, WmfRecord)
{
    const int polys = r.u16();
    if (!r.has(qsizetype(polys) * 2))
        return;
    std::vector<int> counts(static_cast<size_t>(polys));
    qsizetype total = 0;
    for (int& c : counts) {
        c = r.u16();
        total += c;
    }
    if (!r.has(total * 4))
        return;
    QPainterPath lp;
    for (int c : counts) {
        for (int i = 0; i < c; ++i) {
            const double x = word(r);
            const double y = word(r);
            if (i == 0)
                lp.moveTo(x, y);
            else
                lp.lineTo(x, y);
        }
        if (c > 0)
            lp.closeSubpath();
    }
    draw(lp, true, true);
}

void WmfPlayer::onSetPixel(RecordReader& r, WmfRecord)
{
    const QColor c = colorRef(r.u32());
    const double y = word(r), x = word(r);
    fillLogicalRect(QRectF(x, y, 1, 1), c);
}

void WmfPlayer::onTextOut(RecordReader& r, WmfRecord)
{
    const int n = r.i16();
    if (n <= 0 || !r.has(n))
        return;
    const QByteArray s = r.bytes(n);
    if (n & 1)
        r.skip(1);
    const double y = word(r), x = word(r);
    text(x, y, ansiText(s, dc.font.charset), {}, 0, QRectF());
}

void WmfPlayer::onExtTextOut(RecordReader& r, WmfRecord)
{
    const double y = word(r), x = word(r);
    const int n = r.i16();
    const int options = r.u16();
    QRectF rect;
    if (options & 6) {
        const double l = word(r), t = word(r), rr = word(r), b = word(r);
        rect = QRectF(QPointF(l, t), QPointF(rr, b)).normalized();
    }
    if (n < 0 || !r.has(n))
        return;
    const QByteArray s = r.bytes(n);
    if (n & 1)
        r.skip(1);
    std::vector<double> dx;
    if (n > 0 && r.has(qsizetype(n) * 2)) {
        for (int i = 0; i < n; ++i)
            dx.push_back(word(r));
    }
    text(x, y, ansiText(s, dc.font.charset), dx, options, rect);
}

void WmfPlayer::onCreatePenIndirect(RecordReader& r, WmfRecord)
{
    GdiObject o;
    o.kind = GdiObject::Pen;
    o.pen.style = r.u16();
    o.pen.width = std::abs(word(r));
    r.skip(2);
    o.pen.color = colorRef(r.u32());
    objects.add(o);
}

void WmfPlayer::onCreateBrushIndirect(RecordReader& r, WmfRecord)
{
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.style = r.u16();
    o.brush.color = colorRef(r.u32());
    o.brush.hatch = r.u16();
    objects.add(o);
}

void WmfPlayer::onDibCreatePatternBrush(RecordReader& r, WmfRecord)
{
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.style = r.u16();
    r.skip(2);
    try {
        o.brush.pattern = Dib::FromPackedDib(r.bytes(r.left())).Image();
        o.brush.style = 3;
    } catch (const Exception&) {
        o.brush.style = 0;
        o.brush.color = Qt::gray;
    }
    objects.add(o);
}

void WmfPlayer::onCreatePatternBrush(RecordReader&, WmfRecord)
{
    GdiObject o;
    o.kind = GdiObject::Brush;
    o.brush.color = Qt::gray;
    objects.add(o);
}

void WmfPlayer::onCreateFontIndirect(RecordReader& r, WmfRecord)
{
    GdiObject o;
    o.kind = GdiObject::Font;
    o.font.height = word(r);
    r.skip(2);
    o.font.escapement = r.i16();
    r.skip(2);
    o.font.weight = r.i16();
    o.font.italic = r.u8();
    o.font.underline = r.u8();
    o.font.strikeOut = r.u8();
    o.font.charset = r.u8();
    r.skip(4);
    const QByteArray face = r.bytes(std::min<qsizetype>(32, r.left()));
    const qsizetype end = face.indexOf('\0');
    o.font.face = DecodeWindows1252(end < 0 ? face : face.left(end));
    objects.add(o);
}

void WmfPlayer::onCreatePalette(RecordReader&, WmfRecord)
{
    GdiObject o;
    o.kind = GdiObject::Palette;
    objects.add(o);
}

void WmfPlayer::onCreateRegion(RecordReader& r, WmfRecord)
{
    GdiObject o;
    o.kind = GdiObject::Region;
    r.skip(10);
    const int scans = r.i16();
    r.skip(10);
    for (int s = 0; s < std::min(scans, MaxRegionRects) && !r.bad(); ++s) {
        const int count = r.u16();
        const double top = word(r), bottom = word(r);
        if (!r.has(qsizetype(count) * 2 + 2))
            break;
        for (int k = 0; k + 1 < count; k += 2) {
            const double l = word(r), rr = word(r);
            o.region.addRect(QRectF(QPointF(l, top), QPointF(rr, bottom)).normalized());
        }
        if (count & 1)
            r.skip(2);
        r.skip(2);
    }
    o.region = o.region.simplified();
    objects.add(o);
}

void WmfPlayer::onSelectObject(RecordReader& r, WmfRecord)
{
    select(r.u16(), false);
}

void WmfPlayer::onDeleteObject(RecordReader& r, WmfRecord)
{
    objects.remove(r.u16());
}

void WmfPlayer::onSelectClipRegion(RecordReader& r, WmfRecord)
{
    const std::uint16_t i = r.u16();
    const GdiObject* o = objects.find(i);
    if (o && o->kind == GdiObject::Region)
        select(i, false);
    else {
        dc.clipOn = false;
        applyClip();
    }
}

// IntersectClipRect, ExcludeClipRect
void WmfPlayer::onClipRect(RecordReader& r, WmfRecord kind)
{
    const double b = word(r), rr = word(r), t = word(r), l = word(r);
    const QPainterPath tp = logical().map(rectPath(QRectF(QPointF(l, t), QPointF(rr, b))));
    if (kind == WmfRecord::IntersectClipRect)
        intersectClip(tp);
    else
        excludeClip(tp);
}

void WmfPlayer::onOffsetClipRgn(RecordReader& r, WmfRecord)
{
    const double y = word(r), x = word(r);
    if (dc.clipOn) {
        const QTransform l = logical();
        dc.clip.translate(l.map(QPointF(x, y)) - l.map(QPointF(0, 0)));
        applyClip();
    }
}

void WmfPlayer::onStretchDib(RecordReader& r, WmfRecord)
{
    const std::uint32_t rop = r.u32();
    r.skip(2); // colour usage
    const double sh = word(r), sw = word(r), sy = word(r), sx = word(r);
    const double dh = word(r), dw = word(r), dy = word(r), dxp = word(r);
    try {
        const Dib dib = Dib::FromPackedDib(r.bytes(r.left()));
        image(dib.Image(), QRectF(sx, dib.Height() - sy - sh, sw, sh), dxp, dy, dw, dh, rop);
    } catch (const Exception&) {
    }
}

void WmfPlayer::onPatBlt(RecordReader& r, WmfRecord)
{
    const std::uint32_t rop = r.u32();
    const double h = word(r), w = word(r), y = word(r), x = word(r);
    patternBlt(QRectF(x, y, w, h).normalized(), rop);
}

// DIBStretchBlt, DIBBitBlt
void WmfPlayer::onDibBlt(RecordReader& r, WmfRecord kind)
{
    const std::uint32_t rop = r.u32();
    double sh = 0, sw = 0;
    if (kind == WmfRecord::DibStretchBlt) {
        sh = word(r);
        sw = word(r);
    }
    const double sy = word(r), sx = word(r);
    const double dh = word(r), dw = word(r), dy = word(r), dxp = word(r);
    if (kind == WmfRecord::DibBitBlt) {
        sh = dh;
        sw = dw;
    }
    if (!r.has(40)) {
        // No bitmap: a pattern operation with the brush.
        patternBlt(QRectF(dxp, dy, dw, dh), rop);
        return;
    }
    try {
        const Dib dib = Dib::FromPackedDib(r.bytes(r.left()));
        image(dib.Image(), QRectF(sx, sy, sw, sh), dxp, dy, dw, dh, rop);
    } catch (const Exception&) {
    }
}

} // namespace bv::pictures
