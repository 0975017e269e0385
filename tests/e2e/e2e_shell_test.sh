#!/usr/bin/env bash
# Notafon.exe end to end under Wine, where it hands over to the system: the folder browser (a folder chosen and
# confirmed is shown and stored; Cancel changes nothing), the converter link reaching the browser with its exact
# address (Wine's browser pointed at a logging script), the open dialog of "Play Local File" cancelled and used, and
# "Show file in folder" starting explorer.exe with /select,"FILE" for the last recording, whose folder window appears.
#
# usage: e2e_shell_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS SERVICE_ADDRESS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
SERVICE=$5
e2e_setup "$1" "$2" "$3" "$4"

shell_cleanup() {
    logging_browser_stop
    rm -rf "$OTHER"
    e2e_cleanup
}
trap shell_cleanup EXIT

# On the prefix's own drive: Wine's folder browser selects a path given to it there, not on the Z: drive.
OTHER=$(mktemp -d "$WINEPREFIX/drive_c/other folder XXXX")
OTHER_WIN="C:\\$(basename "$OTHER")"
NAME="shown take"
speech_to_feed 22050 2 "Where did that file go?"

section "folder browser: Cancel, then another folder and OK"
fresh_settings "$REC"
app_start
win postclick kIdChangeFolder:Button dialog 10000 2 nodialog 5000 idle 5000 text kIdFolder
expect "folder after Cancel" "$(out 'text kIdFolder')" "$(wine_path "$REC")"
expect "stored folder after Cancel" "$(reg_value Folder)" "$(wine_path "$REC")"
win postclick kIdChangeFolder:Button browseto 10000 "$OTHER_WIN" idle 5000 dialog 5000 1
win waittext kIdFolder "$OTHER_WIN" 5000 || fail "folder browser" "the chosen folder is not shown"
expect "stored folder after OK" "$(reg_value Folder)" "$OTHER_WIN"

section "the converter link reaches the browser"
logging_browser_start "$WORK/browser.log"
win click kIdConverter
for _ in $(seq 100); do [ -s "$WORK/browser.log" ] && break; sleep 0.1; done
expect "address given to the browser" "$(cat "$WORK/browser.log" 2>/dev/null)" "$SERVICE/tools/audio-converter.html"

section "a recording in the chosen folder"
wine_env_use_mic 22050
mic_drain 22050
win settext kIdFileName "$NAME" click kIdRecord waittext kIdStatus Recording 3000
feed_start 22050 "$WORK/speech.raw"
win waittext kIdTime 00:00:01 8000 click kIdStop waittext kIdStatus "Done and saved" 10000
feed_stop
[ -f "$OTHER/$NAME.mp3" ] || fail "recording" "not saved in the chosen folder"

section "Play Local File: Cancel, then the recording chosen in the open dialog"
# A name the player would show if it loaded anything: the recording just made is loaded after Stop.
win postclick kIdPlayLocalFile dialog 10000 2 nodialog 5000 idle 5000 text kIdLoadedName
expect "loaded after Cancel" "$(out 'text kIdLoadedName')" "$NAME.mp3"
cp "$OTHER/$NAME.mp3" "$OTHER/picked.mp3"
# 1148: the file name box of the open dialog.
win postclick kIdPlayLocalFile dialogtext 10000 1148 "$OTHER_WIN\\picked.mp3" dialog 5000 1
win waittext kIdLoadedName picked.mp3 5000 || fail "open dialog" "the chosen file was not loaded"

section "show the recording in its folder"
win click kIdShowInFolder
# The quotes hold the path with its space together: explorer.exe gets it as one argument.
WANT="/select,$OTHER_WIN\\$NAME.mp3"
ARGS=''
for _ in $(seq 100); do
    for pid in $(pgrep -f 'explorer\.exe /select'); do
        ARGS=$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | sed -n '2,$p')
        [ -n "$ARGS" ] && break
    done
    [ -n "$ARGS" ] && break
    sleep 0.1
done
expect "explorer arguments" "$ARGS" "$WANT"
FOUND=''
for _ in $(seq 100); do
    drv windows >/dev/null
    FOUND=$(printf '%s\n' "$DRV_OUT" | grep -F "$(basename "$OTHER")" | head -1)
    [ -n "$FOUND" ] && break
    sleep 0.1
done
[ -n "$FOUND" ] && echo "ok: explorer window: $FOUND" || fail "explorer" "no window for the folder appeared"
# The other tests share this Wine environment: the folder window goes.
drv find ExplorerWClass 2000 close 10000 >/dev/null || fail "explorer" "the folder window did not close"
app_close
e2e_finish
