#include "effects/SuperText.h"

#include "effects/EffectText.h"
#include "effects/SuperTextProperties.h"
#include "pageengine/PageEngine.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/Numeric.h"
#include "surface/BasePanel.h"
#include "surface/DrawingProperties.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <new>

namespace bv {

namespace {
int truncInt(Extended x)
{
    return static_cast<int>(Trunc(x));
}

TRect moved(const TRect& r, QPoint d)
{
    return { r.Left + d.x(), r.Top + d.y(), r.Right + d.x(), r.Bottom + d.y() };
}

// A pen wider than one pixel always draws solid lines.
Qt::PenStyle outlinePenStyle(TPenStyle style, int width)
{
    return width > 1 ? Qt::SolidLine : QtPenStyle(style);
}
} // namespace

const QStringList& TGSuperText::SurfaceTypeNames()
{
    static const QStringList names = { "stNormal", "stBrushTransparent", "stBrushImage", "stGradientFill" };
    return names;
}

TGSuperText::TGSuperText() : TGEffectTextControl(QStringLiteral("Text"))
{
    TFont f;
    f.Name = QStringLiteral("Arial");
    f.SetSize(48);
    f.Bold = true;
    f.Color = clBlack;
    SetLoading(true);
    SetFont(f);
    SetBounds(0, 0, 142, 33);
    SetLoading(false);
    // Through the setter, which builds the gradient for the first time.
    SetFillDirection(gdRight);
}

TGSuperText::~TGSuperText() = default;

const PropertyTable& TGSuperText::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGSuperText& { return static_cast<const TGSuperText&>(o); };
        auto mut = [](TGGraphicControl& o) -> TGSuperText& { return static_cast<TGSuperText&>(o); };
        auto colour = [](const Value& v) { return static_cast<TColor>(expectInt(v)); };
        std::vector<PropertyInfo> own;
        own.push_back({ "ShadowDepth", PropertyKind::Integer, Value::integer(0),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).ShadowDepth()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetShadowDepth(static_cast<int>(expectInt(v))); } });
        own.push_back(EnumProperty("ShadowOrientation", ShadowDirectionNames(), sdDownRight,
            [self](const TGGraphicControl& o) { return int(self(o).ShadowOrientation()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetShadowOrientation(TShadowOrientation(v)); }));
        own.push_back({ "Shadowcolor", PropertyKind::Colour, Value::integer(8421504),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).ShadowColor()); },
            [mut, colour](TGGraphicControl& o, const Value& v) { mut(o).SetShadowColor(colour(v)); } });
        for (PropertyInfo& p : SharedProperties())
            own.push_back(std::move(p));
        for (auto& p : FontProperties("Font",
                 { [](const TGGraphicControl& o) { return o.Font(); },
                     [mut](TGGraphicControl& o, const TFont& f) {
                         o.SetFont(f);
                         mut(o).SetLayoutNeeded();
                     } }))
            own.push_back(p);
        own.push_back(EnumProperty("FillDirection", FillDirectionNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).FillDirection()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetFillDirection(TFillDirection(v)); }));
        own.push_back({ "GradientToColor", PropertyKind::Colour, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::integer(self(o).GradientToColor()); },
            [mut, colour](TGGraphicControl& o, const Value& v) { mut(o).SetGradientToColor(colour(v)); } });
        own.push_back({ "GradientFromColor", PropertyKind::Colour, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::integer(self(o).GradientFromColor()); },
            [mut, colour](TGGraphicControl& o, const Value& v) { mut(o).SetGradientFromColor(colour(v)); } });
        own.push_back({ "Image.Data", PropertyKind::Bitmap, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::binary(self(o).Image().Bytes()); },
            [mut](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::Binary)
                    throw EReadError(QStringLiteral("Invalid property value"));
                try {
                    mut(o).SetImage(v.bytes.isEmpty() ? Dib() : Dib::FromBytes(v.bytes));
                } catch (const EConvertError&) {
                    throw EReadError(QStringLiteral("Invalid property value"));
                }
            } });
        own.push_back({ "OutlineColor", PropertyKind::Colour, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::integer(self(o).OutlineColor()); },
            [mut, colour](TGGraphicControl& o, const Value& v) { mut(o).SetOutlineColor(colour(v)); } });
        own.push_back(EnumProperty("OutlineStyle", PenStyleNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).OutlineStyle()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetOutlineStyle(TPenStyle(v)); }));
        own.push_back({ "OutlineWidth", PropertyKind::Integer, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::integer(self(o).OutlineWidth()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetOutlineWidth(static_cast<int>(expectInt(v))); } });
        own.push_back(EnumProperty("SurfaceType", SurfaceTypeNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).SurfaceType()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetSurfaceType(TSurfaceType(v)); }));
        own.push_back({ "LastBitmapFileNameandPath", PropertyKind::String, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::string(self(o).LastBitmapFileNameandPath()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetLastBitmapFileNameandPath(expectString(v)); } });
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

