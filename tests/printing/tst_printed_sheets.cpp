// Sheets as the print job composes them:
//   - every card stays inside its own box on the sheet, on a device at 300
//     and 600 dpi, in a recorded preview page and in a PDF (read back with
//     pdftoppm): an object overhanging the card's edge must leave no ink on
//     the neighbouring position or the page margin;
//   - ten sheets' PDF holds the card's drawing once: the painting operators
//     of all its content streams (read back with qpdf) are those of one
//     sheet, and only the placements grow;
//   - a gradient prints in the colours the screen shows at the same point,
//     worked out by hand from the 256-band rule, and a PDF holds it as one
//     shading rather than a fill per band.
// Fonts: none are measured here.
#include "PrintTestKit.h"

#include "effects/SuperShape.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PagePlayer.h"
#include "pageengine/PagePrinter.h"
#include "pageengine/PageRecorder.h"
#include "printing/SheetJob.h"

#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace bv;
using namespace bv::test;

namespace {

// The default layout's first card: 3.5 × 2 inches at (0.75, 0.5).
const QRectF FirstCard(0.75, 0.5, 3.5, 2.0);

template <class T>
T* attach(TGBusinessCardPanel32& panel, T* o, int l, int t, int w, int h)
{
    o->SetParent(&panel);
    o->SetBounds(l, t, w, h);
    o->Loaded();
    panel.AttachObject(o);
    return o;
}

TSuperShape* gradientRectangle(TGBusinessCardPanel32& panel, int l, int t, int w, int h, TFillDirection direction,
    TColor from, TColor to)
{
    auto* s = attach(panel, new TSuperShape, l, t, w, h);
    s->SetShape(gstRectangle);
    s->SetSurfaceType(stGradientFill);
    s->SetFillDirection(direction);
    s->SetBackColor(from);
    s->SetGradientToColor(to);
    s->SetOutlineStyle(psClear);
    return s;
}

TSheetJob& prepare(TSheetJob& job, TGBusinessCardPanel32& panel, TPageEngine& engine, int sheets,
    const TCardSelection& selected)
{
    job.Design = &panel.Model();
    job.Engine = &engine;
    job.Sheets = sheets;
    job.Selected = selected;
    job.Sheet = TImposition::FromLayout(TCardLayout(), TPrinterNudges(), false);
    return job;
}

TCardSelection only(std::initializer_list<int> positions)
{
    TCardSelection s{};
    for (int p : positions)
        s[size_t(p)] = true;
    return s;
}

enum class Path { Device, Recording, Pdf };

// One sheet of `selected` positions through a path, as an image at `dpi`
// (the top 3 inches of a Letter sheet for the device paths).
QImage printSheet(TGBusinessCardPanel32& panel, const TCardSelection& selected, Path path, double dpi,
    const QString& folder)
{
    const TDeviceFacts facts{dpi, dpi, 0, 0, 0, 8.5, 11};
    QImage sheet(int(8.5 * dpi), int(3 * dpi), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    if (path == Path::Device) {
        QPainter painter(&sheet);
        TCanvasPageEngine engine(&painter, facts);
        TSheetJob job;
        prepare(job, panel, engine, 1, selected).Run();
        return job.Failed() ? QImage() : sheet;
    }
    if (path == Path::Recording) {
        QBuffer stream;
        TPageRecorder recorder;
        recorder.SetDeviceFacts(facts);
        recorder.SetStream(&stream);
        TSheetJob job;
        prepare(job, panel, recorder, 1, selected).Run();
        TPagePlayer player;
        player.Load(stream.data());
        player.SetDeviceFacts(facts);
        QPainter painter(&sheet);
        player.PlayPage(1, &painter);
        return sheet;
    }
    const QString pdf = folder + QStringLiteral("/sheet.pdf");
    TPagePrinter printer(pdf);
    TSheetJob job;
    prepare(job, panel, printer, 1, selected).Run();
    if (job.Failed())
        return {};
    const QList<QImage> pages = rasterizePdf(pdf, int(dpi));
    return pages.isEmpty() ? QImage() : pages.first();
}

QRect pixels(const QRectF& inches, double dpi)
{
    return QRect(QPoint(int(std::lround(inches.left() * dpi)), int(std::lround(inches.top() * dpi))),
        QPoint(int(std::lround(inches.right() * dpi)) - 1, int(std::lround(inches.bottom() * dpi)) - 1));
}

// What qpdf reads in a PDF: pages, the painting operators of every content
// stream (pages and forms), the forms drawn from the pages, images and
// shadings.
struct PdfFacts {
    int pages = 0;
    int paintOps = 0;
    int fills = 0;
    int pagePlacements = 0;
    int images = 0;
    int shadings = 0;
    qint64 bytes = 0;
};

QList<QByteArray> tokens(QPDFObjectHandle stream)
{
    const std::shared_ptr<Buffer> data = stream.getStreamData(qpdf_dl_generalized);
    const QByteArray text(reinterpret_cast<const char*>(data->getBuffer()), qsizetype(data->getSize()));
    return text.simplified().split(' ');
}

PdfFacts readPdf(const QString& path)
{
    PdfFacts facts;
    facts.bytes = QFileInfo(path).size();
    QPDF pdf;
    pdf.processFile(path.toLocal8Bit().constData());
    // Painting operators (PDF 1.7, tables 59, 60 and 77) and text shown.
    static const QSet<QByteArray> painting = {"f", "F", "f*", "B", "B*", "b", "b*", "S", "s", "sh", "Tj", "TJ"};
    static const QSet<QByteArray> filling = {"f", "F", "f*", "B", "B*", "b", "b*"};
    auto count = [&](QPDFObjectHandle stream, bool page) {
        for (const QByteArray& t : tokens(stream)) {
            facts.paintOps += painting.contains(t);
            facts.fills += filling.contains(t);
            if (page && t == "Do")
                ++facts.pagePlacements;
        }
    };
    for (QPDFObjectHandle page : pdf.getAllPages()) {
        ++facts.pages;
        QPDFObjectHandle contents = page.getKey("/Contents");
        if (contents.isStream())
            count(contents, true);
        else
            for (int i = 0; i < contents.getArrayNItems(); ++i)
                count(contents.getArrayItem(i), true);
    }
    for (QPDFObjectHandle o : pdf.getAllObjects()) {
        if (o.isStream()) {
            QPDFObjectHandle dict = o.getDict();
            QPDFObjectHandle subtype = dict.getKey("/Subtype");
            if (subtype.isName() && subtype.getName() == "/Form")
                count(o, false);
            if (subtype.isName() && subtype.getName() == "/Image")
                ++facts.images;
        }
        if (o.isDictionary() && o.hasKey("/ShadingType"))
            ++facts.shadings;
    }
    return facts;
}

} // namespace

class TestPrintedSheets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cardsStayInsideTheirBoxes_data();
    void cardsStayInsideTheirBoxes();
    void tenSheetsHoldOneDrawingOfTheCard();
    void gradientPrintsTheScreensColours_data();
    void gradientPrintsTheScreensColours();

private:
    QTemporaryDir home;
};

