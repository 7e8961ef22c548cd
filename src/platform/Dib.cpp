#include "platform/Dib.h"

#include "platform/Errors.h"
#include "platform/AtomicFile.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <algorithm>
#include <bit>
#include <cstring>

namespace bv {

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr int CoreHeaderSize = 12;
constexpr int BiRgb = 0;
constexpr int BiRle8 = 1;
constexpr int BiRle4 = 2;
constexpr int BiBitfields = 3;

// RLE bitmaps can describe any size in a few bytes, so their decoded size
// has its own, tighter ceiling (32 Mi pixels).
constexpr std::int64_t MaxRlePixels = std::int64_t(1) << 25;
// And in proportion to the data: a run of two bytes gives at most 255
// pixels, and an end-of-line code skips the rest of a row, so a real RLE
// bitmap needs roughly a byte for every few hundred pixels. Small pictures
// (up to 4 Mi pixels) are accepted whatever their data.
constexpr std::int64_t MaxRlePixelsPerByte = 1024;
constexpr std::int64_t MinRleClaim = std::int64_t(1) << 22;

[[noreturn]] void invalid(const char* why)
{
    throw EConvertError(QStringLiteral("Bitmap image is not valid (%1)").arg(QLatin1String(why)));
}

std::uint16_t u16(const uchar* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const uchar* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
        | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t i32(const uchar* p) { return static_cast<std::int32_t>(u32(p)); }

void put16(QByteArray& b, std::uint16_t v)
{
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}
void put32(QByteArray& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void set32(QByteArray& b, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Raw value of pixel x of an uncompressed row at the given depth.
inline std::uint32_t rawPixel(const uchar* row, int x, int bits)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
    case 8: return row[x];
    case 16: return u16(row + 2 * x);
    case 24: return row[3 * x] | (row[3 * x + 1] << 8) | (static_cast<std::uint32_t>(row[3 * x + 2]) << 16);
    default: return u32(row + 4 * x);
    }
}

inline void setRawPixel(uchar* row, int x, int bits, std::uint32_t v)
{
    switch (bits) {
    case 1: {
        uchar m = static_cast<uchar>(1u << (7 - (x & 7)));
        row[x >> 3] = static_cast<uchar>((row[x >> 3] & ~m) | ((v & 1u) ? m : 0));
        break;
    }
    case 2: {
        int shift = 6 - 2 * (x & 3);
        row[x >> 2] = static_cast<uchar>((row[x >> 2] & ~(3u << shift)) | ((v & 3u) << shift));
        break;
    }
    case 4: {
        int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = static_cast<uchar>((row[x >> 1] & ~(15u << shift)) | ((v & 15u) << shift));
        break;
    }
    case 8: row[x] = static_cast<uchar>(v); break;
    case 16:
        row[2 * x] = static_cast<uchar>(v);
        row[2 * x + 1] = static_cast<uchar>(v >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<uchar>(v);
        row[3 * x + 1] = static_cast<uchar>(v >> 8);
        row[3 * x + 2] = static_cast<uchar>(v >> 16);
        break;
    default:
        for (int i = 0; i < 4; ++i)
            row[4 * x + i] = static_cast<uchar>(v >> (8 * i));
    }
}

// One colour channel under a bit-field mask, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::popcount(m >> shift);
        }
    }
    int value(std::uint32_t px) const
    {
        if (!bits)
            return 0;
        std::uint32_t v = (px & mask) >> shift;
        if (bits >= 8)
            return static_cast<int>(v >> (bits - 8));
        std::uint32_t maxv = (1u << bits) - 1;
        return static_cast<int>((v * 255 + maxv / 2) / maxv);
    }
};

