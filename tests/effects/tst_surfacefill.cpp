// The shared gradient and tiling surfaces: band colours and spans, tiles on
// screen at a zoom, and both printing forms through a canvas page engine.
#include "effects/SurfaceFill.h"
#include "pageengine/PageCanvasEngine.h"

#include <QPainter>
#include <QTest>

using namespace bv;

namespace {
int grey(const QImage& img, int x, int y) { return qRed(img.pixel(x, y)); }

// A picture of distinct quadrant colours, so a tile's origin shows.
Dib quadrantPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, x < w / 2 ? (y < h / 2 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                         : (y < h / 2 ? qRgb(0, 0, 255) : qRgb(255, 255, 0)));
    return Dib::FromImage(img);
}
// Counts the bitmaps printed and where they go, and draws them.
class CountingEngine : public TCanvasPageEngine {
public:
    using TCanvasPageEngine::TCanvasPageEngine;
    int bitmaps = 0;
    int outside = 0; // bitmaps that miss the page and an inch around it
protected:
    void DoStretchBitmap(double x1, double y1, double x2, double y2, const Dib& bitmap) override
    {
        ++bitmaps;
        if (!QRectF(QPointF(x1, y1), QPointF(x2, y2)).intersects(QRectF(-1.0, -1.0, 10.5, 13.0)))
            ++outside;
        TCanvasPageEngine::DoStretchBitmap(x1, y1, x2, y2, bitmap);
    }
};
} // namespace

class TestSurfaceFill : public QObject {
    Q_OBJECT
private slots:
    void gradientColumns_data();
    void gradientColumns();
    void gradientDirections_data();
    void gradientDirections();
    void screenTiles_data();
    void screenTiles();
    void printedBandsMatchScreen();
    void printedTiles_data();
    void printedTiles();
    void tinyTilesAreGroupedOnTheVisiblePart_data();
    void tinyTilesAreGroupedOnTheVisiblePart();
};

void TestSurfaceFill::gradientColumns_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("expected"); // grey level of each column (prefix)
    QList<int> all;
    for (int x = 0; x < 256; ++x)
        all << x;
    QTest::newRow("256 wide: column x is grey x") << 256 << all;
    QTest::newRow("25 wide: every tenth level") << 25
        << QList<int>{ 5, 15, 25, 35, 46, 56, 66, 76, 87, 97, 107, 117, 127, 138, 148, 158, 168, 179, 189, 199,
               209, 220, 230, 240, 250 };
}

void TestSurfaceFill::gradientColumns()
{
    QFETCH(int, width);
    QFETCH(QList<int>, expected);
    const QImage img = RenderGradient({ clBlack, clWhite, gdRight }, width, 3);
    QCOMPARE(img.size(), QSize(width, 3));
    QList<int> got;
    for (int x = 0; x < width; ++x)
        got << grey(img, x, 2);
    QCOMPARE(got, expected);
}

void TestSurfaceFill::gradientDirections_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QPoint>("firstPixel");
    QTest::addColumn<QPoint>("lastPixel");
    QTest::addColumn<QRgb>("first");
    QTest::addColumn<QRgb>("last");
    // BackColor red, ToColor blue.
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    QTest::newRow("up: to colour on top") << int(gdUp) << 30 << 300 << QPoint(29, 0) << QPoint(0, 299) << blue << red;
    QTest::newRow("down: back colour on top") << int(gdDown) << 30 << 300 << QPoint(0, 0) << QPoint(29, 299) << red << blue;
    QTest::newRow("left: to colour at left") << int(gdLeft) << 300 << 30 << QPoint(0, 29) << QPoint(299, 0) << blue << red;
    QTest::newRow("right: back colour at left") << int(gdRight) << 300 << 30 << QPoint(0, 0) << QPoint(299, 29) << red << blue;
    // 100 pixels: bands 0 and 255 fall on no row; the ends are one step in.
    QTest::newRow("100 tall grey") << int(gdDown) << 4 << 100 << QPoint(0, 0) << QPoint(3, 99) << qRgb(1, 1, 1)
                                   << qRgb(254, 254, 254);
}

