#include "ScriptedPowerSource.h"
#include "TPowerInfo.h"

#include <QTimer>
#include <QVariant>

#include <gtest/gtest.h>

#include <vector>

namespace {

PowerStatusReading reading(quint8 ac, quint8 flag, quint8 percent, qint32 seconds = -1)
{
    return {ac, flag, percent, seconds};
}

TEST(TPowerInfo, NormalisesPercentAndTime)
{
    struct Row {
        const char *name;
        quint8 percent;
        qint32 seconds;
        qint32 wantPercent;
        qint32 wantMinutes;
    };
    const Row rows[] = {
        {"unknown percent", 255, -1, 0, 0},
        {"full", 100, 3599, 100, 59},
        {"above 100", 101, 59, 0, 0},
        {"zero", 0, 60, 0, 1},
        {"negative seconds other than -1", 50, -61, 50, -1},
        {"largest seconds", 42, 2147483647, 42, 35791394},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        ScriptedPowerSource source({reading(0, 1, r.percent, r.seconds)});
        TPowerInfo info(source, nullptr);
        EXPECT_EQ(info.BatteryPercent(), r.wantPercent);
        EXPECT_EQ(info.BatteryTime(), r.wantMinutes);
    }
}

TEST(TPowerInfo, PassesRawBytesAndWorkArea)
{
    ScriptedPowerSource source({reading(255, 255, 50)}, {{0, 0, 1280, 994}, {10, 24, 1290, 1000}});
    TPowerInfo info(source, nullptr);
    EXPECT_EQ(info.PowerSupply(), 255);
    EXPECT_EQ(info.BatteryStatus(), 255);
    EXPECT_EQ(info.Left(), 0);
    EXPECT_EQ(info.Top(), 0);
    EXPECT_EQ(info.Right(), 1280);
    EXPECT_EQ(info.Bottom(), 994);
    EXPECT_EQ(info.Height(), 994);
    EXPECT_EQ(info.Width(), 1280);
    info.Refresh();
    EXPECT_EQ(info.Height(), 976);
    EXPECT_EQ(info.Width(), 1280);
}

TEST(TPowerInfo, ConstructionReadsBaselineThenRefreshes)
{
    // The baseline read differs from the refresh: since no handler can be assigned yet, no
    // event is seen, but the last-considered values follow the refresh.
    ScriptedPowerSource source({reading(1, 8, 50), reading(0, 1, 49), reading(0, 1, 49)});
    TPowerInfo info(source, nullptr);
    EXPECT_EQ(source.powerReads(), 2);
    EXPECT_EQ(source.workAreaReads(), 1);
    EXPECT_EQ(info.PowerSupply(), 0);
    EXPECT_EQ(info.BatteryPercent(), 49);
    EXPECT_TRUE(info.timer()->isActive());
    EXPECT_EQ(info.timer()->interval(), 1000);
    EXPECT_EQ(info.timer()->parent(), &info);

    int events = 0;
    info.SetOnACLineStatus([&](QObject *) { ++events; });
    info.SetOnBatteryStatus([&](QObject *) { ++events; });
    EXPECT_EQ(events, 0);
}

TEST(TPowerInfo, EventsFireOnceInOrderWithNewValues)
{
    ScriptedPowerSource source({reading(1, 8, 80), reading(1, 8, 80), reading(1, 8, 80),
                                reading(1, 8, 80), reading(1, 9, 81), reading(1, 9, 82),
                                reading(0, 1, 82), reading(0, 1, 81)},
                               {{0, 0, 100, 100},
                                {0, 0, 100, 100},
                                {0, 0, 100, 100},
                                {0, 0, 100, 100},
                                {0, 0, 100, 100},
                                {0, 0, 200, 200}});
    TPowerInfo info(source, nullptr);
    std::vector<std::string> log;
    info.SetOnACLineStatus([&](QObject *sender) {
        EXPECT_EQ(sender, &info);
        log.push_back("ac " + std::to_string(info.PowerSupply()) + " width " +
                      std::to_string(info.Width()));
    });
    info.SetOnBatteryStatus([&](QObject *sender) {
        EXPECT_EQ(sender, &info);
        log.push_back("battery " + std::to_string(info.BatteryStatus()));
    });
    EXPECT_TRUE(log.empty());
    info.Refresh(); // 8 -> 9
    info.Refresh(); // 9 again, percent moves: nothing
    info.Refresh(); // unplugged while charging: both, AC first
    info.Refresh(); // percent only
    // The handler sees the new power values but the previous work area.
    const std::vector<std::string> want = {"battery 9", "ac 0 width 100", "battery 1"};
    EXPECT_EQ(log, want);
    EXPECT_EQ(info.Width(), 200);
}

TEST(TPowerInfo, ChangesWithoutHandlerAreConsidered)
{
    ScriptedPowerSource source({reading(1, 8, 80), reading(1, 8, 80), reading(0, 1, 80)});
    TPowerInfo info(source, nullptr);
    info.Refresh(); // change while nobody listens
    int events = 0;
    info.SetOnACLineStatus([&](QObject *) { ++events; });
    info.SetOnBatteryStatus([&](QObject *) { ++events; });
    EXPECT_EQ(events, 0);
}

TEST(TPowerInfo, NestedRefreshInHandlerSeesTheSameChangeAgain)
{
    ScriptedPowerSource source({reading(1, 8, 80), reading(1, 8, 80), reading(0, 8, 80)});
    TPowerInfo info(source, nullptr);
    int calls = 0;
    info.SetOnACLineStatus([&](QObject *) {
        // A modal box's nested loop would run the timer here.
        if (++calls == 1)
            info.Refresh();
    });
    info.Refresh();
    EXPECT_EQ(calls, 2);
    info.Refresh();
    EXPECT_EQ(calls, 2);
}

TEST(TPowerInfo, HandlerMayReplaceItself)
{
    ScriptedPowerSource source(
        {reading(1, 8, 80), reading(1, 8, 80), reading(1, 9, 80), reading(1, 10, 80)});
    TPowerInfo info(source, nullptr);
    std::vector<std::string> log;
    const std::string first = "first handler, with enough captured text to live on the heap";
    info.SetOnBatteryStatus([&info, &log, first](QObject *) {
        info.SetOnBatteryStatus([&log](QObject *) { log.push_back("second"); });
        log.push_back(first); // the captured string must still be alive here
    });
    // Setting the first handler refreshes (8 -> 9); replacing it refreshes again (9 -> 10).
    const std::vector<std::string> want = {"second", first};
    EXPECT_EQ(log, want);
}

TEST(TPowerInfo, PropertyWritesAreDiscarded)
{
    ScriptedPowerSource source({reading(1, 1, 57)}, {{0, 0, 1280, 994}});
    TPowerInfo info(source, nullptr);
    const char *names[] = {"PowerSupply", "BatteryStatus", "BatteryPercent", "BatteryTime",
                           "Top",         "Bottom",        "Left",           "Right",
                           "Height",      "Width"};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        const QVariant before = info.property(name);
        ASSERT_TRUE(before.isValid());
        info.setProperty(name, 1234);
        EXPECT_EQ(info.property(name), before);
    }
    EXPECT_EQ(info.property("BatteryPercent").toInt(), 57);
}

class CountingPowerInfo : public TPowerInfo {
public:
    using TPowerInfo::TPowerInfo;
    void OnTimer(QObject *sender) override
    {
        EXPECT_EQ(sender, timer());
        ++ticks;
        TPowerInfo::OnTimer(sender);
    }
    int ticks = 0;
};

TEST(TPowerInfo, TimerCallsTheOverriddenOnTimer)
{
    ScriptedPowerSource source({reading(1, 1, 57), reading(1, 1, 57), reading(1, 1, 56)});
    CountingPowerInfo info(source, nullptr);
    ASSERT_TRUE(QMetaObject::invokeMethod(info.timer(), "timeout", Qt::DirectConnection));
    EXPECT_EQ(info.ticks, 1);
    EXPECT_EQ(info.BatteryPercent(), 56);
}

TEST(TPowerInfo, OwnedByItsOwner)
{
    ScriptedPowerSource source;
    QObject owner;
    auto *info = new TPowerInfo(source, &owner);
    EXPECT_EQ(info->parent(), &owner);
    // An empty script answers "cannot tell".
    EXPECT_EQ(info->PowerSupply(), 255);
    EXPECT_EQ(info->BatteryPercent(), 0);
}

} // namespace
