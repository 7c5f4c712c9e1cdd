#include "MonitorRig.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr qint32 kMax = std::numeric_limits<qint32>::max();

// Ticks a reading in the shutdown band for as long as it must hold, less one second: the
// next tick of it acts.
void holdInBand(MonitorRig &rig, quint8 flag, quint8 percent)
{
    for (qint64 held = 0; held < Monitor::kShutdownHoldMs; held += 1000)
        rig.second(0, flag, percent);
}

TEST(MonitorLearning, FoldsIntervalsIntoTheMatchingMean)
{
    struct Row {
        const char *name;
        int status;
        quint8 percent;
        qint32 seconds;
        DischargeStatistics before;
        DischargeStatistics after;
        qint64 estimate; // seconds, before splitting
        bool saved;
        int tickPercent = -1; // the tick's Percent when it differs from the sampler's
    };
    const Row rows[] = {
        {"worked example", 2, 56, 150, {120, 3, 120, 3}, {127, 4, 120, 3}, 127 * 56, true},
        {"odd percent: no save", 2, 57, 150, {120, 3, 120, 3}, {127, 4, 120, 3}, 127 * 57, false},
        {"15 seconds count", 4, 20, 15, {120, 3, 120, 3}, {93, 4, 120, 3}, 93 * 20, true},
        {"seeded high flag drains", 1, 80, 30, {120, 3, 120, 3}, {97, 4, 120, 3}, 97 * 80, true},
        {"raw flag 0 drains", 0, 50, 30, {120, 3, 120, 3}, {97, 4, 120, 3}, 97 * 50, true},
        {"charging", 8, 57, 140, {120, 3, 140, 3}, {120, 3, 140, 4}, 43 * 140, false},
        {"full on mains charges", 23, 100, 200, {120, 3, 120, 3}, {120, 3, 140, 4}, 0, true},
        {"no battery charges", 128, 0, 30, {120, 3, 120, 3}, {120, 3, 97, 4}, 100 * 97, true},
        {"percent 0 on battery", 4, 0, 60, {120, 3, 120, 3}, {105, 4, 120, 3}, 0, true},
        // Stored statistics that a sound file never holds.
        {"count -1: history restarts",
         2,
         50,
         150,
         {120, -1, 120, 3},
         {150, 1, 120, 3},
         150 * 50,
         true},
        {"count 0: history restarts", 8, 50, 90, {120, 3, 7, 0}, {120, 3, 90, 1}, 50 * 90, true},
        {"negative mean counts as 0", 2, 50, 150, {-50, 3, 120, 3}, {37, 4, 120, 3}, 37 * 50, true},
        {"huge mean does not overflow",
         2,
         100,
         15,
         {kMax, 1000000000, 120, 3},
         {2147483644, 1000000001, 120, 3},
         qint64(2147483644) * 100,
         true},
        {"count saturates", 8, 50, 100, {120, 3, 100, kMax}, {120, 3, 100, kMax}, 50 * 100, true},
        // A status box may have let the sampler move on: the estimate follows the sampler,
        // the save follows the tick.
        {"even tick, odd sampler: save",
         2,
         55,
         150,
         {120, 3, 120, 3},
         {127, 4, 120, 3},
         127 * 55,
         true,
         56},
        {"odd tick, even sampler: no save",
         2,
         56,
         150,
         {120, 3, 120, 3},
         {127, 4, 120, 3},
         127 * 56,
         false,
         57},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        MonitorRig rig({0, 1, r.percent, -1});
        rig.stats = r.before;
        rig.monitor.StatusCode = r.status;
        rig.monitor.Percent = r.tickPercent < 0 ? r.percent : r.tickPercent;
        rig.monitor.SecondsSinceChange = r.seconds;
        rig.monitor.LearnAndEstimate();
        EXPECT_EQ(rig.stats.DrainTime, r.after.DrainTime);
        EXPECT_EQ(rig.stats.DrainTaken, r.after.DrainTaken);
        EXPECT_EQ(rig.stats.ChargeTime, r.after.ChargeTime);
        EXPECT_EQ(rig.stats.ChargeTaken, r.after.ChargeTaken);
        EXPECT_EQ(rig.monitor.SecondsSinceChange, 0);
        EXPECT_EQ(rig.monitor.ReferencePercent, r.percent);
        const qint64 e = r.estimate;
        EXPECT_EQ(rig.monitor.CountdownHours, (e / 3600) % 256);
        EXPECT_EQ(rig.monitor.CountdownMinutes, e % 3600 / 60);
        EXPECT_EQ(rig.monitor.CountdownSeconds, e % 60);
        EXPECT_EQ(rig.host.count("SaveSettings"), r.saved ? 1 : 0);
    }
}