void TestSurfaceFill::gradientDirections()
{
    QFETCH(int, direction);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QPoint, firstPixel);
    QFETCH(QPoint, lastPixel);
    QFETCH(QRgb, first);
    QFETCH(QRgb, last);
    TGradientSpec spec{ clRed, clBlue, TFillDirection(direction) };
    if (height == 100)
        spec = { clBlack, clWhite, TFillDirection(direction) };
    const QImage img = RenderGradient(spec, width, height);
    QCOMPARE(img.pixel(firstPixel) & 0xFFFFFF, first & 0xFFFFFF);
    QCOMPARE(img.pixel(lastPixel) & 0xFFFFFF, last & 0xFFFFFF);
    // The bands cover the side exactly once, in order.
    const auto bands = GradientBands(spec, width, height);
    const int side = GradientRunsAcross(spec.Direction) ? width : height;
    QCOMPARE(bands.front().Start, 0);
    QCOMPARE(bands.back().End, side);
    for (int i = 1; i < GradientBandCount; ++i)
        QCOMPARE(bands[i].Start, bands[i - 1].End);
}

void TestSurfaceFill::screenTiles_data()
{
    QTest::addColumn<float>("zoom");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("tile");
    QTest::newRow("40 at 1.5 gives 60") << 1.5f << QSize(40, 40) << QSize(60, 60);
    QTest::newRow("own size at 1.0") << 1.0f << QSize(7, 9) << QSize(7, 9);
    QTest::newRow("truncated at 1.25") << 1.25f << QSize(3, 5) << QSize(3, 6);
}

void TestSurfaceFill::screenTiles()
{
    QFETCH(float, zoom);
    QFETCH(QSize, picture);
    QFETCH(QSize, tile);
    QCOMPARE(ScreenTileSize(picture, zoom), tile);

    const Dib pic = quadrantPicture(picture.width(), picture.height());
    QImage canvas(100, 100, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    TileOnCanvas(p, pic.Image(), tile, 100, 100);
    p.end();
    // Every pixel equals the picture's pixel at the same place within its tile.
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const int px = (x % tile.width()) * picture.width() / tile.width();
            const int py = (y % tile.height()) * picture.height() / tile.height();
            if ((x % tile.width()) * picture.width() % tile.width() != 0
                || (y % tile.height()) * picture.height() % tile.height() != 0)
                continue; // stretched pixels between exact sample points
            QCOMPARE(canvas.pixel(x, y), pic.Image().pixel(px, py));
        }
    // A tile side of 0 draws nothing and ends.
    QImage untouched(10, 10, QImage::Format_RGB32);
    untouched.fill(Qt::black);
    QPainter q(&untouched);
    TileOnCanvas(q, pic.Image(), QSize(0, 5), 10, 10);
    q.end();
    QCOMPARE(untouched.pixel(0, 0) & 0xFFFFFF, 0u);
}

