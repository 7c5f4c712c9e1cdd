#pragma once

#include "MonitorClock.h"

// Time as a test says it passes: advance() while awake, sleep() for a suspend.
class FakeMonitorClock final : public MonitorClock {
public:
    qint64 awakeMs() const override { return m_awake; }
    qint64 sinceBootMs() const override { return m_awake + m_asleep; }

    void advance(qint64 ms) { m_awake += ms; }
    void sleep(qint64 ms) { m_asleep += ms; }

private:
    qint64 m_awake = 0;
    qint64 m_asleep = 0;
};
