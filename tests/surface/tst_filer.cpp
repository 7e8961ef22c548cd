// The object filer over property tables: which entries are written and how,
// how records are read back into a panel (names, offsets, load completion,
// failures), and the file-level guarantees. A test class carries one property
// of every kind so the filer is exercised independently of the real objects.
#include "surface/ObjectFiler.h"

#include "platform/Colors.h"
#include "surface/BasePanel.h"
#include "surface/ClassRegistry.h"
#include "surface/GraphicControl.h"
#include "surface/Handle.h"
#include "surface/ObjectStream.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace bv;

namespace {

class TTestObject;
QList<TTestObject*> loadOrder;
int objectsAtFirstLoad = -1;

class TTestObject : public TGGraphicControl {
public:
    QString ClassName() const override { return QStringLiteral("TTestObject"); }
    bool InheritsClass(const QString& name) const override
    {
        return name.compare(ClassName(), Qt::CaseInsensitive) == 0 || TGGraphicControl::InheritsClass(name);
    }
    const PropertyTable& properties() const override { return ClassProperties(); }
    static const PropertyTable& ClassProperties();

    void Loaded() override
    {
        TGGraphicControl::Loaded();
        if (loadOrder.isEmpty() && Parent())
            objectsAtFirstLoad = Parent()->ObjectCount();
        loadOrder.append(this);
    }

    bool transparent = false;
    std::int64_t brushColor = clWhite;
    std::int64_t penColor = clBlack;
    int penWidth = 1;
    QString penStyle = QStringLiteral("psSolid");
    QStringList fontStyle;
    long double ratio = 0;
    QString caption;
    QString accel = QStringLiteral("&");
    QStringList lines;
    QByteArray glyph;
    QByteArray picture;
    QByteArray rich;
    QString buddy;
    bool failOnWrite = false;
};

TTestObject& self(TGGraphicControl& o) { return static_cast<TTestObject&>(o); }
const TTestObject& self(const TGGraphicControl& o) { return static_cast<const TTestObject&>(o); }

const PropertyTable& TTestObject::ClassProperties()
{
    static const PropertyTable table = PropertyTable::extend(TGGraphicControl::ClassProperties(), {
        { "Transparent", PropertyKind::Bool, std::nullopt,
            [](const TGGraphicControl& o) { return Value::boolean(self(o).transparent); },
            [](TGGraphicControl& o, const Value& v) { self(o).transparent = expectBool(v); } },
        { "Brush.Color", PropertyKind::Colour, Value::integer(clWhite),
            [](const TGGraphicControl& o) { return Value::integer(self(o).brushColor); },
            [](TGGraphicControl& o, const Value& v) { self(o).brushColor = expectInt(v); } },
        { "Pen.Color", PropertyKind::Colour, Value::integer(clBlack),
            [](const TGGraphicControl& o) {
                if (self(o).failOnWrite)
                    throw EWriteError(QStringLiteral("disk full"));
                return Value::integer(self(o).penColor);
            },
            [](TGGraphicControl& o, const Value& v) { self(o).penColor = expectInt(v); } },
        { "Pen.Style", PropertyKind::Enum, Value::ident(QStringLiteral("psSolid")),
            [](const TGGraphicControl& o) { return Value::ident(self(o).penStyle); },
            [](TGGraphicControl& o, const Value& v) { self(o).penStyle = expectIdent(v); } },
        { "Pen.Width", PropertyKind::Integer, Value::integer(1),
            [](const TGGraphicControl& o) { return Value::integer(self(o).penWidth); },
            [](TGGraphicControl& o, const Value& v) { self(o).penWidth = static_cast<int>(expectInt(v)); } },
        { "Font.Style", PropertyKind::Set, std::nullopt,
            [](const TGGraphicControl& o) { return Value::set(self(o).fontStyle); },
            [](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::Set)
                    throw EReadError(QStringLiteral("Invalid property value"));
                self(o).fontStyle = v.names;
            } },
        { "Ratio", PropertyKind::Float, std::nullopt,
            [](const TGGraphicControl& o) { return Value::real(self(o).ratio); },
            [](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::Float)
                    throw EReadError(QStringLiteral("Invalid property value"));
                self(o).ratio = v.f;
            } },
        { "Caption", PropertyKind::String, std::nullopt,
            [](const TGGraphicControl& o) { return Value::string(self(o).caption); },
            [](TGGraphicControl& o, const Value& v) { self(o).caption = expectString(v); } },
        { "Accel", PropertyKind::Char, Value::string(QStringLiteral("&")),
            [](const TGGraphicControl& o) { return Value::string(self(o).accel); },
            [](TGGraphicControl& o, const Value& v) { self(o).accel = expectString(v); } },
        { "Lines.Strings", PropertyKind::Strings, std::nullopt,
            [](const TGGraphicControl& o) { return Value::list(self(o).lines); },
            [](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::List)
                    throw EReadError(QStringLiteral("Invalid property value"));
                self(o).lines = v.names;
            } },
        { "Glyph.Data", PropertyKind::Bitmap, std::nullopt,
            [](const TGGraphicControl& o) { return Value::binary(self(o).glyph); },
            [](TGGraphicControl& o, const Value& v) { self(o).glyph = v.bytes; } },
        { "Picture.Data", PropertyKind::Picture, std::nullopt,
            [](const TGGraphicControl& o) { return self(o).picture.isEmpty() ? Value::null() : Value::binary(self(o).picture); },
            [](TGGraphicControl& o, const Value& v) { self(o).picture = v.bytes; } },
        { "RichData", PropertyKind::Binary, std::nullopt,
            [](const TGGraphicControl& o) { return Value::binary(self(o).rich); },
            [](TGGraphicControl& o, const Value& v) { self(o).rich = v.bytes; } },
        { "Buddy", PropertyKind::Reference, std::nullopt,
            [](const TGGraphicControl& o) { return Value::ident(self(o).buddy); },
            [](TGGraphicControl& o, const Value& v) { self(o).buddy = v.isNull() ? QString() : expectIdent(v); } },
    });
    return table;
}

