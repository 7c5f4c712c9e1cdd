#include "SysfsPowerSource.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sys/stat.h>

namespace {

using Attributes = std::map<QString, QByteArray>;

// A power-supply folder in a temporary directory, laid out as the kernel does.
class FakeTree {
public:
    FakeTree() { EXPECT_TRUE(m_dir.isValid()); }

    QString root() const { return m_dir.path(); }

    void addSupply(const QString &name, const Attributes &attributes)
    {
        QDir(root()).mkpath(name);
        for (const auto &[attribute, value] : attributes)
            write(name + QLatin1Char('/') + attribute, value);
    }

    void write(const QString &relative, const QByteArray &value)
    {
        QFile file(root() + QLatin1Char('/') + relative);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(value);
    }

    void removeSupply(const QString &name)
    {
        QDir(root() + QLatin1Char('/') + name).removeRecursively();
    }

private:
    QTemporaryDir m_dir;
};

const Attributes kAdapterOnline = {{"type", "Mains\n"}, {"online", "1\n"}};
const Attributes kAdapterOffline = {{"type", "Mains\n"}, {"online", "0\n"}};

Attributes bat(const char *status, const char *capacity)
{
    return {{"type", "Battery\n"}, {"present", "1\n"}, {"status", status}, {"capacity", capacity}};
}

TEST(SysfsPowerSource, ReadsFakeTrees)
{
    struct Row {
        const char *name;
        std::map<QString, Attributes> supplies;
        int ac, flag, percent;
        qint32 seconds;
    };
    const Row rows[] = {
        {"empty folder", {}, 1, 128, 255, -1},
        {"laptop on battery",
         {{"AC", kAdapterOffline},
          {"BAT0",
           {{"type", "Battery\n"},
            {"status", "Discharging\n"},
            {"capacity", "57\n"},
            {"energy_now", "28500000\n"},
            {"energy_full", "50000000\n"},
            {"power_now", "9500000\n"}}}},
         0,
         0,
         57,
         10800},
        {"laptop charging",
         {{"AC", kAdapterOnline}, {"BAT0", bat("Charging\n", "20\n")}},
         1,
         10,
         20,
         -1},
        {"full on mains",
         {{"ADP1", kAdapterOnline}, {"BAT1", bat("Full\n", "100\n")}},
         1,
         1,
         100,
         -1},
        {"capacity above 100", {{"BAT0", bat("Full\n", "104\n")}}, 1, 1, 100, -1},
        {"capacity empty file, energy used",
         {{"BAT0",
           {{"type", "Battery\n"},
            {"status", "Discharging\n"},
            {"capacity", ""},
            {"energy_now", "1\n"},
            {"energy_full", "4\n"}}}},
         0,
         2,
         25,
         -1},
        {"capacity junk, charge used",
         {{"BAT0",
           {{"type", "Battery\n"},
            {"status", "Discharging\n"},
            {"capacity", "lots\n"},
            {"charge_now", "3\n"},
            {"charge_full", "4\n"}}}},
         0,
         1,
         75,
         -1},
        // No charge ever read: "cannot tell", never a battery at 0 %.
        {"negative capacity, nothing else",
         {{"BAT0", bat("Discharging\n", "-5\n")}},
         255,
         255,
         255,
         -1},
        {"huge capacity",
         {{"BAT0", bat("Discharging\n", "123456789012345678901234567890\n")}},
         255,
         255,
         255,
         -1},
        {"only a type file", {{"BAT0", {{"type", "Battery\n"}}}}, 255, 255, 255, -1},
        {"mouse battery ignored",
         {{"hidpp_battery_0",
           {{"type", "Battery\n"},
            {"scope", "Device\n"},
            {"status", "Discharging\n"},
            {"capacity", "5\n"}}}},
         1,
         128,
         255,
         -1},
        {"empty bay ignored",
         {{"BAT0", {{"type", "Battery\n"}, {"present", "0\n"}}},
          {"BAT1", bat("Discharging\n", "70\n")}},
         0,
         1,
         70,
         -1},
        {"usb-c supply counts as mains",
         {{"ucsi-source-psy-USBC000:001", {{"type", "USB\n"}, {"online", "1\n"}}},
          {"BAT0", bat("Not charging\n", "80\n")}},
         1,
         1,
         80,
         -1},
        {"adapter without online file, battery charging",
         {{"AC", {{"type", "Mains\n"}}}, {"BAT0", bat("Charging\n", "4\n")}},
         1,
         12,
         4,
         -1},
        {"missing type ignored",
         {{"weird", {{"online", "1\n"}}}, {"BAT0", bat("Discharging\n", "50\n")}},
         0,
         0,
         50,
         -1},
        {"two batteries by energy",
         {{"BAT0",
           {{"type", "Battery\n"},
            {"status", "Discharging\n"},
            {"energy_now", "10000000\n"},
            {"energy_full", "20000000\n"},
            {"power_now", "5000000\n"}}},
          {"BAT1",
           {{"type", "Battery\n"},
            {"status", "Discharging\n"},
            {"energy_now", "0\n"},
            {"energy_full", "20000000\n"},
            {"power_now", "0\n"}}}},
         0,
         2,
         25,
         7200},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        FakeTree tree;
        for (const auto &[name, attributes] : r.supplies)
            tree.addSupply(name, attributes);
        SysfsPowerSource source(tree.root());
        const PowerStatusReading got = source.readPowerStatus();
        EXPECT_EQ(got.ACLineStatus, r.ac);
        EXPECT_EQ(got.BatteryFlag, r.flag);
        EXPECT_EQ(got.BatteryLifePercent, r.percent);
        EXPECT_EQ(got.BatteryLifeTime, r.seconds);
    }
}

TEST(SysfsPowerSource, SurvivesOddFolderEntries)
{
    FakeTree tree;
    tree.addSupply("BAT0", bat("Discharging\n", "40\n"));
    // A plain file, a dangling link, a folder whose attributes are folders, a FIFO that would
    // block a careless reader, and an over-long attribute.
    tree.write("not-a-supply", "Battery\n");
    QFile::link(tree.root() + "/gone", tree.root() + "/dangling");
    QDir(tree.root()).mkpath("dirs/type");
    QDir(tree.root()).mkpath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.root() + "/fifo/type").constData(), 0600), 0);
    tree.addSupply("long", {{"type", QByteArray(100, 'B')}});
    tree.addSupply(
        "BAT1", {{"type", "Battery\n"}, {"status", QByteArray(5000, 'x')}, {"capacity", "60\n"}});

    SysfsPowerSource source(tree.root());
    const PowerStatusReading got = source.readPowerStatus();
    EXPECT_EQ(got.ACLineStatus, 0);
    EXPECT_EQ(got.BatteryLifePercent, 50); // mean of 40 and 60: no common unit to weigh by
    EXPECT_EQ(got.BatteryFlag, 0);
}

