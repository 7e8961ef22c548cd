// The main window: start-up, change tracking, the document commands, recent
// files, zoom and keys, the layout commands, help and about, single instance.
#include "MainScreenKit.h"

#include "app/AboutBox.h"
#include "app/EditCardLayout.h"
#include "app/HelpBrowser.h"
#include "app/RecentFiles.h"
#include "app/SingleInstance.h"
#include "document/CardDocument.h"
#include "document/Settings.h"
#include "surface/CompanionFile.h"
#include "surface/Handle.h"

#include <QAction>
#include <QButtonGroup>
#include <algorithm>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>

using namespace bv;
using namespace bv::test;

namespace {

QStringList menuCaptions(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

// Saves the window's current design under `path` through Save As.
void saveAs(TMainScreen& w, ScriptedInteraction& ui, const QString& path)
{
    ui.answerSaveFile(path);
    QVERIFY(w.Document().mnuSaveAsClick());
}

// A design file with one rectangle, written by a window of its own.
void makeDesign(const QString& path, int left = 20)
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    w->Document().New1Click(); // start-up may have reopened another design
    addRectangle(*w, left, 30, 60, 40);
    saveAs(*w, ui, path);
}

} // namespace

class TestMainScreen : public QObject {
    Q_OBJECT
private slots:
    void init() { home = std::make_unique<ProgramHome>(); }
    void cleanup() { home.reset(); }
    void standardKeysReachTheirCommands_data();
    void standardKeysReachTheirCommands();

    void startupWithEmptyIni();
    void menusHaveTheirCaptionsInOrder();
    void toolPaletteSetsPanelStateAndReturnsAfterDrop();
    void writeIniEntryFollowsDevelopingFile();
    void startupReopensMostRecentDesign();
    void startupSkipsVanishedRecentFileSilently();
    void startupTakesStoredOrientation();
    void changeTrackingShowsSaveAndCancel();
    void saveWithoutNameBeeps();
    void saveAsProposesFirstFreeNumberedName();
    void saveAsWritesPairAndRemembersFile();
    void cancelChangesRevertsToFileOrEmpty();
    void newBlankReadsDefaultLayoutAgain();
    void openChecksExtension_data();
    void openChecksExtension();
    void openWithoutCompanionKeepsLayout();
    void openWithCompanionTakesLayoutAndOrientation();
    void openWithPlainTextCompanionTakesBackground();
    void failedOpenLeavesEmptyUnnamedDesign();
    void deleteRemovesCompanionAndKeepsScreen();
    void recentFilesKeepFiveMostRecent();
    void recentFileThatVanishedIsDropped();
    void declinedSaveAbandonsCommand_data();
    void declinedSaveAbandonsCommand();
    void failedSaveKeepsDesignChanged();
    void answeringNoDiscardsAndGoesOn();
    void zoomStepsAndLimits();
    void keypadKeysZoomOnRelease();
    void pageKeysScrollTheCard();
    void clickBesideCardClearsSelection();
    void changeLayoutRotatesCard();
    void saveLayoutAsDefaultWritesIni();
    void printCommandsFollowPrinterCheck();
    void defaultFontCaptionAndCommand();
    void aboutBoxShowsVersion();
    void helpEntriesOpenTheirTopics();
    void closingSavesPlacement();
    void secondInstanceActivatesFirst();

private:
    std::unique_ptr<ProgramHome> home;
};