void TestSurfaceFill::printedBandsMatchScreen()
{
    // Bands filled in device pixels give the same picture as the screen form.
    const TGradientSpec spec{ clYellow, clNavy, gdLeft };
    QImage sheet(200, 100, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    TCanvasPageEngine engine(&painter, TDeviceFacts{ 300, 300, 0, 0, 0, 8.5, 11 });
    engine.OnPrint = [&](TPageEngine& e) { PrintGradientBands(e, spec, 150, 60, 20, 10); };
    engine.Execute();
    painter.end();
    const QImage screen = RenderGradient(spec, 150, 60);
    for (int y = 0; y < 60; y += 7)
        for (int x = 0; x < 150; ++x)
            QCOMPARE(sheet.pixel(x + 20, y + 10), screen.pixel(x, y));
    QCOMPARE(sheet.pixel(19, 30) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(sheet.pixel(170, 30) & 0xFFFFFF, 0xFFFFFFu);
}

void TestSurfaceFill::printedTiles_data()
{
    QTest::addColumn<bool>("composeFirst");
    QTest::newRow("tile by tile") << false;
    QTest::newRow("composed first") << true;
}

void TestSurfaceFill::printedTiles()
{
    QFETCH(bool, composeFirst);
    // A 10 × 10 picture at 300 dpi from a 100-ppi screen: 30-pixel tiles over
    // an area of 100 × 70 device pixels at (60, 90).
    const Dib pic = quadrantPicture(10, 10);
    QImage sheet(300, 300, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    TCanvasPageEngine engine(&painter, TDeviceFacts{ 300, 300, 0, 0, 0, 8.5, 11 });
    const TPrintSurfaceArea area{ 60, 90, 160, 160, 3.0, 3.0 };
    engine.OnPrint = [&](TPageEngine& e) {
        e.PushRectRegion(60 / 300.0, 90 / 300.0, 160 / 300.0, 160 / 300.0);
        e.SelectTopRegion();
        PrintTiles(e, pic, area, composeFirst);
        e.ClearClip();
        e.PopRegion();
    };
    engine.Execute();
    painter.end();
    // Quadrant colours repeat every 30 device pixels from the area's corner.
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0);
    for (int tile = 0; tile < 3; ++tile) {
        QCOMPARE(sheet.pixel(60 + 30 * tile + 5, 95), red);
        QCOMPARE(sheet.pixel(60 + 30 * tile + 25, 95), blue);
        QCOMPARE(sheet.pixel(60 + 30 * tile + 5, 90 + 30 + 25), green);
    }
    QCOMPARE(sheet.pixel(59, 100) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(sheet.pixel(160, 100) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(sheet.pixel(100, 160) & 0xFFFFFF, 0xFFFFFFu);
}

void TestSurfaceFill::tinyTilesAreGroupedOnTheVisiblePart_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<bool>("composeFirst");
    // A 2 x 2 picture at 300 dpi from a 100-ppi screen: 6-pixel tiles. On a
    // letter page (2550 x 3300 device pixels) the visible part alone holds
    // over 230,000 of them.
    QTest::newRow("object the size of the page") << QRect(0, 0, 2550, 3300) << false;
    QTest::newRow("object far beyond the page") << QRect(-600000, -600000, 1200000, 1200000) << false;
    QTest::newRow("composed, far beyond the page") << QRect(-600000, -600000, 1200000, 1200000) << true;
}

void TestSurfaceFill::tinyTilesAreGroupedOnTheVisiblePart()
{
    QFETCH(QRect, area);
    QFETCH(bool, composeFirst);
    const Dib pic = quadrantPicture(2, 2);
    QImage sheet(2550, 3300, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    CountingEngine engine(&painter, TDeviceFacts{ 300, 300, 0, 0, 0, 8.5, 11 });
    const TPrintSurfaceArea surface{ area.left(), area.top(), area.left() + area.width(), area.top() + area.height(),
        3.0, 3.0 };
    engine.OnPrint = [&](TPageEngine& e) { PrintTiles(e, pic, surface, composeFirst); };
    engine.Execute();
    painter.end();
    // A bounded number of bitmaps, none beyond an inch around the page.
    QVERIFY2(engine.bitmaps <= 4096, qPrintable(QString::number(engine.bitmaps)));
    QCOMPARE(engine.outside, 0);
    // The pattern is the tiling from the area's corner: quadrant colours
    // every 6 device pixels (3 of each), wherever on the page.
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0), yellow = qRgb(255, 255, 0);
    for (int y = 100; y < 3300; y += 997)
        for (int x = 100; x < 2550; x += 613) {
            const int cx = ((x - area.left()) % 6 + 6) % 6;
            const int cy = ((y - area.top()) % 6 + 6) % 6;
            if (cx == 2 || cx == 3 || cy == 2 || cy == 3)
                continue; // next to a quadrant edge, where scaling may round
            const QRgb expected = cx < 3 ? (cy < 3 ? red : green) : (cy < 3 ? blue : yellow);
            QCOMPARE(sheet.pixel(x, y) & 0xFFFFFF, expected & 0xFFFFFF);
        }
}

QTEST_MAIN(TestSurfaceFill)
#include "tst_surfacefill.moc"
