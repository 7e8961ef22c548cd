// The outline and shadow of CircleText letters: chosen in the properties
// dialog as a user chooses them, drawn where the text labels put a shadow,
// and stored only when set. Fonts: DejaVu Sans.
#include "effects/CircleText.h"
#include "effects/CircleTextProperties.h"
#include "effects/EffectStyle.h"
#include "objects/ColorCombo.h"
#include "surface/DesignModel.h"
#include "surface/ObjectFiler.h"
#include "support/ScriptedInteraction.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace bv;
using namespace bv::test;

Q_DECLARE_METATYPE(TEffectStyle)

namespace {

// Opens a combo box's list with a click and walks to the row captioned
// `text` with the arrow keys, taking it with Enter.
bool chooseRow(QComboBox* box, const QString& text)
{
    const int row = box->findText(text);
    if (row < 0)
        return false;
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* view = box->view();
    if (!QTest::qWaitForWindowExposed(view->window()))
        return false;
    const int from = view->currentIndex().row();
    for (int i = from; i < row; ++i)
        QTest::keyClick(view, Qt::Key_Down);
    for (int i = from; i > row; --i)
        QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    return box->currentIndex() == row && !view->isVisible();
}

// Presses the up arrow key `times` times in a spin box.
void stepUp(QSpinBox* spin, int times)
{
    spin->setFocus();
    for (int i = 0; i < times; ++i)
        QTest::keyClick(spin, Qt::Key_Up);
}

TGPCircleText* flatText(const TEffectStyle& style)
{
    auto* t = new TGPCircleText;
    TFont f = t->Font();
    f.Name = QStringLiteral("DejaVu Sans");
    f.SetSize(20);
    f.Color = clBlack;
    t->SetFont(f);
    t->SetCaption(QStringLiteral("HH"));
    t->SetDrawLettersAngled(false);
    t->SetBounds(0, 0, 160, 160);
    t->SetStyle(style);
    return t;
}

QImage render(TGPCircleText& t)
{
    QImage image(t.Width(), t.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    t.DrawTo(p);
    return image;
}

// The pixels of one pure colour (within a tolerance for edge blending).
QList<QPoint> pixelsOf(const QImage& image, const std::function<bool(QColor)>& match)
{
    QList<QPoint> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixelColor(x, y)))
                out << QPoint(x, y);
    return out;
}

QPointF centreOf(const QList<QPoint>& points)
{
    QPointF sum;
    for (const QPoint& p : points)
        sum += p;
    return points.isEmpty() ? QPointF() : sum / points.size();
}

QRect boxOf(const QList<QPoint>& points)
{
    QRect box;
    for (const QPoint& p : points)
        box |= QRect(p, QSize(1, 1));
    return box;
}

const auto isDark = [](QColor c) { return c.red() < 80 && c.green() < 80 && c.blue() < 80; };
const auto isRed = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
const auto isBlue = [](QColor c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; };

QByteArray streamOf(const TGGraphicControl& o)
{
    return TGLabelObjectFiler::WriteStream({ &o });
}

} // namespace

class TestEffectStyle : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void chosenInTheDialog_data();
    void chosenInTheDialog();
    void shadowFallsWhereItsDirectionSays_data();
    void shadowFallsWhereItsDirectionSays();
    void outlineSurroundsTheLetters();
    void storedOnlyWhenSet();
};

using Steps = std::function<void(TEffectStylePanel&)>;

void TestEffectStyle::chosenInTheDialog_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<TEffectStyle>("expected");
    TEffectStyle outline;
    outline.Outline = { clBlue, 3 };
    TEffectStyle shadow;
    shadow.Shadow = { clRed, 4, sdDownLeft };
    TEffectStyle both;
    both.Outline = { clBlack, 1 };
    both.Shadow = { 8421504, 2, sdRight };
    QTest::newRow("outline") << Steps([](TEffectStylePanel& p) {
        QVERIFY(chooseRow(p.OutlineColorButton, QStringLiteral("Blue")));
        stepUp(p.OutlineWidthEdit, 3);
    }) << outline;
    QTest::newRow("shadow") << Steps([](TEffectStylePanel& p) {
        QVERIFY(chooseRow(p.ShadowColorButton, QStringLiteral("Red")));
        stepUp(p.ShadowDepthEdit, 4);
        QVERIFY(chooseRow(p.ShadowDirectionBox, QStringLiteral("Down and left")));
    }) << shadow;
    QTest::newRow("both, default colours") << Steps([](TEffectStylePanel& p) {
        stepUp(p.OutlineWidthEdit, 1);
        stepUp(p.ShadowDepthEdit, 2);
        QVERIFY(chooseRow(p.ShadowDirectionBox, QStringLiteral("Right")));
    }) << both;
}

void TestEffectStyle::chosenInTheDialog()
{
    QFETCH(Steps, steps);
    QFETCH(TEffectStyle, expected);
    ScriptedInteraction script;
    TGPCircleText t;
    t.SetBounds(0, 0, 150, 90);
    t.Loaded();
    TEffectStyle sampleStyle;
    script.answerDialog([&](QDialog& d) {
        auto& dialog = static_cast<TCircleTextProperties&>(d);
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return int(mrCancel);
        steps(*dialog.StylePanel);
        // The sample shows the choice at once.
        sampleStyle = dialog.Sample()->Style();
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        return dialog.result();
    });
    QVERIFY(t.EditProperties());
    QCOMPARE(sampleStyle, expected);
    QCOMPARE(t.Style(), expected);
}

