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

// Record numbers as the published format tables give them (the classic
// metafile's RecordType and the enhanced metafile's RecordType
// enumerations), written out here on their own so that the records the
// tests build do not share the player's table.
namespace wmf {
constexpr int Eof = 0x0000, SaveDC = 0x001E, SetBkMode = 0x0102, SetMapMode = 0x0103, SetRop2 = 0x0104,
              SetRelAbs = 0x0105, SetPolyFillMode = 0x0106, SetStretchBltMode = 0x0107, RestoreDC = 0x0127,
              SelectObject = 0x012D, SetTextAlign = 0x012E, DeleteObject = 0x01F0, SetBkColor = 0x0201,
              SetTextColor = 0x0209, SetWindowOrg = 0x020B, SetWindowExt = 0x020C, CreatePenIndirect = 0x02FA,
              CreateFontIndirect = 0x02FB, CreateBrushIndirect = 0x02FC, Polygon = 0x0324,
              ExcludeClipRect = 0x0415, IntersectClipRect = 0x0416, Ellipse = 0x0418, Rectangle = 0x041B,
              TextOut = 0x0521, PolyPolygon = 0x0538, PatBlt = 0x061D, ExtTextOut = 0x0A32, Escape = 0x0626, DibBitBlt = 0x0940, StretchDib = 0x0F43;
}
namespace emr {
constexpr int Header = 1, SetWindowExtEx = 9, SetViewportExtEx = 11, Eof = 14, SetMapMode = 17, SetBkMode = 18, SetTextColor = 24, SetBkColor = 25, IntersectClipRect = 30, SaveDC = 33, RestoreDC = 34, ModifyWorldTransform = 36,
              SelectObject = 37,
              CreatePen = 38, CreateBrushIndirect = 39, Ellipse = 42, Rectangle = 43, Comment = 70,
              BitBlt = 76, ExtCreateFontIndirectW = 82, ExtTextOutW = 84;
}
// Ternary raster operations (the published table of raster operation codes).
namespace rop {
constexpr qint64 Blackness = 0x00000042, NotSrcCopy = 0x00330008, SrcErase = 0x00440328, DstInvert = 0x00550009,
                 PatInvert = 0x005A0049, MergeCopy = 0x00C000CA, SrcCopy = 0x00CC0020, PatCopy = 0x00F00021,
                 Whiteness = 0x00FF0062;
}

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
    WmfBuilder& windowOrg(int x, int y) { return record(wmf::SetWindowOrg, {y, x}); }
    WmfBuilder& windowExt(int x, int y) { return record(wmf::SetWindowExt, {y, x}); }
    WmfBuilder& pen(int style, int width, QRgb c)
    {
        const quint32 cr = colorRef(c);
        return record(wmf::CreatePenIndirect, {style, width, 0, int(cr & 0xFFFF), int(cr >> 16)});
    }
    WmfBuilder& brush(int style, QRgb c, int hatch = 0)
    {
        const quint32 cr = colorRef(c);
        return record(wmf::CreateBrushIndirect, {style, int(cr & 0xFFFF), int(cr >> 16), hatch});
    }
    WmfBuilder& select(int index) { return record(wmf::SelectObject, {index}); }
    WmfBuilder& remove(int index) { return record(wmf::DeleteObject, {index}); }
    WmfBuilder& rectangle(int l, int t, int r, int b) { return record(wmf::Rectangle, {b, r, t, l}); }
    WmfBuilder& ellipse(int l, int t, int r, int b) { return record(wmf::Ellipse, {b, r, t, l}); }
    WmfBuilder& intersectClip(int l, int t, int r, int b) { return record(wmf::IntersectClipRect, {b, r, t, l}); }
    WmfBuilder& excludeClip(int l, int t, int r, int b) { return record(wmf::ExcludeClipRect, {b, r, t, l}); }
    WmfBuilder& saveDC() { return record(wmf::SaveDC, {}); }
    WmfBuilder& restoreDC(int n = -1) { return record(wmf::RestoreDC, {n}); }
    // StretchDIBits of a packed DIB.
    WmfBuilder& stretchDib(int x, int y, int w, int h, int sw, int sh, const QByteArray& packed)
    {
        QByteArray body = le32(rop::SrcCopy) + le16(0) + le16(sh) + le16(sw) + le16(0) + le16(0) + le16(h) + le16(w)
            + le16(y) + le16(x) + packed;
        return raw(wmf::StretchDib, body);
    }
    // The complete file: placeable header (when bbox given), header, records, end.
    QByteArray file(bool placeable = true, int l = 0, int t = 0, int r = 1000, int b = 1000, int inch = 1000) const
    {
        QByteArray body = records + le32(3) + le16(wmf::Eof);
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
    EmfBuilder& brush(int ih, QRgb c) { return record(emr::CreateBrushIndirect, {ih, 0, colorRef(c), 0}); }
    EmfBuilder& pen(int ih, int style, int width, QRgb c) { return record(emr::CreatePen, {ih, style, width, 0, colorRef(c)}); }
    EmfBuilder& select(qint64 ih) { return record(emr::SelectObject, {ih}); }
    EmfBuilder& rectangle(int l, int t, int r, int b) { return record(emr::Rectangle, {l, t, r, b}); }
    EmfBuilder& ellipse(int l, int t, int r, int b) { return record(emr::Ellipse, {l, t, r, b}); }
    // Frame in 0.01 mm and a reference device of 100 pixels per 10 mm.
    QByteArray file(int frameRight = 10000, int frameBottom = 10000) const
    {
        QByteArray eof = le32(emr::Eof) + le32(20) + le32(0) + le32(16) + le32(20);
        QByteArray header = le32(emr::Header) + le32(88) + le32(0) + le32(0) + le32(999) + le32(999) + le32(0) + le32(0)
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