void TestPrintedSheets::initTestCase()
{
    qputenv("BRISVALE_PPI", "96");
    QVERIFY(home.isValid());
}

void TestPrintedSheets::cardsStayInsideTheirBoxes_data()
{
    QTest::addColumn<int>("path");
    QTest::addColumn<double>("dpi");
    QTest::newRow("device, 300 dpi") << int(Path::Device) << 300.0;
    QTest::newRow("device, 600 dpi") << int(Path::Device) << 600.0;
    QTest::newRow("recorded page, 300 dpi") << int(Path::Recording) << 300.0;
    QTest::newRow("PDF, 300 dpi") << int(Path::Pdf) << 300.0;
}

void TestPrintedSheets::cardsStayInsideTheirBoxes()
{
    QFETCH(int, path);
    QFETCH(double, dpi);
    if (Path(path) == Path::Pdf && !havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    TGBusinessCardPanel32 panel;
    // Over the right and bottom edges (into card 2 and card 3), printed by
    // the engine's figures; over the left and top edges (into the page
    // margin), a SuperShape printed in device pixels with a gradient.
    addPrintBox(panel, 300, 150, 100, 80);
    gradientRectangle(panel, -40, -30, 120, 80, gdRight, clNavy, clBlue);
    const QImage sheet = printSheet(panel, only({0}), Path(path), dpi, home.path());
    QVERIFY2(!sheet.isNull(), "the sheet did not print");

    const QRect card = pixels(FirstCard, dpi);
    // Anti-aliased edges of a rasterised PDF may tint one pixel beyond.
    const QRect allowed = card.adjusted(-1, -1, 1, 1);
    int outside = 0;
    QPoint firstOutside;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            if (!allowed.contains(x, y) && isInk(sheet.pixel(x, y)) && outside++ == 0)
                firstOutside = QPoint(x, y);
    QVERIFY2(outside == 0, qPrintable(QStringLiteral("%1 ink pixels outside the card, the first at (%2, %3)")
                                          .arg(outside).arg(firstOutside.x()).arg(firstOutside.y())));
    // Both objects still reach the card's edges.
    const int boxRow = card.top() + int(170 / kPpi * dpi);
    const int shapeRow = card.top() + int(20 / kPpi * dpi);
    QVERIFY(isBlue(sheet.pixel(card.right() - 2, boxRow)));
    QVERIFY(isInk(sheet.pixel(card.left() + 2, shapeRow)));
    QVERIFY(isInk(sheet.pixel(card.left() + 2, card.top() + 2)));
}

void TestPrintedSheets::tenSheetsHoldOneDrawingOfTheCard()
{
    TGBusinessCardPanel32 panel;
    addPrintBox(panel, 10, 10, 80, 40);
    auto* label = attach(panel, new TGBusinessCardLabel, 100, 20, 200, 30);
    label->SetCaption(QStringLiteral("Reused card"));
    gradientRectangle(panel, 20, 80, 150, 90, gdDown, clRed, clYellow);
    QImage photo(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 4, y * 5, 128));
    attach(panel, new TGImage, 200, 80, 120, 90)->SetPicture(TPicture::FromBitmap(Dib::FromImage(photo)));

    auto print = [&](int sheets) {
        const QString pdf = home.filePath(QStringLiteral("sheets-%1.pdf").arg(sheets));
        TPagePrinter printer(pdf);
        TSheetJob job;
        prepare(job, panel, printer, sheets, AllCardsSelected()).Run();
        [&] { QVERIFY2(!job.Failed(), qPrintable(job.ErrorMessage())); }();
        return readPdf(pdf);
    };
    const PdfFacts one = print(1);
    const PdfFacts ten = print(10);
    QCOMPARE(one.pages, 1);
    QCOMPARE(ten.pages, 10);
    QVERIFY2(one.paintOps > 0, "nothing painted");
    // The card's drawing is in the file once, whatever the number of sheets.
    QCOMPARE(ten.paintOps, one.paintOps);
    QCOMPARE(ten.images, one.images);
    QCOMPARE(ten.shadings, one.shadings);
    // Each of the ten positions of each sheet places it.
    QVERIFY(one.pagePlacements >= 10);
    QCOMPARE(ten.pagePlacements, 10 * one.pagePlacements);
    QVERIFY2(ten.bytes < 2 * one.bytes, qPrintable(QStringLiteral("1 sheet %1 bytes, 10 sheets %2 bytes")
                                                      .arg(one.bytes).arg(ten.bytes)));
}

