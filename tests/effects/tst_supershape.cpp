// The SuperShape: star geometry, setter rules, body and shadow rectangles,
// surfaces painted on screen (gradient bands, texture tiles at a zoom), the
// caches, byte-for-byte round trips and printing in device pixels.
// Screen resolution 96 ppi (BRISVALE_PPI).
#include "effects/SuperShape.h"
#include "pageengine/PageCanvasEngine.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectFiler.h"
#include "surface/ObjectStream.h"

#include <QPainter>
#include <QTest>
#include <cmath>
#include <limits>

using namespace bv;

namespace {

QImage paint(TSuperShape& s, QColor background = Qt::white)
{
    QImage img(s.Width(), s.Height(), QImage::Format_RGB32);
    img.fill(background);
    QPainter p(&img);
    s.PaintAt(p, 0, 0);
    return img;
}

Dib quadrants(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / (w - 1), y * 255 / (h - 1), 77));
    return Dib::FromImage(img);
}

double distance(QPoint a, QPoint b)
{
    return std::hypot(double(a.x() - b.x()), double(a.y() - b.y()));
}

QByteArray streamOf(const QList<TGGraphicControl*>& objects)
{
    QList<const TGGraphicControl*> list;
    for (auto* o : objects)
        list << o;
    return TGLabelObjectFiler::WriteStream(list);
}

} // namespace

class TestSuperShape : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("BRISVALE_PPI", "96");
        RegisterSuperShapeClasses();
    }
    void starPoints_data();
    void starPoints();
    void ignoredValues_data();
    void ignoredValues();
    void becomingAStar();
    void surfaceSwitches();
    void rectangles_data();
    void rectangles();
    void shadowIsBodyMoved();
    void newShapePaintsItsGradientStar();
    void gradientColumnsOnScreen_data();
    void gradientColumnsOnScreen();
    void textureTilesAtZoom();
    void cachesRebuiltOnlyWhenNeeded();
    void roundTripEveryKindAndSurface();
    void printsInInchesAndDevicePixels();
    void extremeValuesDrawAsTheirLimits_data();
    void extremeValuesDrawAsTheirLimits();
};

void TestSuperShape::starPoints_data()
{
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("vectors");
    QTest::addColumn<int>("inward");
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<int>("outer");
    QTest::addColumn<double>("innerRadius");
    QTest::newRow("new shape") << QSize(25, 25) << 10 << 50 << QPoint(12, 12) << 8 << 4.0;
    QTest::newRow("200 x 100 stays regular") << QSize(200, 100) << 10 << 50 << QPoint(100, 50) << 46 << 23.0;
    QTest::newRow("11 vectors") << QSize(100, 100) << 11 << 50 << QPoint(50, 50) << 46 << 23.0;
    QTest::newRow("0 percent is a polygon") << QSize(80, 80) << 6 << 0 << QPoint(40, 40) << 36 << 36.0;
    QTest::newRow("100 percent meets the centre") << QSize(80, 80) << 8 << 100 << QPoint(40, 40) << 36 << 0.0;
}

void TestSuperShape::starPoints()
{
    QFETCH(QSize, box);
    QFETCH(int, vectors);
    QFETCH(int, inward);
    QFETCH(QPoint, centre);
    QFETCH(int, outer);
    QFETCH(double, innerRadius);
    const QPolygon pts = TSuperShape::StarPoints(TRect(0, 0, box.width(), box.height()), vectors, inward, 90);
    QCOMPARE(pts.size(), vectors);
    // Vertex 0 straight above the centre; then clockwise on screen.
    QCOMPARE(pts[0], centre - QPoint(0, outer));
    QVERIFY(pts[2].x() > centre.x());
    for (int i = 0; i < vectors; ++i) {
        const double expected = i % 2 == 0 ? outer : innerRadius;
        QVERIFY2(std::abs(distance(pts[i], centre) - expected) <= 0.75, qPrintable(QString::number(i)));
    }
    // An odd count ends on an outer vertex as well.
    if (vectors % 2 == 1)
        QVERIFY(std::abs(distance(pts.last(), centre) - outer) <= 0.75);
}