// --- setters ------------------------------------------------------------------------------

void TGSuperText::recomputeShadowOffset()
{
    if (shadowOrientation < sdNone || shadowOrientation > sdDown)
        return;
    // The stored depth is kept as read; a depth far beyond any card (from a
    // damaged file) is drawn as the largest one that still adds up.
    shadowOffset = ShadowOffsetFor(shadowOrientation, std::clamp(shadowDepth, -MaxShadowDepth, MaxShadowDepth));
}

bool TGSuperText::GradientFits() const
{
    return static_cast<qint64>(Width()) * Height() <= MaxGradientPixels;
}

void TGSuperText::SetShadowDepth(int value)
{
    if (value == shadowDepth)
        return;
    shadowDepth = value;
    recomputeShadowOffset();
    layoutNeeded = true;
    Invalidate();
}

void TGSuperText::SetShadowOrientation(TShadowOrientation value)
{
    if (value == shadowOrientation)
        return;
    shadowOrientation = value;
    recomputeShadowOffset();
    layoutNeeded = true;
    Invalidate();
}

void TGSuperText::SetShadowColor(TColor value)
{
    if (value == shadowColor)
        return;
    shadowColor = value;
    Invalidate();
}

TGradientSpec TGSuperText::gradientSpec() const
{
    TGradientSpec spec;
    spec.BackColor = gradientFromColor;
    spec.ToColor = gradientToColor;
    spec.Direction = fillDirection;
    return spec;
}

void TGSuperText::BuildGradient()
{
    if (GradientFits())
        RenderGradientInto(gradientBitmap, gradientSpec(), Width(), Height());
    else
        gradientBitmap = QImage();
    Invalidate();
}

void TGSuperText::SetFillDirection(TFillDirection value)
{
    if (value == fillDirection)
        return;
    fillDirection = value;
    if (surfaceType == stGradientFill)
        BuildGradient();
    Invalidate();
}

void TGSuperText::SetGradientToColor(TColor value)
{
    if (value == gradientToColor)
        return;
    gradientToColor = value;
    if (surfaceType == stGradientFill)
        BuildGradient();
    Invalidate();
}

void TGSuperText::SetGradientFromColor(TColor value)
{
    if (value == gradientFromColor)
        return;
    gradientFromColor = value;
    NotifyChanged();
    if (surfaceType == stGradientFill)
        BuildGradient();
    Invalidate();
}

void TGSuperText::SetImage(const Dib& value)
{
    image = value;
}

void TGSuperText::SetOutlineColor(TColor value)
{
    if (value == outlineColor)
        return;
    outlineColor = value;
    Invalidate();
}

void TGSuperText::SetOutlineStyle(TPenStyle value)
{
    if (value == outlineStyle)
        return;
    outlineStyle = value;
    Invalidate();
}

void TGSuperText::SetOutlineWidth(int value)
{
    if (value == outlineWidth)
        return;
    outlineWidth = value;
    Invalidate();
}

