#include "surface/ObjectStream.h"

#include <QTextStream>

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace bv {

// --- Windows-1252 ----------------------------------------------------------

namespace {
// Characters of bytes 0x80..0x9F; the undefined bytes keep their C1 code.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte of a character, or -1 when the code page has none.
int win1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int k = 0; k < 32; ++k)
        if (cp1252High[k] == c)
            return 0x80 + k;
    return -1;
}
} // namespace

bool FitsWin1252(const QString& text)
{
    for (QChar c : text)
        if (win1252Byte(c.unicode()) < 0)
            return false;
    return true;
}

QByteArray ToWin1252(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype k = 0; k < text.size(); ++k) {
        int b = win1252Byte(text[k].unicode());
        out[k] = char(b < 0 ? '?' : b);
    }
    return out;
}

QString FromWin1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        auto b = static_cast<unsigned char>(bytes[k]);
        d[k] = QChar(b >= 0x80 && b < 0xA0 ? cp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

// --- cursors ---------------------------------------------------------------

namespace {
struct NamedCursor {
    int value;
    const char* name;
};
constexpr std::array<NamedCursor, 22> namedCursors = {{
    {0, "crDefault"}, {-2, "crArrow"}, {-3, "crCross"}, {-4, "crIBeam"},
    {-6, "crSizeNESW"}, {-7, "crSizeNS"}, {-8, "crSizeNWSE"}, {-9, "crSizeWE"},
    {-10, "crUpArrow"}, {-11, "crHourGlass"}, {-12, "crDrag"}, {-13, "crNoDrop"},
    {-14, "crHSplit"}, {-15, "crVSplit"}, {-16, "crMultiDrag"}, {-17, "crSQLWait"},
    {-18, "crNo"}, {-19, "crAppStart"}, {-20, "crHelp"}, {-21, "crHandPoint"},
    {-22, "crSizeAll"}, {-1, "crNone"},
}};
} // namespace

std::optional<QString> CursorToIdent(int cursor)
{
    for (const auto& c : namedCursors)
        if (c.value == cursor)
            return QString::fromLatin1(c.name);
    return std::nullopt;
}

std::optional<int> IdentToCursor(const QString& name)
{
    for (const auto& c : namedCursors)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.value;
    // The old alias of crSizeAll.
    if (name.compare(QLatin1String("crSize"), Qt::CaseInsensitive) == 0)
        return -22;
    return std::nullopt;
}

// --- 80-bit floats ---------------------------------------------------------

void ExtendedToBytes(long double value, unsigned char out[10])
{
    std::uint64_t mantissa = 0;
    unsigned exponent = 0;
    const bool negative = std::signbit(value);
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        mantissa = 0xC000000000000000ull; // quiet NaN
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        long double a = std::fabs(value);
        int e = 0;
        long double m = std::frexp(a, &e); // a = m * 2^e, 0.5 <= m < 1
        int biased = e - 1 + 16383;
        if (biased >= 0x7FFF) {
            exponent = 0x7FFF;
            mantissa = 0x8000000000000000ull;
        } else if (biased <= 0) {
            // Denormal: the integer bit is clear and the exponent field 0,
            // which stands for 2^-16382.
            exponent = 0;
            mantissa = static_cast<std::uint64_t>(std::ldexp(a, 16382 + 63));
        } else {
            exponent = static_cast<unsigned>(biased);
            mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
        }
    }
    for (int k = 0; k < 8; ++k)
        out[k] = static_cast<unsigned char>(mantissa >> (8 * k));
    unsigned se = exponent | (negative ? 0x8000u : 0u);
    out[8] = static_cast<unsigned char>(se & 0xFF);
    out[9] = static_cast<unsigned char>(se >> 8);
}

