// Colours shown to people by their plain names, never as identifiers.
#include "platform/Colors.h"

#include <QTest>

using namespace bv;

class TestColors : public QObject {
    Q_OBJECT
private slots:
    void plainNames_data()
    {
        QTest::addColumn<qint64>("colour");
        QTest::addColumn<QString>("name");
        QTest::newRow("named") << qint64(clBlack) << "Black";
        QTest::newRow("two words") << qint64(clWindowText) << "Window text";
        QTest::newRow("abbreviated") << qint64(clBtnFace) << "Button face";
        QTest::newRow("3-D") << qint64(cl3DDkShadow) << "3-D dark shadow";
        QTest::newRow("no name") << qint64(0x00123456) << "#563412";
    }
    void plainNames()
    {
        QFETCH(qint64, colour);
        QFETCH(QString, name);
        QCOMPARE(ColorDisplayName(TColor(colour)), name);
    }
};

QTEST_MAIN(TestColors)
#include "tst_colors.moc"
