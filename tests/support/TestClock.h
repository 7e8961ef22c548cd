#pragma once
// A clock that only moves when the test says so. Installs itself while alive.
#include "platform/Clock.h"

namespace bv::test {

class TestClock final : public Clock {
public:
    explicit TestClock(std::int64_t start = 100000) : now(start) { Clock::Install(this); }
    ~TestClock() override { Clock::Install(nullptr); }
    std::int64_t TickCount() const override { return now; }
    void advance(std::int64_t ms) { now += ms; }

private:
    std::int64_t now;
};

} // namespace bv::test
