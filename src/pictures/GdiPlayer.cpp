#include "pictures/GdiPlayer.h"

#include "pictures/Metafile.h"
#include "pictures/RecordKinds.h"
#include "platform/Errors.h"
#include "platform/SymbolFonts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QMutex>
#include <QRawFont>
#include <QSet>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace bv::pictures {

QTransform GdiPlayer::logical() const
{
    if (!enhanced) {
        // The window maps onto the whole target.
        const double ex = dc.winExt.width() == 0 ? 1 : dc.winExt.width();
        const double ey = dc.winExt.height() == 0 ? 1 : dc.winExt.height();
        const double sx = target.width() / ex;
        const double sy = target.height() / ey;
        return QTransform(sx, 0, 0, sy, target.left() - dc.winOrg.x() * sx, target.top() - dc.winOrg.y() * sy);
    }
    double sx = 1, sy = 1;
    switch (dc.mapMode) {
    case MM_LOMETRIC: sx = pxPerMmX / 10; sy = -pxPerMmY / 10; break;
    case MM_HIMETRIC: sx = pxPerMmX / 100; sy = -pxPerMmY / 100; break;
    case MM_LOENGLISH: sx = pxPerMmX * 0.254; sy = -pxPerMmY * 0.254; break;
    case MM_HIENGLISH: sx = pxPerMmX * 0.0254; sy = -pxPerMmY * 0.0254; break;
    case MM_TWIPS: sx = pxPerMmX * 25.4 / 1440; sy = -pxPerMmY * 25.4 / 1440; break;
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        sx = dc.winExt.width() == 0 ? 1 : dc.viewExt.width() / dc.winExt.width();
        sy = dc.winExt.height() == 0 ? 1 : dc.viewExt.height() / dc.winExt.height();
        if (dc.mapMode == MM_ISOTROPIC) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default: break;
    }
    const QTransform page(sx, 0, 0, sy, dc.viewOrg.x() - dc.winOrg.x() * sx, dc.viewOrg.y() - dc.winOrg.y() * sy);
    return dc.world * page * device;
}

void GdiPlayer::applyClip()
{
    p.setWorldTransform(base);
    if (hadClip)
        p.setClipPath(outerClip, Qt::ReplaceClip);
    p.setClipRect(target, hadClip ? Qt::IntersectClip : Qt::ReplaceClip);
    if (dc.clipOn)
        p.setClipPath(dc.clip, Qt::IntersectClip);
}

