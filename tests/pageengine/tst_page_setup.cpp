// The "Printer Setup" dialog as the page printer runs it: the installed
// printers (a fake list) with the current one chosen, the paper and
// orientation it hands back to the engine on OK, Cancel and Escape leaving
// the engine alone, the Properties button reaching the platform's page
// setup through the interaction seam, and copies never left to a file.
#include "pageengine/PagePrinter.h"
#include "pageengine/PageSetupDialog.h"

#include "support/FakePrinters.h"
#include "support/ScriptedInteraction.h"

#include <QComboBox>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace bv;
using bv::test::FakePrinters;
using bv::test::ScriptedInteraction;

namespace {

const QString office = QStringLiteral("Office Laser");
const QString cards = QStringLiteral("Card Printer");
const QString labels = QStringLiteral("Label Jet");

// Three printers, the office laser the default; the card printer says
// where it is and which sheets it takes (Letter twice, under two names, as
// CUPS lists it).
void fillPrinters(FakePrinters& fake)
{
    fake.names = {office, cards, labels};
    fake.defaultName = office;
    fake.details[office] = {QStringLiteral("HP LaserJet 4"), QStringLiteral("Second floor"), QStringLiteral("Ready"),
                            {QPageSize(QPageSize::Letter), QPageSize(QPageSize::A4)}};
    fake.details[cards] = {QStringLiteral("CardMaker 3000"), QStringLiteral("Print room"), QStringLiteral("Printing"),
                           {QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter), QPageSize(QPageSize::Legal),
                            QPageSize(QPageSize::A5), QPageSize(QPageSize::AnsiA)}};
}

TPageSetupDialog* setupDialog(QDialog& d)
{
    auto* dialog = qobject_cast<TPageSetupDialog*>(&d);
    if (!dialog)
        QTest::qFail("the printer setup dialog was not the one run", __FILE__, __LINE__);
    return dialog;
}

// Chooses an item of a combo box the way the keyboard does.
bool chooseByKeys(QComboBox* combo, const QString& text)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < combo->count() && combo->currentText() != text; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    return combo->currentText() == text;
}

QStringList items(const QComboBox* combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

struct EngineState {
    QString name;
    QString file;
    int paper;
    QPageSize::PageSizeId size;
    int orientation;
    double width;
    double height;
    bool operator==(const EngineState&) const = default;
};

EngineState stateOf(const TPagePrinter& p)
{
    return {p.PrinterName(), p.OutputFileName(), p.Paper(), p.PageSize().id(), p.Orientation(), p.PageWidth(),
            p.PageHeight()};
}

} // namespace

namespace QTest {
template <>
char* toString(const EngineState& s)
{
    return qstrdup(QStringLiteral("%1 [%2] paper %3 size %4 orientation %5 %6x%7")
                       .arg(s.name, s.file)
                       .arg(s.paper)
                       .arg(int(s.size))
                       .arg(s.orientation)
                       .arg(s.width)
                       .arg(s.height)
                       .toUtf8()
                       .constData());
}
} // namespace QTest

class TestPageSetup : public QObject {
    Q_OBJECT
private slots:
    void listsPrintersWithTheCurrentOneChosen();
    void okAppliesPrinterPaperAndOrientation_data();
    void okAppliesPrinterPaperAndOrientation();
    void jobRefusesAPrinterTheSystemDoesNotOffer();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void fileOutputStaysUnlessAPrinterIsChosen();
    void propertiesRunsThePageSetupOfTheChosenPrinter();
    void noPrintersLeavesOnlyPaperAndOrientation();
    void aPrinterRemovedMeanwhileIsReported();
    void filesNeverRelyOnDriverCopies_data();
    void filesNeverRelyOnDriverCopies();
};

