#pragma once

#include "PowerSource.h"
#include "SysfsPowerMapping.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Power status from the kernel's power-supply class. Every entry of the folder is read on each
// call, so batteries that come and go are followed; see SysfsPowerMapping for the rules.
class SysfsPowerSource final : public PowerSource {
public:
    // Milliseconds on a clock that also runs while the machine sleeps.
    using Clock = std::function<qint64()>;

    // How long the last reading stands in for a battery that cannot be read. A kernel
    // re-enumerating a battery, or a driver resetting its controller, takes one to three
    // seconds; even a battery drained flat in an hour loses a percent only every 36 s, so
    // 10 s of standing in cannot hide more than a percent.
    static constexpr qint64 kGraceMs = 10'000;

    explicit SysfsPowerSource(QString root = QStringLiteral("/sys/class/power_supply"),
                              Clock clock = {});

    PowerStatusReading readPowerStatus() override;
    // The primary screen's available area; empty without a QGuiApplication or a screen.
    WorkAreaRect readWorkArea() override;

    const QString &root() const { return m_root; }

private:
    PowerStatusReading bridgeUnreadableCharge(PowerStatusReading reading);

    QString m_root;
    Clock m_clock;
    QByteArray m_rootPath;                          // encoded once, read every second
    std::vector<PowerSupplyAttributes> m_supplies;  // reused so steady reads do not allocate
    std::optional<PowerStatusReading> m_lastCharge; // last reading whose charge could be read
    qint64 m_lastChargeAt = 0;
    bool m_seenBattery = false; // a battery was read in this run: its absence is not a desktop
};
