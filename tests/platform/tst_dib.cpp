// Windows bitmap reading, writing and turning, against bitmaps assembled byte
// by byte here so that the reader is checked against the file layout and not
// against its own writer.
#include "platform/Dib.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using bv::Dib;

namespace {

QByteArray le16(int v) { QByteArray b; b.append(char(v & 0xFF)); b.append(char((v >> 8) & 0xFF)); return b; }
QByteArray le32(qint64 v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}
QByteArray bytes(std::initializer_list<int> v)
{
    QByteArray b;
    for (int x : v)
        b.append(char(x));
    return b;
}

// A bitmap file with a 40-byte info header; offBits is computed from the parts.
QByteArray bmp(int w, int h, int bits, int compression, const QByteArray& table, const QByteArray& pixels,
               int clrUsed = 0, qint64 offBits = -1)
{
    QByteArray info = le32(40) + le32(w) + le32(h) + le16(1) + le16(bits) + le32(compression)
        + le32(pixels.size()) + le32(2835) + le32(2835) + le32(clrUsed) + le32(0);
    qint64 off = offBits >= 0 ? offBits : 14 + info.size() + table.size();
    QByteArray f = "BM" + le32(14 + info.size() + table.size() + pixels.size()) + le32(0) + le32(off);
    return f + info + table + pixels;
}

// OS/2 core header (12 bytes, 3-byte colour entries).
QByteArray coreBmp(int w, int h, int bits, const QByteArray& table, const QByteArray& pixels)
{
    QByteArray info = le32(12) + le16(w) + le16(h) + le16(1) + le16(bits);
    QByteArray f = "BM" + le32(14 + 12 + table.size() + pixels.size()) + le32(0) + le32(14 + 12 + table.size());
    return f + info + table + pixels;
}

// Colour table entries (B, G, R, 0) for the given colours.
QByteArray table(std::initializer_list<QRgb> colours, bool core = false)
{
    QByteArray t;
    for (QRgb c : colours) {
        t.append(char(qBlue(c)));
        t.append(char(qGreen(c)));
        t.append(char(qRed(c)));
        if (!core)
            t.append('\0');
    }
    return t;
}

const QRgb K = qRgb(0, 0, 0), W = qRgb(255, 255, 255), R = qRgb(255, 0, 0), G = qRgb(0, 255, 0),
           B = qRgb(0, 0, 255), Y = qRgb(255, 255, 0);

QVector<QRgb> pixelsOf(const QImage& img)
{
    QVector<QRgb> v;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            v.append(img.pixel(x, y) | 0xFF000000u);
    return v;
}

} // namespace

class TestDib : public QObject {
    Q_OBJECT
private slots:
    void readsEachFormat_data();
    void readsEachFormat();
    void keepsBytesUnchanged();
    void rejectsMalformed_data();
    void rejectsMalformed();
    void survivesTruncationAndCorruption();
    void rleStaysWithinItsRows();
    void rleCountersStayInThePicture_data();
    void rleCountersStayInThePicture();
    void quarterTurn_data();
    void quarterTurn();
    void writesTwentyFourBitFromImage();
    void packedDibGetsFileHeader();
    void transparencyInTheFourthByte_data();
    void transparencyInTheFourthByte();
    void transparentImageStoredOverWhite();
};

