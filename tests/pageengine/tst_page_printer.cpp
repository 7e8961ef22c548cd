// The printer engine writing PDF files (pdfinfo and pdftoppm from
// poppler-utils read them back), its paper, orientation and copies, and its
// dialogs through the interaction seam.
#include "pageengine/PagePrinter.h"
#include "pageengine/PageSetupDialog.h"
#include "pageengine/PrintQueueJob.h"

#include "support/FakePrinters.h"
#include "support/ScriptedInteraction.h"

#include <QPrinterInfo>

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace bv;
using namespace bv::PageStyle;

namespace {

// "Pages:" and "Page size:" lines of pdfinfo.
QMap<QString, QString> pdfInfo(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    QMap<QString, QString> info;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0)
            info[line.left(colon).trimmed()] = line.mid(colon + 1).trimmed();
    }
    return info;
}

} // namespace

class TestPagePrinter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pdfHasThePagesDrawn_data();
    void pdfHasThePagesDrawn();
    void pdfDrawingLandsInInches();
    void abortStopsOutput();
    void deviceFactsFollowPaperAndOrientation();
    void printDialogSetsCopies();
    void setupDialogTakesOrientation();
    void cannotStartIsAnError();
    void fileOutputAsksThePrintServiceNothing();
    void queueJobCarriesThePrintDialogsChoices_data();
    void queueJobCarriesThePrintDialogsChoices();

private:
    bool havePoppler = false;
};

void TestPagePrinter::initTestCase()
{
    havePoppler = !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

void TestPagePrinter::pdfHasThePagesDrawn_data()
{
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("size");
    QTest::newRow("Letter portrait, 3 pages") << PaperLetter << int(poPortrait) << 3 << "612 x 792 pts (letter)";
    QTest::newRow("Letter landscape, 1 page") << PaperLetter << int(poLandscape) << 1 << "792 x 612 pts (letter)";
    QTest::newRow("A4 portrait, 2 pages") << PaperA4 << int(poPortrait) << 2 << "595 x 842 pts (A4)";
}

void TestPagePrinter::pdfHasThePagesDrawn()
{
    if (!havePoppler)
        QSKIP("pdfinfo/pdftoppm (poppler-utils) not installed");
    QFETCH(int, paper);
    QFETCH(int, orientation);
    QFETCH(int, pages);
    QFETCH(QString, size);
    QTemporaryDir dir;
    const QString path = dir.filePath("job.pdf");
    TPagePrinter printer;
    printer.SetOutputFileName(path);
    printer.SetPaper(paper);
    printer.OnBeforePrint = [&](TPageEngine& e) { e.SetOrientation(orientation); };
    printer.OnPrint = [&](TPageEngine& e) {
        for (int page = 1; page <= pages; ++page) {
            e.Rectangle(1, 1, 2, 2);
            if (page < pages)
                e.NewPage();
        }
    };
    printer.Execute();
    QVERIFY(!printer.Aborted());
    QCOMPARE(printer.CurrentPage(), pages);
    const auto info = pdfInfo(path);
    QCOMPARE(info.value("Pages"), QString::number(pages));
    QCOMPARE(info.value("Page size"), size);
    QCOMPARE(info.value("Title"), QStringLiteral("Brisvale"));
}

void TestPagePrinter::pdfDrawingLandsInInches()
{
    if (!havePoppler)
        QSKIP("pdfinfo/pdftoppm (poppler-utils) not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath("geometry.pdf");
    TPagePrinter printer;
    printer.SetOutputFileName(path);
    printer.OnPrint = [](TPageEngine& e) {
        e.SetPen(clBlack, psClear, 1);
        e.SetBrush(clRed, bsSolid);
        e.Rectangle(1.0, 2.0, 3.5, 4.0);
        e.SetPen(clBlack, psSolid, -5); // 0.05 inch: 5 pixels at 100 dpi
        e.MoveTo(1.0, 6.0);
        e.LineTo(5.0, 6.0);
    };
    printer.Execute();
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {"-r", "100", "-png", "-singlefile", path, dir.filePath("page")});
    QVERIFY(p.waitForFinished(60000));
    QImage page(dir.filePath("page.png"));
    QCOMPARE(page.size(), QSize(850, 1100));
    QRect red;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            if (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60)
                red |= QRect(x, y, 1, 1);
        }
    // Within a pixel of (100, 200)-(350, 400).
    QVERIFY2(std::abs(red.left() - 100) <= 1 && std::abs(red.top() - 200) <= 1, qPrintable(QString("%1,%2").arg(red.left()).arg(red.top())));
    QVERIFY2(std::abs(red.right() + 1 - 350) <= 1 && std::abs(red.bottom() + 1 - 400) <= 1,
             qPrintable(QString("%1,%2").arg(red.right()).arg(red.bottom())));
    int dark = 0;
    for (int y = 590; y < 610; ++y)
        dark += qGray(page.pixel(300, y)) < 128;
    QVERIFY(std::abs(dark - 5) <= 1);
}

