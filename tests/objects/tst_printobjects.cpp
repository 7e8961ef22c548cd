// Printing of labels, shapes and lines through the page engine: a card is
// printed with its origin at (1.0, 2.0) inches on a 300-dpi sheet image and
// the edges of each object are looked up in pixels. Screen resolution 96 ppi
// (BRISVALE_PPI). Label text in "Liberation Sans".
#include "objects/BusinessCardLabel.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "pageengine/PageCanvasEngine.h"
#include "pageengine/PageRecorder.h"
#include "surface/BusinessCardPanel.h"

#include <QPainter>
#include <QPicture>
#include <QTest>

using namespace bv;

namespace {

constexpr double Dpi = 300;
constexpr double CardX = 1.0;
constexpr double CardY = 2.0;

// Device column / row of a card pixel position at 96 ppi.
int devX(double px)
{
    return int(Round((px / 96.0 + CardX) * Dpi));
}
int devY(double px)
{
    return int(Round((px / 96.0 + CardY) * Dpi));
}

struct PrintedCard {
    QImage sheet;
    explicit PrintedCard(TGBasePanel& panel)
        : sheet(1500, 1500, QImage::Format_RGB32)
    {
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        TCanvasPageEngine engine(&painter, TDeviceFacts{ Dpi, Dpi, 0, 0, 0, 8.5, 11 });
        engine.OnPrint = [&panel](TPageEngine& e) { panel.PrintObjects(e, CardX, CardY); };
        engine.Execute();
    }
    QRgb at(int x, int y) const { return sheet.pixel(x, y) & 0xFFFFFF; }
    bool ink(int x, int y) const { return at(x, y) != 0xFFFFFF; }
    // First and last inked column of row y within [from, to).
    std::pair<int, int> inkSpanInRow(int y, int from, int to) const
    {
        int first = -1, last = -1;
        for (int x = from; x < to; ++x)
            if (ink(x, y)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return { first, last };
    }
    std::pair<int, int> inkSpanInColumn(int x, int from, int to) const
    {
        int first = -1, last = -1;
        for (int y = from; y < to; ++y)
            if (ink(x, y)) {
                if (first < 0)
                    first = y;
                last = y;
            }
        return { first, last };
    }
};

TBCShapes* addShape(TGBasePanel& panel, TShapeType kind, int l, int t, int w, int h)
{
    auto* s = new TBCShapes;
    s->SetParent(&panel);
    s->SetShape(kind);
    s->SetBounds(l, t, w, h);
    s->Loaded();
    return s;
}

} // namespace

class TestPrintObjects : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }

    void rectangleAndLabelLandOnTheirInches();
    void roundedRectangleAndEllipseCorners();
    void roundCornerUsesLongerSide();
    void penWidthsInHundredths_data();
    void penWidthsInHundredths();
    void linesWithHalfPenOffset_data();
    void linesWithHalfPenOffset();
    void labelPictureIsTheObjectsDrawing();
    void rotatedLabelPrintsWithinItsBox();
};

void TestPrintObjects::rectangleAndLabelLandOnTheirInches()
{
    TGBusinessCardPanel32 panel;
    TBCShapes* rect = addShape(panel, stRectangle, 48, 24, 96, 48);
    TBrush yellow;
    yellow.Color = clYellow;
    rect->SetBrush(yellow);

    auto* label = new TGBusinessCardLabel;
    label->SetParent(&panel);
    TFont f;
    f.Name = QStringLiteral("Liberation Sans");
    f.SetSize(12);
    f.Color = clBlack;
    label->SetFont(f);
    label->SetBounds(192, 96, 120, 30);
    label->SetTransparent(false);
    label->SetBackColor(clLime);
    label->Loaded();
    label->CalcTextLayout(); // the printed size is the laid-out size
    const int lw = label->Width(), lh = label->Height();

    const PrintedCard card(panel);

    // Rectangle: box (450, 675)-(750, 825); a 1-pixel screen pen is 1/100
    // inch, 3 device pixels, centred on the box's outermost pixels.
    const int midY = (devY(24) + devY(72)) / 2;
    QCOMPARE(devX(48), 450);
    QCOMPARE(devY(24), 675);
    QCOMPARE(card.inkSpanInRow(midY, 300, 1000), std::make_pair(449, 750));
    QCOMPARE(card.at(452, midY), 0xFFFF00u); // filled inside
    QCOMPARE(card.at(450, midY), 0u);
    const int midX = (devX(48) + devX(144)) / 2;
    QCOMPARE(card.inkSpanInColumn(midX, 600, 900), std::make_pair(674, 825));

    // Label: the background fills exactly its inch rectangle.
    const int x1 = devX(192), y1 = devY(96), x2 = devX(192 + lw), y2 = devY(96 + lh);
    QCOMPARE(x1, 900);
    QCOMPARE(y1, 900);
    const auto span = card.inkSpanInRow(y1 + 2, 800, 1500);
    QCOMPARE(span, std::make_pair(x1, x2 - 1));
    QCOMPARE(card.inkSpanInColumn(x2 - 2, 850, 1200), std::make_pair(y1, y2 - 1));
    QCOMPARE(card.at(x1 + 1, y1 + 1), 0x00FF00u);
    // The text is on it, in black, in its left part.
    int dark = 0;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x1 + (x2 - x1) / 2; ++x)
            dark += qGray(card.sheet.pixel(x, y)) < 60;
    QVERIFY(dark > 100);
}

