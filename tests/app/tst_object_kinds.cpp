// Every registered design object kind: the class name it writes to a design
// file is the name it is registered under (stored designs must read back),
// and it answers the questions the card and the print job ask of a kind.
#include "MainScreenKit.h"
#include "app/DesignClasses.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/GraphicControl.h"
#include "surface/ObjectFiler.h"
#include "surface/ObjectKinds.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace bv;
using namespace bv::test;

namespace {

// A kind the program does not have, added the way a new kind is added.
class TGTestStamp : public TGGraphicControl {
    Q_OBJECT
public:
    void DrawTo(QPainter& p) override { p.fillRect(0, 0, Width(), Height(), Qt::red); }
};

int stampsMade = 0;

void registerStamp()
{
    RegisterObjectKind({
        .classes = { { QStringLiteral("TGTestStamp"), [] { return new TGTestStamp; } } },
        .tools = { { .button = "DrawStampButton", .hint = QStringLiteral("Stamp tool"),
            .menuCaption = QStringLiteral("S&tamp"),
            .drawIcon = [](QPainter& p) { p.fillRect(4, 4, 16, 16, Qt::red); }, .group = 9, .order = 1000,
            .create =
                [](TGBusinessCardPanel32& panel, const TRect& r) {
                    ++stampsMade;
                    auto* o = new TGTestStamp;
                    o->Loaded();
                    panel.AddObject(o, r);
                } } },
    });
}

} // namespace

class TestObjectKinds : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void kindsNameThemselvesAndTellWhatTheyAre_data();
    void kindsNameThemselvesAndTellWhatTheyAre();
    void cardAsksItsObjects();
    void paletteFollowsTheToolTable();
    void newKindIsOneRegistration();

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

void TestObjectKinds::paletteFollowsTheToolTable()
{
    // The palette of the main window, left to right, with the gaps between
    // its groups: text, shapes and lines, clip art, effects.
    const QList<QList<const char*>> groups = {
        { "Pointerbutton" },
        { "DrawLabelButton", "DrawMLTextButton", "DrawSymbolButton" },
        { "DrawRectanglebutton", "DrawEllipseButton", "DrawRoundrectbutton", "DrawLinebutton" },
        { "DrawImageButton" },
        { "DrawSupershape", "DrawRichText", "DrawSuperTextButton", "DrawCircleTextbutton" },
    };
    const QList<TLPanelState> states = { psPointing, psLabel, psMultiLineLabel, psSymbolLabel, psRectangle,
        psEllipse, psRoundRectangle, psLine, psImage, psSuperShape, psRichLabel, psSuperText, psCircleText };
    ProgramHome program;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    int previousRight = -1;
    int index = 0;
    for (const auto& group : groups) {
        for (int i = 0; i < group.size(); ++i) {
            auto* button = child<QToolButton>(*w, group[i]);
            const QRect g = button->geometry();
            if (previousRight >= 0) {
                if (i == 0)
                    QVERIFY2(g.left() > previousRight + 2, group[i]); // a gap before a group
                else
                    QVERIFY2(g.left() > previousRight && g.left() <= previousRight + 2, group[i]);
            }
            previousRight = g.right();
            QVERIFY2(!button->icon().isNull(), group[i]);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(cardPanel(*w)->PanelState(), states[index++]);
        }
    }
}

void TestObjectKinds::newKindIsOneRegistration()
{
    ProgramHome program;
    registerStamp();
    ScriptedInteraction ui;
    auto w = startMainScreen();
    auto* panel = cardPanel(*w);

    // Palette: a button of its own after the last tool, with its picture.
    auto* button = child<QToolButton>(*w, "DrawStampButton");
    QVERIFY(button->isEnabled());
    QVERIFY(!button->icon().isNull());
    QCOMPARE(button->toolTip(), QStringLiteral("Stamp tool"));
    QVERIFY(button->geometry().left() > child<QToolButton>(*w, "DrawCircleTextbutton")->geometry().right());

    // The tool draws it on the card.
    stampsMade = 0;
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(40, 30));
    QTest::mouseMove(panel, QPoint(100, 70));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(100, 70));
    QCoreApplication::processEvents();
    QCOMPARE(stampsMade, 1);
    QCOMPARE(panel->ObjectCount(), 1);
    QVERIFY(panel->Objects().constFirst()->BoundsRect() == TRect(40, 30, 100, 70));
    QCOMPARE(panel->PanelState(), psPointing);

    // The Insert menu makes one in the middle of the card.
    QMenu* insert = child<QMenu>(*w, "Insert1");
    QAction* entry = nullptr;
    for (QAction* a : insert->actions())
        if (a->text() == QLatin1String("S&tamp"))
            entry = a;
    QVERIFY(entry);
    entry->trigger();
    QCOMPARE(stampsMade, 2);
    QCOMPARE(panel->ObjectCount(), 2);
    const TRect middle = panel->Objects().last()->BoundsRect();
    QVERIFY(qAbs(middle.Left + middle.Right - panel->width()) <= 1);
    QVERIFY(qAbs(middle.Top + middle.Bottom - panel->height()) <= 1);
    QCOMPARE(panel->PanelState(), psPointing);

    // The stream names it and reads it back.
    const QByteArray stream = TGLabelObjectFiler::WriteStream({ panel->Objects().constFirst() });
    QVERIFY(stream.contains("TGTestStamp"));
    TGBusinessCardPanel32 other;
    other.SetDeletesTemporaryFiles(false);
    const QList<TGGraphicControl*> read = TGLabelObjectFiler::Default().ReadStream(stream, other, other);
    QCOMPARE(read.size(), 1);
    QVERIFY(qobject_cast<TGTestStamp*>(read.constFirst()));
    QVERIFY(read.constFirst()->BoundsRect() == TRect(40, 30, 100, 70));
}

QTEST_MAIN(TestObjectKinds)
#include "tst_object_kinds.moc"
