#include "effects/SurfaceFill.h"

#include "pageengine/PageEngine.h"

#include <QPainter>

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
    const double resX = report.ResolutionX();
    const double resY = report.ResolutionY();
    if (composeFirst) {
        if (w + 1 < 1 || h + 1 < 1)
            return;
        QImage composed(w + 1, h + 1, QImage::Format_RGB32);
        composed.fill(Qt::white);
        {
            QPainter p(&composed);
            p.setRenderHint(QPainter::SmoothPixmapTransform, false);
            for (int y = 0; y < h + th; y += th)
                for (int x = 0; x < w + tw; x += tw)
                    p.drawImage(QRect(x, y, tw, th), picture.Image());
        }
        report.StretchBitmap(area.Left / resX + offsetX, area.Top / resY + offsetY, area.Right / resX + offsetX,
            area.Bottom / resY + offsetY, Dib::FromImage(composed));
        return;
    }
    for (int y = 0; y < h + th; y += th)
        for (int x = 0; x < w + tw; x += tw) {
            const double x1 = (area.Left + x) / resX + offsetX;
            const double y1 = (area.Top + y) / resY + offsetY;
            report.StretchBitmap(x1, y1, x1 + tw / resX + 0.01, y1 + th / resY + 0.01, picture);
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
