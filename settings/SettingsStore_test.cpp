#include "SettingsStore.h"

#include "FakeSettingsWindow.h"
#include "RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

const QString kConfig = QStringLiteral("\\Software\\Quorvex\\Voltline\\Configuration");
const QString kStats = QStringLiteral("\\Software\\Quorvex\\Voltline\\Stats");
const QByteArray kConfigSection =
    "[HKEY_CURRENT_USER\\Software\\Quorvex\\Voltline\\Configuration]\n";
const QByteArray kStatsSection = "[HKEY_CURRENT_USER\\Software\\Quorvex\\Voltline\\Stats]\n";

class SettingsStoreTest : public ::testing::Test {
public:
    SettingsStoreTest()
    {
        m_paths.registryFile = m_tmp.filePath(QStringLiteral("config/voltline/user.reg"));
        m_paths.autostartFile = m_tmp.filePath(QStringLiteral("xdg/autostart/voltline.desktop"));
        m_paths.executable = QStringLiteral("/opt/Voltline/Bin/voltline");
        QDir().mkpath(m_tmp.filePath(QStringLiteral("xdg/autostart")));
    }

    void store(const QByteArray &content)
    {
        QDir().mkpath(m_tmp.filePath(QStringLiteral("config/voltline")));
        QFile f(m_paths.registryFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    QByteArray stored() const
    {
        QFile f(m_paths.registryFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void load() { SettingsStore(m_paths).LoadSettings(window, settings, stats); }
    std::optional<qint32> storedInteger(const QString &key, const QString &name)
    {
        RegistryStore reg(m_paths.registryFile);
        if (!reg.openKey(key, false))
            return std::nullopt;
        return reg.readInteger(name);
    }

    QTemporaryDir m_tmp;
    StorePaths m_paths;
    FakeSettingsWindow window;
    BarSettings settings;
    DischargeStatistics stats;
};

TEST_F(SettingsStoreTest, FirstStartTakesDefaultsAndRegistersAutostart)
{
    settings.Snap = false;
    settings.WarnPercent = 60;
    stats = DischargeStatistics{1, 2, 3, 4};
    load();
    EXPECT_EQ(window.height, 20);
    EXPECT_EQ(window.left, 401);
    EXPECT_EQ(window.top, 170);
    EXPECT_TRUE(window.onTop);
    EXPECT_TRUE(settings.Snap);
    EXPECT_FALSE(settings.PopupBoxStatus);
    EXPECT_TRUE(settings.RunAtWindowsStartUp);
    EXPECT_TRUE(settings.ShowRaised);
    EXPECT_TRUE(settings.ShowInSysTray);
    EXPECT_FALSE(settings.FirstRun);
    EXPECT_EQ(settings.WarnPercent, 25);
    EXPECT_EQ(settings.ShutdownPercent, 0);
    EXPECT_FLOAT_EQ(settings.Vers, 1.09f);
    EXPECT_EQ(stats.DrainTime, 120);
    EXPECT_EQ(stats.DrainTaken, 3);
    EXPECT_EQ(stats.ChargeTime, 120);
    EXPECT_EQ(stats.ChargeTaken, 3);
    EXPECT_TRUE(window.bevelRaised);
    EXPECT_EQ(window.calls, (QStringList{"height", "ontop", "stacking", "bevel"}));
    QFile entry(m_paths.autostartFile);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nExec=/opt/Voltline/Bin/voltline\n"))
        << "the path keeps its case";
    EXPECT_FALSE(QFile::exists(m_paths.registryFile)) << "loading writes nothing";
}

TEST_F(SettingsStoreTest, StoredValuesAreAppliedInOrder)
{
    store(kConfigSection +
          "\"Vers\"=hex:00,00,00,00,00,00,f0,3f\n"
          "\"Top\"=dword:00000011\n\"Left\"=dword:00000022\n"
          "\"Height\"=dword:00000021\n\"Snap\"=dword:00000000\n"
          "\"AlwaysOnTop\"=dword:00000000\n\"PopupBoxStatus\"=dword:00000001\n"
          "\"RunAtWindowsStartUp\"=dword:00000000\n\"ShowRaised\"=dword:00000000\n"
          "\"ShowInSysTray\"=dword:00000000\n\"WarnPercent\"=dword:00000096\n"
          "\"ShutdownPercent\"=dword:fffffffd\n"
          "\"HelpPath\"=hex(2):2f,68,2e,68,74,6d,6c,00\n"
          "\"FirstRun\"=dword:00000000\n\n" +
          kStatsSection +
          "\"DrainTime\"=dword:7fffffff\n\"DrainTaken\"=dword:77359400\n"
          "\"ChargeTime\"=dword:00000005\n\"ChargeTaken\"=dword:773593ff\n");
    load();
    EXPECT_EQ(settings.Vers, 1.0f);
    EXPECT_EQ(window.top, 0x11);
    EXPECT_EQ(window.left, 0x22);
    EXPECT_EQ(window.height, 0x21);
    EXPECT_FALSE(settings.Snap);
    EXPECT_FALSE(window.onTop);
    EXPECT_TRUE(settings.PopupBoxStatus);
    EXPECT_FALSE(settings.RunAtWindowsStartUp);
    EXPECT_FALSE(settings.ShowRaised);
    EXPECT_FALSE(window.bevelRaised);
    EXPECT_FALSE(settings.ShowInSysTray);
    EXPECT_EQ(settings.WarnPercent, 150) << "not limited when read";
    EXPECT_EQ(settings.ShutdownPercent, -3);
    EXPECT_EQ(settings.HelpPath, QStringLiteral("/h.html")) << "expandable text, not expanded";
    EXPECT_EQ(stats.DrainTime, 0x7fffffff) << "means are never limited";
    EXPECT_EQ(stats.DrainTaken, 1000000000) << "2000000000 restarts the count";
    EXPECT_EQ(stats.ChargeTime, 5);
    EXPECT_EQ(stats.ChargeTaken, 1999999999);
    EXPECT_EQ(window.calls, (QStringList{"top", "left", "height", "ontop", "stacking", "bevel"}));
    EXPECT_FALSE(QFile::exists(m_paths.autostartFile)) << "only a first start registers";
}

// One stored value at a time, against a key that otherwise holds nothing.
TEST_F(SettingsStoreTest, EachValueFailsOnItsOwn)
{
    struct Row {
        const char *name;
        QByteArray line;
        std::function<void(const SettingsStoreTest &)> check;
    };
    const Row rows[] = {
        {"no ShutdownPercent", "", [](auto &t) { EXPECT_EQ(t.settings.ShutdownPercent, 4); }},
        {"Snap as text", "\"Snap\"=\"1\"", [](auto &t) { EXPECT_TRUE(t.settings.Snap); }},
        {"Snap 7", "\"Snap\"=dword:00000007", [](auto &t) { EXPECT_TRUE(t.settings.Snap); }},
        {"Vers as dword", "\"Vers\"=dword:00000001",
         [](auto &t) { EXPECT_EQ(t.settings.Vers, 1.09f); }},
        {"Vers of 4 bytes", "\"Vers\"=hex:00,00,80,3f",
         [](auto &t) { EXPECT_EQ(t.settings.Vers, 1.09f); }},
        {"Vers beyond a float", "\"Vers\"=hex:00,00,00,00,00,00,f0,7f",
         [](auto &t) { EXPECT_EQ(t.settings.Vers, std::numeric_limits<float>::infinity()); }},
        {"Vers too large for a float", "\"Vers\"=hex:00,00,00,00,00,00,f0,47",
         [](auto &t) { EXPECT_EQ(t.settings.Vers, 1.09f); }},
        {"Height 100", "\"Height\"=dword:00000064",
         [](auto &t) { EXPECT_EQ(t.window.height, 48); }},
        {"Height 3", "\"Height\"=dword:00000003", [](auto &t) { EXPECT_EQ(t.window.height, 15); }},
        {"Height as text", "\"Height\"=\"30\"", [](auto &t) { EXPECT_EQ(t.window.height, 20); }},
        {"Top as binary", "\"Top\"=hex:01,00,00,00", [](auto &t) { EXPECT_EQ(t.window.top, 170); }},
        {"WarnPercent as text", "\"WarnPercent\"=\"5\"",
         [](auto &t) { EXPECT_EQ(t.settings.WarnPercent, 25); }},
        {"HelpPath as dword", "\"HelpPath\"=dword:00000001",
         [](auto &t) { EXPECT_EQ(t.settings.HelpPath, QString()); }},
        {"HelpPath cut at NUL", "\"HelpPath\"=\"/a\\x00/b\"",
         [](auto &t) { EXPECT_EQ(t.settings.HelpPath, QStringLiteral("/a")); }},
        {"AlwaysOnTop as text", "\"AlwaysOnTop\"=\"0\"",
         [](auto &t) { EXPECT_TRUE(t.window.onTop); }},
        {"FirstRun as text", "\"FirstRun\"=\"1\"",
         [](auto &t) { EXPECT_FALSE(t.settings.FirstRun); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        window = FakeSettingsWindow();
        settings = BarSettings();
        store(kConfigSection + row.line + "\n");
        load();
        row.check(*this);
        // The values around it took their own defaults.
        EXPECT_EQ(settings.ShutdownPercent, 4);
        EXPECT_TRUE(settings.ShowInSysTray);
        EXPECT_EQ(stats.DrainTime, 120);
    }
}

TEST_F(SettingsStoreTest, SaveWritesBoolsAsZeroOrOneAndClearsFirstRun)
{
    store(kConfigSection + "\"Snap\"=dword:00000007\n\"FirstRun\"=dword:00000001\n"
                           "\"Height\"=dword:00000064\n"
                           "\"HelpPath\"=\"/usr/share/doc/voltline/help.html\"\n");
    load();
    EXPECT_EQ(window.opened, QStringList{"/usr/share/doc/voltline/help.html"});
    load();
    EXPECT_EQ(window.opened.size(), 2) << "FirstRun stays until a save";
    ASSERT_TRUE(SettingsStore(m_paths).SaveSettings(window, settings, stats));
    EXPECT_EQ(storedInteger(kConfig, QStringLiteral("Snap")), 1);
    EXPECT_EQ(storedInteger(kConfig, QStringLiteral("FirstRun")), 0);
    EXPECT_EQ(storedInteger(kConfig, QStringLiteral("Height")), 48) << "the clamped height";
    window.opened.clear();
    load();
    EXPECT_TRUE(window.opened.isEmpty());
    EXPECT_EQ(settings.HelpPath, QStringLiteral("/usr/share/doc/voltline/help.html"))
        << "the installation's HelpPath survives the save";
}

TEST_F(SettingsStoreTest, FirstRunWithoutHelpPathOpensNothing)
{
    store(kConfigSection + "\"FirstRun\"=dword:00000001\n");
    load();
    EXPECT_TRUE(settings.FirstRun);
    EXPECT_TRUE(window.opened.isEmpty());
}

TEST_F(SettingsStoreTest, SavedFileMatchesTheGoldenFile)
{
    window.top = 170;
    window.left = 401;
    window.height = 20;
    window.onTop = true;
    settings.PopupBoxStatus = true;
    settings.WarnPercent = 30;
    settings.ShutdownPercent = 5;
    settings.FirstRun = true;
    stats = DischargeStatistics{97, 4, 140, 12};
    ASSERT_TRUE(SettingsStore(m_paths).SaveSettings(window, settings, stats));
    QFile golden(QStringLiteral(VOLTLINE_SETTINGS_TESTDATA "/saved-settings.reg"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored().toStdString(), golden.readAll().toStdString());
}

TEST_F(SettingsStoreTest, SaveConfigurationWritesOnlyTheWindowValues)
{
    store(kConfigSection + "\"WarnPercent\"=dword:00000011\n\"Vers\"=dword:00000001\n" +
          kStatsSection + "\"DrainTime\"=dword:00000063\n");
    window.top = -5;
    window.onTop = true;
    settings.WarnPercent = 80;
    settings.Snap = false;
    ASSERT_TRUE(SettingsStore(m_paths).SaveConfiguration(window, settings));
    EXPECT_EQ(storedInteger(kConfig, QStringLiteral("Top")), -5);
    EXPECT_EQ(storedInteger(kConfig, QStringLiteral("Snap")), 0);
    EXPECT_EQ(storedInteger(kConfig, QStringLiteral("AlwaysOnTop")), 1);
    EXPECT_EQ(storedInteger(kConfig, QStringLiteral("WarnPercent")), 0x11)
        << "a changed WarnPercent waits for the next full save";
    EXPECT_EQ(storedInteger(kConfig, QStringLiteral("Vers")), 1);
    EXPECT_EQ(storedInteger(kStats, QStringLiteral("DrainTime")), 0x63);
    EXPECT_FALSE(storedInteger(kConfig, QStringLiteral("FirstRun")));
}

TEST_F(SettingsStoreTest, FailedSaveKeepsTheStoredFile)
{
    store(kConfigSection + "\"Top\"=dword:00000001\n");
    const QByteArray before = stored();
    // A folder in place of the lock file makes every save fail, said once on standard error.
    const QString lock = m_paths.registryFile + QStringLiteral(".lock");
    QDir().mkpath(lock);
    window.top = 2;
    SettingsStore store(m_paths);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.SaveSettings(window, settings, stats));
    EXPECT_FALSE(store.SaveConfiguration(window, settings));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("cannot lock"), std::string::npos) << said;
    EXPECT_EQ(stored(), before);
    // Nothing is given up: once the way is clear, the next save writes.
    ASSERT_TRUE(QDir().rmdir(lock));
    EXPECT_TRUE(store.SaveSettings(window, settings, stats));
    EXPECT_NE(stored(), before);
}

TEST_F(SettingsStoreTest, RunAtStartupFollowsTheChoice)
{
    SettingsStore store(m_paths);
    ASSERT_TRUE(store.ApplyRunAtStartup(true));
    EXPECT_TRUE(QFile::exists(m_paths.autostartFile));
    ASSERT_TRUE(store.ApplyRunAtStartup(false));
    EXPECT_FALSE(QFile::exists(m_paths.autostartFile));
    EXPECT_TRUE(store.ApplyRunAtStartup(false)) << "removing what is not there is fine";

    // A new user has no autostart folder yet: it is created, for this user only.
    QDir(m_tmp.filePath(QStringLiteral("xdg/autostart"))).removeRecursively();
    EXPECT_TRUE(store.ApplyRunAtStartup(true));
    EXPECT_TRUE(QFile::exists(m_paths.autostartFile));
    EXPECT_EQ(QFileInfo(m_tmp.filePath(QStringLiteral("xdg/autostart"))).permissions() &
                  (QFile::WriteGroup | QFile::WriteOther),
              0);
}

// The installation names the help page in a machine-wide file that the program only reads,
// for a value the user's own store lacks.
TEST_F(SettingsStoreTest, InstalledDefaultsFillWhatTheUserStoreLacks)
{
    const QString etc = m_tmp.filePath(QStringLiteral("etc"));
    const QString local = m_tmp.filePath(QStringLiteral("local"));
    m_paths.systemConfigDirs = {local, etc};
    auto defaults = [](const QString &dir, const QByteArray &lines) {
        QDir().mkpath(dir + QStringLiteral("/voltline"));
        QFile f(dir + QStringLiteral("/voltline/defaults.reg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[HKEY_LOCAL_MACHINE\\Software\\Quorvex\\Voltline\\Configuration]\n" + lines);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                         QFile::ReadOther);
    };
    defaults(etc, "\"HelpPath\"=\"/usr/share/voltline/help.html\"\n\"FirstRun\"=dword:00000001\n");
    defaults(local, "\"Unrelated\"=dword:00000001\n");

    struct Row {
        const char *name;
        QByteArray user; // empty: no user store at all, a first start
        QString help;
        bool firstRun;
    };
    const Row rows[] = {
        {"first start", "", "/usr/share/voltline/help.html", true},
        {"key without the values", kConfigSection, "/usr/share/voltline/help.html", true},
        {"the user's own page", kConfigSection + "\"HelpPath\"=\"/home/me/h.html\"\n",
         "/home/me/h.html", true},
        {"an empty page of the user's", kConfigSection + "\"HelpPath\"=\"\"\n", "", true},
        {"unreadable is no reason to look further",
         kConfigSection + "\"HelpPath\"=dword:00000001\n", "", true},
        {"help opened once already", kConfigSection + "\"FirstRun\"=dword:00000000\n",
         "/usr/share/voltline/help.html", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(m_paths.registryFile);
        if (!row.user.isEmpty())
            store(row.user);
        settings = BarSettings{};
        window.opened.clear();
        load();
        EXPECT_EQ(settings.HelpPath, row.help);
        EXPECT_EQ(settings.FirstRun, row.firstRun);
        EXPECT_EQ(window.opened,
                  row.firstRun && !row.help.isEmpty() ? QStringList{row.help} : QStringList{});
    }

    // What the program writes never goes to the machine-wide file, and the next start finds
    // FirstRun cleared in the user's store.
    QFile::remove(m_paths.registryFile);
    load();
    ASSERT_TRUE(SettingsStore(m_paths).SaveSettings(window, settings, stats));
    window.opened.clear();
    load();
    EXPECT_TRUE(window.opened.isEmpty());
    EXPECT_FALSE(stored().contains("HelpPath")) << "the installed page stays the installation's";
    EXPECT_FALSE(QFileInfo::exists(etc + QStringLiteral("/voltline/defaults.reg.lock")));

    // A defaults file that another user could change is not taken.
    QFile(etc + QStringLiteral("/voltline/defaults.reg"))
        .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                        QFile::WriteOther);
    QFile::remove(m_paths.registryFile);
    settings = BarSettings{};
    load();
    EXPECT_TRUE(settings.HelpPath.isEmpty());
}

TEST(StorePaths, FollowTheXdgVariables)
{
    struct Row {
        const char *name;
        QByteArray configHome;
        QByteArray configDirs;
        QString registry;
        QString autostart;
        QStringList systemDirs;
    };
    const QString home = QDir::homePath();
    const Row rows[] = {
        {"set",
         "/c",
         "/x:/y",
         "/c/voltline/user.reg",
         "/c/autostart/voltline.desktop",
         {"/x", "/y"}},
        {"trailing slashes",
         "/c/",
         "/x/:/y",
         "/c/voltline/user.reg",
         "/c/autostart/voltline.desktop",
         {"/x", "/y"}},
        {"unset",
         "",
         "",
         home + "/.config/voltline/user.reg",
         home + "/.config/autostart/voltline.desktop",
         {"/etc/xdg"}},
        {"relative entries ignored",
         "rel",
         "rel:/z",
         home + "/.config/voltline/user.reg",
         home + "/.config/autostart/voltline.desktop",
         {"/z"}},
    };
    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldDirs = qgetenv("XDG_CONFIG_DIRS");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        qputenv("XDG_CONFIG_HOME", row.configHome);
        qputenv("XDG_CONFIG_DIRS", row.configDirs);
        const StorePaths paths = StorePaths::fromEnvironment();
        EXPECT_EQ(paths.registryFile, row.registry);
        EXPECT_EQ(paths.autostartFile, row.autostart);
        EXPECT_EQ(paths.systemConfigDirs, row.systemDirs);
        EXPECT_FALSE(paths.executable.isEmpty());
    }
    qputenv("XDG_CONFIG_HOME", oldHome);
    qputenv("XDG_CONFIG_DIRS", oldDirs);
}

} // namespace
