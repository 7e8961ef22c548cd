#pragma once
// Milliseconds since start, as the system tick count. Time rules (paste guard,
// drag start, click without move) read it through this interface so tests can
// advance time without sleeping.
#include <cstdint>

namespace bv {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t TickCount() const = 0;

    // The clock in use; the real one unless a test installed another.
    static Clock& Current();
    // Install a clock (not owned); nullptr restores the real one.
    static void Install(Clock* clock);
};

inline std::int64_t GetTickCount() { return Clock::Current().TickCount(); }

} // namespace bv