// A battery away for a moment (its folder gone while the kernel enumerates it again, "present"
// 0 during a driver reset, its charge unreadable) is bridged with its last reading for the
// grace; with nothing to bridge with, or after it, the state is "cannot tell". Never 0 %.
TEST(SysfsPowerSource, FollowsBatteriesThatComeAndGo)
{
    FakeTree tree;
    tree.addSupply("AC", kAdapterOffline);
    tree.addSupply("BAT0", bat("Discharging\n", "57\n"));
    qint64 now = 1'000'000;
    SysfsPowerSource source(tree.root(), [&] { return now; });
    constexpr qint64 kGrace = SysfsPowerSource::kGraceMs;
    auto halfGone = [&] {
        tree.removeSupply("BAT0");
        QDir(tree.root()).mkpath("BAT0");
        tree.write("BAT0/type", "Battery\n");
    };

    struct Step {
        const char *name;
        qint64 after; // ms since the previous step
        std::function<void()> change;
        int ac, flag, percent;
        bool bridged;
    };
    const Step steps[] = {
        {"read", 0, [] {}, 0, 0, 57, false},
        {"folder gone", 1000, [&] { tree.removeSupply("BAT0"); }, 0, 0, 57, true},
        {"back, one less", 1000, [&] { tree.addSupply("BAT0", bat("Discharging\n", "56\n")); }, 0,
         0, 56, false},
        {"present 0", 1000, [&] { tree.write("BAT0/present", "0\n"); }, 0, 0, 56, true},
        {"files gone mid-read", 1000, halfGone, 0, 0, 56, true},
        {"charge unreadable", 1000, [&] { tree.addSupply("BAT0", bat("Discharging\n", "")); }, 0, 0,
         56, true},
        {"at the end of the grace", kGrace - 3000, [] {}, 0, 0, 56, true},
        {"past the grace: cannot tell", 1, [] {}, 255, 255, 255, false},
        {"reads again", 1000, [&] { tree.write("BAT0/capacity", "55\n"); }, 0, 0, 55, false},
        {"gone for good", 1000, [&] { tree.removeSupply("BAT0"); }, 0, 0, 55, true},
        {"gone past the grace, on mains", kGrace + 1, [&] { tree.write("AC/online", "1\n"); }, 255,
         255, 255, false},
        {"a battery again", 1000, [&] { tree.addSupply("BAT0", bat("Charging\n", "55\n")); }, 1, 8,
         55, false},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        now += step.after;
        step.change();
        const PowerStatusReading got = source.readPowerStatus();
        EXPECT_EQ(got.ACLineStatus, step.ac);
        EXPECT_EQ(got.BatteryFlag, step.flag);
        EXPECT_EQ(got.BatteryLifePercent, step.percent);
        EXPECT_EQ(got.ChargeBridged, step.bridged);
    }
}

