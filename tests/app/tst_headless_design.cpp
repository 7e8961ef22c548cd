// A design with no widget at all: the batch tool's and a print job's way of
// working. Objects are added, stacked, selected, written and read, undone
// and printed through the page engine while no QWidget exists.
#include "app/DesignClasses.h"
#include "app/UndoHistory.h"
#include "objects/Shapes.h"
#include "pageengine/PageCanvasEngine.h"
#include "printing/SheetJob.h"
#include "surface/ClassRegistry.h"
#include "surface/DesignModel.h"
#include "surface/Handle.h"
#include "surface/ObjectFiler.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;

namespace {

// A filled rectangle of `colour` at (l, t, w, h) card pixels, added as the
// rectangle tool adds one.
TGLabelShapes* addBox(TDesignModel& design, int l, int t, int w, int h, TColor colour)
{
    auto* box = qobject_cast<TGLabelShapes*>(CreateObjectOfClass(QStringLiteral("TBCShapes")));
    box->SetParent(&design);
    box->Loaded();
    box->SetBrush(TBrush{ colour, bsSolid });
    box->SetPen(TPen{ colour, pmCopy, psSolid, 1 });
    design.AddObject(box, TRect::FromBounds(l, t, w, h));
    return box;
}

QStringList names(const QList<TGGraphicControl*>& objects)
{
    QStringList out;
    for (const TGGraphicControl* o : objects)
        out << o->Name();
    return out;
}

QByteArray streamOf(const TDesignModel& design)
{
    QList<const TGGraphicControl*> list;
    for (const TGGraphicControl* o : design.Objects())
        list << o;
    return TGLabelObjectFiler::WriteStream(list);
}

} // namespace

class TestHeadlessDesign : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void editedWithoutAnyWidget();
    void printedThroughThePageEngine_data();
    void printedThroughThePageEngine();

private:
    QTemporaryDir home;
};

void TestHeadlessDesign::initTestCase()
{
    QVERIFY(home.isValid());
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
    qputenv("BRISVALE_PPI", "96");
    RegisterDesignClasses();
}

void TestHeadlessDesign::editedWithoutAnyWidget()
{
    TDesignModel design;
    design.SetDeletesTemporaryFiles(false);
    design.SetCardSize(QSize(336, 192));
    // Whoever keeps the document notes its changes in the history.
    TUndoHistory history(design);
    QObject::connect(&design, &TDesignModel::Changed, &history, [&] { history.NoteChange(); });
    history.Reset();

    // Three overlapping boxes: the last added is on top.
    addBox(design, 10, 10, 60, 40, clRed);
    addBox(design, 40, 20, 60, 40, clLime);
    addBox(design, 70, 30, 60, 40, clBlue);
    QCOMPARE(names(design.Objects()), QStringList({ "Special1", "Special2", "Special3" }));
    QCOMPARE(design.ObjectAt(75, 35)->Name(), QStringLiteral("Special3"));
    QCOMPARE(design.ObjectAt(45, 25)->Name(), QStringLiteral("Special2"));

    // A band over the first two selects them; the frame lies 2 pixels
    // outside their bounding box (10,10)-(100,60).
    design.SelectInRect(TRect(12, 12, 45, 25), false);
    QCOMPARE(names(design.Selection()), QStringList({ "Special2", "Special1" }));
    QCOMPARE(design.Frame().BoundsRect(), TRect(8, 8, 103, 63));

    // Bring to front keeps the selection; Send to Back empties it.
    design.BringSelectionToFrontCommand();
    QCOMPARE(names(design.Objects()), QStringList({ "Special3", "Special2", "Special1" }));
    QCOMPARE(design.ObjectAt(75, 35)->Name(), QStringLiteral("Special2"));
    // Each chosen object goes to the back in the order chosen.
    design.SendSelectionToBackCommand();
    QCOMPARE(names(design.Objects()), QStringList({ "Special1", "Special2", "Special3" }));
    QVERIFY(!design.HasSelection());

    // A move without a view: the selection frame follows at once, around
    // the moved box (200..260 across).
    design.SelectAll();
    TGGraphicControl* blue = design.FindObject(QStringLiteral("Special3"));
    blue->SetLeft(200);
    QVERIFY(design.Frame().BoundsRect().Right > 260);
    QVERIFY(design.Frame().BoundsRect().Right <= 265);

    // Undo takes the move back, redo does it again, both as the stream has it.
    history.CommitPending();
    QVERIFY(history.CanUndo());
    history.Undo();
    QCOMPARE(design.FindObject(QStringLiteral("Special3"))->Left(), 70);
    history.Redo();
    QCOMPARE(design.FindObject(QStringLiteral("Special3"))->Left(), 200);

    // Written and read back by another design without a view: the same bytes.
    const QString path = home.filePath(QStringLiteral("card.qrd"));
    design.SaveToFile(path);
    TDesignModel copy;
    copy.SetDeletesTemporaryFiles(false);
    copy.SetCardSize(QSize(336, 192));
    copy.LoadFromFile(path);
    // Reading names the objects anew; under their first names the records
    // are the ones written.
    QCOMPARE(names(copy.Objects()), QStringList({ "Component0", "Component1", "Component2" }));
    for (int i = 0; i < copy.ObjectCount(); ++i)
        copy.Objects()[i]->SetName(design.Objects()[i]->Name());
    QCOMPARE(streamOf(copy), streamOf(design));

    // The design zoomed keeps its stored geometry and sizes its card.
    copy.SetZoom(2.0f);
    QCOMPARE(copy.CardSize(), QSize(672, 384));
    QCOMPARE(copy.Objects().last()->Left(), 400);
    copy.SetZoom(1.0f);
    QCOMPARE(streamOf(copy), streamOf(design));

    QVERIFY2(QApplication::allWidgets().isEmpty(), "a design needs no widget");
}

