// Value encoding of the object stream: exact bytes written, values read
// back, and malformed input failing with the stream messages without
// reading past the end.
#include "surface/ObjectStream.h"

#include <QTest>
#include <cmath>
#include <cstring>
#include <limits>

using namespace bv;

namespace {
QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

QByteArray named(const char* name, std::initializer_list<int> value)
{
    QByteArray out;
    out.append(char(std::strlen(name)));
    out.append(name);
    out.append(bytes(value));
    return out;
}

QString readError(const QByteArray& data)
{
    try {
        ReadObjectStream(data);
    } catch (const EReadError& e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

QByteArray record(const char* cls, const char* name, const QByteArray& props)
{
    QByteArray out("TPF0");
    out.append(char(std::strlen(cls)));
    out.append(cls);
    out.append(char(std::strlen(name)));
    out.append(name);
    out.append(props);
    out.append(char(0));
    out.append(char(0));
    return out;
}
} // namespace

class TestStream : public QObject {
    Q_OBJECT
private slots:
    void singleEntriesAsDocumented();
    void integersTakeTheSmallestType_data();
    void integersTakeTheSmallestType();
    void stringsChooseTheirEncoding_data();
    void stringsChooseTheirEncoding();
    void wideAndUtf8StringsAreRead();
    void extendedFloatsRoundTripExactly_data();
    void extendedFloatsRoundTripExactly();
    void extendedFloatKnownBytes();
    void everyValueTypeRoundTrips();
    void malformedInputFails_data();
    void malformedInputFails();
    void everyTruncationFailsCleanly();
    void absurdLengthsDoNotAllocate();
    void cursorAndColourNames();
    void dumpFormatsEveryValue();
    void dumpOfEmptyDesign();
    void pictureDataSplitsAndBuilds();
};

void TestStream::singleEntriesAsDocumented()
{
    QByteArray out;
    ObjectWriter w(out);
    w.WritePropName(QStringLiteral("Left"));
    w.WriteInteger(100);
    QCOMPARE(out, bytes({0x04, 0x4C, 0x65, 0x66, 0x74, 0x02, 0x64}));

    out.clear();
    w.WritePropName(QStringLiteral("Width"));
    w.WriteInteger(300);
    QCOMPARE(out, bytes({0x05, 0x57, 0x69, 0x64, 0x74, 0x68, 0x03, 0x2C, 0x01}));

    out.clear();
    w.WritePropName(QStringLiteral("Locked"));
    w.WriteBoolean(false);
    QCOMPARE(out, bytes({0x06, 0x4C, 0x6F, 0x63, 0x6B, 0x65, 0x64, 0x08}));

    out.clear();
    w.WritePropName(QStringLiteral("Pen.Color"));
    w.WriteIdent(QStringLiteral("clRed"));
    QCOMPARE(out, QByteArray("\x09Pen.Color\x07\x05" "clRed"));

    out.clear();
    w.WriteListBegin();
    w.WriteListEnd();
    QCOMPARE(out, bytes({0x01, 0x00}));
    QCOMPARE(ReadObjectStream(out).size(), size_t(0));
}

void TestStream::integersTakeTheSmallestType_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("127") << qint64(127) << bytes({0x02, 0x7F});
    QTest::newRow("128") << qint64(128) << bytes({0x03, 0x80, 0x00});
    QTest::newRow("-128") << qint64(-128) << bytes({0x02, 0x80});
    QTest::newRow("-129") << qint64(-129) << bytes({0x03, 0x7F, 0xFF});
    QTest::newRow("32767") << qint64(32767) << bytes({0x03, 0xFF, 0x7F});
    QTest::newRow("-32769") << qint64(-32769) << bytes({0x04, 0xFF, 0x7F, 0xFF, 0xFF});
    QTest::newRow("40000") << qint64(40000) << bytes({0x04, 0x40, 0x9C, 0x00, 0x00});
    QTest::newRow("colour 0x00123456") << qint64(0x123456) << bytes({0x04, 0x56, 0x34, 0x12, 0x00});
    QTest::newRow("int32 min") << qint64(INT32_MIN) << bytes({0x04, 0x00, 0x00, 0x00, 0x80});
    QTest::newRow("beyond 32 bits") << qint64(0x100000000LL)
                                    << bytes({0x13, 0, 0, 0, 0, 1, 0, 0, 0});
}

void TestStream::integersTakeTheSmallestType()
{
    QFETCH(qint64, value);
    QFETCH(QByteArray, encoded);
    QByteArray out;
    ObjectWriter(out).WriteInteger(value);
    QCOMPARE(out, encoded);
    ObjectReader r(out);
    StreamValue v = r.ReadValue();
    QCOMPARE(qint64(v.i), value);
    QVERIFY(r.AtEnd());
}

void TestStream::stringsChooseTheirEncoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("short") << QStringLiteral("Acme") << int(vaString) << QByteArray("\x04" "Acme");
    QTest::newRow("empty") << QString() << int(vaString) << QByteArray(1, 0);
    const QString l255(255, QLatin1Char('x'));
    QTest::newRow("255 chars") << l255 << int(vaString) << (QByteArray(1, char(255)) + QByteArray(255, 'x'));
    const QString l300(300, QLatin1Char('y'));
    QTest::newRow("300 chars") << l300 << int(vaLString)
                               << (bytes({0x2C, 0x01, 0, 0}) + QByteArray(300, 'y'));
    // Euro sign, e acute, curly quotes: all in Windows-1252.
    QTest::newRow("cp1252") << QString::fromUtf8("\u20ac5 caf\u00e9 \u201cok\u201d") << int(vaString)
                            << bytes({12, 0x80, '5', ' ', 'c', 'a', 'f', 0xE9, ' ', 0x93, 'o', 'k', 0x94});
    // Cyrillic and CJK do not fit: UTF-8 with a 32-bit length.
    const QString cyr = QString::fromUtf8("\u0418\u0432\u0430\u043d \u6771\u4eac");
    const QByteArray u8 = cyr.toUtf8();
    QByteArray len(4, 0);
    len[0] = char(u8.size());
    QTest::newRow("non-1252") << cyr << int(vaUTF8String) << (len + u8);
}

