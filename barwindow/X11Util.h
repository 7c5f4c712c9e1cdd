#pragma once

#include <xcb/xcb.h>

#include <initializer_list>

class QWindow;

// The few X11 calls the strip makes beside Qt, shared by the files that talk to the window
// manager directly.
namespace X11Util {

// Whether an X display can be opened now: DISPLAY names one and it answers. Asked before Qt
// starts, to choose its platform.
bool displayAnswers();

// Qt's X connection when the program runs on X11 and `window` exists; null otherwise.
xcb_connection_t *connectionFor(const QWindow *window);

// The atom of `name` (created when missing); XCB_ATOM_NONE when the server does not answer.
xcb_atom_t internAtom(xcb_connection_t *conn, const char *name);

xcb_window_t rootOf(xcb_connection_t *conn);

// Whether the running window manager names `feature` in its _NET_SUPPORTED list.
bool windowManagerOffers(xcb_connection_t *conn, xcb_atom_t feature);

// A client message about `window` to the root window, as the window manager wants to be asked.
void sendToWindowManager(xcb_connection_t *conn, xcb_window_t window, xcb_atom_t type,
                         std::initializer_list<uint32_t> data);

} // namespace X11Util
