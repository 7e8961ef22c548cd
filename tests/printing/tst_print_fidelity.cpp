// Printed objects match the screen. Each row builds a card holding one kind of
// object (or one variant of it), draws the card at 96 ppi as the screen does,
// and prints it as the sheet job does (one block clipped to the card's box)
// through the page engine's paths at printer resolutions: a device image at
// 300 and 600 dpi, a recorded page replayed at 300 dpi, and a PDF (the card
// drawn once as a form and placed) rasterised at 300 dpi. The ink's bounding box of the printed card,
// brought back to screen pixels, must equal the screen's within one pixel.
// Text must stay text in the PDF. Fonts: "Liberation Sans" (the "Arial" of
// stored designs, through fontconfig), "Liberation Serif".
//
// A new object kind adds rows to cardRows() below.
#include "PrintTestKit.h"

#include "effects/CircleText.h"
#include "effects/SuperShape.h"
#include "effects/SuperText.h"
#include "objects/Barcode.h"
#include "objects/BusinessCardLabel.h"
#include "objects/Image.h"
#include "objects/LineShape.h"
#include "objects/MultiLineLabel.h"
#include "objects/PLabel.h"
#include "objects/Shapes.h"
#include "objects/SymbolLabel.h"
#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PagePlayer.h"
#include "pageengine/PagePrinter.h"
#include "pageengine/PageRecorder.h"
#include "pictures/SvgDrawing.h"
#include "platform/SymbolFonts.h"
#include "richtext/RichBaseLabel.h"
#include "surface/BusinessCardPanel.h"

#include <QBuffer>
#include <QPainter>
#include <QPicture>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace bv;
using namespace bv::test;

