// The print job: where cards land on the sheet (layout, nudges, rotation),
// which positions are drawn, pages and driver copies, the status window's
// texts, Cancel and Stop, backgrounds, and that errors leave the panel as it
// was. Sheets are drawn by a canvas engine into images at 100 dpi.
#include "PrintTestKit.h"

#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PagePrinter.h"
#include "platform/Dib.h"
#include "printing/Imposition.h"
#include "printing/LabelPrinter.h"
#include "printing/PreviewForm.h"
#include "printing/PrintCommands.h"
#include "printing/SheetJob.h"
#include "support/PictureKit.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace bv;
using namespace bv::test;

namespace {

constexpr double kDpi = 100.0;

// A job's pages as images: the engine draws on the current one and asks
// for a fresh one at each new page.
class SheetCanvas {
public:
    explicit SheetCanvas(bool landscape = false) : landscape(landscape)
    {
        engine.SetDeviceFacts(TDeviceFacts{kDpi, kDpi, 0, 0, 0, 8.5, 11});
        engine.OnDevicePage = [this](TCanvasPageEngine& e) {
            painter.end();
            startPage();
            e.SetPainter(&painter);
        };
        startPage();
        engine.SetPainter(&painter);
    }
    ~SheetCanvas()
    {
        if (painter.isActive())
            painter.end();
    }
    QList<QImage> finish()
    {
        if (painter.isActive())
            painter.end();
        return pages;
    }

    TCanvasPageEngine engine;

private:
    void startPage()
    {
        QImage page = landscape ? QImage(1100, 850, QImage::Format_RGB32) : QImage(850, 1100, QImage::Format_RGB32);
        page.fill(Qt::white);
        pages.append(page);
        painter.begin(&pages.last());
    }
    bool landscape;
    QList<QImage> pages;
    QPainter painter;
};

bool blankImage(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

// The blue box's extent on a page, searched from a point inside it.
QRect blueExtent(const QImage& img, QPoint inside)
{
    const int l = firstX(img, inside.y(), 0, inside.x() + 1, isBlue);
    if (l < 0 || !isBlue(img.pixel(inside)))
        return {};
    int left = inside.x();
    while (left > 0 && isBlue(img.pixel(left - 1, inside.y())))
        --left;
    int right = inside.x();
    while (right + 1 < img.width() && isBlue(img.pixel(right + 1, inside.y())))
        ++right;
    int top = inside.y();
    while (top > 0 && isBlue(img.pixel(inside.x(), top - 1)))
        --top;
    int bottom = inside.y();
    while (bottom + 1 < img.height() && isBlue(img.pixel(inside.x(), bottom + 1)))
        ++bottom;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

TCardSelection only(std::initializer_list<int> positions)
{
    TCardSelection s;
    s.fill(false);
    for (int p : positions)
        s[p] = true;
    return s;
}

// A job on `engine` set up for the panel and layout.
void prepare(TSheetJob& job, TGBusinessCardPanel32& panel, TPageEngine& engine, const TCardLayout& layout,
             const TPrinterNudges& nudges = {})
{
    job.Design = &panel.Model();
    job.Engine = &engine;
    job.Sheet = TImposition::FromLayout(layout, nudges, panel.Rotated());
}

} // namespace

class TestLabelPrinter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void cardOrigins_data();
    void cardOrigins();
    void selectedCardsLandWhereTheLayoutSays_data();
    void selectedCardsLandWhereTheLayoutSays();
    void rotatedCardsLieOnALandscapePage();
    void cardCaptionCountsAcrossTheRow_data();
    void cardCaptionCountsAcrossTheRow();
    void everyPositionOfALargeLayoutPrints();
    void sheetsAndDriverCopies_data();
    void sheetsAndDriverCopies();
    void outlineTestDrawsOnlyOutlines();
    void outlineTestWithoutPositionsGivesBlankSheets();
    void statusWindowRunsItsJobOnceShown();
    void finalStatusTexts_data();
    void finalStatusTexts();
    void cancelWhilePrintingAsksFirst_data();
    void cancelWhilePrintingAsksFirst();
    void previewShowsOneCardWithSilverOutline_data();
    void previewShowsOneCardWithSilverOutline();
    void previewChoosesOneCard_data();
    void previewChoosesOneCard();
    void stopEndsPreviewWithoutPreviewWindow();
    void failingObjectReportsFailureAndRestoresPanel();
    void backgroundBitmapCoversThreeAndAHalfByTwoInches_data();
    void backgroundBitmapCoversThreeAndAHalfByTwoInches();
    void metafileBackgroundCoversThreeAndAHalfByTwoInches_data();
    void metafileBackgroundCoversThreeAndAHalfByTwoInches();
    void unreadableBackgroundIsSkipped();
    void jobReportsProgressAndStopsWhenCancelled_data();
    void jobReportsProgressAndStopsWhenCancelled();
    void unattendedPrintRunsWithoutAnyWindow();

private:
    QTemporaryDir home;
};

void TestLabelPrinter::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    qputenv("BRISVALE_HOME", home.path().toUtf8());
    QVERIFY(home.isValid());
}

