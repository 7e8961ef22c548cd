// The design panel and the object base: zoom, the change and refit contract,
// naming, painting of the card (grid, squares), commands of the context menu.
#include "SurfaceTestKit.h"
#include "support/PictureKit.h"
#include "support/ScriptedInteraction.h"
#include "support/TestClock.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace bv;
using namespace bv::test;

namespace {
QAction* findAction(QMenu* menu, const QString& caption)
{
    for (QAction* a : menu->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

class FixedNames : public NameRegistry {
public:
    QStringList taken;
    bool IsNameTaken(const QString& name) const override { return taken.contains(name, Qt::CaseInsensitive); }
};
} // namespace

class TestPanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void objectZoomRoundsHalvesToEven();
    void panelZoomRescalesSilently();
    void boundsChangeSignalsOnceAndPostsOneRefit();
    void flagSettersStayQuietWhileReading();
    void addObjectNamesAndEnforcesMinimumSize();
    void gridDots_data();
    void gridDots();
    void selectionSquares();
    void centreOnPanel();
    void alignRightUsesGreatestRightEdge();
    void purgeStrayObjects();
    void contextMenuEnabling();
    void lockAndSelectability();
    void fontCommandAppliesChosenFont();
    void renderToBitmapHasNoMarks();
    void paintAtRestoresCanvasAfterFailure();
    void outlineStepsReuseThePaintedCard();
    void backgroundTurnsClockwiseWhenRotated_data();
    void backgroundTurnsClockwiseWhenRotated();
    void metafileBackground_data();
    void metafileBackground();

private:
    QTemporaryDir home;
};

void TestPanel::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
}

void TestPanel::objectZoomRoundsHalvesToEven()
{
    TGBusinessCardPanel32 panel;
    Box* b = addBox(panel, 10, 11, 21, 30);
    settle();
    b->SetZoom(1.5f);
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(15, 16, 32, 45));
    QCOMPARE(b->Zoom(), 1.5f);
    settle();
    // The same factor again changes nothing and reports nothing.
    const TRect last = b->LastBounds();
    b->SetZoom(1.5f);
    QCOMPARE(panel.PendingRefitRequests(), 0);
    QCOMPARE(b->LastBounds(), last);
}

void TestPanel::panelZoomRescalesSilently()
{
    TGBusinessCardPanel32 panel;
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    Box* b = addBox(panel, 100, 50, 40, 20);
    settle();
    changed.clear();
    panel.SetZoom(1.3f);
    QCOMPARE(panel.width(), 446);
    QCOMPARE(panel.height(), 248);
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(130, 65, 52, 26));
    QCOMPARE(b->Zoom(), 1.3f);
    QCOMPARE(changed.count(), 0);
    panel.SetZoom(1.0f);
    QCOMPARE(panel.width(), 343);
    QCOMPARE(panel.height(), 191);
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(100, 50, 40, 20));
    QCOMPARE(changed.count(), 0);
}

void TestPanel::boundsChangeSignalsOnceAndPostsOneRefit()
{
    TGBusinessCardPanel32 panel;
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    auto* b = new Box;
    b->SetLoading(true);
    b->SetParent(&panel);
    b->SetBounds(20, 30, 40, 50);
    b->SetLoading(false);
    // First report records the bounds only.
    b->BoundsChanged();
    QCOMPARE(b->LastBounds(), TRect(20, 30, 60, 80));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(panel.PendingRefitRequests(), 0);
    b->BoundsChanged();
    QCOMPARE(changed.count(), 0);
    // A move signals once and posts one refit, handled later.
    b->SetLeft(25);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(panel.PendingRefitRequests(), 1);
    settle();
    QCOMPARE(panel.PendingRefitRequests(), 0);
    // Printing silences objects.
    panel.SetPrinting(true);
    b->SetLeft(26);
    QCOMPARE(changed.count(), 1);
}

