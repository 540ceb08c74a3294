#!/usr/bin/env bash
# Export benchmark: a large company in the Sage stand-in (bench/data/
# large-company.sql: 200,000 splits with three journal lines each, 50,000
# allocations, 5,000 accounts per ledger), exported (a) by Finish's export run
# through the program (export_bench, no upload) and (b) by the same eight
# queries through psql's \copy to CSV followed by zip -6 of the eight files,
# and (c) the driver floor: the program's eight queries through the same data
# source and query settings, every record fetched and thrown away (export_bench
# --floor). Prints the wall time and peak memory of each, the peak memory of
# (a) for a company a quarter the size, "floor ratio: F", F = a / c, and last
# "ratio: R", R = a / b (best of RUNS), what the migration report of (a)
# cost: its scans beside the deflate and its making after the archive, and
# the peak memory of (a)'s two processes: the program and the reader process
# that reads the data source for it (the peak of (a) is the larger).
#   bench/export.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: bench/export.sh BUILD_DIR [RUNS]}
build=$(cd "$build" && pwd)
runs=${2:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
bench="$build/bench/export_bench"
[[ -x "$bench" ]] || cmake --build "$build" --target export_bench >/dev/null
harness="$root/tests/harness/sage-harness"

work=$(mktemp -d "${TMPDIR:-/tmp}/export-bench-XXXXXX")
chmod 0755 "$work"
cleanup() {
    "$harness" stop "$work/large" >/dev/null 2>&1 || true
    "$harness" stop "$work/quarter" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

{ echo '\set divisor 4'; cat "$root/bench/data/large-company.sql"; } >"$work/quarter.sql"
"$harness" start "$work/large" "$root/bench/data/large-company.sql" >/dev/null
"$harness" start "$work/quarter" "$work/quarter.sql" >/dev/null

now() { date +%s.%N; }
best() { python3 -c 'import sys; print(min(float(x) for x in sys.argv[1:]))' "$@"; }
# Peak resident memory in kB of a command (GNU time), its output discarded.
# What it printed stays in $work/stdout.
peak_of() { /usr/bin/time -f %M -o "$work/rss" "$@" >"$work/stdout" 2>"$work/stderr" || {
    cat "$work/stderr" >&2; return 1; }; cat "$work/rss"; }

# (a) the program
export_run() {
    local state=$1 out=$2
    rm -rf "$out" && mkdir -p "$out"
    (. "$state/env" && peak_of "$bench" "$out")
    cp "$work/stdout" "$out.figures"
}
# A figure export_bench printed for a run: figure OUT NAME.
figure() { sed -n "s/^$2: //p" "$1.figures"; }

# (c) the driver floor
floor_run() {
    local state=$1 out=$2
    rm -rf "$out" && mkdir -p "$out"
    (. "$state/env" && peak_of "$bench" --floor "$out")
}

# (b) psql \copy of the same eight queries, then zip -6
socket=$(sed -n 's/^socket=//p' "$work/large/info")
port=$(sed -n 's/^port=//p' "$work/large/info")
transactions="SELECT a.tran_number, a.type, a.date, a.account_ref,a.inv_ref, b.nominal_code, \
a.details, a.date + 30 as due_date, a.paid_flag,a.paid_status, b.amount, a.net_amount,\
a.tax_amount, a.gross_amount,a.amount_paid, a.payment, a.outstanding, a.date_entered FROM \
audit_split a INNER JOIN audit_journal b on a.tran_number = b.tran_number WHERE \
a.deleted_flag = 0 AND"
allocations="SELECT a.tran_number, a.date, a.bank_code, b.reference, b.details, b.amount FROM \
audit_split a INNER JOIN audit_usage b on a.split_number = b.split_number WHERE a.type IN"
queries=(
    "Sales Ledger Codes.csv|SELECT s.* FROM sales_ledger s INNER JOIN currency c ON s.currency = c.number ORDER BY ACCOUNT_REF"
    "Sales Ledger Transactions.csv|$transactions type IN ('SI', 'SC', 'SA') ORDER BY TRAN_NUMBER"
    "Purchase Ledger Codes.csv|SELECT s.* FROM purchase_ledger s INNER JOIN currency c ON s.currency = c.number ORDER BY ACCOUNT_REF"
    "Purchase Ledger Transactions.csv|$transactions type IN ('PI', 'PC', 'PA', 'PR') ORDER BY TRAN_NUMBER"
    "Nominal Ledger Codes.csv|SELECT account_ref, name, account_type, balance from nominal_ledger ORDER BY ACCOUNT_REF"
    "Nominal Ledger Transactions.csv|$transactions type NOT IN ('PI', 'PC','PP','PA', 'PR', 'SI', 'SC', 'SR', 'SA') ORDER BY TRAN_NUMBER"
    "Payments.csv|$allocations ('PP', 'PA') AND a.deleted_flag = 0 ORDER BY tran_number"
    "Receipts.csv|$allocations ('SR', 'SA') AND a.deleted_flag = 0 ORDER BY tran_number"
)
copy_run() {
    local out=$1 peak=0 kb entry name sql
    rm -rf "$out" && mkdir -p "$out"
    for entry in "${queries[@]}"; do
        name=${entry%%|*}
        sql=${entry#*|}
        kb=$(PGPASSWORD=letmein peak_of psql -X -q -h "$socket" -p "$port" -U manager -d sage \
            -c "\\copy ($sql) to '$out/$name' csv")
        (( kb > peak )) && peak=$kb
    done
    kb=$(cd "$out" && peak_of zip -q -6 archive.zip *.csv)
    (( kb > peak )) && peak=$kb
    rm -f "$out"/*.csv
    echo "$peak"
}

ours=() theirs=() floors=() ours_kb=0 theirs_kb=0 floor_kb=0
for _ in $(seq "$runs"); do
    start=$(now); kb=$(floor_run "$work/large" "$work/c"); end=$(now)
    floors+=("$(python3 -c "print(round($end - $start, 3))")")
    (( kb > floor_kb )) && floor_kb=$kb
    start=$(now); kb=$(export_run "$work/large" "$work/a"); end=$(now)
    ours+=("$(python3 -c "print(round($end - $start, 3))")")
    (( kb > ours_kb )) && ours_kb=$kb
    start=$(now); kb=$(copy_run "$work/b"); end=$(now)
    theirs+=("$(python3 -c "print(round($end - $start, 3))")")
    (( kb > theirs_kb )) && theirs_kb=$kb
done
quarter_kb=$(export_run "$work/quarter" "$work/q")

archive=$(ls "$work"/a/*.zip)
t_ours=$(best "${ours[@]}")
t_theirs=$(best "${theirs[@]}")
t_floor=$(best "${floors[@]}")
echo "company: 200000 splits x 3 journal lines, 50000 allocations, 5000 accounts per ledger"
echo "(a) export run: ${t_ours} s (runs: ${ours[*]}), peak memory $((ours_kb / 1024)) MiB, archive $(stat -c %s "$archive") bytes"
echo "(a) peak memory by process (last run): the program $(( $(figure "$work/a" peak_rss_kb) / 1024 )) MiB, its reader process $(( $(figure "$work/a" reader_peak_rss_kb) / 1024 )) MiB"
echo "(a) on a quarter of the company: peak memory $((quarter_kb / 1024)) MiB"
echo "(a) its migration report: $(figure "$work/a" report_scan_s) s reading the tables beside the deflate, $(figure "$work/a" report_write_s) s made and written after the archive (last run)"
echo "(b) psql \\copy + zip -6: ${t_theirs} s (runs: ${theirs[*]}), peak memory $((theirs_kb / 1024)) MiB, archive $(stat -c %s "$work/b/archive.zip") bytes"
echo "(c) driver floor (the eight queries, records fetched and dropped): ${t_floor} s (runs: ${floors[*]}), peak memory $((floor_kb / 1024)) MiB"
echo "floor ratio: $(python3 -c "print(round($t_ours / $t_floor, 3))")"
echo "ratio: $(python3 -c "print(round($t_ours / $t_theirs, 3))")"
