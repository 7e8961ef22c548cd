#include "pictures/WmfPlayer.h"

#include "pictures/Metafile.h"
#include "platform/Dib.h"
#include "platform/Errors.h"
#include "platform/ProfileFile.h"

#include <algorithm>

namespace bv::pictures {

bool WmfPlayer::record(int fn, RecordReader& r)
{
    auto i16 = [&] { return double(r.i16()); };
    switch (fn) {
    case 0x0000: return false; // end of file
    case 0x001E: save(); break;
    case 0x0127: restore(r.i16()); break;
    case 0x0103: dc.bkMode = r.u16(); break;
    case 0x0104: dc.mapMode = r.u16(); break;
    case 0x0105: dc.rop2 = r.u16(); break;
    case 0x0107: dc.polyFill = r.u16(); break;
    case 0x012E: dc.textAlign = r.u16(); break;
    case 0x0201: dc.bkColor = colorRef(r.u32()); break;
    case 0x0209: dc.textColor = colorRef(r.u32()); break;
    case 0x020B: { const double y = i16(); dc.winOrg = QPointF(i16(), y); break; }
    case 0x020C: { const double y = i16(); dc.winExt = QSizeF(i16(), y); break; }
    case 0x020D: { const double y = i16(); dc.viewOrg = QPointF(i16(), y); break; }
    case 0x020E: { const double y = i16(); dc.viewExt = QSizeF(i16(), y); break; }
    case 0x020F: { const double y = i16(); dc.winOrg += QPointF(i16(), y); break; }
    case 0x0211: { const double y = i16(); dc.viewOrg += QPointF(i16(), y); break; }
    case 0x0410: { // ScaleWindowExt
        const double yd = i16(), yn = i16(), xd = i16(), xn = i16();
        if (xd != 0 && yd != 0)
            dc.winExt = QSizeF(dc.winExt.width() * xn / xd, dc.winExt.height() * yn / yd);
        break;
    }
    case 0x0412: {
        const double yd = i16(), yn = i16(), xd = i16(), xn = i16();
        if (xd != 0 && yd != 0)
            dc.viewExt = QSizeF(dc.viewExt.width() * xn / xd, dc.viewExt.height() * yn / yd);
        break;
    }
    case 0x0214: { const double y = i16(); moveTo(i16(), y); break; }
    case 0x0213: { const double y = i16(); lineTo(i16(), y); break; }
    case 0x0418: case 0x041B: { // Ellipse, Rectangle
        const double b = i16(), rr = i16(), t = i16(), l = i16();
        QPainterPath lp;
        const QRectF box = QRectF(QPointF(l, t), QPointF(rr, b)).normalized();
        if (fn == 0x0418)
            lp.addEllipse(box);
        else
            lp.addRect(box);
        draw(lp, true, true);
        break;
    }
    case 0x061C: { // RoundRect
        const double h = i16(), w = i16(), b = i16(), rr = i16(), t = i16(), l = i16();
        QPainterPath lp;
        lp.addRoundedRect(QRectF(QPointF(l, t), QPointF(rr, b)).normalized(), std::abs(w) / 2, std::abs(h) / 2);
        draw(lp, true, true);
        break;
    }
    case 0x0817: case 0x081A: case 0x0830: { // Arc, Pie, Chord
        const double ye = i16(), xe = i16(), ys = i16(), xs = i16(), b = i16(), rr = i16(), t = i16(), l = i16();
        const int kind = fn == 0x0817 ? 0 : fn == 0x081A ? 1 : 2;
        draw(arcPath(kind, l, t, rr, b, xs, ys, xe, ye), kind != 0, true);
        break;
    }
    case 0x0324: case 0x0325: { // Polygon, Polyline
        const int n = r.i16();
        if (n < 0 || !r.has(qsizetype(n) * 4))
            break;
        QPainterPath lp;
        for (int i = 0; i < n; ++i) {
            const double x = i16();
            const double y = i16();
            if (i == 0)
                lp.moveTo(x, y);
            else
                lp.lineTo(x, y);
        }
        if (fn == 0x0324) {
            lp.closeSubpath();
            draw(lp, true, true);
        } else {
            draw(lp, false, true);
        }
        break;
    }
    case 0x0538: { // PolyPolygon
        const int polys = r.u16();
        if (!r.has(qsizetype(polys) * 2))
            break;
        std::vector<int> counts(static_cast<size_t>(polys));
        qsizetype total = 0;
        for (int& c : counts) {
            c = r.u16();
            total += c;
        }
        if (!r.has(total * 4))
            break;
        QPainterPath lp;
        for (int c : counts) {
            for (int i = 0; i < c; ++i) {
                const double x = i16();
                const double y = i16();
                if (i == 0)
                    lp.moveTo(x, y);
                else
                    lp.lineTo(x, y);
            }
            if (c > 0)
                lp.closeSubpath();
        }
        draw(lp, true, true);
        break;
    }
    case 0x041F: { // SetPixel
        const QColor c = colorRef(r.u32());
        const double y = i16(), x = i16();
        fillLogicalRect(QRectF(x, y, 1, 1), c);
        break;
    }
    case 0x0521: { // TextOut
        const int n = r.i16();
        if (n <= 0 || !r.has(n))
            break;
        const QByteArray s = r.bytes(n);
        if (n & 1)
            r.skip(1);
        const double y = i16(), x = i16();
        text(x, y, ansiText(s, dc.font.charset), {}, 0, QRectF());
        break;
    }
    case 0x0A32: { // ExtTextOut
        const double y = i16(), x = i16();
        const int n = r.i16();
        const int options = r.u16();
        QRectF rect;
        if (options & 6) {
            const double l = i16(), t = i16(), rr = i16(), b = i16();
            rect = QRectF(QPointF(l, t), QPointF(rr, b)).normalized();
        }
        if (n < 0 || !r.has(n))
            break;
        const QByteArray s = r.bytes(n);
        if (n & 1)
            r.skip(1);
        std::vector<double> dx;
        if (n > 0 && r.has(qsizetype(n) * 2)) {
            for (int i = 0; i < n; ++i)
                dx.push_back(i16());
        }
        text(x, y, ansiText(s, dc.font.charset), dx, options, rect);
        break;
    }
    case 0x02FA: { // CreatePenIndirect
        GdiObject o;
        o.kind = GdiObject::Pen;
        o.pen.style = r.u16();
        o.pen.width = std::abs(i16());
        r.skip(2);
        o.pen.color = colorRef(r.u32());
        objects.add(o);
        break;
    }
    case 0x02FC: { // CreateBrushIndirect
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush.style = r.u16();
        o.brush.color = colorRef(r.u32());
        o.brush.hatch = r.u16();
        objects.add(o);
        break;
    }
    case 0x0142: { // DIBCreatePatternBrush
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
        break;
    }
    case 0x01F9: { // CreatePatternBrush (an old device bitmap): a grey fill
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush.color = Qt::gray;
        objects.add(o);
        break;
    }
    case 0x02FB: { // CreateFontIndirect
        GdiObject o;
        o.kind = GdiObject::Font;
        o.font.height = i16();
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
        break;
    }
    case 0x00F7: { // CreatePalette: takes a slot
        GdiObject o;
        o.kind = GdiObject::Palette;
        objects.add(o);
        break;
    }
    case 0x06FF: { // CreateRegion: header, then scans of x pairs
        GdiObject o;
        o.kind = GdiObject::Region;
        r.skip(10);
        const int scans = r.i16();
        r.skip(10);
        for (int s = 0; s < std::min(scans, MaxRegionRects) && !r.bad(); ++s) {
            const int count = r.u16();
            const double top = i16(), bottom = i16();
            if (!r.has(qsizetype(count) * 2 + 2))
                break;
            for (int k = 0; k + 1 < count; k += 2) {
                const double l = i16(), rr = i16();
                o.region.addRect(QRectF(QPointF(l, top), QPointF(rr, bottom)).normalized());
            }
            if (count & 1)
                r.skip(2);
            r.skip(2);
        }
        o.region = o.region.simplified();
        objects.add(o);
        break;
    }
    case 0x012D: select(r.u16(), false); break;
    case 0x01F0: objects.remove(r.u16()); break;
    case 0x012C: { // SelectClipRegion
        const std::uint16_t i = r.u16();
        const GdiObject* o = objects.find(i);
        if (o && o->kind == GdiObject::Region)
            select(i, false);
        else {
            dc.clipOn = false;
            applyClip();
        }
        break;
    }
    case 0x0416: case 0x0415: { // IntersectClipRect, ExcludeClipRect
        const double b = i16(), rr = i16(), t = i16(), l = i16();
        const QPainterPath tp = logical().map(rectPath(QRectF(QPointF(l, t), QPointF(rr, b))));
        if (fn == 0x0416)
            intersectClip(tp);
        else
            excludeClip(tp);
        break;
    }
    case 0x0220: { // OffsetClipRgn
        const double y = i16(), x = i16();
        if (dc.clipOn) {
            const QTransform l = logical();
            dc.clip.translate(l.map(QPointF(x, y)) - l.map(QPointF(0, 0)));
            applyClip();
        }
        break;
    }
    case 0x0F43: { // StretchDIBits
        const std::uint32_t rop = r.u32();
        r.skip(2); // colour usage
        const double sh = i16(), sw = i16(), sy = i16(), sx = i16();
        const double dh = i16(), dw = i16(), dy = i16(), dxp = i16();
        try {
            const Dib dib = Dib::FromPackedDib(r.bytes(r.left()));
            image(dib.Image(), QRectF(sx, dib.Height() - sy - sh, sw, sh), dxp, dy, dw, dh, rop);
        } catch (const Exception&) {
        }
        break;
    }
    case 0x0B41: case 0x0940: { // DIBStretchBlt, DIBBitBlt
        const std::uint32_t rop = r.u32();
        double sh = 0, sw = 0;
        if (fn == 0x0B41) {
            sh = i16();
            sw = i16();
        }
        const double sy = i16(), sx = i16();
        const double dh = i16(), dw = i16(), dy = i16(), dxp = i16();
        if (fn == 0x0940) {
            sh = dh;
            sw = dw;
        }
        if (!r.has(40)) {
            // No bitmap: a pattern operation with the brush.
            if (rop == 0x00F00021)
                fillLogicalRect(QRectF(dxp, dy, dw, dh), qbrush());
            else if (rop == 0x00000042)
                fillLogicalRect(QRectF(dxp, dy, dw, dh), Qt::black);
            else if (rop == 0x00FF0062)
                fillLogicalRect(QRectF(dxp, dy, dw, dh), Qt::white);
            break;
        }
        try {
            const Dib dib = Dib::FromPackedDib(r.bytes(r.left()));
            image(dib.Image(), QRectF(sx, sy, sw, sh), dxp, dy, dw, dh, rop);
        } catch (const Exception&) {
        }
        break;
    }
    default: break; // records without drawing (palettes, escapes, ...) are skipped
    }
    return true;
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
        const int fn = file.u16();
        if (words < 3 || qsizetype(words) > (file.size() - at) / 2)
            return; // a broken record ends the drawing
        const QByteArray body = file.slice(at + 6, qsizetype(words) * 2 - 6);
        RecordReader rec(body.constData(), body.size());
        if (!record(fn, rec))
            return;
        file.seek(at + qsizetype(words) * 2);
    }
}
} // namespace bv::pictures
