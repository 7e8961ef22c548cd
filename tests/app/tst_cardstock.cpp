// Card stock from the label-template library installed with glabels-data:
// products read with their geometry exactly as the XML gives it (the
// expected figures are the XML's, converted by hand to the thousandths of an
// inch the layout keeps), equivalents, products refused with their note,
// broken files skipped with a log message, the layout dialog driven by
// typing a part number and clicking the row, and a sheet printed on a
// library product (Letter, A4 or another sheet of the library's papers)
// with the page size and card 1 where the XML puts them.
#include "app/EditCardLayout.h"
#include "document/CardDocument.h"
#include "document/CardStockLibrary.h"
#include "printing/PrintCommands.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"
#include "../printing/PrintTestKit.h"

#include "widgets/NumericEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace bv;
using namespace bv::test;

namespace {

const QString LibraryFolder = QStringLiteral("/usr/share/libglabels-3.0/templates");

int stored(Single inches)
{
    return LayoutLengthToStored(inches);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestCardStock : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void productsAsTheXmlGivesThem_data();
    void productsAsTheXmlGivesThem();
    void productsThatCannotBeChosen_data();
    void productsThatCannotBeChosen();
    void brokenFilesAreSkippedWithAMessage();
    void dialogFindsTypedPartAndTakesTheClickedRow();
    void missingLibraryKeepsTheOwnLayoutsAndHints();
    void sheetOnALibraryProductPutsCardOneWhereTheXmlSays_data();
    void sheetOnALibraryProductPutsCardOneWhereTheXmlSays();

private:
    QTemporaryDir home;
    bool haveLibrary = false;
};

void TestCardStock::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
    haveLibrary = QFile::exists(LibraryFolder + QStringLiteral("/avery-us-templates.xml"));
}

void TestCardStock::productsAsTheXmlGivesThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper");
    // across, down, card width, height, left margin, top margin, h pitch,
    // v pitch, corner radius, all in thousandths of an inch.
    QTest::addColumn<QList<int>>("geometry");
    QTest::addColumn<QString>("equivalentOf");
    // Avery 5371: 3.5in x 2in, nx 2 ny 5, x0 0.75in y0 0.5in, dx 3.5in dy 2in.
    QTest::newRow("Avery 5371, inches on Letter")
        << "Avery 5371" << int(PaperLetter) << QList<int>{ 2, 5, 3500, 2000, 750, 500, 3500, 2000, 0 } << "";
    QTest::newRow("Avery 8371 is the same as 5371")
        << "avery 8371" << int(PaperLetter) << QList<int>{ 2, 5, 3500, 2000, 750, 500, 3500, 2000, 0 } << "5371";
    // Avery C32011-10: 85mm x 54mm, x0 15mm y0 13.5mm dx 95mm dy 54mm:
    // 3.34646, 2.12598, 0.59055, 0.53150, 3.74016 inches.
    QTest::newRow("Avery C32011-10, millimetres on A4")
        << "Avery C32011-10" << int(PaperA4) << QList<int>{ 2, 5, 3346, 2126, 591, 531, 3740, 2126, 0 } << "";
    // Avery L4785: 80mm x 50mm round 4mm, x0 18mm y0 13mm dx 95mm dy 55mm.
    QTest::newRow("Avery L4785, rounded corners")
        << "Avery L4785" << int(PaperA4) << QList<int>{ 2, 5, 3150, 1969, 709, 512, 3740, 2165, 157 } << "";
    // Avery 7160: points without a unit: 181.4 x 108 round 5, x0 21.2
    // y0 43.9 dx 187.2 dy 108 (divided by 72).
    QTest::newRow("Avery 7160, points")
        << "Avery 7160" << int(PaperA4) << QList<int>{ 3, 7, 2519, 1500, 294, 610, 2600, 1500, 69 } << "";
}

void TestCardStock::productsAsTheXmlGivesThem()
{
    if (!haveLibrary)
        QSKIP("glabels-data is not installed");
    QFETCH(QString, name);
    QFETCH(int, paper);
    QFETCH(QList<int>, geometry);
    QFETCH(QString, equivalentOf);
    const TCardStockLibrary& library = TCardStockLibrary::Installed();
    const TCardStock* stock = library.Find(name);
    QVERIFY2(stock, qPrintable(name));
    QCOMPARE(stock->EquivalentOf, equivalentOf);
    TCardLayout layout;
    layout.Portrait = true;
    QVERIFY(ApplyCardStock(layout, *stock));
    const QList<int> got { layout.Across, layout.Down, stored(layout.Width), stored(layout.Height),
        stored(layout.LeftMargin), stored(layout.TopMargin), stored(layout.HPitch), stored(layout.VPitch),
        stored(layout.CornerRadius) };
    QCOMPARE(got, geometry);
    QCOMPARE(layout.Papersize, paper);
    QCOMPARE(layout.Stock.toLower(), name.toLower());
    QVERIFY(layout.Portrait); // the orientation is the user's
    // The stored form keeps the product for the next reading.
    QCOMPARE(LayoutFromCompanion(CompanionFromLayout(layout)), layout);
}

