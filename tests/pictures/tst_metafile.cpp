// Metafile playing: pictures drawn by another program (Inkscape's EMF and
// WMF export of tests/data/pictures/clipart.svg) against that program's own
// raster of the same drawing, hand-assembled records for the device-context
// rules (window mapping, save/restore, clipping, bitmaps in records), and
// malformed input that must draw what it can without reading past the data.
#include "platform/Errors.h"
#include "platform/Icon.h"
#include "pictures/Metafile.h"
#include "pictures/Picture.h"
#include "support/PictureKit.h"

#include <QFile>
#include <QPainter>
#include <QRawFont>
#include <QTemporaryDir>
#include <QtTest>

using namespace bv;
using namespace bv::test;

namespace {
const QString data = QStringLiteral(BRISVALE_TEST_DATA "/pictures/");

QImage play(const Metafile& m, int w, int h, double tw = 0, double th = 0)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    m.Play(p, QRectF(0, 0, tw > 0 ? tw : w, th > 0 ? th : h));
    return img;
}

int channelDiff(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)) });
}

// Pixels of `a` with no pixel of like colour within one pixel in `b`.
int misplaced(const QImage& a, const QImage& b, int tolerance)
{
    int bad = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u >= 0 && v >= 0 && u < b.width() && v < b.height()
                        && channelDiff(a.pixel(x, y), b.pixel(u, v)) <= tolerance)
                        found = true;
                }
            bad += !found;
        }
    return bad;
}

QRgb rgb(const QImage& img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}
} // namespace

class TestMetafile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void otherProgramsDrawingWithinAPixel_data();
    void otherProgramsDrawingWithinAPixel();
    void deviceContextRules_data();
    void deviceContextRules();
    void textAlignmentAndEscapement_data();
    void textAlignmentAndEscapement();
    void enhancedMappingAndClipping();
    void scalesAsVectors();
    void sizesAndPlaceableHeader();
    void plainMetafileFileGetsPlaceableHeader();
    void rejectsWhatIsNoMetafile_data();
    void rejectsWhatIsNoMetafile();
    void damagedDataDrawsWhatItCan();
    void iconImageAndMask();
    void stateRecordsReadByTheirOwnNumbers_data();
    void stateRecordsReadByTheirOwnNumbers();
    void rasterOperations_data();
    void rasterOperations();
    void enhancedTextRecords_data();
    void enhancedTextRecords();
};

void TestMetafile::otherProgramsDrawingWithinAPixel_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("frameScaleX");
    QTest::addColumn<double>("frameScaleY");
    // Inkscape gives the enhanced file a frame of 79.99 x 52.99 mm around a
    // drawing of 3750 x 2500 device pixels (10205 x 13181 pixels on
    // 216 x 279 mm); playing maps the frame, not the drawing, onto the
    // target, so the target is made that much larger to compare with
    // Inkscape's own raster.
    QTest::newRow("enhanced") << "clipart.emf" << (7999 * 10205.0 / 216 / 100) / 3750
                              << (5299 * 13181.0 / 279 / 100) / 2500;
    QTest::newRow("placeable classic") << "clipart.wmf" << 1.0 << 1.0;
}

void TestMetafile::otherProgramsDrawingWithinAPixel()
{
    QFETCH(QString, file);
    QFETCH(double, frameScaleX);
    QFETCH(double, frameScaleY);
    const Metafile m = Metafile::FromFile(data + file);
    QImage ref(data + "clipart-ref.png");
    QVERIFY(!ref.isNull());
    ref = ref.convertToFormat(QImage::Format_RGB32);
    const QImage ours = play(m, ref.width(), ref.height(), ref.width() * frameScaleX, ref.height() * frameScaleY);
    const int both = misplaced(ours, ref, 48) + misplaced(ref, ours, 48);
    if (both > 30)
        ours.save(QDir::tempPath() + "/metafile-" + file + ".png");
    QVERIFY2(both <= 30, qPrintable(QStringLiteral("%1 pixels differ").arg(both)));
}

