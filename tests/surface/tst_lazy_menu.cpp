// Context menus made on first use: objects read from a design carry no menu
// until something asks for it, and the menu then made is the one load
// completion decided (items, order, captions, check marks). Also: a card panel
// made by the batch tool leaves the program's clipboard file alone.
#include "objects/BusinessCardLabel.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "surface/BusinessCardPanel.h"
#include "surface/Handle.h"
#include "surface/ObjectFiler.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace bv;

namespace {

// A menu as lines: "-" for a separator, "[x]"/"[ ]" after a checkable item,
// submenu items indented under their caption.
QStringList describe(QMenu* menu, const QString& indent = QString())
{
    QStringList lines;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            lines << indent + QStringLiteral("-");
            continue;
        }
        QString line = indent + a->text();
        if (a->isCheckable())
            line += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
        lines << line;
        if (a->menu())
            lines << describe(a->menu(), indent + QStringLiteral("  "));
    }
    return lines;
}

QStringList baseItems(bool locked)
{
    return { "Bring To Front", "Send To Back", "Cut", "Copy", "Delete", "Clone", "-",
        locked ? "Locked [x]" : "Locked [ ]", "Unselectable", "-", "Center Vertically", "Center Horizontally" };
}

QStringList thicknessItems(int checked)
{
    QStringList lines { "Line Thickness" };
    for (int n = 1; n <= 10; ++n)
        lines << QStringLiteral("  %1 Point [%2]").arg(n).arg(n == checked ? 'x' : ' ');
    return lines;
}

QStringList checkedOneOf(const QStringList& captions, int checked, const QString& indent)
{
    QStringList lines;
    for (int i = 0; i < captions.size(); ++i)
        lines << indent + captions[i] + (i == checked ? QStringLiteral(" [x]") : QStringLiteral(" [ ]"));
    return lines;
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The design the tests open: every object kind with states that show in
// the menu, each in its own place on the card.
void makeDesign(TGBusinessCardPanel32& panel)
{
    auto place = [&panel](TGGraphicControl* o, int l, int t, int w, int h) {
        o->SetParent(&panel);
        o->SetBounds(l, t, w, h);
        o->Loaded();
        panel.AttachObject(o);
    };
    auto* round = new TBCShapes;
    round->SetShape(stRoundRect);
    TPen pen = round->Pen();
    pen.Width = 3;
    round->SetPen(pen);
    round->SetTransparent(true);
    round->SetLocked(true);
    place(round, 10, 10, 40, 30);

    auto* plain = new TGLabelShapes;
    pen.Width = 12; // wider than any item of the thickness submenu
    plain->SetPen(pen);
    place(plain, 60, 10, 40, 30);

    auto* line = new TGLineShape;
    line->SetLineStyle(stAngleSlopingUp);
    pen.Width = 5;
    line->SetPen(pen);
    place(line, 110, 10, 40, 30);

    auto* card = new TGBusinessCardLabel;
    card->SetCaption(QStringLiteral("Ada"));
    card->SetAlignment(taRightJustify);
    card->SetBorderStyle(bsSingle);
    card->SetTransparent(false);
    place(card, 10, 60, 120, 30);

    auto* turned = new TGPLabel;
    turned->SetCaption(QStringLiteral("Up"));
    place(turned, 160, 60, 40, 60);
    turned->SetAngle(180);
}

} // namespace

class TestLazyMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void readObjectsHaveNoMenuUntilAsked();
    void menuOfAReadObjectShowsItsState_data();
    void menuOfAReadObjectShowsItsState();
    void commandsBeforeTheMenuExistsShowWhenItIsMade();
    void roundingSubmenuFollowsTheShapeAtLoadCompletion();
    void cardPanelDeletesItsTemporaryFilesUnlessTold();
    void batchCommandsLeaveTheClipboardFile_data();
    void batchCommandsLeaveTheClipboardFile();

private:
    // Opens the test design into `panel` as the program opens a file.
    void open(TGBusinessCardPanel32& panel);

    QTemporaryDir home;
    QString design;
};

void TestLazyMenu::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    RegisterShapeClasses();
    RegisterLabelClasses();
    design = home.filePath(QStringLiteral("menus.qrd"));
    TGBusinessCardPanel32 source;
    makeDesign(source);
    source.SaveToFile(design);
}

void TestLazyMenu::open(TGBusinessCardPanel32& panel)
{
    TPersonalInfo info;
    info.Name = QStringLiteral("Ada Lovelace");
    panel.SetPersonalInfo(info);
    panel.LoadFromFile(design);
    QCOMPARE(panel.ObjectCount(), 5);
}

