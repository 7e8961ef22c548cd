#pragma once
// JPEG pictures through libjpeg.
//
// Decoding gives an 8-bit palette bitmap: accurate integer inverse DCT, fancy
// upsampling, colour quantisation to 256 colours in two passes with
// Floyd-Steinberg dithering (clip art and textures are kept as such bitmaps);
// a grey picture keeps its 256 greys exactly. The picture is turned upright
// as its EXIF orientation says (photos from phones and cameras).
// Encoding writes baseline JPEG at quality 100 (the card export).
//
// libjpeg reports fatal errors through a setjmp/longjmp error manager that is
// turned into bv::EConvertError here; it never ends the program. Warnings
// (such as a file that ends early) are ignored, as the decoder's own recovery
// produces a usable picture.
#include "platform/Dib.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace bv {

class Jpeg {
public:
    // Decodes a JPEG file held in memory. Throws EConvertError.
    static Dib Decode(const QByteArray& data);
    // Reads and decodes a file. Throws EFOpenError or EConvertError.
    static Dib DecodeFile(const QString& path);

    // Encodes the image (colour, 3 components) at the given quality.
    // Throws EConvertError for an empty image.
    static QByteArray Encode(const QImage& image, int quality = 100);
    static QByteArray Encode(const Dib& dib, int quality = 100) { return Encode(dib.Image(), quality); }
    // Encodes and writes a file. Throws EConvertError or EWriteError.
    static void SaveToFile(const QImage& image, const QString& path, int quality = 100);
};

} // namespace bv