void TestPanel::flagSettersStayQuietWhileReading()
{
    TGBusinessCardPanel32 panel;
    Box* b = addBox(panel, 10, 10, 20, 20);
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    b->SetReading(true);
    b->SetLocked(true);
    QVERIFY(b->Locked());
    QVERIFY(!b->LockedMenuItem()->isChecked());
    QCOMPARE(changed.count(), 0);
    b->SetReading(false);
    b->SetLocked(false);
    QVERIFY(!b->LockedMenuItem()->isChecked());
    QCOMPARE(changed.count(), 1);
    b->ToggleLocked();
    QVERIFY(b->Locked());
    QVERIFY(b->LockedMenuItem()->isChecked());
    QCOMPARE(changed.count(), 2);
}

void TestPanel::addObjectNamesAndEnforcesMinimumSize()
{
    TGBusinessCardPanel32 panel;
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    auto* b = new Box;
    b->Loaded();
    panel.AddObject(b, TRect(40, 30, 43, 34));
    QCOMPARE(b->Name(), QStringLiteral("Special1"));
    QCOMPARE(b->BoundsRect(), TRect::FromBounds(40, 30, 10, 15));
    QVERIFY(b->Attached());
    QVERIFY(b->Visible());
    QVERIFY(changed.count() >= 1);

    // The owner decides which names are taken.
    FixedNames owner;
    owner.taken = { "Special1", "special2" };
    panel.SetOwner(&owner);
    auto* c = new Box;
    panel.AddObject(c, TRect(0, 0, 30, 30));
    QCOMPARE(c->Name(), QStringLiteral("Special3"));
    for (int i = 1; i <= 1000; ++i)
        owner.taken << QStringLiteral("Special%1").arg(i);
    QCOMPARE(panel.UniqueName(QStringLiteral("Special")), QString());
    panel.SetOwner(nullptr);

    // Zoomed panel: the new object takes the panel's factor without rescaling.
    panel.SetZoom(1.5f);
    auto* d = new Box;
    panel.AddObject(d, TRect(30, 30, 60, 60));
    QCOMPARE(d->Zoom(), 1.5f);
    QCOMPARE(d->BoundsRect(), TRect(30, 30, 60, 60));
}

void TestPanel::gridDots_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QPoint>("green");
    QTest::addColumn<QPoint>("white");
    QTest::newRow("4x4") << int(gs4x4) << QPoint(2, 2) << QPoint(3, 2);
    QTest::newRow("4x4 second dot") << int(gs4x4) << QPoint(6, 10) << QPoint(6, 9);
    QTest::newRow("8x8") << int(gs8x8) << QPoint(10, 2) << QPoint(6, 2);
    QTest::newRow("8x8 rows") << int(gs8x8) << QPoint(2, 10) << QPoint(2, 6);
}

void TestPanel::gridDots()
{
    QFETCH(int, size);
    QFETCH(QPoint, green);
    QFETCH(QPoint, white);
    TGBusinessCardPanel32 panel;
    panel.SetGridSize(TGridSize(size));
    panel.SetShowGrid(true);
    const QImage shot = panel.grab().toImage();
    QCOMPARE(shot.size(), QSize(343, 191));
    QCOMPARE(QColor(shot.pixel(green)), QColor(0, 128, 0));
    QCOMPARE(QColor(shot.pixel(white)), QColor(255, 255, 255));
    // Dots darken what lies below: blue AND green is black.
    Box* b = addBox(panel, 0, 0, 20, 20);
    Q_UNUSED(b);
    panel.SetShowGrid(false);
    QCOMPARE(QColor(panel.grab().toImage().pixel(green)), QColor(0, 0, 255));
    panel.SetShowGrid(true);
    // The grid lies under the objects (painted before them).
    QCOMPARE(QColor(panel.grab().toImage().pixel(green)), QColor(0, 0, 255));
    panel.SetShowGrid(false);
    panel.SetColorPicture([] {
        QImage img(10, 10, QImage::Format_RGB32);
        img.fill(QColor(255, 0, 255));
        return img;
    }());
    panel.SetShowGrid(true);
    const QImage onArt = panel.grab().toImage();
    QCOMPARE(QColor(onArt.pixel(100 + (green.x() % 8), 100 + green.y() % 8)).green(), 0);
    QCOMPARE(QColor(onArt.pixel(101 + (green.x() % 8), 100 + green.y() % 8)), QColor(255, 0, 255));
}

