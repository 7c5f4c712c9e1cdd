# The benchmarks' shared part, sourced by them: waiting on a condition, and a virtual desktop
# as a user has one (Xvfb, a private session bus, openbox and a trayer tray) for one program.

# Waits up to $2 tenths of a second for command $1 to succeed.
wait_for() {
    local cmd=$1 n=${2:-100}
    while ! eval "$cmd" >/dev/null 2>&1; do
        n=$((n - 1))
        [ "$n" -gt 0 ] || return 1
        sleep 0.1
    done
}

# start_desktop NAME DIR: the desktop, its logs in DIR. Exports DISPLAY and the bus addresses
# and sets desktop_pids (the order to stop them in: tray, window manager, bus, X server).
# Ends the script with a message when a part does not come up.
start_desktop() {
    local name=$1 dir=$2
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 &
    desktop_pids="$!"
    wait_for "[ -s '$dir/display' ]" 150 || die "$name: Xvfb did not start"
    export DISPLAY=":$(cat "$dir/display")"

    # Private buses: the session one for the tray, and a stand-in system bus so nothing here
    # can reach the real logind.
    local bus
    bus="$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile)"
    export DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$bus")"
    export DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS"
    desktop_pids="$(sed -n 2p <<<"$bus") $desktop_pids"

    openbox >"$dir/openbox.log" 2>&1 &
    desktop_pids="$! $desktop_pids"
    wait_for "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" 150 ||
        die "$name: openbox did not start"
    trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
        --SetPartialStrut true --transparent false >"$dir/trayer.log" 2>&1 &
    desktop_pids="$! $desktop_pids"
    wait_for "xdotool search --classname panel" 150 || die "$name: trayer did not start"
}

# Stops what start_desktop started.
stop_desktop() {
    local p
    for p in ${desktop_pids:-}; do
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    desktop_pids=""
}