long double ExtendedFromBytes(const unsigned char in[10])
{
    std::uint64_t mantissa = 0;
    for (int k = 7; k >= 0; --k)
        mantissa = (mantissa << 8) | in[k];
    unsigned se = in[8] | (unsigned(in[9]) << 8);
    bool negative = (se & 0x8000u) != 0;
    int exponent = int(se & 0x7FFFu);
    long double v;
    if (exponent == 0x7FFF) {
        if ((mantissa & 0x7FFFFFFFFFFFFFFFull) == 0)
            v = std::numeric_limits<long double>::infinity();
        else
            v = std::numeric_limits<long double>::quiet_NaN();
    } else {
        // value = mantissa * 2^(e - 16383 - 63), with e = 1 for denormals.
        int e = exponent == 0 ? 1 : exponent;
        v = std::ldexp(static_cast<long double>(mantissa), e - 16383 - 63);
    }
    return negative ? -v : v;
}

// --- writer ----------------------------------------------------------------

void ObjectWriter::writeInt32(std::int32_t v)
{
    auto u = static_cast<std::uint32_t>(v);
    char b[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF), char(u >> 24)};
    buffer.append(b, 4);
}

void ObjectWriter::WriteStr(const QString& text)
{
    QByteArray bytes = ToWin1252(text.left(255));
    buffer.append(char(static_cast<unsigned char>(bytes.size())));
    buffer.append(bytes);
}

void ObjectWriter::WriteInteger(std::int64_t value)
{
    if (value >= -128 && value <= 127) {
        buffer.append(char(vaInt8));
        buffer.append(char(static_cast<std::int8_t>(value)));
    } else if (value >= -32768 && value <= 32767) {
        buffer.append(char(vaInt16));
        auto u = static_cast<std::uint16_t>(value);
        buffer.append(char(u & 0xFF));
        buffer.append(char(u >> 8));
    } else if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max()) {
        buffer.append(char(vaInt32));
        writeInt32(static_cast<std::int32_t>(value));
    } else {
        buffer.append(char(vaInt64));
        auto u = static_cast<std::uint64_t>(value);
        for (int k = 0; k < 8; ++k)
            buffer.append(char((u >> (8 * k)) & 0xFF));
    }
}

void ObjectWriter::WriteFloat(long double value)
{
    unsigned char b[10];
    ExtendedToBytes(value, b);
    buffer.append(char(vaExtended));
    buffer.append(reinterpret_cast<const char*>(b), 10);
}

void ObjectWriter::WriteString(const QString& text)
{
    if (!FitsWin1252(text)) {
        QByteArray utf8 = text.toUtf8();
        buffer.append(char(vaUTF8String));
        writeInt32(static_cast<std::int32_t>(utf8.size()));
        buffer.append(utf8);
        return;
    }
    QByteArray bytes = ToWin1252(text);
    if (bytes.size() <= 255) {
        buffer.append(char(vaString));
        buffer.append(char(static_cast<unsigned char>(bytes.size())));
    } else {
        buffer.append(char(vaLString));
        writeInt32(static_cast<std::int32_t>(bytes.size()));
    }
    buffer.append(bytes);
}

void ObjectWriter::WriteIdent(const QString& name)
{
    buffer.append(char(vaIdent));
    WriteStr(name);
}

void ObjectWriter::WriteBinary(QByteArrayView bytes)
{
    buffer.append(char(vaBinary));
    writeInt32(static_cast<std::int32_t>(bytes.size()));
    buffer.append(bytes.data(), bytes.size());
}

void ObjectWriter::WriteBinary(QByteArrayView head, const QByteArray& body)
{
    buffer.append(char(vaBinary));
    writeInt32(static_cast<std::int32_t>(head.size() + body.size()));
    if (!head.isEmpty())
        buffer.append(head.data(), head.size());
    if (pieces && body.size() >= SharedPieceSize) {
        pieces->append(buffer);
        pieces->append(body);
        buffer = QByteArray();
    } else {
        buffer.append(body);
    }
}

void ObjectWriter::WriteSet(const QStringList& members)
{
    buffer.append(char(vaSet));
    for (const QString& m : members)
        if (!m.isEmpty())
            WriteStr(m);
    buffer.append(char(0));
}

void ObjectWriter::WriteStringList(const QStringList& lines)
{
    WriteListBegin();
    for (const QString& line : lines)
        WriteString(line);
    WriteListEnd();
}