QByteArray str(const char* s)
{
    QByteArray b(s);
    return char(b.size()) + b;
}

QByteArray header(const char* cls, const char* name)
{
    return QByteArray("TPF0") + str(cls) + str(name);
}

// The always-written entries of a default test object at (l, t, w, h).
QByteArray basics(int l, int t, int w, int h)
{
    QByteArray b;
    b += str("Left") + char(0x02) + char(l);
    b += str("Top") + char(0x02) + char(t);
    b += str("Width") + char(0x02) + char(w);
    b += str("Height") + char(0x02) + char(h);
    b += str("Locked") + char(0x08);
    b += str("Unselectable") + char(0x08);
    b += str("Transparent") + char(0x08);
    b += str("Font.Style") + char(0x0B) + char(0);
    return b;
}

// Answers "taken" for every name in the set, and for all Component names
// when told so.
class FakeOwner : public NameRegistry {
public:
    QStringList taken;
    bool allComponents = false;
    bool IsNameTaken(const QString& name) const override
    {
        if (allComponents && name.startsWith(QLatin1String("Component")))
            return true;
        return taken.contains(name, Qt::CaseInsensitive);
    }
};

QString readError(TGLabelObjectFiler& filer, const QByteArray& data, TGBasePanel& panel)
{
    try {
        filer.ReadStream(data, panel.Owner(), panel);
    } catch (const EReadError& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

class TestFiler : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void defaultObjectWritesOnlyWhatIsAlwaysStored();
    void everyKindIsWrittenAsDocumented();
    void everyKindReadsBackUnchanged();
    void colourAndCursorNamesAreReadAsNumbers();
    void objectsAreRenamedComponentN();
    void storedNameOnlyWhenAllNamesAreTaken();
    void pasteMovesEveryObject();
    void loadCompletionRunsAfterAllObjectsInOrder();
    void referencesFollowRenaming();
    void eventHandlerNamesAreIgnored();
    void malformedRecordsFail_data();
    void malformedRecordsFail();
    void failureKeepsEarlierObjectsAndFreesTheCurrentOne();
    void fileLevelBehaviour();
    void failedWriteKeepsThePreviousFile();
    void duplicateMakesAnIndependentCopy();
    void installedAsThePanelsFiler();
    void memoryFollowsTheStreamsSize_data();
    void memoryFollowsTheStreamsSize();

private:
    QTemporaryDir dir;
};

void TestFiler::initTestCase()
{
    qputenv("BRISVALE_HOME", dir.path().toLocal8Bit());
    qputenv("BRISVALE_PPI", "96");
    RegisterObjectClass(QStringLiteral("TTestObject"), [] { return new TTestObject; });
}

void TestFiler::init()
{
    loadOrder.clear();
    objectsAtFirstLoad = -1;
}

void TestFiler::defaultObjectWritesOnlyWhatIsAlwaysStored()
{
    TTestObject o;
    o.SetName(QStringLiteral("Special1"));
    o.SetBounds(10, 20, 30, 40);
    QByteArray expected = QByteArray(1, 0x01) + header("TTestObject", "Special1") + basics(10, 20, 30, 40)
        + QByteArray(2, 0) + QByteArray(1, 0);
    QCOMPARE(TGLabelObjectFiler::WriteStream({&o}).toHex(' '), expected.toHex(' '));
    QCOMPARE(TGLabelObjectFiler::WriteStream({}), QByteArray("\x01\x00", 2));
}

void TestFiler::everyKindIsWrittenAsDocumented()
{
    TTestObject o;
    o.SetName(QStringLiteral("X"));
    o.SetTag(5);
    o.SetBounds(-129, 127, 128, 40000);
    o.SetCursor(-21);
    o.SetHint(QStringLiteral("hint"));
    o.SetLocked(true);
    o.brushColor = 0x123456;
    o.penColor = clRed;
    o.penWidth = 1; // default: omitted
    o.penStyle = QStringLiteral("psDot");
    o.fontStyle = QStringList{QStringLiteral("fsBold"), QStringLiteral("fsUnderline")};
    o.ratio = 1.5L;
    o.caption = QString(300, QLatin1Char('c'));
    o.accel = QStringLiteral("K");
    o.lines = QStringList{QStringLiteral("a"), QString::fromUtf8("\u0418")};
    o.glyph = QByteArray("BMxyz");
    o.picture = QByteArray("\x07TBitmap\x00\x00\x00\x00", 12);
    o.rich = QByteArray("{\\rtf1}");
    o.buddy = QStringLiteral("Other");

    QByteArray e = header("TTestObject", "X");
    e += str("Tag") + QByteArray("\x02\x05", 2);
    e += str("Left") + QByteArray("\x03\x7F\xFF", 3);
    e += str("Top") + QByteArray("\x02\x7F", 2);
    e += str("Width") + QByteArray("\x03\x80\x00", 3);
    e += str("Height") + QByteArray("\x04\x40\x9C\x00\x00", 5);
    e += str("Cursor") + char(0x07) + str("crHandPoint");
    e += str("Hint") + char(0x06) + str("hint");
    e += str("Locked") + char(0x09);
    e += str("Unselectable") + char(0x08);
    e += str("Transparent") + char(0x08);
    e += str("Brush.Color") + QByteArray("\x04\x56\x34\x12\x00", 5);
    e += str("Pen.Color") + char(0x07) + str("clRed");
    e += str("Pen.Style") + char(0x07) + str("psDot");
    e += str("Font.Style") + char(0x0B) + str("fsBold") + str("fsUnderline") + char(0);
    e += str("Ratio") + QByteArray("\x05\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 11);
    e += str("Caption") + QByteArray("\x0C\x2C\x01\x00\x00", 5) + QByteArray(300, 'c');
    e += str("Accel") + char(0x06) + str("K");
    e += str("Lines.Strings") + char(0x01) + char(0x06) + str("a") + QByteArray("\x14\x02\x00\x00\x00\xD0\x98", 7)
        + char(0);
    e += str("Glyph.Data") + QByteArray("\x0A\x09\x00\x00\x00\x05\x00\x00\x00", 9) + QByteArray("BMxyz");
    e += str("Picture.Data") + QByteArray("\x0A\x0C\x00\x00\x00", 5) + o.picture;
    e += str("RichData") + QByteArray("\x0A\x07\x00\x00\x00", 5) + o.rich;
    e += str("Buddy") + char(0x07) + str("Other");
    e += QByteArray(2, 0);

    QByteArray out;
    ObjectWriter w(out);
    TGLabelObjectFiler::WriteRecord(w, o);
    QCOMPARE(out.toHex(' '), e.toHex(' '));

    // System colours are stored as 0x8000000n; their names are written.
    o.penColor = 0x80000005u;
    out.clear();
    TGLabelObjectFiler::WriteRecord(w, o);
    QVERIFY(out.contains(str("Pen.Color") + char(0x07) + str("clWindow")));
    o.penColor = static_cast<std::int32_t>(0x80000005u);
    QByteArray again;
    ObjectWriter w2(again);
    TGLabelObjectFiler::WriteRecord(w2, o);
    QCOMPARE(again, out);
}

void TestFiler::everyKindReadsBackUnchanged()
{
    TGBasePanel panel;
    TTestObject o;
    o.SetName(QStringLiteral("Special9"));
    o.SetTag(-7);
    o.SetBounds(3, 4, 50, 60);
    o.SetCursor(17); // no name: a number
    o.SetHint(QString::fromUtf8("\u6771\u4eac"));
    o.SetUnselectable(true);
    o.transparent = true;
    o.brushColor = clNone;
    o.penColor = 0x00ABCDEF;
    o.penWidth = -3;
    o.penStyle = QStringLiteral("psClear");
    o.ratio = -1.0L / 3.0L;
    o.caption = QStringLiteral("It's");
    o.lines = QStringList{QStringLiteral("one"), QString(), QString(400, QLatin1Char('z'))};
    o.glyph = QByteArray(1000, '\x11');
    o.picture = QByteArray("\x09TMetafile\x03\x00\x00\x00" "abc", 17);
    o.rich = QByteArray(3, '\0');

    TGLabelObjectFiler filer;
    const QByteArray first = TGLabelObjectFiler::WriteStream({&o});
    QList<TGGraphicControl*> read = filer.ReadStream(first, panel.Owner(), panel);
    QCOMPARE(read.size(), 1);
    auto* copy = dynamic_cast<TTestObject*>(read[0]);
    QVERIFY(copy);
    QCOMPARE(copy->Name(), QStringLiteral("Component0"));
    QCOMPARE(copy->BoundsRect(), o.BoundsRect());
    QCOMPARE(copy->Tag(), -7);
    QCOMPARE(copy->Cursor(), 17);
    QCOMPARE(copy->Hint(), o.Hint());
    QVERIFY(copy->Unselectable());
    QCOMPARE(copy->brushColor, std::int64_t(clNone));
    QCOMPARE(copy->penColor, std::int64_t(0x00ABCDEF));
    QCOMPARE(copy->penWidth, -3);
    QCOMPARE(copy->penStyle, o.penStyle);
    QVERIFY(copy->ratio == o.ratio);
    QCOMPARE(copy->lines, o.lines);
    QCOMPARE(copy->glyph, o.glyph);
    QCOMPARE(copy->picture, o.picture);
    QCOMPARE(copy->rich, o.rich);
    QVERIFY(!copy->IsLoading());
    QVERIFY(!copy->IsReading());

    // Written again under its stored name, the bytes are the same.
    copy->SetName(o.Name());
    QCOMPARE(TGLabelObjectFiler::WriteStream({copy}).toHex(), first.toHex());
}

void TestFiler::colourAndCursorNamesAreReadAsNumbers()
{
    TGBasePanel panel;
    QByteArray rec = header("TTestObject", "A") + str("Cursor") + char(0x07) + str("crArrow") + str("Brush.Color")
        + char(0x07) + str("clbtnface") + str("Pen.Color") + QByteArray("\x04\x05\x00\x00\x80", 5) + QByteArray(2, 0);
    TGLabelObjectFiler filer;
    auto read = filer.ReadStream(char(0x01) + rec + char(0), panel.Owner(), panel);
    auto* o = static_cast<TTestObject*>(read[0]);
    QCOMPARE(o->Cursor(), -2);
    QCOMPARE(o->brushColor, std::int64_t(clBtnFace));
    QCOMPARE(o->penColor, std::int64_t(clWindow));
}

void TestFiler::objectsAreRenamedComponentN()
{
    TGBasePanel panel;
    FakeOwner owner;
    owner.taken = QStringList{QStringLiteral("Component0"), QStringLiteral("component2")};
    QByteArray data = QByteArray(1, 0x01) + header("TTestObject", "Component0") + basics(1, 1, 1, 1)
        + QByteArray(2, 0) + header("TTestObject", "Special1") + basics(2, 2, 2, 2) + QByteArray(2, 0)
        + header("TTestObject", "Special1") + basics(3, 3, 3, 3) + QByteArray(2, 0) + char(0);
    TGLabelObjectFiler filer;
    auto read = filer.ReadStream(data, owner, panel);
    QCOMPARE(read.size(), 3);
    QCOMPARE(read[0]->Name(), QStringLiteral("Component1"));
    QCOMPARE(read[1]->Name(), QStringLiteral("Component3"));
    QCOMPARE(read[2]->Name(), QStringLiteral("Component4"));
    QCOMPARE(panel.ObjectCount(), 3);

    // With the panel as the owner, the objects already on it count.
    auto more = filer.ReadStream(data, panel.Owner(), panel);
    QCOMPARE(more[0]->Name(), QStringLiteral("Component0"));
    QCOMPARE(more[1]->Name(), QStringLiteral("Component2"));
    QCOMPARE(more[2]->Name(), QStringLiteral("Component5"));
}

void TestFiler::storedNameOnlyWhenAllNamesAreTaken()
{
    TGBasePanel panel;
    FakeOwner owner;
    owner.allComponents = true;
    QByteArray data = QByteArray(1, 0x01) + header("TTestObject", "Special7") + basics(1, 1, 1, 1)
        + QByteArray(2, 0) + char(0);
    TGLabelObjectFiler filer;
    auto read = filer.ReadStream(data, owner, panel);
    QCOMPARE(read[0]->Name(), QStringLiteral("Special7"));
}

void TestFiler::pasteMovesEveryObject()
{
    TGBasePanel panel;
    TTestObject a;
    a.SetName(QStringLiteral("A"));
    a.SetBounds(10, 20, 30, 40);
    TTestObject b;
    b.SetName(QStringLiteral("B"));
    b.SetBounds(-5, 0, 1, 1);
    const QString path = dir.filePath(QStringLiteral("paste.tmp"));
    TGLabelObjectFiler filer;
    filer.WriteObjects({&a, &b}, path);
    auto first = filer.PasteInto(panel.Owner(), panel, path);
    auto second = filer.PasteInto(panel.Owner(), panel, path);
    QCOMPARE(first.size(), 2);
    QCOMPARE(first[0]->BoundsRect(), TRect::FromBounds(25, 35, 30, 40));
    QCOMPARE(first[1]->BoundsRect(), TRect::FromBounds(10, 15, 1, 1));
    // Both pastes are offset from the stored positions, so they coincide.
    QCOMPARE(second[0]->BoundsRect(), first[0]->BoundsRect());
    QCOMPARE(second[1]->BoundsRect(), first[1]->BoundsRect());
    QVERIFY(!filer.PasteOffsetOn());
    // Reading without the offset keeps the stored positions.
    auto plain = filer.ReadInto(panel.Owner(), panel, path);
    QCOMPARE(plain[0]->BoundsRect(), a.BoundsRect());
    QCOMPARE(panel.ObjectCount(), 6);
}

void TestFiler::loadCompletionRunsAfterAllObjectsInOrder()
{
    TGBasePanel panel;
    QByteArray data(1, 0x01);
    for (int k = 0; k < 4; ++k)
        data += header("TTestObject", "S") + basics(k, k, 5, 5) + QByteArray(2, 0);
    data += char(0);
    TGLabelObjectFiler filer;
    auto read = filer.ReadStream(data, panel.Owner(), panel);
    QCOMPARE(objectsAtFirstLoad, 4);
    QCOMPARE(loadOrder.size(), 4);
    for (int k = 0; k < 4; ++k) {
        QCOMPARE(static_cast<TGGraphicControl*>(loadOrder[k]), read[k]);
        QVERIFY(read[k]->ContextMenu() != nullptr);
    }
    // Child order is reading order.
    QCOMPARE(panel.Objects(), read);
}

void TestFiler::referencesFollowRenaming()
{
    TGBasePanel panel;
    QByteArray data = QByteArray(1, 0x01) + header("TTestObject", "First") + basics(1, 1, 1, 1)
        + str("Buddy") + char(0x07) + str("Second") + QByteArray(2, 0)
        + header("TTestObject", "Second") + basics(2, 2, 2, 2) + str("Buddy") + char(0x07) + str("Elsewhere")
        + QByteArray(2, 0) + header("TTestObject", "Third") + basics(2, 2, 2, 2) + str("Buddy") + char(0x0D)
        + QByteArray(2, 0) + char(0);
    TGLabelObjectFiler filer;
    auto read = filer.ReadStream(data, panel.Owner(), panel);
    QCOMPARE(static_cast<TTestObject*>(read[0])->buddy, read[1]->Name());
    QCOMPARE(static_cast<TTestObject*>(read[1])->buddy, QStringLiteral("Elsewhere"));
    QCOMPARE(static_cast<TTestObject*>(read[2])->buddy, QString());
}

void TestFiler::eventHandlerNamesAreIgnored()
{
    TGBasePanel panel;
    QByteArray data = QByteArray(1, 0x01) + header("TTestObject", "A") + basics(1, 1, 1, 1) + str("OnClick")
        + char(0x07) + str("Form1Click") + str("OnMouseDown") + char(0x07) + str("X") + QByteArray(2, 0) + char(0);
    TGLabelObjectFiler filer;
    QCOMPARE(filer.ReadStream(data, panel.Owner(), panel).size(), 1);
}

void TestFiler::malformedRecordsFail_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("kept");
    const QByteArray start(1, 0x01);
    const QByteArray tail = QByteArray(2, 0) + char(0);
    QTest::newRow("unknown class") << (start + header("TForm1", "A") + tail) << QStringLiteral("Class TForm1 not found") << 0;
    QTest::newRow("bad signature") << (start + QByteArray("TPF9") + str("TTestObject") + str("A") + tail)
                                   << QStringLiteral("Invalid stream format") << 0;
    QTest::newRow("unknown property") << (start + header("TTestObject", "A") + str("Colour") + QByteArray("\x02\x01", 2) + tail)
                                      << QStringLiteral("Property does not exist") << 0;
    QTest::newRow("event name with a number") << (start + header("TTestObject", "A") + str("OnClick") + QByteArray("\x02\x01", 2) + tail)
                                              << QStringLiteral("Property does not exist") << 0;
    QTest::newRow("string for an integer") << (start + header("TTestObject", "A") + str("Left") + char(0x06) + str("10") + tail)
                                           << QStringLiteral("Invalid property value") << 0;
    QTest::newRow("unknown colour name") << (start + header("TTestObject", "A") + str("Pen.Color") + char(0x07) + str("clPink") + tail)
                                         << QStringLiteral("Invalid property value") << 0;
    QTest::newRow("unknown cursor name") << (start + header("TTestObject", "A") + str("Cursor") + char(0x07) + str("crBogus") + tail)
                                         << QStringLiteral("Invalid property value") << 0;
    QTest::newRow("integer beyond 32 bits") << (start + header("TTestObject", "A") + str("Left") + QByteArray("\x13\0\0\0\0\1\0\0\0", 9) + tail)
                                            << QStringLiteral("Invalid property value") << 0;
    QTest::newRow("bitmap size beyond data") << (start + header("TTestObject", "A") + str("Glyph.Data")
                                                 + QByteArray("\x0A\x06\x00\x00\x00\x10\x00\x00\x00" "BM", 11) + tail)
                                             << QStringLiteral("Invalid property value") << 0;
    QTest::newRow("bitmap without size") << (start + header("TTestObject", "A") + str("Glyph.Data") + QByteArray("\x0A\x02\x00\x00\x00" "BM", 7) + tail)
                                         << QStringLiteral("Invalid property value") << 0;
    QTest::newRow("collection for a list") << (start + header("TTestObject", "A") + str("Lines.Strings") + QByteArray("\x0E\x00", 2) + tail)
                                           << QStringLiteral("Invalid property value") << 0;
    QTest::newRow("reference as a number") << (start + header("TTestObject", "A") + str("Buddy") + QByteArray("\x02\x01", 2) + tail)
                                           << QStringLiteral("Invalid property value") << 0;
    QTest::newRow("ends in a record") << (start + header("TTestObject", "A") + str("Left")) << QStringLiteral("Stream read error") << 0;
    QTest::newRow("ends after a record") << (start + header("TTestObject", "A") + QByteArray(2, 0)) << QStringLiteral("Stream read error") << 1;
    QTest::newRow("children") << (start + header("TTestObject", "A") + char(0) + header("TTestObject", "B") + tail)
                              << QStringLiteral("Invalid stream format") << 0;
}

void TestFiler::malformedRecordsFail()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    QFETCH(int, kept);
    TGBasePanel panel;
    TGLabelObjectFiler filer;
    QCOMPARE(readError(filer, data, panel), message);
    QCOMPARE(panel.ObjectCount(), kept);
}

