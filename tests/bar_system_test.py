"""System tests of the bar: the real voltline binary on a virtual desktop (see harness.py).

Usage: bar_system_test.py [TEST_NAME ...]; VOLTLINE_BIN and VOLTLINE_LAYOUT_PROBE name the
program and the layout probe (ctest sets both).
"""

import os
import re
import signal
import subprocess

import harness
from harness import Failure, wait_until

BIN = os.environ.get("VOLTLINE_BIN", "build/app/voltline")
DEMO = os.environ.get("VOLTLINE_DEMO_BIN", "build/app/voltline-demo")
PROBE = os.environ.get("VOLTLINE_LAYOUT_PROBE", "build/tests/layout_probe")
SNI_WATCHER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sni_watcher.py")
CONFIG_KEY = r"[HKEY_CURRENT_USER\Software\Quorvex\Voltline\Configuration]"


def expect(cond, message):
    if not cond:
        raise Failure(message)


def store_path(desk):
    return os.path.join(desk.config_home, "voltline", "user.reg")


def write_store(desk, **values):
    """A store with the given Configuration dwords (Left, Top, Height, ShowInSysTray, ...)."""
    os.makedirs(os.path.dirname(store_path(desk)), exist_ok=True)
    lines = ["Windows Registry Editor Version 5.00", "", CONFIG_KEY]
    lines += [f'"{k}"=dword:{v & 0xffffffff:08x}' for k, v in values.items()]
    with open(store_path(desk), "w") as f:
        f.write("\n".join(lines) + "\n")


def read_store(desk):
    values = {}
    if not os.path.exists(store_path(desk)):
        return values
    with open(store_path(desk)) as f:
        for line in f:
            m = re.match(r'"(\w+)"=dword:([0-9a-fA-F]{8})', line.strip())
            if m:
                v = int(m.group(2), 16)
                values[m.group(1)] = v - (1 << 32) if v >= 1 << 31 else v
    return values


def layout_width(desk, height):
    out = desk.run(PROBE, str(height))
    return int(out.split()[1])


def start(desk, percent=57, status="Discharging", ac=False, **store):
    battery = harness.FakePowerSupply(desk.tmp)
    battery.set(percent, status, ac)
    if store:
        write_store(desk, **store)
    bar = desk.start(BIN, battery)
    return bar, battery, bar.wait_window()


def bar_icons(desk, bar):
    """Tray icons of the program, as the session's tray hosts them."""
    return desk.tray_items(bar.pid)


def press_until(desk, bar, wid, keys, done, what, tries=3):
    """Gives the bar the focus and presses keys until done() holds. A busy desktop can swallow
    a key while the focus moves; a press is repeated only when nothing at all has happened."""
    for attempt in range(tries):
        desk.xdotool("windowactivate", "--sync", wid)
        desk.xdotool("key", "--clearmodifiers", keys)
        try:
            return wait_until(done, 4 if attempt < tries - 1 else 10, what)
        except Failure:
            if attempt == tries - 1:
                raise
        wid = bar.window() or wid
    return None


def exit_by_menu_key(desk, bar, wid):
    press_until(desk, bar, wid, "ctrl+x", lambda: not bar.alive(), "the program to end")
    expect(bar.wait_exit() == 0, "exit code not 0")


# --- tests -------------------------------------------------------------------------------

