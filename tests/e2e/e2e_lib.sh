# shellcheck shell=bash
# Shared by the end-to-end scripts of Notafon.exe under Wine (sourced; defines variables and functions only).
#
#   e2e_setup APP DRIVER NATIVE_BUILD ARTIFACTS   paths, a work folder with an empty recordings folder $REC, the
#                                                 clean-up on exit
#   speech_to_feed RATE SECONDS PHRASE            PHRASE spoken, 6 dB below full scale, cut to SECONDS, at RATE:
#                                                 $WORK/speech.wav and the same samples raw in $WORK/speech.raw
#   drv STEP...                                   runs the driver; its output is in $DRV_OUT, printed indented
#   out KEY / first KEY                           the last / the first value of "KEY: value" in $DRV_OUT
#   expect NAME GOT WANT / expect_match NAME GOT REGEX / fail NAME WHY   checks, counted in $FAILURES
#   app_start / app_close                         Notafon.exe in the background, closed through its window
#   fresh_settings FOLDER                         no saved settings except the recordings folder
#   reg_value NAME                                a saved value (DWORDs in decimal), empty when absent
#   mic_drain RATE                                empties the FIFO of RATE of what an earlier feeder left in it
#   other_window_keys KEYS / own_window_keys KEYS  real key presses to Notepad / to Notafon, each given X's focus
#   speaker_start FILE                            speaker_record_start, counting a silent parecord as a failure
#   rms_of FILE START DURATION                    RMS amplitude (0..1) of a stretch of a recording of the speaker
#
# The microphone (feed_start, feed_stop, wine_env_use_mic) and speaker_record_stop come from tests/wine/wine_audio.sh.
# Needs the environment of scripts/wine-env.sh (wine_env_up); scripts/test.sh provides it.

E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../wine/wine_audio.sh
source "$E2E_HERE/../wine/wine_audio.sh"
# shellcheck source=../wine/wine_browser.sh
source "$E2E_HERE/../wine/wine_browser.sh"

E2E_KEY='HKCU\Software\Parlowen\Recorder'
FAILURES=0
APP_PID=''

e2e_setup() {
    wine_env_require || exit 1
    APP=$1 DRIVER=$2
    local native=$3
    ARTIFACTS=$4
    CHECK="$native/tests/audio_check" MATCH="$native/tests/signal_match" NATIVE_CLI="$native/src/notafon-cli"
    local f
    for f in "$APP" "$DRIVER" "$CHECK" "$MATCH" "$NATIVE_CLI"; do
        [ -f "$f" ] || { echo "FAIL: $f is missing (build the native and Windows presets first)"; exit 1; }
    done
    mkdir -p "$ARTIFACTS"
    WORK=$(mktemp -d)
    trap e2e_cleanup EXIT
    REC="$WORK/recordings"
    mkdir -p "$REC"
    START_TIME=$(date +%s.%N)
}

# Below the limiter's ceiling, so a recording of it gets a plain success.
speech_to_feed() {
    espeak-ng -w "$WORK/speech-raw.wav" "$3"
    sox "$WORK/speech-raw.wav" -r "$1" -b 16 -c 1 "$WORK/speech.wav" norm -6 trim 0 "$2"
    sox "$WORK/speech.wav" -t raw "$WORK/speech.raw"
}

# Whatever a failed run left: the feeder (it would block on a full pipe for good), parecord, the application.
e2e_cleanup() {
    feed_stop
    speaker_record_stop
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        wine "$DRIVER" find PRLWRecorder 1000 terminate >/dev/null 2>&1
        kill "$APP_PID" 2>/dev/null
        wait "$APP_PID" 2>/dev/null
    fi
    [ -n "${KEEP_WORK:-}" ] && cp -r "$WORK" "$KEEP_WORK"
    rm -rf "$WORK"
}

elapsed() { awk -v a="$(date +%s.%N)" -v b="$START_TIME" 'BEGIN { printf "%.1f s", a - b }'; }
section() { printf '\n== %s (at %s)\n' "$*" "$(elapsed)"; }

fail() {
    printf 'FAIL: %s: %s\n' "$1" "$2"
    FAILURES=$((FAILURES + 1))
    return 1
}
expect() {
    if [ "$2" = "$3" ]; then printf 'ok: %s = %s\n' "$1" "$2"; else fail "$1" "got '$2', expected '$3'"; fi
}
expect_match() {
    if [[ "$2" =~ $3 ]]; then printf 'ok: %s = %s\n' "$1" "$2"; else fail "$1" "got '$2', expected /$3/"; fi
}

# drv STEP...: the driver's exit status; its output (CR removed) in DRV_OUT, echoed indented.
# The driver answers every step, a failed one with "error:"; a run that printed nothing at all never reached it (now
# and then on a busy machine Wine ends a starting program with status 1 before its first line), so it is started once
# more, and says so.
drv() {
    local rc=0
    wine "$DRIVER" "$@" >"$WORK/drv.out" 2>"$WORK/drv.err" || rc=$?
    if [ $rc -ne 0 ] && [ ! -s "$WORK/drv.out" ] && [ ! -s "$WORK/drv.err" ]; then
        printf '    (the driver did not start, exit %d: starting it again)\n' "$rc"
        rc=0
        wine "$DRIVER" "$@" >"$WORK/drv.out" 2>"$WORK/drv.err" || rc=$?
    fi
    DRV_OUT=$(tr -d '\r' <"$WORK/drv.out")
    [ -n "$DRV_OUT" ] && printf '%s\n' "$DRV_OUT" | sed 's/^/    /'
    if [ $rc -ne 0 ]; then
        printf '    (driver exit %d for: %s)\n' "$rc" "$*"
        sed 's/^/    stderr: /' "$WORK/drv.err" | head -5
    fi
    return $rc
}
# The window's steps, prefixed with finding it.
win() { drv find PRLWRecorder 5000 "$@"; }
out() { printf '%s\n' "$DRV_OUT" | sed -n "s/^$1: //p" | tail -1; }
first() { printf '%s\n' "$DRV_OUT" | sed -n "s/^$1: //p" | head -1; }