void TestSuperShape::ignoredValues_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("value");
    for (int v : { 2, 61, -1 })
        QTest::addRow("Vectors %d", v) << "Vectors" << v;
    for (int v : { 360, -1 })
        QTest::addRow("StartingAngle %d", v) << "StartingAngle" << v;
    for (int v : { 101, -5 })
        QTest::addRow("InVectorPercent %d", v) << "InVectorPercent" << v;
    QTest::newRow("ShadowOrient 5") << "ShadowOrient" << 5;
}

void TestSuperShape::ignoredValues()
{
    QFETCH(QString, property);
    QFETCH(int, value);
    TSuperShape s;
    auto read = [&] {
        if (property == "Vectors")
            return s.Vectors();
        if (property == "StartingAngle")
            return s.StartingAngle();
        if (property == "InVectorPercent")
            return s.InVectorPercent();
        return int(s.ShadowOrient());
    };
    const int before = read();
    if (property == "Vectors")
        s.SetVectors(value);
    else if (property == "StartingAngle")
        s.SetStartingAngle(value);
    else if (property == "InVectorPercent")
        s.SetInVectorPercent(value);
    else
        s.SetShadowOrient(TShadowOrient(value));
    QCOMPARE(read(), before);
}

void TestSuperShape::becomingAStar()
{
    TSuperShape s;
    s.SetShape(gstRectangle);
    s.SetInVectorPercent(0);
    s.SetVectors(6);
    s.SetStartingAngle(30);
    s.SetShape(gstTriangleUp); // another shape leaves the star values alone
    QCOMPARE(s.InVectorPercent(), 0);
    QCOMPARE(s.Vectors(), 6);
    s.SetShape(gstStar);
    QCOMPARE(s.InVectorPercent(), 50);
    QCOMPARE(s.Vectors(), 10);
    QCOMPARE(s.StartingAngle(), 90);
}

void TestSuperShape::surfaceSwitches()
{
    TSuperShape s;
    s.SetBounds(0, 0, 60, 60);
    s.SetShadowOrient(soLowerLeft);
    s.SetOutlineStyle(psClear);
    s.SetPattern(bsCross);
    s.SetSurfaceType(stBrushTransparent);
    QCOMPARE(s.ShadowOrient(), soNone);
    QCOMPARE(s.OutlineStyle(), psSolid);
    QCOMPARE(s.Pattern(), bsClear);

    s.SetSurfaceType(stBrushImage);
    s.SetImage(quadrants(8, 8));
    s.SetSurfaceType(stBrushPattern);
    QVERIFY(s.Image().IsEmpty());
    QVERIFY(s.Image().Image().isNull());

    // Reading a design takes the surface as stored: the shadow and the
    // texture saved with it stay.
    TSuperShape r;
    r.SetReading(true);
    r.SetShadowOrient(soUpperRight);
    r.SetImage(quadrants(4, 4));
    r.SetSurfaceType(stBrushTransparent);
    r.SetReading(false);
    QCOMPARE(r.ShadowOrient(), soUpperRight);
    QVERIFY(!r.Image().IsEmpty());
}

void TestSuperShape::rectangles_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("orient");
    QTest::addColumn<int>("outline");
    QTest::addColumn<TRect>("body");
    QTest::addColumn<TRect>("shadow");
    const int R = gstRectangle, D = gstDiamond;
    QTest::newRow("lower right") << R << int(soLowerRight) << 1 << TRect(0, 0, 95, 55) << TRect(5, 5, 100, 60);
    QTest::newRow("upper right") << R << int(soUpperRight) << 1 << TRect(0, 5, 95, 60) << TRect(5, 0, 100, 55);
    QTest::newRow("upper left") << R << int(soUpperLeft) << 1 << TRect(5, 5, 100, 60) << TRect(0, 0, 95, 55);
    QTest::newRow("lower left") << R << int(soLowerLeft) << 1 << TRect(5, 0, 100, 55) << TRect(0, 5, 95, 60);
    QTest::newRow("diamond upper left: beside only") << D << int(soUpperLeft) << 1 << TRect(5, 0, 100, 60)
                                                     << TRect(0, 0, 95, 60);
    QTest::newRow("diamond lower right") << D << int(soLowerRight) << 1 << TRect(0, 0, 95, 60) << TRect(5, 0, 100, 60);
    QTest::newRow("width 4, no shadow") << R << int(soNone) << 4 << TRect(2, 2, 97, 57) << TRect();
    QTest::newRow("width 3 lower right") << R << int(soLowerRight) << 3 << TRect(1, 1, 93, 53) << TRect(6, 6, 98, 58);
}

