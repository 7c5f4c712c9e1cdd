"""System test of what a screen reader learns from Voltline: the real program on a virtual
desktop with the accessibility bus (see harness.py), read and driven through AT-SPI by
atspi_reader.py as Orca would.

Usage: accessibility_system_test.py [TEST_NAME ...]; VOLTLINE_BIN names the program.
"""

import json
import os
import re
import subprocess

import harness
from bar_system_test import expect, read_store, write_store
from dialogs_system_test import press, wait_gone, wait_window_named
from harness import wait_until

BIN = os.environ.get("VOLTLINE_BIN", "build/app/voltline")
READER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_reader.py")


class Reader:
    """atspi_reader.py runs, and the events of its watcher."""

    def __init__(self, desk):
        self.desk = desk
        self.watcher = harness.Process(desk, ["/usr/bin/python3", READER, "watch"],
                                       "atspi-events.log")
        desk.procs.append(self.watcher)
        wait_until(lambda: "ready" in self.watcher.output().splitlines(), 20, "the watcher")

    def run(self, *args):
        done = subprocess.run(["/usr/bin/python3", READER, *args], env=self.desk.env,
                              capture_output=True, text=True, timeout=60)
        if done.returncode != 0:
            raise harness.Failure(f"atspi_reader {' '.join(args)}: {done.stdout}{done.stderr}")
        return done.stdout

    def windows(self):
        return json.loads(self.run("tree")) or []

    def window(self, role, name):
        for w in self.windows():
            if w["role"] == role and re.fullmatch(name, w["name"]):
                return w
        return None

    def wait_window(self, role, name):
        return wait_until(lambda: self.window(role, name), 10, f"the {role} {name!r}")

    def events(self, type_suffix="", role=None, name=None):
        found = []
        for line in self.watcher.output().splitlines()[1:]:
            e = json.loads(line)
            if (e["type"].endswith(type_suffix) and (role is None or e["role"] == role)
                    and (name is None or e["name"] == name)):
                found.append(e)
        return found



def wait_ticks(bar, count):
    """Waits for count more seconds of the strip, seen as its title (the countdown) changing."""
    titles = [bar.title()]

    def ticked():
        title = bar.title()
        if title != titles[-1]:
            titles.append(title)
        return len(titles) > count
    wait_until(ticked, 10, f"{count} ticks of the strip")


def summary(tree):
    """(role, name, sorted states that a reader announces, access key) of each node below."""
    said = {"checked", "focused", "focusable", "enabled"}
    rows = []
    for n in tree["children"]:
        key = next((k for a, k in n.get("actions", {}).items() if a in ("Press", "Toggle")), "")
        rows.append((n["role"], n["name"], sorted(said & set(n["states"])), key))
        rows.extend(summary(n))
    return rows


def print_tree(title, tree, depth=0):
    """The tree as the closing notes quote it."""
    if depth == 0:
        print(title)
    for n in tree["children"]:
        extra = ""
        if "value" in n:
            extra += f" value {n['value'][1]:g} of {n['value'][0]:g}..{n['value'][2]:g}"
        keys = [f"{a} {k}".strip() for a, k in n.get("actions", {}).items()
                if a in ("Press", "Toggle")]
        if keys:
            extra += " action " + ", ".join(keys)
        states = [s for s in n["states"] if s in ("checked", "focused", "focusable")]
        description = f" ({n['description']})" if n["description"] else ""
        print(f"{'  ' * (depth + 1)}{n['role']} {n['name']!r}{description}"
              f" [{' '.join(states)}]{extra}")
        print_tree(title, n, depth + 1)


# --- tests -------------------------------------------------------------------------------

