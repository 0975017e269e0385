#!/usr/bin/env bash
# Notafon.exe end to end under Wine: what people who transcribe use, driven as they would while another program
# (Notepad) has the keyboard focus. The new shortcuts are each set through their Change button with a real key press
# and pressed in Notepad as real X key events: Slower, Faster and Normal speed move the speed label; "Type the time"
# puts the position as "[hh:mm:ss] " into Notepad's edit control, nothing else, with the clipboard left alone; the
# mark key adds a mark that is in the marks file. Rewind on resume is read from the position label, a file dropped
# again after a restart opens where it was left, and the settings page with the new rows is photographed at 100 % and
# 150 % (ARTIFACTS/transcribe/) with no overlapping controls.
#
# usage: e2e_transcribe_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"
mkdir -p "$ARTIFACTS/transcribe"

transcribe_cleanup() {
    notepad_stop
    e2e_cleanup
}
trap transcribe_cleanup EXIT


# slot_capture NAME CHANGE_ID KEYS STATUS: Change, then the real key press, then the status the capture ends with.
capture() {
    win fg click "$2" text kIdStatus
    expect "$1: status while capturing" "$(out 'text kIdStatus')" "Press the new shortcut now. Press Esc to cancel."
    own_window_keys "$3"
    win waittext kIdStatus "$4" 3000 || fail "$1" "$3 was not taken"
}

shot() {
    local wid
    wid=$(xdotool search --name '^Notafon v2\.0$' 2>/dev/null | head -1)
    [ -n "$wid" ] && import -window "$wid" "$ARTIFACTS/transcribe/$1.png" 2>/dev/null
    echo "screenshot: $ARTIFACTS/transcribe/$1.png"
    win overlaps >/dev/null
    expect "no shown controls overlap ($1)" "$(out overlaps)" 0
    [ "$(out overlaps)" = 0 ] || printf '%s\n' "$DRV_OUT" | grep '^overlap:'
}

# 40 s of a quiet tone: the file the player plays.
sox -n -r 22050 -c 1 -b 16 "$WORK/talk.wav" synth 40 sine 440 vol 0.3
TALK=$(wine_path "$WORK/talk.wav")
speech_to_feed 22050 6 "Every mark is saved beside the recording, the moment it is made, with its time."

section "start: the new settings are off"
fresh_settings "$REC"
app_start
win click kIdSettings waitfor shown kIdResumeRewind 1 5000 cursel kIdResumeRewind checked kIdRememberPositions
expect "Rewind on resume at start" "$(out 'cursel kIdResumeRewind')" 0
expect "Reopen files where I stopped at start" "$(out 'checked kIdRememberPositions')" 0
win select kIdResumeRewind 3 check kIdRememberPositions 1
expect "stored RewindOnResume" "$(reg_value RewindOnResume)" 3
expect "stored RememberPositions" "$(reg_value RememberPositions)" 1
section "the settings page with the new rows at 100 % and 150 %, before a file is loaded"
win idle 5000 >/dev/null
shot settings-top-100
win vscroll kNoId:SCROLLBAR 7 idle 5000 >/dev/null
shot settings-end-100
win vscroll kNoId:SCROLLBAR 0 vscroll kNoId:SCROLLBAR 0 vscroll kNoId:SCROLLBAR 0 idle 5000 >/dev/null
shot settings-new-rows-100
win vscroll kNoId:SCROLLBAR 6 vscroll kNoId:SCROLLBAR 3 vscroll kNoId:SCROLLBAR 3 vscroll kNoId:SCROLLBAR 3 \
    vscroll kNoId:SCROLLBAR 3 idle 5000 >/dev/null
shot settings-slots-100
win vscroll kNoId:SCROLLBAR 3 idle 5000 >/dev/null
shot settings-slots-more-100
win select kIdWindowSize 10 idle 5000 >/dev/null
win vscroll kNoId:SCROLLBAR 7 idle 5000 >/dev/null
shot settings-end-150
win vscroll kNoId:SCROLLBAR 6 idle 5000 >/dev/null
shot settings-top-150
win select kIdWindowSize 5 idle 5000 vscroll kNoId:SCROLLBAR 6 >/dev/null

notepad_start

section "each new shortcut set through its Change button"
PLAYBACK_OK="Playback shortcut works from any window, even when minimized."
capture "Slower" kIdSlotChange+4 ctrl+alt+j "$PLAYBACK_OK"
capture "Faster" kIdSlotChange+5 ctrl+alt+l "$PLAYBACK_OK"
capture "Normal speed" kIdSlotChange+6 ctrl+alt+n "$PLAYBACK_OK"
capture "Type the time" kIdSlotChange+7 ctrl+alt+t "$PLAYBACK_OK"
capture "Add a mark" kIdMarkShortcutChange ctrl+alt+m "The mark shortcut works from any window while recording."
for v in "PlayKey4 74" "PlayKey5 76" "PlayKey6 78" "PlayKey7 84" "MarkKey 77"; do
    expect "stored ${v% *}" "$(reg_value "${v% *}")" "${v#* }"
