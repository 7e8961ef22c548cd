// SuperText: layout (fitting margin, shadow origins, the shrink rule, the
// prefix that fits), the letter fills of each surface, outline and shadow,
// the crossed empty box, and the properties dialog with its texture browser.
// Fonts: Liberation Sans (as "Arial").
#include "effects/EffectText.h"
#include "effects/SuperText.h"
#include "effects/SuperTextProperties.h"
#include "objects/GetSymbol.h"
#include "platform/SymbolFonts.h"
#include "support/ScriptedInteraction.h"

#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTimer>
#include <QSpinBox>

using namespace bv;
using namespace bv::test;

namespace {
const QRgb backdrop = qRgb(255, 0, 255);

QImage paintAlone(TGSuperText& t)
{
    t.LayoutText();
    QImage img(t.Width(), t.Height(), QImage::Format_RGB32);
    img.fill(backdrop);
    QPainter p(&img);
    t.DrawTo(p);
    return img;
}

// Points well inside the letters (two pixels from every edge).
QList<QPoint> innerPoints(const TGSuperText& t, const QString& text)
{
    const QPainterPath path = t.LetterPath(text).translated(t.TextOrigin());
    QList<QPoint> out;
    const QRect box = path.boundingRect().toAlignedRect();
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (path.contains(QRectF(x - 2, y - 2, 5, 5)))
                out << QPoint(x, y);
    return out;
}

Dib solidTexture(QRgb colour)
{
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(colour);
    return Dib::FromImage(img);
}

bool near(QRgb a, QRgb b, int tolerance = 8)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}
} // namespace

class TestSuperText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); }
    void newTextIsGradientFromTheLeft();
    void layout_data();
    void layout();
    void shrinkRule_data();
    void shrinkRule();
    void longestPrefixFits();
    void emptyCaptionShowsCrossedBox();
    void surfaces_data();
    void surfaces();
    void transparentSurfaceKeepsOutline();
    void fitToText();
    void dialogTypingResizesOncePerTick();
    void dialogRestoresTextureAndApplies();
    void symbolSetsBothFonts();
    void browserStartFolder_data();
    void browserStartFolder();
};

void TestSuperText::newTextIsGradientFromTheLeft()
{
    TGSuperText t;
    t.SetBounds(0, 0, 400, 120);
    t.SetCaption(QStringLiteral("MMMMMM"));
    const QImage img = paintAlone(t);
    QCOMPARE(t.Font().Size(), 48);
    QVERIFY(t.Font().Bold);
    QCOMPARE(t.ShadowDepth(), 0);
    // The ramp spans the whole box: blue at its left edge, yellow at its right.
    const QImage& g = t.GradientBitmap();
    QCOMPARE(g.size(), QSize(t.Width(), t.Height()));
    QCOMPARE(QColor(g.pixel(0, 5)), QColor(Qt::blue));
    QCOMPARE(QColor(g.pixel(t.Width() - 1, 5)), QColor(Qt::yellow));
    // Inside the letters the fill follows it; the first letter is bluish,
    // the last more yellow.
    const QList<QPoint> inner = innerPoints(t, t.Caption());
    QVERIFY(!inner.isEmpty());
    const QRgb left = img.pixel(inner.first());
    const QRgb right = img.pixel(inner.last());
    QVERIFY(qBlue(left) > qRed(left) && qRed(right) > qRed(left));
    // A black outline runs round the letters; outside them nothing is drawn.
    bool black = false;
    for (int x = 0; x < img.width() && !black; ++x)
        for (int y = 0; y < img.height() && !black; ++y)
            black = qGray(img.pixel(x, y)) < 40;
    QVERIFY(black);
    QCOMPARE(img.pixel(1, 1), backdrop);
}

void TestSuperText::layout_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QPoint>("text");
    QTest::addColumn<QPoint>("shadow");
    QTest::addColumn<int>("extra"); // added to the text height by the shadow
    QTest::newRow("left 4") << int(sdLeft) << 4 << QPoint(9, 0) << QPoint(5, 0) << 0;
    QTest::newRow("down 3") << int(sdDown) << 3 << QPoint(5, 0) << QPoint(5, 3) << 3;
    QTest::newRow("down-left 2") << int(sdDownLeft) << 2 << QPoint(7, 0) << QPoint(5, 2) << 2;
    QTest::newRow("down-right 6") << int(sdDownRight) << 6 << QPoint(5, 0) << QPoint(11, 6) << 6;
}

