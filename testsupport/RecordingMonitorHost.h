#pragma once

#include "MonitorHost.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A MonitorHost that keeps the latest value of everything the monitor sets and a log of every
// call, for tests. showStatusBox can run a hook to stand in for the nested event loop of a
// real box (e.g. to run more ticks while the box is open).
class RecordingMonitorHost : public MonitorHost {
public:
    struct StatusBox {
        QString caption;
        QString text;
        bool warning = false;
    };
    struct IconDraw {
        QChar state;
        int left = 0, top = 0, width = 0, height = 0;
    };

    void setGaugeColor(quint32 color) override;
    void setGaugePosition(int position) override;
    void setPercentText(const QString &text) override;
    void setTimeText(const QString &text) override;
    void setApplicationTitle(const QString &text) override;
    void setHintText(const QString &text) override;
    void showStatusBox(const QString &caption, const QString &text, bool warning) override;
    void invalidateWindow() override;
    bool isWindowNormal() const override { return windowNormal; }
    void drawStateIcon(QChar state, int left, int top, int width, int height) override;
    void SnapToEdges() override;
    void UpdateTrayTip() override;
    void SaveSettings() override;

    // Calls whose name (e.g. "SaveSettings") matches, in the log.
    int count(const QString &call) const { return int(calls.count(call)); }
    void clear();

    bool windowNormal = true;
    std::function<void(const StatusBox &)> onStatusBox;

    quint32 gaugeColor = 0;
    int gaugePosition = -1;
    QString percentText;
    QString timeText;
    QString applicationTitle;
    QString hintText;
    QList<StatusBox> statusBoxes;
    QList<IconDraw> iconDraws;
    QStringList calls; // one entry per call, by function name
};
