// SuperText and CircleText in the object stream: their properties in stream
// order and a byte-for-byte round trip of a design holding several of each,
// textures included.
#include "effects/CircleText.h"
#include "effects/SuperText.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectFiler.h"
#include "surface/ObjectStream.h"

#include <QPainter>
#include <QTest>
#include <limits>

using namespace bv;

namespace {
QStringList propertyNames(const PropertyTable& table)
{
    QStringList names;
    for (const PropertyInfo& p : table.entries())
        names << QString::fromLatin1(p.name);
    return names;
}

QByteArray streamOf(const QList<TGGraphicControl*>& objects)
{
    QList<const TGGraphicControl*> list;
    for (auto* o : objects)
        list << o;
    return TGLabelObjectFiler::WriteStream(list);
}

Dib checkerTexture()
{
    QImage img(6, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            img.setPixel(x, y, (x + y) % 2 ? qRgb(200, 30, 40) : qRgb(10, 220, 90));
    return Dib::FromImage(img);
}
} // namespace

class TestEffectTextStream : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("BRISVALE_PPI", "96");
        RegisterEffectTextClasses();
    }
    void propertiesInStreamOrder();
    void roundTripByteForByte();
    void outlandishValuesKeptAndDrawn();
};

void TestEffectTextStream::propertiesInStreamOrder()
{
    const QStringList base = { "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint", "Locked", "Unselectable" };
    const QStringList font = { "Font.Color", "Font.Height", "Font.Name", "Font.Pitch", "Font.Style" };
    const QStringList superText = base + QStringList { "ShadowDepth", "ShadowOrientation", "Shadowcolor", "BorderStyle", "ControlTransparent",
            "BGColor", "Caption" }
            + font
            + QStringList { "FillDirection", "GradientToColor", "GradientFromColor", "Image.Data", "OutlineColor",
                "OutlineStyle", "OutlineWidth", "SurfaceType", "LastBitmapFileNameandPath" };
    QCOMPARE(propertyNames(TGSuperText::ClassProperties()), superText);
    const QStringList circleText = base + QStringList { "StartingVector", "Degrees", "PopupMenu" } + font
            + QStringList { "Mirror", "DrawLettersAngled", "BorderStyle", "ControlTransparent", "BGColor",
                "Caption", "OutlineColor", "OutlineWidth", "ShadowDepth", "ShadowOrientation", "Shadowcolor" };
    QCOMPARE(propertyNames(TGPCircleText::ClassProperties()), circleText);
}