QPen GdiPlayer::qpen() const
{
    if (dc.pen.style == 5 || dc.rop2 == 11) // PS_NULL, R2_NOP
        return Qt::NoPen;
    QColor c = dc.pen.color;
    if (dc.rop2 == 1)
        c = Qt::black;
    else if (dc.rop2 == 16)
        c = Qt::white;
    // The thinnest line is one target unit wide, which the painter's own
    // transform then scales like everything else.
    double w = dc.pen.width * scale();
    if (!(w >= 1))
        w = 1;
    w = std::min(w, 4 * (target.width() + target.height()) + 1);
    QPen pen(c, w);
    switch (dc.pen.style & 0x0F) {
    case 1: pen.setStyle(Qt::DashLine); break;
    case 2: pen.setStyle(Qt::DotLine); break;
    case 3: pen.setStyle(Qt::DashDotLine); break;
    case 4: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    switch (dc.pen.style & 0x0F00) {
    case 0x100: pen.setCapStyle(Qt::SquareCap); break;
    case 0x200: pen.setCapStyle(Qt::FlatCap); break;
    default: pen.setCapStyle(Qt::RoundCap); break;
    }
    switch (dc.pen.style & 0xF000) {
    case 0x1000: pen.setJoinStyle(Qt::BevelJoin); break;
    case 0x2000: pen.setJoinStyle(Qt::MiterJoin); break;
    default: pen.setJoinStyle(Qt::RoundJoin); break;
    }
    return pen;
}

QBrush GdiPlayer::qbrush() const
{
    switch (dc.brush.style) {
    case 1: return Qt::NoBrush;
    case 2: {
        static const Qt::BrushStyle hatches[] = { Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
            Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern };
        const int h = dc.brush.hatch;
        return QBrush(dc.brush.color, h >= 0 && h < 6 ? hatches[h] : Qt::SolidPattern);
    }
    case 3:
    case 5:
    case 6:
        if (!dc.brush.pattern.isNull())
            return QBrush(dc.brush.pattern);
        return QBrush(dc.brush.color);
    default: return QBrush(dc.brush.color);
    }
}

void GdiPlayer::drawTarget(const QPainterPath& tp, bool fill, bool stroke)
{
    if (inPath) {
        path.addPath(tp);
        return;
    }
    p.setWorldTransform(base);
    QPainterPath filled = tp;
    filled.setFillRule(dc.polyFill == 2 ? Qt::WindingFill : Qt::OddEvenFill);
    if (fill) {
        const QBrush b = qbrush();
        if (b.style() != Qt::NoBrush) {
            if (dc.brush.style == 2 && dc.bkMode == 2)
                p.fillPath(filled, dc.bkColor);
            p.fillPath(filled, b);
        }
    }
    if (stroke) {
        const QPen pen = qpen();
        if (pen.style() != Qt::NoPen) {
            // Hairlines of dense line art at print resolution: each is
            // several device pixels wide there, so smoothing its edges
            // shows nothing and costs most of the drawing time.
            const bool smooth = p.testRenderHint(QPainter::Antialiasing);
            if (smooth && pen.widthF() <= 1.5 && printResolution())
                p.setRenderHint(QPainter::Antialiasing, false);
            p.strokePath(tp, pen);
            p.setRenderHint(QPainter::Antialiasing, smooth);
        }
    }
}

bool GdiPlayer::printResolution() const
{
    if (p.device() && p.device()->devType() == QInternal::Printer)
        return true;
    // Drawn at three or more device pixels per screen pixel (300 dpi and
    // finer for a 96-dpi screen).
    return std::sqrt(std::abs(base.determinant())) >= 3;
}

void GdiPlayer::draw(const QPainterPath& lp, bool fill, bool stroke)
{
    drawTarget(logical().map(lp), fill, stroke);
}

void GdiPlayer::moveTo(double x, double y)
{
    dc.cur = QPointF(x, y);
    if (inPath)
        path.moveTo(map(x, y));
}

void GdiPlayer::lineTo(double x, double y)
{
    if (inPath) {
        if (path.elementCount() == 0)
            path.moveTo(map(dc.cur.x(), dc.cur.y()));
        path.lineTo(map(x, y));
    } else {
        QPainterPath lp;
        lp.moveTo(dc.cur);
        lp.lineTo(x, y);
        draw(lp, false, true);
    }
    dc.cur = QPointF(x, y);
}

// kind 0 arc, 1 pie, 2 chord; the box and the two radial points in logical
// units. Windows draws arcs counter-clockwise on the device unless told
// otherwise; a mapping that turns the y axis over turns the direction too.
QPainterPath GdiPlayer::arcPath(int kind, double l, double t, double r, double b, double xs, double ys, double xe, double ye)
{
    QPainterPath out;
    const QRectF box = QRectF(QPointF(l, t), QPointF(r, b)).normalized();
    if (box.width() <= 0 || box.height() <= 0)
        return out;
    const QPointF c = box.center();
    auto angle = [&](double x, double y) {
        return std::atan2(-(y - c.y()) / box.height(), (x - c.x()) / box.width()) * 180.0 / M_PI;
    };
    const double a0 = angle(xs, ys);
    const double a1 = angle(xe, ye);
    bool ccw = !dc.arcClockwise;
    if (logical().determinant() < 0)
        ccw = !ccw;
    double sweep = ccw ? a1 - a0 : a0 - a1;
    while (sweep <= 0)
        sweep += 360;
    while (sweep > 360)
        sweep -= 360;
    if (!ccw)
        sweep = -sweep;
    if (kind == 1) {
        out.moveTo(c);
        out.arcTo(box, a0, sweep);
        out.closeSubpath();
    } else {
        out.arcMoveTo(box, a0);
        out.arcTo(box, a0, sweep);
        if (kind == 2)
            out.closeSubpath();
    }
    return out;
}

QFont GdiPlayer::qfont(double pixelSize) const
{
    const QString face = dc.font.face.isEmpty() ? QStringLiteral("Arial") : dc.font.face;
    // Windows symbol fonts draw their pictures with the program's symbol
    // font map.
    QFont f(SymbolFonts::IsMapped(face) ? SymbolFonts::DisplayFamily() : face);
    const double dpi = p.device() ? std::max(1, p.device()->logicalDpiY()) : 96;
    f.setPointSizeF(std::max(0.01, pixelSize * 72.0 / dpi));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(dc.font.weight <= 0 ? 400 : dc.font.weight, 100, 900)));
    f.setItalic(dc.font.italic);
    f.setUnderline(dc.font.underline);
    f.setStrikeOut(dc.font.strikeOut);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

