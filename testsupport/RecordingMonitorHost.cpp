#include "RecordingMonitorHost.h"

void RecordingMonitorHost::setGaugeColor(quint32 color)
{
    calls << QStringLiteral("setGaugeColor");
    gaugeColor = color;
}

void RecordingMonitorHost::setGaugePosition(int position)
{
    calls << QStringLiteral("setGaugePosition");
    gaugePosition = position;
}

void RecordingMonitorHost::setPercentText(const QString &text)
{
    calls << QStringLiteral("setPercentText");
    percentText = text;
}

void RecordingMonitorHost::setTimeText(const QString &text)
{
    calls << QStringLiteral("setTimeText");
    timeText = text;
}

void RecordingMonitorHost::setApplicationTitle(const QString &text)
{
    calls << QStringLiteral("setApplicationTitle");
    applicationTitle = text;
}

void RecordingMonitorHost::setHintText(const QString &text)
{
    calls << QStringLiteral("setHintText");
    hintText = text;
}

void RecordingMonitorHost::showStatusBox(const QString &caption, const QString &text, bool warning)
{
    calls << QStringLiteral("showStatusBox");
    const StatusBox box{caption, text, warning};
    statusBoxes.append(box);
    // From a copy: the hook may replace itself while a nested box is open.
    if (const auto hook = onStatusBox)
        hook(box);
}

void RecordingMonitorHost::invalidateWindow()
{
    calls << QStringLiteral("invalidateWindow");
}

void RecordingMonitorHost::drawStateIcon(QChar state, int left, int top, int width, int height)
{
    calls << QStringLiteral("drawStateIcon");
    iconDraws.append({state, left, top, width, height});
}

void RecordingMonitorHost::SnapToEdges()
{
    calls << QStringLiteral("SnapToEdges");
}

void RecordingMonitorHost::UpdateTrayTip()
{
    calls << QStringLiteral("UpdateTrayTip");
}

void RecordingMonitorHost::SaveSettings()
{
    calls << QStringLiteral("SaveSettings");
}

void RecordingMonitorHost::clear()
{
    calls.clear();
    statusBoxes.clear();
    iconDraws.clear();
}
