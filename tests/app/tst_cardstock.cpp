// Card stock from the label-template library installed with glabels-data:
// products read with their geometry exactly as the XML gives it (the
// expected figures are the XML's, converted by hand to the thousandths of an
// inch the layout keeps), equivalents, products refused with their note,
// broken files skipped with a log message, the layout dialog driven by
// typing a part number and clicking the row, and a sheet printed on a
// library product with card 1 where the XML puts it.
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

void TestCardStock::sheetOnALibraryProductPutsCardOneWhereTheXmlSays()
{
    if (!haveLibrary)
        QSKIP("glabels-data is not installed");
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) is needed to read the sheet back");
    const TCardStock* stock = TCardStockLibrary::Installed().Find(QStringLiteral("Avery C32011-10"));
    QVERIFY(stock);
    TCardLayout layout;
    QVERIFY(ApplyCardStock(layout, *stock));
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    SetCardSizeFromInches(panel.Model(), layout);
    // A blue box over the whole card.
    addPrintBox(panel, 0, 0, panel.width(), panel.height());
    TPrintCommands printing(panel.Model());
    printing.Unattended = true;
    printing.Layout = [&] { return layout; };
    const QString pdf = home.filePath(QStringLiteral("c32011.pdf"));
    QVERIFY(printing.ExportSheetPdf(pdf));
    const QList<QImage> pages = rasterizePdf(pdf, 100);
    QCOMPARE(pages.size(), 1);
    const QImage& page = pages[0];
    // A4 at 100 dpi: 826.8 x 1169.3 pixels.
    QVERIFY(std::abs(page.width() - 827) <= 1 && std::abs(page.height() - 1169) <= 1);
    // Card 1 from x0 15mm, y0 13.5mm: 59.1 and 53.1 pixels; 85 x 54 mm wide
    // and high: 334.6 and 212.6 pixels. The card 2 beside it starts at
    // x0 + dx = 110mm: 433.1 pixels.
    const int y = 53 + 100;
    const int x = 59 + 150;
    QVERIFY(isBlue(page.pixel(x, y)));
    QVERIFY(std::abs(firstX(page, y, 20, x, isBlue) - 59) <= 1);
    QVERIFY(std::abs(firstY(page, x, 20, y, isBlue) - 53) <= 1);
    QVERIFY(std::abs(lastX(page, y, x, 420, isBlue) - 393) <= 1);
    QVERIFY(std::abs(firstX(page, y, 400, 600, isBlue) - 433) <= 1);
}

QTEST_MAIN(TestCardStock)
#include "tst_cardstock.moc"