void TestMainScreen::startupWithEmptyIni()
{
    writeFile(home->path(QStringLiteral("QRD.INI")), QByteArray());
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(w->Document().CardLayout(), TCardLayout());
    QCOMPARE(w->Document().CardLayout().Across, 2);
    QCOMPARE(w->Document().CardLayout().Down, 5);
    QCOMPARE(cardPanel(*w)->size(), QSize(336, 192));
    QCOMPARE(cardPanel(*w)->pos(), QPoint(10, 7));
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("100%"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Untitled[*] — Brisvale"));
    QVERIFY(!action(*w, "mnuSave")->isEnabled());
    QVERIFY(child<QPushButton>(*w, "Savebutton")->isHidden());
    QVERIFY(child<QPushButton>(*w, "Cancelbutton")->isHidden());
    QVERIFY(!w->Document().ChangesMade());
    QVERIFY(!w->Document().Loading());
    QVERIFY(w->Document().CurrentFileName().isEmpty());
    QVERIFY(std::all_of(w->Printing().SelectedCards.begin(), w->Printing().SelectedCards.end(), [](bool b) { return b; }));
    QVERIFY(child<QToolButton>(*w, "Pointerbutton")->isChecked());
    for (const char* folder : { "bmbrush", "saved", "bg", "qrdt" })
        QVERIFY2(QFileInfo(home->path(QString::fromLatin1(folder))).isDir(), folder);
    QVERIFY(child<TRecentFiles>(*w, "RecentFiles")->Actions().isEmpty());
    QVERIFY(ui.log().isEmpty());
}

void TestMainScreen::menusHaveTheirCaptionsInOrder()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(menuCaptions(child<QMenu>(*w, "File1")),
        QStringList({ "&New - Blank", "New - Select From Templates", "&Open", "&Delete", "-", "Save", "Save &As...",
            "Save As Bitmap", "Save As JPG", "E&xport as PNG...", "Export S&heet as PDF...",
            "Export for Print Sho&p...", "-", "&Print", "Pre&view",
            "Preview S&heet", "-", "Printer S&etup", "Printer Fine &Tuning",
            "Print O&utline Test Page", "--------Write Ini------", "-", "E&xit" }));
    QCOMPARE(action(*w, "mnuSave")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(menuCaptions(child<QMenu>(*w, "Edit1")),
        QStringList({ "&Undo", "&Redo", "-", "Cu&t", "&Copy", "&Paste", "&Delete", "Clo&ne", "Select &All", "-",
            "Default Font: Arial, 10 pt ", "Change all fonts to...", "&Personal Information",
            "&Set or Change Background Art", "-", "Save Current Layout as Default", "Change Business Card Layout" }));
    QCOMPARE(menuCaptions(child<QMenu>(*w, "Help1")),
        QStringList({ "&Contents", "&About", "Configuration Information", "Technical Support",
            "Frequently Asked Questions", "-", "Visit the Bonus Artwork Web Page", "Visit Our Internet Website" }));
    // Every named widget can be found by its name.
    for (const char* name : { "Pointerbutton", "DrawLabelButton", "DrawMLTextButton", "DrawSymbolButton",
             "DrawRectanglebutton", "DrawEllipseButton", "DrawRoundrectbutton", "DrawLinebutton", "DrawImageButton",
             "DrawSupershape", "DrawRichText", "DrawSuperTextButton", "DrawCircleTextbutton", "AssistButton",
             "ShowGrid", "SnapToGrid", "SetBackgroundArtButton", "ZoomSpinner", "ZoomCaption", "Savebutton",
             "Cancelbutton", "PrintButton", "Previewbutton", "Helpbutton", "MouseHelpButton", "ScrollBox1",
             "BusinessCardPanel" })
        QVERIFY2(w->findChild<QWidget*>(QString::fromLatin1(name)), name);
    QCOMPARE(child<QToolButton>(*w, "DrawSupershape")->toolTip(), QStringLiteral("Supershape tool \nMulti-purpose shapes and surfaces"));
    QCOMPARE(child<TZoomSpinner>(*w, "ZoomSpinner")->toolTip(),
        QStringLiteral("Press plus (+) or minus (-) to \nincrease or decrease the zoom percentage"));
    QCOMPARE(child<QPushButton>(*w, "PrintButton")->text(), QStringLiteral("&Print"));
    QCOMPARE(child<QPushButton>(*w, "Previewbutton")->text(), QStringLiteral("Pre&view"));
    QCOMPARE(child<QPushButton>(*w, "Helpbutton")->text(), QStringLiteral("&Help"));
}

void TestMainScreen::toolPaletteSetsPanelStateAndReturnsAfterDrop()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    auto* panel = cardPanel(*w);
    // Tools whose kind of object exists can be used; the others are shown disabled.
    QVERIFY(child<QToolButton>(*w, "DrawRectanglebutton")->isEnabled());
    QVERIFY(child<QToolButton>(*w, "DrawLinebutton")->isEnabled());
    QCOMPARE(child<QToolButton>(*w, "DrawSupershape")->isEnabled(), TGBusinessCardPanel32::HasCreator(psSuperShape));
    QCOMPARE(child<QToolButton>(*w, "DrawCircleTextbutton")->isEnabled(), TGBusinessCardPanel32::HasCreator(psCircleText));

    QTest::mouseClick(child<QToolButton>(*w, "DrawEllipseButton"), Qt::LeftButton);
    QCOMPARE(panel->PanelState(), psEllipse);
    QVERIFY(child<QToolButton>(*w, "DrawEllipseButton")->isChecked());
    QVERIFY(!child<QToolButton>(*w, "Pointerbutton")->isChecked());

    // Drawing a band on the card makes an ellipse; the palette returns to the pointer.
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(40, 30));
    QTest::mouseMove(panel, QPoint(90, 60));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(90, 60));
    QCoreApplication::processEvents();
    QCOMPARE(panel->ObjectCount(), 1);
    QCOMPARE(panel->PanelState(), psPointing);
    QVERIFY(child<QToolButton>(*w, "Pointerbutton")->isChecked());
    QVERIFY(w->Document().ChangesMade());

    // Grid and snap buttons are independent toggles.
    QTest::mouseClick(child<QToolButton>(*w, "ShowGrid"), Qt::LeftButton);
    QVERIFY(panel->ShowGrid());
    QVERIFY(!panel->SnapToGrid());
    QTest::mouseClick(child<QToolButton>(*w, "SnapToGrid"), Qt::LeftButton);
    QVERIFY(panel->SnapToGrid());
    QTest::mouseClick(child<QToolButton>(*w, "ShowGrid"), Qt::LeftButton);
    QVERIFY(!panel->ShowGrid());
    QVERIFY(panel->SnapToGrid());
}

void TestMainScreen::writeIniEntryFollowsDevelopingFile()
{
    ScriptedInteraction ui;
    {
        auto w = startMainScreen();
        QVERIFY(!action(*w, "WriteIni")->isVisible());
    }
    writeFile(home->path(QStringLiteral("IAmDeveloping.dat")), "1");
    auto w = startMainScreen();
    QVERIFY(action(*w, "WriteIni")->isVisible());
}

void TestMainScreen::startupReopensMostRecentDesign()
{
    const QString path = home->saved(QStringLiteral("Smith.QRD"));
    makeDesign(path);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(w->Document().CurrentFileName(), path);
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    QCOMPARE(w->windowTitle(), QStringLiteral("Smith.QRD[*] — Brisvale"));
    QVERIFY(!w->Document().ChangesMade());
    QVERIFY(child<QPushButton>(*w, "Savebutton")->isHidden());
    QVERIFY(action(*w, "mnuSave")->isEnabled());
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Actions().constFirst()->text(), QStringLiteral("&1 ") + path);
}

void TestMainScreen::startupSkipsVanishedRecentFileSilently()
{
    const QString kept = home->saved(QStringLiteral("Kept.QRD"));
    makeDesign(kept);
    const QString gone = home->saved(QStringLiteral("Gone.QRD"));
    TSettings().StoreRecentFiles({ gone, kept });
    ScriptedInteraction ui; // any message would fail the test
    auto w = startMainScreen();
    QVERIFY(w->Document().CurrentFileName().isEmpty());
    QCOMPARE(cardPanel(*w)->ObjectCount(), 0);
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Files(), QStringList({ gone, kept }));
    QCOMPARE(w->windowTitle(), QStringLiteral("Untitled[*] — Brisvale"));
    QVERIFY(ui.log().isEmpty());
}

