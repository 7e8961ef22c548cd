// Shapes and lines: their stream properties, what they paint (pen width
// rules, outline box, corner rounding), their menus, and the drawing tools
// that create them on a card panel driven by the mouse.
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "platform/Errors.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ClassRegistry.h"
#include "surface/Handle.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {
const QColor background(255, 0, 0);

// Paints the object alone onto a red image of its size.
QImage paintAlone(TGGraphicControl& object)
{
    QImage img(object.Width(), object.Height(), QImage::Format_RGB32);
    img.fill(background);
    QPainter p(&img);
    object.PaintAt(p, 0, 0);
    p.end();
    return img;
}

QStringList names(const PropertyTable& table)
{
    QStringList out;
    for (const auto& p : table.entries())
        out << QString::fromLatin1(p.name);
    return out;
}

QAction* findAction(QMenu* menu, const QString& caption)
{
    for (QAction* a : menu->actions()) {
        if (a->text() == caption)
            return a;
        if (a->menu())
            if (QAction* inner = findAction(a->menu(), caption))
                return inner;
    }
    return nullptr;
}
} // namespace

class TestShapes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void propertyTablesInStreamOrder();
    void settersRejectUnknownNames();
    void canvasPenWidth_data();
    void canvasPenWidth();
    void thickPenStaysInsideTheObject();
    void roundedCornersFollowTheLongerSide_data();
    void roundedCornersFollowTheLongerSide();
    void circleKindsDoNotForceEqualSides();
    void transparentAndBackgroundColour();
    void thicknessMenuChecks();
    void roundingSubmenuDecidedWhenBuilt();
    void linePainting_data();
    void linePainting();
    void lineMenuAndStretch();
    void clickWithRectangleToolMakesDefaultSize();
    void bandDraggedBackwardsIsNormalised();
    void bandMinimumSizes_data();
    void bandMinimumSizes();
    void lineToolMakesVerticalLine();
    void pressOnObjectInDrawingModeStartsBand();
    void rightClickInDrawingModeCreatesNothing();

private:
    QTemporaryDir home;
};

void TestShapes::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    RegisterShapeClasses();
}

void TestShapes::propertyTablesInStreamOrder()
{
    const QStringList base = { "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint", "Locked",
        "Unselectable" };
    TBCShapes shape;
    QCOMPARE(names(shape.properties()),
        base
            + QStringList({ "Transparent", "Brush.Color", "Brush.Style", "Pen.Color", "Pen.Mode", "Pen.Style",
                "Pen.Width", "RoundPerc", "Shape" }));
    TGLineShape line;
    QCOMPARE(names(line.properties()),
        base + QStringList({ "LineStyle", "Pen.Color", "Pen.Mode", "Pen.Style", "Pen.Width" }));

    // Defaults decide what the stream omits: check kinds and values.
    const PropertyTable& t = shape.properties();
    for (const char* always : { "Left", "Top", "Width", "Height", "Locked", "Unselectable", "Transparent" })
        QVERIFY2(!t.find(always)->defaultValue, always);
    QCOMPARE(*t.find("Tag")->defaultValue, Value::integer(0));
    QCOMPARE(*t.find("Cursor")->defaultValue, Value::integer(0));
    QCOMPARE(t.find("Cursor")->kind, PropertyKind::Cursor);
    QCOMPARE(*t.find("Brush.Color")->defaultValue, Value::integer(0xFFFFFF));
    QCOMPARE(t.find("Brush.Color")->kind, PropertyKind::Colour);
    QCOMPARE(*t.find("Brush.Style")->defaultValue, Value::ident("bsSolid"));
    QCOMPARE(*t.find("Pen.Color")->defaultValue, Value::integer(0));
    QCOMPARE(*t.find("Pen.Mode")->defaultValue, Value::ident("pmCopy"));
    QCOMPARE(*t.find("Pen.Style")->defaultValue, Value::ident("psSolid"));
    QCOMPARE(*t.find("Pen.Width")->defaultValue, Value::integer(1));
    QCOMPARE(*t.find("RoundPerc")->defaultValue, Value::integer(25));
    QCOMPARE(*t.find("Shape")->defaultValue, Value::ident("stRectangle"));
    QCOMPARE(*line.properties().find("LineStyle")->defaultValue, Value::ident("stHorizontal"));

    // A new shape starts 25 × 25 with the defaults, a new line 10 × 10.
    QCOMPARE(shape.BoundsRect(), TRect(0, 0, 25, 25));
    QCOMPARE(line.BoundsRect(), TRect(0, 0, 10, 10));
    for (const auto& p : t.entries())
        if (p.defaultValue && QByteArray(p.name) != "Hint")
            QVERIFY2(p.get(shape) == *p.defaultValue, p.name);

    // Getters and setters travel through the table.
    t.find("Shape")->set(shape, Value::ident("stroundrect"));
    QCOMPARE(shape.Shape(), stRoundRect);
    t.find("Pen.Color")->set(shape, Value::integer(0x123456));
    QCOMPARE(shape.Pen().Color, 0x123456);
    t.find("Transparent")->set(shape, Value::boolean(true));
    QCOMPARE(t.find("Brush.Style")->get(shape), Value::ident("bsClear"));
    line.properties().find("LineStyle")->set(line, Value::ident("stAngleSlopingDown"));
    QCOMPARE(line.LineStyle(), stAngleSlopingDown);

    // The registry creates the three stream classes by name.
    std::unique_ptr<TGGraphicControl> made(CreateObjectOfClass("tbcshapes"));
    QVERIFY(made);
    QCOMPARE(made->ClassName(), QStringLiteral("TBCShapes"));
    QVERIFY(made->InheritsClass("TGLabelShapes"));
    QVERIFY(!made->InheritsClass("TGLineShape"));
    made.reset(CreateObjectOfClass("TGLineShape"));
    QVERIFY(made && made->ClassName() == QStringLiteral("TGLineShape"));
    QVERIFY(!CreateObjectOfClass("TGImageX"));
}