void TestPageSetup::listsPrintersWithTheCurrentOneChosen()
{
    FakePrinters fake;
    fillPrinters(fake);
    ScriptedInteraction ui;
    TPagePrinter printer;
    QCOMPARE(printer.PrinterName(), office); // the default queue to begin with
    QVERIFY(printer.SetPrinterName(cards));
    QCOMPARE(printer.PrinterIndex(), 1);
    printer.SetPaper(PaperA4);

    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        [&] {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Printer Setup"));
            QCOMPARE(items(dialog->PrinterCombo), QStringList({office, cards, labels}));
            QCOMPARE(dialog->PrinterCombo->currentText(), cards);
            QCOMPARE(dialog->StatusLabel->text(), QStringLiteral("Printing"));
            QCOMPARE(dialog->TypeLabel->text(), QStringLiteral("CardMaker 3000"));
            QCOMPARE(dialog->WhereLabel->text(), QStringLiteral("Print room"));
            // Letter and A4 first, then the printer's other sheets, each once.
            const QStringList sheets = items(dialog->PaperSizeCombo);
            QCOMPARE(sheets.size(), 4);
            QCOMPARE(sheets.mid(0, 2), QStringList({QStringLiteral("Letter"), QStringLiteral("A4")}));
            QCOMPARE(sheets[2], QPageSize(QPageSize::Legal).name());
            QCOMPARE(sheets[3], QPageSize(QPageSize::A5).name());
            QCOMPARE(dialog->PaperSizeCombo->currentText(), QStringLiteral("A4"));
            QVERIFY(dialog->PortraitButton->isChecked());

            // Another printer shows its own facts and sheets; A4 stays.
            QVERIFY(chooseByKeys(dialog->PrinterCombo, office));
            QCOMPARE(dialog->StatusLabel->text(), QStringLiteral("Default printer; Ready"));
            QCOMPARE(dialog->WhereLabel->text(), QStringLiteral("Second floor"));
            QCOMPARE(items(dialog->PaperSizeCombo), QStringList({QStringLiteral("Letter"), QStringLiteral("A4")}));
            QCOMPARE(dialog->PaperSizeCombo->currentText(), QStringLiteral("A4"));
            // A printer the list knows nothing more about shows nothing.
            QVERIFY(chooseByKeys(dialog->PrinterCombo, labels));
            QCOMPARE(dialog->StatusLabel->text(), QString());
            QCOMPARE(dialog->TypeLabel->text(), QString());
            dialog->grab().save(QDir::temp().filePath(QStringLiteral("printer-setup.png")));
        }();
        QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
        return dialog->result();
    });
    QVERIFY(!printer.PrinterSetupDialog());
    QVERIFY(ui.allUsed());
    QCOMPARE(printer.PrinterName(), cards);
}

void TestPageSetup::okAppliesPrinterPaperAndOrientation_data()
{
    QTest::addColumn<QString>("printerName");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("sizeId");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("index");

    const double a4w = 210 / 25.4;
    const double a4h = 297 / 25.4;
    QTest::newRow("card printer, A4, landscape")
        << cards << QStringLiteral("A4") << true << PaperA4 << int(QPageSize::A4) << a4h << a4w << 1;
    QTest::newRow("label jet, Letter, portrait")
        << labels << QStringLiteral("Letter") << false << PaperLetter << int(QPageSize::Letter) << 8.5 << 11.0 << 2;
    // A sheet other than Letter and A4 reaches the printer as it is; the
    // engine's paper code still says Letter.
    QTest::newRow("card printer, Legal, portrait")
        << cards << QPageSize(QPageSize::Legal).name() << false << PaperLetter << int(QPageSize::Legal) << 8.5
        << 14.0 << 1;
}

void TestPageSetup::okAppliesPrinterPaperAndOrientation()
{
    QFETCH(QString, printerName);
    QFETCH(QString, sheet);
    QFETCH(bool, landscape);
    QFETCH(int, paper);
    QFETCH(int, sizeId);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(int, index);

    FakePrinters fake;
    fillPrinters(fake);
    ScriptedInteraction ui;
    TPagePrinter printer;
    printer.SetPaper(PaperA4);
    printer.SetOrientation(landscape ? poPortrait : poLandscape);
    QCOMPARE(printer.PrinterName(), office);

    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        [&] {
            QVERIFY(chooseByKeys(dialog->PrinterCombo, printerName));
            QVERIFY(chooseByKeys(dialog->PaperSizeCombo, sheet));
            QTest::mouseClick(landscape ? dialog->LandscapeButton : dialog->PortraitButton, Qt::LeftButton);
            QCOMPARE(dialog->Orientation(), landscape ? int(poLandscape) : int(poPortrait));
        }();
        QTest::mouseClick(dialog->OkButton, Qt::LeftButton);
        return dialog->result();
    });
    QVERIFY(printer.PrinterSetupDialog());
    QVERIFY(ui.allUsed());
    QCOMPARE(printer.PrinterName(), printerName);
    QCOMPARE(printer.PrinterIndex(), index);
    QVERIFY(printer.OutputFileName().isEmpty());
    QCOMPARE(printer.Paper(), paper);
    QCOMPARE(int(printer.PageSize().id()), sizeId);
    QCOMPARE(printer.Orientation(), landscape ? int(poLandscape) : int(poPortrait));
    QVERIFY2(std::abs(printer.PageWidth() - width) < 0.01, qPrintable(QString::number(printer.PageWidth())));
    QVERIFY2(std::abs(printer.PageHeight() - height) < 0.01, qPrintable(QString::number(printer.PageHeight())));
    // The platform printer is asked for that sheet too.
    QCOMPARE(int(printer.Printer().pageLayout().pageSize().id()), sizeId);
}

