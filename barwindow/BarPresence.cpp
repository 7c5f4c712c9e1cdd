#include "BarPresence.h"

#include "BarSettings.h"
#include "StateIcons.h"
#include "TaskbarEntry.h"
#include "TrayIcon.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace {

// The tips have always named this version, whatever the program's own.
const QString kTipPrefix = QStringLiteral("Voltline 1.09\n");
const QString kAddTip = kTipPrefix + QStringLiteral("Left click: Restore\nRight click: Menu");

QString trayTipFor(QChar state)
{
    QString status;
    switch (state.unicode()) {
    case 'A':
        status = QStringLiteral("Status: AC - Full\n");
        break;
    case 'C':
        status = QStringLiteral("Status: Charging\n");
        break;
    case 'F':
    case 'H':
    case 'E':
        status = QStringLiteral("Status: Battery\n");
        break;
    case 'W':
        status = QStringLiteral("Status: Warning\n");
        break;
    default:
        break;
    }
    return kTipPrefix + status + QStringLiteral("Left: Restore\nRight: Menu");
}

// The tray and task list show the application icon for 'N' (never the cross).
QIcon presenceIconFor(QChar state)
{
    switch (state.unicode()) {
    case 'A':
    case 'C':
    case 'F':
    case 'H':
    case 'E':
    case 'W':
        return stateQIcon(stateIconFor(state));
    default:
        return appQIcon();
    }
}

} // namespace

BarPresence::BarPresence(QWidget &window, std::unique_ptr<TrayIcon> tray,
                         const BarSettings &settings, const QChar &displayState, QMenu &menu)
    : m_window(window)
    , m_tray(std::move(tray))
    , m_settings(settings)
    , m_displayState(displayState)
    , m_menu(menu)
{
    m_tray->setMenu(&m_menu);
    m_tray->setEventHandler([this](TrayIcon::Event event) {
        switch (event) {
        case TrayIcon::Event::LeftRelease:
            TrayIconNotify(WM_LBUTTONUP);
            break;
        case TrayIcon::Event::RightRelease:
            TrayIconNotify(WM_RBUTTONUP);
            break;
        case TrayIcon::Event::Other:
            break;
        }
    });
}

BarPresence::~BarPresence() = default;

void BarPresence::AddTrayIcon()
{
    m_tray->add(appQIcon(), kAddTip);
}

void BarPresence::RemoveTrayIcon()
{
    m_tray->remove();
}

void BarPresence::UpdatePresence()
{
    // Without a notification area the task list is the only way back to a hidden bar.
    const bool trayMode = m_settings.ShowInSysTray && m_tray->available();
    m_waitingForTray = m_settings.ShowInSysTray && !trayMode;
    if (trayMode) {
        m_skipTaskbar = true;
        applyTaskbarEntry();
        AddTrayIcon();
        TrayIconShown = true;
        UpdateTrayTip();
    } else {
        m_skipTaskbar = false;
        applyTaskbarEntry();
        if (TrayIconShown) {
            RemoveTrayIcon();
            TrayIconShown = false;
            UpdateTrayTip();
            // A bar hidden in the tray would be left with no way back: its task-list entry
            // exists only while it is mapped. Minimised, it waits there.
            if (!m_window.isVisible())
                m_window.showMinimized();
        }
    }
}

void BarPresence::joinLateTray()
{
    if (m_waitingForTray && m_settings.ShowInSysTray && m_tray->available())
        UpdatePresence();
}

void BarPresence::applyTaskbarEntry()
{
    if (m_window.windowHandle())
        setSkipTaskbar(m_window.windowHandle(), m_skipTaskbar);
}

void BarPresence::UpdateTrayTip()
{
    const QChar state = m_displayState;
    if (TrayIconShown)
        m_tray->modify(presenceIconFor(state), trayTipFor(state));
    else
        m_window.setWindowIcon(presenceIconFor(state));
}

void BarPresence::TrayIconNotify(int mouseEvent)
{
    switch (mouseEvent) {
    case WM_LBUTTONUP:
        if (TrayIconShown) {
            m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
            m_window.show();
            m_window.raise();
            m_window.activateWindow();
            UpdatePresence();
        } else {
            m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
        }
        break;
    case WM_RBUTTONUP:
        m_window.activateWindow();
        m_menu.popup(QCursor::pos());
        break;
    default:
        break;
    }
}

void BarPresence::minimize()
{
    if (TrayIconShown)
        m_window.hide();
    else
        m_window.showMinimized();
    UpdatePresence();
}

void BarPresence::restore()
{
    if (TrayIconShown) {
        m_window.show();
    } else {
        m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
        m_window.show();
    }
}