void TestLabelPrinter::cardOrigins_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<bool>("rotated");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QPointF>("origin");
    // Default layout: 3.5 × 2, margins 0.5 / 0.75, pitches 3.5 and 2.0.
    QTest::newRow("position 3") << 0 << 0 << 0 << 0 << false << 1 << 1 << QPointF(4.25, 2.5);
    QTest::newRow("top nudge +2") << 2 << 0 << 0 << 0 << false << 1 << 1 << QPointF(4.25, 2.5625);
    QTest::newRow("left nudge -3") << 0 << -3 << 0 << 0 << false << 0 << 1 << QPointF(4.15625, 0.5);
    QTest::newRow("vertical spacing +4") << 0 << 0 << 4 << 0 << false << 2 << 0 << QPointF(0.75, 4.75);
    QTest::newRow("horizontal spacing +1") << 0 << 0 << 0 << 1 << false << 0 << 1 << QPointF(4.28125, 0.5);
    // Rotated on Letter: the landscape page is 8.5 inches high.
    QTest::newRow("rotated position 1") << 0 << 0 << 0 << 0 << true << 0 << 1 << QPointF(0.5, 0.75);
    QTest::newRow("rotated position 0") << 0 << 0 << 0 << 0 << true << 0 << 0 << QPointF(0.5, 4.25);
    QTest::newRow("rotated position 2, top nudge") << 8 << 0 << 0 << 0 << true << 1 << 0 << QPointF(2.75, 4.25);
}

void TestLabelPrinter::cardOrigins()
{
    QFETCH(int, top);
    QFETCH(int, left);
    QFETCH(int, vertical);
    QFETCH(int, horizontal);
    QFETCH(bool, rotated);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QPointF, origin);
    const TPrinterNudges nudges{top, left, vertical, horizontal};
    const TImposition sheet = TImposition::FromLayout(TCardLayout(), nudges, rotated);
    const QPointF got = sheet.Origin(row, column, rotated ? 8.5 : 11.0);
    QCOMPARE(got.x(), origin.x());
    QCOMPARE(got.y(), origin.y());
}

void TestLabelPrinter::selectedCardsLandWhereTheLayoutSays_data()
{
    QTest::addColumn<int>("topNudge");
    QTest::addColumn<QRect>("position0");
    QTest::addColumn<QRect>("position3");
    // The box lies at (0.25, 0.5) inch on the card, 1 × 0.5 inch; at 100 dpi
    // position 0 puts it at (100, 100), position 3 at (450, 300).
    QTest::newRow("no nudge") << 0 << QRect(100, 100, 100, 50) << QRect(450, 300, 100, 50);
    // +2/32 inch = 6.25 pixels, rounded half to even at the edges.
    QTest::newRow("top +2") << 2 << QRect(100, 106, 100, 50) << QRect(450, 306, 100, 50);
}

void TestLabelPrinter::selectedCardsLandWhereTheLayoutSays()
{
    QFETCH(int, topNudge);
    QFETCH(QRect, position0);
    QFETCH(QRect, position3);
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 24, 48, 96, 48);
    SheetCanvas canvas;
    TSheetJob job;
    prepare(job, panel, canvas.engine, TCardLayout(), TPrinterNudges{topNudge, 0, 0, 0});
    job.Selected = only({0, 3});
    job.Run();
    QVERIFY(job.Finished());
    QVERIFY(!job.Failed());
    QCOMPARE(job.PositionsDrawn(), QList<int>({0, 3}));
    const QList<QImage> pages = canvas.finish();
    QCOMPARE(pages.size(), 1);
    QCOMPARE(blueExtent(pages[0], position0.center()), position0);
    QCOMPARE(blueExtent(pages[0], position3.center()), position3);
    // Positions 1 and 2 are not selected: nothing there.
    QVERIFY(!isInk(pages[0].pixel(position3.center().x(), position0.center().y())));
    QVERIFY(!isInk(pages[0].pixel(position0.center().x(), position3.center().y())));
    QVERIFY(!panel.Printing());
}

