// Undo and redo in the main window: a mixed sequence of edits made as a user
// makes them (tool drags, a drag of the selection, nudges, a font, a colour,
// delete, paste) is taken back step by step, each step returning the design
// to the exact bytes it had, and done again; a drag is one step; the changed
// state follows the saved state.
#include "MainScreenKit.h"

#include "app/EditCardLayout.h"
#include "app/LoadBackGround.h"
#include "app/SelectPreviewTemplate.h"
#include "app/UndoHistory.h"
#include "objects/Image.h"
#include "surface/Handle.h"
#include "surface/ObjectFiler.h"

#include <QAction>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
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

// The text of an Edit menu entry as the user sees it when the menu opens.
QString editEntry(TMainScreen& w, const char* name)
{
    emit child<QMenu>(w, "Edit1")->aboutToShow();
    return action(w, name)->text();
}

// Clicks a row of a list in its viewport, as a user does.
void clickRow(QListWidget* list, int row)
{
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

// A test bitmap of w × h pixels, 24 bits, as a design stores it.
QByteArray bitmapFile(int w, int h)
{
    const int stride = (w * 3 + 3) & ~3;
    const quint32 size = 54 + stride * h;
    QByteArray b(int(size), '\0');
    auto put32 = [&](int at, quint32 v) {
        for (int k = 0; k < 4; ++k)
            b[at + k] = char((v >> (8 * k)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(w));
    put32(22, quint32(h));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b[54 + y * stride + x * 3] = char((x ^ y) & 0xFF);
    return b;
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void mixedEditsUndoAndRedoToTheirBytes();
    void cardCommandsAreStepsAndTheMarkFollows_data();
    void cardCommandsAreStepsAndTheMarkFollows();
    void redoRestoresTheSelection();
    void historyMemoryStaysBoundedWithAPicture();
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
        QCOMPARE(editEntry(*w, "mnuUndo"), QStringLiteral("&Undo ") + QString::fromLatin1(step));
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
        QCOMPARE(editEntry(*w, "mnuRedo"), QStringLiteral("&Redo ") + steps[i - 1]);
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

// Draw and save; then a command that changes the card itself. Undo must take
// it back and clear the changed mark (the card is the saved one again); Redo
// must bring it back and set the mark, or New, Open and Exit would discard
// it without asking.
void TestUndo::cardCommandsAreStepsAndTheMarkFollows_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("step");
    QTest::newRow("background") << "background" << "Background";
    QTest::newRow("layout") << "layout" << "Layout";
    QTest::newRow("orientation") << "orientation" << "Layout";
    QTest::newRow("template") << "template" << "Template";
}

void TestUndo::cardCommandsAreStepsAndTheMarkFollows()
{
    QFETCH(QString, command);
    QFETCH(QString, step);
    ProgramHome home;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    TGBusinessCardPanel32* panel = cardPanel(*w);
    TDocumentCommands& doc = w->Document();
    child<QToolButton>(*w, "DrawRectanglebutton")->click();
    drag(panel, QPoint(20, 20), QPoint(120, 70));
    QDir().mkpath(home.saved(QString()));
    doc.SetCurrentFileName(home.saved(QStringLiteral("Card.QRD")));
    QVERIFY(doc.mnuSaveClick());
    QVERIFY(!doc.ChangesMade());

    // What the card is before and after the command.
    struct Card {
        QByteArray objects;
        QString background;
        TCardLayout layout;
        QSize size;
        bool art;
        bool operator==(const Card&) const = default;
    };
    auto card = [&] {
        return Card{ designBytes(*panel), doc.BackgroundFile(), doc.CardLayout(), panel->size(),
            panel->Model().HasBackgroundArt() };
    };
    const Card before = card();

    if (command == QLatin1String("background")) {
        ui.answerDialog([&](QDialog& dialog) -> int {
            auto& d = static_cast<TLoadBackGround&>(dialog);
            d.show();
            clickRow(d.FileListBox1, 0);
            QTest::mouseClick(d.OkButton, Qt::LeftButton);
            return d.result();
        });
        action(*w, "mnuSetorChangeBackgroundArt")->trigger();
    } else if (command == QLatin1String("layout") || command == QLatin1String("orientation")) {
        ui.answerDialog([&](QDialog& dialog) -> int {
            dialog.show();
            if (command == QLatin1String("layout")) {
                auto* across = dialog.findChild<QSpinBox*>(QStringLiteral("enbracross"));
                across->setFocus();
                QTest::keyClick(across, Qt::Key_Down);
            } else {
                QTest::mouseClick(dialog.findChild<QRadioButton*>(QStringLiteral("ePortrait")), Qt::LeftButton);
            }
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("OkButton")), Qt::LeftButton);
            return dialog.result();
        });
        action(*w, "ChangeCardLayout1")->trigger();
    } else {
        ui.answerDialog([&](QDialog& dialog) -> int {
            auto& chooser = dynamic_cast<TSelectPreviewTemplate&>(dialog);
            chooser.show();
            return int(mrOk);
        });
        action(*w, "NewFromTemplate1")->trigger();
    }
    QCoreApplication::processEvents();
    QVERIFY(ui.allUsed());
    const Card after = card();
    QVERIFY(!(after == before));
    QVERIFY(doc.ChangesMade());
    QCOMPARE(editEntry(*w, "mnuUndo"), QStringLiteral("&Undo ") + step);

    // A template starts on the blank card New leaves, and is one step on it.
    const Card undone = command == QLatin1String("template")
        ? Card{ TGLabelObjectFiler::WriteStream({}), QString(), before.layout, before.size, false }
        : before;
    action(*w, "mnuUndo")->trigger();
    QVERIFY(card() == undone);
    QVERIFY(!doc.ChangesMade());
    QCOMPARE(editEntry(*w, "mnuRedo"), QStringLiteral("&Redo ") + step);

    action(*w, "mnuRedo")->trigger();
    QVERIFY(card() == after);
    QVERIFY(doc.ChangesMade());
    // The saved design is one step back; there it is unchanged again.
    action(*w, "mnuUndo")->trigger();
    QVERIFY(!doc.ChangesMade());
}

void TestUndo::redoRestoresTheSelection()
{
    ProgramHome home;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    TGBusinessCardPanel32* panel = cardPanel(*w);
    addRectangle(*w, 20, 20, 60, 40);
    addRectangle(*w, 150, 60, 60, 40);
    w->Document().UndoHistory().CommitPending();
    // Click the second rectangle and nudge it.
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(170, 80));
    QCoreApplication::processEvents();
    QCOMPARE(panel->Handle().Selection().size(), 1);
    TGGraphicControl* moved = panel->Handle().Selection().constFirst();
    const QString name = moved->Name();
    QTest::keyClick(panel, Qt::Key_Right);
    QCoreApplication::processEvents();
    w->Document().UndoHistory().CommitPending();

    action(*w, "mnuUndo")->trigger();
    QVERIFY(!panel->Handle().HasSelection());
    action(*w, "mnuRedo")->trigger();
    QCOMPARE(panel->Handle().Selection().size(), 1);
    QCOMPARE(panel->Handle().Selection().constFirst()->Name(), name);
    QCOMPARE(panel->Handle().Selection().constFirst()->Left(), 151);
}