def geometry_and_title():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, Left=300, Top=200, Height=30, Snap=0)
        x, y, w, h = desk.geometry(wid)
        expect((x, y, h) == (300, 200, 30), f"geometry {x},{y} h{h}, want 300,200 h30")
        expect(w == layout_width(desk, 30), f"width {w}, layout says {layout_width(desk, 30)}")
        expect("0, 0, 0, 0" in desk.xprop(wid, "_NET_FRAME_EXTENTS"), "window has a frame")
        # on every virtual desktop, so switching keeps it in sight
        wait_until(lambda: "= 4294967295" in desk.xprop(wid, "_NET_WM_DESKTOP"), 5,
                   "the bar on all desktops")
        desk.xdotool("set_desktop", "1")
        wait_until(lambda: desk.xprop_root("_NET_CURRENT_DESKTOP").rstrip().endswith("= 1"), 5,
                   "the second desktop")
        expect(bar.window() == wid, "the bar vanished on the second desktop")
        title = wait_until(lambda: re.fullmatch(r"57%, (\d+):(\d\d):(\d\d) : Voltline",
                                                bar.title() or ""), 10, "the percent title")
        first = title.group(0)
        wait_until(lambda: bar.title() != first, 5, "the countdown to move")
        battery.set(100, "Full", True)
        wait_until(lambda: bar.title() == "100%, FULL : Voltline", 10, "the full title")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def close_writes_store_and_restart_restores():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, Left=500, Top=300, Height=24, Snap=0)
        desk.xdotool("windowmove", "--sync", wid, 610, 420)
        wait_until(lambda: desk.geometry(wid)[:2] == (610, 420), 5, "the move")
        exit_by_menu_key(desk, bar, wid)
        stored = read_store(desk)
        expect((stored.get("Left"), stored.get("Top"), stored.get("Height")) == (610, 420, 24),
               f"stored {stored}")
        bar.check_output()

        again = desk.start(BIN, battery, log_name="second.log")
        wid = again.wait_window()
        x, y, w, h = desk.geometry(wid)
        expect((x, y, h) == (610, 420, 24), f"restart at {x},{y} h{h}")
        exit_by_menu_key(desk, again, wid)
        again.check_output()


def tray_icon_follows_state():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, percent=80, status="Discharging", ac=False)
        icon = wait_until(lambda: bar_icons(desk, bar), 10, "the tray icon")
        expect(len(icon) == 1, f"{len(icon)} tray icons")
        icon = icon[0]

        def colours():
            path = desk.screenshot(os.path.join(desk.tmp, "icon.png"), icon)
            out = desk.run("convert", path, "-depth", "8", "txt:-")
            blue = green = red = 0
            for m in re.finditer(r"\((\d+),(\d+),(\d+)", out):
                r, g, b = (int(v) for v in m.groups())
                blue += b > 150 and r < 120 and g < 150
                green += g > 120 and r < 90 and b < 90
                red += r > 150 and g < 90 and b < 90
            return blue, green, red

        wait_until(lambda: colours()[0] > 5, 10, "a blue battery in the tray")
        battery.set(60, "Charging", True)
        wait_until(lambda: colours()[1] > 5 and colours()[0] < 3, 10, "the green bolt")
        battery.set(10, "Discharging", False)
        wait_until(lambda: colours()[2] > 2, 10, "the red warning battery")
        expect(len(bar_icons(desk, bar)) == 1, "more than one tray icon")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def hidden_ticks(desk, wid, count, what):
    """Waits until the title of the unmapped bar wid has changed count times."""
    for i in range(count):
        before = desk.window_name(wid)
        wait_until(lambda: desk.window_name(wid) != before, 10, f"tick {i + 1} of {count} {what}")