// Expands RLE8/RLE4 data into bottom-up rows at 8 or 4 bits. Pixels the
// data skips (deltas, early line ends) stay index 0. A missing end-of-bitmap
// marker is accepted; an absolute run cut short by the end of the data is not.
QByteArray expandRle(const uchar* d, qsizetype n, int width, int height, int bits)
{
    const int stride = Dib::RowStride(width, bits);
    QByteArray out(static_cast<qsizetype>(stride) * height, '\0');
    auto* rows = reinterpret_cast<uchar*>(out.data());
    // The counters never leave [0, width] and [0, height]: deltas and runs
    // that would carry them further stop at the edge, so no sum of codes can
    // wrap them around to a place inside (or before) the rows.
    int x = 0, y = 0;
    qsizetype p = 0;
    auto put = [&](std::uint32_t v) {
        if (x >= width)
            return;
        setRawPixel(rows + static_cast<qsizetype>(y) * stride, x, bits, v);
        ++x;
    };
    while (p + 1 < n && y < height) {
        int count = d[p];
        int val = d[p + 1];
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(bits == 8 ? static_cast<std::uint32_t>(val)
                              : static_cast<std::uint32_t>((i & 1) ? (val & 15) : (val >> 4)));
            continue;
        }
        if (val == 0) { // end of line
            x = 0;
            ++y;
        } else if (val == 1) { // end of bitmap
            break;
        } else if (val == 2) { // delta
            if (p + 1 >= n)
                invalid("truncated RLE delta");
            x = std::min(x + d[p], width);
            y = std::min(y + d[p + 1], height);
            p += 2;
        } else { // absolute run of val pixels, padded to a 16-bit boundary
            qsizetype len = bits == 8 ? val : (val + 1) / 2;
            if (p + len > n)
                invalid("truncated RLE run");
            for (int i = 0; i < val; ++i)
                put(bits == 8 ? d[p + i] : ((i & 1) ? (d[p + i / 2] & 15) : (d[p + i / 2] >> 4)));
            p += (len + 1) & ~qsizetype(1);
        }
    }
    return out;
}

} // namespace

Dib Dib::FromBytes(const QByteArray& fileBytes)
{
    Dib dib;
    if (fileBytes.isEmpty())
        invalid("no data");
    dib.bytes = fileBytes;
    dib.parse();
    return dib;
}

Dib Dib::FromFile(const QString& path)
{
    return FromBytes(ReadOutsideFileOrThrow(path, MaxPictureFileBytes));
}

Dib Dib::FromPackedDib(const QByteArray& packed)
{
    QByteArray file;
    file.reserve(FileHeaderSize + packed.size());
    file.append("BM");
    put32(file, static_cast<std::uint32_t>(FileHeaderSize + packed.size()));
    put32(file, 0);
    put32(file, 0); // pixel offset unknown yet: parse places the rows after the table
    file.append(packed);
    Dib dib = FromBytes(file);
    set32(dib.bytes, 10, static_cast<std::uint32_t>(dib.pixelOffset));
    return dib;
}

