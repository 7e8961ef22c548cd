// The page engine on a raster canvas: the inch-to-device rule, pens, where
// figure edges land, clipping, text paths and job control. Text is drawn in
// "DejaVu Sans" (fonts-dejavu-core) so metrics are the same on every machine.
#include "pageengine/PageCanvasEngine.h"
#include "platform/Numeric.h"

#include <QLabel>
#include <QPainter>
#include <QPicture>
#include <QtTest>

using namespace bv;
using namespace bv::PageStyle;

namespace {

constexpr QRgb White = 0xFFFFFFFF, Black = 0xFF000000, Red = 0xFFFF0000, Blue = 0xFF0000FF;

// A sheet image at a resolution, with the engine drawing into it.
struct Sheet {
    QImage image;
    QPainter painter;
    TCanvasPageEngine engine;
    Sheet(double dpi, double offsetLeft = 0, double offsetTop = 0, QSize size = QSize(1200, 900))
        : image(size, QImage::Format_RGB32)
        , engine(nullptr, TDeviceFacts{dpi, dpi, offsetLeft, offsetTop, 0, 8.5, 11})
    {
        image.fill(Qt::white);
        painter.begin(&image);
        engine.SetPainter(&painter);
    }
    void run(const std::function<void(TPageEngine&)>& draw)
    {
        engine.OnPrint = draw;
        engine.Execute();
    }
    QRgb at(int x, int y) const { return image.pixel(x, y); }
    // Pixels in row y (or column x) that are not white.
    int inkInRow(int y) const
    {
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) != White;
        return n;
    }
    int inkInColumn(int x) const
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            n += image.pixel(x, y) != White;
        return n;
    }
    QRect inkBounds() const
    {
        QRect r;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != White)
                    r |= QRect(x, y, 1, 1);
        return r;
    }
};

} // namespace

class TestPageEngine : public QObject {
    Q_OBJECT
private slots:
    void coordinateRule_data();
    void coordinateRule();
    void negativePenWidthIsHundredthsOfAnInch_data();
    void negativePenWidthIsHundredthsOfAnInch();
    void rectangleEdgesLandOnTheirPixels();
    void ellipseAndRoundRectStayInTheirBox();
    void lineLeavesOutItsLastPixel();
    void deviceOffsetShiftsTheDrawing();
    void polygonAndFillDeviceRectUseDevicePixels();
    void regionStackClips();
    void textPathClipsAndStrokes();
    void textCursorAndTabs();
    void opaqueTextBackground();
    void textKeepsItsShapeOnNonSquarePixels();
    void stretchBitmapCopiesPixels();
    void stretchGraphicFillsTheRectangle();
    void executeRunsHandlersInOrder();
    void abortOnSecondPage();
    void exceptionInHandlerPropagates();
    void refreshStatusFillsTheLabel();
    void paperAndOrientation();
};

void TestPageEngine::coordinateRule_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("margin");
    QTest::addColumn<int>("units");
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("column");
    QTest::newRow("1 inch at 300 dpi, offset 0.25") << 300.0 << 0.25 << 100.0 << 0.0 << int(unInches) << 1.0 << 225;
    QTest::newRow("the offset itself is column 0") << 300.0 << 0.25 << 100.0 << 0.0 << int(unInches) << 0.25 << 0;
    QTest::newRow("left of the printable area") << 300.0 << 0.25 << 100.0 << 0.0 << int(unInches) << 0.0 << -75;
    QTest::newRow("half rounds to even, down") << 100.0 << 0.0 << 100.0 << 0.0 << int(unInches) << 0.125 << 12;
    QTest::newRow("half rounds to even, up") << 100.0 << 0.0 << 100.0 << 0.0 << int(unInches) << 0.375 << 38;
    QTest::newRow("scale 50 percent") << 300.0 << 0.0 << 50.0 << 0.0 << int(unInches) << 2.0 << 300;
    QTest::newRow("margin adds") << 300.0 << 0.0 << 100.0 << 0.5 << int(unInches) << 1.0 << 450;
    QTest::newRow("millimetres") << 254.0 << 0.0 << 100.0 << 0.0 << int(unMillimeters) << 10.0 << 100;
}

