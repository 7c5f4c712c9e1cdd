#pragma once

#include "PowerSource.h"
#include "SysfsPowerMapping.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// Power status from the kernel's power-supply class. Every entry of the folder is read on each
// call, so batteries that come and go are followed; see SysfsPowerMapping for the rules.
class SysfsPowerSource final : public PowerSource {
public:
    explicit SysfsPowerSource(QString root = QStringLiteral("/sys/class/power_supply"));

    PowerStatusReading readPowerStatus() override;
    // The primary screen's available area; empty without a QGuiApplication or a screen.
    WorkAreaRect readWorkArea() override;

    const QString &root() const { return m_root; }

private:
    PowerStatusReading bridgeUnreadableCharge(PowerStatusReading reading);

    QString m_root;
    QByteArray m_rootPath;                          // encoded once, read every second
    std::vector<PowerSupplyAttributes> m_supplies;  // reused so steady reads do not allocate
    std::optional<PowerStatusReading> m_lastCharge; // last reading whose charge could be read
};
