// EMF+ records written here from the published record layouts, played at
// one reference pixel per image pixel, and checked at points whose colour
// is worked out by hand: point forms, pieced objects, the object-id limit,
// transform order, page units, containers, clipping, gradients; and broken
// records that must neither crash nor lose what was drawn before them.
#include "pictures/Metafile.h"
#include "support/PictureKit.h"

#include <QPainter>
#include <QtTest>
#include <cstring>

using namespace bv;
using namespace bv::test;

namespace {

QByteArray f32(std::initializer_list<float> values)
{
    QByteArray b;
    for (float v : values) {
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        b += le32(bits);
    }
    return b;
}

QByteArray u32s(std::initializer_list<qint64> values)
{
    QByteArray b;
    for (qint64 v : values)
        b += le32(v);
    return b;
}

// One EMF+ record: type, flags, size, data size, data.
QByteArray plus(int type, int flags, QByteArray data = {})
{
    while (data.size() % 4)
        data.append('\0');
    return le16(type) + le16(flags) + le32(12 + data.size()) + le32(data.size()) + data;
}

constexpr qint64 Version = 0xDBC01002;
constexpr int Colour = 0x8000;
constexpr qint64 Red = 0xFFFF0000, Blue = 0xFF0000FF;

// An EMF+ picture of 100 x 100 reference pixels (at 96 per inch) with the
// given records after its header, each in a comment of its own.
QByteArray picture(const QList<QByteArray>& records)
{
    EmfBuilder e;
    QList<QByteArray> all { plus(0x4001, 0, u32s({ Version, 1, 96, 96 })) };
    all += records;
    for (const QByteArray& r : all) {
        const QByteArray data = "EMF+" + r;
        e.raw(emr::Comment, le32(data.size()) + data);
    }
    // 100 pixels of the builder's reference device are 10 mm.
    return e.file(1000, 1000);
}

QImage play(const QByteArray& emf)
{
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    Metafile::FromBytes(emf).Play(p, QRectF(0, 0, 100, 100));
    return img;
}

int channelDiff(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)) });
}

QByteArray fillRect(float x, float y, float w, float h, qint64 colour = Red)
{
    return plus(0x400A, Colour, u32s({ colour, 1 }) + f32({ x, y, w, h }));
}

struct Probe {
    QPoint at;
    QRgb colour;
};

} // namespace

Q_DECLARE_METATYPE(QList<QByteArray>)
Q_DECLARE_METATYPE(QList<Probe>)

class TestEmfPlus : public QObject {
    Q_OBJECT
private slots:
    void drawnWhereTheRecordsSay_data();
    void drawnWhereTheRecordsSay();
    void brokenRecordsKeepEarlierDrawing_data();
    void brokenRecordsKeepEarlierDrawing();
};

void TestEmfPlus::drawnWhereTheRecordsSay_data()
{
    QTest::addColumn<QList<QByteArray>>("records");
    QTest::addColumn<QList<Probe>>("probes");
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);

    // (20,20), then +60 across (15-bit step), +60 down, -60 across (7-bit).
    const QByteArray steps("\x14\x14\x80\x3C\x00\x00\x3C\x44\x00", 9);
    QTest::newRow("relative points")
        << QList<QByteArray> { plus(0x400C, Colour | 0x0800, u32s({ Red, 4 }) + steps) }
        << QList<Probe> { { { 50, 50 }, red }, { { 10, 50 }, white }, { { 90, 50 }, white } };
    QTest::newRow("16-bit rectangle")
        << QList<QByteArray> { plus(0x400A, Colour | 0x4000, u32s({ Red, 1 }) + le16(60) + le16(10) + le16(30) + le16(80)) }
        << QList<Probe> { { { 75, 50 }, red }, { { 50, 50 }, white } };

    // A solid blue brush in slot 5, sent in two pieces.
    const QByteArray brush = u32s({ Version, 0, Blue });
    QTest::newRow("object in pieces")
        << QList<QByteArray> { plus(0x4008, 0x8000 | 0x0100 | 5, le32(brush.size()) + brush.left(4)),
               plus(0x4008, 0x8000 | 0x0100 | 5, le32(brush.size()) + brush.mid(4)),
               plus(0x400A, 0, u32s({ 5, 1 }) + f32({ 0, 0, 50, 50 })) }
        << QList<Probe> { { { 25, 25 }, blue }, { { 75, 75 }, white } };
    // Ids above 63 are not objects; slot 6 keeps its brush.
    QTest::newRow("object id beyond the table")
        << QList<QByteArray> { plus(0x4008, 0x0100 | 6, brush), plus(0x4008, 0x0100 | 70, u32s({ Version, 0, Red })),
               plus(0x400A, 0, u32s({ 6, 1 }) + f32({ 0, 0, 50, 50 })) }
        << QList<Probe> { { { 25, 25 }, blue } };

    const QByteArray square = u32s({ Version, 4, 0 }) + f32({ 0, 0, 100, 0, 100, 100, 0, 100 }) + QByteArray("\x00\x01\x01\x81", 4);
    QTest::newRow("path id beyond the table")
        << QList<QByteArray> { plus(0x4008, 0x0300 | 6, square), plus(0x4014, Colour | 70, le32(Red)) }
        << QList<Probe> { { { 50, 50 }, white } };

    // World scaled by 2, then translated by (10, 10) before (default) or
    // after (append flag) the scale.
    const QByteArray scale2 = plus(0x402A, 0, f32({ 2, 0, 0, 2, 0, 0 }));
    QTest::newRow("translation before the scale")
        << QList<QByteArray> { scale2, plus(0x402D, 0, f32({ 10, 10 })), fillRect(0, 0, 10, 10) }
        << QList<Probe> { { { 30, 30 }, red }, { { 15, 15 }, white } };
    QTest::newRow("translation after the scale")
        << QList<QByteArray> { scale2, plus(0x402D, 0x2000, f32({ 10, 10 })), fillRect(0, 0, 10, 10) }
        << QList<Probe> { { { 15, 15 }, red }, { { 35, 35 }, white } };
    // 5 mm at 96 per inch is 18.9 pixels.
    QTest::newRow("page in millimetres")
        << QList<QByteArray> { plus(0x4030, 6, f32({ 1 })), fillRect(10, 10, 5, 5) }
        << QList<Probe> { { { 47, 47 }, red }, { { 30, 30 }, white }, { { 60, 60 }, white } };
    // Source (0,0,100,100) onto destination (50,50,40,40) in pixels.
    QTest::newRow("container")
        << QList<QByteArray> { plus(0x4027, 2 << 8, f32({ 50, 50, 40, 40, 0, 0, 100, 100 }) + le32(1)),
               fillRect(0, 0, 50, 50), plus(0x4029, 0, le32(1)), fillRect(0, 80, 10, 10, Blue) }
        << QList<Probe> { { { 60, 60 }, red }, { { 45, 45 }, white }, { { 75, 75 }, white }, { { 5, 85 }, blue } };

    QTest::newRow("clip restored")
        << QList<QByteArray> { plus(0x4025, 0, le32(7)), plus(0x4032, 0, f32({ 0, 0, 30, 100 })),
               plus(0x4026, 0, le32(7)), fillRect(0, 0, 100, 100) }
        << QList<Probe> { { { 80, 50 }, red } };
    QTest::newRow("clip excludes a rectangle")
        << QList<QByteArray> { plus(0x4032, 4 << 8, f32({ 40, 40, 20, 20 })), fillRect(0, 0, 100, 100) }
        << QList<Probe> { { { 50, 50 }, white }, { { 20, 20 }, red } };

    // Red to blue across the rectangle, clamped beyond it.
    const QByteArray linear = u32s({ Version, 4, 0, 4 }) + f32({ 0, 0, 100, 100 }) + u32s({ Red, Blue, 0, 0 });
    QTest::newRow("linear gradient")
        << QList<QByteArray> { plus(0x4008, 0x0100 | 1, linear), plus(0x400A, 0, u32s({ 1, 1 }) + f32({ 0, 0, 100, 100 })) }
        << QList<Probe> { { { 1, 50 }, red }, { { 98, 50 }, blue }, { { 50, 50 }, qRgb(128, 0, 128) } };
}