namespace {

// Where card 1 lies on the sheet, in inches.
constexpr double CardX = 0.75;
constexpr double CardY = 0.5;
constexpr int CardW = 336;
constexpr int CardH = 192;

using CardBuilder = std::function<void(TGBusinessCardPanel32&)>;
struct CardRow {
    const char* name;
    CardBuilder build;
    QString text; // a caption that must be found in the PDF, or empty
};

TFont font(const char* name, int height, TColor color = clBlack)
{
    TFont f;
    f.Name = QString::fromLatin1(name);
    f.Height = height;
    f.Color = color;
    return f;
}

// A picture object; bitmaps are four coloured quarters.
TGImage* addPicture(TGBasePanel& panel, const TPicture& picture, int l, int t, int w, int h)
{
    auto* image = new TGImage;
    image->SetParent(&panel);
    image->SetBounds(l, t, w, h);
    image->Loaded();
    image->SetPicture(picture);
    return image;
}

TPicture quartersBitmap()
{
    QImage img(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            img.setPixel(x, y, y < 15 ? (x < 20 ? qRgb(200, 0, 0) : qRgb(0, 160, 0)) : (x < 20 ? qRgb(0, 0, 200) : qRgb(220, 200, 0)));
    return TPicture::FromBitmap(Dib::FromImage(img));
}

// An SVG logo: a green disc and a word in "Liberation Sans".
TPicture svgPicture()
{
    return TPicture::FromSvg(SvgDrawing::FromBytes(
        "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100' viewBox='0 0 200 100'>"
        "<circle cx='50' cy='50' r='40' fill='#008000'/>"
        "<text x='100' y='60' font-family='Liberation Sans' font-size='28' fill='#000080'>Logo</text></svg>"));
}

TPicture metafilePicture(const char* name)
{
    return TPicture::FromMetafile(Metafile::FromFile(QStringLiteral(BRISVALE_TEST_DATA "/pictures/") + name));
}

template <class Label>
Label* addLabel(TGBasePanel& panel, const QString& caption, const TFont& f, int l, int t, int w, int h,
                int angle = 0)
{
    auto* label = new Label;
    label->SetParent(&panel);
    label->SetFont(f);
    label->SetCaption(caption);
    label->SetBounds(l, t, w, h);
    if (angle != 0)
        label->SetAngle(angle);
    label->Loaded();
    return label;
}

// A rich text object; its master is put on the panel's form when the form
// has none.
TGPRichBaseLabel* addRich(TGBasePanel& panel, const QByteArray& rtf, int l, int t, int w, int h)
{
    if (!TGPRichBaseLabel::FindMaster(&panel))
        CreateMasterRichText(panel.window());
    auto* rich = new TGPRichBaseLabel;
    rich->SetParent(&panel);
    rich->SetBounds(l, t, w, h);
    rich->RtfStorage().RtfText().SetData(rtf);
    rich->Loaded();
    return rich;
}

TSuperShape* addSuperShape(TGBasePanel& panel, TGPShapeType kind, TSurfaceType surface, TShadowOrient shadow,
                           int l, int t, int w, int h)
{
    auto* s = new TSuperShape;
    s->SetParent(&panel);
    s->SetBounds(l, t, w, h);
    s->SetShape(kind);
    s->SetSurfaceType(surface);
    s->SetShadowOrient(shadow);
    s->Loaded();
    return s;
}

QList<CardRow> cardRows()
{
    const QString phone = QStringLiteral("Phone 555 0100");
    return {
        { "label, 13 px Arial", [=](auto& p) { addLabel<TGBusinessCardLabel>(p, phone, font("Arial", -13), 20, 20, 250, 20); }, phone },
        { "label, 40 px Arial", [=](auto& p) { addLabel<TGBusinessCardLabel>(p, phone, font("Arial", -40), 10, 60, 320, 60); }, phone },
        { "label, 8 px serif", [](auto& p) { addLabel<TGBusinessCardLabel>(p, QStringLiteral("small print"), font("Liberation Serif", -8), 100, 150, 120, 14); }, {} },
        { "label at 90", [](auto& p) { addLabel<TGPLabel>(p, QStringLiteral("Upwards"), font("Arial", -16), 40, 10, 30, 150, 90); }, QStringLiteral("Upwards") },
        { "label at 180", [](auto& p) { addLabel<TGPLabel>(p, QStringLiteral("Upside"), font("Arial", -16), 40, 40, 150, 30, 180); }, QStringLiteral("Upside") },
        { "label at 270", [](auto& p) { addLabel<TGPLabel>(p, QStringLiteral("Downwards"), font("Arial", -16), 200, 10, 30, 170, 270); }, QStringLiteral("Downwards") },
        { "label with shadow and highlight", [](auto& p) {
              auto* l = addLabel<TGBusinessCardLabel>(p, QStringLiteral("Deep"), font("Arial", -24, clNavy), 30, 30, 200, 50);
              l->SetDirectionShadow(sdDownRight);
              l->SetDepthShadow(3);
              l->SetcolorShadow(clRed);
              l->SetDirectionHighlight(hdUpLeft);
              l->SetDepthHighlight(2);
              l->SetcolorHighlight(clYellow);
          }, QStringLiteral("Deep") },
        { "opaque label with border", [](auto& p) {
              auto* l = addLabel<TGBusinessCardLabel>(p, QStringLiteral("Boxed"), font("Arial", -14), 60, 80, 120, 26);
              l->SetTransparent(false);
              l->SetBackColor(clAqua);
              l->SetBorderStyle(bsSingle);
          }, {} },
        { "multi-line text, wrapped and centred", [](auto& p) {
              auto* m = new TGMultiLineLabel;
              m->SetParent(&p);
              m->SetFont(font("Arial", -15, clNavy));
              m->SetItems({ QStringLiteral("Riverside Business Park, Unit 4, Long Lane"), QString(),
                  QStringLiteral("Brisvale") });
              m->SetBounds(20, 20, 150, 120);
              m->SetAlignment(taCenter);
              m->SetWordWrap(true);
              m->Loaded();
          }, QStringLiteral("Brisvale") },
        { "multi-line text, right aligned", [](auto& p) {
              auto* m = new TGMultiLineLabel;
              m->SetParent(&p);
              m->SetFont(font("Liberation Serif", -20));
              m->SetItems({ QStringLiteral("Orders"), QStringLiteral("0117 496 0000") });
              m->SetBounds(120, 60, 200, 60);
              m->SetAlignment(taRightJustify);
              m->Loaded();
          }, QStringLiteral("0117 496 0000") },
        { "multi-line text placeholder", [](auto& p) {
              auto* m = new TGMultiLineLabel;
              m->SetParent(&p);
              m->SetBounds(40, 40, 190, 40);
              m->Loaded();
          }, {} },
        { "symbol, WingDings telephone with shadow", [](auto& p) {
              auto* s = new TGSymbolLabel;
              s->SetParent(&p);
              s->SetCaption(QString(SymbolFonts::CharOfCode(0x28)));
              s->SetDirectionShadow(sdDownRight);
              s->SetDepthShadow(3);
              s->Loaded();
              s->SetBounds(50, 40, 10, 10);
          }, {} },
        { "symbol, Symbol sum at 48 points", [](auto& p) {
              auto* s = new TGSymbolLabel;
              s->SetParent(&p);
              TFont f = s->Font();
              f.Name = QStringLiteral("Symbol");
              f.SetSize(48);
              s->SetFont(f);
              s->SetCaption(QString(SymbolFonts::CharOfCode(0xE5)));
              s->Loaded();
              s->SetBounds(150, 30, 10, 10);
          }, {} },
        // A version 1 QR Code (21 modules) of 8 pixels a module: 25 device
        // pixels at 300 dpi and 50 at 600, so the snapped modules cover
        // exactly what the screen shows.
        { "barcode, QR Code without quiet zone", [](auto& p) {
              auto* c = new TGBarcode;
              c->SetParent(&p);
              c->SetData(QStringLiteral("Brisvale"));
              c->SetQuietZone(false);
              c->SetBounds(40, 8, 168, 168);
              c->Loaded();
          }, {} },
        { "rectangle", [](auto& p) {
              auto* s = new TBCShapes;
              s->SetParent(&p);
              s->SetShape(stRectangle);
              s->SetBounds(30, 40, 120, 60);
              s->Loaded();
          }, {} },
        { "ellipse", [](auto& p) {
              auto* s = new TBCShapes;
              s->SetParent(&p);
              s->SetShape(stEllipse);
              s->SetBounds(150, 20, 90, 140);
              s->Loaded();
          }, {} },
        { "rich text", [](auto& p) {
              addRich(p, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Liberation Serif;}}{\\colortbl;\\red200\\green0\\blue0;}"
                         "\\fs28\\b Rich\\b0  \\i card\\i0\\par\\qc\\f1\\fs20\\cf1 centred serif words that wrap "
                         "across the page\\par}", 20, 20, 200, 90);
          }, QStringLiteral("Rich") },
        { "opaque rich text without frame", [](auto& p) {
              auto* r = addRich(p, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\fs20\\qr\\ul Underlined\\par}", 120, 120, 160, 40);
              r->SetTransparent(false);
              r->SetBGColor(clYellow);
              r->SetBorderStyle(bsNone);
          }, QStringLiteral("Underlined") },
        { "supertext, gradient with shadow", [](auto& p) {
              auto* t = new TGSuperText;
              t->SetParent(&p);
              t->SetCaption(QStringLiteral("Gradient"));
              t->SetBounds(12, 20, 310, 80);
              t->SetShadowDepth(4);
              t->SetShadowOrientation(sdDownRight);
              t->Loaded();
          }, {} },
        { "supertext, solid letters, shadow left", [](auto& p) {
              auto* t = new TGSuperText;
              t->SetParent(&p);
              t->SetCaption(QStringLiteral("Solid"));
              t->SetFont(font("Arial", -40, clGreen));
              t->SetSurfaceType(TGSuperText::stNormal);
              t->SetOutlineStyle(psClear);
              t->SetShadowDepth(3);
              t->SetShadowOrientation(sdLeft);
              t->SetBounds(40, 90, 250, 70);
              t->Loaded();
          }, {} },
        { "supertext, hollow outline in a box", [](auto& p) {
              auto* t = new TGSuperText;
              t->SetParent(&p);
              t->SetCaption(QStringLiteral("Hollow"));
              t->SetSurfaceType(TGSuperText::stBrushTransparent);
              t->SetOutlineWidth(2);
              t->SetBorderStyle(bsSingle);
              t->SetBounds(30, 40, 260, 100);
              t->Loaded();
          }, {} },
        { "circletext, full circle of turned letters", [](auto& p) {
              auto* t = new TGPCircleText;
              t->SetParent(&p);
              t->SetFont(font("Arial", -16));
              t->SetBounds(60, 10, 170, 170);
              t->Loaded();
          }, {} },
        { "circletext, mirrored half circle in a frame", [](auto& p) {
              auto* t = new TGPCircleText;
              t->SetParent(&p);
              t->SetCaption(QStringLiteral("Upper arc"));
              t->SetFont(font("Arial", -20, clMaroon));
              t->SetDegrees(dg180);
              t->SetMirror(true);
              t->SetBorderStyle(bsSingle);
              t->SetBounds(20, 30, 280, 130);
              t->Loaded();
          }, {} },
        { "supershape star, gradient, shadow", [](auto& p) {
              addSuperShape(p, gstStar, stGradientFill, soLowerRight, 40, 20, 150, 140);
          }, {} },
        { "supershape diamond, solid, wide outline", [](auto& p) {
              auto* s = addSuperShape(p, gstDiamond, stBrushPattern, soUpperLeft, 100, 30, 160, 110);
              s->SetOutlineWidth(4);
              s->SetBackColor(clTeal);
          }, {} },
        { "supershape texture triangle", [](auto& p) {
              auto* s = addSuperShape(p, gstTriangleUp, stBrushImage, soNone, 20, 40, 200, 120);
              QImage tile(7, 5, QImage::Format_RGB32);
              tile.fill(QColor(90, 60, 30));
              tile.setPixel(3, 2, qRgb(200, 180, 40));
              s->SetImage(Dib::FromImage(tile));
              s->SetOutlineStyle(psClear);
          }, {} },
        { "supershape round rectangle, transparent, dashed", [](auto& p) {
              auto* s = addSuperShape(p, gstRoundRect, stBrushTransparent, soNone, 60, 50, 180, 90);
              s->SetOutlineStyle(psDash);
          }, {} },
        { "line", [](auto& p) {
              auto* s = new TGLineShape;
              s->SetParent(&p);
              s->SetBounds(20, 170, 290, 3);
              s->Loaded();
          }, {} },
        { "picture, bitmap", [](auto& p) { addPicture(p, quartersBitmap(), 30, 30, 120, 90); }, {} },
        { "picture, bitmap flipped and reversed, framed", [](auto& p) {
              auto* i = addPicture(p, quartersBitmap(), 100, 40, 150, 100);
              i->SetFlip(true);
              i->SetReverse(true);
              i->SetBorderStyle(bsSingle);
          }, {} },
        { "picture, photo-sized bitmap flipped and reversed, framed", [](auto& p) {
              QImage photo(480, 360, QImage::Format_RGB32);
              photo.fill(qRgb(0, 120, 200));
              auto* i = addPicture(p, TPicture::FromBitmap(Dib::FromImage(photo)), 100, 40, 150, 100);
              i->SetFlip(true);
              i->SetReverse(true);
              i->SetBorderStyle(bsSingle);
          }, {} },
        { "picture, metafile", [](auto& p) { addPicture(p, metafilePicture("clipart.wmf"), 20, 20, 300, 160); }, {} },
        { "picture, SVG drawing", [](auto& p) { addPicture(p, svgPicture(), 20, 20, 240, 120); }, {} },
        { "picture, enhanced metafile, framed", [](auto& p) {
              addPicture(p, metafilePicture("clipart.emf"), 60, 30, 150, 100)->SetBorderStyle(bsSingle);
          }, {} },
    };
}

