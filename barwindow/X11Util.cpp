#include "X11Util.h"

#include <QGuiApplication>
#include <QWindow>

#include <cstdlib>
#include <cstring>

namespace X11Util {

xcb_connection_t *connectionFor(const QWindow *window)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *conn, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(conn, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace X11Util