def tray_clicks():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk)
        wait_until(lambda: bar_icons(desk, bar), 10, "the tray icon")
        press_until(desk, bar, wid, "ctrl+m", lambda: bar.window() is None, "the bar to hide")
        desk.move_pointer(*desk.tray_icon_point(bar.pid))
        # a click is the release: a button held down on the icon does nothing yet
        desk.xdotool("mousedown", "1")
        hidden_ticks(desk, wid, 2, "with the left button held on the tray icon")
        expect(bar.window() is None, "pressing the tray icon brought the bar back")
        desk.xdotool("mouseup", "1")
        wid = wait_until(lambda: bar.window(), 5, "the bar back after a left click")
        if desk.session == "xfce":
            # the panel's tray plugin draws the bar's menu itself; its first entry is
            # "&Minimize"
            def plugin_menus():
                return [w for w in desk.search("--onlyvisible", "--classname", "wrapper-2.0")
                        if desk.geometry(w)[3] > 40]
            desk.xdotool("click", "3")
            menu = wait_until(plugin_menus, 5, "the panel's menu")[0]
            mx, my, mw, mh = desk.geometry(menu)
            desk.screenshot(os.path.join(desk.tmp, "tray-menu.png"))
            desk.move_pointer(mx + mw // 2, my + 14)
            desk.xdotool("click", "1")
            wait_until(lambda: bar.window() is None, 5, "the bar hidden from the tray menu")
            desk.move_pointer(*desk.tray_icon_point(bar.pid))
            desk.xdotool("click", "1")
            wid = wait_until(lambda: bar.window(), 5, "the bar back after a left click")
        else:
            desk.xdotool("mousedown", "3")
            wait_ticks(bar, 2, "with the right button held on the tray icon")
            expect(not desk.popup_menus(bar.pid), "pressing the tray icon opened the menu")
            desk.xdotool("mouseup", "3")
            menu = wait_until(lambda: desk.popup_menus(bar.pid), 5, "the menu on a right click")
            desk.screenshot(os.path.join(desk.tmp, "tray-menu.png"))
            desk.xdotool("key", "Escape")
            wait_until(lambda: not desk.popup_menus(bar.pid), 5, "the menu to close")
            expect(len(menu) == 1, "more than one menu")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def always_on_top_keeps_one_icon():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk)
        wait_until(lambda: bar_icons(desk, bar), 10, "the tray icon")
        expect("_NET_WM_STATE_ABOVE" in desk.net_wm_state(wid), "not on top at start")
        expect("SKIP_TASKBAR" in desk.net_wm_state(wid), "tray mode bar in the task list")
        for above in (False, True):
            def toggled():
                w = bar.window()
                return w and ("_NET_WM_STATE_ABOVE" in desk.net_wm_state(w)) == above and w
            wid = press_until(desk, bar, wid, "ctrl+a", toggled, f"stay-on-top {above}")
            wait_until(lambda: len(bar_icons(desk, bar)) == 1, 5, "exactly one tray icon")
            expect("SKIP_TASKBAR" in desk.net_wm_state(wid), "re-created bar in the task list")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def stays_in_sight():
    """On the current desktop and on every other one, above other windows, also after the
    window was made anew (Always On Top twice) and after a stay in the tray."""
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, Left=300, Top=200, Height=20, Snap=0)
        wait_until(lambda: bar_icons(desk, bar), 10, "the tray icon")

        def on_every_desktop(wid, when):
            wait_until(lambda: "= 4294967295" in desk.xprop(wid, "_NET_WM_DESKTOP"), 5,
                       f"the bar on all desktops {when}")
            for number in (2, 0):
                desk.xdotool("set_desktop", number)
                wait_until(lambda: desk.xprop_root("_NET_CURRENT_DESKTOP").rstrip()
                           .endswith(f"= {number}"), 5, f"desktop {number}")
                wait_until(lambda: bar.window() == wid, 5,
                           f"the bar in sight on desktop {number} {when}")

        def above(cover, wid, when):
            desk.xdotool("windowactivate", "--sync", cover)

            def stacking():
                ids = [int(w, 16) for w in re.findall(r"0x[0-9a-f]+",
                                                      desk.xprop_root("_NET_CLIENT_LIST_STACKING"))]
                return int(wid) in ids and int(cover) in ids and \
                    ids.index(int(wid)) > ids.index(int(cover))
            wait_until(stacking, 5, f"the bar above an active window {when}")

        on_every_desktop(wid, "at start")
        desk._spawn(["xmessage", "-geometry", "500x300+200+100", "-name", "voltline-cover",
                     "a window over the bar"])
        cover = wait_until(lambda: desk.search("--onlyvisible", "--classname", "voltline-cover"),
                           10, "the covering window")[0]
        above(cover, wid, "at start")
        for i in range(2):  # the native window is made anew each time
            old = wid
            wid = press_until(desk, bar, wid, "ctrl+a", lambda: bar.window() not in (None, old)
                              and bar.window(), "the bar made anew")
        on_every_desktop(wid, "after Always On Top twice")
        above(cover, wid, "after Always On Top twice")
        press_until(desk, bar, wid, "ctrl+m", lambda: bar.window() is None, "the bar to hide")
        desk.move_pointer(*desk.tray_icon_point(bar.pid))
        desk.xdotool("click", "1")
        wid = wait_until(lambda: bar.window(), 5, "the bar back from the tray")
        on_every_desktop(wid, "back from the tray")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def _drag(desk, start_xy, end_xy, steps=10, wid=None, expect_at=None):
    """Presses at start_xy, moves in steps to end_xy and lets go there. With wid, waits for
    the window to stop following before the release, as a hand would."""
    desk.move_pointer(*start_xy)
    desk.xdotool("mousedown", "1")
    for i in range(1, steps + 1):
        x = start_xy[0] + (end_xy[0] - start_xy[0]) * i // steps
        y = start_xy[1] + (end_xy[1] - start_xy[1]) * i // steps
        desk.move_pointer(x, y)
    # a window manager may hold back the last motion until the next one
    desk.move_pointer(end_xy[0] + 1, end_xy[1])
    desk.move_pointer(*end_xy)
    if wid and expect_at:
        # expect_at: the position, or a test of the geometry (x, y, width, height)
        ok = expect_at if callable(expect_at) else (lambda at: at[:2] == expect_at)
        wait_until(lambda: ok(desk.geometry(wid)), 5,
                   f"the window to follow the pointer to {expect_at}", interval=0.1)
    elif wid:
        seen = []

        def settled():
            seen.append(desk.geometry(wid))
            return len(seen) >= 3 and seen[-1] == seen[-2] == seen[-3]
        wait_until(settled, 3, "the window to follow the pointer", interval=0.1)
    desk.xdotool("mouseup", "1")


