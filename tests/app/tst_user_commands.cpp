// Commands as a user reaches them: the Edit menu's selection commands and
// their keys, a label's 3-D effects from its context menu, the About box,
// and a design whose background art was kept in a folder this machine
// does not have.
#include "MainScreenKit.h"
#include "app/LoadBackGround.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Font3DEffects.h"
#include "support/UserInput.h"
#include "surface/Handle.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

using namespace bv;
using namespace bv::test;

namespace {

// Opens a menu of the menu bar as a click on its title does.
QMenu* openMenu(TMainScreen& w, const char* name)
{
    auto* menu = child<QMenu>(w, name);
    QMenuBar* bar = w.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    for (int i = 0; i < 50 && !menu->isVisible(); ++i)
        QTest::qWait(10);
    return menu;
}

void clickMenuItem(QMenu& menu, const QString& text)
{
    for (QAction* a : menu.actions()) {
        if (a->text().remove(QLatin1Char('&')) == text) {
            QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(a).center());
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no menu item ") + text));
}

// Selects an object as a click on it does.
void clickObject(TGBusinessCardPanel32& panel, const TGGraphicControl& o)
{
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(o.Left() + o.Width() / 2, o.Top() + o.Height() / 2));
}

} // namespace

class TestUserCommands : public QObject {
    Q_OBJECT
private slots:
    void editMenuSelectionCommands_data();
    void editMenuSelectionCommands();
    void threeDEffectsShowTheLabelsText();
    void aboutTellsTheBuildsWordSize();
    void backgroundArtFoundByNameInTheBgFolder();

private:
    ProgramHome home;
};

// Cut, Copy, Paste, Delete and Clone in the Edit menu, enabled when they
// can act, and their keys.
void TestUserCommands::editMenuSelectionCommands_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("pasteAfter");
    QTest::addColumn<int>("objectsAfter");
    QTest::newRow("Cut, then Paste") << "Cut" << QKeySequence(QKeySequence::Cut) << true << 2;
    QTest::newRow("Copy, then Paste") << "Copy" << QKeySequence(QKeySequence::Copy) << true << 3;
    QTest::newRow("Delete") << "Delete" << QKeySequence(QKeySequence::Delete) << false << 1;
    QTest::newRow("Clone") << "Clone" << QKeySequence(Qt::CTRL | Qt::Key_D) << false << 3;
}

void TestUserCommands::editMenuSelectionCommands()
{
    QFETCH(QString, item);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, pasteAfter);
    QFETCH(int, objectsAfter);
    for (const bool byMenu : { true, false }) {
        QFile::remove(home.path(QStringLiteral("Clipbrd.tmp")));
        ScriptedInteraction ui;
        ui.allowMessages();
        auto w = startMainScreen();
        TGBusinessCardPanel32& panel = *cardPanel(*w);
        addRectangle(*w, 20, 20, 60, 40);
        TBCShapes* chosen = addRectangle(*w, 120, 60, 60, 40, 0x00FF00);

        // Nothing selected: the menu offers none of them.
        QMenu* edit = openMenu(*w, "Edit1");
        for (const char* name : { "mnuCut", "mnuCopy", "mnuDelete", "mnuClone" })
            QVERIFY2(!action(*w, name)->isEnabled(), name);
        edit->hide();

        clickObject(panel, *chosen);
        QCOMPARE(panel.Handle().SelectionCount(), 1);
        if (byMenu) {
            edit = openMenu(*w, "Edit1");
            for (const char* name : { "mnuCut", "mnuCopy", "mnuDelete", "mnuClone" })
                QVERIFY2(action(*w, name)->isEnabled(), name);
            clickMenuItem(*edit, item);
        } else {
            QTest::keySequence(&panel, keys);
        }
        if (pasteAfter) {
            if (byMenu) {
                edit = openMenu(*w, "Edit1");
                QVERIFY(action(*w, "mnuPaste")->isEnabled());
                clickMenuItem(*edit, QStringLiteral("Paste"));
            } else {
                QTest::keySequence(&panel, QKeySequence(QKeySequence::Paste));
            }
        }
        QCoreApplication::processEvents();
        QTRY_COMPARE(panel.ObjectCount(), objectsAfter);
        if (item == QLatin1String("Clone")) {
            const TGGraphicControl* copy = panel.Objects().last();
            QCOMPARE(QRect(copy->Left(), copy->Top(), copy->Width(), copy->Height()), QRect(120, 85, 60, 40));
        }
    }
}