void TestDib::readsEachFormat_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("bits");
    QTest::addColumn<QVector<QRgb>>("expected"); // top row first

    // 3 x 2 images; rows in the file are bottom-up and padded to 4 bytes.
    QTest::newRow("1-bit") << bmp(3, 2, 1, 0, table({K, W}), bytes({0xA0, 0, 0, 0, 0x40, 0, 0, 0}))
                           << 3 << 1 << QVector<QRgb>{K, W, K, W, K, W};
    QTest::newRow("2-bit") << bmp(3, 2, 2, 0, table({K, R, G, B}), bytes({0x1B, 0, 0, 0, 0xE4, 0, 0, 0}))
                           << 3 << 2 << QVector<QRgb>{B, G, R, K, R, G};
    QTest::newRow("4-bit") << bmp(3, 2, 4, 0, table({K, R, G, B, Y}), bytes({0x12, 0x30, 0, 0, 0x43, 0x20, 0, 0}), 5)
                           << 3 << 4 << QVector<QRgb>{Y, B, G, R, G, B};
    QTest::newRow("8-bit") << bmp(3, 2, 8, 0, table({K, R, G, B}), bytes({1, 2, 3, 0, 3, 2, 1, 0}), 4)
                           << 3 << 8 << QVector<QRgb>{B, G, R, R, G, B};
    QTest::newRow("8-bit index beyond table is black")
        << bmp(3, 1, 8, 0, table({R, G}), bytes({0, 1, 9, 0}), 2) << 3 << 8 << QVector<QRgb>{R, G, K};
    // 16-bit 5-5-5: red 0x7C00, green 0x03E0, blue 0x001F.
    QTest::newRow("16-bit 555") << bmp(3, 1, 16, 0, {}, bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0}))
                                << 3 << 16 << QVector<QRgb>{R, G, B};
    // 16-bit 5-6-5 through bit-field masks after the 40-byte header.
    QTest::newRow("16-bit 565") << bmp(3, 1, 16, 3, le32(0xF800) + le32(0x07E0) + le32(0x001F),
                                       bytes({0x00, 0xF8, 0xE0, 0x07, 0xFF, 0xFF, 0, 0}))
                                << 3 << 16 << QVector<QRgb>{R, G, W};
    QTest::newRow("24-bit") << bmp(3, 2, 24, 0, {},
                                   bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,
                                          255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0}))
                            << 3 << 24 << QVector<QRgb>{W, K, Y, R, G, B};
    QTest::newRow("32-bit") << bmp(2, 1, 32, 0, {}, bytes({0, 0, 255, 0x55, 255, 0, 0, 0}))
                            << 2 << 32 << QVector<QRgb>{R, B};
    QTest::newRow("32-bit fields") << bmp(2, 1, 32, 3, le32(0xFF) + le32(0xFF00) + le32(0xFF0000),
                                          bytes({255, 0, 0, 0, 0, 0, 255, 0}))
                                   << 2 << 32 << QVector<QRgb>{R, B};
    // Negative height: rows stored top row first.
    QTest::newRow("top-down 8-bit") << bmp(3, -2, 8, 0, table({K, R, G, B}), bytes({1, 2, 3, 0, 3, 2, 1, 0}), 4)
                                    << 3 << 8 << QVector<QRgb>{R, G, B, B, G, R};
    QTest::newRow("OS/2 core 1-bit") << coreBmp(3, 2, 1, table({R, B}, true), bytes({0xA0, 0, 0, 0, 0x40, 0, 0, 0}))
                                     << 3 << 1 << QVector<QRgb>{R, B, R, B, R, B};
    // RLE8: bottom row: run of 2 x index 1, run of 1 x index 2, end of
    // line; top row: absolute run of 3 pixels (3, 2, 1) padded to a word;
    // end of bitmap.
    QTest::newRow("RLE8") << bmp(3, 2, 8, 1, table({K, R, G, B}),
                                 bytes({2, 1, 1, 2, 0, 0, 0, 3, 3, 2, 1, 0, 0, 1}), 4)
                          << 3 << 8 << QVector<QRgb>{B, G, R, R, R, G};
    // RLE8 delta: skip to (1, 1) and draw one pixel; everything else index 0.
    QTest::newRow("RLE8 delta") << bmp(3, 2, 8, 1, table({K, R}), bytes({0, 2, 1, 1, 1, 1, 0, 1}), 2)
                                << 3 << 8 << QVector<QRgb>{K, R, K, K, K, K};
    // RLE4: bottom row run of 3 alternating 1,2; top row absolute 3 nibbles 3,1,2.
    QTest::newRow("RLE4") << bmp(3, 2, 4, 2, table({K, R, G, B}),
                                 bytes({3, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 1}), 4)
                          << 3 << 4 << QVector<QRgb>{B, R, G, R, G, R};
}

