#!/usr/bin/env bash
# The export run of the command-line program on the large bench company
# (bench/data/large-company.sql), the Linux build against the 64-bit Windows
# build under Wine: the same company, the same options (--no-upload), runs in
# turn. Prints the wall time of each (best of RUNS) and their ratio. No goal:
# Wine is not Windows; the figure shows what the Windows build costs beside
# the Linux one on the same machine and the same driver.
#   bench/export-wine.sh BUILD_DIR [RUNS]    (the Windows build: build-win64/)
set -euo pipefail
build=$(cd "${1:?usage: bench/export-wine.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
win=$root/build-win64
linux_exe=$build/app/quillmere-export
win_exe=$win/app/quillmere-export.exe
[[ -x "$linux_exe" ]] || cmake --build "$build" --target quillmere-export >/dev/null
[[ -f "$win_exe" ]] || {
    echo "no $win_exe: build it first (QUILLMERE_PLATFORMS=win64 ./run build)" >&2
    exit 1
}
"$root/scripts/wine-session" usable win64 "$win/wine" || {
    echo "this host cannot run 64-bit Windows programs under Wine" >&2
    exit 1
}
harness="$root/tests/harness/sage-harness"

work=$(mktemp -d "${TMPDIR:-/tmp}/export-wine-bench-XXXXXX")
chmod 0755 "$work"
cleanup() {
    "$harness" stop "$work/large" >/dev/null 2>&1 || true
    "$root/scripts/wine-session" stop win64 "$win/wine" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
"$harness" start "$work/large" "$root/bench/data/large-company.sql" >/dev/null
"$root/scripts/wine-session" start win64 "$win/wine"

# A Sage home that lists one company, the bench company, as each program
# names its folder (Wine sees the Linux root as Z:).
windows() { printf 'Z:%s' "${1//\//\\}"; }
mkdir -p "$work/Sage Data/Bench/ACCDATA" "$work/home-linux" "$work/home-win" "$work/out"
printf '\x01\x02\x03Bench Company Ltd%86s' '' >"$work/Sage Data/Bench/ACCDATA/SETUP.DTA"
printf '%s\r\n' "$work/Sage Data/Bench" >"$work/home-linux/COMPANY"
printf '%s\r\n' "$(windows "$work/Sage Data/Bench")" >"$work/home-win/COMPANY"
printf 'letmein\n' >"$work/secret"
chmod 600 "$work/secret"

now() { date +%s.%N; }
best() { python3 -c 'import sys; print(min(float(x) for x in sys.argv[1:]))' "$@"; }
# A run counts only when it made the archive; its messages show when not.
made_archive() {
    compgen -G "$work/out/*.zip" >/dev/null || {
        echo "$1 made no archive:" >&2
        cat "$work/stderr" >&2
        exit 1
    }
}
run_linux() {
    rm -rf "$work/out"/*
    "$linux_exe" --sage-version 17 --home "$work/home-linux" --user manager --chart 1 \
        --work-dir "$work/out" --password-file "$work/secret" --no-upload \
        >/dev/null 2>"$work/stderr" || true
    made_archive "the Linux program"
}
run_windows() {
    rm -rf "$work/out"/*
    "$root/scripts/wine-exec" win64 "$win/wine" "$win_exe" --sage-version 17 \
        --home "$(windows "$work/home-win")" --user manager --chart 1 \
        --work-dir "$(windows "$work/out")" --password-file "$(windows "$work/secret")" \
        --no-upload >/dev/null 2>"$work/stderr" || true
    made_archive "the Windows program"
}

. "$work/large/env"
# One locale for both: under LANG=C the Linux program writes as en_GB does,
# Wine as en-US.
export LANG=en_GB.UTF-8 LC_ALL=en_GB.UTF-8
linux_times=() win_times=()
for _ in $(seq "$runs"); do
    start=$(now); run_linux; end=$(now)
    linux_times+=("$(python3 -c "print(round($end - $start, 3))")")
    start=$(now); run_windows; end=$(now)
    win_times+=("$(python3 -c "print(round($end - $start, 3))")")
done
t_linux=$(best "${linux_times[@]}")
t_win=$(best "${win_times[@]}")
echo "company: 200000 splits x 3 journal lines, 50000 allocations, 5000 accounts per ledger"
echo "Linux quillmere-export --no-upload: ${t_linux} s (runs: ${linux_times[*]})"
echo "Windows quillmere-export.exe (64-bit) under Wine --no-upload: ${t_win} s (runs: ${win_times[*]})"
echo "Wine / Linux: $(python3 -c "print(round($t_win / $t_linux, 3))")"
