#include "objects/BaseLabel.h"

#include "platform/Checked.h"

#include "objects/Font3DEffects.h"
#include "pageengine/PageEngine.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "surface/BasePanel.h"
#include "surface/BusinessCardPanel.h"
#include "surface/MergeFields.h"
#include "surface/DrawingProperties.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace bv {

const QStringList& AlignmentNames()
{
    static const QStringList names = { "taLeftJustify", "taRightJustify", "taCenter" };
    return names;
}

const QStringList& HighlightDirectionNames()
{
    static const QStringList names = { "hdNone", "hdright", "hdLeft", "hdUpRight", "hdUpLeft", "hdUp" };
    return names;
}

const QStringList& ShadowDirectionNames()
{
    static const QStringList names = { "sdNone", "sdRight", "sdLeft", "sdDownRight", "sdDownLeft", "sdDown" };
    return names;
}

const QStringList& BorderStyleNames()
{
    static const QStringList names = { "bsNone", "bsSingle" };
    return names;
}

namespace {
constexpr int MaxDrawnDepth = 1 << 16;
constexpr qsizetype MaxCaptionLength = 32767;
} // namespace

QPoint ShadowOffsetFor(TShadowDirection direction, int depth)
{
    // Any stored depth is drawn; beyond a card's size it only moves the
    // shadow out of sight, and must not overflow doing so.
    const int d = checked::Clamp(depth, -MaxDrawnDepth, MaxDrawnDepth);
    switch (direction) {
    case sdNone: return { 0, 0 };
    case sdRight: return { d, 0 };
    case sdLeft: return { -d, 0 };
    case sdDownRight: return { d, d };
    case sdDownLeft: return { -d, d };
    case sdDown: return { 0, d };
    }
    return { 0, 0 };
}

QPoint HighlightOffsetFor(THighlightDirection direction, int depth)
{
    const int d = checked::Clamp(depth, -MaxDrawnDepth, MaxDrawnDepth);
    switch (direction) {
    case hdNone: return { 0, 0 };
    case hdright: return { d, 0 };
    case hdLeft: return { -d, 0 };
    case hdUpRight: return { d, -d };
    case hdUpLeft: return { -d, -d };
    case hdUp: return { 0, -d };
    }
    return { 0, 0 };
}

namespace {

// An effect offset turned with the text (counter-clockwise quarter turns).
QPoint turned(QPoint d, int angle)
{
    switch (angle) {
    case 90: return { d.y(), -d.x() };
    case 180: return { -d.x(), -d.y() };
    case 270: return { -d.y(), d.x() };
    default: return d;
    }
}

TRect moved(const TRect& r, QPoint d)
{
    return { r.Left + d.x(), r.Top + d.y(), r.Right + d.x(), r.Bottom + d.y() };
}

// The corner of a copy's rectangle at which text turned by `angle` starts.
QPoint startCorner(const TRect& r, int angle)
{
    switch (angle) {
    case 90: return { r.Left, r.Bottom };
    case 180: return { r.Right, r.Bottom };
    case 270: return { r.Right, r.Top };
    default: return { r.Left, r.Top };
    }
}

bool validAngle(int a)
{
    return a == 0 || a == 90 || a == 180 || a == 270;
}

int truncInt(Extended x)
{
    return static_cast<int>(Trunc(x));
}

} // namespace

TGBaseLabel::TGBaseLabel()
{
    TFont f;
    f.Name = QStringLiteral("Arial");
    f.SetSize(10);
    f.Color = clBlack;
    SetLoading(true);
    SetFont(f);
    SetBounds(0, 0, 142, 33);
    SetLoading(false);
}

TGBaseLabel::~TGBaseLabel() = default;