void TestMainScreen::startupTakesStoredOrientation()
{
    ProfileFile ini(IniPath());
    ini.WriteInteger(QStringLiteral("Layout"), QStringLiteral("Portrait"), 1);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QVERIFY(cardPanel(*w)->Rotated());
    QCOMPARE(cardPanel(*w)->size(), QSize(192, 336));
}

void TestMainScreen::changeTrackingShowsSaveAndCancel()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 10, 10, 40, 30);
    QVERIFY(w->Document().ChangesMade());
    QVERIFY(!child<QPushButton>(*w, "Savebutton")->isHidden());
    QVERIFY(!child<QPushButton>(*w, "Cancelbutton")->isHidden());
    QCOMPARE(child<QPushButton>(*w, "Savebutton")->text(), QStringLiteral("Save As"));

    // The Save button of an unnamed design runs Save As.
    ui.answerSaveFile(home->saved(QStringLiteral("Tracked.QRD")));
    QTest::mouseClick(child<QPushButton>(*w, "Savebutton"), Qt::LeftButton);
    QVERIFY(ui.allUsed());
    QVERIFY(!w->Document().ChangesMade());
    QVERIFY(child<QPushButton>(*w, "Savebutton")->isHidden());
    QCOMPARE(w->windowTitle(), QStringLiteral("Tracked.QRD[*] — Brisvale"));

    // A move through the selection frame is a change; Save then shows "Save".
    auto* object = cardPanel(*w)->Objects().constFirst();
    object->SetLeft(object->Left() + 8);
    QVERIFY(w->Document().ChangesMade());
    QCOMPARE(child<QPushButton>(*w, "Savebutton")->text(), QStringLiteral("Save"));
    // Now it saves to the file without asking.
    QTest::mouseClick(child<QPushButton>(*w, "Savebutton"), Qt::LeftButton);
    QVERIFY(!w->Document().ChangesMade());
    QVERIFY(ui.allUsed());
    // Zooming rescales the objects without counting as a change.
    w->Document().SetChangesMade(false);
    w->ZoomIn();
    QVERIFY(!w->Document().ChangesMade());
}

void TestMainScreen::saveWithoutNameBeeps()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 10, 10, 40, 30);
    QVERIFY(!w->Document().mnuSaveClick());
    QCOMPARE(ui.beeps(), 1);
    QVERIFY(w->Document().ChangesMade());
}

void TestMainScreen::saveAsProposesFirstFreeNumberedName()
{
    writeFile(home->saved(QStringLiteral("BC0001.QRD")), "x");
    writeFile(home->saved(QStringLiteral("BC0002.QRD")), "x");
    ScriptedInteraction ui;
    auto w = startMainScreen();
    ui.answerSaveFile(QString());
    QVERIFY(!w->Document().mnuSaveAsClick());
    QCOMPARE(ui.lastFileChoice.fileName, QStringLiteral("BC0003.QRD"));
    QCOMPARE(QDir(ui.lastFileChoice.folder), QDir(home->path(QStringLiteral("saved"))));
    QCOMPARE(ui.lastFileChoice.defaultSuffix, QStringLiteral("QRD"));
    QVERIFY(ui.lastFileChoice.confirmOverwrite);

    QCOMPARE(TDocumentCommands::FirstFreeDesignName(home->saved(QString())), QStringLiteral("BC0003.QRD"));
    // With a name, the name without folder is proposed.
    const QString named = home->saved(QStringLiteral("Jones.QRD"));
    saveAs(*w, ui, named);
    ui.answerSaveFile(QString());
    w->Document().mnuSaveAsClick();
    QCOMPARE(ui.lastFileChoice.fileName, QStringLiteral("Jones.QRD"));
}

void TestMainScreen::saveAsWritesPairAndRemembersFile()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 10, 10, 40, 30);
    // Objects outside the card are purged before saving.
    addRectangle(*w, 400, 10, 40, 30);
    const QString path = home->saved(QStringLiteral("Pair.QRD"));
    saveAs(*w, ui, path);
    QVERIFY(QFileInfo::exists(path));
    const CompanionData companion = ReadCompanionFile(home->saved(QStringLiteral("Pair.QRE")));
    QVERIFY(companion.isIni);
    QCOMPARE(companion.layout.width, 3500);
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    QCOMPARE(TSettings().LoadRecentFiles(), QStringList({ path }));
    QCOMPARE(w->Document().CurrentFileName(), path);
    QVERIFY(action(*w, "mnuSave")->isEnabled());

    // Save (Ctrl+S) writes to the same file.
    addRectangle(*w, 60, 60, 20, 20);
    QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!w->Document().ChangesMade());
    auto reread = startMainScreen();
    QCOMPARE(cardPanel(*reread)->ObjectCount(), 2);
}

void TestMainScreen::cancelChangesRevertsToFileOrEmpty()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 10, 10, 40, 30);
    ui.answerYesNo(false);
    QTest::mouseClick(child<QPushButton>(*w, "Cancelbutton"), Qt::LeftButton);
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    QCOMPARE(ui.log().constLast().caption, QStringLiteral("CANCEL"));
    QCOMPARE(ui.log().constLast().text, QStringLiteral("Cancel all changes?"));

    // Unnamed: the card becomes empty with its layout.
    TCardLayout layout = w->Document().CardLayout();
    layout.Width = 3.0f;
    w->Document().SetCardLayout(layout);
    ui.answerYesNo(true);
    w->Document().CancelbuttonClick();
    QCOMPARE(cardPanel(*w)->ObjectCount(), 0);
    QCOMPARE(w->Document().CardLayout().Width, 3.0f);
    QVERIFY(!w->Document().ChangesMade());

    // Named: the saved design comes back.
    addRectangle(*w, 10, 10, 40, 30);
    saveAs(*w, ui, home->saved(QStringLiteral("Revert.QRD")));
    addRectangle(*w, 100, 10, 40, 30);
    QCOMPARE(cardPanel(*w)->ObjectCount(), 2);
    ui.answerYesNo(true);
    w->Document().CancelbuttonClick();
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    QVERIFY(!w->Document().ChangesMade());
    QVERIFY(child<QPushButton>(*w, "Cancelbutton")->isHidden());
}