struct Box {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    bool empty() const { return right < left; }
};

// Ink bounding box of an image area, in that image's pixels (right/bottom
// exclusive).
Box inkBox(const QImage& img, const QRect& area)
{
    Box b;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF && qGray(line[x]) < 250) {
                b.left = std::min<double>(b.left, x - area.left());
                b.top = std::min<double>(b.top, y - area.top());
                b.right = std::max<double>(b.right, x + 1 - area.left());
                b.bottom = std::max<double>(b.bottom, y + 1 - area.top());
            }
    }
    return b;
}

Box scaled(Box b, double factor)
{
    b.left *= factor;
    b.top *= factor;
    b.right *= factor;
    b.bottom *= factor;
    return b;
}

QImage screenCard(TGBusinessCardPanel32& panel)
{
    QImage card(CardW, CardH, QImage::Format_RGB32);
    card.fill(Qt::white);
    QPainter p(&card);
    for (TGGraphicControl* o : panel.Objects())
        o->PaintAt(p, o->Left(), o->Top());
    return card;
}

QImage blankSheet(double dpi)
{
    QImage sheet(int((CardX + CardW / kPpi + 0.25) * dpi), int((CardY + CardH / kPpi + 0.25) * dpi),
                 QImage::Format_RGB32);
    sheet.fill(Qt::white);
    return sheet;
}

