#pragma once
// Property-table entries of the nested font, pen and brush objects, for the
// classes that publish one ("Pen.Color", "Pen.Mode", ...), and a helper for
// enumeration properties. The getters and setters reach the nested record
// through the accessors given.
#include "surface/Drawing.h"
#include "surface/Properties.h"

#include <functional>
#include <vector>

namespace bv {

class TGGraphicControl;

template <class Record>
struct NestedAccess {
    std::function<Record(const TGGraphicControl&)> get;
    std::function<void(TGGraphicControl&, const Record&)> set;
};

// prefix.Color (default clBlack), .Mode (pmCopy), .Style (psSolid), .Width (1).
std::vector<PropertyInfo> PenProperties(const char* prefix, NestedAccess<TPen> access);
// prefix.Color (default clWhite), .Style (bsSolid).
std::vector<PropertyInfo> BrushProperties(const char* prefix, NestedAccess<TBrush> access);
// prefix.Color (always), .Height (always), .Name (when not empty), .Pitch
// (default fpDefault), .Style (set, always).
std::vector<PropertyInfo> FontProperties(const char* prefix, NestedAccess<TFont> access);

// An enumeration property written by name.
PropertyInfo EnumProperty(const char* name, const QStringList& names, std::optional<int> defaultOrdinal,
    std::function<int(const TGGraphicControl&)> get, std::function<void(TGGraphicControl&, int)> set);
// The ordinal of an identifier value, or EReadError("Invalid property value").
int ExpectEnum(const QStringList& names, const Value& v);

} // namespace bv
