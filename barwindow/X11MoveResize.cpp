#include "X11MoveResize.h"

#include "X11Util.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

using X11Util::internAtom;
constexpr auto x11Connection = X11Util::connectionFor;

xcb_window_t rootOf(xcb_connection_t *conn)
{
    return xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
}

bool windowManagerOffers(xcb_connection_t *conn, xcb_atom_t feature)
{
    const xcb_atom_t supported = internAtom(conn, "_NET_SUPPORTED");
    if (supported == XCB_ATOM_NONE)
        return false;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(conn, 0, rootOf(conn), supported, XCB_ATOM_ATOM, 0, 4096);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(conn, cookie, nullptr);
    if (!reply)
        return false;
    bool found = false;
    if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < count && !found; ++i)
            found = atoms[i] == feature;
    }
    free(reply);
    return found;
}

} // namespace

std::optional<QPoint> x11RootPosition(const QWindow *window, QPointF local)
{
    xcb_connection_t *conn = x11Connection(window);
    if (!conn)
        return std::nullopt;
    const xcb_translate_coordinates_cookie_t cookie =
        xcb_translate_coordinates(conn, xcb_window_t(window->winId()), rootOf(conn), 0, 0);
    xcb_translate_coordinates_reply_t *reply =
        xcb_translate_coordinates_reply(conn, cookie, nullptr);
    if (!reply)
        return std::nullopt;
    const QPoint origin(reply->dst_x, reply->dst_y);
    free(reply);
    return origin + (local * window->devicePixelRatio()).toPoint();
}

bool startWindowManagerDrag(QWindow *window, QPoint from, bool sizing)
{
    xcb_connection_t *conn = x11Connection(window);
    if (!conn)
        return false;
    const xcb_atom_t moveResize = internAtom(conn, "_NET_WM_MOVERESIZE");
    if (moveResize == XCB_ATOM_NONE || !windowManagerOffers(conn, moveResize))
        return false;
    constexpr uint32_t kSizeBottom = 5;
    constexpr uint32_t kMove = 8;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window->winId());
    event.type = moveResize;
    event.data.data32[0] = uint32_t(from.x());
    event.data.data32[1] = uint32_t(from.y());
    event.data.data32[2] = sizing ? kSizeBottom : kMove;
    event.data.data32[3] = XCB_BUTTON_INDEX_1;
    event.data.data32[4] = 1; // from a normal application
    // The window manager can only grab the pointer once we let go of it.
    xcb_ungrab_pointer(conn, XCB_CURRENT_TIME);
    xcb_send_event(conn, 0, rootOf(conn),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(conn);
    return true;
}
