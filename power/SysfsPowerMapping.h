#pragma once

#include "PowerSource.h"

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>
#include <span>

// The kernel's power-supply attributes, reduced to what the status mapping needs. Parsing and
// mapping are pure so that tests and fuzzers can drive them without files.

enum class SupplyKind {
    Other, // absent, unreadable or a type we do not use (e.g. Wireless)
    Battery,
    Mains, // Mains and the USB variants that feed the machine
    Ups,   // a UPS board or unit: the machine's battery when it reports a charge
};

enum class SupplyScope {
    Absent, // no scope file: the kernel only adds it when the driver knows
    System,
    Device, // a peripheral's own battery (mouse, keyboard): never the machine's
    Other,
};

enum class ChargeState {
    Unknown, // absent, unreadable, "Unknown" or anything else
    Charging,
    Discharging,
    NotCharging,
    Full,
};

struct PowerSupplyAttributes {
    SupplyKind kind = SupplyKind::Other;
    SupplyScope scope = SupplyScope::Absent;
    ChargeState status = ChargeState::Unknown;
    std::optional<qint64> present;
    std::optional<qint64> online;
    std::optional<qint64> capacity;
    std::optional<qint64> energyNow;
    std::optional<qint64> energyFull;
    std::optional<qint64> chargeNow;
    std::optional<qint64> chargeFull;
    std::optional<qint64> powerNow;
    std::optional<qint64> currentNow;
};

// A decimal integer as the kernel writes it: optional sign, digits, optional trailing
// whitespace/newline. Anything else, or a value outside 64 bits, gives nothing.
std::optional<qint64> parseSysfsInt(QByteArrayView text);

// The single-word attributes; surrounding whitespace is ignored.
SupplyKind parseSupplyKind(QByteArrayView text);
SupplyScope parseSupplyScope(QByteArrayView text);
ChargeState parseChargeState(QByteArrayView text);

// Reads one supply through `read(attributeName)`, which returns the file's bytes (empty when
// missing or unreadable). Only the attributes that the mapping can use are asked for.
template<typename Read> PowerSupplyAttributes parseSupply(Read &&read)
{
    PowerSupplyAttributes s;
    s.kind = parseSupplyKind(read("type"));
    if (s.kind == SupplyKind::Mains) {
        s.online = parseSysfsInt(read("online"));
    } else if (s.kind == SupplyKind::Battery || s.kind == SupplyKind::Ups) {
        const QByteArrayView scope = read("scope");
        s.scope = scope.isEmpty() ? SupplyScope::Absent : parseSupplyScope(scope);
        if (s.scope == SupplyScope::Device)
            return s;
        s.present = parseSysfsInt(read("present"));
        s.status = parseChargeState(read("status"));
        s.capacity = parseSysfsInt(read("capacity"));
        s.energyNow = parseSysfsInt(read("energy_now"));
        s.energyFull = parseSysfsInt(read("energy_full"));
        if (!s.energyNow || !s.energyFull) {
            s.chargeNow = parseSysfsInt(read("charge_now"));
            s.chargeFull = parseSysfsInt(read("charge_full"));
        }
        s.powerNow = parseSysfsInt(read("power_now"));
        if (!s.powerNow)
            s.currentNow = parseSysfsInt(read("current_now"));
    }
    return s;
}

// True for the entries that count as the machine's batteries.
bool isSystemBattery(const PowerSupplyAttributes &supply);

// The raw power status of the machine from all of its supplies (any order).
PowerStatusReading mapPowerSupplies(std::span<const PowerSupplyAttributes> supplies);
