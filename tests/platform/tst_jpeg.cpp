// JPEG encode (quality 100) and decode (256-colour palette bitmap) through
// libjpeg, and the conversion of libjpeg's fatal errors into exceptions.
#include "platform/Dib.h"
#include "platform/Errors.h"
#include "platform/Jpeg.h"

#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using bv::Dib;
using bv::Jpeg;

namespace {

// Smooth gradients with solid blocks on top: the blocks check that plain
// colours survive, the gradients need more than a naive 256-colour cut.
QImage synthetic(int w = 120, int h = 80)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / (w - 1), y * 255 / (h - 1), 128));
    QPainter p(&img);
    p.fillRect(8, 8, 24, 24, QColor(255, 0, 0));
    p.fillRect(40, 8, 24, 24, QColor(0, 0, 255));
    p.fillRect(72, 8, 24, 24, QColor(255, 255, 255));
    p.end();
    return img;
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// Values of every quantisation table (DQT segments, 8-bit precision).
QList<int> quantValues(const QByteArray& jpg)
{
    QList<int> values;
    for (int i = 2; i + 4 < jpg.size();) {
        if (uchar(jpg[i]) != 0xFF)
            break;
        const int marker = uchar(jpg[i + 1]);
        const int len = (uchar(jpg[i + 2]) << 8) | uchar(jpg[i + 3]);
        if (marker == 0xDB) {
            for (int p = i + 4; p + 65 <= i + 2 + len; p += 65)
                for (int k = 1; k <= 64; ++k)
                    values.append(uchar(jpg[p + k]));
        }
        if (marker == 0xDA)
            break;
        i += 2 + len;
    }
    return values;
}

} // namespace

class TestJpeg : public QObject {
    Q_OBJECT
private slots:
    void roundTripGivesCloseColoursInPaletteBitmap();
    void encodesAtQualityHundred();
    void decodesGreyscale();
    void malformedInputRaises_data();
    void malformedInputRaises();
    void corruptedInputNeverCrashes();
    void truncatedFileKeepsItsSize();
    void fileErrors();
};

void TestJpeg::roundTripGivesCloseColoursInPaletteBitmap()
{
    const QImage img = synthetic();
    const Dib dib = Jpeg::Decode(Jpeg::Encode(img));
    QCOMPARE(dib.Width(), img.width());
    QCOMPARE(dib.Height(), img.height());
    QCOMPARE(dib.BitCount(), 8);
    QVERIFY(dib.Palette().size() > 16);
    QVERIFY(dib.Palette().size() <= 256);
    // The mean error small (block edges ring and dithering moves single
    // pixels), and the solid blocks' centres on their colour.
    qint64 total = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            total += channelDistance(dib.Image().pixel(x, y), img.pixel(x, y));
        }
    QVERIFY2(total / (img.width() * img.height()) <= 10, qPrintable(QString::number(total)));
    QVERIFY(channelDistance(dib.Image().pixel(20, 20), qRgb(255, 0, 0)) <= 12);
    QVERIFY(channelDistance(dib.Image().pixel(52, 20), qRgb(0, 0, 255)) <= 12);
    QVERIFY(channelDistance(dib.Image().pixel(84, 20), qRgb(255, 255, 255)) <= 12);
    // The result is a real bitmap file that reads back identically.
    QCOMPARE(Dib::FromBytes(dib.Bytes()).Image(), dib.Image());
}

void TestJpeg::encodesAtQualityHundred()
{
    const QByteArray jpg = Jpeg::Encode(synthetic());
    QCOMPARE(jpg.left(2), QByteArray("\xFF\xD8"));
    QCOMPARE(jpg.right(2), QByteArray("\xFF\xD9"));
    const QList<int> q = quantValues(jpg);
    QCOMPARE(q.size(), 128); // luminance and chrominance tables
    for (int v : q)
        QCOMPARE(v, 1);      // quality 100 scales every entry down to 1
    // A lower quality really changes the tables (the check above can fail).
    const QList<int> q75 = quantValues(Jpeg::Encode(synthetic(), 75));
    QVERIFY(*std::max_element(q75.begin(), q75.end()) > 1);
    // A Dib encodes like its image.
    QCOMPARE(Jpeg::Encode(Dib::FromImage(synthetic())), jpg);
}

