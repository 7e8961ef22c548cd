#pragma once
// The design object classes a design file may name, by class name. The
// object stream reader creates objects only through this registry; each
// object library registers its classes once at start-up.
#include <QString>
#include <QStringList>
#include <functional>

namespace bv {

class TGGraphicControl;

using ObjectFactory = std::function<TGGraphicControl*()>;

// Registers (or replaces) the factory of a class name.
void RegisterObjectClass(const QString& className, ObjectFactory factory);
// True when the name is registered (letter case ignored).
bool IsObjectClassRegistered(const QString& className);
// A new, unparented object of the class, or nullptr when the name is unknown
// (letter case ignored). The caller owns it.
TGGraphicControl* CreateObjectOfClass(const QString& className);

} // namespace bv
