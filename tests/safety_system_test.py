"""System tests of what may switch a computer off: the real voltline binary on a virtual
desktop (see harness.py) with power-supply folders shaped like real machines and a fake logind.

Usage: safety_system_test.py [TEST_NAME ...]; VOLTLINE_BIN names the program (ctest sets it).
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import types

import harness
from bar_system_test import read_store, store_path, write_store
from harness import Failure, wait_until

BIN = os.environ.get("VOLTLINE_BIN", "build/app/voltline")


def expect(cond, message):
    if not cond:
        raise Failure(message)


class SupplyFolder:
    """/sys/class/power_supply as a kernel lays it out: entry -> {attribute: value}."""

    def __init__(self, base, entries):
        self.root = os.path.join(base, "power_supply")
        os.makedirs(self.root)
        for name, attributes in entries.items():
            self.put(name, attributes)

    def put(self, name, attributes):
        os.makedirs(os.path.join(self.root, name), exist_ok=True)
        for attribute, value in attributes.items():
            path = os.path.join(self.root, name, attribute)
            with open(path + ".tmp", "w") as f:
                f.write(f"{value}\n")
            os.replace(path + ".tmp", path)

    def remove(self, name):
        shutil.rmtree(os.path.join(self.root, name))


def battery(percent, status="Discharging"):
    return {"type": "Battery", "scope": "System", "present": 1, "status": status,
            "capacity": percent, "technology": "Li-ion", "manufacturer": "SMP"}


ADAPTER_OFFLINE = {"type": "Mains", "online": 0}
ADAPTER_ONLINE = {"type": "Mains", "online": 1}
STATS_KEY = r"[HKEY_CURRENT_USER\Software\Quorvex\Voltline\Stats]"


def seconds_pass(bar, count):
    """Waits until the strip's title has changed `count` times: the ticks really ran."""
    seen = [bar.title()]

    def changed():
        title = bar.title()
        if title and title != seen[-1]:
            seen.append(title)
        return len(seen) > count
    wait_until(changed, 10 + 3 * count, f"{count} ticks of the title")
    return seen[-1]


def start(desk, entries, stats=None, **store):
    folder = SupplyFolder(desk.tmp, entries)
    write_store(desk, WarnPercent=25, ShutdownPercent=10, Left=100, Top=100, **store)
    if stats:
        with open(store_path(desk), "a") as f:
            f.write("\n" + STATS_KEY + "\n")
            f.writelines(f'"{k}"=dword:{v:08x}\n' for k, v in stats.items())
    bar = desk.start(BIN, folder)
    bar.wait_window()
    return bar, folder


def no_battery_is_mains():
    """Desktops: an idle USB-C port, or an offline Mains entry beside an empty battery slot."""
    shapes = {
        "usb-c port only": {"ucsi-source-psy-USBC000:001":
                            {"type": "USB", "online": 0, "usb_type": "[C] PD PD_PPS"}},
        "offline mains, empty slot": {"AC": ADAPTER_OFFLINE,
                                      "BAT0": {"type": "Battery", "present": 0}},
    }
    for name, entries in shapes.items():
        with harness.Desktop() as desk:
            calls = desk.start_logind("accept")
            bar, _ = start(desk, entries)
            # On mains at "0 %" with a countdown to full; the old reading asked to power off
            # at the first tick.
            wait_until(lambda: (bar.title() or "").startswith("0%, "), 10, "the first tick")
            seconds_pass(bar, 2)
            expect(calls() == [], f"{name}: asked to power off {calls()}")
            expect("Error" not in bar.title(), f"{name}: title {bar.title()!r}")
            os.kill(bar.pid, signal.SIGTERM)
            expect(bar.wait_exit() == 0, f"{name}: exit code")
            bar.check_output()


def battery_away_for_a_moment_is_bridged():
    """At 57 % the battery's folder goes for a second, then reads present 0 for a second; no
    power-off. A real reading at the shutdown level still asks, once."""
    with harness.Desktop() as desk:
        calls = desk.start_logind("accept")
        bar, folder = start(desk, {"AC": ADAPTER_OFFLINE, "BAT0": battery(57)})
        wait_until(lambda: (bar.title() or "").startswith("57%, "), 10, "57 % in the title")
        folder.remove("BAT0")
        seconds_pass(bar, 2)
        folder.put("BAT0", battery(57))
        folder.put("BAT0", {"present": 0})
        seconds_pass(bar, 2)
        folder.put("BAT0", {"present": 1, "capacity": ""})  # charge unreadable
        title = seconds_pass(bar, 2)
        expect(calls() == [], f"asked to power off: {calls()}")
        expect(title.startswith("57%, "), f"title while away: {title!r}")
        folder.put("BAT0", {"capacity": 9})
        wait_until(lambda: calls() == [False], 15, "one power-off request")
        seconds_pass(bar, 2)
        expect(calls() == [False], f"calls {calls()}")
        bar.check_output()


