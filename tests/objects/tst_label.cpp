// Text labels: effect offsets, the layout and its size rules, drawing order,
// rotation, growing to the caption, zoomed fonts, the context menu with the
// personal-information submenu, the text prompts and the text tool.
// Fonts: "Liberation Sans" (metric-compatible with Arial); every expected
// number is computed from QFontMetrics of that font.
#include "objects/BusinessCardLabel.h"
#include "objects/GetLabelText.h"
#include "support/ScriptedInteraction.h"
#include "surface/BusinessCardPanel.h"
#include "surface/Handle.h"

#include <QAction>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace bv;

namespace {

TFont sansFont(int points = 10)
{
    TFont f;
    f.Name = QStringLiteral("Liberation Sans");
    f.SetSize(points);
    f.Color = clBlack;
    return f;
}

struct Metrics {
    int base;
    int tw;
    int height;
};

// The numbers the layout works with, from the font itself.
Metrics metricsOf(const TGBaseLabel& label, const QString& caption)
{
    const QFontMetrics fm(label.DrawFont());
    const int h = fm.height();
    return { h + (h - label.DrawFont().pixelSize()) + fm.leading(), fm.horizontalAdvance(caption + " "), h };
}

QImage render(TGBaseLabel& label)
{
    label.CalcTextLayout();
    QImage image(label.Width(), label.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    label.DrawTo(p);
    return image;
}

// Pixels of exactly this colour.
QSet<QPair<int, int>> pixelsOf(const QImage& image, QRgb colour)
{
    QSet<QPair<int, int>> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                out.insert({ x, y });
    return out;
}

QSet<QPair<int, int>> inkOf(const QImage& image)
{
    QSet<QPair<int, int>> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                out.insert({ x, y });
    return out;
}

QAction* findItem(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions()) {
        if (a->text() == text)
            return a;
        if (a->menu())
            if (QAction* inner = findItem(a->menu(), text))
                return inner;
    }
    return nullptr;
}

} // namespace

class TestLabel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void init() { RegisterLabelClasses(); }

    void constructionDefaults();
    void effectOffsets_data();
    void effectOffsets();
    void newLabelDrawsNoEffects();
    void shadowAndHighlightLayoutAndOrder();
    void highlightLeftAloneStartsAtZero();
    void sizeRulesAtAngleZero();
    void alignment_data();
    void alignment();
    void angleSwapAndClamp();
    void rotatedRectanglesAndOrigins_data();
    void rotatedRectanglesAndOrigins();
    void rotatedTextDrawsInsideObject();
    void invalidAnglesIgnored();
    void growToCaptionOnlyGrows();
    void zoomedFontSizeTruncates_data();
    void zoomedFontSizeTruncates();
    void layoutFollowsFontAndZoomChanges();
    void tinyBoundsNeverReachDrawing();
    void backgroundAndBorder();
    void contextMenuChecks();
    void personalInformationSubmenu();
    void noPersonalInformationOffTheCardPanel();
    void editTextOkAndCancel();
    void businessCardPromptListsPersonalInfo();
    void fontDialogGrowsLabel();
    void backgroundColourMakesOpaque();
    void textToolCreatesLabel();
};

void TestLabel::constructionDefaults()
{
    TGPLabel label;
    QCOMPARE(label.Width(), 142);
    QCOMPARE(label.Height(), 33);
    QCOMPARE(label.Caption(), QStringLiteral("Text"));
    QVERIFY(label.Transparent());
    QCOMPARE(label.BackColor(), clWhite);
    QCOMPARE(label.BorderStyle(), bsNone);
    QCOMPARE(label.DepthHighlight(), 0);
    QCOMPARE(label.DepthShadow(), 0);
    QCOMPARE(label.DirectionHighlight(), hdUpLeft);
    QCOMPARE(label.DirectionShadow(), sdDownRight);
    QCOMPARE(label.colorHighlight(), TColor(0xFFFF00));
    QCOMPARE(label.colorShadow(), TColor(0x808080));
    QCOMPARE(label.Angle(), 0);
    QCOMPARE(label.Font().Name, QStringLiteral("Arial"));
    QCOMPARE(label.Font().Height, -13); // 10 points at 96 ppi
    QCOMPARE(label.Font().Color, clBlack);
    QCOMPARE(label.ShadowOffset(), QPoint(0, 0));
    QCOMPARE(label.HighlightOffset(), QPoint(0, 0));
    QVERIFY(label.LayoutDirty());
}

