#include "pageengine/PageCanvasEngine.h"

#include "pageengine/PagePictureReplay.h"

#include "platform/Numeric.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPicture>
#include <cmath>

namespace bv {

using namespace PageStyle;

TCanvasPageEngine::TCanvasPageEngine(QPainter* p, const TDeviceFacts& device)
    : painter(p)
{
    facts = device;
    resetState();
}

TCanvasPageEngine::~TCanvasPageEngine() = default;

void TCanvasPageEngine::SetPainter(QPainter* value)
{
    if (painter && painterSaved && painter->isActive())
        painter->restore();
    painterSaved = false;
    painter = value;
    if (documentActive && painter && painter->isActive()) {
        painter->save();
        painterSaved = true;
        painter->translate(origin);
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        applyClip();
    }
}

TCanvasPageEngine::DrawTarget TCanvasPageEngine::SwitchTarget(QPainter* target, const TDeviceFacts& device)
{
    DrawTarget previous{painter, facts, origin, clip, blockClip};
    SetPainter(nullptr);
    facts = device;
    origin = QPoint();
    clip.reset();
    blockClip.reset();
    SetPainter(target);
    return previous;
}

void TCanvasPageEngine::RestoreTarget(const DrawTarget& target)
{
    SetPainter(nullptr);
    facts = target.facts;
    origin = target.origin;
    clip = target.clip;
    blockClip = target.blockClip;
    SetPainter(target.painter);
}

void TCanvasPageEngine::resetState()
{
    pen = PenSpec();
    brushSpec = BrushSpec();
    brush = QBrush(ToQColor(clWhite), Qt::SolidPattern);
    fontSpec = FontSpec();
    bkMode = tbOpaque;
    regions.clear();
    clip.reset();
    blockClip.reset();
    path = QPainterPath();
    pathOpen = false;
    pathReady = false;
}

bool TCanvasPageEngine::canDraw() const
{
    return painter && painter->isActive() && !suppressOutput && !Aborted();
}

void TCanvasPageEngine::DoStartJob()
{
    resetState();
}

void TCanvasPageEngine::DoBeginDocument()
{
    documentActive = true;
    SetPainter(painter);
}

void TCanvasPageEngine::DoEndDocument()
{
    if (painter && painterSaved && painter->isActive())
        painter->restore();
    painterSaved = false;
    documentActive = false;
}

void TCanvasPageEngine::DoNewPage()
{
    if (!OnDevicePage)
        return;
    // Let go of the finished page's painter before the handler ends it.
    if (painter && painterSaved && painter->isActive())
        painter->restore();
    painterSaved = false;
    painter = nullptr;
    OnDevicePage(*this);
}

// ---- Coordinates -----------------------------------------------------------

int TCanvasPageEngine::devX(double inches) const
{
    return ToDevice(inches, zoom, facts.OffsetLeft, facts.ResolutionX);
}

int TCanvasPageEngine::devY(double inches) const
{
    return ToDevice(inches, zoom, facts.OffsetTop, facts.ResolutionY);
}

int TCanvasPageEngine::devW(double inches) const
{
    return ToDevice(inches, zoom, 0, facts.ResolutionX);
}

int TCanvasPageEngine::devH(double inches) const
{
    return ToDevice(inches, zoom, 0, facts.ResolutionY);
}

QPoint TCanvasPageEngine::mapPoint(const QPoint& p) const
{
    if (!remap)
        return p;
    return QPoint(devX(p.x() / sourceFacts.ResolutionX + sourceFacts.OffsetLeft),
                  devY(p.y() / sourceFacts.ResolutionY + sourceFacts.OffsetTop));
}

QPolygon TCanvasPageEngine::mapPolygon(const QPolygon& points) const
{
    if (!remap)
        return points;
    QPolygon out(points.size());
    for (qsizetype i = 0; i < points.size(); ++i)
        out[i] = mapPoint(points[i]);
    return out;
}

TDeviceRect TCanvasPageEngine::mapRect(const TDeviceRect& r) const
{
    if (!remap)
        return r;
    const QPoint a = mapPoint(QPoint(r.Left, r.Top));
    const QPoint b = mapPoint(QPoint(r.Right, r.Bottom));
    return TDeviceRect{a.x(), a.y(), b.x(), b.y()};
}

// ---- State -----------------------------------------------------------------

void TCanvasPageEngine::DoSetPen(const PenSpec& value)
{
    pen = value;
}

void TCanvasPageEngine::DoSetBrush(const BrushSpec& value)
{
    brushSpec = value;
    if (!value.bitmap.IsEmpty()) {
        brush = QBrush(value.bitmap.Image());
        return;
    }
    Qt::BrushStyle style = Qt::SolidPattern;
    switch (value.style) {
    case bsClear: style = Qt::NoBrush; break;
    case bsHorizontal: style = Qt::HorPattern; break;
    case bsVertical: style = Qt::VerPattern; break;
    case bsFDiagonal: style = Qt::FDiagPattern; break;
    case bsBDiagonal: style = Qt::BDiagPattern; break;
    case bsCross: style = Qt::CrossPattern; break;
    case bsDiagCross: style = Qt::DiagCrossPattern; break;
    default: style = Qt::SolidPattern; break;
    }
    brush = QBrush(ToQColor(value.color), style);
}

void TCanvasPageEngine::DoSetFont(const FontSpec& value)
{
    fontSpec = value;
}

void TCanvasPageEngine::DoSetTextBKMode(int mode)
{
    bkMode = mode;
}

QPen TCanvasPageEngine::currentPen() const
{
    if (pen.style == psClear || pen.mode == pmNop)
        return QPen(Qt::NoPen);
    int width = 1;
    if (pen.inInches) {
        const auto w = ToDevice(pen.width, zoom, 0, facts.ResolutionX);
        width = w < 1 ? 1 : static_cast<int>(w);
    } else {
        width = pen.width < 1 ? 1 : static_cast<int>(pen.width);
    }
    QColor colour = ToQColor(pen.color);
    if (pen.mode == pmBlack)
        colour = Qt::black;
    else if (pen.mode == pmWhite)
        colour = Qt::white;
    Qt::PenStyle style = Qt::SolidLine;
    switch (pen.style) {
    case psDash: style = Qt::DashLine; break;
    case psDot: style = Qt::DotLine; break;
    case psDashDot: style = Qt::DashDotLine; break;
    case psDashDotDot: style = Qt::DashDotDotLine; break;
    default: style = Qt::SolidLine; break;
    }
    // One-pixel lines leave out their last pixel; wide pens have round ends
    // and joins.
    QPen p(colour, width, style, width > 1 ? Qt::RoundCap : Qt::FlatCap,
           width > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    return p;
}

void TCanvasPageEngine::setComposition(QPainter& p) const
{
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    // Raster operations exist only on raster images; elsewhere they copy.
    if (p.device() && p.device()->devType() == QInternal::Image) {
        switch (pen.mode) {
        case pmNot: mode = QPainter::RasterOp_NotDestination; break;
        case pmNotCopy: mode = QPainter::RasterOp_NotSource; break;
        case pmXor: mode = QPainter::RasterOp_SourceXorDestination; break;
        case pmNotXor: mode = QPainter::RasterOp_NotSourceXorDestination; break;
        case pmMask: mode = QPainter::RasterOp_SourceAndDestination; break;
        case pmMerge: mode = QPainter::RasterOp_SourceOrDestination; break;
        case pmNotMask: mode = QPainter::RasterOp_NotSourceOrNotDestination; break;
        case pmNotMerge: mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
        case pmMaskPenNot: mode = QPainter::RasterOp_SourceAndNotDestination; break;
        case pmMergePenNot: mode = QPainter::RasterOp_SourceOrNotDestination; break;
        case pmMaskNotPen: mode = QPainter::RasterOp_NotSourceAndDestination; break;
        case pmMergeNotPen: mode = QPainter::RasterOp_NotSourceOrDestination; break;
        default: break;
        }
    }
    p.setCompositionMode(mode);
}

// ---- Figures ---------------------------------------------------------------

QPainterPath TCanvasPageEngine::figurePath(int kind, const QRectF& box, double cw, double ch) const
{
    QPainterPath fig;
    switch (kind) {
    case fkEllipse: fig.addEllipse(box); break;
    case fkRoundRect: fig.addRoundedRect(box, std::min(cw / 2, box.width() / 2), std::min(ch / 2, box.height() / 2)); break;
    default: fig.addRect(box); break;
    }
    return fig;
}

void TCanvasPageEngine::DoFigure(int kind, double x1, double y1, double x2, double y2, double cw, double ch)
{
    int l = devX(x1), t = devY(y1), r = devX(x2), b = devY(y2);
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    const double cwd = devW(cw), chd = devH(ch);
    if (pathOpen) {
        path.addPath(figurePath(kind, QRectF(l, t, r - l, b - t), cwd, chd));
        return;
    }
    if (!canDraw())
        return;
    QPainter& p = *painter;
    setComposition(p);
    if (brush.style() != Qt::NoBrush && r > l && b > t) {
        p.setPen(Qt::NoPen);
        p.setBrush(brush);
        p.drawPath(figurePath(kind, QRectF(l, t, r - l, b - t), cwd, chd));
    }
    const QPen outline = currentPen();
    if (outline.style() != Qt::NoPen) {
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        // The outline runs through the centres of the box's outermost pixels;
        // an inside-frame pen is moved in so that all of it stays in the box.
        double inset = 0;
        if (pen.style == psInsideFrame)
            inset = std::min((outline.widthF() - 1) / 2, std::min(r - l - 1, b - t - 1) / 2.0);
        inset = std::max(0.0, inset);
        const QRectF box(l + 0.5 + inset, t + 0.5 + inset, std::max(0.0, r - l - 1 - 2 * inset),
                         std::max(0.0, b - t - 1 - 2 * inset));
        p.drawPath(figurePath(kind, box, std::max(0.0, cwd - 1 - 2 * inset), std::max(0.0, chd - 1 - 2 * inset)));
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvasPageEngine::DoLine(double x1, double y1, double x2, double y2)
{
    // One-pixel lines on whole coordinates cover the start pixel and leave
    // out the end pixel.
    const QPointF a(devX(x1), devY(y1)), b(devX(x2), devY(y2));
    if (pathOpen) {
        path.moveTo(a);
        path.lineTo(b);
        return;
    }
    if (!canDraw())
        return;
    const QPen linePen = currentPen();
    if (linePen.style() == Qt::NoPen)
        return;
    QPainter& p = *painter;
    setComposition(p);
    p.setPen(linePen);
    p.drawLine(a, b);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvasPageEngine::DoPolygon(const QPolygon& points)
{
    const QPolygon poly = mapPolygon(points);
    if (pathOpen) {
        path.addPolygon(QPolygonF(poly));
        path.closeSubpath();
        return;
    }
    if (!canDraw())
        return;
    QPainter& p = *painter;
    setComposition(p);
    if (brush.style() != Qt::NoBrush) {
        p.setPen(Qt::NoPen);
        p.setBrush(brush);
        p.drawPolygon(poly, Qt::OddEvenFill);
    }
    const QPen outline = currentPen();
    if (outline.style() != Qt::NoPen) {
        p.setPen(outline);
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(QPolygonF(poly).translated(0.5, 0.5), Qt::OddEvenFill);
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvasPageEngine::DoFillDeviceRect(const TDeviceRect& rect)
{
    if (!canDraw() || brush.style() == Qt::NoBrush)
        return;
    const TDeviceRect r = mapRect(rect);
    painter->fillRect(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), brush);
}

void TCanvasPageEngine::DoText(double x, double y, const QString& text)
{
    const QPointF at(devX(x), devY(y));
    const QFont f = DeviceFont(fontSpec, facts.ResolutionY, zoom);
    // The font is sized in vertical pixels; on a device whose pixels are not
    // square the text is stretched to keep its shape on paper.
    const double stretch = facts.ResolutionX / facts.ResolutionY;
    QTransform place;
    place.translate(at.x(), at.y());
    if (stretch != 1.0)
        place.scale(stretch, 1.0);
    if (pathOpen) {
        QPainterPath glyphs;
        glyphs.addText(QPointF(0, 0), f, text);
        path.addPath(place.map(glyphs));
        return;
    }
    if (!canDraw())
        return;
    QPainter& p = *painter;
    p.save();
    p.setTransform(place, true);
    if (bkMode == tbOpaque) {
        const QFontMetricsF fm(f);
        p.fillRect(QRectF(0, -fm.ascent(), fm.horizontalAdvance(text), fm.ascent() + fm.descent()), Qt::white);
    }
    p.setFont(f);
    p.setPen(ToQColor(fontSpec.color));
    p.drawText(QPointF(0, 0), text);
    p.restore();
}

void TCanvasPageEngine::DoStretchBitmap(double x1, double y1, double x2, double y2, const Dib& bitmap)
{
    if (!canDraw())
        return;
    int l = devX(x1), t = devY(y1), r = devX(x2), b = devY(y2);
    const bool mirrorX = r < l, mirrorY = b < t;
    if (mirrorX)
        std::swap(l, r);
    if (mirrorY)
        std::swap(t, b);
    if (r == l || b == t)
        return;
    const QImage& img = bitmap.Image();
    QPainter& p = *painter;
    if (mirrorX || mirrorY)
        p.drawImage(QRectF(l, t, r - l, b - t), img.mirrored(mirrorX, mirrorY));
    else
        p.drawImage(QRectF(l, t, r - l, b - t), img);
}

void TCanvasPageEngine::DoStretchGraphic(const TDeviceRect& rect, const QPicture& graphic)
{
    if (!canDraw())
        return;
    const TDeviceRect r = mapRect(rect);
    const QRect source = graphic.boundingRect();
    if (source.width() <= 0 || source.height() <= 0 || r.Width() == 0 || r.Height() == 0)
        return;
    QPainter& p = *painter;
    p.save();
    p.translate(r.Left, r.Top);
    p.scale(double(r.Width()) / source.width(), double(r.Height()) / source.height());
    p.translate(-source.topLeft());
    ReplayPicture(p, graphic);
    p.restore();
}

void TCanvasPageEngine::DoDrawObject(const TDeviceRect& rect, const QSize& size, const ObjectDrawing& draw)
{
    if (!canDraw())
        return;
    const TDeviceRect r = mapRect(rect);
    if (r.Width() == 0 || r.Height() == 0)
        return;
    QPainter& p = *painter;
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.translate(r.Left, r.Top);
    p.scale(double(r.Width()) / size.width(), double(r.Height()) / size.height());
    draw(p);
    p.restore();
}

void TCanvasPageEngine::DoStretchMetafile(const TDeviceRect& rect, const Metafile& metafile)
{
    if (!canDraw())
        return;
    const TDeviceRect r = mapRect(rect);
    if (r.Width() == 0 || r.Height() == 0)
        return;
    // Played record by record at the device's resolution: lines, fills and
    // text stay vectors.
    metafile.Play(*painter, QRectF(r.Left, r.Top, r.Width(), r.Height()));
}

// ---- Regions and paths -----------------------------------------------------

void TCanvasPageEngine::DoPushRegion(int kind, double x1, double y1, double x2, double y2, double cw, double ch)
{
    int l = devX(x1), t = devY(y1), r = devX(x2), b = devY(y2);
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    regions.append(figurePath(kind, QRectF(l, t, r - l, b - t), devW(cw), devH(ch)));
}

void TCanvasPageEngine::DoPushPolygonRegion(const QPolygon& points)
{
    QPainterPath region;
    region.setFillRule(Qt::WindingFill);
    if (!points.isEmpty()) {
        region.addPolygon(QPolygonF(mapPolygon(points)));
        region.closeSubpath();
    }
    regions.append(region);
}

void TCanvasPageEngine::applyClip()
{
    if (!painter || !painter->isActive())
        return;
    if (blockClip) {
        painter->setClipRect(*blockClip, Qt::ReplaceClip);
        if (clip)
            painter->setClipPath(*clip, Qt::IntersectClip);
    } else if (clip) {
        painter->setClipPath(*clip, Qt::ReplaceClip);
    } else {
        painter->setClipping(false);
    }
}

void TCanvasPageEngine::DoBeginBlockClip(double x1, double y1, double x2, double y2)
{
    int l = devX(x1), t = devY(y1), r = devX(x2), b = devY(y2);
    if (r < l)
        std::swap(l, r);
    if (b < t)
        std::swap(t, b);
    blockClip = QRect(l, t, r - l, b - t);
    applyClip();
}

void TCanvasPageEngine::DoEndBlockClip()
{
    blockClip.reset();
    applyClip();
}

void TCanvasPageEngine::DoSelectTopRegion()
{
    if (regions.isEmpty())
        return;
    clip = regions.last();
    applyClip();
}

void TCanvasPageEngine::DoClearClip()
{
    clip.reset();
    applyClip();
}

void TCanvasPageEngine::DoPopRegion()
{
    if (!regions.isEmpty())
        regions.removeLast();
}

void TCanvasPageEngine::DoBeginPath()
{
    path = QPainterPath();
    pathOpen = true;
    pathReady = false;
}

void TCanvasPageEngine::DoEndPath()
{
    pathOpen = false;
    pathReady = true;
}

void TCanvasPageEngine::DoClipToPath()
{
    if (!pathReady)
        return;
    clip = path;
    path = QPainterPath();
    pathReady = false;
    applyClip();
}

void TCanvasPageEngine::DoStrokePath()
{
    if (!pathReady)
        return;
    const QPainterPath stroked = path;
    path = QPainterPath();
    pathReady = false;
    if (!canDraw())
        return;
    const QPen outline = currentPen();
    if (outline.style() == Qt::NoPen)
        return;
    QPainter& p = *painter;
    setComposition(p);
    p.strokePath(stroked, outline);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace bv