void TestPanel::selectionSquares()
{
    TGBusinessCardPanel32 panel;
    panel.SetDrawOutline(false);
    Box* a = addBox(panel, 40, 40, 50, 30);
    Box* b = addBox(panel, 150, 60, 40, 40);
    a->fill = Qt::white;
    b->fill = Qt::white;
    // Nothing selected: no squares anywhere.
    QImage shot = panel.grab().toImage();
    QCOMPARE(QColor(shot.pixel(38, 38)), QColor(Qt::white));

    panel.Handle().AddToSelection(a);
    shot = panel.grab().toImage();
    // R = (38, 38, 92, 72): corners and mid-edge squares in black.
    const QList<QPoint> single = { { 38, 38 }, { 42, 42 }, { 91, 38 }, { 91, 71 }, { 38, 71 }, { 63, 38 },
        { 67, 42 }, { 63, 71 }, { 38, 53 }, { 91, 57 } };
    for (const QPoint& p : single)
        QVERIFY2(QColor(shot.pixel(p)) == QColor(Qt::black), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    QCOMPARE(QColor(shot.pixel(43, 43)), QColor(Qt::white)); // half-open squares
    QCOMPARE(QColor(shot.pixel(62, 38)), QColor(Qt::white));
    QCOMPARE(QColor(shot.pixel(148, 58)), QColor(Qt::white)); // b unselected

    panel.Handle().AddToSelection(b);
    shot = panel.grab().toImage();
    QCOMPARE(QColor(shot.pixel(38, 38)), QColor(128, 128, 128));
    QCOMPARE(QColor(shot.pixel(148, 58)), QColor(128, 128, 128));
    QCOMPARE(QColor(shot.pixel(191, 101)), QColor(128, 128, 128));
    QCOMPARE(QColor(shot.pixel(63, 38)), QColor(Qt::white)); // no mid-edge squares
}

void TestPanel::centreOnPanel()
{
    TGBusinessCardPanel32 panel;
    Box* b = addBox(panel, 7, 9, 40, 31);
    b->CenterVertically();
    QCOMPARE(b->Top(), 80);
    b->CenterHorizontally();
    QCOMPARE(b->Left(), 171 - 20);
    auto* loose = new Box;
    loose->SetBounds(3, 4, 10, 10);
    loose->CenterVertically(); // no panel: nothing happens
    QCOMPARE(loose->Top(), 4);
    delete loose;
}

void TestPanel::alignRightUsesGreatestRightEdge()
{
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 60, 10, 40, 10);
    Box* b = addBox(panel, 100, 40, 40, 10);
    Box* c = addBox(panel, 5, 80, 20, 10);
    panel.Handle().AddToSelection(a);
    panel.Handle().AddToSelection(b);
    b->SetLocked(true); // locked objects are aligned too
    panel.AlignRight();
    QCOMPARE(a->Left() + a->Width(), 140);
    QCOMPARE(b->Left() + b->Width(), 140);
    QCOMPARE(c->Left(), 5);
    panel.AlignTops();
    QCOMPARE(a->Top(), 10);
    QCOMPARE(b->Top(), 10);
    panel.AlignLeft();
    QCOMPARE(a->Left(), 100);
    panel.AlignBottoms();
    QCOMPARE(a->Top() + a->Height(), 20);
}

void TestPanel::purgeStrayObjects()
{
    TGBusinessCardPanel32 panel;
    Box* keep = addBox(panel, 333, 10, 5, 5);
    addBox(panel, 334, 10, 5, 5);
    addBox(panel, 10, 182, 5, 5);
    Box* keepLow = addBox(panel, 10, 181, 5, 5);
    addBox(panel, 10, 10, 0, 5);
    addBox(panel, 10, 10, 5, 0);
    panel.Handle().AddToSelection(keep);
    panel.PurgeStrayObjects();
    QCOMPARE(panel.ObjectCount(), 2);
    QVERIFY(panel.Objects().contains(keep));
    QVERIFY(panel.Objects().contains(keepLow));
    QVERIFY(!panel.Handle().HasSelection());
}