void TestLabelPrinter::rotatedCardsLieOnALandscapePage()
{
    TGBusinessCardPanel32 panel;
    panel.SetRotated(true);
    addPrintBox(panel, 24, 48, 48, 96); // (0.25, 0.5), 0.5 × 1 inch on the card
    SheetCanvas canvas(true);
    TSheetJob job;
    prepare(job, panel, canvas.engine, TCardLayout());
    job.Selected = only({1});
    job.Run();
    QVERIFY(job.Finished());
    QCOMPARE(canvas.engine.Orientation(), int(poLandscape));
    const QList<QImage> pages = canvas.finish();
    QCOMPARE(pages.size(), 1);
    // Position 1 at (0.5, 0.75): the box from (0.75, 1.25) to (1.25, 2.25).
    QCOMPARE(blueExtent(pages[0], QPoint(100, 170)), QRect(75, 125, 50, 100));
}

void TestLabelPrinter::cardCaptionCountsAcrossTheRow_data()
{
    QTest::addColumn<int>("across");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("caption");
    QTest::newRow("3 across, row 1 column 0") << 3 << 1 << 0 << QStringLiteral("Card 4");
    QTest::newRow("2 across, row 1 column 0") << 2 << 1 << 0 << QStringLiteral("Card 3");
    QTest::newRow("1 across, row 2") << 1 << 2 << 0 << QStringLiteral("Card 3");
}

void TestLabelPrinter::cardCaptionCountsAcrossTheRow()
{
    QFETCH(int, across);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, caption);
    TGBusinessCardPanel32 panel;
    PrintBox* box = addPrintBox(panel, 0, 0, 10, 10);
    SheetCanvas canvas;
    TSheetJob job;
    TLabelPrinter status(job);
    TCardLayout layout;
    layout.Across = across;
    layout.Width = 2.0f;
    layout.HPitch = 2.5f;
    prepare(job, panel, canvas.engine, layout);
    job.Selected = only({row * across + column});
    QStringList seen;
    QList<QPointF> origins;
    box->onPrint = [&](TPageEngine&, double x, double y) {
        seen.append(status.Extralabel->text());
        origins.append(QPointF(x, y));
    };
    status.FormActivate();
    QCOMPARE(seen, QStringList({caption}));
    QCOMPARE(origins.first(), QPointF(column * 2.5 + 0.75, row * 2.0 + 0.5));
    QVERIFY(status.Extralabel->text().isEmpty());
}

void TestLabelPrinter::everyPositionOfALargeLayoutPrints()
{
    // 4 across × 8 down is 32 positions, more than the 22 the selection
    // once had; all are selected at start-up and all print.
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 0, 0, 10, 10);
    SheetCanvas canvas;
    TSheetJob job;
    TCardLayout layout;
    layout.Across = 4;
    layout.Down = 8;
    layout.Width = layout.HPitch = 2.0f;
    layout.Height = layout.VPitch = 1.25f;
    layout.LeftMargin = 0.25f;
    prepare(job, panel, canvas.engine, layout);
    job.Run();
    QCOMPARE(job.PositionsDrawn().size(), 32);
    QCOMPARE(job.PositionsDrawn().last(), 31);
    const QImage page = canvas.finish().first();
    // The last card: (3 × 2 + 0.25, 7 × 1.25 + 0.5) = (6.25, 9.25) inches.
    QVERIFY(isBlue(page.pixel(626, 926)));
}

void TestLabelPrinter::sheetsAndDriverCopies_data()
{
    QTest::addColumn<int>("driverCopies");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("copies");
    QTest::newRow("driver makes copies") << 99 << 1 << 3;
    QTest::newRow("driver without copies") << 1 << 3 << 1;
}

void TestLabelPrinter::sheetsAndDriverCopies()
{
    QFETCH(int, driverCopies);
    QFETCH(int, pages);
    QFETCH(int, copies);
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 24, 48, 96, 48);
    SheetCanvas canvas;
    TSheetJob job;
    prepare(job, panel, canvas.engine, TCardLayout());
    job.Sheets = 3;
    job.DriverCopies = [driverCopies] { return driverCopies; };
    job.Run();
    QCOMPARE(canvas.engine.Copies(), copies);
    QCOMPARE(canvas.engine.CurrentPage(), pages);
    const QList<QImage> images = canvas.finish();
    QCOMPARE(images.size(), pages);
    QCOMPARE(job.PositionsDrawn().size(), 10 * pages);
    for (const QImage& img : images) {
        QCOMPARE(img, images.first());
        QCOMPARE(blueExtent(img, QPoint(150, 125)), QRect(100, 100, 100, 50));
    }
    // A preview never asks the driver for copies.
    SheetCanvas preview;
    TSheetJob previewJob;
    prepare(previewJob, panel, preview.engine, TCardLayout());
    previewJob.PrintingMode = false;
    previewJob.Sheets = 2;
    previewJob.DriverCopies = [driverCopies] { return driverCopies; };
    previewJob.Run();
    QCOMPARE(preview.engine.Copies(), 1);
    QCOMPARE(preview.engine.CurrentPage(), 2);
}

