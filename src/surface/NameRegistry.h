#pragma once
// Component names are unique among the components of one owner (the main
// window). The owner answers whether a name is in use; the panel asks it for
// "Special"+n names of new objects and the stream reader for "Component"+n.
#include <QString>

namespace bv {

class NameRegistry {
public:
    virtual ~NameRegistry() = default;
    // True when a component of this name exists (letter case ignored).
    virtual bool IsNameTaken(const QString& name) const = 0;
};

} // namespace bv