void TestEffectTextStream::roundTripByteForByte()
{
    TGBusinessCardPanel32 source;
    int n = 0;
    auto add = [&](TGGraphicControl* o, int l, int t, int w, int h) {
        o->SetParent(&source);
        o->SetName(QStringLiteral("Component%1").arg(n++));
        o->SetBounds(l, t, w, h);
        o->Loaded();
    };
    // A SuperText as created, one of each other surface, with shadows.
    add(new TGSuperText, 0, 0, 142, 33);
    auto* textured = new TGSuperText;
    textured->SetSurfaceType(TGSuperText::stBrushImage);
    textured->SetImage(checkerTexture());
    textured->SetLastBitmapFileNameandPath(QStringLiteral("/cards/bmbrush/Tiles.bmp"));
    textured->SetShadowDepth(4);
    textured->SetShadowOrientation(sdLeft);
    textured->SetShadowColor(clMaroon);
    textured->SetCaption(QStringLiteral("Straße ✓"));
    add(textured, 5, 40, 300, 80);
    auto* normal = new TGSuperText;
    normal->SetSurfaceType(TGSuperText::stNormal);
    normal->SetOutlineStyle(psDash);
    normal->SetOutlineWidth(0);
    normal->SetBorderStyle(bsSingle);
    normal->SetControlTransparent(false);
    normal->SetBGColor(0x123456);
    TFont f = normal->Font();
    f.Name = QStringLiteral("Liberation Serif");
    f.Color = clNavy;
    f.Italic = true;
    normal->SetFont(f);
    add(normal, 20, 130, 200, 60);
    auto* hollow = new TGSuperText;
    hollow->SetSurfaceType(TGSuperText::stBrushTransparent);
    // Cleared after the surface: a design may hold hollow letters with no
    // outline, and reading must not put the outline back.
    hollow->SetOutlineStyle(psClear);
    hollow->SetFillDirection(gdUp);
    hollow->SetGradientFromColor(clLime);
    hollow->SetGradientToColor(clFuchsia);
    hollow->SetShadowDepth(2);
    hollow->SetShadowOrientation(sdDown);
    add(hollow, 40, 200, 120, 70);
    // CircleTexts: as created, and one with every property changed.
    add(new TGPCircleText, 300, 0, 142, 33);
    auto* circle = new TGPCircleText;
    circle->SetStartingVector(dg90);
    circle->SetDegrees(dg270);
    circle->SetMirror(true);
    circle->SetDrawLettersAngled(false);
    circle->SetBorderStyle(bsSingle);
    circle->SetControlTransparent(false);
    circle->SetBGColor(clYellow);
    circle->SetCaption(QStringLiteral("Round & round"));
    circle->SetLocked(true);
    add(circle, 310, 50, 160, 160);
    auto* empty = new TGPCircleText;
    empty->SetCaption(QString());
    add(empty, 320, 220, 50, 50);
    auto* emptySuper = new TGSuperText;
    emptySuper->SetCaption(QString());
    add(emptySuper, 320, 280, 50, 50);

    const QByteArray first = streamOf(source.Objects());
    const QString dump = DumpObjectStream(first);
    QVERIFY(dump.contains("stBrushImage"));
    QVERIFY(dump.contains("Image.Data"));

    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    const QList<TGGraphicControl*> read = filer.ReadStream(first, target, target);
    QCOMPARE(read.size(), 8);
    auto* t = qobject_cast<TGSuperText*>(read[1]);
    QVERIFY(t);
    QCOMPARE(t->SurfaceType(), TGSuperText::stBrushImage);
    QCOMPARE(t->Image(), checkerTexture());
    QCOMPARE(t->ShadowOffset(), QPoint(-4, 0));
    QCOMPARE(t->Caption(), QStringLiteral("Straße ✓"));
    auto* h = qobject_cast<TGSuperText*>(read[3]);
    QCOMPARE(h->OutlineStyle(), psClear);
    QCOMPARE(h->SurfaceType(), TGSuperText::stBrushTransparent);
    auto* c = qobject_cast<TGPCircleText*>(read[5]);
    QVERIFY(c);
    QCOMPARE(c->Degrees(), dg270);
    QVERIFY(c->Mirror() && !c->DrawLettersAngled() && c->Locked());
    // An empty caption, left out of the stream, comes back empty.
    QCOMPARE(qobject_cast<TGPCircleText*>(read[6])->Caption(), QString());
    QCOMPARE(qobject_cast<TGSuperText*>(read[7])->Caption(), QString());
    QCOMPARE(qobject_cast<TGPCircleText*>(read[4])->Caption(), QStringLiteral("ABC DEF GHI JKL"));

    QCOMPARE(streamOf(read), first);
}

void TestEffectTextStream::outlandishValuesKeptAndDrawn()
{
    // Values no dialog offers, as a damaged or hand-made file may hold them:
    // they read back as stored and drawing them neither fails nor hangs.
    TGBusinessCardPanel32 source;
    auto* t = new TGSuperText;
    t->SetParent(&source);
    t->SetName(QStringLiteral("Component0"));
    t->SetShadowOrientation(sdLeft);
    t->SetShadowDepth(std::numeric_limits<int>::min());
    t->SetOutlineWidth(std::numeric_limits<int>::max());
    TFont f = t->Font();
    f.Height = -2000000;
    t->SetFont(f);
    t->SetBounds(0, 0, 200000, 60000);
    t->Loaded();
    auto* c = new TGPCircleText;
    c->SetParent(&source);
    c->SetName(QStringLiteral("Component1"));
    c->SetFont(f);
    c->SetBounds(0, 0, 3, 2);
    c->Loaded();
    const QByteArray first = streamOf(source.Objects());

    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    const QList<TGGraphicControl*> read = filer.ReadStream(first, target, target);
    QCOMPARE(read.size(), 2);
    QCOMPARE(qobject_cast<TGSuperText*>(read[0])->ShadowDepth(), std::numeric_limits<int>::min());
    QCOMPARE(streamOf(read), first);
    QImage img(300, 200, QImage::Format_RGB32);
    for (TGGraphicControl* o : read) {
        QPainter p(&img);
        p.setClipRect(img.rect());
        o->PaintAt(p, 0, 0);
    }
    QVERIFY(qobject_cast<TGSuperText*>(read[0])->GradientBitmap().isNull());
}

QTEST_MAIN(TestEffectTextStream)
#include "tst_effecttext_stream.moc"