void TestEmfPlus::drawnWhereTheRecordsSay()
{
    QFETCH(QList<QByteArray>, records);
    QFETCH(QList<Probe>, probes);
    const QImage img = play(picture(records));
    for (const Probe& probe : probes)
        QVERIFY2(channelDiff(img.pixel(probe.at), probe.colour) <= 12,
            qPrintable(QStringLiteral("at (%1, %2): %3, expected %4")
                           .arg(probe.at.x()).arg(probe.at.y())
                           .arg(QColor(img.pixel(probe.at)).name(), QColor(probe.colour).name())));
}

void TestEmfPlus::brokenRecordsKeepEarlierDrawing_data()
{
    QTest::addColumn<QByteArray>("broken");
    QTest::newRow("size past the comment") << le16(0x400A) + le16(Colour) + le32(4000) + le32(3988) + le32(Red);
    QTest::newRow("data size past the size") << le16(0x400A) + le16(Colour) + le32(12) + le32(400);
    QTest::newRow("absurd point count") << plus(0x400C, Colour, u32s({ Red, 0x40000000 }) + f32({ 1, 2 }));
    QTest::newRow("path without its points") << plus(0x4008, 0x0300 | 1, u32s({ Version, 0x7FFFFFFF, 0 }))
        + plus(0x4014, Colour | 1, le32(Red));
    QByteArray deep = u32s({ Version, 400 });
    for (int i = 0; i < 200; ++i)
        deep += le32(1);
    QTest::newRow("deep region") << plus(0x4008, 0x0400 | 2, deep) + plus(0x4034, 2);
    QTest::newRow("object claiming 4 GB") << plus(0x4008, 0x8000 | 0x0100 | 3, u32s({ 0xFFFFFFFF, Version, 0 }))
        + plus(0x400A, 0, u32s({ 3, 1 }) + f32({ 0, 0, 100, 100 }));
    QTest::newRow("string longer than its record") << plus(0x4008, 0x0600 | 4, u32s({ Version }) + f32({ 12 }) + u32s({ 2, 0, 0, 900 }))
        + plus(0x401C, Colour | 4, u32s({ Red, 0xFFFFFFFF, 0x7FFFFFFF }) + f32({ 0, 0, 100, 100 }));
}

void TestEmfPlus::brokenRecordsKeepEarlierDrawing()
{
    QFETCH(QByteArray, broken);
    const QImage img = play(picture({ fillRect(0, 0, 50, 50, Blue), broken, fillRect(50, 50, 50, 50, Blue) }));
    QCOMPARE(QColor(img.pixel(25, 25)), QColor(Qt::blue));
    // Nothing of the broken records turns up red.
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            QVERIFY(qRed(img.pixel(x, y)) < 200 || qGreen(img.pixel(x, y)) > 200);
}

QTEST_MAIN(TestEmfPlus)
#include "tst_emfplus.moc"