def screen_reader_reads_strip_and_configuration():
    with harness.Desktop() as desk:
        desk.start_accessibility()
        write_store(desk, Left=300, Top=200, Height=24, Snap=0, AlwaysOnTop=1,
                    PopupBoxStatus=0, RunAtWindowsStartUp=0, ShowRaised=1, ShowInSysTray=0,
                    WarnPercent=25, ShutdownPercent=10)
        battery = harness.FakePowerSupply(desk.tmp)
        battery.set(57, "Discharging", False)
        reader = Reader(desk)
        bar = desk.start(BIN, battery)
        wid = bar.wait_window()

        # The strip: a window named by its title and described by its hint, holding the
        # percent, the gauge, the time and the state icon.
        strip = reader.wait_window("frame", r"57%, .* : Voltline")
        print_tree("strip:", {"children": [strip]})
        expect(strip["description"] == "Battery Power - Right click for menu",
               f"strip described as {strip['description']!r}")
        parts = [(c["role"], c["name"]) for c in strip["children"]]
        expect([p[0] for p in parts] == ["label", "progress bar", "label", "image"],
               f"strip holds {parts}")
        expect(parts[0][1] == "57%", f"percent reads {parts[0][1]!r}")
        expect(re.fullmatch(r"\d+:\d\d:\d\d", parts[2][1]), f"time reads {parts[2][1]!r}")
        expect(parts[3][1] == "Battery Power OK", f"icon reads {parts[3][1]!r}")
        expect(strip["children"][1]["value"] == [0, 57, 100],
               f"gauge value {strip['children'][1]['value']}")

        # The gauge speaks once a percent step, never every second.
        gauge = lambda: [e["value"] for e in reader.events("accessible-value", "progress bar")]
        before = len(gauge())
        wait_ticks(bar, 3)
        expect(len(gauge()) == before, f"gauge spoke unchanged: {gauge()}")
        battery.set(56, "Discharging", False)
        wait_until(lambda: len(gauge()) > before, 10, "the gauge's new value")
        wait_until(lambda: reader.events("accessible-name", "label", "56%"), 10,
                   "the percent's new text")
        wait_ticks(bar, 3)
        expect(gauge()[before:] == [56], f"gauge values announced: {gauge()[before:]}")

        # The configuration dialog: every control named, with its state and access key.
        press(desk, wid, "ctrl+c")
        wait_window_named(desk, bar, "Voltline Configuration")
        dialog = reader.wait_window("dialog", "Voltline Configuration")
        print_tree("configuration dialog:", {"children": [dialog]})
        rows = summary(dialog)
        want = [
            ("panel", "Configuration", ["enabled"], ""),
            ("check box", "Snap Window To Screen Edge", ["enabled", "focusable", "focused"],
             "Alt+S"),
            ("check box", "Always On Top", ["checked", "enabled", "focusable"], "Alt+A"),
            ("check box", "Popup Message Box On Status Change", ["enabled", "focusable"],
             "Alt+P"),
            ("check box", "Automatically Run At Windows Startup", ["enabled", "focusable"],
             "Alt+R"),
            ("check box", "Use The System Tray Instead Of Taskbar", ["enabled", "focusable"], ""),
            ("panel", "Appearance", ["enabled"], ""),
            ("radio button", "Show Window Bevel As Raised", ["checked", "enabled", "focusable"],
             "Alt+R"),
            ("radio button", "Show Window Bevel As Lowered", ["enabled", "focusable"], "Alt+L"),
            ("panel", "Advanced Options", ["enabled"], ""),
            ("push button", "Reset!", ["enabled", "focusable"], ""),
            ("push button", "Ok", ["enabled", "focusable"], "Alt+O"),
            ("push button", "Cancel", ["enabled", "focusable"], "Alt+C"),
            ("push button", "Help", ["enabled", "focusable"], "Alt+H"),
        ]
        kit = [r for r in rows if r[0] in ("panel", "check box", "radio button", "push button")]
        expect(kit == want, "the dialog reads\n" + "\n".join(map(str, kit)))

        # Tab goes round every control in the order of the dialog.
        focus = lambda: [e["name"] for e in reader.events("focused") if e["detail"] == 1]
        order = ["Always On Top", "Popup Message Box On Status Change",
                 "Automatically Run At Windows Startup", "Use The System Tray Instead Of Taskbar",
                 "Show Window Bevel As Raised", "Reset!", "Warn @ 25%", "Shutdown @ 10%", "Ok",
                 "Cancel", "Help",
                 "Snap Window To Screen Edge"]
        desk.xdotool("windowactivate", "--sync", window_of(desk, bar))
        for name in order:
            seen = len(focus())
            desk.xdotool("key", "--clearmodifiers", "Tab")
            wait_until(lambda: len(focus()) > seen, 10, f"the focus to move to {name!r}")
        expect(focus()[-len(order):] == order, f"Tab order {focus()}")

        # Toggling a check box through its action changes it as a click does.
        checked = lambda: [e["detail"] for e in reader.events("checked", "check box",
                                                                  "Always On Top")]
        before = len(checked())
        reader.run("do", "check box", "Always On Top", "Toggle")
        wait_until(lambda: len(checked()) > before, 10, "the check box's state change")
        expect(checked()[before:] == [0], f"checked events {checked()[before:]}")
        after = summary(reader.window("dialog", "Voltline Configuration"))
        expect(("check box", "Always On Top", ["enabled", "focusable"], "Alt+A") in after,
               "the tree still reads it checked")
        reader.run("do", "push button", "Ok", "Press")
        wait_gone(desk, bar, "Voltline Configuration")
        wait_until(lambda: read_store(desk).get("AlwaysOnTop") == 0, 5, "the store")

        press(desk, bar.window(), "ctrl+x")
        expect(bar.wait_exit() == 0, "exit code not 0")
        bar.check_output()


def window_of(desk, bar):
    return wait_window_named(desk, bar, "Voltline Configuration")


TESTS = {f.__name__: f for f in (screen_reader_reads_strip_and_configuration,)}

if __name__ == "__main__":
    harness.main(TESTS)