QRect cardArea(double dpi)
{
    return QRect(int(Round(CardX * dpi)), int(Round(CardY * dpi)), int(Round(CardW / kPpi * dpi)),
                 int(Round(CardH / kPpi * dpi)));
}

// The card as a sheet job prints it: one block clipped to the card's box,
// which a PDF draws once and places.
void printCard(TPageEngine& e, TGBasePanel& panel)
{
    e.PlaceBlock(QStringLiteral("card"), CardX, CardY, CardX + CardW / kPpi, CardY + CardH / kPpi,
        [&panel](TPageEngine& engine, double left, double top) { panel.PrintObjects(engine, left, top); });
}

QImage printedOnDevice(TGBasePanel& panel, double dpi)
{
    QImage sheet = blankSheet(dpi);
    QPainter painter(&sheet);
    TCanvasPageEngine engine(&painter, TDeviceFacts{ dpi, dpi, 0, 0, 0, 8.5, 11 });
    engine.OnPrint = [&](TPageEngine& e) { printCard(e, panel); };
    engine.Execute();
    return sheet;
}

QImage printedThroughRecording(TGBasePanel& panel, double dpi)
{
    const TDeviceFacts facts{ dpi, dpi, 0, 0, 0, 8.5, 11 };
    QBuffer stream;
    TPageRecorder recorder;
    recorder.SetDeviceFacts(facts);
    recorder.SetStream(&stream);
    recorder.OnPrint = [&](TPageEngine& e) { printCard(e, panel); };
    recorder.Execute();
    TPagePlayer player;
    player.Load(stream.data());
    player.SetDeviceFacts(facts);
    QImage sheet = blankSheet(dpi);
    QPainter painter(&sheet);
    player.PlayPage(1, &painter);
    return sheet;
}

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { pdf, QStringLiteral("-") });
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestPrintFidelity : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void printedInkMatchesTheScreen_data();
    void printedInkMatchesTheScreen();
    void stretchedPictureKeepsItsTextSize();
    void largePictureMatchesTheScreen_data();
    void largePictureMatchesTheScreen();
};

