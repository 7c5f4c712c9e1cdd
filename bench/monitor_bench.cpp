// What the monitor costs per second: one compute tick and one display tick, and one read of a
// two-battery kernel folder.
#include "BarSettings.h"
#include "Monitor.h"
#include "MonitorHost.h"
#include "ScriptedPowerSource.h"
#include "ShutdownRequester.h"
#include "SysfsPowerSource.h"
#include "TPowerInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Keeps only what a real window would keep, so the figure is the monitor's own work.
class NullHost final : public MonitorHost {
public:
    void setGaugeColor(quint32 color) override { benchmark::DoNotOptimize(color); }
    void setGaugePosition(int position) override { benchmark::DoNotOptimize(position); }
    void setPercentText(const QString &text) override { m_percent = text; }
    void setTimeText(const QString &text) override { m_time = text; }
    void setApplicationTitle(const QString &text) override { m_title = text; }
    void setHintText(const QString &text) override { m_hint = text; }
    void showStatusBox(const QString &, const QString &, bool) override {}
    void invalidateWindow() override {}
    bool isWindowNormal() const override { return true; }
    void drawStateIcon(QChar, int, int, int, int) override {}
    void SnapToEdges() override {}
    void UpdateTrayTip() override {}
    void SaveSettings() override {}

private:
    QString m_percent, m_time, m_title, m_hint;
};

class NoShutdown final : public ShutdownRequester {
public:
    void requestPowerOff(bool, Answer answer) override { answer(Result::Failed); }
};

void BM_ComputeAndDisplayTick(benchmark::State &state)
{
    ScriptedPowerSource source({{0, 0, 57, 7200}});
    TPowerInfo power(source, nullptr);
    BarSettings settings;
    DischargeStatistics stats;
    NullHost host;
    NoShutdown shutdown;
    Monitor monitor(power, settings, stats, host, shutdown);
    monitor.StartMonitor();
    monitor.tmrComputeInfoTimer(); // past the first-tick repaint
    for (auto _ : state) {
        monitor.tmrComputeInfoTimer();
        monitor.tmrDisplayInfoTimer();
    }
}
BENCHMARK(BM_ComputeAndDisplayTick);

void writeFile(const QString &path, const QByteArray &value)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(value);
}

void BM_SysfsReadTwoBatteries(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir(root).mkpath("AC");
    writeFile(root + "/AC/type", "Mains\n");
    writeFile(root + "/AC/online", "0\n");
    for (const char *name : {"BAT0", "BAT1"}) {
        const QString b = root + '/' + name;
        QDir(root).mkpath(name);
        writeFile(b + "/type", "Battery\n");
        writeFile(b + "/present", "1\n");
        writeFile(b + "/status", "Discharging\n");
        writeFile(b + "/capacity", "57\n");
        writeFile(b + "/energy_now", "28500000\n");
        writeFile(b + "/energy_full", "50000000\n");
        writeFile(b + "/power_now", "9500000\n");
    }
    SysfsPowerSource source(root);
    for (auto _ : state)
        benchmark::DoNotOptimize(source.readPowerStatus());
}
BENCHMARK(BM_SysfsReadTwoBatteries);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // the sampler's timer wants one
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
