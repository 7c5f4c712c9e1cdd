#!/usr/bin/env bash
# Whether Voltline's memory stays flat through a long run on a draining battery: the real
# program on Xvfb with openbox, a trayer tray and a private session bus, against a fake battery
# bind-mounted over /sys/class/power_supply in a private mount namespace, with a fresh HOME and
# configuration. The battery drains ENDURANCE_DRAIN (0.9) % a minute from 57 % with the mains
# offline: a percent step every 67 s, a save every second step, states H, E and W on the way.
#
#   bench/endurance.sh [VOLTLINE]          (as root; default VOLTLINE: build/app/voltline)
#
# ENDURANCE_BEFORE="PATH..." runs other Voltline builds (say, main's) at the same time, each on
# its own display and battery, under its file name ("voltline-before" for one named voltline).
# Figures, from /proc/PID/smaps_rollup: the anonymous memory (heap, stacks; unlike PSS, the
# program's own whatever else runs) at the start (the window mapped), after ENDURANCE_WARMUP
# (600) seconds and at the end of ENDURANCE_SECONDS (3600), its peak after the warm-up, and
# its growth from the warm-up to the end; the resident size at the end. One sample a minute
# of each run goes to its anon.csv. ENDURANCE_KEEP=1 keeps the temporary folder.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/.." && pwd)"
voltline="${1:-$repo/build/app/voltline}"
seconds="${ENDURANCE_SECONDS:-3600}"
warmup="${ENDURANCE_WARMUP:-600}"
drain="${ENDURANCE_DRAIN:-0.9}"
before="${ENDURANCE_BEFORE:-}"

die() { echo "endurance: $*" >&2; exit 1; }
# shellcheck source=desktop.sh
. "$here/desktop.sh"

anon_kb() { awk '/^Anonymous:/ { print $2 }' /proc/"$1"/smaps_rollup; }
rss_kb() { awk '/^Rss:/ { print $2 }' /proc/"$1"/smaps_rollup; }

# One program in a mount namespace of its own: run_one NAME PROGRAM WORKDIR.
run_one() {
    local name=$1 program=$2 dir=$3
    trap '[ -z "${pid:-}" ] || kill "$pid" 2>/dev/null || true
          stop_desktop
          umount /sys/class/power_supply 2>/dev/null || true' EXIT
    mkdir -p "$dir/home" "$dir/config" "$dir/xdg" "$dir/runtime"
    chmod 700 "$dir/runtime"
    export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_CONFIG_DIRS="$dir/xdg"
    export XDG_RUNTIME_DIR="$dir/runtime"
    unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER WAYLAND_DISPLAY QT_QPA_PLATFORM

    # The fake battery: 50 Wh, mains offline; the level is written as it drains.
    local ps="$dir/power_supply"
    mkdir -p "$ps/BAT0" "$ps/AC"
    put() { printf '%s\n' "$2" >"$1.new" && mv "$1.new" "$1"; }
    put "$ps/BAT0/type" Battery
    put "$ps/BAT0/present" 1
    put "$ps/BAT0/status" Discharging
    put "$ps/BAT0/energy_full" 50000000
    put "$ps/BAT0/power_now" 9500000
    put "$ps/AC/type" Mains
    put "$ps/AC/online" 0
    level() {
        put "$ps/BAT0/capacity" "$1"
        put "$ps/BAT0/energy_now" "$(($1 * 500000))"
    }
    level 57
    mount --bind "$ps" /sys/class/power_supply

    start_desktop "$name" "$dir"

    "$program" >"$dir/program.log" 2>&1 &
    pid=$!
    wait_for "xdotool search --onlyvisible --pid $pid" 300 || die "$name: no window"
    local t0 start_kb warm_kb="" peak_kb=0 now elapsed percent shown=57 next_sample=0 kb
    t0="$(date +%s)"
    start_kb="$(anon_kb "$pid")"
    echo "seconds,percent,anon_kb" >"$dir/anon.csv"
    while :; do
        now="$(date +%s)"
        elapsed=$((now - t0))
        [ -d /proc/"$pid" ] || die "$name: ended after $elapsed s (see $dir/program.log)"
        percent="$(awk -v e="$elapsed" -v d="$drain" 'BEGIN {
            p = 57 - int(e * d / 60); print p < 0 ? 0 : p }')"
        if [ "$percent" != "$shown" ]; then
            level "$percent"
            shown=$percent
        fi
        if [ "$elapsed" -ge "$next_sample" ]; then
            kb="$(anon_kb "$pid")"
            echo "$elapsed,$percent,$kb" >>"$dir/anon.csv"
            next_sample=$((next_sample + 60))
            if [ "$elapsed" -ge "$warmup" ]; then
                [ -n "$warm_kb" ] || warm_kb=$kb
                [ "$kb" -le "$peak_kb" ] || peak_kb=$kb
            fi
        fi
        [ "$elapsed" -lt "$seconds" ] || break
        sleep 1
    done
    local end_kb rss
    end_kb="$(anon_kb "$pid")"
    rss="$(rss_kb "$pid")"
    [ "$end_kb" -le "$peak_kb" ] || peak_kb=$end_kb
    kill -TERM "$pid"
    wait "$pid" 2>/dev/null || true
    printf 'start_kb=%s\nwarm_kb=%s\nend_kb=%s\npeak_kb=%s\nrss_kb=%s\npercent=%s\n' \
        "$start_kb" "${warm_kb:-$end_kb}" "$end_kb" "$peak_kb" "$rss" "$shown" \
        >"$dir/result"
}