const PropertyTable& TGBaseLabel::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGBaseLabel& {
            return static_cast<const TGBaseLabel&>(o);
        };
        auto mut = [](TGGraphicControl& o) -> TGBaseLabel& { return static_cast<TGBaseLabel&>(o); };
        auto integer = [](const Value& v) { return static_cast<int>(expectInt(v)); };
        std::vector<PropertyInfo> own;
        own.push_back(EnumProperty("Alignment", AlignmentNames(), taLeftJustify,
            [self](const TGGraphicControl& o) { return int(self(o).Alignment()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetAlignment(TAlignment(v)); }));
        own.push_back({ "DepthHighlight", PropertyKind::Integer, Value::integer(0),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).DepthHighlight()); },
            [mut, integer](TGGraphicControl& o, const Value& v) { mut(o).SetDepthHighlight(integer(v)); } });
        own.push_back({ "DepthShadow", PropertyKind::Integer, Value::integer(0),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).DepthShadow()); },
            [mut, integer](TGGraphicControl& o, const Value& v) { mut(o).SetDepthShadow(integer(v)); } });
        own.push_back(EnumProperty("DirectionHighlight", HighlightDirectionNames(), hdUpLeft,
            [self](const TGGraphicControl& o) { return int(self(o).DirectionHighlight()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetDirectionHighlight(THighlightDirection(v)); }));
        own.push_back(EnumProperty("DirectionShadow", ShadowDirectionNames(), sdDownRight,
            [self](const TGGraphicControl& o) { return int(self(o).DirectionShadow()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetDirectionShadow(TShadowDirection(v)); }));
        own.push_back({ "colorHighlight", PropertyKind::Colour, Value::integer(16776960),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).colorHighlight()); },
            [mut, integer](TGGraphicControl& o, const Value& v) { mut(o).SetcolorHighlight(integer(v)); } });
        own.push_back({ "colorShadow", PropertyKind::Colour, Value::integer(8421504),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).colorShadow()); },
            [mut, integer](TGGraphicControl& o, const Value& v) { mut(o).SetcolorShadow(integer(v)); } });
        own.push_back({ "Angle", PropertyKind::Integer, Value::integer(0),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).Angle()); },
            [mut](TGGraphicControl& o, const Value& v) {
                // Out-of-range stored angles leave the angle as it was.
                const std::int64_t a = expectInt(v);
                if (a >= 0 && a <= 270)
                    mut(o).SetAngle(static_cast<int>(a));
            } });
        own.push_back({ "Caption", PropertyKind::String, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::string(self(o).Caption()); },
            [mut](TGGraphicControl& o, const Value& v) {
                // One line of text on a card: a longer caption in a file is
                // refused rather than laid out and printed at great cost.
                const QString& text = expectString(v);
                if (text.size() > MaxCaptionLength)
                    throw EReadError(QStringLiteral("Caption too long (%1 characters; at most %2)")
                                         .arg(text.size())
                                         .arg(MaxCaptionLength));
                mut(o).SetCaption(text);
            } });
        for (auto& p : FontProperties("Font",
                 { [](const TGGraphicControl& o) { return o.Font(); },
                     [mut](TGGraphicControl& o, const TFont& f) {
                         mut(o).SetFont(f);
                         mut(o).SetLayoutDirty();
                     } }))
            own.push_back(p);
        own.push_back({ "Transparent", PropertyKind::Bool, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).Transparent()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetTransparent(expectBool(v)); } });
        own.push_back({ "BackColor", PropertyKind::Colour, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::integer(self(o).BackColor()); },
            [mut, integer](TGGraphicControl& o, const Value& v) { mut(o).SetBackColor(integer(v)); } });
        own.push_back(EnumProperty("BorderStyle", BorderStyleNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).BorderStyle()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetBorderStyle(TBorderStyle(v)); }));
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

// --- setters -----------------------------------------------------------------------

void TGBaseLabel::NotifyChangedIfLive()
{
    if (!IsLoading() && !IsReading())
        NotifyChanged();
}

void TGBaseLabel::recomputeShadowOffset()
{
    shadowOffset = ShadowOffsetFor(directionShadow, depthShadow);
}

void TGBaseLabel::recomputeHighlightOffset()
{
    highlightOffset = HighlightOffsetFor(directionHighlight, depthHighlight);
}

void TGBaseLabel::SetAlignment(TAlignment value)
{
    if (value == alignment)
        return;
    alignment = value;
    layoutDirty = true;
    Invalidate();
    NotifyChangedIfLive();
}

