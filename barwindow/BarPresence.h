#pragma once

#include <QChar>

#include <memory>

class QMenu;
class QWidget;
class TrayIcon;
struct BarSettings;

// How the bar is reachable when it is not on screen: the notification-area icon, or its own
// task-list entry when there is no notification area or the user wants none; minimising and
// restoring go through the one that is in use.
class BarPresence final {
public:
    // Mouse events of the tray icon, as the desktop reports them.
    static constexpr int WM_LBUTTONUP = 0x0202;
    static constexpr int WM_RBUTTONUP = 0x0205;

    // The window, settings, state letter and menu are the bar's and outlive this.
    BarPresence(QWidget &window, std::unique_ptr<TrayIcon> tray, const BarSettings &settings,
                const QChar &displayState, QMenu &menu);
    ~BarPresence();
    BarPresence(const BarPresence &) = delete;
    BarPresence &operator=(const BarPresence &) = delete;

    bool TrayIconShown = false;
    bool inTaskList() const { return !m_skipTaskbar; }

    void AddTrayIcon();
    void RemoveTrayIcon();
    void UpdatePresence();
    void UpdateTrayTip();
    void TrayIconNotify(int mouseEvent);
    void minimize();
    void restore();
    // The task-list state can only be set on a mapped window; the bar calls this once shown.
    void applyTaskbarEntry();
    // Called every tick: a notification area that appeared after the bar (a panel started
    // later at login) is joined, as the tray mode asks, when the bar had to do without one.
    void joinLateTray();

private:
    QWidget &m_window;
    std::unique_ptr<TrayIcon> m_tray;
    const BarSettings &m_settings;
    const QChar &m_displayState;
    QMenu &m_menu;
    bool m_skipTaskbar = false;
    bool m_waitingForTray = false;
};
