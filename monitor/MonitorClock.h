#pragma once

#include <QtGlobal>

// The two clocks the monitor needs to tell time awake from time asleep. A suspend or a
// hibernation stops the first and not the second.
class MonitorClock {
public:
    virtual ~MonitorClock() = default;
    // Milliseconds on a clock that stops while the machine sleeps (CLOCK_MONOTONIC).
    virtual qint64 awakeMs() const = 0;
    // Milliseconds since boot, sleep included (CLOCK_BOOTTIME).
    virtual qint64 sinceBootMs() const = 0;

    // The machine's own clocks.
    static const MonitorClock &system();
};