def drag_moves_and_snaps():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, Left=400, Top=300, Height=20, Snap=1)
        x, y, w, h = desk.geometry(wid)
        _drag(desk, (x + 30, y + 5), (x + 130, y + 105), wid=wid, expect_at=(x + 100, y + 100))
        wait_until(lambda: desk.geometry(wid)[:2] == (500, 400), 5,
                   f"the bar dragged to 500,400 (is {desk.geometry(wid)[:2]})")
        # let go 10 px from the left edge: it ends on the edge
        x, y, w, h = desk.geometry(wid)
        _drag(desk, (x + 30, y + 5), (30 + 10, y + 5), wid=wid,
              expect_at=lambda at: 0 <= at[0] <= 10 and at[1] == y)  # the pull may come early
        wait_until(lambda: desk.geometry(wid)[0] == 0, 3,
                   f"the bar on the left edge (is {desk.geometry(wid)[:2]})")
        exit_by_menu_key(desk, bar, wid)
        expect(read_store(desk).get("Left") == 0, "snapped position not stored")
        bar.check_output()


def wait_ticks(bar, count, what):
    """Waits until the title has changed count times: that many display ticks have run."""
    for i in range(count):
        before = bar.title()
        wait_until(lambda: bar.title() != before, 10, f"tick {i + 1} of {count} {what}")


def two_monitors_snap_on_the_strips_screen():
    # a 1920x1080 primary right of a 1366x768 laptop, its top 200 rows lower
    primary, laptop = (1366, 200, 1920, 1080), (0, 0, 1366, 768)
    with harness.Desktop(width=3286, height=1280, tray=False,
                         monitors=[primary, laptop]) as desk:
        bar, battery, wid = start(desk, Left=1766, Top=600, Height=20, Snap=1)
        w = desk.geometry(wid)[2]
        wait_ticks(bar, 3, "with the bar in the middle of the primary")
        expect(desk.geometry(wid)[:2] == (1766, 600),
               f"the bar left the middle of the primary (is {desk.geometry(wid)[:2]})")
        for to, want, where in [
                ((2000, 1252), (2000, 1260), "the primary's bottom edge"),
                ((1375, 600), (1366, 600), "the primary's left edge"),
                ((1366 - w - 6, 300), (1366 - w, 300), "the laptop's right edge"),
                ((400, 5), (400, 0), "the laptop's top edge")]:
            desk.xdotool("windowmove", "--sync", wid, *to)
            wait_until(lambda: desk.geometry(wid)[:2] == want, 10,
                       f"the bar on {where} at {want} (is {desk.geometry(wid)[:2]})")
        exit_by_menu_key(desk, bar, wid)
        expect((read_store(desk).get("Left"), read_store(desk).get("Top")) == (400, 0),
               "snapped position not stored")
        bar.check_output()


