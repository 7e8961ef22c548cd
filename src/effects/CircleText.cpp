#include "effects/CircleText.h"

#include "effects/CircleTextProperties.h"
#include "effects/EffectText.h"
#include "platform/Interaction.h"
#include "surface/BasePanel.h"
#include "surface/DrawingProperties.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace bv {

const QStringList& DegreesNames()
{
    static const QStringList names = { "dg90", "dg180", "dg270", "dg360" };
    return names;
}

TGPCircleText::TGPCircleText() : TGEffectTextControl(QStringLiteral("ABC DEF GHI JKL"))
{
    TFont f;
    f.Name = QStringLiteral("Arial");
    f.SetSize(10);
    f.Bold = true;
    f.Color = clBlack;
    SetLoading(true);
    SetFont(f);
    SetBounds(0, 0, 142, 33);
    SetLoading(false);
}

const PropertyTable& TGPCircleText::ClassProperties()
{
    static const PropertyTable table = [] {
        auto self = [](const TGGraphicControl& o) -> const TGPCircleText& {
            return static_cast<const TGPCircleText&>(o);
        };
        auto mut = [](TGGraphicControl& o) -> TGPCircleText& { return static_cast<TGPCircleText&>(o); };
        std::vector<PropertyInfo> own;
        own.push_back(EnumProperty("StartingVector", DegreesNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).StartingVector()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetStartingVector(TDegrees(v)); }));
        own.push_back(EnumProperty("Degrees", DegreesNames(), std::nullopt,
            [self](const TGGraphicControl& o) { return int(self(o).Degrees()); },
            [mut](TGGraphicControl& o, int v) { mut(o).SetDegrees(TDegrees(v)); }));
        // Published by the base control; the object never assigns a menu of
        // its own, so nothing is written and a stored name is ignored.
        own.push_back({ "PopupMenu", PropertyKind::Reference, std::nullopt,
            [](const TGGraphicControl&) { return Value::null(); },
            [](TGGraphicControl&, const Value& v) {
                if (v.type != Value::Ident && v.type != Value::String && v.type != Value::Null)
                    throw EReadError(QStringLiteral("Invalid property value"));
            } });
        for (auto& p : FontProperties("Font",
                 { [](const TGGraphicControl& o) { return o.Font(); },
                     [](TGGraphicControl& o, const TFont& f) { o.SetFont(f); } }))
            own.push_back(p);
        own.push_back({ "Mirror", PropertyKind::Bool, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).Mirror()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetMirror(expectBool(v)); } });
        own.push_back({ "DrawLettersAngled", PropertyKind::Bool, std::nullopt,
            [self](const TGGraphicControl& o) { return Value::boolean(self(o).DrawLettersAngled()); },
            [mut](TGGraphicControl& o, const Value& v) { mut(o).SetDrawLettersAngled(expectBool(v)); } });
        for (PropertyInfo& p : SharedProperties())
            own.push_back(std::move(p));
        // The outline and shadow came later: each is left out at its default,
        // so a design without them is written as before and older readers
        // never meet them.
        auto styled = [mut](TGGraphicControl& o, auto change) {
            TEffectStyle s = mut(o).Style();
            change(s);
            mut(o).SetStyle(s);
        };
        const TEffectStyle plain;
        own.push_back({ "OutlineColor", PropertyKind::Colour, Value::integer(plain.Outline.Color),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).Style().Outline.Color); },
            [styled](TGGraphicControl& o, const Value& v) {
                styled(o, [&](TEffectStyle& s) { s.Outline.Color = static_cast<TColor>(expectInt(v)); });
            } });
        own.push_back({ "OutlineWidth", PropertyKind::Integer, Value::integer(plain.Outline.Width),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).Style().Outline.Width); },
            [styled](TGGraphicControl& o, const Value& v) {
                styled(o, [&](TEffectStyle& s) { s.Outline.Width = static_cast<int>(expectInt(v)); });
            } });
        own.push_back({ "ShadowDepth", PropertyKind::Integer, Value::integer(plain.Shadow.Depth),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).Style().Shadow.Depth); },
            [styled](TGGraphicControl& o, const Value& v) {
                styled(o, [&](TEffectStyle& s) { s.Shadow.Depth = static_cast<int>(expectInt(v)); });
            } });
        own.push_back(EnumProperty("ShadowOrientation", ShadowDirectionNames(), int(plain.Shadow.Direction),
            [self](const TGGraphicControl& o) { return int(self(o).Style().Shadow.Direction); },
            [styled](TGGraphicControl& o, int v) {
                styled(o, [&](TEffectStyle& s) { s.Shadow.Direction = TShadowDirection(v); });
            }));
        own.push_back({ "Shadowcolor", PropertyKind::Colour, Value::integer(plain.Shadow.Color),
            [self](const TGGraphicControl& o) { return Value::integer(self(o).Style().Shadow.Color); },
            [styled](TGGraphicControl& o, const Value& v) {
                styled(o, [&](TEffectStyle& s) { s.Shadow.Color = static_cast<TColor>(expectInt(v)); });
            } });
        return PropertyTable::extend(TGGraphicControl::ClassProperties(), own);
    }();
    return table;
}