void TestPrintObjects::roundedRectangleAndEllipseCorners()
{
    TGBusinessCardPanel32 panel;
    addShape(panel, stRoundRect, 0, 0, 96, 48);    // (300, 600)-(600, 750)
    addShape(panel, stEllipse, 144, 0, 96, 48);    // (750, 600)-(1050, 750)
    addShape(panel, stCircle, 0, 96, 96, 48);      // circle kind: still 2:1
    const PrintedCard card(panel);
    // Corners of the boxes stay white, the middles of the edges are drawn.
    for (int left : { 300, 750 }) {
        QVERIFY(!card.ink(left + 1, 601));
        QVERIFY(card.ink(left, 675));
        QVERIFY(card.ink(left + 150, 600));
    }
    // The rounded corner is 25 % of the longer side (1 inch): 0.25 inch
    // ellipses, so the top edge is straight from 300 + 37 on.
    QVERIFY(card.ink(300 + 40, 600));
    QVERIFY(!card.ink(300 + 5, 600));
    // The ellipse touches its box only in the middles of the sides.
    QVERIFY(!card.ink(750 + 40, 600));
    // A circle object 2:1 prints a 2:1 ellipse.
    QCOMPARE(card.inkSpanInRow(975, 250, 700), std::make_pair(299, 600));
    QCOMPARE(card.inkSpanInColumn(450, 850, 1100), std::make_pair(899, 1050));
}

void TestPrintObjects::roundCornerUsesLongerSide()
{
    // A tall rounded rectangle: the corner comes from the height.
    TGBusinessCardPanel32 panel;
    TBCShapes* s = addShape(panel, stRoundSquare, 0, 0, 48, 96); // (300,600)-(450,900)
    s->SetRoundPerc(50);
    const PrintedCard card(panel);
    // Corner ellipse 0.5 × 1 inch = 150 pixels: a quarter circle of radius
    // 75 spans the whole 150-pixel width, so the top edge has no straight part.
    const auto top = card.inkSpanInRow(601, 250, 500);
    QVERIFY(top.first > 340 && top.second < 410);
    QVERIFY(card.ink(300, 750));
}

void TestPrintObjects::penWidthsInHundredths_data()
{
    QTest::addColumn<int>("penWidth");
    QTest::addColumn<int>("devicePixels");
    // -Trunc(w / 96 × 100) hundredths, Round(h / 100 × 300) pixels.
    QTest::newRow("1 px") << 1 << 3;   // 1.04 → 1 → 3
    QTest::newRow("4 px") << 4 << 12;  // 4.17 → 4 → 12
    QTest::newRow("10 px") << 10 << 30; // 10.4 → 10 → 30
}

void TestPrintObjects::penWidthsInHundredths()
{
    QFETCH(int, penWidth);
    QFETCH(int, devicePixels);
    TGBusinessCardPanel32 panel;
    TBCShapes* s = addShape(panel, stRectangle, 48, 48, 192, 96); // (450,750)-(1050,1050)
    TPen pen;
    pen.Width = penWidth;
    s->SetPen(pen);
    s->SetTransparent(true);
    const PrintedCard card(panel);
    const auto span = card.inkSpanInRow(900, 300, 600);
    QCOMPARE(span.second - span.first + 1, devicePixels);
    QVERIFY(!card.ink(600, 900)); // transparent inside
}

void TestPrintObjects::linesWithHalfPenOffset_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("penWidth");
    QTest::newRow("horizontal, 1") << int(stHorizontal) << 1;
    QTest::newRow("horizontal, 4") << int(stHorizontal) << 4;
    QTest::newRow("vertical, 3") << int(stVertical) << 3;
    QTest::newRow("sloping up") << int(stAngleSlopingUp) << 2;
    QTest::newRow("sloping down") << int(stAngleSlopingDown) << 2;
}