def second_start_shows_the_first():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk)
        wait_until(lambda: bar_icons(desk, bar), 10, "the tray icon")
        press_until(desk, bar, wid, "ctrl+m", lambda: bar.window() is None, "the bar to hide")
        second = desk.start(BIN, battery, log_name="second.log")
        expect(second.wait_exit() == 0, "the second start did not end with status 0")
        expect("already running" in second.output(), f"second start said: {second.output()!r}")
        wid = wait_until(lambda: bar.window(), 10, "the first bar shown by the second start")
        expect(len(bar_icons(desk, bar)) == 1, "not exactly one tray icon")
        # the demo keeps its own store and runs beside it
        demo = desk.start(DEMO, log_name="demo.log", extra_env={"TMPDIR": desk.tmp})
        demo.wait_window()
        expect(bar.alive() and demo.alive(), "the bar and the demo do not both run")
        # a crashed first bar blocks nothing
        os.kill(bar.pid, signal.SIGKILL)
        bar.wait_exit()
        third = desk.start(BIN, battery, log_name="third.log")
        exit_by_menu_key(desk, third, third.wait_window())
        exit_by_menu_key(desk, demo, demo.window())
        third.check_output()
        demo.check_output()


def help_viewer_gets_the_users_environment():
    with harness.Desktop() as desk:
        seen = os.path.join(desk.tmp, "opener-env")
        bindir = os.path.join(desk.tmp, "bin")
        os.mkdir(bindir)
        opener = os.path.join(bindir, "xdg-open")
        with open(opener, "w") as f:
            f.write(f'#!/bin/sh\nenv > "{seen}.tmp" && mv "{seen}.tmp" "{seen}"\n')
        os.chmod(opener, 0o755)
        help_page = os.path.join(desk.tmp, "help.html")
        open(help_page, "w").close()
        write_store(desk, Snap=0)
        with open(store_path(desk), "a") as f:
            f.write(f'"HelpPath"="{help_page}"\n')
        # a Wayland session with XWayland: the bar takes X11 and keeps that to itself
        battery = harness.FakePowerSupply(desk.tmp)
        bar = desk.start(BIN, battery, extra_env={
            "PATH": bindir + os.pathsep + os.environ.get("PATH", "/usr/bin:/bin"),
            "WAYLAND_DISPLAY": "wayland-voltline-test"})
        wid = bar.wait_window()
        press_until(desk, bar, wid, "ctrl+h", lambda: os.path.exists(seen), "the help viewer")
        with open(seen) as f:
            env = dict(line.split("=", 1) for line in f.read().splitlines() if "=" in line)
        expect("QT_QPA_PLATFORM" not in env and "QT_XCB_NO_MITSHM" not in env,
               "the bar's own platform choices reached the help viewer")
        expect(env.get("WAYLAND_DISPLAY") == "wayland-voltline-test", "the session lost Wayland")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def bevel_edges_at_fractional_scales():
    with harness.Desktop() as desk:
        battery = harness.FakePowerSupply(desk.tmp)
        for factor in ("1.25", "1.5", "2"):
            write_store(desk, Left=200, Top=200, Height=20, Snap=0)
            bar = desk.start(BIN, battery, log_name=f"scale-{factor}.log",
                             extra_env={"QT_SCALE_FACTOR": factor})
            wid = bar.wait_window()

            def edges():
                x, y, w, h = desk.geometry(wid)
                light = desk.pixel(wid, 0, h // 2), desk.pixel(wid, w // 2, 0)
                dark = (desk.pixel(wid, w - 1, h // 2), desk.pixel(wid, w // 2, h - 1),
                        desk.pixel(wid, w - 1, h - 1))
                return (len(set(light)) == 1 and len(set(dark)) == 1 and light[0] != dark[0],
                        light, dark)
            # raised: light left and top, dark right and bottom, up to the window's last pixel
            wait_until(lambda: edges()[0], 10,
                       f"the whole bevel at scale {factor} (light, dark: {edges()[1:]})")
            exit_by_menu_key(desk, bar, wid)
            bar.check_output()


def sni_property(desk, item, name):
    out = desk.run("gdbus", "call", "--session", "--dest", item[0], "--object-path", item[1],
                   "--method", "org.freedesktop.DBus.Properties.Get",
                   "org.kde.StatusNotifierItem", name)
    return out.strip()


def status_notifier_item_names_the_program():
    system_python = "/usr/bin/python3"
    if subprocess.run([system_python, "-c", "import dbus, gi"], capture_output=True).returncode:
        raise harness.Skip("the system's python has no dbus and gi modules")
    with harness.Desktop(tray=False) as desk:
        items = os.path.join(desk.tmp, "sni-items")
        desk._spawn([system_python, SNI_WATCHER, items])
        wait_until(lambda: os.path.exists(items), 10, "the StatusNotifierWatcher")
        # the package's icon, installed in the hicolor theme
        share = os.path.join(desk.tmp, "share")
        hicolor = os.path.join(share, "icons", "hicolor")
        os.makedirs(os.path.join(hicolor, "32x32", "apps"))
        with open(os.path.join(hicolor, "index.theme"), "w") as f:
            f.write("[Icon Theme]\nName=Hicolor\nDirectories=32x32/apps\n\n"
                    "[32x32/apps]\nSize=32\nContext=Applications\nType=Threshold\n")
        desk.run("convert", "-size", "32x32", "xc:blue",
                 os.path.join(hicolor, "32x32", "apps", "voltline.png"))
        # no mains entry and a battery of unknown state: the tray shows the application icon
        battery = harness.FakePowerSupply(desk.tmp)
        battery.set(50, "Unknown", False)
        os.remove(os.path.join(battery.root, "AC", "type"))
        bar = desk.start(BIN, battery, extra_env={"XDG_DATA_DIRS": share + ":/usr/share"})
        wid = bar.wait_window()
        item = wait_until(lambda: open(items).read().split(), 10, "the tray item")
        expect(sni_property(desk, item, "Title") == "(<'Voltline'>,)",
               f"title {sni_property(desk, item, 'Title')}")
        wait_until(lambda: sni_property(desk, item, "IconName") == "(<'voltline'>,)", 10,
                   f"the themed icon name (is {sni_property(desk, item, 'IconName')})")
        tip = sni_property(desk, item, "ToolTip")
        expect("'Voltline 1.09\\nLeft: Restore\\nRight: Menu'" in tip, f"tooltip {tip}")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def late_tray_is_joined():
    with harness.Desktop(tray=False) as desk:
        bar, battery, wid = start(desk)  # the stored choice is the tray, which is not there yet
        wait_until(lambda: "_NET_WM_ICON(CARDINAL)" in desk.xprop(wid, "_NET_WM_ICON"), 5,
                   "a task-list icon")
        expect("SKIP_TASKBAR" not in desk.net_wm_state(wid), "bar kept out of the task list")
        desk.start_tray()
        wait_until(lambda: len(bar_icons(desk, bar)) == 1, 10, "the bar's icon in the late tray")
        wait_until(lambda: "SKIP_TASKBAR" in desk.net_wm_state(wid), 5,
                   "the bar out of the task list")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def click_moves_nothing():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, Left=400, Top=300, Height=20, Snap=0)
        desk.move_pointer(430, 305)
        desk.xdotool("click", "1")  # press and release at once
        desk.move_pointer(700, 500)
        wait_ticks(bar, 2, "after the click")
        expect(desk.geometry(wid)[:2] == (400, 300),
               f"a click moved the bar (to {desk.geometry(wid)[:2]})")
        # the next key reaches the bar: once, as no move loop may swallow it
        desk.xdotool("windowactivate", "--sync", wid)
        desk.xdotool("key", "--clearmodifiers", "ctrl+x")
        expect(bar.wait_exit() == 0, "exit code not 0")
        bar.check_output()


def drag_bottom_edge_resizes():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, Left=400, Top=300, Height=20, Snap=0)
        x, y, w, h = desk.geometry(wid)
        _drag(desk, (x + 40, y + h - 2), (x + 40, y + h - 2 + 20), wid=wid,
              expect_at=lambda at: at[3] >= 30)
        # the window manager may end a few rows short of the pointer
        wait_until(lambda: 30 <= desk.geometry(wid)[3] <= 40, 5,
                   f"about 40 high (is {desk.geometry(wid)[2:]})")
        wait_until(lambda: desk.geometry(wid)[2] == layout_width(desk, desk.geometry(wid)[3]),
                   5, f"the width of the layout rule (is {desk.geometry(wid)[2:]})")
        x, y, w, h = desk.geometry(wid)
        _drag(desk, (x + 40, y + h - 2), (x + 40, y + h - 2 + 50), wid=wid,
              expect_at=lambda at: at[3] == 48)
        wait_until(lambda: desk.geometry(wid)[3] == 48, 5, "the height capped at 48")
        wait_until(lambda: desk.geometry(wid)[2] == layout_width(desk, 48), 5, "width at 48")
        exit_by_menu_key(desk, bar, wid)
        expect(read_store(desk).get("Height") == 48, "height not stored")
        bar.check_output()