void TestEffectStyle::shadowFallsWhereItsDirectionSays_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QPoint>("offset");
    // The text labels' directions, by hand: right is +x, down is +y.
    QTest::newRow("down and right") << int(sdDownRight) << QPoint(6, 6);
    QTest::newRow("down and left") << int(sdDownLeft) << QPoint(-6, 6);
    QTest::newRow("right") << int(sdRight) << QPoint(6, 0);
    QTest::newRow("down") << int(sdDown) << QPoint(0, 6);
}

void TestEffectStyle::shadowFallsWhereItsDirectionSays()
{
    QFETCH(int, direction);
    QFETCH(QPoint, offset);
    std::unique_ptr<TGPCircleText> plain(flatText(TEffectStyle()));
    TEffectStyle style;
    style.Shadow = { clRed, 6, TShadowDirection(direction) };
    std::unique_ptr<TGPCircleText> shadowed(flatText(style));
    const QImage without = render(*plain);
    const QImage with = render(*shadowed);

    const QList<QPoint> letters = pixelsOf(without, isDark);
    QVERIFY(letters.size() > 50);
    QVERIFY(pixelsOf(without, isRed).isEmpty());
    // The letters themselves are where they were.
    QCOMPARE(pixelsOf(with, isDark), letters);
    // The shadow is the letters' shape moved by the offset, partly covered
    // by the letters: every red pixel lies on a moved letter pixel, and its
    // box is the letters' box moved.
    const QList<QPoint> red = pixelsOf(with, isRed);
    QVERIFY(red.size() > letters.size() / 4);
    for (const QPoint& p : red)
        QVERIFY2(without.pixelColor(p - offset).lightness() < 160,
            qPrintable(QStringLiteral("red at %1,%2").arg(p.x()).arg(p.y())));
    const QRect moved = boxOf(letters).translated(offset);
    const QRect shadowBox = boxOf(red);
    QVERIFY2(moved.adjusted(-1, -1, 1, 1).contains(shadowBox),
        qPrintable(QStringLiteral("shadow %1,%2 %3x%4").arg(shadowBox.x()).arg(shadowBox.y())
                       .arg(shadowBox.width()).arg(shadowBox.height())));
    // Where no letter covers it, the shadow's far edge is the moved letters'
    // far edge.
    if (offset.x() > 0)
        QVERIFY(std::abs(shadowBox.right() - moved.right()) <= 1);
    if (offset.x() < 0)
        QVERIFY(std::abs(shadowBox.left() - moved.left()) <= 1);
    if (offset.y() > 0)
        QVERIFY(std::abs(shadowBox.bottom() - moved.bottom()) <= 1);
}

void TestEffectStyle::outlineSurroundsTheLetters()
{
    std::unique_ptr<TGPCircleText> plain(flatText(TEffectStyle()));
    TEffectStyle style;
    style.Outline = { clBlue, 4 };
    std::unique_ptr<TGPCircleText> outlined(flatText(style));
    const QImage without = render(*plain);
    const QImage with = render(*outlined);
    const QRect letters = boxOf(pixelsOf(without, isDark));
    const QList<QPoint> blue = pixelsOf(with, isBlue);
    QVERIFY(pixelsOf(without, isBlue).isEmpty());
    QVERIFY(!blue.isEmpty());
    // A 4-pixel pen centred on the letters' edges reaches 2 pixels beyond
    // them on every side (a pixel more for edge blending).
    const QRect ring = boxOf(blue);
    QVERIFY(ring.contains(letters.adjusted(1, 1, -1, -1)));
    QVERIFY(letters.adjusted(-3, -3, 3, 3).contains(ring));
    QVERIFY(ring.left() < letters.left() && ring.right() > letters.right());
    const QPointF drift = centreOf(blue) - QPointF(letters.center());
    QVERIFY(std::abs(drift.x()) < 3 && std::abs(drift.y()) < 3);
}

void TestEffectStyle::storedOnlyWhenSet()
{
    // As every older design has it: none of the new names in the record.
    TGPCircleText plain;
    const QByteArray before = streamOf(plain);
    for (const char* name : { "OutlineColor", "OutlineWidth", "ShadowDepth", "ShadowOrientation", "Shadowcolor" })
        QVERIFY2(!before.contains(name), name);

    // Set, each value is stored and read back.
    TGPCircleText styled;
    TEffectStyle style;
    style.Outline = { clBlue, 2 };
    style.Shadow = { clRed, 5, sdDown };
    styled.SetStyle(style);
    const QByteArray bytes = streamOf(styled);
    TDesignModel design;
    design.SetDeletesTemporaryFiles(false);
    RegisterEffectTextClasses();
    const QList<TGGraphicControl*> read = TGLabelObjectFiler::Default().ReadStream(bytes, design, design);
    QCOMPARE(read.size(), 1);
    auto* back = qobject_cast<TGPCircleText*>(read.first());
    QVERIFY(back);
    QCOMPARE(back->Style(), style);
    back->SetName(styled.Name()); // reading names it anew
    QCOMPARE(streamOf(*back), bytes);
    // Cleared again, the record is the older one once more.
    back->SetStyle(TEffectStyle());
    QCOMPARE(streamOf(*back), before);
}

QTEST_MAIN(TestEffectStyle)
#include "tst_effect_style.moc"
