#pragma once

#include "SettingsWindow.h"

#include <QStringList>
#include <algorithm>

// A bar window for the store's tests: keeps its height within 15..48 like the real one and
// records what the store asked of it.
class FakeSettingsWindow : public SettingsWindow {
public:
    int windowLeft() const override { return left; }
    int windowTop() const override { return top; }
    int windowHeight() const override { return height; }
    void setWindowLeft(int value) override
    {
        left = value;
        calls << QStringLiteral("left");
    }
    void setWindowTop(int value) override
    {
        top = value;
        calls << QStringLiteral("top");
    }
    void setWindowHeight(int value) override
    {
        height = std::clamp(value, 15, 48);
        calls << QStringLiteral("height");
    }
    bool alwaysOnTopChecked() const override { return onTop; }
    void setAlwaysOnTopChecked(bool checked) override
    {
        onTop = checked;
        calls << QStringLiteral("ontop");
    }
    void applyStackingStyle() override { calls << QStringLiteral("stacking"); }
    void applyBevelStyle(bool raised) override
    {
        bevelRaised = raised;
        calls << QStringLiteral("bevel");
    }
    void openDocument(const QString &path) override { opened << path; }

    int left = 401;
    int top = 170;
    int height = 30;
    bool onTop = false;
    bool bevelRaised = false;
    QStringList calls;
    QStringList opened;
};
