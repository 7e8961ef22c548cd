#pragma once
// Value-level reader and writer of the binary component stream that design
// files (.QRD), the object clipboard file and clones are made of.
//
// A stream is a list (0x01 ... 0x00) of component records; a record is the
// signature "TPF0", the class name, the object name, property entries (name,
// typed value) up to 0x00, and an empty children list (0x00). Integers are
// little-endian.
//
// The reader is meant to face any bytes at all: every length and count is
// checked against what is left of the input before anything is allocated,
// nesting is bounded, and every fault raises EReadError with one of the
// stream messages ("Invalid stream format", "Invalid property value",
// "Stream read error" when the data ends early). It never reads past the end.
#include "platform/Errors.h"
#include "surface/Properties.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

class QTextStream;

namespace bv {

// Type bytes of stream values.
enum TValueType : std::uint8_t {
    vaNull = 0x00,       // end of a list, of properties or of children
    vaList = 0x01,
    vaInt8 = 0x02,
    vaInt16 = 0x03,
    vaInt32 = 0x04,
    vaExtended = 0x05,   // 80-bit float
    vaString = 0x06,     // 1 length byte + Windows-1252 characters
    vaIdent = 0x07,
    vaFalse = 0x08,
    vaTrue = 0x09,
    vaBinary = 0x0A,     // 32-bit byte count + bytes
    vaSet = 0x0B,
    vaLString = 0x0C,    // 32-bit length + Windows-1252 characters
    vaNil = 0x0D,
    vaCollection = 0x0E,
    vaWString = 0x12,    // 32-bit length in UTF-16 units + UTF-16LE (read only)
    vaInt64 = 0x13,      // only for integers beyond 32 bits, which no design property holds
    vaUTF8String = 0x14, // 32-bit byte count + UTF-8: text Windows-1252 cannot hold
};

// Standard stream messages.
// Longest text value a stream may hold.
constexpr qsizetype MaxLongStringLength = qsizetype(1) << 20;

namespace streamerr {
inline QString InvalidFormat() { return QStringLiteral("Invalid stream format"); }
inline QString InvalidValue() { return QStringLiteral("Invalid property value"); }
inline QString NoProperty() { return QStringLiteral("Property does not exist"); }
inline QString ReadError() { return QStringLiteral("Stream read error"); }
inline QString ClassNotFound(const QString& name) { return QStringLiteral("Class %1 not found").arg(name); }
} // namespace streamerr

// Windows-1252, the code page of 8-bit strings in design files. The five
// bytes the code page leaves undefined map to U+0081, U+008D, U+008F, U+0090
// and U+009D and back, so every byte string survives a round trip.
bool FitsWin1252(const QString& text);
// Characters that do not fit become '?'.
QByteArray ToWin1252(const QString& text);
QString FromWin1252(QByteArrayView bytes);

// Cursor identifiers of the platform (crDefault 0, crArrow -2, ...).
std::optional<QString> CursorToIdent(int cursor);
std::optional<int> IdentToCursor(const QString& name);

// 80-bit extended floats (1 sign bit, 15-bit exponent, 64-bit mantissa with
// explicit integer bit, little-endian). Exact where long double is the x87
// format; denormals, infinities and NaNs included.
void ExtendedToBytes(long double value, unsigned char out[10]);
long double ExtendedFromBytes(const unsigned char in[10]);

struct StreamProperty;
struct StreamCollectionItem;

// One value as it stands in the stream, nested lists and collections kept.
struct StreamValue {
    std::uint8_t type = vaNull;
    std::int64_t i = 0;      // integers
    long double f = 0;       // vaExtended
    QString s;               // strings and identifiers
    QByteArray bytes;        // vaBinary
    QStringList members;     // vaSet
    std::vector<StreamValue> items;               // vaList
    std::vector<StreamCollectionItem> collection; // vaCollection
};

struct StreamProperty {
    QString name;
    StreamValue value;
};

struct StreamCollectionItem {
    std::optional<std::int64_t> index; // the optional order number before an item
    std::vector<StreamProperty> properties;
};

// One component record of a stream, as read by ReadObjectStream.
struct StreamRecord {
    QString className;
    QString name;
    std::vector<StreamProperty> properties;
};

class ObjectWriter {
public:
    explicit ObjectWriter(QByteArray& out) : buffer(out) {}
    // Writes in pieces: binary values of at least SharedPieceSize bytes are
    // not copied but handed to `pieces` as they are (implicitly shared), with
    // the bytes before them; the caller appends what is left in `out` last.
    // The pieces joined are the bytes the plain writer makes.
    ObjectWriter(QByteArray& out, QByteArrayList& pieces) : buffer(out), pieces(&pieces) {}
    static constexpr qsizetype SharedPieceSize = 4096;

    void WriteListBegin() { buffer.append(char(vaList)); }
    void WriteListEnd() { buffer.append(char(vaNull)); }
    void WriteSignature() { buffer.append("TPF0", 4); }
    // Short string without a type byte (class, object and property names),
    // cut to 255 characters.
    void WriteStr(const QString& text);
    void WritePropName(const QString& name) { WriteStr(name); }