void TestLabelPrinter::outlineTestDrawsOnlyOutlines()
{
    TGBusinessCardPanel32 panel;
    PrintBox* box = addPrintBox(panel, 24, 48, 96, 48);
    SheetCanvas canvas;
    TSheetJob job;
    prepare(job, panel, canvas.engine, TCardLayout());
    job.OutlineTest = true;
    job.Selected = only({3});
    job.Run();
    QCOMPARE(box->prints, 0);
    const QImage page = canvas.finish().first();
    // Position 3: (4.25, 2.5) to (7.75, 4.5) inches, a one-pixel black edge.
    QCOMPARE(firstX(page, 350, 0, 850, isInk), 425);
    QCOMPARE(lastX(page, 350, 0, 850, isInk), 774);
    QCOMPARE(firstY(page, 600, 0, 1100, isInk), 250);
    QCOMPARE(lastY(page, 600, 0, 1100, isInk), 449);
    QVERIFY(!isInk(page.pixel(500, 350)));
}

void TestLabelPrinter::outlineTestWithoutPositionsGivesBlankSheets()
{
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 24, 48, 96, 48);
    SheetCanvas canvas;
    TSheetJob job;
    prepare(job, panel, canvas.engine, TCardLayout());
    job.OutlineTest = true;
    job.Selected = only({});
    job.Sheets = 2;
    job.DriverCopies = [] { return 1; };
    job.Run();
    QVERIFY(job.Finished());
    const QList<QImage> pages = canvas.finish();
    QCOMPARE(pages.size(), 2);
    for (const QImage& p : pages)
        QVERIFY(blankImage(p));
}

void TestLabelPrinter::statusWindowRunsItsJobOnceShown()
{
    TGBusinessCardPanel32 panel;
    PrintBox* box = addPrintBox(panel, 24, 48, 96, 48);
    SheetCanvas canvas;
    TSheetJob job;
    TLabelPrinter status(job);
    prepare(job, panel, canvas.engine, TCardLayout());
    job.Selected = only({0});
    QVERIFY(!status.JobFinished());
    status.show();
    QTRY_VERIFY(status.JobFinished());
    QCOMPARE(box->prints, 1);
    // Showing it again does not print again.
    status.hide();
    status.show();
    QCoreApplication::processEvents();
    QCOMPARE(box->prints, 1);
}

void TestLabelPrinter::finalStatusTexts_data()
{
    QTest::addColumn<bool>("printing");
    QTest::addColumn<bool>("complex");
    QTest::addColumn<bool>("wholeSheet");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("print") << true << false << false << "Print Status "
                           << "Print job completed and sent to printer!";
    QTest::newRow("print complex")
        << true << true << false << "Print Status "
        << "Print job completed and sent to printer!\n\nNote: this design contains complex shapes or text.\n"
           "Please be patient while the printer produces its\noutput...";
    QTest::newRow("preview") << false << false << false << "Preview Status"
                             << "\nBusiness Card preview ready!\n\nNote: To save time, only a single card is "
                                "previewed";
    QTest::newRow("preview complex")
        << false << true << false << "Preview Status"
        << "Business Card preview ready to view!\n\nNote: To save time, only a single card is previewed\n\n** This "
           "design contains complex shapes or text.\nPlease be patient while the previewer prepares\nthe viewing "
           "page";
    // The sheet preview shows every card: nothing about a single one.
    QTest::newRow("sheet preview") << false << false << true << "Preview Status"
                                   << "\nBusiness Card preview ready!";
    QTest::newRow("sheet preview complex")
        << false << true << true << "Preview Status"
        << "Business Card preview ready to view!\n\n** This design contains complex shapes or text.\nPlease be "
           "patient while the previewer prepares\nthe viewing page";
}

void TestLabelPrinter::finalStatusTexts()
{
    QFETCH(bool, printing);
    QFETCH(bool, complex);
    QFETCH(bool, wholeSheet);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    TGBusinessCardPanel32 panel;
    PrintBox* box = addPrintBox(panel, 0, 0, 10, 10);
    if (complex)
        box->effect = true;
    SheetCanvas canvas;
    TSheetJob job;
    TLabelPrinter status(job);
    prepare(job, panel, canvas.engine, TCardLayout());
    job.PrintingMode = printing;
    job.WholeSheet = wholeSheet;
    QString during;
    box->onPrint = [&](TPageEngine&, double, double) { during = status.RStatusLabel->text(); };
    status.FormActivate();
    QCOMPARE(status.windowTitle(), caption);
    QCOMPARE(during, printing ? QStringLiteral("Printing Page 1\n\n") : QStringLiteral("Preparing Preview Page 1\n\n"));
    QCOMPARE(status.RStatusLabel->text(), text);
    QCOMPARE(status.CancelButton->text(), QStringLiteral("OK"));
    QVERIFY(status.Extralabel->text().isEmpty());
    // The button now closes the window.
    status.show();
    QTest::mouseClick(status.CancelButton, Qt::LeftButton);
    QCOMPARE(status.result(), int(mrOk));
    QVERIFY(!status.isVisible());
}

