#!/usr/bin/env bash
# Builds Voltline and starts it. Without a display it runs on a virtual one for a few
# seconds and leaves a screenshot behind.
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
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$1" & pid=$!
    sleep 5
    import -window root "$2"
    kill -TERM "$pid"; wait "$pid" || true
' _ "$bin" "$shot"
echo "Screenshot written to $shot"
