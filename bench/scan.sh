#!/usr/bin/env bash
# The drive scan's search against find on a tree of over 100,000 directories.
#   bench/scan.sh BUILD_DIR [RUNS]
# The last line is "ratio: R", R = our time / find's time (best of RUNS each).
set -euo pipefail
build=${1:?usage: bench/scan.sh BUILD_DIR [RUNS]}
runs=${2:-5}
bench="$build/bench/scan_bench"
[[ -x "$bench" ]] || cmake --build "$build" --target scan_bench >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/scan-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$bench" make "$work/tree" 10 5
"$bench" time "$work/tree" "$runs"
