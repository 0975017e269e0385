#!/usr/bin/env bash
# The per-user installer under Wine, silently (/S) in the test's fresh prefix: the program, the Start menu shortcut
# and the uninstall entry under HKCU with its values; the installed Notafon.exe records 3 s of fed speech; an
# installer started while Notafon runs refuses to overwrite it; the silent uninstaller removes the program, the
# shortcut and the entry and keeps the recording and the settings.
#
# usage: e2e_install_test.sh SETUP.exe VERSION NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

SETUP=$1 VERSION=$2
shift 2
source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"
BUILT=$APP
[ -f "$SETUP" ] || { echo "FAIL: $SETUP is missing (build the dist target)"; exit 1; }
# Wine would copy the Start menu shortcut to the Linux desktop's menus of whoever runs the tests.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Notafon'
win_env() { wine cmd /c "echo %$1%" | tr -d '\r'; }
LOCALAPPDATA_W=$(win_env LOCALAPPDATA)
APPDATA_W=$(win_env APPDATA)
INSTDIR_W="$LOCALAPPDATA_W\\Programs\\Notafon"
INSTDIR=$(winepath -u "$INSTDIR_W" 2>/dev/null)
SHORTCUT=$(winepath -u "$APPDATA_W\\Microsoft\\Windows\\Start Menu\\Programs\\Notafon.lnk" 2>/dev/null)
echo "install folder: $INSTDIR_W"
[ -n "$INSTDIR" ] && [ ! -e "$INSTDIR" ] || { echo "FAIL: $INSTDIR_W exists before the installation"; exit 1; }

# A value of the uninstall entry as reg prints it (DWORDs in decimal); empty when absent.
entry_value() {
    local line type value
    line=$(wine reg query "$UNINSTALL_KEY" /v "$1" 2>/dev/null | tr -d '\r' | grep -E "^ +$1 +REG_") || return 0
    type=$(printf '%s\n' "$line" | awk '{ print $2 }')
    value=$(printf '%s\n' "$line" | sed -E "s/^ +$1 +REG_[A-Z_]+ +//")
    if [ "$type" = REG_DWORD ]; then printf '%d\n' "$value"; else printf '%s\n' "$value"; fi
}
# The ProductVersion of an executable's own version record (resource type 16; the embedded WebView2 loader carries a
# version record of its own, so the file is not searched as a whole).
exe_version() {
    wrestool -x --raw --type=16 "$1" | python3 -c '
import sys
data = sys.stdin.buffer.read()
key = "ProductVersion".encode("utf-16-le") + b"\0\0"
at = data.find(key)
if at < 0:
    sys.exit(1)
at += len(key)
at += (4 - at % 4) % 4  # the value starts on a 32-bit boundary
end = data.find(b"\0\0", at)
while end >= 0 and (end - at) % 2:
    end = data.find(b"\0\0", end + 1)
print(data[at:end].decode("utf-16-le"))
'
}

section "silent install"
wine "$SETUP" /S
expect "installer exit code" "$?" 0
expect "files in the install folder" "$(ls "$INSTDIR" 2>&1 | tr '\n' ' ')" "Notafon.exe Uninstall.exe "
if cmp -s "$BUILT" "$INSTDIR/Notafon.exe"; then echo "ok: the installed Notafon.exe is the build's"; else
    fail "installed program" "differs from the build's Notafon.exe"
fi
if [ -f "$SHORTCUT" ]; then
    # A shell link holds its target's full path.
    if python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); t = sys.argv[2]
sys.exit(not (t.encode("utf-16-le") in d or t.encode("latin-1") in d))' "$SHORTCUT" "$INSTDIR_W\\Notafon.exe"; then
        echo "ok: the Start menu shortcut points to the installed Notafon.exe"
    else
        fail "shortcut" "Notafon.lnk does not point to $INSTDIR_W\\Notafon.exe"
    fi
else
    fail "shortcut" "no Notafon.lnk in the user's Start menu programs"
fi