void TestLabelPrinter::cancelWhilePrintingAsksFirst_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestLabelPrinter::cancelWhilePrintingAsksFirst()
{
    QFETCH(bool, confirm);
    ScriptedInteraction ui;
    ui.answerYesNo(confirm);
    TGBusinessCardPanel32 panel;
    PrintBox* box = addPrintBox(panel, 24, 48, 96, 48);
    SheetCanvas canvas;
    TSheetJob job;
    TLabelPrinter status(job);
    prepare(job, panel, canvas.engine, TCardLayout());
    job.Sheets = 3;
    job.DriverCopies = [] { return 1; };
    // The user presses Cancel while the second card is drawn.
    box->onPrint = [&](TPageEngine&, double, double) {
        if (box->prints == 2)
            QTimer::singleShot(0, status.CancelButton, [&] { QTest::mouseClick(status.CancelButton, Qt::LeftButton); });
    };
    status.FormActivate();
    QVERIFY(ui.allUsed());
    QCOMPARE(ui.log().first().text, QStringLiteral("Cancel Business Card Printing?"));
    if (confirm) {
        QVERIFY(canvas.engine.Aborted());
        QCOMPARE(job.PositionsDrawn().size(), 2);
        QCOMPARE(status.RStatusLabel->text(), QStringLiteral("\nBusiness Card Print Canceled!"));
    } else {
        QVERIFY(!canvas.engine.Aborted());
        QCOMPARE(job.PositionsDrawn().size(), 30);
        QCOMPARE(status.RStatusLabel->text(), QStringLiteral("Print job completed and sent to printer!"));
    }
}

void TestLabelPrinter::previewShowsOneCardWithSilverOutline_data()
{
    QTest::addColumn<bool>("rotated");
    QTest::addColumn<QRect>("card");    // pixels at 96 ppi on the previewed sheet
    QTest::addColumn<int>("position");
    QTest::newRow("normal") << false << QRect(QPoint(72, 48), QPoint(407, 239)) << 0;
    // Position 1 at (0.5, 0.75) inches, 2 wide and 3.5 high.
    QTest::newRow("rotated") << true << QRect(QPoint(48, 72), QPoint(239, 407)) << 1;
}

void TestLabelPrinter::previewShowsOneCardWithSilverOutline()
{
    QFETCH(bool, rotated);
    QFETCH(QRect, card);
    QFETCH(int, position);
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    panel.SetRotated(rotated);
    panel.SetZoom(1.2f);
    addPrintBox(panel, 24, 48, 48, 48);
    TCardLayout layout;
    layout.Portrait = rotated;
    TPrintCommands printing(panel.Model());
    printing.Layout = [&] { return layout; };
    QImage shown;
    QString caption;
    int pageCount = 0;
    ui.answerDialog(runStatusWindow);
    ui.answerDialog([&](QDialog& d) {
        auto& preview = static_cast<TPreviewForm&>(d);
        caption = preview.windowTitle();
        preview.FormActivate();
        pageCount = preview.PagePreview1.PageCount();
        shown = preview.PagePreview1.RenderPage(1, 96);
        caption = preview.windowTitle();
        QTest::mouseClick(preview.CloseButton, Qt::LeftButton);
        return preview.result();
    });
    printing.mnuPreviewClick();
    QVERIFY(ui.allUsed());
    QVERIFY(panel.PreviewMode());
    QCOMPARE(printing.LastOutcome().PositionsDrawn, QList<int>({position}));
    QCOMPARE(pageCount, 1);
    QCOMPARE(caption, QStringLiteral("Preview Page 1 of 1"));
    QCOMPARE(panel.Zoom(), 1.2f);
    // The silver outline on the card's edges, and the box inside it.
    const QRgb silver = qRgb(0xC0, 0xC0, 0xC0);
    QCOMPARE(shown.pixel(card.left(), card.center().y()), silver);
    QCOMPARE(shown.pixel(card.right(), card.center().y()), silver);
    QCOMPARE(shown.pixel(card.center().x(), card.top()), silver);
    QCOMPARE(shown.pixel(card.center().x(), card.bottom()), silver);
    QVERIFY(isBlue(shown.pixel(card.left() + 30, card.top() + 60)));
    // Nothing else on the sheet.
    int inkOutside = 0;
    for (int y = 0; y < shown.height(); y += 4)
        for (int x = 0; x < shown.width(); x += 4)
            if (!card.adjusted(-1, -1, 1, 1).contains(x, y) && isInk(shown.pixel(x, y)))
                ++inkOutside;
    QCOMPARE(inkOutside, 0);
}