void TestCardStock::productsThatCannotBeChosen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("note");
    // Two Layout elements in one label.
    QTest::newRow("two layouts") << "Stomper PRO Zip" << "not one regular grid";
    QTest::newRow("two layouts, case first") << "Online Labels OL5050 (case first)" << "not one regular grid";
}

void TestCardStock::productsThatCannotBeChosen()
{
    if (!haveLibrary)
        QSKIP("glabels-data is not installed");
    QFETCH(QString, name);
    QFETCH(QString, note);
    const TCardStock* stock = TCardStockLibrary::Installed().Find(name);
    QVERIFY2(stock, qPrintable(name));
    QVERIFY2(stock->Note.contains(note), qPrintable(stock->Note));
    TCardLayout layout;
    const TCardLayout before = layout;
    QVERIFY(!ApplyCardStock(layout, *stock));
    QCOMPARE(layout, before);
}

void TestCardStock::brokenFilesAreSkippedWithAMessage()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("paper-sizes.xml"),
        "<Glabels-paper-sizes><Paper-size id=\"A4\" width=\"210mm\" height=\"297mm\"/></Glabels-paper-sizes>");
    writeFile(dir.filePath("good.xml"),
        "<Glabels-templates><Template brand=\"Acme\" part=\"BC10\" size=\"A4\" _description=\"Cards\">"
        "<Label-rectangle id=\"0\" width=\"85mm\" height=\"55mm\" round=\"0\">"
        "<Layout nx=\"2\" ny=\"5\" x0=\"12.5mm\" y0=\"11mm\" dx=\"100mm\" dy=\"55mm\"/>"
        "</Label-rectangle></Template>"
        "<Template brand=\"Acme\" part=\"BC11\" equiv=\"BC10\"/></Glabels-templates>");
    writeFile(dir.filePath("broken.xml"),
        "<Glabels-templates><Template brand=\"Acme\" part=\"BAD1\" size=\"A4\"><Label-rectangle width=\"3in\"");
    writeFile(dir.filePath("mismatched.xml"), "<Glabels-templates><Template></Glabels-templates>");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("broken\\.xml skipped"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("mismatched\\.xml skipped"));
    const TCardStockLibrary library =
        TCardStockLibrary::Load({ dir.path(), dir.filePath(QStringLiteral("no-such-folder")) });
    QCOMPARE(library.Products().size(), 2);
    const TCardStock* equivalent = library.Find(QStringLiteral("Acme BC11"));
    QVERIFY(equivalent);
    QCOMPARE(equivalent->EquivalentOf, QStringLiteral("BC10"));
    TCardLayout layout;
    QVERIFY(ApplyCardStock(layout, *equivalent));
    QCOMPARE(stored(layout.LeftMargin), 492); // 12.5mm = 0.49213in
    QCOMPARE(layout.Papersize, int(PaperA4));
    QVERIFY(!library.Find(QStringLiteral("Acme BAD1")));
}

void TestCardStock::dialogFindsTypedPartAndTakesTheClickedRow()
{
    if (!haveLibrary)
        QSKIP("glabels-data is not installed");
    TCardLayout start;
    start.Papersize = PaperA4;
    start.Across = 3;
    start.Down = 3;
    TEditCardLayout d;
    d.SetLayout(start);
    d.show();
    QApplication::setActiveWindow(&d);
    QVERIFY(QTest::qWaitForWindowExposed(&d));

    d.StockSearch->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(d.StockSearch, QStringLiteral("8371"));
    // One brand, its rows all carrying 8371 (8371 itself and 28371).
    QCOMPARE(d.StockList->topLevelItemCount(), 1);
    QTreeWidgetItem* brand = d.StockList->topLevelItem(0);
    QCOMPARE(brand->text(0), QStringLiteral("Avery"));
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < brand->childCount(); ++i)
        if (brand->child(i)->text(0).startsWith(QStringLiteral("8371 ")))
            row = brand->child(i);
    QVERIFY(row);
    const QRect where = d.StockList->visualItemRect(row);
    QVERIFY(!where.isEmpty());
    QTest::mouseClick(d.StockList->viewport(), Qt::LeftButton, {}, where.center());
    QCOMPARE(d.enbracross->value(), 2);
    QCOMPARE(d.enbrdown->value(), 5);
    QCOMPARE(d.eleftmarg->text(), QStringLiteral("0.75"));
    QCOMPARE(d.epapersize->currentIndex(), 0); // Letter
    QVERIFY(d.StockInfo->text().contains(QStringLiteral("Avery 8371")));

    QTest::mouseClick(d.OkButton, Qt::LeftButton);
    QCOMPARE(d.result(), int(mrOk));
    QCOMPARE(d.Layout.Stock, QStringLiteral("Avery 8371"));
    QCOMPARE(stored(d.Layout.HPitch), 3500);
    QCOMPARE(stored(d.Layout.VPitch), 2000);
    QCOMPARE(d.Layout.Papersize, int(PaperLetter));
}

