#pragma once

#include "BarSettings.h"
#include "ConfigExchange.h"
#include "SettingsWindow.h"

// What applying the configuration dialog's values needs of the bar window, beyond what the
// store needs of it.
class ConfigurationTarget : public SettingsWindow {
public:
    virtual BarSettings &barSettings() = 0;
    virtual DischargeStatistics &statistics() = 0;
    // Removes the tray icon if shown, inverts the check mark and sets the stacking style.
    virtual void toggleAlwaysOnTop() = 0;
    virtual void ApplyRunAtStartup() = 0;
    virtual void UpdatePresence() = 0;
    virtual void LearnAndEstimate() = 0;
    virtual void SaveConfiguration() = 0;
};

// Fills the dialog's exchange fields from the current values.
void fillConfiguration(ConfigExchange &dialog, ConfigurationTarget &target);

// Applies an accepted dialog; the order matters (the presence follows the new tray choice,
// the statistics reset before the new levels, the store last).
void applyConfiguration(const ConfigExchange &dialog, ConfigurationTarget &target);
