#!/usr/bin/env bash
# Upload benchmark: archives of 50 MB and 200 MB (by default) sent as SageFile
# to the HTTPS stand-in, once through the program's service client
# (service-upload, which reads the archive while it sends it) and once through
# curl --data-binary with the same request body. Prints for each size both
# times (best of three), the client's peak memory and the ratio ours /
# curl's, and last "ratio: R", the larger of the sizes' ratios.
#   bench/upload.sh BUILD_DIR [SIZE_MB...]
set -euo pipefail
build=${1:?usage: bench/upload.sh BUILD_DIR [SIZE_MB...]}
build=$(cd "$build" && pwd)
shift
sizes=("$@")
(( ${#sizes[@]} )) || sizes=(50 200)
root=$(cd "$(dirname "$0")/.." && pwd)
tool="$build/tests/service/service-upload"
[[ -x "$tool" ]] || { echo "upload.sh: $tool is missing (build first)" >&2; exit 1; }

work=$(mktemp -d)
standin_pid=""
cleanup() {
    [[ -n "$standin_pid" ]] && kill "$standin_pid" 2>/dev/null && wait "$standin_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$root/tests/standin/make-ca.sh" "$work/certs"
python3 "$root/tests/standin/standin.py" --cert-dir "$work/certs" > "$work/port" &
standin_pid=$!
for _ in $(seq 50); do [[ -s "$work/port" ]] && break; sleep 0.1; done
port=$(head -1 "$work/port")
url="https://127.0.0.1:$port"

now() { date +%s.%N; }
best() { python3 -c 'import sys; print(min(float(x) for x in sys.argv[1:]))' "$@"; }

worst=0
for size_mb in "${sizes[@]}"; do
    # A zip archive of incompressible data (stored), like an archive of
    # already-compressed tables: its size is the size that travels.
    python3 - "$work/archive.zip" "$size_mb" <<'PY'
import os, sys, zipfile
path, mb = sys.argv[1], int(sys.argv[2])
with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
    z.writestr("Nominal Ledger Transactions.csv", os.urandom(mb * 1024 * 1024 - 200))
PY
    archive_size=$(stat -c %s "$work/archive.zip")
    "$tool" --dump-body "$work/body.xml" "$work/archive.zip"

    ours=()
    curls=()
    peak_kb=0
    for run in 1 2 3; do
        start=$(now)
        "$tool" --service-url "$url" --ca-file "$work/certs/ca.pem" "$work/archive.zip" > "$work/ours.out"
        end=$(now)
        ours+=("$(python3 -c "print(round($end - $start, 3))")")
        grep -q '^identifier: [1-9]' "$work/ours.out" || { cat "$work/ours.out"; exit 1; }
        id=$(sed -n 's/^identifier: //p' "$work/ours.out")
        kb=$(sed -n 's/^peak_rss_kb: //p' "$work/ours.out")
        (( kb > peak_kb )) && peak_kb=$kb

        # The stand-in unpacks what arrived through our client: the same bytes.
        arrived=$(curl -sS --cacert "$work/certs/ca.pem" "$url/_imports/$id.json" |
            python3 -c 'import json,sys; print(json.load(sys.stdin)["archive_size"])')
        [[ "$arrived" == "$archive_size" ]] || { echo "archive arrived with $arrived bytes" >&2; exit 1; }

        start=$(now)
        curl -sS --fail-with-body --cacert "$work/certs/ca.pem" -H 'Content-Type: text/xml' \
            -H 'SOAPAction: "VureDevu/SageFile"' -H 'Expect:' -A 'Borland SOAP 1.2' \
            --data-binary @"$work/body.xml" "$url/api/service.asmx" > "$work/curl.out"
        end=$(now)
        curls+=("$(python3 -c "print(round($end - $start, 3))")")
        grep -q '<SageFileResult>[1-9]' "$work/curl.out" || { cat "$work/curl.out"; exit 1; }
    done

    t_ours=$(best "${ours[@]}")
    t_curl=$(best "${curls[@]}")
    ratio=$(python3 -c "print(round($t_ours / $t_curl, 3))")
    worst=$(python3 -c "print(max($worst, $ratio))")
    body_size=$(stat -c %s "$work/body.xml")
    echo "archive ${size_mb} MB: $archive_size bytes; request body: $body_size bytes"
    echo "  ours: ${t_ours} s (runs: ${ours[*]}); curl: ${t_curl} s (runs: ${curls[*]}); ratio $ratio"
    echo "  peak memory: $((peak_kb / 1024)) MiB ($(python3 -c "print(round($peak_kb * 1024 / $archive_size, 2))") x the archive)"
done
echo "ratio: $worst"
