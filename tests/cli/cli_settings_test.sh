#!/usr/bin/env bash
# notafon-cli settings --store: every stored value on its own line in the key's order, each in its printed form
# (texts as they are, Format as its row, Zoom as the percentage, RewindSeconds as seconds, flags 0/1, the mini
# position signed), " (default)" on each value that fell back, both halves of a refused pair included.
#
# usage: cli_settings_test.sh NOTAFON-CLI
set -uo pipefail

CLI=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home/Documents"
export HOME="$WORK/home" LC_ALL=C.UTF-8
failed=0

# check NAME STORE EXPECTED: the printout of the store file against the expected lines.
check() {
    printf '%s' "$2" >"$WORK/$1.txt"
    if ! "$CLI" settings --store "$WORK/$1.txt" >"$WORK/$1.out" 2>"$WORK/$1.err"; then
        echo "FAIL: $1: exit code $? ($(cat "$WORK/$1.err"))"
        failed=1
        return
    fi
    if diff -u <(printf '%s' "$3") "$WORK/$1.out" >"$WORK/$1.diff"; then
        echo "ok: $1"
    else
        echo "FAIL: $1"
        cat "$WORK/$1.diff"
        failed=1
    fi
}

check empty "" "RecordingName: PRLW Audio (default)
Format: 1 (default)
OnTop: 0 (default)
Replace: 0 (default)
SkipSilence: 0 (default)
Zoom: 100 (default)
HotkeyKey: 82 (default)
HotkeyMods: 6 (default)
Folder: $HOME/Documents/Parlowen Recordings (default)
PlayVolume: 100 (default)
PlaySpeed: 20 (default)
RewindSeconds: 5 (default)
MiniX: 2147483647 (default)
MiniY: 2147483647 (default)
PlayKey0: 32 (default)
PlayKey1: 37 (default)
PlayKey2: 36 (default)
PlayKey3: 39 (default)
PlayKey4: 0 (default)
PlayKey5: 0 (default)
PlayKey6: 0 (default)
PlayKey7: 0 (default)
PlayMods0: 2 (default)
PlayMods1: 2 (default)
PlayMods2: 2 (default)
PlayMods3: 2 (default)
PlayMods4: 0 (default)
PlayMods5: 0 (default)
PlayMods6: 0 (default)
PlayMods7: 0 (default)
SignedIn: 0 (default)
RewindOnResume: 0 (default)
RememberPositions: 0 (default)
MarkKey: 0 (default)
MarkMods: 0 (default)
InputDevice:  (default)
"

check every-value "RecordingName sz Gespräch
Format dword 5
OnTop dword 7
Replace dword 1
SkipSilence dword 0
Zoom dword 140
HotkeyKey dword 0x77
HotkeyMods dword 5
Folder sz C:\\Aufnahmen
PlayVolume dword 0
PlaySpeed dword 55
RewindSeconds dword 30
MiniX dword -1200
MiniY dword 15
PlayKey0 dword 0x74
PlayMods0 dword 0
PlayKey1 dword 74
PlayMods1 dword 1
PlayKey2 dword 0x24
PlayMods2 dword 4
PlayKey3 dword 0xBC
PlayMods3 dword 7
PlayKey4 dword 0x6D
PlayMods4 dword 2
PlayKey7 dword 0x54
PlayMods7 dword 3
SignedIn dword 1
RewindOnResume dword 3
RememberPositions dword 9
MarkKey dword 0x4D
MarkMods dword 6
InputDevice sz Headset Mic (USB Audio)
" "RecordingName: Gespräch
Format: 5
OnTop: 1
Replace: 1
SkipSilence: 0
Zoom: 140
HotkeyKey: 119
HotkeyMods: 5
Folder: C:\\Aufnahmen
PlayVolume: 0
PlaySpeed: 55
RewindSeconds: 30
MiniX: -1200
MiniY: 15
PlayKey0: 116
PlayKey1: 74
PlayKey2: 36
PlayKey3: 188
PlayKey4: 109
PlayKey5: 0 (default)
PlayKey6: 0 (default)
PlayKey7: 84
PlayMods0: 0
PlayMods1: 1
PlayMods2: 4
PlayMods3: 7
PlayMods4: 2
PlayMods5: 0 (default)
PlayMods6: 0 (default)
PlayMods7: 3
SignedIn: 1
RewindOnResume: 3
RememberPositions: 1
MarkKey: 77
MarkMods: 6
InputDevice: Headset Mic (USB Audio)
"

# Refused values, values of another type and half-stored pairs.
check refused "RecordingName sz
Format dword 0xFFFFFFFF
OnTop sz 1
Replace binary 01000000
Zoom dword 105
HotkeyMods dword 2
Folder sz C:\\Talks
PlayVolume dword 201
PlaySpeed dword 9
RewindSeconds dword 4
MiniX dword 40
PlayKey1 dword 0x10
PlayMods2 dword 8
PlayKey3 dword 0x41
PlayKey5 dword 0x10
PlayMods5 dword 2
SignedIn dword 0
RewindOnResume dword 4
MarkKey dword 0x5B
MarkMods dword 2
InputDevice sz A name longer than the 31 characters a device has
" "RecordingName: PRLW Audio (default)
Format: 1 (default)
OnTop: 0 (default)
Replace: 0 (default)
SkipSilence: 0 (default)
Zoom: 100 (default)
HotkeyKey: 82 (default)
HotkeyMods: 2
Folder: C:\\Talks
PlayVolume: 100 (default)
PlaySpeed: 20 (default)
RewindSeconds: 5 (default)
MiniX: 2147483647 (default)
MiniY: 2147483647 (default)
PlayKey0: 32 (default)
PlayKey1: 37 (default)
PlayKey2: 36 (default)
PlayKey3: 65
PlayKey4: 0 (default)
PlayKey5: 0 (default)
PlayKey6: 0 (default)
PlayKey7: 0 (default)
PlayMods0: 2 (default)
PlayMods1: 2 (default)
PlayMods2: 2 (default)
PlayMods3: 2 (default)
PlayMods4: 0 (default)
PlayMods5: 0 (default)
PlayMods6: 0 (default)
PlayMods7: 0 (default)
SignedIn: 0
RewindOnResume: 0 (default)
RememberPositions: 0 (default)
MarkKey: 0 (default)
MarkMods: 0 (default)
InputDevice:  (default)
"

exit $failed