TEST(MonitorLearning, ShortIntervalsAreDiscarded)
{
    MonitorRig rig({0, 1, 57, -1});
    rig.monitor.StatusCode = 2;
    rig.monitor.Percent = 56;
    rig.monitor.SecondsSinceChange = 14;
    rig.monitor.CountdownHours = 1;
    rig.monitor.CountdownMinutes = 2;
    rig.monitor.CountdownSeconds = 3;
    rig.monitor.LearnAndEstimate();
    EXPECT_EQ(rig.stats.DrainTime, 120);
    EXPECT_EQ(rig.stats.DrainTaken, 3);
    EXPECT_EQ(rig.monitor.SecondsSinceChange, 0);
    EXPECT_EQ(rig.monitor.ReferencePercent, 57); // the sampler's, not the tick's
    EXPECT_EQ(rig.monitor.CountdownHours, 1);
    EXPECT_EQ(rig.monitor.CountdownMinutes, 2);
    EXPECT_EQ(rig.monitor.CountdownSeconds, 3);
    EXPECT_EQ(rig.host.count("SaveSettings"), 0);
}

TEST(MonitorLearning, TickLearnsAfterADiscardedInterval)
{
    // 14 seconds after the last change the percent moves again: not learned; the next change
    // 120 seconds later is learned as 120.
    MonitorRig rig({0, 0, 60, -1});
    rig.monitor.StartMonitor();
    rig.second(0, 0, 60); // first tick: status change, 1 s discarded
    const DischargeStatistics seeded = rig.stats;
    for (int i = 0; i < 13; ++i)
        rig.second(0, 0, 60);
    rig.second(0, 0, 59);
    EXPECT_EQ(rig.stats.DrainTaken, seeded.DrainTaken);
    for (int i = 0; i < 119; ++i)
        rig.second(0, 0, 59);
    rig.second(0, 0, 58);
    EXPECT_EQ(rig.stats.DrainTaken, seeded.DrainTaken + 1);
    // The exact total so far: the initial 120 x 3 and the start-up 30, then the 120.
    EXPECT_EQ(rig.stats.DrainTime, (120 * 3 + 30 + 120) / (seeded.DrainTaken + 1));
}

TEST(MonitorLearning, FullBatteryIntervals)
{
    MonitorRig rig({1, 8, 98, -1});
    rig.monitor.StartMonitor();
    rig.second(1, 8, 98);
    rig.stats = {120, 3, 120, 3};
    for (int i = 0; i < 30; ++i)
        rig.second(1, 8, 99);
    // Reaching 100 while charging counts as 200 seconds, and nothing is left to charge.
    rig.second(1, 8, 99);
    const DischargeStatistics before = rig.stats;
    rig.second(1, 8, 100);
    EXPECT_EQ(rig.stats.ChargeTime,
              (before.ChargeTime * before.ChargeTaken + 200) / (before.ChargeTaken + 1));
    EXPECT_EQ(rig.monitor.TimeText, "0:00:00");
    // Charge finished: 8 to 23 folds another 200 seconds into charging.
    rig.second(1, 1, 100);
    EXPECT_EQ(rig.stats.ChargeTaken, before.ChargeTaken + 2);
    EXPECT_EQ(rig.host.applicationTitle, "100%, FULL : Voltline");
    EXPECT_EQ(rig.host.timeText, "0:00:00");
    for (int i = 0; i < 50; ++i)
        rig.second(1, 1, 100);
    // Unplugged at 100: 200 seconds into draining, countdown from the mean times 100.
    rig.stats.DrainTime = 120;
    rig.stats.DrainTaken = 3;
    rig.second(0, 1, 100);
    EXPECT_EQ(rig.stats.DrainTime, 140);
    EXPECT_EQ(rig.stats.DrainTaken, 4);
    EXPECT_EQ(rig.host.timeText, "3:53:19"); // 14000 s, less the display tick
    for (int i = 0; i < 300; ++i)
        rig.second(0, 1, 100);
    // The first drop below 100 counts 201 seconds.
    rig.second(0, 1, 99);
    EXPECT_EQ(rig.stats.DrainTime, (140 * 4 + 201) / 5);
    EXPECT_EQ(rig.stats.DrainTaken, 5);
}