void TestPanel::contextMenuEnabling()
{
    TGBusinessCardPanel32 panel;
    QMenu* menu = panel.ContextMenu();
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions,
        QStringList({ "Bring To Front", "Send To Back", "-", "Cut", "Copy", "Paste", "-", "Delete", "-",
            "Align Left", "Align Right", "Align Tops", "Align Bottoms", "-", "Center Vertically",
            "Center Horizontally", "-", "Lock All", "Unlock All", "-", "Mark All Selectable",
            "Mark All Unselectable", "Select All", "-", "Font" }));
    panel.UpdateMenuEnabling();
    QVERIFY(!findAction(menu, "Lock All")->isEnabled());
    QVERIFY(!findAction(menu, "Paste")->isEnabled());
    QVERIFY(!findAction(menu, "Cut")->isEnabled());
    QVERIFY(findAction(menu, "Select All")->isEnabled());
    Box* a = addBox(panel, 10, 10, 20, 20);
    panel.UpdateMenuEnabling();
    QVERIFY(findAction(menu, "Lock All")->isEnabled());
    QVERIFY(!findAction(menu, "Align Left")->isEnabled());
    panel.Handle().AddToSelection(a);
    panel.UpdateMenuEnabling();
    QVERIFY(findAction(menu, "Align Left")->isEnabled());
    QFile clip(panel.ClipboardPath());
    QVERIFY(clip.open(QIODevice::WriteOnly));
    clip.write("\x01\x00", 2);
    clip.close();
    panel.UpdateMenuEnabling();
    QVERIFY(findAction(menu, "Paste")->isEnabled());
    // The object's own menu, in its order.
    QStringList own;
    for (QAction* act : a->ContextMenu()->actions())
        own << (act->isSeparator() ? QStringLiteral("-") : act->text());
    QCOMPARE(own,
        QStringList({ "Bring To Front", "Send To Back", "Cut", "Copy", "Delete", "Clone", "-", "Locked",
            "Unselectable", "-", "Center Vertically", "Center Horizontally" }));
}

void TestPanel::lockAndSelectability()
{
    TGBusinessCardPanel32 panel;
    Box* a = addBox(panel, 10, 10, 20, 20);
    Box* b = addBox(panel, 50, 10, 20, 20);
    panel.LockAll();
    QVERIFY(a->Locked() && b->Locked());
    QVERIFY(a->LockedMenuItem()->isChecked());
    panel.UnlockAll();
    QVERIFY(!a->Locked() && !b->Locked());

    panel.SelectAll();
    QCOMPARE(panel.Handle().SelectionCount(), 2);
    findAction(a->ContextMenu(), "Unselectable")->trigger();
    QVERIFY(a->Unselectable());
    QCOMPARE(panel.Handle().SelectionCount(), 1);
    panel.MarkAllUnselectable();
    QVERIFY(!panel.Handle().HasSelection());
    panel.SelectAll(); // unselectable objects are refused
    QVERIFY(!panel.Handle().HasSelection());
    QVERIFY(!panel.Handle().Visible());
    panel.MarkAllSelectable();
    panel.SelectAll();
    QCOMPARE(panel.Handle().SelectionCount(), 2);
    QCOMPARE(panel.Handle().Selected(0), a);
    QCOMPARE(panel.Handle().Selected(2), nullptr);
    QCOMPARE(panel.Handle().Selected(-1), nullptr);

    // Send To Back from the object's menu clears the selection.
    findAction(b->ContextMenu(), "Send To Back")->trigger();
    QCOMPARE(panel.Objects().first(), b);
    QVERIFY(!panel.Handle().HasSelection());
    findAction(b->ContextMenu(), "Bring To Front")->trigger();
    QCOMPARE(panel.Objects().last(), b);
}

namespace {
class FontTaker : public Box {
public:
    void ApplyFont(const TFont& f) override { SetFont(f); }
};
} // namespace

