#include "TaskbarEntry.h"

#include "X11Util.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

using X11Util::internAtom;
constexpr auto x11Connection = X11Util::connectionFor;

// A client message to the root window, as the window manager wants to be asked.
void sendToWindowManager(xcb_connection_t *conn, xcb_window_t id, xcb_atom_t type,
                         std::initializer_list<uint32_t> data)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(conn, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

} // namespace

void setOnAllDesktops(QWindow *window)
{
    xcb_connection_t *conn = x11Connection(window);
    if (!conn)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t desktop = internAtom(conn, "_NET_WM_DESKTOP");
    if (desktop == XCB_ATOM_NONE)
        return;
    constexpr uint32_t kAllDesktops = 0xFFFFFFFF;
    if (window->isVisible()) {
        sendToWindowManager(conn, id, desktop, {kAllDesktops, 1});
    } else {
        // Read by the window manager when the window is mapped; it removes it on withdrawal.
        xcb_change_property(conn, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1,
                            &kAllDesktops);
    }
    xcb_flush(conn);
}

void setSkipTaskbar(QWindow *window, bool skip)
{
    xcb_connection_t *conn = x11Connection(window);
    if (!conn)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = internAtom(conn, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = internAtom(conn, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE)
        return;

    if (window->isVisible()) {
        // A mapped window asks the window manager, which owns the property from now on.
        // _NET_WM_STATE_ADD / _REMOVE, the atom, no second atom, from a normal application.
        sendToWindowManager(conn, id, state, {skip ? 1u : 0u, skipTaskbar, 0, 1});
    } else {
        // An unmapped window carries the wish in its own property, read when it is mapped.
        std::vector<xcb_atom_t> atoms;
        const xcb_get_property_cookie_t cookie =
            xcb_get_property(conn, 0, id, state, XCB_ATOM_ATOM, 0, 64);
        if (xcb_get_property_reply_t *reply = xcb_get_property_reply(conn, cookie, nullptr)) {
            if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
                const auto *data = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
                atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
            }
            free(reply);
        }
        std::erase(atoms, skipTaskbar);
        if (skip)
            atoms.push_back(skipTaskbar);
        xcb_change_property(conn, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                            uint32_t(atoms.size()), atoms.data());
    }
    xcb_flush(conn);
}