namespace {

// The characters a symbol font's codes show. Codes come as bytes (0..255)
// or, from Unicode records, in the private range U+F020..U+F0FF.
QString symbolText(const QString& face, const QString& s)
{
    QString out;
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        int code = -1;
        if (u >= 0xF000 && u <= 0xF0FF)
            code = u - 0xF000;
        else if (u < 0x100)
            code = u;
        else
            code = SymbolFonts::CodeOf(c);
        const char32_t shown = code < 0 ? 0 : SymbolFonts::ToUnicode(face, code);
        // A code without a picture keeps its place as a blank.
        out += shown ? QString::fromUcs4(&shown, 1) : QStringLiteral(" ");
    }
    return out;
}

} // namespace

// Text stored as glyph numbers can only be drawn with the very font they
// number; without it the text is left out, and that is said once per font.
void WarnMissingGlyphFont(const QString& face)
{
    static QMutex guard;
    static QSet<QString> told;
    const QMutexLocker lock(&guard);
    if (told.contains(face))
        return;
    told.insert(face);
    qWarning("Metafile text stored as glyphs of the font \"%s\" is not drawn: that font is not installed",
        qPrintable(face));
}

void GdiPlayer::text(double x, double y, const QString& str, const std::vector<double>& dx, int options,
    const QRectF& rect, const std::vector<quint32>* glyphs)
{
    if (inPath)
        return;
    const bool mappedSymbols = !glyphs && SymbolFonts::IsMapped(dc.font.face);
    const QString s = mappedSymbols ? symbolText(dc.font.face, str) : str;
    const bool updateCp = dc.textAlign & 1;
    if (updateCp) {
        x = dc.cur.x();
        y = dc.cur.y();
    }
    const QTransform full = logical() * base;
    const QPointF origin = full.map(QPointF(x, y));
    const QPointF ux = full.map(QPointF(x + 1, y)) - origin;
    const QPointF uy = full.map(QPointF(x, y + 1)) - origin;
    const double sx = std::hypot(ux.x(), ux.y());
    const double sy = std::hypot(uy.x(), uy.y());
    if (!(sx > 0) || !(sy > 0) || !std::isfinite(sx) || !std::isfinite(sy))
        return;

    // A negative height is the character height, a positive one the cell
    // height (with the internal leading).
    double h = dc.font.height;
    double px = std::abs(h) * sy;
    if (h == 0)
        px = 12 * std::hypot(base.m22(), base.m21());
    QFont font = qfont(std::max(px, 0.01));
    if (h > 0) {
        QFontMetricsF m(font, p.device());
        const double cell = m.ascent() + m.descent();
        if (cell > 0)
            font = qfont(px * px / cell);
    }
    if (px < 0.05 || px > 1e5)
        return;
    const QFontMetricsF fm(font, p.device());

    // Glyph numbers belong to one font file: the named font must be the one
    // installed, not a stand-in.
    QRawFont raw;
    if (glyphs) {
        raw = QRawFont::fromFont(font);
        const QString face = dc.font.face.isEmpty() ? QStringLiteral("Arial") : dc.font.face;
        // QRawFont::familyName() takes the first of the engine's family
        // names and fails on an engine that has none (a font of no
        // family); QFontInfo names the family the font was matched to.
        if (!raw.isValid() || QFontInfo(font).family().compare(face, Qt::CaseInsensitive) != 0) {
            WarnMissingGlyphFont(face);
            return;
        }
        const double dpi = p.device() ? std::max(1, p.device()->logicalDpiY()) : 96;
        raw.setPixelSize(font.pointSizeF() * dpi / 72.0);
    }
    const qsizetype count = glyphs ? qsizetype(glyphs->size()) : s.size();
    QList<quint32> glyphList;
    QList<QPointF> glyphAdvances;
    if (glyphs) {
        glyphList = QList<quint32>(glyphs->begin(), glyphs->end());
        glyphAdvances = raw.advancesForGlyphIndexes(glyphList);
    }

    // Advances along the baseline, in device units.
    std::vector<double> adv;
    adv.reserve(size_t(count));
    double total = 0;
    for (qsizetype i = 0; i < count; ++i) {
        double a;
        if (static_cast<size_t>(i) < dx.size())
            a = dx[size_t(i)] * sx;
        else if (glyphs)
            a = i < glyphAdvances.size() ? glyphAdvances[i].x() : 0;
        else
            a = fm.horizontalAdvance(s[i]);
        adv.push_back(a);
        total += a;
    }
    if (dx.empty() && !glyphs)
        total = fm.horizontalAdvance(s);

    // Baseline direction: the logical x axis turned by the escapement
    // (counter-clockwise as seen on the page).
    const double angle = std::atan2(ux.y(), ux.x()) * 180.0 / M_PI - dc.font.escapement / 10.0;

    double ox = 0;
    switch (dc.textAlign & 6) {
    case 2: ox = -total; break;     // TA_RIGHT
    case 6: ox = -total / 2; break; // TA_CENTER
    default: break;
    }
    double oy = 0;
    switch (dc.textAlign & 24) {
    case 8: oy = -fm.descent(); break; // TA_BOTTOM
    case 24: oy = 0; break;            // TA_BASELINE
    default: oy = fm.ascent(); break;  // TA_TOP
    }

    p.save();
    if (options & 4) { // ETO_CLIPPED
        p.setWorldTransform(base);
        p.setClipPath(logical().map(rectPath(rect)), Qt::IntersectClip);
    }
    if (options & 2) // ETO_OPAQUE
        fillLogicalRect(rect, dc.bkColor);
    QTransform t;
    t.translate(origin.x(), origin.y());
    t.rotate(angle);
    p.setWorldTransform(t);
    if (dc.bkMode == 2 && !(options & 2))
        p.fillRect(QRectF(ox, oy - fm.ascent(), total, fm.ascent() + fm.descent()), dc.bkColor);
    p.setFont(font);
    p.setPen(dc.textColor);
    if (glyphs) {
        QList<QPointF> positions;
        double at = ox;
        for (qsizetype i = 0; i < count; ++i) {
            positions.append(QPointF(at, oy));
            at += adv[size_t(i)];
        }
        QGlyphRun run;
        run.setRawFont(raw);
        run.setGlyphIndexes(glyphList);
        run.setPositions(positions);
        run.setUnderline(dc.font.underline);
        run.setStrikeOut(dc.font.strikeOut);
        p.drawGlyphRun(QPointF(0, 0), run);
    } else if (dx.empty()) {
        p.drawText(QPointF(ox, oy), s);
    } else {
        double at = ox;
        for (qsizetype i = 0; i < s.size(); ++i) {
            p.drawText(QPointF(at, oy), QString(s[i]));
            at += adv[static_cast<size_t>(i)];
        }
    }
    p.restore();
    if (updateCp)
        dc.cur = QPointF(x + total / sx * (ux.x() >= 0 ? 1 : -1), y);
}