void TestLabel::effectOffsets_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QPoint>("shadow");
    QTest::addColumn<QPoint>("highlight");
    QTest::newRow("none") << 0 << QPoint(0, 0) << QPoint(0, 0);
    QTest::newRow("right") << 1 << QPoint(5, 0) << QPoint(5, 0);
    QTest::newRow("left") << 2 << QPoint(-5, 0) << QPoint(-5, 0);
    QTest::newRow("down-right / up-right") << 3 << QPoint(5, 5) << QPoint(5, -5);
    QTest::newRow("down-left / up-left") << 4 << QPoint(-5, 5) << QPoint(-5, -5);
    QTest::newRow("down / up") << 5 << QPoint(0, 5) << QPoint(0, -5);
}

void TestLabel::effectOffsets()
{
    QFETCH(int, direction);
    QFETCH(QPoint, shadow);
    QFETCH(QPoint, highlight);
    TGPLabel label;
    label.SetDepthShadow(5);
    label.SetDepthHighlight(5);
    label.SetDirectionShadow(TShadowDirection(direction));
    label.SetDirectionHighlight(THighlightDirection(direction));
    QCOMPARE(label.ShadowOffset(), shadow);
    QCOMPARE(label.HighlightOffset(), highlight);
}

void TestLabel::newLabelDrawsNoEffects()
{
    TGPLabel label;
    label.SetFont(sansFont());
    // Coloured copies, so that they would show against the black text; the
    // directions are the defaults, the depths are 0.
    label.SetcolorShadow(clRed);
    label.SetcolorHighlight(clBlue);
    const QImage image = render(label);
    QVERIFY(!inkOf(image).isEmpty());
    for (const auto& p : inkOf(image)) {
        const QColor c = image.pixelColor(p.first, p.second);
        QVERIFY2(c.red() == c.green() && c.green() == c.blue(), "a coloured pixel appeared");
    }
    QCOMPARE(label.Margin(), QPoint(0, 0));
    QCOMPARE(label.ShadowOrigin(), label.TextOrigin());
}

void TestLabel::shadowAndHighlightLayoutAndOrder()
{
    TGPLabel label;
    label.SetFont(sansFont(18));
    label.SetCaption(QStringLiteral("MW"));
    label.SetDirectionShadow(sdDownRight);
    label.SetDepthShadow(3);
    label.SetDirectionHighlight(hdUpLeft);
    label.SetDepthHighlight(2);
    label.SetcolorShadow(clRed);
    label.SetcolorHighlight(clBlue);
    label.CalcTextLayout();

    QCOMPARE(label.Margin(), QPoint(2, 2));
    QCOMPARE(label.TextOrigin(), QPoint(2, 2));
    QCOMPARE(label.ShadowOrigin(), label.TextOrigin() + QPoint(3, 3));
    QCOMPARE(label.HighlightOrigin(), label.TextOrigin() - QPoint(2, 2));
    QCOMPARE(label.ShadowRect().Left, label.TextRect().Left + 3);
    QCOMPARE(label.HighlightRect().Top, label.TextRect().Top - 2);
    const Metrics m = metricsOf(label, "MW");
    QCOMPARE(label.TextRect(), TRect(2, 2, label.Width(), m.base + 2));

    // Each copy alone, then all three: the highlight covers the shadow and
    // the text covers both.
    const QImage all = render(label);
    auto only = [&](bool shadow, bool highlight, TColor text) {
        TGPLabel copy;
        copy.SetFont(label.Font());
        copy.SetCaption(label.Caption());
        copy.SetBounds(0, 0, label.Width(), label.Height());
        copy.SetDirectionShadow(sdDownRight);
        copy.SetDepthShadow(3);
        copy.SetDirectionHighlight(hdUpLeft);
        copy.SetDepthHighlight(2);
        copy.SetcolorShadow(shadow ? clRed : clWhite);
        copy.SetcolorHighlight(highlight ? clBlue : clWhite);
        TFont f = copy.Font();
        f.Color = text;
        copy.SetFont(f);
        return render(copy);
    };
    const QImage textOnly = only(false, false, clBlack);
    const QImage highlightOnly = only(false, true, clWhite);
    const QImage shadowOnly = only(true, false, clWhite);
    const auto textInk = inkOf(textOnly);
    const auto highlightInk = inkOf(highlightOnly);
    int checkedText = 0, checkedHighlight = 0, checkedShadow = 0;
    for (const auto& p : pixelsOf(textOnly, qRgb(0, 0, 0))) {
        QCOMPARE(all.pixel(p.first, p.second) & 0xFFFFFF, 0u);
        ++checkedText;
    }
    for (const auto& p : pixelsOf(highlightOnly, qRgb(0, 0, 255))) {
        if (textInk.contains(p))
            continue;
        QCOMPARE(all.pixel(p.first, p.second) & 0xFFFFFF, 0x0000FFu);
        ++checkedHighlight;
    }
    for (const auto& p : pixelsOf(shadowOnly, qRgb(255, 0, 0))) {
        if (textInk.contains(p) || highlightInk.contains(p))
            continue;
        QCOMPARE(all.pixel(p.first, p.second) & 0xFFFFFF, 0xFF0000u);
        ++checkedShadow;
    }
    QVERIFY(checkedText > 20);
    QVERIFY(checkedHighlight > 5);
    QVERIFY(checkedShadow > 5);
    // Copies far apart rarely overlap outside the text; two copies to the
    // right do: there the highlight lies over the shadow.
    TGPLabel side;
    side.SetFont(sansFont(24));
    side.SetCaption(QStringLiteral("HH"));
    side.SetDirectionShadow(sdRight);
    side.SetDepthShadow(9);
    side.SetDirectionHighlight(hdright);
    side.SetDepthHighlight(7);
    side.SetcolorShadow(clRed);
    side.SetcolorHighlight(clBlue);
    const QImage sideAll = render(side);
    // Sideways offsets leave the layout alone, so a depth of 0 takes a copy
    // out without moving the others.
    side.SetDepthShadow(0);
    const QImage sideHighlight = render(side);
    side.SetDepthShadow(9);
    side.SetDepthHighlight(0);
    const QImage sideShadow = render(side);
    side.SetDepthShadow(0);
    const QImage sideText = render(side);
    const auto sideTextInk = inkOf(sideText);
    const auto sideShadowRed = pixelsOf(sideShadow, qRgb(255, 0, 0));
    int overlap = 0;
    for (const auto& p : pixelsOf(sideHighlight, qRgb(0, 0, 255)))
        if (sideShadowRed.contains(p) && !sideTextInk.contains(p)) {
            QCOMPARE(sideAll.pixel(p.first, p.second) & 0xFFFFFF, 0x0000FFu);
            ++overlap;
        }
    QVERIFY(overlap > 10);
}