void Dib::parse()
{
    const auto* d = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n < FileHeaderSize + CoreHeaderSize)
        invalid("too short");
    if (d[0] != 'B' || d[1] != 'M')
        invalid("no BM signature");
    const std::uint32_t offBits = u32(d + 10);
    const std::uint32_t hdrSize = u32(d + 14);

    std::int64_t w = 0, h = 0;
    std::uint32_t clrUsed = 0;
    int entrySize = 4;
    qsizetype tableStart = 0;
    if (hdrSize == CoreHeaderSize) {
        w = u16(d + 18);
        h = u16(d + 20);
        bitCount = u16(d + 24);
        compression = BiRgb;
        entrySize = 3;
        tableStart = FileHeaderSize + CoreHeaderSize;
    } else if (hdrSize >= InfoHeaderSize && hdrSize <= 1024 && FileHeaderSize + qsizetype(hdrSize) <= n) {
        w = i32(d + 18);
        h = i32(d + 22);
        bitCount = u16(d + 28);
        compression = static_cast<int>(u32(d + 30));
        xPels = i32(d + 38);
        yPels = i32(d + 42);
        clrUsed = u32(d + 46);
        tableStart = FileHeaderSize + hdrSize;
        if (compression == BiBitfields) {
            if (hdrSize == InfoHeaderSize) {
                if (tableStart + 12 > n)
                    invalid("truncated bit-field masks");
                for (int i = 0; i < 3; ++i)
                    masks[i] = u32(d + tableStart + 4 * i);
                tableStart += 12;
            } else if (hdrSize >= 52) {
                // The masks are part of the longer headers; the header
                // (checked above to lie within the data) must hold all three.
                for (int i = 0; i < 3; ++i)
                    masks[i] = u32(d + 54 + 4 * i);
                if (hdrSize >= 56)
                    masks[3] = u32(d + 66);
            } else {
                // 41 to 51 bytes: longer than the basic header, too short to
                // hold the masks.
                invalid("header too short for bit-field masks");
            }
        }
    } else {
        invalid("unknown header size");
    }

    if (w <= 0 || w > MaxSide)
        invalid("bad width");
    if (h == 0 || h > MaxSide || h < -MaxSide)
        invalid("bad height");
    topDown = h < 0;
    width = static_cast<int>(w);
    height = static_cast<int>(topDown ? -h : h);
    if (std::int64_t(width) * height > MaxPixels)
        invalid("dimensions too large");

    switch (compression) {
    case BiRgb:
        if (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8 && bitCount != 16
            && bitCount != 24 && bitCount != 32)
            invalid("unsupported bit depth");
        break;
    case BiRle8:
        if (bitCount != 8)
            invalid("RLE8 needs 8 bits per pixel");
        break;
    case BiRle4:
        if (bitCount != 4)
            invalid("RLE4 needs 4 bits per pixel");
        break;
    case BiBitfields:
        if (bitCount != 16 && bitCount != 32)
            invalid("bit fields need 16 or 32 bits per pixel");
        break;
    default:
        invalid("unsupported compression");
    }
    if (topDown && (compression == BiRle8 || compression == BiRle4))
        invalid("top-down RLE");
    if (compression == BiRgb && bitCount == 16) {
        masks[0] = 0x7C00; masks[1] = 0x03E0; masks[2] = 0x001F;
    } else if (compression == BiRgb && bitCount == 32) {
        masks[0] = 0xFF0000; masks[1] = 0xFF00; masks[2] = 0xFF;
    }

    // Colour table.
    std::int64_t entries = 0;
    if (bitCount <= 8) {
        entries = clrUsed ? clrUsed : (1u << bitCount);
        if (entrySize == 3 && offBits >= tableStart && offBits < tableStart + entries * 3)
            entries = (offBits - tableStart) / 3; // OS/2 files with a short table
    } else {
        entries = clrUsed; // optional table, only skipped
    }
    if (entries > 65536 || tableStart + entries * entrySize > n)
        invalid("truncated colour table");
    palette.clear();
    if (bitCount <= 8) {
        const std::int64_t used = std::min<std::int64_t>(entries, 1 << bitCount);
        palette.reserve(static_cast<qsizetype>(used));
        for (std::int64_t i = 0; i < used; ++i) {
            const uchar* e = d + tableStart + i * entrySize;
            palette.append(qRgb(e[2], e[1], e[0]));
        }
    }
    const qsizetype tableEnd = tableStart + static_cast<qsizetype>(entries) * entrySize;
    pixelOffset = static_cast<int>((offBits >= tableEnd && offBits <= n) ? offBits : tableEnd);
    pixelBytes = static_cast<int>(n - pixelOffset);

    const int stride = RowStride(width, bitCount);
    if (compression == BiRgb || compression == BiBitfields) {
        // The last row may lack its padding; its pixels must be there.
        const std::int64_t need = std::int64_t(stride) * (height - 1)
            + (std::int64_t(width) * bitCount + 7) / 8;
        if (need > pixelBytes)
            invalid("truncated pixel data");
    } else if (std::int64_t(width) * height > MaxRlePixels) {
        invalid("dimensions too large");
    } else if (std::int64_t(width) * height > std::max<std::int64_t>(MinRleClaim, std::int64_t(pixelBytes) * MaxRlePixelsPerByte)) {
        // A few bytes of RLE data cannot describe a picture of millions of
        // pixels that anybody drew; refuse before allocating for it.
        invalid("dimensions too large for its data");
    }

    // Decode for drawing. Whole bottom-up rows are read where they lie in
    // the file's bytes rather than copied first (a large photo would
    // otherwise be held twice more while it is decoded).
    const bool inPlace = (compression == BiRgb || compression == BiBitfields) && !topDown
        && std::int64_t(stride) * height <= pixelBytes;
    const QByteArray rows = inPlace
        ? QByteArray::fromRawData(bytes.constData() + pixelOffset, static_cast<qsizetype>(stride) * height)
        : BottomUpRows();
    image = QImage(width, height, QImage::Format_RGB32);
    if (image.isNull())
        invalid("out of memory");
    image.setDotsPerMeterX(xPels > 0 ? xPels : 3780);
    image.setDotsPerMeterY(yPels > 0 ? yPels : 3780);
    const auto* r = reinterpret_cast<const uchar*>(rows.constData());
    const Channel cr(masks[0]), cg(masks[1]), cb(masks[2]);
    for (int y = 0; y < height; ++y) {
        const uchar* row = r + static_cast<qsizetype>(height - 1 - y) * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (bitCount <= 8) {
            for (int x = 0; x < width; ++x) {
                std::uint32_t idx = rawPixel(row, x, bitCount);
                out[x] = idx < std::uint32_t(palette.size()) ? (palette[idx] | 0xFF000000u) : qRgb(0, 0, 0);
            }
        } else if (bitCount == 24) {
            for (int x = 0; x < width; ++x)
                out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        } else {
            for (int x = 0; x < width; ++x) {
                std::uint32_t px = rawPixel(row, x, bitCount);
                out[x] = qRgb(cr.value(px), cg.value(px), cb.value(px));
            }
        }
    }
    decodeAlpha(rows, stride);
}

