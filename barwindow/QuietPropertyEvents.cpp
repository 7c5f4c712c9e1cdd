#include "QuietPropertyEvents.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template<typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

} // namespace

QuietPropertyEvents::QuietPropertyEvents(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();

    const char *const names[] = {"WM_STATE", "_NET_WM_STATE", "_NET_FRAME_EXTENTS"};
    std::uint32_t *const atoms[] = {&m_wmState, &m_netWmState, &m_frameExtents};
    xcb_intern_atom_cookie_t cookies[3];
    for (int i = 0; i < 3; ++i)
        cookies[i] =
            xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(names[i])), names[i]);
    for (int i = 0; i < 3; ++i) {
        xcb_generic_error_t *error = nullptr;
        XcbReply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(m_connection, cookies[i], &error), &std::free);
        std::free(error);
        *atoms[i] = reply ? reply->atom : 0;
    }
    if (!m_wmState || !m_netWmState || !m_frameExtents) {
        m_connection = nullptr;
        return;
    }

    m_window->installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
    mute(currentWindow());
}

QuietPropertyEvents::~QuietPropertyEvents()
{
    if (m_connection)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::uint32_t QuietPropertyEvents::currentWindow() const
{
    // The native window changes when the stacking style re-creates it.
    const QWindow *handle = m_window->windowHandle();
    if (!handle || !handle->handle())
        return 0;
    return std::uint32_t(handle->winId());
}

void QuietPropertyEvents::mute(std::uint32_t window)
{
    if (!window)
        return;
    xcb_generic_error_t *error = nullptr;
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(m_connection,
                                        xcb_get_window_attributes(m_connection, window), &error),
        &std::free);
    std::free(error);
    if (!attributes || !(attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE))
        return;
    const std::uint32_t mask =
        attributes->your_event_mask & ~std::uint32_t(XCB_EVENT_MASK_PROPERTY_CHANGE);
    xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
}

void QuietPropertyEvents::askQtToReread(std::uint32_t window, std::uint32_t atom)
{
    // A notification sent with no event mask reaches only the window's creator: us. Qt then
    // reads the property as if it had changed.
    union {
        xcb_property_notify_event_t event;
        char bytes[32];
    } message{};
    message.event.response_type = XCB_PROPERTY_NOTIFY;
    message.event.window = window;
    message.event.atom = atom;
    message.event.time = XCB_CURRENT_TIME;
    message.event.state = XCB_PROPERTY_NEW_VALUE;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, message.bytes);
    xcb_flush(m_connection);
}

bool QuietPropertyEvents::eventFilter(QObject *watched, QEvent *event)
{
    // A new native window starts with Qt's full event mask.
    if (watched == m_window && event->type() == QEvent::WinIdChange)
        mute(currentWindow());
    return false;
}

bool QuietPropertyEvents::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const bool synthetic = event->response_type & 0x80;
    switch (event->response_type & 0x7f) {
    case XCB_MAP_NOTIFY: {
        const std::uint32_t window = currentWindow();
        if (!window || reinterpret_cast<const xcb_map_notify_event_t *>(event)->window != window)
            break;
        mute(window);
        // Restored from the task list, or managed for the first time.
        askQtToReread(window, m_wmState);
        askQtToReread(window, m_frameExtents);
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const std::uint32_t window = currentWindow();
        if (!window || reinterpret_cast<const xcb_unmap_notify_event_t *>(event)->window != window)
            break;
        // Minimised by us or by the desktop: WM_STATE already says so.
        askQtToReread(window, m_wmState);
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
        const std::uint32_t window = currentWindow();
        if (!window || configure->window != window)
            break;
        const QRect geometry(configure->x, configure->y, configure->width, configure->height);
        if (geometry == m_lastGeometry)
            break;
        // A new size may be a maximised or full-screen state; a new place, a new frame.
        if (geometry.size() != m_lastGeometry.size())
            askQtToReread(window, m_netWmState);
        askQtToReread(window, m_frameExtents);
        m_lastGeometry = geometry;
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        // A real one means Qt restored its event mask (it does when window flags change on a
        // live window); take the property notifications away again once the burst is over.
        if (synthetic || m_remutePending)
            break;
        const std::uint32_t window = currentWindow();
        if (!window ||
            reinterpret_cast<const xcb_property_notify_event_t *>(event)->window != window)
            break;
        m_remutePending = true;
        QTimer::singleShot(0, this, [this] {
            m_remutePending = false;
            mute(currentWindow());
        });
        break;
    }
    default:
        break;
    }
    return false;
}
