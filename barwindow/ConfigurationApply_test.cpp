#include "ConfigurationApply.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Records each step with the settings it saw at that moment.
class RecordingTarget final : public ConfigurationTarget {
public:
    BarSettings settings;
    DischargeStatistics stats{500, 40, 700, 9};
    bool onTop = true;
    QStringList calls;

    BarSettings &barSettings() override { return settings; }
    DischargeStatistics &statistics() override { return stats; }
    bool alwaysOnTopChecked() const override { return onTop; }
    void toggleAlwaysOnTop() override
    {
        onTop = !onTop;
        calls << QStringLiteral("toggleAlwaysOnTop");
    }
    void ApplyRunAtStartup() override
    {
        calls << QStringLiteral("ApplyRunAtStartup(%1)").arg(settings.RunAtWindowsStartUp);
    }
    void UpdatePresence() override
    {
        calls << QStringLiteral("UpdatePresence(tray=%1)").arg(settings.ShowInSysTray);
    }
    void applyBevelStyle(bool raised) override { calls << QStringLiteral("bevel(%1)").arg(raised); }
    // The store's part of the window: applying the dialog must not touch it directly.
    int windowLeft() const override { return 0; }
    int windowTop() const override { return 0; }
    int windowHeight() const override { return 20; }
    void setWindowLeft(int) override { calls << QStringLiteral("setWindowLeft"); }
    void setWindowTop(int) override { calls << QStringLiteral("setWindowTop"); }
    void setWindowHeight(int) override { calls << QStringLiteral("setWindowHeight"); }
    void setAlwaysOnTopChecked(bool) override { calls << QStringLiteral("setAlwaysOnTopChecked"); }
    void applyStackingStyle() override { calls << QStringLiteral("applyStackingStyle"); }
    void openDocument(const QString &) override { calls << QStringLiteral("openDocument"); }
    void LearnAndEstimate() override
    {
        calls << QStringLiteral("LearnAndEstimate(drain=%1,warn=%2)")
                     .arg(stats.DrainTime)
                     .arg(settings.WarnPercent);
    }
    void SaveConfiguration() override
    {
        calls << QStringLiteral("SaveConfiguration(warn=%1,shutdown=%2,snap=%3,popup=%4)")
                     .arg(settings.WarnPercent)
                     .arg(settings.ShutdownPercent)
                     .arg(settings.Snap)
                     .arg(settings.PopupBoxStatus);
    }
};

ConfigExchange unchanged(RecordingTarget &t)
{
    ConfigExchange x;
    fillConfiguration(x, t);
    x.Accepted = true;
    return x;
}

} // namespace

TEST(ConfigurationApply, FillTakesCurrentValues)
{
    RecordingTarget t;
    t.settings.Snap = false;
    t.settings.WarnPercent = 40;
    t.settings.ShutdownPercent = 7;
    t.onTop = false;
    ConfigExchange x;
    x.ResetStatistics = true;
    x.Accepted = true;
    fillConfiguration(x, t);
    EXPECT_FALSE(x.Snap);
    EXPECT_FALSE(x.AlwaysOnTop);
    EXPECT_EQ(x.WarnPercent, 40);
    EXPECT_EQ(x.ShutdownPercent, 7);
    EXPECT_FALSE(x.ResetStatistics);
    EXPECT_FALSE(x.Accepted);
    EXPECT_TRUE(t.calls.isEmpty());
}

TEST(ConfigurationApply, Sequences)
{
    const struct {
        const char *name;
        std::function<void(ConfigExchange &)> edit;
        QStringList want;
    } rows[] = {
        {"unchanged",
         [](ConfigExchange &) {},
         {"UpdatePresence(tray=1)", "bevel(1)",
          "SaveConfiguration(warn=25,shutdown=4,snap=1,popup=0)"}},
        {"everything",
         [](ConfigExchange &x) {
             x.Snap = false;
             x.AlwaysOnTop = false;
             x.ShowInSysTray = false;
             x.PopupBoxStatus = true;
             x.RunAtStartupChanged = true;
             x.ShowRaised = false;
             x.ResetStatistics = true;
             x.WarnPercent = 30;
             x.ShutdownPercent = 10;
         },
         {"toggleAlwaysOnTop", "ApplyRunAtStartup(0)", "UpdatePresence(tray=0)", "bevel(0)",
          "LearnAndEstimate(drain=120,warn=25)",
          "SaveConfiguration(warn=30,shutdown=10,snap=0,popup=1)"}},
        {"tray only",
         [](ConfigExchange &x) { x.ShowInSysTray = false; },
         {"UpdatePresence(tray=0)", "bevel(1)",
          "SaveConfiguration(warn=25,shutdown=4,snap=1,popup=0)"}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        RecordingTarget t;
        ConfigExchange x = unchanged(t);
        r.edit(x);
        applyConfiguration(x, t);
        EXPECT_EQ(t.calls, r.want);
    }
}

TEST(ConfigurationApply, ResetRestoresDefaultStatistics)
{
    RecordingTarget t;
    ConfigExchange x = unchanged(t);
    applyConfiguration(x, t);
    EXPECT_EQ(t.stats.DrainTime, 500); // kept without the reset
    x.ResetStatistics = true;
    applyConfiguration(x, t);
    EXPECT_EQ(t.stats.DrainTime, 120);
    EXPECT_EQ(t.stats.DrainTaken, 3);
    EXPECT_EQ(t.stats.ChargeTime, 120);
    EXPECT_EQ(t.stats.ChargeTaken, 3);
}
