#!/usr/bin/env bash
# Windows GUI tests under Wine on a virtual X display (Xvfb), in a prefix of
# their own (scripts/wine-session and scripts/wine-exec do the Wine part).
#
#   wine-gui.sh start DIR ARCH     start Xvfb, make the prefix DIR/prefix when
#                                  missing with one virtual desktop, and a
#                                  persistent wineserver for it
#   wine-gui.sh run DIR ARCH PROGRAM ARGS...
#                                  run a Windows program there
#   wine-gui.sh stop DIR ARCH      stop the wineserver and Xvfb
#
# ARCH is win32 or win64. On the one virtual desktop Wine draws the windows'
# frames itself, so pictures of windows show their title bars.
set -euo pipefail
cmd=$1
dir=$2
arch=$3
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
prefix=$dir/prefix

case "$cmd" in
    start)
        "$0" stop "$dir" "$arch"
        # Xvfb picks a free display and writes its number to fd 3.
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display.tmp" \
            </dev/null >/dev/null 2>&1 &
        echo $! >"$dir/xvfb.pid"
        for _ in $(seq 100); do
            [[ -s "$dir/display.tmp" ]] && break
            sleep 0.1
        done
        [[ -s "$dir/display.tmp" ]] || { echo "Xvfb did not start" >&2; exit 1; }
        export DISPLAY=:$(head -n1 "$dir/display.tmp")
        echo "$DISPLAY" >"$dir/display"
        # Nothing Wine starts may hold the test runner's pipes.
        "$scripts/wine-session" start "$arch" "$prefix" </dev/null >/dev/null 2>&1
        for key in 'HKCU\Software\Wine\Explorer /v Desktop /d Default' \
            'HKCU\Software\Wine\Explorer\Desktops /v Default /d 1024x768'; do
            # shellcheck disable=SC2086
            "$scripts/wine-exec" "$arch" "$prefix" reg add $key /f </dev/null >/dev/null 2>&1
        done
        ;;
    run)
        shift 3
        if [[ -s "$dir/display" ]]; then
            export DISPLAY=$(cat "$dir/display")
        else
            # Listing the tests needs no display. Wine's helpers start first,
            # away from the pipes of whoever reads the list.
            unset DISPLAY
            "$scripts/wine-exec" "$arch" "$prefix" cmd /c exit </dev/null >/dev/null 2>&1
        fi
        exec "$scripts/wine-exec" "$arch" "$prefix" "$@"
        ;;
    stop)
        "$scripts/wine-session" stop "$arch" "$prefix"
        if [[ -s "$dir/xvfb.pid" ]]; then
            kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
        fi
        rm -f "$dir/xvfb.pid" "$dir/display" "$dir/display.tmp"
        ;;
    *)
        sed -n '2,13p' "$0" >&2
        exit 2
        ;;
esac