void TestLabelPrinter::previewChoosesOneCard_data()
{
    QTest::addColumn<bool>("rotated");
    QTest::addColumn<int>("across");
    QTest::addColumn<int>("down");
    QTest::addColumn<int>("position");
    QTest::newRow("normal") << false << 2 << 5 << 0;
    QTest::newRow("rotated") << true << 2 << 5 << 1;
    QTest::newRow("rotated, one column") << true << 1 << 3 << 1;
    // A turned sheet of a single card has no position 1: its one card shows.
    QTest::newRow("rotated, single card") << true << 1 << 1 << 0;
}

void TestLabelPrinter::previewChoosesOneCard()
{
    QFETCH(bool, rotated);
    QFETCH(int, across);
    QFETCH(int, down);
    QFETCH(int, position);
    TGBusinessCardPanel32 panel;
    panel.SetRotated(rotated);
    addPrintBox(panel, 0, 0, 10, 10);
    SheetCanvas canvas(rotated);
    TSheetJob job;
    TCardLayout layout;
    layout.Across = across;
    layout.Down = down;
    prepare(job, panel, canvas.engine, layout);
    job.PrintingMode = false;
    job.Run();
    QCOMPARE(job.PositionsDrawn(), QList<int>({position}));
}

void TestLabelPrinter::stopEndsPreviewWithoutPreviewWindow()
{
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    PrintBox* box = addPrintBox(panel, 24, 48, 48, 48);
    TPrintCommands printing(panel.Model());
    QString buttonCaption;
    ui.answerDialog([&](QDialog& d) {
        auto& status = static_cast<TLabelPrinter&>(d);
        buttonCaption = status.CancelButton->text();
        // Stop is pressed as soon as the job lets messages through.
        QTimer::singleShot(0, status.CancelButton, [&] { QTest::mouseClick(status.CancelButton, Qt::LeftButton); });
        return runStatusWindow(d);
    });
    printing.mnuPreviewClick();
    // No preview window was asked for: the scripted seam would have failed.
    QVERIFY(ui.allUsed());
    QCOMPARE(buttonCaption, QStringLiteral("Stop"));
    QVERIFY(printing.LastOutcome().Aborted);
    QVERIFY(printing.LastOutcome().PositionsDrawn.isEmpty());
    QCOMPARE(box->prints, 0);
}

void TestLabelPrinter::failingObjectReportsFailureAndRestoresPanel()
{
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    panel.SetZoom(1.3f);
    PrintBox* box = addPrintBox(panel, 24, 48, 48, 48);
    box->failing = true;
    Single zoomWhilePrinting = 0;
    bool printingFlag = false;
    box->onPrint = [&](TPageEngine&, double, double) {
        zoomWhilePrinting = panel.Zoom();
        printingFlag = panel.Printing();
    };
    TPrintCommands printing(panel.Model());
    QString statusText;
    ui.answerDialog([&](QDialog& d) {
        const int r = runStatusWindow(d);
        statusText = static_cast<TLabelPrinter&>(d).RStatusLabel->text();
        return r;
    });
    printing.mnuPreviewClick();
    QVERIFY(ui.allUsed()); // no preview window after a failed job
    QCOMPARE(zoomWhilePrinting, 1.0f);
    QVERIFY(printingFlag);
    QCOMPARE(panel.Zoom(), 1.3f);
    QVERIFY(!panel.Printing());
    QCOMPARE(printing.LastOutcome().Error, QStringLiteral("Picture damaged"));
    QCOMPARE(statusText, QStringLiteral("\nBusiness Card Preview Failed!\n\nPicture damaged"));
}

void TestLabelPrinter::backgroundBitmapCoversThreeAndAHalfByTwoInches_data()
{
    QTest::addColumn<bool>("rotated");
    QTest::addColumn<QRect>("covered"); // pixels at 100 dpi
    // The 3.0 × 2 card's box: the art beyond it is cut off with the card.
    QTest::newRow("normal") << false << QRect(75, 50, 300, 200);
    // Position 0 of a rotated sheet: (0.5, 4.25) inches, 2 wide, 3.0 high.
    QTest::newRow("rotated") << true << QRect(50, 425, 200, 300);
}

