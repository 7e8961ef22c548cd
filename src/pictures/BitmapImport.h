#pragma once
// Pictures of the common interchange formats (PNG, GIF, WebP and whatever
// else Qt's image readers know) made into bitmaps a design can store: the
// first frame, its transparency kept (a 32-bit bitmap laid over white with
// the opacity in the fourth byte, see Dib) and its resolution, when the file
// gives one, written into the bitmap's pixels per metre.
#include "platform/Dib.h"

#include <QByteArray>
#include <QSize>

namespace bv {

// The picture file's bytes as a bitmap. Throws EConvertError when they are
// no picture or claim more than the picture limits.
Dib ImportBitmap(const QByteArray& fileBytes);

// The pixels per metre a PNG file's pHYs chunk gives (before the image
// data); (0, 0) when there is none, it gives only an aspect ratio, or the
// bytes are not a PNG file.
QSize PngPixelsPerMetre(const QByteArray& fileBytes);

} // namespace bv
