#include "platform/Icon.h"
#include "platform/SafeFile.h"

#include "platform/Dib.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <vector>

namespace bv {

namespace {

EConvertError badIcon()
{
    return EConvertError(QStringLiteral("Invalid icon"));
}

struct Entry {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
};

std::uint16_t u16(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<std::uint16_t>(b.constData() + at);
}
std::uint32_t u32(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

QImage decodePng(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > Icon::MaxSide || size.height() > Icon::MaxSide)
        throw badIcon();
    QImage img = reader.read();
    if (img.isNull())
        throw badIcon();
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// An icon image as a DIB: the header's height covers the colour bitmap and
// the mask; the colour rows come first, then the one-bit mask rows.
QImage decodeDib(const QByteArray& data)
{
    if (data.size() < 40)
        throw badIcon();
    const std::uint32_t headerSize = u32(data, 0);
    if (headerSize < 40 || headerSize > std::uint32_t(data.size()))
        throw badIcon();
    const qint32 width = static_cast<qint32>(u32(data, 4));
    const qint32 doubled = static_cast<qint32>(u32(data, 8));
    const int bitCount = u16(data, 14);
    if (width <= 0 || width > Icon::MaxSide || doubled <= 0 || doubled > 2 * Icon::MaxSide)
        throw badIcon();
    const int height = doubled / 2;
    if (height <= 0)
        throw badIcon();
    // The colour part as a DIB of its own height.
    QByteArray colour = data;
    qToLittleEndian<qint32>(height, colour.data() + 8);
    const Dib dib = Dib::FromPackedDib(colour);
    QImage img = dib.Image().convertToFormat(QImage::Format_ARGB32);
    // Where the colour rows end the mask begins.
    const qsizetype colours = bitCount <= 8 ? (u32(data, 32) ? qsizetype(u32(data, 32)) : (qsizetype(1) << bitCount)) : 0;
    const qsizetype compression = u32(data, 16);
    qsizetype at = headerSize + colours * 4 + (compression == 3 ? 12 : 0);
    at += qsizetype(Dib::RowStride(width, bitCount)) * height;
    const int maskStride = Dib::RowStride(width, 1);
    const bool hasMask = at >= 0 && at + qsizetype(maskStride) * height <= data.size();
    bool alphaUsed = false;
    if (bitCount == 32) {
        const QByteArray rows = dib.BottomUpRows();
        for (int y = 0; y < height && !alphaUsed; ++y)
            for (int x = 0; x < width; ++x)
                if (rows[qsizetype(y) * width * 4 + x * 4 + 3] != 0) {
                    alphaUsed = true;
                    break;
                }
        if (alphaUsed) {
            for (int y = 0; y < height; ++y) {
                auto* line = reinterpret_cast<QRgb*>(img.scanLine(height - 1 - y));
                for (int x = 0; x < width; ++x)
                    line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]),
                        static_cast<unsigned char>(rows[qsizetype(y) * width * 4 + x * 4 + 3]));
            }
        }
    }
    if (hasMask && !alphaUsed) {
        for (int y = 0; y < height; ++y) {
            const auto* mask = reinterpret_cast<const unsigned char*>(data.constData() + at + qsizetype(y) * maskStride);
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(height - 1 - y));
            for (int x = 0; x < width; ++x)
                if (mask[x / 8] & (0x80 >> (x % 8)))
                    line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), 0);
        }
    }
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

Icon Icon::FromBytes(const QByteArray& data)
{
    if (data.size() < 6 || data.size() > MaxBytes || u16(data, 0) != 0 || (u16(data, 2) != 1))
        throw badIcon();
    const int count = u16(data, 4);
    if (count == 0 || count > MaxEntries || data.size() < 6 + qsizetype(count) * 16)
        throw badIcon();
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = 6 + qsizetype(i) * 16;
        Entry e;
        e.width = static_cast<unsigned char>(data[at]) ? static_cast<unsigned char>(data[at]) : 256;
        e.height = static_cast<unsigned char>(data[at + 1]) ? static_cast<unsigned char>(data[at + 1]) : 256;
        e.bitCount = u16(data, at + 6);
        e.size = u32(data, at + 8);
        e.offset = u32(data, at + 12);
        if (e.offset > std::uint32_t(data.size()) || e.size > std::uint32_t(data.size()) - e.offset || e.size == 0)
            continue;
        entries.push_back(e);
    }
    // The standard icon size with the most colours first, then the largest.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const bool a32 = a.width == 32 && a.height == 32;
        const bool b32 = b.width == 32 && b.height == 32;
        if (a32 != b32)
            return a32;
        if (a.width * a.height != b.width * b.height)
            return a.width * a.height > b.width * b.height;
        return a.bitCount > b.bitCount;
    });
    Icon icon;
    std::int64_t decodedPixels = 0;
    for (const Entry& e : entries) {
        // One image of each size, the most colourful first; the total kept
        // is bounded.
        const bool haveSize = std::any_of(icon.sizes.begin(), icon.sizes.end(),
            [&](const QImage& i) { return i.width() == e.width && i.height() == e.height; });
        if (haveSize && !icon.image.isNull())
            continue;
        if (!icon.image.isNull() && decodedPixels + std::int64_t(e.width) * e.height > MaxKeptPixels)
            continue;
        const QByteArray part = data.mid(e.offset, e.size);
        try {
            QImage img = part.startsWith("\x89PNG") ? decodePng(part) : decodeDib(part);
            if (img.isNull())
                continue;
            decodedPixels += std::int64_t(img.width()) * img.height();
            if (icon.image.isNull())
                icon.image = img;
            icon.sizes.push_back(img);
        } catch (const Exception&) {
            continue;
        }
    }
    if (icon.image.isNull())
        throw badIcon();
    icon.bytes = data;
    return icon;
}

Icon Icon::FromFile(const QString& path)
{
    // Through the safe reader: a named pipe or a device under an .ico name
    // is refused before a byte is read.
    const SafeReadResult file = ReadOutsideFile(path, MaxBytes);
    if (file.status == SafeReadStatus::TooLarge)
        throw badIcon();
    if (!file.ok())
        throw EFOpenError(file.error);
    return FromBytes(file.data);
}

const QImage& Icon::ImageFor(double width, double height) const
{
    const QImage* best = nullptr;
    for (const QImage& i : sizes) {
        const bool covers = i.width() >= width && i.height() >= height;
        if (!best) {
            best = &i;
            continue;
        }
        const bool bestCovers = best->width() >= width && best->height() >= height;
        const qint64 area = qint64(i.width()) * i.height(), bestArea = qint64(best->width()) * best->height();
        // The smallest image that covers the drawn size, else the largest.
        if (covers ? (!bestCovers || area < bestArea) : (!bestCovers && area > bestArea))
            best = &i;
    }
    return best ? *best : image;
}

QImage Icon::OnWhite() const
{
    if (image.isNull())
        return {};
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

} // namespace bv