// Shapes of machines at start-up, read once.
TEST(SysfsPowerSource, FirstReadingOfRealShapes)
{
    const Attributes usbPort = {{"type", "USB\n"}, {"online", "0\n"}, {"usb_type", "[C] PD\n"}};
    const Attributes emptySlot = {{"type", "Battery\n"}, {"present", "0\n"}};
    // A ThinkPad held at its charge limit; the others of such laptops look alike.
    Attributes atLimit = bat("Not charging\n", "80\n");
    atLimit.insert({{"scope", "System\n"},
                    {"charge_control_end_threshold", "80\n"},
                    {"energy_now", "45760000\n"},
                    {"energy_full", "57200000\n"},
                    {"power_now", "0\n"}});
    // Two batteries waiting at 80 % and 7 %: 44 % of what both hold.
    auto thinkpadBattery = [](const char *now, const char *full) {
        return Attributes{{"type", "Battery\n"},        {"present", "1\n"},
                          {"status", "Not charging\n"}, {"energy_now", now},
                          {"energy_full", full},        {"power_now", "0\n"}};
    };
    const Attributes chromebookCharger = {
        {"type", "USB\n"}, {"online", "1\n"}, {"usb_type", "[C] PD PD_PPS\n"}};
    const Attributes upsBoard = {{"type", "UPS\n"},
                                 {"status", "Discharging\n"},
                                 {"capacity", "64\n"},
                                 {"voltage_now", "3920000\n"}};
    const Attributes upsWithoutCharge = {{"type", "UPS\n"}, {"online", "1\n"}};
    struct Row {
        const char *name;
        std::map<QString, Attributes> supplies;
        int ac, flag, percent;
        bool held = false;
    };
    const Row rows[] = {
        {"desktop with an idle USB-C port",
         {{"ucsi-source-psy-USBC000:001", usbPort}},
         1,
         128,
         255},
        {"desktop with offline mains and an empty slot",
         {{"AC", kAdapterOffline}, {"BAT0", emptySlot}},
         1,
         128,
         255},
        {"laptop on battery, charge unreadable",
         {{"AC", kAdapterOffline}, {"BAT0", bat("Discharging\n", "")}},
         255,
         255,
         255},
        {"laptop held at a charge limit of 80 %",
         {{"AC", kAdapterOnline}, {"BAT0", atLimit}},
         1,
         1,
         80,
         true},
        {"chromebook gauge full at 97 %",
         {{"CROS_USBPD_CHARGER0", chromebookCharger}, {"sbs-12-000b", bat("Full\n", "97\n")}},
         1,
         1,
         97,
         true},
        {"board's backup battery not charging at 98 %, no adapter entry",
         {{"bq27541-0", bat("Not charging\n", "98\n")}},
         1,
         1,
         98,
         true},
        {"two batteries both waiting",
         {{"AC", kAdapterOnline},
          {"BAT0", thinkpadBattery("18784000\n", "23480000\n")},
          {"BAT1", thinkpadBattery("1624000\n", "23200000\n")}},
         1,
         0,
         44,
         true},
        {"charging towards the limit is not held",
         {{"AC", kAdapterOnline}, {"BAT0", bat("Charging\n", "79\n")}},
         1,
         9,
         79},
        {"single-board computer on a UPS board", {{"ups-hat", upsBoard}}, 0, 0, 64},
        {"a UPS that tells no charge is no battery", {{"ups", upsWithoutCharge}}, 1, 128, 255},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        FakeTree tree;
        for (const auto &[name, attributes] : r.supplies)
            tree.addSupply(name, attributes);
        const PowerStatusReading got = SysfsPowerSource(tree.root()).readPowerStatus();
        EXPECT_EQ(got.ACLineStatus, r.ac);
        EXPECT_EQ(got.BatteryFlag, r.flag);
        EXPECT_EQ(got.BatteryLifePercent, r.percent);
        EXPECT_EQ(got.BatteryHeld, r.held);
        EXPECT_FALSE(got.ChargeBridged);
    }
}

