// What laptops of today do that the rules must not learn from or act on: a battery held at a
// charge limit, a fuel gauge that reads 0 % for a second, a suspend in the middle of a step.
#include "MonitorRig.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr quint32 kPurple = 0x00800080;
// What the laptop learned before each scene.
constexpr DischargeStatistics kLearned{150, 40, 90, 20};

PowerStatusReading held(quint8 flag, quint8 percent)
{
    PowerStatusReading r{1, flag, percent, -1};
    r.BatteryHeld = true;
    return r;
}

// After `seconds` more of `reading`, a step of one point its way is learned as `learnedAs`.
void expectNextStepLearned(MonitorRig &rig, const PowerStatusReading &reading, int seconds,
                           qint32 learnedAs)
{
    for (int s = 1; s < seconds; ++s)
        rig.second(reading);
    const bool draining = reading.ACLineStatus == 0;
    PowerStatusReading step = reading;
    step.BatteryLifePercent += draining ? -1 : 1;
    rig.second(step);
    if (draining)
        EXPECT_EQ(rig.stats.DrainTime, (kLearned.DrainTime * kLearned.DrainTaken + learnedAs) /
                                           (kLearned.DrainTaken + 1));
    else
        EXPECT_EQ(rig.stats.ChargeTime, (kLearned.ChargeTime * kLearned.ChargeTaken + learnedAs) /
                                            (kLearned.ChargeTaken + 1));
}

