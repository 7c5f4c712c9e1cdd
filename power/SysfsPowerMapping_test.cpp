#include "SysfsPowerMapping.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <map>
#include <string_view>
#include <vector>

namespace {

TEST(SysfsValue, ParsesKernelIntegers)
{
    struct Row {
        const char *name;
        QByteArray text;
        std::optional<qint64> want;
    };
    const Row rows[] = {
        {"plain", "42\n", 42},
        {"no newline", "7", 7},
        {"zero", "0\n", 0},
        {"negative", "-1500000\n", -1500000},
        {"plus sign", "+5", 5},
        {"surrounding blanks", "  12 \n", 12},
        {"empty", "", std::nullopt},
        {"newline only", "\n", std::nullopt},
        {"sign only", "-", std::nullopt},
        {"junk", "abc", std::nullopt},
        {"trailing junk", "12abc", std::nullopt},
        {"inner blank", "1 2", std::nullopt},
        {"decimal point", "1.5", std::nullopt},
        {"nul byte", QByteArray("12\0", 3), std::nullopt},
        {"largest", "9223372036854775807", std::numeric_limits<qint64>::max()},
        {"smallest", "-9223372036854775808", std::numeric_limits<qint64>::min()},
        {"one past largest", "9223372036854775808", std::nullopt},
        {"one past smallest", "-9223372036854775809", std::nullopt},
        {"huge", "99999999999999999999999999", std::nullopt},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(parseSysfsInt(r.text), r.want);
    }
}

TEST(SysfsValue, ParsesWords)
{
    EXPECT_EQ(parseSupplyKind("Battery\n"), SupplyKind::Battery);
    for (const char *mains : {"Mains", "USB", "USB_C", "USB_PD", "USB_PD_DRP\n"})
        EXPECT_EQ(parseSupplyKind(mains), SupplyKind::Mains) << mains;
    EXPECT_EQ(parseSupplyKind("UPS\n"), SupplyKind::Ups);
    for (const char *other : {"", "Wireless", "battery", "USB_DCP"})
        EXPECT_EQ(parseSupplyKind(other), SupplyKind::Other) << other;
    EXPECT_EQ(parseSupplyScope("Device\n"), SupplyScope::Device);
    EXPECT_EQ(parseSupplyScope("System"), SupplyScope::System);
    EXPECT_EQ(parseSupplyScope("Unknown"), SupplyScope::Other);
    EXPECT_EQ(parseChargeState("Not charging\n"), ChargeState::NotCharging);
    EXPECT_EQ(parseChargeState("Discharging"), ChargeState::Discharging);
    EXPECT_EQ(parseChargeState("Unknown"), ChargeState::Unknown);
    EXPECT_EQ(parseChargeState(""), ChargeState::Unknown);
}

PowerSupplyAttributes mains(std::optional<qint64> online)
{
    PowerSupplyAttributes s;
    s.kind = SupplyKind::Mains;
    s.online = online;
    return s;
}

// An USB-C port: the kernel gives it type "USB", which the parser takes for an adapter.
PowerSupplyAttributes usbPort(std::optional<qint64> online)
{
    PowerSupplyAttributes s = parseSupply([&](const char *attribute) -> QByteArrayView {
        if (std::string_view(attribute) == "type")
            return "USB\n";
        return {};
    });
    s.online = online;
    return s;
}

PowerSupplyAttributes battery(ChargeState status, std::optional<qint64> capacity)
{
    PowerSupplyAttributes s;
    s.kind = SupplyKind::Battery;
    s.status = status;
    s.capacity = capacity;
    return s;
}

PowerSupplyAttributes energyBattery(ChargeState status, qint64 now, qint64 full,
                                    std::optional<qint64> power = std::nullopt)
{
    PowerSupplyAttributes s = battery(status, std::nullopt);
    s.energyNow = now;
    s.energyFull = full;
    s.powerNow = power;
    return s;
}

PowerSupplyAttributes chargeBattery(ChargeState status, qint64 now, qint64 full,
                                    std::optional<qint64> current = std::nullopt)
{
    PowerSupplyAttributes s = battery(status, std::nullopt);
    s.chargeNow = now;
    s.chargeFull = full;
    s.currentNow = current;
    return s;
}

PowerSupplyAttributes with(PowerSupplyAttributes s, SupplyScope scope,
                           std::optional<qint64> present = std::nullopt)
{
    s.scope = scope;
    s.present = present;
    return s;
}

using CS = ChargeState;

TEST(SysfsMapping, MapsSuppliesToRawStatus)
{
    struct Row {
        const char *name;
        std::vector<PowerSupplyAttributes> supplies;
        int ac, flag, percent;
        qint32 seconds;
    };
    const Row rows[] = {
        {"nothing at all: a desktop on mains", {}, 1, 128, 255, -1},
        // No battery: on mains, whatever the adapters say (a desktop's idle USB-C port, an
        // offline Mains entry, an empty battery slot).
        {"mains only, offline", {mains(0)}, 1, 128, 255, -1},
        {"usb-c port only, idle", {usbPort(0)}, 1, 128, 255, -1},
        {"offline mains, empty battery slot",
         {mains(0), with(battery(CS::Unknown, 0), SupplyScope::Absent, 0)},
         1,
         128,
         255,
         -1},
        {"mains online, battery charging", {mains(1), battery(CS::Charging, 50)}, 1, 8, 50, -1},
        {"mains offline wins over battery state",
         {mains(0), battery(CS::Charging, 50)},
         0,
         8,
         50,
         -1},
        {"mains online flag unreadable",
         {mains(std::nullopt), battery(CS::Discharging, 50)},
         0,
         0,
         50,
         -1},
        // An adapter whose state cannot be read says nothing: the battery decides, so a
        // charging laptop is not taken for one on battery (which could force a shutdown).
        {"mains unreadable, battery charging",
         {mains(std::nullopt), battery(CS::Charging, 4)},
         1,
         12,
         4,
         -1},
        {"mains unreadable, battery state unknown",
         {mains(std::nullopt), battery(CS::Unknown, 50)},
         255,
         0,
         50,
         -1},
        {"mains unreadable, no battery", {mains(std::nullopt)}, 1, 128, 255, -1},
        {"mains unreadable beside one offline",
         {mains(std::nullopt), mains(0), battery(CS::Charging, 50)},
         0,
         8,
         50,
         -1},
        {"one of two mains online", {mains(0), mains(1), battery(CS::Full, 100)}, 1, 1, 100, -1},
        {"usb pd on line at a programmable voltage",
         {mains(0), mains(2), battery(CS::Charging, 40)},
         1,
         8,
         40,
         -1},
        {"negative online is not on line", {mains(-1), battery(CS::Charging, 40)}, 0, 8, 40, -1},
        {"no mains, discharging", {battery(CS::Discharging, 80)}, 0, 1, 80, -1},
        {"no mains, full", {battery(CS::Full, 100)}, 1, 1, 100, -1},
        {"no mains, not charging", {battery(CS::NotCharging, 60)}, 1, 0, 60, -1},
        {"no mains, state unknown", {battery(CS::Unknown, 60)}, 255, 0, 60, -1},
        {"nothing readable", {battery(CS::Unknown, std::nullopt)}, 255, 255, 255, -1},
        {"status without charge", {battery(CS::Charging, std::nullopt)}, 1, 8, 255, -1},
        {"level 67 is high", {battery(CS::Discharging, 67)}, 0, 1, 67, -1},
        {"level 66 is middle", {battery(CS::Discharging, 66)}, 0, 0, 66, -1},
        {"level 33 is middle", {battery(CS::Discharging, 33)}, 0, 0, 33, -1},
        {"level 32 is low", {battery(CS::Discharging, 32)}, 0, 2, 32, -1},
        {"level 5 is low", {battery(CS::Discharging, 5)}, 0, 2, 5, -1},
        {"level 4 is critical", {battery(CS::Discharging, 4)}, 0, 4, 4, -1},
        {"charging and low", {mains(1), battery(CS::Charging, 20)}, 1, 10, 20, -1},
        {"capacity above 100", {battery(CS::Full, 150)}, 1, 1, 100, -1},
        {"capacity huge", {battery(CS::Full, std::numeric_limits<qint64>::max())}, 1, 1, 100, -1},
        {"capacity negative is unreadable", {battery(CS::Discharging, -3)}, 0, 0, 255, -1},
        {"energy ratio rounds", {energyBattery(CS::Discharging, 1005, 2000)}, 0, 0, 50, -1},
        {"energy ratio rounds half up", {energyBattery(CS::Discharging, 1, 8)}, 0, 2, 13, -1},
        {"energy above full", {energyBattery(CS::Full, 2100, 2000)}, 1, 1, 100, -1},
        {"energy full zero", {energyBattery(CS::Discharging, 5, 0)}, 0, 0, 255, -1},
        {"charge ratio", {chargeBattery(CS::Charging, 3000, 4000)}, 1, 9, 75, -1},
        {"device battery ignored",
         {with(battery(CS::Discharging, 10), SupplyScope::Device)},
         1,
         128,
         255,
         -1},
        {"system scope counts",
         {with(battery(CS::Discharging, 10), SupplyScope::System)},
         0,
         2,
         10,
         -1},
        {"absent battery ignored",
         {with(battery(CS::Discharging, 10), SupplyScope::Absent, 0), battery(CS::Full, 90)},
         1,
         1,
         90,
         -1},
        {"present unreadable counts",
         {with(battery(CS::Discharging, 10), SupplyScope::Absent, std::nullopt)},
         0,
         2,
         10,
         -1},
        {"other supplies ignored",
         {PowerSupplyAttributes{}, battery(CS::Discharging, 40)},
         0,
         0,
         40,
         -1},
        {"time from energy and power",
         {energyBattery(CS::Discharging, 30000000, 60000000, 15000000)},
         0,
         0,
         50,
         7200},
        {"negative power counts by size",
         {energyBattery(CS::Discharging, 30000000, 60000000, -15000000)},
         0,
         0,
         50,
         7200},
        {"zero power: unknown time", {energyBattery(CS::Discharging, 30, 60, 0)}, 0, 0, 50, -1},
        {"time from charge and current",
         {chargeBattery(CS::Discharging, 2000000, 4000000, 1000000)},
         0,
         0,
         50,
         7200},
        {"no time while charging",
         {mains(1), energyBattery(CS::Charging, 30000000, 60000000, 15000000)},
         1,
         8,
         50,
         -1},
        {"time saturates",
         {energyBattery(CS::Discharging, 4000000000000000000, 4000000000000000000, 1)},
         0,
         1,
         100,
         std::numeric_limits<qint32>::max()},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const PowerStatusReading got = mapPowerSupplies(r.supplies);
        EXPECT_EQ(got.ACLineStatus, r.ac);
        EXPECT_EQ(got.BatteryFlag, r.flag);
        EXPECT_EQ(got.BatteryLifePercent, r.percent);
        EXPECT_EQ(got.BatteryLifeTime, r.seconds);
    }
}

TEST(SysfsMapping, CombinesSeveralBatteries)
{
    struct Row {
        const char *name;
        std::vector<PowerSupplyAttributes> supplies;
        int ac, flag, percent;
        qint32 seconds;
    };
    // A full small battery and an empty big one hold 25 % together, not 50 %.
    PowerSupplyAttributes small = energyBattery(CS::Full, 20000000, 20000000);
    small.capacity = 100;
    PowerSupplyAttributes big = energyBattery(CS::Discharging, 0, 60000000, 10000000);
    big.capacity = 0;
    small.powerNow = 0;
    const Row rows[] = {
        {"energy weighted", {small, big}, 0, 2, 25, 7200},
        {"charge weighted",
         {chargeBattery(CS::Discharging, 1000, 1000, 0),
          chargeBattery(CS::Discharging, 0, 3000, 500)},
         0,
         2,
         25,
         7200},
        {"mixed units average",
         {energyBattery(CS::Discharging, 100, 100), chargeBattery(CS::Discharging, 0, 3000)},
         0,
         0,
         50,
         -1},
        {"one charging marks the flag",
         {mains(1), battery(CS::Charging, 80), battery(CS::Full, 100)},
         1,
         9,
         90,
         -1},
        {"one unreadable",
         {battery(CS::Discharging, 80), battery(CS::Unknown, std::nullopt)},
         0,
         1,
         80,
         -1},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        const PowerStatusReading got = mapPowerSupplies(r.supplies);
        EXPECT_EQ(got.ACLineStatus, r.ac);
        EXPECT_EQ(got.BatteryFlag, r.flag);
        EXPECT_EQ(got.BatteryLifePercent, r.percent);
        EXPECT_EQ(got.BatteryLifeTime, r.seconds);
    }
}

} // namespace

