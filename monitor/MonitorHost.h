#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

// What the monitor asks of the bar window. The window implements it; tests record it.
class MonitorHost {
public:
    virtual ~MonitorHost() = default;

    // Gauge: SetColors(0, colour) and SetPosition on the flat progress bar. Colours are
    // 0x00BBGGRR values.
    virtual void setGaugeColor(quint32 color) = 0;
    virtual void setGaugePosition(int position) = 0;

    virtual void setPercentText(const QString &text) = 0;      // lblPercent
    virtual void setTimeText(const QString &text) = 0;         // lblTime
    virtual void setApplicationTitle(const QString &text) = 0; // the task-list text
    virtual void setHintText(const QString &text) = 0;         // the strip's tooltip text

    // The status box: blocks in a nested event loop until the user closes it; the monitor's
    // timers keep firing meanwhile.
    virtual void showStatusBox(const QString &caption, const QString &text, bool warning) = 0;

    virtual void invalidateWindow() = 0;
    virtual bool isWindowNormal() const = 0; // neither minimised nor maximised

    // Paint the icon of display state `state` into (left, top, width, height) of the strip.
    virtual void drawStateIcon(QChar state, int left, int top, int width, int height) = 0;

    virtual void SnapToEdges() = 0;
    virtual void UpdateTrayTip() = 0;
    virtual void SaveSettings() = 0;
};