void TestPageEngine::coordinateRule()
{
    QFETCH(double, dpi);
    QFETCH(double, offset);
    QFETCH(double, scale);
    QFETCH(double, margin);
    QFETCH(int, units);
    QFETCH(double, x);
    QFETCH(int, column);
    TCanvasPageEngine e(nullptr, TDeviceFacts{dpi, dpi * 2, offset, offset, 0, 8.5, 11});
    e.SetScaleX(scale);
    e.SetScaleY(scale);
    e.SetMarginLeft(margin);
    e.SetMarginTop(margin);
    e.SetUnits(units);
    QCOMPARE(e.XToDevice(x), column);
    // Rows use the vertical resolution (twice the horizontal one here).
    QCOMPARE(e.YToDevice(x), int(Round((e.PhysicalY(x) - offset) * dpi * 2)));
    const TDeviceRect r = e.InchRectToDevice(x, x, x + 1, x + 1);
    QCOMPARE(r.Left, column);
    QCOMPARE(r.Right, e.XToDevice(x + 1));
    QCOMPARE(r.Top, e.YToDevice(x));
}

void TestPageEngine::negativePenWidthIsHundredthsOfAnInch_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("pixels");
    QTest::newRow("-1 at 600 dpi") << 600.0 << -1 << 6;
    QTest::newRow("-1 at 72 dpi (0.72 rounds to 1)") << 72.0 << -1 << 1;
    QTest::newRow("-1 at 40 dpi (0.4 is raised to 1)") << 40.0 << -1 << 1;
    QTest::newRow("-3 at 300 dpi") << 300.0 << -3 << 9;
    QTest::newRow("positive width is device pixels") << 600.0 << 4 << 4;
    QTest::newRow("width 0 is one pixel") << 600.0 << 0 << 1;
}

void TestPageEngine::negativePenWidthIsHundredthsOfAnInch()
{
    QFETCH(double, dpi);
    QFETCH(int, width);
    QFETCH(int, pixels);
    QCOMPARE(TPageEngine::PenDeviceWidth(width, 100, dpi), pixels);
    // And on the device: a horizontal line that many pixels thick.
    Sheet s(dpi, 0, 0, QSize(int(dpi * 2), int(dpi * 2)));
    s.run([&](TPageEngine& e) {
        e.SetPen(clBlack, psSolid, width);
        e.MoveTo(0.25, 1.0);
        e.LineTo(1.5, 1.0);
    });
    QCOMPARE(s.inkInColumn(int(dpi)), pixels);
}

void TestPageEngine::rectangleEdgesLandOnTheirPixels()
{
    Sheet s(300);
    s.run([](TPageEngine& e) {
        e.SetPen(clBlack, psSolid, 1);
        e.SetBrush(clRed, bsSolid);
        e.Rectangle(1.0, 1.0, 2.0, 1.5); // columns 300..599, rows 300..449
    });
    QCOMPARE(s.at(300, 350), Black);
    QCOMPARE(s.at(599, 350), Black);
    QCOMPARE(s.at(450, 300), Black);
    QCOMPARE(s.at(450, 449), Black);
    QCOMPARE(s.at(299, 350), White);
    QCOMPARE(s.at(600, 350), White);
    QCOMPARE(s.at(450, 299), White);
    QCOMPARE(s.at(450, 450), White);
    QCOMPARE(s.at(301, 301), Red);
    QCOMPARE(s.at(598, 448), Red);
    QCOMPARE(s.inkBounds(), QRect(300, 300, 300, 150));

    // A clear brush leaves the inside; a clear pen leaves the edge.
    Sheet t(300);
    t.run([](TPageEngine& e) {
        e.SetPen(clBlack, psSolid, 1);
        e.SetBrush(clRed, bsClear);
        e.Rectangle(1.0, 1.0, 2.0, 1.5);
        e.SetPen(clBlack, psClear, 1);
        e.SetBrush(clBlue, bsSolid);
        e.Rectangle(2.5, 1.0, 3.0, 1.5);
    });
    QCOMPARE(t.at(450, 400), White);
    QCOMPARE(t.at(300, 400), Black);
    QCOMPARE(t.at(750, 300), Blue);
    QCOMPARE(t.at(899, 449), Blue);
    QCOMPARE(t.at(900, 449), White);

    // A wide pen is centred on the edge; an inside-frame pen stays inside.
    Sheet u(300);
    u.run([](TPageEngine& e) {
        e.SetBrush(clRed, bsClear);
        e.SetPen(clBlack, psSolid, 5);
        e.Rectangle(1.0, 1.0, 2.0, 1.5);
        e.SetPen(clBlack, psInsideFrame, 5);
        e.Rectangle(2.5, 1.0, 3.5, 1.5);
    });
    QCOMPARE(u.inkInRow(375) , 4 * 5);
    QCOMPARE(u.at(298, 375), Black);
    QCOMPARE(u.at(297, 375), White);
    QCOMPARE(u.at(302, 375), Black);
    QCOMPARE(u.at(303, 375), White);
    QCOMPARE(u.at(750, 375), Black);
    QCOMPARE(u.at(749, 375), White);
    QCOMPARE(u.at(754, 375), Black);
    QCOMPARE(u.at(755, 375), White);
    QCOMPARE(u.at(1049, 375), Black);
    QCOMPARE(u.at(1050, 375), White);
}

