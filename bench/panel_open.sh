#!/usr/bin/env bash
# The time from a click on "Transcribe on Parlowen" to the browser's Navigate, under Wine with the WebView2 test
# double as the loader (Wine has no WebView2 runtime): Notafon.exe built with the double as its resource 200, next to
# a peer program that only loads the same double, asks for the environment and a controller and navigates
# (bench/panel_peer_win.cpp). The driver notes the system time just before the click; the double notes it on every
# call it logs. Each round starts both programs afresh (first open in a process, the loader file already written by
# an earlier round, as for a user's every session after the first) and the two take turns.
# Run by scripts/bench.sh panel-open [--repeat N]; needs the bench-windows build.
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
REPEAT=${1:-10}
WB="$ROOT/build/bench-windows"
APP="$WB/tests/NotafonWithDouble.exe"
PEER="$WB/bench/notafon_bench_panel_peer.exe"
DOUBLE="$WB/tests/webview2-double/WebView2Loader.dll"
DRIVER="$WB/tests/notafon_e2e_driver.exe"
for f in "$APP" "$PEER" "$DOUBLE" "$DRIVER"; do [ -f "$f" ] || { echo "bench: $f is missing" >&2; exit 1; }; done

# shellcheck source=../scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"
wine_env_up || exit 1
WORK=$(mktemp -d "$NOTAFON_E2E/panel-open.XXXXXX")
PID=''
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null
    wine_env_down
}
trap cleanup EXIT

export NOTAFON_WEBVIEW2_DOUBLE_LOG NOTAFON_WEBVIEW2_DOUBLE_CLOCK=1
NOTAFON_WEBVIEW2_DOUBLE_LOG=$(wine_path "$WORK/double.log")
mkdir -p "$WORK/rec" "$WORK/peer-data"
wine reg add 'HKCU\Software\Parlowen\Recorder' /v Folder /t REG_SZ /d "$(wine_path "$WORK/rec")" /f >/dev/null 2>&1

# one CLASS PROGRAM ARGS...: milliseconds from the click to Navigate in a fresh process, or nothing on failure.
one() {
    local class=$1
    shift
    rm -f "$WORK/double.log"
    wine "$@" >/dev/null 2>&1 &
    PID=$!
    local said clicked navigated=''
    said=$(wine "$DRIVER" find "$class" 30000 sleep 500 timedclick kIdTranscribe </dev/null 2>/dev/null | tr -d '\r')
    clicked=$(printf '%s\n' "$said" | sed -n 's/^clock: //p')
    for _ in $(seq 200); do
        navigated=$(grep -m1 ' WebView\.Navigate ' "$WORK/double.log" 2>/dev/null | cut -d' ' -f1)
        [ -n "$navigated" ] && break
        sleep 0.05
    done
    wine "$DRIVER" find "$class" 5000 close 20000 </dev/null >/dev/null 2>&1
    wait "$PID" 2>/dev/null
    PID=''
    [ -n "$clicked" ] && [ -n "$navigated" ] &&
        awk -v n="$navigated" -v c="$clicked" 'BEGIN { printf "%.1f\n", (n - c) / 10000 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$WORK/app.ms"
: >"$WORK/peer.ms"
for round in $(seq "$REPEAT"); do
    a=$(one PRLWRecorder "$APP")
    p=$(one PanelPeer "$PEER" "$(wine_path "$DOUBLE")" "$(wine_path "$WORK/peer-data")")
    echo "round $round: Notafon.exe ${a:-failed} ms, peer ${p:-failed} ms" >&2
    [ -n "$a" ] && echo "$a" >>"$WORK/app.ms"
    [ -n "$p" ] && echo "$p" >>"$WORK/peer.ms"
done
APP_MEDIAN=$(median <"$WORK/app.ms")
PEER_MEDIAN=$(median <"$WORK/peer.ms")
echo "panel-open: click to Navigate under $(wine --version), $REPEAT rounds, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Notafon.exe (double as resource 200): median ${APP_MEDIAN:-none} ms over $(wc -l <"$WORK/app.ms") runs"
echo "peer (the same double, nothing else): median ${PEER_MEDIAN:-none} ms over $(wc -l <"$WORK/peer.ms") runs"
[ -n "$APP_MEDIAN" ] && [ -n "$PEER_MEDIAN" ] &&
    awk -v a="$APP_MEDIAN" -v p="$PEER_MEDIAN" 'BEGIN { if (p > 0) printf "Notafon.exe / peer: %.2f\n", a / p }'
[ "$(wc -l <"$WORK/app.ms")" -eq "$REPEAT" ] && [ "$(wc -l <"$WORK/peer.ms")" -eq "$REPEAT" ]
