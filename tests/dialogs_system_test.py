"""System tests of the configuration dialog, the help windows and the about box: the real
voltline binary on a virtual desktop (see harness.py), driven with the keyboard and mouse.

Usage: dialogs_system_test.py [TEST_NAME ...]; VOLTLINE_BIN names the program (ctest sets it).
"""

import os

import harness
from bar_system_test import bar_icons, expect, read_store, store_path, write_store
from harness import wait_until

BIN = os.environ.get("VOLTLINE_BIN", "build/app/voltline")

# What the dialog shows and writes back, as the store keeps it.
CONFIG = dict(Snap=0, AlwaysOnTop=1, PopupBoxStatus=0, RunAtWindowsStartUp=0, ShowRaised=1,
              ShowInSysTray=1, WarnPercent=25, ShutdownPercent=10)

# Client positions inside the configuration dialog (its fixed layout).
SYS_TRAY_BOX = (10 + 16 + 5, 8 + 112 + 8)
LOWERED_RADIO = (8 + 16 + 5, 152 + 40 + 8)
LOWERED_DOT = (8 + 16 + 1 + 5, 152 + 40 + 3 + 5)
HELP_CLOSE = (120 + 40, 272 + 12)
ABOUT_OK = (111 + 37, 244 + 12)


def start(desk):
    write_store(desk, Left=300, Top=200, Height=24, **CONFIG)
    battery = harness.FakePowerSupply(desk.tmp)
    battery.set(57, "Discharging", False)
    bar = desk.start(BIN, battery)
    wid = bar.wait_window()
    wait_until(lambda: len(bar_icons(desk, bar)) == 1, 10, "the tray icon")
    return bar, wid


def window_named(desk, bar, name):
    found = desk.search("--all", "--onlyvisible", "--pid", str(bar.pid), "--name", f"^{name}$")
    return found[0] if found else None


def wait_window_named(desk, bar, name):
    return wait_until(lambda: window_named(desk, bar, name), 10, f'the window "{name}"')


def wait_gone(desk, bar, name):
    wait_until(lambda: not window_named(desk, bar, name), 10, f'"{name}" to close')


def frame(desk, wid):
    """(x, y, w, h) of a window with the window manager's frame."""
    x, y, w, h = desk.geometry(wid)
    ext = desk.xprop(wid, "_NET_FRAME_EXTENTS")
    left, right, top, bottom = ((int(v) for v in ext.split("=")[-1].split(","))
                                if "=" in ext else (0, 0, 0, 0))
    return x - left, y - top, w + left + right, h + top + bottom


