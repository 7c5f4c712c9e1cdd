#include "SysfsPowerMapping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

QByteArrayView trimmed(QByteArrayView text)
{
    auto isSpace = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// A value that cannot be negative (capacity, energy, charge): a negative reading is garbage.
std::optional<qint64> nonNegative(std::optional<qint64> value)
{
    if (value && *value < 0)
        return std::nullopt;
    return value;
}

std::optional<double> ratioPercent(std::optional<qint64> now, std::optional<qint64> full)
{
    now = nonNegative(now);
    full = nonNegative(full);
    if (!now || !full || *full == 0)
        return std::nullopt;
    return std::min(100.0, 100.0 * double(*now) / double(*full));
}

std::optional<double> batteryPercent(const PowerSupplyAttributes &b)
{
    if (const auto capacity = nonNegative(b.capacity))
        return double(std::min<qint64>(*capacity, 100));
    if (const auto p = ratioPercent(b.energyNow, b.energyFull))
        return p;
    return ratioPercent(b.chargeNow, b.chargeFull);
}

bool hasPair(std::optional<qint64> now, std::optional<qint64> full)
{
    return nonNegative(now) && nonNegative(full);
}

quint8 toByte(double percent)
{
    return quint8(std::clamp<long>(std::lround(percent), 0, 100));
}

} // namespace

std::optional<qint64> parseSysfsInt(QByteArrayView text)
{
    text = trimmed(text);
    if (text.isEmpty())
        return std::nullopt;
    bool negative = false;
    qsizetype i = 0;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate negatively so that the most negative value parses too.
    qint64 value = 0;
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value < (kMin + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin)
            return std::nullopt;
        value = -value;
    }
    return value;
}

SupplyKind parseSupplyKind(QByteArrayView text)
{
    text = trimmed(text);
    if (text == "Battery")
        return SupplyKind::Battery;
    if (text == "UPS")
        return SupplyKind::Ups;
    if (text == "Mains" || text == "USB" || text == "USB_C" || text == "USB_PD" ||
        text == "USB_PD_DRP")
        return SupplyKind::Mains;
    return SupplyKind::Other;
}

SupplyScope parseSupplyScope(QByteArrayView text)
{
    text = trimmed(text);
    if (text == "System")
        return SupplyScope::System;
    if (text == "Device")
        return SupplyScope::Device;
    return SupplyScope::Other;
}

ChargeState parseChargeState(QByteArrayView text)
{
    text = trimmed(text);
    if (text == "Charging")
        return ChargeState::Charging;
    if (text == "Discharging")
        return ChargeState::Discharging;
    if (text == "Not charging")
        return ChargeState::NotCharging;
    if (text == "Full")
        return ChargeState::Full;
    return ChargeState::Unknown;
}

bool isSystemBattery(const PowerSupplyAttributes &supply)
{
    if (supply.kind != SupplyKind::Battery && supply.kind != SupplyKind::Ups)
        return false;
    if (supply.scope != SupplyScope::Absent && supply.scope != SupplyScope::System)
        return false;
    // An unreadable "present" does not hide a battery; only an explicit 0 does.
    if (supply.present && *supply.present == 0)
        return false;
    // A UPS that tells no charge is only a line monitor; one that does is what the machine
    // runs on when the mains fails (a UPS board is often a single-board computer's battery).
    return supply.kind == SupplyKind::Battery || batteryPercent(supply).has_value();
}

