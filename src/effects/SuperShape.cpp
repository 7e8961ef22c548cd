#include "effects/SuperShape.h"
#include "platform/Checked.h"

#include "effects/SuperShapeProperties.h"
#include "pageengine/PageEngine.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/DrawingProperties.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace bv {

const QStringList& GPShapeTypeNames()
{
    static const QStringList names = { "gstRectangle", "gstRoundRect", "gstEllipse", "gstDiamond", "gstStar",
        "gstTriangleLeft", "gstTriangleRight", "gstTriangleUp", "gstTriangleDown", "gstPolyGon" };
    return names;
}

const QStringList& SuperShapeSurfaceNames()
{
    static const QStringList names = { "stBrushTransparent", "stBrushPattern", "stBrushImage", "stGradientFill" };
    return names;
}

const QStringList& ShadowOrientNames()
{
    static const QStringList names = { "soNone", "soLowerRight", "soUpperRight", "soUpperLeft", "soLowerLeft" };
    return names;
}

TSuperShape::TSuperShape()
{
    SetBounds(0, 0, 25, 25);
}

TSuperShape::~TSuperShape() = default;

const PropertyTable& TSuperShape::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TSuperShape& {
            return static_cast<const TSuperShape&>(o);
        };
        auto mut = [](TGGraphicControl& o) -> TSuperShape& { return static_cast<TSuperShape&>(o); };
        auto colour = [self, mut](const char* name, TColor (TSuperShape::*get)() const,
                          void (TSuperShape::*set)(TColor)) -> PropertyInfo {
            return { name, PropertyKind::Colour, std::nullopt,
                [self, get](const TGGraphicControl& o) { return Value::integer((self(o).*get)()); },
                [mut, set](TGGraphicControl& o, const Value& v) {
                    (mut(o).*set)(static_cast<TColor>(expectInt(v)));
                } };
        };
        auto integer = [self, mut](const char* name, int (TSuperShape::*get)() const,
                           void (TSuperShape::*set)(int)) -> PropertyInfo {
            return { name, PropertyKind::Integer, std::nullopt,
                [self, get](const TGGraphicControl& o) { return Value::integer((self(o).*get)()); },
                [mut, set](TGGraphicControl& o, const Value& v) {
                    (mut(o).*set)(static_cast<int>(expectInt(v)));
                } };
        };
        std::vector<PropertyInfo> own;
        own.push_back(colour("BackColor", &TSuperShape::BackColor, &TSuperShape::SetBackColor));
        own.push_back(EnumProperty("FillDirection", FillDirectionNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).FillDirection()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetFillDirection(TFillDirection(v)); }));
        own.push_back(colour("ForeColor", &TSuperShape::ForeColor, &TSuperShape::SetForeColor));
        own.push_back(colour("GradientToColor", &TSuperShape::GradientToColor, &TSuperShape::SetGradientToColor));
        own.push_back({ "Image.Data", PropertyKind::Bitmap, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::binary(self(o).Image().Bytes()); },
            [mut](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::Binary)
                    throw EReadError(QStringLiteral("Invalid property value"));
                mut(o).SetImage(v.bytes.isEmpty() ? Dib() : Dib::FromBytes(v.bytes));
            } });
        own.push_back(integer("InVectorPercent", &TSuperShape::InVectorPercent, &TSuperShape::SetInVectorPercent));
        own.push_back(colour("OutlineColor", &TSuperShape::OutlineColor, &TSuperShape::SetOutlineColor));
        own.push_back(EnumProperty("OutlineStyle", PenStyleNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).OutlineStyle()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetOutlineStyle(TPenStyle(v)); }));
        own.push_back(integer("OutlineWidth", &TSuperShape::OutlineWidth, &TSuperShape::SetOutlineWidth));
        own.push_back(EnumProperty("Pattern", BrushStyleNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).Pattern()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetPattern(TBrushStyle(v)); }));
        own.push_back(integer("RoundPerc", &TSuperShape::RoundPerc, &TSuperShape::SetRoundPerc));
        own.push_back(colour("ShadowColor", &TSuperShape::ShadowColor, &TSuperShape::SetShadowColor));
        own.push_back(integer("ShadowDepth", &TSuperShape::ShadowDepth, &TSuperShape::SetShadowDepth));
        own.push_back(EnumProperty("ShadowOrient", ShadowOrientNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).ShadowOrient()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetShadowOrient(TShadowOrient(v)); }));
        own.push_back(EnumProperty("Shape", GPShapeTypeNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).Shape()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetShape(TGPShapeType(v)); }));
        own.push_back(integer("StartingAngle", &TSuperShape::StartingAngle, &TSuperShape::SetStartingAngle));
        own.push_back(EnumProperty("SurfaceType", SuperShapeSurfaceNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).SurfaceType()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetSurfaceType(TSurfaceType(v)); }));
        own.push_back(integer("Vectors", &TSuperShape::Vectors, &TSuperShape::SetVectors));
        own.push_back({ "LastBitmapFileNameandPath", PropertyKind::String, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::string(self(o).LastBitmapFileNameandPath()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetLastBitmapFileNameandPath(expectString(v)); } });
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