// --- setters -------------------------------------------------------------------------

void TGPCircleText::SetStartingVector(TDegrees value)
{
    if (value == startingVector)
        return;
    startingVector = value;
    Invalidate();
}

void TGPCircleText::SetDegrees(TDegrees value)
{
    if (value == degrees)
        return;
    degrees = value;
    Invalidate();
}

void TGPCircleText::SetMirror(bool value)
{
    if (value == mirror)
        return;
    mirror = value;
    Invalidate();
}

void TGPCircleText::SetStyle(const TEffectStyle& value)
{
    if (value == style)
        return;
    style = value;
    Invalidate();
    if (!IsLoading() && !IsReading())
        NotifyChanged();
}

void TGPCircleText::SetDrawLettersAngled(bool value)
{
    if (value == drawLettersAngled)
        return;
    drawLettersAngled = value;
    Invalidate();
    NotifyChanged();
}

// --- layout and drawing ------------------------------------------------------------

QList<TCircleLetter> TGPCircleText::LetterPlacements(const QFontMetrics& metrics) const
{
    QList<TCircleLetter> out;
    const QString caption = ShownCaption();
    const int n = static_cast<int>(caption.size());
    if (n == 0)
        return out;
    const int h = metrics.height();
    const int a = metrics.averageCharWidth();
    const int W = Width();
    const int H = Height();

    const int S = (int(startingVector) + 1) * 90;
    int A = (int(degrees) + 1) * 90;
    // A full circle of more than five letters leaves a small gap so that the
    // last letter does not run into the first.
    if (degrees == dg360 && n > 5)
        A = 355;

    // Half and quarter circles move the centre towards the side or corner
    // away from the arc, so that the arc fills the box.
    int cx = W / 2;
    int cy = H / 2;
    int rx = cx;
    int ry = cy;
    if (degrees == dg90) {
        if (startingVector == dg90 || startingVector == dg180) {
            cy = H - h;
            ry = cy;
        } else {
            cy = h;
            ry = H - h;
        }
        if (startingVector == dg90 || startingVector == dg360) {
            cx = a;
            rx = W - a;
        } else {
            cx = W - a;
            rx = cx;
        }
    } else if (degrees == dg180) {
        switch (startingVector) {
        case dg90: cx = a; rx = W - a; break;
        case dg180: cy = H - h; ry = cy; break;
        case dg270: cx = W - a; rx = cx; break;
        case dg360: cy = h; ry = H - h; break;
        }
    }
    int r = std::min(rx, ry) - 4;

    const bool mirrored = mirror && drawLettersAngled;
    // Letters stand outside their reference point: the arc of the reference
    // points is one letter height inside the box's circle.
    if (!mirrored)
        r -= std::abs(h);

    Single s;
    if (n == 1)
        s = static_cast<Single>(A);
    else if (degrees == dg360)
        s = static_cast<Single>(A) / static_cast<Single>(n);
    else
        s = static_cast<Single>(A) / static_cast<Single>(n - 1);

    const Extended E0 = static_cast<Extended>(S - 90) * 10;
    for (int i = 0; i < n; ++i) {
        TCircleLetter letter;
        letter.Letter = mirrored ? caption.at(n - 1 - i) : caption.at(i);
        // The last letter of an open arc sits exactly on its far end. A
        // single letter has no far end: it stays at the start.
        const bool atEnd = degrees != dg360 && n > 1 && i == n - 1;
        const Extended step = static_cast<Extended>(i) * static_cast<Extended>(s);
        int e = static_cast<int>(Round(atEnd ? E0 - static_cast<Extended>(A) * 10 : E0 - step * 10));
        if (e < 0)
            e += 3600;
        if (mirrored)
            e = e + 1800 > 3600 ? e - 1800 : e + 1800;
        letter.Escapement = e;
        const double theta = atEnd ? (A - S) * M_PI / 180.0
                                   : (static_cast<double>(i) * static_cast<double>(s) - S) * M_PI / 180.0;
        letter.X = cx + static_cast<int>(Round(std::cos(theta) * r));
        letter.Y = cy + static_cast<int>(Round(std::sin(theta) * r));
        letter.Inside = letter.X >= 0 && letter.X < W && letter.Y >= 0 && letter.Y < H;
        out.append(letter);
    }
    return out;
}

