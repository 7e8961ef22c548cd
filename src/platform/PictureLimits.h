#pragma once
// What a picture from outside may claim. A few bytes of a file can declare
// any size; decoding is refused before any pixel memory is taken when the
// declared size is beyond these limits.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>

namespace bv {

// Largest picture decoded: 64 megapixels (256 MB of 32-bit pixels).
constexpr std::int64_t MaxPicturePixels = std::int64_t(1) << 26;
// Largest side of a picture.
constexpr int MaxPictureSide = 65535;

// True when a picture of this size may be decoded.
bool PictureSizeAllowed(std::int64_t width, std::int64_t height);

// Decodes a picture in any format Qt's image readers know (PNG, GIF, JPEG,
// …). A null image, with the reason in `error` when given, for data that is
// not a picture or claims more than the limits.
QImage DecodePictureBytes(const QByteArray& data, QString* error = nullptr);

} // namespace bv