void TestShapes::settersRejectUnknownNames()
{
    TBCShapes shape;
    const PropertyTable& t = shape.properties();
    QVERIFY_THROWS_EXCEPTION(EReadError, t.find("Shape")->set(shape, Value::ident("stHexagon")));
    QVERIFY_THROWS_EXCEPTION(EReadError, t.find("Pen.Mode")->set(shape, Value::integer(4)));
    QVERIFY_THROWS_EXCEPTION(EReadError, t.find("Left")->set(shape, Value::string("10")));
    QCOMPARE(shape.Shape(), stRectangle);
}

void TestShapes::canvasPenWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<int>("shapeWidth");
    QTest::addColumn<int>("lineWidth");
    QTest::newRow("zoom 1") << 3 << 1.0f << 3 << 3;
    QTest::newRow("3 at 1.5: 4.5 to even") << 3 << 1.5f << 4 << 4;
    QTest::newRow("3 at 1.3") << 3 << 1.3f << 4 << 4;
    QTest::newRow("5 at 1.5: 7.5 to 8") << 5 << 1.5f << 8 << 8;
    QTest::newRow("1 at 0.4: shape keeps 1") << 1 << 0.4f << 1 << 0;
    QTest::newRow("0 stays 0") << 0 << 1.5f << 0 << 0;
}

void TestShapes::canvasPenWidth()
{
    QFETCH(int, width);
    QFETCH(float, zoom);
    QFETCH(int, shapeWidth);
    QFETCH(int, lineWidth);
    TBCShapes shape;
    shape.SetPen({ clBlack, pmCopy, psSolid, width });
    shape.AssignZoom(zoom);
    QCOMPARE(shape.CanvasPenWidth(), shapeWidth);
    TGLineShape line;
    line.SetPen({ clBlack, pmCopy, psSolid, width });
    line.AssignZoom(zoom);
    QCOMPARE(line.CanvasPenWidth(), lineWidth);
}

