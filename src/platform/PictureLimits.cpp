#include "platform/PictureLimits.h"

#include <QBuffer>
#include <QImageReader>

namespace bv {

bool PictureSizeAllowed(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= MaxPictureSide && height <= MaxPictureSide
        && width * height <= MaxPicturePixels;
}

QImage DecodePictureBytes(const QByteArray& data, QString* error)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && !PictureSizeAllowed(size.width(), size.height())) {
        if (error)
            *error = QStringLiteral("The picture is too large (%1 x %2 pixels; at most %3 megapixels).")
                         .arg(size.width())
                         .arg(size.height())
                         .arg(MaxPicturePixels >> 20);
        return {};
    }
    QImage image = reader.read();
    if (image.isNull() && error)
        *error = reader.errorString();
    return image;
}

} // namespace bv
