// The numeric edit of the dialogs (digits, decimals, display pattern, range)
// and the what's-this helpers.
#include "support/ScriptedInteraction.h"
#include "widgets/NumericEdit.h"
#include "widgets/WhatsThis.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWhatsThis>

using namespace bv;
using bv::test::ScriptedInteraction;

namespace {
void typeInto(QWidget* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

QMenu* visibleMenu()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible())
            return m;
    return nullptr;
}
} // namespace

class TestNumericEdit : public QObject {
    Q_OBJECT
private slots:
    void display_data();
    void display();
    void typingIsLimitedToDigitsAndDecimals_data();
    void typingIsLimitedToDigitsAndDecimals();
    void rangeRefusesAndKeepsTheLastValue_data();
    void rangeRefusesAndKeepsTheLastValue();
    void leavingCommitsAndReportsOnce();
    void whatsThisMenuOnControls();
    void whatsThisButtonEntersTheMode();
};

void TestNumericEdit::display_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("held");
    const QString inch = QStringLiteral("#0.0##");
    QTest::newRow("3.5") << inch << 3 << 3.5 << "3.5" << 3.5;
    QTest::newRow("whole shows one decimal") << inch << 3 << 2.0 << "2.0" << 2.0;
    QTest::newRow("three decimals") << inch << 3 << 0.846 << "0.846" << 0.846;
    QTest::newRow("single 3.543") << inch << 3 << double(3.543f) << "3.543" << 3.543;
    QTest::newRow("rounded to decimals") << inch << 3 << 1.23456 << "1.235" << 1.235;
    QTest::newRow("zero") << inch << 3 << 0.0 << "0.0" << 0.0;
    QTest::newRow("tiny negative is zero") << inch << 3 << -0.0001 << "0.0" << 0.0;
    QTest::newRow("negative") << inch << 3 << -1.25 << "-1.25" << -1.25;
    QTest::newRow("mm 88.9") << inch << 2 << 3.5 * 25.4 << "88.9" << 88.9;
    QTest::newRow("mm held at two decimals") << inch << 2 << 3.543 * 25.4 << "89.99" << 89.99;
    QTest::newRow("fixed pattern") << QStringLiteral("0.00") << 3 << 2.5 << "2.50" << 2.5;
    QTest::newRow("no decimals, half away from zero") << QStringLiteral("0") << 0 << 2.5 << "3" << 3.0;
}

void TestNumericEdit::display()
{
    QFETCH(QString, pattern);
    QFETCH(int, decimals);
    QFETCH(double, value);
    QFETCH(QString, text);
    QFETCH(double, held);
    NumericEdit e;
    e.SetDisplayFormat(pattern);
    e.SetDecimals(decimals);
    e.SetValue(value);
    QCOMPARE(e.text(), text);
    QCOMPARE(e.Value(), held);
}

void TestNumericEdit::typingIsLimitedToDigitsAndDecimals_data()
{
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("min");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("three whole digits") << 6 << 3 << 0.0 << "12345" << "123";
    QTest::newRow("three decimals") << 6 << 3 << 0.0 << "1.23456" << "1.234";
    QTest::newRow("four whole digits at two decimals") << 6 << 2 << 0.0 << "12345.678" << "1234.67";
    QTest::newRow("letters ignored") << 6 << 3 << 0.0 << "a1b.5c" << "1.5";
    QTest::newRow("no minus without negative range") << 6 << 3 << 0.0 << "-2" << "2";
    QTest::newRow("minus with negative range") << 6 << 3 << -5.0 << "-2" << "-2";
    QTest::newRow("comma as point") << 6 << 3 << 0.0 << "1,5" << "1,5";
}

void TestNumericEdit::typingIsLimitedToDigitsAndDecimals()
{
    QFETCH(int, digits);
    QFETCH(int, decimals);
    QFETCH(double, min);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    NumericEdit e;
    e.SetDigits(digits);
    e.SetDecimals(decimals);
    e.SetRange(min, 0);
    e.show();
    QApplication::setActiveWindow(&e);
    typeInto(&e, typed);
    QCOMPARE(e.text(), shown);
    ScriptedInteraction ui;
    ui.allowMessages();
    QVERIFY(e.Commit() || min < 0); // -2 is inside [-5, 0]
    QCOMPARE(e.Value(), QString(shown).replace(QLatin1Char(','), QLatin1Char('.')).toDouble());
}

