#include "MonitorRig.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const QString kBatteryHint = QStringLiteral("Battery Power - Right click for menu");
const QString kChargingHint = QStringLiteral("Battery Charging - Right click for menu");
const QString kACHint = QStringLiteral("AC Power - Right click for menu");
const QString kNoneHint = QStringLiteral("Right click for menu");

TEST(MonitorTick, Classifies)
{
    struct Row {
        const char *name;
        int warn, shutdownLevel;
        quint8 ac, flag, percent;
        int status;
        char state;
        quint32 color;
        QString hint;
    };
    const Row rows[] = {
        {"battery 67 is full", 25, 4, 0, 1, 67, 2, 'F', 0x00FF0000, kBatteryHint},
        {"battery 66 is half", 25, 4, 0, 0, 66, 2, 'H', 0x00FF0000, kBatteryHint},
        {"battery 34 is half", 25, 4, 0, 0, 34, 2, 'H', 0x00FF0000, kBatteryHint},
        {"battery 33 is empty", 25, 4, 0, 0, 33, 2, 'E', 0x00FF0000, kBatteryHint},
        {"one above warning", 25, 4, 0, 2, 26, 2, 'E', 0x00FF0000, kBatteryHint},
        {"at warning", 25, 4, 0, 2, 25, 4, 'W', 0x000000FF, kBatteryHint},
        {"high warning level wins over F", 70, 4, 0, 1, 68, 4, 'W', 0x000000FF, kBatteryHint},
        {"one above shutdown", 25, 10, 0, 2, 11, 4, 'W', 0x000000FF, kBatteryHint},
        {"shutdown off at 0 %", 25, 0, 0, 4, 0, 4, 'W', 0x000000FF, kBatteryHint},
        {"shutdown level above warning counts only below it", 25, 40, 0, 2, 30, 2, 'E', 0x00FF0000,
         kBatteryHint},
        {"mains unknown but charging", 25, 4, 255, 9, 50, 8, 'C', 0x00008000, kChargingHint},
        {"mains unknown", 25, 4, 255, 1, 50, 129, 'N', 0x0000FFFF, kNoneHint},
        {"odd mains byte", 25, 4, 7, 0, 50, 129, 'N', 0x0000FFFF, kNoneHint},
        {"odd mains byte charging low", 25, 4, 7, 10, 50, 8, 'C', 0x00008000, kChargingHint},
        {"mains not charging at 99", 25, 4, 1, 1, 99, 8, 'C', 0x00008000, kChargingHint},
        {"mains at 100", 25, 4, 1, 1, 100, 23, 'A', 0x00800080, kACHint},
        {"mains charging at 100", 25, 4, 1, 8, 100, 8, 'C', 0x00008000, kChargingHint},
        {"mains low battery below shutdown", 25, 10, 1, 2, 3, 8, 'C', 0x00008000, kChargingHint},
        {"no battery on mains", 25, 4, 1, 128, 255, 8, 'C', 0x00008000, kChargingHint},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        MonitorRig rig({r.ac, r.flag, r.percent, -1});
        rig.settings.WarnPercent = r.warn;
        rig.settings.ShutdownPercent = r.shutdownLevel;
        rig.monitor.StartMonitor();
        rig.monitor.tmrComputeInfoTimer();
        EXPECT_EQ(rig.monitor.StatusCode, r.status);
        EXPECT_EQ(rig.monitor.DisplayState, QLatin1Char(r.state));
        EXPECT_EQ(rig.host.gaugeColor, r.color);
        EXPECT_EQ(rig.host.hintText, r.hint);
        EXPECT_TRUE(rig.shutdown.requests.isEmpty());
    }
}

TEST(MonitorTick, GaugeAndPercentLabel)
{
    MonitorRig rig({0, 0, 57, -1});
    rig.monitor.StartMonitor();
    rig.monitor.tmrComputeInfoTimer();
    EXPECT_EQ(rig.monitor.PercentText, "57");
    EXPECT_EQ(rig.host.percentText, "57%");
    EXPECT_EQ(rig.host.gaugePosition, 57);

    // The sampler never delivers more than 100; the guard still shows an empty gauge.
    rig.monitor.Percent = 150;
    rig.monitor.PercentText = "150";
    rig.monitor.tmrDisplayInfoTimer();
    EXPECT_EQ(rig.host.applicationTitle, "0%, Error! : Voltline");
    EXPECT_EQ(rig.host.timeText, "0:00:00");
}

