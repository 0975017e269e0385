#!/usr/bin/env bash
# Notafon.exe end to end under Wine: the window after start (screenshot kept in ARTIFACTS), a 5 s spoken recording as
# MP3 48 kbps through the real window with two marks, then the player on that recording: Play, Back, Forward, Start,
# Stop, the seek, volume and speed sliders, with the speaker (PulseAudio's null sink) recorded while it plays.
#
# usage: e2e_record_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"

NAME="e2e speech"
DOT=$'\u00b7'

section "speech to feed: 5 s at 22050 Hz"
speech_to_feed 22050 5 \
    "Notafon keeps every word you say. Press stop when you are done, and the file is ready to play back."
expect "speech length" "$(soxi -s "$WORK/speech.wav")" 110250

section "start from fresh settings"
fresh_settings "$REC"
app_start
win text kIdStatus text kIdTime text kIdFolder cursel kIdQuality enabled kIdRecord enabled kIdPause enabled kIdStop \
    enabled kIdMark
expect "status at start" "$(out 'text kIdStatus')" "Ready to record  (Ctrl+Shift+R)"
expect "time at start" "$(out 'text kIdTime')" "00:00:00"
expect "folder shown" "$(out 'text kIdFolder')" "$(wine_path "$REC")"
expect "quality row at start" "$(out 'cursel kIdQuality')" 1
expect "Record enabled when idle" "$(out 'enabled kIdRecord')" 1
expect "Pause disabled when idle" "$(out 'enabled kIdPause')" 0
expect "Stop disabled when idle" "$(out 'enabled kIdStop')" 0
expect "Mark disabled when idle" "$(out 'enabled kIdMark')" 0

section "screenshot of the main window"
WID=$(xdotool search --name '^Notafon v2\.0$' | head -1)
SHOT="$ARTIFACTS/main-window.png"
rm -f "$SHOT"
# The controls paint from the message loop after the window shows: take it again until it is no longer blank.
for _ in $(seq 20); do
    [ -n "$WID" ] && import -window "$WID" "$SHOT" 2>/dev/null &&
        holds "$(identify -format '%k' "$SHOT")" 30 'a >= b' && break
    sleep 0.1
done
if [ -f "$SHOT" ]; then
    read -r w h colours <<<"$(identify -format '%w %h %k' "$SHOT")"
    echo "screenshot: $SHOT (${w}x${h}, $colours colours)"
    # The 380-wide column plus Wine's frame, as high as its content (at least 520) up to the 800-high screen, and
    # more than a blank face.
    if ! holds "$w" 380 'a >= b && a <= b + 40' || ! holds "$h" 520 'a >= b && a <= 800'; then
        fail "screenshot" "size ${w}x${h} is not the main window's"
    fi
    holds "$colours" 30 'a >= b' || fail "screenshot" "only $colours colours: nothing drawn"
else
    fail "screenshot" "no X window named 'Notafon v2.0' could be captured"
fi

section "record 5 s of speech as MP3 48 kbps, with two marks"
wine_env_use_mic 22050
win select kIdQuality 1 settext kIdFileName "$NAME" click kIdRecord text kIdStatus enabled kIdRecord enabled kIdPause \
    enabled kIdStop enabled kIdMark enabled kIdQuality enabled kIdFileName enabled kIdReplace \
    enabled kIdChangeFolder:Button
expect "status while recording" "$(out 'text kIdStatus')" "Recording"
expect "Record disabled while recording" "$(out 'enabled kIdRecord')" 0
expect "Pause enabled while recording" "$(out 'enabled kIdPause')" 1
expect "Stop enabled while recording" "$(out 'enabled kIdStop')" 1
expect "Mark enabled while recording" "$(out 'enabled kIdMark')" 1
expect "Quality disabled while recording" "$(out 'enabled kIdQuality')" 0
expect "File name disabled while recording" "$(out 'enabled kIdFileName')" 0
expect "Replace disabled while recording" "$(out 'enabled kIdReplace')" 0
expect "Change folder disabled while recording" "$(out 'enabled kIdChangeFolder:Button')" 0
feed_start 22050 "$WORK/speech.raw"
# A second Record is refused like a click on a disabled button.
win click kIdRecord
expect "driver refuses Record while recording (exit 5)" "$?" 5

