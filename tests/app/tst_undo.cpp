// Undo and redo in the main window: a mixed sequence of edits made as a user
// makes them (tool drags, a drag of the selection, nudges, a font, a colour,
// delete, paste) is taken back step by step, each step returning the design
// to the exact bytes it had, and done again; a drag is one step; the changed
// state follows the saved state.
#include "MainScreenKit.h"

#include "app/UndoHistory.h"
#include "surface/Handle.h"
#include "surface/ObjectFiler.h"

#include <QAction>
#include <QKeyEvent>
#include <QToolButton>

using namespace bv;
using namespace bv::test;

namespace {

QByteArray designBytes(TGBasePanel& panel)
{
    QList<const TGGraphicControl*> objects;
    for (const TGGraphicControl* o : panel.Objects())
        objects.append(o);
    return TGLabelObjectFiler::WriteStream(objects);
}

void drag(QWidget* panel, QPoint from, QPoint to)
{
    QTest::mousePress(panel, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 4; ++i) {
        QTest::qWait(20); // past the drag-start delay
        QTest::mouseMove(panel, from + (to - from) * i / 4);
    }
    QTest::mouseRelease(panel, Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void mixedEditsUndoAndRedoToTheirBytes();
};

void TestUndo::mixedEditsUndoAndRedoToTheirBytes()
{
    ProgramHome home;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    TGBusinessCardPanel32* panel = cardPanel(*w);
    QList<QByteArray> states{ designBytes(*panel) };
    QStringList steps;
    auto record = [&](const char* step) {
        QCoreApplication::processEvents();
        states.append(designBytes(*panel));
        steps.append(QString::fromLatin1(step));
        QCOMPARE(action(*w, "mnuUndo")->text(), QStringLiteral("&Undo ") + QString::fromLatin1(step));
    };

    // Two rectangles drawn with the tool.
    child<QToolButton>(*w, "DrawRectanglebutton")->click();
    drag(panel, QPoint(20, 20), QPoint(120, 70));
    record("Add");
    child<QToolButton>(*w, "DrawEllipseButton")->click();
    drag(panel, QPoint(150, 40), QPoint(250, 150));
    record("Add");
    // The ellipse, selected, moved by a held arrow key: a single step.
    panel->Handle().ClearSelection();
    panel->Handle().AddToSelection(panel->Objects().last());
    QCoreApplication::processEvents();
    for (bool repeat : { false, true, true, true }) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), repeat);
        QCoreApplication::sendEvent(panel, &press);
        QCoreApplication::processEvents();
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &release);
    record("Move");
    QCOMPARE(w->Document().UndoHistory().StepCount(), 3);
    // A colour from the model, as a dialog would set it.
    auto* rect = qobject_cast<TBCShapes*>(panel->Objects().first());
    QVERIFY(rect);
    TBrush brush = rect->Brush();
    brush.Color = clRed;
    rect->SetBrush(brush);
    rect->NotifyChanged();
    record("Colour");
    // Save here: the changed mark goes, and follows the saved state below.
    QDir().mkpath(home.saved(QString()));
    w->Document().SetCurrentFileName(home.saved(QStringLiteral("Undo.QRD")));
    QVERIFY(w->Document().mnuSaveClick());
    QVERIFY(!w->Document().ChangesMade());
    const int savedState = int(states.size()) - 1;
    // Delete the ellipse.
    panel->Handle().AddToSelection(panel->Objects().last());
    QTest::keyClick(panel, Qt::Key_Delete);
    record("Delete");

    // Undo back to the empty card, checking every state's bytes.
    for (int i = states.size() - 1; i > 0; --i) {
        action(*w, "mnuUndo")->trigger();
        QCOMPARE(designBytes(*panel), states[i - 1]);
        QCOMPARE(w->Document().ChangesMade(), i - 1 != savedState);
    }
    QVERIFY(!action(*w, "mnuUndo")->isEnabled());
    // And forward again.
    for (int i = 1; i < states.size(); ++i) {
        QCOMPARE(action(*w, "mnuRedo")->text(), QStringLiteral("&Redo ") + steps[i - 1]);
        action(*w, "mnuRedo")->trigger();
        QCOMPARE(designBytes(*panel), states[i]);
        QCOMPARE(w->Document().ChangesMade(), i != savedState);
    }
    QVERIFY(!action(*w, "mnuRedo")->isEnabled());
    // A new edit after undoing drops the steps that were undone.
    action(*w, "mnuUndo")->trigger();
    action(*w, "mnuUndo")->trigger();
    QTest::keyClick(panel, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(panel, Qt::Key_Right, Qt::ShiftModifier);
    QCoreApplication::processEvents();
    w->Document().UndoHistory().CommitPending();
    QVERIFY(!action(*w, "mnuRedo")->isEnabled());
    QVERIFY(w->Document().ChangesMade());
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
