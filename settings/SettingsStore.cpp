#include "SettingsStore.h"

#include "AutostartEntry.h"
#include "RegistryStore.h"
#include "SettingsWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <optional>
#include <variant>
#include <vector>

namespace {

const QString kConfigurationKey = QStringLiteral("\\Software\\Quorvex\\Voltline\\Configuration");
const QString kStatsKey = QStringLiteral("\\Software\\Quorvex\\Voltline\\Stats");

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

enum class Section { Configuration, Stats };
enum class Kind { Integer, Bool, Vers, Text };
using Value = std::variant<qint32, bool, float, QString>;

struct Fields {
    SettingsWindow &window;
    BarSettings &settings;
    DischargeStatistics &stats;
};
struct ConstFields {
    const SettingsWindow &window;
    const BarSettings &settings;
    const DischargeStatistics &stats;
};

// One stored value: where it lives, its type, its default when its key is missing (a first
// start) and when the value itself is missing or unreadable (none: the field keeps what it
// holds), and where the saves write it. LoadSettings reads the rows in this order.
struct StoredValue {
    Section section;
    QString name;
    Kind kind;
    std::optional<Value> firstStart;
    std::optional<Value> unreadable;
    int saveOrder;      // position among the writes of SaveSettings; -1: never written
    bool configuration; // SaveConfiguration writes it too, in the same order
    void (*apply)(Fields &, const Value &);
    Value (*current)(const ConstFields &);
};

constexpr int kNever = -1;

const std::vector<StoredValue> &storedValues()
{
    using S = Section;
    using K = Kind;
    // The statistics start, and a "Reset!" restarts them, from the struct's own values.
    const DischargeStatistics kStats;
    static const std::vector<StoredValue> rows = {
        {S::Configuration, QStringLiteral("Vers"), K::Vers, 1.09f, 1.09f, 0, false,
         [](Fields &f, const Value &v) { f.settings.Vers = std::get<float>(v); },
         [](const ConstFields &f) -> Value { return f.settings.Vers; }},
        {S::Configuration,
         QStringLiteral("Top"),
         K::Integer,
         {},
         {},
         1,
         true,
         [](Fields &f, const Value &v) { f.window.setWindowTop(std::get<qint32>(v)); },
         [](const ConstFields &f) -> Value { return qint32(f.window.windowTop()); }},
        {S::Configuration,
         QStringLiteral("Left"),
         K::Integer,
         {},
         {},
         2,
         true,
         [](Fields &f, const Value &v) { f.window.setWindowLeft(std::get<qint32>(v)); },
         [](const ConstFields &f) -> Value { return qint32(f.window.windowLeft()); }},
        {S::Configuration, QStringLiteral("Height"), K::Integer, qint32(20), qint32(20), 3, true,
         [](Fields &f, const Value &v) { f.window.setWindowHeight(std::get<qint32>(v)); },
         [](const ConstFields &f) -> Value { return qint32(f.window.windowHeight()); }},
        {S::Configuration, QStringLiteral("Snap"), K::Bool, true, true, 4, true,
         [](Fields &f, const Value &v) { f.settings.Snap = std::get<bool>(v); },
         [](const ConstFields &f) -> Value { return f.settings.Snap; }},
        {S::Configuration, QStringLiteral("AlwaysOnTop"), K::Bool, true, true, 5, true,
         [](Fields &f, const Value &v) { f.window.setAlwaysOnTopChecked(std::get<bool>(v)); },
         [](const ConstFields &f) -> Value { return f.window.alwaysOnTopChecked(); }},
        {S::Configuration, QStringLiteral("PopupBoxStatus"), K::Bool, false, false, 7, true,
         [](Fields &f, const Value &v) { f.settings.PopupBoxStatus = std::get<bool>(v); },
         [](const ConstFields &f) -> Value { return f.settings.PopupBoxStatus; }},
        {S::Configuration, QStringLiteral("RunAtWindowsStartUp"), K::Bool, true, true, 8, true,
         [](Fields &f, const Value &v) { f.settings.RunAtWindowsStartUp = std::get<bool>(v); },
         [](const ConstFields &f) -> Value { return f.settings.RunAtWindowsStartUp; }},
        {S::Configuration, QStringLiteral("ShowRaised"), K::Bool, true, true, 6, true,
         [](Fields &f, const Value &v) { f.settings.ShowRaised = std::get<bool>(v); },
         [](const ConstFields &f) -> Value { return f.settings.ShowRaised; }},
        {S::Configuration, QStringLiteral("ShowInSysTray"), K::Bool, true, true, 9, true,
         [](Fields &f, const Value &v) { f.settings.ShowInSysTray = std::get<bool>(v); },
         [](const ConstFields &f) -> Value { return f.settings.ShowInSysTray; }},
        {S::Configuration,
         QStringLiteral("WarnPercent"),
         K::Integer,
         qint32(25),
         {},
         10,
         false,
         [](Fields &f, const Value &v) { f.settings.WarnPercent = std::get<qint32>(v); },
         [](const ConstFields &f) -> Value { return f.settings.WarnPercent; }},
        {S::Configuration,
         QStringLiteral("ShutdownPercent"),
         K::Integer,
         qint32(0),
         {},
         11,
         false,
         [](Fields &f, const Value &v) { f.settings.ShutdownPercent = std::get<qint32>(v); },
         [](const ConstFields &f) -> Value { return f.settings.ShutdownPercent; }},
        // Written by the installation only; a missing value reads as empty.
        {S::Configuration,
         QStringLiteral("HelpPath"),
         K::Text,
         {},
         {},
         kNever,
         false,
         [](Fields &f, const Value &v) { f.settings.HelpPath = std::get<QString>(v); },
         [](const ConstFields &f) -> Value { return f.settings.HelpPath; }},
        // Honoured once: every save clears it.
        {S::Configuration,
         QStringLiteral("FirstRun"),
         K::Bool,
         {},
         false,
         12,
         false,
         [](Fields &f, const Value &v) { f.settings.FirstRun = std::get<bool>(v); },
         [](const ConstFields &) -> Value { return false; }},
        {S::Stats, QStringLiteral("DrainTime"), K::Integer, kStats.DrainTime, kStats.DrainTime, 13,
         false, [](Fields &f, const Value &v) { f.stats.DrainTime = std::get<qint32>(v); },
         [](const ConstFields &f) -> Value { return f.stats.DrainTime; }},
        {S::Stats, QStringLiteral("DrainTaken"), K::Integer, kStats.DrainTaken, kStats.DrainTaken,
         14, false, [](Fields &f, const Value &v) { f.stats.DrainTaken = std::get<qint32>(v); },
         [](const ConstFields &f) -> Value { return f.stats.DrainTaken; }},
        {S::Stats, QStringLiteral("ChargeTime"), K::Integer, kStats.ChargeTime, kStats.ChargeTime,
         15, false, [](Fields &f, const Value &v) { f.stats.ChargeTime = std::get<qint32>(v); },
         [](const ConstFields &f) -> Value { return f.stats.ChargeTime; }},
        {S::Stats, QStringLiteral("ChargeTaken"), K::Integer, kStats.ChargeTaken,
         kStats.ChargeTaken, 16, false,
         [](Fields &f, const Value &v) { f.stats.ChargeTaken = std::get<qint32>(v); },
         [](const ConstFields &f) -> Value { return f.stats.ChargeTaken; }},
    };
    return rows;
}

// The rows in the order the saves write them.
const std::vector<const StoredValue *> &saveSequence()
{
    static const std::vector<const StoredValue *> sequence = [] {
        std::vector<const StoredValue *> rows;
        for (const StoredValue &row : storedValues()) {
            if (row.saveOrder != kNever)
                rows.push_back(&row);
        }
        std::sort(rows.begin(), rows.end(), [](const StoredValue *a, const StoredValue *b) {
            return a->saveOrder < b->saveOrder;
        });
        return rows;
    }();
    return sequence;
}

const QString &keyOf(Section section)
{
    return section == Section::Configuration ? kConfigurationKey : kStatsKey;
}

template<typename T> std::optional<Value> asValue(std::optional<T> read)
{
    if (!read)
        return std::nullopt;
    return Value(*read);
}

std::optional<Value> readValue(RegistryStore &reg, const StoredValue &row)
{
    switch (row.kind) {
    case Kind::Integer:
        return asValue(reg.readInteger(row.name));
    case Kind::Bool:
        return asValue(reg.readBool(row.name));
    case Kind::Vers:
        return asValue(toVers(reg.readDouble(row.name)));
    case Kind::Text:
        return asValue(reg.readString(row.name));
    }
    return std::nullopt;
}

void writeValue(RegistryStore &reg, const StoredValue &row, const Value &value)
{
    switch (row.kind) {
    case Kind::Integer:
        reg.writeInteger(row.name, std::get<qint32>(value));
        break;
    case Kind::Bool:
        reg.writeBool(row.name, std::get<bool>(value));
        break;
    case Kind::Vers:
        // Single precision widened: 1.09 is stored as 1.090000033378601.
        reg.writeDouble(row.name, double(std::get<float>(value)));
        break;
    case Kind::Text:
        reg.writeString(row.name, std::get<QString>(value));
        break;
    }
}

// Reads one key's values into the fields; false when the key is missing (every field then
// takes its first-start default).
bool loadSection(RegistryStore &reg, Section section, Fields &fields)
{
    const bool opened = reg.openKey(keyOf(section), false);
    for (const StoredValue &row : storedValues()) {
        if (row.section != section)
            continue;
        guarded([&] {
            std::optional<Value> value = opened ? readValue(reg, row) : std::nullopt;
            if (!value)
                value = opened ? row.unreadable : row.firstStart;
            if (value)
                row.apply(fields, *value);
        });
    }
    reg.closeKey();
    return opened;
}

void saveSection(RegistryStore &reg, Section section, const ConstFields &fields,
                 bool configurationOnly)
{
    if (reg.openKey(keyOf(section), true)) {
        for (const StoredValue *row : saveSequence()) {
            if (row->section == section && (row->configuration || !configurationOnly))
                guarded([&] { writeValue(reg, *row, row->current(fields)); });
        }
    }
    reg.closeKey();
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
    Fields fields{window, settings, stats};
    const bool stored = loadSection(reg, Section::Configuration, fields);
    applyInstalledDefaults(reg, settings);
    if (!stored)
        ApplyRunAtStartup(settings.RunAtWindowsStartUp);
    stats = DischargeStatistics{};
    loadSection(reg, Section::Stats, fields);

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

// Values the user's store lacks come from the installation's read-only defaults, if any.
void SettingsStore::applyInstalledDefaults(RegistryStore &reg, BarSettings &settings) const
{
    const bool opened = reg.openKey(kConfigurationKey, false);
    guarded([&] {
        if (!opened || !reg.readValue(QStringLiteral("HelpPath")))
            readInstalledHelp(settings);
    });
    guarded([&] {
        if (opened && reg.readValue(QStringLiteral("FirstRun")))
            return;
        if (const auto v = installedFirstRun())
            settings.FirstRun = *v;
    });
    reg.closeKey();
}

bool SettingsStore::SaveSettings(const SettingsWindow &window, const BarSettings &settings,
                                 const DischargeStatistics &stats)
{
    RegistryStore reg(m_paths.registryFile);
    const ConstFields fields{window, settings, stats};
    saveSection(reg, Section::Configuration, fields, false);
    saveSection(reg, Section::Stats, fields, false);
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
    const DischargeStatistics unused;
    saveSection(reg, Section::Configuration, {window, settings, unused}, true);
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
