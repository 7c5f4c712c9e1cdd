#include "QtTrayIcon.h"

#include <QSystemTrayIcon>

QtTrayIcon::QtTrayIcon(QObject *parent)
    : QObject(parent)
{
}

QtTrayIcon::~QtTrayIcon()
{
    remove();
}

bool QtTrayIcon::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::add(const QIcon &icon, const QString &tip)
{
    if (m_icon)
        return;
    m_icon = new QSystemTrayIcon(icon, this);
    m_icon->setToolTip(tip);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (!m_handler)
                    return;
                // The desktop reports clicks, not press and release apart.
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                    m_handler(Event::LeftRelease);
                    break;
                case QSystemTrayIcon::Context:
                    m_handler(Event::RightRelease);
                    break;
                default:
                    m_handler(Event::Other);
                    break;
                }
            });
    m_icon->show();
}

void QtTrayIcon::modify(const QIcon &icon, const QString &tip)
{
    if (!m_icon)
        return;
    m_icon->setIcon(icon);
    if (m_icon->toolTip() != tip)
        m_icon->setToolTip(tip);
}

void QtTrayIcon::remove()
{
    if (!m_icon)
        return;
    // Later: remove may run inside the icon's own click handler.
    QSystemTrayIcon *old = m_icon;
    m_icon = nullptr;
    old->hide();
    old->deleteLater();
}
