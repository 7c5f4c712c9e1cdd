"""Runs Voltline as a user meets it, on a private virtual desktop.

Reusable by every system test (python3, standard library only):

    import harness
    with harness.Desktop() as desk:                  # Xvfb 1280x800x24 + openbox + trayer
        battery = harness.FakePowerSupply(desk.tmp)  # a fake /sys/class/power_supply
        battery.set(percent=57, status="Discharging", ac_online=False)
        bar = desk.start(binary, battery)            # voltline sees the fake folder only
        win = bar.wait_window()                      # X id of the strip
        desk.geometry(win)                           # (x, y, w, h) from xwininfo
        desk.xdotool("key", "--window", win, "ctrl+x")
        bar.wait_exit()
        bar.check_output()                           # fails on unexpected warnings

Desktop(wm=False) runs without a window manager, Desktop(tray=False) without a tray host;
Desktop(monitors=[(x, y, w, h), ...]) splits the X screen into monitors, the primary first.
Desktop(session="xfce") runs xfwm4 with xfce4-panel instead of openbox with trayer, and
Desktop(session="kwin") KWin (without compositing, four desktops) with trayer; without the
argument VOLTLINE_SESSION chooses (default "openbox"). desk.tray_items(pid) and
desk.tray_icon_point(pid) find the program's tray icon in each.
desk.start_logind("accept" or "silent") puts a fake logind on a system bus of the desktop's
own and returns a function listing its PowerOff calls; without it the system bus points
nowhere.
desk.start_accessibility() runs the accessibility bus (at-spi2-core) on the desktop's session
bus and has Qt speak to it; atspi_reader.py then reads the program as a screen reader does.
Every Desktop has its own XDG_RUNTIME_DIR (0700), a private D-Bus session bus, and
XDG_CONFIG_HOME / XDG_CONFIG_DIRS in its temporary folder (desk.config_home,
desk.config_dirs); nothing is written outside it. The tray host is trayer: it embeds Qt's tray
icon, which desk.tray_icons() finds. xfce4-panel hosts StatusNotifierItems (on the session
bus) and draws their icons and menus itself.

The program is started in a private mount namespace with the fake folder bound over
/sys/class/power_supply (needs unshare and root). A user with sudo that asks no password gets
the namespace and the mount through sudo, and the program then runs as that user again.
Where neither is possible, Skip is raised and the test runner turns it into exit code 77
(ctest SKIP_RETURN_CODE). All waits poll with a
deadline; nothing sleeps a fixed time to hope for the best.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77


class Skip(Exception):
    pass


class Failure(AssertionError):
    pass


# The limits in the tests are what a quiet machine needs; every wait allows this many times as
# long, so a machine busy with a build passes as well (a failure only takes longer to report).
SLACK = float(os.environ.get("VOLTLINE_WAIT_SLACK", "4"))


def wait_until(predicate, timeout=10.0, what="condition", interval=0.05):
    """Polls predicate until it returns a true value; returns that value or raises Failure."""
    timeout *= SLACK
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = predicate()
            if value:
                return value
        except (subprocess.CalledProcessError, ValueError) as e:
            last_error = e
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout}s waiting for {what}"
                          + (f" (last error: {last_error})" if last_error else ""))
        time.sleep(interval)


class FakePowerSupply:
    """A power-supply folder like the kernel's: one battery BAT0 and one mains adapter AC."""

    def __init__(self, base):
        self.root = os.path.join(base, "power_supply")
        os.makedirs(os.path.join(self.root, "BAT0"), exist_ok=True)
        os.makedirs(os.path.join(self.root, "AC"), exist_ok=True)
        self._write("AC/type", "Mains")
        self._write("BAT0/type", "Battery")
        self._write("BAT0/present", "1")
        self._write("BAT0/scope", "System")
        self.set(percent=80, status="Discharging", ac_online=False)

    def _write(self, name, value):
        path = os.path.join(self.root, name)
        tmp = path + ".tmp"
        with open(tmp, "w") as f:
            f.write(f"{value}\n")
        os.replace(tmp, path)  # the program never sees half a file

    def set(self, percent, status, ac_online):
        self._write("BAT0/capacity", str(percent))
        self._write("BAT0/status", status)
        self._write("AC/online", "1" if ac_online else "0")


def namespace_prefix():
    """How to reach root for the mount namespace: [] as root, sudo's argv for a user whose
    sudo asks no password; Skip otherwise."""
    if not shutil.which("unshare"):
        raise Skip("binding a fake /sys/class/power_supply needs unshare")
    if os.geteuid() == 0:
        return []
    sudo = shutil.which("sudo")
    if sudo and subprocess.run([sudo, "-n", "true"], capture_output=True,
                               stdin=subprocess.DEVNULL).returncode == 0:
        return [sudo, "-n"]
    raise Skip("binding a fake /sys/class/power_supply needs root, or sudo without a password")