void TGSuperText::SetSurfaceType(TSurfaceType value)
{
    if (value == surfaceType)
        return;
    surfaceType = value;
    Invalidate();
    if (surfaceType != stBrushImage)
        image = Dib();
    if (surfaceType == stGradientFill)
        BuildGradient();
    // Transparent letters keep a visible outline. A design being read keeps
    // what it stored: its outline style comes before its surface.
    if (surfaceType == stBrushTransparent && outlineStyle == psClear && !IsLoading() && !IsReading())
        SetOutlineStyle(psSolid);
}

// --- layout ------------------------------------------------------------------------------

void TGSuperText::LayoutText()
{
    if (!layoutNeeded || layoutRunning)
        return;
    layoutRunning = true;
    struct Done {
        TGSuperText* t;
        ~Done()
        {
            t->layoutRunning = false;
            t->layoutNeeded = false;
        }
    } done { this };

    // 1. The shadow offset at the current zoom.
    int dx = shadowOffset.x();
    int dy = shadowOffset.y();
    if (Zoom() != 1.0f) {
        dx = truncInt(static_cast<Extended>(dx) * static_cast<Extended>(Zoom()));
        dy = truncInt(static_cast<Extended>(dy) * static_cast<Extended>(Zoom()));
    }
    // 2, 3. The text's extent in the zoomed font.
    const QFontMetrics fm(EffectFont(Font(), Zoom()));
    const int th = fm.height();
    const int tw = fm.horizontalAdvance(ShownText(Font(), caption) + QLatin1Char(' '));
    // 4. Room for a shadow that falls left or up.
    const int sx = dx < 0 ? -dx : 0;
    const int sy = dy < 0 ? -dy : 0;
    // 5.
    if (Width() <= 5)
        SetWidth(tw);
    // 6. A transparent, frameless object shrinks to its text; none is lower
    // than the text and its shadow.
    const int f = th + std::abs(dy);
    if (1.2L * f < Height() && controlTransparent && borderStyle == bsNone)
        SetHeight(truncInt(1.2L * f));
    if (Height() < f)
        SetHeight(f);
    // 7. The text starts 5 pixels in from the left edge.
    textRect = TRect(sx + 5, sy, Width(), th + sy);
    shadowRect = moved(textRect, QPoint(dx, dy));
    // 8.
    textOrigin = QPoint(textRect.Left, textRect.Top);
    shadowOrigin = QPoint(textRect.Left + dx, textRect.Top + dy);
}

QString TGSuperText::FittingText(const QFontMetrics& metrics) const
{
    const int room = Width() - FittingMargin();
    QString s = ShownCaption();
    while (!s.isEmpty() && metrics.horizontalAdvance(ShownText(Font(), s)) > room)
        s.chop(1);
    return s;
}

QPainterPath TGSuperText::LetterPath(const QString& text) const
{
    const QFont font = EffectFont(Font(), Zoom());
    if (!cachedValid || cachedText != text || cachedFont != font) {
        QPainterPath path;
        // The origin is the top-left corner of the text cell.
        path.addText(QPointF(0, QFontMetrics(font).ascent()), font, ShownText(Font(), text));
        cachedPath = path;
        cachedText = text;
        cachedFont = font;
        cachedValid = true;
    }
    return cachedPath;
}

bool TGSuperText::FitToText()
{
    // 2. The text's extent in the font at its own size.
    const QFontMetrics fm(EffectFont(Font(), 1.0f));
    const int cx = fm.horizontalAdvance(ShownText(Font(), caption));
    const int cy = fm.height();
    // 3, 4.
    LayoutText();
    const int c = std::max(textRect.Left, shadowRect.Left);
    const int d = std::max(textRect.Top, shadowRect.Top);
    // 5, 6.
    SetBounds(Left(), Top(), truncInt(c + 1.2L * cx), truncInt(1.2L * (d + cy)));
    if (Height() < cy)
        SetHeight(truncInt(1.5L * cy));
    if (Width() < cx)
        SetWidth(truncInt(1.5L * cx));
    return Height() >= cy && Width() >= cx;
}