void TestPrintedSheets::gradientPrintsTheScreensColours_data()
{
    // Hand-computed: band i of 256 has the grey level 0 + MulDiv(i, 255, 255)
    // = i. Across 256 columns band i is column i. Down 128 rows band 2r
    // covers row r (MulDiv(2r, 128, 256) = r) and band 2r + 1 none, so row r
    // shows grey 2r on the screen; paper, finer, shows bands 2r and 2r + 1
    // within that row.
    QTest::addColumn<int>("direction");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<int>>("at");     // columns (across) or rows (down)
    QTest::addColumn<QList<int>>("levels"); // the grey there
    QTest::newRow("black to white, left to right, 256 wide")
        << int(gdRight) << QSize(256, 60) << QList<int>{10, 128, 240} << QList<int>{10, 128, 240};
    QTest::newRow("black to white, top to bottom, 128 high")
        << int(gdDown) << QSize(100, 128) << QList<int>{5, 64, 120} << QList<int>{10, 128, 240};
}

void TestPrintedSheets::gradientPrintsTheScreensColours()
{
    QFETCH(int, direction);
    QFETCH(QSize, size);
    QFETCH(QList<int>, at);
    QFETCH(QList<int>, levels);
    const bool across = direction == gdRight;
    TGBusinessCardPanel32 panel;
    const QPoint corner(40, 30);
    gradientRectangle(panel, corner.x(), corner.y(), size.width(), size.height(), TFillDirection(direction), clBlack,
        clWhite);

    // The screen.
    QImage screen(336, 192, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        for (TGGraphicControl* o : panel.Objects())
            o->PaintAt(p, o->Left(), o->Top());
    }
    auto sample = [&](const QImage& img, double scale, const QPointF& origin, int k) {
        const double sx = across ? at[k] + 0.25 : size.width() / 2.0;
        const double sy = across ? size.height() / 2.0 : at[k] + 0.25;
        return qRed(img.pixel(int(origin.x() + (corner.x() + sx) * scale), int(origin.y() + (corner.y() + sy) * scale)));
    };
    for (int k = 0; k < at.size(); ++k)
        QCOMPARE(sample(screen, 1.0, QPointF(), k), levels[k]);

    auto check = [&](const char* path, const QImage& sheet, double dpi) {
        QVERIFY2(!sheet.isNull(), path);
        for (int k = 0; k < at.size(); ++k) {
            const int printed = sample(sheet, dpi / kPpi, FirstCard.topLeft() * dpi, k);
            QVERIFY2(std::abs(printed - levels[k]) <= 1,
                qPrintable(QStringLiteral("%1 at %2 dpi, %3 %4: grey %5, the screen %6")
                               .arg(QLatin1String(path)).arg(dpi).arg(across ? "column" : "row")
                               .arg(at[k]).arg(printed).arg(levels[k])));
        }
    };
    for (double dpi : {300.0, 600.0})
        check("device", printSheet(panel, only({0}), Path::Device, dpi, home.path()), dpi);
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    check("PDF", printSheet(panel, only({0}), Path::Pdf, 300, home.path()), 300);

    // In the PDF the ramp is one shading, not a fill per band.
    const PdfFacts facts = readPdf(home.filePath(QStringLiteral("sheet.pdf")));
    QCOMPARE(facts.shadings, 1);
    QVERIFY2(facts.fills < 10, qPrintable(QStringLiteral("%1 fills").arg(facts.fills)));
}

QTEST_MAIN(TestPrintedSheets)
#include "tst_printed_sheets.moc"
