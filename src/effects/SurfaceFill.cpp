#include "effects/SurfaceFill.h"

#include "pageengine/PageEngine.h"

#include <QPainter>
#include <cmath>

namespace bv {

namespace {
int red(TColor c) { return c & 0xFF; }
int green(TColor c) { return (c >> 8) & 0xFF; }
int blue(TColor c) { return (c >> 16) & 0xFF; }
TColor rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
QRgb toQRgb(TColor c) { return qRgb(red(c), green(c), blue(c)); }

// Start and end colour by direction: down and right start from BackColor.
void endColours(const TGradientSpec& spec, TColor& s, TColor& e)
{
    const bool fromBack = spec.Direction == gdDown || spec.Direction == gdRight;
    s = PlainColor(fromBack ? spec.BackColor : spec.ToColor);
    e = PlainColor(fromBack ? spec.ToColor : spec.BackColor);
}
} // namespace

const QStringList& FillDirectionNames()
{
    static const QStringList names = { "gdUp", "gdDown", "gdLeft", "gdRight" };
    return names;
}

TColor PlainColor(TColor color)
{
    if ((static_cast<std::uint32_t>(color) & 0xFF000000u) == 0)
        return color;
    return FromQColor(ToQColor(color));
}

std::array<TGradientBand, GradientBandCount> GradientBands(const TGradientSpec& spec, int width, int height)
{
    TColor s, e;
    endColours(spec, s, e);
    const int dR = red(e) - red(s);
    const int dG = green(e) - green(s);
    const int dB = blue(e) - blue(s);
    const int size = GradientRunsAcross(spec.Direction) ? width : height;
    std::array<TGradientBand, GradientBandCount> bands;
    for (int i = 0; i < GradientBandCount; ++i) {
        bands[i].Color = rgb(red(s) + MulDiv(i, dR, 255), green(s) + MulDiv(i, dG, 255),
            blue(s) + MulDiv(i, dB, 255));
        bands[i].Start = MulDiv(i, size, GradientBandCount);
        bands[i].End = MulDiv(i + 1, size, GradientBandCount);
    }
    return bands;
}

void RenderGradientInto(QImage& target, const TGradientSpec& spec, int width, int height)
{
    if (!SurfaceSizeAllowed(width, height)) {
        target = QImage();
        return;
    }
    if (target.size() != QSize(width, height) || target.format() != QImage::Format_RGB32)
        target = QImage(width, height, QImage::Format_RGB32);
    const auto bands = GradientBands(spec, width, height);
    if (GradientRunsAcross(spec.Direction)) {
        // One row holds the whole ramp; the others copy it.
        auto* first = reinterpret_cast<QRgb*>(target.scanLine(0));
        for (const TGradientBand& b : bands) {
            const QRgb c = toQRgb(b.Color);
            for (int x = std::max(b.Start, 0); x < std::min(b.End, width); ++x)
                first[x] = c;
        }
        for (int y = 1; y < height; ++y)
            std::copy(first, first + width, reinterpret_cast<QRgb*>(target.scanLine(y)));
    } else {
        for (const TGradientBand& b : bands) {
            const QRgb c = toQRgb(b.Color);
            for (int y = std::max(b.Start, 0); y < std::min(b.End, height); ++y) {
                auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
                std::fill(row, row + width, c);
            }
        }
    }
}

QImage RenderGradient(const TGradientSpec& spec, int width, int height)
{
    QImage image;
    RenderGradientInto(image, spec, width, height);
    return image;
}

QSize ScreenTileSize(const QSize& picture, Single zoom)
{
    if (zoom == 1.0f)
        return picture;
    return QSize(int(Trunc(Extended(picture.width()) * Extended(zoom))),
        int(Trunc(Extended(picture.height()) * Extended(zoom))));
}

void TileOnCanvas(QPainter& painter, const QImage& picture, const QSize& tile, int width, int height)
{
    if (picture.isNull() || tile.width() <= 0 || tile.height() <= 0 || width <= 0 || height <= 0)
        return;
    if (tile == picture.size() && tile.width() >= width && tile.height() >= height) {
        // One tile covers the area (the gradient and solid bitmaps).
        painter.drawImage(QPoint(0, 0), picture);
        return;
    }
    // Every tile is the same stretched picture: stretch it once and let a
    // pattern brush lay the tiles from (0, 0), so even a one-pixel texture on
    // a large object costs one fill.
    const QImage stretched = tile == picture.size()
        ? picture
        : picture.scaled(tile, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const int across = (width + tile.width() - 1) / tile.width();
    const int down = (height + tile.height() - 1) / tile.height();
    painter.save();
    painter.setBrushOrigin(0, 0);
    painter.fillRect(QRect(0, 0, across * tile.width(), down * tile.height()), QBrush(stretched));
    painter.restore();
}

QSize PrintTileSize(const QSize& picture, double scaleX, double scaleY)
{
    return QSize(int(Round(Extended(picture.width()) * Extended(scaleX))),
        int(Round(Extended(picture.height()) * Extended(scaleY))));
}

namespace {

// Beyond this many tiles the tiles are printed in groups (each group one
// bitmap of several tiles), so a tiny texture over a large object does not
// become hundreds of thousands of bitmaps.
constexpr std::int64_t MaxPrintedTiles = 4096;
// The side a group of tiles reaches at least, in device pixels.
constexpr int TileGroupSide = 512;

// The part of the area, in its own pixels from its top-left corner, that can
// reach paper: the page with an inch to spare around it. Nothing is tiled
// beyond it, however far the object reaches off the card.
struct VisibleSpan {
    std::int64_t left, top, right, bottom; // right and bottom excluded
};

// `extent`: the span tiled when the whole of it is visible.
VisibleSpan visibleSpan(const TPageEngine& report, const TPrintSurfaceArea& area, VisibleSpan extent,
    double offsetX, double offsetY)
{
    const double resX = report.ResolutionX();
    const double resY = report.ResolutionY();
    if (report.PageWidth() <= 0 || report.PageHeight() <= 0 || resX <= 0 || resY <= 0)
        return extent;
    auto clampTo = [](double value, std::int64_t lo, std::int64_t hi) {
        if (!(value > double(lo)))
            return lo;
        if (!(value < double(hi)))
            return hi;
        return std::int64_t(std::floor(value));
    };
    const double spareX = report.OffsetLeft() + 1;
    const double spareY = report.OffsetTop() + 1;
    VisibleSpan v = extent;
    v.left = clampTo((-spareX - offsetX) * resX - area.Left, extent.left, extent.right);
    v.top = clampTo((-spareY - offsetY) * resY - area.Top, extent.top, extent.bottom);
    v.right = clampTo((report.PageWidth() + spareX - offsetX) * resX - area.Left + 1, v.left, extent.right);
    v.bottom = clampTo((report.PageHeight() + spareY - offsetY) * resY - area.Top + 1, v.top, extent.bottom);
    return v;
}

// kx × ky tiles of tw × th pixels drawn side by side into one picture.
Dib tileGroup(const Dib& picture, int tw, int th, int kx, int ky)
{
    QImage group(tw * kx, th * ky, QImage::Format_RGB32);
    group.fill(Qt::white);
    QPainter p(&group);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (int j = 0; j < ky; ++j)
        for (int i = 0; i < kx; ++i)
            p.drawImage(QRect(i * tw, j * th, tw, th), picture.Image());
    p.end();
    return Dib::FromImage(group);
}

} // namespace

void PrintTiles(TPageEngine& report, const Dib& picture, const TPrintSurfaceArea& area, bool composeFirst,
    double offsetX, double offsetY)
{
    if (picture.Width() < 1 || picture.Height() < 1)
        return;
    const QSize tile = PrintTileSize(QSize(picture.Width(), picture.Height()), area.ScaleX, area.ScaleY);
    const int tw = tile.width();
    const int th = tile.height();
    if (tw <= 0 || th <= 0)
        return;
    const int w = area.Right - area.Left;
    const int h = area.Bottom - area.Top;
    if (w + 1 < 1 || h + 1 < 1)
        return;
    const double resX = report.ResolutionX();
    const double resY = report.ResolutionY();
    if (composeFirst) {
        const VisibleSpan v
            = visibleSpan(report, area, {0, 0, std::int64_t(w) + 1, std::int64_t(h) + 1}, offsetX, offsetY);
        if (v.right <= v.left || v.bottom <= v.top)
            return;
        const bool whole = v.left == 0 && v.top == 0 && v.right == std::int64_t(w) + 1 && v.bottom == std::int64_t(h) + 1;
        const int cw = int(v.right - v.left);
        const int ch = int(v.bottom - v.top);
        QImage composed(cw, ch, QImage::Format_RGB32);
        if (composed.isNull())
            return;
        composed.fill(Qt::white);
        {
            QPainter p(&composed);
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            const std::int64_t firstX = v.left / tw * tw;
            const std::int64_t firstY = v.top / th * th;
            const std::int64_t count = ((v.right - firstX + tw - 1) / tw) * ((v.bottom - firstY + th - 1) / th);
            if (count > MaxPrintedTiles) {
                // One pattern fill of the stretched tile.
                QBrush pattern(picture.Image().scaled(tw, th, Qt::IgnoreAspectRatio, Qt::FastTransformation));
                p.setBrushOrigin(QPointF(double(firstX - v.left), double(firstY - v.top)));
                p.fillRect(QRect(0, 0, cw, ch), pattern);
            } else {
                for (std::int64_t y = firstY; y < v.bottom; y += th)
                    for (std::int64_t x = firstX; x < v.right; x += tw)
                        p.drawImage(QRect(int(x - v.left), int(y - v.top), tw, th), picture.Image());
            }
        }
        // The whole area keeps its one stretched bitmap; a part of it is
        // printed where it lies.
        const double right = whole ? area.Right : area.Left + v.right - 1;
        const double bottom = whole ? area.Bottom : area.Top + v.bottom - 1;
        report.StretchBitmap((area.Left + v.left) / resX + offsetX, (area.Top + v.top) / resY + offsetY,
            right / resX + offsetX, bottom / resY + offsetY, Dib::FromImage(composed));
        return;
    }
    // The tiles that reach the visible part, on the grid that starts at the
    // area's corner.
    const VisibleSpan v
        = visibleSpan(report, area, {0, 0, std::int64_t(w) + tw, std::int64_t(h) + th}, offsetX, offsetY);
    if (v.right <= v.left || v.bottom <= v.top)
        return;
    const std::int64_t x0 = v.left / tw * tw;
    const std::int64_t y0 = v.top / th * th;
    const std::int64_t x1 = v.right;
    const std::int64_t y1 = v.bottom;
    const std::int64_t count = ((x1 - x0 + tw - 1) / tw) * ((y1 - y0 + th - 1) / th);
    if (count <= MaxPrintedTiles) {
        for (std::int64_t y = y0; y < y1; y += th)
            for (std::int64_t x = x0; x < x1; x += tw) {
                const double px1 = (area.Left + x) / resX + offsetX;
                const double py1 = (area.Top + y) / resY + offsetY;
                report.StretchBitmap(px1, py1, px1 + tw / resX + 0.01, py1 + th / resY + 0.01, picture);
            }
        return;
    }
    // Groups of kx × ky tiles, each printed one tile larger on the right and
    // below at its exact size (a stretched group would drift from the grid),
    // so the overlap closes any gap as the single tiles' 0.01 inch does.
    const int kx = std::max(1, (TileGroupSide + tw - 1) / tw);
    const int ky = std::max(1, (TileGroupSide + th - 1) / th);
    const Dib group = tileGroup(picture, tw, th, kx + 1, ky + 1);
    for (std::int64_t y = y0; y < y1; y += std::int64_t(th) * ky)
        for (std::int64_t x = x0; x < x1; x += std::int64_t(tw) * kx) {
            const double px1 = (area.Left + x) / resX + offsetX;
            const double py1 = (area.Top + y) / resY + offsetY;
            report.StretchBitmap(px1, py1, px1 + double(tw) * (kx + 1) / resX, py1 + double(th) * (ky + 1) / resY, group);
        }
}

void PrintGradientBands(TPageEngine& report, const TGradientSpec& spec, int bandWidth, int bandHeight, int dx,
    int dy)
{
    report.SetPen(clBlack, PageStyle::psSolid, -1, PageStyle::pmCopy);
    const auto bands = GradientBands(spec, bandWidth, bandHeight);
    QList<TColor> colours;
    colours.reserve(GradientBandCount);
    for (const TGradientBand& b : bands)
        colours.append(b.Color);
    // The engine lays the bands by the same MulDiv rule GradientBands uses
    // (a PDF as one shading of the same 256 colours).
    report.FillBands(TDeviceRect{dx, dy, dx + bandWidth, dy + bandHeight}, GradientRunsAcross(spec.Direction), colours);
}

} // namespace bv