// Fifty nudges of a small box beside a large picture: the history holds the
// picture once, not fifty times.
void TestUndo::historyMemoryStaysBoundedWithAPicture()
{
    ProgramHome home;
    ScriptedInteraction ui;
    auto w = startMainScreen();
    TGBusinessCardPanel32* panel = cardPanel(*w);
    const QByteArray bmp = bitmapFile(1000, 700); // 2.1 MB
    auto* image = new TGImage;
    image->SetPictureData(MakePictureData(QStringLiteral("TBitmap"), bmp));
    image->Loaded();
    panel->AddObject(image, TRect(0, 0, 300, 150));
    const QString box = addRectangle(*w, 20, 20, 30, 20)->Name();
    TUndoHistory& history = w->Document().UndoHistory();
    history.CommitPending();
    const int base = history.StepCount();
    const qint64 start = history.MemoryUsed();
    QVERIFY(start >= bmp.size());
    for (int i = 0; i < 50; ++i) {
        TGGraphicControl* o = panel->FindObject(box);
        o->SetLeft(o->Left() + 1);
        history.NoteChange();
        history.CommitPending();
    }
    QCOMPARE(history.StepCount(), base + 50);
    // A nudge stores the box's record, a few hundred bytes.
    QVERIFY2(history.MemoryUsed() - start < 50 * 4096, qPrintable(QString::number(history.MemoryUsed() - start)));
    // Undo all the way and back: the picture object stays the same throughout.
    for (int i = 0; i < 50; ++i)
        action(*w, "mnuUndo")->trigger();
    QCOMPARE(panel->FindObject(box)->Left(), 20);
    QVERIFY(panel->Objects().contains(image));
    for (int i = 0; i < 50; ++i)
        action(*w, "mnuRedo")->trigger();
    QCOMPARE(panel->FindObject(box)->Left(), 70);
    QVERIFY(panel->Objects().contains(image));

    // The memory bound drops the oldest steps, never the last one.
    history.SetMemoryLimit(start / 2);
    QCOMPARE(history.StepCount(), 1);
    action(*w, "mnuUndo")->trigger();
    QCOMPARE(panel->FindObject(box)->Left(), 69);
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