void TestShapes::thickPenStaysInsideTheObject()
{
    TBCShapes shape;
    shape.SetBounds(0, 0, 40, 30);
    shape.SetPen({ clBlack, pmCopy, psSolid, 4 });
    QCOMPARE(shape.OutlineBox(), TRect(2, 2, 39, 29));
    const QImage img = paintAlone(shape);
    for (int x : { 0, 3, 36, 39 })
        QCOMPARE(QColor(img.pixel(x, 15)), QColor(Qt::black));
    for (int y : { 0, 3, 26, 29 })
        QCOMPARE(QColor(img.pixel(20, y)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(4, 15)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(35, 15)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(20, 4)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(20, 25)), QColor(Qt::white));

    // Thin pen: outline on the edge pixels, fill inside.
    shape.SetPen({ clBlue, pmCopy, psSolid, 1 });
    const QImage thin = paintAlone(shape);
    QCOMPARE(QColor(thin.pixel(0, 15)), QColor(0, 0, 255));
    QCOMPARE(QColor(thin.pixel(39, 15)), QColor(0, 0, 255));
    QCOMPARE(QColor(thin.pixel(20, 29)), QColor(0, 0, 255));
    QCOMPARE(QColor(thin.pixel(1, 15)), QColor(Qt::white));
    QCOMPARE(QColor(thin.pixel(38, 28)), QColor(Qt::white));
}

void TestShapes::roundedCornersFollowTheLongerSide_data()
{
    QTest::addColumn<int>("perc");
    QTest::addColumn<int>("corner");
    QTest::newRow("25 %") << 25 << 25;
    QTest::newRow("80 %") << 80 << 80;
}

void TestShapes::roundedCornersFollowTheLongerSide()
{
    QFETCH(int, perc);
    QFETCH(int, corner);
    TBCShapes shape;
    shape.SetShape(stRoundRect);
    shape.SetBounds(0, 0, 100, 50);
    shape.SetRoundPerc(perc);
    QCOMPARE(shape.CornerSize(), corner);
    shape.SetBounds(0, 0, 50, 100);
    QCOMPARE(shape.CornerSize(), corner);
    const QImage img = paintAlone(shape);
    // The corner is cut away; the corner ellipse is wider than the pixel.
    QCOMPARE(QColor(img.pixel(2, 2)), background);
    QCOMPARE(QColor(img.pixel(25, 50)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(0, 50)), QColor(Qt::black));
    // A plain rectangle fills its corner.
    shape.SetShape(stSquare);
    QCOMPARE(QColor(paintAlone(shape).pixel(2, 2)), QColor(Qt::white));
}

void TestShapes::circleKindsDoNotForceEqualSides()
{
    TBCShapes shape;
    shape.SetShape(stCircle);
    shape.SetBounds(0, 0, 80, 40);
    const QImage img = paintAlone(shape);
    QCOMPARE(QColor(img.pixel(40, 0)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(40, 39)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(0, 20)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(79, 20)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(40, 20)), QColor(Qt::white));
    QCOMPARE(QColor(img.pixel(3, 3)), background);
    QCOMPARE(QColor(img.pixel(76, 36)), background);
}

void TestShapes::transparentAndBackgroundColour()
{
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    auto* shape = new TBCShapes;
    shape->Loaded();
    panel.AddObject(shape, TRect(10, 10, 60, 40));
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);

    findAction(shape->ContextMenu(), "Transparent")->trigger();
    QVERIFY(shape->Transparent());
    QCOMPARE(shape->Brush().Style, bsClear);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(QColor(paintAlone(*shape).pixel(25, 15)), background);

    ui.answerColour(QColor(0, 128, 255));
    findAction(shape->ContextMenu(), "Background Color")->trigger();
    QCOMPARE(shape->Brush().Color, TColor(0xFF8000));
    QVERIFY(!shape->Transparent());
    QCOMPARE(shape->Brush().Style, bsSolid);
    QCOMPARE(QColor(paintAlone(*shape).pixel(25, 15)), QColor(0, 128, 255));
    QVERIFY(changed.count() >= 2);

    // Cancelled colour dialogs change nothing.
    ui.answerColour(std::nullopt);
    findAction(shape->ContextMenu(), "Line Color")->trigger();
    QCOMPARE(shape->Pen().Color, clBlack);
    ui.answerColour(QColor(255, 0, 0));
    findAction(shape->ContextMenu(), "Line Color")->trigger();
    QCOMPARE(shape->Pen().Color, clRed);
    QVERIFY(ui.allUsed());
}