void TGBaseLabel::SetDepthHighlight(int value)
{
    if (value == depthHighlight)
        return;
    depthHighlight = value;
    recomputeHighlightOffset();
    layoutDirty = true;
    Invalidate();
}

void TGBaseLabel::SetDirectionHighlight(THighlightDirection value)
{
    if (value == directionHighlight)
        return;
    directionHighlight = value;
    recomputeHighlightOffset();
    layoutDirty = true;
    Invalidate();
}

void TGBaseLabel::SetDepthShadow(int value)
{
    if (value == depthShadow)
        return;
    depthShadow = value;
    recomputeShadowOffset();
    layoutDirty = true;
    Invalidate();
}

void TGBaseLabel::SetDirectionShadow(TShadowDirection value)
{
    if (value == directionShadow)
        return;
    directionShadow = value;
    recomputeShadowOffset();
    layoutDirty = true;
    Invalidate();
}

void TGBaseLabel::SetcolorHighlight(TColor value)
{
    if (value == highlightColor)
        return;
    highlightColor = value;
    Invalidate();
}

void TGBaseLabel::SetcolorShadow(TColor value)
{
    if (value == shadowColor)
        return;
    shadowColor = value;
    Invalidate();
}

void TGBaseLabel::SetAngle(int value)
{
    if (!validAngle(value) || value == angle)
        return;
    angle = value;
    layoutDirty = true;
    // A label read from a file already has the bounds and alignment it was
    // saved with: swapping the sides here would turn a short rotated label on
    // its side, and the stored alignment comes before the angle.
    if (!IsLoading() && !IsReading()) {
        if (angle != 0)
            SetAlignment(taLeftJustify);
        const bool across = ((angle == 0 || angle == 180) && Width() < Height())
            || ((angle == 90 || angle == 270) && Height() < Width());
        if (across)
            SetBounds(Left(), Top(), Height(), Width());
    }
    Invalidate();
}

void TGBaseLabel::SetCaption(const QString& value)
{
    if (value == caption)
        return;
    caption = value;
    layoutDirty = true;
    Invalidate();
    NotifyChangedIfLive();
}

void TGBaseLabel::SetTransparent(bool value)
{
    if (value == transparent)
        return;
    transparent = value;
    NotifyChangedIfLive();
    Invalidate();
    if (!IsLoading() && !IsReading() && Parent() && Visible())
        Parent()->RepaintCardNow(QRect(Left() - 3, Top() - 3, Width() + 6, Height() + 6));
}

void TGBaseLabel::SetBackColor(TColor value)
{
    if (value == backColor)
        return;
    backColor = value;
    NotifyChangedIfLive();
    Invalidate();
}

void TGBaseLabel::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle)
        return;
    borderStyle = value;
    Invalidate();
    NotifyChangedIfLive();
}

void TGBaseLabel::FontChanged()
{
    layoutDirty = true;
    TGGraphicControl::FontChanged();
}

void TGBaseLabel::ApplyFont(const TFont& font)
{
    SetFont(font);
    layoutDirty = true;
    Invalidate();
}

// --- fonts and layout ------------------------------------------------------------

int TGBaseLabel::ZoomedFontHeight() const
{
    const TFont& f = Font();
    if (Zoom() == 1.0f)
        return f.Height;
    // Font sizes are stored unzoomed; the zoom applies to the point size and
    // the result is truncated, as every text object does it.
    const int ppi = ScreenPpi();
    const int size = f.Size();
    const int zoomedSize = truncInt(static_cast<Extended>(size) * static_cast<Extended>(Zoom()));
    return -MulDiv(zoomedSize, ppi, 72);
}

QFont TGBaseLabel::DrawFont() const
{
    TFont f = Font();
    f.Height = ZoomedFontHeight();
    QFont q = f.ToQFont();
    return q;
}

bool TGBaseLabel::layoutIsCurrent() const
{
    return !layoutDirty && layoutZoom == Zoom() && layoutFont == Font() && layoutShown == ShownCaption();
}

