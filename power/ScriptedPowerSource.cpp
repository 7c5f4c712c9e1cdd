#include "ScriptedPowerSource.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

template<typename T> T replay(const QList<T> &list, int &reads)
{
    const qsizetype index = std::min<qsizetype>(reads, list.size() - 1);
    if (reads < std::numeric_limits<int>::max())
        ++reads;
    return list.isEmpty() ? T{} : list.at(index);
}

} // namespace

ScriptedPowerSource::ScriptedPowerSource(QList<PowerStatusReading> readings,
                                         QList<WorkAreaRect> workAreas)
    : m_readings(std::move(readings))
    , m_workAreas(std::move(workAreas))
{
}

PowerStatusReading ScriptedPowerSource::readPowerStatus()
{
    return replay(m_readings, m_powerReads);
}

WorkAreaRect ScriptedPowerSource::readWorkArea()
{
    return replay(m_workAreas, m_workAreaReads);
}
