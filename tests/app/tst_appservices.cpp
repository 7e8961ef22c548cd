// Application services: placement of forms, saved window positions, the
// printer check and help topics.
#include "app/HelpBrowser.h"
#include "document/AppServices.h"
#include "platform/Environment.h"
#include "platform/ProfileFile.h"
#include "support/FakePrinters.h"
#include "support/ScriptedInteraction.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

// Stand-ins named like the program's two windows with saved placement (in a
// namespace of their own, as the real windows live in the same library).
namespace bv::standin {
class TMainScreen : public QWidget {
    Q_OBJECT
};
class TPreviewForm : public QWidget {
    Q_OBJECT
};
} // namespace bv::standin

using namespace bv;
using namespace bv::standin;
using bv::test::FakePrinters;
using bv::test::ScriptedInteraction;

namespace {
const QString noPrinters = QStringLiteral("There are no installed printers.\nUnable to perform printer related operations");
const QString noDefault = QStringLiteral("There is no default printer selected.\nUnable to perform printer related operations");

void writePlacement(const QString& section, int left, int top, int right, int bottom, std::optional<bool> maximized = {})
{
    ProfileFile ini(IniPath());
    ini.WriteInteger(section, QStringLiteral("Left"), left);
    ini.WriteInteger(section, QStringLiteral("Top"), top);
    ini.WriteInteger(section, QStringLiteral("Right"), right);
    ini.WriteInteger(section, QStringLiteral("Bottom"), bottom);
    if (maximized)
        ini.WriteBool(section, QStringLiteral("Maximized"), *maximized);
}
} // namespace

class TestAppServices : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void sectionNameCarriesPpiAbove96_data();
    void sectionNameCarriesPpiAbove96();
    void placementRoundTrip();
    void restoreBringsRectangleOnScreen_data();
    void restoreBringsRectangleOnScreen();
    void restoreWithoutSavedRectangleCentres_data();
    void restoreWithoutSavedRectangleCentres();
    void restoreMaximised();
    void centreFormOverMainWindow();
    void centreFormOnScreenWhenMainMaximised();
    void printerReady_data();
    void printerReady();
    void printerCheckNeverRaises();
    void messageBoxesGoThroughTheSeam();
    void helpTopics_data();
    void helpTopics();
    void contentsLinksEveryTopic();

private:
    QTemporaryDir home;
};

void TestAppServices::initTestCase()
{
    QVERIFY(home.isValid());
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
}

void TestAppServices::init()
{
    QFile::remove(IniPath());
    OverrideScreenMetrics(ScreenMetrics{1024, 768, 96});
    SetMainForm(nullptr);
}

void TestAppServices::cleanup()
{
    OverrideScreenMetrics(std::nullopt);
    SetMainForm(nullptr);
}

void TestAppServices::sectionNameCarriesPpiAbove96_data()
{
    QTest::addColumn<int>("ppi");
    QTest::addColumn<QString>("section");
    QTest::newRow("96") << 96 << QStringLiteral("TMainScreen_Placement");
    QTest::newRow("72") << 72 << QStringLiteral("TMainScreen_Placement");
    QTest::newRow("97") << 97 << QStringLiteral("TMainScreen_Placement97");
    QTest::newRow("120") << 120 << QStringLiteral("TMainScreen_Placement120");
}

void TestAppServices::sectionNameCarriesPpiAbove96()
{
    QFETCH(int, ppi);
    QFETCH(QString, section);
    OverrideScreenMetrics(ScreenMetrics{1024, 768, ppi});
    TMainScreen form;
    QCOMPARE(FormClassName(form), QStringLiteral("TMainScreen"));
    form.setGeometry(10, 20, 300, 200);
    SaveWindowPlacement(form);
    ProfileFile ini(IniPath());
    QCOMPARE(ini.ReadSections(), QStringList{section});
    QCOMPARE(ini.ReadSection(section), (QStringList{"Left", "Top", "Right", "Bottom", "Maximized"}));
}