void TestDib::readsEachFormat()
{
    QFETCH(QByteArray, file);
    QFETCH(int, width);
    QFETCH(int, bits);
    QFETCH(QVector<QRgb>, expected);
    const Dib dib = Dib::FromBytes(file);
    QCOMPARE(dib.Width(), width);
    QCOMPARE(dib.Height(), int(expected.size()) / width);
    QCOMPARE(dib.BitCount(), bits);
    QCOMPARE(pixelsOf(dib.Image()), expected);
}

void TestDib::keepsBytesUnchanged()
{
    // Odd but legal bytes (reserved fields set, resolution, spare bytes after
    // the rows) must come back exactly, in memory and through a file.
    QByteArray file = bmp(3, 2, 8, 0, table({K, R, G, B}), bytes({1, 2, 3, 0, 3, 2, 1, 0, 0xEE, 0xEE}), 4);
    file[6] = 0x12;
    file[9] = 0x34;
    const Dib dib = Dib::FromBytes(file);
    QCOMPARE(dib.Bytes(), file);
    QTemporaryDir dir;
    const QString path = dir.filePath("x.bmp");
    dib.ToFile(path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), file);
    QCOMPARE(Dib::FromFile(path).Bytes(), file);
    QVERIFY_THROWS_EXCEPTION(bv::EFOpenError, Dib::FromFile(dir.filePath("missing.bmp")));
    QVERIFY_THROWS_EXCEPTION(bv::EWriteError, dib.ToFile(dir.filePath("no/such/folder/x.bmp")));
}

void TestDib::rejectsMalformed_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray px = bytes({1, 2, 3, 0, 3, 2, 1, 0});
    const QByteArray pal = table({K, R, G, B});
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("short") << QByteArray("BM");
    QTest::newRow("signature") << QByteArray("XY" + bmp(3, 2, 8, 0, pal, px, 4).mid(2));
    QTest::newRow("width 0") << bmp(0, 2, 8, 0, pal, px, 4);
    QTest::newRow("negative width") << bmp(-3, 2, 8, 0, pal, px, 4);
    QTest::newRow("height 0") << bmp(3, 0, 8, 0, pal, px, 4);
    QTest::newRow("huge width") << bmp(0x7FFFFFFF, 1, 8, 0, pal, px, 4);
    QTest::newRow("huge height") << bmp(1, -0x7FFFFFFF, 8, 0, pal, px, 4);
    QTest::newRow("absurd area") << bmp(60000, 60000, 1, 0, pal, px, 4);
    QTest::newRow("absurd RLE area") << bmp(10000, 10000, 8, 1, pal, bytes({0, 1}), 4);
    QTest::newRow("truncated rows") << bmp(3, 3, 8, 0, pal, px, 4);
    QTest::newRow("truncated table") << bmp(3, 2, 8, 0, pal, px, 200).left(14 + 40 + 100);
    QTest::newRow("bit depth 3") << bmp(3, 2, 3, 0, pal, px, 4);
    QTest::newRow("compression 4") << bmp(3, 2, 8, 4, pal, px, 4);
    QTest::newRow("RLE8 at 4 bits") << bmp(3, 2, 4, 1, pal, px, 4);
    QTest::newRow("top-down RLE") << bmp(3, -2, 8, 1, pal, bytes({0, 1}), 4);
    QTest::newRow("RLE run past end") << bmp(3, 2, 8, 1, pal, bytes({0, 200, 1, 2}), 4);
    QTest::newRow("RLE delta past end") << bmp(3, 2, 8, 1, pal, bytes({0, 2, 1}), 4);
    QTest::newRow("header size 20") << QByteArray("BM" + le32(60) + le32(0) + le32(34) + le32(20) + QByteArray(26, 0));
    QTest::newRow("header beyond data") << QByteArray("BM" + le32(60) + le32(0) + le32(0) + le32(124) + QByteArray(30, 1));
    QTest::newRow("fields truncated") << bmp(3, 1, 16, 3, {}, {}).left(14 + 40 + 4);
}