# A mark is stamped with the recorded time at the click: at least the time shown just before, at most the time
# shown once the 70 ms timer has caught up after it.
MARK_SECONDS=()
mark_at() {
    local n=$1 label=$2 status before after s
    # 150 ms: two ticks of the 70 ms timer that updates the time, which has no state to wait for.
    win waittext kIdTime "$label" 10000 click kIdMark text kIdStatus sleep 150 text kIdTime ||
        { fail "mark $n" "could not click"; return; }
    status=$(out 'text kIdStatus')
    after=$(out 'text kIdTime')
    before=$label
    expect_match "status after mark $n" "$status" "^Recording\. Mark $n added at 00:0[0-9]$"
    s=${status##*:}
    s=$((10#$s))
    MARK_SECONDS+=("$s")
    if ! holds "$s" "$((10#${before##*:}))" 'a >= b' || ! holds "$s" "$((10#${after##*:}))" 'a <= b'; then
        fail "mark $n time" "$s s is outside the shown times $before .. $after"
    fi
}
mark_at 1 00:00:01
mark_at 2 00:00:03

# Stop once the whole 5 s of speech is in: the time counts captured audio, and capture began before the feed; the
# 500 ms after 00:00:05 are the rest of it.
win waittext kIdTime 00:00:05 10000 sleep 500 click kIdStop text kIdStatus text kIdDetail text kIdTime \
    enabled kIdRecord enabled kIdMark
feed_stop
expect "status after stop" "$(out 'text kIdStatus')" "Done and saved"
DETAIL=$(out 'text kIdDetail')
expect "Record enabled after stop" "$(out 'enabled kIdRecord')" 1
expect "Mark disabled after stop" "$(out 'enabled kIdMark')" 0

section "the recording on disk"
MP3="$REC/$NAME.mp3"
MARKS="$REC/$NAME-marks.txt"
ls -l "$REC"
# The length in the detail is the captured time, 5.5 s give or take the device's pace.
expect "detail after stop" "$(printf '%s' "$DETAIL" | sed 's/^Saved (00:0[56], /Saved (00:05, /')" "Saved (00:05, 0.0 MB) to:\\r\\n$(wine_path "$MP3")\\r\\nNext: press \"Transcribe on Parlowen\" and choose this file there."
if [ -f "$MP3" ]; then
    # Measured: overall correlation 0.99x; the fed speech is all there, in order.
    "$CHECK" mp3-corr "$MP3" "$WORK/speech.wav" --min-corr 0.98 --window 0.2:2.5 --window 2.5:4.8 \
        --min-window-corr 0.97 || fail "recording" "the file does not decode to the fed speech"
    "$NATIVE_CLI" decode "$MP3" --out "$WORK/decoded.wav" >"$WORK/decode.out" || fail "recording" "decode failed"
    cat "$WORK/decode.out"
else
    fail "recording" "no file '$NAME.mp3' in the configured folder"
fi
if [ ${#MARK_SECONDS[@]} -eq 2 ]; then
    printf 'Mark 1  00:%02d\r\nMark 2  00:%02d\r\n' "${MARK_SECONDS[0]}" "${MARK_SECONDS[1]}" >"$WORK/marks-expected.txt"
    if cmp -s "$MARKS" "$WORK/marks-expected.txt"; then
        echo "ok: marks file holds the two marks at ${MARK_SECONDS[*]} s"
    else
        fail "marks file" "$(od -c "$MARKS" 2>&1 | head -5) (expected marks at ${MARK_SECONDS[*]} s)"
    fi
fi

section "the player holds the recording"
SAMPLES=$(sed -n 's/^samples: //p' "$WORK/decode.out")
RATE=$(sed -n 's/^rate: //p' "$WORK/decode.out")
if [ -z "$SAMPLES" ] || [ -z "$RATE" ]; then
    fail "player" "no decoded length to compare with"
    e2e_finish
fi
DUR=$(awk -v n="$SAMPLES" -v r="$RATE" 'BEGIN { printf "%.6f", n / r }')
# formatClock: whole seconds, truncated.
clock() { awk -v t="$1" 'BEGIN { if (t < 0) t = 0; s = int(t); printf "%02d:%02d:%02d", s / 3600, (s / 60) % 60, s % 60 }'; }
TOTAL=$(clock "$DUR")
echo "duration: $DUR s ($TOTAL)"
holds "$DUR" 5 'a >= b && a < 7' || fail "recording length" "$DUR s, expected about 5.5 s"
# The kIdTimes label with the player at POSITION.
times_text() {
    printf 'Total %s   %s   Remaining %s' "$TOTAL" "$DOT" "$(clock "$(awk -v d="$DUR" -v p="$1" 'BEGIN { print d - p }')")"
}

win text kIdPlay text kIdLoadedName text kIdTime text kIdTimes
expect "Play button after the recording" "$(out 'text kIdPlay')" "Play"
expect "loaded file name" "$(out 'text kIdLoadedName')" "$NAME.mp3"
expect "position after loading" "$(out 'text kIdTime')" "00:00:00"
expect "times after loading" "$(out 'text kIdTimes')" "$(times_text 0)"

# The part of the recording that plays in the first 2 s, as the speaker should receive it (44100 Hz). Measured:
# correlation 0.9999 and RMS ratio 0.9998; the lower bound leaves room for parecord's occasional lost stretch, the
# RMS bound still tells full from half volume.
sox "$WORK/decoded.wav" -r 44100 "$WORK/expected-full.wav" trim 0.3 1.4
sox "$WORK/expected-full.wav" "$WORK/expected-half.wav" vol 0.5

section "Play, then Pause after 2 s: the speaker gets the recording"
speaker_start "$WORK/play1.raw"
# This Play is a real mouse click at the button's centre (the virtual desktop's screen is the X screen).
win center kIdPlay
read -r X Y <<<"$(out 'center kIdPlay')"
# Timed from the click itself: the driver started after it takes a moment, so its own wait would come out short.
CLICK_NS=$(date +%s%N)
xdotool mousemove "$X" "$Y" click 1
win waittext kIdPlay Pause 3000 waittext kIdTime 00:00:02 8000 clock click kIdPlay text kIdPlay text kIdTime \
    text kIdTimes
# The driver's clock counts 100 ns from 1601, 11644473600 s before the Unix epoch.
PLAY_MS=$(awk -v c="$(out clock)" -v t="$CLICK_NS" 'BEGIN { printf "%.0f", (c / 1e4 - 11644473600000) - t / 1e6 }')
POS=$(out 'text kIdTime')
speaker_record_stop
expect "Play button while playing (mouse click)" "$(first 'text kIdPlay')" "Pause"
expect "Play button after pausing" "$(out 'text kIdPlay')" "Play"
expect_match "position after 2 s" "$POS" "^00:00:0[23]$"
P=$((10#${POS##*:}))
expect_match "times after 2 s" "$(out 'text kIdTimes')" \
    "^Total $TOTAL   $DOT   Remaining 00:00:0[$((${TOTAL##*:} - P - 1))$((${TOTAL##*:} - P))]$"
holds "$PLAY_MS" 1500 'a >= b && a <= 3000' || fail "play speed" "2 s of playback took $PLAY_MS ms"
speaker_wav "$WORK/play1.raw" "$WORK/play1.wav"
"$MATCH" "$WORK/play1.wav" "$WORK/expected-full.wav" --min-corr 0.8 --rms-tolerance 0.1 ||
    fail "speaker" "the speaker did not receive the recording at full volume"

section "seek slider: drag to 800 of 1000, release"
# Away from where the player stands (about 2 s), so the labels show the dragged time, not the position.
SEEK=$(awk -v d="$DUR" 'BEGIN { printf "%.6f", 800 * d / 1000 }')
# 300 ms of the drag held, on purpose: three ticks of the player's timer must not move the labels off the dragged time.
win slider kIdSeek 800 5 text kIdTime text kIdTimes sleep 300 text kIdTime slider kIdSeek 800 8 text kIdTime \
    sliderpos kIdSeek
expect "time while dragging" "$(first 'text kIdTime')" "$(clock "$SEEK")"
expect "times while dragging" "$(first 'text kIdTimes')" "$(times_text "$SEEK")"
expect "time after releasing" "$(out 'text kIdTime')" "$(clock "$SEEK")"
expect "slider after releasing" "$(out 'sliderpos kIdSeek')" 800

section "rewind amount, Forward, Back, Start, Stop"
win select kIdRewindAmount 1 text kIdBack
expect "Back button with a 2 s rewind" "$(out 'text kIdBack')" "Back 2s"
# Back from where the release put the player (it did seek: from the old position Back would reach 0).
win click kIdBack text kIdTime
expect "Back 2 s from 80 %" "$(out 'text kIdTime')" "$(clock "$(awk -v s="$SEEK" 'BEGIN { print s - 2 }')")"
# Forward jumps 5 s whatever the rewind amount: past the end here, so the end.
win click kIdForward text kIdTime text kIdTimes
expect "Forward to the end" "$(out 'text kIdTime')" "$TOTAL"
expect "times at the end" "$(out 'text kIdTimes')" "$(times_text "$DUR")"
win click kIdBack text kIdTime
expect "Back 2 s from the end" "$(out 'text kIdTime')" "$(clock "$(awk -v d="$DUR" 'BEGIN { print d - 2 }')")"
win click kIdStart text kIdTime text kIdTimes
expect "Start" "$(out 'text kIdTime')" "00:00:00"
expect "times at the start" "$(out 'text kIdTimes')" "$(times_text 0)"
win click kIdForward text kIdTime
expect "Forward from the start" "$(out 'text kIdTime')" "00:00:05"
win click kIdStart click kIdPlay waittext kIdTime 00:00:01 5000 text kIdPlay click kIdPlayerStop text kIdPlay \
    text kIdTime sliderpos kIdSeek
expect "Play button after player Stop" "$(out 'text kIdPlay')" "Play"
expect "position after player Stop" "$(out 'text kIdTime')" "00:00:00"
expect "seek slider after player Stop" "$(out 'sliderpos kIdSeek')" 0
speaker_start "$WORK/stopped.raw"
# One second of the speaker listened to while stopped: it must stay silent for that long.
sleep 1
speaker_record_stop
STOPPED_RMS=$(rms_of "$WORK/stopped.raw" 0 0.5)
echo "speaker RMS while stopped: $STOPPED_RMS"
holds "$STOPPED_RMS" 0.0005 'a < b' || fail "speaker" "sound while the player is stopped (RMS $STOPPED_RMS)"

section "volume 50 %: half the level reaches the speaker"
win slider kIdVolume 50 8 text kIdVolumeLabel
expect "volume label" "$(out 'text kIdVolumeLabel')" "Volume 50%"
expect "volume saved at the end of the drag" "$(reg_value PlayVolume)" 50
speaker_start "$WORK/play2.raw"
win click kIdStart click kIdPlay waittext kIdTime 00:00:02 8000 click kIdPlay
speaker_record_stop
speaker_wav "$WORK/play2.raw" "$WORK/play2.wav"
"$MATCH" "$WORK/play2.wav" "$WORK/expected-half.wav" --min-corr 0.8 --rms-tolerance 0.1 ||
    fail "speaker" "the speaker did not receive the recording at half volume"

section "speed 65 %: the position moves at 0.65 s per second"
win slider kIdSpeed 13 8 text kIdSpeedLabel
expect "speed label" "$(out 'text kIdSpeedLabel')" "Speed 65%"
expect "speed saved at the end of the drag" "$(reg_value PlaySpeed)" 13
speaker_start "$WORK/play3.raw"
win click kIdStart click kIdPlay waittext kIdTime 00:00:02 8000 click kIdPlay
SLOW_MS=$(out waited_ms)
speaker_record_stop
echo "2 s of the recording took $SLOW_MS ms at 65 % (and $PLAY_MS ms at 100 %)"
# 2 / 0.65 = 3.08 s, where normal speed took about 2 s.
holds "$SLOW_MS" 2700 'a >= b && a <= 4000' || fail "speed" "2 s at 65 % took $SLOW_MS ms"
SLOW_RMS=$(rms_of "$WORK/play3.raw" 0 10)
holds "$SLOW_RMS" 0.005 'a > b' || fail "speaker" "silent at 65 % speed (RMS $SLOW_RMS)"

section "close"
app_close
expect "saved rewind amount" "$(reg_value RewindSeconds)" 2
expect "saved file name" "$(reg_value RecordingName)" "$NAME"
e2e_finish
