// The print options: the "Print Cards" sheet sketch and its clicks, the
// number of sheets, the "Printer Fine-Tuning" nudges and their saving, and
// the bottom-margin "ALERT" with its place in the Print command.
#include "PrintTestKit.h"

#include "document/Settings.h"
#include "pageengine/PagePrinter.h"
#include "pageengine/PageSetupDialog.h"
#include "platform/Environment.h"
#include "printing/PrintCardsDialog.h"
#include "printing/PrintCommands.h"
#include "printing/PrintFineTune.h"
#include "printing/WarnBottomMargin.h"
#include "support/FakePrinters.h"
#include "support/ScriptedInteraction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace bv;
using namespace bv::test;

namespace {

TCardSelection only(std::initializer_list<int> positions)
{
    TCardSelection s;
    s.fill(false);
    for (int p : positions)
        s[p] = true;
    return s;
}

QList<int> selectedOf(const TCardSelection& s, int count)
{
    QList<int> list;
    for (int i = 0; i < count; ++i)
        if (s[i])
            list.append(i);
    return list;
}

void clickSketch(TSelectSpecificLabels& d, QPoint p)
{
    QTest::mouseClick(d.PaintBox1, Qt::LeftButton, Qt::NoModifier, p);
}

} // namespace

class TestPrintOptions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void sketchRectanglesAtOneFifth_data();
    void sketchRectanglesAtOneFifth();
    void sketchPaintsSelectedCardsRed();
    void clicksToggleTheCardUnderThePointer();
    void allAndNoneCoverTheLayout();
    void okNeedsOneCardAndSetsSheets();
    void printCardsKeepsSelectionOnlyOnOk();
    void printSetupShowsTheChosenPrinter();
    void nudgeLabels_data();
    void nudgeLabels();
    void nudgeArrowsStopAtTheLimits();
    void fineTuningOkSavesCancelDiscards();
    void refusedSettingsFileIsReported();
    void warningTexts_data();
    void warningTexts();
    void printAsksAboutBottomMargin_data();
    void printAsksAboutBottomMargin();

private:
    QTemporaryDir home;
};

void TestPrintOptions::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    QVERIFY(home.isValid());
}

void TestPrintOptions::sketchRectanglesAtOneFifth_data()
{
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("position");
    QTest::addColumn<QRect>("rect"); // left, top, right, bottom (exclusive)
    QTest::addColumn<QRect>("sheet");
    // Default layout at 96 ppi.
    QTest::newRow("position 0") << PaperLetter << 0 << QRect(24, 19, 91, 57) << QRect(10, 10, 173, 221);
    QTest::newRow("position 1") << PaperLetter << 1 << QRect(91, 19, 158, 57) << QRect(10, 10, 173, 221);
    QTest::newRow("position 9") << PaperLetter << 9 << QRect(91, 19 + 4 * 38, 158, 57 + 4 * 38)
                                << QRect(10, 10, 173, 221);
    // A4: 8.268 × 11.69 inches.
    QTest::newRow("A4 sheet") << PaperA4 << 0 << QRect(24, 19, 91, 57) << QRect(10, 10, 168, 234);
}

void TestPrintOptions::sketchRectanglesAtOneFifth()
{
    QFETCH(int, paper);
    QFETCH(int, position);
    QFETCH(QRect, rect);
    QFETCH(QRect, sheet);
    TSelectSpecificLabels d;
    QCOMPARE(d.Ppi, 96);
    TCardLayout layout;
    layout.Papersize = paper;
    d.SetSheet(layout, AllCardsSelected());
    d.FormActivate();
    const QRect got = d.PositionRect(position);
    // The sketch keeps right and bottom exclusive.
    QCOMPARE(QRect(got.left(), got.top(), got.right() + 1, got.bottom() + 1), rect);
    const QRect s = d.SheetRect();
    QCOMPARE(QRect(s.left(), s.top(), s.right() + 1, s.bottom() + 1), sheet);
}

