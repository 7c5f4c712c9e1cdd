#include "TaskbarEntry.h"

#include "X11Util.h"

#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace {

using X11Util::internAtom;
using X11Util::sendToWindowManager;
constexpr auto x11Connection = X11Util::connectionFor;

// _NET_WM_STATE client message actions.
constexpr uint32_t kStateRemove = 0;
constexpr uint32_t kStateAdd = 1;
constexpr uint32_t kFromApplication = 1;
constexpr uint32_t kAllDesktops = 0xFFFFFFFF;

// An unmapped window carries its wished states in its own _NET_WM_STATE, read at the map.
// Qt adds its own states to the list when it maps the window and keeps ours.
void setUnmappedState(xcb_connection_t *conn, xcb_window_t id, xcb_atom_t state, xcb_atom_t which,
                      bool on)
{
    std::vector<xcb_atom_t> atoms;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(conn, 0, id, state, XCB_ATOM_ATOM, 0, 64);
    if (xcb_get_property_reply_t *reply = xcb_get_property_reply(conn, cookie, nullptr)) {
        if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
            const auto *data = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
            atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
    }
    std::erase(atoms, which);
    if (on)
        atoms.push_back(which);
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        uint32_t(atoms.size()), atoms.data());
}

} // namespace

void setOnAllDesktops(QWindow *window)
{
    xcb_connection_t *conn = x11Connection(window);
    if (!conn)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t desktop = internAtom(conn, "_NET_WM_DESKTOP");
    const xcb_atom_t state = internAtom(conn, "_NET_WM_STATE");
    const xcb_atom_t sticky = internAtom(conn, "_NET_WM_STATE_STICKY");
    if (desktop == XCB_ATOM_NONE || state == XCB_ATOM_NONE || sticky == XCB_ATOM_NONE)
        return;
    if (window->isVisible()) {
        // Mapped: the window manager owns both properties now and takes requests.
        sendToWindowManager(conn, id, state, {kStateAdd, sticky, 0, kFromApplication});
        sendToWindowManager(conn, id, desktop, {kAllDesktops, kFromApplication});
    } else {
        setUnmappedState(conn, id, state, sticky, true);
        // xfwm4 takes an all-desktops number found at the map for its last desktop, so where
        // the sticky state is announced it alone asks, and a number left over from an earlier
        // mapping goes; elsewhere (openbox, KWin) the number asks.
        if (X11Util::windowManagerOffers(conn, sticky)) {
            xcb_delete_property(conn, id, desktop);
        } else {
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1,
                                &kAllDesktops);
        }
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
        sendToWindowManager(conn, id, state,
                            {skip ? kStateAdd : kStateRemove, skipTaskbar, 0, kFromApplication});
    } else {
        setUnmappedState(conn, id, state, skipTaskbar, skip);
    }
    xcb_flush(conn);
}
