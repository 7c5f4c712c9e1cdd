#pragma once

#include <QString>

// What the settings store needs of the bar window: its geometry, the "Always On Top" check
// mark (the authoritative copy of that option), the stacking and bevel styles, and the
// desktop's document opener.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;

    virtual int windowLeft() const = 0;
    virtual int windowTop() const = 0;
    virtual int windowHeight() const = 0;
    virtual void setWindowLeft(int left) = 0;
    virtual void setWindowTop(int top) = 0;
    // The window keeps its height within its limits (15..48) and lays itself out again.
    virtual void setWindowHeight(int height) = 0;

    virtual bool alwaysOnTopChecked() const = 0;
    virtual void setAlwaysOnTopChecked(bool checked) = 0;

    virtual void applyStackingStyle() = 0; // stay-on-top when the check mark is set
    virtual void applyBevelStyle(bool raised) = 0;

    // Opens a local document with the desktop's opener; never through a shell.
    virtual void openDocument(const QString &path) = 0;
};
