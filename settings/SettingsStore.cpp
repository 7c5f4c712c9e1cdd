#include "SettingsStore.h"

#include "AutostartEntry.h"
#include "RegistryStore.h"
#include "SettingsWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>

namespace {

const QString kConfigurationKey = QStringLiteral("\\Software\\Quorvex\\Voltline\\Configuration");
const QString kStatsKey = QStringLiteral("\\Software\\Quorvex\\Voltline\\Stats");

constexpr float kDefaultVers = 1.09f;
constexpr int kDefaultHeight = 20;
constexpr qint32 kDefaultTime = 120;
constexpr qint32 kDefaultTaken = 3;
constexpr qint32 kTakenLimit = 1999999999;
constexpr qint32 kTakenRestart = 1000000000;

// Every single read or write stands on its own: whatever goes wrong in one leaves the others.
template<typename Step> void guarded(Step &&step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

// Only a value a float can hold becomes the float; anything else counts as unreadable.
std::optional<float> toVers(std::optional<double> stored)
{
    if (!stored)
        return std::nullopt;
    const double v = *stored;
    if (std::isfinite(v) && std::fabs(v) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return float(v);
}

void writeWindowConfiguration(RegistryStore &reg, const SettingsWindow &window,
                              const BarSettings &settings)
{
    guarded([&] { reg.writeInteger(QStringLiteral("Top"), window.windowTop()); });
    guarded([&] { reg.writeInteger(QStringLiteral("Left"), window.windowLeft()); });
    guarded([&] { reg.writeInteger(QStringLiteral("Height"), window.windowHeight()); });
    guarded([&] { reg.writeBool(QStringLiteral("Snap"), settings.Snap); });
    guarded([&] { reg.writeBool(QStringLiteral("AlwaysOnTop"), window.alwaysOnTopChecked()); });
    guarded([&] { reg.writeBool(QStringLiteral("ShowRaised"), settings.ShowRaised); });
    guarded([&] { reg.writeBool(QStringLiteral("PopupBoxStatus"), settings.PopupBoxStatus); });
    guarded([&] {
        reg.writeBool(QStringLiteral("RunAtWindowsStartUp"), settings.RunAtWindowsStartUp);
    });
    guarded([&] { reg.writeBool(QStringLiteral("ShowInSysTray"), settings.ShowInSysTray); });
}

} // namespace

StorePaths StorePaths::fromEnvironment()
{
    StorePaths paths;
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    paths.registryFile = QDir::cleanPath(configHome) + QStringLiteral("/voltline/user.reg");

    paths.autostartFile =
        QDir::cleanPath(configHome) + QStringLiteral("/autostart/voltline.desktop");

    const QStringList dirs =
        qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    // Relative entries are invalid and ignored.
    for (const QString &dir : dirs) {
        if (QDir::isAbsolutePath(dir))
            paths.systemConfigDirs << QDir::cleanPath(dir);
    }
    if (paths.systemConfigDirs.isEmpty())
        paths.systemConfigDirs << QStringLiteral("/etc/xdg");

    if (QCoreApplication::instance())
        paths.executable = QCoreApplication::applicationFilePath();
    return paths;
}

SettingsStore::SettingsStore(StorePaths paths)
    : m_paths(std::move(paths))
{
}

void SettingsStore::LoadSettings(SettingsWindow &window, BarSettings &settings,
                                 DischargeStatistics &stats)
{
    RegistryStore reg(m_paths.registryFile);

    if (reg.openKey(kConfigurationKey, false)) {
        guarded([&] {
            settings.Vers = toVers(reg.readDouble(QStringLiteral("Vers"))).value_or(kDefaultVers);
        });
        guarded([&] {
            if (const auto top = reg.readInteger(QStringLiteral("Top")))
                window.setWindowTop(*top);
        });
        guarded([&] {
            if (const auto left = reg.readInteger(QStringLiteral("Left")))
                window.setWindowLeft(*left);
        });
        guarded([&] {
            window.setWindowHeight(
                reg.readInteger(QStringLiteral("Height")).value_or(kDefaultHeight));
        });
        guarded([&] { settings.Snap = reg.readBool(QStringLiteral("Snap")).value_or(true); });
        guarded([&] {
            window.setAlwaysOnTopChecked(
                reg.readBool(QStringLiteral("AlwaysOnTop")).value_or(true));
        });
        guarded([&] {
            settings.PopupBoxStatus =
                reg.readBool(QStringLiteral("PopupBoxStatus")).value_or(false);
        });
        guarded([&] {
            settings.RunAtWindowsStartUp =
                reg.readBool(QStringLiteral("RunAtWindowsStartUp")).value_or(true);
        });
        guarded([&] {
            settings.ShowRaised = reg.readBool(QStringLiteral("ShowRaised")).value_or(true);
        });
        guarded([&] {
            settings.ShowInSysTray = reg.readBool(QStringLiteral("ShowInSysTray")).value_or(true);
        });
        guarded([&] {
            if (const auto v = reg.readInteger(QStringLiteral("WarnPercent")))
                settings.WarnPercent = *v;
        });
        guarded([&] {
            if (const auto v = reg.readInteger(QStringLiteral("ShutdownPercent")))
                settings.ShutdownPercent = *v;
        });
        guarded([&] {
            const QString name = QStringLiteral("HelpPath");
            if (!reg.readValue(name))
                readInstalledHelp(settings);
            else if (const auto v = reg.readString(name))
                settings.HelpPath = *v;
        });
        guarded([&] {
            const QString name = QStringLiteral("FirstRun");
            settings.FirstRun = reg.readValue(name) ? reg.readBool(name).value_or(false)
                                                    : installedFirstRun().value_or(false);
        });
    } else {
        // First start: position, HelpPath and FirstRun keep their built-in values.
        settings.Vers = kDefaultVers;
        window.setWindowHeight(kDefaultHeight);
        settings.Snap = true;
        window.setAlwaysOnTopChecked(true);
        settings.PopupBoxStatus = false;
        settings.RunAtWindowsStartUp = true;
        settings.ShowRaised = true;
        settings.ShowInSysTray = true;
        settings.WarnPercent = 25;
        settings.ShutdownPercent = 0;
        guarded([&] { readInstalledHelp(settings); });
        guarded([&] {
            if (const auto v = installedFirstRun())
                settings.FirstRun = *v;
        });
        ApplyRunAtStartup(settings.RunAtWindowsStartUp);
    }
    reg.closeKey();

    stats = DischargeStatistics{};
    if (reg.openKey(kStatsKey, false)) {
        guarded([&] {
            stats.DrainTime = reg.readInteger(QStringLiteral("DrainTime")).value_or(kDefaultTime);
        });
        guarded([&] {
            stats.DrainTaken =
                reg.readInteger(QStringLiteral("DrainTaken")).value_or(kDefaultTaken);
        });
        guarded([&] {
            stats.ChargeTime = reg.readInteger(QStringLiteral("ChargeTime")).value_or(kDefaultTime);
        });
        guarded([&] {
            stats.ChargeTaken =
                reg.readInteger(QStringLiteral("ChargeTaken")).value_or(kDefaultTaken);
        });
    } else {
        stats.DrainTime = kDefaultTime;
        stats.DrainTaken = kDefaultTaken;
        stats.ChargeTime = kDefaultTime;
        stats.ChargeTaken = kDefaultTaken;
    }
    reg.closeKey();

    window.applyStackingStyle();
    window.applyBevelStyle(settings.ShowRaised);

    // FirstRun stays set until the next save, so a run that never saves opens it again.
    if (settings.FirstRun && !settings.HelpPath.isEmpty())
        window.openDocument(settings.HelpPath);

    if (stats.DrainTaken > kTakenLimit)
        stats.DrainTaken = kTakenRestart;
    if (stats.ChargeTaken > kTakenLimit)
        stats.ChargeTaken = kTakenRestart;
}

std::optional<RegistryStore> SettingsStore::installedDefaults(const QString &name) const
{
    for (const QString &dir : m_paths.systemConfigDirs) {
        RegistryStore defaults = RegistryStore::readOnly(
            dir + QStringLiteral("/voltline/defaults.reg"), QStringLiteral("HKEY_LOCAL_MACHINE"));
        if (defaults.openKey(kConfigurationKey, false) && defaults.readValue(name))
            return defaults;
    }
    return std::nullopt;
}

void SettingsStore::readInstalledHelp(BarSettings &settings) const
{
    const QString name = QStringLiteral("HelpPath");
    if (auto defaults = installedDefaults(name)) {
        if (const auto v = defaults->readString(name))
            settings.HelpPath = *v;
    }
}

std::optional<bool> SettingsStore::installedFirstRun() const
{
    const QString name = QStringLiteral("FirstRun");
    auto defaults = installedDefaults(name);
    return defaults ? defaults->readBool(name) : std::nullopt;
}

bool SettingsStore::SaveSettings(const SettingsWindow &window, const BarSettings &settings,
                                 const DischargeStatistics &stats)
{
    RegistryStore reg(m_paths.registryFile);
    if (reg.openKey(kConfigurationKey, true)) {
        guarded([&] { reg.writeDouble(QStringLiteral("Vers"), double(settings.Vers)); });
        writeWindowConfiguration(reg, window, settings);
        guarded([&] { reg.writeInteger(QStringLiteral("WarnPercent"), settings.WarnPercent); });
        guarded(
            [&] { reg.writeInteger(QStringLiteral("ShutdownPercent"), settings.ShutdownPercent); });
        guarded([&] { reg.writeBool(QStringLiteral("FirstRun"), false); });
    }
    reg.closeKey();
    if (reg.openKey(kStatsKey, true)) {
        guarded([&] { reg.writeInteger(QStringLiteral("DrainTime"), stats.DrainTime); });
        guarded([&] { reg.writeInteger(QStringLiteral("DrainTaken"), stats.DrainTaken); });
        guarded([&] { reg.writeInteger(QStringLiteral("ChargeTime"), stats.ChargeTime); });
        guarded([&] { reg.writeInteger(QStringLiteral("ChargeTaken"), stats.ChargeTaken); });
    }
    reg.closeKey();
    return commit(reg);
}

// A lock that cannot be taken (a stuck copy, a file in the way that cannot be replaced) is
// said once on standard error; the changes stay with the caller and the next save tries again.
bool SettingsStore::commit(RegistryStore &reg)
{
    if (reg.commit()) {
        m_lockFailureReported = false;
        return true;
    }
    if (!reg.lockFailure().isEmpty() && !m_lockFailureReported) {
        m_lockFailureReported = true;
        std::fprintf(stderr, "voltline: %s; will try again at the next save\n",
                     qPrintable(reg.lockFailure()));
    }
    return false;
}

bool SettingsStore::SaveConfiguration(const SettingsWindow &window, const BarSettings &settings)
{
    RegistryStore reg(m_paths.registryFile);
    if (reg.openKey(kConfigurationKey, true))
        writeWindowConfiguration(reg, window, settings);
    reg.closeKey();
    return commit(reg);
}

bool SettingsStore::ApplyRunAtStartup(bool runAtStartup)
{
    QStringList systemEntries;
    for (const QString &dir : m_paths.systemConfigDirs)
        systemEntries << dir + QStringLiteral("/autostart/voltline.desktop");
    AutostartEntry entry(m_paths.autostartFile, QFileInfo(m_paths.registryFile).absolutePath(),
                         systemEntries);
    if (!entry.isAvailable())
        return false;
    // The path is written as it is: lower-casing it would name another file here.
    return runAtStartup ? entry.write(m_paths.executable) : entry.remove(m_paths.executable);
}