void TestPageEngine::ellipseAndRoundRectStayInTheirBox()
{
    Sheet s(300);
    s.run([](TPageEngine& e) {
        e.SetPen(clBlack, psSolid, 1);
        e.SetBrush(clRed, bsSolid);
        e.Ellipse(1.0, 1.0, 2.0, 2.0);
    });
    QCOMPARE(s.inkBounds(), QRect(300, 300, 300, 300));
    QCOMPARE(s.at(450, 450), Red);
    QCOMPARE(s.at(302, 302), White); // corner of the box is outside the ellipse
    QCOMPARE(s.at(450, 300), Black); // top of the ellipse on the box's top row

    Sheet r(300);
    r.run([](TPageEngine& e) {
        e.SetPen(clBlack, psSolid, 1);
        e.SetBrush(clRed, bsSolid);
        e.RoundRect(1.0, 1.0, 2.0, 2.0, 0.5, 0.5);
    });
    QCOMPARE(r.inkBounds(), QRect(300, 300, 300, 300));
    QCOMPARE(r.at(450, 300), Black);   // straight part of the top edge
    QCOMPARE(r.at(305, 305), White);   // rounded corner
    QCOMPARE(r.at(300, 450), Black);   // straight part of the left edge
}

void TestPageEngine::lineLeavesOutItsLastPixel()
{
    Sheet s(100);
    s.run([](TPageEngine& e) {
        e.SetPen(clBlack, psSolid, 1);
        e.MoveTo(1.0, 1.0);
        e.LineTo(2.0, 1.0);
        e.LineTo(2.0, 2.0); // continues from the last point
    });
    QCOMPARE(s.inkInRow(100), 101); // 100..199 of the first line, 200 where the second starts
    QCOMPARE(s.at(100, 100), Black);
    QCOMPARE(s.at(199, 100), Black);
    QCOMPARE(s.at(200, 100), Black); // first pixel of the vertical line
    QCOMPARE(s.at(200, 199), Black);
    QCOMPARE(s.at(200, 200), White);
}

void TestPageEngine::deviceOffsetShiftsTheDrawing()
{
    // The same rectangle on a device whose printable area starts 0.25 inch
    // in: everything moves 75 pixels up and left at 300 dpi.
    Sheet s(300, 0.25, 0.25);
    s.run([](TPageEngine& e) {
        e.SetPen(clBlack, psSolid, 1);
        e.SetBrush(clRed, bsSolid);
        e.Rectangle(1.0, 1.0, 2.0, 1.5);
    });
    QCOMPARE(s.inkBounds(), QRect(225, 225, 300, 150));
    // And the device's own origin moves it back.
    Sheet t(300, 0.25, 0.25);
    t.engine.SetOrigin(QPoint(75, 75));
    t.run([](TPageEngine& e) { e.Rectangle(1.0, 1.0, 2.0, 1.5); });
    QCOMPARE(t.inkBounds(), QRect(300, 300, 300, 150));
}

