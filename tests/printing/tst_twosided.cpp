// Printing both sides of a sheet: the back page puts each card's back where
// the card's front is once the sheet is turned over (about its long or its
// short edge), read back from the PDF with pdftoppm; and the Print dialog's
// choice, made by clicks, reaches the printed pages.
#include "PrintTestKit.h"

#include "document/CardLayout.h"
#include "pageengine/PagePrinter.h"
#include "pageengine/PrintQueueJob.h"
#include "printing/PrintCardsDialog.h"
#include "printing/PrintCommands.h"
#include "printing/SheetJob.h"
#include "support/ScriptedInteraction.h"
#include "support/UserInput.h"
#include "surface/CompanionFile.h"
#include "platform/Dib.h"

#include <QCheckBox>
#include <QProcess>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {

// The card's number as ink: N squares of 0.15 inch, a quarter inch apart,
// along the card's top edge from its top-left corner. `count` numbers the
// cards in the order they are drawn (a PDF draws a card once per key).
void numberCards(TGBusinessCardPanel32& panel, int& count, TColor colour)
{
    PrintBox* anchor = addPrintBox(panel, 0, 0, 1, 1);
    anchor->fill = 0x00FFFFFF;
    anchor->onPrint = [&count, colour](TPageEngine& e, double left, double top) {
        ++count;
        e.SetBrush(colour, PageStyle::bsSolid);
        e.SetPen(colour, PageStyle::psClear, 1);
        for (int j = 0; j < count; ++j)
            e.Rectangle(left + 0.1 + j * 0.25, top + 0.1, left + 0.25 + j * 0.25, top + 0.25);
    };
}

// An empty design on background art of one colour, in `dir`.
QString writeDesign(const QTemporaryDir& dir, const QString& name, QRgb colour)
{
    QImage art(70, 40, QImage::Format_RGB32);
    art.fill(colour);
    const QString bmp = dir.filePath(name + QStringLiteral(".bmp"));
    Dib::SaveToFile(art, bmp);
    const QString path = dir.filePath(name + QStringLiteral(".QRD"));
    QFile::remove(path);
    QFile::copy(QStringLiteral(BRISVALE_TEST_DATA "/designs/empty.qrd"), path);
    WriteCompanionFile(CompanionPath(path), bmp, CompanionLayout());
    return path;
}

bool inkAt(const QImage& page, double x, double y, double dpi)
{
    return isInk(page.pixel(int(x * dpi), int(y * dpi)));
}

} // namespace

class TestTwoSided : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void backsLieBehindFronts_data();
    void backsLieBehindFronts();
    void printDialogChoosesBothSides();
    void queueJobs_data();
    void queueJobs();
    void batchSheetWithBack();

private:
    QTemporaryDir home;
};

void TestTwoSided::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    QVERIFY(home.isValid());
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
}

void TestTwoSided::backsLieBehindFronts_data()
{
    QTest::addColumn<bool>("longEdge");
    QTest::newRow("long edge") << true;
    QTest::newRow("short edge") << false;
}

void TestTwoSided::backsLieBehindFronts()
{
    QFETCH(bool, longEdge);
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    TGBusinessCardPanel32 front;
    TGBusinessCardPanel32 back;
    int fronts = 0;
    int backs = 0;
    numberCards(front, fronts, clBlack);
    // Every back is the same card: one square in its top-left corner.
    numberCards(back, backs, 0x00FF0000);

    const QString pdf = home.filePath(QStringLiteral("sides-%1.pdf").arg(longEdge ? "long" : "short"));
    TPagePrinter printer(pdf);
    SetEnginePaper(printer, TCardLayout()); // Letter, 8.5 x 11 inches
    TSheetJob job;
    job.Design = &front.Model();
    job.BackDesign = &back.Model();
    job.BackPages = TSheetJob::bpInterleaved;
    job.FlipLongEdge = longEdge;
    job.Engine = &printer;
    job.CardKey = [](int index) { return QString::number(index); };
    // Two across, three down, the grid nudged off the page's centre (to the
    // left by 0.15 inch, down by 0.2) so a mirror that forgot the nudge shows.
    job.Sheet.Across = 2;
    job.Sheet.Down = 3;
    job.Sheet.Left = 0.6;
    job.Sheet.Top = 0.7;
    job.Sheet.HPitch = 3.6;
    job.Sheet.VPitch = 2.2;
    job.Run();
    QVERIFY2(!job.Failed(), qPrintable(job.ErrorMessage()));

    constexpr double dpi = 300;
    const QList<QImage> pages = rasterizePdf(pdf, int(dpi));
    QCOMPARE(pages.size(), 2);
    QCOMPARE(fronts, 6);
    QCOMPARE(backs, 1);
    for (int card = 1; card <= 6; ++card) {
        const int row = (card - 1) / 2;
        const int column = (card - 1) % 2;
        // The front card's corner: 0.6 + 3.6 column, 0.7 + 2.2 row.
        const double x = 0.6 + 3.6 * column;
        const double y = 0.7 + 2.2 * row;
        // Its back seen from the back page: across the 8.5 inch width for a
        // long-edge turn, up the 11 inch height for a short-edge turn.
        const double bx = longEdge ? 8.5 - x - 3.5 : x;
        const double by = longEdge ? y : 11 - y - 2;
        for (int j = 0; j <= card; ++j) {
            const bool mark = j < card;
            const double cx = 0.175 + 0.25 * j;
            const QString where = QStringLiteral("card %1, square %2").arg(card).arg(j + 1);
            QVERIFY2(inkAt(pages[0], x + cx, y + 0.175, dpi) == mark, qPrintable(QStringLiteral("front, ") + where));
        }
        QVERIFY2(inkAt(pages[1], bx + 0.175, by + 0.175, dpi), qPrintable(QStringLiteral("back of card %1").arg(card)));
        QVERIFY2(!inkAt(pages[1], bx + 0.425, by + 0.175, dpi), qPrintable(QStringLiteral("back of card %1").arg(card)));
        // Nothing else of the back within the card.
        QVERIFY2(!inkAt(pages[1], bx + 3.5 - 0.175, by + 2 - 0.175, dpi),
            qPrintable(QStringLiteral("back of card %1").arg(card)));
    }
}

