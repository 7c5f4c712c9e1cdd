#pragma once

#include "BarSettings.h"
#include "FakeMonitorClock.h"
#include "FakeShutdownRequester.h"
#include "Monitor.h"
#include "RecordingMonitorHost.h"
#include "ScriptedPowerSource.h"
#include "TPowerInfo.h"

// A monitor wired to a scripted sampler and recording fakes. set() makes a reading current.
struct MonitorRig {
    explicit MonitorRig(PowerStatusReading first = {0, 1, 80, -1})
        : source({first})
    {
    }

    void set(quint8 ac, quint8 flag, quint8 percent) { set({ac, flag, percent, -1}); }
    void set(const PowerStatusReading &reading)
    {
        source.appendReading(reading);
        power.Refresh();
    }
    // One second of the window: the sampler, then the two ticks.
    void second(quint8 ac, quint8 flag, quint8 percent) { second({ac, flag, percent, -1}); }
    void second(const PowerStatusReading &reading)
    {
        clock.advance(1000);
        set(reading);
        monitor.tmrComputeInfoTimer();
        monitor.tmrDisplayInfoTimer();
    }

    ScriptedPowerSource source;
    TPowerInfo power{source, nullptr};
    BarSettings settings;
    DischargeStatistics stats;
    RecordingMonitorHost host;
    FakeShutdownRequester shutdown;
    FakeMonitorClock clock;
    Monitor monitor{power, settings, stats, host, shutdown, clock};
};
