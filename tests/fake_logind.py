"""A stand-in for logind on a private bus: records every PowerOff call and never powers off.

Usage: /usr/bin/python3 fake_logind.py ADDRESS CALLS_FILE MODE
MODE "accept" answers at once; "silent" never answers (a logind or a password prompt that
hangs). Each call appends its interactive flag ("0" or "1") as a line to CALLS_FILE.
Needs python3-dbus and python3-gi (both come with python3-dbusmock).
"""

import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

ADDRESS, CALLS, MODE = sys.argv[1:4]


class Manager(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, "/org/freedesktop/login1")
        self.pending = []  # replies kept so that a silent call stays open

    @dbus.service.method("org.freedesktop.login1.Manager", in_signature="b", out_signature="",
                         async_callbacks=("reply", "error"))
    def PowerOff(self, interactive, reply, error):
        with open(CALLS, "a") as f:
            f.write("1\n" if interactive else "0\n")
        if MODE == "accept":
            reply()
        else:
            self.pending.append((reply, error))


DBusGMainLoop(set_as_default=True)
bus = dbus.bus.BusConnection(ADDRESS)
name = dbus.service.BusName("org.freedesktop.login1", bus)
manager = Manager(bus)
open(CALLS, "a").close()  # ready: the name is owned
GLib.MainLoop().run()
