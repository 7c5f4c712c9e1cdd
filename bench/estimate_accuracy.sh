#!/usr/bin/env bash
# How right is the strip's time? Replays the recorded discharges through the real monitor
# (build/bench/accuracy/estimate_accuracy), once as the code is and once as it was at an
# earlier revision, writes both tables into README.md ("How right the time is") and draws
# docs/estimate-accuracy.png.
#
#   bench/estimate_accuracy.sh [TRACES]
#
# TRACES is a folder of logs (or ACCURACY_TRACES); default ../shared/traces beside the
# repository. Environment:
#   ACCURACY_BEFORE  the revision measured as "before" (default cf7d7f3, the last one before the
#                    monitor knew charge limits and sleep); empty leaves the README's before
#                    table as it is
#   ACCURACY_PLOT    the logs drawn, by file-name prefix (default "02 08 12")
#   ACCURACY_BUILD   the build folder of the default preset (default build)
# Installs what it needs first (scripts/deps.sh bench). Takes a few minutes, most of it the
# build of the earlier revision in ACCURACY_BUILD/accuracy/before-build.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
traces="${1:-${ACCURACY_TRACES:-$repo/../shared/traces}}"
before="${ACCURACY_BEFORE-cf7d7f3}"
plot="${ACCURACY_PLOT:-02 08 12}"
build="${ACCURACY_BUILD:-$repo/build}"
work="$build/accuracy"

die() { echo "estimate_accuracy: $*" >&2; exit 1; }
[ -d "$traces" ] || die "no logs at $traces (give the folder as the argument)"
traces="$(cd "$traces" && pwd)"

"$repo/scripts/deps.sh" bench
# matplotlib is Debian's, for Debian's python (another python may come first on the PATH).
python=/usr/bin/python3
[ -x "$python" ] || python=python3
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cd "$repo"
if [ "$build" = "$repo/build" ]; then
    cmake --preset default "${launcher[@]}" >/dev/null
else
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
        >/dev/null
fi
cmake --build "$build" --target estimate_accuracy
mkdir -p "$work"
# A revision as "hash (date)"; with paths, the last commit that changed them.
label() { git -C "$repo" log -1 --format='%h (%cs)' "$@" 2>/dev/null || echo "$1"; }

echo "Measuring the code as it is"
"$build/bench/accuracy/estimate_accuracy" --minutes "$work/minutes.tsv" "$traces" \
    >"$work/after.md" 2>"$work/after.log"

if [ -n "$before" ]; then
    echo "Measuring $before"
    git -C "$repo" rev-parse -q --verify "$before^{commit}" >/dev/null ||
        die "no revision $before in this clone (ACCURACY_BEFORE= skips the comparison)"
    src="$work/before-src"
    rm -rf "$src"
    mkdir -p "$src"
    git -C "$repo" archive "$before" | tar -x -C "$src"
    # The replay compiles against the monitor of either revision.
    rm -rf "$src/bench/accuracy"
    cp -r "$repo/bench/accuracy" "$src/bench/accuracy"
    if ! grep -qs 'add_subdirectory(accuracy)' "$src/bench/CMakeLists.txt"; then
        printf '\nadd_subdirectory(bench/accuracy)\n' >>"$src/CMakeLists.txt"
    fi
    cmake -S "$src" -B "$work/before-build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVOLTLINE_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
    cmake --build "$work/before-build" --target estimate_accuracy
    "$work/before-build/bench/accuracy/estimate_accuracy" "$traces" \
        >"$work/before.md" 2>"$work/before.log"
fi

"$python" "$repo/bench/accuracy/plot_accuracy.py" "$work/minutes.tsv" \
    "$repo/docs/estimate-accuracy.png" $plot

# Each table goes between its pair of markers in the README. The code measured now is named by
# the last commit that changed the sampler or the monitor itself.
after_label="$(label HEAD -- power 'monitor/Monitor*' \
    ':(exclude)*_test.cpp' ':(exclude)power/fuzz')"
before_label="${before:+$(label "$before")}"
"$python" - "$repo/README.md" "$work" "$after_label" "$before_label" <<'EOF'
import pathlib, re, sys
readme, work, after_label, before_label = sys.argv[1:5]
text = pathlib.Path(readme).read_text()
def put(text, name, table):
    pattern = re.compile(r"(<!-- %s -->\n).*?(<!-- /%s -->)" % (name, name), re.S)
    if not pattern.search(text):
        sys.exit("estimate_accuracy: README.md has no <!-- %s --> section" % name)
    return pattern.sub(lambda m: m.group(1) + table + m.group(2), text)
work = pathlib.Path(work)
after = (work / "after.md").read_text()
text = put(text, "accuracy-after",
           "Now (sampler and monitor as last changed in %s):\n\n%s" % (after_label, after))
if before_label:
    before = (work / "before.md").read_text()
    text = put(text, "accuracy-before", "At %s:\n\n%s" % (before_label, before))
pathlib.Path(readme).write_text(text)
EOF
echo "Tables written to README.md, picture to docs/estimate-accuracy.png; details in $work"
