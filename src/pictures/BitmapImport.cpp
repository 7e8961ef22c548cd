#include "pictures/BitmapImport.h"

#include "platform/Errors.h"
#include "platform/PictureLimits.h"

#include <QtEndian>
#include <cstring>
#include <limits>

namespace bv {

namespace {
constexpr char PngSignature[8] = { '\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n' };
} // namespace

QSize PngPixelsPerMetre(const QByteArray& b)
{
    if (b.size() < 8 || std::memcmp(b.constData(), PngSignature, 8) != 0)
        return {0, 0};
    qsizetype at = 8;
    // Chunks: length (big-endian), type, data, CRC. pHYs must come before
    // the first IDAT.
    while (b.size() - at >= 12) {
        const std::uint32_t length = qFromBigEndian<std::uint32_t>(b.constData() + at);
        const QByteArray type = b.mid(at + 4, 4);
        if (length > std::uint64_t(b.size() - at - 12))
            break;
        if (type == "IDAT" || type == "IEND")
            break;
        if (type == "pHYs" && length == 9) {
            const char* d = b.constData() + at + 8;
            const std::uint32_t x = qFromBigEndian<std::uint32_t>(d);
            const std::uint32_t y = qFromBigEndian<std::uint32_t>(d + 4);
            const int unit = static_cast<unsigned char>(d[8]);
            constexpr std::uint32_t most = std::numeric_limits<std::int32_t>::max();
            if (unit != 1 || x == 0 || y == 0 || x > most || y > most)
                return {0, 0};
            return {static_cast<int>(x), static_cast<int>(y)};
        }
        at += 12 + qsizetype(length);
    }
    return {0, 0};
}

Dib ImportBitmap(const QByteArray& fileBytes)
{
    QString error;
    const QImage image = DecodePictureBytes(fileBytes, &error);
    if (image.isNull())
        throw EConvertError(QStringLiteral("Invalid picture: %1").arg(error));
    const QSize perMetre = PngPixelsPerMetre(fileBytes);
    return Dib::FromImageKeepingAlpha(image, perMetre.width(), perMetre.height());
}

} // namespace bv