void TestAppServices::placementRoundTrip()
{
    TPreviewForm saved;
    saved.setGeometry(40, 50, 320, 240);
    SaveWindowPlacement(saved);
    ProfileFile ini(IniPath());
    QCOMPARE(ini.ReadInteger(QStringLiteral("TPreviewForm_Placement"), QStringLiteral("Right"), 0), 360);
    QCOMPARE(ini.ReadInteger(QStringLiteral("TPreviewForm_Placement"), QStringLiteral("Bottom"), 0), 290);
    QCOMPARE(ini.ReadBool(QStringLiteral("TPreviewForm_Placement"), QStringLiteral("Maximized"), true), false);

    TPreviewForm restored;
    restored.resize(100, 100);
    RestoreWindowPlacement(restored);
    QCOMPARE(restored.geometry(), QRect(40, 50, 320, 240));
    // Another class has its own section.
    TMainScreen other;
    other.setGeometry(5, 5, 100, 100);
    RestoreWindowPlacement(other);
    QCOMPARE(other.size(), QSize(100, 100));
}

void TestAppServices::restoreBringsRectangleOnScreen_data()
{
    QTest::addColumn<QRect>("saved"); // left, top, right, bottom as x1,y1,x2,y2 (exclusive)
    QTest::addColumn<int>("frameTop"); // the title bar's height (the side frame is 4 with one)
    QTest::addColumn<QRect>("expected");
    // Screen 800 × 600.
    QTest::newRow("inside stays") << QRect(QPoint(100, 50), QPoint(500, 400)) << 0 << QRect(100, 50, 400, 350);
    QTest::newRow("100 beyond the right edge moves left 100")
        << QRect(QPoint(300, 50), QPoint(900, 400)) << 0 << QRect(200, 50, 600, 350);
    QTest::newRow("wider than the screen narrows to it")
        << QRect(QPoint(50, 50), QPoint(900, 400)) << 0 << QRect(0, 50, 800, 350);
    QTest::newRow("100 beyond the bottom moves up 100")
        << QRect(QPoint(10, 200), QPoint(400, 700)) << 0 << QRect(10, 100, 390, 500);
    QTest::newRow("higher than the screen shortens to it")
        << QRect(QPoint(10, 20), QPoint(400, 700)) << 0 << QRect(10, 0, 390, 600);
    QTest::newRow("partly left of the screen stays, its top comes down")
        << QRect(QPoint(-8, -8), QPoint(500, 400)) << 0 << QRect(-8, 0, 508, 408);
    QTest::newRow("wholly left of the screen comes back")
        << QRect(QPoint(-900, 50), QPoint(-300, 400)) << 0 << QRect(1, 50, 600, 350);
    QTest::newRow("wholly above the screen comes back")
        << QRect(QPoint(10, -500), QPoint(400, -100)) << 0 << QRect(10, 1, 390, 400);
    // 900 × 638 saved at scale 1 on a 1600 × 1000 screen, which is 800 × 500
    // at scale 2 (here 800 × 600): it fits the screen with its frame.
    QTest::newRow("a size saved at scale 1, restored at scale 2")
        << QRect(QPoint(350, 181), QPoint(1250, 819)) << 30 << QRect(8, 34, 792, 566);
    QTest::newRow("the title bar comes onto the screen")
        << QRect(QPoint(100, 5), QPoint(500, 305)) << 30 << QRect(100, 30, 400, 300);
}

void TestAppServices::restoreBringsRectangleOnScreen()
{
    QFETCH(QRect, saved);
    QFETCH(int, frameTop);
    QFETCH(QRect, expected);
    OverrideScreenMetrics(ScreenMetrics { 800, 600, 96, frameTop, frameTop > 0 ? 4 : 0 });
    // QRect(QPoint, QPoint) keeps the corners as given; the file holds
    // exclusive right and bottom edges.
    writePlacement(QStringLiteral("TMainScreen_Placement"), saved.left(), saved.top(), saved.right(), saved.bottom(), false);
    TMainScreen form;
    form.resize(200, 100);
    RestoreWindowPlacement(form);
    QCOMPARE(form.geometry(), expected);
    QVERIFY(!form.isMaximized());
}

void TestAppServices::restoreWithoutSavedRectangleCentres_data()
{
    QTest::addColumn<bool>("writeSection");
    QTest::addColumn<QRect>("saved");
    QTest::newRow("no section") << false << QRect();
    QTest::newRow("zeros") << true << QRect(QPoint(0, 0), QPoint(0, 0));
    QTest::newRow("bottom 0") << true << QRect(QPoint(10, 10), QPoint(300, 0));
    QTest::newRow("empty rectangle") << true << QRect(QPoint(300, 300), QPoint(100, 320));
}

