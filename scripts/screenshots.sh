#!/usr/bin/env bash
# Takes the README's pictures again: the strip with its menu open, and the configuration
# dialog, on a virtual display with a window manager. Writes docs/screenshot-menu.png,
# docs/screenshot-configuration.png and docs/screenshot.png (both side by side).
# Uses voltline-demo (a scripted battery) so the pictures do not depend on this machine.
# Usage: scripts/screenshots.sh [OUTDIR]   (default: docs)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mkdir -p "${1:-docs}" && cd "${1:-docs}" && pwd)

scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default --target voltline-demo
bin="$PWD/build/app/voltline-demo"

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

wait_for() { # SECONDS COMMAND...
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
die() {
    echo "screenshots: $*" >&2
    cat "$work/voltline.log" >&2 2>/dev/null || true
    exit 1
}

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x480x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
display_ready() { [ -s "$work/display" ]; }
wait_for 20 display_ready || die "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

mkdir -p "$work/config" "$work/xdg" "$work/runtime" "$work/tmp"
chmod 700 "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/xdg" XDG_RUNTIME_DIR="$work/runtime"
export TMPDIR="$work/tmp" HOME="$work"
unset QT_QPA_PLATFORM
# The demo keeps its store in the temporary folder: the first start's options, with a taller
# strip than the first start's, which reads better in a picture.
store="$TMPDIR/voltline-demo-$(id -u)"
mkdir -p "$store"
printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Quorvex\Voltline\Configuration]' \
    '"Top"=dword:00000018' '"Left"=dword:00000018' '"Height"=dword:0000001a' \
    '"WarnPercent"=dword:00000019' '"ShutdownPercent"=dword:00000000' >"$store/user.reg"

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile)
pids+=("$(sed -n 2p <<<"$bus")")
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# A window mapped while the window manager is still starting is not always taken over cleanly.
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for 20 wm_ready || die "openbox did not start"
"$bin" >"$work/voltline.log" 2>&1 &
app=$!
pids+=("$app")

strip=""
strip_shown() { strip=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -n1) && [ -n "$strip" ]; }
wait_for 30 strip_shown || die "no strip appeared"
sleep 3 # let the demo battery fill in the percent, the gauge and the time

eval "$(xdotool getwindowgeometry --shell "$strip")"
sx=$X sy=$Y sw=$WIDTH sh=$HEIGHT

open_menu() {
    # At the strip's bottom left corner, so the menu hides none of it.
    xdotool mousemove --sync $((sx + 3)) $((sy + sh - 2)) click 3
    wait_for 10 menu_shown || die "the menu did not open"
}
menu=""
menu_shown() {
    menu=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$strip" | head -n1) &&
        [ -n "$menu" ]
}

open_menu
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$menu")"
right=$((X + WIDTH > sx + sw ? X + WIDTH : sx + sw))
bottom=$((Y + HEIGHT))
# The bare (black) screen around strip and menu becomes transparent.
import -window root -crop "$((right - sx + 2))x$((bottom - sy + 2))+$((sx - 1))+$((sy - 1))" png:- |
    convert - +repage -alpha set -fill none -draw 'color 0,0 floodfill' \
    -draw "color $((right - sx + 1)),0 floodfill" -draw "color 0,$((bottom - sy + 1)) floodfill" \
    "$out/screenshot-menu.png"

# The configuration dialog, chosen from the menu by its access key.
xdotool key Escape
open_menu
xdotool key c
dialog=""
dialog_shown() { dialog=$(xdotool search --onlyvisible --name '^Voltline Configuration$' | head -n1) && [ -n "$dialog" ]; }
wait_for 10 dialog_shown || die "the configuration dialog did not open"
xdotool mousemove --sync 799 479
sleep 1
import -frame -window "$dialog" "$out/screenshot-configuration.png"
xdotool key Escape || true

montage -background none -gravity north -geometry +12+12 -tile 2x1 \
    "$out/screenshot-menu.png" "$out/screenshot-configuration.png" "$out/screenshot.png"
echo "Pictures written to $out"