void TGSuperText::FitWithin(QSize most)
{
    const Extended z = static_cast<Extended>(Zoom());
    for (int tries = 0; tries < 12; ++tries) {
        SetLayoutNeeded();
        FitToText();
        // FitToText measures the font at its own size; the card shows it zoomed.
        const int w = std::max(1, static_cast<int>(Round(static_cast<Extended>(Width()) * z)));
        const int h = std::max(1, static_cast<int>(Round(static_cast<Extended>(Height()) * z)));
        SetBounds(Left(), Top(), w, h);
        SetLayoutNeeded();
        LayoutText();
        if (w <= most.width() && h <= most.height())
            break;
        TFont f = Font();
        const double scale = std::min(double(most.width()) / w, double(most.height()) / h);
        const int smaller = std::max(6, static_cast<int>(f.Size() * scale * 0.95));
        if (smaller >= f.Size())
            break;
        f.SetSize(smaller);
        SetFont(f);
    }
    Invalidate();
}

// --- painting ------------------------------------------------------------------------------

void TGSuperText::drawLetters(QPainter& canvas, const QString& s)
{
    const QPainterPath letters = LetterPath(s);
    const QPointF at(textOrigin);
    canvas.setRenderHint(QPainter::Antialiasing, true);

    // The shadow: the letters' own shape in one flat colour.
    if (shadowDepth > 0 && shadowOrientation != sdNone)
        canvas.fillPath(letters.translated(QPointF(shadowOrigin)), ToQColor(shadowColor));

    const QPainterPath placed = letters.translated(at);
    switch (surfaceType) {
    case stNormal: canvas.fillPath(placed, ToQColor(Font().Color)); break;
    case stBrushTransparent: break;
    case stBrushImage: {
        // Tiles from the object's top-left corner, scaled by the zoom.
        const QImage& picture = image.Image();
        if (picture.isNull())
            break;
        const QSize tile = ScreenTileSize(picture.size(), Zoom());
        if (tile.width() <= 0 || tile.height() <= 0)
            break;
        if (tileImage.isNull() || tileSize != tile || tileKey != picture.cacheKey()) {
            tileImage = tile == picture.size()
                ? picture
                : picture.scaled(tile, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            tileSize = tile;
            tileKey = picture.cacheKey();
        }
        canvas.save();
        canvas.setClipRect(QRect(0, 0, Width(), Height()), Qt::IntersectClip);
        canvas.setBrushOrigin(0, 0);
        canvas.fillPath(placed, QBrush(tileImage));
        canvas.restore();
        break;
    }
    case stGradientFill: {
        if (GradientFits() && (gradientBitmap.isNull() || gradientBitmap.size() != QSize(Width(), Height())))
            RenderGradientInto(gradientBitmap, gradientSpec(), Width(), Height());
        if (gradientBitmap.isNull())
            break;
        // Drawn once at the object's corner: the ramp spans the whole box.
        canvas.save();
        canvas.setClipRect(QRect(0, 0, Width(), Height()), Qt::IntersectClip);
        canvas.setBrushOrigin(0, 0);
        canvas.fillPath(placed, QBrush(gradientBitmap));
        canvas.restore();
        break;
    }
    }

    if (outlineStyle != psClear && outlineWidth >= 1) {
        const int width = std::min(outlineWidth, MaxOutlineWidth);
        QPen pen(ToQColor(outlineColor), width, outlinePenStyle(outlineStyle, width), Qt::SquareCap,
            Qt::MiterJoin);
        if (width == 1)
            pen.setCosmetic(true);
        canvas.strokePath(placed, pen);
    }
}

void TGSuperText::DrawTo(QPainter& canvas)
{
    if (Width() < 5 || Height() < 5)
        layoutNeeded = true;
    LayoutText();
    const QFont font = EffectFont(Font(), Zoom());

    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    if (!controlTransparent)
        canvas.fillRect(QRect(0, 0, Width(), Height()), ToQColor(bgColor));
    if (borderStyle == bsSingle) {
        canvas.setPen(QPen(Qt::black, 0, Qt::SolidLine));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(QRect(0, 0, Width() - 1, Height() - 1));
    }

    const QString s = FittingText(QFontMetrics(font));
    if (s.isEmpty()) {
        // Nothing fits: a crossed empty box shows where the object is.
        canvas.setPen(QPen(Qt::black, 0, Qt::SolidLine));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(QRect(0, 0, Width() - 1, Height() - 1));
        canvas.drawLine(0, 0, Width(), Height());
        canvas.drawLine(Width(), 0, 0, Height());
    } else {
        drawLetters(canvas, s);
    }
    canvas.restore();
}

void TGSuperText::PrintTo(TPageEngine& report, double left, double top)
{
    if (Width() < 1 || Height() < 1)
        return;
    const double P = ScreenPpi();
    const double resX = report.ResolutionX();
    const double resY = report.ResolutionY();

    // 2. A fresh layout, and what fits of the caption on the screen.
    layoutNeeded = true;
    LayoutText();
    const QFont screenFont = EffectFont(Font(), Zoom());
    const QFontMetrics fm(screenFont);

    // 3. The engine font at the font's own size.
    report.SetFont(screenFont.family(), Font().Size());
    report.SetBold(Font().Bold);
    report.SetItalic(Font().Italic);
    report.SetUnderline(Font().Underline);

    // 4. Background box.
    if (!controlTransparent || borderStyle == bsSingle) {
        report.SetBrush(bgColor, controlTransparent ? PageStyle::bsClear : PageStyle::bsSolid);
        report.SetPen(clBlack, borderStyle == bsSingle ? PageStyle::psSolid : PageStyle::psClear, 1,
            PageStyle::pmCopy);
        report.Rectangle(left + Left() / P, top + Top() / P, left + (Left() + Width()) / P,
            top + (Top() + Height()) / P);
    }

    // 5.
    report.SetBrush(clWhite, PageStyle::bsClear);
    const QString s = FittingText(fm);
    if (s.isEmpty())
        return;
    const QString shown = ShownText(Font(), s);

    // 6. The baseline lies one ascent below the top of the text cell, as on
    // the screen, so the letters land where the screen shows them.
    const double ascent = fm.ascent() / P;
    auto printAt = [&](QPoint origin) {
        report.GotoXY(left + (Left() + origin.x()) / P, top + (Top() + origin.y()) / P + ascent);
        report.PrintText(shown);
    };
    const int oldMode = report.TextBKMode();
    report.SetTextBKMode(tbTransparent);

    // 7. Shadow.
    if (shadowDepth > 0 && shadowOrientation != sdNone) {
        report.SetFontColor(shadowColor);
        printAt(shadowOrigin);
    }

    // 8. The object's area in device pixels.
    report.SetFontColor(Font().Color);
    const TDeviceRect area = report.InchRectToDevice(left + Left() / P - 0.03, top + Top() / P - 0.03,
        left + (Left() + Width()) / P, top + (Top() + Height()) / P);

    // 9. Letters clipped to their own outlines.
    if (surfaceType != stBrushTransparent) {
        report.BeginPath();
        printAt(textOrigin);
        report.EndPath();
        report.ClipToPath();
        switch (surfaceType) {
        case stNormal:
            report.SetBrush(Font().Color, PageStyle::bsSolid);
            report.FillDeviceRect(area);
            break;
        case stBrushImage: {
            TPrintSurfaceArea surface;
            surface.Left = area.Left;
            surface.Top = area.Top;
            surface.Right = area.Right;
            surface.Bottom = area.Bottom;
            surface.ScaleX = resX / P;
            surface.ScaleY = resY / P;
            PrintTiles(report, image, surface, false, report.OffsetLeft(), report.OffsetTop());
            break;
        }
        case stGradientFill: {
            // The ramp spans the object's box, as GradientBitmap does on the
            // screen, so each letter prints in the colours the screen shows.
            const TDeviceRect box = report.InchRectToDevice(left + Left() / P, top + Top() / P,
                left + (Left() + Width()) / P, top + (Top() + Height()) / P);
            PrintGradientBands(report, gradientSpec(), box.Width(), box.Height(), box.Left, box.Top);
            break;
        }
        case stBrushTransparent: break;
        }
        report.ClearClip();
    }

    // 10. Outline.
    if (outlineStyle != psClear && outlineWidth > 0) {
        report.SetBrush(clWhite, PageStyle::bsClear);
        const int width = std::min(outlineWidth, MaxOutlineWidth);
        report.SetPen(outlineColor, width > 1 ? PageStyle::psSolid : int(outlineStyle), -width, PageStyle::pmCopy);
        report.BeginPath();
        printAt(textOrigin);
        report.EndPath();
        report.StrokePath();
    }
    report.SetTextBKMode(oldMode);
}

// --- other operations ----------------------------------------------------------------------

void TGSuperText::BoundsChanged()
{
    TGGraphicControl::BoundsChanged();
    layoutNeeded = true;
    if (Width() < 1 || Height() < 1)
        SetBounds(Left(), Top(), std::max(1, Width()), std::max(1, Height()));
    if (surfaceType == stGradientFill && gradientBitmap.size() != QSize(Width(), Height()))
        BuildGradient();
}

void TGSuperText::ApplyFont(const TFont& font)
{
    SetFont(font);
    layoutNeeded = true;
    Invalidate();
}

void TGSuperText::FontChosen()
{
    layoutNeeded = true;
    Invalidate();
}

void TGSuperText::FontChanged()
{
    layoutNeeded = true;
    TGGraphicControl::FontChanged();
}

void TGSuperText::CopyTextSettings(const TGSuperText& other)
{
    SetCaption(other.caption);
    SetFont(other.Font());
    layoutNeeded = true;
    SetControlTransparent(other.controlTransparent);
    SetBGColor(other.bgColor);
    SetBorderStyle(other.borderStyle);
    SetGradientFromColor(other.gradientFromColor);
    SetFillDirection(other.fillDirection);
    SetGradientToColor(other.gradientToColor);
    SetImage(other.image);
    SetOutlineColor(other.outlineColor);
    SetOutlineStyle(other.outlineStyle);
    SetOutlineWidth(other.outlineWidth);
    SetShadowColor(other.shadowColor);
    SetShadowDepth(other.shadowDepth);
    SetShadowOrientation(other.shadowOrientation);
    // The surface setter empties the texture of any other surface; the
    // texture copied above survives only with the texture surface.
    SetSurfaceType(other.surfaceType);
    if (surfaceType == stBrushImage)
        SetImage(other.image);
    SetWidth(other.Width());
    SetHeight(other.Height());
}

void TGSuperText::Loaded()
{
    TGGraphicControl::Loaded();
    if (surfaceType == stGradientFill) {
        try {
            BuildGradient();
        } catch (const std::bad_alloc&) {
            // A gradient too large for memory leaves the letters unfilled.
        }
    }
}

bool TGSuperText::EditProperties()
{
    TSuperTextProperties dialog;
    dialog.Sample()->CopyTextSettings(*this);
    dialog.SetLastTexturePath(lastBitmapPath);
    dialog.ShowSampleValues();
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    const TGSuperText& s = *dialog.Sample();
    SetGradientFromColor(s.gradientFromColor);
    SetFillDirection(s.fillDirection);
    SetGradientToColor(s.gradientToColor);
    SetImage(s.image);
    SetOutlineColor(s.outlineColor);
    SetOutlineStyle(s.outlineStyle);
    SetOutlineWidth(s.outlineWidth);
    SetShadowColor(s.shadowColor);
    SetShadowDepth(s.shadowDepth);
    SetShadowOrientation(s.shadowOrientation);
    SetSurfaceType(s.surfaceType);
    if (surfaceType == stBrushImage)
        SetImage(s.image);
    lastBitmapPath = dialog.LastTexturePath();
    TFont f = s.Font();
    SetFont(f);
    layoutNeeded = true;
    SetCaption(s.caption);
    if (surfaceType == stGradientFill)
        BuildGradient();
    LayoutText();
    Invalidate();
    NotifyChanged();
    return true;
}

} // namespace bv
