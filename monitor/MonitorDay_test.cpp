// A whole day through the real sampler and monitor: discharge past the warning and shutdown
// levels, plug in, charge to full, unplug.
#include "MonitorRig.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Segment {
    quint8 ac, flag, percent;
    int seconds;
};

quint8 levelFlag(int percent)
{
    return percent > 66 ? 1 : percent < 5 ? 4 : percent < 33 ? 2 : 0;
}

// A learned mean is the truncated quotient of the exact total of its intervals.
struct RunningMean {
    qint64 total = 120 * 3;
    qint32 taken = 3;
    void fold(qint64 interval)
    {
        total += interval;
        ++taken;
    }
    qint32 mean() const { return qint32(total / taken); }
};

QString clock(qint64 s)
{
    return QStringLiteral("%1:%2:%3")
        .arg((s / 3600) % 256)
        .arg(s % 3600 / 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

TEST(MonitorDay, LearnsAndShutsDownOnce)
{
    std::vector<Segment> day;
    for (int p = 60; p >= 8; --p)
        day.push_back({0, levelFlag(p), quint8(p), 90});
    day.push_back({1, quint8(8 | levelFlag(8)), 8, 40});
    for (int p = 9; p <= 99; ++p)
        day.push_back({1, quint8(8 | levelFlag(p)), quint8(p), 60});
    day.push_back({1, 9, 100, 30});  // still charging at 100
    day.push_back({1, 1, 100, 300}); // charge finished
    day.push_back({0, 1, 100, 100}); // unplugged
    day.push_back({0, 1, 99, 90});
    day.push_back({0, 1, 98, 10});

    MonitorRig rig({0, levelFlag(60), 60, -1});
    rig.settings.WarnPercent = 25;
    rig.settings.ShutdownPercent = 10;
    rig.settings.PopupBoxStatus = true;
    rig.monitor.StartMonitor();
    for (const Segment &s : day)
        for (int i = 0; i < s.seconds; ++i)
            rig.second(s.ac, s.flag, s.percent);

    // What the day should have taught, interval by interval.
    RunningMean drain, charge;
    drain.fold(30); // start-up seed; the first tick's second is dropped
    for (int p = 59; p >= 8; --p)
        drain.fold(90); // includes the shutdown band, still draining
    charge.fold(90);    // plugged in 90 s after reaching 8 %
    charge.fold(40);    // 8 -> 9
    for (int p = 10; p <= 99; ++p)
        charge.fold(60);
    charge.fold(200); // reaching 100
    charge.fold(200); // charging -> full on mains
    drain.fold(200);  // unplugged at 100
    drain.fold(201);  // first drop below 100
    drain.fold(90);   // 99 -> 98

    EXPECT_EQ(rig.stats.DrainTime, drain.mean());
    EXPECT_EQ(rig.stats.DrainTaken, drain.taken);
    EXPECT_EQ(rig.stats.ChargeTime, charge.mean());
    EXPECT_EQ(rig.stats.ChargeTaken, charge.taken);

    EXPECT_EQ(rig.shutdown.requests, QList<bool>{false});
    EXPECT_TRUE(rig.monitor.ShutdownDone);

    QStringList boxes;
    for (const auto &box : rig.host.statusBoxes)
        boxes << box.text;
    const QStringList wantBoxes = {"Battery Power Critical", "Battery Charging",
                                   "Battery Power Full - AC Power", "Battery Power OK"};
    EXPECT_EQ(boxes, wantBoxes);

    EXPECT_EQ(rig.monitor.DisplayState, QLatin1Char('F'));
    EXPECT_EQ(rig.host.percentText, "98%");
    const QString left = clock(qint64(drain.mean()) * 98 - 10);
    EXPECT_EQ(rig.host.timeText, left);
    EXPECT_EQ(rig.host.applicationTitle, "98%, " + left + " : Voltline");
}

} // namespace
