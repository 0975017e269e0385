#!/usr/bin/env bash
# Notafon.exe end to end under Wine: the global shortcuts pressed while another program's window (Notepad) has the
# keyboard focus, as real X key events. The record shortcut records fed speech and stops; the four playback shortcuts
# move the player, and a new play/pause shortcut captured from a key press replaces Ctrl+Space; a new record shortcut
# captured from a real key press is stored, shown and works; F12, Tab (declined in its confirmation box), Esc and
# another window coming forward leave the shortcut as it was; and a record shortcut held by another program before Notafon starts is reported, then
# recovered with Default once that program has ended.
#
# usage: e2e_hotkeys_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS HOTKEY_HOLDER.exe
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
HOLDER=$5
e2e_setup "$1" "$2" "$3" "$4"
[ -f "$HOLDER" ] || { echo "FAIL: $HOLDER is missing"; exit 1; }

HOLDER_PID=''
hotkeys_cleanup() {
    if [ -n "$HOLDER_PID" ]; then
        touch "$WORK/holder.stop"
        wait "$HOLDER_PID" 2>/dev/null
    fi
    notepad_stop
    e2e_cleanup
}
trap hotkeys_cleanup EXIT

NAME="hotkey take"
IDLE_STATUS="Ready to record  (Ctrl+Shift+R)"

# The other window takes the focus (Wine's foreground, and with it the X focus), then X sends the keys.

speech_to_feed 22050 6 \
    "A shortcut pressed in any window starts the recording, and the same shortcut stops it again, here and now."

section "start, with Notepad as the other window"
fresh_settings "$REC"
app_start
# The shortcut rows live on the settings page, built when it first opens.
win click kIdSettings settext kIdFileName "$NAME" select kIdRewindAmount 0 text kIdStatus text kIdVersion text kIdBack
expect "status at start" "$(out 'text kIdStatus')" "$IDLE_STATUS"
expect_match "shortcut text at start" "$(out 'text kIdVersion')" "  Ctrl\\+Shift\\+R works from any window\\.$"
expect "Back button with a 1 s rewind" "$(out 'text kIdBack')" "Back 1s"
notepad_start

section "Ctrl+Shift+R from Notepad records fed speech; again stops"
wine_env_use_mic 22050
mic_drain 22050
other_window_keys ctrl+shift+r
win waittext kIdStatus Recording 5000 || fail "record shortcut" "no recording started"
feed_start 22050 "$WORK/speech.raw"
# 300 ms more of the fed speech, on purpose: the stop does not fall on the second the time shows.
win waittext kIdTime 00:00:06 12000 sleep 300
other_window_keys ctrl+shift+r
win waittext kIdStatus "Done and saved" 10000 || fail "record shortcut" "the second press did not stop"
feed_stop
MP3="$REC/$NAME.mp3"
ls -l "$REC"
if [ -f "$MP3" ]; then
    "$CHECK" mp3-corr "$MP3" "$WORK/speech.wav" --min-corr 0.98 --window 0.2:2.8 --window 2.8:5.8 \
        --min-window-corr 0.97 || fail "recording" "the file does not decode to the fed speech"
    "$NATIVE_CLI" decode "$MP3" --out "$WORK/decoded.wav" >"$WORK/decode.out" || fail "recording" "decode failed"
else
    fail "recording" "no '$NAME.mp3' after the shortcut stopped the recording"
fi

section "the four playback shortcuts from Notepad"
SAMPLES=$(sed -n 's/^samples: //p' "$WORK/decode.out" 2>/dev/null)
RATE=$(sed -n 's/^rate: //p' "$WORK/decode.out" 2>/dev/null)
DUR=$(awk -v n="${SAMPLES:-0}" -v r="${RATE:-1}" 'BEGIN { printf "%.6f", n / r }')
echo "duration: $DUR s"
win text kIdLoadedName text kIdPlay text kIdTime
expect "loaded after the recording" "$(out 'text kIdLoadedName')" "$NAME.mp3"
other_window_keys ctrl+space
win waittext kIdPlay Pause 3000 || fail "play/pause shortcut" "Ctrl+Space did not start playback"
win waittext kIdTime 00:00:03 8000 || fail "play/pause shortcut" "the position did not move"
other_window_keys ctrl+space
win waittext kIdPlay Play 3000 text kIdTime || fail "play/pause shortcut" "the second Ctrl+Space did not pause"
POS=$(out 'text kIdTime')
expect_match "paused at" "$POS" '^00:00:0[34]$'
other_window_keys ctrl+Left
win waittext kIdTime "$(printf '00:00:%02d' $((10#${POS##*:} - 1)))" 3000 ||
    fail "rewind shortcut" "Ctrl+Left did not go back by the 1 s rewind"
other_window_keys ctrl+Home
win waittext kIdTime 00:00:00 3000 || fail "start shortcut" "Ctrl+Home did not go to the start"
other_window_keys ctrl+Right
win waittext kIdTime 00:00:05 3000 || fail "forward shortcut" "Ctrl+Right did not go forward 5 s"
win text kIdPlay
expect "still paused after the moves" "$(out 'text kIdPlay')" "Play"

section "a playback shortcut changed by a real key press"
win fg click kIdSlotChange text kIdStatus
expect "status while capturing a slot" "$(out 'text kIdStatus')" "Press the new shortcut now. Press Esc to cancel."
own_window_keys ctrl+alt+p
win waittext kIdStatus "Playback shortcut works from any window, even when minimized." 3000 ||
    fail "slot capture" "Ctrl+Alt+P was not taken"