void ObjectWriter::WriteValue(const StreamValue& v)
{
    switch (v.type) {
    case vaNull:
        buffer.append(char(vaNull));
        break;
    case vaList:
        WriteListBegin();
        for (const auto& item : v.items)
            WriteValue(item);
        WriteListEnd();
        break;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        WriteInteger(v.i);
        break;
    case vaExtended:
        WriteFloat(v.f);
        break;
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        WriteString(v.s);
        break;
    case vaIdent:
        WriteIdent(v.s);
        break;
    case vaFalse:
    case vaTrue:
        WriteBoolean(v.type == vaTrue);
        break;
    case vaBinary:
        WriteBinary(v.bytes);
        break;
    case vaSet:
        WriteSet(v.members);
        break;
    case vaNil:
        WriteNil();
        break;
    case vaCollection:
        buffer.append(char(vaCollection));
        for (const auto& item : v.collection) {
            if (item.index)
                WriteInteger(*item.index);
            WriteListBegin();
            for (const auto& p : item.properties) {
                WritePropName(p.name);
                WriteValue(p.value);
            }
            WriteListEnd();
        }
        WriteListEnd();
        break;
    default:
        throw EWriteError(streamerr::InvalidValue());
    }
}

// --- reader ----------------------------------------------------------------

std::uint8_t ObjectReader::readByte()
{
    if (pos >= input.size())
        throw EReadError(streamerr::ReadError());
    return static_cast<std::uint8_t>(input[pos++]);
}

std::uint8_t ObjectReader::NextValue() const
{
    if (pos >= input.size())
        throw EReadError(streamerr::ReadError());
    return static_cast<std::uint8_t>(input[pos]);
}

QByteArrayView ObjectReader::take(qsizetype n)
{
    if (n < 0 || n > Remaining())
        throw EReadError(streamerr::ReadError());
    QByteArrayView v = input.sliced(pos, n);
    pos += n;
    return v;
}

std::int32_t ObjectReader::readInt32()
{
    QByteArrayView b = take(4);
    std::uint32_t u = 0;
    for (int k = 3; k >= 0; --k)
        u = (u << 8) | static_cast<unsigned char>(b[k]);
    return static_cast<std::int32_t>(u);
}

qsizetype ObjectReader::readLength()
{
    std::int32_t n = readInt32();
    if (n < 0)
        throw EReadError(streamerr::InvalidFormat());
    return n;
}

void ObjectReader::ReadListBegin()
{
    if (readByte() != vaList)
        throw EReadError(streamerr::InvalidFormat());
}

void ObjectReader::ReadListEnd()
{
    if (readByte() != vaNull)
        throw EReadError(streamerr::InvalidFormat());
}

void ObjectReader::ReadSignature()
{
    QByteArrayView sig = take(4);
    if (sig != QByteArrayView("TPF0", 4))
        throw EReadError(streamerr::InvalidFormat());
}

void ObjectReader::ReadRecordHeader(QString& className, QString& objectName)
{
    ReadSignature();
    // An inheritance flags byte (high nibble F) may precede the class name;
    // with the child-position flag an order number follows it.
    std::uint8_t next = NextValue();
    if ((next & 0xF0) == 0xF0) {
        readByte();
        if (next & 0x02) {
            std::uint8_t t = readByte();
            if (t == vaInt8)
                take(1);
            else if (t == vaInt16)
                take(2);
            else if (t == vaInt32)
                take(4);
            else
                throw EReadError(streamerr::InvalidFormat());
        }
    }
    className = ReadStr();
    objectName = ReadStr();
}

QString ObjectReader::ReadStr()
{
    qsizetype n = readByte();
    return FromWin1252(take(n));
}