void TestPanel::fontCommandAppliesChosenFont()
{
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    auto* a = new FontTaker;
    a->SetParent(&panel);
    a->SetBounds(10, 10, 20, 20);
    panel.AttachObject(a);
    Box* plain = addBox(panel, 50, 50, 10, 10);
    panel.Handle().AddToSelection(a);
    panel.Handle().AddToSelection(plain);
    QFont chosen(QStringLiteral("Liberation Serif"));
    chosen.setPointSize(12);
    chosen.setBold(true);
    ui.answerFont(chosen);
    findAction(panel.ContextMenu(), "Font")->trigger();
    QCOMPARE(a->Font().Name, QStringLiteral("Liberation Serif"));
    QCOMPARE(a->Font().Height, -16);
    QVERIFY(a->Font().Bold);
    QCOMPARE(plain->Font().Name, TFont().Name);
    // Cancelled dialog changes nothing.
    ui.answerFont(std::nullopt);
    findAction(panel.ContextMenu(), "Font")->trigger();
    QCOMPARE(a->Font().Height, -16);
    QVERIFY(ui.allUsed());
}

void TestPanel::renderToBitmapHasNoMarks()
{
    TGBusinessCardPanel32 panel;
    panel.SetShowGrid(true);
    Box* a = addBox(panel, 20, 20, 30, 30);
    panel.Handle().AddToSelection(a);
    const QImage img = panel.RenderToBitmap();
    QCOMPARE(img.size(), QSize(343, 191));
    QCOMPARE(QColor(img.pixel(2, 2)), QColor(Qt::white)); // no grid
    QCOMPARE(QColor(img.pixel(0, 0)), QColor(Qt::white)); // no outline
    QCOMPARE(QColor(img.pixel(18, 18)), QColor(Qt::white)); // no squares
    QCOMPARE(QColor(img.pixel(20, 20)), QColor(0, 0, 255));
    QCOMPARE(QColor(img.pixel(49, 49)), QColor(0, 0, 255));
    QCOMPARE(QColor(img.pixel(50, 50)), QColor(Qt::white));
}

namespace {
class Failing : public Box {
public:
    QPainter* seen = nullptr;
    QTransform seenTransform;
    void Paint() override
    {
        seen = DrawCanvas();
        seenTransform = DrawCanvas()->transform();
        throw std::runtime_error("cannot paint");
    }
};
} // namespace

void TestPanel::paintAtRestoresCanvasAfterFailure()
{
    TGBusinessCardPanel32 panel;
    auto* bad = new Failing;
    bad->SetParent(&panel);
    bad->SetBounds(10, 10, 20, 20);
    Box* good = addBox(panel, 50, 50, 20, 20);
    QImage img(100, 100, QImage::Format_RGB32);
    QPainter p(&img);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, bad->PaintAt(p, 7, 9));
    QCOMPARE(bad->seen, &p);
    QCOMPARE(bad->seenTransform, QTransform::fromTranslate(7, 9));
    QCOMPARE(bad->DrawCanvas(), nullptr);
    QCOMPARE(p.transform(), QTransform());
    p.end();
    // On screen the failing object does not stop the others.
    const QImage shot = panel.grab().toImage();
    QCOMPARE(QColor(shot.pixel(60, 60)), QColor(0, 0, 255));
    QVERIFY(good->paints > 0);
    QCOMPARE(bad->DrawCanvas(), nullptr);
}

void TestPanel::outlineStepsReuseThePaintedCard()
{
    TGBusinessCardPanel32 panel;
    panel.SetDrawOutline(false);
    Box* b = addBox(panel, 50, 50, 40, 30);
    panel.show();
    (void)panel.grab(); // the card is painted and kept
    const int paints = b->paints;
    panel.SetOutline(TGBasePanel::Outline::Drag, TRect(100, 100, 150, 140));
    const QRegion topStrip(QRect(99, 99, 52, 3));
    QImage target(panel.size(), QImage::Format_RGB32);
    target.fill(Qt::red);
    panel.render(&target, topStrip.boundingRect().topLeft(), topStrip);
    QCOMPARE(b->paints, paints); // outline only: objects not painted again
    QCOMPARE(QColor(target.pixel(100, 100)), QColor(Qt::black)); // white inverted
    QCOMPARE(QColor(target.pixel(101, 100)), QColor(Qt::white)); // dotted
    QCOMPARE(QColor(target.pixel(100, 110)), QColor(Qt::red)); // outside the region

    // A change of the design is never hidden behind the kept card.
    b->SetBounds(95, 90, 40, 30);
    panel.render(&target, topStrip.boundingRect().topLeft(), topStrip);
    QVERIFY(b->paints > paints);
    QCOMPARE(QColor(target.pixel(111, 100)), QColor(0, 0, 255));
    QCOMPARE(QColor(target.pixel(110, 100)), QColor(255, 255, 0)); // blue inverted
    // Removing the outline restores what lies below.
    panel.SetOutline(TGBasePanel::Outline::Drag, std::nullopt);
    panel.render(&target, topStrip.boundingRect().topLeft(), topStrip);
    QCOMPARE(QColor(target.pixel(110, 100)), QColor(0, 0, 255));
    QCOMPARE(QColor(target.pixel(140, 100)), QColor(Qt::white));
}