def stays(predicate, seconds, what):
    """Fails as soon as predicate is false within the next `seconds`."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        expect(predicate(), f"{what} did not hold")
        time.sleep(0.2)


def purple_pixels(desk, wid):
    out = desk.run("convert", desk.screenshot(os.path.join(desk.tmp, "strip.png"), wid),
                   "-depth", "8", "txt:-")
    return sum(1 for m in re.finditer(r"\((\d+),(\d+),(\d+)", out)
               if abs(int(m[1]) - 128) < 20 and int(m[2]) < 30 and abs(int(m[3]) - 128) < 20)


def held_at_a_charge_limit_learns_nothing():
    """A laptop held at its 80 % charge limit is on AC power with no countdown; pulling the
    mains starts the countdown from the learned drain mean at once, and the held spell is
    learned nowhere."""
    learned = {"DrainTime": 150, "DrainTaken": 40, "ChargeTime": 90, "ChargeTaken": 20}
    at_limit = dict(battery(80, "Not charging"), charge_control_end_threshold=80, power_now=0,
                    energy_now=45760000, energy_full=57200000)
    with harness.Desktop() as desk:
        calls = desk.start_logind("accept")
        bar, folder = start(desk, {"AC": ADAPTER_ONLINE, "BAT0": at_limit}, stats=learned)
        wid = bar.wait_window()
        held = "80%, FULL : Voltline"
        wait_until(lambda: bar.title() == held, 10, "the held title")
        wait_until(lambda: purple_pixels(desk, wid) > 20, 10, "the purple gauge")
        stays(lambda: bar.title() == held, 20, "the held title")  # longer than a step counts
        folder.put("AC", ADAPTER_OFFLINE)
        folder.put("BAT0", {"status": "Discharging", "power_now": 9500000})
        # 150 s a percent times 80 %: 3:20:00, less the seconds the display has counted.
        title = wait_until(lambda: re.fullmatch(r"80%, 3:(19:[45]\d|20:00) : Voltline",
                                                bar.title() or ""), 10, "the countdown")
        os.kill(bar.pid, signal.SIGTERM)
        expect(bar.wait_exit() == 0, "exit code")
        got = {k: v for k, v in read_store(desk).items() if k in learned}
        expect(got == learned, f"learned {got}, title {title[0]!r}")
        expect(calls() == [], f"asked to power off: {calls()}")
        bar.check_output()


def a_glitch_of_zero_never_powers_off():
    """At 57 % on battery the gauge reads 0 % for two seconds: no power-off. A real 8 % asks
    once, after it held for ten seconds."""
    with harness.Desktop() as desk:
        calls = desk.start_logind("accept")
        bar, folder = start(desk, {"AC": ADAPTER_OFFLINE, "BAT0": battery(57)})
        wait_until(lambda: (bar.title() or "").startswith("57%, "), 10, "57 % in the title")
        folder.put("BAT0", {"capacity": 0})
        wait_until(lambda: (bar.title() or "").startswith("0%, "), 10, "0 % in the title")
        stays(lambda: (bar.title() or "").startswith("0%, "), 1, "the glitch")
        folder.put("BAT0", {"capacity": 57})
        wait_until(lambda: (bar.title() or "").startswith("57%, "), 10, "57 % again")
        seconds_pass(bar, 12)
        expect(calls() == [], f"a glitch asked to power off: {calls()}")
        folder.put("BAT0", {"capacity": 8})
        wait_until(lambda: (bar.title() or "").startswith("8%, "), 10, "8 % in the title")
        seconds_pass(bar, 7)
        expect(calls() == [], f"asked before 8 % held: {calls()}")
        wait_until(lambda: calls() == [False], 10, "one power-off request")
        seconds_pass(bar, 2)
        expect(calls() == [False], f"calls {calls()}")
        bar.check_output()


def silent_logind_neither_freezes_nor_blocks_closing():
    with harness.Desktop() as desk:
        calls = desk.start_logind("silent")
        bar, folder = start(desk, {"AC": ADAPTER_OFFLINE, "BAT0": battery(9)})
        wait_until(lambda: calls() == [False], 15, "the power-off request")
        os.remove(store_path(desk))  # saved before asking; what follows must save again
        seconds_pass(bar, 3)  # the countdown goes on while logind keeps silent
        os.kill(bar.pid, signal.SIGTERM)
        expect(bar.wait_exit(10) == 0, "exit code not 0")
        expect(os.path.exists(store_path(desk)), "nothing saved on SIGTERM")
        expect(calls() == [False], f"calls {calls()}")
        bar.check_output()


def session_bus(desk):
    """A session bus of its own, for one program and its desktop's manager; its address."""
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           env=desk.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           text=True, start_new_session=True)
    desk.procs.append(bus)
    return bus.stdout.readline().strip()


