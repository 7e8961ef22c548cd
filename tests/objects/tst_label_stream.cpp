// Text labels in the object stream: the published properties in their
// order with their defaults, byte-for-byte round trips through the object
// filer, and reading that neither turns a rotated label on its side nor
// counts as a change of the design.
#include "objects/BusinessCardLabel.h"
#include "surface/BusinessCardPanel.h"
#include "surface/ObjectFiler.h"
#include "surface/ObjectStream.h"

#include <QSignalSpy>
#include <QTest>

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

TGBusinessCardLabel* fancyLabel(TGBasePanel& panel)
{
    auto* l = new TGBusinessCardLabel;
    l->SetParent(&panel);
    // The name the reader gives the first object of a stream, so that the
    // stream read back writes the same bytes.
    l->SetName(QStringLiteral("Component0"));
    l->SetBounds(12, 34, 56, 78);
    TFont f;
    f.Name = QStringLiteral("Liberation Serif");
    f.SetSize(16);
    f.Color = clMaroon;
    f.Bold = true;
    f.Italic = true;
    l->SetFont(f);
    l->SetDepthHighlight(2);
    l->SetDepthShadow(3);
    l->SetDirectionHighlight(hdright);
    l->SetDirectionShadow(sdDownLeft);
    l->SetcolorHighlight(clFuchsia);
    l->SetcolorShadow(0x123456);
    l->SetAngle(90);
    l->SetCaption(QStringLiteral("Straße & Co. — ünïcødé ✓"));
    l->SetTransparent(false);
    l->SetBackColor(clSilver);
    l->SetBorderStyle(bsSingle);
    l->SetLocked(true);
    l->Loaded();
    return l;
}

} // namespace

class TestLabelStream : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("BRISVALE_PPI", "96");
        RegisterLabelClasses();
    }

    void propertiesInStreamOrder();
    void defaultsAreNotWritten();
    void roundTripByteForByte();
    void rotatedLabelKeepsItsBounds();
    void readingIsNotAChange();
    void badAngleInStreamKeepsPrevious();
};

void TestLabelStream::propertiesInStreamOrder()
{
    const QStringList expected = { "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint", "Locked",
        "Unselectable", "Alignment", "DepthHighlight", "DepthShadow", "DirectionHighlight", "DirectionShadow",
        "colorHighlight", "colorShadow", "Angle", "Caption", "Font.Color", "Font.Height", "Font.Name",
        "Font.Pitch", "Font.Style", "Transparent", "BackColor", "BorderStyle" };
    QCOMPARE(propertyNames(TGPLabel::ClassProperties()), expected);
    // The business-card label adds none of its own.
    TGBusinessCardLabel label;
    QCOMPARE(propertyNames(label.properties()), expected);
    QCOMPARE(label.ClassName(), QStringLiteral("TGBusinessCardLabel"));
    QVERIFY(label.InheritsClass("TGPLabel"));
    QVERIFY(label.InheritsClass("TGBaseLabel"));
    QVERIFY(!TGPLabel().InheritsClass("TGBusinessCardLabel"));
}

void TestLabelStream::defaultsAreNotWritten()
{
    TGBusinessCardPanel32 panel;
    auto* label = new TGPLabel;
    label->SetParent(&panel);
    label->Loaded();
    const QString dump = DumpObjectStream(streamOf({ label }));
    for (const char* omitted : { "Alignment", "DepthHighlight", "DepthShadow", "DirectionHighlight",
             "DirectionShadow", "colorHighlight", "colorShadow", "Angle" })
        QVERIFY2(!dump.contains(QLatin1String(omitted)), omitted);
    int at = 0;
    for (const char* written : { "Caption", "Font.Color", "Font.Height", "Font.Name", "Transparent", "BackColor",
             "BorderStyle" }) {
        const int i = dump.indexOf(QLatin1String(written), at);
        QVERIFY2(i >= 0, written);
        at = i;
    }
    QVERIFY(dump.contains("bsNone"));
    QVERIFY(dump.contains("TGPLabel"));

    // Non-default values are written by name, including the lower-case hdright.
    label->SetDirectionHighlight(hdright);
    label->SetAlignment(taCenter);
    const QString changed = DumpObjectStream(streamOf({ label }));
    QVERIFY(changed.contains("hdright"));
    QVERIFY(changed.contains("taCenter"));
}

