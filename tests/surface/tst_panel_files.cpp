// The panel's file commands around the object filer: zoom 1.0 in design
// files whatever the zoom, geometry kept across open and save at any zoom,
// the clipboard file's life, Paste enabling.
#include "SurfaceTestKit.h"
#include "support/TestClock.h"
#include "surface/ClassRegistry.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace bv;
using namespace bv::test;

class TestPanelFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void saveWhileZoomedWritesUnzoomedGeometry();
    void openWhileZoomedKeepsStoredGeometry();
    void missingFileLeavesPanelUnchanged();
    void clipboardFileLivesWithThePanel();

private:
    QTemporaryDir home;
};

void TestPanelFiles::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    RegisterObjectClass(QStringLiteral("TestBox"), [] { return new Box; });
}

void TestPanelFiles::saveWhileZoomedWritesUnzoomedGeometry()
{
    const QString path = home.filePath(QStringLiteral("zoomed.qrd"));
    {
        TGBusinessCardPanel32 panel;
        addBox(panel, 100, 50, 40, 20);
        panel.SetZoom(1.3f);
        QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
        panel.SaveToFile(path);
        QCOMPARE(panel.Zoom(), 1.3f);
        QCOMPARE(panel.width(), 446);
        QCOMPARE(panel.Objects().first()->BoundsRect(), TRect::FromBounds(130, 65, 52, 26));
        QCOMPARE(changed.count(), 0);
    }
    TGBusinessCardPanel32 reader;
    reader.LoadFromFile(path);
    QCOMPARE(reader.ObjectCount(), 1);
    QCOMPARE(reader.Objects().first()->BoundsRect(), TRect::FromBounds(100, 50, 40, 20));
    QVERIFY(reader.Objects().first()->Attached());
}

void TestPanelFiles::openWhileZoomedKeepsStoredGeometry()
{
    const QString first = home.filePath(QStringLiteral("stored.qrd"));
    const QString second = home.filePath(QStringLiteral("again.qrd"));
    {
        TGBusinessCardPanel32 panel;
        addBox(panel, 101, 51, 41, 21);
        addBox(panel, 7, 9, 33, 17);
        panel.SaveToFile(first);
    }
    {
        TGBusinessCardPanel32 panel;
        panel.SetZoom(1.3f);
        panel.LoadFromFile(first);
        QCOMPARE(panel.ObjectCount(), 2);
        QCOMPARE(panel.Objects().first()->Zoom(), 1.3f);
        QCOMPARE(panel.Objects().first()->BoundsRect(), TRect::FromBounds(131, 66, 53, 27));
        panel.SaveToFile(second);
    }
    TGBusinessCardPanel32 check;
    check.LoadFromFile(second);
    QCOMPARE(check.ObjectCount(), 2);
    QCOMPARE(check.Objects()[0]->BoundsRect(), TRect::FromBounds(101, 51, 41, 21));
    QCOMPARE(check.Objects()[1]->BoundsRect(), TRect::FromBounds(7, 9, 33, 17));
}

void TestPanelFiles::missingFileLeavesPanelUnchanged()
{
    TGBusinessCardPanel32 panel;
    addBox(panel, 10, 10, 10, 10);
    panel.LoadFromFile(home.filePath(QStringLiteral("nothing-here.qrd")));
    QCOMPARE(panel.ObjectCount(), 1);
}

void TestPanelFiles::clipboardFileLivesWithThePanel()
{
    TestClock clock;
    QString clipboard;
    {
        TGBusinessCardPanel32 panel;
        clipboard = panel.ClipboardPath();
        QVERIFY(clipboard.startsWith(home.path()));
        QVERIFY(clipboard.endsWith(QStringLiteral("/Clipbrd.tmp")));
        QFile::remove(clipboard);
        Box* a = addBox(panel, 20, 30, 40, 20);
        QAction* paste = nullptr;
        for (QAction* act : panel.ContextMenu()->actions())
            if (act->text() == QStringLiteral("Paste"))
                paste = act;
        panel.UpdateMenuEnabling();
        QVERIFY(!paste->isEnabled());
        panel.Handle().AddToSelection(a);
        panel.SelectionClipboard(caCopy);
        QVERIFY(QFile::exists(clipboard));
        panel.UpdateMenuEnabling();
        QVERIFY(paste->isEnabled());
        paste->trigger();
        QCOMPARE(panel.ObjectCount(), 2);
        QCOMPARE(panel.Objects().last()->BoundsRect(), TRect::FromBounds(35, 45, 40, 20));
        clock.advance(1000);
        paste->trigger();
        QCOMPARE(panel.ObjectCount(), 3);
        // Each paste lands 15 pixels from the stored positions: both copies coincide.
        QCOMPARE(panel.Objects().last()->BoundsRect(), TRect::FromBounds(35, 45, 40, 20));
    }
    QVERIFY(!QFile::exists(clipboard));
}

QTEST_MAIN(TestPanelFiles)
#include "tst_panel_files.moc"
