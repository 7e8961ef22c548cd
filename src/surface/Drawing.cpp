#include "surface/Drawing.h"

#include "platform/Checked.h"

#include "platform/Environment.h"
#include "platform/Numeric.h"

namespace bv {

const QStringList& PenModeNames()
{
    static const QStringList names = { "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
        "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
        "pmNotMask", "pmXor", "pmNotXor" };
    return names;
}

const QStringList& PenStyleNames()
{
    static const QStringList names = { "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
        "psInsideFrame" };
    return names;
}

const QStringList& BrushStyleNames()
{
    static const QStringList names = { "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
        "bsBDiagonal", "bsCross", "bsDiagCross" };
    return names;
}

const QStringList& FontPitchNames()
{
    static const QStringList names = { "fpDefault", "fpVariable", "fpFixed" };
    return names;
}

const QStringList& FontStyleNames()
{
    static const QStringList names = { "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut" };
    return names;
}

std::optional<int> EnumOrdinal(const QStringList& names, const QString& name)
{
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

int TFont::Size() const
{
    return -MulDiv(Height, 72, ScreenPpi());
}

void TFont::SetSize(int points)
{
    Height = -MulDiv(points, ScreenPpi(), 72);
}

QStringList TFont::StyleNames() const
{
    QStringList out;
    const bool flags[4] = { Bold, Italic, Underline, StrikeOut };
    for (int i = 0; i < 4; ++i)
        if (flags[i])
            out << FontStyleNames()[i];
    return out;
}

bool TFont::SetStyleNames(const QStringList& names)
{
    bool flags[4] = { false, false, false, false };
    for (const QString& n : names) {
        auto o = EnumOrdinal(FontStyleNames(), n);
        if (!o)
            return false;
        flags[*o] = true;
    }
    Bold = flags[0];
    Italic = flags[1];
    Underline = flags[2];
    StrikeOut = flags[3];
    return true;
}

namespace {
// Text larger than this is beyond any card; Qt's own text layout works in
// fixed-point and must not be given more.
constexpr int MaxDrawnFontPixels = 32767;
} // namespace

QFont TFont::ToQFont(double zoom) const
{
    QFont f(Name);
    // Any stored height, even the most negative, gives a drawable size.
    int px = checked::Clamp(checked::Abs(Height), 0, MaxDrawnFontPixels);
    if (zoom != 1.0)
        px = static_cast<int>(Trunc(static_cast<Extended>(px) * zoom));
    f.setPixelSize(px > 0 ? px : 1);
    f.setBold(Bold);
    f.setItalic(Italic);
    f.setUnderline(Underline);
    f.setStrikeOut(StrikeOut);
    if (Pitch == fpFixed)
        f.setFixedPitch(true);
    return f;
}

TFont TFont::FromQFont(const QFont& font, const TFont& base)
{
    TFont f = base;
    f.Name = font.family();
    if (font.pointSize() > 0)
        f.SetSize(font.pointSize());
    else if (font.pixelSize() > 0)
        f.Height = -font.pixelSize();
    f.Bold = font.bold();
    f.Italic = font.italic();
    f.Underline = font.underline();
    f.StrikeOut = font.strikeOut();
    return f;
}

QPainter::CompositionMode CompositionFor(TPenMode mode)
{
    switch (mode) {
    case pmBlack: return QPainter::RasterOp_ClearDestination;
    case pmWhite: return QPainter::RasterOp_SetDestination;
    case pmNop: return QPainter::CompositionMode_Destination;
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmCopy: return QPainter::CompositionMode_SourceOver;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmMergePenNot: return QPainter::RasterOp_SourceOrNotDestination;
    case pmMaskPenNot: return QPainter::RasterOp_SourceAndNotDestination;
    case pmMergeNotPen: return QPainter::RasterOp_NotSourceOrDestination;
    case pmMaskNotPen: return QPainter::RasterOp_NotSourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    }
    return QPainter::CompositionMode_SourceOver;
}

Qt::PenStyle QtPenStyle(TPenStyle style)
{
    switch (style) {
    case psSolid: return Qt::SolidLine;
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    case psInsideFrame: return Qt::SolidLine;
    }
    return Qt::SolidLine;
}

Qt::BrushStyle QtBrushStyle(TBrushStyle style)
{
    switch (style) {
    case bsSolid: return Qt::SolidPattern;
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

} // namespace bv
