// The quick-tips assistant: paging of the topic buttons, the answer page a
// picked topic lands on, and where the window goes beside the main window.
#include "widgets/AssistantOru.h"
#include "widgets/AssistantOruForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTest>

using namespace bv;

namespace {

void fill(TAssistantOru& a, int count)
{
    QStringList q;
    QStringList ans;
    for (int i = 1; i <= count; ++i) {
        q << QStringLiteral("Question %1?").arg(i);
        ans << QStringLiteral("Answer %1.").arg(i);
    }
    a.SetTopics(q, ans);
}

int visibleTopicButtons(const TAssistantOruForm& f)
{
    int n = 0;
    for (TTipButton* b : f.GButtons)
        n += b->isVisibleTo(f.Notebook1->widget(0)) && b->isEnabled() ? 1 : 0;
    return n;
}

} // namespace

class TestAssistant : public QObject {
    Q_OBJECT
private slots:
    void paging_data();
    void paging();
    void answerPage_data();
    void answerPage();
    void placement_data();
    void placement();
    void showAgainResetsAndFollowsTheMainWindow();
};

void TestAssistant::paging_data()
{
    QTest::addColumn<int>("topics");
    QTest::addColumn<int>("moreClicks");
    QTest::addColumn<int>("prevClicks");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("firstCaption");
    QTest::addColumn<bool>("previousVisible");
    QTest::addColumn<bool>("moreVisible");

    QTest::newRow("nine topics, first page") << 9 << 0 << 0 << 5 << "Question 1?" << false << true;
    QTest::newRow("nine topics, second page") << 9 << 1 << 0 << 4 << "Question 6?" << true << false;
    QTest::newRow("nine topics, back to the first") << 9 << 1 << 1 << 5 << "Question 1?" << false << true;
    QTest::newRow("exactly five topics") << 5 << 0 << 0 << 5 << "Question 1?" << false << false;
    QTest::newRow("ten topics, second page full") << 10 << 1 << 0 << 5 << "Question 6?" << true << false;
    QTest::newRow("twelve topics, middle page") << 12 << 1 << 0 << 5 << "Question 6?" << true << true;
    QTest::newRow("twelve topics, last page") << 12 << 2 << 0 << 2 << "Question 11?" << true << false;
    QTest::newRow("no topics") << 0 << 0 << 0 << 0 << "" << false << false;
}

void TestAssistant::paging()
{
    QFETCH(int, topics);
    QFETCH(int, moreClicks);
    QFETCH(int, prevClicks);
    QFETCH(int, shown);
    QFETCH(QString, firstCaption);
    QFETCH(bool, previousVisible);
    QFETCH(bool, moreVisible);

    TAssistantOru assistant;
    fill(assistant, topics);
    assistant.Show(nullptr);
    TAssistantOruForm& f = *assistant.Window();
    for (int i = 0; i < moreClicks; ++i)
        QTest::mouseClick(f.GBNext, Qt::LeftButton);
    for (int i = 0; i < prevClicks; ++i)
        QTest::mouseClick(f.GBPrev, Qt::LeftButton);

    QCOMPARE(f.TopicsShown(), shown);
    QCOMPARE(visibleTopicButtons(f), shown);
    for (int i = shown; i < TAssistantOruForm::TopicsPerPage; ++i) {
        QVERIFY(!f.GButtons[i]->isVisibleTo(&f));
        QVERIFY(!f.GButtons[i]->isEnabled());
    }
    if (shown > 0)
        QCOMPARE(f.GButtons[0]->text(), firstCaption);
    QCOMPARE(f.GBPrev->isVisibleTo(&f), previousVisible);
    QCOMPARE(f.GBNext->isVisibleTo(&f), moreVisible);
}

void TestAssistant::answerPage_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("page");

    QTest::newRow("short answer on the label") << "Press the button." << 1;
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many << QStringLiteral("This sentence makes the answer longer than the label can hold.");
    QTest::newRow("long answer in the text box") << many.join(QLatin1Char(' ')) << 2;
    QTest::newRow("many short lines") << QStringLiteral("line\n").repeated(40) << 2;
}