void TestLazyMenu::readObjectsHaveNoMenuUntilAsked()
{
    TGBusinessCardPanel32 panel;
    panel.resize(343, 191);
    open(panel);
    // Painting, selecting and cloning need no menu either.
    panel.grab();
    panel.Handle().AddToSelection(panel.Objects()[0]);
    panel.Objects()[0]->Clone();
    QCOMPARE(panel.ObjectCount(), 6);
    for (TGGraphicControl* o : panel.Objects())
        QVERIFY2(!o->HasContextMenu(), qPrintable(o->ClassName()));

    TGGraphicControl* first = panel.Objects()[0];
    QMenu* menu = first->ContextMenu();
    QVERIFY(menu);
    QVERIFY(first->HasContextMenu());
    QCOMPARE(first->ContextMenu(), menu);
    QVERIFY(!panel.Objects()[1]->HasContextMenu());
    // Asking for an item is asking for the menu.
    auto* line = dynamic_cast<TGLineShape*>(panel.Objects()[2]);
    QVERIFY(line);
    QVERIFY(line->StyleItem(stVertical));
    QVERIFY(line->HasContextMenu());
}

void TestLazyMenu::menuOfAReadObjectShowsItsState_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QStringList>("expected");

    const QStringList rounding = { "-", "Degree of Rounding", "  20 %", "  30 %", "  40 %", "  50 %", "  60 %",
        "  70 %", "  80 %" };
    QTest::newRow("round rectangle, pen 3, transparent, locked")
        << 0 << QPoint(30, 25)
        << baseItems(true) + QStringList { "-", "Background Color", "Line Color" } + thicknessItems(3)
            + QStringList { "-", "Transparent [x]" } + rounding;
    QTest::newRow("rectangle, pen 12")
        << 1 << QPoint(80, 25)
        << baseItems(false) + QStringList { "-", "Background Color", "Line Color" } + thicknessItems(0)
            + QStringList { "-", "Transparent [ ]" };
    QTest::newRow("line sloping up, pen 5")
        << 2 << QPoint(130, 25)
        << baseItems(false) + QStringList { "-", "Style" }
            + checkedOneOf({ "Horizontal", "Vertical", "Angled Sloping Up", "Angled Sloping Down" }, 2, "  ")
            + QStringList { "Color" } + thicknessItems(5) + QStringList { "-", "Stretch To Edges" };

    const QStringList rotation = { "No Rotation", "90 Degrees", "180 Degrees", "270 Degrees" };
    QStringList personal = { "Personal Information" };
    for (const char* field : { "Name", "Company", "Title", "Address 1", "Address 2", "Address 3", "Phone 1",
             "Phone 2", "EMail", "Fax" })
        personal << QStringLiteral("  ") + field + QLatin1Char('\t')
                + (qstrcmp(field, "Name") == 0 ? QStringLiteral("Ada Lovelace") : QString());
    // Alignment items in menu order: Left, Center, Right.
    QTest::newRow("card label, right aligned, border, opaque")
        << 3 << QPoint(20, 65)
        << personal + QStringList { "-" } + baseItems(false)
            + QStringList { "-", "Font", "3D Effects", "Alignment", "  Left [ ]", "  Center [ ]", "  Right [x]",
                "Transparent [ ]", "Background Color", "Border [x]", "-", "Text", "-", "Rotation" }
            + checkedOneOf(rotation, 0, "  ");
    QTest::newRow("label at 180 degrees, transparent")
        << 4 << QPoint(170, 65)
        << baseItems(false)
            + QStringList { "-", "Font", "3D Effects", "Alignment", "  Left [x]", "  Center [ ]", "  Right [ ]",
                "Transparent [x]", "Background Color", "Border [ ]", "-", "Text", "-", "Rotation" }
            + checkedOneOf(rotation, 2, "  ");
}

void TestLazyMenu::menuOfAReadObjectShowsItsState()
{
    QFETCH(int, index);
    QFETCH(QPoint, at);
    QFETCH(QStringList, expected);

    TGBusinessCardPanel32 panel;
    open(panel);
    TGGraphicControl* object = panel.Objects()[index];
    QVERIFY(!object->HasContextMenu());
    QCOMPARE(panel.ObjectAt(at.x(), at.y()), object);
    // A right-click on the object pops up its menu, made now.
    QTest::mouseMove(&panel, at);
    QTest::mouseClick(&panel, Qt::RightButton, {}, at);
    QVERIFY(object->HasContextMenu());
    QCOMPARE(QApplication::activePopupWidget(), object->ContextMenu());
    const QStringList shown = describe(object->ContextMenu());
    object->ContextMenu()->close();
    QCOMPARE(shown, expected);
}

