#include "surface/ObjectKinds.h"

#include <algorithm>
#include <utility>

namespace bv {

namespace {

struct Registered {
    TObjectTool tool;
    int sequence = 0; // registration order, for tools of equal order
};

std::vector<Registered>& tools()
{
    static std::vector<Registered> list;
    return list;
}

int nextFreeState()
{
    int state = 1; // 0 is the selection tool
    for (const Registered& r : tools())
        state = std::max(state, r.tool.state + 1);
    return state;
}

} // namespace

void RegisterObjectKind(TObjectKind kind)
{
    for (TObjectClass& c : kind.classes)
        RegisterObjectClass(c.name, std::move(c.factory));
    for (TObjectTool& t : kind.tools) {
        auto same = std::find_if(tools().begin(), tools().end(), [&](const Registered& r) {
            return t.state >= 0 ? r.tool.state == t.state : qstrcmp(r.tool.button, t.button) == 0;
        });
        if (same != tools().end()) {
            const int state = same->tool.state;
            same->tool = std::move(t);
            same->tool.state = state;
            continue;
        }
        if (t.state < 0)
            t.state = nextFreeState();
        const int sequence = static_cast<int>(tools().size());
        tools().push_back({ std::move(t), sequence });
    }
}

std::vector<TObjectTool> RegisteredTools()
{
    std::vector<Registered> sorted = tools();
    std::stable_sort(sorted.begin(), sorted.end(), [](const Registered& a, const Registered& b) {
        return a.tool.order < b.tool.order;
    });
    std::vector<TObjectTool> result;
    result.reserve(sorted.size());
    for (Registered& r : sorted)
        result.push_back(std::move(r.tool));
    return result;
}

const TObjectTool* FindTool(int state)
{
    for (const Registered& r : tools())
        if (r.tool.state == state)
            return &r.tool;
    return nullptr;
}

} // namespace bv