void TestMainScreen::newBlankReadsDefaultLayoutAgain()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 10, 10, 40, 30);
    saveAs(*w, ui, home->saved(QStringLiteral("Old.QRD")));
    ProfileFile ini(IniPath());
    ini.WriteInteger(QStringLiteral("Layout"), QStringLiteral("Portrait"), 1);
    ini.WriteInteger(QStringLiteral("Layout"), QStringLiteral("Width"), 3000);
    w->Document().New1Click();
    QCOMPARE(cardPanel(*w)->ObjectCount(), 0);
    QVERIFY(w->Document().CurrentFileName().isEmpty());
    QVERIFY(cardPanel(*w)->Rotated());
    QCOMPARE(cardPanel(*w)->size(), QSize(192, 288));
    QCOMPARE(w->windowTitle(), QStringLiteral("Untitled[*] — Brisvale"));
    QVERIFY(!action(*w, "mnuSave")->isEnabled());
    QVERIFY(!w->Document().ChangesMade());
}

void TestMainScreen::openChecksExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("upper") << "Card.QRD" << true;
    QTest::newRow("lower") << "card.qrd" << true;
    QTest::newRow("mixed") << "Card.Qrd" << true;
    QTest::newRow("companion") << "Card.QRE" << false;
    QTest::newRow("none") << "Card" << false;
}

void TestMainScreen::openChecksExtension()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    const QString path = home->saved(name);
    if (accepted)
        makeDesign(path);
    else
        writeFile(path, "not a design");
    ScriptedInteraction ui;
    auto w = startMainScreen();
    w->Document().New1Click();
    ui.answerOpenFile(path);
    if (!accepted)
        ui.expectInfo();
    w->Document().Open1Click();
    QCOMPARE(ui.lastFileChoice.title, QStringLiteral("Open Business Card"));
    QCOMPARE(QDir(ui.lastFileChoice.folder), QDir(home->path(QStringLiteral("saved"))));
    if (accepted) {
        QCOMPARE(w->Document().CurrentFileName(), path);
        QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    } else {
        QCOMPARE(ui.messages(), QStringList({ QStringLiteral("Must be a QRD (Brisvale) file") }));
        QVERIFY(w->Document().CurrentFileName().isEmpty());
    }
}

void TestMainScreen::openWithoutCompanionKeepsLayout()
{
    const QString path = home->saved(QStringLiteral("Bare.QRD"));
    makeDesign(path);
    QVERIFY(QFile::remove(home->saved(QStringLiteral("Bare.QRE"))));
    ScriptedInteraction ui;
    auto w = startMainScreen(); // reopens Bare.QRD at start-up
    w->Document().New1Click();
    TCardLayout layout = w->Document().CardLayout();
    layout.Width = 3.0f;
    layout.Down = 4;
    layout.Portrait = true;
    w->Document().SetCardLayout(layout);
    w->Document().SetBackgroundFile(home->path(QStringLiteral("bg/old.bmp")));
    cardPanel(*w)->SetRotated(true);
    QVERIFY(w->Document().OpenBCFile(path));
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    QVERIFY(w->Document().BackgroundFile().isEmpty());
    QCOMPARE(w->Document().CardLayout(), layout);
    QVERIFY(!cardPanel(*w)->Rotated());
    QCOMPARE(cardPanel(*w)->size(), QSize(288, 192));
}

void TestMainScreen::openWithCompanionTakesLayoutAndOrientation()
{
    const QString path = home->saved(QStringLiteral("Tall.QRD"));
    makeDesign(path);
    CompanionLayout stored;
    stored.usePortrait = true;
    stored.across = 3;
    stored.topMargin = 250;
    const QString art = home->path(QStringLiteral("bg/wide.bmp"));
    QDir().mkpath(home->path(QStringLiteral("bg")));
    QImage wide(336, 192, QImage::Format_RGB32);
    wide.fill(Qt::yellow);
    QVERIFY(wide.save(art, "BMP"));
    WriteCompanionFile(CompanionPath(path), art, stored);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(w->Document().CurrentFileName(), path);
    QCOMPARE(w->Document().BackgroundFile(), art);
    // The background art stands with the card.
    QCOMPARE(cardPanel(*w)->ColorPicture().size(), QSize(192, 336));
    QVERIFY(w->Document().CardLayout().Portrait);
    QCOMPARE(w->Document().CardLayout().Across, 3);
    QCOMPARE(w->Document().CardLayout().TopMargin, 0.25f);
    QVERIFY(cardPanel(*w)->Rotated());
    // A rotated 3.5 × 2 inch card at 96 pixels per inch.
    QCOMPARE(cardPanel(*w)->size(), QSize(192, 336));
    // Zoomed, the card keeps its proportions and the stored geometry survives.
    w->ZoomIn();
    w->ZoomIn();
    QVERIFY(w->Document().OpenBCFile(path));
    QCOMPARE(cardPanel(*w)->size(), QSize(Round(192 * 1.2L), Round(336 * 1.2L)));
}

void TestMainScreen::openWithPlainTextCompanionTakesBackground()
{
    const QString path = home->saved(QStringLiteral("Art.QRD"));
    makeDesign(path);
    const QString art = home->path(QStringLiteral("bg/sky.bmp"));
    QImage sky(70, 40, QImage::Format_RGB32);
    sky.fill(QColor(0, 128, 255));
    QDir().mkpath(home->path(QStringLiteral("bg")));
    QVERIFY(sky.save(art, "BMP"));
    writeFile(CompanionPath(path), (art + QStringLiteral("\r\nsecond line\r\n")).toUtf8());
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(w->Document().BackgroundFile(), art);
    QVERIFY(!cardPanel(*w)->ColorPicture().isNull());
    QVERIFY(!cardPanel(*w)->Rotated());
}

