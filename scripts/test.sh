#!/usr/bin/env bash
# Builds Voltline and runs every test: unit, widget (offscreen) and system tests (Xvfb).
# Usage: scripts/test.sh [default|asan]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

scripts/deps.sh test
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