void TestPrintFidelity::printedInkMatchesTheScreen_data()
{
    QTest::addColumn<int>("row");
    const auto rows = cardRows();
    for (int i = 0; i < rows.size(); ++i)
        QTest::newRow(rows[i].name) << i;
}

void TestPrintFidelity::printedInkMatchesTheScreen()
{
    QFETCH(int, row);
    const CardRow spec = cardRows().at(row);
    TGBusinessCardPanel32 panel;
    spec.build(panel);

    const Box screen = inkBox(screenCard(panel), QRect(0, 0, CardW, CardH));
    QVERIFY2(!screen.empty(), "the card draws nothing on screen");

    auto compare = [&](const char* path, const QImage& sheet, double dpi) {
        const Box printed = scaled(inkBox(sheet, cardArea(dpi)), kPpi / dpi);
        const QString where = QStringLiteral("%1 at %2 dpi: screen (%3, %4)-(%5, %6), printed (%7, %8)-(%9, %10)")
                                  .arg(QLatin1String(path)).arg(dpi)
                                  .arg(screen.left).arg(screen.top).arg(screen.right).arg(screen.bottom)
                                  .arg(printed.left, 0, 'f', 1).arg(printed.top, 0, 'f', 1)
                                  .arg(printed.right, 0, 'f', 1).arg(printed.bottom, 0, 'f', 1);
        QVERIFY2(!printed.empty(), qPrintable(where + QStringLiteral(": nothing printed")));
        // Whole screen pixels: the screen's hinted glyphs may stand a pixel
        // from the unhinted letters of a printer.
        auto near = [](double p, double s) { return std::abs(std::round(p) - s) <= 1; };
        const bool close = near(printed.left, screen.left) && near(printed.top, screen.top)
                           && near(printed.right, screen.right) && near(printed.bottom, screen.bottom);
        QVERIFY2(close, qPrintable(where));
    };

    for (double dpi : { 300.0, 600.0 }) {
        compare("device image", printedOnDevice(panel, dpi), dpi);
        if (QTest::currentTestFailed())
            return;
    }
    compare("recorded page", printedThroughRecording(panel, 300), 300);
    if (QTest::currentTestFailed())
        return;

    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("card.pdf"));
    {
        TPagePrinter printer(pdf);
        printer.SetPaper(PaperLetter);
        printer.OnPrint = [&](TPageEngine& e) { printCard(e, panel); };
        printer.Execute();
    }
    const QList<QImage> pages = rasterizePdf(pdf, 300);
    QCOMPARE(pages.size(), 1);
    compare("PDF", pages.first(), 300);
    if (!spec.text.isEmpty())
        QVERIFY2(pdfText(pdf).simplified().contains(spec.text), "the caption is not text in the PDF");
}