PowerStatusReading mapPowerSupplies(std::span<const PowerSupplyAttributes> supplies)
{
    PowerStatusReading r;

    int batteries = 0;
    bool anyMains = false;
    bool anyOnline = false;
    bool anyCharging = false;
    bool anyDischarging = false;
    bool anyOnMainsState = false; // Charging, Full or Not charging
    bool anyHeldState = false;    // Full or Not charging
    bool anyStatusKnown = false;
    bool allEnergy = true;
    bool allCharge = true;
    int withPercent = 0;
    // In billionths of a percent: a sum of integers does not depend on the order of the
    // folder's entries, as a sum of fractions does at a rounding boundary.
    qint64 percentSum = 0;
    double energyNow = 0, energyFull = 0, chargeNow = 0, chargeFull = 0;
    double powerNow = 0, currentNow = 0;
    bool allPower = true, allCurrent = true;

    for (const PowerSupplyAttributes &s : supplies) {
        if (s.kind == SupplyKind::Mains) {
            // An adapter whose state cannot be read is no evidence either way; counting it as
            // off line would put a charging laptop on battery, down to a forced shutdown.
            if (s.online) {
                anyMains = true;
                // 2 is a USB PD supply on line at a programmable voltage.
                anyOnline = anyOnline || *s.online > 0;
            }
            continue;
        }
        if (!isSystemBattery(s))
            continue;
        ++batteries;
        switch (s.status) {
        case ChargeState::Charging:
            anyCharging = true;
            anyOnMainsState = true;
            break;
        case ChargeState::Full:
        case ChargeState::NotCharging:
            anyOnMainsState = true;
            anyHeldState = true;
            break;
        case ChargeState::Discharging:
            anyDischarging = true;
            break;
        case ChargeState::Unknown:
            break;
        }
        anyStatusKnown = anyStatusKnown || s.status != ChargeState::Unknown;

        if (const auto p = batteryPercent(s)) {
            ++withPercent;
            percentSum += std::llround(*p * 1e9);
        }
        if (hasPair(s.energyNow, s.energyFull)) {
            energyNow += double(*s.energyNow);
            energyFull += double(*s.energyFull);
        } else {
            allEnergy = false;
        }
        if (hasPair(s.chargeNow, s.chargeFull)) {
            chargeNow += double(*s.chargeNow);
            chargeFull += double(*s.chargeFull);
        } else {
            allCharge = false;
        }
        // Some drivers report the discharge rate as a negative number.
        if (s.powerNow && *s.powerNow != std::numeric_limits<qint64>::min())
            powerNow += double(std::abs(*s.powerNow));
        else
            allPower = false;
        if (s.currentNow && *s.currentNow != std::numeric_limits<qint64>::min())
            currentNow += double(std::abs(*s.currentNow));
        else
            allCurrent = false;
    }

    // Without a battery the machine runs on mains, whatever its adapters say: an idle USB-C
    // port or an offline Mains entry on a desktop is not a battery at 0 %.
    if (batteries == 0) {
        r.ACLineStatus = 1;
        r.BatteryFlag = 128;
        r.BatteryLifePercent = 255;
        r.BatteryLifeTime = -1;
        return r;
    }

    // AC line.
    if (anyMains)
        r.ACLineStatus = anyOnline ? 1 : 0;
    else if (anyDischarging)
        r.ACLineStatus = 0;
    else if (anyOnMainsState)
        r.ACLineStatus = 1;
    else
        r.ACLineStatus = 255;

    // Held on mains: no battery moves either way while one says it stopped on purpose.
    r.BatteryHeld = r.ACLineStatus == 1 && anyHeldState && !anyCharging && !anyDischarging;

    // Percent: one battery speaks for itself; several are weighted by what they hold, and
    // when they do not all report the same unit, their percentages are simply averaged.
    std::optional<double> percent;
    if (batteries == 1 || withPercent == 0) {
        if (withPercent > 0)
            percent = double(percentSum) / 1e9;
    } else if (allEnergy && energyFull > 0) {
        percent = std::min(100.0, 100.0 * energyNow / energyFull);
    } else if (allCharge && chargeFull > 0) {
        percent = std::min(100.0, 100.0 * chargeNow / chargeFull);
    } else {
        percent = double(percentSum) / 1e9 / withPercent;
    }
    if (percent)
        r.BatteryLifePercent = toByte(*percent);

    // Battery flag.
    if (!percent && !anyStatusKnown) {
        r.BatteryFlag = 255;
    } else {
        quint8 flag = percent ? batteryLevelFlag(r.BatteryLifePercent) : 0;
        if (anyCharging)
            flag |= 8;
        r.BatteryFlag = flag;
    }

    // Remaining time, only while running on battery.
    if (r.ACLineStatus == 0) {
        std::optional<double> seconds;
        if (allEnergy && allPower && powerNow > 0)
            seconds = energyNow / powerNow * 3600.0;
        else if (allCharge && allCurrent && currentNow > 0)
            seconds = chargeNow / currentNow * 3600.0;
        if (seconds)
            r.BatteryLifeTime =
                qint32(std::min(*seconds, double(std::numeric_limits<qint32>::max())));
    }
    return r;
}
