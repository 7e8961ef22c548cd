#pragma once
// Pictures assembled byte by byte for the tests: classic and enhanced
// metafiles from records, icons and small bitmaps, so that the readers are
// checked against the file layouts rather than against their own writers.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QVector>
#include <initializer_list>

namespace bv::test {

inline QByteArray le16(int v)
{
    QByteArray b;
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
    return b;
}
inline QByteArray le32(qint64 v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}
inline quint32 colorRef(QRgb c)
{
    return quint32(qRed(c)) | (quint32(qGreen(c)) << 8) | (quint32(qBlue(c)) << 16);
}

// A classic metafile: records of 16-bit words after the function number.
class WmfBuilder {
public:
    WmfBuilder& record(int function, std::initializer_list<int> words)
    {
        QByteArray r = le32(3 + qint64(words.size())) + le16(function);
        for (int w : words)
            r += le16(w);
        records += r;
        ++count;
        return *this;
    }
    // A record with raw bytes after the function number (padded to words).
    WmfBuilder& raw(int function, QByteArray body)
    {
        if (body.size() & 1)
            body.append('\0');
        records += le32(3 + body.size() / 2) + le16(function) + body;
        ++count;
        return *this;
    }
    WmfBuilder& windowOrg(int x, int y) { return record(0x020B, {y, x}); }
    WmfBuilder& windowExt(int x, int y) { return record(0x020C, {y, x}); }
    WmfBuilder& pen(int style, int width, QRgb c)
    {
        const quint32 cr = colorRef(c);
        return record(0x02FA, {style, width, 0, int(cr & 0xFFFF), int(cr >> 16)});
    }
    WmfBuilder& brush(int style, QRgb c, int hatch = 0)
    {
        const quint32 cr = colorRef(c);
        return record(0x02FC, {style, int(cr & 0xFFFF), int(cr >> 16), hatch});
    }
    WmfBuilder& select(int index) { return record(0x012D, {index}); }
    WmfBuilder& remove(int index) { return record(0x01F0, {index}); }
    WmfBuilder& rectangle(int l, int t, int r, int b) { return record(0x041B, {b, r, t, l}); }
    WmfBuilder& ellipse(int l, int t, int r, int b) { return record(0x0418, {b, r, t, l}); }
    WmfBuilder& intersectClip(int l, int t, int r, int b) { return record(0x0416, {b, r, t, l}); }
    WmfBuilder& excludeClip(int l, int t, int r, int b) { return record(0x0415, {b, r, t, l}); }
    WmfBuilder& saveDC() { return record(0x001E, {}); }
    WmfBuilder& restoreDC(int n = -1) { return record(0x0127, {n}); }
    // StretchDIBits of a packed DIB.
    WmfBuilder& stretchDib(int x, int y, int w, int h, int sw, int sh, const QByteArray& packed)
    {
        QByteArray body = le32(0x00CC0020) + le16(0) + le16(sh) + le16(sw) + le16(0) + le16(0) + le16(h) + le16(w)
            + le16(y) + le16(x) + packed;
        return raw(0x0F43, body);
    }
    // The complete file: placeable header (when bbox given), header, records, end.
    QByteArray file(bool placeable = true, int l = 0, int t = 0, int r = 1000, int b = 1000, int inch = 1000) const
    {
        QByteArray body = records + le32(3) + le16(0);
        QByteArray header = le16(1) + le16(9) + le16(0x300) + le32((18 + body.size()) / 2) + le16(16) + le32(64)
            + le16(0);
        QByteArray out;
        if (placeable) {
            QByteArray ph = le32(0x9AC6CDD7) + le16(0) + le16(l) + le16(t) + le16(r) + le16(b) + le16(inch) + le32(0);
            quint16 sum = 0;
            for (int i = 0; i < 10; ++i)
                sum ^= quint16(uchar(ph[2 * i]) | (uchar(ph[2 * i + 1]) << 8));
            out = ph + le16(sum);
        }
        return out + header + body;
    }
    int count = 0;

private:
    QByteArray records;
};

// An enhanced metafile: records of 32-bit values after type and size.
class EmfBuilder {
public:
    EmfBuilder& record(int type, std::initializer_list<qint64> values)
    {
        QByteArray body;
        for (qint64 v : values)
            body += le32(v);
        return raw(type, body);
    }
    EmfBuilder& raw(int type, QByteArray body)
    {
        while (body.size() % 4)
            body.append('\0');
        records += le32(type) + le32(8 + body.size()) + body;
        ++count;
        return *this;
    }
    EmfBuilder& brush(int ih, QRgb c) { return record(39, {ih, 0, colorRef(c), 0}); }
    EmfBuilder& pen(int ih, int style, int width, QRgb c) { return record(38, {ih, style, width, 0, colorRef(c)}); }
    EmfBuilder& select(qint64 ih) { return record(37, {ih}); }
    EmfBuilder& rectangle(int l, int t, int r, int b) { return record(43, {l, t, r, b}); }
    EmfBuilder& ellipse(int l, int t, int r, int b) { return record(42, {l, t, r, b}); }
    // Frame in 0.01 mm and a reference device of 100 pixels per 10 mm.
    QByteArray file(int frameRight = 10000, int frameBottom = 10000) const
    {
        QByteArray eof = le32(14) + le32(20) + le32(0) + le32(16) + le32(20);
        QByteArray header = le32(1) + le32(88) + le32(0) + le32(0) + le32(999) + le32(999) + le32(0) + le32(0)
            + le32(frameRight) + le32(frameBottom) + le32(0x464D4520) + le32(0x10000)
            + le32(88 + records.size() + eof.size()) + le32(count + 2) + le16(16) + le16(0) + le32(0) + le32(0)
            + le32(0) + le32(1000) + le32(1000) + le32(100) + le32(100);
        return header + records + eof;
    }
    int count = 0;

private:
    QByteArray records;
};

// A packed 24-bit DIB (info header and bottom-up rows) of an image.
inline QByteArray packedDib24(const QImage& img)
{
    const int w = img.width(), h = img.height();
    const int stride = ((w * 24 + 31) / 32) * 4;
    QByteArray rows;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y);
            row.append(char(qBlue(c)));
            row.append(char(qGreen(c)));
            row.append(char(qRed(c)));
        }
        row.append(QByteArray(stride - row.size(), '\0'));
        rows += row;
    }
    return le32(40) + le32(w) + le32(h) + le16(1) + le16(24) + le32(0) + le32(rows.size()) + le32(0) + le32(0)
        + le32(0) + le32(0) + rows;
}

