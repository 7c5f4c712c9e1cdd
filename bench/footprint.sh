#!/usr/bin/env bash
# Measures what Voltline costs while it runs, side by side with its peers: the Qt floor
# (voltline-baseline: a frameless label whose countdown text one 1 s timer rewrites, drawn
# without X shared memory), the same floor also rewriting its window title every second, and
# Debian's cbatticon where installed.
#
#   bench/footprint.sh [VOLTLINE]          (as root; default VOLTLINE: build/app/voltline)
#
# Each program runs alone for FOOTPRINT_SECONDS (60) on a fresh Xvfb with openbox and a
# trayer tray, against a fake battery (57 %, discharging, AC offline) bind-mounted over
# /sys/class/power_supply in a private mount namespace, with a fresh temporary HOME and
# XDG folders and private D-Bus buses. Figures:
#   pss_kb     proportional set size at the end (/proc/PID/smaps_rollup)
#   anon_kb    its anonymous part (heap, stacks): unlike PSS, independent of other processes
#   rss_kb     resident set size
#   cpu_ms     CPU time per minute of all threads after FOOTPRINT_WARMUP (10) seconds
#   wakeups    voluntary context switches per minute of all threads: each is a thread going to
#              sleep after being woken, which is what costs a laptop power
#   switches   all context switches per minute (voluntary + involuntary); the involuntary ones
#              mostly measure how busy the machine is
#   threads    thread count at the end
#   map_ms     time from fork() to the first MapNotify of one of its windows: the median of
#              FOOTPRINT_STARTS (7) starts, each with a fresh configuration
#   map_cpu_ms the CPU time it had used by then (median): steadier than the wall time
# Environment: FOOTPRINT_SECONDS, FOOTPRINT_WARMUP, FOOTPRINT_STARTS, FOOTPRINT_BUILD,
# FOOTPRINT_PROGRAMS (subset of "baseline baseline-title baseline-quiet voltline cbatticon";
# baseline-quiet is the titled floor with its window's property notifications turned off),
# FOOTPRINT_BEFORE="PATH..." also measures other Voltline binaries (say, built before a change)
# in the same run, each under its file name ("voltline-before" for one named voltline),
# FOOTPRINT_KEEP=1 keeps the temporary folder.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/.." && pwd)"
build="${FOOTPRINT_BUILD:-$repo/build}"
voltline="${1:-$build/app/voltline}"
baseline="$build/bench/baseline/voltline-baseline"
probe="$build/bench/mapprobe/voltline-mapprobe"
seconds="${FOOTPRINT_SECONDS:-60}"
warmup="${FOOTPRINT_WARMUP:-10}"
programs="${FOOTPRINT_PROGRAMS:-baseline baseline-title voltline cbatticon}"
before="${FOOTPRINT_BEFORE:-}"
starts="${FOOTPRINT_STARTS:-7}"

die() { echo "footprint: $*" >&2; exit 1; }
# shellcheck source=desktop.sh
. "$here/desktop.sh"

if [ "${FOOTPRINT_IN_NS:-}" != 1 ]; then
    [ "$(id -u)" -eq 0 ] || die "run as root (needs a private mount namespace)"
    for t in Xvfb openbox trayer xdotool dbus-daemon unshare; do
        command -v "$t" >/dev/null || die "missing $t (scripts/deps.sh test)"
    done
    [ -x "$baseline" ] && [ -x "$probe" ] ||
        die "build the helpers first: cmake --build build --target voltline-baseline voltline-mapprobe"
    [ "$warmup" -lt "$seconds" ] || die "FOOTPRINT_WARMUP must be below FOOTPRINT_SECONDS"
    for b in $before; do
        [ -x "$b" ] || die "FOOTPRINT_BEFORE: $b is not a program"
    done
    FOOTPRINT_IN_NS=1 exec unshare -m --propagation private "$0" "$voltline"
fi