TEST(MonitorTick, FirstTicksRepaintThenDrawTheIcon)
{
    MonitorRig rig({0, 1, 80, -1});
    rig.settings.PopupBoxStatus = true;
    rig.settings.Snap = false;
    rig.monitor.StartMonitor();
    const DischargeStatistics seeded = rig.stats;
    EXPECT_EQ(seeded.DrainTime, 97); // (120 * 3 + 30) / 4
    EXPECT_EQ(seeded.DrainTaken, 4);
    EXPECT_EQ(rig.host.count("SaveSettings"), 1); // 80 is even
    rig.host.clear();

    rig.monitor.tmrComputeInfoTimer();
    EXPECT_TRUE(rig.host.statusBoxes.isEmpty());
    EXPECT_FALSE(rig.monitor.SuppressNextPopup);
    EXPECT_EQ(rig.monitor.PreviousStatusCode, 2);
    // The one-second interval of the first status change is discarded.
    EXPECT_EQ(rig.stats.DrainTime, seeded.DrainTime);
    EXPECT_EQ(rig.stats.DrainTaken, seeded.DrainTaken);
    EXPECT_EQ(rig.monitor.SecondsSinceChange, 0);
    const QStringList firstTick = {"setHintText",    "setGaugeColor",    "setGaugePosition",
                                   "setPercentText", "invalidateWindow", "UpdateTrayTip"};
    EXPECT_EQ(rig.host.calls, firstTick);
    EXPECT_EQ(rig.monitor.PreviousDisplayState, QLatin1Char('F'));

    rig.host.clear();
    rig.monitor.IconLeft = 140;
    rig.monitor.IconWidth = 20;
    rig.monitor.IconHeight = 21;
    rig.monitor.tmrComputeInfoTimer();
    ASSERT_EQ(rig.host.iconDraws.size(), 1);
    const auto draw = rig.host.iconDraws.first();
    EXPECT_EQ(draw.state, QLatin1Char('F'));
    EXPECT_EQ(draw.left, 140);
    EXPECT_EQ(draw.top, 2);
    EXPECT_EQ(draw.width, 20);
    EXPECT_EQ(draw.height, 21);
    EXPECT_EQ(rig.host.count("invalidateWindow"), 0);
}

TEST(MonitorTick, SnapsOnlyWhenOnAndNormal)
{
    for (const bool snap : {false, true}) {
        for (const bool normal : {false, true}) {
            MonitorRig rig;
            rig.settings.Snap = snap;
            rig.host.windowNormal = normal;
            rig.monitor.StartMonitor();
            rig.monitor.tmrComputeInfoTimer();
            rig.monitor.tmrComputeInfoTimer();
            EXPECT_EQ(rig.host.count("SnapToEdges"), snap && normal ? 2 : 0) << snap << normal;
        }
    }
}

TEST(MonitorStatusBox, OpensOnLaterChangesWithTheRightIcon)
{
    MonitorRig rig({0, 0, 27, -1});
    rig.settings.PopupBoxStatus = true;
    rig.monitor.StartMonitor();
    rig.second(0, 2, 26);
    rig.second(0, 2, 26);
    EXPECT_TRUE(rig.host.statusBoxes.isEmpty());
    rig.second(0, 2, 25);
    ASSERT_EQ(rig.host.statusBoxes.size(), 1);
    EXPECT_EQ(rig.host.statusBoxes[0].caption, "Battery Status");
    EXPECT_EQ(rig.host.statusBoxes[0].text, "Battery Power Critical");
    EXPECT_TRUE(rig.host.statusBoxes[0].warning);
    rig.second(0, 2, 25);
    rig.second(1, 10, 25);
    ASSERT_EQ(rig.host.statusBoxes.size(), 2);
    EXPECT_EQ(rig.host.statusBoxes[1].text, "Battery Charging");
    EXPECT_FALSE(rig.host.statusBoxes[1].warning);
}

TEST(MonitorStatusBox, StaysShutWhenPopupsAreOff)
{
    MonitorRig rig({0, 0, 27, -1});
    rig.monitor.StartMonitor();
    for (quint8 p : {26, 25, 24})
        rig.second(0, 2, p);
    rig.second(1, 10, 24);
    EXPECT_TRUE(rig.host.statusBoxes.isEmpty());
}