// --- setters -----------------------------------------------------------------------

void TSuperShape::SetBackColor(TColor value)
{
    if (value == backColor)
        return;
    backColor = value;
    if (surfaceType == stGradientFill)
        buildGradient();
    if (surfaceType == stBrushPattern)
        buildSolid();
    Invalidate();
}

void TSuperShape::SetFillDirection(TFillDirection value)
{
    if (value == fillDirection)
        return;
    fillDirection = value;
    if (surfaceType == stGradientFill)
        buildGradient();
    Invalidate();
}

void TSuperShape::SetForeColor(TColor value)
{
    if (value == foreColor)
        return;
    foreColor = value;
    Invalidate();
}

void TSuperShape::SetGradientToColor(TColor value)
{
    if (value == gradientToColor)
        return;
    gradientToColor = value;
    if (surfaceType == stGradientFill)
        buildGradient();
    Invalidate();
}

void TSuperShape::SetImage(const Dib& value)
{
    image = value;
}

void TSuperShape::SetInVectorPercent(int value)
{
    if (value == inVectorPercent || value < 0 || value > 100)
        return;
    inVectorPercent = value;
    Invalidate();
}

void TSuperShape::SetOutlineColor(TColor value)
{
    if (value == outlineColor)
        return;
    outlineColor = value;
    Invalidate();
}

void TSuperShape::SetOutlineStyle(TPenStyle value)
{
    if (value == outlineStyle)
        return;
    outlineStyle = value;
    Invalidate();
}

void TSuperShape::SetOutlineWidth(int value)
{
    if (value == outlineWidth)
        return;
    outlineWidth = value;
    Invalidate();
}

void TSuperShape::SetPattern(TBrushStyle value)
{
    if (value == pattern)
        return;
    pattern = value;
    Invalidate();
}

void TSuperShape::SetRoundPerc(int value)
{
    if (value == roundPerc)
        return;
    roundPerc = value;
    Invalidate();
}

void TSuperShape::SetShadowColor(TColor value)
{
    if (value == shadowColor)
        return;
    shadowColor = value;
    Invalidate();
}

void TSuperShape::SetShadowDepth(int value)
{
    if (value == shadowDepth)
        return;
    // A file holds what was accepted when it was saved; reading it back must
    // not depend on which size happens to be set first.
    if (!IsReading() && !IsLoading() && (shadowDepth > Width() / 2 || shadowDepth > Height() / 2))
        return;
    shadowDepth = value;
    Invalidate();
}

void TSuperShape::SetShadowOrient(TShadowOrient value)
{
    if (value == shadowOrient || int(value) < soNone || int(value) > soLowerLeft)
        return;
    shadowOrient = value;
    Invalidate();
}

void TSuperShape::SetShape(TGPShapeType value)
{
    if (value == shape)
        return;
    shape = value;
    if (value == gstStar) {
        if (inVectorPercent == 0)
            SetInVectorPercent(50);
        if (vectors < 10)
            SetVectors(10);
        if (startingAngle != 90)
            SetStartingAngle(90);
    }
    Invalidate();
}

