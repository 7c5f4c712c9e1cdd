#include "X11Util.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace X11Util {

bool displayAnswers()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t *conn = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(conn) == 0;
    xcb_disconnect(conn);
    return answers;
}

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

xcb_window_t rootOf(xcb_connection_t *conn)
{
    return xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
}

bool windowManagerOffers(xcb_connection_t *conn, xcb_atom_t feature)
{
    const xcb_atom_t supported = internAtom(conn, "_NET_SUPPORTED");
    if (supported == XCB_ATOM_NONE || feature == XCB_ATOM_NONE)
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
        found = std::find(atoms, atoms + count, feature) != atoms + count;
    }
    std::free(reply);
    return found;
}

void sendToWindowManager(xcb_connection_t *conn, xcb_window_t window, xcb_atom_t type,
                         std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy_n(data.begin(), std::min<size_t>(data.size(), 5), event.data.data32);
    xcb_send_event(conn, 0, rootOf(conn),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
}

} // namespace X11Util