void TestPrintObjects::linesWithHalfPenOffset()
{
    QFETCH(int, style);
    QFETCH(int, penWidth);
    TGBusinessCardPanel32 panel;
    auto* line = new TGLineShape;
    line->SetParent(&panel);
    line->SetLineStyle(TLineStyle(style));
    line->SetBounds(96, 48, 96, 96); // (600, 750)-(900, 1050) before the offset
    TPen pen;
    pen.Width = penWidth;
    pen.Color = clBlue;
    line->SetPen(pen);
    line->Loaded();
    const PrintedCard card(panel);
    // The width in pixels is taken as hundredths of an inch: 3 device
    // pixels per screen pixel at 300 dpi.
    const int w = penWidth * 3;
    const int h = penWidth / 2;
    const int y1 = devY(48 + h), y2 = devY(48 + h + 96);
    switch (style) {
    case stHorizontal: {
        const auto across = card.inkSpanInColumn(750, 600, 1200);
        QCOMPARE(across.second - across.first + 1, w);
        QVERIFY(across.first <= y1 && across.second >= y1);
        QVERIFY(card.ink(601, y1));
        QVERIFY(!card.ink(620, y2));
        break;
    }
    case stVertical: {
        const auto across = card.inkSpanInRow(900, 400, 1100);
        QCOMPARE(across.second - across.first + 1, w);
        QVERIFY(across.first <= 600 && across.second >= 600);
        const auto along = card.inkSpanInColumn(600, 600, 1200);
        QVERIFY(std::abs(along.first - y1) <= w);
        QVERIFY(std::abs(along.second - y2) <= w);
        break;
    }
    case stAngleSlopingUp:
        QVERIFY(card.ink(750, (y1 + y2) / 2));
        QVERIFY(card.ink(610, y2 - 10));  // starts at bottom-left
        QVERIFY(card.ink(890, y1 + 10));  // ends at top-right
        QVERIFY(!card.ink(610, y1 + 10));
        break;
    case stAngleSlopingDown:
        QVERIFY(card.ink(610, y1 + 10));
        QVERIFY(card.ink(890, y2 - 10));
        QVERIFY(!card.ink(610, y2 - 10));
        break;
    }
}

void TestPrintObjects::labelPictureIsTheObjectsDrawing()
{
    // At 96 dpi the printed label is the screen drawing, pixel for pixel,
    // also when the engine records and a player replays the page.
    TGBusinessCardPanel32 panel;
    auto* label = new TGBusinessCardLabel;
    label->SetParent(&panel);
    TFont f;
    f.Name = QStringLiteral("Liberation Sans");
    f.SetSize(14);
    f.Color = clNavy;
    label->SetFont(f);
    label->SetCaption(QStringLiteral("Card 3-D"));
    label->SetDirectionShadow(sdDownRight);
    label->SetDepthShadow(2);
    label->SetcolorShadow(clRed);
    label->SetBounds(10, 20, 150, 40);
    label->Loaded();
    label->CalcTextLayout();

    QImage screen(label->Width(), label->Height(), QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter p(&screen);
        label->DrawTo(p);
    }
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        TCanvasPageEngine engine(&p, TDeviceFacts{ 96, 96, 0, 0, 0, 8.5, 11 });
        engine.OnPrint = [&](TPageEngine& e) { panel.PrintObjects(e, 0.5, 0.25); };
        engine.Execute();
    }
    const QImage printed = page.copy(48 + 10, 24 + 20, label->Width(), label->Height());
    int differing = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            differing += screen.pixel(x, y) != printed.pixel(x, y);
    QCOMPARE(differing, 0);
}

void TestPrintObjects::rotatedLabelPrintsWithinItsBox()
{
    TGBusinessCardPanel32 panel;
    auto* label = new TGBusinessCardLabel;
    label->SetParent(&panel);
    TFont f;
    f.Name = QStringLiteral("Liberation Sans");
    f.SetSize(12);
    f.Color = clBlack;
    label->SetFont(f);
    label->SetCaption(QStringLiteral("Upwards"));
    label->SetBounds(96, 0, 30, 100);
    label->SetAngle(90);
    label->Loaded();
    label->CalcTextLayout();
    const PrintedCard card(panel);
    const int x1 = devX(96), x2 = devX(96 + label->Width());
    const int y1 = devY(0), y2 = devY(label->Height());
    int inside = 0, outside = 0;
    for (int y = 550; y < 1100; ++y)
        for (int x = 550; x < 1000; ++x) {
            if (!card.ink(x, y))
                continue;
            (x >= x1 && x < x2 && y >= y1 && y < y2 ? inside : outside)++;
        }
    QVERIFY(inside > 200);
    QCOMPARE(outside, 0);
}

QTEST_MAIN(TestPrintObjects)
#include "tst_printobjects.moc"
