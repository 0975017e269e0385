#!/usr/bin/env bash
# Notafon.exe end to end under Wine: mini mode's size without and with the player, its first place near the work
# area's bottom-left corner, a moved mini window coming back where it was left, a saved place partly off the screen
# pulled inside, the normal rectangle after leaving, the place stored at closing; then closing the window while it
# records in mini mode keeps the recording and saves the place and the settings. Last, files dropped on the window:
# two at once, one while recording, one while a shortcut is being captured (also while recording), a path too long,
# and one good file, which loads.
#
# usage: e2e_modes_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"

NAME="mini take"
MARGIN=12

# The window's outer rectangle, client size and style into WX WY WW WH CW CH STYLE.
measure() {
    win winrect >/dev/null || { fail "measure" "no window rectangle"; return 1; }
    read -r WX WY WW WH <<<"$(out winrect)"
    read -r CW CH <<<"$(out client)"
    # Without WS_CLIPSIBLINGS, which the system adds to every top-level window.
    STYLE=$(printf '0x%08X' $(($(out style) & ~0x04000000)))
    echo "window at $WX,$WY outer ${WW}x$WH client ${CW}x$CH style $STYLE"
}
# Visible, clipping children, caption and system menu; normal adds the sizing frame and the maximise box, mini has
# neither but keeps the minimise box.
NORMAL_STYLE=0x12CF0000 MINI_STYLE=0x12CA0000

speech_to_feed 22050 3 "The small window records just as well as the large one does."

section "first entry: 380 x 290 near the bottom-left corner of the work area"
fresh_settings "$REC"
app_start
drv workarea
read -r AL AT AR AB <<<"$(out workarea)"
# Away from the corner, so leaving mini mode has a place of its own to return to.
win move $((AL + 90)) $((AT + 30))
measure
NX=$WX NY=$WY NW=$WW NH=$WH
expect "normal style" "$STYLE" "$NORMAL_STYLE"
win click kIdMiniToggle
measure
expect "mini client size without a file" "$CW $CH" "380 290"
expect "mini style" "$STYLE" "$MINI_STYLE"
expect "first mini place" "$WX $WY" "$((AL + MARGIN)) $((AB - WH - MARGIN))"

section "a DPI change during a drag"
# The system sends WM_ENTERSIZEMOVE when a drag of the title bar begins and WM_DPICHANGED as the window crosses onto a
# monitor of another scale, with a rectangle under the pointer. Wine has neither a second monitor nor a drag to give:
# the driver sends the messages with the values Windows would. During the drag the window stays where the system put
# it, partly off the work area; at the end of the drag it comes onto the work area once. (In mini mode, which is small
# enough at 144 DPI for this 800-pixel screen.)
measure
BX=$WX BY=$WY BW=$WW BH=$WH
win dpisize 144
read -r SW SH <<<"$(out dpisize)"
read -r FW FH <<<"$(out frame)"
expect "the window gives its size at 144 DPI" "$(out changed)" 1
OFFX=$((AR - SW / 2))
win sizemove enter dpi 144 "$OFFX" "$BY" "$SW" "$SH" idle 5000
measure
expect "left where the drag has it" "$WX $WY" "$OFFX $BY"
expect "client at 144 DPI" "$CW $CH" "570 435"
# The answer holds the frame at 144 DPI, as the window has it on Windows after the change; Wine keeps the 96-DPI frame
# of a window it never moved, so the client the answer stands for is what to compare.
expect "the client the size given beforehand stands for" "$((SW - FW)) $((SH - FH))" "$CW $CH"
win sizemove exit idle 5000
measure
expect "on the work area after the drag" "$WX $WY" "$((AR - WW)) $((BY + WH > AB ? AB - WH : BY))"
win dpi 96 "$BX" "$BY" "$BW" "$BH" idle 5000
measure
expect "back at 96 DPI: the mini size" "$CW $CH" "380 290"

section "move, leave, enter again"
MX=$((AL + 200)) MY=$((AT + 150))
win move "$MX" "$MY"
measure
expect "moved" "$WX $WY" "$MX $MY"
win click kIdMiniToggle
measure
expect "normal rectangle after leaving" "$WX $WY $WW $WH" "$NX $NY $NW $NH"
expect "normal style after leaving" "$STYLE" "$NORMAL_STYLE"
win click kIdMiniToggle
measure
expect "mini back at the moved place" "$WX $WY" "$MX $MY"
win click kIdMiniToggle
app_close
expect "stored MiniX" "$(reg_value MiniX)" "$MX"
expect "stored MiniY" "$(reg_value MiniY)" "$MY"

