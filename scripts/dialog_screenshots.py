"""Pictures of the windows of the running program (voltline-demo, on a scripted battery) on a
virtual desktop with a window manager: the strip, the configuration dialog, the dialog with its
help window beside it, the quick help window, the about box and a status box.

Usage: dialog_screenshots.py DEMO_BINARY OUTDIR [GTK_THEME]   (scripts/dialog-screenshots.sh
builds and runs it). With a GTK theme (Adwaita:dark, HighContrast) the program takes its
palette from it through Qt's GTK platform theme. Each picture is the window with its frame, or
for the pair both windows.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import harness  # noqa: E402
from dialogs_system_test import (HELP_CLOSE, frame, open_configuration, press,  # noqa: E402
                                 wait_gone, wait_window_named, click)
from harness import wait_until  # noqa: E402


def shoot(desk, path, *windows):
    """The screen area covered by the windows' frames."""
    boxes = [frame(desk, w) for w in windows]
    left = min(b[0] for b in boxes)
    top = min(b[1] for b in boxes)
    right = max(b[0] + b[2] for b in boxes)
    bottom = max(b[1] + b[3] for b in boxes)
    desk.xdotool("mousemove", "--sync", desk.width - 1, desk.height - 1)  # no hover, no hint
    desk.run("import", "-window", "root", "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
             "+repage", path)
    print("wrote", path)


def main():
    demo, out = sys.argv[1], os.path.abspath(sys.argv[2])
    theme = sys.argv[3] if len(sys.argv) > 3 else None
    os.makedirs(out, exist_ok=True)
    with harness.Desktop(width=1024, height=768) as desk:
        if theme:
            desk.env.update(QT_QPA_PLATFORMTHEME="gtk3", GTK_THEME=theme)
        bar = desk.start(demo)
        wid = bar.wait_window()
        wait_until(lambda: bar.title() != "Voltline 1.10", 10, "the first tick")
        shoot(desk, os.path.join(out, "strip.png"), wid)
        # The strip stays on top of everything: keep it out of the pictures.
        desk.xdotool("windowmove", "--sync", wid, 0, desk.height - 40)

        dlg = open_configuration(desk, bar, wid)
        shoot(desk, os.path.join(out, "configuration.png"), dlg)
        press(desk, dlg, "alt+h")
        helpw = wait_window_named(desk, bar, "Voltline Configuration Help")
        wait_until(lambda: frame(desk, helpw)[1] == frame(desk, dlg)[1], 5, "the pair placed")
        shoot(desk, os.path.join(out, "configuration-with-help.png"), dlg, helpw)
        click(desk, helpw, HELP_CLOSE)
        wait_gone(desk, bar, "Voltline Configuration Help")
        press(desk, dlg, "alt+c")
        wait_gone(desk, bar, "Voltline Configuration")

        press(desk, bar.window(), "ctrl+q")
        quick = wait_window_named(desk, bar, "Voltline Quick Help")
        shoot(desk, os.path.join(out, "quick-help.png"), quick)
        press(desk, quick, "alt+c")
        wait_gone(desk, bar, "Voltline Quick Help")

        strip = bar.window()
        press(desk, strip, "ctrl+b")
        about = wait_until(lambda: [w for w in desk.search("--all", "--onlyvisible", "--pid",
                                                           str(bar.pid), "--name",
                                                           "^Voltline 1.10$") if w != strip],
                           10, "the about box")[0]
        shoot(desk, os.path.join(out, "about.png"), about)
        press(desk, about, "Escape")
        press(desk, strip, "ctrl+s")
        status = wait_window_named(desk, bar, "Battery Status")
        shoot(desk, os.path.join(out, "status.png"), status)
        press(desk, status, "Escape")
        wait_gone(desk, bar, "Battery Status")
        press(desk, strip, "ctrl+x")
        bar.wait_exit()


if __name__ == "__main__":
    try:
        main()
    except harness.Skip as e:
        print("skipped:", e)
        sys.exit(harness.SKIP)
    except subprocess.CalledProcessError as e:
        print(e, e.stderr)
        sys.exit(1)
