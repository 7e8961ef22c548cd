// Direct manipulation on a real panel driven by mouse and key events: the
// drag-start and click rules (timed with a test clock), snapping, resizing,
// locked objects, nudging, rubber bands, double-clicks, shortcut keys and the
// clipboard and clone commands.
#include "SurfaceTestKit.h"
#include "support/ScriptedInteraction.h"
#include "support/TestClock.h"
#include "surface/PanelFiler.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace bv;
using namespace bv::test;

namespace {

// A mouse move with the given buttons held, delivered to the panel as the
// window system would (QTest's move only warps the cursor).
void move(QWidget& w, QPoint p, Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
{
    QMouseEvent e(QEvent::MouseMove, p, w.mapToGlobal(p), Qt::NoButton, buttons, mods);
    QApplication::sendEvent(&w, &e);
}

void hover(QWidget& w, QPoint p)
{
    move(w, p, Qt::NoButton);
}

void click(QWidget& w, QPoint p, Qt::KeyboardModifiers mods = {}, Qt::MouseButton button = Qt::LeftButton)
{
    hover(w, p);
    QTest::mouseClick(&w, button, mods, p);
}

QAction* findAction(QMenu* menu, const QString& caption)
{
    for (QAction* a : menu->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

// Stands in for the object filer: remembers what was written and reads it
// back as boxes with the same bounds.
class FakeFiler : public PanelFiler {
public:
    QList<QList<TRect>> writes;
    QStringList writtenNames;
    int reads = 0;
    bool failWrites = false;
    void WriteObjects(const QList<TGGraphicControl*>& objects, const QString& path) override
    {
        if (failWrites)
            throw EWriteError(QStringLiteral("Unable to write to %1").arg(path));
        QList<TRect> rects;
        writtenNames.clear();
        for (TGGraphicControl* o : objects) {
            rects.append(o->StoredBounds()); // files hold zoom-1.0 geometry
            writtenNames << o->Name();
        }
        writes.append(rects);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write("\x01\x00", 2);
    }
    QList<TGGraphicControl*> ReadObjects(TDesignModel& panel, const QString&, bool pasteOffset) override
    {
        ++reads;
        QList<TGGraphicControl*> out;
        if (writes.isEmpty())
            return out;
        for (const TRect& r : writes.last()) {
            auto* b = new Box;
            b->SetReading(true);
            b->SetParent(&panel);
            b->SetBounds(r.Left, r.Top, r.Width(), r.Height());
            if (pasteOffset)
                b->SetBounds(r.Left + 15, r.Top + 15, r.Width(), r.Height());
            b->SetReading(false);
            b->Loaded();
            out.append(b);
        }
        return out;
    }
    TGGraphicControl* Duplicate(TGGraphicControl& object, TDesignModel& panel) override
    {
        auto* b = new Box;
        b->SetReading(true);
        b->SetParent(&panel);
        b->SetBounds(object.Left(), object.Top(), object.Width(), object.Height());
        b->SetReading(false);
        b->Loaded();
        return b;
    }
};

} // namespace

class TestHandle : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pressOnObjectThenDragMovesFromDetection();
    void quickClickNeverMoves();
    void dragSnapsFrameEdgesToGrid();
    void resizeFromBottomRight_data();
    void resizeFromBottomRight();
    void zonesAndCursors();
    void multipleSelectionOnlyMoves();
    void lockedObjectStaysWhileRestMoves();
    void arrowKeysMoveOutlineUntilRelease();
    void arrowKeyLimits();
    void shiftArrowResizesSingleObject();
    void rubberBandSelectsAndShiftToggles();
    void shiftClickOnFrameDeselects();
    void doubleClickRouting();
    void deleteKeyRemovesSelection();
    void clipboardCommands();
    void failedClipboardWriteIsReportedAndCutsNothing();
    void pasteGuardOfOneSecond();
    void cloneLandsBelowAndTakesSelection();
    void objectMenuDeleteOnUnselectedObject();

private:
    QTemporaryDir home;
};

void TestHandle::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
}

void TestHandle::pressOnObjectThenDragMovesFromDetection()
{
    TestClock clock;
    TGBusinessCardPanel32 panel;
    Box* b = addBox(panel, 50, 50, 40, 30);
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(60, 60));
    QCOMPARE(panel.Handle().SelectionCount(), 1);
    QCOMPARE(panel.Handle().Bounds(), (TBounds { 48, 48, 45, 35 }));
    QCOMPARE(panel.ScreenCursor(), crHandGrab);
    clock.advance(5);
    move(panel, QPoint(62, 60)); // too early to start a drag
    QVERIFY(!panel.Handle().Dragging());
    clock.advance(15);
    move(panel, QPoint(65, 60)); // drag starts here
    QVERIFY(panel.Handle().Dragging());
    clock.advance(20);
    move(panel, QPoint(95, 70));
    QCOMPARE(panel.CurrentOutline(TGBasePanel::Outline::Drag), std::optional<TRect>(TRect(80, 60, 120, 90)));
    QCOMPARE(b->Left(), 50); // only the outline moves during the drag
    clock.advance(300);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(95, 70));
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(80, 60, 40, 30));
    QVERIFY(!panel.CurrentOutline(TGBasePanel::Outline::Drag));
    QVERIFY(!panel.Handle().Dragging());
    settle();
    QCOMPARE(panel.Handle().Bounds(), (TBounds { 78, 58, 46, 36 })); // refitted: + 6
}