void TestPanel::backgroundTurnsClockwiseWhenRotated_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("bitmap") << QStringLiteral("art.BMP");
    QTest::newRow("other picture") << QStringLiteral("art.png");
}

void TestPanel::backgroundTurnsClockwiseWhenRotated()
{
    QFETCH(QString, name);
    QImage art(4, 2, QImage::Format_RGB32);
    art.fill(Qt::white);
    art.setPixel(0, 0, qRgb(255, 0, 0)); // top-left goes to top-right
    art.setPixel(3, 1, qRgb(0, 255, 0)); // bottom-right goes to bottom-left
    const QString path = home.filePath(name);
    QVERIFY(art.save(path, name.endsWith("BMP") ? "BMP" : "PNG"));
    TGBusinessCardPanel32 panel;
    panel.LoadBackground(path);
    QCOMPARE(panel.ColorPicture().size(), QSize(4, 2));
    panel.SetRotated(true);
    panel.LoadBackground(path);
    const QImage turned = panel.ColorPicture();
    QCOMPARE(turned.size(), QSize(2, 4));
    QCOMPARE(QColor(turned.pixel(1, 0)), QColor(255, 0, 0));
    QCOMPARE(QColor(turned.pixel(0, 3)), QColor(0, 255, 0));
    // A file that cannot be read leaves the picture as it was.
    panel.LoadBackground(home.filePath(QStringLiteral("missing.bmp")));
    QCOMPARE(panel.ColorPicture().size(), QSize(2, 4));
    panel.ClearBackground();
    QVERIFY(panel.ColorPicture().isNull());
}

void TestPanel::metafileBackground_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("upper case") << QStringLiteral("art.WMF");
    QTest::newRow("lower case") << QStringLiteral("art.wmf");
}

void TestPanel::metafileBackground()
{
    QFETCH(QString, name);
    // 3.5 x 2 inches at 100 units per inch; a red square at the top left.
    WmfBuilder w;
    w.windowOrg(0, 0).windowExt(350, 200).pen(5, 0, 0).select(0).brush(0, qRgb(255, 0, 0)).select(1);
    w.rectangle(0, 0, 50, 50);
    const QString path = home.filePath(name);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(w.file(true, 0, 0, 350, 200, 100));
    f.close();
    TGBusinessCardPanel32 panel;
    panel.LoadBackground(path);
    // Kept as a drawing, drawn over the whole card.
    QVERIFY(!panel.ColorMetafile().IsEmpty());
    QVERIFY(panel.ColorPicture().isNull());
    const QImage shown = panel.RenderToBitmap();
    QCOMPARE(QColor(shown.pixel(5, 5)), QColor(255, 0, 0));
    QCOMPARE(QColor(shown.pixel(100, 100)), QColor(Qt::white));
    // In portrait: drawn on a 3.5 x 2 inch bitmap and turned clockwise.
    panel.SetRotated(true);
    panel.LoadBackground(path);
    QVERIFY(panel.ColorMetafile().IsEmpty());
    const QImage turned = panel.ColorPicture();
    QCOMPARE(turned.size(), QSize(192, 336));
    QCOMPARE(QColor(turned.pixel(191 - 5, 5)), QColor(255, 0, 0));
    QCOMPARE(QColor(turned.pixel(5, 5)), QColor(Qt::white));
    panel.ClearBackground();
    QVERIFY(panel.ColorMetafile().IsEmpty() && panel.ColorPicture().isNull());
}

QTEST_MAIN(TestPanel)
#include "tst_panel.moc"
