#pragma once

#include <QString>
#include <QtGlobal>

// The persisted options of the strip. The window's position and height, and AlwaysOnTop
// (held by the check mark of the menu item), live in the window itself.
struct BarSettings {
    float Vers = 1.09f;
    bool Snap = true;
    bool PopupBoxStatus = false;
    bool RunAtWindowsStartUp = true;
    bool ShowRaised = true;
    bool ShowInSysTray = true;
    qint32 WarnPercent = 25;
    qint32 ShutdownPercent = 4; // built-in value; a first start sets 0
    QString HelpPath;
    bool FirstRun = false;
};

// The learned rates: mean seconds per percent step while draining and while charging.
struct DischargeStatistics {
    qint32 DrainTime = 120;
    qint32 DrainTaken = 3;
    qint32 ChargeTime = 120;
    qint32 ChargeTaken = 3;

    bool operator==(const DischargeStatistics &) const = default;
};
