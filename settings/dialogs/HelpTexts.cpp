#include "HelpTexts.h"

const QStringList &MainHelpLines()
{
    static const QStringList lines = {
        QStringLiteral("General Information..."),
        QStringLiteral("    Voltline calculates the amount of time your battery will last "),
        QStringLiteral("    by monitoring how your laptop uses its batteries. The more "),
        QStringLiteral("    you use Voltline the more accurate it will be at calculating "),
        QStringLiteral("    your battery run time. When running on battery power, "),
        QStringLiteral("    Voltline will display the time until the battery is empty. "),
        QStringLiteral("    When charging the battery, Voltline will display the time "),
        QStringLiteral("    until a full battery charge is reached.  Voltline displays a "),
        QStringLiteral("    status icon both on the Voltline and in the system "),
        QStringLiteral("    tasktray, that the area with the clock on it.  The icons can "),
        QStringLiteral("    show a battery on AC, charging, battery powered, and a low "),
        QStringLiteral("    battery warning."),
    };
    return lines;
}

const QStringList &ConfigHelpLines()
{
    static const QStringList lines = {
        QStringLiteral("Snap Window To Screen Edge..."),
        QStringLiteral("    When the Voltline gets near any edge of the screen it will "),
        QStringLiteral("    be grabbed and pulled to the nearest edge of the screen."),
        QString(),
        QStringLiteral("Always On Top..."),
        QStringLiteral("    No matter what other programs are running the Voltline "),
        QStringLiteral("    will always show on top of all other programs."),
        QString(),
        QStringLiteral("Popup Message Box On Status Change..."),
        QStringLiteral("    When the battery status changes a message box will popup "),
        QStringLiteral("    to alert you to the change.  An example of a status change is "),
        QStringLiteral("    going from running on batteries to charging your battery.  It "),
        QStringLiteral("    will also alarm you when your battery is running low."),
        QString(),
        QStringLiteral("Automatically Run At Windows Startup..."),
        QStringLiteral("    Automatically run at windows startup allows Voltline to "),
        QStringLiteral("    start up on its own when Windows starts."),
        QString(),
        QStringLiteral("Use The System Tray Instead Of Taskbar..."),
        QStringLiteral("    Voltline will appear in the System Tray, next to the clock"),
        QStringLiteral("    instead of appearing in the Taskbar.  "),
        QString(),
        QStringLiteral("Show Window Bevel As Raised..."),
        QStringLiteral("    Voltline window will appear in 3D to raise up out of the "),
        QStringLiteral("    screen."),
        QString(),
        QStringLiteral("Show Window Bevel As Lowered..."),
        QStringLiteral("    Voltline window will appear in 3D to sink down into the "),
        QStringLiteral("    screen."),
        QString(),
        QStringLiteral("Reset Stored Battery Statistics..."),
        QStringLiteral("    Press this button to reset all stored battery information.  This "),
        QStringLiteral("    would only be needed when installing a new battery, when "),
        QStringLiteral("    usage patterns change, or if the time left seems to be"),
        QStringLiteral("    consistantly incorrect."),
        QString(),
        QStringLiteral("Warn @..."),
        QStringLiteral("    Set the percent that Voltline should change it's display to "),
        QStringLiteral("    Red to alert you that the battery is low."),
        QString(),
        QStringLiteral("Shutdown @..."),
        QStringLiteral("    Voltline will shutdown your computer when the battery "),
        QStringLiteral("    level reaches this percentage.  This percentage must be less "),
        QStringLiteral("    than the Warn Percent.  If you use a percentage of 0% "),
        QStringLiteral("    Voltline will not shutdown the computer."),
    };
    return lines;
}
