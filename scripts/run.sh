#!/usr/bin/env bash
# Builds Voltline and starts it. Without a display it runs on a virtual desktop (Xvfb with the
# openbox window manager and a trayer panel as notification area) for a few seconds and leaves
# a screenshot behind.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
cmake --preset default >/dev/null
cmake --build --preset default --target voltline
bin="$PWD/build/app/voltline"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$bin"
fi

shot="${VOLTLINE_SCREENSHOT:-$PWD/build/voltline-screenshot.png}"
echo "No display found: starting Voltline on a virtual display (Xvfb) for a few seconds."
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- bash -c '
    bin=$1 shot=$2 scratch=$3
    # a private store: a screenshot run leaves the user'"'"'s settings and autostart alone
    export XDG_RUNTIME_DIR=$scratch/runtime XDG_CONFIG_HOME=$scratch/config XDG_CONFIG_DIRS=$scratch/xdg
    wait_for() { for _ in $(seq 100); do eval "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
    convert -size 1280x800 gradient:"#4a78a8"-"#1d3557" "$scratch/bg.png" 2>/dev/null &&
        display -window root "$scratch/bg.png" 2>/dev/null || true
    if command -v openbox >/dev/null; then
        openbox --sm-disable & wm=$!
        wait_for "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window"
    fi
    if command -v trayer >/dev/null; then
        trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
            --SetPartialStrut true --transparent false --tint 0x808080 & tray=$!
        wait_for "xdotool search --classname trayer"
    fi
    "$bin" & pid=$!
    wait_for "xdotool search --onlyvisible --pid $pid --name \" : Voltline\"" || true
    sleep 2 # the state icon comes with the second tick
    import -window root "$shot"
    kill -TERM "$pid"; wait "$pid" || true
    kill ${tray:-} ${wm:-} 2>/dev/null || true
' _ "$bin" "$shot" "$scratch"
echo "Screenshot written to $shot"