QString TGBaseLabel::ShownCaption() const
{
    if (!ShowsMergeRecord(*this))
        return DisplayedCaption();
    QString text = caption;
    if (const TDesignModel* card = Parent()) {
        const int personal = PersonalFieldOfText(caption, card->PersonalInfo());
        if (personal >= 0)
            text = QLatin1Char('{') + TPersonalInfo::Keys()[personal] + QLatin1Char('}');
    }
    bool emptied = false;
    QString shown = MergedText(*this, text, &emptied);
    if (emptied || (shown.trimmed().isEmpty() && text != caption))
        return DrawnForPaper(*this) ? QString() : QStringLiteral("<blank>");
    // One line: a value with line breaks runs on with blanks.
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return shown;
}

void TGBaseLabel::CalcTextLayout()
{
    if (layoutIsCurrent())
        return;

    // 1. The zoomed font. Metrics are the same at every quarter turn, so the
    // rotated font needs no measuring of its own.
    layoutFont = Font();
    layoutZoom = Zoom();
    layoutShown = ShownCaption();
    drawFont = DrawFont();
    const QFontMetrics fm(drawFont);
    drawAscent = fm.ascent();

    // 2. The font height already holds the internal leading, which is added
    // once more here: base is deliberately not height + external leading.
    const int pixelSize = drawFont.pixelSize();
    const int height = fm.height();
    const int internalLeading = std::max(0, height - pixelSize);
    const int externalLeading = std::max(0, fm.leading());
    const int base = height + internalLeading + externalLeading;
    // The object is sized to the caption as typed, so that a record drawn
    // on it never changes the design; the record's text is aligned.
    const int tw = fm.horizontalAdvance(DisplayedCaption() + QLatin1Char(' '));
    const int shownWidth = layoutShown == DisplayedCaption() ? tw : fm.horizontalAdvance(layoutShown + QLatin1Char(' '));

    const int sx = shadowOffset.x();
    const int sy = shadowOffset.y();
    const int hx = highlightOffset.x();
    const int hy = highlightOffset.y();

    // 3. Room for the copies that go left or up.
    int mx = sx < 0 ? std::abs(sx) : 0;
    if (hx < 0)
        mx = std::max(mx, std::abs(hx));
    int my = sy < 0 ? std::abs(sy) : 0;
    if (hy < 0)
        my = std::max(my, std::abs(hy));
    margin = QPoint(mx, my);

    // 4. Extent needed across the text.
    const int ext = base + sy - hy;

    // 5. Keep the object between ext and 1.2 × ext across the text. This
    // fits the size to the font at the current zoom, whose point size is
    // truncated: while zoomed it changes the pixels only, never the stored
    // size, or a zoom step would resize the design.
    const FitScope fit(*this);
    const Extended f12 = 1.2L;
    if (angle == 90 || angle == 270) {
        if (f12 * tw < Height())
            SetHeight(truncInt(f12 * tw));
        if (Height() < 5)
            SetHeight(tw);
        if (f12 * ext < Width())
            SetWidth(truncInt(f12 * ext));
        if (ext > Width())
            SetWidth(ext);
    } else {
        if (angle == 180 && 2 * tw < Width())
            SetWidth(2 * tw);
        if (Width() <= 5)
            SetWidth(tw);
        if (f12 * ext < Height())
            SetHeight(truncInt(f12 * ext));
        if (ext > Height())
            SetHeight(ext);
    }

    // 6. The main rectangle, moved for the turned text.
    TRect r;
    if (angle == 90 || angle == 270)
        r = TRect(my, mx, my + base, Height() - my);
    else
        r = TRect(mx, my, Width(), base + my);
    const int h = r.Bottom - r.Top + 1;
    const int w = r.Right - r.Left + 1;
    if (angle == 90)
        r = moved(r, QPoint(0, Height() - h + hx));
    else if (angle == 180)
        r = moved(r, QPoint(Width() - w - sy, 0));

    // 7. The copies' rectangles.
    textRect = r;
    shadowRect = moved(r, turned(shadowOffset, angle));
    highlightRect = moved(r, turned(highlightOffset, angle));

    // 8. Where each copy starts.
    textOrigin = startCorner(textRect, angle);
    shadowOrigin = startCorner(shadowRect, angle);
    highlightOrigin = startCorner(highlightRect, angle);

    // 9. Horizontal alignment, unrotated text only. Centring measures the
    // main rectangle's width and leaves the margin out.
    if (angle == 0) {
        int x = r.Left;
        if (alignment == taRightJustify)
            x = r.Right - shownWidth;
        else if (alignment == taCenter)
            x = (r.Right - r.Left) / 2 - shownWidth / 2;
        textOrigin.setX(x);
        highlightOrigin.setX(x + hx);
        shadowOrigin.setX(x + sx);
    }

    // 10.
    layoutDirty = false;
}