void TestMetafile::deviceContextRules_data()
{
    QTest::addColumn<QByteArray>("wmf");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("expected");

    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    // Window 0..100 onto a 200 x 200 target: logical (10..40) is 20..80.
    WmfBuilder base;
    base.windowOrg(0, 0).windowExt(100, 100).pen(5, 0, 0).select(0).brush(0, red).select(1);
    QTest::newRow("window extent scales") << WmfBuilder(base).rectangle(10, 10, 40, 40).file(false) << QPoint(70, 70)
                                          << QColor(red);
    QTest::newRow("outside the figure") << WmfBuilder(base).rectangle(10, 10, 40, 40).file(false) << QPoint(90, 90)
                                        << QColor(Qt::white);
    QTest::newRow("window origin moves")
        << WmfBuilder(base).windowOrg(-50, 0).rectangle(0, 0, 20, 20).file(false) << QPoint(130, 20) << QColor(red);
    // A brush selected after SaveDC is gone after RestoreDC.
    QTest::newRow("restore brings back the brush")
        << WmfBuilder(base).saveDC().brush(0, blue).select(2).restoreDC().rectangle(0, 0, 50, 50).file(false)
        << QPoint(50, 50) << QColor(red);
    QTest::newRow("clip limits a fill")
        << WmfBuilder(base).intersectClip(0, 0, 25, 100).rectangle(0, 0, 100, 100).file(false) << QPoint(60, 100)
        << QColor(Qt::white);
    QTest::newRow("clip keeps inside")
        << WmfBuilder(base).intersectClip(0, 0, 25, 100).rectangle(0, 0, 100, 100).file(false) << QPoint(40, 100)
        << QColor(red);
    QTest::newRow("excluded rectangle")
        << WmfBuilder(base).excludeClip(40, 40, 60, 60).rectangle(0, 0, 100, 100).file(false) << QPoint(100, 100)
        << QColor(Qt::white);
    QTest::newRow("clip ends with restore")
        << WmfBuilder(base).saveDC().intersectClip(0, 0, 10, 10).restoreDC().rectangle(0, 0, 100, 100).file(false)
        << QPoint(150, 150) << QColor(red);
    // Records the player does not know are skipped.
    QTest::newRow("unknown record skipped")
        << WmfBuilder(base).record(wmf::Escape, {1, 2, 3}).record(0x7777, {}).ellipse(0, 0, 100, 100).file(false)
        << QPoint(100, 100) << QColor(red);
    // A deleted object slot is reused by the next object.
    QTest::newRow("freed slot reused")
        << WmfBuilder(base).remove(1).brush(0, blue).select(1).rectangle(0, 0, 100, 100).file(false)
        << QPoint(100, 100) << QColor(blue);
    // A bitmap held in the records: left half green, right half blue.
    QImage tile(4, 2, QImage::Format_RGB32);
    tile.fill(Qt::green);
    for (int y = 0; y < 2; ++y)
        for (int x = 2; x < 4; ++x)
            tile.setPixel(x, y, blue);
    const QByteArray dib = packedDib24(tile);
    QTest::newRow("bitmap in records, left")
        << WmfBuilder(base).stretchDib(0, 0, 100, 100, 4, 2, dib).file(false) << QPoint(40, 100)
        << QColor(Qt::green);
    QTest::newRow("bitmap in records, right")
        << WmfBuilder(base).stretchDib(0, 0, 100, 100, 4, 2, dib).file(false) << QPoint(160, 100) << QColor(blue);
    // Placeable bounding box serves as the window when the records set none.
    QTest::newRow("placeable box as window")
        << WmfBuilder().pen(5, 0, 0).select(0).brush(0, red).select(1).rectangle(500, 500, 1000, 1000).file(
               true, 0, 0, 1000, 1000)
        << QPoint(150, 150) << QColor(red);
}

void TestMetafile::deviceContextRules()
{
    QFETCH(QByteArray, wmf);
    QFETCH(QPoint, at);
    QFETCH(QColor, expected);
    const QImage img = play(Metafile::FromBytes(wmf), 200, 200);
    QCOMPARE(QColor(rgb(img, at.x(), at.y())), expected);
}

// Text "HHHH" in Arial (Liberation Sans) 40 units high at (100, 100) on a
// 200 x 200 window played 1:1; the ink's box tells where it went.
void TestMetafile::textAlignmentAndEscapement_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("escapement");
    QTest::addColumn<QString>("rule");
    QTest::newRow("top, left") << 0 << 0 << "left==100 top>100 top<110";
    QTest::newRow("baseline") << 24 << 0 << "bottom==100";
    QTest::newRow("bottom") << 8 << 0 << "bottom<97 bottom>85";
    QTest::newRow("centre") << (24 | 6) << 0 << "centre==100";
    QTest::newRow("right") << (24 | 2) << 0 << "right==100";
    QTest::newRow("turned 90 degrees") << 24 << 900 << "right==100 top<60 bottom==100";
}

