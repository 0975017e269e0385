#!/usr/bin/env bash
# Notafon.exe end to end under Wine: the microphone it records from and the warning while nothing is heard.
#   A second FIFO microphone with a name of its own, playing a 1000 Hz tone while the default one plays 300 Hz: chosen
#   by its name in the Settings list, it is saved as InputDevice and the take holds its tone.
#   The same choice once that microphone is gone from the sound server: the list keeps it as not connected, the take
#   comes from the default microphone (300 Hz) and the detail line says so.
#   A muted feed (digital silence, then speech): the no-sound warning is in the detail line within 4 s of Record and
#   goes once the speech arrives, while the take goes on.
#
# usage: e2e_microphone_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"

STUDIO_MODULE='' STUDIO_FEED=''
mic_cleanup() {
    [ -n "$STUDIO_FEED" ] && kill "$STUDIO_FEED" 2>/dev/null && wait "$STUDIO_FEED" 2>/dev/null
    [ -n "$STUDIO_MODULE" ] && pactl unload-module "$STUDIO_MODULE" >/dev/null 2>&1
    e2e_cleanup
}
trap mic_cleanup EXIT

SAVING='Saving as you go. If anything goes wrong, your recording is already on disk.'
NO_SOUND='No sound is being picked up. In Windows go to Settings, Privacy, Microphone and switch on "Let desktop apps access your microphone", then stop and record again.'

sox -D -n -r 44100 -b 16 -c 1 -t raw "$WORK/low.raw" synth 30 sine 300 vol 0.3
sox -D -n -r 44100 -b 16 -c 1 -t raw "$WORK/high.raw" synth 30 sine 1000 vol 0.3

# The tone a WAV take holds, from sox's rough frequency estimate.
frequency_of() { sox "$1" -n stat 2>&1 | sed -n 's/^Rough *frequency: *//p'; }
near() { holds "$1" "$2" "a > b * 0.9 && a < b * 1.1"; }

STUDIO_FIFO="$WORK/studio.fifo"
STUDIO_MODULE=$(pactl load-module module-pipe-source source_name=studiobox file="$STUDIO_FIFO" format=s16le \
    rate=44100 channels=1 source_properties=device.description=StudioBox) ||
    { fail "microphone" "could not add a source"; e2e_finish; }
wine_env_use_mic 44100

section "the second microphone chosen by its name"
fresh_settings "$REC"
wine reg add "$E2E_KEY" /v Format /t REG_DWORD /d 5 /f >/dev/null 2>&1
app_start
win click kIdSettings rows kIdMicrophone cursel kIdMicrophone
expect "first row" "$(out 'row 0')" "Windows default"
expect "the default is selected" "$(out 'cursel kIdMicrophone')" 0
studio=$(printf '%s\n' "$DRV_OUT" | sed -n 's/^row [0-9]*: //p' | grep -m1 StudioBox)
[ -n "$studio" ] && echo "ok: the list names the second microphone: $studio" ||
    fail "list" "no row names the StudioBox source"
win selecttext kIdMicrophone "$studio"
expect "saved by name" "$(reg_value InputDevice)" "$studio"
feed_start 44100 "$WORK/low.raw"
python3 "$NOTAFON_ROOT/tests/tools/feed_fifo.py" "$STUDIO_FIFO" "$WORK/high.raw" --rate 44100 --max-seconds 40 &
STUDIO_FEED=$!
win settext kIdFileName "e2e chosen" click kIdRecord waittext kIdTime 00:00:03 10000 text kIdDetail \
    enabled kIdMicrophone click kIdStop waitprefix kIdStatus "Done and saved" 10000
expect "detail while the chosen one records" "$(out 'text kIdDetail')" "$SAVING"
expect "the list is locked during a take" "$(out 'enabled kIdMicrophone')" 0
feed_stop
kill "$STUDIO_FEED" 2>/dev/null; wait "$STUDIO_FEED" 2>/dev/null; STUDIO_FEED=''
f=$(frequency_of "$REC/e2e chosen.wav")
near "$f" 1000 && echo "ok: the take holds the chosen microphone's tone ($f Hz)" ||
    fail "chosen microphone" "the take's tone is $f Hz, not 1000 Hz"
app_close
mic_drain 44100

section "the chosen microphone gone"
pactl unload-module "$STUDIO_MODULE" && STUDIO_MODULE=''
app_start
win click kIdSettings rows kIdMicrophone cursel kIdMicrophone
n=$(out 'rows kIdMicrophone')
expect "the missing choice is the selected last row" "$(out 'cursel kIdMicrophone')" $((n - 1))
expect "and says it is not connected" "$(out "row $((n - 1))")" "Not connected: $studio"
feed_start 44100 "$WORK/low.raw"
win settext kIdFileName "e2e fallback" click kIdRecord waittext kIdTime 00:00:03 10000 text kIdStatus text kIdDetail \
    click kIdStop waitprefix kIdStatus "Done and saved" 10000
feed_stop
expect "status with the default instead" "$(first 'text kIdStatus')" "Recording"
expect "detail names the missing microphone" "$(out 'text kIdDetail')" \
    "The microphone \"$studio\" was not found, so this recording uses the Windows default microphone. $SAVING"
f=$(frequency_of "$REC/e2e fallback.wav")
near "$f" 300 && echo "ok: the take holds the default microphone's tone ($f Hz)" ||
    fail "fallback" "the take's tone is $f Hz, not 300 Hz"
expect "the choice is still saved" "$(reg_value InputDevice)" "$studio"
app_close
mic_drain 44100

section "a muted feed, then speech"
fresh_settings "$REC"
wine reg add "$E2E_KEY" /v Format /t REG_DWORD /d 5 /f >/dev/null 2>&1
speech_to_feed 44100 4 "This is the interview starting now, after a long and silent wait."
head -c $((44100 * 2 * 7)) /dev/zero >"$WORK/mute.raw"  # 7 s of digital silence
cat "$WORK/mute.raw" "$WORK/speech.raw" >"$WORK/muted-then-speech.raw"
app_start
feed_start 44100 "$WORK/muted-then-speech.raw"
win settext kIdFileName "e2e muted" timedclick kIdRecord waittext kIdDetail "$NO_SOUND" 4000 clock text kIdStatus \
    waittext kIdDetail "$SAVING" 10000 clock text kIdStatus
rc=$?
expect "the warning within 4 s, then gone" "$rc" 0
clicked=$(first clock) warned=$(printf '%s\n' "$DRV_OUT" | sed -n 's/^clock: //p' | sed -n 2p)
cleared=$(out clock)
took=$(awk -v a="$warned" -v b="$clicked" 'BEGIN { printf "%.2f", (a - b) / 1e7 }')
lasted=$(awk -v a="$cleared" -v b="$warned" 'BEGIN { printf "%.2f", (a - b) / 1e7 }')
echo "info: warned $took s after Record, cleared $lasted s later"
holds "$took" 2.9 'a >= b' && echo "ok: not before 3 s of silence" || fail "no sound" "warned after only $took s"
# The speech comes 7 s into the feed, which started just before Record.
holds "$(awk -v a="$took" -v b="$lasted" 'BEGIN { print a + b }')" 6.5 'a >= b' &&
    echo "ok: cleared when the speech came" || fail "no sound" "cleared before the speech"
expect "the status line is left alone" "$(first 'text kIdStatus')" "Recording"
expect "still recording after the warning" "$(out 'text kIdStatus')" "Recording"
win click kIdStop waitprefix kIdStatus "Done and saved" 10000
feed_stop
app_close
e2e_finish