void TestDib::rejectsMalformed()
{
    QFETCH(QByteArray, file);
    QVERIFY_THROWS_EXCEPTION(bv::EConvertError, Dib::FromBytes(file));
}

void TestDib::survivesTruncationAndCorruption()
{
    // Every prefix and many random corruptions of valid files either read or
    // fail with EConvertError; anything else (a crash, another exception)
    // fails the test.
    const QList<QByteArray> files = {
        bmp(5, 3, 4, 2, table({K, R, G, B}), bytes({3, 0x12, 0, 0, 0, 5, 0x31, 0x22, 0x10, 0, 0, 1}), 4),
        bmp(5, 3, 8, 1, table({K, R, G, B}), bytes({5, 1, 0, 0, 0, 2, 2, 1, 0, 3, 1, 2, 3, 0, 0, 1}), 4),
        bmp(3, 2, 16, 3, le32(0xF800) + le32(0x07E0) + le32(0x001F), bytes({0, 0xF8, 0xE0, 7, 0xFF, 0xFF, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8})),
        coreBmp(3, 2, 1, table({R, B}, true), bytes({0xA0, 0, 0, 0, 0x40, 0, 0, 0})),
    };
    QRandomGenerator rng(12345);
    int readOk = 0;
    for (const QByteArray& good : files) {
        for (int len = 0; len <= good.size(); ++len) {
            try {
                Dib::FromBytes(good.left(len));
                ++readOk;
            } catch (const bv::EConvertError&) {
            }
        }
        for (int i = 0; i < 2000; ++i) {
            QByteArray bad = good;
            for (int k = 0; k < 3; ++k)
                bad[rng.bounded(int(bad.size()))] = char(rng.bounded(256));
            try {
                const Dib d = Dib::FromBytes(bad);
                QVERIFY(d.Width() > 0 && d.Height() > 0);
                QCOMPARE(d.Image().size(), QSize(d.Width(), d.Height()));
                const Dib t = d.QuarterTurn();
                QCOMPARE(t.Width(), d.Height());
            } catch (const bv::EConvertError&) {
            }
        }
    }
    QVERIFY(readOk >= int(files.size())); // the complete files themselves
}

void TestDib::rleStaysWithinItsRows()
{
    // Runs longer than the row, deltas past the edge and lines beyond the
    // last one are clipped, not written past the image.
    const QByteArray file = bmp(2, 2, 8, 1, table({K, R, G}),
                                bytes({9, 1, 0, 2, 9, 9, 0, 0, 0, 0, 0, 0, 5, 2, 0, 1}), 3);
    const Dib dib = Dib::FromBytes(file);
    QCOMPARE(pixelsOf(dib.Image()), (QVector<QRgb>{K, K, R, R}));
}

// Delta codes that each move 255 columns right: enough of them carry a
// 32-bit column counter past its largest value.
QByteArray farDeltas(qint64 columns)
{
    QByteArray d;
    const qint64 n = columns / 255 + 1;
    d.reserve(n * 4 + 16);
    for (qint64 i = 0; i < n; ++i)
        d.append(bytes({0, 2, 255, 0}));
    return d;
}

void TestDib::rleCountersStayInThePicture_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QVector<QRgb>>("pixels");
    const qint64 wrap = qint64(1) << 31;
    // 1 x 1 pictures whose only pixel stays index 0 (black): every code
    // after the far deltas lands beyond the picture's right edge.
    QTest::newRow("RLE8 run after deltas past 2^31")
        << bmp(1, 1, 8, 1, table({K, R}), farDeltas(wrap) + bytes({1, 1, 0, 1}), 2) << QVector<QRgb>{K};
    QTest::newRow("RLE8 absolute run after deltas past 2^31")
        << bmp(1, 1, 8, 1, table({K, R}), farDeltas(wrap) + bytes({0, 3, 1, 1, 1, 0, 0, 1}), 2) << QVector<QRgb>{K};
    QTest::newRow("RLE4 run after deltas past 2^31")
        << bmp(1, 1, 4, 2, table({K, R}), farDeltas(wrap) + bytes({2, 0x11, 0, 1}), 2) << QVector<QRgb>{K};
    // A delta to the edge, then an end of line: the next row starts at
    // column 0 again and is drawn.
    QTest::newRow("RLE8 delta to the edge, next line drawn")
        << bmp(2, 2, 8, 1, table({K, R}), bytes({0, 2, 200, 0, 1, 1, 0, 0, 2, 1, 0, 1}), 2)
        << QVector<QRgb>{R, R, K, K};
}