section "the uninstall entry under HKCU"
expect "DisplayName" "$(entry_value DisplayName)" "Notafon"
expect "DisplayVersion" "$(entry_value DisplayVersion)" "$VERSION"
expect "the version record says the same" "$(exe_version "$INSTDIR/Notafon.exe")" "$VERSION"
expect "Publisher" "$(entry_value Publisher)" "Parlowen"
expect "DisplayIcon" "$(entry_value DisplayIcon)" "$INSTDIR_W\\Notafon.exe,0"
expect "InstallLocation" "$(entry_value InstallLocation)" "$INSTDIR_W"
expect "UninstallString" "$(entry_value UninstallString)" "\"$INSTDIR_W\\Uninstall.exe\""
expect "QuietUninstallString" "$(entry_value QuietUninstallString)" "\"$INSTDIR_W\\Uninstall.exe\" /S"
SIZE_KB=$(entry_value EstimatedSize)
FILES_KB=$(du -k --apparent-size -c "$INSTDIR"/* | tail -1 | cut -f1)
echo "EstimatedSize: $SIZE_KB KB (files: $FILES_KB KB)"
holds "$SIZE_KB" "$FILES_KB" 'a >= b - 2 && a <= b + 2' || fail "EstimatedSize" "$SIZE_KB KB for $FILES_KB KB of files"
if wine reg query "${UNINSTALL_KEY/HKCU/HKLM}" >/dev/null 2>&1; then fail "per-user" "an entry under HKLM too"; fi

section "the installed program records 3 s of speech"
REC="$WORK/recordings"
NAME="installed"
mkdir -p "$REC"
espeak-ng -w "$WORK/speech-raw.wav" "The installed program records what it hears."
sox "$WORK/speech-raw.wav" -r 22050 -b 16 -c 1 "$WORK/speech.wav" norm -6 trim 0 3
sox "$WORK/speech.wav" -t raw "$WORK/speech.raw"
fresh_settings "$REC"
APP="$INSTDIR/Notafon.exe"
app_start
win text kIdStatus
expect "status at start" "$(out 'text kIdStatus')" "Ready to record  (Ctrl+Shift+R)"
wine_env_use_mic 22050
mic_drain 22050
win select kIdQuality 1 settext kIdFileName "$NAME" click kIdRecord text kIdStatus
expect "status while recording" "$(out 'text kIdStatus')" "Recording"
feed_start 22050 "$WORK/speech.raw"
# 500 ms more of the fed speech, on purpose: the stop does not fall on the second the time shows.
win waittext kIdTime 00:00:03 10000 sleep 500 click kIdStop text kIdStatus
feed_stop
expect "status after stop" "$(out 'text kIdStatus')" "Done and saved"
MP3="$REC/$NAME.mp3"
if [ -f "$MP3" ]; then
    "$CHECK" mp3-corr "$MP3" "$WORK/speech.wav" --min-corr 0.97 || fail "recording" "it does not hold the fed speech"
else
    fail "recording" "no $NAME.mp3 in the recordings folder"
fi

section "an installer started while Notafon runs changes nothing"
wine "$SETUP" /S
expect "installer exit code while Notafon runs" "$?" 2
cmp -s "$BUILT" "$INSTDIR/Notafon.exe" || fail "installed program" "changed by the refused installation"
app_close

section "silent uninstall"
wine reg query "$E2E_KEY" | tr -d '\r' | sort >"$WORK/settings-before.txt"
SETTINGS_COUNT=$(grep -c 'REG_' "$WORK/settings-before.txt")
echo "settings values before: $SETTINGS_COUNT"
holds "$SETTINGS_COUNT" 3 'a >= b' || fail "settings" "only $SETTINGS_COUNT values were saved"
sha256sum "$MP3" "$REC/$NAME-marks.txt" 2>/dev/null >"$WORK/recordings-before.txt"
wine "$INSTDIR/Uninstall.exe" /S
expect "uninstaller exit code" "$?" 0
# The uninstaller runs from a copy of itself in the temporary folder, so it is still at work when this returns.
for _ in $(seq 150); do
    [ ! -e "$INSTDIR" ] && ! wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1 && break
    sleep 0.2
done
if [ -e "$INSTDIR" ]; then fail "uninstall" "the install folder is still there: $(ls "$INSTDIR" | tr '\n' ' ')"; fi
if [ -e "$SHORTCUT" ]; then fail "uninstall" "the Start menu shortcut is still there"; fi
if wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1; then fail "uninstall" "the uninstall entry is still there"; fi
[ ! -e "$INSTDIR" ] && [ ! -e "$SHORTCUT" ] && echo "ok: program, shortcut and uninstall entry removed"
if sha256sum -c --quiet "$WORK/recordings-before.txt"; then echo "ok: the recording is still there, unchanged"; else
    fail "uninstall" "the recording changed or went"
fi
wine reg query "$E2E_KEY" 2>/dev/null | tr -d '\r' | sort >"$WORK/settings-after.txt"
if cmp -s "$WORK/settings-before.txt" "$WORK/settings-after.txt"; then
    echo "ok: the $SETTINGS_COUNT settings values are still there"
else
    fail "uninstall" "the settings changed: $(diff "$WORK/settings-before.txt" "$WORK/settings-after.txt" | head -5)"
fi
e2e_finish
