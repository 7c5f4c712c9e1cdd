"""Packs a finished build into the Debian package, checks the package the way Debian's tools
and a desktop would, and starts the unpacked program on the system tests' virtual desktop.

    python3 package_test.py BUILD_DIR VERSION [LOCAL_MAINTAINER]

LOCAL_MAINTAINER ON: the build names no distributor (VOLTLINE_MAINTAINER unset), so lintian's
complaint about a maintainer address at localhost is expected. Exit code 0 pass, 1 fail, 77 when the program could not be started here (harness.Skip).
Everything is written into one temporary folder, removed at the end (VOLTLINE_KEEP_TMP keeps
it).
"""

import gzip
import hashlib
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
HELP = "usr/share/voltline/help.html"
DEFAULTS = "etc/xdg/voltline/defaults.reg"
LAUNCHER = "usr/share/applications/org.quorvex.Voltline.desktop"
DATA_FILES = [
    LAUNCHER,
    "usr/share/metainfo/org.quorvex.Voltline.metainfo.xml",
    "usr/share/man/man1/voltline.1.gz",
    "usr/share/doc/voltline/copyright",
    "usr/share/doc/voltline/changelog.gz",
    HELP,
    DEFAULTS,
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


def pack(build, out, deb_name):
    code, stdout, stderr = run("cpack", "-G", "DEB", "-B", out, "--config",
                               os.path.join(build, "CPackConfig.cmake"))
    if code != 0:
        raise harness.Failure(f"cpack failed:\n{stdout}{stderr}")
    deb = os.path.join(out, deb_name)
    if not os.path.isfile(deb):
        raise harness.Failure(f"no {deb_name}: {os.listdir(out)}")
    with open(deb, "rb") as f:
        return deb, hashlib.sha256(f.read()).hexdigest()


def check_control(c, deb, version, arch):
    def field(name):
        return run("dpkg-deb", "-f", deb, name)[1].strip()

    for name, want in (("Package", "voltline"), ("Version", version), ("Architecture", arch),
                       ("Section", "x11"), ("Priority", "optional")):
        c.expect(field(name) == want, f"{name} is '{field(name)}', not '{want}'")
    c.expect(re.fullmatch(r"[^<>]+ <[^@<>]+@[^<>]+>", field("Maintainer")),
             f"Maintainer '{field('Maintainer')}' has no name and address")
    depends = [d.split()[0] for d in field("Depends").split(", ")]
    # The library scan finds the first four; the X11 plugin must be named by hand.
    for pkg in ("libc6", "libqt6core6", "libqt6widgets6", "qt6-qpa-plugins"):
        c.expect(pkg in depends, f"Depends lacks {pkg}: {depends}")
    c.expect(len(field("Description").splitlines()) >= 4, "Description has no long part")
    c.expect("default-logind | logind" in field("Recommends"),
             f"Recommends is '{field('Recommends')}'")
    c.expect("example" not in field("Maintainer") + field("Homepage"),
             "a placeholder domain in the control file")
    conffiles = run("dpkg-deb", "--info", deb, "conffiles")[1].split()
    c.expect(conffiles == ["/" + DEFAULTS], f"conffiles: {conffiles}")


def check_contents(c, deb):
    listing = run("dpkg-deb", "-c", deb)[1].splitlines()
    entries = {}
    for line in listing:
        parts = line.split(" -> ")[0].split()
        entries[parts[-1].removeprefix("./").rstrip("/")] = (parts[0], parts[1])
    c.expect(entries.get("usr/bin/voltline") == ("-rwxr-xr-x", "root/root"),
             f"usr/bin/voltline is {entries.get('usr/bin/voltline')}")
    for path in DATA_FILES:
        c.expect(entries.get(path) == ("-rw-r--r--", "root/root"), f"{path} is {entries.get(path)}")
    c.expect(entries.get("usr/share/doc/voltline/help.html") == ("lrwxrwxrwx", "root/root"),
             "no link to the help page in the doc folder")
    odd = [f"{p} {m}" for p, m in entries.items()
           if m[1] != "root/root" or m[0] not in ("-rw-r--r--", "-rwxr-xr-x", "drwxr-xr-x",
                                                  "lrwxrwxrwx")]
    c.expect(not odd, f"unexpected modes or owners: {odd}")
    stamps = {" ".join(line.split()[3:5]) for line in listing}
    c.expect(len(stamps) == 1, f"files carry {len(stamps)} different time stamps")


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
    # The doc folder may be left out; the help page must not depend on it.
    link = os.path.join(root, "usr/share/doc/voltline/help.html")
    c.expect(os.path.realpath(link) == os.path.join(os.path.realpath(root), HELP),
             f"the doc folder's help page leads to {os.path.realpath(link)}")
    with open(os.path.join(root, DEFAULTS)) as f:
        c.expect(f'"HelpPath"="/{HELP}"' in f.read(), "defaults.reg does not name the help page")
    with open(os.path.join(root, "usr/share/doc/voltline/copyright")) as f:
        text = f.read()
    c.expect(text.startswith("Format: https://www.debian.org/doc/packaging-manuals/"
                             "copyright-format/1.0/") and "License: Expat" in text
             and "\nFiles: *\n" in text and "proprietary" not in text and "example" not in text,
             "copyright is not the machine-readable Expat one")


def check_desktop_entry(c, root):
    desktop = os.path.join(root, LAUNCHER)
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
    # The metainfo names no web address, so the checks that would go online pass offline too.
    for argv in (["validate", metainfo], ["validate", "--no-net", metainfo],
                 ["validate-tree", "--no-net", root]):
        code, out, err = run("appstreamcli", *argv, "--pedantic", "--no-color")
        print(out + err, end="")
        c.expect(code == 0, f"appstreamcli {' '.join(argv[:-1])} failed")
    with open(metainfo) as f:
        text = f.read()
    launchable = re.search(r'<launchable type="desktop-id">([^<]+)</launchable>', text)
    c.expect(launchable and os.path.isfile(
        os.path.join(root, "usr/share/applications", launchable.group(1))),
        "the metainfo's launchable names no installed desktop entry")
    c.expect(f'<release version="{version}"' in text, f"no release {version} in the metainfo")
    c.expect("<project_license>MIT</project_license>" in text and "example" not in text,
             "the metainfo's licence or addresses")


def check_manual(c, root):
    page = os.path.join(root, "usr/share/man/man1/voltline.1.gz")
    env = dict(os.environ, MANWIDTH="80")
    code, out, err = run("man", "--warnings", "-l", page, env=env)
    c.expect(code == 0 and not err.strip(), f"man warnings: {err}")
    c.expect("user.reg" in out and "SIGTERM" in out, "the manual page does not render")


def check_lintian(c, deb, local_maintainer):
    argv = ["lintian", "-I", "--pedantic", "--fail-on", "error,warning", "--tag-display-limit",
            "0"]
    if local_maintainer:
        argv += ["--suppress-tags", "bogus-mail-host,bogus-mail-host-in-debian-changelog"]
    code, out, err = run(*argv, deb)
    report = "\n".join(line for line in (out + err).splitlines()
                       if not line.startswith("running with root privileges"))
    if report:
        print(report)
    c.expect(code == 0, "lintian reports errors or warnings")


def fake_opener(folder, record):
    """An xdg-open that only writes down what it was asked to open."""
    os.makedirs(folder)
    path = os.path.join(folder, "xdg-open")
    with open(path, "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{record}"\n')
    os.chmod(path, 0o755)


def check_program(c, root, command):
    """The unpacked program starts as a new user's first start: the strip and its tray icon,
    the user's own autostart entry, Help opening the installed page, and a save on SIGTERM."""
    binary = os.path.join(root, "usr/bin", command)
    with harness.Desktop() as desk:
        record = os.path.join(desk.tmp, "opened.txt")
        fake_opener(os.path.join(desk.tmp, "bin"), record)
        desk.env["PATH"] = os.path.join(desk.tmp, "bin") + os.pathsep + desk.env["PATH"]
        # The package's /etc/xdg, and beside it an older machine-wide autostart entry.
        desk.env["XDG_CONFIG_DIRS"] = os.path.join(root, "etc/xdg") + ":" + desk.config_dirs
        with open(os.path.join(desk.config_dirs, "autostart", "voltline.desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=Voltline\nExec=voltline\n")
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

        # A first start registers the program with the user's own autostart folder.
        autostart = os.path.join(desk.config_home, "autostart", "voltline.desktop")
        if c.expect(os.path.isfile(autostart), "no autostart entry written"):
            code, out, err = run("desktop-file-validate", autostart)
            c.expect(code == 0 and not (out + err).strip(), f"autostart entry: {out}{err}")
            with open(autostart) as f:
                entry = f.read()
            c.expect(f"Exec={binary}\n" in entry and f"TryExec={binary}\n" in entry
                     and "Hidden" not in entry, f"autostart entry:\n{entry}")
        c.expect(os.listdir(os.path.join(desk.config_dirs, "autostart")) == ["voltline.desktop"]
                 and not os.path.exists(os.path.join(root, "etc/xdg/autostart")),
                 "a machine-wide autostart folder was written")

        # Ctrl+H opens the page that the package's defaults.reg names, through xdg-open.
        def opened():
            if not os.path.exists(record):
                return None
            with open(record) as f:
                return f.read().splitlines()
        for attempt in range(3):  # a busy desktop may swallow the key while the focus moves
            desk.xdotool("windowactivate", "--sync", bar.window() or win)
            desk.xdotool("key", "--clearmodifiers", "ctrl+h")
            try:
                harness.wait_until(opened, 4 if attempt < 2 else 15, "xdg-open to be asked")
                break
            except harness.Failure:
                if attempt == 2:
                    c.expect(False, "Ctrl+H asked xdg-open for nothing")
        asked = opened() or []
        c.expect(asked in (["/" + HELP], ["file:///" + HELP]), f"xdg-open was asked for {asked}")
        c.expect(os.path.isfile(os.path.join(root, HELP)), "the help page is not in the package")

        bar.proc.send_signal(signal.SIGTERM)
        c.expect(bar.wait_exit() == 0, f"exit status {bar.proc.returncode} after SIGTERM")
        bar.check_output()

        store = os.path.join(desk.config_home, "voltline", "user.reg")
        saved = os.path.isfile(store) and open(store).read()
        c.expect(saved and "[HKEY_CURRENT_USER\\Software\\Quorvex\\Voltline\\Configuration]"
                 in saved, "no settings saved on SIGTERM")
        c.expect(saved and "HelpPath" not in saved, "the installed help path copied to the user")
        c.expect(os.listdir(os.path.join(root, "etc/xdg/voltline")) == ["defaults.reg"],
                 "something was written beside defaults.reg")


def main():
    build, version = os.path.abspath(sys.argv[1]), sys.argv[2]
    local_maintainer = len(sys.argv) > 3 and sys.argv[3] == "ON"
    arch = run("dpkg", "--print-architecture")[1].strip()
    work = tempfile.mkdtemp(prefix="voltline-package-")
    c = Checks()
    skipped = None
    try:
        name = f"voltline_{version}_{arch}.deb"
        deb, first = pack(build, os.path.join(work, "out"), name)
        _, second = pack(build, os.path.join(work, "again"), name)
        print(f"sha256 {first} {second}")
        c.expect(first == second, "two packs of one build differ")
        root = os.path.join(work, "root")
        subprocess.run(["dpkg", "-x", deb, root], check=True)
        check_control(c, deb, version, arch)
        check_contents(c, deb)
        check_files(c, root, version)
        command = check_desktop_entry(c, root)
        check_appstream(c, root, version)
        check_manual(c, root)
        check_lintian(c, deb, local_maintainer)
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