void TestDib::rleCountersStayInThePicture()
{
    QFETCH(QByteArray, file);
    QFETCH(QVector<QRgb>, pixels);
    const Dib dib = Dib::FromBytes(file);
    QCOMPARE(pixelsOf(dib.Image()), pixels);
}

void TestDib::quarterTurn_data()
{
    QTest::addColumn<QByteArray>("file");
    // 5 x 3 patterns so that no row or column is symmetric and each depth
    // has pixels that share bytes.
    QTest::newRow("1-bit") << bmp(5, 3, 1, 0, table({K, W}), bytes({0xA8, 0, 0, 0, 0x60, 0, 0, 0, 0x18, 0, 0, 0}));
    QTest::newRow("2-bit") << bmp(5, 3, 2, 0, table({K, R, G, B}), bytes({0x1B, 0x80, 0, 0, 0xE4, 0x40, 0, 0, 0x5A, 0xC0, 0, 0}));
    QTest::newRow("4-bit") << bmp(5, 3, 4, 0, table({K, R, G, B, Y}), bytes({0x12, 0x34, 0x00, 0, 0x43, 0x21, 0x10, 0, 0x04, 0x40, 0x30, 0}), 5);
    QTest::newRow("8-bit") << bmp(5, 3, 8, 0, table({K, R, G, B, Y}), bytes({1, 2, 3, 4, 0, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0, 0, 1, 0, 2, 0, 0, 0, 0}), 5);
    QTest::newRow("16-bit 565") << bmp(3, 2, 16, 3, le32(0xF800) + le32(0x07E0) + le32(0x001F),
                                       bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0x1F, 0, 0, 0}));
    QTest::newRow("24-bit") << bmp(3, 2, 24, 0, {}, bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0}));
    QTest::newRow("32-bit") << bmp(2, 3, 32, 0, {}, bytes({0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0, 9, 9, 9, 0, 255, 255, 255, 0, 0, 0, 0, 0}));
    QTest::newRow("RLE4") << bmp(3, 2, 4, 2, table({K, R, G, B}), bytes({3, 0x12, 0, 0, 0, 3, 0x31, 0x20, 0, 1}), 4);
    QTest::newRow("top-down 8-bit") << bmp(3, -2, 8, 0, table({K, R, G, B}), bytes({1, 2, 3, 0, 3, 2, 0, 0}), 4);
    // 27 bytes: an OS/2 header whose one pixel follows at once, no colour
    // table (every index draws black).
    QTest::newRow("core header, no colour table") << coreBmp(1, 1, 8, {}, bytes({5}));
}

void TestDib::quarterTurn()
{
    QFETCH(QByteArray, file);
    const Dib src = Dib::FromBytes(file);
    const Dib turned = src.QuarterTurn();
    QCOMPARE(turned.Width(), src.Height());
    QCOMPARE(turned.Height(), src.Width());
    QCOMPARE(turned.BitCount(), src.BitCount());
    QVERIFY(!turned.TopDown());
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            QCOMPARE(turned.Image().pixel(src.Height() - 1 - y, x), src.Image().pixel(x, y));
    // Rows of the new bitmap are padded to 4 bytes: the file is as long as
    // its headers, table and padded rows.
    QCOMPARE(turned.Bytes().size(),
             qsizetype(Dib::RowStride(turned.Width(), turned.BitCount())) * turned.Height()
                 + 14 + 40 + (turned.Compression() == 3 ? 12 : 0) + 4 * turned.Palette().size());
    // Four turns give the picture back.
    const Dib back = turned.QuarterTurn().QuarterTurn().QuarterTurn();
    QCOMPARE(back.Image(), src.Image());
}