QString ObjectReader::readLongString(std::uint8_t type)
{
    qsizetype n = readLength();
    // No text of a design is anywhere near this; a file that claims more
    // would cost memory and time out of all proportion to drawing it.
    if (n > MaxLongStringLength && n <= Remaining())
        throw EReadError(QStringLiteral("Text too long (%1 characters; at most %2)").arg(n).arg(MaxLongStringLength));
    if (type == vaWString) {
        if (n > Remaining() / 2)
            throw EReadError(streamerr::ReadError());
        QByteArrayView b = take(n * 2);
        QString s(n, Qt::Uninitialized);
        QChar* d = s.data();
        for (qsizetype k = 0; k < n; ++k)
            d[k] = QChar(char16_t(static_cast<unsigned char>(b[2 * k])
                                  | (static_cast<unsigned char>(b[2 * k + 1]) << 8)));
        // A surrogate without its partner is no character: replace it, as
        // the UTF-8 decoder does with a broken sequence.
        for (qsizetype k = 0; k < n; ++k) {
            if (d[k].isHighSurrogate() && k + 1 < n && d[k + 1].isLowSurrogate()) {
                ++k;
                continue;
            }
            if (d[k].isSurrogate())
                d[k] = QChar(QChar::ReplacementCharacter);
        }
        return s;
    }
    QByteArrayView b = take(n);
    if (type == vaUTF8String)
        return QString::fromUtf8(b);
    return FromWin1252(b);
}

StreamValue ObjectReader::readValue(int depth)
{
    if (depth > MaxDepth)
        throw EReadError(streamerr::InvalidFormat());
    StreamValue v;
    v.type = readByte();
    switch (v.type) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
        break;
    case vaList:
        while (NextValue() != vaNull)
            v.items.push_back(readValue(depth + 1));
        readByte();
        break;
    case vaInt8:
        v.i = static_cast<std::int8_t>(readByte());
        break;
    case vaInt16: {
        QByteArrayView b = take(2);
        v.i = static_cast<std::int16_t>(static_cast<std::uint16_t>(
            static_cast<unsigned char>(b[0]) | (static_cast<unsigned char>(b[1]) << 8)));
        break;
    }
    case vaInt32:
        v.i = readInt32();
        break;
    case vaInt64: {
        QByteArrayView b = take(8);
        std::uint64_t u = 0;
        for (int k = 7; k >= 0; --k)
            u = (u << 8) | static_cast<unsigned char>(b[k]);
        v.i = static_cast<std::int64_t>(u);
        break;
    }
    case vaExtended: {
        QByteArrayView b = take(10);
        v.f = ExtendedFromBytes(reinterpret_cast<const unsigned char*>(b.data()));
        break;
    }
    case vaString:
        v.s = ReadStr();
        break;
    case vaIdent:
        v.s = ReadStr();
        break;
    case vaLString:
    case vaWString:
    case vaUTF8String:
        v.s = readLongString(v.type);
        break;
    case vaBinary: {
        qsizetype n = readLength();
        v.bytes = take(n).toByteArray();
        break;
    }
    case vaSet:
        for (;;) {
            QString m = ReadStr();
            if (m.isEmpty())
                break;
            v.members.append(m);
        }
        break;
    case vaCollection:
        while (NextValue() != vaNull) {
            StreamCollectionItem item;
            std::uint8_t t = NextValue();
            if (t == vaInt8 || t == vaInt16 || t == vaInt32)
                item.index = readValue(depth + 1).i;
            ReadListBegin();
            while (NextValue() != vaNull) {
                StreamProperty p;
                p.name = ReadStr();
                p.value = readValue(depth + 1);
                item.properties.push_back(std::move(p));
            }
            readByte();
            v.collection.push_back(std::move(item));
        }
        readByte();
        break;
    default:
        throw EReadError(streamerr::InvalidValue());
    }
    return v;
}

QStringList ObjectReader::ReadStringList()
{
    if (readByte() != vaList)
        throw EReadError(streamerr::InvalidValue());
    QStringList lines;
    while (NextValue() != vaNull) {
        const std::uint8_t t = readByte();
        if (t == vaString)
            lines.append(ReadStr());
        else if (t == vaLString || t == vaWString || t == vaUTF8String)
            lines.append(readLongString(t));
        else
            throw EReadError(streamerr::InvalidValue());
    }
    readByte();
    return lines;
}