void TSuperShape::SetStartingAngle(int value)
{
    if (value == startingAngle || value < 0 || value > 359)
        return;
    startingAngle = value;
    Invalidate();
}

void TSuperShape::SetSurfaceType(TSurfaceType value)
{
    if (value == surfaceType)
        return;
    surfaceType = value;
    Invalidate();
    // A design being read already holds the texture, shadow and outline that
    // were saved with this surface; only the caches follow.
    const bool reading = IsReading() || IsLoading();
    if (value != stBrushImage && !reading)
        image = Dib();
    if (value == stGradientFill)
        buildGradient();
    if (value == stBrushPattern)
        buildSolid();
    if (value == stBrushTransparent && !reading) {
        shadowOrient = soNone;
        pattern = bsClear;
        if (outlineStyle == psClear)
            SetOutlineStyle(psSolid);
    }
}

void TSuperShape::SetVectors(int value)
{
    if (value == vectors || value < 3 || value > 60)
        return;
    vectors = value;
    Invalidate();
}

void TSuperShape::TakeSettingsFrom(const TSuperShape& o)
{
    SetBackColor(o.BackColor());
    SetFillDirection(o.FillDirection());
    SetForeColor(o.ForeColor());
    SetGradientToColor(o.GradientToColor());
    SetImage(o.Image());
    SetInVectorPercent(o.InVectorPercent());
    SetOutlineColor(o.OutlineColor());
    SetOutlineStyle(o.OutlineStyle());
    SetOutlineWidth(o.OutlineWidth());
    SetPattern(o.Pattern());
    SetRoundPerc(o.RoundPerc());
    SetShadowColor(o.ShadowColor());
    SetShadowDepth(o.ShadowDepth());
    SetShadowOrient(o.ShadowOrient());
    SetShape(o.Shape());
    SetStartingAngle(o.StartingAngle());
    SetSurfaceType(o.SurfaceType());
    SetVectors(o.Vectors());
}

void TSuperShape::CopyShapeSettings(const TSuperShape& o)
{
    TakeSettingsFrom(o);
    SetWidth(o.Width());
    SetHeight(o.Height());
}

// --- caches ----------------------------------------------------------------------------

void TSuperShape::buildGradient()
{
    RenderGradientInto(gradientBitmap, { backColor, gradientToColor, fillDirection }, Width(), Height());
    gradientSize = QSize(Width(), Height());
    ++gradientBuilds;
    Invalidate();
}

void TSuperShape::buildSolid()
{
    if (!SurfaceSizeAllowed(Width(), Height())) {
        solidBitmap = QImage();
    } else {
        if (solidBitmap.size() != QSize(Width(), Height()))
            solidBitmap = QImage(Width(), Height(), QImage::Format_RGB32);
        solidBitmap.fill(ToQColor(PlainColor(backColor)));
    }
    ++solidBuilds;
}

void TSuperShape::BoundsChanged()
{
    // The gradient spans the object's box: a new size needs new bands.
    if (surfaceType == stGradientFill && gradientSize != QSize(Width(), Height()))
        buildGradient();
    TGGraphicControl::BoundsChanged();
}

// --- geometry ------------------------------------------------------------------------------

// A design may hold any 32-bit outline width and shadow depth. Beyond the
// object's own width plus height neither changes a pixel inside the object
// (the figure has left its box), so the figure is worked out with them held
// to that much: no sum below can overflow, and a pen of 65,537 pixels is not
// stroked around a polygon of that size.
int TSuperShape::figureLimit() const
{
    return checked::Length(std::int64_t(Width()) + Height() + 2);
}

int TSuperShape::DrawnOutlineWidth() const
{
    return checked::Clamp(outlineWidth, 0, figureLimit());
}

int TSuperShape::ShadowDepthPixels() const
{
    const int limit = figureLimit();
    if (Zoom() == 1.0f)
        return checked::Clamp(shadowDepth, -limit, limit);
    return checked::Clamp(checked::SaturateReal(Trunc(Extended(shadowDepth) * Extended(Zoom()))), -limit, limit);
}