void TestLazyMenu::commandsBeforeTheMenuExistsShowWhenItIsMade()
{
    TGBusinessCardPanel32 panel;
    open(panel);
    auto* round = dynamic_cast<TGLabelShapes*>(panel.Objects()[0]);
    auto* card = dynamic_cast<TGBusinessCardLabel*>(panel.Objects()[3]);
    QVERIFY(round && card);
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    // The commands that set check marks themselves, run while no menu exists.
    round->ToggleLocked();
    card->ToggleTransparent();
    card->SetLocked(true);
    QVERIFY(!round->HasContextMenu() && !card->HasContextMenu());
    QVERIFY(changed.count() >= 3);
    QVERIFY(!round->LockedMenuItem()->isChecked());
    QVERIFY(card->LockedMenuItem()->isChecked());
    QVERIFY(card->TransparentItem()->isChecked());
    // The check marks of the popup follow the properties from the first
    // explicit update on, menu or not.
    auto* plain = dynamic_cast<TGLabelShapes*>(panel.Objects()[1]);
    TPen pen = plain->Pen();
    pen.Width = 7;
    plain->SetPen(pen);
    plain->UpdateMenuChecks();
    QVERIFY(plain->ThicknessItem(7)->isChecked());
    QVERIFY(!plain->ThicknessItem(1)->isChecked());
    // After the menu exists the commands keep updating it.
    round->ToggleLocked();
    QVERIFY(round->LockedMenuItem()->isChecked());
    card->ToggleTransparent();
    QVERIFY(!card->TransparentItem()->isChecked());
}

void TestLazyMenu::roundingSubmenuFollowsTheShapeAtLoadCompletion()
{
    TGBusinessCardPanel32 panel;
    open(panel);
    auto* round = dynamic_cast<TGLabelShapes*>(panel.Objects()[0]);
    auto* plain = dynamic_cast<TGLabelShapes*>(panel.Objects()[1]);
    QVERIFY(round && plain);
    // Changing the shape between reading and the first popup neither removes
    // nor adds the submenu.
    round->SetShape(stEllipse);
    plain->SetShape(stRoundRect);
    QVERIFY(describe(round->ContextMenu()).contains(QStringLiteral("Degree of Rounding")));
    QVERIFY(!describe(plain->ContextMenu()).contains(QStringLiteral("Degree of Rounding")));
    // Choosing a degree still works on a menu made late.
    for (QAction* a : round->ContextMenu()->actions())
        if (a->menu() && a->text() == QStringLiteral("Degree of Rounding"))
            a->menu()->actions().at(3)->trigger();
    QCOMPARE(round->RoundPerc(), 50);
}

void TestLazyMenu::cardPanelDeletesItsTemporaryFilesUnlessTold()
{
    for (bool deletes : { true, false }) {
        auto panel = std::make_unique<TGBusinessCardPanel32>();
        QVERIFY(panel->DeletesTemporaryFiles());
        panel->SetDeletesTemporaryFiles(deletes);
        writeBytes(panel->ClipboardPath(), QByteArray("\x01\x00", 2));
        writeBytes(panel->TempFilePath(), QByteArray("temp"));
        panel.reset();
        const QString clipboard = home.filePath(QStringLiteral("Clipbrd.tmp"));
        const QString temp = home.filePath(QStringLiteral("TempFile.tmp"));
        QCOMPARE(QFile::exists(clipboard), !deletes);
        QCOMPARE(QFile::exists(temp), !deletes);
        QFile::remove(clipboard);
        QFile::remove(temp);
    }
}

void TestLazyMenu::batchCommandsLeaveTheClipboardFile_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("render") << QStringList { "render", "DESIGN", "OUT/card.png" };
    QTest::newRow("sheet") << QStringList { "sheet", "DESIGN", "OUT/sheet.pdf" };
    QTest::newRow("resave") << QStringList { "resave", "DESIGN", "OUT/again.qrd" };
}

void TestLazyMenu::batchCommandsLeaveTheClipboardFile()
{
    QFETCH(QStringList, args);
    // The running program's folder, with something on its clipboard.
    QTemporaryDir programHome;
    QTemporaryDir out;
    const QString clipboard = programHome.filePath(QStringLiteral("Clipbrd.tmp"));
    const QByteArray held = readBytes(design);
    writeBytes(clipboard, held);
    for (QString& a : args) {
        a.replace(QStringLiteral("DESIGN"), design);
        a.replace(QStringLiteral("OUT"), out.path());
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BRISVALE_HOME"), programHome.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(BRISVALE_BATCH), args);
    QVERIFY(p.waitForFinished(120000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QVERIFY(QFileInfo(args.last()).size() > 0);
    QVERIFY(QFile::exists(clipboard));
    QCOMPARE(readBytes(clipboard), held);
}

QTEST_MAIN(TestLazyMenu)
#include "tst_lazy_menu.moc"