void TestPagePrinter::abortStopsOutput()
{
    if (!havePoppler)
        QSKIP("pdfinfo/pdftoppm (poppler-utils) not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath("aborted.pdf");
    TPagePrinter printer;
    printer.SetOutputFileName(path);
    printer.OnPrint = [](TPageEngine& e) {
        while (e.CurrentPage() < 4) {
            e.Rectangle(1, 1, 2, 2);
            if (e.CurrentPage() == 2)
                e.Abort();
            e.NewPage();
        }
    };
    printer.Execute();
    QVERIFY(printer.Aborted());
    // An aborted PDF is not a finished four-page document.
    const auto info = pdfInfo(path);
    QVERIFY(info.value("Pages") != QStringLiteral("4"));
}

void TestPagePrinter::deviceFactsFollowPaperAndOrientation()
{
    QTemporaryDir dir;
    TPagePrinter printer;
    printer.SetOutputFileName(dir.filePath("x.pdf"));
    QCOMPARE(printer.Title(), QStringLiteral("Brisvale"));
    QVERIFY(printer.ResolutionX() >= 300);
    QCOMPARE(printer.PageHeight(), 11.0);
    printer.SetOrientation(poLandscape);
    QCOMPARE(printer.PageHeight(), 8.5);
    QCOMPARE(printer.PageWidth(), 11.0);
    printer.SetPaper(PaperA4);
    QVERIFY(std::abs(printer.PageHeight() - 210 / 25.4) < 0.01);
    printer.SetOrientation(poPortrait);
    QVERIFY(std::abs(printer.PageHeight() - 297 / 25.4) < 0.01);
    printer.SetMarginLeft(0.5);
    printer.ResetDevice();
    QCOMPARE(printer.MarginLeft(), 0.0);
    QVERIFY(printer.OffsetLeft() >= 0 && printer.OffsetBottom() >= 0);
    QCOMPARE(printer.PrinterIndex(), -1); // PDF output, not a queue
    QVERIFY(printer.DriverCopies() >= 1);
}

void TestPagePrinter::printDialogSetsCopies()
{
    test::ScriptedInteraction ui;
    QTemporaryDir dir;
    TPagePrinter printer;
    printer.SetOutputFileName(dir.filePath("x.pdf"));
    ui.answerDialog([](QDialog& d) {
        auto* dialog = qobject_cast<QPrintDialog*>(&d);
        if (!dialog)
            return mrCancel;
        dialog->printer()->setCopyCount(3);
        return mrOk;
    });
    QVERIFY(printer.PrintDialog());
    QCOMPARE(printer.Copies(), 3);
    ui.answerDialog([](QDialog& d) {
        qobject_cast<QPrintDialog*>(&d)->printer()->setCopyCount(7);
        return mrCancel;
    });
    QVERIFY(!printer.PrintDialog());
    QCOMPARE(printer.Copies(), 3);
    QVERIFY(ui.allUsed());
}

void TestPagePrinter::setupDialogTakesOrientation()
{
    test::ScriptedInteraction ui;
    QTemporaryDir dir;
    TPagePrinter printer;
    printer.SetOutputFileName(dir.filePath("x.pdf"));
    // The printer setup's Properties button opens the platform's page setup;
    // what it sets comes back through the printer setup's OK.
    ui.answerDialog([](QDialog& d) {
        auto* setup = qobject_cast<TPageSetupDialog*>(&d);
        if (!setup)
            return mrCancel;
        setup->PropertiesButtonClick();
        setup->OkButtonClick();
        return setup->result();
    });
    ui.answerDialog([](QDialog& d) {
        auto* dialog = qobject_cast<QPageSetupDialog*>(&d);
        if (!dialog)
            return mrCancel;
        dialog->printer()->setPageOrientation(QPageLayout::Landscape);
        dialog->printer()->setPageSize(QPageSize(QPageSize::A4));
        return mrOk;
    });
    QVERIFY(printer.PrinterSetupDialog());
    QVERIFY(ui.allUsed());
    QCOMPARE(printer.Orientation(), int(poLandscape));
    QCOMPARE(printer.Paper(), PaperA4);
    QVERIFY(std::abs(printer.PageHeight() - 210 / 25.4) < 0.01);
}

void TestPagePrinter::cannotStartIsAnError()
{
    TPagePrinter printer;
    printer.SetOutputFileName(QStringLiteral("/nonexistent-folder/for/sure/x.pdf"));
    bool printed = false;
    printer.OnPrint = [&](TPageEngine&) { printed = true; };
    QVERIFY_THROWS_EXCEPTION(EPrinter, printer.Execute());
    QVERIFY(!printed);
    QVERIFY(!printer.Printing());
}

void TestPagePrinter::fileOutputAsksThePrintServiceNothing()
{
    // A print system that fails every question: a PDF file must not need it.
    test::FakePrinters printers({QStringLiteral("Office")}, QStringLiteral("Office"));
    printers.failing = true;
    QTemporaryDir dir;
    const QString path = dir.filePath("quiet.pdf");
    TPagePrinter printer(path);
    QCOMPARE(printer.PrinterName(), QString());
    printer.OnPrint = [](TPageEngine& e) { e.Rectangle(1, 1, 2, 2); };
    printer.Execute();
    QVERIFY(EndsWithPdfTrailer(path));
}

void TestPagePrinter::queueJobCarriesThePrintDialogsChoices_data()
{
    // IPP job attributes (RFC 8011 section 5.2, PWG 5100.13) and media names
    // (PWG 5101.1).
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("duplex");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QStringList>("expected"); // name=value
    QTest::addColumn<QString>("twoSided");     // when the queue prints both sides
    QTest::newRow("3 copies, long edge, Letter")
        << 3 << int(QPrinter::DuplexLongSide) << PaperLetter
        << QStringList{"copies=3", "media=na_letter_8.5x11in", "print-scaling=none"}
        << QStringLiteral("sides=two-sided-long-edge");
    QTest::newRow("1 copy, short edge, A4")
        << 1 << int(QPrinter::DuplexShortSide) << PaperA4 << QStringList{"copies=1", "media=iso_a4_210x297mm"}
        << QStringLiteral("sides=two-sided-short-edge");
    QTest::newRow("2 copies, one side")
        << 2 << int(QPrinter::DuplexNone) << PaperLetter << QStringList{"copies=2"} << QStringLiteral("sides=one-sided");
    // A sheet given by size and media name (paper -1: ISO B4, 250 x 353 mm)
    // keeps its name through the print dialog.
    QTest::newRow("B4 by its media name")
        << 1 << int(QPrinter::DuplexNone) << -1 << QStringList{"media=iso_b4_250x353mm"}
        << QStringLiteral("sides=one-sided");
}

void TestPagePrinter::queueJobCarriesThePrintDialogsChoices()
{
    QFETCH(int, copies);
    QFETCH(int, duplex);
    QFETCH(int, paper);
    QFETCH(QStringList, expected);
    QFETCH(QString, twoSided);
    const QString queue = QPrinterInfo::defaultPrinterName();
    if (queue.isEmpty())
        QSKIP("no default print queue (scripts/cups-setup.sh sets one up)");
    // A queue that cannot print both sides is asked for one.
    if (QPrinterInfo::printerInfo(queue).supportedDuplexModes().contains(QPrinter::DuplexMode(duplex)))
        expected << twoSided;
    else
        expected << QStringLiteral("sides=one-sided");
    QStringList sent;
    QByteArray pdf;
    QString sentTo;
    SetPdfJobSink([&](const QString& name, const QString&, const QByteArray& bytes, const TJobOptions& options) {
        sentTo = name;
        pdf = bytes;
        for (const auto& [key, value] : options)
            sent << key + QLatin1Char('=') + value;
    });
    test::ScriptedInteraction ui;
    TPagePrinter printer;
    if (paper < 0)
        printer.SetPaperSheet(PaperA4, QSizeF(250 / 25.4, 353 / 25.4), QStringLiteral("iso_b4_250x353mm"));
    else
        printer.SetPaper(paper);
    ui.answerDialog([&](QDialog& d) {
        auto* dialog = qobject_cast<QPrintDialog*>(&d);
        if (!dialog)
            return mrCancel;
        dialog->printer()->setCopyCount(copies);
        dialog->printer()->setDuplex(QPrinter::DuplexMode(duplex));
        return mrOk;
    });
    QVERIFY(printer.PrintDialog());
    printer.OnPrint = [](TPageEngine& e) { e.Rectangle(1, 1, 2, 2); };
    printer.Execute();
    SetPdfJobSink(nullptr);
    QCOMPARE(sentTo, queue);
    QVERIFY(pdf.startsWith("%PDF-"));
    for (const QString& option : expected)
        QVERIFY2(sent.contains(option), qPrintable(option + QStringLiteral(" not in ") + sent.join(' ')));
}

QTEST_MAIN(TestPagePrinter)
#include "tst_page_printer.moc"