void TestCardStock::missingLibraryKeepsTheOwnLayoutsAndHints()
{
    QTemporaryDir empty;
    const TCardStockLibrary none = TCardStockLibrary::Load({ empty.filePath(QStringLiteral("missing")) });
    QVERIFY(none.IsEmpty());
    TEditCardLayout d;
    d.SetCardStockLibrary(&none);
    d.SetLayout(TCardLayout());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QCOMPARE(d.PredefinedLayouts->count(), PredefinedLayoutCount);
    QVERIFY(!d.StockSearch->isEnabled());
    QVERIFY(d.StockInfo->text().contains(QStringLiteral("glabels-data")));
}

void TestCardStock::sheetOnALibraryProductPutsCardOneWhereTheXmlSays_data()
{
    QTest::addColumn<QString>("name");
    // The sheet in PDF points, from the paper's size in the XML (x 72 / 25.4).
    QTest::addColumn<QSizeF>("pagePoints");
    // A blue box on the card, in panel pixels at 96 per inch.
    QTest::addColumn<QRect>("box");
    // At 100 dpi: card 1's ink left, top and last column, and card 2's
    // first column, by hand from the XML.
    QTest::addColumn<QList<int>>("ink");
    // Avery C32011-10 on A4 (210 x 297 mm: 595.28 x 841.89 pt), the box over
    // the whole card. Card 1 from x0 15mm, y0 13.5mm: 59.1 and 53.1 pixels;
    // 85 mm wide: 334.6 pixels, so its last column is 393. Card 2 starts at
    // x0 + dx = 110mm: 433.1 pixels.
    QTest::newRow("A4") << "Avery C32011-10" << QSizeF(595.28, 841.89) << QRect(0, 0, -1, -1)
                        << QList<int>{ 59, 53, 393, 433 };
    // Hisago GB865 on B4 (250 x 353 mm: 708.66 x 1000.63 pt), 6 x 4 cards of
    // 42.83333 x 91 mm from the sheet's corner (x0 = y0 = 0). The box from
    // 0.25 in, 0.5 in, one inch square: card 1's ink from 25 and 50 pixels
    // to 124; card 2 from dx + 0.25 in = 168.6 + 25 = 193.6 pixels.
    QTest::newRow("B4, from the library's paper sizes")
        << "Hisago GB865" << QSizeF(708.66, 1000.63) << QRect(24, 48, 96, 96) << QList<int>{ 25, 50, 124, 194 };
}

void TestCardStock::sheetOnALibraryProductPutsCardOneWhereTheXmlSays()
{
    if (!haveLibrary)
        QSKIP("glabels-data is not installed");
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) is needed to read the sheet back");
    QFETCH(QString, name);
    QFETCH(QSizeF, pagePoints);
    QFETCH(QRect, box);
    QFETCH(QList<int>, ink);
    const TCardStock* stock = TCardStockLibrary::Installed().Find(name);
    QVERIFY(stock);
    QVERIFY2(stock->Choosable(), qPrintable(stock->Note));
    TCardLayout layout;
    QVERIFY(ApplyCardStock(layout, *stock));
    // Stored and read back as a design keeps it: the sheet is printed from
    // what a saved layout holds.
    layout = LayoutFromCompanion(CompanionFromLayout(layout));
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    SetCardSizeFromInches(panel.Model(), layout);
    if (box.isEmpty())
        box = QRect(0, 0, panel.width(), panel.height());
    addPrintBox(panel, box.x(), box.y(), box.width(), box.height());
    TPrintCommands printing(panel.Model());
    printing.Unattended = true;
    printing.Layout = [&] { return layout; };
    const QString pdf = home.filePath(QStringLiteral("%1.pdf").arg(QTest::currentDataTag()).replace(' ', '-'));
    QVERIFY(printing.ExportSheetPdf(pdf));

    // The page size as poppler reads it; the writer keeps whole points.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { pdf });
    QVERIFY(info.waitForFinished(10000));
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
                                             .match(QString::fromLatin1(info.readAllStandardOutput()));
    QVERIFY(size.hasMatch());
    QVERIFY2(std::abs(size.captured(1).toDouble() - pagePoints.width()) <= 0.5
            && std::abs(size.captured(2).toDouble() - pagePoints.height()) <= 0.5,
        qPrintable(size.captured(0)));

    const QList<QImage> pages = rasterizePdf(pdf, 100);
    QCOMPARE(pages.size(), 1);
    const QImage& page = pages[0];
    const int y = ink[1] + 50;
    const int x = ink[0] + 50;
    QVERIFY(isBlue(page.pixel(x, y)));
    QVERIFY(std::abs(firstX(page, y, 0, x, isBlue) - ink[0]) <= 1);
    QVERIFY(std::abs(firstY(page, x, 0, y, isBlue) - ink[1]) <= 1);
    QVERIFY(std::abs(lastX(page, y, x, ink[3] - 5, isBlue) - ink[2]) <= 1);
    QVERIFY(std::abs(firstX(page, y, ink[3] - 20, ink[3] + 100, isBlue) - ink[3]) <= 1);
}

QTEST_MAIN(TestCardStock)
#include "tst_cardstock.moc"
