#include "pictures/EmfPlayer.h"

#include "pictures/Metafile.h"
#include "platform/Dib.h"
#include "platform/Errors.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>

namespace bv::pictures {

bool EmfPlayer::record(std::uint32_t type, RecordReader& r)
{
    auto pointList = [&](bool small, qsizetype n) {
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
    };
    auto rectL = [&] {
        const double l = r.i32(), t = r.i32(), rr = r.i32(), b = r.i32();
        return QRectF(QPointF(l, t), QPointF(rr, b)).normalized();
    };
    auto packedDib = [&](std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits, std::uint32_t cbBits) {
        const QByteArray head = r.slice(qsizetype(offBmi) - 8, cbBmi);
        const QByteArray bits = r.slice(qsizetype(offBits) - 8, cbBits);
        if (head.isEmpty() || bits.isEmpty())
            throw EConvertError(QStringLiteral("Invalid bitmap"));
        return Dib::FromPackedDib(head + bits);
    };

    switch (type) {
    case 14: return false; // EOF
    case 2: case 3: case 4: case 5: case 6: case 85: case 86: case 87: case 88: case 89: {
        const bool small = type >= 85;
        const std::uint32_t t = small ? type - 83 : type;
        r.skip(16);
        const std::vector<QPointF> pts = pointList(small, r.u32());
        if (pts.empty())
            break;
        if (t == 2 || t == 5) { // PolyBezier, PolyBezierTo
            size_t i = 0;
            QPointF from = dc.cur;
            if (t == 2) {
                from = pts[0];
                i = 1;
            }
            QPainterPath lp;
            lp.moveTo(from);
            for (; i + 3 <= pts.size(); i += 3)
                lp.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            if (t == 5) {
                dc.cur = lp.currentPosition();
                if (inPath) {
                    if (path.elementCount() == 0)
                        path.addPath(logical().map(lp));
                    else
                        path.connectPath(logical().map(lp));
                    break;
                }
            }
            draw(lp, false, true);
        } else if (t == 6) { // PolylineTo
            for (const QPointF& q : pts)
                lineTo(q.x(), q.y());
        } else {
            QPainterPath lp;
            lp.moveTo(pts[0]);
            for (size_t i = 1; i < pts.size(); ++i)
                lp.lineTo(pts[i]);
            if (t == 3) {
                lp.closeSubpath();
                draw(lp, true, true);
            } else {
                draw(lp, false, true);
            }
        }
        break;
    }
    case 7: case 8: case 90: case 91: { // PolyPolyline, PolyPolygon
        const bool small = type >= 90;
        const bool polygon = type == 8 || type == 91;
        r.skip(16);
        const std::uint32_t polys = r.u32();
        const std::uint32_t total = r.u32();
        if (!r.has(qsizetype(polys) * 4))
            break;
        std::vector<std::uint32_t> counts(polys);
        std::uint64_t sum = 0;
        for (auto& c : counts) {
            c = r.u32();
            sum += c;
        }
        if (sum != total)
            break;
        const std::vector<QPointF> pts = pointList(small, qsizetype(total));
        if (pts.size() != total)
            break;
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
        break;
    }
    case 9: { const double x = r.i32(); dc.winExt = QSizeF(x, r.i32()); break; }
    case 10: { const double x = r.i32(); dc.winOrg = QPointF(x, r.i32()); break; }
    case 11: { const double x = r.i32(); dc.viewExt = QSizeF(x, r.i32()); break; }
    case 12: { const double x = r.i32(); dc.viewOrg = QPointF(x, r.i32()); break; }
    case 15: { // SetPixelV
        const double x = r.i32(), y = r.i32();
        fillLogicalRect(QRectF(x, y, 1, 1), colorRef(r.u32()));
        break;
    }
    case 17: dc.mapMode = int(r.u32()); break;
    case 18: dc.bkMode = int(r.u32()); break;
    case 19: dc.polyFill = int(r.u32()); break;
    case 20: dc.rop2 = int(r.u32()); break;
    case 22: dc.textAlign = int(r.u32()); break;
    case 24: dc.textColor = colorRef(r.u32()); break;
    case 25: dc.bkColor = colorRef(r.u32()); break;
    case 26: { // OffsetClipRgn
        const double x = r.i32(), y = r.i32();
        if (dc.clipOn) {
            const QTransform l = logical();
            dc.clip.translate(l.map(QPointF(x, y)) - l.map(QPointF(0, 0)));
            applyClip();
        }
        break;
    }
    case 27: { const double x = r.i32(); moveTo(x, r.i32()); break; }
    case 29: case 30: { // ExcludeClipRect, IntersectClipRect
        const QPainterPath tp = logical().map(rectPath(rectL()));
        if (type == 30)
            intersectClip(tp);
        else
            excludeClip(tp);
        break;
    }
    case 31: case 32: { // ScaleViewportExtEx, ScaleWindowExtEx
        const double xn = r.i32(), xd = r.i32(), yn = r.i32(), yd = r.i32();
        if (xd == 0 || yd == 0)
            break;
        QSizeF& e = type == 31 ? dc.viewExt : dc.winExt;
        e = QSizeF(e.width() * xn / xd, e.height() * yn / yd);
        break;
    }
    case 33: save(); break;
    case 34: restore(r.i32()); break;
    case 35: case 36: {
        const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(), dy = r.f32();
        const QTransform x(m11, m12, m21, m22, dx, dy);
        const std::uint32_t mode = type == 35 ? 4 : r.u32();
        QTransform next = dc.world;
        switch (mode) {
        case 1: next = QTransform(); break;
        case 2: next = x * dc.world; break;
        case 3: next = dc.world * x; break;
        case 4: next = x; break;
        default: break;
        }
        if (next.isInvertible())
            dc.world = next;
        break;
    }
    case 37: select(r.u32(), true); break;
    case 40: objects.remove(r.u32()); break;
    case 38: { // CreatePen
        const std::uint32_t ih = r.u32();
        GdiObject o;
        o.kind = GdiObject::Pen;
        o.pen.style = int(r.u32());
        o.pen.width = std::abs(double(r.i32()));
        r.skip(4);
        o.pen.color = colorRef(r.u32());
        objects.set(ih, o);
        break;
    }
    case 95: { // ExtCreatePen
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
        break;
    }
    case 39: { // CreateBrushIndirect
        const std::uint32_t ih = r.u32();
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush.style = int(r.u32());
        o.brush.color = colorRef(r.u32());
        o.brush.hatch = int(r.u32());
        objects.set(ih, o);
        break;
    }
    case 93: case 94: { // CreateMonoBrush, CreateDIBPatternBrushPt
        const std::uint32_t ih = r.u32();
        r.skip(4);
        const std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
        GdiObject o;
        o.kind = GdiObject::Brush;
        try {
            o.brush.pattern = packedDib(offBmi, cbBmi, offBits, cbBits).Image();
            o.brush.style = 3;
        } catch (const Exception&) {
            o.brush.color = Qt::gray;
        }
        objects.set(ih, o);
        break;
    }
    case 82: { // ExtCreateFontIndirectW
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
        break;
    }
    case 49: { // CreatePalette
        GdiObject o;
        o.kind = GdiObject::Palette;
        objects.set(r.u32(), o);
        break;
    }
    case 42: case 43: { // Ellipse, Rectangle
        const QRectF box = rectL();
        QPainterPath lp;
        if (type == 42)
            lp.addEllipse(box);
        else
            lp.addRect(box);
        draw(lp, true, true);
        break;
    }
    case 44: { // RoundRect
        const QRectF box = rectL();
        const double w = r.i32(), h = r.i32();
        QPainterPath lp;
        lp.addRoundedRect(box, std::abs(w) / 2, std::abs(h) / 2);
        draw(lp, true, true);
        break;
    }
    case 45: case 46: case 47: case 55: { // Arc, Chord, Pie, ArcTo
        const QRectF box = rectL();
        const double xs = r.i32(), ys = r.i32(), xe = r.i32(), ye = r.i32();
        const int kind = type == 47 ? 1 : type == 46 ? 2 : 0;
        QPainterPath lp = arcPath(kind, box.left(), box.top(), box.right(), box.bottom(), xs, ys, xe, ye);
        if (type == 55) {
            if (lp.elementCount() == 0)
                break;
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
            break;
        }
        draw(lp, kind != 0, true);
        break;
    }
    case 41: { // AngleArc
        const double x = r.i32(), y = r.i32();
        const double radius = r.u32();
        const double start = r.f32(), sweep = r.f32();
        const QRectF box(x - radius, y - radius, 2 * radius, 2 * radius);
        QPainterPath lp;
        lp.moveTo(dc.cur);
        lp.arcTo(box, start, sweep);
        dc.cur = lp.currentPosition();
        draw(lp, false, true);
        break;
    }
    case 54: { const double x = r.i32(); lineTo(x, r.i32()); break; }
    case 57: dc.arcClockwise = r.u32() == 2; break;
    case 59: inPath = true; path = QPainterPath(); break;
    case 60: inPath = false; break;
    case 61: if (inPath) path.closeSubpath(); break;
    case 68: inPath = false; path = QPainterPath(); break;
    case 62: case 63: case 64: { // FillPath, StrokeAndFillPath, StrokePath
        inPath = false;
        drawTarget(path, type != 64, type != 62);
        path = QPainterPath();
        break;
    }
    case 66: { // WidenPath
        QPainterPathStroker s;
        s.setWidth(qpen().widthF());
        path = s.createStroke(path);
        break;
    }
    case 67: { // SelectClipPath
        const int mode = int(r.u32());
        QPainterPath cp = path;
        cp.setFillRule(dc.polyFill == 2 ? Qt::WindingFill : Qt::OddEvenFill);
        combineClip(cp.simplified(), mode);
        path = QPainterPath();
        inPath = false;
        break;
    }
    case 71: case 74: { // FillRgn, PaintRgn: the region in device units
        r.skip(16);
        const std::uint32_t cb = r.u32();
        std::uint32_t ih = 0;
        if (type == 71)
            ih = r.u32();
        Q_UNUSED(cb);
        r.skip(16); // RGNDATAHEADER dwSize, iType, nCount, nRgnSize
        r.skip(16); // rcBound
        QPainterPath rp;
        for (int k = 0; k < MaxRegionRects && r.has(16); ++k) {
            const QRectF q = rectL();
            rp.addRect(q);
        }
        const GdiBrush keep = dc.brush;
        if (type == 71) {
            const GdiObject o = objects.get(ih, true);
            if (o.kind == GdiObject::Brush)
                dc.brush = o.brush;
        }
        drawTarget(device.map(rp.simplified()), true, false);
        dc.brush = keep;
        break;
    }
    case 75: { // ExtSelectClipRgn
        const std::uint32_t cb = r.u32();
        const int mode = int(r.u32());
        if (cb < 32) {
            if (mode == 5) {
                dc.clipOn = false;
                applyClip();
            }
            break;
        }
        r.skip(32);
        QPainterPath rp;
        int k = 0;
        for (std::uint32_t used = 32; used + 16 <= cb && r.has(16) && k++ < MaxRegionRects; used += 16)
            rp.addRect(rectL());
        combineClip(device.map(rp.simplified()), mode);
        break;
    }
    case 83: case 84: { // ExtTextOutA, ExtTextOutW
        r.skip(16 + 4 + 8); // bounds, graphics mode, scales
        const double x = r.i32(), y = r.i32();
        const std::uint32_t n = r.u32();
        const std::uint32_t offString = r.u32();
        const int options = int(r.u32());
        const QRectF rect = rectL();
        const std::uint32_t offDx = r.u32();
        if (n > 0x100000)
            break;
        QString s;
        if (type == 84) {
            const QByteArray b = r.slice(qsizetype(offString) - 8, qsizetype(n) * 2);
            if (qsizetype(b.size()) != qsizetype(n) * 2)
                break;
            s = QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData()), n);
            if (options & 0x10) // ETO_GLYPH_INDEX: the codes are glyphs of the font
                s.clear();
        } else {
            const QByteArray b = r.slice(qsizetype(offString) - 8, qsizetype(n));
            if (qsizetype(b.size()) != qsizetype(n))
                break;
            s = ansiText(b, dc.font.charset);
        }
        std::vector<double> dx;
        if (offDx > 0) {
            const QByteArray d = r.slice(qsizetype(offDx) - 8, qsizetype(n) * 4);
            if (qsizetype(d.size()) == qsizetype(n) * 4)
                for (std::uint32_t i = 0; i < n; ++i)
                    dx.push_back(qFromLittleEndian<std::int32_t>(d.constData() + i * 4));
        }
        if (!s.isEmpty())
            text(x, y, s, dx, options, rect);
        break;
    }
    case 76: case 77: case 114: { // BitBlt, StretchBlt, AlphaBlend
        r.skip(16);
        const double dx = r.i32(), dy = r.i32(), dw = r.i32(), dh = r.i32();
        const std::uint32_t rop = r.u32();
        const double sx = r.i32(), sy = r.i32();
        r.skip(24 + 4 + 4); // source transform, background colour, usage
        const std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
        double sw = dw, sh = dh;
        if (type != 76) {
            sw = r.i32();
            sh = r.i32();
        }
        if (cbBmi == 0) {
            if (rop == 0x00F00021)
                fillLogicalRect(QRectF(dx, dy, dw, dh), qbrush());
            else if (rop == 0x00000042)
                fillLogicalRect(QRectF(dx, dy, dw, dh), Qt::black);
            else if (rop == 0x00FF0062)
                fillLogicalRect(QRectF(dx, dy, dw, dh), Qt::white);
            break;
        }
        try {
            const Dib dib = packedDib(offBmi, cbBmi, offBits, cbBits);
            QImage img = dib.Image();
            if (type == 114 && dib.BitCount() == 32) {
                // The source's alpha channel (premultiplied) takes part.
                const QByteArray rows = dib.BottomUpRows();
                QImage a(dib.Width(), dib.Height(), QImage::Format_ARGB32_Premultiplied);
                for (int y = 0; y < dib.Height(); ++y)
                    std::memcpy(a.scanLine(dib.Height() - 1 - y), rows.constData() + qsizetype(y) * dib.Width() * 4,
                        size_t(dib.Width()) * 4);
                img = a;
            }
            image(img, QRectF(sx, sy, sw, sh), dx, dy, dw, dh, type == 114 ? 0x00CC0020 : rop);
        } catch (const Exception&) {
        }
        break;
    }
    case 118: { // GradientFill
        r.skip(16);
        const std::uint32_t nVer = r.u32(), nTri = r.u32(), mode = r.u32();
        if (!r.has(qsizetype(nVer) * 16) || nVer > 0x100000)
            break;
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
        break;
    }
    case 81: { // StretchDIBits
        r.skip(16);
        const double dx = r.i32(), dy = r.i32(), sx = r.i32(), sy = r.i32(), sw = r.i32(), sh = r.i32();
        const std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
        r.skip(4);
        const std::uint32_t rop = r.u32();
        const double dw = r.i32(), dh = r.i32();
        try {
            const Dib dib = packedDib(offBmi, cbBmi, offBits, cbBits);
            image(dib.Image(), QRectF(sx, dib.Height() - sy - sh, sw, sh), dx, dy, dw, dh, rop);
        } catch (const Exception&) {
        }
        break;
    }
    case 80: { // SetDIBitsToDevice
        r.skip(16);
        const double dx = r.i32(), dy = r.i32(), sx = r.i32(), sy = r.i32(), sw = r.i32(), sh = r.i32();
        const std::uint32_t offBmi = r.u32(), cbBmi = r.u32(), offBits = r.u32(), cbBits = r.u32();
        try {
            const Dib dib = packedDib(offBmi, cbBmi, offBits, cbBits);
            image(dib.Image(), QRectF(sx, dib.Height() - sy - sh, sw, sh), dx, dy, sw, sh, 0x00CC0020);
        } catch (const Exception&) {
        }
        break;
    }
    default: break;
    }
    return true;
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
        const QByteArray body = file.slice(at + 8, qsizetype(size) - 8);
        RecordReader rec(body.constData(), body.size());
        if (count > 1 && !record(type, rec))
            return;
        at += size;
    }
}
} // namespace bv::pictures