void TestMetafile::textAlignmentAndEscapement()
{
    QFETCH(int, align);
    QFETCH(int, escapement);
    QFETCH(QString, rule);
    WmfBuilder w;
    w.windowOrg(0, 0).windowExt(200, 200);
    QByteArray font = le16(-40) + le16(0) + le16(escapement) + le16(escapement) + le16(400)
        + QByteArray(8, '\0') + QByteArray("Arial").leftJustified(32, '\0');
    w.raw(wmf::CreateFontIndirect, font).select(0);
    w.record(wmf::SetTextAlign, {align}).record(wmf::SetBkMode, {1}); // transparent background
    w.raw(wmf::TextOut, le16(4) + QByteArray("HHHH") + le16(100) + le16(100));
    const QImage img = play(Metafile::FromBytes(w.file(false)), 200, 200);
    int l = 200, t = 200, r = -1, b = -1;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    QVERIFY(r >= 0);
    for (const QString& term : rule.split(' ')) {
        const bool eq = term.contains("==");
        const QStringList parts = term.split(QRegularExpression("==|<|>"));
        const QString what = parts[0];
        const int value = parts[1].toInt();
        const int got = what == "left" ? l : what == "right" ? r + 1 : what == "top" ? t : what == "bottom" ? b + 1 : (l + r + 1) / 2;
        if (eq)
            QVERIFY2(std::abs(got - value) <= 3, qPrintable(QStringLiteral("%1 = %2").arg(what).arg(got)));
        else if (term.contains('<'))
            QVERIFY2(got < value, qPrintable(QStringLiteral("%1 = %2").arg(what).arg(got)));
        else
            QVERIFY2(got > value, qPrintable(QStringLiteral("%1 = %2").arg(what).arg(got)));
    }
}

void TestMetafile::enhancedMappingAndClipping()
{
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    // Anisotropic mapping: window 0..10 onto the viewport 0..1000 device
    // pixels (the whole frame); a world transform then moves by 5 units.
    EmfBuilder e;
    e.record(emr::SetMapMode, {8}).record(emr::SetWindowExtEx, {10, 10}).record(emr::SetViewportExtEx, {1000, 1000});
    e.brush(1, red).select(1).select(0x80000008); // NULL_PEN
    e.rectangle(0, 0, 5, 5);
    e.record(emr::SaveDC, {});
    e.record(emr::IntersectClipRect, {5, 0, 10, 3});
    e.brush(2, blue).select(2).rectangle(5, 0, 10, 10);
    e.record(emr::RestoreDC, {-1});
    e.rectangle(0, 7, 3, 10); // red again, unclipped
    // A horizontal gradient from red to blue over (6, 7) .. (10, 10).
    e.raw(118, le32(0) + le32(0) + le32(0) + le32(0) + le32(2) + le32(1) + le32(0)
        + le32(6) + le32(7) + le16(0xFF00) + le16(0) + le16(0) + le16(0)
        + le32(10) + le32(10) + le16(0) + le16(0) + le16(0xFF00) + le16(0) + le32(0) + le32(1));
    const QImage img = play(Metafile::FromBytes(e.file()), 100, 100);
    QVERIFY(qRed(img.pixel(61, 85)) > 200 && qBlue(img.pixel(61, 85)) < 60);
    QVERIFY(qBlue(img.pixel(98, 85)) > 200 && qRed(img.pixel(98, 85)) < 60);
    QCOMPARE(rgb(img, 25, 25), red & 0xFFFFFF);
    QCOMPARE(rgb(img, 75, 10), blue & 0xFFFFFF);
    QCOMPARE(rgb(img, 75, 60), QRgb(0xFFFFFF)); // clipped away
    QCOMPARE(rgb(img, 10, 90), red & 0xFFFFFF);
}

void TestMetafile::scalesAsVectors()
{
    // The same picture at 8 x under the painter's transform: an edge stays
    // one device pixel sharp instead of becoming an 8-pixel staircase.
    const Metafile m = Metafile::FromFile(data + "clipart.emf");
    QImage big(2400, 1600, QImage::Format_RGB32);
    big.fill(Qt::white);
    QPainter p(&big);
    p.scale(8, 8);
    m.Play(p, QRectF(0, 0, 300, 200));
    p.end();
    // Across the ellipse's left edge at its centre row (x = 140 at 1 x).
    int blends = 0;
    for (int x = 8 * 136; x < 8 * 144; ++x) {
        const QRgb c = big.pixel(x, 8 * 55);
        blends += c != big.pixel(x - 1, 8 * 55);
    }
    QVERIFY2(blends <= 4, qPrintable(QString::number(blends)));
}