TEST(SysfsPowerSource, MissingRootReadsAsDesktopOnMains)
{
    QTemporaryDir dir;
    for (const QString &root : {dir.path() + "/nope", QString(), dir.path() + "/file"}) {
        SCOPED_TRACE(qPrintable(root));
        if (root.endsWith("/file")) {
            QFile f(root);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        SysfsPowerSource source(root);
        const PowerStatusReading got = source.readPowerStatus();
        EXPECT_EQ(got.ACLineStatus, 1);
        EXPECT_EQ(got.BatteryFlag, 128);
        EXPECT_EQ(got.BatteryLifePercent, 255);
        EXPECT_EQ(got.BatteryLifeTime, -1);
    }
}

TEST(SysfsPowerSource, WorkAreaIsThePrimaryScreensAvailableArea)
{
    ASSERT_NE(qobject_cast<QGuiApplication *>(QCoreApplication::instance()), nullptr);
    const QRect want = QGuiApplication::primaryScreen()->availableGeometry();
    SysfsPowerSource source(QStringLiteral("/nonexistent"));
    const WorkAreaRect got = source.readWorkArea();
    EXPECT_EQ(got.Left, want.left());
    EXPECT_EQ(got.Top, want.top());
    EXPECT_EQ(got.Right, want.left() + want.width());
    EXPECT_EQ(got.Bottom, want.top() + want.height());
    EXPECT_GT(got.Right, got.Left);
}

} // namespace

// A charge that cannot be read for a moment must not read as 0 %: on battery that could
// reach the shutdown level. The last known charge bridges the gap; mains and charging stay
// live.
TEST(SysfsPowerSource, BridgesAMomentaryUnreadableCharge)
{
    FakeTree tree;
    tree.addSupply("AC", kAdapterOffline);
    tree.addSupply("BAT0", bat("Discharging\n", "40\n"));
    SysfsPowerSource source(tree.root(), [] { return qint64(0); });
    EXPECT_EQ(source.readPowerStatus().BatteryLifePercent, 40);

    tree.write("BAT0/capacity", "");
    PowerStatusReading got = source.readPowerStatus();
    EXPECT_EQ(got.BatteryLifePercent, 40);
    EXPECT_EQ(got.BatteryFlag, 0);
    EXPECT_EQ(got.ACLineStatus, 0);

    // Plugged in meanwhile: the charging bit and the mains follow at once.
    tree.write("AC/online", "1\n");
    tree.write("BAT0/status", "Charging\n");
    got = source.readPowerStatus();
    EXPECT_EQ(got.BatteryLifePercent, 40);
    EXPECT_EQ(got.BatteryFlag, 8);
    EXPECT_EQ(got.ACLineStatus, 1);

    tree.write("BAT0/capacity", "41\n");
    EXPECT_EQ(source.readPowerStatus().BatteryLifePercent, 41);
}
