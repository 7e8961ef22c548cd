// The design model behind the panel: its commands reach the panel's change
// report, zoom steps resize the card without reporting a change, and a panel
// takes its objects with it.
#include "SurfaceTestKit.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>

using namespace bv;
using namespace bv::test;

class TestDesignModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void commandsReportThroughThePanel_data();
    void commandsReportThroughThePanel();
    void zoomStepsResizeTheCardSilently();
    void panelTakesItsObjectsWithIt();
    void clickSelectsTheTopObjectAndSendToBackClears_data();
    void clickSelectsTheTopObjectAndSendToBackClears();

private:
    QTemporaryDir home;
};

void TestDesignModel::initTestCase()
{
    QVERIFY(home.isValid());
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
}

using Command = std::function<void(TDesignModel&)>;
// What the three boxes look like afterwards, bottom first: "left,top" each.
using Check = std::function<QString(const TDesignModel&)>;

static QString lefts(const TDesignModel& m)
{
    QStringList out;
    for (const TGGraphicControl* o : m.Objects())
        out << QString::number(o->Left());
    return out.join(QLatin1Char(' '));
}

static QString tops(const TDesignModel& m)
{
    QStringList out;
    for (const TGGraphicControl* o : m.Objects())
        out << QString::number(o->Top());
    return out.join(QLatin1Char(' '));
}

void TestDesignModel::commandsReportThroughThePanel_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<Check>("check");
    QTest::addColumn<QString>("expected");
    // Boxes at (10,10), (50,30), (90,50), 20 × 20; the first two selected.
    QTest::newRow("align left") << Command([](TDesignModel& m) { m.AlignLeft(); }) << Check(lefts)
                                << QStringLiteral("10 10 90");
    QTest::newRow("align bottoms") << Command([](TDesignModel& m) { m.AlignBottoms(); }) << Check(tops)
                                   << QStringLiteral("30 30 50");
    QTest::newRow("bring to front") << Command([](TDesignModel& m) { m.BringSelectionToFrontCommand(); })
                                    << Check(lefts) << QStringLiteral("90 10 50");
    QTest::newRow("send to back") << Command([](TDesignModel& m) { m.SendSelectionToBackCommand(); })
                                  << Check(lefts) << QStringLiteral("50 10 90");
    QTest::newRow("delete") << Command([](TDesignModel& m) {
        m.SelectionClipboard(caDelete);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }) << Check(lefts) << QStringLiteral("90");
}

void TestDesignModel::commandsReportThroughThePanel()
{
    QFETCH(Command, command);
    QFETCH(Check, check);
    QFETCH(QString, expected);
    TGBusinessCardPanel32 panel;
    panel.resize(200, 120);
    TDesignModel& model = panel.Model();
    for (int i = 0; i < 3; ++i)
        addBox(panel, 10 + 40 * i, 10 + 20 * i, 20, 20);
    model.Frame().AddToSelection(model.Objects()[0]);
    model.Frame().AddToSelection(model.Objects()[1]);
    settle();
    QSignalSpy modelChanges(&model, &TDesignModel::Changed);
    QSignalSpy panelChanges(&panel, &TGBasePanel::LabelChangedEvent);
    command(model);
    QCOMPARE(check(model), expected);
    // Every change the model reports is the panel's change report: the main
    // window's unsaved-changes state hangs on it.
    QVERIFY(modelChanges.count() > 0);
    QCOMPARE(panelChanges.count(), modelChanges.count());
}

void TestDesignModel::zoomStepsResizeTheCardSilently()
{
    TGBusinessCardPanel32 panel;
    panel.resize(343, 191);
    Box* box = addBox(panel, 11, 7, 33, 21);
    QSignalSpy changes(&panel, &TGBasePanel::LabelChangedEvent);
    for (const Single z : { 1.5f, 0.75f, 2.0f, 1.0f }) {
        panel.Model().SetZoom(z);
        const Extended ez = z;
        QCOMPARE(panel.size(), QSize(int(Round(343 * ez)), int(Round(191 * ez))));
        QCOMPARE(box->Left(), int(Round(11 * ez)));
        QCOMPARE(panel.Zoom(), z);
    }
    QCOMPARE(changes.count(), 0);
    QCOMPARE(box->StoredBounds(), TRect::FromBounds(11, 7, 33, 21));
}

void TestDesignModel::panelTakesItsObjectsWithIt()
{
    auto* panel = new TGBusinessCardPanel32;
    panel->resize(200, 120);
    QPointer<Box> a = addBox(*panel, 10, 10, 20, 20);
    QPointer<Box> b = addBox(*panel, 40, 10, 20, 20);
    panel->Handle().AddToSelection(b);
    delete panel;
    QVERIFY(a.isNull());
    QVERIFY(b.isNull());
}

// Two boxes overlap: A (20,20)-(100,80) below, B (60,40)-(140,100) above.
void TestDesignModel::clickSelectsTheTopObjectAndSendToBackClears_data()
{
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<QString>("selected");
    QTest::newRow("on both: the top one") << QPoint(80, 60) << "B";
    QTest::newRow("on the lower one only") << QPoint(30, 30) << "A";
    QTest::newRow("on the upper one only") << QPoint(130, 90) << "B";
}

void TestDesignModel::clickSelectsTheTopObjectAndSendToBackClears()
{
    QFETCH(QPoint, click);
    QFETCH(QString, selected);
    TGBusinessCardPanel32 panel;
    panel.resize(200, 120);
    panel.show();
    Box* a = addBox(panel, 20, 20, 80, 60);
    a->SetName(QStringLiteral("A"));
    Box* b = addBox(panel, 60, 40, 80, 60);
    b->SetName(QStringLiteral("B"));
    settle();
    QTest::mouseClick(&panel, Qt::LeftButton, {}, click);
    settle();
    TDesignModel& model = panel.Model();
    QCOMPARE(model.Selection().size(), 1);
    QCOMPARE(model.Selection().constFirst()->Name(), selected);
    model.SendSelectionToBackCommand();
    QVERIFY(!model.HasSelection());
    QCOMPARE(model.Objects().constFirst()->Name(), selected);
}

QTEST_MAIN(TestDesignModel)
#include "tst_design_model.moc"