void TestMetafile::sizesAndPlaceableHeader()
{
    // 1440 units at 1440 per inch are one inch: 96 screen pixels.
    const Metafile m = Metafile::FromBytes(WmfBuilder().rectangle(0, 0, 10, 10).file(true, 0, 0, 1440, 720, 1440));
    QVERIFY(m.Placeable());
    QCOMPARE(m.Width(), 96);
    QCOMPARE(m.Height(), 48);
    // An enhanced metafile's frame of 25.4 mm is one inch.
    const Metafile e = Metafile::FromBytes(EmfBuilder().rectangle(0, 0, 1, 1).file(2540, 5080));
    QVERIFY(e.Enhanced());
    QCOMPARE(e.Width(), 96);
    QCOMPARE(e.Height(), 192);
    const QByteArray header = Metafile::PlaceableHeader(0, 0, 1440, 720, 1440);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= quint16(uchar(header[2 * i]) | (uchar(header[2 * i + 1]) << 8));
    QCOMPARE(quint16(uchar(header[20]) | (uchar(header[21]) << 8)), sum);
}

void TestMetafile::plainMetafileFileGetsPlaceableHeader()
{
    QTemporaryDir dir;
    const QByteArray plain = WmfBuilder().windowOrg(0, 0).windowExt(254, 127).rectangle(0, 0, 10, 10).file(false);
    const QString path = dir.filePath("plain.wmf");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(plain);
    f.close();
    const Metafile m = Metafile::FromFile(path);
    QVERIFY(m.Placeable());
    // The records follow the new header unchanged.
    QCOMPARE(m.Bytes().mid(22), plain);
    QCOMPARE(m.Bounds(), QRect(0, 0, 254, 127));
}

void TestMetafile::rejectsWhatIsNoMetafile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("bitmap") << QByteArray("BM\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 24);
    QTest::newRow("wrong header size") << (le16(1) + le16(7) + QByteArray(14, '\0'));
    QTest::newRow("placeable key only") << le32(0x9AC6CDD7);
    QTest::newRow("enhanced signature missing") << (le32(1) + le32(88) + QByteArray(80, '\0'));
}

void TestMetafile::rejectsWhatIsNoMetafile()
{
    QFETCH(QByteArray, bytes);
    QVERIFY_THROWS_EXCEPTION(EConvertError, Metafile::FromBytes(bytes));
}

