#!/usr/bin/env bash
# Pictures of the strip, the configuration dialog (alone and with its help window), the quick
# help, the about box and a status box, taken from the running demo program on a virtual
# desktop with openbox. A GTK theme name (Adwaita:dark, HighContrast) shows them in its colours.
# Usage: scripts/dialog-screenshots.sh [OUTDIR [GTK_THEME]]   (default: build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/screenshots}"

scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default --target voltline-demo
python3 scripts/dialog_screenshots.py build/app/voltline-demo "$out" ${2:+"$2"}
