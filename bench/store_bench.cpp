// What the settings store costs: a load and a save of a normal store file, and reading a
// hand-grown file of many values (which must stay linear in its size).
#include "BarSettings.h"
#include "RegistryDocument.h"
#include "SettingsStore.h"
#include "SettingsWindow.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

class NullWindow final : public SettingsWindow {
public:
    int windowLeft() const override { return 401; }
    int windowTop() const override { return 170; }
    int windowHeight() const override { return 20; }
    void setWindowLeft(int) override {}
    void setWindowTop(int) override {}
    void setWindowHeight(int) override {}
    bool alwaysOnTopChecked() const override { return true; }
    void setAlwaysOnTopChecked(bool) override {}
    void applyStackingStyle() override {}
    void applyBevelStyle(bool) override {}
    void openDocument(const QString &) override {}
};

StorePaths tempPaths(const QTemporaryDir &dir)
{
    StorePaths paths;
    paths.registryFile = dir.filePath(QStringLiteral("voltline/user.reg"));
    paths.autostartFile = dir.filePath(QStringLiteral("none/autostart/voltline.desktop"));
    return paths;
}

void BM_SaveSettings(benchmark::State &state)
{
    QTemporaryDir dir;
    SettingsStore store(tempPaths(dir));
    NullWindow window;
    BarSettings settings;
    DischargeStatistics stats;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.SaveSettings(window, settings, stats));
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMicrosecond);

void BM_LoadSettings(benchmark::State &state)
{
    QTemporaryDir dir;
    SettingsStore store(tempPaths(dir));
    NullWindow window;
    BarSettings settings;
    DischargeStatistics stats;
    store.SaveSettings(window, settings, stats);
    for (auto _ : state) {
        store.LoadSettings(window, settings, stats);
        benchmark::DoNotOptimize(stats);
    }
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);

void BM_ParseManyValues(benchmark::State &state)
{
    QByteArray file = "[HKEY_CURRENT_USER\\K]\n";
    for (int i = 0; i < state.range(0); ++i)
        file += "\"Value" + QByteArray::number(i) + "\"=dword:0000002a\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(RegistryDocument::parse(file).values().size());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseManyValues)
    ->RangeMultiplier(8)
    ->Range(64, 32768)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
