#!/usr/bin/env bash
# Builds every libFuzzer target with clang in a tree of its own and runs each for a bounded
# time. Inputs that crash are kept in <tree>/artifacts; the seed corpora in the repository are
# only read.
# Usage: tests/run_fuzzers.sh [tree]   (default build/fuzz; FUZZ_SECONDS per target, default 60)
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
tree="${1:-$src/build/fuzz}"
seconds="${FUZZ_SECONDS:-60}"

if ! command -v clang++ >/dev/null 2>&1; then
    echo "clang++ is not installed; no fuzzing" >&2
    exit 77
fi

# Warnings are the default build's business; this tree only hunts crashes.
cmake -S "$src" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DVOLTLINE_FUZZ=ON -DVOLTLINE_WERROR=OFF \
    -DVOLTLINE_BUILD_TESTS=OFF -DVOLTLINE_BUILD_BENCH=OFF >/dev/null
cmake --build "$tree" --target voltline_fuzzers -j2

status=0
mkdir -p "$tree/artifacts"
while IFS='|' read -r name binary corpus; do
    [ -n "$name" ] || continue
    work="$tree/corpus/$name"
    mkdir -p "$work"
    echo "== $name: ${seconds}s"
    if ! "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$tree/artifacts/$name-" "$work" "$corpus"; then
        echo "$name failed; the input is in $tree/artifacts" >&2
        status=1
    fi
done <"$tree/fuzzers.txt"
exit "$status"
