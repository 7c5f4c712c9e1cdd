#pragma once

#include <QtGlobal>

// The configuration dialog's public exchange fields: the configuration command fills them,
// shows the dialog, and applies them when Accepted is set.
struct ConfigExchange {
    bool Snap = false;
    bool AlwaysOnTop = false;
    bool PopupBoxStatus = false;
    bool RunAtWindowsStartUp = false;
    bool RunAtStartupChanged = false;
    bool ShowRaised = false;
    bool ShowInSysTray = false;
    qint32 WarnPercent = 0;
    qint32 ShutdownPercent = 0;
    bool ResetStatistics = false;
    bool Accepted = false;
};