TRect TSuperShape::BodyRect() const
{
    const int outline = DrawnOutlineWidth();
    const int h = outline / 2;
    const int w1 = Width() - outline + 1;
    const int h1 = Height() - outline + 1;
    const int d = ShadowDepthPixels();
    const bool diamond = shape == gstDiamond;
    switch (shadowOrient) {
    case soNone: return { h, h, w1, h1 };
    case soLowerRight: return diamond ? TRect(h, h, w1 - d, h1) : TRect(h, h, w1 - d, h1 - d);
    case soUpperRight: return diamond ? TRect(h, h, w1 - d, h1) : TRect(h, h + d, w1 - d, h1);
    case soUpperLeft: return diamond ? TRect(h + d, h, w1, h1) : TRect(h + d, h + d, w1, h1);
    case soLowerLeft: return diamond ? TRect(h + d, h, w1, h1) : TRect(h + d, h, w1, h1 - d);
    }
    return { h, h, w1, h1 };
}

std::optional<TRect> TSuperShape::ShadowRect() const
{
    const int outline = DrawnOutlineWidth();
    const int h = outline / 2;
    const int w1 = Width() - outline + 1;
    const int h1 = Height() - outline + 1;
    const int d = ShadowDepthPixels();
    const bool diamond = shape == gstDiamond;
    switch (shadowOrient) {
    case soNone: return std::nullopt;
    case soLowerRight: return diamond ? TRect(h + d, h, w1, h1) : TRect(h + d, h + d, w1, h1);
    case soUpperRight: return diamond ? TRect(h + d, h, w1, h1) : TRect(h + d, h, w1, h1 - d);
    case soUpperLeft: return diamond ? TRect(h, h, w1 - d, h1) : TRect(h, h, w1 - d, h1 - d);
    case soLowerLeft: return diamond ? TRect(h, h, w1 - d, h1) : TRect(h, h + d, w1 - d, h1);
    }
    return std::nullopt;
}

int TSuperShape::CornerSize() const
{
    // Any stored percentage: the corner is held to the coordinate range.
    return checked::Coordinate(
        checked::SaturateReal(Trunc(Extended(std::max(Width(), Height())) * roundPerc * 0.01L)));
}

bool TSuperShape::IsPolygonKind(TGPShapeType kind)
{
    return kind != gstRectangle && kind != gstRoundRect && kind != gstEllipse;
}

QPolygon TSuperShape::StarPoints(const TRect& r, int vectors, int inVectorPercent, int startingAngle)
{
    const int w = r.Width();
    const int t = r.Height();
    const int cx = r.Left + w / 2;
    const int cy = r.Top + t / 2;
    const int r0 = std::min(w / 2, t / 2) - 4;
    const Extended f = (100 - inVectorPercent) * 0.01L;
    QPolygon points;
    if (vectors < 1)
        return points;
    points.reserve(vectors);
    const Extended pi = std::numbers::pi_v<long double>;
    for (int i = 0; i < vectors; ++i) {
        const double a = double((360.0L / vectors * i - startingAngle) * pi / 180.0L);
        const Extended radius = (i % 2 == 0) ? Extended(r0) : r0 * f;
        points << QPoint(cx + int(Round(std::cos(Extended(a)) * radius)),
            cy + int(Round(std::sin(Extended(a)) * radius)));
    }
    return points;
}

QPolygon TSuperShape::FigurePolygon(TGPShapeType kind, const TRect& r, int vectors, int inVectorPercent,
    int startingAngle)
{
    const int L = r.Left, T = r.Top, w = r.Width(), t = r.Height();
    switch (kind) {
    case gstDiamond:
        return QPolygon({ QPoint(L + w / 2, T), QPoint(L + w - 1, T + t / 2), QPoint(L + w / 2, T + t - 1),
            QPoint(L, T + t / 2) });
    case gstTriangleLeft:
        return QPolygon({ QPoint(L + w - 1, T), QPoint(L + w - 1, T + t - 1), QPoint(L, T + t / 2) });
    case gstTriangleRight:
        return QPolygon({ QPoint(L, T), QPoint(L + w - 1, T + t / 2), QPoint(L, T + t - 1) });
    case gstTriangleUp:
        return QPolygon({ QPoint(L + w / 2, T), QPoint(L, T + t - 1), QPoint(L + w - 1, T + t - 1) });
    case gstTriangleDown:
        return QPolygon({ QPoint(L, T), QPoint(L + w / 2, T + t - 1), QPoint(L + w - 1, T) });
    case gstStar:
    case gstPolyGon: return StarPoints(r, vectors, inVectorPercent, startingAngle);
    default: return {};
    }
}