void TestJpeg::decodesGreyscale()
{
    if (!QImageWriter::supportedImageFormats().contains("jpeg"))
        QSKIP("Qt JPEG writer not available for the greyscale sample");
    QImage grey(64, 32, QImage::Format_Grayscale8);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            grey.setPixel(x, y, qRgb(x * 4, x * 4, x * 4));
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, "jpeg");
    w.setQuality(100);
    QVERIFY(w.write(grey));
    const Dib dib = Jpeg::Decode(buf.data());
    QCOMPARE(dib.BitCount(), 8);
    QCOMPARE(dib.Width(), 64);
    for (int x = 0; x < 64; x += 7) {
        const QRgb c = dib.Image().pixel(x, 16);
        // The two-pass quantiser's histogram is 5-6-5 bits, so grey may
        // come out a step off between channels.
        QVERIFY(channelDistance(c, qRgb(qGreen(c), qGreen(c), qGreen(c))) <= 4);
        QVERIFY(std::abs(qRed(c) - x * 4) <= 8);
    }
}

void TestJpeg::malformedInputRaises_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray good = Jpeg::Encode(synthetic(32, 16));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("this is not a picture at all");
    QTest::newRow("bitmap") << Dib::FromImage(synthetic(8, 8)).Bytes();
    QTest::newRow("SOI only") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("headers cut") << good.left(40);
    // SOF0 with a zero width.
    QByteArray zeroWidth = good;
    const int sof = zeroWidth.indexOf(QByteArray("\xFF\xC0", 2));
    QVERIFY(sof > 0);
    zeroWidth[sof + 7] = 0;
    zeroWidth[sof + 8] = 0;
    QTest::newRow("zero width") << zeroWidth;
    // SOF0 claiming 65000 x 65000: refused before anything is allocated.
    QByteArray huge = good;
    huge[sof + 5] = char(0xFD);
    huge[sof + 6] = char(0xE8);
    huge[sof + 7] = char(0xFD);
    huge[sof + 8] = char(0xE8);
    QTest::newRow("huge") << huge;
}

void TestJpeg::malformedInputRaises()
{
    QFETCH(QByteArray, data);
    QVERIFY_THROWS_EXCEPTION(bv::EConvertError, Jpeg::Decode(data));
}

void TestJpeg::corruptedInputNeverCrashes()
{
    const QByteArray good = Jpeg::Encode(synthetic(48, 32));
    QRandomGenerator rng(777);
    int decoded = 0, refused = 0;
    for (int i = 0; i < 400; ++i) {
        QByteArray bad = good;
        const int flips = 1 + rng.bounded(4);
        for (int k = 0; k < flips; ++k)
            bad[rng.bounded(int(bad.size()))] = char(rng.bounded(256));
        try {
            const Dib d = Jpeg::Decode(bad);
            QCOMPARE(d.Image().size(), QSize(d.Width(), d.Height()));
            ++decoded;
        } catch (const bv::EConvertError&) {
            ++refused;
        }
    }
    QCOMPARE(decoded + refused, 400);
}

void TestJpeg::truncatedFileKeepsItsSize()
{
    // A file that ends early still gives the whole picture area (what was
    // received, the rest filled), as picture viewers show such files.
    const QByteArray good = Jpeg::Encode(synthetic());
    const Dib dib = Jpeg::Decode(good.left(good.size() * 2 / 3));
    QCOMPARE(dib.Width(), 120);
    QCOMPARE(dib.Height(), 80);
    QVERIFY(channelDistance(dib.Image().pixel(20, 20), qRgb(255, 0, 0)) <= 12);
}

void TestJpeg::fileErrors()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("card.jpg");
    Jpeg::SaveToFile(synthetic(), path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), Jpeg::Encode(synthetic()));
    QCOMPARE(Jpeg::DecodeFile(path).Width(), 120);
    QVERIFY_THROWS_EXCEPTION(bv::EFOpenError, Jpeg::DecodeFile(dir.filePath("missing.jpg")));
    QVERIFY_THROWS_EXCEPTION(bv::EWriteError, Jpeg::SaveToFile(synthetic(), dir.filePath("no/dir/x.jpg")));
    QVERIFY_THROWS_EXCEPTION(bv::EConvertError, Jpeg::Encode(QImage()));
}

QTEST_MAIN(TestJpeg)
#include "tst_jpeg.moc"