void Dib::decodeAlpha(const QByteArray& rows, int stride)
{
    alphaImage = QImage();
    // A plain 32-bit bitmap: the fourth byte, when any is set, is the
    // opacity of a picture laid over white. An alpha mask of the longer
    // headers: ordinary alpha.
    const bool whiteLaid = compression == BiRgb && bitCount == 32;
    const bool masked = compression == BiBitfields && masks[3] != 0;
    if (!whiteLaid && !masked)
        return;
    const Channel ca(masks[3]);
    const auto* r = reinterpret_cast<const uchar*>(rows.constData());
    auto alphaOf = [&](const uchar* row, int x) -> int {
        return whiteLaid ? row[4 * x + 3] : ca.value(rawPixel(row, x, bitCount));
    };
    bool any = false;
    for (int y = 0; y < height && !any; ++y) {
        const uchar* row = r + static_cast<qsizetype>(y) * stride;
        for (int x = 0; x < width && !any; ++x)
            any = alphaOf(row, x) != 0;
    }
    if (!any)
        return;
    alphaImage = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    if (alphaImage.isNull())
        invalid("out of memory");
    alphaImage.setDotsPerMeterX(image.dotsPerMeterX());
    alphaImage.setDotsPerMeterY(image.dotsPerMeterY());
    for (int y = 0; y < height; ++y) {
        const uchar* row = r + static_cast<qsizetype>(height - 1 - y) * stride;
        const auto* colour = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(alphaImage.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = alphaOf(row, x);
            const QRgb c = colour[x];
            if (whiteLaid) {
                // Colour over white is premultiplied colour plus (255 - a)
                // of white; take the white away again.
                auto premul = [a](int v) { return std::clamp(v - (255 - a), 0, a); };
                out[x] = qRgba(premul(qRed(c)), premul(qGreen(c)), premul(qBlue(c)), a);
            } else {
                out[x] = qPremultiply(qRgba(qRed(c), qGreen(c), qBlue(c), a));
            }
        }
    }
}