QPolygon TSuperShape::FigurePolygon(const TRect& r) const
{
    return FigurePolygon(shape, r, vectors, inVectorPercent, startingAngle);
}

QRegion TSuperShape::FigureRegion(const TRect& r) const
{
    return figureRegion(r, IsPolygonKind() ? FigurePolygon(r) : QPolygon());
}

QRegion TSuperShape::figureRegion(const TRect& r, const QPolygon& polygon) const
{
    const QRect box = r.ToQRect();
    switch (shape) {
    case gstRectangle: return QRegion(box);
    case gstEllipse: return QRegion(box, QRegion::Ellipse);
    case gstRoundRect: {
        const int c = CornerSize();
        QPainterPath path;
        path.addRoundedRect(QRectF(box), c / 2.0, c / 2.0);
        return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
    }
    default: return QRegion(polygon, Qt::WindingFill);
    }
}

// --- painting ----------------------------------------------------------------------------------

void TSuperShape::drawFigure(QPainter& p, const TRect& r, const QPolygon& polygon) const
{
    // Right and bottom edges are excluded, as the figure's pixels are counted.
    const QRectF box(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
    switch (shape) {
    case gstRectangle: p.drawRect(box); break;
    case gstRoundRect: {
        const qreal c = CornerSize() / 2.0;
        p.drawRoundedRect(box, c, c);
        break;
    }
    case gstEllipse: p.drawEllipse(box); break;
    default: p.drawPolygon(polygon, Qt::WindingFill); break;
    }
}

void TSuperShape::paintSurface(QPainter& p)
{
    const QImage* source = nullptr;
    QSize tile;
    switch (surfaceType) {
    case stBrushPattern:
        source = &solidBitmap;
        tile = solidBitmap.size();
        break;
    case stBrushImage:
        source = &image.Image();
        tile = ScreenTileSize(source->size(), Zoom());
        break;
    case stGradientFill:
        source = &gradientBitmap;
        tile = gradientBitmap.size();
        break;
    case stBrushTransparent: return;
    }
    if (!source || source->isNull())
        return;
    TileOnCanvas(p, *source, tile, Width(), Height());
}

namespace {
Qt::PenStyle qtPenStyle(TPenStyle style, int width)
{
    // Dashes and dots exist only for thin pens; wider ones are solid.
    if (width > 1 && style != psClear)
        return Qt::SolidLine;
    switch (style) {
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}
} // namespace

void TSuperShape::Paint()
{
    if (QPainter* c = DrawCanvas())
        DrawTo(*c);
    if (DrawingOnOwnCanvas()) {
        DrawSelectionSquares();
        TGGraphicControl::BoundsChanged();
    }
}

void TSuperShape::DrawTo(QPainter& canvas)
{
    QPainter* c = &canvas;
    c->save();
    c->setRenderHint(QPainter::Antialiasing, false);
    if (surfaceType == stBrushPattern && solidBitmap.isNull())
        buildSolid();
    if (surfaceType == stGradientFill && gradientSize != QSize(Width(), Height()))
        buildGradient();
    // The figure is worked out once: the shadow is the body moved.
    const TRect body = BodyRect();
    const QPolygon bodyPolygon = IsPolygonKind() ? FigurePolygon(body) : QPolygon();
    if (const auto shadow = ShadowRect()) {
        c->setBrush(QBrush(ToQColor(shadowColor)));
        c->setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        drawFigure(*c, *shadow, bodyPolygon.translated(shadow->Left - body.Left, shadow->Top - body.Top));
    }
    if (surfaceType != stBrushTransparent) {
        // The clip region lives only for this paint.
        c->save();
        c->setClipRegion(figureRegion(body, bodyPolygon), Qt::IntersectClip);
        paintSurface(*c);
        c->restore();
    }
    if (outlineStyle != psClear) {
        c->setBrush(Qt::NoBrush);
        // Wide pens have round joins and ends; at width 2 they cover the
        // same pixels as mitred ones, which cost far less to work out.
        const int outline = DrawnOutlineWidth();
        const bool round = outline > 2;
        QPen pen(ToQColor(outlineColor), outline, qtPenStyle(outlineStyle, outline),
            round ? Qt::RoundCap : Qt::SquareCap, round ? Qt::RoundJoin : Qt::MiterJoin);
        c->setPen(pen);
        drawFigure(*c, body, bodyPolygon);
    }
    c->restore();
}

// --- printing ---------------------------------------------------------------------------------

namespace {
// 2 to the power of the display's bits per pixel; 256 when it cannot be read.
int screenColourCount()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int bits = screen ? screen->depth() : 0;
    if (bits <= 0)
        return 256;
    return bits >= 31 ? std::numeric_limits<int>::max() : 1 << bits;
}
// A figure's points (object pixels) on the page device: scaled by the
// device's pixels per screen pixel, truncated, then moved to the card's
// origin on the page.
QPolygon toPageDevice(QPolygon points, int left, int top, Single sx, Single sy, int dx, int dy)
{
    for (QPoint& p : points)
        p = QPoint(int(Trunc(Extended(left + p.x()) * Extended(sx))) + dx,
            int(Trunc(Extended(top + p.y()) * Extended(sy))) + dy);
    return points;
}

} // namespace

void TSuperShape::printFigure(TPageEngine& report, const TRect& r, double ppi, double left, double top, Single sx,
    Single sy, int originX, int originY, int pageX, int pageY) const
{
    figureOnPage(report, false, r, ppi, left, top, sx, sy, originX - pageX, originY - pageY);
}

void TSuperShape::pushFigureRegion(TPageEngine& report, const TRect& r, double ppi, double left, double top,
    Single sx, Single sy, int originX, int originY, int pageX, int pageY) const
{
    figureOnPage(report, true, r, ppi, left, top, sx, sy, originX - pageX, originY - pageY);
}

// The figure in inches (rectangles, ellipses, round rectangles) or in device
// pixels (polygons), drawn or pushed as a clip region: both must cover the
// same place, so one piece of code places it for both.
void TSuperShape::figureOnPage(TPageEngine& report, bool asRegion, const TRect& r, double ppi, double left,
    double top, Single sx, Single sy, int dx, int dy) const
{
    const double x1 = (r.Left + Left()) / ppi + left;
    const double y1 = (r.Top + Top()) / ppi + top;
    const double x2 = (r.Right + Left()) / ppi + left;
    const double y2 = (r.Bottom + Top()) / ppi + top;
    switch (shape) {
    case gstRectangle:
        asRegion ? report.PushRectRegion(x1, y1, x2, y2) : report.Rectangle(x1, y1, x2, y2);
        break;
    case gstEllipse:
        asRegion ? report.PushEllipseRegion(x1, y1, x2, y2) : report.Ellipse(x1, y1, x2, y2);
        break;
    case gstRoundRect: {
        const double c = CornerSize() / ppi;
        asRegion ? report.PushRoundRectRegion(x1, y1, x2, y2, c, c) : report.RoundRect(x1, y1, x2, y2, c, c);
        break;
    }
    default: {
        const QPolygon device = toPageDevice(FigurePolygon(r), Left(), Top(), sx, sy, dx, dy);
        asRegion ? report.PushPolygonRegion(device) : report.Polygon(device);
        break;
    }
    }
}

void TSuperShape::PrintTo(TPageEngine& report, double left, double top)
{
    const double ppi = ScreenPpi();
    const int colours = screenColourCount();
    const double resX = report.ResolutionX();
    const double resY = report.ResolutionY();
    const Single sx = ToSingle(resX / ppi);
    const Single sy = ToSingle(resY / ppi);
    const int pageX = int(Trunc(report.OffsetLeft() * resX));
    const int pageY = int(Trunc(report.OffsetTop() * resY));
    const int originX = int(Trunc(resX * Extended(ToSingle(left))));
    const int originY = int(Trunc(resY * Extended(ToSingle(top))));
    if (surfaceType == stBrushPattern && solidBitmap.isNull())
        buildSolid();
    if (surfaceType == stGradientFill && gradientSize != QSize(Width(), Height()))
        buildGradient();

    if (const auto shadow = ShadowRect()) {
        report.SetBrush(shadowColor, PageStyle::bsSolid);
        report.SetPen(clBlack, PageStyle::psSolid, -1, PageStyle::pmCopy);
        printFigure(report, *shadow, ppi, left, top, sx, sy, originX, originY, pageX, pageY);
    }

    const TRect body = BodyRect();
    if (surfaceType != stBrushTransparent) {
        TPrintSurfaceArea area;
        area.Left = int(Trunc(Extended(Left()) * Extended(sx))) + originX;
        area.Top = int(Trunc(Extended(Top()) * Extended(sy))) + originY;
        area.Right = area.Left + int(Round(Extended(Width()) * Extended(sx)));
        area.Bottom = area.Top + int(Round(Extended(Height()) * Extended(sy)));
        area.ScaleX = sx;
        area.ScaleY = sy;
        const bool compose = Parent() && Parent()->PreviewMode() && colours <= 256;
        pushFigureRegion(report, body, ppi, left, top, sx, sy, originX, originY, pageX, pageY);
        report.SelectTopRegion();
        switch (surfaceType) {
        case stBrushPattern:
            if (!solidBitmap.isNull())
                PrintTiles(report, Dib::FromImage(solidBitmap), area, compose);
            break;
        case stBrushImage: PrintTiles(report, image, area, compose); break;
        case stGradientFill:
            // The bands span the object's own area, as GradientBitmap spans
            // the object on screen, so a point prints in the colour the
            // screen shows there.
            PrintGradientBands(report, { backColor, gradientToColor, fillDirection }, area.Right - area.Left,
                area.Bottom - area.Top, area.Left - pageX, area.Top - pageY);
            break;
        case stBrushTransparent: break;
        }
        report.ClearClip();
        report.PopRegion();
    }

    report.SetBrush(clWhite, PageStyle::bsClear);
    report.SetPen(outlineColor, int(outlineStyle), -DrawnOutlineWidth(), PageStyle::pmCopy);
    printFigure(report, body, ppi, left, top, sx, sy, originX, originY, pageX, pageY);
}

// --- menu, dialog and registration ----------------------------------------------------------------

void TSuperShape::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Properties"), [this] { EditProperties(); });
}

