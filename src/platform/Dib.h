#pragma once
// Device-independent bitmaps as Windows bitmap files hold them.
//
// A Dib keeps the exact bytes it was loaded from (14-byte file header, info
// header, colour table, pixel rows), so a design file that carries a bitmap
// writes back precisely what it read, and a QImage (RGB32) decoded from those
// bytes for drawing. Reading understands the OS/2 core header and every
// Windows info header size (40, 52, 56, 64, 108, 124), 1/2/4/8/16/24/32 bits
// per pixel, RLE4 and RLE8, bit-field masks, bottom-up and top-down rows.
//
// A 32-bit bitmap may carry transparency in the fourth byte of each pixel:
// the colour bytes hold the picture laid over white (so a reader that ignores
// the fourth byte shows the picture on white, fully transparent pixels as
// white), the fourth byte its opacity. Such a bitmap is one whose fourth
// bytes are not all zero; bitmaps with all-zero fourth bytes, as most 32-bit
// files have, are opaque. Bit-field bitmaps with an alpha mask (the longer
// headers) carry ordinary, not white-laid, alpha.
//
// Malformed input (wrong signature, bad header sizes, truncated colour table
// or pixel rows, absurd dimensions) raises bv::EConvertError; nothing is
// allocated beyond what the data could describe.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>
#include <cstdint>

namespace bv {

class Dib {
public:
    // The empty bitmap (no bytes, null image).
    Dib() = default;

    // A complete bitmap file ("BM" file header first). Throws EConvertError.
    static Dib FromBytes(const QByteArray& fileBytes);
    // Reads a bitmap file. Throws EFOpenError when it cannot be opened,
    // EConvertError when it is not a readable bitmap.
    static Dib FromFile(const QString& path);
    // A packed DIB (info header, colour table, rows, no file header), as the
    // clipboard and resources carry it; the file header is prefixed.
    static Dib FromPackedDib(const QByteArray& packed);
    // A 24-bit bottom-up bitmap of the image (any alpha is dropped, the
    // colour channels are kept). An empty image gives the empty Dib.
    static Dib FromImage(const QImage& image);
    // The image with its transparency: a 32-bit bitmap of the image laid
    // over white with the opacity in the fourth byte when any pixel is not
    // fully opaque, otherwise the 24-bit bitmap of FromImage. The resolution
    // (pixels per metre, 0 when unknown) is written into the header.
    static Dib FromImageKeepingAlpha(const QImage& image, int xPelsPerMeter = 0, int yPelsPerMeter = 0);
    // A bitmap built from bottom-up rows (each padded to 4 bytes) of the
    // given depth (1, 2, 4, 8, 24 or 32; palette used up to 8 bits).
    // Throws EConvertError when the rows are too short.
    static Dib FromRows(int width, int height, int bitCount, const QVector<QRgb>& palette,
                        const QByteArray& bottomUpRows, int xPelsPerMeter = 0,
                        int yPelsPerMeter = 0);

    bool IsEmpty() const { return bytes.isEmpty(); }
    int Width() const { return width; }
    int Height() const { return height; }
    int BitCount() const { return bitCount; }
    // 0 BI_RGB, 1 BI_RLE8, 2 BI_RLE4, 3 BI_BITFIELDS.
    int Compression() const { return compression; }
    bool TopDown() const { return topDown; }
    // The colour table (bit depths up to 8; may be shorter than 2^bits).
    const QVector<QRgb>& Palette() const { return palette; }
    int XPelsPerMeter() const { return xPels; }
    int YPelsPerMeter() const { return yPels; }

    // The complete bitmap file, exactly as loaded or built.
    const QByteArray& Bytes() const { return bytes; }
    // The colour pixels (Format_RGB32), as a reader that ignores
    // transparency shows them; null for the empty Dib.
    const QImage& Image() const { return image; }
    // True when the bitmap carries transparency (see above).
    bool HasAlpha() const { return !alphaImage.isNull(); }
    // The pixels for drawing pictures: with the transparency
    // (Format_ARGB32_Premultiplied) when the bitmap carries it, otherwise
    // Image().
    const QImage& ImageWithAlpha() const { return HasAlpha() ? alphaImage : image; }

    // Writes Bytes() to a file. Throws EWriteError.
    void ToFile(const QString& path) const;
    // Writes the image as a 24-bit Windows bitmap file (exports).
    static void SaveToFile(const QImage& image, const QString& path);

    // Quarter turn clockwise on the pixel rows: the result is as wide as
    // this is high; the pixel at column x, row y (from the top) lands at
    // column (Height - 1 - y), row x. Bit depth, palette and masks are kept;
    // RLE bitmaps come out uncompressed, top-down ones bottom-up.
    Dib QuarterTurn() const;

    // Uncompressed bottom-up rows at the bitmap's own depth (RLE expanded,
    // top-down reordered), each padded to 4 bytes.
    QByteArray BottomUpRows() const;
    static int RowStride(int width, int bitCount)
    {
        return static_cast<int>(((static_cast<std::int64_t>(width) * bitCount + 31) / 32) * 4);
    }

    bool operator==(const Dib& other) const { return bytes == other.bytes; }
    bool operator!=(const Dib& other) const { return !(*this == other); }

    // Largest side and pixel count accepted, against absurd headers.
    static constexpr int MaxSide = 65535;
    static constexpr std::int64_t MaxPixels = std::int64_t(1) << 26;

private:
    void parse();
    void decodeAlpha(const QByteArray& bottomUpRows, int stride);

    QByteArray bytes;
    QImage image;
    QImage alphaImage;
    QVector<QRgb> palette;
    int width = 0;
    int height = 0;
    int bitCount = 0;
    int compression = 0;
    bool topDown = false;
    int xPels = 0;
    int yPels = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    int pixelOffset = 0;   // where the pixel data starts in bytes
    int pixelBytes = 0;    // how many bytes of pixel data are available
};

} // namespace bv