void TestFiler::failureKeepsEarlierObjectsAndFreesTheCurrentOne()
{
    TGBasePanel panel;
    QByteArray data = QByteArray(1, 0x01) + header("TTestObject", "A") + basics(1, 1, 1, 1) + QByteArray(2, 0)
        + header("TTestObject", "B") + basics(2, 2, 2, 2) + QByteArray(2, 0)
        + header("TTestObject", "C") + basics(3, 3, 3, 3) + str("Nope") + char(0x08) + QByteArray(2, 0) + char(0);
    TGLabelObjectFiler filer;
    QCOMPARE(readError(filer, data, panel), QStringLiteral("Property does not exist"));
    QCOMPARE(panel.ObjectCount(), 2);
    QCOMPARE(panel.Objects()[0]->Left(), 1);
    QCOMPARE(panel.Objects()[1]->Left(), 2);
    // The objects that stay are complete.
    QCOMPARE(loadOrder.size(), 2);
    QVERIFY(!panel.Objects()[1]->IsLoading());
}

void TestFiler::fileLevelBehaviour()
{
    TGBasePanel panel;
    TGLabelObjectFiler filer;
    // A missing file reads nothing.
    QVERIFY(filer.ReadInto(panel.Owner(), panel, dir.filePath(QStringLiteral("none.qrd"))).isEmpty());
    QVERIFY(filer.PasteInto(panel.Owner(), panel, dir.filePath(QStringLiteral("none.qrd"))).isEmpty());

    // An empty design is two bytes and reads back as an empty card.
    const QString empty = dir.filePath(QStringLiteral("empty.qrd"));
    filer.WritePanel(panel, empty);
    QFile f(empty);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("\x01\x00", 2));
    f.close();
    QVERIFY(filer.ReadInto(panel.Owner(), panel, empty).isEmpty());

    // A selection is written in selection order; no selection writes nothing.
    auto* a = new TTestObject;
    a->SetName(QStringLiteral("A"));
    a->SetParent(&panel);
    auto* b = new TTestObject;
    b->SetName(QStringLiteral("B"));
    b->SetParent(&panel);
    const QString sel = dir.filePath(QStringLiteral("sel.tmp"));
    filer.WriteSelection(panel.Handle(), sel);
    QVERIFY(!QFile::exists(sel));
    panel.Handle().AddToSelection(b);
    panel.Handle().AddToSelection(a);
    filer.WriteSelection(panel.Handle(), sel);
    QFile s(sel);
    QVERIFY(s.open(QIODevice::ReadOnly));
    QCOMPARE(s.readAll(), TGLabelObjectFiler::WriteStream({b, a}));

    // A file that exists but is no design.
    const QString bogus = dir.filePath(QStringLiteral("bogus.qrd"));
    QFile g(bogus);
    QVERIFY(g.open(QIODevice::WriteOnly));
    g.write("BM\x36\x00");
    g.close();
    QVERIFY_THROWS_EXCEPTION(EReadError, filer.ReadInto(panel.Owner(), panel, bogus));
}

