#!/usr/bin/env bash
# Notafon.exe end to end under Wine when the recording is let down from outside:
#  - the Windows session ends (wineboot --end-session sends WM_QUERYENDSESSION and WM_ENDSESSION to every window)
#    while a WAV take with two marks runs, and the process is then ended as Windows ends it, without a close: the
#    header covers the whole take, both marks are on disk, a setting changed meanwhile is saved;
#  - the process is killed (SIGKILL) in the middle of a WAV take with a mark, and started again: the header is mended,
#    the marks file is there, the user is told which recording was recovered, and it is in the player.
#
# usage: e2e_session_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"

DOT=$'\u00b7'
# A WAV buffer is 100 ms: 8820 bytes at 44100 Hz; the header is rewritten every 30 buffers.
BUFFER_BYTES=8820

# "SIZE RIFF DATA": the file's size and its header's two length fields.
wav_lengths() {
    python3 - "$1" <<'EOF_PY'
import os, struct, sys
with open(sys.argv[1], "rb") as f:
    head = f.read(44)
riff, = struct.unpack("<I", head[4:8])
data, = struct.unpack("<I", head[40:44])
print(os.path.getsize(sys.argv[1]), riff, data)
EOF_PY
}

# formatDuration: "%02d:%02d" below an hour.
duration_text() { awk -v t="$1" 'BEGIN { s = int(t); printf "%02d:%02d", s / 60, s % 60 }'; }