section "a saved place partly off the screen is pulled inside"
wine reg add "$E2E_KEY" /v MiniX /t REG_DWORD /d $((AR - 100)) /f >/dev/null 2>&1
wine reg add "$E2E_KEY" /v MiniY /t REG_DWORD /d $((AB - 50)) /f >/dev/null 2>&1
app_start
win click kIdMiniToggle
measure
expect "pulled inside" "$WX $WY" "$((AR - WW)) $((AB - WH))"

section "a recording in mini mode, then the player: 380 x 400"
MX=$((AL + 40)) MY=$((AT + 60))
win move "$MX" "$MY" settext kIdFileName "$NAME"
wine_env_use_mic 22050
mic_drain 22050
win click kIdRecord waittext kIdStatus Recording 3000
feed_start 22050 "$WORK/speech.raw"
win waittext kIdTime 00:00:02 8000 click kIdStop waittext kIdStatus "Done and saved" 10000 text kIdLoadedName
feed_stop
expect "loaded in mini mode" "$(out 'text kIdLoadedName')" "$NAME.mp3"
measure
expect "mini client size with a file" "$CW $CH" "380 400"

section "close while recording in mini mode"
mic_drain 22050
win click kIdRecord waittext kIdStatus Recording 3000
feed_start 22050 "$WORK/speech.raw"
# The volume moves without the end of a drag, which does not save: only the save at closing can store it.
win waittext kIdTime 00:00:03 8000 slider kIdVolume 70 5 idle 5000
expect "volume not stored during the drag" "$(reg_value PlayVolume)" 100
app_close
feed_stop
ls -l "$REC"
TAKE2=$(find "$REC" -name '*.mp3' ! -name "$NAME.mp3" | head -1)
if [ -n "$TAKE2" ]; then
    "$CHECK" mp3-corr "$TAKE2" "$WORK/speech.wav" --min-corr 0.98 --window 0.2:2.8 --min-window-corr 0.97 ||
        fail "recording" "the file kept at closing does not decode to the fed speech"
else
    fail "recording" "no second recording after closing while recording"
fi
expect "MiniX stored at closing" "$(reg_value MiniX)" "$MX"
expect "MiniY stored at closing" "$(reg_value MiniY)" "$MY"
expect "volume stored at closing" "$(reg_value PlayVolume)" 70

section "drops"
GOOD=$(wine_path "$REC/$NAME.mp3")
LONG="Z:\\$(printf 'a%.0s' $(seq 300)).mp3"
app_start
win drop 2 "$GOOD" "$GOOD" text kIdStatus
expect "two files" "$(out 'text kIdStatus')" "Drop one MP3, WAV or M4A file at a time."
win drop 1 "$LONG" text kIdStatus
expect "a path too long" "$(out 'text kIdStatus')" "That file path is too long to load here."
win fg click kIdRecordShortcutChange drop 1 "$GOOD" text kIdStatus click kIdRecordShortcutChange
expect "while a shortcut is captured" "$(first 'text kIdStatus')" "Finish changing a shortcut before dropping audio."
mic_drain 22050
win click kIdRecord waittext kIdStatus Recording 3000
feed_start 22050 "$WORK/speech.raw"
win drop 1 "$GOOD" text kIdStatus
expect "while recording" "$(out 'text kIdStatus')" "Stop recording before dropping an audio file."
win fg click kIdRecordShortcutChange drop 1 "$GOOD" text kIdStatus click kIdRecordShortcutChange
expect "while recording and capturing" "$(first 'text kIdStatus')" \
    "Finish changing a shortcut before dropping audio."
win waittext kIdTime 00:00:02 8000 click kIdStop waittext kIdStatus "Done and saved" 10000
feed_stop
win drop 1 "$GOOD" text kIdLoadedName text kIdTimes
expect "a good file loads" "$(out 'text kIdLoadedName')" "$NAME.mp3"
expect_match "its length" "$(out 'text kIdTimes')" '^Total 00:00:0[23] '
app_close
e2e_finish