expect "stored PlayKey0" "$(reg_value PlayKey0)" 80
expect "stored PlayMods0" "$(reg_value PlayMods0)" 3
# Were Ctrl+Space still play/pause, the two presses would cancel out.
other_window_keys ctrl+space
other_window_keys ctrl+alt+p
win waittext kIdPlay Pause 3000 || fail "new play/pause shortcut" "Ctrl+Alt+P did not start playback"
other_window_keys ctrl+alt+p
win waittext kIdPlay Play 3000 || fail "new play/pause shortcut" "the second Ctrl+Alt+P did not pause"

section "Change, then a real Ctrl+Alt+K"
win fg click kIdRecordShortcutChange text kIdStatus text kIdRecordShortcutChange
expect "status while capturing" "$(out 'text kIdStatus')" "Press your record/stop shortcut now. Press Esc to cancel."
expect "Change becomes Cancel" "$(out 'text kIdRecordShortcutChange')" "Cancel"
own_window_keys ctrl+alt+k
win waittext kIdStatus "Ready to record  (Ctrl+Alt+K)" 3000 text kIdRecordShortcutChange text kIdVersion ||
    fail "capture" "Ctrl+Alt+K was not taken"
expect "Cancel back to Change" "$(out 'text kIdRecordShortcutChange')" "Change"
expect_match "version line" "$(out 'text kIdVersion')" '\|  Ctrl\+Alt\+K works from any window\.$'
expect "stored HotkeyKey" "$(reg_value HotkeyKey)" 75
expect "stored HotkeyMods" "$(reg_value HotkeyMods)" 3
# The old shortcut no longer records: checked after the new one has, so a late reaction would show there too.
mic_drain 22050
feed_start 22050 "$WORK/speech.raw"
other_window_keys ctrl+shift+r
other_window_keys ctrl+alt+k
win waittext kIdStatus Recording 5000 || fail "new shortcut" "Ctrl+Alt+K from Notepad did not record"
win waittext kIdTime 00:00:02 8000
other_window_keys ctrl+alt+k
win waittext kIdStatus "Done and saved" 10000 || fail "new shortcut" "the second Ctrl+Alt+K did not stop"
feed_stop
NUMBERED=$(find "$REC" -name '*.mp3' | wc -l)
expect "recordings after the new shortcut (one each)" "$NUMBERED" 2

section "Change, then F12, Tab (declined) and Esc"
win fg click kIdRecordShortcutChange
own_window_keys F12
win waittext kIdStatus "Windows reserves that shortcut. Choose another." 3000 || fail "F12" "not refused as reserved"
win fg click kIdRecordShortcutChange
own_window_keys Tab
if win dialog 5000 7; then
    expect "confirmation title" "$(out 'dialog title')" "Confirm global shortcut"
    expect "confirmation text" "$(out 'dialog text')" "Tab has no modifier key. While the recorder is open, Windows \
will capture it across apps. Tab may no longer move focus normally.\\n\\nUse this single-key shortcut?"
else
    fail "Tab" "no confirmation box"
fi
win waittext kIdStatus "Shortcut unchanged." 5000 text kIdVersion || fail "Tab" "not left unchanged"
expect_match "shortcut after declining Tab" "$(out 'text kIdVersion')" "  Ctrl\\+Alt\\+K works from any window\\.$"
win fg click kIdRecordShortcutChange
own_window_keys Escape
win waittext kIdStatus "Shortcut change cancelled." 3000 text kIdVersion || fail "Esc" "not cancelled"
expect_match "shortcut after Esc" "$(out 'text kIdVersion')" "  Ctrl\\+Alt\\+K works from any window\\.$"
# Another window coming forward ends a capture, as Esc does.
win fg click kIdRecordShortcutChange text kIdStatus
expect "capturing again" "$(out 'text kIdStatus')" "Press your record/stop shortcut now. Press Esc to cancel."
drv find Notepad 5000 fg >/dev/null
win waittext kIdStatus "Shortcut change cancelled." 3000 text kIdRecordShortcutChange ||
    fail "capture" "not cancelled when Notepad came forward"
expect "Change after the capture ended" "$(out 'text kIdRecordShortcutChange')" "Change"
expect "HotkeyKey kept" "$(reg_value HotkeyKey)" 75
expect "HotkeyMods kept" "$(reg_value HotkeyMods)" 3
app_close

section "another program holds Ctrl+Shift+R before Notafon starts"
fresh_settings "$REC"
wine "$HOLDER" "$(wine_path "$WORK/holder.stop")" >"$WORK/holder.out" 2>&1 &
HOLDER_PID=$!
for _ in $(seq 200); do grep -q '^held:' "$WORK/holder.out" && break; sleep 0.1; done
expect "the holder has the shortcut" "$(tr -d '\r' <"$WORK/holder.out" | sed -n 's/^held: //p')" 1
app_start
win text kIdStatus
expect "status with the shortcut taken" "$(out 'text kIdStatus')" \
    "Global shortcut unavailable; open Settings to choose another"
touch "$WORK/holder.stop"
wait "$HOLDER_PID"
expect "holder exit" "$?" 0
HOLDER_PID=''
win click kIdSettings click kIdRecordShortcutDefault
win waittext kIdStatus "$IDLE_STATUS" 3000 text kIdVersion || fail "Default" "did not recover"
expect_match "shortcut text after Default" "$(out 'text kIdVersion')" "  Ctrl\\+Shift\\+R works from any window\\.$"
mic_drain 22050
feed_start 22050 "$WORK/speech.raw"
other_window_keys ctrl+shift+r
win waittext kIdStatus Recording 5000 || fail "recovered shortcut" "Ctrl+Shift+R did not record"
win waittext kIdTime 00:00:02 8000
other_window_keys ctrl+shift+r
win waittext kIdStatus "Done and saved" 10000 || fail "recovered shortcut" "did not stop"
feed_stop
app_close
e2e_finish