void TestHandle::quickClickNeverMoves()
{
    TestClock clock;
    TGBusinessCardPanel32 panel;
    Box* b = addBox(panel, 50, 50, 40, 30);
    click(panel, QPoint(60, 60));
    clock.advance(1000);
    hover(panel, QPoint(70, 65));
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(70, 65));
    clock.advance(50);
    move(panel, QPoint(100, 65));
    clock.advance(50);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(100, 65));
    QCOMPARE(b->Left(), 50);
    QVERIFY(!panel.CurrentOutline(TGBasePanel::Outline::Drag));
}

void TestHandle::dragSnapsFrameEdgesToGrid()
{
    TestClock clock;
    TGBusinessCardPanel32 panel;
    panel.SetGridSize(gs8x8);
    panel.SetGridSize(gs4x4);
    panel.SetSnapToGrid(true);
    QCOMPARE(panel.Handle().GridX(), 4);
    QVERIFY(panel.Handle().SnapToGrid());
    Box* b = addBox(panel, 12, 14, 40, 30);
    click(panel, QPoint(30, 25));
    QCOMPARE(panel.Handle().Left(), 10);
    clock.advance(1000);
    hover(panel, QPoint(30, 25));
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(30, 25));
    clock.advance(200);
    move(panel, QPoint(35, 25));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(35, 25));
    QCOMPARE(panel.Handle().Left(), 12); // SnapX(15)
    QCOMPARE(b->Left(), 14);
    QCOMPARE(b->Top(), 14);

    panel.SetSnapToGrid(false);
    QCOMPARE(panel.Handle().GridX(), 1);
    QVERIFY(!panel.Handle().SnapToGrid());
    // Changing the grid size while snapping is off keeps it off.
    panel.SetGridSize(gs8x8);
    QCOMPARE(panel.Handle().GridX(), 1);
    panel.SetSnapToGrid(true);
    QCOMPARE(panel.Handle().GridX(), 8);
    QCOMPARE(panel.Handle().GridY(), 8);
}

void TestHandle::resizeFromBottomRight_data()
{
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("frameWidth");
    QTest::addColumn<int>("objectWidth");
    QTest::newRow("1 pixel: unchanged") << 1 << 45 << 40;
    QTest::newRow("10 pixels") << 10 << 54 << 49;
    QTest::newRow("shrunk below 5") << -60 << 5 << 1;
}

void TestHandle::resizeFromBottomRight()
{
    QFETCH(int, dx);
    QFETCH(int, frameWidth);
    QFETCH(int, objectWidth);
    TestClock clock;
    TGBusinessCardPanel32 panel;
    Box* b = addBox(panel, 20, 20, 40, 30);
    click(panel, QPoint(30, 30));
    QCOMPARE(panel.Handle().Bounds(), (TBounds { 18, 18, 45, 35 }));
    const QPoint corner(18 + 44, 18 + 34);
    hover(panel, corner);
    QCOMPARE(panel.Handle().Zone(), 4);
    QCOMPARE(panel.ScreenCursor(), crSizeNWSE);
    clock.advance(1000);
    QTest::mousePress(&panel, Qt::LeftButton, {}, corner);
    clock.advance(200);
    move(panel, corner + QPoint(dx, 0));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, corner + QPoint(dx, 0));
    QCOMPARE(panel.Handle().Width(), frameWidth);
    QCOMPARE(b->Width(), objectWidth);
    QCOMPARE(b->Left(), 20);
}