void ObjectReader::dumpValue(QTextStream* out, int depth)
{
    if (depth > MaxDepth)
        throw EReadError(streamerr::InvalidFormat());
    const std::uint8_t type = NextValue();
    switch (type) {
    case vaList: {
        readByte();
        if (out)
            *out << '(';
        bool first = true;
        while (NextValue() != vaNull) {
            if (out && !first)
                *out << ' ';
            first = false;
            dumpValue(out, depth + 1);
        }
        readByte();
        if (out)
            *out << ')';
        return;
    }
    case vaBinary: {
        readByte();
        const qsizetype n = readLength();
        const QByteArrayView b = take(n);
        if (!out)
            return;
        *out << '{';
        constexpr qsizetype piece = 1 << 16;
        for (qsizetype at = 0; at < b.size(); at += piece)
            *out << QLatin1String(b.sliced(at, std::min(piece, b.size() - at)).toByteArray().toHex());
        *out << '}';
        return;
    }
    case vaCollection: {
        readByte();
        if (out)
            *out << '<';
        bool first = true;
        while (NextValue() != vaNull) {
            if (out)
                *out << (first ? "item" : " item");
            first = false;
            const std::uint8_t t = NextValue();
            if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
                const StreamValue index = readValue(depth + 1);
                if (out)
                    *out << " [" << index.i << ']';
            }
            ReadListBegin();
            while (NextValue() != vaNull) {
                const QString name = ReadStr();
                if (out)
                    *out << ' ' << name << " = ";
                dumpValue(out, depth + 1);
            }
            readByte();
            if (out)
                *out << " end";
        }
        readByte();
        if (out)
            *out << '>';
        return;
    }
    default: {
        // Everything else is small: read and formatted as one value.
        const StreamValue v = readValue(depth);
        if (out)
            *out << FormatStreamValue(v);
        return;
    }
    }
}

std::vector<StreamRecord> ObjectReader::ReadObjectStream()
{
    std::vector<StreamRecord> records;
    ReadListBegin();
    while (NextValue() != vaNull) {
        StreamRecord r;
        ReadRecordHeader(r.className, r.name);
        while (NextValue() != vaNull) {
            StreamProperty p;
            p.name = ReadStr();
            p.value = ReadValue();
            r.properties.push_back(std::move(p));
        }
        readByte();
        // Design objects have no children.
        ReadListEnd();
        records.push_back(std::move(r));
    }
    readByte();
    return records;
}

std::vector<StreamRecord> ReadObjectStream(QByteArrayView data)
{
    ObjectReader reader(data);
    return reader.ReadObjectStream();
}

Value ToPropertyValue(const StreamValue& v)
{
    switch (v.type) {
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        return Value::integer(v.i);
    case vaExtended:
        return Value::real(v.f);
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        return Value::string(v.s);
    case vaIdent:
        return Value::ident(v.s);
    case vaFalse:
    case vaTrue:
        return Value::boolean(v.type == vaTrue);
    case vaBinary:
        return Value::binary(v.bytes);
    case vaSet:
        return Value::set(v.members);
    case vaNil:
        return Value::null();
    case vaList: {
        QStringList lines;
        for (const auto& item : v.items) {
            if (item.type != vaString && item.type != vaLString && item.type != vaWString
                && item.type != vaUTF8String)
                throw EReadError(streamerr::InvalidValue());
            lines.append(item.s);
        }
        return Value::list(lines);
    }
    default:
        throw EReadError(streamerr::InvalidValue());
    }
}

// --- picture data ----------------------------------------------------------

namespace {
bool sizedGraphic(const QString& graphicClass)
{
    return graphicClass.compare(QLatin1String("TBitmap"), Qt::CaseInsensitive) == 0
        || graphicClass.compare(QLatin1String("TMetafile"), Qt::CaseInsensitive) == 0;
}
} // namespace

PictureData ParsePictureData(QByteArrayView payload)
{
    if (payload.isEmpty())
        throw EReadError(streamerr::InvalidValue());
    const auto n = static_cast<unsigned char>(payload[0]);
    if (n > 63 || n + 1 > payload.size())
        throw EReadError(streamerr::InvalidValue());
    PictureData out;
    out.graphicClass = FromWin1252(payload.sliced(1, n));
    QByteArrayView rest = payload.sliced(1 + n);
    if (!sizedGraphic(out.graphicClass)) {
        out.data = rest.toByteArray();
        return out;
    }
    if (rest.size() < 4)
        throw EReadError(streamerr::InvalidValue());
    std::uint32_t size = 0;
    for (int k = 3; k >= 0; --k)
        size = (size << 8) | static_cast<unsigned char>(rest[k]);
    if (size > static_cast<std::uint32_t>(rest.size() - 4))
        throw EReadError(streamerr::InvalidValue());
    out.data = rest.sliced(4, static_cast<qsizetype>(size)).toByteArray();
    return out;
}