QByteArray Dib::BottomUpRows() const
{
    if (IsEmpty())
        return {};
    const auto* d = reinterpret_cast<const uchar*>(bytes.constData()) + pixelOffset;
    const int stride = RowStride(width, bitCount);
    if (compression == BiRle8 || compression == BiRle4)
        return expandRle(d, pixelBytes, width, height, bitCount);
    QByteArray out(static_cast<qsizetype>(stride) * height, '\0');
    for (int y = 0; y < height; ++y) {
        const int src = topDown ? height - 1 - y : y;
        const qsizetype from = static_cast<qsizetype>(src) * stride;
        const qsizetype len = std::min<qsizetype>(stride, pixelBytes - from);
        if (len > 0)
            std::memcpy(out.data() + static_cast<qsizetype>(y) * stride, d + from, static_cast<size_t>(len));
    }
    return out;
}

namespace {

QByteArray buildFile(int width, int height, int bitCount, const QVector<QRgb>& palette,
                     const QByteArray& rows, int xPels, int yPels, bool bitfields,
                     const std::uint32_t* masks)
{
    const int stride = Dib::RowStride(width, bitCount);
    const qsizetype imageSize = static_cast<qsizetype>(stride) * height;
    if (rows.size() < imageSize)
        invalid("rows too short");
    // A colour count of 0 in the header means a full table, so a bitmap read
    // without one (an OS/2 header whose pixels follow it at once) cannot be
    // written with none: it gets one black entry, which draws as it did
    // (every index beyond the table is black).
    const QVector<QRgb> table = bitCount <= 8 && palette.isEmpty() ? QVector<QRgb>{qRgb(0, 0, 0)} : palette;
    const int entries = bitCount <= 8 ? static_cast<int>(std::min<qsizetype>(table.size(), 1 << bitCount)) : 0;
    const int maskBytes = bitfields ? 12 : 0;
    const std::uint32_t offBits = FileHeaderSize + InfoHeaderSize + maskBytes + 4 * entries;
    QByteArray b;
    b.reserve(static_cast<qsizetype>(offBits) + imageSize);
    b.append("BM");
    put32(b, static_cast<std::uint32_t>(offBits + imageSize));
    put32(b, 0);
    put32(b, offBits);
    put32(b, InfoHeaderSize);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, static_cast<std::uint16_t>(bitCount));
    put32(b, bitfields ? BiBitfields : BiRgb);
    put32(b, static_cast<std::uint32_t>(imageSize));
    put32(b, static_cast<std::uint32_t>(xPels));
    put32(b, static_cast<std::uint32_t>(yPels));
    put32(b, (bitCount <= 8 && entries < (1 << bitCount)) ? static_cast<std::uint32_t>(entries) : 0);
    put32(b, 0);
    if (bitfields)
        for (int i = 0; i < 3; ++i)
            put32(b, masks[i]);
    for (int i = 0; i < entries; ++i) {
        b.append(static_cast<char>(qBlue(table[i])));
        b.append(static_cast<char>(qGreen(table[i])));
        b.append(static_cast<char>(qRed(table[i])));
        b.append('\0');
    }
    b.append(rows.constData(), imageSize);
    return b;
}

} // namespace

Dib Dib::FromRows(int width, int height, int bitCount, const QVector<QRgb>& palette,
                  const QByteArray& bottomUpRows, int xPelsPerMeter, int yPelsPerMeter)
{
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide
        || std::int64_t(width) * height > MaxPixels)
        invalid("bad dimensions");
    if (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8 && bitCount != 16
        && bitCount != 24 && bitCount != 32)
        invalid("unsupported bit depth");
    return FromBytes(buildFile(width, height, bitCount, palette, bottomUpRows, xPelsPerMeter,
                               yPelsPerMeter, false, nullptr));
}

