// CircleText: where the letters go on the arc (sweep, start, mirror, the
// moved centre of open arcs, a radius gone negative), that turned letters
// pivot on their bottom-centre point, and the properties dialog acting on
// its sample and handing it back. Fonts: Liberation Sans (as "Arial").
#include "effects/CircleText.h"
#include "effects/CircleTextProperties.h"
#include "effects/EffectText.h"
#include "objects/ColorCombo.h"
#include "support/ScriptedInteraction.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <cmath>

using namespace bv;
using namespace bv::test;

namespace {
QFontMetrics metricsOf(const TGPCircleText& t)
{
    return QFontMetrics(EffectFont(t.Font(), t.Zoom()));
}

// Angle of a point about the centre, in degrees, y growing downward.
double angleOf(const TCircleLetter& l, double cx, double cy)
{
    return std::atan2(l.Y - cy, l.X - cx) * 180.0 / M_PI;
}
} // namespace

class TestCircleText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void fullCircleSpread();
    void openArcEnds_data();
    void openArcEnds();
    void singleLetterAtStart_data();
    void singleLetterAtStart();
    void mirror_data();
    void mirror();
    void negativeRadius();
    void turnedLetterPivotsOnBottomCentre();
    void dialogEditsSample();
    void fontSizeSteps_data();
    void fontSizeSteps();
};

void TestCircleText::fullCircleSpread()
{
    TGPCircleText t;
    t.SetBounds(0, 0, 300, 300);
    const QList<TCircleLetter> letters = t.LetterPlacements(metricsOf(t));
    QCOMPARE(letters.size(), 15);
    QCOMPARE(letters.first().Letter, QChar('A'));
    // Starts at the left of the circle, upright turned a quarter left.
    QCOMPARE(letters.first().Y, 150);
    QVERIFY(letters.first().X < 150);
    QCOMPARE(letters.first().Escapement, 900);
    // Runs clockwise over the top in steps of 355 / 15 degrees.
    const double step = 355.0 / 15;
    for (int i = 1; i < letters.size(); ++i) {
        double d = angleOf(letters[i], 150, 150) - angleOf(letters[i - 1], 150, 150);
        if (d < -180)
            d += 360;
        QVERIFY2(std::abs(d - step) < 1.0, qPrintable(QStringLiteral("letter %1 step %2").arg(i).arg(d)));
    }
    QVERIFY(letters[4].Y < 150 - 100); // near the top
    QCOMPARE(letters.last().Escapement, int(Round(900 - 14 * step * 10 + 3600)));
}

void TestCircleText::openArcEnds_data()
{
    QTest::addColumn<int>("degrees");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("firstSide"); // where the first letter sits
    QTest::addColumn<QString>("lastSide");
    QTest::newRow("half from the left") << int(dg180) << int(dg180) << "left" << "right";
    QTest::newRow("half from the bottom") << int(dg180) << int(dg270) << "bottom" << "top";
    QTest::newRow("half from the right") << int(dg180) << int(dg360) << "right" << "left";
    QTest::newRow("quarter from the left") << int(dg90) << int(dg180) << "left" << "top";
}

void TestCircleText::openArcEnds()
{
    QFETCH(int, degrees);
    QFETCH(int, start);
    QFETCH(QString, firstSide);
    QFETCH(QString, lastSide);
    TGPCircleText t;
    t.SetBounds(0, 0, 200, 120);
    t.SetCaption(QStringLiteral("AB"));
    t.SetDegrees(TDegrees(degrees));
    t.SetStartingVector(TDegrees(start));
    const QFontMetrics fm = metricsOf(t);
    const QList<TCircleLetter> l = t.LetterPlacements(fm);
    QCOMPARE(l.size(), 2);
    // Both ends of the arc lie on one circle about the centre; the ends
    // tell where the arc runs.
    auto side = [&](const TCircleLetter& a, const TCircleLetter& b) {
        const int dx = a.X - b.X;
        const int dy = a.Y - b.Y;
        if (std::abs(dx) >= std::abs(dy))
            return dx < 0 ? QStringLiteral("left") : QStringLiteral("right");
        return dy < 0 ? QStringLiteral("top") : QStringLiteral("bottom");
    };
    QCOMPARE(side(l[0], l[1]), firstSide);
    if (degrees == dg180) {
        QCOMPARE(side(l[1], l[0]), lastSide);
        // Ends sit opposite, half a turn apart.
        QCOMPARE(std::abs(l[1].Escapement - l[0].Escapement) % 3600, 1800);
    } else {
        QVERIFY(l[1].Y < l[0].Y); // the quarter runs up from the left
    }
    if (degrees == dg180 && start == dg180) {
        // The centre moved to the bottom of the box less the text height.
        const int cy = 120 - fm.height();
        QCOMPARE(l[0].Y, cy);
        QCOMPARE(l[1].Y, cy);
        const int r = std::min(100, cy) - 4 - fm.height();
        QCOMPARE(l[0].X, 100 - r);
        QCOMPARE(l[1].X, 100 + r);
    }
}