void TestMetafile::damagedDataDrawsWhatItCan()
{
    // Every prefix of real files, and records claiming absurd counts: each
    // plays without reading past its data (the sanitizer build checks it).
    for (const char* name : { "clipart.emf", "clipart.wmf" }) {
        QFile f(data + name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray all = f.readAll();
        for (qsizetype n = 0; n <= all.size(); n += 7) {
            try {
                play(Metafile::FromBytes(all.left(n)), 30, 20);
            } catch (const EConvertError&) {
            }
        }
    }
    const QRgb red = qRgb(255, 0, 0);
    WmfBuilder w;
    w.windowExt(100, 100).brush(0, red).select(0).pen(5, 0, 0).select(1).rectangle(0, 0, 50, 50);
    w.record(wmf::Polygon, {30000, 1, 2});    // polygon with 30000 points and 1 given
    w.record(wmf::PolyPolygon, {9000, 1, 2, 3});  // poly-polygon counts beyond the record
    w.record(wmf::ExtTextOut, {0, 0, 32000, 0}); // text longer than its record
    w.record(wmf::StretchDib, {0, 0, 0, 5, 5});  // bitmap record without a bitmap
    QByteArray bytes = w.file(false);
    // The last record claims more words than the file has.
    bytes.insert(bytes.size() - 6, le32(99999) + le16(wmf::Rectangle) + le16(0));
    const QImage img = play(Metafile::FromBytes(bytes), 100, 100);
    QCOMPARE(rgb(img, 20, 20), red & 0xFFFFFF);
}

void TestMetafile::iconImageAndMask()
{
    const Icon icon = Icon::FromBytes(icon4bit(32, 4));
    QCOMPARE(icon.Width(), 32);
    QCOMPARE(qAlpha(icon.Image().pixel(1, 1)), 0);
    QCOMPARE(icon.Image().pixel(16, 16) & 0xFFFFFF, QRgb(0xFF0000));
    const QImage white = icon.OnWhite();
    QCOMPARE(white.pixel(1, 1) & 0xFFFFFF, QRgb(0xFFFFFF));
    // A bitmap made from it keeps the icon's size and pixels.
    const Dib made = TPicture::IconToBitmap(icon);
    QCOMPARE(made.Width(), 32);
    QCOMPARE(made.Image().pixel(16, 16) & 0xFFFFFF, QRgb(0xFF0000));
    QByteArray broken = icon4bit();
    broken[18] = char(0xFF); // the image's offset beyond the file
    broken[19] = char(0xFF);
    QVERIFY_THROWS_EXCEPTION(EConvertError, Icon::FromBytes(broken));
}

// Window 0..100 on a 200 x 200 target. Each row sets one mode record by its
// published number and draws something whose look depends on that mode
// alone; `at` (-1, -1) asks whether the colour shows anywhere.
void TestMetafile::stateRecordsReadByTheirOwnNumbers_data()
{
    QTest::addColumn<QByteArray>("wmf");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("expected");
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0);
    WmfBuilder base;
    base.windowOrg(0, 0).windowExt(100, 100);
    // Blanks in a 40-unit font over a blue field: an opaque background
    // paints the text cell white, a transparent one leaves the field.
    auto blanks = [&](int bkMode) {
        QByteArray font = le16(-40) + le16(0) + le16(0) + le16(0) + le16(400) + QByteArray(8, '\0')
            + QByteArray("Arial").leftJustified(32, '\0');
        return WmfBuilder(base)
            .pen(5, 0, 0).select(0).brush(0, blue).select(1).rectangle(0, 0, 100, 100)
            .raw(wmf::CreateFontIndirect, font).select(2)
            .record(wmf::SetBkMode, {bkMode})
            .raw(wmf::TextOut, le16(4) + QByteArray("    ") + le16(20) + le16(20))
            .file(false);
    };
    QTest::newRow("SetBkMode transparent keeps the field") << blanks(1) << QPoint(70, 70) << QColor(blue);
    QTest::newRow("SetBkMode opaque paints the cell") << blanks(2) << QPoint(70, 70) << QColor(Qt::white);
    // A cross-hatched square on a green background colour: the gaps show
    // the background while the background mode stays opaque.
    QTest::newRow("SetMapMode leaves the hatch background")
        << WmfBuilder(base).record(wmf::SetBkColor, {int(colorRef(green) & 0xFFFF), int(colorRef(green) >> 16)})
               .record(wmf::SetMapMode, {8})
               .pen(5, 0, 0).select(0).brush(2, red, 4).select(1).rectangle(0, 0, 100, 100).file(false)
        << QPoint(-1, -1) << QColor(green);
    // A 10-unit red frame without fill: the pen's colour stays its own.
    auto frame = [&](int function, int value) {
        return WmfBuilder(base)
            .pen(0, 10, red).select(0).brush(1, 0).select(1)
            .record(function, {value})
            .rectangle(20, 20, 80, 80).file(false);
    };
    QTest::newRow("SetRelAbs leaves the pen") << frame(wmf::SetRelAbs, 1) << QPoint(40, 100) << QColor(red);
    QTest::newRow("SetROP2 no-operation hides the pen") << frame(wmf::SetRop2, 11) << QPoint(40, 100)
                                                      << QColor(Qt::white);
    // A pentagram: winding fills its centre, alternate leaves it empty.
    auto star = [&](int function, int value) {
        WmfBuilder w(base);
        w.pen(5, 0, 0).select(0).brush(0, red).select(1).record(function, {value});
        w.record(wmf::Polygon, {5, 50, 5, 79, 95, 5, 40, 95, 40, 21, 95});
        return w.file(false);
    };
    QTest::newRow("SetPolyFillMode winding fills the centre") << star(wmf::SetPolyFillMode, 2) << QPoint(100, 110)
                                                             << QColor(red);
    QTest::newRow("SetStretchBltMode leaves the fill mode") << star(wmf::SetStretchBltMode, 2) << QPoint(100, 110)
                                                           << QColor(Qt::white);
}

