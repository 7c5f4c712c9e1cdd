#pragma once

#include "BarSettings.h"
#include "RegistryStore.h"

#include <QString>
#include <QStringList>

#include <optional>

class SettingsWindow;

// Where the store keeps its files.
struct StorePaths {
    StorePaths() = default;
    StorePaths(QString registry, QString autostart, QString program, QStringList systemDirs = {})
        : registryFile(std::move(registry))
        , autostartFile(std::move(autostart))
        , executable(std::move(program))
        , systemConfigDirs(std::move(systemDirs))
    {
    }

    QString registryFile;  // per-user store, $XDG_CONFIG_HOME/voltline/user.reg
    QString autostartFile; // the user's entry, $XDG_CONFIG_HOME/autostart/voltline.desktop;
                           // empty: never start at login
    QString executable;    // the running program, written into the autostart entry
    // Read only, most important first ($XDG_CONFIG_DIRS, default /etc/xdg): the machine-wide
    // defaults in voltline/defaults.reg and autostart entries that the user's entry overrides.
    QStringList systemConfigDirs;

    static StorePaths fromEnvironment();
};

// The settings and statistics store: what the program keeps across runs.
class RegistryStore;

class SettingsStore {
public:
    explicit SettingsStore(StorePaths paths);

    // Fills settings and statistics from the store and applies the window's part (position,
    // height, check mark, stacking, bevel); opens the help document on a first run.
    void LoadSettings(SettingsWindow &window, BarSettings &settings, DischargeStatistics &stats);
    // The saves return false when nothing could be written; the caller keeps its values and
    // the next save writes them all again.
    bool SaveSettings(const SettingsWindow &window, const BarSettings &settings,
                      const DischargeStatistics &stats);
    bool SaveConfiguration(const SettingsWindow &window, const BarSettings &settings);
    // Adds or removes the start-with-the-system entry; false when that was not possible.
    bool ApplyRunAtStartup(bool runAtStartup);

    const StorePaths &paths() const { return m_paths; }

private:
    bool commit(RegistryStore &reg);
    // What the installation put into the machine-wide defaults, for a value the user's store
    // lacks: the first defaults file that holds the value, with its Configuration key open.
    std::optional<RegistryStore> installedDefaults(const QString &name) const;
    void readInstalledHelp(BarSettings &settings) const;
    std::optional<bool> installedFirstRun() const;
    void applyInstalledDefaults(RegistryStore &reg, BarSettings &settings) const;

    StorePaths m_paths;
    bool m_lockFailureReported = false; // once per spell of failures, not every second
};
