#include "pictures/Picture.h"

#include "pictures/BitmapImport.h"
#include "platform/Environment.h"
#include "platform/Errors.h"
#include "platform/Jpeg.h"
#include "platform/Numeric.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <functional>

namespace bv {

TPicture TPicture::FromBitmap(const Dib& bitmap)
{
    TPicture p;
    p.kind = gkBitmap;
    p.bitmap = bitmap;
    return p;
}

TPicture TPicture::FromMetafile(const Metafile& metafile)
{
    TPicture p;
    p.kind = gkMetafile;
    p.metafile = metafile;
    if (metafile.Enhanced()) {
        const QByteArray carried = SvgDrawing::CarriedBytes(metafile.Bytes());
        if (!carried.isEmpty()) {
            try {
                p.svg = SvgDrawing::FromBytes(carried);
            } catch (const Exception&) {
                // The metafile's own picture of the drawing serves.
            }
        }
    }
    return p;
}

TPicture TPicture::FromSvg(const SvgDrawing& drawing)
{
    TPicture p;
    p.kind = gkMetafile;
    p.metafile = Metafile::FromBytes(drawing.CarrierMetafile());
    p.svg = drawing;
    return p;
}

TPicture TPicture::FromIcon(const Icon& icon)
{
    TPicture p;
    p.kind = gkIcon;
    p.icon = icon;
    return p;
}

Dib TPicture::IconToBitmap(const Icon& icon)
{
    return Dib::FromImage(icon.OnWhite());
}

TPicture TPicture::LoadFromFile(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toUpper();
    if (!QFileInfo(path).isFile())
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\".").arg(path));
    if (ext == QLatin1String("BMP") || ext == QLatin1String("DIB"))
        return FromBitmap(Dib::FromFile(path));
    if (ext == QLatin1String("WMF") || ext == QLatin1String("EMF"))
        return FromMetafile(Metafile::FromFile(path));
    if (ext == QLatin1String("ICO"))
        return FromIcon(Icon::FromFile(path));
    if (ext == QLatin1String("JPG") || ext == QLatin1String("JPEG") || ext == QLatin1String("JIF"))
        return FromBitmap(Jpeg::DecodeFile(path));
    if (ext == QLatin1String("PNG") || ext == QLatin1String("GIF") || ext == QLatin1String("WEBP"))
        return FromBitmap(ImportBitmap(ReadOutsideFileOrThrow(path, MaxPictureFileBytes)));
    if (ext == QLatin1String("SVG") || ext == QLatin1String("SVGZ"))
        return FromSvg(SvgDrawing::FromFile(path));
    throw EConvertError(QStringLiteral("Unknown picture file extension (.%1)").arg(ext.toLower()));
}

int TPicture::Width() const
{
    switch (kind) {
    case gkBitmap: return bitmap.Width();
    case gkMetafile: return metafile.Width();
    case gkIcon: return icon.Width();
    default: return 0;
    }
}

int TPicture::Height() const
{
    switch (kind) {
    case gkBitmap: return bitmap.Height();
    case gkMetafile: return metafile.Height();
    case gkIcon: return icon.Height();
    default: return 0;
    }
}

QSize TPicture::NaturalSize() const
{
    if (kind != gkBitmap)
        return QSize(Width(), Height());
    // Pixels per metre from about 10 to 10,000 dpi are taken as meant; 0
    // and absurd values leave the pixel count.
    auto side = [](int pixels, int perMetre) {
        if (perMetre < 400 || perMetre > 400000)
            return pixels;
        const std::int64_t v = Round(static_cast<Extended>(pixels) * ScreenPpi() / (perMetre * 0.0254));
        return static_cast<int>(std::clamp<std::int64_t>(v, 1, Dib::MaxSide));
    };
    if (bitmap.XPelsPerMeter() <= 0 || bitmap.YPelsPerMeter() <= 0)
        return QSize(bitmap.Width(), bitmap.Height());
    return QSize(side(bitmap.Width(), bitmap.XPelsPerMeter()), side(bitmap.Height(), bitmap.YPelsPerMeter()));
}

namespace {
struct {
    const QPaintDevice* device = nullptr;
    TPicture::BitmapDrawer draw;
} bitmapDrawer;
} // namespace

void TPicture::SetBitmapDrawer(const QPaintDevice* device, BitmapDrawer drawer)
{
    bitmapDrawer.device = drawer ? device : nullptr;
    bitmapDrawer.draw = std::move(drawer);
}

void TPicture::Draw(QPainter& painter, const QRectF& target, bool reverse, bool flip) const
{
    if (target.isEmpty())
        return;
    // A mirrored destination: the whole picture lands in the same box.
    auto mirrored = [&](const std::function<void(const QRectF&)>& draw) {
        painter.save();
        QTransform t;
        t.translate(reverse ? target.right() : target.left(), flip ? target.bottom() : target.top());
        t.scale(reverse ? -1 : 1, flip ? -1 : 1);
        painter.setTransform(t, true);
        draw(QRectF(0, 0, target.width(), target.height()));
        painter.restore();
    };
    switch (kind) {
    case gkBitmap:
        if (bitmap.IsEmpty())
            return;
        mirrored([&](const QRectF& box) {
            if (bitmapDrawer.device && painter.device() == bitmapDrawer.device
                && bitmapDrawer.draw(painter, box, bitmap.ImageWithAlpha()))
                return;
            painter.drawImage(box, bitmap.ImageWithAlpha());
        });
        return;
    case gkMetafile:
        if (!reverse && !flip) {
            if (IsSvg())
                svg.Render(painter, target);
            else
                metafile.Play(painter, target);
            return;
        }
        mirrored([&](const QRectF& box) {
            if (IsSvg())
                svg.Render(painter, box);
            else
                metafile.Play(painter, box);
        });
        return;
    case gkIcon: {
        // Of an icon with several sizes, the one fitting the drawn size.
        const QSizeF drawn = painter.worldTransform().mapRect(target).size();
        const QImage& img = icon.ImageFor(drawn.width(), drawn.height());
        if (!img.isNull())
            painter.drawImage(target, img);
        return;
    }
    default: return;
    }
}

} // namespace bv
