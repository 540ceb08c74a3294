#!/usr/bin/env bash
# What the wizard's Finish under Wine needs around it:
#   finish-fixture.sh start DIR PREFIX SOURCE_DIR
#     the demo Sage home directory where Sage puts it on Windows 7 and later
#     for "Sage 50 / Instant 2012" (C:\ProgramData\sage\accounts\2012 of the
#     Wine prefix, its COMPANY list naming the companies by Windows paths),
#     and the HTTPS stand-in of the service on localhost (the name curl
#     under Wine verifies), with its CA in DIR/certs/ca.pem and its port in
#     DIR/port; what it receives goes to DIR/record. A word in DIR/mode
#     (such as refuse) is its answer while that file is there.
#   finish-fixture.sh stop DIR PREFIX
set -euo pipefail
cmd=$1
dir=$2
prefix=$3
home="$prefix/drive_c/ProgramData/sage/accounts/2012"
case "$cmd" in
    start)
        src=$4
        "$0" stop "$dir" "$prefix"
        mkdir -p "$dir/record" "$(dirname "$home")"
        python3 "$src/demo/make-demo.py" home "$home"
        # The list names each company as Windows sees it (C:\ProgramData\...).
        python3 - "$home" "$prefix/drive_c" <<'PY'
import os, sys
home, drive = sys.argv[1], os.path.realpath(sys.argv[2])
path = os.path.join(home, "COMPANY")
lines = open(path, newline="").read().split("\r\n")
out = ["C:" + os.path.realpath(l)[len(drive):].replace("/", "\\") for l in lines if l]
open(path, "w", newline="").write("".join(l + "\r\n" for l in out))
PY
        bash "$src/tests/standin/make-ca.sh" "$dir/certs" --san "DNS:localhost" --rsa
        python3 "$src/tests/standin/standin.py" --cert-dir "$dir/certs" \
            --record-dir "$dir/record" --mode-file "$dir/mode" </dev/null >"$dir/standin.out" 2>"$dir/standin.err" &
        echo $! >"$dir/standin.pid"
        for _ in $(seq 100); do
            [[ -s "$dir/standin.out" ]] && break
            sleep 0.1
        done
        head -n1 "$dir/standin.out" >"$dir/port"
        [[ -s "$dir/port" ]] || { cat "$dir/standin.err" >&2; exit 1; }
        ;;
    stop)
        if [[ -s "$dir/standin.pid" ]]; then
            kill "$(cat "$dir/standin.pid")" 2>/dev/null || true
        fi
        rm -rf "$dir" "$prefix/drive_c/ProgramData/sage"
        ;;
esac
