#include "surface/ClassRegistry.h"

#include <utility>
#include <vector>

namespace bv {

namespace {
struct Entry {
    QString name;
    ObjectFactory factory;
};

std::vector<Entry>& registry()
{
    static std::vector<Entry> entries;
    return entries;
}

Entry* findEntry(const QString& name)
{
    for (auto& e : registry())
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}
} // namespace

void RegisterObjectClass(const QString& className, ObjectFactory factory)
{
    if (Entry* e = findEntry(className)) {
        e->factory = std::move(factory);
        return;
    }
    registry().push_back({ className, std::move(factory) });
}

bool IsObjectClassRegistered(const QString& className)
{
    return findEntry(className) != nullptr;
}

TGGraphicControl* CreateObjectOfClass(const QString& className)
{
    Entry* e = findEntry(className);
    return e && e->factory ? e->factory() : nullptr;
}

} // namespace bv