void TestMetafile::stateRecordsReadByTheirOwnNumbers()
{
    QFETCH(QByteArray, wmf);
    QFETCH(QPoint, at);
    QFETCH(QColor, expected);
    const QImage img = play(Metafile::FromBytes(wmf), 200, 200);
    if (at.x() >= 0) {
        QCOMPARE(QColor(rgb(img, at.x(), at.y())), expected);
        return;
    }
    int found = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            found += channelDiff(img.pixel(x, y), expected.rgb()) <= 8;
    QVERIFY2(found > 100, qPrintable(QStringLiteral("%1 pixels of the colour").arg(found)));
}

// A red field, a blue brush, then one raster operation on the middle
// (logical 25..75 of 100, so pixel (100, 100)). The expected colours are
// the operations' bitwise definitions worked out by hand.
void TestMetafile::rasterOperations_data()
{
    QTest::addColumn<QByteArray>("wmf");
    QTest::addColumn<QColor>("expected");
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    WmfBuilder base;
    base.windowOrg(0, 0).windowExt(100, 100).pen(5, 0, 0).select(0).brush(0, red).select(1);
    base.rectangle(0, 0, 100, 100).brush(0, blue).select(2);
    auto patBlt = [&](qint64 op) {
        return WmfBuilder(base).raw(wmf::PatBlt, le32(op) + le16(50) + le16(50) + le16(25) + le16(25)).file(false);
    };
    QTest::newRow("PatBlt PATCOPY") << patBlt(rop::PatCopy) << QColor(blue);
    QTest::newRow("PatBlt PATINVERT") << patBlt(rop::PatInvert) << QColor(255, 0, 255);
    QTest::newRow("PatBlt DSTINVERT") << patBlt(rop::DstInvert) << QColor(0, 255, 255);
    QTest::newRow("PatBlt BLACKNESS") << patBlt(rop::Blackness) << QColor(Qt::black);
    QTest::newRow("PatBlt WHITENESS") << patBlt(rop::Whiteness) << QColor(Qt::white);
    auto blit = [&](qint64 op, QRgb source) {
        QImage img(50, 50, QImage::Format_RGB32); // a plain blit copies without stretching
        img.fill(source);
        return WmfBuilder(base)
            .raw(wmf::DibBitBlt, le32(op) + le16(0) + le16(0) + le16(50) + le16(50) + le16(25) + le16(25)
                    + packedDib24(img))
            .file(false);
    };
    QTest::newRow("SRCCOPY") << blit(rop::SrcCopy, qRgb(0, 255, 0)) << QColor(0, 255, 0);
    QTest::newRow("NOTSRCCOPY") << blit(rop::NotSrcCopy, qRgb(0, 255, 0)) << QColor(255, 0, 255);
    QTest::newRow("MERGECOPY") << blit(rop::MergeCopy, qRgb(255, 255, 255)) << QColor(blue);
    QTest::newRow("SRCERASE") << blit(rop::SrcErase, qRgb(255, 255, 255)) << QColor(0, 255, 255);
}

void TestMetafile::rasterOperations()
{
    QFETCH(QByteArray, wmf);
    QFETCH(QColor, expected);
    const QImage img = play(Metafile::FromBytes(wmf), 200, 200);
    QCOMPARE(QColor(rgb(img, 100, 100)), expected);
    QCOMPARE(QColor(rgb(img, 20, 20)), QColor(Qt::red)); // outside stays
}

namespace {
// An enhanced ExtTextOutW record: reference point, options, rectangle and
// UTF-16 codes (characters or glyph numbers).
QByteArray extTextOutW(int x, int y, int options, QRect r, const QList<quint16>& codes)
{
    const int offString = 8 + 16 + 12 + 8 + 4 + 4 + 4 + 16 + 4;
    QByteArray body = QByteArray(16, '\0') + le32(1) + le32(0x3F800000) + le32(0x3F800000) + le32(x) + le32(y)
        + le32(codes.size()) + le32(offString) + le32(options) + le32(r.left()) + le32(r.top()) + le32(r.right())
        + le32(r.bottom()) + le32(0);
    for (quint16 c : codes)
        body += le16(c);
    return body;
}
QByteArray emfFont(int ih, int height, const QString& face)
{
    QByteArray b = le32(ih) + le32(height) + le32(0) + le32(0) + le32(0) + le32(400) + QByteArray(8, '\0');
    for (int i = 0; i < 32; ++i)
        b += le16(i < face.size() ? face[i].unicode() : 0);
    return b + QByteArray(320 - 92 + 8, '\0');
}
QRect ink(const QImage& img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}
} // namespace