class Process:
    def __init__(self, desk, argv, log_name, pid_file=None):
        self.desk = desk
        self.pid_file = pid_file
        self.log_path = os.path.join(desk.tmp, log_name)
        self.log = open(self.log_path, "w")
        self.proc = subprocess.Popen(argv, env=desk.env, stdout=self.log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                     start_new_session=True)

    @property
    def pid(self):
        # Through sudo the program is a child of sudo; it names its own pid before it starts.
        if self.pid_file is None:
            return self.proc.pid
        def read():
            with open(self.pid_file) as f:
                text = f.read().strip()
            return int(text) if text else None
        return wait_until(lambda: os.path.exists(self.pid_file) and read(), 15,
                          "the program's pid")

    def alive(self):
        return self.proc.poll() is None

    def stop(self):
        if self.alive():
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
                if self.pid_file and os.path.exists(self.pid_file):
                    try:  # sudo killed outright passes nothing on
                        os.kill(self.pid, signal.SIGKILL)
                    except (ProcessLookupError, PermissionError, Failure):
                        pass
        self.log.close()

    def output(self):
        self.log.flush()
        with open(self.log_path, errors="replace") as f:
            return f.read()


class Voltline(Process):
    # Output that is not the program's fault: the virtual desktop's own chatter.
    HARMLESS = [
        r"^QStandardPaths: ",
        r"^\s*$",
    ]

    def wait_window(self, timeout=15.0):
        """The X id of the visible strip window (a new one after a style change)."""
        return wait_until(lambda: self.window(), timeout, "the bar window")

    def window(self):
        for wid in self.desk.search("--onlyvisible", "--pid", str(self.pid)):
            name = self.desk.window_name(wid)
            if name == "Voltline 1.10" or name.endswith(" : Voltline"):
                return wid
        return None

    def title(self):
        wid = self.window()
        return self.desk.window_name(wid) if wid else None

    def wait_exit(self, timeout=15.0):
        wait_until(lambda: not self.alive(), timeout, "the program to end")
        return self.proc.returncode

    def check_output(self, allowed=()):
        bad = []
        for line in self.output().splitlines():
            if any(re.search(p, line) for p in list(self.HARMLESS) + list(allowed)):
                continue
            bad.append(line)
        if bad:
            raise Failure("unexpected output from the program:\n" + "\n".join(bad))


