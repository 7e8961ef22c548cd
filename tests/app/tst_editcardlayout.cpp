// The "Business Card Layout" dialog driven as a user would: predefined
// layouts, unit switching, automatic pitch, validation, Ok and Cancel.
#include "app/EditCardLayout.h"
#include "app/HelpBrowser.h"
#include "document/AppServices.h"
#include "support/ScriptedInteraction.h"
#include "widgets/NumericEdit.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using bv::test::ScriptedInteraction;

namespace {
const QString heightMessage = QStringLiteral("Card Height must be at least .3 inches (or 7mm)");
const QString widthMessage = QStringLiteral("Card Width must be at least .5 inch (or 13mm)");
const QString hPitchMessage = QStringLiteral("Horizontal Pitch must be at least = Card Width");
const QString vPitchMessage = QStringLiteral("Vertical Pitch must be at least = Card Height");

// Replaces the text of a field by typing, as a user would.
void typeInto(QWidget* field, const QString& text)
{
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

QStringList shownLengths(const TEditCardLayout& d)
{
    return {d.eCardwidth->text(), d.eCardHeight->text(), d.eHorizPitch->text(),
            d.eVertPitch->text(), d.eleftmarg->text(), d.etopmarg->text()};
}
} // namespace

class TestEditCardLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void controlsAndCaptions();
    void activationFillsWithoutApplyingTheSelectedEntry();
    void choosingHerma8840();
    void everyPredefinedLayoutReachesTheRecord();
    void predefinedChoiceKeepsOrientationAndUnits();
    void millimetresAndBack();
    void okInMillimetresRoundsToThousandths();
    void leavingCardSizeRaisesPitch();
    void validation_data();
    void validation();
    void outOfRangeValueIsRefused();
    void largeSheetsAreAccepted();
    void unknownPaperStaysUnlessChosen();
    void cancelAndEscapeChangeNothing();
    void runThroughTheSeam();
    void helpOpensItsTopic();

private:
    // A shown, active dialog on a layout.
    std::unique_ptr<TEditCardLayout> open(const TCardLayout& layout);
    QTemporaryDir home;
};

void TestEditCardLayout::initTestCase()
{
    QVERIFY(home.isValid());
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
}

std::unique_ptr<TEditCardLayout> TestEditCardLayout::open(const TCardLayout& layout)
{
    auto d = std::make_unique<TEditCardLayout>();
    d->SetLayout(layout);
    d->show();
    QApplication::setActiveWindow(d.get());
    if (!QTest::qWaitForWindowActive(d.get()))
        qWarning("dialog not active");
    return d;
}

void TestEditCardLayout::controlsAndCaptions()
{
    TEditCardLayout d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Business Card Layout"));
    for (const char* name : {"PredefinedLayouts", "Inchesbutton", "MMButton", "eCardwidth", "eCardHeight",
                             "eHorizPitch", "eVertPitch", "eleftmarg", "etopmarg", "enbracross", "enbrdown",
                             "epapersize", "eLandscape", "ePortrait", "MouseHelpButton"})
        QVERIFY2(d.findChild<QWidget*>(QString::fromLatin1(name)), name);
    QCOMPARE(d.PredefinedLayouts->count(), 21);
    QCOMPARE(d.PredefinedLayouts->itemText(0), QStringLiteral("Avery Business Card 5371 (Letter Size Paper)"));
    QCOMPARE(d.PredefinedLayouts->itemText(13), QStringLiteral("Avery Business Card L7419 (A4)"));
    QCOMPARE(d.PredefinedLayouts->itemText(20), QStringLiteral("Herma 8840 (A4 Size Paper)"));
    QCOMPARE(d.PredefinedLayouts->maxVisibleItems(), 21);
    QCOMPARE(d.epapersize->count(), 3);
    QCOMPARE(d.epapersize->itemText(0), QStringLiteral("Letter (8.5 x 11\")"));
    QCOMPARE(d.epapersize->itemText(1), QStringLiteral("A4 (210 x 297mm)"));
    QCOMPARE(d.epapersize->itemText(2), QString());
    QVERIFY(d.Inchesbutton->isChecked());
    QVERIFY(d.eLandscape->isChecked());
    QCOMPARE(d.enbracross->minimum(), 1);
    QCOMPARE(d.enbracross->maximum(), 10);
    QCOMPARE(d.enbrdown->minimum(), 1);
    QCOMPARE(d.enbrdown->maximum(), 30);
    QCOMPARE(d.eCardwidth->Digits(), 6);
    QCOMPARE(d.eCardwidth->Decimals(), 3);
    for (QWidget* w : {static_cast<QWidget*>(d.eCardwidth), static_cast<QWidget*>(d.enbrdown),
                       static_cast<QWidget*>(d.PredefinedLayouts), static_cast<QWidget*>(d.ePortrait)})
        QVERIFY(!w->whatsThis().isEmpty());
}

