#!/usr/bin/env bash
# CPU of the running Notafon.exe under Wine, as a share of one core (utime + stime of its process over SECONDS):
# idle, then recording fed speech with the meter animating; next to notafon-cli.exe capture recording the same speech
# in the same Wine environment, which has no window and so measures what Wine's audio path itself costs.
# Run by scripts/bench.sh window-cpu [--seconds N]; needs the windows build (Notafon, notafon-cli, the e2e driver).
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_MEASURED=${1:-60}
APP="$ROOT/build/windows/src/Notafon.exe"
CLI="$ROOT/build/windows/src/notafon-cli.exe"
DRIVER="$ROOT/build/windows/tests/notafon_e2e_driver.exe"
for f in "$APP" "$CLI" "$DRIVER"; do [ -f "$f" ] || { echo "bench: $f is missing" >&2; exit 1; }; done

# shellcheck source=../scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"
# shellcheck source=../tests/wine/wine_audio.sh
source "$ROOT/tests/wine/wine_audio.sh"
wine_env_up || exit 1
WORK=$(mktemp -d "$NOTAFON_E2E/cpu.XXXXXX")
KEY='HKCU\Software\Parlowen\Recorder'
TICKS=$(getconf CLK_TCK)
APP_PID='' FEED_PID=''
cleanup() {
    [ -n "$FEED_PID" ] && kill "$FEED_PID" 2>/dev/null
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    wine_env_down
}
trap cleanup EXIT

# Speech long enough for the whole measurement: the same sentences repeated.
espeak-ng -w "$WORK/one.wav" "Every word is saved as you go. The meter follows the voice while you speak, and pauses \
between sentences let it settle." || exit 1
sox "$WORK/one.wav" -r 22050 -b 16 -c 1 "$WORK/speech.wav" norm -3 repeat $((SECONDS_MEASURED / 5 + 4)) || exit 1
sox "$WORK/speech.wav" -t raw "$WORK/speech.raw"
wine_env_use_mic 22050

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null; }
# share PID: the process's CPU over SECONDS_MEASURED, as a percentage of one core.
share() {
    local before after
    before=$(cpu_ticks "$1")
    sleep "$SECONDS_MEASURED"
    after=$(cpu_ticks "$1")
    awk -v a="$after" -v b="$before" -v t="$TICKS" -v s="$SECONDS_MEASURED" 'BEGIN { printf "%.2f\n", (a - b) / t / s * 100 }'
}
drv() { wine "$DRIVER" find PRLWRecorder 30000 "$@" </dev/null >/dev/null 2>&1; }
feed() {
    python3 "$ROOT/tests/tools/feed_fifo.py" "$NOTAFON_MIC_FIFO_22050" "$WORK/speech.raw" --rate 22050 \
        --max-seconds $((SECONDS_MEASURED + 30)) &
    FEED_PID=$!
}
feed_stop() { kill "$FEED_PID" 2>/dev/null; wait "$FEED_PID" 2>/dev/null; FEED_PID=''; }

mkdir -p "$WORK/rec" "$WORK/cli"
wine reg add "$KEY" /v Folder /t REG_SZ /d "$(wine_path "$WORK/rec")" /f >/dev/null 2>&1
wine reg add "$KEY" /v Format /t REG_DWORD /d 1 /f >/dev/null 2>&1
# `wine` execs into the Windows process itself, so this pid is Notafon.exe's.
wine "$APP" >/dev/null 2>&1 &
APP_PID=$!
drv sleep 3000
IDLE=$(share "$APP_PID")
drv click kIdRecord
feed
sleep 2
RECORDING=$(share "$APP_PID")
drv click kIdStop sleep 1000
feed_stop
drv close 20000
wait "$APP_PID" 2>/dev/null
APP_PID=''

wine "$CLI" capture --format 1 --folder "$(wine_path "$WORK/cli")" --seconds $((SECONDS_MEASURED + 6)) \
    >"$WORK/cli.out" 2>&1 </dev/null &
CLI_PID=$!
for _ in $(seq 500); do grep -qs '^started: 1' "$WORK/cli.out" && break; sleep 0.02; done
feed
sleep 2
CAPTURE=$(share "$CLI_PID")
wait "$CLI_PID" 2>/dev/null
feed_stop

echo "window-cpu: ${SECONDS_MEASURED} s each, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo "Notafon.exe idle:                     ${IDLE} % of a core"
echo "Notafon.exe recording (meter moving): ${RECORDING} % of a core"
echo "notafon-cli.exe capture (no window):  ${CAPTURE} % of a core"
awk -v r="$RECORDING" -v c="$CAPTURE" 'BEGIN { if (c > 0) printf "recording / capture: %.2f (goal <= 1.25)\n", r / c }'