void TestPageEngine::polygonAndFillDeviceRectUseDevicePixels()
{
    Sheet s(300, 0.25, 0.25);
    s.run([](TPageEngine& e) {
        e.SetPen(clBlack, psClear, 1);
        e.SetBrush(clBlue, bsSolid);
        e.FillDeviceRect(10, 20, 30, 40);
        e.SetBrush(clRed, bsSolid);
        const QPoint tri[] = {{100, 100}, {200, 100}, {100, 200}};
        e.Polygon(tri, 3);
    });
    QCOMPARE(s.at(10, 20), Blue);
    QCOMPARE(s.at(29, 39), Blue);
    QCOMPARE(s.at(30, 39), White);
    QCOMPARE(s.at(29, 40), White);
    QCOMPARE(s.at(101, 101), Red);
    QCOMPARE(s.at(190, 190), White);
    QCOMPARE(s.at(140, 140), Red);
}

void TestPageEngine::regionStackClips()
{
    Sheet s(100);
    s.run([](TPageEngine& e) {
        e.SetPen(clBlack, psClear, 1);
        e.SetBrush(clRed, bsSolid);
        e.PushRectRegion(1.0, 1.0, 2.0, 2.0);
        e.PushEllipseRegion(3.0, 1.0, 5.0, 3.0);
        QCOMPARE(e.RegionCount(), 2);
        e.SelectTopRegion(); // the ellipse
        e.FillDeviceRect(0, 0, 1200, 900);
        e.PopRegion();
        e.SelectTopRegion(); // now the rectangle; the fill below adds to it
        e.SetBrush(clBlue, bsSolid);
        e.FillDeviceRect(0, 0, 1200, 900);
        e.ClearClip();
        e.PopRegion();
        QCOMPARE(e.RegionCount(), 0);
        e.PopRegion(); // popping an empty stack does nothing
        e.SetBrush(clBlack, bsSolid);
        e.FillDeviceRect(0, 800, 10, 810); // unclipped again
    });
    QCOMPARE(s.at(400, 200), Red);    // ellipse centre
    QCOMPARE(s.at(301, 101), White);  // ellipse box corner
    QCOMPARE(s.at(100, 100), Blue);
    QCOMPARE(s.at(199, 199), Blue);
    QCOMPARE(s.at(200, 150), White);
    QCOMPARE(s.at(5, 805), Black);
    QCOMPARE(s.inkBounds(), QRect(0, 100, 500, 710));

    // Polygon regions fill by winding: a self-overlapping star keeps its
    // middle.
    Sheet p(100);
    p.run([](TPageEngine& e) {
        const QPoint star[] = {{200, 100}, {260, 290}, {100, 170}, {300, 170}, {140, 290}};
        e.PushPolygonRegion(star, 5);
        e.SelectTopRegion();
        e.SetBrush(clRed, bsSolid);
        e.FillDeviceRect(0, 0, 1200, 900);
    });
    QCOMPARE(p.at(200, 200), Red);
    QCOMPARE(p.at(110, 110), White);
}