void TestShapes::thicknessMenuChecks()
{
    TGBusinessCardPanel32 panel;
    auto* shape = new TBCShapes;
    shape->Loaded();
    panel.AddObject(shape, TRect(10, 10, 60, 40));
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    QMenu* menu = shape->ContextMenu();
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions.mid(12),
        QStringList({ "-", "Background Color", "Line Color", "Line Thickness", "-", "Transparent" }));
    shape->ThicknessItem(3)->trigger();
    QCOMPARE(shape->Pen().Width, 3);
    QCOMPARE(changed.count(), 1);
    shape->UpdateMenuChecks();
    for (int n = 1; n <= 10; ++n)
        QCOMPARE(shape->ThicknessItem(n)->isChecked(), n == 3);
    QCOMPARE(shape->ThicknessItem(7)->text(), QStringLiteral("7 Point"));
    // A width read from a file above 10 checks none.
    shape->SetPen({ clBlack, pmCopy, psSolid, 12 });
    shape->UpdateMenuChecks();
    for (int n = 1; n <= 10; ++n)
        QVERIFY(!shape->ThicknessItem(n)->isChecked());
    shape->SetTransparent(true);
    emit menu->aboutToShow();
    QVERIFY(shape->TransparentItem()->isChecked());
}

void TestShapes::roundingSubmenuDecidedWhenBuilt()
{
    TGBusinessCardPanel32 panel;
    auto* round = new TBCShapes;
    round->SetShape(stRoundRect);
    round->Loaded();
    panel.AddObject(round, TRect(10, 10, 100, 50));
    QAction* fifty = findAction(round->ContextMenu(), "50 %");
    QVERIFY(fifty);
    QVERIFY(findAction(round->ContextMenu(), "Degree of Rounding"));
    fifty->trigger();
    QCOMPARE(round->RoundPerc(), 50);
    round->SetShape(stRectangle); // later changes keep the submenu
    QVERIFY(findAction(round->ContextMenu(), "20 %"));

    auto* plain = new TBCShapes;
    plain->Loaded();
    plain->SetShape(stRoundRect); // too late: the menu is built
    panel.AddObject(plain, TRect(10, 70, 100, 120));
    QVERIFY(!findAction(plain->ContextMenu(), "Degree of Rounding"));
}

void TestShapes::linePainting_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("width");
    QTest::addColumn<QLine>("expected");
    QTest::addColumn<QPoint>("onLine");
    QTest::addColumn<QPoint>("offLine");
    QTest::newRow("horizontal") << int(stHorizontal) << 1 << QLine(0, 0, 40, 0) << QPoint(39, 0) << QPoint(20, 1);
    QTest::newRow("horizontal 4") << int(stHorizontal) << 4 << QLine(2, 2, 39, 2) << QPoint(20, 3)
                                  << QPoint(20, 4);
    QTest::newRow("vertical") << int(stVertical) << 1 << QLine(0, 0, 0, 20) << QPoint(0, 19) << QPoint(1, 10);
    QTest::newRow("sloping up") << int(stAngleSlopingUp) << 1 << QLine(40, 0, 0, 20) << QPoint(20, 10)
                                << QPoint(5, 5);
    QTest::newRow("sloping down") << int(stAngleSlopingDown) << 1 << QLine(0, 0, 40, 20) << QPoint(20, 10)
                                  << QPoint(35, 5);
}

void TestShapes::linePainting()
{
    QFETCH(int, style);
    QFETCH(int, width);
    QFETCH(QLine, expected);
    QFETCH(QPoint, onLine);
    QFETCH(QPoint, offLine);
    TGLineShape line;
    line.SetBounds(0, 0, 40, 20);
    line.SetLineStyle(TLineStyle(style));
    line.SetPen({ clBlack, pmCopy, psSolid, width });
    QCOMPARE(line.CanvasLine(), expected);
    const QImage img = paintAlone(line);
    QCOMPARE(QColor(img.pixel(onLine)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(offLine)), background);
}