// Text records of enhanced metafiles on a 1000-unit frame played at
// 200 x 200: glyph numbers are those Qt's own character map gives for the
// font, so they draw what the same characters draw.
void TestMetafile::enhancedTextRecords_data()
{
    QTest::addColumn<QByteArray>("emf");
    QTest::addColumn<QString>("rule");
    const QRgb green = qRgb(0, 200, 0);
    EmfBuilder opaque;
    opaque.record(emr::SetBkColor, {colorRef(green)});
    opaque.raw(emr::ExtTextOutW, extTextOutW(250, 250, 2, QRect(QPoint(250, 250), QPoint(750, 750)), {}));
    QTest::newRow("no characters, opaque rectangle painted") << opaque.file() << "green at 100,100";

    const QString face = QStringLiteral("DejaVu Sans");
    QRawFont raw = QRawFont::fromFont(QFont(face));
    const QList<quint32> g = raw.glyphIndexesForString("HH");
    auto line = [&](const QString& named, bool glyphIndex) {
        EmfBuilder e;
        e.record(emr::SetBkMode, {1}).raw(emr::ExtCreateFontIndirectW, emfFont(1, -200, named)).select(1);
        QList<quint16> codes;
        if (glyphIndex)
            codes = { quint16(g.value(0)), quint16(g.value(1)) };
        else
            codes = { 'H', 'H' };
        e.raw(emr::ExtTextOutW, extTextOutW(100, 100, glyphIndex ? 0x10 : 0, QRect(), codes));
        return e.file();
    };
    QTest::newRow("characters") << line(face, false) << "ink like characters";
    QTest::newRow("glyph numbers of an installed font") << line(face, true) << "ink like characters";
    QTest::newRow("glyph numbers of a missing font") << line("No Such Font Family", true) << "no ink";
    // Wingdings code 0x28 is the telephone (published Wingdings chart),
    // recorded by Windows as U+F028; a plain font would draw "(".
    EmfBuilder phone;
    phone.record(emr::SetBkMode, {1}).raw(emr::ExtCreateFontIndirectW, emfFont(1, -200, "Wingdings")).select(1);
    phone.raw(emr::ExtTextOutW, extTextOutW(100, 100, 0, QRect(), { 0xF028 }));
    QTest::newRow("symbol font draws its picture") << phone.file() << "wide ink";
}

void TestMetafile::enhancedTextRecords()
{
    QFETCH(QByteArray, emf);
    QFETCH(QString, rule);
    const QImage img = play(Metafile::FromBytes(emf), 200, 200);
    if (rule.startsWith("green")) {
        QCOMPARE(QColor(rgb(img, 100, 100)), QColor(0, 200, 0));
        QCOMPARE(QColor(rgb(img, 30, 30)), QColor(Qt::white));
    } else if (rule == "no ink") {
        QVERIFY(ink(img).isEmpty());
    } else if (rule == "wide ink") {
        const QRect got = ink(img);
        QVERIFY(!got.isEmpty());
        QVERIFY2(got.width() > got.height() * 3 / 4, qPrintable(QStringLiteral("%1 x %2").arg(got.width()).arg(got.height())));
    } else {
        // "HH" of DejaVu Sans 40 pixels high at (20, 20), drawn by Qt.
        QImage ref(200, 200, QImage::Format_RGB32);
        ref.fill(Qt::white);
        QPainter p(&ref);
        QFont f("DejaVu Sans");
        f.setPixelSize(40);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QPointF(20, 20 + QFontMetricsF(f).ascent()), "HH");
        p.end();
        const QRect want = ink(ref), got = ink(img);
        QVERIFY(!got.isEmpty());
        QVERIFY2(std::abs(got.left() - want.left()) <= 2 && std::abs(got.right() - want.right()) <= 2
                && std::abs(got.top() - want.top()) <= 2 && std::abs(got.bottom() - want.bottom()) <= 2,
            qPrintable(QStringLiteral("ink %1,%2 %3x%4, Qt's %5,%6 %7x%8")
                           .arg(got.x()).arg(got.y()).arg(got.width()).arg(got.height())
                           .arg(want.x()).arg(want.y()).arg(want.width()).arg(want.height())));
    }
}

QTEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