void TestAppServices::restoreWithoutSavedRectangleCentres()
{
    QFETCH(bool, writeSection);
    QFETCH(QRect, saved);
    OverrideScreenMetrics(ScreenMetrics{800, 600, 96});
    if (writeSection)
        writePlacement(QStringLiteral("TMainScreen_Placement"), saved.left(), saved.top(), saved.right(), saved.bottom());
    TMainScreen form;
    form.resize(301, 201);
    RestoreWindowPlacement(form);
    // Designed size, centred on the screen (halves cut toward zero).
    QCOMPARE(form.geometry(), QRect(249, 199, 301, 201));
}

void TestAppServices::restoreMaximised()
{
    writePlacement(QStringLiteral("TMainScreen_Placement"), 10, 10, 300, 300, true);
    TMainScreen form;
    form.setGeometry(20, 30, 100, 100);
    RestoreWindowPlacement(form);
    QVERIFY(form.isMaximized());

    // Without the key, a form that is maximised stays so.
    QFile::remove(IniPath());
    TMainScreen already;
    already.setWindowState(Qt::WindowMaximized);
    RestoreWindowPlacement(already);
    QVERIFY(already.isMaximized());

    // Saving a maximised form records it.
    SaveWindowPlacement(already);
    QVERIFY(ProfileFile(IniPath()).ReadBool(QStringLiteral("TMainScreen_Placement"), QStringLiteral("Maximized"), false));
}

void TestAppServices::centreFormOverMainWindow()
{
    TMainScreen main;
    main.setGeometry(100, 50, 501, 301);
    SetMainForm(&main);

    QWidget dialog;
    dialog.resize(200, 100);
    CentreForm(dialog);
    QCOMPARE(dialog.pos(), QPoint(100 + 150, 50 + 100));

    // A form larger than the main window: the negative half is cut toward
    // zero too.
    QWidget big;
    big.resize(800, 500);
    CentreForm(big);
    QCOMPARE(big.pos(), QPoint(100 + (501 - 800) / 2, 50 + (301 - 500) / 2));
    QCOMPARE(big.pos(), QPoint(100 - 149, 50 - 99));

    // The main window itself goes to the middle of the screen.
    CentreForm(main);
    QCOMPARE(main.pos(), QPoint((1024 - 501) / 2, (768 - 301) / 2));
}

void TestAppServices::centreFormOnScreenWhenMainMaximised()
{
    TMainScreen main;
    main.setGeometry(100, 50, 500, 300);
    main.setWindowState(Qt::WindowMaximized);
    SetMainForm(&main);
    QWidget dialog;
    dialog.resize(201, 101);
    CentreForm(dialog);
    QCOMPARE(dialog.pos(), QPoint((1024 - 201) / 2, (768 - 101) / 2));

    // No main window at all: the screen.
    SetMainForm(nullptr);
    QWidget other;
    other.resize(24, 68);
    CentreForm(other);
    QCOMPARE(other.pos(), QPoint(500, 350));
}

void TestAppServices::printerReady_data()
{
    QTest::addColumn<QStringList>("printers");
    QTest::addColumn<QString>("defaultPrinter");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QString>("message");
    QTest::newRow("no printers") << QStringList() << QString() << false << noPrinters;
    QTest::newRow("no printers but a default name") << QStringList() << QStringLiteral("ghost") << false << noPrinters;
    QTest::newRow("printers without default") << QStringList{"Laser", "Inkjet"} << QString() << false << noDefault;
    QTest::newRow("blank default") << QStringList{"Laser"} << QStringLiteral("  ") << false << noDefault;
    QTest::newRow("default printer") << QStringList{"Laser", "Inkjet"} << QStringLiteral("Inkjet") << true << QString();
}

