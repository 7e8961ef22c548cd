#pragma once
// The two surfaces the effect objects share: a two-colour gradient laid in 256
// bands, and a picture tiled from the object's top-left corner. Both exist in
// a screen form (object pixels, drawn on a QPainter or rendered into an
// image) and a printing form (device pixels, through the page engine).
//
// The band arithmetic is integer (MulDiv, rounding halves away from zero) so
// that a gradient comes out the same, pixel for pixel, wherever it is drawn:
// band i of 256 has the colour S + MulDiv(i, E - S, 255) per component and
// covers the columns (or rows) MulDiv(i, size, 256) up to, not including,
// MulDiv(i + 1, size, 256). Band 0 lies at the top or left; band 255 is
// exactly the end colour. On a side shorter than 256 pixels some bands are
// empty.
#include "platform/Colors.h"
#include "platform/Dib.h"
#include "platform/Numeric.h"

#include <QImage>
#include <QSize>
#include <QStringList>
#include <array>

class QPainter;

namespace bv {

class TPageEngine;

enum TFillDirection : int { gdUp, gdDown, gdLeft, gdRight };
// "gdUp" .. "gdRight", by ordinal, as design files name them.
const QStringList& FillDirectionNames();

// Number of bands of every gradient, whatever its size.
constexpr int GradientBandCount = 256;

// One band: the span [Start, End) of columns (left/right gradients) or rows
// (up/down gradients) and its colour (plain 0x00BBGGRR).
struct TGradientBand {
    int Start = 0;
    int End = 0;
    TColor Color = clBlack;
    bool operator==(const TGradientBand&) const = default;
};

struct TGradientSpec {
    // The colour that `gdDown` and `gdRight` start from and `gdUp` and `gdLeft`
    // end with (a SuperShape's BackColor, a SuperText's GradientFromColor).
    TColor BackColor = clRed;
    // The other colour.
    TColor ToColor = clBlue;
    TFillDirection Direction = gdUp;
    bool operator==(const TGradientSpec&) const = default;
};

// True when the bands are columns (gdLeft, gdRight).
inline bool GradientRunsAcross(TFillDirection d) { return d == gdLeft || d == gdRight; }

// A colour as plain RGB: system colours become their current values.
TColor PlainColor(TColor color);

// The 256 bands of a gradient over an area `width` × `height` (only the side
// in the banding direction matters).
std::array<TGradientBand, GradientBandCount> GradientBands(const TGradientSpec& spec, int width, int height);

// Largest surface bitmap made, in pixels (as large as a bitmap file may be):
// an object beyond it (only a damaged or hostile design holds one) gets no
// surface rather than an allocation of gigabytes.
constexpr std::int64_t MaxSurfacePixels = Dib::MaxPixels;
inline bool SurfaceSizeAllowed(int width, int height)
{
    return width >= 1 && height >= 1 && std::int64_t(width) * height <= MaxSurfacePixels;
}

// A Format_RGB32 image of width × height holding the gradient (the null
// image when the size is not SurfaceSizeAllowed).
QImage RenderGradient(const TGradientSpec& spec, int width, int height);
// The same into an existing image, reusing its storage when the size fits.
void RenderGradientInto(QImage& target, const TGradientSpec& spec, int width, int height);

// Size of one texture tile on screen: the picture's own size at zoom 1.0
// exactly, else Trunc(side × zoom) per side.
QSize ScreenTileSize(const QSize& picture, Single zoom);

// Lays `picture` stretched into tiles of `tile` size over (0, 0, width,
// height) of the painter, starting at (0, 0): rows while y < height, columns
// while x < width. Whatever clip the painter holds applies. A tile side of 0
// or less draws nothing (the loop would never advance). The tiles are laid by
// one pattern fill of the stretched picture, whatever their number.
void TileOnCanvas(QPainter& painter, const QImage& picture, const QSize& tile, int width, int height);

// What the printing forms need to know about the page and the object.
struct TPrintSurfaceArea {
    // The object's whole area in device pixels measured from the sheet's
    // physical corner (card origin included, page offset not removed);
    // Right and Bottom as the object computes them.
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    // Device pixels per screen pixel.
    double ScaleX = 1;
    double ScaleY = 1;
};

// Tile size in device pixels of a picture printed at the given scale:
// Round(side × scale).
QSize PrintTileSize(const QSize& picture, double scaleX, double scaleY);

// Prints `picture` tiled over the area, tiles of PrintTileSize, laid from the
// area's top-left corner while x < width + tw and y < height + th (width =
// Right − Left).
//   composeFirst: the tiles are first stretched into one bitmap of
//     (width + 1) × (height + 1), which is printed stretched over the area
//     (a preview on a display of 256 colours or fewer);
//   otherwise each tile is printed by itself and reaches 0.01 inch into its
//     right and lower neighbours, so no hairline gap opens between them.
// offsetX and offsetY (inches) are added to every position printed.
// Nothing is printed for a picture below 1 pixel on either side, and the
// tiling ends at once when a tile side comes out at 0.
void PrintTiles(TPageEngine& report, const Dib& picture, const TPrintSurfaceArea& area, bool composeFirst,
    double offsetX = 0, double offsetY = 0);

// Fills the 256 bands of a gradient over a band area bandWidth × bandHeight,
// each band moved by (dx, dy) device pixels, with the engine's solid brush.
// Sets the engine's pen to black, solid, copy, width −1 first (it draws
// nothing here) and leaves the brush in the last band's colour.
void PrintGradientBands(TPageEngine& report, const TGradientSpec& spec, int bandWidth, int bandHeight, int dx,
    int dy);

} // namespace bv