def drag_without_window_manager():
    with harness.Desktop(wm=False, tray=False) as desk:
        bar, battery, wid = start(desk, Left=400, Top=300, Height=20, Snap=0)
        x, y, w, h = desk.geometry(wid)
        _drag(desk, (x + 30, y + 5), (x + 80, y + 65))
        wait_until(lambda: desk.geometry(wid)[:2] == (450, 360), 5,
                   f"the bar followed the mouse (is {desk.geometry(wid)[:2]})")
        x, y, w, h = desk.geometry(wid)
        _drag(desk, (x + 40, y + h - 1), (x + 40, y + h - 1 + 10))
        wait_until(lambda: desk.geometry(wid)[3] == 30, 5,
                   f"the bar 30 high (is {desk.geometry(wid)})")
        expect(desk.geometry(wid)[2] == layout_width(desk, 30), "width did not follow")
        # no tray host: the bar stays in the task list
        expect("SKIP_TASKBAR" not in desk.net_wm_state(wid), "bar left the task list")
        bar.proc.send_signal(signal.SIGTERM)
        expect(bar.wait_exit() == 0, "exit code not 0")
        bar.check_output()


def sigterm_saves_and_leaves_tray():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, Left=100, Top=100, Height=22, Snap=0)
        wait_until(lambda: bar_icons(desk, bar), 10, "the tray icon")
        os.remove(store_path(desk))
        # SIGTERM goes to the program itself (exec'd by the namespace shell)
        os.kill(bar.pid, signal.SIGTERM)
        expect(bar.wait_exit() == 0, "exit code not 0")
        stored = read_store(desk)
        expect(stored.get("Left") == 100 and stored.get("Height") == 22, f"stored {stored}")
        expect(not desk.search("--pid", str(bar.pid)), "windows left behind")
        bar.check_output()