bool TSuperShape::EditProperties()
{
    TSuperShapeProperties dialog(*this);
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    TakeSettingsFrom(*dialog.Sample());
    SetLastBitmapFileNameandPath(dialog.LastTexturePath());
    NotifyChanged();
    Invalidate();
    return true;
}

void RegisterSuperShapeClasses()
{
    RegisterObjectKind({
        .classes = { { QStringLiteral("TSuperShape"), [] { return new TSuperShape; } } },
        .tools = { { .state = psSuperShape, .button = "DrawSupershape",
            .hint = QStringLiteral("Supershape tool \nMulti-purpose shapes and surfaces"),
            .menuCaption = QStringLiteral("Su&perShape..."), .iconName = QStringLiteral("supershape"), .group = 4,
            .order = 90,
            .create =
                [](TGBusinessCardPanel32& panel, const TRect& r) {
                    auto* shape = new TSuperShape;
                    shape->Loaded();
                    // A band too thin for a figure (a click gives 50 x 15) becomes a
                    // square on its longer side, so that stars and the like show.
                    TRect band = r;
                    const int w = r.Right - r.Left;
                    const int h = r.Bottom - r.Top;
                    if (std::min(w, h) < 30) {
                        const int side = std::max(w, h);
                        band = TRect(r.Left, r.Top, r.Left + side, r.Top + side);
                    }
                    panel.AddObject(shape, band);
                    panel.KeepInCard(*shape);
                    panel.SetPanelState(psPointing);
                    shape->EditProperties();
                } } },
    });
}

} // namespace bv