void TestLabelPrinter::backgroundBitmapCoversThreeAndAHalfByTwoInches()
{
    QFETCH(bool, rotated);
    QFETCH(QRect, covered);
    // A 3.5 × 2 card's art at 20 ppi: left half red, right half green.
    QImage art(70, 40, QImage::Format_RGB32);
    art.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 35; x < 70; ++x)
            art.setPixel(x, y, qRgb(0, 255, 0));
    const QString file = home.filePath(QStringLiteral("art.bmp"));
    Dib::SaveToFile(art, file);

    TGBusinessCardPanel32 panel;
    panel.SetRotated(rotated);
    SheetCanvas canvas(rotated);
    TSheetJob job;
    TCardLayout layout;
    layout.Width = 3.0f; // the art keeps its size whatever the card's
    prepare(job, panel, canvas.engine, layout);
    job.Selected = only({0});
    job.BackgroundFile = file;
    job.Run();
    QCOMPARE(job.BackgroundKind(), TSheetJob::bkBitmap);
    const QImage page = canvas.finish().first();
    const int midY = covered.center().y();
    const int midX = covered.center().x();
    QCOMPARE(firstX(page, midY, 0, page.width(), isInk), covered.left());
    QCOMPARE(lastX(page, midY, 0, page.width(), isInk), covered.right());
    QCOMPARE(firstY(page, midX, 0, page.height(), isInk), covered.top());
    QCOMPARE(lastY(page, midX, 0, page.height(), isInk), covered.bottom());
    if (!rotated) {
        QCOMPARE(page.pixel(covered.left() + 5, midY), qRgb(255, 0, 0));
        QCOMPARE(page.pixel(covered.right() - 5, midY), qRgb(0, 255, 0));
        // 3.5 inches of art, not squeezed into the card: its halves meet
        // 1.75 inch into the card.
        QCOMPARE(page.pixel(covered.left() + 173, midY), qRgb(255, 0, 0));
        QCOMPARE(page.pixel(covered.left() + 177, midY), qRgb(0, 255, 0));
    } else {
        // Turned clockwise, as the panel shows it: the art's left (red) half
        // ends up at the top.
        QCOMPARE(page.pixel(midX, covered.top() + 5), qRgb(255, 0, 0));
        QCOMPARE(page.pixel(midX, covered.bottom() - 5), qRgb(0, 255, 0));
    }
}

void TestLabelPrinter::metafileBackgroundCoversThreeAndAHalfByTwoInches_data()
{
    QTest::addColumn<bool>("rotated");
    QTest::addColumn<QRect>("covered"); // pixels at 100 dpi
    QTest::addColumn<int>("kind");
    QTest::newRow("normal") << false << QRect(75, 50, 350, 200) << int(TSheetJob::bkMetafile);
    QTest::newRow("rotated") << true << QRect(50, 425, 200, 350) << int(TSheetJob::bkBitmap);
}

