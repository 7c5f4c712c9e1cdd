#pragma once

#include "PowerSource.h"

#include <QList>

// Replays a list of readings and work areas, one per query; after the last it keeps
// returning the last. An empty list answers with "cannot tell" values and an empty area.
class ScriptedPowerSource final : public PowerSource {
public:
    explicit ScriptedPowerSource(QList<PowerStatusReading> readings = {},
                                 QList<WorkAreaRect> workAreas = {});

    PowerStatusReading readPowerStatus() override;
    WorkAreaRect readWorkArea() override;

    void appendReading(const PowerStatusReading &reading) { m_readings.append(reading); }
    void appendWorkArea(const WorkAreaRect &area) { m_workAreas.append(area); }

    int powerReads() const { return m_powerReads; }
    int workAreaReads() const { return m_workAreaReads; }

private:
    QList<PowerStatusReading> m_readings;
    QList<WorkAreaRect> m_workAreas;
    int m_powerReads = 0;
    int m_workAreaReads = 0;
};
