#include "X11MoveResize.h"

#include "X11Util.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

using X11Util::internAtom;
using X11Util::rootOf;
constexpr auto x11Connection = X11Util::connectionFor;

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
    if (moveResize == XCB_ATOM_NONE || !X11Util::windowManagerOffers(conn, moveResize))
        return false;
    constexpr uint32_t kSizeBottom = 5;
    constexpr uint32_t kMove = 8;
    // The window manager can only grab the pointer once we let go of it.
    xcb_ungrab_pointer(conn, XCB_CURRENT_TIME);
    X11Util::sendToWindowManager(conn, xcb_window_t(window->winId()), moveResize,
                                 {uint32_t(from.x()), uint32_t(from.y()),
                                  sizing ? kSizeBottom : kMove, XCB_BUTTON_INDEX_1,
                                  1 /* from a normal application */});
    xcb_flush(conn);
    return true;
}

bool x11LeftButtonDown(const QWindow *window)
{
    xcb_connection_t *conn = x11Connection(window);
    if (!conn)
        return false;
    xcb_query_pointer_reply_t *reply =
        xcb_query_pointer_reply(conn, xcb_query_pointer(conn, rootOf(conn)), nullptr);
    if (!reply)
        return false;
    const bool down = reply->mask & XCB_KEY_BUT_MASK_BUTTON_1;
    free(reply);
    return down;
}
