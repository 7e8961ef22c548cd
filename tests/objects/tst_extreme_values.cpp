// Designs holding the most extreme values a file can carry (positions and
// sizes near +-2^31, Font.Height = -2^31, huge pen widths and effect depths,
// a paste at the largest position) must draw, print and paste without
// overflowing; the sanitizer build of this test shows any undefined
// behaviour. Screen resolution 96 ppi (BRISVALE_PPI); text in
// "Liberation Sans".
#include "objects/BusinessCardLabel.h"
#include "objects/LineShape.h"
#include "objects/Shapes.h"
#include "pageengine/PageCanvasEngine.h"
#include "platform/Errors.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectFiler.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <limits>

using namespace bv;

namespace {

constexpr int Big = std::numeric_limits<int>::max();
constexpr int Small = std::numeric_limits<int>::min();

struct Card {
    TGBusinessCardPanel32 panel;
    TGBusinessCardLabel* label = new TGBusinessCardLabel;
    TBCShapes* shape = new TBCShapes;
    TGLineShape* line = new TGLineShape;
    Card()
    {
        panel.resize(336, 192);
        for (TGGraphicControl* o : std::initializer_list<TGGraphicControl*>{label, shape, line}) {
            o->SetParent(&panel);
            o->SetBounds(10, 10, 120, 40);
            o->Loaded();
        }
        TFont f = label->Font();
        f.Name = QStringLiteral("Liberation Sans");
        label->SetFont(f);
        label->SetCaption(QStringLiteral("Extreme"));
        label->SetDirectionShadow(sdDownRight);
        label->SetDirectionHighlight(hdUpLeft);
    }
    QImage print()
    {
        QImage sheet(850, 1100, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        TCanvasPageEngine engine(&painter, TDeviceFacts{100, 100, 0, 0, 0, 8.5, 11});
        engine.OnPrint = [this](TPageEngine& e) { panel.PrintObjects(e, 1.0, 1.0); };
        engine.Execute();
        return sheet;
    }
};

using Change = std::function<void(Card&)>;

} // namespace

Q_DECLARE_METATYPE(Change)

class TestExtremeValues : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRISVALE_PPI", "96"); RegisterLabelClasses(); RegisterShapeClasses(); }

    void drawsAndPrints_data();
    void drawsAndPrints();
    void pasteAtTheLargestPosition();
    void captionLongerThanALineIsRefused();
};

void TestExtremeValues::drawsAndPrints_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("geometry at +2^31") << Change([](Card& c) {
        for (TGGraphicControl* o : std::initializer_list<TGGraphicControl*>{c.label, c.shape, c.line})
            o->SetBounds(Big, Big, Big, Big);
    });
    QTest::newRow("geometry at -2^31") << Change([](Card& c) {
        for (TGGraphicControl* o : std::initializer_list<TGGraphicControl*>{c.label, c.shape, c.line})
            o->SetBounds(Small, Small, Small, Small);
    });
    QTest::newRow("far position, ordinary size") << Change([](Card& c) {
        for (TGGraphicControl* o : std::initializer_list<TGGraphicControl*>{c.label, c.shape, c.line})
            o->SetBounds(Big - 10, Small + 10, 100, 40);
    });
    QTest::newRow("Font.Height -2^31") << Change([](Card& c) {
        TFont f = c.label->Font();
        f.Height = Small;
        c.label->SetFont(f);
    });
    QTest::newRow("Font.Height +2^31") << Change([](Card& c) {
        TFont f = c.label->Font();
        f.Height = Big;
        c.label->SetFont(f);
    });
    QTest::newRow("pen width 2^31") << Change([](Card& c) {
        TPen p = c.shape->Pen();
        p.Width = Big;
        c.shape->SetPen(p);
        c.line->SetPen(p);
    });
    QTest::newRow("pen width -2^31") << Change([](Card& c) {
        TPen p = c.shape->Pen();
        p.Width = Small;
        c.shape->SetPen(p);
        c.line->SetPen(p);
    });
    QTest::newRow("depths at +2^31") << Change([](Card& c) {
        c.label->SetDepthShadow(Big);
        c.label->SetDepthHighlight(Big);
    });
    QTest::newRow("depths at -2^31") << Change([](Card& c) {
        c.label->SetDepthShadow(Small);
        c.label->SetDepthHighlight(Small);
    });
}

void TestExtremeValues::drawsAndPrints()
{
    QFETCH(Change, change);
    Card card;
    change(card);
    for (float zoom : {1.0f, 1.5f}) {
        card.panel.SetZoom(zoom);
        QVERIFY(!card.panel.RenderToBitmap().isNull());
        QVERIFY(!card.print().isNull());
        card.panel.SetZoom(1.0f);
    }
    // Whatever the file said, what the objects hold stays in a drawable range.
    for (TGGraphicControl* o : std::initializer_list<TGGraphicControl*>{card.label, card.shape, card.line}) {
        QVERIFY(qAbs(qint64(o->Left()) + o->Width()) < (qint64(1) << 26));
        QVERIFY(qAbs(qint64(o->Top()) + o->Height()) < (qint64(1) << 26));
    }
}

void TestExtremeValues::pasteAtTheLargestPosition()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Clipbrd.tmp"));
    Card card;
    card.shape->SetBounds(Big, Big, 20, 20);
    TGLabelObjectFiler filer;
    filer.WriteObject(*card.shape, path);
    const auto pasted = filer.PasteInto(card.panel.Owner(), card.panel, path);
    QCOMPARE(pasted.size(), 1);
    QVERIFY(pasted.first()->Left() >= card.shape->Left());
    QVERIFY(!card.panel.RenderToBitmap().isNull());
}

void TestExtremeValues::captionLongerThanALineIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.qrd"));
    Card card;
    card.label->SetCaption(QString(40000, QLatin1Char('x')));
    TGLabelObjectFiler filer;
    filer.WriteObject(*card.label, path);
    try {
        filer.ReadInto(card.panel.Owner(), card.panel, path);
        QFAIL("a 40000-character caption was read");
    } catch (const EReadError& e) {
        QVERIFY(e.message().startsWith(QStringLiteral("Caption too long")));
    }
}

QTEST_MAIN(TestExtremeValues)
#include "tst_extreme_values.moc"
