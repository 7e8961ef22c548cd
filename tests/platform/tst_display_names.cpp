// What people read: colours by their plain names, never as identifiers, and
// message box titles in sentence case with the program's name.
#include "platform/Colors.h"
#include "platform/Interaction.h"

#include <QTest>

using namespace bv;

class TestDisplayNames : public QObject {
    Q_OBJECT
private slots:
    void messageBoxTitles_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("title");
        QTest::newRow("capitals") << "CONFIRM" << "Confirm — Brisvale";
        QTest::newRow("title case") << "Card Layout" << "Card layout — Brisvale";
        QTest::newRow("none") << "" << "Brisvale";
    }
    void messageBoxTitles()
    {
        QFETCH(QString, caption);
        QFETCH(QString, title);
        QCOMPARE(MessageBoxTitle(caption), title);
    }
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

QTEST_MAIN(TestDisplayNames)
#include "tst_display_names.moc"
