#pragma once

#include "TrayIcon.h"

#include <QMenu>
#include <QObject>
#include <QPointer>

class QSystemTrayIcon;

// TrayIcon on QSystemTrayIcon. Each add makes a fresh icon and each remove destroys it, so the
// notification area never keeps a stale embedded window.
class QtTrayIcon final : public QObject, public TrayIcon {
    Q_OBJECT
public:
    explicit QtTrayIcon(QObject *parent = nullptr);
    ~QtTrayIcon() override;

    bool available() const override;
    void add(const QIcon &icon, const QString &tip) override;
    void modify(const QIcon &icon, const QString &tip) override;
    void remove() override;
    void setEventHandler(EventHandler handler) override { m_handler = std::move(handler); }
    void setMenu(QMenu *menu) override { m_menu = menu; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void report(Event event);

    QSystemTrayIcon *m_icon = nullptr;
    // Qt's own window for an icon embedded in an XEmbed tray; null for a StatusNotifierItem.
    QPointer<QWidget> m_embedded;
    QPointer<QMenu> m_menu;
    EventHandler m_handler;
};
