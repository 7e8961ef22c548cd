#include "platform/Metafile.h"
#include "platform/SafeFile.h"

#include "platform/Dib.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Numeric.h"
#include "platform/ProfileFile.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPicture>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <vector>

namespace bv {

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7u;
constexpr std::uint32_t EmfSignature = 0x464D4520u; // " EMF"
// Rectangles of one clip or fill region taken into account; region algebra
// grows fast with more.
constexpr int MaxRegionRects = 4096;

// Bounds-checked little-endian reading over one record or the whole file.
class Reader {
public:
    Reader(const char* data, qsizetype size) : p(reinterpret_cast<const unsigned char*>(data)), n(size) {}
    bool bad() const { return failed; }
    qsizetype pos() const { return at; }
    qsizetype size() const { return n; }
    qsizetype left() const { return n - at; }
    void seek(qsizetype to)
    {
        if (to < 0 || to > n)
            failed = true;
        else
            at = to;
    }
    void skip(qsizetype k) { seek(at + k); }
    std::uint8_t u8()
    {
        if (!need(1))
            return 0;
        return p[at++];
    }
    std::uint16_t u16()
    {
        if (!need(2))
            return 0;
        const auto v = qFromLittleEndian<std::uint16_t>(p + at);
        at += 2;
        return v;
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32()
    {
        if (!need(4))
            return 0;
        const auto v = qFromLittleEndian<std::uint32_t>(p + at);
        at += 4;
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    float f32()
    {
        const std::uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return std::isfinite(f) ? f : 0.0f;
    }
    QByteArray bytes(qsizetype k)
    {
        if (!need(k))
            return {};
        QByteArray b(reinterpret_cast<const char*>(p + at), k);
        at += k;
        return b;
    }
    // A slice [from, from + k) of the data, empty when out of range.
    QByteArray slice(qsizetype from, qsizetype k) const
    {
        if (from < 0 || k < 0 || from > n || k > n - from)
            return {};
        return QByteArray(reinterpret_cast<const char*>(p + from), k);
    }
    bool has(qsizetype k) const { return k >= 0 && n - at >= k; }

private:
    bool need(qsizetype k)
    {
        if (failed || k < 0 || n - at < k) {
            failed = true;
            return false;
        }
        return true;
    }
    const unsigned char* p;
    qsizetype n;
    qsizetype at = 0;
    bool failed = false;
};

QColor colorRef(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// --- graphics objects ----------------------------------------------------

struct GdiPen {
    int style = 0;       // PS_SOLID
    double width = 0;    // logical units; 0 is the thinnest line
    QColor color = Qt::black;
};

struct GdiBrush {
    int style = 0;       // BS_SOLID, BS_NULL 1, BS_HATCHED 2, BS_PATTERN 3, BS_DIBPATTERN 5/6
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
};

struct GdiFont {
    double height = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;
    QString face;
};

struct GdiObject {
    enum Kind { None, Pen, Brush, Font, Palette, Region };
    Kind kind = None;
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    QPainterPath region; // classic metafiles: logical units
};

enum MapMode { MM_TEXT = 1, MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH, MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC, MM_ANISOTROPIC };

struct DcState {
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    int mapMode = MM_TEXT;
    QPointF winOrg{0, 0};
    QSizeF winExt{1, 1};
    QPointF viewOrg{0, 0};
    QSizeF viewExt{1, 1};
    QTransform world;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = 2; // OPAQUE
    int textAlign = 0;
    int polyFill = 1; // ALTERNATE
    int rop2 = 13;    // R2_COPYPEN
    bool arcClockwise = false;
    QPointF cur{0, 0};
    bool clipOn = false;
    QPainterPath clip; // target coordinates
};

QPainterPath rectPath(const QRectF& r)
{
    QPainterPath p;
    p.addRect(r.normalized());
    return p;
}

// --- the player ------------------------------------------------------------

class Player {
public:
    Player(QPainter& painter, const QRectF& target, const Metafile& mf) : p(painter), target(target), mf(mf) {}
    void run();

private:
    void playClassic(Reader& file, qsizetype start);
    void playEnhanced(Reader& file);
    bool classicRecord(int function, Reader& r);
    bool enhancedRecord(std::uint32_t type, Reader& r, qsizetype recordStart);

    // Logical units to target coordinates.
    QTransform logical() const;
    QPointF map(double x, double y) const { return logical().map(QPointF(x, y)); }
    double scale() const
    {
        const QTransform t = logical();
        const double d = std::sqrt(std::abs(t.determinant()));
        return std::isfinite(d) ? d : 0;
    }
    void applyClip();
    QPen qpen() const;
    QBrush qbrush() const;
    void draw(const QPainterPath& logicalPath, bool fill, bool stroke);
    void drawTarget(const QPainterPath& targetPath, bool fill, bool stroke);
    void lineTo(double x, double y);
    void moveTo(double x, double y);
    QPainterPath arcPath(int kind, double l, double t, double r, double b, double xs, double ys, double xe, double ye);
    void text(double x, double y, const QString& s, const std::vector<double>& dx, int options, const QRectF& rect);
    void image(const QImage& img, const QRectF& src, double x, double y, double w, double h, std::uint32_t rop);
    void fillLogicalRect(const QRectF& r, const QBrush& b);
    void intersectClip(const QPainterPath& targetPath);
    void excludeClip(const QPainterPath& targetPath);
    void combineClip(const QPainterPath& targetPath, int mode);
    int addObject(const GdiObject& o);
    void setObject(std::int64_t index, const GdiObject& o);
    void select(std::uint32_t index, bool enhanced);
    void remove(std::uint32_t index);
    void save();
    void restore(int n);
    static GdiObject stockObject(std::uint32_t n);
    QFont qfont(double pixelSize) const;

    QPainter& p;
    QRectF target;
    const Metafile& mf;
    QTransform base;      // the painter's transform when playing began
    QTransform device;    // reference device pixels to target (enhanced)
    bool enhanced = false;
    DcState dc;
    std::vector<DcState> saved;
    std::vector<GdiObject> objects;
    bool inPath = false;
    QPainterPath path;    // target coordinates
    bool hadClip = false;
    QPainterPath outerClip;
    double pxPerMmX = 3.78, pxPerMmY = 3.78;
};

QTransform Player::logical() const
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

void Player::applyClip()
{
    p.setWorldTransform(base);
    if (hadClip)
        p.setClipPath(outerClip, Qt::ReplaceClip);
    p.setClipRect(target, hadClip ? Qt::IntersectClip : Qt::ReplaceClip);
    if (dc.clipOn)
        p.setClipPath(dc.clip, Qt::IntersectClip);
}

QPen Player::qpen() const
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

QBrush Player::qbrush() const
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

void Player::drawTarget(const QPainterPath& tp, bool fill, bool stroke)
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
        if (pen.style() != Qt::NoPen)
            p.strokePath(tp, pen);
    }
}

void Player::draw(const QPainterPath& lp, bool fill, bool stroke)
{
    drawTarget(logical().map(lp), fill, stroke);
}

void Player::moveTo(double x, double y)
{
    dc.cur = QPointF(x, y);
    if (inPath)
        path.moveTo(map(x, y));
}

void Player::lineTo(double x, double y)
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
QPainterPath Player::arcPath(int kind, double l, double t, double r, double b, double xs, double ys, double xe, double ye)
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

QFont Player::qfont(double pixelSize) const
{
    QFont f(dc.font.face.isEmpty() ? QStringLiteral("Arial") : dc.font.face);
    const double dpi = p.device() ? std::max(1, p.device()->logicalDpiY()) : 96;
    f.setPointSizeF(std::max(0.01, pixelSize * 72.0 / dpi));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(dc.font.weight <= 0 ? 400 : dc.font.weight, 100, 900)));
    f.setItalic(dc.font.italic);
    f.setUnderline(dc.font.underline);
    f.setStrikeOut(dc.font.strikeOut);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

void Player::text(double x, double y, const QString& s, const std::vector<double>& dx, int options, const QRectF& rect)
{
    if (inPath)
        return;
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

    // Advances along the baseline, in device units.
    std::vector<double> adv;
    adv.reserve(s.size());
    double total = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const double a = (static_cast<size_t>(i) < dx.size()) ? dx[i] * sx : fm.horizontalAdvance(s[i]);
        adv.push_back(a);
        total += a;
    }
    if (dx.empty())
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
    if (dx.empty()) {
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

void Player::fillLogicalRect(const QRectF& r, const QBrush& b)
{
    p.save();
    p.setWorldTransform(base);
    p.fillPath(logical().map(rectPath(r)), b);
    p.restore();
}

void Player::image(const QImage& img, const QRectF& src, double x, double y, double w, double h, std::uint32_t rop)
{
    if (inPath || img.isNull())
        return;
    const QRectF s = src.intersected(QRectF(img.rect()));
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
    const bool raster = p.device() && (p.device()->devType() == QInternal::Image || p.device()->devType() == QInternal::Pixmap);
    switch (rop) {
    case 0x008800C6: // SRCAND
        if (raster)
            p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        break;
    case 0x00EE0086: // SRCPAINT
        if (raster)
            p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        break;
    case 0x00660046: // SRCINVERT
        if (raster)
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        break;
    default: break;
    }
    if (raster) {
        // Qt's raster engine writes past the target when a scaled or
        // mirrored image is blitted through its fast path under a clip, so
        // on pictures the image is laid down as a textured fill instead,
        // which the clipped span filler bounds to the device.
        QBrush texture(img);
        texture.setTransform(QTransform::fromTranslate(-src.left(), -src.top()));
        p.fillRect(QRectF(at, s.size()), texture);
    } else {
        p.drawImage(at, img, s);
    }
    p.restore();
}

void Player::intersectClip(const QPainterPath& tp)
{
    dc.clip = dc.clipOn ? dc.clip.intersected(tp) : tp;
    dc.clipOn = true;
    applyClip();
}

void Player::excludeClip(const QPainterPath& tp)
{
    const QPainterPath all = dc.clipOn ? dc.clip : rectPath(target.adjusted(-1, -1, 1, 1));
    dc.clip = all.subtracted(tp);
    dc.clipOn = true;
    applyClip();
}

// RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4, RGN_COPY 5.
void Player::combineClip(const QPainterPath& tp, int mode)
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

int Player::addObject(const GdiObject& o)
{
    for (size_t i = 0; i < objects.size(); ++i)
        if (objects[i].kind == GdiObject::None) {
            objects[i] = o;
            return int(i);
        }
    if (objects.size() >= size_t(Metafile::MaxObjects))
        return -1;
    objects.push_back(o);
    return int(objects.size() - 1);
}

void Player::setObject(std::int64_t index, const GdiObject& o)
{
    if (index < 0 || index >= Metafile::MaxObjects)
        return;
    if (size_t(index) >= objects.size())
        objects.resize(size_t(index) + 1);
    objects[size_t(index)] = o;
}

GdiObject Player::stockObject(std::uint32_t n)
{
    GdiObject o;
    switch (n) {
    case 0: case 1: case 2: case 3: case 4: {
        static const int greys[] = { 255, 192, 128, 64, 0 };
        o.kind = GdiObject::Brush;
        o.brush.color = QColor(greys[n], greys[n], greys[n]);
        break;
    }
    case 5: o.kind = GdiObject::Brush; o.brush.style = 1; break;
    case 6: o.kind = GdiObject::Pen; o.pen.color = Qt::white; break;
    case 7: o.kind = GdiObject::Pen; break;
    case 8: o.kind = GdiObject::Pen; o.pen.style = 5; break;
    case 18: o.kind = GdiObject::Brush; break;
    case 19: o.kind = GdiObject::Pen; break;
    case 10: case 11: case 12: case 13: case 14: case 16: case 17:
        o.kind = GdiObject::Font;
        break;
    default: break;
    }
    return o;
}

void Player::select(std::uint32_t index, bool stockAllowed)
{
    GdiObject o;
    if (stockAllowed && (index & 0x80000000u))
        o = stockObject(index & 0x7FFFFFFFu);
    else if (index < objects.size())
        o = objects[index];
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

void Player::remove(std::uint32_t index)
{
    if (index < objects.size())
        objects[index] = GdiObject();
}

void Player::save()
{
    if (saved.size() < size_t(Metafile::MaxSaveDepth))
        saved.push_back(dc);
}

// n < 0: relative to the newest saved state; n > 0: the n-th saved state.
void Player::restore(int n)
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

// --- classic metafiles -----------------------------------------------------

QString ansiText(const QByteArray& b, int charset)
{
    if (charset == 2) // SYMBOL_CHARSET: the byte is the glyph
        return QString::fromLatin1(b);
    return DecodeWindows1252(b);
}

bool Player::classicRecord(int fn, Reader& r)
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
        addObject(o);
        break;
    }
    case 0x02FC: { // CreateBrushIndirect
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush.style = r.u16();
        o.brush.color = colorRef(r.u32());
        o.brush.hatch = r.u16();
        addObject(o);
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
        addObject(o);
        break;
    }
    case 0x01F9: { // CreatePatternBrush (an old device bitmap): a grey fill
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush.color = Qt::gray;
        addObject(o);
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
        addObject(o);
        break;
    }
    case 0x00F7: { // CreatePalette: takes a slot
        GdiObject o;
        o.kind = GdiObject::Palette;
        addObject(o);
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
        addObject(o);
        break;
    }
    case 0x012D: select(r.u16(), false); break;
    case 0x01F0: remove(r.u16()); break;
    case 0x012C: { // SelectClipRegion
        const std::uint16_t i = r.u16();
        if (i < objects.size() && objects[i].kind == GdiObject::Region)
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

void Player::playClassic(Reader& file, qsizetype start)
{
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
        Reader rec(body.constData(), body.size());
        if (!classicRecord(fn, rec))
            return;
        file.seek(at + qsizetype(words) * 2);
    }
}

// --- enhanced metafiles ------------------------------------------------------

bool Player::enhancedRecord(std::uint32_t type, Reader& r, qsizetype)
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
    case 40: remove(r.u32()); break;
    case 38: { // CreatePen
        const std::uint32_t ih = r.u32();
        GdiObject o;
        o.kind = GdiObject::Pen;
        o.pen.style = int(r.u32());
        o.pen.width = std::abs(double(r.i32()));
        r.skip(4);
        o.pen.color = colorRef(r.u32());
        setObject(ih, o);
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
        setObject(ih, o);
        break;
    }
    case 39: { // CreateBrushIndirect
        const std::uint32_t ih = r.u32();
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush.style = int(r.u32());
        o.brush.color = colorRef(r.u32());
        o.brush.hatch = int(r.u32());
        setObject(ih, o);
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
        setObject(ih, o);
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
        setObject(ih, o);
        break;
    }
    case 49: { // CreatePalette
        GdiObject o;
        o.kind = GdiObject::Palette;
        setObject(r.u32(), o);
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
            GdiObject o = (ih & 0x80000000u) ? stockObject(ih & 0x7FFFFFFF) : (ih < objects.size() ? objects[ih] : GdiObject());
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

void Player::playEnhanced(Reader& file)
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
        Reader rec(body.constData(), body.size());
        if (count > 1 && !enhancedRecord(type, rec, at))
            return;
        at += size;
    }
}

void Player::run()
{
    if (mf.IsEmpty() || !(target.width() != 0 && target.height() != 0) || !target.isValid())
        return;
    const QByteArray& data = mf.Bytes();
    Reader file(data.constData(), data.size());
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
    enhanced = mf.Enhanced();
    try {
        if (enhanced) {
            playEnhanced(file);
        } else {
            const QRect b = mf.Bounds();
            dc.winOrg = b.topLeft();
            dc.winExt = QSizeF(b.width(), b.height());
            playClassic(file, mf.Placeable() ? 22 : 0);
        }
    } catch (const Exception&) {
        // A picture that fails mid-way keeps what it drew.
    }
    p.restore();
}

std::uint32_t readU32(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

std::int16_t readI16(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    return qFromLittleEndian<std::int16_t>(b.constData() + at);
}

} // namespace

QByteArray Metafile::PlaceableHeader(int left, int top, int right, int bottom, int unitsPerInch)
{
    QByteArray h(22, '\0');
    auto put16 = [&](int at, int v) { qToLittleEndian<std::uint16_t>(std::uint16_t(v), h.data() + at); };
    qToLittleEndian<std::uint32_t>(PlaceableKey, h.data());
    put16(6, left);
    put16(8, top);
    put16(10, right);
    put16(12, bottom);
    put16(14, unitsPerInch);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<std::uint16_t>(h.constData() + 2 * i);
    put16(20, sum);
    return h;
}

void Metafile::parse()
{
    if (bytes.size() > MaxBytes)
        throw EConvertError(QStringLiteral("Metafile is too large"));
    enhanced = false;
    placeable = false;
    if (bytes.size() >= 88 && readU32(bytes, 0) == 1 && readU32(bytes, 40) == EmfSignature) {
        enhanced = true;
        const auto v = [&](int at) { return static_cast<std::int32_t>(readU32(bytes, at)); };
        bounds = QRect(QPoint(v(24), v(28)), QPoint(v(32) - 1, v(36) - 1));
        inch = 2540;
        records = static_cast<int>(std::min<std::uint32_t>(readU32(bytes, 52), MaxRecords));
        return;
    }
    qsizetype start = 0;
    if (bytes.size() >= 22 + 18 && readU32(bytes, 0) == PlaceableKey) {
        placeable = true;
        start = 22;
        bounds = QRect(QPoint(readI16(bytes, 6), readI16(bytes, 8)), QPoint(readI16(bytes, 10) - 1, readI16(bytes, 12) - 1));
        inch = static_cast<std::uint16_t>(readI16(bytes, 14));
        if (inch == 0)
            inch = 2540;
    }
    const int type = readI16(bytes, start);
    const int header = readI16(bytes, start + 2);
    if (bytes.size() < start + 18 || (type != 1 && type != 2) || header != 9)
        throw EConvertError(QStringLiteral("Invalid metafile"));
    // Count the records up to the first broken one.
    qsizetype at = start + 18;
    records = 1;
    while (at + 6 <= bytes.size() && records < MaxRecords) {
        const std::uint32_t words = readU32(bytes, at);
        if (words < 3 || qsizetype(words) > (bytes.size() - at) / 2)
            break;
        ++records;
        if (readI16(bytes, at + 4) == 0)
            break;
        at += qsizetype(words) * 2;
    }
    if (!placeable) {
        // Without a size the window extent, or else the drawing's bounds, serve.
        qsizetype a = start + 18;
        QPointF org(0, 0);
        QSizeF ext(0, 0);
        while (a + 6 <= bytes.size()) {
            const std::uint32_t words = readU32(bytes, a);
            const int fn = static_cast<std::uint16_t>(readI16(bytes, a + 4));
            if (words < 3 || qsizetype(words) > (bytes.size() - a) / 2 || fn == 0)
                break;
            if (fn == 0x020B && a + 10 <= bytes.size())
                org = QPointF(readI16(bytes, a + 8), readI16(bytes, a + 6));
            else if (fn == 0x020C && ext.isEmpty() && a + 10 <= bytes.size())
                ext = QSizeF(readI16(bytes, a + 8), readI16(bytes, a + 6));
            a += qsizetype(words) * 2;
        }
        if (ext.width() != 0 && ext.height() != 0) {
            bounds = QRectF(org, ext).normalized().toRect();
        } else {
            // Played at the identity mapping, the drawing shows its extent.
            bounds = QRect(0, 0, 1000, 1000);
            QPicture probe;
            {
                QPainter pp(&probe);
                Play(pp, QRectF(0, 0, 1000, 1000));
            }
            const QRect drawn = probe.boundingRect();
            bounds = drawn.isEmpty() ? QRect(0, 0, 1000, 1000) : drawn;
        }
        inch = 2540;
    }
}

Metafile Metafile::FromBytes(const QByteArray& data)
{
    Metafile m;
    m.bytes = data;
    m.parse();
    return m;
}

Metafile Metafile::FromFile(const QString& path)
{
    // Through the safe reader: a named pipe or a device such as /dev/zero
    // under a .wmf name is refused before a byte is read.
    Metafile m = FromBytes(ReadOutsideFileOrThrow(path, MaxBytes));
    if (!m.enhanced && !m.placeable) {
        const QRect b = m.bounds;
        auto clamp16 = [](int v) { return std::clamp(v, -32768, 32767); };
        QByteArray withHeader = PlaceableHeader(clamp16(b.left()), clamp16(b.top()), clamp16(b.right() + 1),
                                    clamp16(b.bottom() + 1), m.inch)
            + m.bytes;
        m = FromBytes(withHeader);
    }
    return m;
}

int Metafile::Width() const
{
    if (IsEmpty())
        return 0;
    const int mm = enhanced ? bounds.width() : MulDiv(bounds.width(), 2540, inch);
    return MulDiv(mm, ScreenPpi(), 2540);
}

int Metafile::Height() const
{
    if (IsEmpty())
        return 0;
    const int mm = enhanced ? bounds.height() : MulDiv(bounds.height(), 2540, inch);
    return MulDiv(mm, ScreenPpi(), 2540);
}

void Metafile::Play(QPainter& painter, const QRectF& target) const
{
    if (!painter.isActive())
        return;
    Player(painter, target, *this).run();
}

} // namespace bv