namespace {

TEST(SysfsMapping, ParseSupplyAsksOnlyForWhatItUses)
{
    struct Row {
        const char *name;
        std::map<QByteArray, QByteArray> files;
        std::vector<QByteArray> asked;
    };
    const Row rows[] = {
        {"unknown type", {{"type", "Wireless\n"}}, {"type"}},
        {"mains", {{"type", "Mains\n"}, {"online", "1\n"}}, {"type", "online"}},
        {"mouse", {{"type", "Battery\n"}, {"scope", "Device\n"}}, {"type", "scope"}},
        {"energy battery",
         {{"type", "Battery\n"},
          {"energy_now", "1\n"},
          {"energy_full", "2\n"},
          {"power_now", "3\n"}},
         {"type", "scope", "present", "status", "capacity", "energy_now", "energy_full",
          "power_now"}},
        {"charge battery",
         {{"type", "Battery\n"}},
         {"type", "scope", "present", "status", "capacity", "energy_now", "energy_full",
          "charge_now", "charge_full", "power_now", "current_now"}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<QByteArray> asked;
        parseSupply([&](const char *attribute) -> QByteArrayView {
            asked.emplace_back(attribute);
            const auto it = r.files.find(attribute);
            return it == r.files.end() ? QByteArrayView() : QByteArrayView(it->second);
        });
        EXPECT_EQ(asked, r.asked);
    }
}

TEST(SysfsMapping, GarbageNeverBreaksTheRules)
{
    // Deterministic garbage: every attribute of every supply drawn from hostile values.
    const QByteArray values[] = {"",
                                 "\n",
                                 "0\n",
                                 "1\n",
                                 "-1\n",
                                 "100\n",
                                 "101\n",
                                 "9223372036854775807\n",
                                 "-9223372036854775808\n",
                                 "99999999999999999999\n",
                                 "Battery\n",
                                 "Mains\n",
                                 "Charging\n",
                                 "Discharging\n",
                                 "Full\n",
                                 "Device\n",
                                 "System\n",
                                 "\xff\xfe"};
    const char *attributes[] = {"type",        "scope",      "present",     "status",
                                "capacity",    "energy_now", "energy_full", "charge_now",
                                "charge_full", "power_now",  "current_now", "online"};
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
        std::vector<PowerSupplyAttributes> supplies;
        const int count = int(next() % 4);
        for (int i = 0; i < count; ++i) {
            std::map<QByteArray, QByteArray> files;
            for (const char *a : attributes)
                files[a] = values[next() % std::size(values)];
            if (next() % 2)
                files["type"] = next() % 2 ? "Battery\n" : "Mains\n";
            supplies.push_back(
                parseSupply([&](const char *a) { return QByteArrayView(files[a]); }));
        }
        const PowerStatusReading got = mapPowerSupplies(supplies);
        SCOPED_TRACE(round);
        EXPECT_TRUE(got.BatteryLifePercent <= 100 || got.BatteryLifePercent == 255);
        EXPECT_TRUE(got.ACLineStatus == 0 || got.ACLineStatus == 1 || got.ACLineStatus == 255);
        EXPECT_GE(got.BatteryLifeTime, -1);
        if (got.BatteryFlag == 128) {
            EXPECT_EQ(got.BatteryLifePercent, 255);
        }
        if (got.ACLineStatus != 0) {
            EXPECT_EQ(got.BatteryLifeTime, -1);
        }
    }
}

} // namespace
