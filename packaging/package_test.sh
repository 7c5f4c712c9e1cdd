#!/usr/bin/env bash
# Packs a finished build into the Debian package, checks the package the way Debian's tools
# and a desktop would, and starts the unpacked program on a virtual display.
# Usage: package_test.sh BUILD_DIR VERSION
# Everything it writes goes into one temporary folder, removed at the end.
set -euo pipefail

build=$(cd "$1" && pwd)
version=$2
work=$(mktemp -d)
pids=()

cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
step() { echo "--- $*"; }

# Polls a command until it succeeds or the deadline (seconds) passes.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

step "building the package"
if ! cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
fi
arch=$(dpkg --print-architecture)
deb="$work/out/voltline_${version}_${arch}.deb"
if [ ! -f "$deb" ]; then
    ls "$work/out" >&2
    echo "FAIL: no package named $(basename "$deb")" >&2
    exit 1
fi

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = voltline ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = utils ] || fail "Section is '$(field Section)'"
[ "$(field Priority)" = optional ] || fail "Priority is '$(field Priority)'"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] ||
    fail "Maintainer is '$(field Maintainer)'"
depends=$(field Depends)
for lib in libc6 libqt6core6 libqt6widgets6 qt6-qpa-plugins; do
    [[ "$depends" =~ (^|, )$lib( |,|$) ]] || fail "Depends lacks $lib: $depends"
done
[ "$(field Description | wc -l)" -ge 4 ] || fail "Description has no long part"

step "file list and modes"
dpkg-deb -c "$deb" >"$work/contents"
expect_entry() { # mode path
    grep -Eq "^$1 root/root +[0-9]+ [0-9-]+ [0-9:]+ \./$2\$" "$work/contents" ||
        fail "no $1 entry ./$2"
}
expect_entry -rwxr-xr-x usr/bin/voltline
for f in usr/share/applications/voltline.desktop \
    usr/share/metainfo/org.quorvex.Voltline.metainfo.xml \
    usr/share/man/man1/voltline.1.gz \
    usr/share/doc/voltline/copyright \
    usr/share/doc/voltline/changelog.gz \
    usr/share/doc/voltline/help.html \
    usr/share/doc-base/voltline \
    usr/share/icons/hicolor/scalable/apps/voltline.svg; do
    expect_entry -rw-r--r-- "$f"
done
for size in 16 22 24 32 48 64 128 256; do
    expect_entry -rw-r--r-- "usr/share/icons/hicolor/${size}x${size}/apps/voltline.png"
done
if grep -Ev '^(-rw-r--r--|-rwxr-xr-x|drwxr-xr-x) root/root ' "$work/contents"; then
    fail "entries above have unexpected modes or owners"
fi

root="$work/root"
dpkg -x "$deb" "$root"

step "binary, icons, compressed files"
file -b "$root/usr/bin/voltline" | grep -q ', stripped' || fail "binary not stripped"
for size in 16 22 24 32 48 64 128 256; do
    got=$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/voltline.png")
    [ "$got" = "${size}x${size}" ] || fail "icon ${size}x${size} is $got"
done
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/voltline.svg" || fail "SVG icon"
for gz in usr/share/man/man1/voltline.1.gz usr/share/doc/voltline/changelog.gz; do
    gzip -t "$root/$gz" || fail "$gz is no gzip file"
done
zcat "$root/usr/share/doc/voltline/changelog.gz" | head -n1 |
    grep -q "^voltline ($version) " || fail "changelog does not start with version $version"

step "desktop entry"
desktop="$root/usr/share/applications/voltline.desktop"
out=$(desktop-file-validate "$desktop" 2>&1) || true
[ -z "$out" ] || fail "desktop-file-validate: $out"
exec_cmd=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$root/usr/bin/${exec_cmd%% *}" ] || fail "Exec '$exec_cmd' is not in the package"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "Icon '$icon' not installed"

step "AppStream metadata"
metainfo="$root/usr/share/metainfo/org.quorvex.Voltline.metainfo.xml"
appstreamcli validate --no-net --no-color "$metainfo" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net --no-color "$root" || fail "appstreamcli validate-tree"
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[ -f "$root/usr/share/applications/$launchable" ] || fail "launchable '$launchable' missing"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in metainfo"

step "manual page"
out=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/voltline.1.gz" 2>&1 >/dev/null)
[ -z "$out" ] || fail "man warnings: $out"
MANWIDTH=80 man -l "$root/usr/share/man/man1/voltline.1.gz" 2>/dev/null | grep -q 'user.reg' ||
    fail "manual page does not render"

step "lintian"
status=0
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || status=$?
grep -v '^running with root' "$work/lintian.log" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"

step "starting the unpacked program"
mkdir -p "$work/config" "$work/xdg/autostart" "$work/runtime"
chmod 700 "$work/runtime"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
display_ready() { [ -s "$work/display" ]; }
wait_for 20 display_ready || {
    echo "FAIL: Xvfb did not start" >&2
    exit 1
}
# A private bus stands in for both session and system bus: no real logind is reachable.
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile)
pids+=("$(sed -n 2p <<<"$bus")")
export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")
DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
export DISPLAY=":$(cat "$work/display")"
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/xdg" XDG_RUNTIME_DIR="$work/runtime"
export HOME="$work"
unset QT_QPA_PLATFORM

"$root/usr/bin/$exec_cmd" >"$work/voltline.log" 2>&1 &
app=$!
pids+=("$app")
strip_shown() {
    wid=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -n1)
    [ -n "$wid" ]
}
if wait_for 20 strip_shown; then
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    # The strip is wider than high and within its height limits.
    if [ "$HEIGHT" -lt 15 ] || [ "$HEIGHT" -gt 48 ] || [ "$WIDTH" -le "$HEIGHT" ]; then
        fail "strip window is ${WIDTH}x${HEIGHT}"
    fi
    drawn() { [ "$(import -window "$wid" png:- | identify -format '%k' -)" -gt 2 ]; }
    wait_for 10 drawn || fail "strip window is blank"
else
    fail "no window of the program appeared"
fi

kill -TERM "$app"
ended() { ! kill -0 "$app" 2>/dev/null; }
if wait_for 20 ended; then
    status=0
    wait "$app" || status=$?
    [ "$status" -eq 0 ] || fail "program exited with status $status after SIGTERM"
else
    fail "program did not quit on SIGTERM"
fi
# What the manual page promises of a first start and a SIGTERM.
store="$work/config/voltline/user.reg"
grep -qF '[HKEY_CURRENT_USER\Software\Quorvex\Voltline\Configuration]' "$store" 2>/dev/null ||
    fail "no settings saved to $store"
autostart="$work/xdg/autostart/voltline.desktop"
if [ -f "$autostart" ]; then
    out=$(desktop-file-validate "$autostart" 2>&1) || true
    [ -z "$out" ] || fail "autostart entry: $out"
    grep -qxF "Exec=$root/usr/bin/$exec_cmd" "$autostart" || fail "autostart Exec: $(grep Exec "$autostart")"
else
    fail "no autostart entry written to $autostart"
fi

if [ "$failures" -ne 0 ]; then
    echo "--- program output" >&2
    cat "$work/voltline.log" >&2
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package $(basename "$deb") passed"