void TestCircleText::singleLetterAtStart_data()
{
    QTest::addColumn<int>("degrees");
    QTest::addColumn<int>("start");
    for (int d = dg90; d <= dg360; ++d)
        for (int s = dg90; s <= dg360; ++s)
            QTest::addRow("sweep %d start %d", (d + 1) * 90, (s + 1) * 90) << d << s;
}

void TestCircleText::singleLetterAtStart()
{
    QFETCH(int, degrees);
    QFETCH(int, start);
    TGPCircleText t;
    t.SetBounds(0, 0, 160, 160);
    t.SetCaption(QStringLiteral("X"));
    t.SetDegrees(TDegrees(degrees));
    t.SetStartingVector(TDegrees(start));
    const QList<TCircleLetter> l = t.LetterPlacements(metricsOf(t));
    QCOMPARE(l.size(), 1);
    // The escapement of the start angle: (S - 90) degrees.
    QCOMPARE(l[0].Escapement, ((start + 1) * 90 - 90) * 10 % 3600);
    // And the point lies at -S about the centre (clockwise angles).
    const double S = (start + 1) * 90.0;
    const double expected = std::remainder(-S, 360.0);
    // Full and three-quarter sweeps keep the centre in the middle of the box.
    if (degrees >= dg270) {
        const double a = angleOf(l[0], 80, 80);
        QVERIFY2(std::abs(std::remainder(a - expected, 360.0)) < 1.0, qPrintable(QString::number(a)));
    }
}

void TestCircleText::mirror_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<bool>("angled");
    QTest::addColumn<QString>("order");
    QTest::addColumn<bool>("turnedHalf");
    QTest::newRow("plain") << false << true << "ABC" << false;
    QTest::newRow("mirrored") << true << true << "CBA" << true;
    QTest::newRow("mirror ignored upright") << true << false << "ABC" << false;
}

void TestCircleText::mirror()
{
    QFETCH(bool, mirror);
    QFETCH(bool, angled);
    QFETCH(QString, order);
    QFETCH(bool, turnedHalf);
    TGPCircleText plain;
    plain.SetBounds(0, 0, 200, 200);
    plain.SetCaption(QStringLiteral("ABC"));
    TGPCircleText t;
    t.SetBounds(0, 0, 200, 200);
    t.SetCaption(QStringLiteral("ABC"));
    t.SetMirror(mirror);
    t.SetDrawLettersAngled(angled);
    const QList<TCircleLetter> l = t.LetterPlacements(metricsOf(t));
    const QList<TCircleLetter> p = plain.LetterPlacements(metricsOf(plain));
    QString got;
    for (const auto& x : l)
        got += x.Letter;
    QCOMPARE(got, order);
    for (int i = 0; i < l.size(); ++i)
        QCOMPARE((l[i].Escapement - p[i].Escapement + 3600) % 3600, turnedHalf ? 1800 : 0);
    // Mirrored letters stand on the box's circle, the others one letter
    // height inside it.
    const int h = metricsOf(t).height();
    const double rMirror = std::hypot(l[0].X - 100, l[0].Y - 100);
    const double rPlain = std::hypot(p[0].X - 100, p[0].Y - 100);
    QVERIFY(std::abs(rMirror - rPlain - (turnedHalf ? h : 0)) <= 1.0);
}