void TGBaseLabel::DrawTo(QPainter& canvas)
{
    CalcTextLayout();

    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    if (!transparent)
        canvas.fillRect(QRect(0, 0, Width(), Height()), ToQColor(backColor));

    canvas.setFont(drawFont);
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.setBrush(Qt::NoBrush);

    const QString shown = layoutShown;
    auto drawCopy = [&](TColor colour, QPoint origin, const TRect& clip) {
        canvas.save();
        canvas.setClipRect(clip.ToQRect(), Qt::IntersectClip);
        canvas.setPen(ToQColor(colour));
        canvas.translate(origin);
        if (angle != 0)
            canvas.rotate(-angle); // counter-clockwise on the screen
        // The origin is the top-left corner of the text cell.
        canvas.drawText(QPoint(0, drawAscent), shown);
        canvas.restore();
    };
    if (depthShadow > 0 && directionShadow != sdNone)
        drawCopy(shadowColor, shadowOrigin, shadowRect);
    if (depthHighlight > 0 && directionHighlight != hdNone)
        drawCopy(highlightColor, highlightOrigin, highlightRect);
    drawCopy(Font().Color, textOrigin, textRect);

    if (borderStyle == bsSingle) {
        canvas.setPen(QPen(Qt::black, 0, Qt::SolidLine));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(QRect(0, 0, Width() - 1, Height() - 1));
    }
    canvas.restore();
}

void TGBaseLabel::Paint()
{
    if (Parent() && Parent()->SuppressPainting())
        return;
    if (Width() < 5 || Height() < 5)
        layoutDirty = true;
    if (QPainter* canvas = DrawCanvas())
        DrawTo(*canvas);
    DrawSelectionSquares();
}

void TGBaseLabel::BoundsChanged()
{
    TGGraphicControl::BoundsChanged();
    layoutDirty = true;
    if (Width() < 1 || Height() < 1)
        SetBounds(Left(), Top(), std::max(1, Width()), std::max(1, Height()));
}

void TGBaseLabel::GrowToCaption()
{
    if (angle != 0)
        return;
    const int x0 = std::max({ textRect.Left, shadowRect.Left, highlightRect.Left });
    const int y0 = std::max({ textRect.Top, shadowRect.Top, highlightRect.Top });
    const QFontMetrics fm(DrawFont());
    const int needW = x0 + fm.horizontalAdvance(DisplayedCaption() + QStringLiteral("     "));
    const int needH = y0 + fm.height();
    if (needW > Width())
        SetWidth(needW);
    if (needH > Height())
        SetHeight(needH);
    layoutDirty = true;
    Invalidate();
}

// --- context menu -------------------------------------------------------------------

void TGBaseLabel::Loaded()
{
    layoutDirty = true;
    TGGraphicControl::Loaded();
}

void TGBaseLabel::CaptureMenuState()
{
    TGGraphicControl::CaptureMenuState();
    transparentChecked = transparent;
}

QAction* TGBaseLabel::BorderItem()
{
    ContextMenu();
    return borderItem;
}

QAction* TGBaseLabel::TransparentItem()
{
    ContextMenu();
    return transparentItem;
}

QAction* TGBaseLabel::AlignmentItem(TAlignment value)
{
    ContextMenu();
    return value >= taLeftJustify && value <= taCenter ? alignItems[value] : nullptr;
}

bool TGBaseLabel::HasRotationMenu()
{
    ContextMenu();
    return hasRotationMenu;
}