void TestPageSetup::jobRefusesAPrinterTheSystemDoesNotOffer()
{
    // The fake printers exist only in the list: a job for one of them must
    // fail instead of landing on whatever queue the platform falls back to.
    FakePrinters fake;
    fillPrinters(fake);
    ScriptedInteraction ui;
    TPagePrinter printer;
    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        chooseByKeys(dialog->PrinterCombo, labels);
        QTest::keyClick(dialog->OkButton, Qt::Key_Space);
        return dialog->result();
    });
    QVERIFY(printer.PrinterSetupDialog());
    QCOMPARE(printer.PrinterName(), labels);
    bool printed = false;
    printer.OnPrint = [&](TPageEngine&) { printed = true; };
    try {
        printer.Execute();
        QFAIL("the job started on a printer the system does not have");
    } catch (const EPrinter& e) {
        QVERIFY2(e.message().contains(labels), qPrintable(e.message()));
    }
    QVERIFY(!printed);
    QVERIFY(!printer.Printing());
}

void TestPageSetup::cancelChangesNothing_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Escape key") << true;
}

void TestPageSetup::cancelChangesNothing()
{
    QFETCH(bool, escape);
    FakePrinters fake;
    fillPrinters(fake);
    ScriptedInteraction ui;
    TPagePrinter printer;
    QVERIFY(printer.SetPrinterName(cards));
    const EngineState before = stateOf(printer);

    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        chooseByKeys(dialog->PrinterCombo, labels);
        chooseByKeys(dialog->PaperSizeCombo, QStringLiteral("A4"));
        QTest::mouseClick(dialog->LandscapeButton, Qt::LeftButton);
        if (escape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
        return dialog->result();
    });
    QVERIFY(!printer.PrinterSetupDialog());
    QVERIFY(ui.allUsed());
    QCOMPARE(stateOf(printer), before);
}

void TestPageSetup::fileOutputStaysUnlessAPrinterIsChosen()
{
    FakePrinters fake;
    fillPrinters(fake);
    ScriptedInteraction ui;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    TPagePrinter printer;
    printer.SetOutputFileName(pdf);

    // OK with the file still chosen: the output stays the file; the paper
    // chosen applies.
    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        [&] {
            QCOMPARE(dialog->PrinterCombo->currentText(), QStringLiteral("PDF file sheet.pdf"));
            QCOMPARE(dialog->PrinterCombo->count(), 4);
            QCOMPARE(dialog->WhereLabel->text(), pdf);
            QVERIFY(chooseByKeys(dialog->PaperSizeCombo, QStringLiteral("A4")));
        }();
        QTest::mouseClick(dialog->OkButton, Qt::LeftButton);
        return dialog->result();
    });
    QVERIFY(printer.PrinterSetupDialog());
    QCOMPARE(printer.OutputFileName(), pdf);
    QCOMPARE(printer.PrinterName(), QString());
    QCOMPARE(printer.Paper(), PaperA4);

    // Choosing a printer leaves the file for that queue.
    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        chooseByKeys(dialog->PrinterCombo, cards);
        QTest::mouseClick(dialog->OkButton, Qt::LeftButton);
        return dialog->result();
    });
    QVERIFY(printer.PrinterSetupDialog());
    QVERIFY(ui.allUsed());
    QCOMPARE(printer.OutputFileName(), QString());
    QCOMPARE(printer.PrinterName(), cards);
    QCOMPARE(printer.Paper(), PaperA4);
}