def start_session_manager(desk, kind, mode="accept", address=None):
    """A fake session manager of one desktop (see fake_session_manager.py) on the desktop's
    session bus or the one at `address`; returns a function listing its calls."""
    calls = os.path.join(desk.tmp, f"session-calls-{len(desk.procs)}")
    desk.procs.append(subprocess.Popen(
        ["/usr/bin/python3", os.path.join(os.path.dirname(__file__), "fake_session_manager.py"),
         address or desk.env["DBUS_SESSION_BUS_ADDRESS"], calls, kind, mode],
        env=desk.env, stdout=subprocess.DEVNULL, start_new_session=True))
    wait_until(lambda: os.path.exists(calls), 20, f"the {kind} session manager")

    def recorded():
        with open(calls) as f:
            return [line.strip() for line in f if line.strip()]
    return recorded


def session_manager_before_logind():
    """At the shutdown level the program asks the desktop's session manager, which lets the
    open programs save; logind only where none takes the request. One program for each
    desktop, side by side, each on a session bus of its own."""
    rows = [  # kind, mode, the manager's calls, whether logind is asked
        ("gnome", "accept", ["Shutdown"], False),
        ("plasma", "accept", ["logout 0 2 -1"], False),
        ("xfce", "accept", ["Shutdown true"], False),
        ("xfce", "error", ["Shutdown true"], True),
        (None, None, [], True),
    ]
    with harness.Desktop(tray=False) as desk:
        logind = desk.start_logind("accept")
        folder = SupplyFolder(desk.tmp, {"AC": ADAPTER_OFFLINE, "BAT0": battery(9)})
        runs = []
        for i, (kind, mode, want, _) in enumerate(rows):
            bus = session_bus(desk)
            recorded = start_session_manager(desk, kind, mode, bus) if kind else list
            home = os.path.join(desk.tmp, f"config-{i}")
            write_store(types.SimpleNamespace(config_home=home), WarnPercent=25,
                        ShutdownPercent=10, Left=100, Top=100 + 40 * i)
            bar = desk.start(BIN, folder, log_name=f"voltline-{i}.log", extra_env={
                "DBUS_SESSION_BUS_ADDRESS": bus, "XDG_CONFIG_HOME": home})
            runs.append((f"{kind} {mode}" if kind else "no session manager", want, recorded,
                         bar))
        asked = [False] * sum(1 for row in rows if row[3])
        wait_until(lambda: all(recorded() == want for _, want, recorded, _ in runs) and
                   logind() == asked, 30, "the requests")
        seconds_pass(runs[0][3], 1)
        expect(logind() == asked, f"logind calls {logind()}")
        for name, want, recorded, bar in runs:
            expect(recorded() == want, f"{name}: manager calls {recorded()}")
            os.kill(bar.pid, signal.SIGTERM)
            expect(bar.wait_exit() == 0, f"{name}: exit code")
            bar.check_output()


def silent_session_manager_neither_freezes_nor_blocks_closing():
    with harness.Desktop(tray=False) as desk:
        logind = desk.start_logind("accept")
        recorded = start_session_manager(desk, "gnome", "silent")
        bar, _ = start(desk, {"AC": ADAPTER_OFFLINE, "BAT0": battery(9)})
        wait_until(lambda: recorded() == ["Shutdown"], 20, "the shutdown request")
        seconds_pass(bar, 3)  # the countdown goes on while the manager keeps silent
        os.kill(bar.pid, signal.SIGTERM)
        expect(bar.wait_exit(10) == 0, "exit code not 0")
        expect(logind() == [], f"logind asked before the manager's time was up: {logind()}")
        bar.check_output()


def killed_display_saves():
    with harness.Desktop() as desk:
        bar, _ = start(desk, {"AC": ADAPTER_OFFLINE, "BAT0": battery(57)})
        wait_until(lambda: (bar.title() or "").startswith("57%, "), 10, "57 % in the title")
        os.remove(store_path(desk))
        xvfb = desk.procs[0]
        xvfb.kill()
        xvfb.wait()
        code = bar.wait_exit(15)
        expect(code not in (0, -signal.SIGABRT, -signal.SIGSEGV), f"exit code {code}")
        expect(os.path.exists(store_path(desk)), "nothing saved when the display went away")
        with open(store_path(desk)) as f:
            expect('"Left"=dword:00000064' in f.read(), "the position was not saved")