void TGPCircleText::DrawTo(QPainter& canvas)
{
    canvas.save();
    const QFont font = EffectFont(Font(), Zoom());
    canvas.setFont(font);
    if (!controlTransparent || borderStyle == bsSingle) {
        canvas.setRenderHint(QPainter::Antialiasing, false);
        if (!controlTransparent)
            canvas.fillRect(QRect(0, 0, Width(), Height()), ToQColor(bgColor));
        if (borderStyle == bsSingle) {
            canvas.setPen(QPen(Qt::black, 0, Qt::SolidLine));
            canvas.setBrush(Qt::NoBrush);
            canvas.drawRect(QRect(0, 0, Width() - 1, Height() - 1));
        }
    }
    canvas.setBrush(Qt::NoBrush);
    canvas.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(font, canvas.device());
    const int descent = fm.descent();
    const QList<TCircleLetter> letters = LetterPlacements(fm);
    // One letter in place: plain text (so it stays text on paper), or, with
    // an outline, its glyph outline filled and stroked.
    const int outline = style.OutlineWidth(Zoom());
    auto drawLetters = [&](QPointF offset, const QColor& colour, bool outlined) {
        for (const TCircleLetter& letter : letters) {
            if (!letter.Inside)
                continue;
            const QString text = ShownText(Font(), QString(letter.Letter));
            // The reference point is the middle of the cell's bottom edge.
            const qreal half = fm.horizontalAdvance(text) / 2.0;
            canvas.save();
            canvas.translate(offset);
            QPointF at(letter.X - half, letter.Y - descent);
            if (drawLettersAngled) {
                canvas.translate(letter.X, letter.Y);
                canvas.rotate(-letter.Escapement / 10.0); // counter-clockwise on the screen
                at = QPointF(-half, -descent);
            }
            if (outlined) {
                QPainterPath path;
                path.addText(at, font, text);
                canvas.setRenderHint(QPainter::Antialiasing, true);
                canvas.fillPath(path, colour);
                canvas.strokePath(path, QPen(ToQColor(style.Outline.Color), outline, Qt::SolidLine, Qt::RoundCap,
                                            Qt::RoundJoin));
            } else {
                canvas.setPen(colour);
                canvas.drawText(at, text);
            }
            canvas.restore();
        }
    };
    if (style.HasShadow())
        drawLetters(QPointF(style.ShadowOffset(Zoom())), ToQColor(style.Shadow.Color), false);
    drawLetters(QPointF(), ToQColor(Font().Color), outline > 0);
    canvas.restore();
}

void TGPCircleText::BoundsChanged()
{
    TGGraphicControl::BoundsChanged();
    if (Width() < 1 || Height() < 1)
        SetBounds(Left(), Top(), std::max(1, Width()), std::max(1, Height()));
}

void TGPCircleText::ApplyFont(const TFont& font)
{
    SetFont(font);
    Invalidate();
}

void TGPCircleText::FontChanged()
{
    Invalidate();
    NotifyChanged();
}

void TGPCircleText::CopyCircleSettings(const TGPCircleText& other)
{
    painting = true;
    SetCaption(other.caption);
    SetFont(other.Font());
    controlTransparent = other.controlTransparent;
    bgColor = other.bgColor;
    borderStyle = other.borderStyle;
    SetWidth(other.Width());
    SetHeight(other.Height());
    startingVector = other.startingVector;
    degrees = other.degrees;
    drawLettersAngled = other.drawLettersAngled;
    mirror = other.mirror;
    style = other.style;
    painting = false;
    Invalidate();
}

void TGPCircleText::FitToCaption(int mostSide)
{
    const QFontMetrics metrics(EffectFont(Font(), Zoom()));
    const int apart = std::max(1, metrics.averageCharWidth());
    auto fits = [&] {
        const QList<TCircleLetter> letters = LetterPlacements(metrics);
        for (qsizetype i = 0; i < letters.size(); ++i) {
            if (!letters[i].Inside)
                return false;
            if (i > 0 && std::hypot(letters[i].X - letters[i - 1].X, letters[i].Y - letters[i - 1].Y) < apart)
                return false;
        }
        return true;
    };
    int side = std::clamp(std::max(Width(), Height()), 1, std::max(1, mostSide));
    SetBounds(Left(), Top(), side, side);
    while (!fits() && side < mostSide) {
        side = std::min(mostSide, side + std::max(4, side / 8));
        SetBounds(Left(), Top(), side, side);
    }
    Invalidate();
}

// --- context menu and commands -------------------------------------------------------

bool TGPCircleText::EditProperties()
{
    TCircleTextProperties dialog;
    dialog.Sample()->CopyCircleSettings(*this);
    dialog.ShowSampleValues();
    if (Interaction::Current().RunModal(dialog) != mrOk)
        return false;
    dialog.Sample()->SetZoom(1.0f);
    CopyCircleSettings(*dialog.Sample());
    Invalidate();
    NotifyChanged();
    return true;
}

} // namespace bv