void TestDib::writesTwentyFourBitFromImage()
{
    QImage img(5, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            img.setPixel(x, y, qRgb(x * 50, y * 100, 7));
    const Dib dib = Dib::FromImage(img);
    const QByteArray b = dib.Bytes();
    QCOMPARE(b.left(2), QByteArray("BM"));
    QCOMPARE(b.mid(2, 4), le32(b.size()));          // file size
    QCOMPARE(b.mid(10, 4), le32(54));               // rows right after the headers
    QCOMPARE(b.mid(28, 2), le16(24));               // 24 bits per pixel
    QCOMPARE(b.mid(22, 4), le32(3));                // positive height: bottom-up
    QCOMPARE(b.size(), 54 + 3 * 16);                // 15 bytes per row padded to 16
    // First stored row is the bottom one: pixel (0, 2) = (0, 200, 7) as B, G, R.
    QCOMPARE(b.mid(54, 3), bytes({7, 200, 0}));
    QCOMPARE(dib.Image(), img.convertToFormat(QImage::Format_RGB32));
    QVERIFY(Dib::FromImage(QImage()).IsEmpty());

    QTemporaryDir dir;
    Dib::SaveToFile(img, dir.filePath("card.bmp"));
    QCOMPARE(Dib::FromFile(dir.filePath("card.bmp")).Bytes(), b);
}

void TestDib::packedDibGetsFileHeader()
{
    const QByteArray file = bmp(3, 2, 8, 0, table({K, R, G, B}), bytes({1, 2, 3, 0, 3, 2, 1, 0}), 4);
    const Dib dib = Dib::FromPackedDib(file.mid(14));
    QCOMPARE(dib.Bytes(), file);
}

// A 32-bit bitmap's fourth byte: all zero (as older writers leave it) is an
// opaque picture; otherwise it is the opacity of colours laid over white.
// Expected premultiplied values are worked by hand: colour over white c'
// at opacity a holds c' = p + (255 - a) with p the premultiplied colour.
// A bit-field bitmap with an alpha mask carries plain alpha.
void TestDib::transparencyInTheFourthByte_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("hasAlpha");
    QTest::addColumn<QRgb>("left");  // premultiplied ARGB drawn
    QTest::addColumn<QRgb>("right");
    // Pixels are B, G, R, fourth byte; one row of two pixels.
    QTest::newRow("fourth bytes zero: opaque")
        << bmp(2, 1, 32, 0, {}, bytes({ 0x10, 0x20, 0x30, 0, 0xFF, 0xFF, 0xFF, 0 }))
        << false << qRgba(0x30, 0x20, 0x10, 255) << qRgba(255, 255, 255, 255);
    QTest::newRow("fourth bytes 255: opaque")
        << bmp(2, 1, 32, 0, {}, bytes({ 0x10, 0x20, 0x30, 255, 0, 0, 0, 255 }))
        << true << qRgba(0x30, 0x20, 0x10, 255) << qRgba(0, 0, 0, 255);
    // Clear white, and red at 128 over white: (128 + 127, 0 + 127, 0 + 127).
    QTest::newRow("clear and half red over white")
        << bmp(2, 1, 32, 0, {}, bytes({ 255, 255, 255, 0, 127, 127, 255, 128 }))
        << true << qRgba(0, 0, 0, 0) << qRgba(128, 0, 0, 128);
    // A writer that left black under a clear pixel: nothing shows.
    QTest::newRow("black under a clear pixel")
        << bmp(2, 1, 32, 0, {}, bytes({ 0, 0, 0, 0, 0, 0, 0, 255 }))
        << true << qRgba(0, 0, 0, 0) << qRgba(0, 0, 0, 255);
    // 108-byte header, bit fields with alpha mask 0xFF000000: plain alpha,
    // full blue at opacity 0x80 premultiplies to 0x80.
    {
        const QByteArray px = bytes({ 0xFF, 0, 0, 0x80, 0, 0xFF, 0, 0 });
        QByteArray info = le32(108) + le32(2) + le32(1) + le16(1) + le16(32) + le32(3) + le32(px.size())
            + le32(2835) + le32(2835) + le32(0) + le32(0)
            + le32(0x00FF0000) + le32(0x0000FF00) + le32(0x000000FF) + le32(0xFF000000)
            + QByteArray(108 - 56, '\0');
        const QByteArray f = "BM" + le32(14 + info.size() + px.size()) + le32(0) + le32(14 + info.size()) + info + px;
        QTest::newRow("alpha mask") << f << true << qRgba(0, 0, 128, 128) << qRgba(0, 0, 0, 0);
    }
}

