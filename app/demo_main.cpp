// The bar on a scripted battery, for trying it out on a computer without one: a discharge past
// the warning level, then charging back to full. It keeps its own store and never registers
// itself to start with the system, and its shutdown request only writes a line.
#include "ProgramRun.h"
#include "ScriptedPowerSource.h"
#include "ShutdownRequester.h"
#include "SysfsPowerSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <unistd.h>

namespace {

constexpr int kSecondsPerPercent = 3;
constexpr int kLowest = 20;

QList<PowerStatusReading> demoScript()
{
    QList<PowerStatusReading> readings;
    const auto add = [&](quint8 ac, quint8 flag, int percent) {
        for (int i = 0; i < kSecondsPerPercent; ++i)
            readings.append({ac, flag, quint8(percent), ac ? -1 : percent * 90});
    };
    for (int p = 100; p >= kLowest; --p)
        add(0, batteryLevelFlag(p), p);
    for (int p = kLowest; p < 100; ++p)
        add(1, quint8(batteryLevelFlag(p) | 8), p);
    add(1, 1, 100);
    return readings;
}

// Scripted battery, real screen.
class DemoPowerSource final : public PowerSource {
public:
    DemoPowerSource()
        : m_script(demoScript())
    {
    }
    PowerStatusReading readPowerStatus() override { return m_script.readPowerStatus(); }
    WorkAreaRect readWorkArea() override { return m_screen.readWorkArea(); }

private:
    ScriptedPowerSource m_script;
    SysfsPowerSource m_screen;
};

class LoggingShutdownRequester final : public ShutdownRequester {
public:
    void requestPowerOff(bool withRights, Answer answer) override
    {
        QTextStream(stderr) << "voltline-demo: a real bar would now ask to power off"
                            << (withRights ? " (with rights)" : "") << '\n';
        answer(Result::Accepted);
    }
};

} // namespace

int main(int argc, char **argv)
{
    ProgramParts parts;
    parts.makePowerSource = [] { return std::make_unique<DemoPowerSource>(); };
    parts.makeShutdownRequester = [] { return std::make_unique<LoggingShutdownRequester>(); };
    parts.storePaths = [] {
        const QString dir = QDir::tempPath() + QStringLiteral("/voltline-demo-%1").arg(getuid());
        StorePaths paths;
        paths.registryFile = dir + QStringLiteral("/user.reg");
        // No autostart entry: the demo never registers itself to start at login.
        paths.executable = QCoreApplication::applicationFilePath();
        return paths;
    };
    return runVoltline(argc, argv, parts);
}
