#include "ConfigurationApply.h"

void fillConfiguration(ConfigExchange &dialog, ConfigurationTarget &target)
{
    const BarSettings &s = target.barSettings();
    dialog.Snap = s.Snap;
    dialog.AlwaysOnTop = target.alwaysOnTopChecked();
    dialog.PopupBoxStatus = s.PopupBoxStatus;
    dialog.RunAtWindowsStartUp = s.RunAtWindowsStartUp;
    dialog.ShowRaised = s.ShowRaised;
    dialog.ShowInSysTray = s.ShowInSysTray;
    dialog.ResetStatistics = false;
    dialog.WarnPercent = s.WarnPercent;
    dialog.ShutdownPercent = s.ShutdownPercent;
    dialog.RunAtStartupChanged = false;
    dialog.Accepted = false;
}

void applyConfiguration(const ConfigExchange &dialog, ConfigurationTarget &target)
{
    BarSettings &s = target.barSettings();
    s.Snap = dialog.Snap;
    if (dialog.AlwaysOnTop != target.alwaysOnTopChecked())
        target.toggleAlwaysOnTop();
    s.ShowInSysTray = dialog.ShowInSysTray;
    s.PopupBoxStatus = dialog.PopupBoxStatus;
    if (dialog.RunAtStartupChanged) {
        s.RunAtWindowsStartUp = !s.RunAtWindowsStartUp;
        target.ApplyRunAtStartup();
    }
    target.UpdatePresence();
    s.ShowRaised = dialog.ShowRaised;
    target.applyBevelStyle(s.ShowRaised);
    if (dialog.ResetStatistics) {
        target.statistics() = DischargeStatistics{}; // the store's first-start values
        target.LearnAndEstimate();
    }
    s.WarnPercent = dialog.WarnPercent;
    s.ShutdownPercent = dialog.ShutdownPercent;
    target.SaveConfiguration();
}