QByteArray MakePictureData(const QString& graphicClass, QByteArrayView data)
{
    QByteArray out;
    ObjectWriter(out).WriteStr(graphicClass.left(63));
    if (sizedGraphic(graphicClass)) {
        auto n = static_cast<std::uint32_t>(data.size());
        for (int k = 0; k < 4; ++k)
            out.append(char((n >> (8 * k)) & 0xFF));
    }
    out.append(data.data(), data.size());
    return out;
}

// --- dump ------------------------------------------------------------------

QString FormatExtended(long double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, res.ptr - buf);
}

namespace {
QString quoteString(const QString& s)
{
    // Printable runs in quotes, control characters as #n between them.
    QString out;
    bool inQuotes = false;
    for (QChar c : s) {
        if (c.unicode() < 0x20) {
            if (inQuotes) {
                out += QLatin1Char('\'');
                inQuotes = false;
            }
            out += QLatin1Char('#') + QString::number(c.unicode());
            continue;
        }
        if (!inQuotes) {
            out += QLatin1Char('\'');
            inQuotes = true;
        }
        if (c == QLatin1Char('\''))
            out += QLatin1String("''");
        else
            out += c;
    }
    if (inQuotes)
        out += QLatin1Char('\'');
    if (out.isEmpty())
        out = QStringLiteral("''");
    return out;
}
} // namespace

QString FormatStreamValue(const StreamValue& v)
{
    switch (v.type) {
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
        return QString::number(v.i);
    case vaExtended:
        return FormatExtended(v.f);
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        return quoteString(v.s);
    case vaIdent:
        return v.s;
    case vaFalse:
        return QStringLiteral("False");
    case vaTrue:
        return QStringLiteral("True");
    case vaNil:
        return QStringLiteral("nil");
    case vaBinary:
        return QLatin1Char('{') + QString::fromLatin1(v.bytes.toHex()) + QLatin1Char('}');
    case vaSet:
        return QLatin1Char('[') + v.members.join(QLatin1String(", ")) + QLatin1Char(']');
    case vaList: {
        QStringList parts;
        for (const auto& item : v.items)
            parts.append(FormatStreamValue(item));
        return QLatin1Char('(') + parts.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    case vaCollection: {
        QStringList parts;
        for (const auto& item : v.collection) {
            QString text = QStringLiteral("item");
            if (item.index)
                text += QStringLiteral(" [%1]").arg(*item.index);
            for (const auto& p : item.properties)
                text += QLatin1Char(' ') + p.name + QLatin1String(" = ") + FormatStreamValue(p.value);
            text += QLatin1String(" end");
            parts.append(text);
        }
        return QLatin1Char('<') + parts.join(QLatin1Char(' ')) + QLatin1Char('>');
    }
    default:
        return QString();
    }
}

namespace {
// One pass over the records: with no stream only checking them.
void dumpRecords(QByteArrayView data, QTextStream* out)
{
    ObjectReader reader(data);
    reader.ReadListBegin();
    while (reader.NextValue() != vaNull) {
        QString className;
        QString name;
        reader.ReadRecordHeader(className, name);
        if (out)
            *out << "object " << name << ": " << className << '\n';
        while (reader.NextValue() != vaNull) {
            const QString property = reader.ReadStr();
            if (out)
                *out << "  " << property << " = ";
            reader.DumpValue(out);
            if (out)
                *out << '\n';
        }
        reader.ReadValueType();
        // Design objects have no children.
        reader.ReadListEnd();
        if (out)
            *out << "end\n";
    }
    reader.ReadValueType();
}
} // namespace

void DumpObjectStream(QByteArrayView data, QTextStream& out)
{
    dumpRecords(data, nullptr);
    dumpRecords(data, &out);
}

QString DumpObjectStream(QByteArrayView data)
{
    QString text;
    QTextStream out(&text);
    DumpObjectStream(data, out);
    out.flush();
    return text;
}

} // namespace bv