void TestCircleText::negativeRadius()
{
    TGPCircleText t;
    t.SetBounds(0, 0, 6, 60);
    t.SetCaption(QStringLiteral("ABCDEFGH"));
    const QList<TCircleLetter> l = t.LetterPlacements(metricsOf(t));
    // r = 3 - 4 - h: the first letter, meant for the left, lands right of
    // the centre, outside the box, and is not drawn.
    QVERIFY(l[0].X > 3);
    QVERIFY(!l[0].Inside);
    for (const auto& x : l)
        QCOMPARE(x.Inside, x.X >= 0 && x.X < 6 && x.Y >= 0 && x.Y < 60);
    // Drawing such a box paints nothing outside it and does not fail.
    QImage img(6, 60, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    t.DrawTo(p);
}

void TestCircleText::turnedLetterPivotsOnBottomCentre()
{
    // One letter at the start of a full circle starting at the top (270):
    // escapement 1800, turned upside down about its bottom-centre point, so
    // its ink lies below that point and centred on it.
    TGPCircleText t;
    t.SetBounds(0, 0, 200, 200);
    t.SetCaption(QStringLiteral("I"));
    t.SetStartingVector(dg270);
    TFont f = t.Font();
    f.Name = QStringLiteral("Liberation Sans");
    f.SetSize(30);
    t.SetFont(f);
    const QList<TCircleLetter> l = t.LetterPlacements(metricsOf(t));
    QCOMPARE(l[0].Escapement, 1800);
    QImage img(200, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    t.DrawTo(p);
    p.end();
    int minX = 999, maxX = -1, minY = 999, maxY = -1;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    QVERIFY(maxX >= 0);
    QVERIFY2(minY >= l[0].Y, qPrintable(QStringLiteral("ink from %1, point %2").arg(minY).arg(l[0].Y)));
    QVERIFY(std::abs((minX + maxX) / 2.0 - l[0].X) <= 2.0);
}

void TestCircleText::dialogEditsSample()
{
    ScriptedInteraction script;
    TGPCircleText t;
    t.SetBounds(10, 20, 150, 90);
    t.Loaded();
    script.answerDialog([](QDialog& d) {
        auto& dialog = static_cast<TCircleTextProperties&>(d);
        // The controls show the edited object's values.
        if (dialog.DegreesTrackBar->value() != 4 || dialog.StartAngleTrackBar->value() != 2
            || dialog.CaptionText->text() != QStringLiteral("ABC DEF GHI JKL"))
            return mrCancel;
        // An empty text is refused with a message.
        dialog.CaptionText->clear();
        dialog.OKButtonClick();
        if (dialog.result() == mrOk)
            return mrCancel;
        QTest::keyClicks(dialog.CaptionText, QStringLiteral("Round"));
        dialog.DegreesTrackBar->setValue(2);
        dialog.StartAngleTrackBar->setValue(3);
        dialog.MirroredCheckBox->setChecked(true);
        dialog.ZoomOutButton->click();
        dialog.OKButtonClick();
        return dialog.result();
    });
    script.expectInfo();
    QVERIFY(t.EditProperties());
    QCOMPARE(script.messages(), QStringList { "Please enter some text" });
    QCOMPARE(t.Caption(), QStringLiteral("Round"));
    QCOMPARE(t.Degrees(), dg180);
    QCOMPARE(t.StartingVector(), dg270);
    QVERIFY(t.Mirror());
    // The sample's zoom is undone before its size comes back.
    QCOMPARE(t.Width(), 150);
    QCOMPARE(t.Height(), 90);
    QCOMPARE(t.Left(), 10);
}

void TestCircleText::fontSizeSteps_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("once");
    QTest::addColumn<int>("twice");
    QTest::newRow("down from 12") << 12 << false << 7 << 7;
    QTest::newRow("up from 148") << 148 << true << 153 << 153;
    QTest::newRow("up from 20") << 20 << true << 25 << 30;
}

void TestCircleText::fontSizeSteps()
{
    QFETCH(int, size);
    QFETCH(bool, up);
    QFETCH(int, once);
    QFETCH(int, twice);
    TCircleTextProperties dialog;
    TFont f = dialog.Sample()->Font();
    f.SetSize(size);
    dialog.Sample()->SetFont(f);
    QToolButton* arrow = up ? dialog.RapidChangeFontSize->UpButton() : dialog.RapidChangeFontSize->DownButton();
    arrow->click();
    QCOMPARE(dialog.Sample()->Font().Size(), once);
    arrow->click();
    QCOMPARE(dialog.Sample()->Font().Size(), twice);
}

QTEST_MAIN(TestCircleText)
#include "tst_circletext.moc"