void TestAssistant::answerPage()
{
    QFETCH(QString, answer);
    QFETCH(int, page);

    TAssistantOru assistant;
    assistant.SetTopics({ QStringLiteral("First?"), QStringLiteral("Picked?") },
                        { QStringLiteral("Not this one."), answer });
    assistant.Show(nullptr);
    TAssistantOruForm& f = *assistant.Window();
    QVERIFY(!f.BackButton->isVisibleTo(&f));

    QTest::mouseClick(f.GButtons[1], Qt::LeftButton);
    QCOMPARE(f.PageShown(), page);
    QVERIFY(f.BackButton->isVisibleTo(&f));
    if (page == 1) {
        QCOMPARE(f.LabelPageCaption->text(), QStringLiteral("Picked?"));
        QCOMPARE(f.LabelPageLabel->text(), answer);
    } else {
        QCOMPARE(f.MemoPageCaption->text(), QStringLiteral("Picked?"));
        QCOMPARE(f.MemoPageMemo->toPlainText(), answer);
    }

    QTest::mouseClick(f.BackButton, Qt::LeftButton);
    QCOMPARE(f.PageShown(), 0);
    QVERIFY(!f.BackButton->isVisibleTo(&f));

    QTest::mouseClick(f.CloseButton, Qt::LeftButton);
    QVERIFY(!f.isVisible());
}

void TestAssistant::placement_data()
{
    QTest::addColumn<QRect>("mainFrame");
    QTest::addColumn<int>("clientTop");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");

    const QRect screen(0, 0, 1600, 1000);
    // Window 228 x 372: its centre (114 in) sits on the main window's right edge.
    QTest::newRow("room on the right") << QRect(100, 50, 700, 500) << 80 << screen << QPoint(100 + 700 - 114, 80);
    QTest::newRow("would pass the right edge") << QRect(900, 50, 650, 500) << 80 << screen << QPoint(1600 - 228, 80);
    QTest::newRow("would pass the bottom") << QRect(100, 700, 700, 250) << 730 << screen << QPoint(686, 1000 - 372);
    QTest::newRow("second screen to the right")
        << QRect(1700, 50, 700, 500) << 80 << QRect(1600, 0, 1280, 1024) << QPoint(1700 + 700 - 114, 80);
}

void TestAssistant::placement()
{
    QFETCH(QRect, mainFrame);
    QFETCH(int, clientTop);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(TAssistantOru::Placement(mainFrame, clientTop, QSize(228, 372), screen), expected);
}

void TestAssistant::showAgainResetsAndFollowsTheMainWindow()
{
    QWidget mainWindow;
    mainWindow.setGeometry(40, 30, 300, 200);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

    TAssistantOru assistant;
    fill(assistant, 9);
    assistant.Show(&mainWindow);
    TAssistantOruForm* f = assistant.Window();
    QVERIFY(f->isVisible());
    QCOMPARE(f->size(), QSize(228, 372));
    QCOMPARE(f->windowTitle(), QStringLiteral("Quick Tips"));
    const QRect frame = mainWindow.frameGeometry();
    QCOMPARE(f->pos(), QPoint(frame.left() + frame.width() - 114, mainWindow.mapToGlobal(QPoint(0, 0)).y()));

    // Leave it on the second page with an answer showing, change the topics
    // and move the main window: pressing the button again starts over.
    QTest::mouseClick(f->GBNext, Qt::LeftButton);
    QTest::mouseClick(f->GButtons[0], Qt::LeftButton);
    QCOMPARE(f->PageShown(), 1);
    fill(assistant, 3);
    mainWindow.move(60, 40);
    QCoreApplication::processEvents();

    assistant.Show(&mainWindow);
    QCOMPARE(assistant.Window(), f);
    QCOMPARE(f->PageShown(), 0);
    QCOMPARE(f->CurrentPage(), 1);
    QCOMPARE(f->TopicCount(), 3);
    QCOMPARE(f->TopicsShown(), 3);
    QVERIFY(!f->GBNext->isVisibleTo(f));
    const QRect moved = mainWindow.frameGeometry();
    QCOMPARE(f->pos(), QPoint(moved.left() + moved.width() - 114, mainWindow.mapToGlobal(QPoint(0, 0)).y()));
}

QTEST_MAIN(TestAssistant)
#include "tst_assistant.moc"