void TGBaseLabel::BuildContextMenu(QMenu& menu)
{
    TGGraphicControl::BuildContextMenu(menu);
    menu.addSeparator();
    AddMenuItem(menu, QStringLiteral("Font"), [this] { EditFont(); });
    AddMenuItem(menu, QStringLiteral("3D Effects"), [this] { Edit3DEffects(); });
    QMenu* align = menu.addMenu(QStringLiteral("Alignment"));
    auto alignTo = [this](TAlignment a) {
        SetAlignment(a);
        NotifyChanged();
    };
    alignItems[taLeftJustify] = AddMenuItem(*align, QStringLiteral("Left"), [alignTo] { alignTo(taLeftJustify); });
    alignItems[taCenter] = AddMenuItem(*align, QStringLiteral("Center"), [alignTo] { alignTo(taCenter); });
    alignItems[taRightJustify] = AddMenuItem(*align, QStringLiteral("Right"), [alignTo] { alignTo(taRightJustify); });
    for (QAction* item : alignItems)
        item->setCheckable(true);
    transparentItem = AddMenuItem(menu, QStringLiteral("Transparent"), [this] { ToggleTransparent(); });
    transparentItem->setCheckable(true);
    AddMenuItem(menu, QStringLiteral("Background Color"), [this] { ChooseBackgroundColor(); });
    borderItem = AddMenuItem(menu, QStringLiteral("Border"), [this] { ToggleBorder(); });
    borderItem->setCheckable(true);
    transparentItem->setChecked(transparentChecked);
}

void TGBaseLabel::AddRotationMenu(QMenu& menu)
{
    QMenu* rotation = menu.addMenu(QStringLiteral("Rotation"));
    const char* captions[4] = { "No Rotation", "90 Degrees", "180 Degrees", "270 Degrees" };
    for (int i = 0; i < 4; ++i) {
        const int a = i * 90;
        rotationItems[i] = AddMenuItem(*rotation, QString::fromLatin1(captions[i]), [this, a] { SetAngle(a); });
        rotationItems[i]->setCheckable(true);
    }
    hasRotationMenu = true;
}

void TGBaseLabel::UpdateMenuChecks()
{
    // Setting check marks needs the items: a call before the first popup
    // builds the menu.
    ContextMenu();
    if (borderItem)
        borderItem->setChecked(borderStyle == bsSingle);
    for (int i = 0; i < 3; ++i)
        if (alignItems[i])
            alignItems[i]->setChecked(alignment == i);
    if (hasRotationMenu)
        for (int i = 0; i < 4; ++i)
            rotationItems[i]->setChecked(angle == i * 90);
}

void TGBaseLabel::updateTransparentCheck()
{
    transparentChecked = transparent;
    if (transparentItem)
        transparentItem->setChecked(transparent);
}

void TGBaseLabel::ToggleTransparent()
{
    SetTransparent(!transparent);
    updateTransparentCheck();
}

void TGBaseLabel::ChooseBackgroundColor()
{
    const auto chosen = Interaction::Current().ChooseColour(ToQColor(backColor), QStringLiteral("Background Color"));
    if (!chosen)
        return;
    SetBackColor(FromQColor(*chosen));
    SetTransparent(false);
    updateTransparentCheck();
    Invalidate();
}

void TGBaseLabel::ToggleBorder()
{
    SetBorderStyle(borderStyle == bsSingle ? bsNone : bsSingle);
}

void TGBaseLabel::Edit3DEffects()
{
    TGFont3DEffects dialog;
    dialog.SetTarget(this);
    if (Interaction::Current().RunModal(dialog) == mrOk)
        NotifyChanged();
}

void TGBaseLabel::EditFont()
{
    QFont initial = Font().ToQFont();
    const int size = Font().Size();
    if (size > 0)
        initial.setPointSize(size);
    const auto chosen = Interaction::Current().ChooseFont(initial, QStringLiteral("Font"));
    if (!chosen)
        return;
    SetFont(TFont::FromQFont(*chosen, Font()));
    layoutDirty = true;
    Invalidate();
}

} // namespace bv