fresh_settings() {
    wine reg delete "$E2E_KEY" /f >/dev/null 2>&1 || true
    wine reg add "$E2E_KEY" /v Folder /t REG_SZ /d "$(wine_path "$1")" /f >/dev/null 2>&1 ||
        { echo "FAIL: could not set the recordings folder"; exit 1; }
}

# DWORDs print in decimal, strings as stored.
reg_value() {
    local line type value
    local answer
    answer=$(wine reg query "$E2E_KEY" /v "$1" 2>&1)
    # An absent value is said in words; no answer at all is a reg.exe that did not start (see drv).
    [ -n "$answer" ] || answer=$(wine reg query "$E2E_KEY" /v "$1" 2>&1)
    line=$(printf '%s\n' "$answer" | tr -d '\r' | grep -E "^ +$1 +REG_") || return 0
    type=$(printf '%s\n' "$line" | awk '{ print $2 }')
    value=$(printf '%s\n' "$line" | sed -E "s/^ +$1 +REG_[A-Z_]+ +//")
    if [ "$type" = REG_DWORD ]; then printf '%d\n' "$value"; else printf '%s\n' "$value"; fi
}

app_start() {
    wine "$APP" >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    drv find PRLWRecorder 30000 || { fail "start" "no Notafon window"; exit 1; }
}

# Closes through the window (WM_CLOSE) and waits for the process; the wine process ends with it.
app_close() {
    if win close 20000; then
        expect "exit code after closing" "$(out exit)" 0
    else
        fail "close" "the window did not close"
    fi
    for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.05; done
    if kill -0 "$APP_PID" 2>/dev/null; then fail "close" "the wine process still runs"; fi
    wait "$APP_PID" 2>/dev/null
    APP_PID=
}

# A feeder killed after a recording leaves up to a pipe's worth (about 1.5 s at 22050 Hz) unread, which the next
# recording would hear first.
mic_drain() {
    local fifo=NOTAFON_MIC_FIFO_$1
    python3 - "${!fifo}" <<'EOF_PY'
import os, sys
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK)
n = 0
try:
    while True:
        block = os.read(fd, 65536)
        if not block:
            break
        n += len(block)
except BlockingIOError:
    pass
os.close(fd)
print("drained: %d bytes" % n)
EOF_PY
}

# Notepad as the other program that has the keyboard focus while global shortcuts are pressed.
NOTEPAD_PID=''
notepad_start() {
    wine notepad >"$WORK/notepad.log" 2>&1 &
    NOTEPAD_PID=$!
    drv find Notepad 30000 >/dev/null || { fail "notepad" "no Notepad window"; exit 1; }
}
notepad_stop() {
    [ -n "$NOTEPAD_PID" ] || return 0
    wine "$DRIVER" find Notepad 1000 terminate >/dev/null 2>&1
    kill "$NOTEPAD_PID" 2>/dev/null
    wait "$NOTEPAD_PID" 2>/dev/null
    NOTEPAD_PID=''
}
# X's keyboard focus on the window whose title matches the extended regex $1. xdotool's keys go where X's focus is,
# and a window the driver brings forward becomes Wine's foreground window without X's focus following it (on Windows
# the foreground window has the keyboard): the keys would reach the window in front before it.
x_focus() {
    local wid
    wid=$(xdotool search --name "$1" 2>/dev/null | head -1)
    [ -n "$wid" ] || { fail "focus" "no X window titled $1"; return 1; }
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ] && return 0
    timeout 5 xdotool windowfocus --sync "$wid" >/dev/null 2>&1 || fail "focus" "X's focus did not go to $1"
}
# Real key presses (X events) while Notepad is in front.
other_window_keys() {
    drv find Notepad 5000 fg >/dev/null || fail "focus" "Notepad could not be brought forward"
    x_focus ' - Notepad$'
    xdotool key --delay 60 "$@"
}
# Real key presses to Notafon's window, in front (a shortcut being captured).
own_window_keys() {
    x_focus '^Notafon v2\.0$'
    xdotool key --delay 60 "$@"
}

speaker_start() { speaker_record_start "$1" || fail "speaker" "parecord delivered nothing"; }

speaker_wav() { sox -t raw -r 44100 -e signed -b 16 -c 1 "$1" "$2"; }

rms_of() {
    sox -t raw -r 44100 -e signed -b 16 -c 1 "$1" -n trim "$2" "$3" stat 2>&1 | sed -n 's/^RMS *amplitude: *//p'
}

# A number comparison for the checks: awk's exit status of EXPR with a and b bound.
holds() { awk -v a="$1" -v b="$2" "BEGIN { exit !($3) }"; }

e2e_finish() {
    section "done"
    if [ "$FAILURES" -ne 0 ]; then
        echo "FAIL: $FAILURES check(s) failed"
        exit 1
    fi
    echo "PASS"
}