void TestPrintOptions::sketchPaintsSelectedCardsRed()
{
    TSelectSpecificLabels d;
    d.SetSheet(TCardLayout(), only({1}));
    d.FormActivate();
    const QImage img = d.PaintBox1->grab().toImage();
    QCOMPARE(QColor(img.pixel(120, 40)), QColor(255, 0, 0)); // position 1, inside
    QCOMPARE(QColor(img.pixel(50, 40)), QColor(Qt::white));  // position 0
    QCOMPARE(QColor(img.pixel(24, 40)), QColor(Qt::black));  // its left edge
    QCOMPARE(QColor(img.pixel(160, 200)), QColor(Qt::white)); // the sheet
}

void TestPrintOptions::clicksToggleTheCardUnderThePointer()
{
    TSelectSpecificLabels d;
    d.SetSheet(TCardLayout(), AllCardsSelected());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    clickSketch(d, QPoint(30, 30));
    QCOMPARE(selectedOf(d.Selected, 10), QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    QCOMPARE(QColor(d.PaintBox1->grab().toImage().pixel(50, 40)), QColor(Qt::white));
    clickSketch(d, QPoint(30, 30));
    QVERIFY(d.Selected[0]);
    // x = 91 is position 0's right edge, which belongs to position 1.
    clickSketch(d, QPoint(91, 30));
    QVERIFY(d.Selected[0]);
    QVERIFY(!d.Selected[1]);
    // y = 57 is the bottom edge of row 0, the top of row 1.
    clickSketch(d, QPoint(30, 57));
    QVERIFY(!d.Selected[2]);
    QVERIFY(d.Selected[0]);
    // The paper margin is no card.
    clickSketch(d, QPoint(12, 12));
    QCOMPARE(selectedOf(d.Selected, 10), QList<int>({0, 3, 4, 5, 6, 7, 8, 9}));
}

void TestPrintOptions::allAndNoneCoverTheLayout()
{
    TSelectSpecificLabels d;
    TCardLayout layout;
    layout.Across = 3;
    layout.Down = 9; // 27 positions
    TCardSelection start = only({40});
    d.SetSheet(layout, start);
    d.FormActivate();
    QTest::mouseClick(d.AllButton, Qt::LeftButton);
    QCOMPARE(selectedOf(d.Selected, 27).size(), 27);
    QVERIFY(!d.Selected[27]);
    QTest::mouseClick(d.NoneButton, Qt::LeftButton);
    QVERIFY(selectedOf(d.Selected, 27).isEmpty());
    QVERIFY(d.Selected[40]); // outside the layout: untouched
    // The 27th card of the sketch is there to be clicked.
    const QRect last = d.PositionRect(26);
    QVERIFY(!last.isEmpty());
    clickSketch(d, last.center());
    QCOMPARE(selectedOf(d.Selected, 27), QList<int>({26}));
}

void TestPrintOptions::okNeedsOneCardAndSetsSheets()
{
    ScriptedInteraction ui;
    ui.expectInfo();
    TPagePrinter printer;
    printer.SetOutputFileName(home.filePath(QStringLiteral("unused.pdf")));
    printer.SetOrientation(poLandscape);
    TSelectSpecificLabels d;
    d.Printer = &printer;
    d.SetSheet(TCardLayout(), only({12})); // only a position outside the layout
    d.FormActivate();
    d.pages->setValue(4);
    QTest::mouseClick(d.OkButton, Qt::LeftButton);
    QCOMPARE(ui.messages(), QStringList({QStringLiteral("You must select at least one card to print")}));
    QCOMPARE(d.result(), 0); // still open
    QCOMPARE(printer.Copies(), 4);
    QCOMPARE(printer.Orientation(), int(poPortrait));
    clickSketch(d, QPoint(30, 30));
    d.pages->setValue(2);
    QTest::mouseClick(d.OkButton, Qt::LeftButton);
    QCOMPARE(d.result(), int(mrOk));
    QCOMPARE(printer.Copies(), 2);
    QVERIFY(d.PrinterLabel->text().contains(QStringLiteral("unused.pdf")));
    QCOMPARE(d.pages->minimum(), 1);
    QCOMPARE(d.pages->maximum(), 99);
}

void TestPrintOptions::printCardsKeepsSelectionOnlyOnOk()
{
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    TPrintCommands printing(panel.Model());
    // Cancel leaves the selection as it was.
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        d.FormActivate();
        QTest::mouseClick(d.NoneButton, Qt::LeftButton);
        QTest::mouseClick(d.CancelButton, Qt::LeftButton);
        return d.result();
    });
    QVERIFY(!printing.DoPageSetup());
    QCOMPARE(selectedOf(printing.SelectedCards, MaxSheetPositions).size(), MaxSheetPositions);
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        d.FormActivate();
        QTest::mouseClick(d.NoneButton, Qt::LeftButton);
        QTest::mouseClick(d.PaintBox1, Qt::LeftButton, Qt::NoModifier, d.PositionRect(3).center());
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    QVERIFY(printing.DoPageSetup());
    QCOMPARE(selectedOf(printing.SelectedCards, 10), QList<int>({3}));
    QVERIFY(ui.allUsed());
}