class Desktop:
    # The window manager and the panel with the notification area.
    SESSIONS = {"openbox": ("openbox", "trayer"), "xfce": ("xfwm4", "xfce4-panel"),
                "kwin": ("kwin_x11", "trayer")}

    def __init__(self, width=1280, height=800, wm=True, tray=True, monitors=(), session=None):
        self.width, self.height = width, height
        self.want_wm, self.want_tray = wm, tray
        self.session = session or os.environ.get("VOLTLINE_SESSION") or "openbox"
        if self.session not in self.SESSIONS:
            raise Failure(f"unknown session {self.session!r}")
        # (x, y, width, height) of each monitor on the one X screen, the primary first
        self.monitors = list(monitors)
        self.procs = []

    # --- set-up ---------------------------------------------------------------------------
    def __enter__(self):
        tools = ["Xvfb", "xdotool", "xwininfo", "xprop", "dbus-daemon"]
        wm, panel = self.SESSIONS[self.session]
        tools += [wm] if self.want_wm else []
        tools += [panel] if self.want_tray else []
        if self.session == "xfce":
            tools += ["gdbus", "import"]
        if self.monitors:
            tools.append("xrandr")
        for tool in tools:
            if not shutil.which(tool):
                raise Skip(f"{tool} is not installed")
        self.tmp = tempfile.mkdtemp(prefix="voltline-systest-")
        runtime = os.path.join(self.tmp, "runtime")
        os.mkdir(runtime, 0o700)
        self.config_home = os.path.join(self.tmp, "config")
        self.config_dirs = os.path.join(self.tmp, "xdg")
        os.makedirs(os.path.join(self.config_dirs, "autostart"))
        os.makedirs(self.config_home)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                            "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER")}
        env.update(XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=self.config_home,
                   XDG_CONFIG_DIRS=self.config_dirs, HOME=self.tmp,
                   # no real logind: the system bus points nowhere
                   DBUS_SYSTEM_BUS_ADDRESS="unix:path=" + os.path.join(self.tmp, "no-system-bus"))
        self.env = env
        try:
            self._start_x()
            self._start_dbus()
            if self.want_wm:
                self._start_wm()
            if self.monitors:
                self._set_monitors()
            if self.want_tray:
                self._start_tray()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start_x(self):
        r, w = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{self.width}x{self.height}x24",
             "-nolisten", "tcp", "-noreset"], pass_fds=(w,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(w)
        self.procs.append(xvfb)
        number = b""
        deadline = time.monotonic() + 15 * SLACK
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or xvfb.poll() is not None:
                raise Skip("Xvfb did not start")
            chunk = os.read(r, 16)
            if not chunk:
                break
            number += chunk
        os.close(r)
        self.env["DISPLAY"] = ":" + number.decode().strip()

    def _start_dbus(self):
        out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], env=self.env, capture_output=True, text=True,
                             check=True).stdout.split()
        self.env["DBUS_SESSION_BUS_ADDRESS"] = out[0]
        self.dbus_pid = int(out[1])

    def _spawn(self, argv, extra_env=None):
        p = subprocess.Popen(argv, env=dict(self.env, **(extra_env or {})),
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             start_new_session=True)
        self.procs.append(p)
        return p

    def _start_wm(self):
        if self.session == "xfce":
            # Without a compositor, as on most Xfce laptops and on a virtual display.
            self._spawn(["xfwm4", "--compositor=off", "--sm-client-disable"])
        elif self.session == "kwin":
            # KWin starts with one desktop; a user of several desktops has set more.
            with open(os.path.join(self.config_home, "kwinrc"), "w") as f:
                f.write("[Desktops]\nNumber=4\nRows=1\n")
            self._spawn(["kwin_x11"], {"KWIN_COMPOSE": "N"})
            wait_until(lambda: self.xprop_root("_NET_NUMBER_OF_DESKTOPS").rstrip()
                       .endswith("= 4"), 30, "kwin_x11")
        else:
            self._spawn(["openbox", "--sm-disable"])
        wait_until(lambda: "_NET_SUPPORTING_WM_CHECK" in self.xprop_root(), 15,
                   self.SESSIONS[self.session][0])

    def _set_monitors(self):
        # Xvfb forgets the monitors when its last client leaves: the window manager is one.
        if not self.want_wm:
            raise Failure("monitors need the window manager to hold the X server")
        for i, (x, y, w, h) in enumerate(self.monitors):
            # the primary takes the X output, so no monitor of the whole screen remains
            name, output = ("*P", "screen") if i == 0 else (f"M{i}", "none")
            self.run("xrandr", "--setmonitor", name, f"{w}/{w // 4}x{h}/{h // 4}+{x}+{y}",
                     output)
        wait_until(lambda: f"Monitors: {len(self.monitors)}" in
                   self.run("xrandr", "--listmonitors"), 10, "the monitors")

    def start_tray(self):
        """Starts the tray host late, as a panel that comes up after the program."""
        self._start_tray()

    def _start_tray(self):
        if self.session == "xfce":
            self._start_xfce_panel()
            return
        self._spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                     "--height", "24", "--SetDockType", "true", "--SetPartialStrut", "true",
                     "--transparent", "false", "--tint", "0x808080", "--expand", "true"])
        wait_until(lambda: "_NET_SYSTEM_TRAY_S0" in self.run("xprop", "-root") or
                   self.selection_owned("_NET_SYSTEM_TRAY_S0"), 15, "trayer")

    def _start_xfce_panel(self):
        # The layout a new user gets; without it the panel asks which one to use.
        channels = os.path.join(self.config_home, "xfce4", "xfconf", "xfce-perchannel-xml")
        os.makedirs(channels, exist_ok=True)
        shutil.copy("/etc/xdg/xfce4/panel/default.xml",
                    os.path.join(channels, "xfce4-panel.xml"))
        self._spawn(["xfce4-panel", "--sm-client-disable"])
        wait_until(lambda: self.session_bus("org.kde.StatusNotifierWatcher",
                                            "/StatusNotifierWatcher",
                                            "org.freedesktop.DBus.Properties.Get",
                                            "org.kde.StatusNotifierWatcher",
                                            "IsStatusNotifierHostRegistered") == "(<true>,)",
                   15, "xfce4-panel's notification area")

    def session_bus(self, dest, path, method, *args):
        """One method call on the desktop's session bus, its reply as gdbus prints it."""
        return self.run("gdbus", "call", "--session", "--dest", dest, "--object-path", path,
                        "--method", method, *args).strip()

    def selection_owned(self, name):
        return bool(self.search("--classname", "trayer"))

    def __exit__(self, *exc):
        for p in reversed(self.procs):
            if isinstance(p, Process):
                p.stop()
            elif p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        for pid in (getattr(self, "dbus_pid", None), getattr(self, "system_bus_pid", None)):
            if pid:
                try:
                    os.kill(pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        if os.environ.get("VOLTLINE_KEEP_TMP"):
            print("kept", self.tmp)
        else:
            shutil.rmtree(self.tmp, ignore_errors=True)
        return False

    def start_logind(self, mode="accept"):
        """A fake logind on a system bus of this desktop's own (see fake_logind.py); returns
        a function that lists the PowerOff calls so far (True: interactive)."""
        python = "/usr/bin/python3"
        try:
            subprocess.run([python, "-c", "import dbus, gi"], check=True, capture_output=True)
        except (OSError, subprocess.CalledProcessError):
            raise Skip("python3-dbus and python3-gi are not installed")
        out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], env=self.env, capture_output=True, text=True,
                             check=True).stdout.split()
        self.system_bus_pid = int(out[1])
        calls = os.path.join(self.tmp, "poweroff-calls")
        self._spawn([python, os.path.join(os.path.dirname(__file__), "fake_logind.py"), out[0],
                     calls, mode])
        wait_until(lambda: os.path.exists(calls), 20, "the fake logind")
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = out[0]

        def power_off_calls():
            with open(calls) as f:
                return [line.strip() == "1" for line in f if line.strip()]
        return power_off_calls

    def start_accessibility(self):
        """The accessibility bus on this desktop's session bus, and Qt told to use it even
        without a screen reader running; programs started afterwards speak to it."""
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if not os.path.exists(launcher):
            raise Skip("at-spi2-core is not installed")
        try:
            subprocess.run(["/usr/bin/python3", "-c", "import pyatspi"], check=True,
                           capture_output=True)
        except (OSError, subprocess.CalledProcessError):
            raise Skip("python3-pyatspi is not installed")
        self._spawn([launcher, "--launch-immediately"])
        wait_until(lambda: "org.a11y.Bus" in self.run(
            "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
            "/org/freedesktop/DBus", "org.freedesktop.DBus.ListNames"), 10,
            "the accessibility bus")
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

    # --- the program ----------------------------------------------------------------------
    def start(self, binary, power=None, log_name="voltline.log", extra_env=None):
        """Starts binary; with power (FakePowerSupply) it sees that folder as the kernel's."""
        if extra_env:
            self.env.update(extra_env)
        pid_file = None
        if power is None:
            argv = [binary]
        else:
            prefix = namespace_prefix()
            probe = subprocess.run(prefix + ["unshare", "-m", "--propagation", "private", "true"],
                                   capture_output=True, stdin=subprocess.DEVNULL)
            if probe.returncode != 0:
                raise Skip("no private mount namespace here: " + probe.stderr.decode().strip())
            if not prefix:
                argv = ["unshare", "-m", "--propagation", "private", "sh", "-c",
                        'mount --bind "$1" /sys/class/power_supply && exec "$2"', "sh",
                        power.root, binary]
            else:
                # sudo clears the environment and runs as root: the program gets this user's
                # ids and groups back, and exactly the desktop's environment.
                pid_file = os.path.join(self.tmp, f"{log_name}.pid")
                user = [f"--reuid={os.getuid()}", f"--regid={os.getgid()}", "--init-groups"]
                environment = [f"{k}={v}" for k, v in self.env.items()]
                argv = prefix + [
                    "unshare", "-m", "--propagation", "private", "sh", "-c",
                    'mount --bind "$1" /sys/class/power_supply && echo $$ > "$2" && shift 2 &&'
                    ' exec "$@"', "sh", power.root, pid_file,
                    "setpriv", *user, "env", "-i", *environment, binary]
        p = Voltline(self, argv, log_name, pid_file)
        self.procs.append(p)
        return p

    # --- X tools --------------------------------------------------------------------------
    def run(self, *argv, check=True):
        return subprocess.run(list(argv), env=self.env, capture_output=True, text=True,
                              check=check, timeout=20).stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def search(self, *args):
        out = self.run("xdotool", "search", *args, check=False)
        return [line.strip() for line in out.splitlines() if line.strip()]

    def move_pointer(self, x, y):
        """Moves the pointer and waits until it is there (--sync alone hangs on a no-op)."""
        here = self.run("xdotool", "getmouselocation", "--shell")
        if f"X={x}\n" in here and f"Y={y}\n" in here:
            return
        self.xdotool("mousemove", "--sync", x, y)

    def window_name(self, wid):
        return self.run("xdotool", "getwindowname", wid, check=False).rstrip("\n")

    def geometry(self, wid):
        """(x, y, width, height) of a window, absolute, from xwininfo."""
        out = self.run("xwininfo", "-id", wid)
        val = {k: int(re.search(rf"{k}:\s+(-?\d+)", out).group(1))
               for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")}
        return (val["Absolute upper-left X"], val["Absolute upper-left Y"], val["Width"],
                val["Height"])

    def xprop(self, wid, *names):
        return self.run("xprop", "-id", wid, *names, check=False)

    def xprop_root(self, *names):
        return self.run("xprop", "-root", *names, check=False)

    def net_wm_state(self, wid):
        return self.xprop(wid, "_NET_WM_STATE")

    def tray_icons(self, pid):
        """Qt's tray icon windows of process pid that trayer has embedded."""
        icons = []
        for wid in self.search("--onlyvisible", "--pid", str(pid)):
            if "_XEMBED_INFO" in self.xprop(wid, "_XEMBED_INFO"):
                icons.append(wid)
        return icons

    def status_notifier_items(self, pid):
        """(bus name, path) of the StatusNotifierItems that process pid registered."""
        reply = self.session_bus("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                 "org.freedesktop.DBus.Properties.Get",
                                 "org.kde.StatusNotifierWatcher",
                                 "RegisteredStatusNotifierItems")
        items = []
        for item in re.findall(r"'([^']+)'", reply):
            name, _, path = item.partition("/")
            owner = self.session_bus("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus.GetConnectionUnixProcessID", name)
            if owner == f"(uint32 {pid},)":
                items.append((name, "/" + path))
        return items

    def tray_items(self, pid):
        """The tray icons of process pid: embedded icon windows (Qt marks its other windows
        for embedding too, but they are larger), or StatusNotifierItems."""
        if self.session == "xfce":
            return self.status_notifier_items(pid)
        return [w for w in self.tray_icons(pid) if self.geometry(w)[2] <= 64]

    def tray_icon_point(self, pid):
        """Where a click on the tray icon of process pid lands, in root coordinates."""
        if self.session != "xfce":
            x, y, w, h = self.geometry(self.tray_items(pid)[0])
            return x + w // 2, y + h // 2
        # xfce4-panel draws the icon itself, right of everything else in the top panel that
        # has colour (the menu's logo, window buttons, the pager's miniatures).
        def drawn():
            top = int(self.xprop_root("_NET_WORKAREA").split("=")[1].split(",")[1])
            out = self.run("import", "-window", "root", "-crop", f"{self.width}x{top}+0+0",
                           "-depth", "8", "txt:-")
            coloured = []
            for m in re.finditer(r"^(\d+),(\d+): \((\d+),(\d+),(\d+)", out, re.M):
                x, y, r, g, b = (int(v) for v in m.groups())
                if max(r, g, b) - min(r, g, b) > 80:
                    coloured.append((x, y))
            if not coloured:
                return None
            right = max(x for x, _ in coloured)
            icon = [(x, y) for x, y in coloured if x > right - 24]
            return (sum(x for x, _ in icon) // len(icon), sum(y for _, y in icon) // len(icon))
        return wait_until(drawn, 5, "the tray icon drawn in the panel")

    def popup_menus(self, pid):
        """Visible override-redirect windows of process pid larger than an icon (menus)."""
        menus = []
        for wid in self.search("--onlyvisible", "--pid", str(pid)):
            info = self.run("xwininfo", "-id", wid, check=False)
            if "Override Redirect State: yes" in info and self.geometry(wid)[3] > 40:
                menus.append(wid)
        return menus

    def screenshot(self, path, wid="root"):
        self.run("import", "-window", wid, path)
        return path

    def pixel(self, wid, x, y):
        """(r, g, b) of one pixel of a window."""
        out = self.run("import", "-window", wid, "-crop", f"1x1+{x}+{y}", "txt:-")
        m = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
        return tuple(int(v) for v in m.groups())


def main(tests):
    """Runs the named test function (argv[1]) or all; exit 0 pass, 1 fail, 77 skipped."""
    names = sys.argv[1:] or list(tests)
    failed = 0
    for name in names:
        try:
            tests[name]()
            print(f"PASS {name}")
        except Skip as e:
            print(f"SKIP {name}: {e}")
            if len(names) == 1:
                sys.exit(SKIP)
        except Exception as e:  # noqa: BLE001 - report every failure the same way
            failed += 1
            print(f"FAIL {name}: {e}")
    sys.exit(1 if failed else 0)
