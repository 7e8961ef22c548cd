// Every registered design object kind: the class name it writes to a design
// file is the name it is registered under (stored designs must read back),
// and it answers the questions the card and the print job ask of a kind.
#include "app/DesignClasses.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/GraphicControl.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace bv;

class TestObjectKinds : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void kindsNameThemselvesAndTellWhatTheyAre_data();
    void kindsNameThemselvesAndTellWhatTheyAre();
    void cardAsksItsObjects();

private:
    QTemporaryDir home;
};

void TestObjectKinds::initTestCase()
{
    QVERIFY(home.isValid());
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
    RegisterDesignClasses();
}

void TestObjectKinds::kindsNameThemselvesAndTellWhatTheyAre_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ancestor");
    QTest::addColumn<bool>("effect");
    QTest::addColumn<bool>("cardFont");
    QTest::newRow("TGPLabel") << "TGPLabel" << "TGBaseLabel" << false << false;
    QTest::newRow("TGBusinessCardLabel") << "TGBusinessCardLabel" << "TGPLabel" << false << true;
    QTest::newRow("TGSymbolLabel") << "TGSymbolLabel" << "TGBaseLabel" << false << false;
    QTest::newRow("TGMultiLineLabel") << "TGMultiLineLabel" << "TGMultiLineBaseLabel" << false << true;
    QTest::newRow("TGLabelShapes") << "TGLabelShapes" << "TGGraphicControl" << false << false;
    QTest::newRow("TBCShapes") << "TBCShapes" << "TGLabelShapes" << false << false;
    QTest::newRow("TGLineShape") << "TGLineShape" << "TGGraphicControl" << false << false;
    QTest::newRow("TGImage") << "TGImage" << "TGGraphicControl" << false << false;
    QTest::newRow("TGPRichBaseLabel") << "TGPRichBaseLabel" << "TGGraphicControl" << false << false;
    QTest::newRow("TSuperShape") << "TSuperShape" << "TGGraphicControl" << true << false;
    QTest::newRow("TGSuperText") << "TGSuperText" << "TGGraphicControl" << true << false;
    QTest::newRow("TGPCircleText") << "TGPCircleText" << "TGGraphicControl" << false << false;
}

void TestObjectKinds::kindsNameThemselvesAndTellWhatTheyAre()
{
    QFETCH(QString, name);
    QFETCH(QString, ancestor);
    QFETCH(bool, effect);
    QFETCH(bool, cardFont);
    // Registered in a letter case of its own: the registry ignores case, the
    // object still names itself exactly.
    std::unique_ptr<TGGraphicControl> o(CreateObjectOfClass(name.toLower()));
    QVERIFY(o);
    QCOMPARE(o->ClassName(), name);
    QVERIFY(o->InheritsClass(ancestor.toUpper()));
    QVERIFY(!o->InheritsClass(QStringLiteral("TGSuperText")) || name == QLatin1String("TGSuperText"));
    QCOMPARE(o->IsEffectObject(), effect);
    QCOMPARE(o->TakesCardFontName(), cardFont);
}

void TestObjectKinds::cardAsksItsObjects()
{
    TGBusinessCardPanel32 panel;
    panel.resize(336, 192);
    const auto add = [&](const char* name) {
        TGGraphicControl* o = CreateObjectOfClass(QString::fromLatin1(name));
        o->Loaded();
        panel.AddObject(o, TRect(10, 10, 120, 40));
        return o;
    };
    TGGraphicControl* label = add("TGBusinessCardLabel");
    TGGraphicControl* lines = add("TGMultiLineLabel");
    TGGraphicControl* plain = add("TGPLabel");
    const QString before = plain->Font().Name;
    QVERIFY(!panel.HasEffectObjects());
    panel.SetAllFontNames(QStringLiteral("Liberation Serif"));
    QCOMPARE(label->Font().Name, QStringLiteral("Liberation Serif"));
    QCOMPARE(lines->Font().Name, QStringLiteral("Liberation Serif"));
    QCOMPARE(plain->Font().Name, before);
    add("TGPCircleText");
    QVERIFY(!panel.HasEffectObjects());
    add("TGSuperText");
    QVERIFY(panel.HasEffectObjects());
}

QTEST_MAIN(TestObjectKinds)
#include "tst_object_kinds.moc"