void TestSuperText::layout()
{
    QFETCH(int, orientation);
    QFETCH(int, depth);
    QFETCH(QPoint, text);
    QFETCH(QPoint, shadow);
    QFETCH(int, extra);
    TGSuperText t;
    t.SetBounds(0, 0, 300, 300);
    t.SetShadowOrientation(TShadowOrientation(orientation));
    t.SetShadowDepth(depth);
    t.LayoutText();
    QCOMPARE(t.TextOrigin(), text);
    QCOMPARE(t.ShadowOrigin(), shadow);
    QCOMPARE(t.FittingMargin(), std::max(text.x(), shadow.x()));
    const int th = QFontMetrics(EffectFont(t.Font(), 1.0f)).height();
    // The shrink rule counts the shadow's drop.
    QCOMPARE(t.Height(), int(Trunc(1.2L * (th + extra))));
    QVERIFY(!t.LayoutNeeded());
}

void TestSuperText::shrinkRule_data()
{
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<bool>("border");
    QTest::addColumn<bool>("shrinks");
    QTest::newRow("transparent, frameless") << true << false << true;
    QTest::newRow("border") << true << true << false;
    QTest::newRow("opaque") << false << false << false;
}

void TestSuperText::shrinkRule()
{
    QFETCH(bool, transparent);
    QFETCH(bool, border);
    QFETCH(bool, shrinks);
    TGSuperText t;
    TFont f = t.Font();
    f.Height = -35; // Liberation Sans: a cell 40 pixels high
    t.SetFont(f);
    t.SetControlTransparent(transparent);
    t.SetBorderStyle(border ? bsSingle : bsNone);
    t.SetBounds(0, 0, 300, 200);
    t.LayoutText();
    const int th = QFontMetrics(EffectFont(t.Font(), 1.0f)).height();
    QVERIFY(th >= 38 && th <= 42);
    QCOMPARE(t.Height(), shrinks ? int(Trunc(1.2L * th)) : 200);
    // A box lower than the text grows to it whatever the background.
    t.SetHeight(10);
    t.LayoutText();
    QCOMPARE(t.Height(), th);
}