void TestTwoSided::printDialogChoosesBothSides()
{
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    // Empty designs on red (front) and blue (back) background art.
    auto design = [&](const QString& name, QRgb colour) { return writeDesign(home, name, colour); };
    const QString frontFile = design(QStringLiteral("duo"), qRgb(255, 0, 0));
    const QString alone = design(QStringLiteral("solo"), qRgb(255, 0, 0));

    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    TPrintCommands printing(panel.Model());
    QString file = alone;
    printing.DesignFile = [&file] { return file; };
    printing.BackgroundFile = [&] { return home.filePath(QStringLiteral("duo.bmp")); };
    // A design without a back is not offered both sides.
    bool offered = true;
    ui.answerDialog([&](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        return workDialog(d, [&] {
            offered = d.BothSidesCheck->isVisible();
            clickButton(*d.CancelButton);
        });
    });
    QVERIFY(!printing.DoPageSetup());
    QVERIFY(!offered);

    design(QStringLiteral("duo.back"), qRgb(0, 0, 255));
    file = frontFile;
    ui.answerDialog([&](QDialog& dialog) {
        auto& d = static_cast<TSelectSpecificLabels&>(dialog);
        return workDialog(d, [&] {
            d.FormActivate();
            QVERIFY(d.BothSidesCheck->isVisible());
            QVERIFY(!d.ShortEdgeRadio->isEnabled());
            // The indicators sit at the buttons' left ends.
            QTest::mouseClick(d.BothSidesCheck, Qt::LeftButton, {}, QPoint(8, d.BothSidesCheck->height() / 2));
            QTest::mouseClick(d.ShortEdgeRadio, Qt::LeftButton, {}, QPoint(8, d.ShortEdgeRadio->height() / 2));
            // Card 1 alone: the sheet's top-left card.
            clickButton(*d.NoneButton);
            QTest::mouseClick(d.PaintBox1, Qt::LeftButton, Qt::NoModifier, d.PositionRect(0).center());
            clickButton(*d.OkButton);
        });
    });
    QVERIFY(printing.DoPageSetup());

    const QString pdf = home.filePath(QStringLiteral("duo.pdf"));
    auto printer = std::make_unique<TPagePrinter>(pdf);
    SetEnginePaper(*printer, TCardLayout());
    printing.SetMainPagePrinter(std::move(printer));
    printing.Unattended = true;
    const TPrintOutcome outcome = printing.DoPrint();
    QVERIFY2(outcome.Error.isEmpty(), qPrintable(outcome.Error));
    const QList<QImage> pages = rasterizePdf(pdf, 300);
    QCOMPARE(pages.size(), 2);
    // Letter with the usual ten-up layout: card 1 spans 0.75 to 4.25 inches
    // across and 0.5 to 2.5 down; turned about the short edge, its back
    // spans 8.5 to 10.5 inches down the back page.
    auto colourAt = [](const QImage& page, double x, double y) { return page.pixel(int(x * 300), int(y * 300)); };
    const QRgb front = colourAt(pages[0], 2.5, 1.5);
    QVERIFY(qRed(front) > 200 && qBlue(front) < 60);
    const QRgb behind = colourAt(pages[1], 2.5, 9.5);
    QVERIFY(qBlue(behind) > 200 && qRed(behind) < 60);
    QVERIFY(!isInk(colourAt(pages[1], 2.5, 1.5)));
    QVERIFY(!isInk(colourAt(pages[1], 6.25, 9.5)));
}

void TestTwoSided::queueJobs_data()
{
    QTest::addColumn<bool>("twoSidedQueue");
    QTest::addColumn<bool>("turned");       // the user's answer to "turn the stack"
    QTest::addColumn<QStringList>("jobs");  // per job: sides asked, then each page's colour
    QTest::newRow("queue prints both sides")
        << true << false << QStringList{ QStringLiteral("two-sided-short-edge red blue") };
    QTest::newRow("stack turned by hand")
        << false << true << QStringList{ QStringLiteral("one-sided red"), QStringLiteral("one-sided blue") };
    QTest::newRow("stack not turned") << false << false << QStringList{ QStringLiteral("one-sided red") };
}