void TestMainScreen::failedOpenLeavesEmptyUnnamedDesign()
{
    const QString good = home->saved(QStringLiteral("Good.QRD"));
    makeDesign(good);
    const QString bad = home->saved(QStringLiteral("Bad.QRD"));
    writeFile(bad, "this is not an object stream");
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(w->Document().CurrentFileName(), good);
    ui.answerOpenFile(bad);
    ui.expectInfo();
    w->Document().Open1Click();
    QCOMPARE(ui.messages(),
        QStringList({ QStringLiteral("Unable to open ") + bad + QStringLiteral(". Possibly corrupted, possibly not a QRD file") }));
    QCOMPARE(cardPanel(*w)->ObjectCount(), 0);
    QVERIFY(!w->Document().ChangesMade());
    // The name of the design open before is gone, so Save cannot overwrite it.
    QVERIFY(w->Document().CurrentFileName().isEmpty());
    QVERIFY(!action(*w, "mnuSave")->isEnabled());
    QCOMPARE(w->windowTitle(), QStringLiteral("Untitled[*] — Brisvale"));
    QVERIFY(!child<TRecentFiles>(*w, "RecentFiles")->Files().contains(bad));
}

void TestMainScreen::deleteRemovesCompanionAndKeepsScreen()
{
    const QString path = home->saved(QStringLiteral("x.QRD"));
    makeDesign(path);
    const QString companion = home->saved(QStringLiteral("x.QRE"));
    QVERIFY(QFileInfo::exists(companion));
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(w->Document().CurrentFileName(), path);

    // Declining keeps both files.
    ui.answerOpenFile(path);
    ui.answerYesNo(false);
    w->Document().Delete1Click();
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(ui.log().constLast().text, QStringLiteral("Delete ") + path + QStringLiteral("?"));
    QCOMPARE(ui.log().constLast().caption, QStringLiteral("CONFIRM"));

    ui.answerOpenFile(path);
    ui.answerYesNo(true);
    w->Document().Delete1Click();
    QCOMPARE(ui.lastFileChoice.title, QStringLiteral("Delete Business Card"));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!QFileInfo::exists(companion));
    // The design on screen is untouched, even though it was the deleted file.
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    QCOMPARE(w->Document().CurrentFileName(), path);

    // A design without companion is deleted alone; a wrong extension is refused.
    const QString lone = home->saved(QStringLiteral("lone.QRD"));
    writeFile(lone, "x");
    const QString other = home->saved(QStringLiteral("lone.txt"));
    writeFile(other, "x");
    ui.answerOpenFile(other);
    ui.expectInfo();
    w->Document().Delete1Click();
    QVERIFY(QFileInfo::exists(other));
    ui.answerOpenFile(lone);
    ui.answerYesNo(true);
    w->Document().Delete1Click();
    QVERIFY(!QFileInfo::exists(lone));
}

void TestMainScreen::recentFilesKeepFiveMostRecent()
{
    QStringList paths;
    for (int i = 1; i <= 6; ++i) {
        paths << home->saved(QStringLiteral("R%1.QRD").arg(i));
        makeDesign(paths.last());
    }
    ScriptedInteraction ui;
    auto w = startMainScreen();
    for (const QString& p : paths)
        QVERIFY(w->Document().OpenBCFile(p));
    const QStringList expected = { paths[5], paths[4], paths[3], paths[2], paths[1] };
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Files(), expected);
    QCOMPARE(TSettings().LoadRecentFiles(), expected);
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Actions().size(), 5);
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Actions().at(1)->text(), QStringLiteral("&2 ") + paths[4]);

    // Reopening a listed file from the menu moves it up without a duplicate.
    child<TRecentFiles>(*w, "RecentFiles")->Actions().at(3)->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(w->Document().CurrentFileName(), paths[2]);
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Files(), QStringList({ paths[2], paths[5], paths[4], paths[3], paths[1] }));
    const QStringList fileCaptions = menuCaptions(child<QMenu>(*w, "File1"));
    QCOMPARE(fileCaptions.mid(fileCaptions.indexOf(QStringLiteral("E&xit")) + 1, 2), QStringList({ "-", "&1 " + paths[2] }));

    // Paths are compared without regard to case.
    TRecentFiles list(nullptr, 5);
    list.Add(QStringLiteral("/cards/Smith.QRD"));
    list.Add(QStringLiteral("/cards/Jones.QRD"));
    list.Add(QStringLiteral("/CARDS/smith.qrd"));
    QCOMPARE(list.Files(), QStringList({ "/CARDS/smith.qrd", "/cards/Jones.QRD" }));
}

void TestMainScreen::recentFileThatVanishedIsDropped()
{
    const QString a = home->saved(QStringLiteral("A.QRD"));
    const QString b = home->saved(QStringLiteral("B.QRD"));
    makeDesign(a);
    makeDesign(b);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Files(), QStringList({ b, a }));
    QVERIFY(QFile::remove(a));
    ui.expectInfo();
    w->Document().ReopenRecentFile(a);
    QCOMPARE(ui.messages(), QStringList({ a + QStringLiteral(" no longer exists") }));
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Files(), QStringList({ b }));
    QCOMPARE(w->Document().CurrentFileName(), b);
}

void TestMainScreen::declinedSaveAbandonsCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("new") << "new";
    QTest::newRow("open") << "open";
    QTest::newRow("reopen") << "reopen";
    QTest::newRow("exit") << "exit";
    QTest::newRow("close") << "close";
}

