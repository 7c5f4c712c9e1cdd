#pragma once

#include <QtGlobal>

// The raw answer of one power status query, before TPowerInfo normalises it.
struct PowerStatusReading {
    quint8 ACLineStatus = 255;       // 0 off line, 1 on line, 255 unknown
    quint8 BatteryFlag = 255;        // 1 high, 2 low, 4 critical, 8 charging, 128 none, 255 unknown
    quint8 BatteryLifePercent = 255; // 0..100, 255 unknown
    qint32 BatteryLifeTime = -1;     // seconds, -1 unknown
    // The percent is the last one read, standing in for a battery that could not be read for a
    // moment. Such a reading is shown but never acted on (no forced shutdown).
    bool ChargeBridged = false;
    // On mains and no battery charging, while one says "Full" or "Not charging": a charge limit,
    // or a gauge that calls itself full below 100 %. The percent is still the true one.
    bool BatteryHeld = false;
};

// Battery levels in percent: the level bits of BatteryFlag, and the strip's state letters
// (above high 'F', above low 'H', else 'E').
inline constexpr int kBatteryHighAbove = 66;
inline constexpr int kBatteryLowBelow = 33;
inline constexpr int kBatteryCriticalBelow = 5;

// The level bits of BatteryFlag for a percentage: 1 high, 4 critical, 2 low, 0 in between.
constexpr quint8 batteryLevelFlag(int percent)
{
    if (percent > kBatteryHighAbove)
        return 1;
    if (percent < kBatteryCriticalBelow)
        return 4;
    if (percent < kBatteryLowBelow)
        return 2;
    return 0;
}

// The desktop work area; right and bottom are exclusive.
struct WorkAreaRect {
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Right = 0;
    qint32 Bottom = 0;
};

// Where power readings come from: the kernel, or a script in tests and the demo.
class PowerSource {
public:
    virtual ~PowerSource() = default;
    virtual PowerStatusReading readPowerStatus() = 0;
    virtual WorkAreaRect readWorkArea() = 0;
};
