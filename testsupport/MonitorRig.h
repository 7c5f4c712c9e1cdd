#pragma once

#include "BarSettings.h"
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

    void set(quint8 ac, quint8 flag, quint8 percent)
    {
        source.appendReading({ac, flag, percent, -1});
        power.Refresh();
    }
    // One second of the window: the sampler, then the two ticks.
    void second(quint8 ac, quint8 flag, quint8 percent)
    {
        set(ac, flag, percent);
        monitor.tmrComputeInfoTimer();
        monitor.tmrDisplayInfoTimer();
    }

    ScriptedPowerSource source;
    TPowerInfo power{source, nullptr};
    BarSettings settings;
    DischargeStatistics stats;
    RecordingMonitorHost host;
    FakeShutdownRequester shutdown;
    Monitor monitor{power, settings, stats, host, shutdown};
};