void TestLabel::highlightLeftAloneStartsAtZero()
{
    TGPLabel label;
    label.SetFont(sansFont(14));
    label.SetCaption(QStringLiteral("III"));
    label.SetDirectionHighlight(hdLeft);
    label.SetDepthHighlight(4);
    label.SetcolorHighlight(clBlue);
    label.CalcTextLayout();
    QCOMPARE(label.Margin(), QPoint(4, 0));
    QCOMPARE(label.TextOrigin().x(), 4);
    QCOMPARE(label.HighlightOrigin().x(), 0);
    QCOMPARE(label.HighlightRect().Left, 0);
    // The highlight is drawn in full: its leftmost column is inked at x = 0
    // or right after, just as the text's is 4 pixels further right.
    const QImage image = render(label);
    int firstBlue = -1, firstText = -1;
    for (int x = 0; x < image.width() && (firstBlue < 0 || firstText < 0); ++x)
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (firstBlue < 0 && c.blue() > 200 && c.red() < 60)
                firstBlue = x;
            if (firstText < 0 && c.red() < 60 && c.blue() < 60)
                firstText = x;
        }
    QVERIFY(firstBlue >= 0 && firstText >= 0);
    QCOMPARE(firstText - firstBlue, 4);
}

void TestLabel::sizeRulesAtAngleZero()
{
    TGPLabel label;
    label.SetFont(sansFont());
    const Metrics m = metricsOf(label, "Text");
    // Taller than 1.2 × ext: cut down to Trunc(1.2 × ext).
    label.SetBounds(0, 0, 142, 200);
    label.CalcTextLayout();
    QCOMPARE(label.Height(), int(1.2L * m.base));
    // Lower than ext: raised to ext; the width is the user's.
    label.SetBounds(0, 0, 300, 3);
    label.CalcTextLayout();
    QCOMPARE(label.Height(), m.base);
    QCOMPARE(label.Width(), 300);
    // A width of 5 or less becomes the text width.
    label.SetBounds(0, 0, 5, 20);
    label.CalcTextLayout();
    QCOMPARE(label.Width(), m.tw);
    // At 180 degrees at most twice the text width.
    label.SetAngle(180);
    label.SetBounds(0, 0, 400, 20);
    label.CalcTextLayout();
    QCOMPARE(label.Width(), 2 * m.tw);
    QVERIFY(!label.LayoutDirty());
}

void TestLabel::alignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("withMargin");
    QTest::newRow("left") << int(taLeftJustify) << false;
    QTest::newRow("right") << int(taRightJustify) << false;
    QTest::newRow("center") << int(taCenter) << false;
    QTest::newRow("right, margin") << int(taRightJustify) << true;
    QTest::newRow("center, margin") << int(taCenter) << true;
}