TEST(MonitorLearning, StatusChangeWithoutPercentChange)
{
    // 15 seconds or more: the partial interval goes to the new direction.
    MonitorRig rig({0, 0, 50, -1});
    rig.monitor.StartMonitor();
    rig.second(0, 0, 50);
    rig.stats = {120, 3, 120, 3};
    for (int i = 0; i < 19; ++i)
        rig.second(0, 0, 50);
    rig.second(1, 8, 50);
    EXPECT_EQ(rig.stats.ChargeTime, (360 + 20) / 4);
    EXPECT_EQ(rig.stats.DrainTaken, 3);

    // Within 15 seconds: nothing learned and the countdown keeps running the old way.
    const QString before = rig.monitor.TimeText;
    for (int i = 0; i < 5; ++i)
        rig.second(1, 8, 50);
    rig.second(0, 0, 50);
    EXPECT_EQ(rig.stats.ChargeTaken, 4);
    EXPECT_EQ(rig.stats.DrainTaken, 3);
    EXPECT_EQ(rig.monitor.SecondsSinceChange, 0);
    EXPECT_NE(rig.monitor.TimeText, before);
}

TEST(MonitorLearning, PercentAndStatusChangeInOneTick)
{
    MonitorRig rig({0, 0, 27, -1});
    rig.monitor.StartMonitor();
    rig.second(0, 0, 27);
    rig.stats = {120, 3, 120, 3};
    for (int i = 0; i < 60; ++i) // the first of them discards its 1 s interval
        rig.second(0, 0, 26);
    rig.second(0, 2, 25); // 60 s and the warning level in the same tick
    EXPECT_EQ(rig.stats.DrainTime, (360 + 60) / 4);
    EXPECT_EQ(rig.stats.DrainTaken, 4);
    EXPECT_EQ(rig.monitor.SecondsSinceChange, 0);
    EXPECT_EQ(rig.monitor.StatusCode, 4);
}

TEST(MonitorCountdown, SplitsEstimates)
{
    struct Row {
        qint64 estimate;
        int h, m, s;
    };
    const Row rows[] = {
        {7112, 1, 58, 32},
        {6020, 1, 40, 20},
        {0, 0, 0, 0},
        {59, 0, 0, 59},
        {60, 0, 1, 0},
        {3599, 0, 59, 59},
        {3600, 1, 0, 0},
        {36007, 10, 0, 7},
        {256 * 3600 + 61, 0, 1, 1},
        {255 * 3600 + 3599, 255, 59, 59},
        {qint64(2147483644) * 100, 227, 26, 40},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.estimate);
        MonitorRig rig;
        rig.monitor.EstimateSeconds = r.estimate;
        rig.monitor.SplitEstimate();
        EXPECT_EQ(rig.monitor.CountdownHours, r.h);
        EXPECT_EQ(rig.monitor.CountdownMinutes, r.m);
        EXPECT_EQ(rig.monitor.CountdownSeconds, r.s);
    }
}

TEST(MonitorCountdown, StepsAndFormats)
{
    struct Row {
        int h, m, s;
        const char *text;
    };
    const Row rows[] = {
        {1, 0, 0, "0:59:59"},     {0, 1, 0, "0:00:59"},     {0, 0, 0, "0:00:00"},
        {0, 0, 1, "0:00:00"},     {10, 0, 8, "10:00:07"},   {1, 5, 10, "1:05:09"},
        {12, 34, 57, "12:34:56"}, {255, 0, 0, "254:59:59"}, {1, 58, 33, "1:58:32"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.text);
        MonitorRig rig;
        rig.monitor.CountdownHours = r.h;
        rig.monitor.CountdownMinutes = r.m;
        rig.monitor.CountdownSeconds = r.s;
        rig.monitor.StepCountdown();
        EXPECT_EQ(rig.monitor.TimeText, r.text);
    }
    // Stays at zero.
    MonitorRig rig;
    for (int i = 0; i < 3; ++i)
        rig.monitor.StepCountdown();
    EXPECT_EQ(rig.monitor.TimeText, "0:00:00");
    EXPECT_EQ(rig.monitor.CountdownSeconds, 0);
}

