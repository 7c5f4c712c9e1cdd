#pragma once

#include "PowerSource.h"

#include <QPointer>
#include <QWidget>

// Power readings from another source, the work area from the screen the strip is on. Until
// the strip is shown (or while it is hidden) the other source's work area holds.
class StripWorkAreaSource final : public PowerSource {
public:
    explicit StripWorkAreaSource(PowerSource &readings)
        : m_readings(readings)
    {
    }

    void setStrip(QWidget *strip) { m_strip = strip; }

    PowerStatusReading readPowerStatus() override { return m_readings.readPowerStatus(); }
    WorkAreaRect readWorkArea() override;

private:
    PowerSource &m_readings;
    QPointer<QWidget> m_strip;
};