void TestSuperShape::rectangles()
{
    QFETCH(int, shape);
    QFETCH(int, orient);
    QFETCH(int, outline);
    QFETCH(TRect, body);
    QFETCH(TRect, shadow);
    TSuperShape s;
    s.SetBounds(0, 0, 100, 60);
    s.SetShape(TGPShapeType(shape));
    s.SetOutlineWidth(outline);
    s.SetShadowOrient(TShadowOrient(orient));
    QCOMPARE(s.BodyRect(), body);
    QCOMPARE(s.ShadowRect().value_or(TRect()), shadow);
}

void TestSuperShape::shadowIsBodyMoved()
{
    TSuperShape s;
    s.SetBounds(0, 0, 90, 70);
    s.SetShadowDepth(7);
    s.AssignZoom(1.5f); // depth 10 pixels
    QCOMPARE(s.ShadowDepthPixels(), 10);
    for (int kind = gstRectangle; kind <= gstPolyGon; ++kind)
        for (int orient = soLowerRight; orient <= soLowerLeft; ++orient) {
            s.SetShape(TGPShapeType(kind));
            s.SetShadowOrient(TShadowOrient(orient));
            const TRect body = s.BodyRect();
            const TRect shadow = *s.ShadowRect();
            QCOMPARE(shadow.Width(), body.Width());
            QCOMPARE(shadow.Height(), body.Height());
            const QPoint offset(shadow.Left - body.Left, shadow.Top - body.Top);
            QCOMPARE(s.FigurePolygon(shadow), s.FigurePolygon(body).translated(offset));
            QCOMPARE(s.FigureRegion(shadow), s.FigureRegion(body).translated(offset));
        }
}

void TestSuperShape::newShapePaintsItsGradientStar()
{
    TSuperShape s;
    QCOMPARE(QSize(s.Width(), s.Height()), QSize(25, 25));
    const QImage img = paint(s);
    // The outline's top vertex at (12, 4) is black; the star's inside runs
    // from blue near the top to red near the bottom; the corners are empty.
    QCOMPARE(img.pixel(12, 4) & 0xFFFFFF, 0u);
    const QRgb upper = img.pixel(12, 8), lower = img.pixel(12, 15);
    QVERIFY(qBlue(upper) > qRed(upper));
    QVERIFY(qRed(lower) > qBlue(lower));
    QCOMPARE(img.pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(img.pixel(23, 23) & 0xFFFFFF, 0xFFFFFFu);
}

void TestSuperShape::gradientColumnsOnScreen_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<QList<int>>("greys");
    QTest::newRow("256") << 256 << QList<int>{ 0, 1, 128, 254, 255 } << QList<int>{ 0, 1, 128, 254, 255 };
    QTest::newRow("100") << 100 << QList<int>{ 0, 50, 99 } << QList<int>{ 1, 129, 254 };
    QTest::newRow("25") << 25 << QList<int>{ 0, 1, 2, 24 } << QList<int>{ 5, 15, 25, 250 };
}

void TestSuperShape::gradientColumnsOnScreen()
{
    QFETCH(int, width);
    QFETCH(QList<int>, columns);
    QFETCH(QList<int>, greys);
    TSuperShape s;
    s.SetShape(gstRectangle);
    s.SetOutlineStyle(psClear);
    s.SetOutlineWidth(0);
    s.SetBounds(0, 0, width, 30);
    s.SetBackColor(clBlack);
    s.SetGradientToColor(clWhite);
    s.SetFillDirection(gdRight);
    const QImage img = paint(s, Qt::red);
    for (int k = 0; k < columns.size(); ++k)
        QCOMPARE(img.pixel(columns[k], 15) & 0xFFFFFF, qRgb(greys[k], greys[k], greys[k]) & 0xFFFFFF);
}