void GdiPlayer::fillLogicalRect(const QRectF& r, const QBrush& b)
{
    p.save();
    p.setWorldTransform(base);
    p.fillPath(logical().map(rectPath(r)), b);
    p.restore();
}

bool GdiPlayer::rasterDevice() const
{
    return p.device() && (p.device()->devType() == QInternal::Image || p.device()->devType() == QInternal::Pixmap);
}

void GdiPlayer::patternBlt(const QRectF& r, std::uint32_t rop)
{
    switch (RasterOp(rop)) {
    case RasterOp::PatCopy: fillLogicalRect(r, qbrush()); return;
    case RasterOp::Blackness: fillLogicalRect(r, Qt::black); return;
    case RasterOp::Whiteness: fillLogicalRect(r, Qt::white); return;
    case RasterOp::PatInvert:
    case RasterOp::DstInvert: {
        // Both combine with what is already there, which only a raster
        // device has; on paper and in PDF files they leave it as it is.
        if (!rasterDevice())
            return;
        p.save();
        p.setWorldTransform(base);
        p.setRenderHint(QPainter::Antialiasing, false);
        const bool pattern = RasterOp(rop) == RasterOp::PatInvert;
        p.setCompositionMode(pattern ? QPainter::RasterOp_SourceXorDestination : QPainter::RasterOp_NotDestination);
        p.fillPath(logical().map(rectPath(r)), pattern ? qbrush() : QBrush(Qt::black));
        p.restore();
        return;
    }
    default: return;
    }
}