void TestPageEngine::textPathClipsAndStrokes()
{
    Sheet s(300);
    s.run([](TPageEngine& e) {
        e.SetFont(QStringLiteral("DejaVu Sans"), 36);
        e.SetBold(true);
        e.SetTextBKMode(tbTransparent);
        e.BeginPath();
        e.GotoXY(0.5, 1.0);
        e.PrintText(QStringLiteral("HI"));
        e.EndPath();
        e.ClipToPath();
        e.SetBrush(clRed, bsSolid);
        e.FillDeviceRect(0, 0, 1200, 900);
        e.ClearClip();
    });
    // Ink only in the letters: above the baseline, within the text's
    // advance, and not the whole box.
    const QRect ink = s.inkBounds();
    QVERIFY(!ink.isEmpty());
    QVERIFY(ink.bottom() <= 300);
    QVERIFY(ink.top() >= 300 - 150);
    QVERIFY(ink.left() >= 150);
    int red = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            red += s.at(x, y) == Red;
    QVERIFY(red > 500);
    QVERIFY(red < ink.width() * ink.height() * 9 / 10);

    // Stroking outlines the same letters without filling them: the middle
    // of the H's left stem stays white.
    Sheet t(300);
    t.run([](TPageEngine& e) {
        e.SetFont(QStringLiteral("DejaVu Sans"), 72);
        e.SetBold(true);
        e.SetPen(clBlack, psSolid, 1);
        e.BeginPath();
        e.GotoXY(0.5, 2.0);
        e.PrintText(QStringLiteral("H"));
        e.EndPath();
        e.StrokePath();
    });
    const QRect outline = t.inkBounds();
    QVERIFY(outline.width() > 50);
    const int stemY = outline.top() + outline.height() / 4;
    int x = outline.left();
    while (t.at(x, stemY) != White)
        ++x;
    QVERIFY(x - outline.left() <= 3); // only the outline's pixels, then white inside the stem
}

void TestPageEngine::textCursorAndTabs()
{
    TCanvasPageEngine e(nullptr, TDeviceFacts{300, 300, 0, 0, 0, 8.5, 11});
    e.SetFont(QStringLiteral("DejaVu Sans"), 12);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(50); // 12 pt at 300 dpi
    f.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF fm(f);
    QCOMPARE(e.LineHeight(), fm.lineSpacing() / 300.0);
    QCOMPARE(e.TextWidth(QStringLiteral("Brisvale")), fm.horizontalAdvance(QStringLiteral("Brisvale")) / 300.0);
    e.GotoXY(0.1, 1.0);
    e.PrintText(QStringLiteral("ab"));
    QCOMPARE(e.CursorX(), 0.1 + fm.horizontalAdvance(QStringLiteral("ab")) / 300.0);
    e.PrintText(QStringLiteral("\tc"));
    QCOMPARE(e.CursorX(), 0.5 + fm.horizontalAdvance(QStringLiteral("c")) / 300.0);
    e.SetTabs({1.25, 3.0});
    e.PrintText(QStringLiteral("\t\tx"));
    QCOMPARE(e.CursorX(), 3.0 + fm.horizontalAdvance(QStringLiteral("x")) / 300.0);
    e.NewLine();
    QCOMPARE(e.CursorX(), 0.0);
    QCOMPARE(e.CursorY(), 1.0 + e.LineHeight());

    // On the page: text after a tab starts at the tab column.
    Sheet s(300);
    s.run([](TPageEngine& e) {
        e.SetFont(QStringLiteral("DejaVu Sans"), 12);
        e.SetTextBKMode(tbTransparent);
        e.SetTabs({2.0});
        e.GotoXY(1.0, 1.0);
        e.PrintText(QStringLiteral("l\tl"));
    });
    const QRect ink = s.inkBounds();
    QVERIFY(ink.left() >= 300 && ink.left() < 315);
    QVERIFY(ink.right() >= 600 && ink.right() < 620);
    QVERIFY(s.inkInColumn(450) == 0); // nothing between the columns
    QVERIFY(ink.bottom() <= 300);      // y is the baseline
}

void TestPageEngine::opaqueTextBackground()
{
    Sheet s(300);
    s.run([](TPageEngine& e) {
        e.SetBrush(clBlue, bsSolid);
        e.SetPen(clBlue, psSolid, 1);
        e.Rectangle(0.5, 0.5, 3.5, 2.0);
        e.SetFont(QStringLiteral("DejaVu Sans"), 24);
        e.GotoXY(1.0, 1.2);
        e.PrintText(QStringLiteral("o")); // opaque by default: white box behind the letter
        e.SetTextBKMode(tbTransparent);
        e.GotoXY(2.0, 1.2);
        e.PrintText(QStringLiteral("o"));
    });
    // Inside the first "o" is white (background), inside the second blue.
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(100);
    const QFontMetrics fm(f);
    const int midX = fm.horizontalAdvance(QLatin1Char('o')) / 2;
    const int midY = 360 - fm.xHeight() / 2;
    QCOMPARE(s.at(300 + midX, midY), White);
    QCOMPARE(s.at(600 + midX, midY), Blue);
}

