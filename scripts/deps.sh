#!/usr/bin/env bash
# Installs the Debian packages Voltline needs to build, run and test, skipping those present.
# Usage: scripts/deps.sh [build|run|test|bench]   (default: test, which is everything but the
# accuracy benchmark's picture: bench is what bench/estimate_accuracy.sh needs)
set -euo pipefail

build_pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
            fonts-dejavu-core libxcb1-dev libx11-dev)
run_pkgs=(xvfb xauth imagemagick x11-utils dbus-x11 openbox trayer xdotool fonts-wine)
test_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev openbox trayer xdotool x11-utils
           python3 python3-dbusmock dbus-x11 imagemagick clang libclang-rt-14-dev
           cbatticon dpkg-dev file fakeroot man-db lintian appstream desktop-file-utils
           fonts-wine util-linux procps x11-xserver-utils libglib2.0-bin
           xfwm4 xfce4-panel xfconf weston qt6-wayland
           at-spi2-core python3-pyatspi qt6-gtk-platformtheme gnome-themes-extra)
# The default build with its tests and benchmarks, git for the build it compares with, and
# matplotlib for the picture.
bench_pkgs=(libgtest-dev libgmock-dev libbenchmark-dev git python3 python3-matplotlib)

case "${1:-test}" in
    build) want=("${build_pkgs[@]}") ;;
    run) want=("${build_pkgs[@]}" "${run_pkgs[@]}") ;;
    test) want=("${build_pkgs[@]}" "${run_pkgs[@]}" "${test_pkgs[@]}") ;;
    bench) want=("${build_pkgs[@]}" "${bench_pkgs[@]}") ;;
    *) echo "usage: $0 [build|run|test|bench]" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
    if ! dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null | grep -q '^ii'; then
        missing+=("$p")
    fi
done
# de-duplicate
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | awk 'NF && !seen[$0]++')

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo_cmd=(sudo)
    else
        echo "Need root (or sudo) to install: ${missing[*]}" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