void TestPrintOptions::printSetupShowsTheChosenPrinter()
{
    FakePrinters printers({QStringLiteral("Office Laser"), QStringLiteral("Card Printer")},
                          QStringLiteral("Office Laser"));
    ScriptedInteraction ui;
    TPagePrinter printer;
    TSelectSpecificLabels d;
    d.Printer = &printer;
    d.SetSheet(TCardLayout(), AllCardsSelected());
    d.FormActivate();
    QCOMPARE(d.PrinterLabel->text(), QStringLiteral("Office Laser"));
    // The printer setup picks another printer, or is cancelled after doing so.
    const auto choose = [](int result) {
        return [result](QDialog& dialog) {
            auto* setup = qobject_cast<TPageSetupDialog*>(&dialog);
            if (!setup)
                return mrCancel;
            setup->PrinterCombo->setFocus();
            QTest::keyClick(setup->PrinterCombo, Qt::Key_End);
            QTest::mouseClick(result == mrOk ? setup->OkButton : setup->CancelButton, Qt::LeftButton);
            return setup->result();
        };
    };
    ui.answerDialog(choose(mrCancel));
    QTest::mouseClick(d.PrintSetupButton, Qt::LeftButton);
    QCOMPARE(d.PrinterLabel->text(), QStringLiteral("Office Laser"));
    ui.answerDialog(choose(mrOk));
    QTest::mouseClick(d.PrintSetupButton, Qt::LeftButton);
    QCOMPARE(d.PrinterLabel->text(), QStringLiteral("Card Printer"));
    QCOMPARE(printer.PrinterName(), QStringLiteral("Card Printer"));
    QVERIFY(ui.allUsed());
}

void TestPrintOptions::nudgeLabels_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("-8") << -8 << "Decrease by 8/32\"";
    QTest::newRow("-3") << -3 << "Decrease by 3/32\"";
    QTest::newRow("-1") << -1 << "Decrease by 1/32\"";
    QTest::newRow("0") << 0 << "None";
    QTest::newRow("1") << 1 << "Increase by 1/32\"";
    QTest::newRow("8") << 8 << "Increase by 8/32\"";
}

void TestPrintOptions::nudgeLabels()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    TPrintFineTune d;
    d.SetNudges(TPrinterNudges{0, value, 0, 0});
    QCOMPARE(d.ValueLabel[TPrintFineTune::LeftMargin]->text(), text);
    QCOMPARE(d.ValueLabel[TPrintFineTune::TopMargin]->text(), QStringLiteral("None"));
}

void TestPrintOptions::nudgeArrowsStopAtTheLimits()
{
    TPrintFineTune d;
    d.SetNudges(TPrinterNudges{});
    d.show();
    // The down arrow adds, the up arrow takes away.
    for (int i = 0; i < 9; ++i)
        QTest::mouseClick(d.DownButton[TPrintFineTune::TopMargin], Qt::LeftButton);
    QCOMPARE(d.Nudges().TopMargin, 8);
    QCOMPARE(d.ValueLabel[TPrintFineTune::TopMargin]->text(), QStringLiteral("Increase by 8/32\""));
    for (int i = 0; i < 9; ++i)
        QTest::mouseClick(d.UpButton[TPrintFineTune::HorizontalSpacing], Qt::LeftButton);
    QCOMPARE(d.Nudges(), (TPrinterNudges{8, 0, 0, -8}));
    QCOMPARE(d.ValueLabel[TPrintFineTune::HorizontalSpacing]->text(), QStringLiteral("Decrease by 8/32\""));
    QTest::mouseClick(d.UpButton[TPrintFineTune::TopMargin], Qt::LeftButton);
    QCOMPARE(d.ValueLabel[TPrintFineTune::TopMargin]->text(), QStringLiteral("Increase by 7/32\""));
    QTest::mouseClick(d.DefaultButton, Qt::LeftButton);
    QCOMPARE(d.Nudges(), TPrinterNudges());
    QCOMPARE(d.ValueLabel[TPrintFineTune::HorizontalSpacing]->text(), QStringLiteral("None"));
}

