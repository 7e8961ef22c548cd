// Recorded pages made by hand to overflow the player: device coordinates near
// the ends of the 32-bit range and a bitmap whose header lies.
#include "pageengine/PagePlayer.h"
#include "pageengine/PageStreamFormat.h"
#include "platform/Errors.h"

#include <QPainter>
#include <QPicture>
#include <QtTest>

using namespace bv;
using namespace bv::pagestream;

namespace {

QByteArray le32(qint64 v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

// One page of the given records behind a valid header.
QByteArray recording(const QList<QByteArray>& records)
{
    QByteArray out;
    Writer w(out);
    out.append(Magic, 4);
    w.u32(Version);
    for (double v : {600.0, 600.0, 0.25, 0.25, 0.25, 8.5, 11.0})
        w.f64(v);
    w.u32(1);
    w.u32(static_cast<std::uint32_t>(records.size()));
    for (const QByteArray& r : records)
        out += r;
    return out;
}

QByteArray record(Op op, const std::function<void(Writer&)>& body)
{
    QByteArray out;
    Writer w(out);
    w.begin(op);
    body(w);
    w.finish();
    return out;
}

QByteArray pictureData()
{
    QPicture picture;
    QPainter p(&picture);
    p.drawLine(0, 0, 10, 10);
    p.end();
    return QByteArray(picture.data(), picture.size());
}

QByteArray definePicture(int id, int x, int y, int w, int h)
{
    return record(opDefinePicture, [&](Writer& wr) {
        wr.i32(id);
        wr.i32(x);
        wr.i32(y);
        wr.i32(w);
        wr.i32(h);
        wr.bytes(pictureData());
    });
}

} // namespace

class TestPageHostile : public QObject {
    Q_OBJECT
private slots:
    void extremeRecordsAreRefused_data();
    void extremeRecordsAreRefused();
};

void TestPageHostile::extremeRecordsAreRefused_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("loads");
    const int big = std::numeric_limits<int>::max();
    const int small = std::numeric_limits<int>::min();
    QTest::newRow("ordinary picture box") << recording({definePicture(1, 10, 10, 300, 200)}) << true;
    QTest::newRow("picture box at 2^31") << recording({definePicture(1, big - 5, big - 5, big, big)}) << false;
    QTest::newRow("picture box at -2^31") << recording({definePicture(1, small, small, big, big)}) << false;
    QTest::newRow("stretched picture at 2^31")
        << recording({definePicture(1, 0, 0, 10, 10), record(opStretchGraphic, [&](Writer& w) {
               for (int v : {small, small, big, big, 1})
                   w.i32(v);
           })})
        << false;
    QTest::newRow("device rectangle at 2^31")
        << recording({record(opFillDeviceRect, [&](Writer& w) {
               for (int v : {small, 0, big, 10})
                   w.i32(v);
           })})
        << false;
    QTest::newRow("polygon point at 2^31") << recording({record(opPolygon, [&](Writer& w) {
        w.u32(2);
        for (int v : {0, 0, big, big})
            w.i32(v);
    })}) << false;
    // A bit-field bitmap with a 41-byte header (its masks would lie past the data).
    QByteArray info = le32(41) + le32(1) + le32(1) + QByteArray("\x01\x00\x20\x00", 4) + le32(3)
        + QByteArray(21, '\0');
    QByteArray bmp = "BM" + le32(14 + 41 + 4) + le32(0) + le32(14 + 41) + info + le32(0x00FFFFFF);
    QTest::newRow("bitmap with a short bit-field header")
        << recording({record(opDefineBitmap, [&](Writer& w) {
               w.i32(1);
               w.bytes(bmp);
           })})
        << false;
}

void TestPageHostile::extremeRecordsAreRefused()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, loads);
    TPagePlayer player;
    if (loads) {
        player.Load(data);
        QVERIFY(player.IsLoaded());
        QVERIFY(!player.RenderPage(1, 20).isNull());
    } else {
        QVERIFY_THROWS_EXCEPTION(EReadError, player.Load(data));
        QVERIFY(!player.IsLoaded());
    }
}

QTEST_MAIN(TestPageHostile)
#include "tst_page_hostile.moc"