void TestHeadlessDesign::printedThroughThePageEngine_data()
{
    QTest::addColumn<double>("dpi");
    QTest::newRow("300 dpi") << 300.0;
    QTest::newRow("600 dpi") << 600.0;
}

void TestHeadlessDesign::printedThroughThePageEngine()
{
    QFETCH(double, dpi);
    TDesignModel design;
    design.SetDeletesTemporaryFiles(false);
    design.SetCardSize(QSize(336, 192));
    // One inch in from the card's left, half an inch down, an inch by half
    // an inch (96 pixels to the inch).
    addBox(design, 96, 48, 96, 48, clRed);

    // One card at the sheet's first position, 0.75 in from the left and
    // 0.5 in from the top: the box covers 1.75-2.75 in across and
    // 1.0-1.5 in down.
    QImage sheet(int(4.5 * dpi), int(3 * dpi), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter painter(&sheet);
        TCanvasPageEngine engine(&painter, TDeviceFacts{ dpi, dpi, 0, 0, 0, 8.5, 11 });
        TSheetJob job;
        job.Design = &design;
        job.Engine = &engine;
        job.Selected = {};
        job.Selected[0] = true;
        job.Sheet.Across = 1;
        job.Sheet.Down = 1;
        job.Sheet.Left = 0.75;
        job.Sheet.Top = 0.5;
        job.Run();
        QVERIFY2(!job.Failed(), qPrintable(job.ErrorMessage()));
        QCOMPARE(job.PositionsDrawn(), QList<int>({ 0 }));
    }
    const auto at = [&](double x, double y) { return sheet.pixelColor(int(x * dpi), int(y * dpi)); };
    QCOMPARE(at(2.25, 1.25), QColor(Qt::red));
    QCOMPARE(at(1.80, 1.05), QColor(Qt::red));
    QCOMPARE(at(2.70, 1.45), QColor(Qt::red));
    QCOMPARE(at(1.70, 1.25), QColor(Qt::white));
    QCOMPARE(at(2.80, 1.25), QColor(Qt::white));
    QCOMPARE(at(2.25, 0.95), QColor(Qt::white));
    QCOMPARE(at(2.25, 1.55), QColor(Qt::white));
    QVERIFY(QApplication::allWidgets().isEmpty());
}

QTEST_MAIN(TestHeadlessDesign)
#include "tst_headless_design.moc"