void TestEditCardLayout::activationFillsWithoutApplyingTheSelectedEntry()
{
    TCardLayout l;
    l.PredefLayout = 20; // Herma, but the values are the user's own
    l.Width = 3.0f;
    l.Height = 1.75f;
    l.HPitch = 3.25f;
    l.Across = 3;
    l.Portrait = true;
    l.Papersize = PaperLetter;
    auto d = open(l);
    QCOMPARE(d->PredefinedLayouts->currentIndex(), 20);
    QCOMPARE(shownLengths(*d), (QStringList{"3.0", "1.75", "3.25", "2.0", "0.75", "0.5"}));
    QCOMPARE(d->enbracross->value(), 3);
    QCOMPARE(d->enbrdown->value(), 5);
    QVERIFY(d->ePortrait->isChecked());
    QCOMPARE(d->epapersize->currentIndex(), 0);
    QCOMPARE(d->Layout, l);
    // Choosing the selected entry again applies it.
    emit d->PredefinedLayouts->activated(20);
    QCOMPARE(shownLengths(*d), (QStringList{"3.3", "2.0", "3.5", "2.0", "0.73", "0.85"}));
    QCOMPARE(d->enbracross->value(), 2);
    QCOMPARE(d->epapersize->currentIndex(), 1);
}

void TestEditCardLayout::choosingHerma8840()
{
    auto d = open(TCardLayout());
    d->PredefinedLayouts->setFocus();
    QTest::keyClick(d->PredefinedLayouts, Qt::Key_End);
    QCOMPARE(d->PredefinedLayouts->currentText(), QStringLiteral("Herma 8840 (A4 Size Paper)"));
    QCOMPARE(shownLengths(*d), (QStringList{"3.3", "2.0", "3.5", "2.0", "0.73", "0.85"}));
    QCOMPARE(d->enbracross->value(), 2);
    QCOMPARE(d->enbrdown->value(), 5);
    QCOMPARE(d->epapersize->currentIndex(), 1);

    ScriptedInteraction ui;
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
    QCOMPARE(d->result(), mrOk);
    QVERIFY(!d->isVisible());
    const TCardLayout& r = d->Layout;
    QCOMPARE(r.Width, 3.3f);
    QCOMPARE(r.Height, 2.0f);
    QCOMPARE(r.HPitch, 3.5f);
    QCOMPARE(r.VPitch, 2.0f);
    QCOMPARE(r.LeftMargin, 0.73f);
    QCOMPARE(r.TopMargin, 0.85f);
    QCOMPARE(r.PredefLayout, 20);
    QCOMPARE(r.Papersize, PaperA4);
}

void TestEditCardLayout::everyPredefinedLayoutReachesTheRecord()
{
    // Whatever is chosen, Ok gives exactly the table's singles.
    for (int i = PredefinedLayoutCount - 1; i >= 0; --i) {
        auto d = open(TCardLayout());
        d->PredefinedLayouts->setCurrentIndex(i);
        ScriptedInteraction ui;
        d->OkButtonClick();
        QCOMPARE(d->result(), mrOk);
        TCardLayout expected;
        ApplyPredefinedLayout(expected, i);
        expected.PredefLayout = i;
        QCOMPARE(d->Layout, expected);
    }
}

