"""Stand-ins for desktop session managers on a private session bus: each records the shutdown
calls it gets and never ends anything.

Usage: /usr/bin/python3 fake_session_manager.py ADDRESS CALLS_FILE KIND MODE
KIND is one of the desktops below; MODE "accept" answers at once, "error" answers with the
desktop's own refusal, "silent" never answers (a manager that hangs). Each call appends a line
"Method arg ..." to CALLS_FILE; CALLS_FILE exists once every name is owned. The names, paths,
methods and signatures are those the desktops' packages declare. A call with other arguments
is answered as the real manager would, with InvalidArgs, and recorded all the same.
Needs python3-dbus and python3-gi (both come with python3-dbusmock).
"""

import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

ADDRESS, CALLS, KIND, MODE = sys.argv[1:5]

GNOME = ("org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager")
KSMSERVER = ("org.kde.ksmserver", "/KSMServer", "org.kde.KSMServerInterface")
KDE_SHUTDOWN = ("org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown")
XFCE = ("org.xfce.SessionManager", "/org/xfce/SessionManager", "org.xfce.Session.Manager")
LXQT = ("org.lxqt.session", "/LXQtSession", "org.lxqt.session")

# kind: [(service, path, interface), [(method, signature), ...]], error name
DESKTOPS = {
    # gnome-session 43: Shutdown() shows the end-session dialog; no RequestShutdown.
    "gnome": ([(GNOME, [("Shutdown", "")])], "org.gnome.SessionManager.LockedDown"),
    # mate-session 1.26: RequestShutdown() without a dialog, Shutdown() with one.
    "mate": ([(GNOME, [("RequestShutdown", ""), ("Shutdown", "")])],
             "org.gnome.SessionManager.GeneralError"),
    # Plasma 5.27 as it runs: ksmserver; its shutdown service is started only on demand.
    "plasma": ([(KSMSERVER, [("logout", "iii")])], "org.freedesktop.DBus.Error.Failed"),
    # Plasma with the shutdown service already running.
    "plasma-shutdown": ([(KSMSERVER, [("logout", "iii")]),
                         (KDE_SHUTDOWN, [("logoutAndShutdown", "")])],
                        "org.freedesktop.DBus.Error.Failed"),
    # xfce4-session 4.18: Shutdown(allow_save).
    "xfce": ([(XFCE, [("Shutdown", "b")])], "org.xfce.SessionManager.Error.Failed"),
    # lxqt-session 1.2: powerOff().
    "lxqt": ([(LXQT, [("powerOff", "")])], "org.freedesktop.DBus.Error.Failed"),
}


def text(value):
    if isinstance(value, dbus.Boolean):
        return "true" if value else "false"
    return str(value)


def make_handler(method, signature, error_name, pending):
    def answer(args, reply, error, message):
        with open(CALLS, "a") as f:
            f.write(" ".join([method] + [text(a) for a in args]) + "\n")
        if (message.get_signature() or "") != signature:
            error(dbus.exceptions.DBusException(
                "wrong arguments", name="org.freedesktop.DBus.Error.InvalidArgs"))
        elif MODE == "accept":
            reply()
        elif MODE == "error":
            error(dbus.exceptions.DBusException("refused", name=error_name))
        else:
            pending.append((reply, error))  # kept, so that the call stays open

    # dbus-python counts the named parameters against the signature.
    arity = {
        0: lambda self, reply, error, message: answer((), reply, error, message),
        1: lambda self, a, reply, error, message: answer((a,), reply, error, message),
        3: lambda self, a, b, c, reply, error, message: answer((a, b, c), reply, error, message),
    }
    handler = arity[len(signature)]
    handler.__name__ = method  # the name introspection shows
    return handler


def export(bus, where, methods, error_name, pending):
    service, path, interface = where
    members = {}
    for method, signature in methods:
        members[method] = dbus.service.method(
            interface, in_signature=signature, out_signature="",
            async_callbacks=("reply", "error"), message_keyword="message")(
                make_handler(method, signature, error_name, pending))
    cls = type("Manager", (dbus.service.Object,), members)
    return dbus.service.BusName(service, bus), cls(bus, path)


DBusGMainLoop(set_as_default=True)
bus = dbus.bus.BusConnection(ADDRESS)
objects, error_name = DESKTOPS[KIND]
pending = []
kept = [export(bus, where, methods, error_name, pending) for where, methods in objects]
open(CALLS, "a").close()  # ready: every name is owned
GLib.MainLoop().run()