# Marks a running take once the time label shows LABEL; the mark's whole seconds, from the status, into MARK_AT.
mark_at() {
    local n=$1 label=$2 status
    MARK_AT=
    win waittext kIdTime "$label" 10000 click kIdMark text kIdStatus || { fail "mark $n" "could not click"; return; }
    status=$(out 'text kIdStatus')
    expect_match "status after mark $n" "$status" "^Recording\. Mark $n added at 00:0[0-9]$"
    MARK_AT=$((10#${status##*:}))
}

section "speech to feed: 3 s at 44100 Hz, then the feeder's silence"
speech_to_feed 44100 3 "Saved when Windows ends the session, mended after a crash."
wine_env_use_mic 44100

section "the Windows session ends while a WAV take with two marks runs"
fresh_settings "$REC"
app_start
SESSION_WAV="$REC/session end.wav"
win select kIdQuality 5 settext kIdFileName "session end" click kIdRecord text kIdStatus
expect "status while recording" "$(out 'text kIdStatus')" "Recording"
expect "take noted in the settings" "$(reg_value RecordingInProgress)" "$(wine_path "$SESSION_WAV")"
feed_start 44100 "$WORK/speech.raw"
MARKS=()
mark_at 1 00:00:01 && MARKS+=("$MARK_AT")
mark_at 2 00:00:02 && MARKS+=("$MARK_AT")
# A volume drag not yet let go: only a save of the settings stores it. The start of the take stored 100.
win slider kIdVolume 150 5 text kIdVolumeLabel
expect "volume label while dragging" "$(out 'text kIdVolumeLabel')" "Volume 150%"
expect "volume stored before the end" "$(reg_value PlayVolume)" 100
# Past 4 s the header on disk still says the 3 s of its last refresh.
win waittext kIdTime 00:00:04 10000 || fail "session take" "the time never reached 00:00:04"
read -r SIZE RIFF DATA <<<"$(wav_lengths "$SESSION_WAV")"
echo "before the end of the session: $SIZE bytes, header data $DATA"
holds "$DATA" "$((SIZE - 44))" 'a < b' || fail "header before the end" "already covers the take ($DATA of $SIZE bytes)"

START_NS=$(date +%s%N)
wine wineboot --end-session >"$WORK/wineboot.log" 2>&1
echo "wineboot --end-session: exit $?, $(( ($(date +%s%N) - START_NS) / 1000000 )) ms"
# Windows ends the process once its windows have answered WM_ENDSESSION, and wineboot does the same: nothing of the
# program runs after this, no close request comes. Should it still run, it is ended here as Windows would end it.
for _ in $(seq 200); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$APP_PID" 2>/dev/null; then
    echo "the process outlived the end of the session: ending it as Windows would"
    win terminate || fail "end of the session" "the process could not be ended"
fi
wait "$APP_PID" 2>/dev/null
APP_PID=
feed_stop
read -r SIZE RIFF DATA <<<"$(wav_lengths "$SESSION_WAV")"
echo "after the end of the session: $SIZE bytes, header data $DATA, RIFF $RIFF"
expect "header data covers the whole take" "$DATA" "$((SIZE - 44))"
expect "RIFF length" "$RIFF" "$((SIZE - 8))"
holds "$((SIZE - 44))" "$((40 * BUFFER_BYTES))" 'a >= b' || fail "take length" "only $((SIZE - 44)) bytes"
"$CHECK" wav-match "$SESSION_WAV" "$WORK/speech.wav" --min-coverage 0.99 ||
    fail "session take" "the file does not hold the fed speech"
if [ ${#MARKS[@]} -eq 2 ]; then
    printf 'Mark 1  00:%02d\r\nMark 2  00:%02d\r\n' "${MARKS[0]}" "${MARKS[1]}" >"$WORK/session-marks.txt"
    if cmp -s "$REC/session end-marks.txt" "$WORK/session-marks.txt"; then
        echo "ok: marks file holds the two marks at ${MARKS[*]} s"
    else
        fail "marks file" "$(od -c "$REC/session end-marks.txt" 2>&1 | head -5) (expected marks at ${MARKS[*]} s)"
    fi
fi
expect "volume saved at the end of the session" "$(reg_value PlayVolume)" 150
expect "no take noted after the end of the session" "$(reg_value RecordingInProgress)" ""

section "killed in the middle of a WAV take with a mark"
mic_drain 44100
fresh_settings "$REC"
app_start
CRASH_WAV="$REC/killed.wav"
# The unix process Wine runs Notafon.exe in: the started wine command turns into it, and Wine names it after the
# program.
if [ "$(cat "/proc/$APP_PID/comm" 2>&1)" != Notafon.exe ]; then
    fail "kill" "process $APP_PID is not Notafon.exe but $(cat "/proc/$APP_PID/comm" 2>&1)"
    e2e_finish
fi
win select kIdQuality 5 settext kIdFileName "killed" click kIdRecord text kIdStatus
expect "status while recording" "$(out 'text kIdStatus')" "Recording"
feed_start 44100 "$WORK/speech.raw"
mark_at 1 00:00:01
KILLED_MARK=$MARK_AT
win waittext kIdTime 00:00:04 10000 || fail "killed take" "the time never reached 00:00:04"
kill -KILL "$APP_PID"
wait "$APP_PID" 2>/dev/null
APP_PID=
feed_stop
read -r SIZE RIFF DATA <<<"$(wav_lengths "$CRASH_WAV")"
echo "left by the kill: $SIZE bytes, header data $DATA"
holds "$DATA" "$((SIZE - 44))" 'a < b' || fail "header after the kill" "already covers the take ($DATA of $SIZE bytes)"
expect "take still noted after the kill" "$(reg_value RecordingInProgress)" "$(wine_path "$CRASH_WAV")"
expect "marks file after the kill" "$(od -An -c "$REC/killed-marks.txt" | tr -s ' ' | sed 's/^ //')" \
    "$(printf 'Mark 1  00:%02d\r\n' "$KILLED_MARK" | od -An -c | tr -s ' ' | sed 's/^ //')"

section "the next start mends the take, says so and loads it"
app_start
win text kIdStatus text kIdDetail text kIdLoadedName text kIdTimes text kIdPlay waitfor shown kIdPlayRecording 1 2000 ||
    fail "after the start" "\"Play my recording\" is not shown"
read -r SIZE RIFF DATA <<<"$(wav_lengths "$CRASH_WAV")"
echo "after the start: $SIZE bytes, header data $DATA, RIFF $RIFF"
expect "header data covers the whole take" "$DATA" "$((SIZE - 44))"
expect "RIFF length" "$RIFF" "$((SIZE - 8))"
SECONDS_KEPT=$(awk -v d="$DATA" 'BEGIN { printf "%.3f", d / 88200 }')
MB=$(awk -v s="$SIZE" 'BEGIN { printf "%.1f", s / 1048576 }')
expect "status after the start" "$(out 'text kIdStatus')" "Recovered an interrupted recording"
expect "detail after the start" "$(out 'text kIdDetail')" \
    "The last recording was not finished when the program closed. It has been mended and is kept ($(duration_text "$SECONDS_KEPT"), $MB MB) in:\\r\\n$(wine_path "$CRASH_WAV")"
expect "loaded file" "$(out 'text kIdLoadedName')" "killed.wav"
TOTAL=$(awk -v t="$SECONDS_KEPT" 'BEGIN { s = int(t); printf "00:00:%02d", s }')
expect "times of the loaded take" "$(out 'text kIdTimes')" "Total $TOTAL   $DOT   Remaining $TOTAL"
expect "Play button" "$(out 'text kIdPlay')" "Play"
expect "no take noted after the mend" "$(reg_value RecordingInProgress)" ""
expect "marks file kept" "$(head -c 6 "$REC/killed-marks.txt")" "Mark 1"
"$CHECK" wav-match "$CRASH_WAV" "$WORK/speech.wav" --min-coverage 0.99 ||
    fail "mended take" "the file does not hold the fed speech"
# The player really holds it: it plays.
win click kIdPlay waittext kIdPlay Pause 3000 waittext kIdTime 00:00:01 5000 click kIdPlay ||
    fail "player" "the recovered take does not play"
app_close
e2e_finish