def centred(desk, wid):
    x, y, w, h = frame(desk, wid)
    return (x, y) == (desk.width // 2 - w // 2, desk.height // 2 - h // 2)


def wait_centred(desk, wid, what):
    try:
        wait_until(lambda: centred(desk, wid), 5, what)
    except harness.Failure as e:
        raise harness.Failure(f"{e}; the frame is at {frame(desk, wid)}") from None


def press(desk, wid, *keys):
    desk.xdotool("windowactivate", "--sync", wid)
    for key in keys:
        desk.xdotool("key", "--clearmodifiers", key)


def click(desk, wid, xy):
    desk.xdotool("mousemove", "--window", wid, *xy)
    desk.xdotool("mousemove", "--window", wid, xy[0] + 1, xy[1])  # the hover step needs a move
    desk.xdotool("click", "1")


def open_configuration(desk, bar, wid):
    press(desk, wid, "ctrl+c")
    dlg = wait_window_named(desk, bar, "Voltline Configuration")
    # Centred once the window manager has framed it (and so no longer moving).
    wait_until(lambda: centred(desk, dlg), 5, f"the dialog centred (is {frame(desk, dlg)})")
    return dlg


def change_everything(desk, dlg):
    """Every option to its other state: accelerators, mouse clicks, Tab and arrow keys."""
    press(desk, dlg, "alt+s", "alt+a", "alt+p", "alt+r")
    click(desk, dlg, SYS_TRAY_BOX)
    click(desk, dlg, LOWERED_RADIO)
    # The click has landed when the dot shows; it also gave the radio button the focus.
    wait_until(lambda: max(desk.pixel(dlg, *LOWERED_DOT)) < 64, 5, "the lowered bevel's dot")
    # From the lowered radio button: Reset!, then the warning slider, then the shutdown slider.
    press(desk, dlg, "Tab", "Tab", "Right", "Right", "Right", "Right", "Right", "Tab", "Prior")


def bevel_pixel(desk, bar):
    return desk.pixel(bar.window(), 0, 0)


def snaps(desk, bar):
    """Moves the bar close to the left edge and reports whether it is pulled onto it within
    three ticks (seen as title changes), however slowly the machine runs."""
    wid = bar.window()
    desk.xdotool("windowmove", "--sync", wid, 6, 300)
    titles = []

    def pulled_or_ticked():
        if desk.geometry(bar.window())[0] == 0:
            return "pulled"
        title = bar.title()
        if not titles or titles[-1] != title:
            titles.append(title)
        return len(titles) > 3 and "ticked"
    return wait_until(pulled_or_ticked, 10, "the snap or three ticks") == "pulled"


def autostart_entry(desk):
    return os.path.exists(os.path.join(desk.config_home, "autostart", "voltline.desktop"))


def exit_bar(desk, bar):
    press(desk, bar.window(), "ctrl+x")
    expect(bar.wait_exit() == 0, "exit code not 0")
    bar.check_output()


# --- tests -------------------------------------------------------------------------------

def configuration_accepted_applies_everything():
    with harness.Desktop() as desk:
        bar, wid = start(desk)
        expect("_NET_WM_STATE_ABOVE" in desk.net_wm_state(wid), "not on top at start")
        raised = bevel_pixel(desk, bar)

        dlg = open_configuration(desk, bar, wid)
        change_everything(desk, dlg)
        press(desk, dlg, "alt+o")
        wait_gone(desk, bar, "Voltline Configuration")

        # OK stores the options at once; the two levels follow with the next full save (here
        # the close).
        want = dict(Snap=1, AlwaysOnTop=0, PopupBoxStatus=1, RunAtWindowsStartUp=1, ShowRaised=0,
                    ShowInSysTray=0, WarnPercent=25, ShutdownPercent=10)
        stored = lambda: {k: read_store(desk).get(k) for k in want}
        try:
            wait_until(lambda: stored() == want, 5, "the store")
        except harness.Failure:
            expect(False, f"stored {stored()}, want {want}")
        expect(autostart_entry(desk), "no autostart entry written")

        wid = bar.wait_window()
        wait_until(lambda: "_NET_WM_STATE_ABOVE" not in desk.net_wm_state(bar.window()), 5,
                   "the bar to leave the top")
        wait_until(lambda: not bar_icons(desk, bar), 5, "the tray icon to go")
        expect("SKIP_TASKBAR" not in desk.net_wm_state(bar.window()), "bar not in the task list")
        lowered = bevel_pixel(desk, bar)
        expect(lowered != raised, f"bevel corner still {raised}")
        expect(snaps(desk, bar), "snapping not switched on")
        exit_bar(desk, bar)
        stored = read_store(desk)
        expect((stored.get("WarnPercent"), stored.get("ShutdownPercent")) == (30, 20),
               f"levels stored at close: {stored}")


def configuration_cancelled_changes_nothing():
    with harness.Desktop() as desk:
        bar, wid = start(desk)
        raised = bevel_pixel(desk, bar)
        with open(store_path(desk)) as f:
            before = f.read()

        dlg = open_configuration(desk, bar, wid)
        change_everything(desk, dlg)
        press(desk, dlg, "alt+c")
        wait_gone(desk, bar, "Voltline Configuration")

        with open(store_path(desk)) as f:
            expect(f.read() == before, "store written after Cancel")
        expect(not autostart_entry(desk), "autostart entry written after Cancel")
        expect("_NET_WM_STATE_ABOVE" in desk.net_wm_state(bar.window()), "bar left the top")
        expect("SKIP_TASKBAR" in desk.net_wm_state(bar.window()), "bar in the task list")
        expect(len(bar_icons(desk, bar)) == 1, "tray icon changed")
        expect(bevel_pixel(desk, bar) == raised, "bevel changed")
        expect(not snaps(desk, bar), "snapping switched on by Cancel")
        exit_bar(desk, bar)


def configuration_help_beside_the_dialog():
    with harness.Desktop() as desk:
        bar, wid = start(desk)
        dlg = open_configuration(desk, bar, wid)
        press(desk, dlg, "alt+h")
        helpw = wait_window_named(desk, bar, "Voltline Configuration Help")
        dx, dy, dw, dh = frame(desk, dlg)
        hx, hy, hw, hh = frame(desk, helpw)
        expect((hx, hy) == (dx + dw, dy), f"help at {hx},{hy}, dialog {dx},{dy} w{dw}")
        expect(dx == desk.width // 2 - (dw + hw) // 2, f"pair not centred: dialog at {dx}")

        # Closing the help window (usable although the dialog is modal) re-centres the dialog.
        click(desk, helpw, HELP_CLOSE)
        wait_gone(desk, bar, "Voltline Configuration Help")
        wait_until(lambda: centred(desk, dlg), 5, "the dialog to centre again")

        press(desk, dlg, "alt+h")
        wait_window_named(desk, bar, "Voltline Configuration Help")
        press(desk, dlg, "alt+c")
        wait_gone(desk, bar, "Voltline Configuration")
        wait_gone(desk, bar, "Voltline Configuration Help")
        exit_bar(desk, bar)


def quick_help_and_about_from_the_menu_keys():
    with harness.Desktop() as desk:
        bar, wid = start(desk)
        press(desk, wid, "ctrl+q")
        quick = wait_window_named(desk, bar, "Voltline Quick Help")
        expect(desk.geometry(quick)[2:] == (337, 302), f"quick help {desk.geometry(quick)}")
        wait_centred(desk, quick, "the quick help centred")
        desk.xdotool("windowmove", "--sync", quick, 20, 40)
        press(desk, quick, "alt+c")
        wait_gone(desk, bar, "Voltline Quick Help")
        press(desk, bar.window(), "ctrl+q")
        quick = wait_window_named(desk, bar, "Voltline Quick Help")
        wait_centred(desk, quick, "the quick help centred again")
        press(desk, quick, "alt+c")
        wait_gone(desk, bar, "Voltline Quick Help")

        strip = bar.window()
        press(desk, strip, "ctrl+b")
        about = wait_until(lambda: [w for w in desk.search("--all", "--onlyvisible", "--pid",
                                                           str(bar.pid), "--name", "^Voltline 1.10$")
                                    if w != strip], 10, "the about box")[0]
        expect(desk.geometry(about)[2:] == (298, 274), f"about box {desk.geometry(about)}")
        click(desk, about, ABOUT_OK)
        wait_until(lambda: about not in desk.search("--onlyvisible", "--pid", str(bar.pid)), 10,
                   "the about box to close")
        exit_bar(desk, bar)


TESTS = {f.__name__: f for f in (
    configuration_accepted_applies_everything, configuration_cancelled_changes_nothing,
    configuration_help_beside_the_dialog, quick_help_and_about_from_the_menu_keys)}

if __name__ == "__main__":
    harness.main(TESTS)
