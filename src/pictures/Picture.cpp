#include "pictures/Picture.h"
#include "platform/SafeFile.h"

#include "platform/Errors.h"
#include "platform/Jpeg.h"

#include <QFileInfo>
#include <QBuffer>
#include <QImageReader>
#include <QPainter>

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

namespace {
// PNG and GIF pictures: the first frame over white, as a 24-bit bitmap.
Dib imageOverWhite(const QString& path)
{
    // The bytes through the safe reader (never a pipe or a device), then
    // decoded from memory.
    QByteArray bytes = ReadOutsideFileOrThrow(path, MaxPictureFileBytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid()
        && (size.width() > Dib::MaxSide || size.height() > Dib::MaxSide
            || std::int64_t(size.width()) * size.height() > Dib::MaxPixels))
        throw EConvertError(QStringLiteral("Picture is too large"));
    const QImage img = reader.read();
    if (img.isNull())
        throw EConvertError(QStringLiteral("Invalid picture: %1").arg(reader.errorString()));
    QImage flat(img.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter p(&flat);
    p.drawImage(0, 0, img);
    p.end();
    return Dib::FromImage(flat);
}
} // namespace

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
    if (ext == QLatin1String("PNG") || ext == QLatin1String("GIF"))
        return FromBitmap(imageOverWhite(path));
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

void TPicture::Draw(QPainter& painter, const QRectF& target, bool reverse, bool flip) const
{
    switch (kind) {
    case gkBitmap: {
        if (bitmap.IsEmpty() || target.isEmpty())
            return;
        painter.save();
        // A mirrored destination: the whole picture lands in the same box.
        QTransform t;
        t.translate(reverse ? target.right() : target.left(), flip ? target.bottom() : target.top());
        t.scale(reverse ? -1 : 1, flip ? -1 : 1);
        painter.setTransform(t, true);
        painter.drawImage(QRectF(0, 0, target.width(), target.height()), bitmap.Image());
        painter.restore();
        return;
    }
    case gkMetafile: metafile.Play(painter, target); return;
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
