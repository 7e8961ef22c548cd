#pragma once
// Drawing attributes shared by the design objects: rectangles in the
// (left, top, right, bottom) form the stored geometry uses, and the font, pen
// and brush records whose attributes the object stream writes as nested
// properties ("Pen.Width", "Brush.Color", "Font.Height").
#include "platform/Colors.h"

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QString>
#include <QStringList>
#include <optional>

namespace bv {

// Rectangle with exclusive right and bottom edges, as the card geometry is
// written: (Left, Top) is inside, (Right, Bottom) is just outside.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    static constexpr TRect FromBounds(int l, int t, int w, int h) { return { l, t, l + w, t + h }; }

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsZero() const { return Left == 0 && Top == 0 && Right == 0 && Bottom == 0; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    // True when the two rectangles share at least one pixel.
    constexpr bool Intersects(const TRect& o) const
    {
        return !IsEmpty() && !o.IsEmpty() && Left < o.Right && o.Left < Right && Top < o.Bottom
            && o.Top < Bottom;
    }
    // Left <= Right and Top <= Bottom.
    constexpr TRect Normalized() const
    {
        return { Left < Right ? Left : Right, Top < Bottom ? Top : Bottom, Left < Right ? Right : Left,
            Top < Bottom ? Bottom : Top };
    }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    constexpr bool operator==(const TRect&) const = default;
};

// Bounds in the (left, top, width, height) form of a control.
struct TBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    constexpr bool IsZero() const { return Left == 0 && Top == 0 && Width == 0 && Height == 0; }
    constexpr bool operator==(const TBounds&) const = default;
};

// Names of enumeration values as the stream writes them, by ordinal.
const QStringList& PenModeNames();   // pmBlack .. pmNotXor
const QStringList& PenStyleNames();  // psSolid .. psInsideFrame
const QStringList& BrushStyleNames(); // bsSolid .. bsDiagCross
const QStringList& FontPitchNames(); // fpDefault, fpVariable, fpFixed
const QStringList& FontStyleNames(); // fsBold, fsItalic, fsUnderline, fsStrikeOut
// Ordinal of a name in a table, letter case ignored; nothing when unknown.
std::optional<int> EnumOrdinal(const QStringList& names, const QString& name);

enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TFontPitch { fpDefault, fpVariable, fpFixed };

struct TPen {
    TColor Color = clBlack;
    TPenMode Mode = pmCopy;
    TPenStyle Style = psSolid;
    int Width = 1;
    bool operator==(const TPen&) const = default;
    // The width for drawing: a stored width may be any number, drawing takes
    // 0 to MaxDrawnWidth pixels (far wider than any card).
    static constexpr int MaxDrawnWidth = 10000;
    int DrawnWidth() const { return Width < 0 ? 0 : (Width > MaxDrawnWidth ? MaxDrawnWidth : Width); }
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    bool operator==(const TBrush&) const = default;
};

struct TFont {
    TColor Color = clWindowText;
    // Negative: character height in pixels (−MulDiv(points, ppi, 72));
    // positive: cell height including internal leading.
    int Height = -11;
    QString Name = QStringLiteral("Arial");
    TFontPitch Pitch = fpDefault;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const TFont&) const = default;

    // Point size at the screen's resolution.
    int Size() const;
    void SetSize(int points);
    // Members of the Style set, in ordinal order.
    QStringList StyleNames() const;
    // Sets the style flags from set member names; false when a name is unknown.
    bool SetStyleNames(const QStringList& names);
    // The Qt font to draw with; the height is multiplied by zoom (truncated)
    // when zoom is not 1.
    QFont ToQFont(double zoom = 1.0) const;
    // A font chosen in a font dialog; colour is kept from `base`.
    static TFont FromQFont(const QFont& font, const TFont& base);
};

// How a pen mode combines with what is already drawn.
QPainter::CompositionMode CompositionFor(TPenMode mode);
Qt::PenStyle QtPenStyle(TPenStyle style);
Qt::BrushStyle QtBrushStyle(TBrushStyle style);

} // namespace bv