void TestPageEngine::textKeepsItsShapeOnNonSquarePixels()
{
    auto inkOf = [](double dpiX, double dpiY) {
        QImage img(1000, 400, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        TCanvasPageEngine e(&p, TDeviceFacts{dpiX, dpiY, 0, 0, 0, 8.5, 11});
        e.OnPrint = [](TPageEngine& e) {
            e.SetFont(QStringLiteral("DejaVu Sans"), 24);
            e.SetTextBKMode(tbTransparent);
            e.GotoXY(0.5, 2.0);
            e.PrintText(QStringLiteral("WIDE"));
        };
        e.Execute();
        QRect r;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != White)
                    r |= QRect(x, y, 1, 1);
        return r;
    };
    const QRect square = inkOf(100, 100);
    const QRect wide = inkOf(200, 100);
    QVERIFY(std::abs(wide.width() - 2 * square.width()) <= 3);
    QVERIFY(std::abs(wide.height() - square.height()) <= 1);
}

void TestPageEngine::stretchBitmapCopiesPixels()
{
    QImage src(2, 2, QImage::Format_RGB32);
    src.setPixel(0, 0, Red);
    src.setPixel(1, 0, Blue);
    src.setPixel(0, 1, Black);
    src.setPixel(1, 1, White);
    const Dib dib = Dib::FromImage(src);
    Sheet s(100);
    s.run([&](TPageEngine& e) { e.StretchBitmap(1.0, 1.0, 3.0, 2.0, dib); });
    QCOMPARE(s.at(100, 100), Red);
    QCOMPARE(s.at(199, 149), Red);
    QCOMPARE(s.at(200, 100), Blue);
    QCOMPARE(s.at(299, 149), Blue);
    QCOMPARE(s.at(100, 150), Black);
    QCOMPARE(s.at(199, 199), Black);
    QCOMPARE(s.at(300, 150), White);
    QCOMPARE(s.at(100, 200), White);
    QCOMPARE(s.inkBounds(), QRect(100, 100, 200, 100));
}

void TestPageEngine::stretchGraphicFillsTheRectangle()
{
    // A 100 x 50 drawing stretched into a 1 x 1 inch box at 200 dpi.
    QPicture pic;
    {
        QPainter p(&pic);
        p.fillRect(0, 0, 50, 50, Qt::red);
        p.fillRect(50, 0, 50, 50, Qt::blue);
    }
    pic.setBoundingRect(QRect(0, 0, 100, 50));
    Sheet s(200);
    s.run([&](TPageEngine& e) { e.StretchGraphic(e.InchRectToDevice(1, 1, 2, 2), pic); });
    QCOMPARE(s.inkBounds(), QRect(200, 200, 200, 200));
    QCOMPARE(s.at(250, 300), Red);
    QCOMPARE(s.at(350, 300), Blue);
}

void TestPageEngine::executeRunsHandlersInOrder()
{
    Sheet s(100);
    QStringList calls;
    s.engine.OnBeforePrint = [&](TPageEngine& e) {
        calls << QStringLiteral("before %1 %2").arg(e.CurrentPage()).arg(e.Printing());
        e.SetOrientation(poLandscape);
    };
    s.engine.OnPrint = [&](TPageEngine& e) {
        calls << QStringLiteral("print %1 %2").arg(e.CurrentPage()).arg(e.PageHeight());
        e.NewPage();
        calls << QStringLiteral("page %1").arg(e.CurrentPage());
    };
    s.engine.OnPrintHeader = [&](TPageEngine& e) { calls << QStringLiteral("header %1").arg(e.CurrentPage()); };
    s.engine.OnPrintFooter = [&](TPageEngine& e) { calls << QStringLiteral("footer %1").arg(e.CurrentPage()); };
    s.engine.OnNewPage = [&](TPageEngine& e) { calls << QStringLiteral("new %1").arg(e.CurrentPage()); };
    s.engine.OnAfterPrint = [&](TPageEngine&) { calls << QStringLiteral("after"); };
    s.engine.Execute();
    QCOMPARE(calls, (QStringList{"before 1 1", "header 1", "print 1 8.5", "footer 1", "new 2", "header 2",
                                 "page 2", "footer 2", "after"}));
    QVERIFY(!s.engine.Printing());
    QVERIFY(!s.engine.Aborted());
}