void TestPrintOptions::fineTuningOkSavesCancelDiscards()
{
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    TPreferences preferences;
    preferences.Nudges = TPrinterNudges{1, 0, 0, 0};
    int saves = 0;
    TPrintCommands printing(panel.Model());
    printing.Preferences = &preferences;
    printing.SavePreferences = [&] {
        ++saves;
        TSettings().SavePreferences(preferences);
    };
    QString shownFirst;
    ui.answerDialog([&](QDialog& dialog) {
        auto& d = static_cast<TPrintFineTune&>(dialog);
        shownFirst = d.ValueLabel[TPrintFineTune::TopMargin]->text();
        QTest::mouseClick(d.DownButton[TPrintFineTune::TopMargin], Qt::LeftButton);
        QTest::mouseClick(d.UpButton[TPrintFineTune::VerticalSpacing], Qt::LeftButton);
        QTest::mouseClick(d.CancelButton, Qt::LeftButton);
        return d.result();
    });
    printing.mnuPrinterFineTuningClick();
    QCOMPARE(shownFirst, QStringLiteral("Increase by 1/32\""));
    QCOMPARE(preferences.Nudges, (TPrinterNudges{1, 0, 0, 0}));
    QCOMPARE(saves, 0);
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TPrintFineTune&>(dialog);
        QTest::mouseClick(d.DownButton[TPrintFineTune::TopMargin], Qt::LeftButton);
        QTest::mouseClick(d.UpButton[TPrintFineTune::VerticalSpacing], Qt::LeftButton);
        QTest::mouseClick(d.DownButton[TPrintFineTune::LeftMargin], Qt::LeftButton);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    printing.mnuPrinterFineTuningClick();
    QCOMPARE(preferences.Nudges, (TPrinterNudges{2, 1, -1, 0}));
    QCOMPARE(saves, 1);
    QCOMPARE(TSettings().LoadPreferences().Nudges, (TPrinterNudges{2, 1, -1, 0}));
    // The next job uses them.
    const TImposition sheet = printing.CurrentImposition();
    QCOMPARE(sheet.Top, 0.5 + 2 / 32.0);
    QCOMPARE(sheet.Left, 0.75 + 1 / 32.0);
    QCOMPARE(sheet.VPitch, 2.0 - 1 / 32.0);
    QVERIFY(ui.allUsed());
}