void TestShapes::lineMenuAndStretch()
{
    TGBusinessCardPanel32 panel;
    auto* line = new TGLineShape;
    line->SetLineStyle(stVertical);
    line->Loaded();
    panel.AddObject(line, TRect(50, 40, 60, 100));
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    line->UpdateMenuChecks();
    QVERIFY(line->StyleItem(stVertical)->isChecked());
    QVERIFY(!line->StyleItem(stHorizontal)->isChecked());
    findAction(line->ContextMenu(), "Stretch To Edges")->trigger();
    QCOMPARE(line->BoundsRect(), TRect(50, 0, 60, 191));

    findAction(line->ContextMenu(), "Horizontal")->trigger();
    QCOMPARE(line->LineStyle(), stHorizontal);
    QVERIFY(changed.count() >= 2);
    line->UpdateMenuChecks();
    int checked = 0;
    for (int s = 0; s < 4; ++s)
        checked += line->StyleItem(TLineStyle(s))->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    findAction(line->ContextMenu(), "Stretch To Edges")->trigger();
    QCOMPARE(line->BoundsRect(), TRect(0, 0, 343, 191));

    line->SetBounds(20, 20, 30, 30);
    findAction(line->ContextMenu(), "Angled Sloping Up")->trigger();
    findAction(line->ContextMenu(), "Stretch To Edges")->trigger();
    QCOMPARE(line->BoundsRect(), TRect(20, 20, 50, 50));
    line->ThicknessItem(5)->trigger();
    QCOMPARE(line->Pen().Width, 5);
}

namespace {
// A card panel whose drop handler returns to the selection tool, as the
// main window's does.
struct ToolPanel {
    TGBusinessCardPanel32 panel;
    QList<TRect> drops;
    ToolPanel()
    {
        QObject::connect(&panel, &TGBasePanel::DroppedObjectEvent, &panel, [this](const TRect& r) {
            drops.append(r);
            panel.SetPanelState(psPointing);
        });
    }
};
} // namespace

void TestShapes::clickWithRectangleToolMakesDefaultSize()
{
    ToolPanel t;
    t.panel.SetPanelState(psRectangle);
    QVERIFY(!t.panel.Pointing());
    QCOMPARE(t.panel.ScreenCursor(), crDrag);
    QTest::mouseClick(&t.panel, Qt::LeftButton, {}, QPoint(40, 30));
    QCOMPARE(t.panel.ObjectCount(), 1);
    auto* shape = dynamic_cast<TBCShapes*>(t.panel.Objects().first());
    QVERIFY(shape);
    QCOMPARE(shape->Name(), QStringLiteral("Special1"));
    QCOMPARE(shape->Shape(), stRectangle);
    QCOMPARE(shape->BoundsRect(), TRect::FromBounds(40, 30, 50, 15));
    QCOMPARE(t.drops, QList<TRect>({ TRect(40, 30, 40, 30) }));
    QCOMPARE(t.panel.PanelState(), psPointing);
    QVERIFY(t.panel.Pointing());
    QVERIFY(!t.panel.Handle().HasSelection());
    QVERIFY(shape->ContextMenu());

    // The next object gets the next free name.
    t.panel.SetPanelState(psEllipse);
    QTest::mouseClick(&t.panel, Qt::LeftButton, {}, QPoint(200, 100));
    QCOMPARE(t.panel.ObjectCount(), 2);
    QCOMPARE(t.panel.Objects().last()->Name(), QStringLiteral("Special2"));
    QCOMPARE(static_cast<TBCShapes*>(t.panel.Objects().last())->Shape(), stEllipse);
}