void TestStream::stringsChooseTheirEncoding()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(QByteArray, payload);
    QByteArray out;
    ObjectWriter(out).WriteString(text);
    QCOMPARE(int(static_cast<unsigned char>(out[0])), type);
    QCOMPARE(out.mid(1).toHex(), payload.toHex());
    ObjectReader r(out);
    StreamValue v = r.ReadValue();
    QCOMPARE(v.s, text);
    QVERIFY(r.AtEnd());
}

void TestStream::wideAndUtf8StringsAreRead()
{
    // 0x12: length in UTF-16 units, then UTF-16LE.
    QByteArray w = bytes({0x12, 3, 0, 0, 0, 0x41, 0x00, 0x3D, 0xD8, 0x00, 0xDE});
    StreamValue v = ObjectReader(w).ReadValue();
    QCOMPARE(v.s, QString::fromUtf8("A\U0001F600"));
    QCOMPARE(ToPropertyValue(v), Value::string(v.s));

    // A surrogate without its partner is replaced, so it can be written back.
    QByteArray lone = bytes({0x12, 2, 0, 0, 0, 0x3D, 0xD8, 0x41, 0x00});
    QCOMPARE(ObjectReader(lone).ReadValue().s, QString::fromUtf8("\uFFFDA"));

    QByteArray u = bytes({0x14, 2, 0, 0, 0, 0xC3, 0xA9});
    QCOMPARE(ObjectReader(u).ReadValue().s, QString::fromUtf8("\u00e9"));

    // Undefined Windows-1252 bytes survive a round trip.
    QByteArray raw = bytes({0x06, 5, 0x81, 0x8D, 0x8F, 0x90, 0x9D});
    StreamValue odd = ObjectReader(raw).ReadValue();
    QByteArray again;
    ObjectWriter(again).WriteString(odd.s);
    QCOMPARE(again, raw);
}

void TestStream::extendedFloatsRoundTripExactly_data()
{
    QTest::addColumn<long double>("value");
    QTest::newRow("zero") << 0.0L;
    QTest::newRow("negative zero") << -0.0L;
    QTest::newRow("one") << 1.0L;
    QTest::newRow("tenth") << 0.1L;
    QTest::newRow("third") << (1.0L / 3.0L);
    QTest::newRow("-1e300") << -1e300L;
    QTest::newRow("max") << std::numeric_limits<long double>::max();
    QTest::newRow("min normal") << std::numeric_limits<long double>::min();
    QTest::newRow("denormal") << std::numeric_limits<long double>::denorm_min() * 12345;
    QTest::newRow("inf") << std::numeric_limits<long double>::infinity();
    QTest::newRow("-inf") << -std::numeric_limits<long double>::infinity();
}

