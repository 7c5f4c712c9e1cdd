#pragma once

#include "BarSettings.h"

#include <QString>

class SettingsWindow;

// Where the store keeps its files.
struct StorePaths {
    QString registryFile;  // per-user store, $XDG_CONFIG_HOME/voltline/user.reg
    QString autostartFile; // machine-wide entry, <first of $XDG_CONFIG_DIRS>/autostart/voltline.desktop
    QString executable;    // the running program, written into the autostart entry

    static StorePaths fromEnvironment();
};

// The settings and statistics store: what the program keeps across runs.
class SettingsStore {
public:
    explicit SettingsStore(StorePaths paths);

    void LoadSettings(SettingsWindow &window, BarSettings &settings, DischargeStatistics &stats);
    void SaveSettings(const SettingsWindow &window, const BarSettings &settings,
                      const DischargeStatistics &stats);
    void SaveConfiguration(const SettingsWindow &window, const BarSettings &settings);
    void ApplyRunAtStartup(bool runAtStartup);

    const StorePaths &paths() const { return m_paths; }

private:
    StorePaths m_paths;
};