void TestPageEngine::abortOnSecondPage()
{
    Sheet s(100);
    int devicePages = 0;
    s.engine.OnDevicePage = [&](TCanvasPageEngine&) { ++devicePages; };
    int pagesSeen = 0;
    s.run([&](TPageEngine& e) {
        // A handler that only stops when the page count is reached, as the
        // print job's walk does: it must still end after Abort.
        while (e.CurrentPage() < 5) {
            ++pagesSeen;
            e.SetBrush(clRed, bsSolid);
            if (e.CurrentPage() == 2) {
                e.Abort();
                e.FillDeviceRect(0, 0, 50, 50); // after Abort: must not reach the device
            }
            e.NewPage();
        }
    });
    QVERIFY(s.engine.Aborted());
    QCOMPARE(pagesSeen, 4);
    QCOMPARE(devicePages, 1); // only the first page was ended on the device
    QCOMPARE(s.at(10, 10), White);
    // The next job starts fresh.
    s.run([](TPageEngine& e) { e.FillDeviceRect(0, 0, 5, 5); });
    QVERIFY(!s.engine.Aborted());
    QCOMPARE(s.at(1, 1), White); // default brush is white
}

void TestPageEngine::exceptionInHandlerPropagates()
{
    Sheet s(100);
    s.engine.OnPrint = [](TPageEngine&) { throw EConvertError(QStringLiteral("bad picture")); };
    QVERIFY_THROWS_EXCEPTION(EConvertError, s.engine.Execute());
    QVERIFY(!s.engine.Printing());
    // The painter's state was restored: another job runs normally.
    s.run([](TPageEngine& e) {
        e.SetBrush(clRed, bsSolid);
        e.FillDeviceRect(0, 0, 5, 5);
    });
    QCOMPARE(s.at(1, 1), Red);
}

void TestPageEngine::refreshStatusFillsTheLabel()
{
    QLabel label;
    Sheet s(100);
    s.engine.SetStatusLabel(&label);
    s.engine.SetStatusFormat(QStringLiteral("Printing Page %p\r%0\r%1"));
    s.engine.StatusText() << QStringLiteral("first") << QStringLiteral("second");
    QStringList seen;
    s.run([&](TPageEngine& e) {
        seen << label.text();
        e.NewPage();
        seen << label.text();
        e.StatusText()[1] = QStringLiteral("Card 4");
        e.RefreshStatus();
        seen << label.text();
    });
    QCOMPARE(seen, (QStringList{"Printing Page 1\nfirst\nsecond", "Printing Page 2\nfirst\nsecond",
                                "Printing Page 2\nfirst\nCard 4"}));
    s.engine.SetStatusFormat(QStringLiteral("\rBusiness Card Print Canceled!"));
    s.engine.StatusText().clear();
    s.engine.RefreshStatus();
    QCOMPARE(label.text(), QStringLiteral("\nBusiness Card Print Canceled!"));
}

void TestPageEngine::paperAndOrientation()
{
    TCanvasPageEngine e;
    e.SetPaper(PaperA4);
    QCOMPARE(e.PageHeight(), 297 / 25.4);
    e.SetOrientation(poLandscape);
    QCOMPARE(e.PageHeight(), 210 / 25.4);
    e.SetPaper(PaperLetter);
    QCOMPARE(e.PageHeight(), 8.5);
    QCOMPARE(e.PageWidth(), 11.0);
    e.SetOrientation(poPortrait);
    QCOMPARE(e.PageHeight(), 11.0);
}

QTEST_MAIN(TestPageEngine)
#include "tst_page_engine.moc"