work="$(mktemp -d /tmp/voltline-footprint.XXXXXX)"
cleanup() {
    local p
    for p in ${cleanup_pids:-} ${desktop_pids:-}; do kill "$p" 2>/dev/null || true; done
    umount /sys/class/power_supply 2>/dev/null || true
    [ "${FOOTPRINT_KEEP:-}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT

# The fake battery: 57 % of 50 Wh, draining at 9.5 W; mains offline.
ps="$work/power_supply"
mkdir -p "$ps/BAT0" "$ps/AC"
put() { printf '%s\n' "$2" >"$1"; }
put "$ps/BAT0/type" Battery
put "$ps/BAT0/present" 1
put "$ps/BAT0/status" Discharging
put "$ps/BAT0/capacity" 57
put "$ps/BAT0/energy_now" 28500000
put "$ps/BAT0/energy_full" 50000000
put "$ps/BAT0/power_now" 9500000
put "$ps/AC/type" Mains
put "$ps/AC/online" 0
mount --bind "$ps" /sys/class/power_supply

# Sums "field" over all threads: schedstat's first field is the time on CPU in ns.
cpu_ns() {
    local pid=$1 sum=0 t v
    for t in /proc/"$pid"/task/*/schedstat; do
        read -r v _ <"$t" 2>/dev/null || continue
        sum=$((sum + v))
    done
    echo "$sum"
}
# Voluntary and all context switches of all threads, "V A".
switches() {
    awk '/^voluntary_ctxt_switches:/ { v += $2 } /^nonvoluntary_ctxt_switches:/ { n += $2 }
         END { print v + 0, v + n }' /proc/"$1"/task/*/status 2>/dev/null
}
# One line per thread: tid, voluntary switches, name.
thread_switches() {
    local t
    for t in /proc/"$1"/task/*; do
        awk -v tid="${t##*/}" -v name="$(cat "$t/comm" 2>/dev/null | tr ' ' _)" \
            '/^voluntary_ctxt_switches:/ { s += $2 } END { print tid, s + 0, name }' \
            "$t/status" 2>/dev/null
    done
}
now_ns() { date +%s%N; }
median() {
    printf '%s\n' "$@" | awk 'NF' | sort -n |
        awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "NA" }'
}

# measure NAME COMMAND...: one program on its own display; writes $work/NAME.result.
measure() {
    local name=$1
    shift
    local dir="$work/$name"
    mkdir -p "$dir/home" "$dir/config" "$dir/xdg" "$dir/runtime"
    chmod 700 "$dir/runtime"
    export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config" XDG_CONFIG_DIRS="$dir/xdg"
    export XDG_RUNTIME_DIR="$dir/runtime"
    unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER

    start_desktop "$name" "$dir"

    # Start-up time: the median of several cold-config starts, each ended once it mapped.
    local i maps=() mapcpu=()
    for i in $(seq "$starts"); do
        mkdir -p "$dir/start$i/config" "$dir/start$i/xdg"
        XDG_CONFIG_HOME="$dir/start$i/config" XDG_CONFIG_DIRS="$dir/start$i/xdg" \
            "$probe" "$@" >"$dir/start$i.out" 2>"$dir/start$i.log" &
        local sp=$!
        wait_for "grep -q '^first_map_ms ' '$dir/start$i.out'" 100 || true
        kill -TERM "$sp" 2>/dev/null || true
        wait "$sp" 2>/dev/null || true
        maps+=("$(awk '/^first_map_ms /{print $2}' "$dir/start$i.out")")
        mapcpu+=("$(awk '/^first_map_cpu_ms /{print $2}' "$dir/start$i.out")")
    done

    local out="$dir/probe.out"
    "$probe" "$@" >"$out" 2>"$dir/program.log" &
    local probepid=$!
    cleanup_pids="$probepid"
    wait_for "grep -q '^pid ' '$out'" 50 || die "$name: did not start"
    local pid
    pid="$(awk '/^pid /{print $2}' "$out")"
    local start
    start="$(now_ns)"

    sleep "$warmup"
    local c1 s1 t1 c2 s2 t2
    c1="$(cpu_ns "$pid")"
    s1="$(switches "$pid")"
    t1="$(now_ns)"
    thread_switches "$pid" >"$dir/threads.1"
    sleep "$((seconds - warmup))"
    c2="$(cpu_ns "$pid")"
    s2="$(switches "$pid")"
    t2="$(now_ns)"
    thread_switches "$pid" >"$dir/threads.2"
    [ -d /proc/"$pid" ] || die "$name: ended during the run (see $dir/program.log)"

    local pss anon rss threads map
    pss="$(awk '/^Pss:/{print $2}' /proc/"$pid"/smaps_rollup)"
    # PSS and the private size both depend on which other processes map the same library
    # pages right now (on a busy machine, other Qt programs); anonymous memory (heap, stacks)
    # is the program's own whatever else runs.
    anon="$(awk '/^Anonymous:/{print $2}' /proc/"$pid"/smaps_rollup)"
    rss="$(awk '/^Rss:/{print $2}' /proc/"$pid"/smaps_rollup)"
    threads="$(ls /proc/"$pid"/task | wc -l)"
    map="$(median "${maps[@]}")"
    local mapcpu_ms
    mapcpu_ms="$(median "${mapcpu[@]}")"

    local v1 a1 v2 a2
    read -r v1 a1 <<<"$s1"
    read -r v2 a2 <<<"$s2"
    awk -v c="$((c2 - c1))" -v v="$((v2 - v1))" -v a="$((a2 - a1))" -v t="$((t2 - t1))" \
        -v pss="$pss" -v anon="$anon" -v rss="$rss" -v th="$threads" -v map="$map" -v mc="$mapcpu_ms" 'BEGIN {
            min = t / 60e9
            printf "pss_kb=%d\nanon_kb=%d\nrss_kb=%d\ncpu_ms=%.1f\nwakeups=%.1f\nswitches=%.1f\nthreads=%d\nmap_ms=%s\nmap_cpu_ms=%s\n",
                   pss, anon, rss, c / 1e6 / min, v / min, a / min, th, map, mc
        }' >"$work/$name.result"
    # Where the switches happen, per thread.
    join <(sort "$dir/threads.1") <(sort "$dir/threads.2") | awk -v t="$((t2 - t1))" \
        '{ printf "  %-16s %7.1f/min\n", $3, ($4 - $2) / (t / 60e9) }' >"$work/$name.threads"

    kill -TERM "$probepid" 2>/dev/null || true
    wait "$probepid" 2>/dev/null || true
    cleanup_pids=""
    stop_desktop
    echo "measured $name ($((($(now_ns) - start) / 1000000000)) s)" >&2
}