void TestLabel::alignment()
{
    QFETCH(int, alignment);
    QFETCH(bool, withMargin);
    TGPLabel label;
    label.SetFont(sansFont());
    label.SetCaption(QStringLiteral("Hello"));
    label.SetBounds(0, 0, 201, 33);
    if (withMargin) {
        label.SetDirectionHighlight(hdUpLeft);
        label.SetDepthHighlight(3);
    }
    label.SetAlignment(TAlignment(alignment));
    label.CalcTextLayout();
    const int tw = metricsOf(label, "Hello").tw;
    const int mx = withMargin ? 3 : 0;
    int expected = mx;
    if (alignment == taRightJustify)
        expected = 201 - tw; // caption plus one blank ends at the right edge
    else if (alignment == taCenter)
        expected = (201 - mx) / 2 - tw / 2; // the margin is not added
    QCOMPARE(label.TextOrigin().x(), expected);
    QCOMPARE(label.HighlightOrigin().x(), expected + label.HighlightOffset().x());
    QCOMPARE(label.ShadowOrigin().x(), expected + label.ShadowOffset().x());
}

void TestLabel::angleSwapAndClamp()
{
    TGBusinessCardPanel32 panel;
    auto* label = new TGPLabel;
    label->SetParent(&panel);
    label->SetFont(sansFont());
    label->Loaded();
    label->SetAlignment(taRightJustify);
    QCOMPARE(label->Width(), 142);
    QCOMPARE(label->Height(), 33);

    label->SetAngle(90);
    // Swapped before any layout, alignment back to left.
    QCOMPARE(label->Width(), 33);
    QCOMPARE(label->Height(), 142);
    QCOMPARE(label->Alignment(), taLeftJustify);
    // Alignment can be set at an angle but moves nothing.
    label->CalcTextLayout();
    const QPoint origin = label->TextOrigin();
    label->SetAlignment(taCenter);
    label->CalcTextLayout();
    QCOMPARE(label->TextOrigin(), origin);

    // The next drawing clamps: height at most Trunc(1.2 × tw), width between
    // ext and 1.2 × ext.
    const Metrics m = metricsOf(*label, "Text");
    QCOMPARE(label->Height(), int(1.2L * m.tw));
    QCOMPARE(label->Width(), int(1.2L * m.base));

    // Back to 0: the label lies across again and is swapped back.
    label->SetAngle(0);
    QVERIFY(label->Width() >= label->Height());
}

void TestLabel::rotatedRectanglesAndOrigins_data()
{
    QTest::addColumn<int>("angle");
    QTest::newRow("90") << 90;
    QTest::newRow("180") << 180;
    QTest::newRow("270") << 270;
}

void TestLabel::rotatedRectanglesAndOrigins()
{
    QFETCH(int, angle);
    TGPLabel label;
    label.SetFont(sansFont());
    label.SetDirectionShadow(sdDownRight);
    label.SetDepthShadow(3);
    label.SetDirectionHighlight(hdUpLeft);
    label.SetDepthHighlight(2);
    label.SetAngle(angle);
    label.CalcTextLayout();
    const Metrics m = metricsOf(label, "Text");
    const int W = label.Width(), H = label.Height();
    const int mx = 2, my = 2, sx = 3, sy = 3, hx = -2, hy = -2;
    TRect r;
    QPoint sMove, hMove, corner;
    if (angle == 180) {
        r = TRect(mx, my, W, m.base + my);
        const int w = r.Right - r.Left + 1;
        r = TRect(r.Left + W - w - sy, r.Top, r.Right + W - w - sy, r.Bottom);
        sMove = QPoint(-sx, -sy);
        hMove = QPoint(-hx, -hy);
    } else {
        r = TRect(my, mx, my + m.base, H - my);
        if (angle == 90) {
            const int h = r.Bottom - r.Top + 1;
            r = TRect(r.Left, r.Top + H - h + hx, r.Right, r.Bottom + H - h + hx);
            sMove = QPoint(sy, -sx);
            hMove = QPoint(hy, -hx);
        } else {
            sMove = QPoint(-sy, sx);
            hMove = QPoint(-hy, hx);
        }
    }
    auto corner_of = [angle](const TRect& q) {
        return angle == 90 ? QPoint(q.Left, q.Bottom) : angle == 180 ? QPoint(q.Right, q.Bottom) : QPoint(q.Right, q.Top);
    };
    auto move = [](const TRect& q, QPoint d) { return TRect(q.Left + d.x(), q.Top + d.y(), q.Right + d.x(), q.Bottom + d.y()); };
    QCOMPARE(label.TextRect(), r);
    QCOMPARE(label.ShadowRect(), move(r, sMove));
    QCOMPARE(label.HighlightRect(), move(r, hMove));
    QCOMPARE(label.TextOrigin(), corner_of(r));
    QCOMPARE(label.ShadowOrigin(), corner_of(move(r, sMove)));
    QCOMPARE(label.HighlightOrigin(), corner_of(move(r, hMove)));
}