void TestFiler::failedWriteKeepsThePreviousFile()
{
    TGBasePanel panel;
    TGLabelObjectFiler filer;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("card.qrd"));
    TTestObject o;
    o.SetName(QStringLiteral("A"));
    filer.WriteObject(o, path);
    const QByteArray before = TGLabelObjectFiler::WriteStream({&o});

    o.failOnWrite = true;
    QVERIFY_THROWS_EXCEPTION(EWriteError, filer.WriteObject(o, path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    // Nothing else is left in the folder.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("card.qrd")});

    // A folder that does not exist.
    o.failOnWrite = false;
    try {
        filer.WriteObject(o, folder.filePath(QStringLiteral("no/such/card.qrd")));
        QFAIL("no error");
    } catch (const EWriteError& e) {
        QVERIFY(e.message().startsWith(QStringLiteral("Unable to write to ")));
    }
}

void TestFiler::duplicateMakesAnIndependentCopy()
{
    TGBasePanel panel;
    auto* o = new TTestObject;
    o->SetName(QStringLiteral("Special1"));
    o->SetParent(&panel);
    o->SetBounds(40, 40, 20, 20);
    o->caption = QStringLiteral("source");
    TGLabelObjectFiler filer;
    filer.SetPasteOffset(true); // a clone is never offset
    TGGraphicControl* copy = filer.Duplicate(*o, panel.Owner(), panel);
    QVERIFY(filer.PasteOffsetOn());
    QVERIFY(copy && copy != o);
    QCOMPARE(copy->Name(), QStringLiteral("Component0"));
    QCOMPARE(copy->BoundsRect(), o->BoundsRect());
    QCOMPARE(static_cast<TTestObject*>(copy)->caption, QStringLiteral("source"));
    QCOMPARE(panel.Objects().last(), copy);
    o->caption = QStringLiteral("changed");
    QCOMPARE(static_cast<TTestObject*>(copy)->caption, QStringLiteral("source"));
}

void TestFiler::installedAsThePanelsFiler()
{
    QCOMPARE(PanelFiler::Current(), static_cast<PanelFiler*>(&TGLabelObjectFiler::Default()));

    // Clone through the object's own command: on top, 25 pixels lower.
    TGBasePanel panel;
    auto* o = new TTestObject;
    o->SetName(QStringLiteral("Special1"));
    o->SetParent(&panel);
    o->SetBounds(10, 40, 20, 20);
    auto* other = new TTestObject;
    other->SetName(QStringLiteral("Special2"));
    other->SetParent(&panel);
    panel.Handle().AddToSelection(o);
    o->Clone();
    QCOMPARE(panel.ObjectCount(), 3);
    TGGraphicControl* copy = panel.Objects().last();
    QCOMPARE(copy->Name(), QStringLiteral("Component0"));
    QCOMPARE(copy->Top(), 65);
    QCOMPARE(copy->Left(), 10);
    QCOMPARE(panel.Handle().Selection(), QList<TGGraphicControl*>{copy});
}

QTEST_MAIN(TestFiler)
// The address space of this process now, from /proc/self/status (VmSize).
qint64 addressSpaceBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

void TestFiler::memoryFollowsTheStreamsSize_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("dump");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("factor");
    const QByteArray start(1, 0x01);
    const QByteArray tail = QByteArray(2, 0) + char(0);
    // 8 MB of one-byte values (False) in a list: each would cost a whole
    // stream value (some 160 bytes) if the list were kept before the
    // property said whether it takes one.
    const QByteArray falses(8 << 20, char(0x08));
    QTest::newRow("one-byte items in a string list")
        << (start + header("TTestObject", "A") + str("Lines.Strings") + char(0x01) + falses + char(0) + tail) << false
        << QStringLiteral("Invalid property value") << 4;
    QTest::newRow("one-byte items for an integer")
        << (start + header("TTestObject", "A") + str("Left") + char(0x01) + falses + char(0) + tail) << false
        << QStringLiteral("Invalid property value") << 4;
    // 3 M empty lines (6 MB) are kept as the strings alone.
    QByteArray empties;
    empties.reserve(6 << 20);
    for (int i = 0; i < (3 << 20); ++i)
        empties.append("\x06\x00", 2);
    QTest::newRow("three million empty lines")
        << (start + header("TTestObject", "A") + str("Lines.Strings") + char(0x01) + empties + char(0) + tail) << false
        << QString() << 32;
    // The dump of a design holding a 32 MB bitmap is written in pieces.
    const QByteArray bitmap(32 << 20, char(0x5A));
    const quint32 n = quint32(bitmap.size());
    QByteArray binary(1, char(0x0A));
    for (int k = 0; k < 4; ++k)
        binary.append(char((n >> (8 * k)) & 0xFF));
    QTest::newRow("dump of a 32 MB bitmap")
        << (start + header("TTestObject", "A") + str("Glyph.Data") + binary + bitmap + tail) << true << QString() << 2;
}

