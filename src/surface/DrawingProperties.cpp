#include "surface/DrawingProperties.h"

#include <QByteArray>
#include <deque>

namespace bv {

namespace {
// Entry names are const char*; the dotted names made here live as long as
// the program, like the tables that hold them.
const char* keepName(const QByteArray& name)
{
    static std::deque<QByteArray> names;
    names.push_back(name);
    return names.back().constData();
}

const char* dotted(const char* prefix, const char* member)
{
    return keepName(QByteArray(prefix) + '.' + member);
}
} // namespace

int ExpectEnum(const QStringList& names, const Value& v)
{
    auto o = EnumOrdinal(names, expectIdent(v));
    if (!o)
        throw EReadError(QStringLiteral("Invalid property value"));
    return *o;
}

PropertyInfo EnumProperty(const char* name, const QStringList& names, std::optional<int> defaultOrdinal,
    std::function<int(const TGGraphicControl&)> get, std::function<void(TGGraphicControl&, int)> set)
{
    std::optional<Value> def;
    if (defaultOrdinal)
        def = Value::ident(names[*defaultOrdinal]);
    return { name, PropertyKind::Enum, def,
        [names, get](const TGGraphicControl& o) {
            const int i = get(o);
            return i >= 0 && i < names.size() ? Value::ident(names[i]) : Value::integer(i);
        },
        [names, set](TGGraphicControl& o, const Value& v) { set(o, ExpectEnum(names, v)); }, names };
}

std::vector<PropertyInfo> PenProperties(const char* prefix, NestedAccess<TPen> a)
{
    return {
        { dotted(prefix, "Color"), PropertyKind::Colour, Value::integer(clBlack),
            [a](const TGGraphicControl& o) { return Value::integer(a.get(o).Color); },
            [a](TGGraphicControl& o, const Value& v) {
                TPen p = a.get(o);
                p.Color = static_cast<TColor>(expectInt(v));
                a.set(o, p);
            } },
        EnumProperty(dotted(prefix, "Mode"), PenModeNames(), pmCopy,
            [a](const TGGraphicControl& o) { return int(a.get(o).Mode); },
            [a](TGGraphicControl& o, int v) {
                TPen p = a.get(o);
                p.Mode = TPenMode(v);
                a.set(o, p);
            }),
        EnumProperty(dotted(prefix, "Style"), PenStyleNames(), psSolid,
            [a](const TGGraphicControl& o) { return int(a.get(o).Style); },
            [a](TGGraphicControl& o, int v) {
                TPen p = a.get(o);
                p.Style = TPenStyle(v);
                a.set(o, p);
            }),
        { dotted(prefix, "Width"), PropertyKind::Integer, Value::integer(1),
            [a](const TGGraphicControl& o) { return Value::integer(a.get(o).Width); },
            [a](TGGraphicControl& o, const Value& v) {
                TPen p = a.get(o);
                p.Width = static_cast<int>(expectInt(v));
                a.set(o, p);
            } },
    };
}

std::vector<PropertyInfo> BrushProperties(const char* prefix, NestedAccess<TBrush> a)
{
    return {
        { dotted(prefix, "Color"), PropertyKind::Colour, Value::integer(clWhite),
            [a](const TGGraphicControl& o) { return Value::integer(a.get(o).Color); },
            [a](TGGraphicControl& o, const Value& v) {
                TBrush b = a.get(o);
                b.Color = static_cast<TColor>(expectInt(v));
                a.set(o, b);
            } },
        EnumProperty(dotted(prefix, "Style"), BrushStyleNames(), bsSolid,
            [a](const TGGraphicControl& o) { return int(a.get(o).Style); },
            [a](TGGraphicControl& o, int v) {
                TBrush b = a.get(o);
                b.Style = TBrushStyle(v);
                a.set(o, b);
            }),
    };
}

std::vector<PropertyInfo> FontProperties(const char* prefix, NestedAccess<TFont> a)
{
    return {
        { dotted(prefix, "Color"), PropertyKind::Colour, std::nullopt,
            [a](const TGGraphicControl& o) { return Value::integer(a.get(o).Color); },
            [a](TGGraphicControl& o, const Value& v) {
                TFont f = a.get(o);
                f.Color = static_cast<TColor>(expectInt(v));
                a.set(o, f);
            } },
        { dotted(prefix, "Height"), PropertyKind::Integer, std::nullopt,
            [a](const TGGraphicControl& o) { return Value::integer(a.get(o).Height); },
            [a](TGGraphicControl& o, const Value& v) {
                TFont f = a.get(o);
                f.Height = static_cast<int>(expectInt(v));
                a.set(o, f);
            } },
        { dotted(prefix, "Name"), PropertyKind::String, Value::string(QString()),
            [a](const TGGraphicControl& o) { return Value::string(a.get(o).Name); },
            [a](TGGraphicControl& o, const Value& v) {
                TFont f = a.get(o);
                f.Name = expectString(v);
                a.set(o, f);
            } },
        EnumProperty(dotted(prefix, "Pitch"), FontPitchNames(), fpDefault,
            [a](const TGGraphicControl& o) { return int(a.get(o).Pitch); },
            [a](TGGraphicControl& o, int v) {
                TFont f = a.get(o);
                f.Pitch = TFontPitch(v);
                a.set(o, f);
            }),
        { dotted(prefix, "Style"), PropertyKind::Set, std::nullopt,
            [a](const TGGraphicControl& o) { return Value::set(a.get(o).StyleNames()); },
            [a](TGGraphicControl& o, const Value& v) {
                if (v.type != Value::Set)
                    throw EReadError(QStringLiteral("Invalid property value"));
                TFont f = a.get(o);
                if (!f.SetStyleNames(v.names))
                    throw EReadError(QStringLiteral("Invalid property value"));
                a.set(o, f);
            } },
    };
}

} // namespace bv