void GdiPlayer::image(const QImage& img, const QRectF& src, double x, double y, double w, double h, std::uint32_t rop)
{
    if (inPath || img.isNull())
        return;
    QImage source = img;
    // Operations that read the destination need a raster device; elsewhere
    // the bitmap is copied.
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    switch (RasterOp(rop)) {
    case RasterOp::SrcAnd: mode = QPainter::RasterOp_SourceAndDestination; break;
    case RasterOp::SrcPaint: mode = QPainter::RasterOp_SourceOrDestination; break;
    case RasterOp::SrcInvert: mode = QPainter::RasterOp_SourceXorDestination; break;
    case RasterOp::SrcErase: mode = QPainter::RasterOp_SourceAndNotDestination; break;
    case RasterOp::NotSrcErase: mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case RasterOp::MergePaint: mode = QPainter::RasterOp_NotSourceOrDestination; break;
    case RasterOp::NotSrcCopy:
        source = img.convertToFormat(QImage::Format_RGB32);
        source.invertPixels();
        break;
    case RasterOp::MergeCopy: {
        // The source ANDed with the brush colour, bit by bit.
        source = img.convertToFormat(QImage::Format_RGB32);
        const QRgb brush = (dc.brush.style == 1 ? QColor(Qt::white) : dc.brush.color).rgb() | 0xFF000000u;
        for (int row = 0; row < source.height(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(source.scanLine(row));
            for (int col = 0; col < source.width(); ++col)
                line[col] &= brush;
        }
        break;
    }
    case RasterOp::Blackness:
    case RasterOp::Whiteness:
    case RasterOp::PatCopy:
    case RasterOp::PatInvert:
    case RasterOp::DstInvert:
        // No source takes part.
        patternBlt(QRectF(QPointF(x, y), QSizeF(w, h)).normalized(), rop);
        return;
    default: break;
    }
    const QRectF s = src.intersected(QRectF(source.rect()));
    if (s.isEmpty() || src.width() <= 0 || src.height() <= 0)
        return;
    const QTransform l = logical();
    const QPointF p0 = l.map(QPointF(x, y));
    const QPointF ex = (l.map(QPointF(x + w, y)) - p0) / src.width();
    const QPointF ey = (l.map(QPointF(x, y + h)) - p0) / src.height();
    const QTransform t(ex.x(), ex.y(), ey.x(), ey.y(), p0.x(), p0.y());
    if (!t.isInvertible())
        return;
    p.save();
    p.setWorldTransform(t * base);
    const QPointF at = s.topLeft() - src.topLeft();
    const bool raster = rasterDevice();
    if (raster && mode != QPainter::CompositionMode_SourceOver) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setCompositionMode(mode);
    }
    if (raster) {
        // Qt's raster engine writes past the target when a scaled or
        // mirrored image is blitted through its fast path under a clip, so
        // on pictures the image is laid down as a textured fill instead,
        // which the clipped span filler bounds to the device.
        QBrush texture(source);
        texture.setTransform(QTransform::fromTranslate(-src.left(), -src.top()));
        p.fillRect(QRectF(at, s.size()), texture);
    } else {
        p.drawImage(at, source, s);
    }
    p.restore();
}

