#pragma once

#include <QIcon>
#include <QString>

#include <functional>

class QMenu;

// The notification-area icon as the bar uses it: add, modify, remove, and the mouse events.
// The real one wraps QSystemTrayIcon; tests record the calls.
class TrayIcon {
public:
    enum class Event { LeftRelease, RightRelease, Other };
    using EventHandler = std::function<void(Event)>;

    virtual ~TrayIcon() = default;
    // Whether the desktop has a notification area at all.
    virtual bool available() const = 0;
    // A repeated add while the icon exists changes nothing.
    virtual void add(const QIcon &icon, const QString &tip) = 0;
    virtual void modify(const QIcon &icon, const QString &tip) = 0;
    virtual void remove() = 0;
    virtual void setEventHandler(EventHandler handler) = 0;
    // The commands for a tray host that draws the icon's menu itself.
    virtual void setMenu(QMenu *) {}
};
