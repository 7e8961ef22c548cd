#pragma once
// Published properties of the design objects: what the object stream writes
// and reads. Each streamable class declares a static table, ancestors first,
// in stream order. The object filer is generic over these tables.
#include "platform/Errors.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace bv {

class TGGraphicControl;

// A property value as the stream holds it.
struct Value {
    enum Type { Null, Int, Float, Bool, String, Ident, Set, List, Binary };
    Type type = Null;
    std::int64_t i = 0;
    long double f = 0;   // extended precision, written as 80-bit
    bool b = false;
    QString s;           // String and Ident
    QStringList names;   // Set members (ascending ordinal order) or string list lines
    QByteArray bytes;    // Binary payload

    static Value null() { return {}; }
    static Value integer(std::int64_t v) { Value x; x.type = Int; x.i = v; return x; }
    static Value real(long double v) { Value x; x.type = Float; x.f = v; return x; }
    static Value boolean(bool v) { Value x; x.type = Bool; x.b = v; return x; }
    static Value string(const QString& v) { Value x; x.type = String; x.s = v; return x; }
    static Value ident(const QString& v) { Value x; x.type = Ident; x.s = v; return x; }
    static Value set(const QStringList& members) { Value x; x.type = Set; x.names = members; return x; }
    static Value list(const QStringList& lines) { Value x; x.type = List; x.names = lines; return x; }
    static Value binary(const QByteArray& v) { Value x; x.type = Binary; x.bytes = v; return x; }

    bool isNull() const { return type == Null; }
    bool operator==(const Value& o) const
    {
        return type == o.type && i == o.i && f == o.f && b == o.b && s == o.s && names == o.names
            && bytes == o.bytes;
    }
};

// How a property is written; decides the value type and the omission rule.
enum class PropertyKind {
    Integer,  // smallest of 0x02/0x03/0x04; omitted when equal to the default
    Colour,   // as Integer, but a named colour is written as an identifier; the
              // filer turns identifiers back into Int before calling the setter
    Cursor,   // as Integer, but a named cursor is written as an identifier (same)
    Char,     // one-character short string
    Enum,     // identifier (get/set use Value::ident)
    Bool,     // 0x08 / 0x09
    Set,      // 0x0B; a set without a default is always written, even empty
    Float,    // 0x05; omitted when 0
    String,   // 0x06 up to 255 characters, else 0x0C; omitted when empty
    Strings,  // extra entry "<prefix>.Strings": list of strings, written when not empty
    Bitmap,   // extra entry "<prefix>.Data": 32-bit size + BMP file; written when not empty.
              // The value is the BMP file alone: the filer writes and checks the size.
    Picture,  // extra entry "<prefix>.Data": class name + graphic data; written when a graphic is held.
              // The value is the whole payload, kept as read (see ParsePictureData).
    Binary,   // other binary data (e.g. rich text), written as it is when not empty
    Reference // identifier: another component's name
};

struct PropertyInfo {
    // Full stream name, dotted for nested objects ("Pen.Width", "Items.Strings",
    // "Picture.Data"), written as it stands.
    const char* name;
    PropertyKind kind;
    // Empty: no default, always written (unless the getter answers Null).
    std::optional<Value> defaultValue;
    // Current value; Null means "not stored" (e.g. an unassigned nested object).
    std::function<Value(const TGGraphicControl&)> get;
    // Applies a value read from a stream; throws EReadError("Invalid property
    // value") when the value has the wrong type or is out of range.
    std::function<void(TGGraphicControl&, const Value&)> set;
    // An enumeration's identifiers by ordinal (Enum kind only), for readers
    // of other formats that give the ordinal.
    QStringList enumNames = {};
};

class PropertyTable {
public:
    PropertyTable() = default;
    explicit PropertyTable(std::vector<PropertyInfo> entries) : items(std::move(entries)) {}

    // Ancestors' table followed by the class's own entries.
    static PropertyTable extend(const PropertyTable& base, std::vector<PropertyInfo> own)
    {
        std::vector<PropertyInfo> all = base.items;
        all.insert(all.end(), own.begin(), own.end());
        return PropertyTable(std::move(all));
    }

    const std::vector<PropertyInfo>& entries() const { return items; }
    // Lookup by stream name, letter case ignored; nullptr when absent.
    const PropertyInfo* find(const QString& name) const
    {
        for (const auto& p : items)
            if (name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0)
                return &p;
        return nullptr;
    }

private:
    std::vector<PropertyInfo> items;
};

// Helpers for setters: fetch a value of the expected type or fail the read.
inline std::int64_t expectInt(const Value& v)
{
    if (v.type != Value::Int)
        throw EReadError(QStringLiteral("Invalid property value"));
    return v.i;
}
inline bool expectBool(const Value& v)
{
    if (v.type != Value::Bool)
        throw EReadError(QStringLiteral("Invalid property value"));
    return v.b;
}
inline const QString& expectString(const Value& v)
{
    if (v.type != Value::String)
        throw EReadError(QStringLiteral("Invalid property value"));
    return v.s;
}
inline const QString& expectIdent(const Value& v)
{
    if (v.type != Value::Ident)
        throw EReadError(QStringLiteral("Invalid property value"));
    return v.s;
}

} // namespace bv
