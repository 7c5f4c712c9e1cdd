#include "StripWorkAreaSource.h"

#include "EdgeSnapping.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVarLengthArray>

WorkAreaRect StripWorkAreaSource::readWorkArea()
{
    if (!m_strip || !m_strip->isVisible())
        return m_readings.readWorkArea();
    const QList<QScreen *> screens = QGuiApplication::screens();
    QVarLengthArray<QRect, 8> geometries;
    for (const QScreen *screen : screens)
        geometries.append(screen->geometry());
    const int i = screenIndexFor(m_strip->frameGeometry(), geometries);
    if (i < 0)
        return m_readings.readWorkArea();
    const QRect r = screens.at(i)->availableGeometry();
    WorkAreaRect area;
    area.Left = r.left();
    area.Top = r.top();
    area.Right = r.left() + r.width();
    area.Bottom = r.top() + r.height();
    return area;
}