// An icon file with one 32 x 32, 4-bit image: colour index 1 (red) where the
// mask is clear, a transparent border `border` pixels wide.
inline QByteArray icon4bit(int size = 32, int border = 4)
{
    QByteArray palette; // blue, green, red, reserved
    for (int i = 0; i < 16; ++i)
        palette += i == 1 ? QByteArray("\x00\x00\xFF\x00", 4) : QByteArray(4, '\0');
    const int colourStride = ((size * 4 + 31) / 32) * 4;
    const int maskStride = ((size + 31) / 32) * 4;
    QByteArray colour, mask;
    for (int y = 0; y < size; ++y) {
        QByteArray row(colourStride, '\0');
        QByteArray mrow(maskStride, '\0');
        for (int x = 0; x < size; ++x) {
            const bool inside = x >= border && x < size - border && y >= border && y < size - border;
            if (inside)
                row[x / 2] = char(uchar(row[x / 2]) | (x % 2 ? 0x01 : 0x10));
            else
                mrow[x / 8] = char(uchar(mrow[x / 8]) | (0x80 >> (x % 8)));
        }
        colour += row;
        mask += mrow;
    }
    const QByteArray image = le32(40) + le32(size) + le32(2 * size) + le16(1) + le16(4) + le32(0)
        + le32(colour.size() + mask.size()) + le32(0) + le32(0) + le32(0) + le32(0) + palette + colour + mask;
    return le16(0) + le16(1) + le16(1) + QByteArray(1, char(size)) + QByteArray(1, char(size)) + QByteArray(1, 16)
        + QByteArray(1, 0) + le16(1) + le16(4) + le32(image.size()) + le32(22) + image;
}

} // namespace bv::test