void TestEditCardLayout::predefinedChoiceKeepsOrientationAndUnits()
{
    TCardLayout l;
    l.UseMM = true;
    auto d = open(l);
    QVERIFY(d->MMButton->isChecked());
    QCOMPARE(shownLengths(*d), (QStringList{"88.9", "50.8", "88.9", "50.8", "19.05", "12.7"}));
    QTest::mouseClick(d->ePortrait, Qt::LeftButton);
    QVERIFY(d->ePortrait->isChecked());
    d->PredefinedLayouts->setCurrentIndex(9); // L7413, A4: values appear in millimetres
    QCOMPARE(shownLengths(*d), (QStringList{"89.99", "50.8", "89.99", "50.8", "15.01", "21.49"}));
    QVERIFY(d->MMButton->isChecked());
    QVERIFY(d->ePortrait->isChecked());
    ScriptedInteraction ui;
    d->OkButtonClick();
    QCOMPARE(d->result(), mrOk);
    QVERIFY(d->Layout.Portrait);
    QCOMPARE(d->Layout.Width, 3.543f);
    QCOMPARE(d->Layout.TopMargin, 0.846f);
    QCOMPARE(d->Layout.LeftMargin, 0.591f);
}

void TestEditCardLayout::millimetresAndBack()
{
    auto d = open(TCardLayout());
    QCOMPARE(d->eCardwidth->text(), QStringLiteral("3.5"));
    QTest::mouseClick(d->MMButton, Qt::LeftButton);
    QVERIFY(d->MMButton->isChecked());
    QCOMPARE(d->eCardwidth->text(), QStringLiteral("88.9"));
    QCOMPARE(d->eCardwidth->Decimals(), 2);
    QCOMPARE(shownLengths(*d), (QStringList{"88.9", "50.8", "88.9", "50.8", "19.05", "12.7"}));
    QTest::mouseClick(d->Inchesbutton, Qt::LeftButton);
    QCOMPARE(d->eCardwidth->text(), QStringLiteral("3.5"));
    QCOMPARE(d->eCardwidth->Decimals(), 3);
    QCOMPARE(d->eCardwidth->DisplayFormat(), QStringLiteral("#0.0##"));
    QCOMPARE(shownLengths(*d), (QStringList{"3.5", "2.0", "3.5", "2.0", "0.75", "0.5"}));
    // Clicking the checked button again changes nothing.
    QTest::mouseClick(d->Inchesbutton, Qt::LeftButton);
    QCOMPARE(d->eCardwidth->text(), QStringLiteral("3.5"));
}

void TestEditCardLayout::okInMillimetresRoundsToThousandths()
{
    TCardLayout l;
    l.UseMM = true;
    auto d = open(l);
    typeInto(d->eCardwidth, QStringLiteral("85"));   // 3.34645... in
    typeInto(d->eHorizPitch, QStringLiteral("90.5")); // 3.56299... in
    typeInto(d->eleftmarg, QStringLiteral("13.33"));  // 0.52480... in
    ScriptedInteraction ui;
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
    QCOMPARE(d->result(), mrOk);
    QCOMPARE(d->Layout.Width, 3.346f);
    QCOMPARE(d->Layout.HPitch, 3.563f);
    QCOMPARE(d->Layout.LeftMargin, 0.525f);
    QCOMPARE(d->Layout.Height, 2.0f);
}

void TestEditCardLayout::leavingCardSizeRaisesPitch()
{
    auto d = open(TCardLayout());
    typeInto(d->eCardwidth, QStringLiteral("4.0"));
    QCOMPARE(d->eHorizPitch->text(), QStringLiteral("3.5")); // not before leaving
    QTest::keyClick(d->eCardwidth, Qt::Key_Tab);
    QCOMPARE(d->eHorizPitch->text(), QStringLiteral("4.0"));
    typeInto(d->eCardHeight, QStringLiteral("2.25"));
    QTest::keyClick(d->eCardHeight, Qt::Key_Tab);
    QCOMPARE(d->eVertPitch->text(), QStringLiteral("2.25"));
    // A smaller card leaves the pitch alone.
    typeInto(d->eCardwidth, QStringLiteral("3"));
    QTest::keyClick(d->eCardwidth, Qt::Key_Tab);
    QCOMPARE(d->eHorizPitch->text(), QStringLiteral("4.0"));
    // Pressing Ok while still in the height edit raises the pitch too.
    typeInto(d->eCardHeight, QStringLiteral("2.5"));
    ScriptedInteraction ui;
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
    QCOMPARE(d->result(), mrOk);
    QCOMPARE(d->Layout.VPitch, 2.5f);
    QCOMPARE(d->Layout.HPitch, 4.0f);
    QCOMPARE(d->Layout.Width, 3.0f);
}