void TestStream::extendedFloatsRoundTripExactly()
{
    QFETCH(long double, value);
    QByteArray out;
    ObjectWriter(out).WriteFloat(value);
    QCOMPARE(out.size(), 11);
    StreamValue v = ObjectReader(out).ReadValue();
    QCOMPARE(v.type, std::uint8_t(vaExtended));
    QVERIFY(v.f == value);
    QCOMPARE(std::signbit(v.f), std::signbit(value));
    // The dump's text reads back to the same value.
    if (std::isfinite(value)) {
        QByteArray text = FormatExtended(value).toLatin1();
        QVERIFY2(std::strtold(text.constData(), nullptr) == value, text.constData());
    }
}

void TestStream::extendedFloatKnownBytes()
{
    // 1.5 = mantissa C000000000000000, exponent 3FFF.
    QByteArray out;
    ObjectWriter(out).WriteFloat(1.5L);
    QCOMPARE(out, bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}));
    // -2 = mantissa 8000000000000000, exponent 4000 with the sign bit.
    out.clear();
    ObjectWriter(out).WriteFloat(-2.0L);
    QCOMPARE(out, bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
    QCOMPARE(FormatExtended(1.5L), QStringLiteral("1.5"));
    QVERIFY(std::isnan(ObjectReader(bytes({0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F})).ReadValue().f));
}

void TestStream::everyValueTypeRoundTrips()
{
    StreamValue list;
    list.type = vaList;
    StreamValue inner;
    inner.type = vaList;
    StreamValue s;
    s.type = vaString;
    s.s = QStringLiteral("line");
    inner.items.push_back(s);
    list.items.push_back(inner);
    StreamValue n;
    n.type = vaInt16;
    n.i = -1000;
    list.items.push_back(n);
    StreamValue set;
    set.type = vaSet;
    set.members = QStringList{QStringLiteral("fsBold"), QStringLiteral("fsItalic")};
    list.items.push_back(set);
    StreamValue bin;
    bin.type = vaBinary;
    bin.bytes = QByteArray("\x00\x01\xff", 3);
    list.items.push_back(bin);
    StreamValue coll;
    coll.type = vaCollection;
    StreamCollectionItem item;
    item.index = 3;
    item.properties.push_back({QStringLiteral("Caption"), s});
    coll.collection.push_back(item);
    coll.collection.push_back(StreamCollectionItem{});
    list.items.push_back(coll);
    for (std::uint8_t t : {vaNil, vaTrue, vaFalse}) {
        StreamValue x;
        x.type = t;
        list.items.push_back(x);
    }

    QByteArray out;
    ObjectWriter(out).WriteValue(list);
    ObjectReader r(out);
    StreamValue back = r.ReadValue();
    QVERIFY(r.AtEnd());
    QByteArray again;
    ObjectWriter(again).WriteValue(back);
    QCOMPARE(again.toHex(), out.toHex());
    QCOMPARE(FormatStreamValue(back),
             QStringLiteral("(('line') -1000 [fsBold, fsItalic] {0001ff} "
                            "<item [3] Caption = 'line' end item end> nil True False)"));

    // A list of strings becomes a string-list value; other lists cannot be set.
    QCOMPARE(ToPropertyValue(inner), Value::list(QStringList{QStringLiteral("line")}));
    QVERIFY_THROWS_EXCEPTION(EReadError, ToPropertyValue(list));
    QVERIFY_THROWS_EXCEPTION(EReadError, ToPropertyValue(coll));
}

