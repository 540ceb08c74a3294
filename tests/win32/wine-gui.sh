#!/usr/bin/env bash
# Windows GUI tests under Wine on a virtual X display (Xvfb).
#
#   wine-gui.sh start DIR LOADER   make the Wine prefix DIR/prefix (once), start
#                                  Xvfb and a persistent wineserver
#   wine-gui.sh run DIR LOADER PROGRAM ARGS...
#                                  run a Windows program there
#   wine-gui.sh stop DIR           stop the wineserver and Xvfb
#
# LOADER is Wine's loader for the program's architecture
# (/usr/lib/wine/wine64 or /usr/lib/wine/wine). Wine draws the windows'
# frames itself on one virtual desktop, so pictures of windows show their
# title bars.
set -euo pipefail
cmd=$1
dir=$2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
export WINEPREFIX=$dir/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_env() {
    local loader=$1
    case "$loader" in
        *64) export WINEARCH=win64 ;;
        *) export WINEARCH=win32 ;;
    esac
    export WINELOADER=$loader
}

case "$cmd" in
    start)
        wine_env "$3"
        "$0" stop "$dir" || true
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
        wineserver -p </dev/null >/dev/null 2>&1
        # The first program starts Wine's helper processes (and makes the
        # prefix): none of them may hold the test runner's pipes.
        "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1
        "$WINELOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
            </dev/null >/dev/null 2>&1
        "$WINELOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
            /d 1024x768 /f </dev/null >/dev/null 2>&1
        ;;
    run)
        wine_env "$3"
        shift 3
        if [[ -s "$dir/display" ]]; then
            export DISPLAY=$(cat "$dir/display")
        else
            # Listing the tests needs no display. Wine's helpers start first,
            # away from the pipes of whoever reads the list.
            unset DISPLAY
            "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1
        fi
        exec "$WINELOADER" "$@"
        ;;
    stop)
        wineserver -k 2>/dev/null || true
        if [[ -s "$dir/xvfb.pid" ]]; then
            kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
        fi
        rm -f "$dir/xvfb.pid" "$dir/display" "$dir/display.tmp"
        ;;
    *)
        sed -n '2,12p' "$0" >&2
        exit 2
        ;;
esac