measured=()
for p in $programs; do
    case "$p" in
    baseline) measure baseline "$baseline" ;;
    baseline-title) measure baseline-title "$baseline" --title ;;
    baseline-quiet) measure baseline-quiet "$baseline" --quiet ;;
    cbatticon)
        if command -v cbatticon >/dev/null; then
            measure cbatticon cbatticon
        else
            echo "footprint: cbatticon not installed; not measured" >&2
            continue
        fi
        ;;
    voltline)
        for b in $before; do
            n="$(basename "$b")"
            [ "$n" != voltline ] || n=voltline-before
            measure "$n" "$b"
            measured+=("$n")
        done
        if [ -x "$voltline" ]; then
            measure voltline "$voltline"
        else
            echo "footprint: $voltline not built; measuring the peers only" >&2
            continue
        fi
        ;;
    *) die "unknown program $p" ;;
    esac
    measured+=("$p")
done

get() { sed -n "s/^$2=//p" "$work/$1.result" 2>/dev/null || true; }

echo
echo "Footprint over ${seconds} s (steady figures after ${warmup} s), $(nproc) cores"
printf '| %-15s | %8s | %8s | %8s | %8s | %8s | %7s | %8s | %8s |\n' program "CPU ms/m" \
    "wakeup/m" "switch/m" "PSS MB" "anon MB" threads "map ms" "map CPU"
printf '|%s|%s|%s|%s|%s|%s|%s|%s|%s|\n' ----------------- ---------- ---------- ---------- \
    ---------- ---------- --------- ---------- ----------
for p in "${measured[@]}"; do
    printf '| %-15s | %8s | %8s | %8s | %8s | %8s | %7s | %8s | %8s |\n' "$p" \
        "$(get "$p" cpu_ms)" "$(get "$p" wakeups)" "$(get "$p" switches)" \
        "$(awk -v k="$(get "$p" pss_kb)" 'BEGIN { printf "%.1f", k / 1024 }')" \
        "$(awk -v k="$(get "$p" anon_kb)" 'BEGIN { printf "%.1f", k / 1024 }')" \
        "$(get "$p" threads)" "$(get "$p" map_ms)" "$(get "$p" map_cpu_ms)"
done

# Voltline's own targets: close to the toolkit's floor.
if [ -s "$work/voltline.result" ] && [ -s "$work/baseline.result" ]; then
    echo
    awk -v vc="$(get voltline cpu_ms)" -v bc="$(get baseline cpu_ms)" \
        -v vw="$(get voltline wakeups)" -v bw="$(get baseline wakeups)" \
        -v vp="$(get voltline pss_kb)" -v bp="$(get baseline pss_kb)" \
        -v vu="$(get voltline anon_kb)" -v bu="$(get baseline anon_kb)" \
        -v vm="$(get voltline map_ms)" -v bm="$(get baseline map_ms)" 'BEGIN {
        check("CPU <= 1.2 x baseline", vc <= 1.2 * bc, sprintf("%.1f vs %.1f", vc, 1.2 * bc))
        check("wakeups <= 1.25 x baseline", vw <= 1.25 * bw, sprintf("%.1f vs %.1f", vw, 1.25 * bw))
        check("PSS <= baseline + 6 MB", vp <= bp + 6144, sprintf("%d vs %d kB", vp, bp + 6144))
        check("anonymous <= baseline + 6 MB", vu <= bu + 6144, sprintf("%d vs %d kB", vu, bu + 6144))
        check("first window <= 1.5 x baseline", vm != "NA" && vm <= 1.5 * bm,
              sprintf("%s vs %.1f ms", vm, 1.5 * bm))
    }
    function check(what, ok, detail) { printf "%-34s %-6s %s\n", what, ok ? "met" : "MISSED", detail }'
fi

echo
echo "Wakeups (voluntary switches) per thread:"
for p in "${measured[@]}"; do
    [ -s "$work/$p.threads" ] || continue
    echo "$p"
    cat "$work/$p.threads"
done