// The 3-D effects dialog, opened from a label's context menu, tries the
// effects out on the label's own text.
void TestUserCommands::threeDEffectsShowTheLabelsText()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    TGBusinessCardPanel32& panel = *cardPanel(*w);
    ui.answerDialog([&](QDialog& d) {
        return workDialog(d, [&] {
            typeInto(*d.findChild<QLineEdit*>(QStringLiteral("LabelText")), QStringLiteral("Acme Ltd"));
            clickButton(*d.findChild<QPushButton*>(QStringLiteral("OKButton")));
        });
    });
    clickButton(*child<QToolButton>(*w, "DrawLabelButton"));
    dragOn(panel, QPoint(30, 30), QPoint(30, 30));
    QCOMPARE(panel.ObjectCount(), 1);
    TGGraphicControl& label = *panel.Objects().first();

    QString sampleText;
    ui.answerDialog([&](QDialog& d) {
        auto& effects = static_cast<TGFont3DEffects&>(d);
        return workDialog(d, [&] {
            sampleText = effects.Sample()->Caption();
            clickButton(*d.findChild<QPushButton*>(QStringLiteral("OKButton")));
        });
    });
    QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(label.Left() + 5, label.Top() + 5));
    QMenu* menu = label.ContextMenu();
    QTRY_VERIFY(menu->isVisible());
    clickMenuItem(*menu, QStringLiteral("3D Effects"));
    QVERIFY(ui.allUsed());
    QCOMPARE(sampleText, QStringLiteral("Acme Ltd"));
}

void TestUserCommands::aboutTellsTheBuildsWordSize()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QString platform;
    ui.answerDialog([&](QDialog& d) {
        return workDialog(d, [&] { platform = d.findChild<QLabel*>(QStringLiteral("PlatformLabel"))->text(); });
    });
    action(*w, "About1")->trigger();
    QVERIFY(ui.allUsed());
    QCOMPARE(platform, QStringLiteral("%1-bit version").arg(sizeof(void*) * 8));
}

// A design made on another machine names its background by that machine's
// folder; opened here, the picture of that name in "bg" is on the card.
void TestUserCommands::backgroundArtFoundByNameInTheBgFolder()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QImage art(336, 192, QImage::Format_RGB32);
    art.fill(QColor(0, 0, 200));
    QVERIFY(art.save(BackgroundFolder() + QStringLiteral("Deep Blue.bmp")));
    addRectangle(*w, 10, 10, 20, 20);
    const QString design = home.saved(QStringLiteral("Copied.QRD"));
    ui.answerSaveFile(design);
    action(*w, "mnuSaveAs")->trigger();
    QVERIFY(QFileInfo::exists(design));
    for (const QString& stored : { QStringLiteral("C:\\My Cards\\Art\\DEEP BLUE.BMP"),
             QStringLiteral("/home/someone/brisvale/bg/Deep Blue.bmp") }) {
        {
            ProfileFile companion(home.saved(QStringLiteral("Copied.QRE")));
            companion.WriteString(QStringLiteral("Background"), QStringLiteral("File"), stored);
        }
        ui.answerSaveChanges(SaveAnswer::DontSave);
        ui.answerOpenFile(design);
        action(*w, "Open1")->trigger();
        QCOMPARE(QFileInfo(w->Document().BackgroundFile()).fileName(), QStringLiteral("Deep Blue.bmp"));
        QCOMPARE(cardPanel(*w)->RenderToBitmap().pixelColor(200, 150), QColor(0, 0, 200));
    }
}

QTEST_MAIN(TestUserCommands)
#include "tst_user_commands.moc"
