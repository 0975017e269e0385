#!/usr/bin/env bash
# Notafon.exe end to end under Wine: the verdicts a stopped recording gets in the real window, each from what the
# FIFO microphone delivered (MP3 48 kbps at 22050 Hz):
#   a stop milliseconds after the start, with a mark: "Nothing was recorded", no file and no marks file;
#   digital silence, paused and resumed on the way: "Saved, but no sound was picked up", the file kept, not played;
#   a full-scale square wave: the live warning, then "Saved, but the sound was too loud", the file kept and loaded.
#
# usage: e2e_verdicts_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"

# 2 s of a 441 Hz square wave at full scale, every sample at +32767 or -32768 (sox's own square stays below).
python3 -c '
import struct, sys
sys.stdout.buffer.write(b"".join(struct.pack("<h", 32767 if (i // 25) % 2 == 0 else -32768) for i in range(44100)))
' >"$WORK/square.raw"
sox -t raw -r 22050 -e signed -b 16 -c 1 "$WORK/square.raw" "$WORK/square.wav"
: >"$WORK/nothing.raw"  # the feeder sends silence after its data

fresh_settings "$REC"
wine_env_use_mic 22050
app_start

listing() { (cd "$REC" && ls -1); }

section "a stop after a fraction of a second"
# Stop comes within milliseconds of Record, with a Mark in between: the three clicks are queued together, so the
# driver's round trips (long on a busy machine) do not stretch the recording. The microphone has delivered nothing
# yet: the stop keeps every buffer the device hands back, the one its reset returns included, and PulseAudio hands
# over at once whatever a feeder has already put into the pipe.
mic_drain 22050
win settext kIdFileName "e2e short" queueclick kIdRecord queueclick kIdMark queueclick kIdStop \
    waittext kIdStatus "Nothing was recorded" 5000 text kIdStatus text kIdDetail enabled kIdRecord
expect "status after a short stop" "$(out 'text kIdStatus')" "Nothing was recorded"
expect "detail after a short stop" "$(out 'text kIdDetail')" \
    "The recording was empty, so no file was kept. Check your microphone and try again."
expect "Record enabled again" "$(out 'enabled kIdRecord')" 1
expect "files after a short stop (neither recording nor marks)" "$(listing)" ""

section "digital silence, with a pause"
mic_drain 22050
win settext kIdFileName "e2e silent" click kIdRecord
feed_start 22050 "$WORK/nothing.raw"
# 300 ms paused on purpose, so that a clock which ran on while paused would show.
win waittext kIdTime 00:00:01 8000 click kIdPause text kIdStatus text kIdPause enabled kIdMark enabled kIdStop \
    sleep 300 text kIdTime click kIdPause text kIdStatus text kIdPause enabled kIdMark
expect "status when paused" "$(first 'text kIdStatus')" "Paused"
expect "Pause button when paused" "$(first 'text kIdPause')" "Resume"
expect "Mark disabled when paused" "$(first 'enabled kIdMark')" 0
expect "Stop enabled when paused" "$(out 'enabled kIdStop')" 1
expect "status after resuming" "$(out 'text kIdStatus')" "Recording"
expect "Pause button after resuming" "$(out 'text kIdPause')" "Pause"
expect "Mark enabled after resuming" "$(out 'enabled kIdMark')" 1
win waittext kIdTime 00:00:02 8000 click kIdStop text kIdStatus text kIdDetail text kIdLoadedName text kIdPlay
feed_stop
expect "status for silence" "$(out 'text kIdStatus')" "Saved, but no sound was picked up"
expect "detail for silence" "$(out 'text kIdDetail')" "The recording is silent. In Windows go to Settings, Privacy, \
Microphone and switch on \"Let desktop apps access your microphone\", then record again."
expect "files after silence" "$(listing)" "e2e silent.mp3"
if [ -f "$REC/e2e silent.mp3" ]; then
    "$NATIVE_CLI" decode "$REC/e2e silent.mp3" --out "$WORK/silent.wav" | grep samples
    peak=$(sox "$WORK/silent.wav" -n stat 2>&1 | sed -n 's/^Maximum amplitude: *//p')
    expect "peak of the silent file" "$peak" "0.000000"
fi
# A silent recording is not handed to the player: Play has nothing to play.
win click kIdPlay idle 5000 text kIdPlay text kIdLoadedName text kIdTimes
expect "player after silence: Play" "$(out 'text kIdPlay')" "Play"
expect "player after silence: no file name" "$(out 'text kIdLoadedName')" ""
expect "player after silence: no times" "$(out 'text kIdTimes')" ""

section "a full-scale square wave"
mic_drain 22050
win settext kIdFileName "e2e loud" click kIdRecord
feed_start 22050 "$WORK/square.raw"
# 300 ms more of the square wave, on purpose: the stop does not fall on the second the time shows.
win waittext kIdStatus "Recording. Too loud, move back from the microphone" 5000 waittext kIdTime 00:00:02 8000 \
    sleep 300 click kIdStop text kIdStatus text kIdDetail text kIdLoadedName text kIdPlay text kIdTimes
feed_stop
expect "status for clipping" "$(out 'text kIdStatus')" "Saved, but the sound was too loud"
expect "detail for clipping" "$(out 'text kIdDetail')" "Your microphone was too loud, so parts of this recording are \
distorted. In Windows go to Settings, System, Sound, Input, lower the microphone volume (and switch off Microphone \
Boost if you see it), then record again."
expect "files after clipping" "$(listing | tr '\n' '|')" "e2e loud.mp3|e2e silent.mp3|"
expect "loaded after clipping" "$(out 'text kIdLoadedName')" "e2e loud.mp3"
expect "Play after clipping" "$(out 'text kIdPlay')" "Play"
expect_match "times after clipping" "$(out 'text kIdTimes')" "^Total 00:00:02   "$'\u00b7'"   Remaining 00:00:02$"
if [ -f "$REC/e2e loud.mp3" ]; then
    # The limiter and a 48 kbps encoder turn a full-scale square into something far from it (correlation 0.17 with
    # the input, natively as well), so the file is held against what the native engine makes of the same wave: it
    # must decode frame by frame and hold that rendering (measured: correlation 0.986, RMS ratio 1.000).
    "$CHECK" mp3-corr "$REC/e2e loud.mp3" "$WORK/square.wav" --min-corr 0 >"$WORK/loud-check.out" ||
        { cat "$WORK/loud-check.out"; fail "loud file" "does not decode cleanly"; }
    "$NATIVE_CLI" record --format 1 --folder "$WORK/native" --name loud "$WORK/square.wav" >/dev/null
    "$NATIVE_CLI" decode "$WORK/native/loud.mp3" --out "$WORK/native-loud.wav" >/dev/null
    "$NATIVE_CLI" decode "$REC/e2e loud.mp3" --out "$WORK/loud.wav" >/dev/null
    sox "$WORK/native-loud.wav" "$WORK/native-loud-middle.wav" trim 0.2 1.5
    "$MATCH" "$WORK/loud.wav" "$WORK/native-loud-middle.wav" --min-corr 0.95 --rms-tolerance 0.05 ||
        fail "loud file" "does not hold the engine's rendering of the fed wave"
fi

section "close"
app_close
e2e_finish