void TestSuperText::longestPrefixFits()
{
    TGSuperText t;
    t.SetCaption(QStringLiteral("ABCDEFG"));
    t.SetShadowOrientation(sdLeft);
    t.SetShadowDepth(3);
    t.SetBounds(0, 0, 300, 100);
    t.LayoutText();
    const QFontMetrics fm(EffectFont(t.Font(), 1.0f));
    const int room = fm.horizontalAdvance(QStringLiteral("ABCD")) + 2;
    t.SetWidth(room + t.FittingMargin());
    t.LayoutText();
    QCOMPARE(t.FittingMargin(), 8);
    QCOMPARE(t.FittingText(fm), QStringLiteral("ABCD"));
    // Painting draws only that prefix: nothing lands right of it.
    const QImage img = paintAlone(t);
    const int end = t.TextOrigin().x() + fm.horizontalAdvance(QStringLiteral("ABCD")) + 2;
    for (int x = end; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            QCOMPARE(img.pixel(x, y), backdrop);
}

void TestSuperText::emptyCaptionShowsCrossedBox()
{
    TGSuperText t;
    t.SetBounds(0, 0, 60, 60);
    t.SetControlTransparent(false);
    t.SetCaption(QString());
    const QImage img = paintAlone(t);
    const int h = t.Height();
    for (const QPoint p : { QPoint(0, 0), QPoint(59, 0), QPoint(0, h - 1), QPoint(30, 30 * h / 60),
             QPoint(20, 20 * h / 60), QPoint(40, (60 - 40) * h / 60) })
        QVERIFY2(qGray(img.pixel(p)) < 60, qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    QVERIFY(qGray(img.pixel(30, 5)) > 200);
}

void TestSuperText::surfaces_data()
{
    QTest::addColumn<int>("surface");
    QTest::addColumn<QRgb>("inside");
    QTest::newRow("normal: font colour") << int(TGSuperText::stNormal) << qRgb(128, 0, 0);
    QTest::newRow("texture") << int(TGSuperText::stBrushImage) << qRgb(30, 160, 90);
    QTest::newRow("transparent: nothing") << int(TGSuperText::stBrushTransparent) << backdrop;
}

void TestSuperText::surfaces()
{
    QFETCH(int, surface);
    QFETCH(QRgb, inside);
    TGSuperText t;
    t.SetBounds(0, 0, 300, 120);
    TFont f = t.Font();
    f.Color = clMaroon;
    t.SetFont(f);
    t.SetSurfaceType(TGSuperText::TSurfaceType(surface));
    t.SetImage(solidTexture(qRgb(30, 160, 90)));
    t.SetShadowDepth(5);
    t.SetShadowOrientation(sdRight);
    t.SetShadowColor(clSilver);
    const QImage img = paintAlone(t);
    const QList<QPoint> inner = innerPoints(t, t.Caption());
    QVERIFY(inner.size() > 20);
    const QPainterPath shadow = t.LetterPath(t.Caption()).translated(t.ShadowOrigin());
    const QPainterPath letters = t.LetterPath(t.Caption()).translated(t.TextOrigin());
    int checked = 0;
    for (const QPoint& p : inner) {
        // Where the shadow shows through a hollow letter it is the shadow.
        const QRectF around(p.x() - 1, p.y() - 1, 3, 3);
        const bool hollow = surface == TGSuperText::stBrushTransparent;
        if (hollow && shadow.intersects(around) && !shadow.contains(around))
            continue; // the shadow's own anti-aliased edge
        const QRgb want = hollow && shadow.contains(around) ? qRgb(192, 192, 192) : inside;
        QVERIFY2(near(img.pixel(p), want), qPrintable(QStringLiteral("%1,%2 %3").arg(p.x()).arg(p.y()).arg(img.pixel(p), 0, 16)));
        ++checked;
    }
    // The shadow shows right of the letters in their shape.
    bool shadowSeen = false;
    for (int y = 0; y < img.height() && !shadowSeen; ++y)
        for (int x = 0; x < img.width() && !shadowSeen; ++x)
            shadowSeen = img.pixel(x, y) == qRgb(192, 192, 192) && !letters.contains(QPointF(x + 0.5, y + 0.5));
    QVERIFY(shadowSeen);
    QVERIFY(checked > 0);
}

void TestSuperText::transparentSurfaceKeepsOutline()
{
    TGSuperText t;
    t.SetOutlineStyle(psClear);
    t.SetSurfaceType(TGSuperText::stBrushTransparent);
    QCOMPARE(t.OutlineStyle(), psSolid);
    // Without outline width only the shadow is drawn.
    t.SetOutlineWidth(0);
    t.SetShadowDepth(3);
    t.SetShadowOrientation(sdDownRight);
    t.SetShadowColor(clGreen);
    t.SetBounds(0, 0, 300, 120);
    const QImage img = paintAlone(t);
    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            colours.insert(img.pixel(x, y));
    for (QRgb c : colours) {
        // Backdrop, shadow green, and their anti-aliased blends only.
        QVERIFY2(qGreen(c) <= 128 || c == backdrop, qPrintable(QString::number(c, 16)));
        QVERIFY(qRed(c) == qBlue(c));
    }
    QVERIFY(colours.contains(qRgb(0, 128, 0)));
}

void TestSuperText::fitToText()
{
    TGSuperText t;
    t.SetBounds(7, 9, 20, 20);
    t.SetCaption(QStringLiteral("Wide text here"));
    t.SetShadowDepth(4);
    t.SetShadowOrientation(sdDownLeft);
    QVERIFY(t.FitToText());
    const QFontMetrics fm(t.Font().ToQFont());
    QCOMPARE(t.Left(), 7);
    QCOMPARE(t.Width(), int(Trunc(9 + 1.2L * fm.horizontalAdvance(t.Caption()))));
    QCOMPARE(t.Height(), int(Trunc(1.2L * (4 + fm.height()))));
}

void TestSuperText::dialogTypingResizesOncePerTick()
{
    TSuperTextProperties dialog;
    dialog.Sample()->SetCaption(QStringLiteral("A"));
    dialog.ShowSampleValues();
    dialog.RefreshTick();
    dialog.Sample()->FitToText();
    const int before = dialog.Sample()->Width();
    dialog.RefreshTimer->stop();
    QTest::keyClicks(dialog.CaptionText, QStringLiteral("BCDEF"));
    QCOMPARE(dialog.Sample()->Caption(), QStringLiteral("ABCDEF"));
    // Typing alone does not refit; the next tick does, once.
    QCOMPARE(dialog.Sample()->Width(), before);
    QVERIFY(dialog.CaptionChangedPending());
    dialog.RefreshTick();
    QVERIFY(!dialog.CaptionChangedPending());
    QVERIFY(dialog.Sample()->Width() > before);
    // Font size arrows: 12 goes to 7 and stays.
    TFont f = dialog.Sample()->Font();
    f.SetSize(12);
    dialog.Sample()->SetFont(f);
    dialog.RapidChangeFontSize->DownButton()->click();
    dialog.RapidChangeFontSize->DownButton()->click();
    QCOMPARE(dialog.Sample()->Font().Size(), 7);
}

void TestSuperText::dialogRestoresTextureAndApplies()
{
    ScriptedInteraction script;
    TGSuperText t;
    t.SetSurfaceType(TGSuperText::stBrushImage);
    t.SetImage(solidTexture(qRgb(1, 2, 3)));
    t.SetLastBitmapFileNameandPath(QStringLiteral("/nowhere/t.bmp"));
    t.SetBounds(0, 0, 200, 80);
    script.answerDialog([](QDialog& d) {
        auto& dialog = static_cast<TSuperTextProperties&>(d);
        if (dialog.LastTexturePath() != QStringLiteral("/nowhere/t.bmp") || !dialog.TexturePanel->isVisibleTo(&dialog))
            return mrCancel;
        // Away from the texture and back: the texture seen last returns.
        dialog.SurfaceTypeCombo->setCurrentRow(TGSuperText::stGradientFill);
        if (dialog.Sample()->Image().Width() != 0 || !dialog.GradientPanel->isVisibleTo(&dialog))
            return mrCancel;
        dialog.SurfaceTypeCombo->setCurrentRow(TGSuperText::stBrushImage);
        dialog.ShadowDepthSpinner->setValue(5);
        dialog.CaptionText->setText(QString());
        QTest::keyClicks(dialog.CaptionText, QStringLiteral("New"));
        dialog.OKButtonClick();
        return dialog.result();
    });
    QVERIFY(t.EditProperties());
    QCOMPARE(t.Image(), solidTexture(qRgb(1, 2, 3)));
    QCOMPARE(t.SurfaceType(), TGSuperText::stBrushImage);
    QCOMPARE(t.ShadowDepth(), 5);
    QCOMPARE(t.Caption(), QStringLiteral("New"));
}

void TestSuperText::symbolSetsBothFonts()
{
    ScriptedInteraction script;
    TSuperTextProperties dialog;
    dialog.ShowSampleValues();
    script.answerDialog([](QDialog& d) {
        auto& selector = static_cast<TGetSymbol&>(d);
        selector.ChooseFamily(QStringLiteral("Wingdings"));
        selector.SetSelectedIndex(40 - 32); // the telephone
        return mrOk;
    });
    dialog.SelectSymbol();
    QCOMPARE(dialog.Sample()->Font().Name, QStringLiteral("Wingdings"));
    QCOMPARE(dialog.Sample()->Font().Size(), 48);
    QCOMPARE(dialog.CaptionText->text(), QString(QChar(40)));
    QCOMPARE(dialog.Sample()->Caption(), QString(QChar(40)));
    QCOMPARE(dialog.CaptionText->font().family(), SymbolFonts::DisplayFont(QStringLiteral("Wingdings")));
    // The picture is what gets filled: the letter path is not empty.
    QVERIFY(!dialog.Sample()->LetterPath(dialog.Sample()->Caption()).isEmpty());
}

void TestSuperText::browserStartFolder_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("opens");
    QTest::newRow("bmbrush first") << QStringList { "bmbrush", "Textures" } << "bmbrush";
    QTest::newRow("Textures without bmbrush") << QStringList { "Textures" } << "Textures";
    QTest::newRow("program folder") << QStringList {} << "";
}

void TestSuperText::browserStartFolder()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, opens);
    QTemporaryDir home;
    for (const QString& f : folders)
        QVERIFY(QDir(home.path()).mkdir(f));
    QFile::copy(QFINDTESTDATA("tst_supertext.cpp"), home.filePath(opens + "/notes.txt"));
    qputenv("BRISVALE_HOME", home.path().toLocal8Bit());
    TGSuperText sample;
    TSuperTextBrushImageBrowser browser(sample, QString());
    QCOMPARE(QDir(browser.Folder()), QDir(home.filePath(opens)));
    qunsetenv("BRISVALE_HOME");
}

QTEST_MAIN(TestSuperText)
#include "tst_supertext.moc"
