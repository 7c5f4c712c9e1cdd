"""Packs a finished build into the Debian package, checks the package the way Debian's tools
and a desktop would, and starts the unpacked program on the system tests' virtual desktop.

    python3 package_test.py BUILD_DIR VERSION

Exit code 0 pass, 1 fail, 77 when the program could not be started here (harness.Skip).
Everything is written into one temporary folder, removed at the end (VOLTLINE_KEEP_TMP keeps
it).
"""

import gzip
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import harness  # noqa: E402

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
DATA_FILES = [
    "usr/share/applications/voltline.desktop",
    "usr/share/metainfo/org.quorvex.Voltline.metainfo.xml",
    "usr/share/man/man1/voltline.1.gz",
    "usr/share/doc/voltline/copyright",
    "usr/share/doc/voltline/changelog.gz",
    "usr/share/doc/voltline/help.html",
    "usr/share/doc-base/voltline",
    "usr/share/icons/hicolor/scalable/apps/voltline.svg",
] + [f"usr/share/icons/hicolor/{s}x{s}/apps/voltline.png" for s in ICON_SIZES]


class Checks:
    """Collects failures so one run reports all of them."""

    def __init__(self):
        self.failures = []

    def expect(self, ok, message):
        if not ok:
            print(f"FAIL: {message}")
            self.failures.append(message)
        return ok


def run(*argv, env=None):
    """(exit code, stdout, stderr) of a tool."""
    p = subprocess.run(list(argv), capture_output=True, text=True, env=env, timeout=240)
    return p.returncode, p.stdout, p.stderr


def pack(build, out):
    code, stdout, stderr = run("cpack", "-G", "DEB", "-B", out, "--config",
                               os.path.join(build, "CPackConfig.cmake"))
    if code != 0:
        raise harness.Failure(f"cpack failed:\n{stdout}{stderr}")


def check_control(c, deb, version, arch):
    def field(name):
        return run("dpkg-deb", "-f", deb, name)[1].strip()

    for name, want in (("Package", "voltline"), ("Version", version), ("Architecture", arch),
                       ("Section", "utils"), ("Priority", "optional")):
        c.expect(field(name) == want, f"{name} is '{field(name)}', not '{want}'")
    c.expect(re.fullmatch(r"[^<>]+ <[^@<>]+@[^<>]+>", field("Maintainer")),
             f"Maintainer '{field('Maintainer')}' has no name and address")
    depends = [d.split()[0] for d in field("Depends").split(", ")]
    # The library scan finds the first four; the X11 plugin must be named by hand.
    for pkg in ("libc6", "libqt6core6", "libqt6widgets6", "qt6-qpa-plugins"):
        c.expect(pkg in depends, f"Depends lacks {pkg}: {depends}")
    c.expect(len(field("Description").splitlines()) >= 4, "Description has no long part")


def check_contents(c, deb):
    listing = run("dpkg-deb", "-c", deb)[1].splitlines()
    entries = {}
    for line in listing:
        parts = line.split()
        entries[parts[-1].removeprefix("./").rstrip("/")] = (parts[0], parts[1])
    c.expect(entries.get("usr/bin/voltline") == ("-rwxr-xr-x", "root/root"),
             f"usr/bin/voltline is {entries.get('usr/bin/voltline')}")
    for path in DATA_FILES:
        c.expect(entries.get(path) == ("-rw-r--r--", "root/root"), f"{path} is {entries.get(path)}")
    odd = [f"{p} {m}" for p, m in entries.items()
           if m[1] != "root/root" or m[0] not in ("-rw-r--r--", "-rwxr-xr-x", "drwxr-xr-x")]
    c.expect(not odd, f"unexpected modes or owners: {odd}")


def check_files(c, root, version):
    description = run("file", "-b", os.path.join(root, "usr/bin/voltline"))[1]
    c.expect(", stripped" in description, f"binary not stripped: {description.strip()}")
    for size in ICON_SIZES:
        path = os.path.join(root, f"usr/share/icons/hicolor/{size}x{size}/apps/voltline.png")
        got = run("identify", "-format", "%wx%h", path)[1]
        c.expect(got == f"{size}x{size}", f"{size}x{size} icon is '{got}'")
    with open(os.path.join(root, "usr/share/icons/hicolor/scalable/apps/voltline.svg")) as f:
        c.expect("<svg" in f.read(), "scalable icon is no SVG")
    with gzip.open(os.path.join(root, "usr/share/doc/voltline/changelog.gz"), "rt") as f:
        first = f.readline()
    c.expect(first.startswith(f"voltline ({version}) "), f"changelog starts '{first.strip()}'")


def check_desktop_entry(c, root):
    desktop = os.path.join(root, "usr/share/applications/voltline.desktop")
    code, out, err = run("desktop-file-validate", desktop)
    c.expect(code == 0 and not (out + err).strip(), f"desktop-file-validate: {out}{err}")
    with open(desktop) as f:
        keys = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    command = keys.get("Exec", "").split()[0] if keys.get("Exec") else ""
    c.expect(os.access(os.path.join(root, "usr/bin", command), os.X_OK),
             f"Exec '{keys.get('Exec')}' is not in the package")
    icon = keys.get("Icon", "")
    c.expect(os.path.isfile(os.path.join(root, f"usr/share/icons/hicolor/48x48/apps/{icon}.png")),
             f"Icon '{icon}' is not installed")
    return command