void TestEditCardLayout::validation_data()
{
    QTest::addColumn<bool>("millimetres");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("across");
    QTest::addColumn<int>("down");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::newRow("height 0.29 in") << false << "eCardHeight" << "0.29" << 2 << 5 << heightMessage;
    QTest::newRow("height 0.3 in passes") << false << "eCardHeight" << "0.3" << 2 << 5 << QString();
    QTest::newRow("height 7 mm") << true << "eCardHeight" << "7" << 2 << 5 << heightMessage;
    QTest::newRow("height 7.62 mm passes") << true << "eCardHeight" << "7.62" << 2 << 5 << QString();
    QTest::newRow("width 0.49 in") << false << "eCardwidth" << "0.49" << 2 << 5 << widthMessage;
    QTest::newRow("width 0.5 in passes") << false << "eCardwidth" << "0.5" << 2 << 5 << QString();
    QTest::newRow("width 12 mm") << true << "eCardwidth" << "12" << 2 << 5 << widthMessage;
    QTest::newRow("pitch 3.4 with 2 across") << false << "eHorizPitch" << "3.4" << 2 << 5 << hPitchMessage;
    QTest::newRow("pitch 3.4 with 1 across") << false << "eHorizPitch" << "3.4" << 1 << 5 << QString();
    QTest::newRow("vertical pitch 1.9 with 5 down") << false << "eVertPitch" << "1.9" << 2 << 5 << vPitchMessage;
    QTest::newRow("vertical pitch 1.9 with 1 down") << false << "eVertPitch" << "1.9" << 2 << 1 << QString();
    QTest::newRow("pitch 0 with 1 across") << false << "eHorizPitch" << "0" << 1 << 5 << QString();
}

void TestEditCardLayout::validation()
{
    QFETCH(bool, millimetres);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, across);
    QFETCH(int, down);
    QFETCH(QString, message);
    TCardLayout l;
    l.UseMM = millimetres;
    l.Width = 3.5f;
    l.HPitch = 3.5f;
    auto d = open(l);
    typeInto(d->enbracross, QString::number(across));
    typeInto(d->enbrdown, QString::number(down));
    typeInto(d->findChild<NumericEdit*>(field), text);
    ScriptedInteraction ui;
    if (!message.isEmpty())
        ui.expectInfo();
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
    QCOMPARE(ui.messages(), message.isEmpty() ? QStringList() : QStringList{message});
    if (message.isEmpty()) {
        QCOMPARE(d->result(), mrOk);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->Layout.Across, across);
        QCOMPARE(d->Layout.Down, down);
    } else {
        QVERIFY(d->isVisible()); // stays open for a correction
        QCOMPARE(d->result(), 0);
    }
}

void TestEditCardLayout::outOfRangeValueIsRefused()
{
    auto d = open(TCardLayout());
    typeInto(d->eCardwidth, QStringLiteral("150"));
    {
        ScriptedInteraction ui;
        ui.expectInfo();
        QTest::keyClick(d->eCardwidth, Qt::Key_Tab);
        QCOMPARE(ui.messages(), QStringList{QStringLiteral("Value must be between 0 and 99")});
    }
    QCOMPARE(d->eCardwidth->text(), QStringLiteral("3.5"));
    QCOMPARE(d->eHorizPitch->text(), QStringLiteral("3.5"));
    // Pressing Ok with a refused value keeps the dialog open.
    typeInto(d->eCardHeight, QStringLiteral("100"));
    {
        ScriptedInteraction ui;
        ui.expectInfo();
        QTest::mouseClick(d->OkButton, Qt::LeftButton);
        QCOMPARE(ui.messages().size(), 1);
    }
    QVERIFY(d->isVisible());
    QCOMPARE(d->eCardHeight->text(), QStringLiteral("2.0"));
    // Letters cannot be typed at all.
    typeInto(d->eleftmarg, QStringLiteral("1x.2y5"));
    QCOMPARE(d->eleftmarg->text(), QStringLiteral("1.25"));
}