void TestDib::transparencyInTheFourthByte()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, hasAlpha);
    QFETCH(QRgb, left);
    QFETCH(QRgb, right);
    const Dib dib = Dib::FromBytes(file);
    QCOMPARE(dib.HasAlpha(), hasAlpha);
    const QImage drawn = dib.ImageWithAlpha().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(QString::number(drawn.pixel(0, 0), 16), QString::number(left, 16));
    QCOMPARE(QString::number(drawn.pixel(1, 0), 16), QString::number(right, 16));
    QCOMPARE(dib.Bytes(), file);
}

// A picture with clear, half-clear and opaque parts is stored so that a
// reader that ignores the fourth byte (Qt's own BMP reader) sees it on
// white, with no black where it was clear, and read back with its alpha.
void TestDib::transparentImageStoredOverWhite()
{
    QImage logo(4, 2, QImage::Format_ARGB32);
    logo.fill(Qt::transparent);                  // clear, its colour black
    logo.setPixel(1, 0, qRgba(0, 0, 255, 255));  // opaque blue
    logo.setPixel(2, 0, qRgba(0, 0, 0, 51));     // a faint black shadow
    logo.setPixel(3, 1, qRgba(255, 0, 0, 128));  // half red
    const Dib dib = Dib::FromImageKeepingAlpha(logo, 11811, 11811);
    QCOMPARE(dib.BitCount(), 32);
    QCOMPARE(dib.XPelsPerMeter(), 11811);
    QVERIFY(dib.HasAlpha());

    QBuffer buffer;
    buffer.setData(dib.Bytes());
    QImageReader older(&buffer, "bmp");
    const QImage seen = older.read().convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!seen.isNull(), qPrintable(older.errorString()));
    // Over white by hand: the shadow 255 * (1 - 51/255) = 204; half red (255, 127, 127).
    QCOMPARE(seen.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(seen.pixel(1, 0), qRgb(0, 0, 255));
    QCOMPARE(seen.pixel(2, 0), qRgb(204, 204, 204));
    QCOMPARE(seen.pixel(3, 1), qRgb(255, 127, 127));

    const Dib again = Dib::FromBytes(dib.Bytes());
    const QImage drawn = again.ImageWithAlpha().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const QRgb want = logo.pixel(x, y), got = drawn.pixel(x, y);
            QCOMPARE(qAlpha(got), qAlpha(want));
            if (qAlpha(want) > 0)
                QVERIFY2(std::abs(qRed(got) - qRed(want)) <= 2 && std::abs(qBlue(got) - qBlue(want)) <= 2,
                         qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    // An opaque picture stays a 24-bit bitmap, as before.
    QImage opaque(3, 3, QImage::Format_ARGB32);
    opaque.fill(qRgba(10, 20, 30, 255));
    QCOMPARE(Dib::FromImageKeepingAlpha(opaque).BitCount(), 24);
    // A wholly clear picture stays clear when read back.
    QImage clear(3, 3, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QVERIFY(Dib::FromBytes(Dib::FromImageKeepingAlpha(clear).Bytes()).HasAlpha());
}

QTEST_GUILESS_MAIN(TestDib)
#include "tst_dib.moc"
