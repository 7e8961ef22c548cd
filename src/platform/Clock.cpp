#include "platform/Clock.h"

#include <QElapsedTimer>

namespace bv {

namespace {
class SystemClock final : public Clock {
public:
    SystemClock() { timer.start(); }
    std::int64_t TickCount() const override { return timer.elapsed(); }

private:
    QElapsedTimer timer;
};

Clock* installed = nullptr;
} // namespace

Clock& Clock::Current()
{
    static SystemClock system;
    return installed ? *installed : system;
}

void Clock::Install(Clock* clock)
{
    installed = clock;
}

} // namespace bv
