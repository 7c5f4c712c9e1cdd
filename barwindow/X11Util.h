#pragma once

#include <xcb/xcb.h>

class QWindow;

// The few X11 calls the strip makes beside Qt, shared by the files that talk to the window
// manager directly.
namespace X11Util {

// Qt's X connection when the program runs on X11 and `window` exists; null otherwise.
xcb_connection_t *connectionFor(const QWindow *window);

// The atom of `name` (created when missing); XCB_ATOM_NONE when the server does not answer.
xcb_atom_t internAtom(xcb_connection_t *conn, const char *name);

} // namespace X11Util