def no_display_is_one_clear_line():
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    run = subprocess.run([BIN], env=env, capture_output=True, text=True, timeout=30)
    lines = run.stderr.strip().splitlines()
    expect(run.returncode == 1, f"exit code {run.returncode}")
    expect(len(lines) == 1 and "cannot open a display" in lines[0], f"stderr {run.stderr!r}")


def wayland_without_x_is_one_quiet_line():
    """A Wayland session without XWayland: the program runs natively there and says so in one
    line, with nothing about the X connection it did not try."""
    if not shutil.which("weston"):
        raise harness.Skip("weston is not installed")
    tmp = tempfile.mkdtemp(prefix="voltline-wayland-")
    procs, bus_pid = [], None
    try:
        runtime = os.path.join(tmp, "runtime")
        os.mkdir(runtime, 0o700)
        config = os.path.join(tmp, "config")
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                            "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER")}
        env.update(XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=config, HOME=tmp,
                   XDG_CONFIG_DIRS=os.path.join(tmp, "xdg"),
                   DBUS_SYSTEM_BUS_ADDRESS="unix:path=" + os.path.join(tmp, "no-system-bus"))
        # the kiosk shell and no on-screen keyboard: weston starts no helper programs
        weston_ini = os.path.join(tmp, "weston.ini")
        with open(weston_ini, "w") as f:
            f.write("[input-method]\npath=\n")
        procs.append(subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--shell=kiosk-shell.so",
             f"--config={weston_ini}", "--socket=voltline-test"], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True))
        wait_until(lambda: os.path.exists(os.path.join(runtime, "voltline-test")), 15, "weston")
        out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], env=env, capture_output=True, text=True,
                             check=True).stdout.split()
        bus_pid = int(out[1])
        env.update(WAYLAND_DISPLAY="voltline-test", DBUS_SESSION_BUS_ADDRESS=out[0])
        if "ASAN_OPTIONS" in env:
            # Leaks of graphics drivers that Qt's Wayland plugin unloads again are only
            # suppressed with a full stack (testsupport/lsan.supp).
            env["ASAN_OPTIONS"] += ":fast_unwind_on_malloc=0"
        log_path = os.path.join(tmp, "voltline.log")
        with open(log_path, "w") as log:
            bar = subprocess.Popen([BIN], env=env, stdout=log, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL)
            procs.append(bar)
            # a first start registers the program to start at login: it has read its store
            wait_until(lambda: os.path.exists(os.path.join(config, "autostart",
                                                           "voltline.desktop")), 15,
                       "the program to start")
            # a second start is answered once the bar runs, and brings it to the front
            second = subprocess.run([BIN], env=env, capture_output=True, text=True,
                                    timeout=30 * harness.SLACK)
            expect(second.returncode == 0 and "already running" in second.stderr + second.stdout,
                   f"second start: {second.returncode} {second.stderr!r}")
            bar.send_signal(signal.SIGTERM)
            bar.wait(15 * harness.SLACK)
        with open(log_path) as f:
            output = f.read()
        expect(bar.returncode == 0, f"exit code {bar.returncode}: {output!r}")
        expect(os.path.exists(os.path.join(config, "voltline", "user.reg")), "nothing saved")
        lines = [line for line in output.splitlines()
                 if not any(re.search(p, line) for p in harness.Voltline.HARMLESS)]
        expect(len(lines) == 1 and "running natively on Wayland" in lines[0],
               f"output {lines!r}")
    finally:
        for p in reversed(procs):
            if p.poll() is None:
                p.terminate()
                p.wait(10)
        if bus_pid:
            os.kill(bus_pid, signal.SIGTERM)
        shutil.rmtree(tmp, ignore_errors=True)


TESTS = {f.__name__: f for f in (no_battery_is_mains, battery_away_for_a_moment_is_bridged,
                                  held_at_a_charge_limit_learns_nothing,
                                  a_glitch_of_zero_never_powers_off,
                                  silent_logind_neither_freezes_nor_blocks_closing,
                                  session_manager_before_logind,
                                  silent_session_manager_neither_freezes_nor_blocks_closing,
                                  killed_display_saves, no_display_is_one_clear_line,
                                  wayland_without_x_is_one_quiet_line)}

if __name__ == "__main__":
    harness.main(TESTS)