    // Smallest of 0x02, 0x03, 0x04 (0x13 beyond 32 bits).
    void WriteInteger(std::int64_t value);
    void WriteFloat(long double value);
    // 0x06 (up to 255 characters) or 0x0C in Windows-1252; 0x14 (UTF-8) when
    // the text has characters Windows-1252 cannot hold.
    void WriteString(const QString& text);
    void WriteIdent(const QString& name);
    void WriteBoolean(bool value) { buffer.append(char(value ? vaTrue : vaFalse)); }
    void WriteBinary(QByteArrayView bytes);
    void WriteBinary(const QByteArray& bytes) { WriteBinary(QByteArrayView(), bytes); }
    // One binary value made of `head` followed by `body`.
    void WriteBinary(QByteArrayView head, const QByteArray& body);
    void WriteSet(const QStringList& members);
    // A list of strings (string-list data).
    void WriteStringList(const QStringList& lines);
    void WriteNil() { buffer.append(char(vaNil)); }
    // Any value, as ObjectReader::ReadValue gives it back.
    void WriteValue(const StreamValue& value);

private:
    void writeInt32(std::int32_t v);
    QByteArray& buffer;
    QByteArrayList* pieces = nullptr;
};

class ObjectReader {
public:
    // Deepest nesting of lists and collections accepted.
    static constexpr int MaxDepth = 32;

    explicit ObjectReader(QByteArrayView data) : input(data) {}

    qsizetype Position() const { return pos; }
    qsizetype Remaining() const { return input.size() - pos; }
    bool AtEnd() const { return pos >= input.size(); }

    // Type byte of the next value, not consumed.
    std::uint8_t NextValue() const;
    bool EndOfList() const { return NextValue() == vaNull; }
    std::uint8_t ReadValueType() { return readByte(); }
    void ReadListBegin();  // "Invalid stream format" unless 0x01
    void ReadListEnd();    // "Invalid stream format" unless 0x00
    void ReadSignature();  // "Invalid stream format" unless "TPF0"
    // Signature, optional flags prefix, class name and object name.
    void ReadRecordHeader(QString& className, QString& objectName);
    // Short string without a type byte.
    QString ReadStr();
    // One value with everything nested in it.
    StreamValue ReadValue() { return readValue(0); }
    // A list (0x01) of strings: a list holding anything else raises
    // "Invalid property value" at that item. Kept as the strings alone, so
    // a list costs little more memory than its bytes.
    QStringList ReadStringList();
    // One value written as FormatStreamValue writes it, straight from the
    // bytes (nothing nested is kept); with no stream, the value is only
    // checked and passed over.
    void DumpValue(QTextStream* out) { dumpValue(out, 0); }
    // A complete stream (list of records); trailing bytes after the closing
    // list end are ignored.
    std::vector<StreamRecord> ReadObjectStream();

private:
    std::uint8_t readByte();
    std::int32_t readInt32();
    QByteArrayView take(qsizetype n);
    qsizetype readLength(); // 32-bit length, "Invalid stream format" when negative
    StreamValue readValue(int depth);
    void dumpValue(QTextStream* out, int depth);
    QString readLongString(std::uint8_t type);

    QByteArrayView input;
    qsizetype pos = 0;
};

// Convenience: the records of a complete stream.
std::vector<StreamRecord> ReadObjectStream(QByteArrayView data);

// The payload of a picture's "Data" entry: the graphic's class name as a
// short string of at most 63 characters ("TBitmap", "TMetafile", "TIcon"),
// then the graphic's own data. Property tables hand the whole payload to the
// filer (PropertyKind::Picture) so it is written back exactly as read; these
// two split and build it. (A PropertyKind::Bitmap value, by contrast, is the
// bitmap file alone: the filer adds and checks the 32-bit size before it.)
struct PictureData {
    QString graphicClass;
    // TBitmap and TMetafile: the bytes after the 32-bit size (an empty bitmap
    // has size 0); any other class: everything after the class name.
    QByteArray data;
};
// Raises EReadError("Invalid property value") for a class name over 63
// characters or a size beyond the payload.
PictureData ParsePictureData(QByteArrayView payload);
QByteArray MakePictureData(const QString& graphicClass, QByteArrayView data);

// A stream value turned into a property value for a setter: integers, floats,
// strings, identifiers, Booleans, binary data, sets, lists of strings; nil is
// Null. Collections and lists of anything but strings raise "Invalid property
// value".
Value ToPropertyValue(const StreamValue& value);

// Text of one value for the dump: integers decimal, identifiers bare,
// True/False, strings in single quotes (a quote doubled, control characters
// as #n), floats in the shortest decimal form that reads back to the same
// value, sets [a, b], lists (a b), binary {hex}, nil, collections <item ... end>.
QString FormatStreamValue(const StreamValue& value);
// Shortest decimal text that reads back to exactly this value.
QString FormatExtended(long double value);
// The whole stream as text, one block per record:
//   object <name>: <class>
//     <property> = <value>
//   end
QString DumpObjectStream(QByteArrayView data);
// The same text written to `out` as it is made: the stream is checked whole
// first (a malformed one raises before anything is written), then written
// value by value, so the memory it takes does not grow with the stream (a
// bitmap of 200 MB is written as hexadecimal digits in pieces).
void DumpObjectStream(QByteArrayView data, QTextStream& out);

} // namespace bv