void GdiPlayer::intersectClip(const QPainterPath& tp)
{
    dc.clip = dc.clipOn ? dc.clip.intersected(tp) : tp;
    dc.clipOn = true;
    applyClip();
}

void GdiPlayer::excludeClip(const QPainterPath& tp)
{
    const QPainterPath all = dc.clipOn ? dc.clip : rectPath(target.adjusted(-1, -1, 1, 1));
    dc.clip = all.subtracted(tp);
    dc.clipOn = true;
    applyClip();
}

// RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5.
void GdiPlayer::combineClip(const QPainterPath& tp, int mode)
{
    const QPainterPath all = dc.clipOn ? dc.clip : rectPath(target.adjusted(-1, -1, 1, 1));
    switch (mode) {
    case 1: intersectClip(tp); return;
    case 2: dc.clip = all.united(tp); break;
    case 3: dc.clip = all.united(tp).subtracted(all.intersected(tp)); break;
    case 4: dc.clip = all.subtracted(tp); break;
    default: dc.clip = tp; break;
    }
    dc.clipOn = true;
    applyClip();
}

void GdiPlayer::select(std::uint32_t index, bool stockAllowed)
{
    const GdiObject o = objects.get(index, stockAllowed);
    switch (o.kind) {
    case GdiObject::Pen: dc.pen = o.pen; break;
    case GdiObject::Brush: dc.brush = o.brush; break;
    case GdiObject::Font: dc.font = o.font; break;
    case GdiObject::Region:
        if (!enhanced) {
            if (o.region.isEmpty()) {
                dc.clipOn = false;
                applyClip();
            } else {
                combineClip(logical().map(o.region), 5);
            }
        }
        break;
    default: break;
    }
}

void GdiPlayer::save()
{
    if (saved.size() < size_t(Metafile::MaxSaveDepth))
        saved.push_back(dc);
}

// n < 0: relative to the newest saved state; n > 0: the n-th saved state.
void GdiPlayer::restore(int n)
{
    if (saved.empty())
        return;
    size_t keep;
    if (n < 0) {
        const size_t back = size_t(-static_cast<std::int64_t>(n));
        if (back > saved.size())
            return;
        keep = saved.size() - back;
    } else if (n > 0 && size_t(n) <= saved.size()) {
        keep = size_t(n) - 1;
    } else {
        return;
    }
    dc = saved[keep];
    saved.resize(keep);
    applyClip();
}
void GdiPlayer::run(const QByteArray& data)
{
    if (data.isEmpty() || !(target.width() != 0 && target.height() != 0) || !target.isValid())
        return;
    RecordReader file(data.constData(), data.size());
    p.save();
    base = p.worldTransform();
    hadClip = p.hasClipping();
    if (hadClip)
        outerClip = p.clipPath();
    if (!base.isInvertible()) {
        p.restore();
        return;
    }
    applyClip();
    try {
        play(file);
    } catch (const Exception&) {
        // A picture that fails mid-way keeps what it drew.
    }
    p.restore();
}

} // namespace bv::pictures