void TestPageSetup::propertiesRunsThePageSetupOfTheChosenPrinter()
{
    FakePrinters fake;
    fillPrinters(fake);
    ScriptedInteraction ui;
    TPagePrinter printer;
    QVERIFY(printer.SetPrinterName(cards));

    QPageSize offered;
    QPageLayout::Orientation offeredOrientation = QPageLayout::Landscape;
    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        // First a cancelled page setup: nothing it did comes back.
        QTest::mouseClick(dialog->PropertiesButton, Qt::LeftButton);
        [&] {
            QCOMPARE(dialog->PaperSizeCombo->currentText(), QStringLiteral("Letter"));
            QVERIFY(dialog->PortraitButton->isChecked());
        }();
        // Then a confirmed one: its sheet and orientation come back.
        QTest::mouseClick(dialog->PropertiesButton, Qt::LeftButton);
        [&] {
            QCOMPARE(dialog->PaperSizeCombo->currentText(), QPageSize(QPageSize::A5).name());
            QVERIFY(dialog->LandscapeButton->isChecked());
        }();
        QTest::mouseClick(dialog->OkButton, Qt::LeftButton);
        return dialog->result();
    });
    ui.answerDialog([&](QDialog& d) {
        auto* setup = qobject_cast<QPageSetupDialog*>(&d);
        if (!setup)
            return mrCancel;
        setup->printer()->setPageSize(QPageSize(QPageSize::A5));
        setup->printer()->setPageOrientation(QPageLayout::Landscape);
        return mrCancel;
    });
    ui.answerDialog([&](QDialog& d) {
        auto* setup = qobject_cast<QPageSetupDialog*>(&d);
        if (!setup)
            return mrCancel;
        // It starts from what the printer setup shows.
        offered = setup->printer()->pageLayout().pageSize();
        offeredOrientation = setup->printer()->pageLayout().orientation();
        setup->printer()->setPageSize(QPageSize(QPageSize::A5));
        setup->printer()->setPageOrientation(QPageLayout::Landscape);
        return mrOk;
    });
    QVERIFY(printer.PrinterSetupDialog());
    QVERIFY(ui.allUsed());
    QCOMPARE(int(offered.id()), int(QPageSize::Letter));
    QCOMPARE(offeredOrientation, QPageLayout::Portrait);
    QStringList modal;
    for (const test::Asked& a : ui.log())
        if (a.kind == QStringLiteral("RunModal"))
            modal << a.caption;
    QCOMPARE(modal, QStringList({QStringLiteral("bv::TPageSetupDialog"), QStringLiteral("QPageSetupDialog"),
                                 QStringLiteral("QPageSetupDialog")}));
    QCOMPARE(printer.PrinterName(), cards);
    QCOMPARE(int(printer.PageSize().id()), int(QPageSize::A5));
    QCOMPARE(printer.Orientation(), int(poLandscape));
    QVERIFY(std::abs(printer.PageHeight() - 148 / 25.4) < 0.01);
}

void TestPageSetup::noPrintersLeavesOnlyPaperAndOrientation()
{
    // A print system that fails to answer shows an empty list rather than
    // stopping the dialog; OK still sets paper and orientation.
    FakePrinters fake;
    fillPrinters(fake);
    ScriptedInteraction ui;
    TPagePrinter printer;
    fake.failing = true;
    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        [&] {
            QCOMPARE(dialog->PrinterCombo->count(), 0);
            QVERIFY(!dialog->PropertiesButton->isEnabled());
            QCOMPARE(dialog->PrinterName(), QString());
        }();
        chooseByKeys(dialog->PaperSizeCombo, QStringLiteral("A4"));
        QTest::mouseClick(dialog->LandscapeButton, Qt::LeftButton);
        QTest::mouseClick(dialog->OkButton, Qt::LeftButton);
        return dialog->result();
    });
    QVERIFY(printer.PrinterSetupDialog());
    QVERIFY(ui.allUsed());
    QCOMPARE(printer.PrinterName(), office); // the queue it had stays
    QCOMPARE(printer.Paper(), PaperA4);
    QCOMPARE(printer.Orientation(), int(poLandscape));
}

void TestPageSetup::aPrinterRemovedMeanwhileIsReported()
{
    FakePrinters fake;
    fillPrinters(fake);
    ScriptedInteraction ui;
    ui.expectError();
    TPagePrinter printer;
    ui.answerDialog([&](QDialog& d) {
        TPageSetupDialog* dialog = setupDialog(d);
        if (!dialog)
            return mrCancel;
        chooseByKeys(dialog->PrinterCombo, labels);
        chooseByKeys(dialog->PaperSizeCombo, QStringLiteral("A4"));
        fake.names.removeAll(labels);
        QTest::mouseClick(dialog->OkButton, Qt::LeftButton);
        return dialog->result();
    });
    QVERIFY(printer.PrinterSetupDialog());
    QVERIFY(ui.allUsed());
    QCOMPARE(ui.messages(), QStringList({QStringLiteral("The printer \"Label Jet\" is no longer installed.")}));
    QCOMPARE(printer.PrinterName(), office);
    QCOMPARE(printer.Paper(), PaperA4); // the rest of the choice still applies
}

void TestPageSetup::filesNeverRelyOnDriverCopies_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("throughEngine");
    QTest::newRow("PDF output") << QStringLiteral("sheet.pdf") << true;
    // "Print to file" of the platform's print dialog on a queue: the driver
    // may make copies on paper, never inside the file.
    QTest::newRow("queue printed to a file") << QStringLiteral("sheet.prn") << false;
}

void TestPageSetup::filesNeverRelyOnDriverCopies()
{
    QFETCH(QString, file);
    QFETCH(bool, throughEngine);
    QTemporaryDir dir;
    TPagePrinter printer;
    if (throughEngine)
        printer.SetOutputFileName(dir.filePath(file));
    else
        printer.Printer().setOutputFileName(dir.filePath(file));
    QCOMPARE(printer.OutputFileName(), dir.filePath(file));
    QCOMPARE(printer.DriverCopies(), 1);
    printer.SetOutputFileName(QString());
    QVERIFY(printer.OutputFileName().isEmpty());
}

QTEST_MAIN(TestPageSetup)
#include "tst_page_setup.moc"