void TestEditCardLayout::largeSheetsAreAccepted()
{
    auto d = open(TCardLayout());
    typeInto(d->enbracross, QStringLiteral("10"));
    typeInto(d->enbrdown, QStringLiteral("30"));
    typeInto(d->eCardwidth, QStringLiteral("0.5"));
    typeInto(d->eCardHeight, QStringLiteral("0.3"));
    ScriptedInteraction ui;
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
    QCOMPARE(d->result(), mrOk);
    QCOMPARE(d->Layout.Positions(), 300);
}

void TestEditCardLayout::unknownPaperStaysUnlessChosen()
{
    TCardLayout l;
    l.Papersize = 5;
    auto d = open(l);
    QCOMPARE(d->epapersize->currentIndex(), -1);
    ScriptedInteraction ui;
    d->OkButtonClick();
    QCOMPARE(d->Layout.Papersize, 5);

    auto e = open(l);
    e->epapersize->setCurrentIndex(2); // the empty entry
    e->OkButtonClick();
    QCOMPARE(e->Layout.Papersize, 5);

    auto f = open(l);
    f->epapersize->setCurrentIndex(1);
    f->OkButtonClick();
    QCOMPARE(f->Layout.Papersize, PaperA4);
}

void TestEditCardLayout::cancelAndEscapeChangeNothing()
{
    TCardLayout l;
    ApplyPredefinedLayout(l, 14);
    {
        auto d = open(l);
        typeInto(d->eCardwidth, QStringLiteral("2"));
        QTest::mouseClick(d->CancelButton, Qt::LeftButton);
        QCOMPARE(d->result(), mrCancel);
        QCOMPARE(d->Layout, l);
    }
    {
        auto d = open(l);
        d->PredefinedLayouts->setCurrentIndex(20);
        QTest::keyClick(d.get(), Qt::Key_Escape);
        QCOMPARE(d->result(), mrCancel);
    }
    // Through the seam: the caller's record is untouched.
    ScriptedInteraction ui;
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TEditCardLayout&>(dialog);
        d.show();
        d.PredefinedLayouts->setCurrentIndex(20);
        d.reject();
        return d.result();
    });
    TCardLayout mine = l;
    QVERIFY(!EditCardLayout(mine));
    QCOMPARE(mine, l);
}

void TestEditCardLayout::runThroughTheSeam()
{
    TCardLayout l;
    l.PredefLayout = 3;
    ScriptedInteraction ui;
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TEditCardLayout&>(dialog);
        d.show();
        // The caller's layout is in the dialog before it is shown.
        if (d.PredefinedLayouts->currentIndex() != 3 || d.eCardwidth->text() != QLatin1String("3.5"))
            return mrCancel;
        d.PredefinedLayouts->setCurrentIndex(18); // APLI 1620
        d.MMButton->setChecked(true);
        d.ePortrait->setChecked(true);
        d.OkButtonClick();
        return d.result();
    });
    TCardLayout mine = l;
    QVERIFY(EditCardLayout(mine));
    QCOMPARE(ui.log().constFirst().caption, QStringLiteral("bv::TEditCardLayout"));
    QCOMPARE(ui.log().constFirst().text, QStringLiteral("Business Card Layout"));
    TCardLayout expected;
    ApplyPredefinedLayout(expected, 18);
    expected.PredefLayout = 18;
    expected.UseMM = true;
    expected.Portrait = true;
    QCOMPARE(mine, expected);
}

void TestEditCardLayout::helpOpensItsTopic()
{
    auto d = open(TCardLayout());
    QTest::mouseClick(d->HelpButton, Qt::LeftButton);
    QCOMPARE(HelpBrowser::Instance().Source(), QUrl(QStringLiteral("qrc:/help/3101.html")));
    QVERIFY(HelpBrowser::Instance().isVisible());
    QVERIFY(d->isVisible());
}

QTEST_MAIN(TestEditCardLayout)
#include "tst_editcardlayout.moc"