done
for v in PlayMods4 PlayMods5 PlayMods6 PlayMods7 MarkMods; do expect "stored $v" "$(reg_value $v)" 3; done

section "the mark key pressed in Notepad while recording"
win settext kIdFileName "mark take"
wine_env_use_mic 22050
mic_drain 22050
feed_start 22050 "$WORK/speech.raw"
win click kIdRecord waittext kIdStatus Recording 5000 || fail "record" "no recording started"
win waittext kIdTime 00:00:02 8000
other_window_keys ctrl+alt+m
win waitprefix kIdStatus "Recording. Mark 1 added at " 3000 text kIdStatus || fail "mark key" "no mark was added"
win waittext kIdTime 00:00:04 8000 click kIdStop waittext kIdStatus "Done and saved" 10000 ||
    fail "record" "the recording did not stop"
feed_stop
MARKS="$REC/mark take-marks.txt"
if [ -f "$MARKS" ]; then
    expect_match "marks file" "$(tr -d '\r' <"$MARKS")" '^Mark 1  00:0[23]$'
else
    fail "marks" "no marks file beside the recording"
fi
# Not recording: the key is not registered, so no mark and no status change.
other_window_keys ctrl+alt+m
win text kIdStatus
expect "status after the mark key while idle" "$(out 'text kIdStatus')" "Done and saved"

section "speed keys from Notepad move the speed label"
win drop 1 "$TALK" waittext kIdLoadedName talk.wav 15000 text kIdSpeedLabel || fail "load" "talk.wav not loaded"
expect "speed at load" "$(out 'text kIdSpeedLabel')" "Speed 100%"
other_window_keys ctrl+alt+j
win waittext kIdSpeedLabel "Speed 90%" 3000 || fail "Slower" "the label did not go to 90 %"
other_window_keys ctrl+alt+j
win waittext kIdSpeedLabel "Speed 80%" 3000 sliderpos kIdSpeed || fail "Slower" "the label did not go to 80 %"
expect "speed slider" "$(out 'sliderpos kIdSpeed')" 16
expect "stored PlaySpeed" "$(reg_value PlaySpeed)" 16
other_window_keys ctrl+alt+l
win waittext kIdSpeedLabel "Speed 90%" 3000 || fail "Faster" "the label did not go to 90 %"
other_window_keys ctrl+alt+n
win waittext kIdSpeedLabel "Speed 100%" 3000 || fail "Normal speed" "the label did not go back to 100 %"
expect "stored PlaySpeed after Normal speed" "$(reg_value PlaySpeed)" 20

section "rewind on resume, read from the position label"
other_window_keys ctrl+space
win waittext kIdPlay Pause 3000 waittext kIdTime 00:00:07 10000 || fail "play" "the position did not reach 7 s"
other_window_keys ctrl+space
win waittext kIdPlay Play 3000 text kIdTime || fail "pause" "Ctrl+Space did not pause"
POS=$(out 'text kIdTime')
S=$((10#${POS##*:}))
BACK=$(printf '00:00:%02d' $((S - 3)))
other_window_keys ctrl+space
win waittext kIdTime "$BACK" 1500 || fail "rewind on resume" "resuming at $POS did not go back to $BACK"
other_window_keys ctrl+space
win waittext kIdPlay Play 3000

section "Type the time into Notepad"
other_window_keys ctrl+Home
other_window_keys ctrl+Right
win waittext kIdTime 00:00:05 3000 || fail "position" "not at 5 s"
drv find Notepad 5000 setclipboard "the transcriber's own clipboard" childtext Edit
expect "Notepad empty before" "$(out childtext)" ""
other_window_keys ctrl+alt+t
for _ in $(seq 100); do
    drv find Notepad 5000 childtext Edit >/dev/null
    [ -n "$(out childtext)" ] && break
    sleep 0.03
done
# A late second copy, or a stray character of the shortcut, would show a moment later.
win idle 3000 >/dev/null
drv find Notepad 5000 childtext Edit clipboard
expect "typed into Notepad" "$(out childtext)" "[00:00:05] "
expect "clipboard unchanged" "$(out clipboard)" "the transcriber's own clipboard"

section "a file dropped again opens where it was left"
other_window_keys ctrl+space
win waittext kIdTime 00:00:12 12000
other_window_keys ctrl+space
win waittext kIdPlay Play 3000 text kIdTime
LEFT=$(out 'text kIdTime')
app_close
positions=$(wine reg query "$E2E_KEY\\Positions" 2>&1 | tr -d '\r')
expect_match "a position in the subkey" "$positions" 'File00 +REG_BINARY'
app_start
win drop 1 "$TALK" waittext kIdLoadedName talk.wav 15000 text kIdTime text kIdDetail text kIdPlay
expect "reopened at" "$(out 'text kIdTime')" "$LEFT"
expect "reopened paused" "$(out 'text kIdPlay')" "Play"
expect "detail line" "$(out 'text kIdDetail')" \
    "Reopened where you stopped last time, at $LEFT. Start goes back to 00:00:00."
win click kIdStart waittext kIdTime 00:00:00 3000 || fail "Start" "did not go to 00:00:00"

app_close
e2e_finish