void TestPrintFidelity::stretchedPictureKeepsItsTextSize()
{
    // A picture recorded in screen pixels and stretched onto its inches must
    // not have its letters grown by the device's resolution on playback.
    QPicture picture;
    {
        QPainter p(&picture);
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(20);
        p.setFont(f);
        p.drawText(0, 20, QStringLiteral("Phone"));
    }
    picture.setBoundingRect(QRect(0, 0, 96, 24));
    QImage screen(96, 24, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        p.drawPicture(0, 0, picture);
    }
    const Box expected = inkBox(screen, screen.rect());
    for (double dpi : { 300.0, 600.0 }) {
        QImage sheet = blankSheet(dpi);
        {
            QPainter painter(&sheet);
            TCanvasPageEngine engine(&painter, TDeviceFacts{ dpi, dpi, 0, 0, 0, 8.5, 11 });
            engine.OnPrint = [&](TPageEngine& e) {
                e.StretchGraphic(e.InchRectToDevice(CardX, CardY, CardX + 1, CardY + 0.25), picture);
            };
            engine.Execute();
        }
        const Box printed = scaled(inkBox(sheet, cardArea(dpi)), kPpi / dpi);
        QVERIFY2(std::abs(printed.right - expected.right) <= 1 && std::abs(printed.bottom - expected.bottom) <= 1,
                 qPrintable(QStringLiteral("%1 dpi: right %2 bottom %3, screen %4 %5")
                                .arg(dpi).arg(printed.right).arg(printed.bottom).arg(expected.right).arg(expected.bottom)));
    }
}