def check_appstream(c, root, version):
    metainfo = os.path.join(root, "usr/share/metainfo/org.quorvex.Voltline.metainfo.xml")
    for argv in (["validate", metainfo], ["validate-tree", root]):
        code, out, err = run("appstreamcli", *argv, "--no-net", "--no-color")
        print(out + err, end="")
        c.expect(code == 0, f"appstreamcli {argv[0]} failed")
    with open(metainfo) as f:
        text = f.read()
    launchable = re.search(r'<launchable type="desktop-id">([^<]+)</launchable>', text)
    c.expect(launchable and os.path.isfile(
        os.path.join(root, "usr/share/applications", launchable.group(1))),
        "the metainfo's launchable names no installed desktop entry")
    c.expect(f'<release version="{version}"' in text, f"no release {version} in the metainfo")


def check_manual(c, root):
    page = os.path.join(root, "usr/share/man/man1/voltline.1.gz")
    env = dict(os.environ, MANWIDTH="80")
    code, out, err = run("man", "--warnings", "-l", page, env=env)
    c.expect(code == 0 and not err.strip(), f"man warnings: {err}")
    c.expect("user.reg" in out and "SIGTERM" in out, "the manual page does not render")


def check_lintian(c, deb):
    code, out, err = run("lintian", "--fail-on", "error", "--tag-display-limit", "0", deb)
    report = "\n".join(line for line in (out + err).splitlines()
                       if not line.startswith("running with root privileges"))
    if report:
        print(report)
    c.expect(code == 0, "lintian reports errors")


def check_program(c, root, command):
    """The unpacked program starts, shows the strip and its tray icon, and saves on SIGTERM."""
    binary = os.path.join(root, "usr/bin", command)
    with harness.Desktop() as desk:
        battery = harness.FakePowerSupply(desk.tmp)
        battery.set(percent=57, status="Discharging", ac_online=False)
        try:
            bar = desk.start(binary, battery)
            faked = True
        except harness.Skip:
            bar = desk.start(binary)  # the machine's own power supply, read only
            faked = False
        win = bar.wait_window()
        x, y, width, height = desk.geometry(win)
        c.expect(15 <= height <= 48 and width > height, f"strip is {width}x{height}")
        if faked:
            harness.wait_until(lambda: (bar.title() or "").startswith("57%"), 10,
                               "the title to show the fake battery")
        # Qt marks every window embeddable; the tray icon is the small one that is not the bar.
        harness.wait_until(lambda: len([w for w in desk.tray_icons(bar.pid)
                                        if w != win and desk.geometry(w)[2] <= 64]) == 1,
                           10, "one tray icon")
        strip = desk.screenshot(os.path.join(desk.tmp, "strip.png"), win)
        colours = int(desk.run("identify", "-format", "%k", strip))
        c.expect(colours > 2, f"the strip shows only {colours} colours")

        bar.proc.send_signal(signal.SIGTERM)
        c.expect(bar.wait_exit() == 0, f"exit status {bar.proc.returncode} after SIGTERM")
        bar.check_output()

        store = os.path.join(desk.config_home, "voltline", "user.reg")
        saved = os.path.isfile(store) and open(store).read()
        c.expect(saved and "[HKEY_CURRENT_USER\\Software\\Quorvex\\Voltline\\Configuration]"
                 in saved, "no settings saved on SIGTERM")
        # A first start registers the program with the (temporary) autostart folder.
        autostart = os.path.join(desk.config_dirs, "autostart", "voltline.desktop")
        if c.expect(os.path.isfile(autostart), "no autostart entry written"):
            code, out, err = run("desktop-file-validate", autostart)
            c.expect(code == 0 and not (out + err).strip(), f"autostart entry: {out}{err}")
            c.expect(f"Exec={binary}\n" in open(autostart).read(), "autostart Exec is not the binary")


def main():
    build, version = os.path.abspath(sys.argv[1]), sys.argv[2]
    arch = run("dpkg", "--print-architecture")[1].strip()
    work = tempfile.mkdtemp(prefix="voltline-package-")
    c = Checks()
    skipped = None
    try:
        pack(build, os.path.join(work, "out"))
        deb = os.path.join(work, "out", f"voltline_{version}_{arch}.deb")
        if not os.path.isfile(deb):
            raise harness.Failure(f"no {os.path.basename(deb)}: {os.listdir(work + '/out')}")
        root = os.path.join(work, "root")
        subprocess.run(["dpkg", "-x", deb, root], check=True)
        check_control(c, deb, version, arch)
        check_contents(c, deb)
        check_files(c, root, version)
        command = check_desktop_entry(c, root)
        check_appstream(c, root, version)
        check_manual(c, root)
        check_lintian(c, deb)
        try:
            check_program(c, root, command)
        except harness.Skip as e:
            skipped = str(e)
    except harness.Failure as e:
        c.expect(False, str(e))
    finally:
        if os.environ.get("VOLTLINE_KEEP_TMP"):
            print("kept", work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    if c.failures:
        print(f"{len(c.failures)} check(s) failed")
        sys.exit(1)
    if skipped:
        print(f"SKIP starting the program: {skipped}")
        sys.exit(harness.SKIP)
    print("package checks passed")


if __name__ == "__main__":
    main()