TEST(MonitorStatusBox, NestedTicksWhileABoxIsOpen)
{
    MonitorRig rig({0, 0, 30, -1});
    rig.settings.PopupBoxStatus = true;
    rig.monitor.StartMonitor();
    rig.second(0, 0, 30);
    rig.second(0, 2, 26);

    int depth = 0;
    int maxDepth = 0;
    rig.host.onStatusBox = [&](const RecordingMonitorHost::StatusBox &) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (rig.host.statusBoxes.size() == 1) {
            // The first box is open: a tick with the same status opens nothing, then the
            // mains come in and a second box opens on top of the first.
            rig.second(0, 2, 25);
            EXPECT_EQ(rig.host.statusBoxes.size(), 1);
            rig.second(1, 10, 25);
        }
        --depth;
    };
    rig.second(0, 2, 25);
    ASSERT_EQ(rig.host.statusBoxes.size(), 2);
    EXPECT_EQ(maxDepth, 2);
    EXPECT_EQ(rig.host.statusBoxes[0].text, "Battery Power Critical");
    EXPECT_EQ(rig.host.statusBoxes[1].text, "Battery Charging");
    EXPECT_EQ(rig.monitor.StatusCode, 8);
    EXPECT_EQ(rig.monitor.PreviousStatusCode, 8);
    EXPECT_EQ(rig.monitor.DisplayState, QLatin1Char('C'));
    EXPECT_EQ(rig.host.gaugeColor, 0x00008000u);

    rig.host.onStatusBox = nullptr;
    rig.second(1, 10, 25);
    EXPECT_EQ(rig.host.statusBoxes.size(), 2);
}

TEST(MonitorStatusBox, Messages)
{
    struct Row {
        int status;
        quint8 ac;
        const char *text;
    };
    const Row rows[] = {
        {1, 0, "Battery Power Full"},
        {2, 1, "Battery Power OK"},
        {4, 1, "Battery Power Critical"},
        {8, 0, "Battery Charging"},
        {9, 0, "Battery Charging"},
        {10, 0, "Battery Charging"},
        {23, 0, "Battery Power Full - AC Power"},
        {128, 0, "No System Battery"},
        {129, 1, "Error! Cannot Determine Battery Status"},
        {255, 0, "Battery Power OK"},
        {255, 1, "Battery Charging"},
        {255, 255, "Error! Cannot Determine Battery Status"},
        {0, 0, "Battery Power OK"},
        {3, 1, "Battery Charging"},
        {130, 2, "Error! Cannot Determine Battery Status"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.status);
        MonitorRig rig({r.ac, 1, 50, -1});
        rig.monitor.StatusCode = r.status;
        rig.monitor.mnuBatteryStatusClick();
        EXPECT_EQ(rig.monitor.StatusMessage, r.text);
        ASSERT_EQ(rig.host.statusBoxes.size(), 1);
        EXPECT_EQ(rig.host.statusBoxes[0].caption, "Battery Status");
        EXPECT_EQ(rig.host.statusBoxes[0].text, r.text);
        EXPECT_EQ(rig.host.statusBoxes[0].warning, r.status == 4);
    }
}

TEST(MonitorStatusBox, SeededUnknownFlagBeforeTheFirstTick)
{
    for (const quint8 ac : {0, 1}) {
        MonitorRig rig({ac, 255, 0, -1});
        rig.monitor.StartMonitor();
        EXPECT_EQ(rig.monitor.StatusCode, 255);
        rig.monitor.mnuBatteryStatusClick();
        EXPECT_EQ(rig.monitor.StatusMessage, ac == 0 ? "Battery Power OK" : "Battery Charging");
    }
}

} // namespace

// The display tick may come before the first compute tick: the title then reads from the
// start-up texts rather than an empty percent.
TEST(MonitorDisplay, BeforeTheFirstComputeTick)
{
    MonitorRig rig;
    EXPECT_EQ(rig.monitor.StatusMessage, "Battery OK");
    rig.monitor.tmrDisplayInfoTimer();
    EXPECT_TRUE(rig.host.applicationTitle.startsWith("0%, "));
    EXPECT_TRUE(rig.host.applicationTitle.endsWith(" : Voltline"));
}