void TestSuperShape::textureTilesAtZoom()
{
    TSuperShape s;
    s.SetShape(gstRectangle);
    s.SetOutlineStyle(psClear);
    s.SetOutlineWidth(0);
    s.SetBounds(0, 0, 100, 100);
    s.SetSurfaceType(stBrushImage);
    const Dib tex = quadrants(40, 40);
    s.SetImage(tex);
    s.AssignZoom(1.5f);
    // Painted with its corner at (7, 5) of a larger canvas.
    QImage img(120, 120, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    s.PaintAt(p, 7, 5);
    p.end();
    // 60 × 60 tiles from the object's corner: a tile starts at 0 and at 60.
    for (int origin : { 0, 60 }) {
        QCOMPARE(img.pixel(7 + origin, 5 + origin), tex.Image().pixel(0, 0));
        QCOMPARE(img.pixel(7 + origin + 30, 5 + origin), tex.Image().pixel(20, 0));
    }
    QCOMPARE(img.pixel(7 + 59, 5 + 59), tex.Image().pixel(39, 39));
    QCOMPARE(img.pixel(7 + 99, 5 + 99), tex.Image().pixel(26, 26));
    // With OutlineWidth 0 the body reaches one pixel past the object (the
    // panel clips objects to their bounds); the figure clips the rest.
    QCOMPARE(img.pixel(7 + 101, 5 + 50) & 0xFFFFFF, 0xFFFFFFu);

    // An empty texture paints no surface, but the outline still shows.
    s.SetImage(Dib());
    s.SetOutlineStyle(psSolid);
    s.SetOutlineWidth(1);
    const QImage bare = paint(s);
    QCOMPARE(bare.pixel(50, 50) & 0xFFFFFF, 0xFFFFFFu);
    QCOMPARE(bare.pixel(0, 50) & 0xFFFFFF, 0u);
}

void TestSuperShape::cachesRebuiltOnlyWhenNeeded()
{
    TGBusinessCardPanel32 panel;
    auto* s = new TSuperShape;
    s->SetParent(&panel);
    s->SetBounds(10, 10, 80, 60);
    paint(*s);
    const int built = s->GradientBuilds();
    QCOMPARE(s->GradientBitmap().size(), QSize(80, 60));
    paint(*s);
    s->SetShadowColor(clGreen);
    s->SetShadowOrient(soLowerRight);
    s->SetLeft(20);
    paint(*s);
    QCOMPARE(s->GradientBuilds(), built);
    s->SetGradientToColor(clYellow);
    QCOMPARE(s->GradientBuilds(), built + 1);
    s->SetWidth(90);
    QCOMPARE(s->GradientBuilds(), built + 2);
    QCOMPARE(s->GradientBitmap().size(), QSize(90, 60));
    // The solid surface's bitmap: built on the switch and on a colour change.
    s->SetSurfaceType(stBrushPattern);
    const int solid = s->SolidBuilds();
    paint(*s);
    s->SetOutlineColor(clRed);
    paint(*s);
    QCOMPARE(s->SolidBuilds(), solid);
    s->SetBackColor(clTeal);
    QCOMPARE(s->SolidBuilds(), solid + 1);
    QCOMPARE(paint(*s).pixel(40, 30) & 0xFFFFFF, ToQColor(clTeal).rgb() & 0xFFFFFF);
}

void TestSuperShape::roundTripEveryKindAndSurface()
{
    TGBusinessCardPanel32 source;
    int n = 0;
    for (int kind = gstRectangle; kind <= gstPolyGon; ++kind)
        for (int surface = stBrushTransparent; surface <= stGradientFill; ++surface) {
            auto* s = new TSuperShape;
            s->SetParent(&source);
            s->SetName(QStringLiteral("Component%1").arg(n));
            s->SetBounds(3 * n, 2 * n, 40 + n, 30 + kind);
            s->SetShape(TGPShapeType(kind));
            s->SetSurfaceType(TSurfaceType(surface));
            if (surface == stBrushImage)
                s->SetImage(quadrants(5 + kind, 3 + kind));
            // A shadow on every other one, also on transparent shapes (the
            // dialog allows it after the surface is chosen).
            s->SetShadowOrient(TShadowOrient(n % 5));
            s->SetShadowDepth(n % 4);
            s->SetBackColor(TColor(0x010203 * n));
            s->SetFillDirection(TFillDirection(n % 4));
            s->SetOutlineStyle(TPenStyle(n % 6));
            s->SetOutlineWidth(n % 3);
            s->SetVectors(3 + n);
            s->SetStartingAngle(n * 7);
            s->SetInVectorPercent(n * 2);
            s->SetForeColor(clNavy);
            s->SetPattern(TBrushStyle(n % 8));
            s->SetRoundPerc(n);
            s->SetLastBitmapFileNameandPath(n % 2 ? QStringLiteral("/tmp/t%1.bmp").arg(n) : QString());
            s->Loaded();
            ++n;
        }
    const QByteArray first = streamOf(source.Objects());
    const QString dump = DumpObjectStream(first);
    for (const char* name : { "gstPolyGon", "stBrushImage", "Image.Data", "soLowerLeft", "LastBitmapFileNameandPath" })
        QVERIFY2(dump.contains(QLatin1String(name)), name);

    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    const QList<TGGraphicControl*> read = filer.ReadStream(first, target, target);
    QCOMPARE(read.size(), n);
    QCOMPARE(streamOf(read), first);
    auto* transparent = qobject_cast<TSuperShape*>(read[4 * gstDiamond + stBrushTransparent]);
    QVERIFY(transparent);
    QCOMPARE(transparent->ShadowOrient(), TShadowOrient((4 * gstDiamond) % 5));
}

void TestSuperShape::printsInInchesAndDevicePixels()
{
    // A card at (1.0, 2.0) inches on a 300-dpi page: 96 screen pixels are 300
    // device pixels. A rectangle's outline lies on (Left + h) / 96 + 1.0; a
    // triangle's vertices at Trunc((Left + x) × 3.125) + 300.
    TGBusinessCardPanel32 panel;
    auto* rect = new TSuperShape;
    rect->SetParent(&panel);
    rect->SetShape(gstRectangle);
    rect->SetBounds(48, 24, 96, 48);
    rect->SetOutlineWidth(2); // h = 1
    rect->SetSurfaceType(stBrushPattern);
    rect->SetBackColor(clLime);
    auto* tri = new TSuperShape;
    tri->SetParent(&panel);
    tri->SetShape(gstTriangleDown);
    tri->SetBounds(192, 24, 96, 96);
    tri->SetOutlineColor(clRed);
    tri->SetBackColor(clBlack);
    tri->SetGradientToColor(clWhite);
    tri->SetFillDirection(gdDown);

    QImage sheet(1400, 1200, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    TCanvasPageEngine engine(&painter, TDeviceFacts{ 300, 300, 0, 0, 0, 8.5, 11 });
    engine.OnPrint = [&panel](TPageEngine& e) { panel.PrintObjects(e, 1.0, 2.0); };
    engine.Execute();
    painter.end();

    // Rectangle: outline column at Round((48 + 1) / 96 × 300) + 300 = 453.
    const int outlineX = int(Round((49 / 96.0 + 1.0) * 300));
    QCOMPARE(sheet.pixel(outlineX, 700) & 0xFFFFFF, 0u);
    QCOMPARE(sheet.pixel(outlineX + 20, 700) & 0xFFFFFF, qRgb(0, 255, 0) & 0xFFFFFF);
    QCOMPARE(sheet.pixel(outlineX - 8, 700) & 0xFFFFFF, 0xFFFFFFu);

    // Triangle: apex column Trunc((192 + 48) × 3.125) + 300, body (0, 0, 96, 96)
    // with OutlineWidth 1: apex at y = 95.
    const int apexX = int(Trunc((192 + 48) * 3.125)) + 300;
    const int apexY = int(Trunc((24 + 95) * 3.125)) + 600;
    QCOMPARE(sheet.pixel(apexX, apexY) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);
    // The gradient runs down from black; printed bands are a quarter inch
    // taller than the object, so the bottom is not yet white.
    const int topRow = int(Trunc(24 * 3.125)) + 600 + 4;
    const int lowRow = apexY - 30;
    QVERIFY(qRed(sheet.pixel(apexX, topRow)) < 10);
    const int low = qRed(sheet.pixel(apexX, lowRow));
    QVERIFY2(low > 150 && low < 245, qPrintable(QString::number(low)));
}

void TestSuperShape::extremeValuesDrawAsTheirLimits_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("reference");
    // A value from a file beyond what can change a pixel of a 120 x 70
    // shape draws, on screen and on paper, as a smaller value beyond it
    // does (an outline wider than the shape covers it; a shadow moved past
    // it is out of it; a corner beyond the side is the side); a negative
    // outline is no outline.
    const int big = std::numeric_limits<int>::max();
    const int small = std::numeric_limits<int>::min();
    QTest::newRow("star, OutlineWidth -2^31") << int(gstStar) << "OutlineWidth" << small << 0;
    QTest::newRow("star, OutlineWidth 65537") << int(gstStar) << "OutlineWidth" << 65537 << 400;
    QTest::newRow("rectangle, OutlineWidth 2^31-1") << int(gstRectangle) << "OutlineWidth" << big << 400;
    QTest::newRow("diamond, ShadowDepth 2^31-1") << int(gstDiamond) << "ShadowDepth" << big << 5000;
    QTest::newRow("rectangle, ShadowDepth -2^31") << int(gstRectangle) << "ShadowDepth" << small << -5000;
    QTest::newRow("round rectangle, RoundPerc 2^31-1") << int(gstRoundRect) << "RoundPerc" << big << 400;
}

void TestSuperShape::extremeValuesDrawAsTheirLimits()
{
    QFETCH(int, shape);
    QFETCH(QString, property);
    QFETCH(int, value);
    QFETCH(int, reference);
    auto make = [&](TGBusinessCardPanel32& panel, int v) {
        auto* s = new TSuperShape;
        s->SetParent(&panel);
        s->SetBounds(20, 10, 120, 70);
        s->SetShape(TGPShapeType(shape));
        s->SetSurfaceType(stBrushPattern);
        s->SetBackColor(clLime);
        s->SetShadowOrient(soLowerRight);
        s->SetLoading(true); // as a file sets them: no setter rule applies
        if (property == QLatin1String("OutlineWidth"))
            s->SetOutlineWidth(v);
        else if (property == QLatin1String("ShadowDepth"))
            s->SetShadowDepth(v);
        else
            s->SetRoundPerc(v);
        s->SetLoading(false);
        return s;
    };
    auto print = [](TGBusinessCardPanel32& panel) {
        QImage sheet(400, 300, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        TCanvasPageEngine engine(&painter, TDeviceFacts{ 192, 192, 0, 0, 0, 8.5, 11 });
        engine.OnPrint = [&panel](TPageEngine& e) { panel.PrintObjects(e, 0.1, 0.1); };
        engine.Execute();
        return sheet;
    };
    TGBusinessCardPanel32 extremePanel;
    TGBusinessCardPanel32 referencePanel;
    TSuperShape* extreme = make(extremePanel, value);
    TSuperShape* plain = make(referencePanel, reference);
    QCOMPARE(paint(*extreme), paint(*plain));
    QCOMPARE(print(extremePanel), print(referencePanel));
    // At a zoom, too (the shadow depth is scaled).
    extreme->SetZoom(2.0f);
    plain->SetZoom(2.0f);
    QCOMPARE(paint(*extreme), paint(*plain));
}

QTEST_MAIN(TestSuperShape)
#include "tst_supershape.moc"