void TestLabelPrinter::metafileBackgroundCoversThreeAndAHalfByTwoInches()
{
    QFETCH(bool, rotated);
    QFETCH(QRect, covered);
    QFETCH(int, kind);
    // 3.5 x 2 inches at 100 units per inch: left half red, right half green.
    WmfBuilder w;
    w.windowOrg(0, 0).windowExt(350, 200).pen(5, 0, 0).select(0);
    w.brush(0, qRgb(255, 0, 0)).select(1).rectangle(0, 0, 175, 200);
    w.brush(0, qRgb(0, 255, 0)).select(2).rectangle(175, 0, 350, 200);
    const QString file = home.filePath(QStringLiteral("art.wmf"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(w.file(true, 0, 0, 350, 200, 100));
    f.close();

    TGBusinessCardPanel32 panel;
    panel.SetRotated(rotated);
    SheetCanvas canvas(rotated);
    TSheetJob job;
    prepare(job, panel, canvas.engine, TCardLayout());
    job.Selected = only({0});
    job.BackgroundFile = file;
    job.Run();
    QCOMPARE(int(job.BackgroundKind()), kind);
    const QImage page = canvas.finish().first();
    const int midY = covered.center().y();
    const int midX = covered.center().x();
    QVERIFY(std::abs(firstX(page, midY, 0, page.width(), isInk) - covered.left()) <= 1);
    QVERIFY(std::abs(lastX(page, midY, 0, page.width(), isInk) - covered.right()) <= 1);
    QVERIFY(std::abs(firstY(page, midX, 0, page.height(), isInk) - covered.top()) <= 1);
    QVERIFY(std::abs(lastY(page, midX, 0, page.height(), isInk) - covered.bottom()) <= 1);
    if (!rotated) {
        QCOMPARE(page.pixel(covered.left() + 5, midY), qRgb(255, 0, 0));
        QCOMPARE(page.pixel(covered.right() - 5, midY), qRgb(0, 255, 0));
        // 3.5 inches of art, not squeezed into the card: its halves meet
        // 1.75 inch into the card.
        QCOMPARE(page.pixel(covered.left() + 173, midY), qRgb(255, 0, 0));
        QCOMPARE(page.pixel(covered.left() + 177, midY), qRgb(0, 255, 0));
    } else {
        QCOMPARE(page.pixel(midX, covered.top() + 5), qRgb(255, 0, 0));
        QCOMPARE(page.pixel(midX, covered.bottom() - 5), qRgb(0, 255, 0));
    }
}

void TestLabelPrinter::unreadableBackgroundIsSkipped()
{
    const QString broken = home.filePath(QStringLiteral("broken.BMP"));
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a bitmap at all");
    f.close();
    for (const QString& file : {broken, home.filePath(QStringLiteral("missing.bmp")),
                                home.filePath(QStringLiteral("art.gif"))}) {
        TGBusinessCardPanel32 panel;
        addPrintBox(panel, 24, 48, 96, 48);
        SheetCanvas canvas;
        TSheetJob job;
        prepare(job, panel, canvas.engine, TCardLayout());
        job.Selected = only({0});
        job.BackgroundFile = file;
        job.Run();
        QCOMPARE(job.BackgroundKind(), TSheetJob::bkNone);
        QVERIFY(!job.Failed());
        QCOMPARE(blueExtent(canvas.finish().first(), QPoint(150, 125)), QRect(100, 100, 100, 50));
    }
}

void TestLabelPrinter::jobReportsProgressAndStopsWhenCancelled_data()
{
    QTest::addColumn<int>("cancelAtCard"); // 0: never
    QTest::addColumn<bool>("printing");
    QTest::addColumn<QList<int>>("drawn");
    QTest::newRow("printing, not cancelled") << 0 << true << QList<int>({0, 1, 2, 3});
    QTest::newRow("printing, cancelled at the first card") << 1 << true << QList<int>();
    QTest::newRow("printing, cancelled at the third card") << 3 << true << QList<int>({0, 1});
    QTest::newRow("whole-sheet preview, cancelled at the second card") << 2 << false << QList<int>({0});
}

void TestLabelPrinter::jobReportsProgressAndStopsWhenCancelled()
{
    QFETCH(int, cancelAtCard);
    QFETCH(bool, printing);
    QFETCH(QList<int>, drawn);
    // No window: whoever runs the job sees each card announced and may
    // cancel between cards.
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 24, 48, 96, 48);
    SheetCanvas canvas;
    TSheetJob job;
    prepare(job, panel, canvas.engine, TCardLayout());
    job.Selected = only({0, 1, 2, 3});
    job.PrintingMode = printing;
    job.WholeSheet = !printing;
    QList<int> announced;
    int idles = 0;
    job.OnCard = [&](int index) {
        announced.append(index);
        if (announced.size() == cancelAtCard)
            job.Cancel();
    };
    job.OnIdle = [&] { ++idles; };
    job.Run();
    QVERIFY(job.Finished());
    QVERIFY(!job.Failed());
    QCOMPARE(job.PositionsDrawn(), drawn);
    QCOMPARE(announced.size(), cancelAtCard ? cancelAtCard : 4);
    QCOMPARE(job.CancelRequested(), cancelAtCard != 0);
    QCOMPARE(job.Aborted(), cancelAtCard != 0);
    QCOMPARE(canvas.engine.Aborted(), cancelAtCard != 0);
    QVERIFY(idles >= announced.size());
    QVERIFY(!panel.Printing());
    // A job runs once.
    job.Run();
    QCOMPARE(job.PositionsDrawn(), drawn);
}

void TestLabelPrinter::unattendedPrintRunsWithoutAnyWindow()
{
    // The batch tool's way: the print command runs its job with nobody to
    // show a window to; the scripted seam fails the test on any dialog.
    ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    PrintBox* box = addPrintBox(panel, 24, 48, 96, 48);
    TPrintCommands printing(panel.Model());
    auto printer = std::make_unique<TPagePrinter>(home.filePath(QStringLiteral("unattended.pdf")));
    printer->SetCopies(2);
    printing.SetMainPagePrinter(std::move(printer));
    printing.SelectedCards = only({1, 2});
    printing.Unattended = true;
    const TPrintOutcome outcome = printing.DoPrint();
    QVERIFY(ui.allUsed());
    QVERIFY(ui.log().isEmpty());
    QVERIFY(outcome.Ran);
    QVERIFY(!outcome.Aborted);
    QVERIFY(outcome.Error.isEmpty());
    QCOMPARE(outcome.PositionsDrawn, QList<int>({1, 2, 1, 2}));
    QCOMPARE(outcome.Pages, 2);
    // One drawing of the card serves its four places in the PDF.
    QCOMPARE(box->prints, 1);
    QVERIFY(QFileInfo(home.filePath(QStringLiteral("unattended.pdf"))).size() > 0);
}

QTEST_MAIN(TestLabelPrinter)
#include "tst_labelprinter.moc"