TEST(MonitorDisplay, TimeLabelAndTitle)
{
    struct Row {
        const char *name;
        int percent;
        int status;
        int h, m, s;
        const char *time;
        const char *title;
    };
    const Row rows[] = {
        {"discharging", 57, 2, 1, 58, 33, "1:58:32", "57%, 1:58:32 : Voltline"},
        {"run down", 12, 4, 0, 0, 0, "0:00:00", "12%, 0:00:00 : Voltline"},
        {"full on mains", 100, 23, 1, 0, 0, "0:00:00", "100%, FULL : Voltline"},
        {"full but charging", 100, 8, 0, 0, 0, "0:00:00", "100%, 0:00:00 : Voltline"},
        {"full on battery", 100, 2, 3, 20, 1, "3:20:00", "100%, 3:20:00 : Voltline"},
        {"above 100", 101, 23, 1, 0, 0, "0:00:00", "0%, Error! : Voltline"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        MonitorRig rig;
        rig.monitor.Percent = r.percent;
        rig.monitor.PercentText = QString::number(r.percent);
        rig.monitor.StatusCode = r.status;
        rig.monitor.CountdownHours = r.h;
        rig.monitor.CountdownMinutes = r.m;
        rig.monitor.CountdownSeconds = r.s;
        rig.monitor.tmrDisplayInfoTimer();
        EXPECT_EQ(rig.host.timeText, r.time);
        EXPECT_EQ(rig.host.applicationTitle, r.title);
    }
}

TEST(MonitorShutdown, RequestsOnceInTheBand)
{
    MonitorRig rig({0, 2, 12, -1});
    rig.settings.WarnPercent = 25;
    rig.settings.ShutdownPercent = 10;
    rig.monitor.StartMonitor();
    int savesBeforeRequest = -1;
    rig.shutdown.onRequest = [&](bool) {
        EXPECT_TRUE(rig.monitor.ShutdownDone);
        savesBeforeRequest = rig.host.count("SaveSettings");
    };
    rig.second(0, 2, 11);
    EXPECT_EQ(rig.monitor.DisplayState, QLatin1Char('W'));
    EXPECT_TRUE(rig.shutdown.requests.isEmpty());
    rig.host.clear();

    holdInBand(rig, 2, 10);
    EXPECT_TRUE(rig.shutdown.requests.isEmpty());
    rig.host.clear();
    rig.second(0, 2, 10);
    EXPECT_EQ(rig.shutdown.requests, QList<bool>{false});
    EXPECT_EQ(savesBeforeRequest, 1);
    EXPECT_TRUE(rig.monitor.ShutdownDone);
    // The band freezes status, hint, colour and state; the rest of the tick runs.
    EXPECT_EQ(rig.host.count("setHintText"), 0);
    EXPECT_EQ(rig.host.count("setGaugeColor"), 0);
    EXPECT_EQ(rig.monitor.StatusCode, 4);
    EXPECT_EQ(rig.monitor.DisplayState, QLatin1Char('W'));
    EXPECT_EQ(rig.host.percentText, "10%");
    EXPECT_EQ(rig.host.gaugePosition, 10);
    EXPECT_EQ(rig.host.count("drawStateIcon"), 1);

    for (quint8 p : {9, 9, 8, 0})
        rig.second(0, 4, p);
    EXPECT_EQ(rig.shutdown.requests.size(), 1);
    // Plugging in and draining again does not re-arm it.
    for (quint8 p : {1, 30, 30})
        rig.second(1, 8, p);
    for (quint8 p : {30, 5})
        rig.second(0, 2, p);
    EXPECT_EQ(rig.shutdown.requests.size(), 1);
}

TEST(MonitorShutdown, StartedInsideTheBand)
{
    MonitorRig rig({0, 2, 5, -1});
    rig.settings.ShutdownPercent = 10;
    rig.monitor.StartMonitor();
    holdInBand(rig, 2, 5);
    rig.second(0, 2, 5);
    EXPECT_EQ(rig.shutdown.requests.size(), 1);
    EXPECT_EQ(rig.monitor.DisplayState, QLatin1Char('F'));
    EXPECT_EQ(rig.monitor.StatusCode, 2); // the seeded flag
    EXPECT_EQ(rig.host.count("setGaugeColor"), 0);
    rig.second(0, 2, 11);
    EXPECT_EQ(rig.monitor.DisplayState, QLatin1Char('W'));
}

TEST(MonitorShutdown, BandBelowTheWarningLevelOnly)
{
    // Shutdown level above the warning level: nothing until the warning level is reached.
    MonitorRig rig({0, 0, 45, -1});
    rig.settings.WarnPercent = 25;
    rig.settings.ShutdownPercent = 40;
    rig.monitor.StartMonitor();
    for (quint8 p : {40, 30, 26})
        rig.second(0, 2, p);
    EXPECT_TRUE(rig.shutdown.requests.isEmpty());
    holdInBand(rig, 2, 25);
    rig.second(0, 2, 25);
    EXPECT_EQ(rig.shutdown.requests.size(), 1);
}

TEST(MonitorShutdown, ForceShutdownSteps)
{
    using R = ShutdownRequester::Result;
    struct Row {
        const char *name;
        QList<R> answers;
        bool result;
        QList<bool> requests;
    };
    const Row rows[] = {
        {"accepted at once", {R::Accepted}, true, {false}},
        {"needs rights, then accepted", {R::NeedsRights, R::Accepted}, true, {false, true}},
        {"needs rights, still refused", {R::NeedsRights, R::NeedsRights}, false, {false, true}},
        {"needs rights, then fails", {R::NeedsRights, R::Failed}, false, {false, true}},
        {"fails outright", {R::Failed}, false, {false}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        MonitorRig rig;
        rig.shutdown.answers = r.answers;
        std::optional<bool> accepted;
        rig.monitor.ForceShutdown([&](bool ok) { accepted = ok; });
        EXPECT_EQ(accepted, r.result);
        EXPECT_EQ(rig.shutdown.requests, r.requests);
    }
}

// A reading that was not really read never switches the machine off: the last charge standing
// in for a battery away for a moment, or a percent nobody could tell (stored as 0). The first
// real reading in the band does, once.
TEST(MonitorShutdown, OnlyARealReadingShutsDown)
{
    MonitorRig rig({0, 2, 30, -1});
    rig.settings.ShutdownPercent = 10;
    rig.monitor.StartMonitor();
    rig.second(0, 2, 30);
    const int saves = rig.host.count("SaveSettings");
    PowerStatusReading bridged{0, 2, 9, -1};
    bridged.ChargeBridged = true;
    // Longer than the band must hold, and each of them breaks the hold of the real 9 % between.
    for (int i = 0; i < 15; ++i)
        rig.second(i % 3 == 0   ? bridged
                   : i % 3 == 1 ? PowerStatusReading{0, 2, 255, -1}
                                : PowerStatusReading{0, 2, 9, -1});
    EXPECT_TRUE(rig.shutdown.requests.isEmpty());
    EXPECT_EQ(rig.host.count("SaveSettings"), saves);
    holdInBand(rig, 2, 9);
    rig.second(0, 2, 9);
    EXPECT_EQ(rig.shutdown.requests, QList<bool>{false});
    rig.second(0, 2, 8);
    EXPECT_EQ(rig.shutdown.requests.size(), 1);
}

// The system may take minutes to answer (a password prompt): the ticks go on meanwhile, no
// second request is made, and an answer that comes after the monitor is gone is dropped.
TEST(MonitorShutdown, SlowAnswerNeitherBlocksNorRepeats)
{
    using R = ShutdownRequester::Result;
    auto rig = std::make_unique<MonitorRig>(PowerStatusReading{0, 2, 12, -1});
    rig->settings.ShutdownPercent = 10;
    rig->shutdown.answers = {R::NeedsRights, R::Accepted};
    rig->shutdown.holdAnswers = true;
    rig->monitor.StartMonitor();
    holdInBand(*rig, 2, 10);
    for (quint8 p : {9, 9, 8})
        rig->second(0, 2, p);
    EXPECT_EQ(rig->shutdown.requests, QList<bool>{false});
    EXPECT_EQ(rig->monitor.Percent, 8);
    ASSERT_EQ(rig->shutdown.held.size(), 1);
    rig->shutdown.held.takeFirst()(); // lacks rights: ask once more, with them
    EXPECT_EQ(rig->shutdown.requests, (QList<bool>{false, true}));
    rig->second(0, 2, 7);
    EXPECT_EQ(rig->shutdown.requests.size(), 2);

    FakeShutdownRequester survivor = std::move(rig->shutdown);
    rig.reset();
    survivor.held.takeFirst()(); // the monitor is gone: nothing happens
    EXPECT_EQ(survivor.requests.size(), 2);
}

} // namespace