void TestHandle::zonesAndCursors()
{
    TGBusinessCardPanel32 panel;
    Box* b = addBox(panel, 100, 60, 60, 40);
    hover(panel, QPoint(120, 70));
    QCOMPARE(panel.ScreenCursor(), crHandPoint); // over an object in selection mode
    hover(panel, QPoint(250, 150));
    QCOMPARE(panel.ScreenCursor(), crDefault); // left the object
    click(panel, QPoint(120, 70));
    // Frame (98, 58, 65, 45).
    struct Probe {
        QPoint at;
        int zone;
        int cursor;
    };
    const QList<Probe> probes = { { { 99, 59 }, 1, crSizeNWSE }, { { 161, 101 }, 4, crSizeNWSE },
        { { 161, 59 }, 2, crSizeNESW }, { { 99, 101 }, 3, crSizeNESW }, { { 130, 59 }, 5, crSizeNS },
        { { 130, 101 }, 7, crSizeNS }, { { 99, 80 }, 6, crSizeWE }, { { 161, 80 }, 8, crSizeWE },
        { { 130, 80 }, 0, crHandGrab } };
    for (const Probe& p : probes) {
        hover(panel, p.at);
        QCOMPARE(panel.Handle().Zone(), p.zone);
        QCOMPARE(panel.ScreenCursor(), p.cursor);
    }
    panel.Handle().SetLocked(true);
    hover(panel, QPoint(131, 80));
    QCOMPARE(panel.ScreenCursor(), crNoDrop);
    panel.Handle().ClearSelection();
    QVERIFY(!panel.Handle().Locked()); // clearing resets the frame's lock
    Q_UNUSED(b);
}

void TestHandle::multipleSelectionOnlyMoves()
{
    TestClock clock;
    TGBusinessCardPanel32 panel;
    panel.show();
    Box* a = addBox(panel, 20, 20, 30, 20);
    Box* b = addBox(panel, 100, 60, 30, 20);
    click(panel, QPoint(30, 30));
    click(panel, QPoint(110, 70), Qt::ShiftModifier);
    QCOMPARE(panel.Handle().SelectionCount(), 2);
    QCOMPARE(panel.Handle().Bounds(), (TBounds { 18, 18, 115, 65 }));
    // Near the bottom-right corner: still a move.
    const QPoint corner(18 + 113, 18 + 63);
    hover(panel, corner);
    QCOMPARE(panel.Handle().Zone(), 0);
    clock.advance(1000);
    QTest::mousePress(&panel, Qt::LeftButton, {}, corner);
    clock.advance(200);
    move(panel, corner + QPoint(-10, -5));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, corner + QPoint(-10, -5));
    QCOMPARE(a->BoundsRect(), TRect::FromBounds(10, 15, 30, 20));
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(90, 55, 30, 20));
    // Right-click pops up the panel's menu, not an object's.
    settle();
    click(panel, QPoint(20, 25), {}, Qt::RightButton);
    QCOMPARE(QApplication::activePopupWidget(), panel.ContextMenu());
    panel.ContextMenu()->close();
    // With one selected, a right-click on it pops up its own menu.
    click(panel, QPoint(250, 150));
    QVERIFY(!panel.Handle().HasSelection());
    click(panel, QPoint(95, 60), {}, Qt::RightButton);
    QCOMPARE(panel.Handle().SelectionCount(), 1);
    QCOMPARE(QApplication::activePopupWidget(), b->ContextMenu());
    b->ContextMenu()->close();
}