void TestStream::malformedInputFails_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");
    const QString format = QStringLiteral("Invalid stream format");
    const QString early = QStringLiteral("Stream read error");
    const QString value = QStringLiteral("Invalid property value");
    QTest::newRow("empty file") << QByteArray() << early;
    QTest::newRow("not a list") << QByteArray("BM\x10\x00", 4) << format;
    QTest::newRow("no list end") << bytes({0x01}) << early;
    QTest::newRow("bad signature") << (bytes({0x01}) + QByteArray("TPF1\x05TBox\x00\x00\x00\x00", 13)) << format;
    QTest::newRow("unknown value type")
        << (bytes({0x01}) + record("TBCShapes", "S", named("Left", {0x42}))) << value;
    QTest::newRow("children present")
        << (bytes({0x01}) + QByteArray("TPF0\x01X\x01Y\x00", 9) + QByteArray("TPF0") + bytes({0, 0, 0, 0})) << format;
    QTest::newRow("negative binary length")
        << (bytes({0x01}) + record("TBCShapes", "S", named("Data", {0x0A, 0xFF, 0xFF, 0xFF, 0xFF}))) << format;
    QTest::newRow("binary longer than file")
        << (bytes({0x01}) + record("TBCShapes", "S", named("Data", {0x0A, 0x00, 0x00, 0x00, 0x10, 1, 2}))) << early;
    QTest::newRow("wide string longer than file")
        << (bytes({0x01}) + record("T", "S", named("Text", {0x12, 0xFF, 0xFF, 0xFF, 0x3F, 0x41, 0}))) << early;
    QTest::newRow("unclosed set") << (bytes({0x01}) + QByteArray("TPF0\x01X\x01Y\x03" "Set\x0B\x02" "ab", 16)) << early;
    QByteArray deep = bytes({0x01}) + QByteArray("TPF0\x01X\x01Y\x01L", 10);
    deep += QByteArray(100, char(vaList));
    deep += QByteArray(100, 0);
    deep += bytes({0, 0, 0});
    QTest::newRow("deep nesting") << deep << format;
    QByteArray flagsPrefix = bytes({0x01}) + QByteArray("TPF0") + bytes({0xF2, 0x42});
    QTest::newRow("flags with bad order number") << flagsPrefix << format;
}

void TestStream::malformedInputFails()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    QCOMPARE(readError(data), message);
}

void TestStream::everyTruncationFailsCleanly()
{
    // A stream with every kind of value, cut at every length: each prefix
    // fails with "Stream read error" and nothing is read past the end.
    QByteArray props;
    props += named("Left", {0x02, 10});
    props += named("Width", {0x03, 0x2C, 0x01});
    props += named("Tag", {0x04, 1, 2, 3, 4});
    props += named("Ratio", {0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});
    props += named("Caption", {0x06, 2, 'h', 'i'});
    props += named("Shape", {0x07, 2, 's', 't'});
    props += named("Locked", {0x08});
    props += named("Unselectable", {0x09});
    props += named("Data", {0x0A, 2, 0, 0, 0, 0xAB, 0xCD});
    props += named("Font.Style", {0x0B, 6, 'f', 's', 'B', 'o', 'l', 'd', 0});
    props += named("Hint", {0x0C, 1, 0, 0, 0, 'x'});
    props += named("Ref", {0x0D});
    props += named("Items", {0x0E, 0x02, 0x01, 0x01, 0x01, 'A', 0x09, 0x00, 0x00});
    props += named("Lines.Strings", {0x01, 0x06, 1, 'a', 0x14, 1, 0, 0, 0, 'b', 0x12, 1, 0, 0, 0, 'c', 0, 0x00});
    QByteArray full = bytes({0x01}) + record("TGLabelShapes", "Special1", props) + bytes({0x00});
    std::vector<StreamRecord> recs = ReadObjectStream(full);
    QCOMPARE(recs.size(), size_t(1));
    QCOMPARE(recs[0].properties.size(), size_t(14));
    for (qsizetype cut = 0; cut < full.size(); ++cut) {
        // A detached copy so that a read past the end would be seen by the
        // address sanitizer.
        QByteArray prefix(full.constData(), cut);
        QCOMPARE(readError(prefix), QStringLiteral("Stream read error"));
    }
}