void TestShapes::bandDraggedBackwardsIsNormalised()
{
    ToolPanel t;
    t.panel.SetPanelState(psRoundRectangle);
    QTest::mousePress(&t.panel, Qt::LeftButton, {}, QPoint(200, 100));
    QTest::mouseMove(&t.panel, QPoint(180, 80));
    QVERIFY(t.panel.CurrentOutline(TGBasePanel::Outline::Band).has_value());
    QCOMPARE(*t.panel.CurrentOutline(TGBasePanel::Outline::Band), TRect(180, 80, 200, 100));
    QCOMPARE(t.panel.ScreenCursor(), crHandPoint);
    QTest::mouseMove(&t.panel, QPoint(150, 60));
    QTest::mouseRelease(&t.panel, Qt::LeftButton, {}, QPoint(150, 60));
    QVERIFY(!t.panel.CurrentOutline(TGBasePanel::Outline::Band).has_value());
    QCOMPARE(t.panel.ObjectCount(), 1);
    QCOMPARE(t.panel.Objects().first()->BoundsRect(), TRect::FromBounds(150, 60, 50, 40));
    QCOMPARE(static_cast<TBCShapes*>(t.panel.Objects().first())->Shape(), stRoundRect);
}

void TestShapes::bandMinimumSizes_data()
{
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QSize>("size");
    QTest::newRow("30 x 10") << QPoint(130, 110) << QSize(30, 15);
    QTest::newRow("20 x 40") << QPoint(120, 140) << QSize(50, 40);
    QTest::newRow("25 x 15 kept") << QPoint(125, 115) << QSize(25, 15);
}

void TestShapes::bandMinimumSizes()
{
    QFETCH(QPoint, to);
    QFETCH(QSize, size);
    ToolPanel t;
    t.panel.SetPanelState(psRectangle);
    QTest::mousePress(&t.panel, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&t.panel, to);
    QTest::mouseRelease(&t.panel, Qt::LeftButton, {}, to);
    QCOMPARE(t.panel.ObjectCount(), 1);
    QCOMPARE(t.panel.Objects().first()->BoundsRect(), TRect::FromBounds(100, 100, size.width(), size.height()));
}

// A click without a drag gives a vertical line where it was made (a drag
// chooses the direction: tst_user_tools).
void TestShapes::lineToolMakesVerticalLine()
{
    ToolPanel t;
    t.panel.SetPanelState(psLine);
    QTest::mouseClick(&t.panel, Qt::LeftButton, {}, QPoint(60, 50));
    QCOMPARE(t.panel.ObjectCount(), 1);
    auto* line = dynamic_cast<TGLineShape*>(t.panel.Objects().first());
    QVERIFY(line);
    QCOMPARE(line->LineStyle(), stVertical);
    QCOMPARE(line->BoundsRect(), TRect::FromBounds(60, 50, 10, 15));
}

void TestShapes::pressOnObjectInDrawingModeStartsBand()
{
    ToolPanel t;
    auto* existing = new TBCShapes;
    existing->Loaded();
    t.panel.AddObject(existing, TRect(100, 100, 150, 130));
    t.panel.SetPanelState(psEllipse);
    QTest::mousePress(&t.panel, Qt::LeftButton, {}, QPoint(110, 110));
    QVERIFY(t.panel.RubberBandActive());
    QVERIFY(!t.panel.Handle().HasSelection());
    QTest::mouseMove(&t.panel, QPoint(170, 150));
    QTest::mouseRelease(&t.panel, Qt::LeftButton, {}, QPoint(170, 150));
    QCOMPARE(t.panel.ObjectCount(), 2);
    QCOMPARE(t.panel.Objects().last()->BoundsRect(), TRect(110, 110, 170, 150));
    QCOMPARE(static_cast<TBCShapes*>(t.panel.Objects().last())->Shape(), stEllipse);
    QVERIFY(!t.panel.Handle().HasSelection());
}

void TestShapes::rightClickInDrawingModeCreatesNothing()
{
    ToolPanel t;
    t.panel.show();
    t.panel.SetPanelState(psRectangle);
    QTest::mouseClick(&t.panel, Qt::RightButton, {}, QPoint(100, 100));
    QCOMPARE(t.panel.ObjectCount(), 0);
    QVERIFY(t.drops.isEmpty());
    QCOMPARE(t.panel.PanelState(), psRectangle);
    QCOMPARE(QApplication::activePopupWidget(), t.panel.ContextMenu());
    t.panel.ContextMenu()->close();
}

QTEST_MAIN(TestShapes)
#include "tst_shapes.moc"
