#!/usr/bin/env bash
# Lost data source: the large company of bench/data exported by the real
# command-line program while the Sage stand-in's server is stopped at once
# (pg_ctl stop -m immediate) at a random time 1-7 s into the run, RUNS times.
# The server is started again (crash recovery) before the next run.
#
# Per run it notes the delay, whether the stop came before the export ended,
# the exit status (a status over 128 is a signal: a crash), whether the
# message begins "The connection to the data source was lost" or (the driver
# died in the reader process) "The Sage ODBC driver stopped unexpectedly",
# and any file
# a stopped run left in the work directory other than the log. Prints one line a run, then
# the totals; exits 1 when a run crashed, ended the export with another
# status than 1, or left a file behind.
#   bench/lost-source.sh BUILD_DIR [RUNS]
# LOST_SOURCE_SAGE=DIR uses a stand-in already started by sage-harness in DIR
# with that company (left running) instead of starting one.
# LOST_SOURCE_KEEP=DIR keeps each run's output, log and core file (core dumps
# are enabled for the program) in DIR for a look with gdb.
set -euo pipefail
build=${1:?usage: bench/lost-source.sh BUILD_DIR [RUNS]}
build=$(cd "$build" && pwd)
runs=${2:-50}
root=$(cd "$(dirname "$0")/.." && pwd)
program="$build/app/quillmere-export"
[[ -x "$program" ]] || cmake --build "$build" --target quillmere-export >/dev/null
harness="$root/tests/harness/sage-harness"
keep=${LOST_SOURCE_KEEP:-}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/lost-source-XXXXXX")
chmod 0755 "$scratch"
sage=${LOST_SOURCE_SAGE:-$scratch/sage}
cleanup() {
    [[ -n "${LOST_SOURCE_SAGE:-}" ]] || "$harness" stop "$sage" >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT

[[ -n "${LOST_SOURCE_SAGE:-}" ]] ||
    "$harness" start "$sage" "$root/bench/data/large-company.sql" >/dev/null
python3 "$root/demo/make-demo.py" home "$scratch/home"
cluster=$(cat "$sage/cluster")
socket=$(sed -n 's/^socket=//p' "$sage/info")
port=$(sed -n 's/^port=//p' "$sage/info")
pg_ctl=$(ls -d /usr/lib/postgresql/*/bin/pg_ctl | sort -V | tail -n 1)
as_owner() { if [[ $(id -u) -eq 0 ]]; then runuser -u postgres -- "$@"; else "$@"; fi; }
server_stop() { as_owner "$pg_ctl" -D "$cluster/data" -m immediate stop >/dev/null 2>&1 || true; }
server_start() {
    as_owner "$pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 120 \
        -o "-k $socket -p $port -c listen_addresses='' -c fsync=off" start >/dev/null
}

hit=0 finished=0 crashes=0 lost_message=0 driver_message=0 other_message=0 bad_status=0 leftovers=0
declare -A statuses=()
for i in $(seq "$runs"); do
    work="$scratch/work$i" run="$scratch/run$i"
    mkdir -p "$work" "$run"
    delay_ms=$((1000 + RANDOM % 6001))
    (
        cd "$run"
        ulimit -c unlimited
        . "$sage/env"
        QUILLMERE_SAGE_PASSWORD=letmein exec "$program" --sage-version 18 \
            --home "$scratch/home" --company "Wren & Hollis Joinery Ltd" --user manager \
            --work-dir "$work" --no-upload --no-browser
    ) >"$run/output" 2>&1 &
    pid=$!
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
    stopped=no
    if kill -0 "$pid" 2>/dev/null; then
        server_stop
        stopped=yes
    fi
    status=0
    # (the shell's own report of a crashed job goes nowhere: the verdict says it)
    { wait "$pid"; } 2>/dev/null || status=$?
    message=$(grep -m 1 -v '^\s*$' <(grep -A 1 -i 'failed\|error\|lost' "$run/output") || true)
    left=$(cd "$work" && find . -mindepth 1 ! -name WizardDebug.log -printf '%P ' || true)
    verdict=finished
    if [[ $stopped == yes ]]; then
        server_start
    fi
    # Exit 0 after a stop: the tables were read before it (the run was
    # writing its archive or summary).
    if [[ $stopped == yes && $status != 0 ]]; then
        verdict=exit-$status
        ((hit += 1))
        statuses[$status]=$((${statuses[$status]:-0} + 1))
        if ((status > 128)); then
            verdict="CRASH(signal $((status - 128)))"
            ((crashes += 1))
        elif ((status != 1 && status != 0)); then
            ((bad_status += 1))
        fi
        if grep -q '^\(Error: \)\?The connection to the data source was lost' "$run/output"; then
            ((lost_message += 1))
        elif grep -q '^\(Error: \)\?The Sage ODBC driver stopped unexpectedly while' "$run/output"; then
            # The driver died in its reader process: the program says so.
            ((driver_message += 1))
            verdict+=" (driver stopped: $(grep -m 1 -o '(signal [^)]*)\|(exit code [0-9]*)' "$run/output" || true))"
        elif ((status == 1)); then
            ((other_message += 1))
            verdict+=" OTHER MESSAGE: $message"
        fi
    else
        ((finished += 1))
        ((status == 0)) || { verdict="FAILED exit $status: $message"; ((bad_status += 1)); }
    fi
    # A finished run keeps its archive and summary; a failed one only the log
    # (a crashed one cannot clean up).
    if [[ $status != 0 && $status -le 128 && -n "$left" ]]; then
        verdict+=" LEFT: $left"
        ((leftovers += 1))
    fi
    printf 'run %2d: stop at %d.%03d s %-13s %s\n' "$i" $((delay_ms / 1000)) $((delay_ms % 1000)) \
        "$([[ $stopped == yes ]] && echo "(server stopped)" || echo "(run ended)")" "$verdict"
    if [[ -n "$keep" ]]; then
        mkdir -p "$keep/run$i"
        cp -r "$run"/. "$keep/run$i/"
        cp "$work/WizardDebug.log" "$keep/run$i/" 2>/dev/null || true
    fi
    rm -rf "$work" "$run"
done

echo "runs: $runs; stop while the tables were read: $hit; tables read before the stop: $finished"
echo "crashes: $crashes; exit statuses of the stopped runs:$(for s in "${!statuses[@]}"; do
    printf ' %s x%d' "$s" "${statuses[$s]}"; done)"
echo "message 'The connection to the data source was lost': $lost_message of $hit;" \
    "'The Sage ODBC driver stopped unexpectedly': $driver_message; other message: $other_message"
echo "runs that left files in the work directory: $leftovers"
((crashes == 0 && bad_status == 0 && other_message == 0 && leftovers == 0))