void TestPrintOptions::refusedSettingsFileIsReported()
{
    ScriptedInteraction ui;
    ui.expectError();
    TGBusinessCardPanel32 panel;
    TPreferences preferences;
    TPrintCommands printing(panel.Model());
    printing.Preferences = &preferences;
    printing.SavePreferences = [] { throw EWriteError(QStringLiteral("Unable to write to /locked/QRD.INI")); };
    ui.answerDialog([](QDialog& dialog) {
        auto& d = static_cast<TPrintFineTune&>(dialog);
        QTest::mouseClick(d.DownButton[TPrintFineTune::TopMargin], Qt::LeftButton);
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    printing.mnuPrinterFineTuningClick();
    QVERIFY(ui.allUsed());
    QCOMPARE(ui.messages(), QStringList({QStringLiteral("Unable to write to /locked/QRD.INI")}));
    // The nudge still holds for this run.
    QCOMPARE(preferences.Nudges.TopMargin, 1);
}

void TestPrintOptions::warningTexts_data()
{
    QTest::addColumn<double>("bottom");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("0.667") << 0.667 << " 0.667 inches" << " 0.167 inches";
    QTest::newRow("0.5625") << 0.5625 << " 0.563 inches" << " 0.063 inches";
    QTest::newRow("1.0") << 1.0 << " 1.000 inches" << " 0.500 inches";
}

void TestPrintOptions::warningTexts()
{
    QFETCH(double, bottom);
    QFETCH(QString, first);
    QFETCH(QString, second);
    TWarnBottomMargin d;
    QCOMPARE(d.windowTitle(), QStringLiteral("ALERT"));
    d.SetBottomMargin(bottom);
    QCOMPARE(d.MarginLabel->text(),
             QStringLiteral("Business Cards need to print to within 0.5 inches of the bottom, but the current "
                            "printer has a bottom margin setting of :")
                 + first);
    QCOMPARE(d.CutOffLabel->text(),
             QStringLiteral("This could result in the bottom of the last two business cards being cut off by "
                            "approximately:")
                 + second);
}

void TestPrintOptions::printAsksAboutBottomMargin_data()
{
    QTest::addColumn<double>("bottom");
    QTest::addColumn<bool>("bottomRowSelected");
    QTest::addColumn<bool>("showWarning");
    QTest::addColumn<bool>("dontShowAgain");
    QTest::addColumn<bool>("continuePrinting");
    QTest::addColumn<bool>("warned");
    QTest::addColumn<bool>("printed");
    QTest::newRow("continue") << 0.667 << true << true << false << true << true << true;
    QTest::newRow("cancel printing, don't show again") << 0.667 << true << true << true << false << true << false;
    QTest::newRow("continue, don't show again") << 0.667 << true << true << true << true << true << true;
    QTest::newRow("margin within 0.5") << 0.5 << true << true << false << true << false << true;
    QTest::newRow("bottom row not selected") << 0.667 << false << true << false << true << false << true;
    QTest::newRow("warning switched off") << 0.667 << true << false << false << true << false << true;
}

void TestPrintOptions::printAsksAboutBottomMargin()
{
    QFETCH(double, bottom);
    QFETCH(bool, bottomRowSelected);
    QFETCH(bool, showWarning);
    QFETCH(bool, dontShowAgain);
    QFETCH(bool, continuePrinting);
    QFETCH(bool, warned);
    QFETCH(bool, printed);
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 24, 48, 48, 48);
    TPreferences preferences;
    preferences.ShowBottomMarginWarning = showWarning;
    TSettings().SavePreferences(preferences);
    TPrintCommands printing(panel.Model());
    printing.Preferences = &preferences;
    printing.SavePreferences = [&] { TSettings().SavePreferences(preferences); };
    printing.PrinterBottomMargin = [bottom] { return bottom; };
    auto printer = std::make_unique<TPagePrinter>();
    printer->SetOutputFileName(home.filePath(QStringLiteral("alert.pdf")));
    printing.SetMainPagePrinter(std::move(printer));

    ui.answerDialog([&](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        d.FormActivate();
        if (!bottomRowSelected)
            clickSketch(d, d.PositionRect(9).center());
        QTest::mouseClick(d.OkButton, Qt::LeftButton);
        return d.result();
    });
    if (warned) {
        ui.answerDialog([&](QDialog& dialog) {
            auto& d = static_cast<TWarnBottomMargin&>(dialog);
            if (dontShowAgain)
                d.DontShowCheck->setChecked(true);
            QTest::mouseClick(continuePrinting ? d.ContinueButton : d.CancelPrintingButton, Qt::LeftButton);
            return d.result();
        });
    }
    if (printed)
        ui.answerDialog(runStatusWindow);
    printing.mnuPrintClick();
    QVERIFY(ui.allUsed());
    QCOMPARE(printing.LastOutcome().Ran, printed);
    QCOMPARE(preferences.ShowBottomMarginWarning, showWarning && !dontShowAgain);
    QCOMPARE(TSettings().LoadPreferences().ShowBottomMarginWarning, showWarning && !dontShowAgain);
    QVERIFY(!panel.PreviewMode());
    if (printed)
        QCOMPARE(printing.MainPagePrinter()->Copies(), 1);
}

QTEST_MAIN(TestPrintOptions)
#include "tst_printoptions.moc"
