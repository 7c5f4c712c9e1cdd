#include "MonitorClock.h"

#include <ctime>

namespace {

qint64 readMs(clockid_t id)
{
    struct timespec now {};
    ::clock_gettime(id, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

class SystemMonitorClock final : public MonitorClock {
public:
    qint64 awakeMs() const override { return readMs(CLOCK_MONOTONIC); }
    qint64 sinceBootMs() const override { return readMs(CLOCK_BOOTTIME); }
};

} // namespace

const MonitorClock &MonitorClock::system()
{
    static const SystemMonitorClock clock;
    return clock;
}