void TestHandle::lockedObjectStaysWhileRestMoves()
{
    TestClock clock;
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 20, 20, 30, 20);
    Box* b = addBox(panel, 100, 60, 30, 20);
    b->SetLocked(true);
    click(panel, QPoint(30, 30));
    click(panel, QPoint(110, 70), Qt::ShiftModifier);
    clock.advance(1000);
    hover(panel, QPoint(30, 30));
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(30, 30));
    clock.advance(200);
    move(panel, QPoint(50, 40));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(50, 40));
    QCOMPARE(a->BoundsRect(), TRect::FromBounds(40, 30, 30, 20));
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(100, 60, 30, 20));
    settle();
    // Refitted around every selected object, the locked one included.
    QCOMPARE(panel.Handle().Bounds(), (TBounds { 38, 28, 96, 56 }));
}

void TestHandle::arrowKeysMoveOutlineUntilRelease()
{
    TGBusinessCardPanel32 panel;
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    Box* b = addBox(panel, 300, 50, 40, 20);
    click(panel, QPoint(310, 60));
    for (int i = 0; i < 5; ++i)
        QTest::keyPress(&panel, Qt::Key_Right);
    QVERIFY(panel.Handle().Nudging());
    QCOMPARE(b->Left(), 300);
    QCOMPARE(panel.CurrentOutline(TGBasePanel::Outline::Nudge), std::optional<TRect>(TRect(303, 50, 343, 70)));
    changed.clear();
    QTest::keyRelease(&panel, Qt::Key_Right);
    QVERIFY(!panel.Handle().Nudging());
    QVERIFY(!panel.CurrentOutline(TGBasePanel::Outline::Nudge));
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(303, 50, 40, 20)); // right edge at the card's width
    QCOMPARE(changed.count(), 1);
    // Up and down move one pixel per key.
    QTest::keyPress(&panel, Qt::Key_Up);
    QTest::keyPress(&panel, Qt::Key_Up);
    QTest::keyPress(&panel, Qt::Key_Down);
    QTest::keyRelease(&panel, Qt::Key_Down);
    QCOMPARE(b->Top(), 49);
}

void TestHandle::arrowKeyLimits()
{
    TGBusinessCardPanel32 panel;
    Box* b = addBox(panel, 0, 50, 40, 20);
    click(panel, QPoint(10, 60));
    QTest::keyClick(&panel, Qt::Key_Left);
    QCOMPARE(b->Left(), 0);
    Box* narrow = addBox(panel, 100, 100, 8, 20);
    click(panel, QPoint(103, 110));
    QCOMPARE(panel.Handle().SelectionCount(), 1);
    QTest::keyClick(&panel, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(narrow->BoundsRect(), TRect::FromBounds(100, 100, 8, 20));
}

void TestHandle::shiftArrowResizesSingleObject()
{
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 50, 50, 40, 20);
    Box* b = addBox(panel, 150, 50, 40, 20);
    click(panel, QPoint(60, 60));
    QTest::keyPress(&panel, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyPress(&panel, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyPress(&panel, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyRelease(&panel, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(a->BoundsRect(), TRect::FromBounds(50, 50, 42, 21));
    QTest::keyClick(&panel, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(a->Width(), 41);
    // Two selected: Shift+arrow moves instead.
    click(panel, QPoint(160, 60), Qt::ShiftModifier);
    QCOMPARE(panel.Handle().SelectionCount(), 2);
    QTest::keyClick(&panel, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(a->BoundsRect(), TRect::FromBounds(51, 50, 41, 21));
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(151, 50, 40, 20));
}

void TestHandle::rubberBandSelectsAndShiftToggles()
{
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 20, 20, 20, 20);
    Box* b = addBox(panel, 60, 20, 20, 20);
    Box* c = addBox(panel, 100, 20, 20, 20);
    hover(panel, QPoint(70, 50));
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(70, 50));
    QCOMPARE(panel.ScreenCursor(), crHandPoint);
    move(panel, QPoint(40, 30));
    QCOMPARE(panel.CurrentOutline(TGBasePanel::Outline::Band), std::optional<TRect>(TRect(40, 30, 70, 50)));
    move(panel, QPoint(10, 10));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(panel.Handle().Selection(), QList<TGGraphicControl*>({ b, a }));
    QCOMPARE(panel.ScreenCursor(), crDefault);

    // Shift band over b and c: b leaves, c joins.
    hover(panel, QPoint(50, 10));
    QTest::mousePress(&panel, Qt::LeftButton, Qt::ShiftModifier, QPoint(50, 10));
    move(panel, QPoint(110, 50));
    QTest::mouseRelease(&panel, Qt::LeftButton, Qt::ShiftModifier, QPoint(110, 50));
    QCOMPARE(panel.Handle().Selection(), QList<TGGraphicControl*>({ a, c }));

    // A band that touches only one pixel of an object selects it.
    hover(panel, QPoint(70, 150));
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(70, 150));
    move(panel, QPoint(79, 39));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(79, 39));
    QCOMPARE(panel.Handle().Selection(), QList<TGGraphicControl*>({ b }));

    // A click without movement on the card clears the selection.
    click(panel, QPoint(200, 150));
    QVERIFY(!panel.Handle().HasSelection());
    QVERIFY(!panel.Handle().Visible());
    QCOMPARE(panel.ScreenCursor(), crDefault);
}

void TestHandle::shiftClickOnFrameDeselects()
{
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 20, 20, 30, 20);
    Box* b = addBox(panel, 60, 20, 30, 20);
    panel.SelectAll();
    QCOMPARE(panel.Handle().SelectionCount(), 2);
    click(panel, QPoint(30, 30), Qt::ShiftModifier);
    QCOMPARE(panel.Handle().Selection(), QList<TGGraphicControl*>({ b }));
    QCOMPARE(a->Left(), 20);
}