def no_tray_host_keeps_task_list_entry():
    with harness.Desktop(tray=False) as desk:
        bar, battery, wid = start(desk)  # the stored choice is the tray, but there is none
        wait_until(lambda: "_NET_WM_ICON(CARDINAL)" in desk.xprop(wid, "_NET_WM_ICON"), 5,
                   "a task-list icon")
        expect("SKIP_TASKBAR" not in desk.net_wm_state(wid), "bar kept out of the task list")
        press_until(desk, bar, wid, "ctrl+m", lambda: "Iconic" in desk.xprop(wid, "WM_STATE"),
                    "the bar minimised")
        desk.xdotool("windowactivate", "--sync", wid)  # what the task list's button does
        wait_until(lambda: bar.window() == wid, 5, "the bar restored")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def minimise_and_restore_from_both_sides():
    """The desktop and the bar's own menu take turns: the bar must keep knowing its state."""
    with harness.Desktop(tray=False) as desk:
        bar, battery, wid = start(desk)

        def iconic():
            return "Iconic" in desk.xprop(wid, "WM_STATE")

        def restore():
            desk.xdotool("windowactivate", "--sync", wid)  # what the task list's button does
            wait_until(lambda: bar.window() == wid and not iconic(), 5, "the bar restored")

        desk.xdotool("windowminimize", "--sync", wid)  # the desktop minimises it
        wait_until(iconic, 5, "the bar minimised by the desktop")
        # the task-list button keeps following the countdown while minimised
        before = desk.window_name(wid)
        wait_until(lambda: desk.window_name(wid) != before, 5, "the title ticking while minimised")
        restore()
        for _ in range(2):  # a stale "minimised" would make the menu key do nothing
            press_until(desk, bar, wid, "ctrl+m", iconic, "the bar minimised by its menu")
            restore()
        expect(re.fullmatch(r"57%, \d+:\d\d:\d\d : Voltline", bar.title() or ""),
               f"title {bar.title()!r}")
        exit_by_menu_key(desk, bar, wid)
        bar.check_output()