void TestStream::absurdLengthsDoNotAllocate()
{
    // A 2 GB long string and binary announced in a 20-byte input fail at once.
    for (int type : {0x0A, 0x0C, 0x14}) {
        QByteArray data = bytes({type, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'});
        ObjectReader r(data);
        QVERIFY_THROWS_EXCEPTION(EReadError, r.ReadValue());
    }
}

void TestStream::cursorAndColourNames()
{
    QCOMPARE(CursorToIdent(0), std::optional<QString>(QStringLiteral("crDefault")));
    QCOMPARE(CursorToIdent(-2), std::optional<QString>(QStringLiteral("crArrow")));
    QCOMPARE(CursorToIdent(-21), std::optional<QString>(QStringLiteral("crHandPoint")));
    QCOMPARE(CursorToIdent(5), std::nullopt);
    QCOMPARE(IdentToCursor(QStringLiteral("crhandpoint")), std::optional<int>(-21));
    QCOMPARE(IdentToCursor(QStringLiteral("clRed")), std::nullopt);
}

void TestStream::dumpFormatsEveryValue()
{
    QByteArray props;
    props += named("Left", {0x02, 10});
    props += named("Width", {0x04, 0x40, 0x9C, 0, 0});
    props += named("Pen.Color", {0x07, 5, 'c', 'l', 'R', 'e', 'd'});
    props += named("Transparent", {0x09});
    props += named("Caption", {0x06, 9, 'I', 't', '\'', 's', 0x0D, 0x0A, 'a', 'l', 'l'});
    props += named("Font.Style", {0x0B, 6, 'f', 's', 'B', 'o', 'l', 'd', 8, 'f', 's', 'I', 't', 'a', 'l', 'i', 'c', 0});
    props += named("Empty", {0x0B, 0});
    props += named("Picture.Data", {0x0A, 3, 0, 0, 0, 0x0B, 0xAD, 0xF0});
    props += named("Zoom", {0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});
    props += named("Items.Strings", {0x01, 0x06, 1, 'a', 0x06, 0, 0x00});
    QByteArray data = bytes({0x01}) + record("TBCShapes", "Special1", props)
        + record("TGLineShape", "Special2", QByteArray()) + bytes({0x00});
    QCOMPARE(DumpObjectStream(data),
             QStringLiteral("object Special1: TBCShapes\n"
                            "  Left = 10\n"
                            "  Width = 40000\n"
                            "  Pen.Color = clRed\n"
                            "  Transparent = True\n"
                            "  Caption = 'It''s'#13#10'all'\n"
                            "  Font.Style = [fsBold, fsItalic]\n"
                            "  Empty = []\n"
                            "  Picture.Data = {0badf0}\n"
                            "  Zoom = 1.5\n"
                            "  Items.Strings = ('a' '')\n"
                            "end\n"
                            "object Special2: TGLineShape\n"
                            "end\n"));
}

void TestStream::dumpOfEmptyDesign()
{
    QCOMPARE(DumpObjectStream(bytes({0x01, 0x00})), QString());
}

void TestStream::pictureDataSplitsAndBuilds()
{
    // A bitmap: class name, 32-bit size, the file.
    QByteArray bmp = QByteArray("\x07TBitmap\x03\x00\x00\x00" "BMx", 15);
    PictureData p = ParsePictureData(bmp);
    QCOMPARE(p.graphicClass, QStringLiteral("TBitmap"));
    QCOMPARE(p.data, QByteArray("BMx"));
    QCOMPARE(MakePictureData(p.graphicClass, p.data), bmp);
    // An empty bitmap is the size 0 with nothing after it.
    QCOMPARE(MakePictureData(QStringLiteral("TBitmap"), QByteArray()), QByteArray("\x07TBitmap\x00\x00\x00\x00", 12));
    // An icon is the icon file as it stands.
    QByteArray ico = QByteArray("\x05TIcon\x00\x00\x01\x00", 10);
    QCOMPARE(ParsePictureData(ico).data, QByteArray("\x00\x00\x01\x00", 4));
    QCOMPARE(MakePictureData(QStringLiteral("TIcon"), QByteArray("\x00\x00\x01\x00", 4)), ico);
    // Malformed payloads.
    for (const QByteArray& bad : {QByteArray(), QByteArray("\x09TMetafile\x10\x00\x00\x00" "ab", 16),
                                  QByteArray("\x09TMetafile\x01", 11), QByteArray(1, char(64)) + QByteArray(64, 'T'),
                                  QByteArray("\x20TB", 3)})
        QVERIFY_THROWS_EXCEPTION(EReadError, ParsePictureData(bad));
}

QTEST_GUILESS_MAIN(TestStream)
#include "tst_stream.moc"