if [ "${ENDURANCE_ONE:-}" = 1 ]; then
    run_one "$@"
    exit 0
fi

[ "$(id -u)" -eq 0 ] || die "run as root (needs private mount namespaces)"
for t in Xvfb openbox trayer xdotool xprop dbus-daemon unshare; do
    command -v "$t" >/dev/null || die "missing $t (scripts/deps.sh test)"
done
[ "$warmup" -lt "$seconds" ] || die "ENDURANCE_WARMUP must be below ENDURANCE_SECONDS"
names=()
programs=()
for b in $before; do
    [ -x "$b" ] || die "ENDURANCE_BEFORE: $b is not a program"
    n="$(basename "$b")"
    [ "$n" != voltline ] || n=voltline-before
    names+=("$n")
    programs+=("$b")
done
[ -x "$voltline" ] || die "$voltline is not built (cmake --build build --target voltline)"
names+=(voltline)
programs+=("$voltline")

work="$(mktemp -d /tmp/voltline-endurance.XXXXXX)"
children=""
cleanup() {
    local p
    for p in $children; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    [ "${ENDURANCE_KEEP:-}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT

echo "endurance: ${#names[@]} run(s) of $seconds s side by side, in $work" >&2
for i in "${!names[@]}"; do
    mkdir -p "$work/${names[$i]}"
    ENDURANCE_ONE=1 unshare -m --propagation private "$0" "${names[$i]}" "${programs[$i]}" \
        "$work/${names[$i]}" 2>"$work/${names[$i]}/run.log" &
    children="$children $!"
done
failed=0
for p in $children; do wait "$p" || failed=1; done
children=""

get() { sed -n "s/^$2=//p" "$work/$1/result" 2>/dev/null || true; }
echo
echo "Anonymous memory over $seconds s, battery from 57 % at $drain %/min, warm-up $warmup s"
printf '| %-15s | %8s | %8s | %8s | %8s | %8s | %8s | %7s |\n' program "start kB" \
    "warm kB" "end kB" "peak kB" "growth" "RSS kB" "percent"
printf '|%s|%s|%s|%s|%s|%s|%s|%s|\n' ----------------- ---------- ---------- ---------- \
    ---------- ---------- ---------- ---------
for n in "${names[@]}"; do
    if [ ! -s "$work/$n/result" ]; then
        echo "$n: no result; $(cat "$work/$n/run.log")" >&2
        failed=1
        continue
    fi
    printf '| %-15s | %8s | %8s | %8s | %8s | %8s | %8s | %7s |\n' "$n" "$(get "$n" start_kb)" \
        "$(get "$n" warm_kb)" "$(get "$n" end_kb)" "$(get "$n" peak_kb)" \
        "$(($(get "$n" end_kb) - $(get "$n" warm_kb)))" "$(get "$n" rss_kb)" \
        "$(get "$n" percent)"
done
echo
for n in "${names[@]}"; do
    [ -s "$work/$n/anon.csv" ] || continue
    echo "$n, anonymous kB once a minute:"
    tail -n +2 "$work/$n/anon.csv" | cut -d, -f3 | paste -sd' '
done
exit "$failed"