void TestTwoSided::queueJobs()
{
    QFETCH(bool, twoSidedQueue);
    QFETCH(bool, turned);
    QFETCH(QStringList, jobs);
    const QString queue = QPrinterInfo::defaultPrinterName();
    if (queue.isEmpty())
        QSKIP("no default print queue (scripts/cups-setup.sh sets one up)");
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    auto design = [&](const QString& name, QRgb colour) { return writeDesign(home, name, colour); };
    const QString front = design(QStringLiteral("q"), qRgb(255, 0, 0));
    design(QStringLiteral("q.back"), qRgb(0, 0, 255));

    QStringList sent;
    int job = 0;
    SetPdfJobSink([&](const QString&, const QString&, const QByteArray& pdf, const TJobOptions& options) {
        QString line;
        for (const auto& [key, value] : options)
            if (key == QLatin1String("sides"))
                line = value;
        const QString file = home.filePath(QStringLiteral("%1-job%2.pdf").arg(QLatin1String(QTest::currentDataTag())).arg(++job));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(pdf);
        out.close();
        // Each page: red when card 1's front is there (Letter, ten-up
        // layout: 0.5 to 2.5 inches down), blue when its back is where a
        // short-edge turn puts it (8.5 to 10.5 inches down), by hand or not.
        const QList<QImage> pages = rasterizePdf(file, 72);
        for (int p = 0; p < pages.size(); ++p) {
            const QRgb top = pages[p].pixel(int(2.5 * 72), int(1.5 * 72));
            const QRgb bottom = pages[p].pixel(int(2.5 * 72), int(9.5 * 72));
            const bool red = qRed(top) > 200 && qBlue(top) < 60 && !isInk(bottom);
            const bool blue = qBlue(bottom) > 200 && qRed(bottom) < 60 && !isInk(top);
            line += red ? QStringLiteral(" red") : blue ? QStringLiteral(" blue") : QStringLiteral(" other");
        }
        sent << line;
    });
    SetTwoSidedProbe([twoSidedQueue](const QString&, bool) { return twoSidedQueue; });
    ScriptedInteraction ui;
    if (!twoSidedQueue)
        ui.answerYesNo(turned);
    TGBusinessCardPanel32 panel;
    TPrintCommands printing(panel.Model());
    printing.DesignFile = [&] { return front; };
    printing.BackgroundFile = [&] { return home.filePath(QStringLiteral("q.bmp")); };
    printing.BothSides = true;
    printing.FlipLongEdge = false;
    printing.SelectedCards.fill(false);
    printing.SelectedCards[0] = true;
    auto printer = std::make_unique<TPagePrinter>();
    QVERIFY(printer->SetPrinterName(queue));
    SetEnginePaper(*printer, TCardLayout());
    printing.SetMainPagePrinter(std::move(printer));
    printing.Unattended = true;
    const TPrintOutcome outcome = printing.DoPrint();
    SetPdfJobSink(nullptr);
    SetTwoSidedProbe(nullptr);
    QVERIFY2(outcome.Error.isEmpty(), qPrintable(outcome.Error));
    QCOMPARE(sent, jobs);
    QVERIFY(ui.allUsed());
    // The next job asks for what the print dialog chose again.
    QVERIFY(printing.MainPagePrinter()->SidesRequest().isEmpty());
}

void TestTwoSided::batchSheetWithBack()
{
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/../brisvale-batch");
    if (!QFileInfo(batch).isExecutable())
        QSKIP("brisvale-batch is not built");
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    const QString front = writeDesign(home, QStringLiteral("b"), qRgb(255, 0, 0));
    writeDesign(home, QStringLiteral("b.back"), qRgb(0, 0, 255));
    const QString out = home.filePath(QStringLiteral("batch.pdf"));
    QProcess p;
    p.start(batch, { QStringLiteral("sheet"), front, out, QStringLiteral("--positions"), QStringLiteral("2"),
                       QStringLiteral("--back"), QStringLiteral("--flip"), QStringLiteral("long") });
    QVERIFY(p.waitForFinished(60000));
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput()).contains(QStringLiteral("on 1 sheet(s)")));
    const QList<QImage> pages = rasterizePdf(out, 72);
    QCOMPARE(pages.size(), 2);
    // Card 2 is top right (4.25 to 7.75 inches across); turned about the
    // long edge its back is top left (0.75 to 4.25).
    const QRgb frontInk = pages[0].pixel(6 * 72, 108);
    const QRgb backInk = pages[1].pixel(int(2.5 * 72), 108);
    QVERIFY(qRed(frontInk) > 200 && qBlue(frontInk) < 60);
    QVERIFY(qBlue(backInk) > 200 && qRed(backInk) < 60);
    QVERIFY(!isInk(pages[1].pixel(6 * 72, 108)));
}

QTEST_MAIN(TestTwoSided)
#include "tst_twosided.moc"
