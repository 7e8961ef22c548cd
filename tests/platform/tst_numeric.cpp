// Rounding rules that stored geometry, zoom captions and printer arithmetic rely on.
#include "platform/Numeric.h"

#include <QTest>

using namespace bv;

class TestNumeric : public QObject {
    Q_OBJECT
private slots:
    void roundHalvesToEven_data();
    void roundHalvesToEven();
    void truncTowardZero();
    void mulDivRoundsHalfAwayFromZero_data();
    void mulDivRoundsHalfAwayFromZero();
    void singleStepsOfZoom();
};

void TestNumeric::roundHalvesToEven_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("0.5") << 0.5 << qint64(0);
    QTest::newRow("1.5") << 1.5 << qint64(2);
    QTest::newRow("2.5") << 2.5 << qint64(2);
    QTest::newRow("3.5") << 3.5 << qint64(4);
    QTest::newRow("-0.5") << -0.5 << qint64(0);
    QTest::newRow("-1.5") << -1.5 << qint64(-2);
    QTest::newRow("-2.5") << -2.5 << qint64(-2);
    QTest::newRow("2.4999") << 2.4999 << qint64(2);
    QTest::newRow("2.5001") << 2.5001 << qint64(3);
    QTest::newRow("-2.6") << -2.6 << qint64(-3);
    QTest::newRow("334.5 px") << 334.5 << qint64(334);
    QTest::newRow("3500 thousandths") << 3.5 * 1000 << qint64(3500);
}

void TestNumeric::roundHalvesToEven()
{
    QFETCH(double, x);
    QFETCH(qint64, expected);
    QCOMPARE(Round(x), expected);
}

void TestNumeric::truncTowardZero()
{
    QCOMPARE(Trunc(2.9), 2);
    QCOMPARE(Trunc(-2.9), -2);
    QCOMPARE(Trunc(0.999), 0);
    QCOMPARE(Trunc(-0.5), 0);
    // zoomed font size: 10 pt at 1.25 is 12.5 -> 12
    QCOMPARE(Trunc(10 * 1.25), 12);
}

void TestNumeric::mulDivRoundsHalfAwayFromZero_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("expected");
    QTest::newRow("font height 10pt 96ppi") << 10 << 96 << 72 << 13;
    QTest::newRow("half up") << 5 << 1 << 2 << 3;
    QTest::newRow("half away negative") << -5 << 1 << 2 << -3;
    QTest::newRow("negative divisor") << 5 << 1 << -2 << -3;
    QTest::newRow("below half") << 4 << 1 << 3 << 1;
    QTest::newRow("odd divisor above half") << 5 << 1 << 3 << 2;
    QTest::newRow("large intermediate") << 2000000000 << 3 << 4 << 1500000000;
    QTest::newRow("zero divisor") << 7 << 3 << 0 << -1;
}

void TestNumeric::mulDivRoundsHalfAwayFromZero()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(int, expected);
    QCOMPARE(MulDiv(a, b, c), expected);
}

void TestNumeric::singleStepsOfZoom()
{
    // Sums at extended precision stored as single give the steps 1.1 ... 1.5;
    // the fifth lands on the single just above 1.5, so zooming in stops there.
    Single zoom = 1.0f;
    QList<qint64> captions;
    while (!(zoom > 1.5f)) {
        zoom = ToSingle(static_cast<Extended>(zoom) + 0.1L);
        captions << Round(static_cast<Extended>(zoom) * 100);
    }
    QCOMPARE(captions, (QList<qint64>{110, 120, 130, 140, 150}));
}

QTEST_APPLESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