// Run in a child whose address space may grow by `factor` times the
// stream's size at most (and 64 MB for the program's own needs): reading fails only
// as the stream deserves, and the dump completes.
void TestFiler::memoryFollowsTheStreamsSize()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizer reserves address space of its own");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    QSKIP("the sanitizer reserves address space of its own");
#endif
#endif
    QFETCH(QByteArray, data);
    QFETCH(bool, dump);
    QFETCH(QString, message);
    QFETCH(int, factor);
    TGBasePanel panel;
    TGLabelObjectFiler filer;
    const pid_t child = ::fork();
    if (child == 0) {
        const qint64 now = addressSpaceBytes();
        const rlim_t cap = rlim_t(now + factor * data.size() + (qint64(64) << 20));
        const rlimit limit{cap, cap};
        if (now < 0 || ::setrlimit(RLIMIT_AS, &limit) != 0)
            ::_exit(3);
        try {
            if (dump) {
                QFile sink(QStringLiteral("/dev/null"));
                if (!sink.open(QIODevice::WriteOnly))
                    ::_exit(4);
                QTextStream out(&sink);
                DumpObjectStream(data, out);
                out.flush();
                ::_exit(0);
            }
            const QString got = readError(filer, data, panel);
            ::_exit(got == (message.isEmpty() ? QStringLiteral("(no error)") : message) ? 0 : 1);
        } catch (const std::bad_alloc&) {
            ::_exit(2);
        } catch (...) {
            ::_exit(5);
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

#include "tst_filer.moc"