void TestLabel::rotatedTextDrawsInsideObject()
{
    // At 90 degrees the text runs upwards: the ink is taller than wide.
    TGPLabel label;
    label.SetFont(sansFont(16));
    label.SetCaption(QStringLiteral("Rotated"));
    label.SetAngle(90);
    const QImage image = render(label);
    const auto ink = inkOf(image);
    QVERIFY(!ink.isEmpty());
    int minX = INT_MAX, maxX = -1, minY = INT_MAX, maxY = -1;
    for (const auto& p : ink) {
        minX = std::min(minX, p.first);
        maxX = std::max(maxX, p.first);
        minY = std::min(minY, p.second);
        maxY = std::max(maxY, p.second);
    }
    QVERIFY(maxY - minY > 2 * (maxX - minX));
    // The first letter is at the bottom: "R" has ink in the lowest rows, and
    // the lowest ink is near the bottom of the object.
    QVERIFY(maxY >= label.Height() - 12);
}

void TestLabel::invalidAnglesIgnored()
{
    if (qEnvironmentVariableIsSet("BRISVALE_SHOTS")) {
        // A look at the four quarter turns with both effects.
        QImage sheet(420, 200, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        int x = 5;
        for (int a : { 0, 90, 180, 270 }) {
            TGPLabel l;
            l.SetFont(sansFont(14));
            l.SetCaption(QStringLiteral("Angle %1").arg(a));
            l.SetDirectionShadow(sdDownRight);
            l.SetDepthShadow(3);
            l.SetcolorShadow(clRed);
            l.SetDirectionHighlight(hdUpLeft);
            l.SetDepthHighlight(2);
            l.SetBorderStyle(bsSingle);
            l.SetAngle(a);
            l.CalcTextLayout();
            p.save();
            p.translate(x, 5);
            l.DrawTo(p);
            p.restore();
            x += l.Width() + 10;
        }
        p.end();
        sheet.save(QStringLiteral("/tmp/label-angles.png"));
    }

    TGPLabel label;
    label.SetAngle(180);
    for (int bad : { 45, -90, 360, 1 })
        label.SetAngle(bad);
    QCOMPARE(label.Angle(), 180);
    // A stream value out of range leaves the angle too.
    const PropertyInfo* angle = TGPLabel::ClassProperties().find("Angle");
    QVERIFY(angle);
    angle->set(label, Value::integer(45));
    QCOMPARE(label.Angle(), 180);
    angle->set(label, Value::integer(270));
    QCOMPARE(label.Angle(), 270);
}

void TestLabel::growToCaptionOnlyGrows()
{
    TGPLabel label;
    label.SetFont(sansFont());
    label.SetCaption(QStringLiteral("A much longer caption than fits"));
    label.SetBounds(0, 0, 40, 10);
    label.CalcTextLayout();
    const QFontMetrics fm(label.DrawFont());
    const int x0 = std::max({ label.TextRect().Left, label.ShadowRect().Left, label.HighlightRect().Left });
    const int y0 = std::max({ label.TextRect().Top, label.ShadowRect().Top, label.HighlightRect().Top });
    label.GrowToCaption();
    QCOMPARE(label.Width(), x0 + fm.horizontalAdvance(label.Caption() + "     "));
    QVERIFY(label.Height() >= y0 + fm.height());
    QVERIFY(label.LayoutDirty());

    // Already big enough: nothing shrinks.
    label.SetBounds(0, 0, 900, 60);
    label.GrowToCaption();
    QCOMPARE(label.Width(), 900);
    QCOMPARE(label.Height(), 60);

    // At an angle nothing happens at all.
    label.SetAngle(90);
    label.SetBounds(0, 0, 10, 10);
    label.GrowToCaption();
    QCOMPARE(label.Width(), 10);
    QCOMPARE(label.Height(), 10);
}

void TestLabel::zoomedFontSizeTruncates_data()
{
    QTest::addColumn<float>("zoom");
    QTest::addColumn<int>("points");
    QTest::newRow("1.0") << 1.0f << 10;
    QTest::newRow("1.5") << 1.5f << 15;
    QTest::newRow("1.25") << 1.25f << 12; // 12.5 truncated
    QTest::newRow("0.75") << 0.75f << 7;
}

void TestLabel::zoomedFontSizeTruncates()
{
    QFETCH(float, zoom);
    QFETCH(int, points);
    TGPLabel label;
    label.SetFont(sansFont(10));
    label.SetZoom(zoom);
    QCOMPARE(label.ZoomedFontHeight(), -MulDiv(points, 96, 72));
    QCOMPARE(label.DrawFont().pixelSize(), MulDiv(points, 96, 72));
    // The stored font stays unzoomed.
    QCOMPARE(label.Font().Height, -13);
}

void TestLabel::layoutFollowsFontAndZoomChanges()
{
    TGPLabel label;
    label.SetFont(sansFont(10));
    label.SetBounds(0, 0, 300, 200);
    label.CalcTextLayout();
    const int small = label.Height();
    // A font set while the object is being read does not run the font
    // notification; the layout still follows it.
    label.SetReading(true);
    label.SetFont(sansFont(30));
    label.SetReading(false);
    label.SetBounds(0, 0, 300, 200);
    label.CalcTextLayout();
    QVERIFY(label.Height() > small * 2);
}

void TestLabel::tinyBoundsNeverReachDrawing()
{
    TGBusinessCardPanel32 panel;
    auto* label = new TGPLabel;
    label->SetParent(&panel);
    label->Loaded();
    label->SetBounds(10, 10, 0, -4);
    QCOMPARE(label->Width(), 1);
    QCOMPARE(label->Height(), 1);
    // Painting re-lays out a label below 5 pixels and makes it usable again.
    panel.RenderScreen();
    QVERIFY(label->Width() > 5);
    QVERIFY(label->Height() > 5);
}

void TestLabel::backgroundAndBorder()
{
    TGPLabel label;
    label.SetFont(sansFont());
    label.SetCaption(QString());
    label.SetBounds(0, 0, 60, 20);
    label.SetTransparent(false);
    label.SetBackColor(clYellow);
    label.SetBorderStyle(bsSingle);
    const QImage image = render(label);
    const int w = label.Width(), h = label.Height();
    QCOMPARE(image.pixel(0, 0) & 0xFFFFFF, 0u);
    QCOMPARE(image.pixel(w - 1, h - 1) & 0xFFFFFF, 0u);
    QCOMPARE(image.pixel(w / 2, 0) & 0xFFFFFF, 0u);
    QCOMPARE(image.pixel(w / 2, h / 2) & 0xFFFFFF, 0xFFFF00u);
    QCOMPARE(image.pixel(1, 1) & 0xFFFFFF, 0xFFFF00u);
}

void TestLabel::contextMenuChecks()
{
    TGBusinessCardPanel32 panel;
    auto* label = new TGPLabel;
    label->SetParent(&panel);
    label->Loaded();
    QMenu* menu = label->ContextMenu();
    QVERIFY(findItem(menu, "Font"));
    QVERIFY(findItem(menu, "3D Effects"));
    QAction* text = findItem(menu, "Text");
    QVERIFY(text);
    QCOMPARE(text->data().toInt(), 1000);
    QVERIFY(label->HasRotationMenu());

    findItem(menu, "Right")->trigger();
    findItem(menu, "180 Degrees")->trigger();
    QCOMPARE(label->Angle(), 180);
    // The angle resets the alignment to left.
    QCOMPARE(label->Alignment(), taLeftJustify);
    findItem(menu, "Center")->trigger();
    findItem(menu, "Border")->trigger();
    label->UpdateMenuChecks();
    QVERIFY(findItem(menu, "Center")->isChecked());
    QVERIFY(!findItem(menu, "Left")->isChecked());
    QVERIFY(!findItem(menu, "Right")->isChecked());
    QVERIFY(findItem(menu, "180 Degrees")->isChecked());
    QVERIFY(!findItem(menu, "No Rotation")->isChecked());
    QVERIFY(findItem(menu, "Border")->isChecked());
    QVERIFY(findItem(menu, "Transparent")->isChecked());
    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    findItem(menu, "Transparent")->trigger();
    QVERIFY(!label->Transparent());
    QVERIFY(!findItem(menu, "Transparent")->isChecked());
    QVERIFY(changed.count() >= 1);
}

void TestLabel::personalInformationSubmenu()
{
    TGBusinessCardPanel32 panel;
    TPersonalInfo info;
    info.Name = QStringLiteral("Ada Lovelace");
    info.Company = QStringLiteral("Engines & Co");
    panel.SetPersonalInfo(info);
    auto* label = new TGBusinessCardLabel;
    label->SetParent(&panel);
    label->SetFont(sansFont());
    label->Loaded();
    QMenu* menu = label->ContextMenu();
    QVERIFY(label->PersonalInfoMenu());
    QCOMPARE(menu->actions().at(0)->menu(), label->PersonalInfoMenu());
    QVERIFY(menu->actions().at(1)->isSeparator());
    QCOMPARE(label->PersonalInfoMenu()->actions().size(), 10);

    // The record as it is when the menu opens.
    info.Title = QStringLiteral("Analyst\twith tab");
    panel.SetPersonalInfo(info);
    emit menu->aboutToShow();
    const QList<QAction*> items = label->PersonalInfoMenu()->actions();
    QCOMPARE(items.size(), 10);
    QCOMPARE(items[0]->data().toString(), QStringLiteral("Name\tAda Lovelace"));
    QCOMPARE(items[3]->data().toString(), QStringLiteral("Address 1\t"));
    QCOMPARE(items[8]->data().toString(), QStringLiteral("EMail\t"));

    QSignalSpy changed(&panel, &TGBasePanel::LabelChangedEvent);
    items[1]->trigger();
    QCOMPARE(label->Caption(), QStringLiteral("Engines & Co"));
    QVERIFY(changed.count() >= 1);
    // Only the part before the first tab is dropped.
    items[2]->trigger();
    QCOMPARE(label->Caption(), QStringLiteral("Analyst\twith tab"));
    // An empty field gives an empty caption.
    items[3]->trigger();
    QCOMPARE(label->Caption(), QString());
    // A long value is cut to 255 characters.
    label->ChoosePersonalInfo("Name\t" + QString(300, 'x'));
    QCOMPARE(label->Caption().size(), 255);
}

void TestLabel::noPersonalInformationOffTheCardPanel()
{
    // In no design at load completion: no personal information to offer.
    auto label = std::make_unique<TGBusinessCardLabel>();
    label->Loaded();
    QMenu* menu = label->ContextMenu();
    QVERIFY(!label->PersonalInfoMenu());
    QVERIFY(!findItem(menu, "Personal Information"));
    QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Bring To Front"));
    const int before = menu->actions().size();
    emit menu->aboutToShow();
    QCOMPARE(menu->actions().size(), before);
}

void TestLabel::editTextOkAndCancel()
{
    test::ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    auto* label = new TGPLabel;
    label->SetParent(&panel);
    label->SetFont(sansFont());
    label->Loaded();
    label->SetBounds(0, 0, 30, 20);

    ui.answerDialog([](QDialog& d) -> int {
        auto* edit = d.findChild<QLineEdit*>("LabelText");
        [&] {
            QVERIFY(edit);
            QCOMPARE(d.windowTitle(), QStringLiteral("Text"));
            QCOMPARE(edit->text(), QStringLiteral("Text"));
        }();
        d.show();
        edit->selectAll();
        QTest::keyClicks(edit, "Typed caption");
        QTest::mouseClick(d.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        return d.result();
    });
    label->TextItem()->trigger();
    QCOMPARE(label->Caption(), QStringLiteral("Typed caption"));
    QVERIFY(label->Width() > 30); // grown to the new caption

    ui.answerDialog([](QDialog& d) -> int {
        d.show();
        QTest::keyClicks(d.findChild<QLineEdit*>("LabelText"), "zzz");
        QTest::keyClick(&d, Qt::Key_Escape);
        return d.result();
    });
    label->EditText();
    QCOMPARE(label->Caption(), QStringLiteral("Typed caption"));
    QVERIFY(ui.allUsed());
}

void TestLabel::businessCardPromptListsPersonalInfo()
{
    test::ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    TPersonalInfo info;
    info.Name = QStringLiteral("Grace");
    info.Phone2 = QStringLiteral("555-0101");
    info.Fax = QStringLiteral("555-0199");
    panel.SetPersonalInfo(info);
    auto* label = new TGBusinessCardLabel;
    label->SetParent(&panel);
    label->SetFont(sansFont());
    label->Loaded();

    ui.answerDialog([](QDialog& d) -> int {
        auto* combo = d.findChild<QComboBox*>("PersonalInfoCombo");
        [&] {
            QVERIFY(combo);
            QCOMPARE(combo->count(), 3);
            QCOMPARE(combo->itemText(0), QStringLiteral("Grace"));
            QCOMPARE(combo->itemText(1), QStringLiteral("555-0101"));
            QCOMPARE(combo->itemText(2), QStringLiteral("555-0199"));
            QVERIFY(combo->isEnabled());
        }();
        d.show();
        if (qEnvironmentVariableIsSet("BRISVALE_SHOTS"))
            d.grab().save(QStringLiteral("/tmp/label-text-dialog.png"));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down); // first entry
        QTest::keyClick(combo, Qt::Key_Down); // second entry
        [&] { QCOMPARE(d.findChild<QLineEdit*>("LabelText")->text(), QStringLiteral("555-0101")); }();
        QTest::mouseClick(d.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        return d.result();
    });
    // The "Text" item reaches the business-card prompt.
    label->TextItem()->trigger();
    QCOMPARE(label->Caption(), QStringLiteral("555-0101"));

    // Without personal information the list is empty and disabled.
    panel.SetPersonalInfo(TPersonalInfo());
    ui.answerDialog([](QDialog& d) -> int {
        auto* combo = d.findChild<QComboBox*>("PersonalInfoCombo");
        [&] {
            QCOMPARE(combo->count(), 0);
            QVERIFY(!combo->isEnabled());
        }();
        return int(mrCancel);
    });
    label->EditText();
    QCOMPARE(label->Caption(), QStringLiteral("555-0101"));
}

void TestLabel::fontDialogGrowsLabel()
{
    test::ScriptedInteraction ui;
    TGPLabel label;
    label.SetFont(sansFont());
    label.CalcTextLayout();
    const int before = label.Height();
    QFont chosen(QStringLiteral("Liberation Serif"));
    chosen.setPointSize(28);
    ui.answerFont(chosen);
    label.EditFont();
    QCOMPARE(label.Font().Name, QStringLiteral("Liberation Serif"));
    QCOMPARE(label.Font().Height, -MulDiv(28, 96, 72));
    QCOMPARE(label.Font().Color, clBlack); // the colour stays
    QVERIFY(label.Height() >= before + 20); // grown to the larger font
    // Cancelled: the font stays, the label still grows to its caption.
    label.SetCaption(QStringLiteral("A caption far wider than the label is now"));
    ui.answerFont(std::nullopt);
    label.EditFont();
    QCOMPARE(label.Font().Name, QStringLiteral("Liberation Serif"));
    QVERIFY(label.Width() > QFontMetrics(label.DrawFont()).horizontalAdvance(label.Caption()));
}

void TestLabel::backgroundColourMakesOpaque()
{
    test::ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    auto* label = new TGPLabel;
    label->SetParent(&panel);
    label->Loaded();
    ui.answerColour(QColor(255, 0, 0));
    findItem(label->ContextMenu(), "Background Color")->trigger();
    QCOMPARE(label->BackColor(), clRed);
    QVERIFY(!label->Transparent());
    QVERIFY(!label->TransparentItem()->isChecked());
    // Cancelled: nothing changes.
    ui.answerColour(std::nullopt);
    label->SetTransparent(true);
    label->ChooseBackgroundColor();
    QVERIFY(label->Transparent());
    QCOMPARE(label->BackColor(), clRed);
}

void TestLabel::textToolCreatesLabel()
{
    test::ScriptedInteraction ui;
    TGBusinessCardPanel32 panel;
    TFont panelFont = sansFont(12);
    panelFont.Color = clNavy;
    panel.SetPanelFont(panelFont);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    panel.SetPanelState(psLabel);
    QSignalSpy dropped(&panel, &TGBasePanel::DroppedObjectEvent);

    ui.answerDialog([](QDialog& d) -> int {
        auto* edit = d.findChild<QLineEdit*>("LabelText");
        [&] { QCOMPARE(edit->text(), QStringLiteral("Text")); }();
        d.show();
        edit->selectAll();
        QTest::keyClicks(edit, "Brisvale Cards Ltd");
        QTest::mouseClick(d.findChild<QPushButton*>("OKButton"), Qt::LeftButton);
        return d.result();
    });
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(20, 30));
    QTest::mouseMove(&panel, QPoint(40, 40));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(panel.ObjectCount(), 1);
    auto* label = qobject_cast<TGBusinessCardLabel*>(panel.Objects().first());
    QVERIFY(label);
    QVERIFY(label->Name().startsWith("Special"));
    QCOMPARE(label->Caption(), QStringLiteral("Brisvale Cards Ltd"));
    QCOMPARE(label->Font(), panelFont);
    QCOMPARE(label->Left(), 20);
    QCOMPARE(label->Top(), 30);
    const QFontMetrics fm(label->DrawFont());
    QVERIFY(label->Width() >= fm.horizontalAdvance("Brisvale Cards Ltd     "));
    QVERIFY(ui.allUsed());
}

QTEST_MAIN(TestLabel)
#include "tst_label.moc"
