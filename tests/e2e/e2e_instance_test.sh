#!/usr/bin/env bash
# Notafon.exe under Wine as a Windows program among others:
#   - libraries: a copy of the program with gdiplus.dll, msimg32.dll and winmm.dll planted beside it (each leaves a
#     marker file when loaded) starts, records and plays without loading any of them, takes GDI+ from the system
#     folder, and draws its buttons exactly as a copy without the planted files does;
#   - current directory: started from a folder of the user's, the process holds the system folder instead, and still
#     does after the open dialog was cancelled and after a file was chosen in another folder with it;
#   - one instance: with the first window minimised, a second start exits within 2 s, and the one window left is
#     restored and in front;
#   - drops from lower integrity levels: the main window asks to let WM_DROPFILES, WM_COPYDATA and 0x0049 through.
#     Wine has no integrity levels, so only the calls and Wine's answer to them can be seen (its trace of them).
#
# usage: e2e_instance_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS PLANTED.dll...
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$1" "$2" "$3" "$4"
shift 4
PLANTED=("$@")
[ ${#PLANTED[@]} -eq 3 ] || { echo "FAIL: three planted DLLs expected, got ${#PLANTED[@]}"; exit 1; }

lower() { tr '[:upper:]' '[:lower:]'; }
SYSTEM_DIR='c:\windows\system32'

# Two copies of the program: one alone in its folder, one with the planted libraries beside it.
CLEAN="$WORK/clean" PLANTED_DIR="$WORK/planted"
mkdir -p "$CLEAN" "$PLANTED_DIR" "$WORK/start"
cp "$APP" "$CLEAN/Notafon.exe"
cp "$APP" "$PLANTED_DIR/Notafon.exe"
for dll in "${PLANTED[@]}"; do cp "$dll" "$PLANTED_DIR/"; done
MEDIA=$(mktemp -d "$WINEPREFIX/drive_c/media XXXX")
MEDIA_WIN="C:\\$(basename "$MEDIA")"
trap 'rm -rf "$MEDIA"; e2e_cleanup' EXIT
sox -n -r 44100 -b 16 -c 1 "$MEDIA/picked.wav" synth 1 sine 440 vol 0.3

# start_copy EXE: the program started from a folder of the user's ($WORK/start), as a shortcut there would.
start_copy() {
    APP=$1
    (cd "$WORK/start" && exec wine "$APP") >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    drv find PRLWRecorder 30000 || { fail "start" "no Notafon window from $1"; exit 1; }
}

# The record button's dot, the settings button's arrow and the panel button's rounded box are drawn with GDI+ where
# it loads (anti-aliased), with plain GDI otherwise.
DRAWN="pixels kIdRecord pixels kIdSettings pixels kIdTranscribe"
drawn() { printf '%s %s %s\n' "$(out 'pixels kIdRecord')" "$(out 'pixels kIdSettings')" "$(out 'pixels kIdTranscribe')"; }

section "a copy alone in its folder: how it draws with GDI+, and with plain GDI"
fresh_settings "$REC"
start_copy "$CLEAN/Notafon.exe"
win idle 5000 $DRAWN
WITH_GDIPLUS=$(drawn)
app_close
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;gdiplus=d" start_copy "$CLEAN/Notafon.exe"
win idle 5000 $DRAWN
PLAIN_GDI=$(drawn)
app_close
if [ "$WITH_GDIPLUS" != "$PLAIN_GDI" ]; then echo "ok: GDI+ shows ($WITH_GDIPLUS, plain GDI $PLAIN_GDI)"; else
    fail "drawing" "the same pictures with and without GDI+: this check would see nothing"
fi

section "a copy beside planted libraries, started from the user's folder; its trace of the message filter"
fresh_settings "$REC"
# Wine takes its own copy of a system library even when it finds one of the name beside the program (it reports the
# path it found, nothing of the file there runs); Windows loads the file it finds. Native first makes Wine do that.
PLANTED_OVERRIDES="$WINEDLLOVERRIDES;gdiplus,msimg32,winmm=n,b"
WINEDEBUG=-all,fixme+msg WINEDLLOVERRIDES=$PLANTED_OVERRIDES start_copy "$PLANTED_DIR/Notafon.exe"
win idle 5000 $DRAWN modules cwd hwnd
MAIN_HWND=$(out hwnd)
expect "drawn beside planted files" "$(drawn)" "$WITH_GDIPLUS"
MODULES=$(printf '%s\n' "$DRV_OUT" | sed -n 's/^module: //p' | lower)
GDIPLUS=$(printf '%s\n' "$MODULES" | grep -E '\\gdiplus\.dll$')
expect "GDI+ loaded from" "$GDIPLUS" "$SYSTEM_DIR\\gdiplus.dll"
FROM_APP_FOLDER=$(printf '%s\n' "$MODULES" | grep -F "$(wine_path "$PLANTED_DIR" | lower)\\" | grep -v 'notafon\.exe$')
expect "modules loaded from the program's folder besides itself" "$FROM_APP_FOLDER" ""
# Delay-loaded: not before the first recording or playback.
expect "winmm at start" "$(printf '%s\n' "$MODULES" | grep -E '\\winmm\.dll$')" ""
expect "current directory at start" "$(out cwd | lower)" "$SYSTEM_DIR\\"

# Each call leaves one line of Wine's trace ("HWND MESSAGE ACTION STRUCT"): this Wine accepts the change for a
# window and does nothing with it.
FILTERED=$(grep -a 'ChangeWindowMessageFilterEx' "$WORK/app.log" | tr -d '\r')
printf '%s\n' "$FILTERED" | sed 's/^/    /'
for message in 233 4a 49; do
    if printf '%s\n' "$FILTERED" | grep -qiE "ChangeWindowMessageFilterEx $MAIN_HWND $message 1 "; then
        echo "ok: the main window ($MAIN_HWND) lets message 0x$message through"
    else
        fail "message filter" "no ChangeWindowMessageFilterEx call allowing 0x$message"
    fi
done

section "recording and playback load winmm from the system folder only"
sox -n -r 22050 -b 16 -c 1 -t raw "$WORK/tone.raw" synth 3 sine 440 vol 0.3
wine_env_use_mic 22050
mic_drain 22050 >/dev/null
win click kIdRecord waittext kIdStatus Recording 3000
feed_start 22050 "$WORK/tone.raw"
win waittext kIdTime 00:00:01 8000 click kIdStop waittext kIdStatus "Done and saved" 10000 ||
    fail "recording" "the take did not end as saved"
feed_stop
win click kIdPlay waittext kIdPlay Pause 3000 modules
MODULES=$(printf '%s\n' "$DRV_OUT" | sed -n 's/^module: //p' | lower)
expect "winmm loaded from" "$(printf '%s\n' "$MODULES" | grep -E '\\winmm\.dll$')" "$SYSTEM_DIR\\winmm.dll"
expect "msimg32 loaded from (the meter drew while recording)" \
    "$(printf '%s\n' "$MODULES" | grep -E '\\msimg32\.dll$')" "$SYSTEM_DIR\\msimg32.dll"
win click kIdPlay waittext kIdPlay Play 3000 >/dev/null

section "the open dialog leaves the current directory alone"
win postclick kIdPlayLocalFile dialog 10000 2 nodialog 5000 cwd
expect "current directory after Cancel" "$(out cwd | lower)" "$SYSTEM_DIR\\"
# 1148: the file name box of the open dialog.
win postclick kIdPlayLocalFile dialogtext 10000 1148 "$MEDIA_WIN\\picked.wav" dialog 5000 1
win waittext kIdLoadedName picked.wav 5000 cwd || fail "open dialog" "the chosen file was not loaded"
expect "current directory after choosing a file" "$(out cwd | lower)" "$SYSTEM_DIR\\"

section "no planted library was ever loaded"
# The marker takes the name the loader gave the module, in whatever case the importer wrote it.
for dll in "${PLANTED[@]}"; do
    name=$(basename "$dll")
    if ls "$PLANTED_DIR" | grep -qixF "$name.loaded"; then fail "planted $name" "it was loaded"; else
        echo "ok: $name not loaded"
    fi
done

section "a second start with the first window minimised and Notepad in front"
# Wine leaves a minimised window in the foreground, where Windows activates the next one: Notepad takes it here.
wine notepad >/dev/null 2>&1 &
NOTEPAD_PID=$!
win minimize waitwin iconic 1 5000 >/dev/null || fail "minimise" "the window was not minimised"
drv find Notepad 10000 fg waitwin front 1 5000 >/dev/null || fail "notepad" "Notepad did not come to the front"
win waitwin front 0 5000 || fail "minimise" "the first window is still in front"
T0=$(date +%s.%N)
(cd "$WORK/start" && WINEDLLOVERRIDES=$PLANTED_OVERRIDES timeout 20 wine "$PLANTED_DIR/Notafon.exe") \
    >"$WORK/second.log" 2>&1
SECOND_RC=$?
SECONDS_TAKEN=$(awk -v a="$(date +%s.%N)" -v b="$T0" 'BEGIN { printf "%.2f", a - b }')
expect "second start's exit code" "$SECOND_RC" 0
holds "$SECONDS_TAKEN" 2 'a < b' && echo "ok: the second start ended after $SECONDS_TAKEN s" ||
    fail "second start" "it ran $SECONDS_TAKEN s"
drv windows >/dev/null
expect "main windows" "$(printf '%s\n' "$DRV_OUT" | grep -c '^window: PRLWRecorder|')" 1
win waitwin iconic 0 2000 waitwin front 1 2000 && echo "ok: the first window is restored and in front" ||
    fail "first window" "not restored and in front"
kill -0 "$APP_PID" 2>/dev/null && echo "ok: the first instance still runs" || fail "first instance" "it ended"
drv find Notepad 2000 close 10000 >/dev/null || fail "notepad" "it did not close"
wait "$NOTEPAD_PID" 2>/dev/null
app_close
e2e_finish