void TestPrintFidelity::largePictureMatchesTheScreen_data()
{
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<int>("left");
    QTest::newRow("plain") << false << false << 30;
    QTest::newRow("flipped and reversed") << true << false << 30;
    QTest::newRow("transparent quarter") << false << true << 30;
    QTest::newRow("overhanging the card's right edge") << false << false << 250;
}

// A photo-sized bitmap (the PDF job writes such pictures itself): in the PDF
// at 300 and 600 dpi, each quarter's colour stands where the screen shows
// it, mirrored or not; a transparent quarter shows the white card, not the
// pixels' colour; what overhangs the card's edge is not on the sheet.
void TestPrintFidelity::largePictureMatchesTheScreen()
{
    QFETCH(bool, mirrored);
    QFETCH(bool, transparent);
    QFETCH(int, left);
    if (!havePdftoppm())
        QSKIP("pdftoppm (poppler-utils) not installed");
    const int w = 480, h = 360; // 675 KB as drawn
    QImage img(w, h, transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool right = x >= w / 2, bottom = y >= h / 2;
            QRgb c = bottom ? (right ? qRgb(220, 200, 0) : qRgb(0, 0, 200)) : (right ? qRgb(0, 160, 0) : qRgb(200, 0, 0));
            if (transparent && right && bottom)
                c = qRgba(30, 30, 30, 0);
            img.setPixel(x, y, c);
        }
    TGBusinessCardPanel32 panel;
    auto* image = addPicture(panel,
        TPicture::FromBitmap(transparent ? Dib::FromImageKeepingAlpha(img) : Dib::FromImage(img)), left, 40, 160, 120);
    image->SetFlip(mirrored);
    image->SetReverse(mirrored);
    const QImage screen = screenCard(panel);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("photo.pdf"));
    {
        TPagePrinter printer(pdf);
        printer.SetPaper(PaperLetter);
        printer.OnPrint = [&](TPageEngine& e) { printCard(e, panel); };
        printer.Execute();
    }
    // The quarters' middles, in card pixels.
    const QPoint samples[] = { { left + 40, 70 }, { left + 120, 70 }, { left + 40, 130 }, { left + 120, 130 } };
    for (int dpi : { 300, 600 }) {
        // The card and half an inch right of it (a whole Letter page at 600
        // dpi is more than an image may hold).
        const QPoint corner(int(Round(CardX * dpi)), int(Round(CardY * dpi)));
        const QString png = dir.filePath(QStringLiteral("card-%1").arg(dpi));
        QProcess p;
        p.start(QStringLiteral("pdftoppm"),
            { QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-x"), QString::number(corner.x()),
                QStringLiteral("-y"), QString::number(corner.y()), QStringLiteral("-W"),
                QString::number(int((CardW / kPpi + 0.5) * dpi)), QStringLiteral("-H"),
                QString::number(int(CardH / kPpi * dpi)), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, png });
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
        const QImage card = QImage(png + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!card.isNull());
        for (const QPoint& at : samples) {
            const QPoint on(int(Round(at.x() / kPpi * dpi)), int(Round(at.y() / kPpi * dpi)));
            const QRgb printed = card.pixel(on);
            const QRgb expected = at.x() < CardW ? screen.pixel(at) : qRgb(255, 255, 255);
            const bool same = std::abs(qRed(printed) - qRed(expected)) <= 40
                && std::abs(qGreen(printed) - qGreen(expected)) <= 40 && std::abs(qBlue(printed) - qBlue(expected)) <= 40;
            QVERIFY2(same, qPrintable(QStringLiteral("at (%1, %2), %3 dpi: printed %4, screen %5")
                                          .arg(at.x()).arg(at.y()).arg(dpi)
                                          .arg(printed & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                                          .arg(expected & 0xFFFFFF, 6, 16, QLatin1Char('0'))));
        }
    }
}

QTEST_MAIN(TestPrintFidelity)
#include "tst_print_fidelity.moc"