void TestHandle::doubleClickRouting()
{
    TGBusinessCardPanel32 panel;
    panel.show();
    Box* editable = addBox(panel, 20, 20, 40, 30);
    Box* plain = addBox(panel, 150, 20, 40, 30);
    int edits = 0;
    TGBasePanel* sender = nullptr;
    editable->OnEditRequest = [&](TGBasePanel* p) {
        ++edits;
        sender = p;
    };
    // A double-click: the first click selects, the second reaches the frame.
    click(panel, QPoint(30, 30));
    QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(edits, 1);
    QCOMPARE(sender, &panel);
    QCOMPARE(editable->Left(), 20);
    QVERIFY(!QApplication::activePopupWidget());

    click(panel, QPoint(160, 30));
    QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(160, 30));
    QCOMPARE(QApplication::activePopupWidget(), plain->ContextMenu());
    plain->ContextMenu()->close();

    panel.SelectAll();
    hover(panel, QPoint(30, 30));
    QTest::mouseDClick(&panel, Qt::LeftButton, {}, QPoint(30, 30));
    QCOMPARE(edits, 1);
    QVERIFY(!QApplication::activePopupWidget());
}

void TestHandle::deleteKeyRemovesSelection()
{
    TGBusinessCardPanel32 panel;
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    Box* a = addBox(panel, 20, 20, 30, 20);
    Box* b = addBox(panel, 60, 20, 30, 20);
    Box* keep = addBox(panel, 200, 100, 30, 20);
    panel.Handle().AddToSelection(a);
    panel.Handle().AddToSelection(b);
    QTest::keyClick(&panel, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(panel.ObjectCount(), 3);
    changed.clear();
    QTest::keyClick(&panel, Qt::Key_Delete);
    QCOMPARE(panel.Objects(), QList<TGGraphicControl*>({ keep }));
    QVERIFY(!panel.Handle().HasSelection());
    QVERIFY(!panel.Handle().Visible());
    QCOMPARE(changed.count(), 2);
    settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(panel.ObjectCount(), 1);
}

void TestHandle::clipboardCommands()
{
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 20, 20, 30, 20);
    Box* b = addBox(panel, 60, 20, 30, 20);
    a->SetName("A");
    b->SetName("B");
    panel.Handle().AddToSelection(b);
    panel.Handle().AddToSelection(a);

    FakeFiler filer;
    PanelFiler::Install(&filer);
    QTest::keyClick(&panel, Qt::Key_C); // no Ctrl: nothing
    QVERIFY(filer.writes.isEmpty());
    QTest::keyClick(&panel, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(filer.writtenNames, QStringList({ "B", "A" })); // selection order
    QCOMPARE(panel.ObjectCount(), 2);
    QVERIFY(QFile::exists(panel.ClipboardPath()));
    QTest::keyClick(&panel, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(filer.writes.size(), 2);
    QCOMPARE(panel.ObjectCount(), 0);
    PanelFiler::Install(nullptr);
}

void TestHandle::failedClipboardWriteIsReportedAndCutsNothing()
{
    ScriptedInteraction ui;
    FakeFiler filer;
    filer.failWrites = true;
    PanelFiler::Install(&filer);
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 20, 20, 30, 20);
    click(panel, QPoint(30, 30));
    ui.expectError();
    QTest::keyClick(&panel, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(panel.ObjectCount(), 1);
    QCOMPARE(panel.Handle().Selection(), QList<TGGraphicControl*>({ a }));
    ui.expectError();
    QAction* cut = nullptr;
    for (QAction* act : a->ContextMenu()->actions())
        if (act->text() == QStringLiteral("Cut"))
            cut = act;
    cut->trigger();
    QCOMPARE(panel.ObjectCount(), 1);
    QCOMPARE(ui.messages().size(), 2);
    QVERIFY(ui.messages().first().startsWith(QStringLiteral("Unable to write to ")));
    PanelFiler::Install(nullptr);
}

void TestHandle::pasteGuardOfOneSecond()
{
    TestClock clock;
    FakeFiler filer;
    PanelFiler::Install(&filer);
    TGBusinessCardPanel32 panel;
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    Box* a = addBox(panel, 20, 20, 30, 20);
    panel.Handle().AddToSelection(a);
    panel.SelectionClipboard(caCopy);
    panel.SetZoom(1.3f);
    panel.SelectionClipboard(caPaste);
    QCOMPARE(panel.ObjectCount(), 2);
    // The copy keeps the card geometry it was copied with and takes the
    // panel's factor from it.
    QCOMPARE(panel.Objects().last()->StoredBounds(), TRect::FromBounds(35, 35, 30, 20));
    QCOMPARE(panel.Objects().last()->BoundsRect(), TRect::FromBounds(45, 45, 39, 26));
    QCOMPARE(panel.Objects().last()->Zoom(), 1.3f); // attached at the panel's factor
    QCOMPARE(panel.Handle().IndexOf(panel.Objects().last()), -1); // pasted objects are not selected
    clock.advance(500);
    panel.SelectionClipboard(caPaste);
    QCOMPARE(panel.ObjectCount(), 2);
    clock.advance(500);
    QTest::keyClick(&panel, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(panel.ObjectCount(), 3);
    QCOMPARE(panel.Objects().last()->StoredBounds(), TRect::FromBounds(35, 35, 30, 20));
    QVERIFY(changed.count() >= 2);
    PanelFiler::Install(nullptr);
}

void TestHandle::cloneLandsBelowAndTakesSelection()
{
    FakeFiler filer;
    PanelFiler::Install(&filer);
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 30, 40, 30, 20);
    addBox(panel, 100, 100, 30, 20);
    panel.Handle().AddToSelection(a);
    findAction(a->ContextMenu(), "Clone")->trigger();
    QCOMPARE(panel.ObjectCount(), 3);
    TGGraphicControl* copy = panel.Objects().last();
    QVERIFY(copy != a);
    QCOMPARE(copy->BoundsRect(), TRect::FromBounds(30, 65, 30, 20));
    QCOMPARE(panel.Handle().Selection(), QList<TGGraphicControl*>({ copy }));
    QVERIFY(copy->Attached());
    PanelFiler::Install(nullptr);
}

void TestHandle::objectMenuDeleteOnUnselectedObject()
{
    FakeFiler filer;
    PanelFiler::Install(&filer);
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 30, 40, 30, 20);
    Box* b = addBox(panel, 100, 100, 30, 20);
    panel.Handle().AddToSelection(b);
    findAction(a->ContextMenu(), "Copy")->trigger();
    QCOMPARE(filer.writes.last().size(), 1);
    QCOMPARE(filer.writes.last().first(), a->BoundsRect());
    findAction(a->ContextMenu(), "Delete")->trigger();
    QCOMPARE(panel.Objects(), QList<TGGraphicControl*>({ b }));
    QCOMPARE(panel.Handle().Selection(), QList<TGGraphicControl*>({ b }));
    // On a selected object the command acts on the whole selection.
    findAction(b->ContextMenu(), "Cut")->trigger();
    QCOMPARE(panel.ObjectCount(), 0);
    PanelFiler::Install(nullptr);
}

QTEST_MAIN(TestHandle)
#include "tst_handle.moc"