// Answering Yes to "Save changes?" on an unnamed design and then cancelling
// Save As must not throw the design away.
void TestMainScreen::declinedSaveAbandonsCommand()
{
    QFETCH(QString, command);
    const QString other = home->saved(QStringLiteral("Other.QRD"));
    makeDesign(other);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    w->Document().New1Click();
    addRectangle(*w, 10, 10, 40, 30);
    addRectangle(*w, 60, 10, 40, 30);
    ui.answerYesNo(true);
    ui.answerSaveFile(QString());
    if (command == QLatin1String("new"))
        w->Document().New1Click();
    else if (command == QLatin1String("open"))
        w->Document().Open1Click(); // no open dialog may follow
    else if (command == QLatin1String("reopen"))
        w->Document().ReopenRecentFile(other);
    else if (command == QLatin1String("exit"))
        w->Document().Exit1Click();
    else
        QVERIFY(!w->close());
    QVERIFY(ui.allUsed());
    QCOMPARE(ui.log().first().text, QStringLiteral("Save changes?"));
    QCOMPARE(ui.log().first().caption, QStringLiteral("Save"));
    QCOMPARE(cardPanel(*w)->ObjectCount(), 2);
    QVERIFY(w->Document().ChangesMade());
    QVERIFY(!child<QPushButton>(*w, "Savebutton")->isHidden());
    QVERIFY(w->isVisible());
    QVERIFY(w->Document().CurrentFileName().isEmpty());
    QCOMPARE(child<TRecentFiles>(*w, "RecentFiles")->Files(), QStringList({ other }));
}

void TestMainScreen::failedSaveKeepsDesignChanged()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 10, 10, 40, 30);
    // The target is a folder, so the design file cannot be written.
    const QString blocked = home->saved(QStringLiteral("Blocked.QRD"));
    QVERIFY(QDir().mkpath(blocked));
    ui.expectError();
    ui.answerSaveFile(blocked);
    QVERIFY(!w->Document().mnuSaveAsClick());
    QCOMPARE(ui.log().constLast().kind, QStringLiteral("ShowError"));
    QVERIFY(ui.log().constLast().text.contains(blocked));
    QVERIFY(w->Document().ChangesMade());
    QVERIFY(w->Document().CurrentFileName().isEmpty());
    QVERIFY(TSettings().LoadRecentFiles().isEmpty());

    // Named design whose file became unwritable: Save reports it and New is abandoned.
    w->Document().SetCurrentFileName(blocked);
    ui.expectError();
    QVERIFY(!w->Document().mnuSaveClick());
    QVERIFY(w->Document().ChangesMade());
    ui.answerYesNo(true);
    ui.expectError();
    w->Document().New1Click();
    QVERIFY(ui.allUsed());
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
    QVERIFY(w->Document().ChangesMade());
    QCOMPARE(w->Document().CurrentFileName(), blocked);
}

void TestMainScreen::answeringNoDiscardsAndGoesOn()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 10, 10, 40, 30);
    ui.answerYesNo(false);
    w->Document().New1Click();
    QCOMPARE(cardPanel(*w)->ObjectCount(), 0);
    QVERIFY(!w->Document().ChangesMade());

    // Yes with a name saves to it and goes on.
    addRectangle(*w, 10, 10, 40, 30);
    const QString path = home->saved(QStringLiteral("Kept.QRD"));
    saveAs(*w, ui, path);
    addRectangle(*w, 60, 10, 40, 30);
    ui.answerYesNo(true);
    w->Document().New1Click();
    QCOMPARE(cardPanel(*w)->ObjectCount(), 0);
    QVERIFY(w->Document().OpenBCFile(path));
    QCOMPARE(cardPanel(*w)->ObjectCount(), 2);
}

void TestMainScreen::zoomStepsAndLimits()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    auto* object = addRectangle(*w, 10, 10, 40, 30);
    cardPanel(*w)->Handle().AddToSelection(object);
    QVERIFY(cardPanel(*w)->Handle().HasSelection());
    const QStringList captions = { "110%", "120%", "130%", "140%", "150%" };
    for (const QString& caption : captions) {
        QTest::mouseClick(child<QToolButton>(*w, "ZoomUpButton"), Qt::LeftButton);
        QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), caption);
    }
    QVERIFY(!cardPanel(*w)->Handle().HasSelection());
    const Single top = cardPanel(*w)->Zoom();
    QVERIFY(top > 1.5f);
    const QSize size = cardPanel(*w)->size();
    QVERIFY(size.width() > 500 && size.height() > 285);
    QTest::mouseClick(child<QToolButton>(*w, "ZoomUpButton"), Qt::LeftButton);
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("150%"));
    QCOMPARE(cardPanel(*w)->Zoom(), top);
    for (const char* caption : { "140%", "130%", "120%", "110%", "100%" }) {
        QTest::mouseClick(child<QToolButton>(*w, "ZoomDownButton"), Qt::LeftButton);
        QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QString::fromLatin1(caption));
    }
    QCOMPARE(cardPanel(*w)->Zoom(), 1.0f);
    QTest::mouseClick(child<QToolButton>(*w, "ZoomDownButton"), Qt::LeftButton);
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("100%"));
    QCOMPARE(cardPanel(*w)->Zoom(), 1.0f);
    QCOMPARE(cardPanel(*w)->size(), QSize(336, 192));
    QVERIFY(!w->Document().Loading());
}

void TestMainScreen::keypadKeysZoomOnRelease()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    auto* panel = cardPanel(*w);
    QTest::keyPress(panel, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("100%"));
    QTest::keyRelease(panel, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("110%"));
    // The plus and minus of the main keyboard zoom as well, once a key.
    QTest::keyClick(panel, Qt::Key_Plus);
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("120%"));
    QTest::keyClick(panel, Qt::Key_Minus);
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("110%"));
    QTest::keyClick(panel, Qt::Key_Minus, Qt::KeypadModifier);
    QCOMPARE(child<QLabel>(*w, "ZoomCaption")->text(), QStringLiteral("100%"));
}

