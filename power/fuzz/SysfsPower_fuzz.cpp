// libFuzzer target: the kernel's power-supply files, parsed and mapped to the raw status.
//
// An input is a readable picture of a power-supply folder, so that the seeds can be written
// by hand: entries separated by a line "--", each line "attribute=contents", where contents
// run to the end of the line and keep its newline, as a sysfs file does.
//
//   type=Battery
//   capacity=57
//   --
//   type=Mains
//   online=0
//
// Besides what the sanitizers catch, every mapping must keep the rules of the raw status.
// fuzz/sysfs.dict (attribute names and words) helps a longer run by hand: -dict=...
#include "SysfsPowerMapping.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Entry {
    std::vector<std::pair<QByteArrayView, QByteArrayView>> files;

    QByteArrayView read(QByteArrayView name) const
    {
        for (const auto &[key, contents] : files)
            if (key == name)
                return contents;
        return {};
    }
};

std::vector<Entry> parseFolder(QByteArrayView data)
{
    std::vector<Entry> entries(1);
    while (!data.isEmpty() && entries.size() <= 16) {
        qsizetype end = data.indexOf('\n');
        const qsizetype next = end < 0 ? data.size() : end + 1;
        const QByteArrayView line = data.first(next);
        data = data.sliced(next);
        if (line == "--\n" || line == "--") {
            entries.emplace_back();
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            entries.back().files.emplace_back(line.first(eq), line.sliced(eq + 1));
    }
    return entries;
}

[[noreturn]] void broken(const char *rule)
{
    std::fprintf(stderr, "rule broken: %s\n", rule);
    std::abort();
}

void require(bool ok, const char *rule)
{
    if (!ok)
        broken(rule);
}

bool sameReading(const PowerStatusReading &a, const PowerStatusReading &b)
{
    return a.ACLineStatus == b.ACLineStatus && a.BatteryFlag == b.BatteryFlag &&
           a.BatteryLifePercent == b.BatteryLifePercent && a.BatteryLifeTime == b.BatteryLifeTime &&
           a.BatteryHeld == b.BatteryHeld;
}

void checkInteger(QByteArrayView text)
{
    const std::optional<qint64> value = parseSysfsInt(text);
    if (!value)
        return;
    // Whatever was accepted reads back the same from its plain decimal form.
    require(parseSysfsInt(QByteArray::number(*value)) == value, "integers round-trip");
    require(parseSysfsInt(QByteArray::number(*value) + '\n') == value, "a newline is allowed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<Entry> entries =
        parseFolder(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));

    std::vector<PowerSupplyAttributes> supplies;
    for (const Entry &entry : entries) {
        for (const auto &file : entry.files)
            checkInteger(file.second);
        supplies.push_back(parseSupply([&entry](const char *name) { return entry.read(name); }));
    }

    const PowerStatusReading r = mapPowerSupplies(supplies);

    // Counted without the mapping's help: a machine battery is a present Battery entry that
    // does not belong to a peripheral, or a UPS that tells its charge.
    int batteries = 0, mains = 0, online = 0, charging = 0, capacity = -1;
    for (const PowerSupplyAttributes &s : supplies) {
        const auto atLeast = [](std::optional<qint64> v, qint64 low) { return v && *v >= low; };
        const bool tellsCharge = atLeast(s.capacity, 0) ||
                                 (atLeast(s.energyNow, 0) && atLeast(s.energyFull, 1)) ||
                                 (atLeast(s.chargeNow, 0) && atLeast(s.chargeFull, 1));
        if ((s.kind == SupplyKind::Battery || (s.kind == SupplyKind::Ups && tellsCharge)) &&
            (s.scope == SupplyScope::Absent || s.scope == SupplyScope::System) &&
            s.present.value_or(1) != 0) {
            ++batteries;
            charging += s.status == ChargeState::Charging;
            capacity = s.capacity && *s.capacity >= 0 && *s.capacity <= 100 ? int(*s.capacity) : -1;
        }
        // An adapter whose state cannot be read is no evidence either way.
        if (s.kind == SupplyKind::Mains && s.online) {
            ++mains;
            online += *s.online > 0;
        }
    }

    require(r.ACLineStatus == 0 || r.ACLineStatus == 1 || r.ACLineStatus == 255,
            "AC line is 0, 1 or 255");
    require(r.BatteryLifePercent <= 100 || r.BatteryLifePercent == 255, "percent is 0..100 or 255");
    require(r.BatteryLifeTime >= -1, "remaining time is -1 or more");
    if (online > 0)
        require(r.ACLineStatus == 1, "an online mains entry means AC on line");
    else if (mains > 0 && batteries > 0)
        require(r.ACLineStatus == 0, "readable mains entries all offline mean AC off line");
    if (batteries == 0) {
        require(r.BatteryFlag == 128, "no battery gives flag 128");
        require(r.BatteryLifePercent == 255, "no battery gives percent 255");
        require(r.ACLineStatus == 1, "no battery: on mains, whatever the adapters say");
    } else {
        const int level = r.BatteryFlag & ~8;
        require(r.BatteryFlag == 255 || level == 0 || level == 1 || level == 2 || level == 4,
                "flag is one level bit, maybe plus charging, or 255");
        if (r.BatteryFlag != 255)
            require(((r.BatteryFlag & 8) != 0) == (charging > 0), "8 while a battery charges");
        if (batteries == 1 && capacity >= 0)
            require(r.BatteryLifePercent == capacity, "one battery shows its capacity");
    }
    if (r.ACLineStatus == 1 || r.ACLineStatus == 255)
        require(r.BatteryLifeTime == -1 || charging == 0, "no time to empty while charging");
    if (r.BatteryHeld)
        require(batteries > 0 && r.ACLineStatus == 1 && charging == 0,
                "held only on mains, with a battery, none charging");

    // The folder has no order.
    std::vector<PowerSupplyAttributes> reversed(supplies.rbegin(), supplies.rend());
    require(sameReading(mapPowerSupplies(reversed), r), "order of entries does not matter");
    return 0;
}
