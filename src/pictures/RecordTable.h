#pragma once
// A table of record handlers looked up by record kind: each player lists
// its handlers once, by the kinds' names, and plays a record by finding its
// handler. Records without a handler are skipped.
#include "pictures/RecordReader.h"

#include <initializer_list>
#include <type_traits>
#include <unordered_map>

namespace bv::pictures {

template <typename Player, typename Kind>
class RecordTable {
public:
    using Handler = void (Player::*)(RecordReader& record, Kind kind);
    struct Entry {
        Kind kind;
        Handler handler;
    };
    using Code = std::underlying_type_t<Kind>;

    RecordTable(std::initializer_list<Entry> entries)
    {
        for (const Entry& e : entries)
            handlers.emplace(static_cast<Code>(e.kind), e.handler);
    }
    // The handler of a record kind, nullptr for a kind without one.
    Handler find(Code code) const
    {
        const auto it = handlers.find(code);
        return it == handlers.end() ? nullptr : it->second;
    }

private:
    std::unordered_map<Code, Handler> handlers;
};

} // namespace bv::pictures
