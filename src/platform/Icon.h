#pragma once
// Windows icon files (.ICO): the directory of images and the one image the
// program shows, decoded to ARGB pixels with its transparency mask.
//
// Each image is either a DIB (an XOR bitmap of twice the icon's height in its
// header, then a one-bit AND mask) or a PNG stream. Malformed input (bad
// directory, entries outside the file, absurd sizes) raises EConvertError;
// nothing beyond the file's own data is read.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace bv {

class Icon {
public:
    Icon() = default;

    // Throws EConvertError when no image of the file can be decoded.
    static Icon FromBytes(const QByteArray& fileBytes);
    // Throws EFOpenError or EConvertError.
    static Icon FromFile(const QString& path);

    bool IsEmpty() const { return bytes.isEmpty(); }
    // The icon file exactly as loaded.
    const QByteArray& Bytes() const { return bytes; }
    int Width() const { return image.width(); }
    int Height() const { return image.height(); }
    // The chosen image (the 32 x 32 one with the most colours, else the
    // largest), ARGB32 premultiplied; masked pixels are transparent.
    const QImage& Image() const { return image; }
    // The image that best fits a drawing of the given size in device pixels:
    // the smallest one at least that large, else the largest.
    const QImage& ImageFor(double width, double height) const;
    // The icon drawn at (0, 0) on a white bitmap of its own size, as a
    // picture made from an icon keeps it.
    QImage OnWhite() const;

    static constexpr int MaxEntries = 256;
    static constexpr int MaxSide = 1024;
    static constexpr qsizetype MaxBytes = qsizetype(16) << 20;
    // Pixels of all the sizes kept together.
    static constexpr std::int64_t MaxKeptPixels = std::int64_t(4) << 20;

private:
    QByteArray bytes;
    QImage image;
    std::vector<QImage> sizes; // one image per size, the chosen one among them
};

} // namespace bv