Dib Dib::FromImage(const QImage& source)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return {};
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int stride = RowStride(w, 24);
    QByteArray rows(static_cast<qsizetype>(stride) * h, '\0');
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(h - 1 - y));
        auto* out = reinterpret_cast<uchar*>(rows.data()) + static_cast<qsizetype>(y) * stride;
        for (int x = 0; x < w; ++x) {
            out[3 * x] = static_cast<uchar>(qBlue(in[x]));
            out[3 * x + 1] = static_cast<uchar>(qGreen(in[x]));
            out[3 * x + 2] = static_cast<uchar>(qRed(in[x]));
        }
    }
    return FromRows(w, h, 24, {}, rows);
}

Dib Dib::FromImageKeepingAlpha(const QImage& source, int xPelsPerMeter, int yPelsPerMeter)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return {};
    const QImage img = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = img.width(), h = img.height();
    bool translucent = false;
    for (int y = 0; y < h && !translucent; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w && !translucent; ++x)
            translucent = qAlpha(in[x]) != 255;
    }
    const int bits = translucent ? 32 : 24;
    const int stride = RowStride(w, bits);
    QByteArray rows(static_cast<qsizetype>(stride) * h, '\0');
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(h - 1 - y));
        auto* out = reinterpret_cast<uchar*>(rows.data()) + static_cast<qsizetype>(y) * stride;
        for (int x = 0; x < w; ++x) {
            // Premultiplied colour plus the white that shows through.
            const int white = 255 - qAlpha(in[x]);
            uchar* o = out + static_cast<qsizetype>(x) * (bits / 8);
            o[0] = static_cast<uchar>(qBlue(in[x]) + white);
            o[1] = static_cast<uchar>(qGreen(in[x]) + white);
            o[2] = static_cast<uchar>(qRed(in[x]) + white);
            if (translucent)
                o[3] = static_cast<uchar>(qAlpha(in[x]));
        }
    }
    if (translucent) {
        // A picture with no visible pixel at all would read as opaque (all
        // fourth bytes zero); one pixel at the least opacity keeps it clear.
        bool visible = false;
        for (qsizetype i = 3; i < rows.size() && !visible; i += 4)
            visible = rows[i] != 0;
        if (!visible)
            rows[3] = 1;
    }
    return FromRows(w, h, bits, {}, rows, xPelsPerMeter, yPelsPerMeter);
}

void Dib::ToFile(const QString& path) const
{
    WriteFileAtomically(path, bytes);
}

void Dib::SaveToFile(const QImage& image, const QString& path)
{
    const Dib dib = FromImage(image);
    if (dib.IsEmpty()) // no picture gives no file, not an empty one
        throw EWriteError(AtomicFile::FailureMessage(path));
    dib.ToFile(path);
}

Dib Dib::QuarterTurn() const
{
    if (IsEmpty())
        return {};
    const QByteArray src = BottomUpRows();
    const int sw = width, sh = height;
    const int srcStride = RowStride(sw, bitCount);
    const int dw = sh, dh = sw;
    const int dstStride = RowStride(dw, bitCount);
    QByteArray dst(static_cast<qsizetype>(dstStride) * dh, '\0');
    const auto* s = reinterpret_cast<const uchar*>(src.constData());
    auto* t = reinterpret_cast<uchar*>(dst.data());
    // Destination row dr (bottom-up) is source column sw-1-dr; destination
    // column X comes from source bottom-up row X.
    for (int dr = 0; dr < dh; ++dr) {
        uchar* out = t + static_cast<qsizetype>(dr) * dstStride;
        const int sx = sw - 1 - dr;
        for (int X = 0; X < dw; ++X)
            setRawPixel(out, X, bitCount, rawPixel(s + static_cast<qsizetype>(X) * srcStride, sx, bitCount));
    }
    const bool bitfields = compression == BiBitfields;
    return FromBytes(buildFile(dw, dh, bitCount, palette, dst, yPels, xPels, bitfields, masks));
}

} // namespace bv