void TestAppServices::printerReady()
{
    QFETCH(QStringList, printers);
    QFETCH(QString, defaultPrinter);
    QFETCH(bool, ready);
    QFETCH(QString, message);
    FakePrinters fake(printers, defaultPrinter);
    {
        ScriptedInteraction ui;
        if (!message.isEmpty())
            ui.expectInfo();
        QCOMPARE(PrinterReady(true), ready);
        QCOMPARE(ui.messages(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty())
            QCOMPARE(ui.log().constFirst().caption, QStringLiteral("Information"));
    }
    {
        ScriptedInteraction ui; // any message now fails the test
        QCOMPARE(PrinterReady(false), ready);
        QVERIFY(ui.log().isEmpty());
    }
}

void TestAppServices::printerCheckNeverRaises()
{
    FakePrinters fake({"Laser"}, QStringLiteral("Laser"));
    fake.failing = true;
    ScriptedInteraction ui;
    QCOMPARE(PrinterReady(true), false);
    QVERIFY(ui.log().isEmpty());
}

void TestAppServices::messageBoxesGoThroughTheSeam()
{
    ScriptedInteraction ui;
    ui.answerYesNo(true);
    ui.answerYesNo(false);
    ui.expectInfo();
    QVERIFY(AskYesNo(QStringLiteral("Save changes?"), QStringLiteral("Save")));
    QVERIFY(!AskYesNo(QStringLiteral("Delete x?"), QStringLiteral("CONFIRM")));
    ShowInfo(QStringLiteral("Saved as x"));
    QCOMPARE(ui.log().size(), 3);
    QCOMPARE(ui.log()[0].caption, QStringLiteral("Save"));
    QCOMPARE(ui.log()[1].caption, QStringLiteral("CONFIRM"));
    QCOMPARE(ui.log()[2].caption, QStringLiteral("Information"));
    QVERIFY(ui.allUsed());
}

void TestAppServices::helpTopics_data()
{
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("page");
    // Every help context the program's commands and dialogs open.
    for (int n : {911, 1041, 2016, 2020, 2039, 2101, 2102, 2103, 2105, 2200, 2201, 3101,
                  40001, 40003, 40004, 40005, 40008, 40011, 40012, 40013, 40014, 40017, 40020})
        QTest::newRow(qPrintable(QString::number(n))) << n << QStringLiteral("qrc:/help/%1.html").arg(n);
    QTest::newRow("unknown shows contents") << 12345 << QStringLiteral("qrc:/help/contents.html");
    QTest::newRow("zero shows contents") << 0 << QStringLiteral("qrc:/help/contents.html");
}

void TestAppServices::helpTopics()
{
    QFETCH(int, context);
    QFETCH(QString, page);
    ShowHelpTopic(context);
    HelpBrowser& help = HelpBrowser::Instance();
    QVERIFY(help.isVisible());
    QCOMPARE(help.Source(), QUrl(page));
    // A real page, with a title of its own.
    auto* text = help.findChild<QTextBrowser*>(QStringLiteral("HelpText"));
    QVERIFY(text);
    QVERIFY(!text->documentTitle().isEmpty());
    QVERIFY(text->toPlainText().size() > 80);
    if (context != 3101)
        return;
    QVERIFY(text->toPlainText().contains(QStringLiteral("Horizontal Pitch")));
    ShowHelpContents();
    QCOMPARE(help.Source(), HelpBrowser::ContentsUrl());
    // Back returns to the topic.
    auto* back = help.findChild<QToolButton*>(QStringLiteral("BackButton"));
    QVERIFY(back && back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(help.Source(), QUrl(page));
}

void TestAppServices::contentsLinksEveryTopic()
{
    const QList<int> topics = HelpBrowser::Topics();
    QVERIFY(topics.size() >= 22);
    QFile contents(QStringLiteral(":/help/contents.html"));
    QVERIFY(contents.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(contents.readAll());
    QSet<int> linked;
    for (const auto& m : QRegularExpression(QStringLiteral("href=\"(\\d+)\\.html\"")).globalMatch(html))
        linked.insert(m.captured(1).toInt());
    QCOMPARE(linked, QSet<int>(topics.begin(), topics.end()));
    // And every link between pages leads to a page that exists.
    for (int n : topics) {
        QFile page(QStringLiteral(":/help/%1.html").arg(n));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        for (const auto& m : QRegularExpression(QStringLiteral("href=\"([^\"]+)\"")).globalMatch(text))
            QVERIFY2(QFile::exists(QStringLiteral(":/help/") + m.captured(1)), qPrintable(m.captured(1)));
    }
}

QTEST_MAIN(TestAppServices)
#include "tst_appservices.moc"
