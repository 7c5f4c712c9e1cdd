#pragma once

#include "TrayIcon.h"

#include <QObject>

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

private:
    QSystemTrayIcon *m_icon = nullptr;
    EventHandler m_handler;
};