void TestMainScreen::pageKeysScrollTheCard()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    w->resize(420, 220);
    for (int i = 0; i < 5; ++i)
        w->ZoomIn();
    QCoreApplication::processEvents();
    QScrollBar* bar = child<QScrollArea>(*w, "ScrollBox1")->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(cardPanel(*w), Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
    QTest::keyClick(cardPanel(*w), Qt::Key_PageUp);
    QCOMPARE(bar->value(), bar->maximum() - bar->singleStep());
    QTest::keyClick(cardPanel(*w), Qt::Key_Home);
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(cardPanel(*w), Qt::Key_PageDown);
    QCOMPARE(bar->value(), bar->singleStep());
}

void TestMainScreen::clickBesideCardClearsSelection()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    auto* object = addRectangle(*w, 10, 10, 40, 30);
    cardPanel(*w)->Handle().AddToSelection(object);
    QWidget* holder = cardPanel(*w)->parentWidget();
    QTest::mouseClick(holder, Qt::LeftButton, {}, QPoint(holder->width() - 3, holder->height() - 3));
    QVERIFY(!cardPanel(*w)->Handle().HasSelection());
    QCOMPARE(cardPanel(*w)->ObjectCount(), 1);
}

void TestMainScreen::changeLayoutRotatesCard()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TEditCardLayout&>(dialog);
        d.show();
        QCoreApplication::processEvents();
        d.ePortrait->setChecked(true);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return dialog.result();
    });
    w->Document().ChangeCardLayout1Click();
    QVERIFY(w->Document().CardLayout().Portrait);
    QVERIFY(cardPanel(*w)->Rotated());
    QCOMPARE(cardPanel(*w)->size(), QSize(192, 336));
    QVERIFY(w->Document().ChangesMade());

    // Cancel leaves everything as it was.
    w->Document().SetChangesMade(false);
    ui.answerDialog([](QDialog&) { return mrCancel; });
    w->Document().ChangeCardLayout1Click();
    QVERIFY(!w->Document().ChangesMade());
    QCOMPARE(cardPanel(*w)->size(), QSize(192, 336));
}

void TestMainScreen::saveLayoutAsDefaultWritesIni()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    TCardLayout layout = w->Document().CardLayout();
    layout.Width = 3.25f;
    w->Document().SetCardLayout(layout);
    ui.answerYesNo(false);
    w->Document().SaveCurrentLayoutasDefault1Click();
    QCOMPARE(TSettings().LoadLayoutPreferences(TCardLayout()).Width, 3.5f);
    ui.answerYesNo(true);
    w->Document().SaveCurrentLayoutasDefault1Click();
    QCOMPARE(ui.log().constLast().text, QStringLiteral("Save the current card layout as your default layout?"));
    QCOMPARE(ui.log().constLast().caption, QStringLiteral("Card Layout"));
    QCOMPARE(TSettings().LoadLayoutPreferences(TCardLayout()).Width, 3.25f);
}

void TestMainScreen::printCommandsFollowPrinterCheck()
{
    {
        ScriptedInteraction ui;
        auto w = startMainScreen();
        QVERIFY(w->PrinterAvailable());
        QVERIFY(child<QPushButton>(*w, "PrintButton")->isEnabled());
        QVERIFY(action(*w, "mnuPrinterSetup")->isEnabled());
    }
    home->printers.names.clear();
    home->printers.defaultName.clear();
    ScriptedInteraction ui;
    ui.expectInfo();
    auto w = startMainScreen();
    QCOMPARE(ui.messages(),
        QStringList({ QStringLiteral("There are no installed printers.\nUnable to perform printer related operations") }));
    QVERIFY(!w->PrinterAvailable());
    for (QWidget* b : { static_cast<QWidget*>(child<QPushButton>(*w, "PrintButton")), static_cast<QWidget*>(child<QPushButton>(*w, "Previewbutton")) })
        QVERIFY(!b->isEnabled());
    for (QAction* a : { action(*w, "mnuPrint"), action(*w, "mnuPreview"), action(*w, "mnuPrinterSetup"), action(*w, "mnuPrinterFineTuning"), action(*w, "mnuPrintOutlineTestPage") })
        QVERIFY(!a->isEnabled());
}

void TestMainScreen::defaultFontCaptionAndCommand()
{
    ProfileFile ini(IniPath());
    ini.WriteString(QStringLiteral("Default Font"), QStringLiteral("Name"), QStringLiteral("Times New Roman"));
    ini.WriteInteger(QStringLiteral("Default Font"), QStringLiteral("Size"), 12);
    ini.WriteBool(QStringLiteral("Default Font"), QStringLiteral("Bold"), true);
    ini.WriteBool(QStringLiteral("Default Font"), QStringLiteral("Italic"), true);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QCOMPARE(action(*w, "mnuDefaultFont")->text(), QStringLiteral("Default Font: Times New Roman, 12 pt , bold, italic"));
    QCOMPARE(cardPanel(*w)->PanelFont().Height, -16);

    // Cancelling still shows the note and writes the unchanged font back.
    QFile::remove(IniPath());
    ui.answerFont(std::nullopt);
    ui.expectInfo();
    w->mnuDefaultFontClick();
    QCOMPARE(ui.messages().constLast(),
        QStringLiteral("Note: the default font is used for NEW objects only.\nTo change the font of an existing object, "
                       "click it\nwith the RIGHT MOUSE BUTTON and select FONT"));
    QCOMPARE(TSettings().LoadPreferences().DefaultFont.Name, QStringLiteral("Times New Roman"));

    QFont chosen(QStringLiteral("Arial"));
    chosen.setPointSize(9);
    chosen.setUnderline(true);
    ui.answerFont(chosen);
    ui.expectInfo();
    w->mnuDefaultFontClick();
    QCOMPARE(action(*w, "mnuDefaultFont")->text(), QStringLiteral("Default Font: Arial, 9 pt , underline"));
    const TDefaultFont stored = TSettings().LoadPreferences().DefaultFont;
    QCOMPARE(stored.Size, 9);
    QVERIFY(stored.Underline && !stored.Bold);
}