void TestLabelStream::roundTripByteForByte()
{
    TGBusinessCardPanel32 source;
    fancyLabel(source);
    auto* plain = new TGPLabel;
    plain->SetParent(&source);
    plain->SetName(QStringLiteral("Component1"));
    // An empty caption is left out of the stream; it must come back empty.
    plain->SetCaption(QString());
    plain->Loaded();
    const QByteArray first = streamOf(source.Objects());

    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    const QList<TGGraphicControl*> read = filer.ReadStream(first, target, target);
    QCOMPARE(read.size(), 2);
    auto* l = qobject_cast<TGBusinessCardLabel*>(read[0]);
    QVERIFY(l);
    QVERIFY(qobject_cast<TGPLabel*>(read[1]) && !qobject_cast<TGBusinessCardLabel*>(read[1]));
    QCOMPARE(l->Caption(), QStringLiteral("Straße & Co. — ünïcødé ✓"));
    QCOMPARE(l->Angle(), 90);
    QCOMPARE(l->DirectionShadow(), sdDownLeft);
    QCOMPARE(l->ShadowOffset(), QPoint(-3, 3));
    QCOMPARE(l->HighlightOffset(), QPoint(2, 0));
    QCOMPARE(l->colorShadow(), TColor(0x123456));
    QCOMPARE(l->Font().Name, QStringLiteral("Liberation Serif"));
    QVERIFY(l->Font().Bold && l->Font().Italic);
    QCOMPARE(l->BorderStyle(), bsSingle);
    QVERIFY(!l->Transparent());
    QVERIFY(l->Locked());
    QCOMPARE(l->BoundsRect(), TRect(12, 34, 68, 112));
    QCOMPARE(read[1]->properties().find("Caption")->get(*read[1]).s, QString());

    const QByteArray second = streamOf(read);
    QCOMPARE(second, first);
}

void TestLabelStream::rotatedLabelKeepsItsBounds()
{
    // A short caption at 90 degrees is laid out wider than tall; reading it
    // back must not swap its sides.
    TGBusinessCardPanel32 source;
    auto* label = new TGBusinessCardLabel;
    label->SetParent(&source);
    label->SetName(QStringLiteral("Component0"));
    label->SetCaption(QStringLiteral("A"));
    label->SetAngle(90);
    // Possible at an angle, without visible effect; it is kept in the file.
    label->SetAlignment(taCenter);
    label->Loaded();
    label->CalcTextLayout();
    QVERIFY(label->Height() < label->Width());
    const TRect bounds = label->BoundsRect();
    const QByteArray bytes = streamOf(source.Objects());

    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    const auto read = filer.ReadStream(bytes, target, target);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read[0]->BoundsRect(), bounds);
    QCOMPARE(static_cast<TGBusinessCardLabel*>(read[0])->Alignment(), taCenter);
    QCOMPARE(streamOf(read), bytes);
}

void TestLabelStream::readingIsNotAChange()
{
    TGBusinessCardPanel32 source;
    fancyLabel(source);
    const QByteArray bytes = streamOf(source.Objects());
    TGBusinessCardPanel32 target;
    QSignalSpy changed(&target, &TGBasePanel::LabelChangedEvent);
    TGLabelObjectFiler filer;
    filer.ReadStream(bytes, target, target);
    QCOMPARE(changed.count(), 0);
}

void TestLabelStream::badAngleInStreamKeepsPrevious()
{
    TGBusinessCardPanel32 source;
    auto* label = new TGPLabel;
    label->SetParent(&source);
    label->SetAngle(90);
    label->Loaded();
    QByteArray bytes = streamOf(source.Objects());
    // Angle 90 is written as a one-byte integer (0x02 0x5A); make it 45.
    const QByteArray name = QByteArray("\x05") + "Angle";
    const int at = bytes.indexOf(name);
    QVERIFY(at > 0);
    QCOMPARE(int(quint8(bytes[at + name.size()])), 0x02);
    QCOMPARE(int(quint8(bytes[at + name.size() + 1])), 90);
    bytes[at + name.size() + 1] = char(45);
    TGBusinessCardPanel32 target;
    TGLabelObjectFiler filer;
    const auto read = filer.ReadStream(bytes, target, target);
    QCOMPARE(read.size(), 1);
    QCOMPARE(static_cast<TGPLabel*>(read[0])->Angle(), 0); // the constructed value
}

QTEST_MAIN(TestLabelStream)
#include "tst_label_stream.moc"