QString clockText(qint64 s)
{
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s % 3600 / 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

// An hour at the charge limit, a percent lost to the mains adapter's idle draw on the way,
// then the spell ends: nothing of it is learned, and the countdown starts at once from the
// mean that was learned before.
TEST(MonitorHeld, AnHourAtTheLimitTeachesNothing)
{
    struct Row {
        const char *name;
        quint8 flag, percent;
        PowerStatusReading after; // the reading that ends the spell
        qint64 countdown;         // from kLearned, before the display tick
        qint32 nextStep;          // what the next step 100 s later is learned as
    };
    const Row rows[] = {
        {"threshold 80 %, unplugged", 1, 80, {0, 1, 79, -1}, 150 * 79, 100},
        {"gauge full at 97 %, unplugged", 1, 97, {0, 1, 97, -1}, 150 * 97, 100},
        {"two batteries not charging, 44 % together, unplugged",
         0,
         44,
         {0, 0, 44, -1},
         150 * 44,
         100},
        {"threshold 80 %, charging resumes", 1, 80, {1, 9, 79, -1}, 90 * 21, 100},
        // On battery at 100 % the first drop still counts as 200 s and its own tick.
        {"full at 100 %, unplugged", 1, 100, {0, 1, 100, -1}, 150 * 100, 201},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        MonitorRig rig(held(r.flag, r.percent));
        rig.stats = kLearned;
        rig.settings.PopupBoxStatus = true;
        rig.monitor.StartMonitor();
        const quint8 later = r.percent == 100 ? 100 : r.percent - 1;
        for (int s = 0; s < 3600; ++s)
            rig.second(held(r.flag, s < 1800 ? r.percent : later));

        EXPECT_EQ(rig.monitor.StatusCode, 23);
        EXPECT_EQ(rig.monitor.DisplayState, QLatin1Char('A'));
        EXPECT_EQ(rig.host.gaugeColor, kPurple);
        EXPECT_EQ(rig.host.hintText, "AC Power - Right click for menu");
        EXPECT_EQ(rig.host.timeText, "0:00:00");
        EXPECT_EQ(rig.host.applicationTitle, QStringLiteral("%1%, FULL : Voltline").arg(later));
        EXPECT_EQ(rig.host.gaugePosition, later);

        rig.second(r.after);
        EXPECT_EQ(rig.stats, kLearned);
        EXPECT_EQ(rig.host.timeText, clockText(r.countdown - 1));
        // From here on learning goes on as usual.
        expectNextStepLearned(rig, r.after, 100, r.nextStep);
    }
}

// One request, and only for a reading that stayed in the band for ten seconds in a row.
TEST(MonitorShutdown, OnlyAReadingThatHoldsShutsDown)
{
    struct Row {
        const char *name;
        std::vector<std::pair<quint8, int>> readings; // percent, seconds (on battery)
        int requestAfter;                             // seconds into the run, -1: none
    };
    const Row rows[] = {
        {"2 s of 0 % at 57 %", {{57, 30}, {0, 2}, {57, 60}}, -1},
        {"9 s of 0 % at 57 %", {{57, 30}, {0, 9}, {57, 60}}, -1},
        {"glitches 8 s apart never hold", {{57, 5}, {0, 2}, {57, 1}, {0, 9}, {57, 1}, {3, 9}}, -1},
        {"a real 8 %", {{11, 30}, {8, 60}}, 40},
        {"a real 8 % after a glitch", {{57, 30}, {0, 2}, {57, 5}, {8, 60}}, 47},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        MonitorRig rig({0, 0, r.readings.front().first, -1});
        rig.settings.WarnPercent = 25;
        rig.settings.ShutdownPercent = 10;
        rig.monitor.StartMonitor();
        int second = 0, requestedAt = -1;
        for (const auto &[percent, seconds] : r.readings) {
            for (int i = 0; i < seconds; ++i) {
                rig.second(0, batteryLevelFlag(percent), percent);
                ++second;
                if (requestedAt < 0 && !rig.shutdown.requests.isEmpty())
                    requestedAt = second;
            }
        }
        // The first band reading is second n; it has held ten seconds at second n + 10.
        EXPECT_EQ(requestedAt, r.requestAfter < 0 ? -1 : r.requestAfter + 1);
        EXPECT_EQ(rig.shutdown.requests.size(), r.requestAfter < 0 ? 0 : 1);
    }
}

// A suspend is not time the battery was watched: the steps across it teach nothing, the
// countdown starts again from the mean, and the next whole step is learned as usual.
TEST(MonitorSleep, AStepAcrossASleepTeachesNothing)
{
    struct Row {
        const char *name;
        PowerStatusReading before, after;
        qint64 sleepMs;
        qint64 countdown; // from kLearned, before the display tick
        // The window's ticks may come before the sampler's first one after the resume.
        bool samplerLate = false;
    };
    const Row rows[] = {
        {"eight hours asleep cost 7 %", {0, 0, 57, -1}, {0, 0, 50, -1}, 8 * 3600'000, 150 * 50},
        {"hibernated an hour, no step", {0, 0, 57, -1}, {0, 0, 57, -1}, 3600'000, 150 * 57},
        {"asleep while charging", {1, 8, 40, -1}, {1, 8, 43, -1}, 2 * 3600'000, 90 * 57},
        {"asleep on battery, woken on mains", {0, 0, 60, -1}, {1, 8, 58, -1}, 600'000, 90 * 42},
        {"the sampler late after the resume",
         {0, 0, 57, -1},
         {0, 0, 50, -1},
         8 * 3600'000,
         150 * 50,
         true},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        MonitorRig rig(r.before);
        rig.monitor.StartMonitor();
        rig.second(r.before);
        rig.stats = kLearned;
        for (int s = 0; s < 60; ++s) // half a step watched before the sleep
            rig.second(r.before);
        rig.clock.sleep(r.sleepMs);
        if (r.samplerLate) {
            rig.clock.advance(1000);
            rig.source.appendReading(r.after);
            rig.monitor.tmrComputeInfoTimer();
            rig.monitor.tmrDisplayInfoTimer();
        } else {
            rig.second(r.after);
        }
        EXPECT_EQ(rig.stats, kLearned);
        EXPECT_EQ(rig.host.timeText, clockText(r.countdown - 1));
        expectNextStepLearned(rig, r.after, 120, 120);
    }
}

} // namespace