void TestMainScreen::aboutBoxShowsVersion()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QStringList texts;
    QString title;
    ui.answerDialog([&](QDialog& dialog) {
        title = dialog.windowTitle();
        for (QLabel* l : dialog.findChildren<QLabel*>())
            texts << l->text();
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("OkButton"));
        if (!ok)
            return -1;
        texts << ok->text();
        QTest::mouseClick(ok, Qt::LeftButton);
        return dialog.result();
    });
    action(*w, "About1")->trigger();
    QVERIFY(ui.allUsed());
    QCOMPARE(title, QStringLiteral("About Brisvale"));
    QVERIFY(texts.contains(QStringLiteral("%1-bit version").arg(sizeof(void*) * 8)));
    QVERIFY(texts.contains(QStringLiteral("Version 3.3f")));
    QVERIFY(texts.contains(QStringLiteral("Ok")));
    QCOMPARE(ui.log().constLast().kind, QStringLiteral("RunModal"));
}

void TestMainScreen::helpEntriesOpenTheirTopics()
{
    ScriptedInteraction ui;
    auto w = startMainScreen();
    QTest::mouseClick(child<QPushButton>(*w, "Helpbutton"), Qt::LeftButton);
    QCOMPARE(HelpBrowser::Instance().Source(), HelpBrowser::TopicUrl(2016));
    action(*w, "TechnicalSupport1")->trigger();
    QCOMPARE(HelpBrowser::Instance().Source(), HelpBrowser::TopicUrl(1041));
    action(*w, "FrequentlyAskedQuestions1")->trigger();
    QCOMPARE(HelpBrowser::Instance().Source(), HelpBrowser::TopicUrl(911));
    action(*w, "Contents1")->trigger();
    QCOMPARE(HelpBrowser::Instance().Source(), HelpBrowser::ContentsUrl());
    HelpBrowser::Instance().hide();
}

void TestMainScreen::closingSavesPlacement()
{
    ScriptedInteraction ui;
    // At least 640 x 480, and no narrower than the tool palette lets the
    // window be; placed so that it fits the offscreen screen.
    QRect placed;
    {
        auto w = startMainScreen();
        placed = QRect(QPoint(4, 50), w->minimumSizeHint().expandedTo(QSize(640, 480)));
        w->setGeometry(placed);
        QVERIFY(w->close());
    }
    ProfileFile ini(IniPath());
    QCOMPARE(ini.ReadInteger(QStringLiteral("TMainScreen_Placement"), QStringLiteral("Right"), 0), 4 + placed.width());
    QCOMPARE(ini.ReadInteger(QStringLiteral("TMainScreen_Placement"), QStringLiteral("Bottom"), 0), 50 + placed.height());
    auto w = startMainScreen();
    QCOMPARE(w->geometry(), placed);
}

void TestMainScreen::secondInstanceActivatesFirst()
{
    const QString name = QStringLiteral("brisvale-test-%1").arg(QCoreApplication::applicationPid());
    TSingleInstance first(name);
    int activations = 0;
    first.onActivate = [&] { ++activations; };
    QVERIFY(!first.AnotherIsRunning());
    TSingleInstance second(name);
    QVERIFY(second.AnotherIsRunning());
    QTRY_COMPARE(activations, 1);
    // A different program name is not disturbed by this one.
    TSingleInstance other(name + QStringLiteral("-other"));
    QVERIFY(!other.AnotherIsRunning());
}

void TestMainScreen::standardKeysReachTheirCommands_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("action");
    QTest::newRow("new") << QKeySequence(Qt::CTRL | Qt::Key_N) << "New1";
    QTest::newRow("open") << QKeySequence(Qt::CTRL | Qt::Key_O) << "Open1";
    QTest::newRow("save as") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S) << "mnuSaveAs";
    QTest::newRow("print") << QKeySequence(Qt::CTRL | Qt::Key_P) << "mnuPrint";
    QTest::newRow("undo") << QKeySequence(Qt::CTRL | Qt::Key_Z) << "mnuUndo";
    QTest::newRow("redo") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) << "mnuRedo";
    QTest::newRow("redo, the other key") << QKeySequence(Qt::CTRL | Qt::Key_Y) << "mnuRedo";
    QTest::newRow("select all") << QKeySequence(Qt::CTRL | Qt::Key_A) << "mnuSelectAll";
    QTest::newRow("zoom in") << QKeySequence(Qt::CTRL | Qt::Key_Plus) << "mnuZoomIn";
    QTest::newRow("zoom in, =") << QKeySequence(Qt::CTRL | Qt::Key_Equal) << "mnuZoomIn";
    QTest::newRow("zoom out") << QKeySequence(Qt::CTRL | Qt::Key_Minus) << "mnuZoomOut";
    QTest::newRow("help") << QKeySequence(Qt::Key_F1) << "Contents1";
    QTest::newRow("quit") << QKeySequence(Qt::CTRL | Qt::Key_Q) << "Exit1";
}

void TestMainScreen::standardKeysReachTheirCommands()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, action);
    ScriptedInteraction ui;
    auto w = startMainScreen();
    addRectangle(*w, 20, 20, 60, 30);
    w->Document().SetChangesMade(false);
    auto* target = w->findChild<QAction*>(action);
    QVERIFY(target);
    if (action == QLatin1String("mnuRedo"))
        bv::test::action(*w, "mnuUndo")->trigger(); // something to redo
    // Commands that ask something are answered with Cancel; the rest run.
    ui.answerOpenFile(QString());
    ui.answerSaveFile(QString());
    ui.answerDialog([](QDialog&) { return int(mrCancel); });
    ui.allowMessages();
    QSignalSpy spy(target, &QAction::triggered);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTest::keySequence(cardPanel(*w), keys);
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestMainScreen)
#include "tst_mainscreen.moc"