void TestNumericEdit::rangeRefusesAndKeepsTheLastValue_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::newRow("inside") << 0.5 << 12.25 << "12.25" << QString();
    QTest::newRow("above") << 0.5 << 12.25 << "12.26" << "Value must be between 0.5 and 12.25";
    QTest::newRow("below") << 0.5 << 12.25 << "0.4" << "Value must be between 0.5 and 12.25";
    QTest::newRow("empty is zero") << 0.5 << 12.25 << "" << "Value must be between 0.5 and 12.25";
    QTest::newRow("no range") << 0.0 << 0.0 << "999.999" << QString();
    QTest::newRow("inch bounds") << 0.0 << 99.0 << "150" << "Value must be between 0 and 99";
}

void TestNumericEdit::rangeRefusesAndKeepsTheLastValue()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    NumericEdit e;
    e.SetRange(min, max);
    e.SetValue(2);
    e.show();
    QApplication::setActiveWindow(&e);
    QSignalSpy refused(&e, &NumericEdit::ValueRefused);
    typeInto(&e, typed);
    ScriptedInteraction ui;
    if (!message.isEmpty())
        ui.expectInfo();
    QTest::keyClick(&e, Qt::Key_Return);
    QCOMPARE(ui.messages(), message.isEmpty() ? QStringList() : QStringList{message});
    if (message.isEmpty()) {
        QCOMPARE(e.Value(), typed.toDouble());
        QCOMPARE(refused.count(), 0);
    } else {
        QCOMPARE(e.Value(), 2.0);
        QCOMPARE(e.text(), QStringLiteral("2.0"));
        QCOMPARE(refused.count(), 1);
        QCOMPARE(ui.log().constFirst().caption, QStringLiteral("Information"));
    }
}

void TestNumericEdit::leavingCommitsAndReportsOnce()
{
    QWidget window;
    auto* a = new NumericEdit(&window);
    auto* b = new NumericEdit(&window);
    b->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy exited(a, &NumericEdit::Exited);
    QSignalSpy changed(a, &NumericEdit::ValueChanged);
    typeInto(a, QStringLiteral("4.5"));
    QCOMPARE(a->Value(), 0.0); // not taken while typing
    QTest::keyClick(a, Qt::Key_Tab);
    QVERIFY(b->hasFocus());
    QCOMPARE(a->Value(), 4.5);
    QCOMPARE(exited.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.constFirst().constFirst().toDouble(), 4.5);
    // Leaving again without typing commits nothing new.
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Tab);
    QCOMPARE(changed.count(), 1);
}

void TestNumericEdit::whatsThisMenuOnControls()
{
    QWidget window;
    auto* edit = new NumericEdit(&window);
    edit->setWhatsThis(QStringLiteral("Width of one card."));
    auto* plain = new QToolButton(&window);
    plain->move(0, 40);
    InstallWhatsThisMenus(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // The edit keeps its own entries and gains "What's this?".
    std::unique_ptr<QMenu> menu(CreateWhatsThisMenu(edit));
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text();
    QVERIFY(texts.size() > 3);
    QCOMPARE(texts.constLast(), QStringLiteral("What's this?"));

    // A right-click opens it; choosing the entry shows the control's text.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit, &event);
    QMenu* popup = visibleMenu();
    QVERIFY(popup);
    QAction* whatsThis = popup->findChild<QAction*>(QStringLiteral("WhatsThisAction"));
    QVERIFY(whatsThis);
    popup->close();
    whatsThis->trigger();
    bool shown = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && QByteArray(w->metaObject()->className()) == "QWhatsThat")
            shown = true;
    QVERIFY(shown);
    QWhatsThis::hideText();

    // A control without a text keeps its ordinary behaviour.
    QContextMenuEvent other(QContextMenuEvent::Mouse, QPoint(2, 2), plain->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(plain, &other);
    QMenu* none = visibleMenu();
    QVERIFY(!none || !none->findChild<QAction*>(QStringLiteral("WhatsThisAction")));
}

void TestNumericEdit::whatsThisButtonEntersTheMode()
{
    QWidget window;
    QToolButton* button = CreateWhatsThisButton(&window);
    QCOMPARE(button->objectName(), QStringLiteral("MouseHelpButton"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!QWhatsThis::inWhatsThisMode());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
}

QTEST_MAIN(TestNumericEdit)
#include "tst_numericedit.moc"
