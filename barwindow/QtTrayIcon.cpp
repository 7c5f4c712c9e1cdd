#include "QtTrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSystemTrayIcon>

namespace {

// The menu a StatusNotifierItem host draws itself, made of the bar's own menu commands; it
// lives as long as its icon.
class HostMenu final : public QObject {
public:
    HostMenu(QSystemTrayIcon &icon, const QList<QAction *> &actions)
        : QObject(&icon)
    {
        m_menu.addActions(actions);
        icon.setContextMenu(&m_menu);
    }

private:
    QMenu m_menu;
};

// Qt's window for an icon embedded in an XEmbed tray (it has none on D-Bus trays).
QWidget *embeddedIconWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qstrcmp(w->metaObject()->className(), "QSystemTrayIconSys") == 0 && w->isVisible())
            return w;
    }
    return nullptr;
}

} // namespace

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
    // What a StatusNotifierItem host reports: it decides itself whether a press or a release
    // makes a click. An embedded icon's presses never get here (see eventFilter).
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                    report(Event::LeftRelease);
                    break;
                case QSystemTrayIcon::Context:
                    report(Event::RightRelease);
                    break;
                default:
                    report(Event::Other);
                    break;
                }
            });
    m_icon->show();
    m_embedded = embeddedIconWindow();
    if (m_embedded) {
        // Qt reports an embedded icon's clicks on the press; the bar acts on the release.
        m_embedded->installEventFilter(this);
    } else if (m_menu) {
        // Hosts such as xfce4-panel open only a menu they are given on a right click.
        new HostMenu(*m_icon, m_menu->actions());
    }
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
    if (m_embedded)
        m_embedded->removeEventFilter(this);
    m_embedded = nullptr;
    // Later: remove may run inside the icon's own click handler.
    QSystemTrayIcon *old = m_icon;
    m_icon = nullptr;
    old->hide();
    old->deleteLater();
}

bool QtTrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_embedded)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // Let go elsewhere: no click, as with any button.
        if (!m_embedded->rect().contains(mouse->position().toPoint()))
            return true;
        if (mouse->button() == Qt::LeftButton)
            report(Event::LeftRelease);
        else if (mouse->button() == Qt::RightButton)
            report(Event::RightRelease);
        else
            report(Event::Other);
        return true;
    }
    default:
        return false;
    }
}

void QtTrayIcon::report(Event event)
{
    if (m_handler)
        m_handler(event);
}
