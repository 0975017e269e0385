#!/usr/bin/env bash
# Notafon.exe end to end under Wine: settings changed in the window are stored in the registry at once, survive a
# restart and are shown again; then closing the window in the middle of a recording (MP3 96 kbps at 44100 Hz, the
# quality chosen before) keeps the recording, its marks and a final save of the settings.
#
# usage: e2e_settings_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"

NAME="e2e close"

speech_to_feed 44100 3 "Closing the window keeps what was said. Nothing is lost."

section "defaults, then changes"
fresh_settings "$REC"
app_start
win cursel kIdQuality checked kIdReplace cursel kIdRewindAmount text kIdBack
expect "quality row by default" "$(out 'cursel kIdQuality')" 1
expect "Replace by default" "$(out 'checked kIdReplace')" 0
expect "rewind row by default" "$(out 'cursel kIdRewindAmount')" 3
expect "Back button by default" "$(out 'text kIdBack')" "Back 5s"
expect "no Format stored yet" "$(reg_value Format)" ""
win select kIdQuality 3 check kIdReplace 1 select kIdRewindAmount 0 settext kIdFileName "$NAME" text kIdBack
expect "Back button with a 1 s rewind" "$(out 'text kIdBack')" "Back 1s"
# Each change is written when it is made.
expect "stored Format" "$(reg_value Format)" 3
expect "stored Replace" "$(reg_value Replace)" 1
expect "stored RewindSeconds" "$(reg_value RewindSeconds)" 1
expect "stored RecordingName" "$(reg_value RecordingName)" "$NAME"
app_close
# Closing saves everything again, from what the window shows.
expect "Format after closing" "$(reg_value Format)" 3
expect "Replace after closing" "$(reg_value Replace)" 1
expect "RewindSeconds after closing" "$(reg_value RewindSeconds)" 1

section "restart: the same values are shown"
app_start
# The settings page is made once the window has painted; the values read at start wait for it and are the ones shown.
win controls
expect "controls of the window" "$(out controls)" "$(out table)"
expect "controls unlike the control list" "$(out differing)" 0
win cursel kIdQuality checked kIdReplace cursel kIdRewindAmount text kIdBack text kIdFileName
expect "quality row after restart" "$(out 'cursel kIdQuality')" 3
expect "Replace after restart" "$(out 'checked kIdReplace')" 1
expect "rewind row after restart" "$(out 'cursel kIdRewindAmount')" 0
expect "Back button after restart" "$(out 'text kIdBack')" "Back 1s"
expect "file name after restart" "$(out 'text kIdFileName')" "$NAME"

section "the wheel over lists and sliders"
# Windows sends the wheel to the window under the pointer (the driver sends it to the control, as Windows does): a
# list or slider the pointer passes while the page scrolls keeps its value; one with the focus takes the turn. The
# settings are taller than this 800-pixel screen, so the page scrolls.
win click kIdSettings waitfor shown kIdReplace 1 5000 idle 5000 rect kIdReplace cursel kIdWindowSize \
    cursel kIdQuality sliderpos kIdVolume
top=$(out 'rect kIdReplace' | awk '{ print $2 }')
zoom=$(out 'cursel kIdWindowSize')
quality=$(out 'cursel kIdQuality')
volume=$(out 'sliderpos kIdVolume')
win wheel kIdWindowSize -120 wheel kIdQuality -120 idle 5000 rect kIdReplace cursel kIdWindowSize cursel kIdQuality
expect "zoom list passed by the wheel" "$(out 'cursel kIdWindowSize')" "$zoom"
expect "quality list passed by the wheel" "$(out 'cursel kIdQuality')" "$quality"
expect "the page scrolled by two notches" "$(out 'rect kIdReplace' | awk '{ print $2 }')" "$((top - 96))"
win wheel kIdVolume -120 sliderpos kIdVolume
expect "volume slider passed by the wheel" "$(out 'sliderpos kIdVolume')" "$volume"
# A touchpad's small deltas: a slider with the focus moves once for every 120 they add up to.
win focus kIdVolume wheel kIdVolume 40 wheel kIdVolume 40 sliderpos kIdVolume wheel kIdVolume 40 sliderpos kIdVolume
expect "volume slider has the focus" "$(out 'focus kIdVolume')" 1
expect "volume after two small deltas" "$(first 'sliderpos kIdVolume')" "$volume"
expect "volume after a notch of small deltas" "$(out 'sliderpos kIdVolume')" "$((volume + 10))"
win wheel kIdVolume -120 focus kIdQuality wheel kIdQuality -120 cursel kIdQuality click kIdSettings \
    waitfor shown kIdReplace 0 5000
expect "quality list with the focus takes the wheel" "$(out 'cursel kIdQuality')" "$((quality + 1))"
win select kIdQuality "$quality"

section "close the window while recording"
wine_env_use_mic 44100
mic_drain 44100
win click kIdRecord text kIdStatus
expect "status" "$(out 'text kIdStatus')" "Recording"
feed_start 44100 "$WORK/speech.raw"
# The volume moves without the end of a drag, which does not save: only the save at closing can store it. The 400 ms
# after 00:00:03 are more of the fed speech, on purpose: the close does not fall on the second the time shows.
win waittext kIdTime 00:00:01 8000 click kIdMark text kIdStatus slider kIdVolume 80 5 text kIdVolumeLabel \
    waittext kIdTime 00:00:03 8000 sleep 400
MARK=$(printf '%s\n' "$DRV_OUT" | sed -n 's/^text kIdStatus: Recording\. Mark 1 added at //p')
expect_match "mark time" "$MARK" '^00:0[12]$'
expect "volume label" "$(out 'text kIdVolumeLabel')" "Volume 80%"
expect "volume not stored during the drag" "$(reg_value PlayVolume)" 100
app_close
feed_stop
ls -l "$REC"
MP3="$REC/$NAME.mp3"
if [ -f "$MP3" ]; then
    "$CHECK" mp3-corr "$MP3" "$WORK/speech.wav" --min-corr 0.98 --window 0.2:2.8 --min-window-corr 0.97 ||
        fail "recording" "the file kept at closing does not decode to the fed speech"
else
    fail "recording" "no '$NAME.mp3' after closing while recording"
fi
printf 'Mark 1  %s\r\n' "$MARK" >"$WORK/marks-expected.txt"
if cmp -s "$REC/$NAME-marks.txt" "$WORK/marks-expected.txt"; then
    echo "ok: marks file kept at closing"
else
    fail "marks file" "missing or not the one mark at $MARK"
fi
expect "volume stored at closing" "$(reg_value PlayVolume)" 80
expect "Format still stored" "$(reg_value Format)" 3
e2e_finish