def configuration_ok_writes_the_store():
    with harness.Desktop() as desk:
        bar, battery, wid = start(desk, Left=200, Top=150, Height=26, Snap=0, WarnPercent=30)
        wait_until(lambda: bar_icons(desk, bar), 10, "the tray icon")
        os.remove(store_path(desk))

        def dialog():
            for w in desk.search("--onlyvisible", "--pid", str(bar.pid)):
                if desk.window_name(w) == "Voltline Configuration":
                    return w
            return None
        press_until(desk, bar, wid, "ctrl+c", dialog, "the configuration dialog")
        before = bar.title()
        wait_until(lambda: bar.title() != before, 5, "the bar ticking behind the dialog")
        dlg = dialog()
        desk.xdotool("windowactivate", "--sync", dlg)
        desk.xdotool("key", "--clearmodifiers", "alt+o")
        wait_until(lambda: dialog() is None, 5, "the dialog to close on Ok")
        stored = wait_until(lambda: read_store(desk), 5, "the configuration in the store")
        expect({k: stored.get(k) for k in ("Left", "Top", "Height", "Snap", "ShowInSysTray")} ==
               {"Left": 200, "Top": 150, "Height": 26, "Snap": 0, "ShowInSysTray": 1},
               f"stored {stored}")
        expect("WarnPercent" not in stored, "Ok wrote more than the configuration")
        expect(len(bar_icons(desk, bar)) == 1, "not exactly one tray icon after Ok")
        exit_by_menu_key(desk, bar, wid)
        expect(read_store(desk).get("WarnPercent") == 30, "closing lost the warning level")
        bar.check_output()


def demo_runs_on_its_own_store():
    with harness.Desktop() as desk:
        bar = desk.start(DEMO, extra_env={"TMPDIR": desk.tmp})
        wid = bar.wait_window()
        def percent():
            m = re.match(r"(\d+)%, ", bar.title() or "")
            return int(m.group(1)) if m else None
        first = wait_until(percent, 10, "a percent in the title")
        wait_until(lambda: (percent() or first) < first, 15, "the demo draining")
        exit_by_menu_key(desk, bar, wid)
        demo_store = os.path.join(desk.tmp, f"voltline-demo-{os.getuid()}", "user.reg")
        expect(os.path.exists(demo_store), "the demo wrote no store of its own")
        expect(not os.path.exists(store_path(desk)), "the demo wrote the user's store")
        expect(not os.path.exists(os.path.join(desk.config_home, "autostart")) and
               not os.listdir(os.path.join(desk.config_dirs, "autostart")),
               "the demo registered itself to start at login")
        bar.check_output()


TESTS = {f.__name__: f for f in (
    geometry_and_title, close_writes_store_and_restart_restores, tray_icon_follows_state,
    tray_clicks, always_on_top_keeps_one_icon, drag_moves_and_snaps, drag_bottom_edge_resizes,
    drag_without_window_manager, sigterm_saves_and_leaves_tray, no_tray_host_keeps_task_list_entry,
    minimise_and_restore_from_both_sides, configuration_ok_writes_the_store,
    demo_runs_on_its_own_store, two_monitors_snap_on_the_strips_screen,
    second_start_shows_the_first, help_viewer_gets_the_users_environment,
    bevel_edges_at_fractional_scales, status_notifier_item_names_the_program,
    late_tray_is_joined, click_moves_nothing, stays_in_sight)}

if __name__ == "__main__":
    harness.main(TESTS)
