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

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x480x24 -br -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
display_ready() { [ -s "$work/display" ]; }
wait_for 20 display_ready
export DISPLAY=":$(cat "$work/display")"

mkdir -p "$work/config" "$work/xdg" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/xdg" XDG_RUNTIME_DIR="$work/runtime"
unset QT_QPA_PLATFORM
# Taller than the first-start strip, so the picture reads well; in the taskbar, no tray host.
mkdir -p "$work/config/voltline"
cat >"$work/config/voltline/user.reg" <<'EOF'
[HKEY_CURRENT_USER\Software\Quorvex\Voltline\Configuration]
"Top"=dword:00000014
"Left"=dword:00000014
"Height"=dword:0000001a
"ShowInSysTray"=dword:00000000
"RunAtWindowsStartUp"=dword:00000000
EOF

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile)
pids+=("$(sed -n 2p <<<"$bus")")
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
"$bin" >"$work/voltline.log" 2>&1 &
app=$!
pids+=("$app")

strip=""
strip_shown() { strip=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -n1) && [ -n "$strip" ]; }
wait_for 20 strip_shown || { cat "$work/voltline.log" >&2; echo "no strip appeared" >&2; exit 1; }
sleep 3 # let the demo battery fill in the percent, the gauge and the time

eval "$(xdotool getwindowgeometry --shell "$strip")"
sx=$X sy=$Y sw=$WIDTH sh=$HEIGHT

# The strip with its menu open.
xdotool mousemove --sync $((sx + sw / 2)) $((sy + sh / 2)) click 3
menu=""
menu_shown() {
    menu=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$strip" | head -n1) &&
        [ -n "$menu" ]
}
wait_for 10 menu_shown
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$menu")"
right=$((X + WIDTH > sx + sw ? X + WIDTH : sx + sw))
bottom=$((Y + HEIGHT))
import -window root -crop "$((right - sx + 24))x$((bottom - sy + 24))+$((sx - 12))+$((sy - 12))" \
    +repage "$out/screenshot-menu.png"

# The configuration dialog, chosen from the menu.
xdotool key Escape
xdotool mousemove --sync $((sx + sw / 2)) $((sy + sh / 2)) click 3
wait_for 10 menu_shown
xdotool key c
dialog=""
dialog_shown() { dialog=$(xdotool search --onlyvisible --name '^Voltline Configuration$' | head -n1) && [ -n "$dialog" ]; }
wait_for 10 dialog_shown
sleep 1
import -frame -window "$dialog" "$out/screenshot-configuration.png" 2>/dev/null ||
    import -window "$dialog" "$out/screenshot-configuration.png"
xdotool key Escape || true

montage -background none -gravity north -geometry +12+12 -tile 2x1 \
    "$out/screenshot-menu.png" "$out/screenshot-configuration.png" "$out/screenshot.png"
echo "Pictures written to $out"
