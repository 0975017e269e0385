#!/usr/bin/env bash
# Notafon.exe end to end under Wine: where the controls are and what the window paints. At 96 and 144 DPI and at
# zoom 50, 100 and 150 %, every control of fixed geometry sits at its layout rectangle (logical numbers × the scale,
# + 0.5, truncated), the player's controls are hidden without a file, the settings block opens inside its container,
# scrolls by 48 units a wheel notch, and a loaded file brings the player block; pixel probes show the palette (the
# Record pill's green, the disabled Pause border, the meter at rest and while speech is fed, the purple Play circle).
# A window started at 96 DPI and told 144 by WM_DPICHANGED has the 144-DPI rectangles and the suggested position (as
# far as the work area allows), and the 96 ones again when told 96. The same probes run with GDI+ disabled (plain GDI
# fallback). GDI objects and windows do not grow over 20 zoom changes and five minutes of recording with the meter
# moving (LOOK_RECORD_SECONDS shortens it for a quick run); GDI objects are the system's count or, where it answers 0,
# the process's GDI handle table. Screenshots of every state are kept in ARTIFACTS/look/.
#
# usage: e2e_look_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"

REC="$WORK/recordings"
mkdir -p "$REC" "$ARTIFACTS/look"
BASE_OVERRIDES=$WINEDLLOVERRIDES
SCALE=1

espeak-ng -w "$WORK/speech-raw.wav" "The meter follows every word. Saving as you go, nothing is lost."
# Repeated, so the meter still hears speech when the microphone's first audio arrives late.
sox "$WORK/speech-raw.wav" -r 22050 -b 16 -c 1 "$WORK/speech.wav" norm -3 repeat 3
sox "$WORK/speech.wav" -t raw "$WORK/speech.raw"

# A logical length at the current scale, as the window converts it: trunc(v × scale + 0.5).
px() { awk -v v="$1" -v s="$SCALE" 'BEGIN { printf "%d\n", int(v * s + 0.5) }'; }
# A settings position scrolled above the view: rounded down, floor(v × scale + 0.5), as the layout places it.
px_above() { awk -v v="$1" -v s="$SCALE" 'BEGIN { x = v * s + 0.5; f = int(x); if (f > x) f -= 1; printf "%d\n", f }'; }

# A screenshot of the state, and the check that covers the controls whose size depends on measured text: no two
# shown controls overlap (their exact numbers are the layout's unit tests).
shot() {
    local wid
    wid=$(xdotool search --name '^Notafon v2\.0$' 2>/dev/null | head -1)
    [ -n "$wid" ] && import -window "$wid" "$ARTIFACTS/look/$1.png" 2>/dev/null
    win overlaps >/dev/null
    expect "no shown controls overlap ($1)" "$(out overlaps)" 0
    [ "$(out overlaps)" = 0 ] || printf '%s\n' "$DRV_OUT" | grep '^overlap:'
}

# start DPI ZOOM [OVERRIDES]
start_at() {
    SCALE=$(awk -v d="$1" -v z="$2" 'BEGIN { print d / 96 * z / 100 }')
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    fresh_settings "$REC"
    wine reg add "$E2E_KEY" /v Zoom /t REG_DWORD /d "$2" /f >/dev/null 2>&1
    wine reg add "$E2E_KEY" /v Format /t REG_DWORD /d 0 /f >/dev/null 2>&1
    WINEDLLOVERRIDES=${3:-$BASE_OVERRIDES} app_start
    win idle 5000 >/dev/null
}

# expect_rect NAME ID X Y W H VISIBLE: logical numbers, column offset 0 (the window is as wide as its column).
expect_rect() {
    local id=$2
    win rect "$id" >/dev/null
    expect "$1 ($id) at scale $SCALE" "$(out "rect $id")" \
        "$(px "$3") $(px "$4") $(px "$5") $(px "$6") $7"
}

# A colour within 16 per channel of R G B.
expect_colour() {
    local name=$1 x=$2 y=$3
    win pixel "$x" "$y" >/dev/null
    local got
    got=$(out "pixel $x $y")
    if awk -v g="$got" -v w="$4 $5 $6" 'BEGIN { split(g, a, " "); split(w, b, " ");
            for (i = 1; i <= 3; i++) { d = a[i] - b[i]; if (d < -16 || d > 16) exit 1 } }'; then
        printf 'ok: %s = %s\n' "$name" "$got"
    else
        fail "$name" "pixel ($x, $y) is '$got', expected about '$4 $5 $6'"
    fi
}

# The meter's middle row at the first bar: x = 30 + (320 - (32b + 31g)) / 2 + 1 (b, g the scaled bar and gap).
meter_probe() {
    local b g w h
    b=$(px 3) g=$(px 4) w=$(px 320) h=$(px 52)
    METER_X=$(($(px 30) + (w - (32 * b + 31 * g)) / 2 + b / 2))
    METER_Y=$(($(px 172) + h / 2))
}

idle_checks() {
    expect_rect "mini toggle" kIdMiniToggle 262 13 102 26 1
    expect_rect "timer" kIdTime 0 58 380 88 1
    expect_rect "status line" kIdStatus 0 146 380 20 1
    expect_rect "Record" kIdRecord 30 238 77 36 1
    expect_rect "Pause" kIdPause 111 238 77 36 1
    expect_rect "Stop" kIdStop 192 238 77 36 1
    expect_rect "Mark" kIdMark 273 238 77 36 1
    expect_rect "file name" kIdFileName 114 281 236 26 1
    expect_rect "Settings" kIdSettings 30 315 150 28 1
    for id in kIdPlay kIdBack kIdStart kIdForward kIdPlayerStop kIdSeek kIdVolume kIdSpeed kIdTimes kIdLoadedName; do
        win rect "$id" >/dev/null
        expect "player control $id hidden without a file" "$(out "rect $id" | awk '{ print $5 }')" 0
    done
    # Probes away from text and glyphs: the pill's top row inside its straight edge, the Pause border's top row.
    expect_colour "Record pill green" "$(($(px 30) + $(px 77) / 2))" "$(($(px 238) + 3))" 40 167 69
    expect_colour "Pause disabled border" "$(($(px 111) + $(px 77) / 2))" "$(px 238)" 209 205 238
    expect_colour "Pause white inside" "$(($(px 111) + $(px 77) / 2))" "$(($(px 238) + 4))" 255 255 255
    meter_probe
    expect_colour "meter at rest" "$METER_X" "$METER_Y" 214 209 243
}

settings_checks() {
    win click kIdSettings waitfor shown kIdReplace 1 5000 idle 5000 >/dev/null
    # Inside the container, which starts at T = 353: Replace at the block's top.
    expect_rect "Replace in the settings" kIdReplace 30 353 320 22 1
    expect_rect "On top in the settings" kIdOnTop 30 407 320 22 1
    win rect kIdReplace wheel kIdReplace -120 idle 5000 rect kIdReplace >/dev/null
    local y
    y=$(out 'rect kIdReplace' | awk '{ print $2 }')
    # One notch down moves the block 48 units up, if the screen is too short for it (scrollable); else not at all.
    local scrolled=$(($(px 353) + $(px_above -48)))
    if [ "$y" = "$scrolled" ] || [ "$y" = "$(px 353)" ]; then
        printf 'ok: Replace after one wheel notch at y = %s\n' "$y"
    else
        fail "wheel" "Replace at y = $y after one notch, expected $scrolled (scrolled) or $(px 353)"
    fi
    # The scroll bar: one line down moves 30 units, one page down the view height less 20; top goes back to 0.
    if [ "$y" = "$scrolled" ]; then
        local before after
        win vscroll kNoId:SCROLLBAR 6 rect kIdReplace vscroll kNoId:SCROLLBAR 1 rect kIdReplace >/dev/null
        after=$(out 'rect kIdReplace' | awk '{ print $2 }')
        expect "Replace after one line down" "$after" \
            "$(($(px 353) + $(px_above -30)))"
        win vscroll kNoId:SCROLLBAR 3 rect kIdReplace rect kNoId:NFCont >/dev/null
        before=$(out 'rect kNoId:NFCont' | awk '{ print $4 }')
        after=$(out 'rect kIdReplace' | awk '{ print $2 }')
        # The view height in units from the container's device height, then 30 + (view - 20) units scrolled in all.
        local view
        view=$(awk -v h="$before" -v s="$SCALE" 'BEGIN { for (v = 120; v < 2000; v++) if (int(v * s + 0.5) == h) { print v; exit } }')
        # A page that would pass the end of the block stops at the end, where SB_BOTTOM goes.
        local paged bottom
        paged=$(($(px 353) + $(px_above $((-(30 + view - 20))))))
        win vscroll kNoId:SCROLLBAR 7 rect kIdReplace >/dev/null
        bottom=$(out 'rect kIdReplace' | awk '{ print $2 }')
        [ "$paged" -lt "$bottom" ] && paged=$bottom
        expect "Replace after a page down (view $view)" "$after" "$paged"
        win vscroll kNoId:SCROLLBAR 6 rect kIdReplace >/dev/null
        expect "Replace after top" "$(out 'rect kIdReplace' | awk '{ print $2 }')" "$(px 353)"
    fi
    shot "$1-settings-scrolled"
    win wheel kIdReplace 2400 click kIdSettings waitfor shown kIdReplace 0 5000 idle 5000 rect kIdReplace
    expect "settings hidden again" "$(out 'rect kIdReplace' | awk '{ print $5 }')" 0
}

record_and_play_checks() {
    wine_env_use_mic 22050
    mic_drain 22050 >/dev/null
    win click kIdRecord >/dev/null
    feed_start 22050 "$WORK/speech.raw"
    win waittext kIdTime 00:00:01 10000 idle 5000 >/dev/null
    shot "$1-recording"
    meter_probe
    # Bars in the voice colours: the centre of a bar near the middle row is far darker than at rest. Speech has
    # pauses and the level decays in them, so look a few times.
    local best=999 yy got
    for _ in $(seq 20); do
        win pixel "$METER_X" $((METER_Y - 2)) pixel "$METER_X" $((METER_Y - 1)) pixel "$METER_X" "$METER_Y" \
            pixel "$METER_X" $((METER_Y + 1)) pixel "$METER_X" $((METER_Y + 2)) >/dev/null
        for yy in -2 -1 0 1 2; do
            got=$(out "pixel $METER_X $((METER_Y + yy))" | awk '{ print $1 }')
            [ -n "$got" ] && [ "$got" -lt "$best" ] && best=$got
        done
        [ "$best" -le 160 ] && break
        sleep 0.1
    done
    if [ "$best" -le 160 ]; then
        printf 'ok: meter shows the voice (red channel %s at the bar centre)\n' "$best"
    else
        fail "meter while speaking" "red channel $best at the bar centre, expected the voice colours (about 115)"
    fi
    win click kIdStop waitfor shown kIdPlay 1 10000 idle 5000 >/dev/null
    feed_stop
    win text kIdStatus >/dev/null
    shot "$1-player"
    expect_rect "Play" kIdPlay 158 274 80 90 1
    expect_rect "seek slider" kIdSeek 22 190 336 28 1
    expect_rect "Record below the player" kIdRecord 30 400 77 36 1
    # The Play circle: centre x = 158 + 40, y = 274 + D/2 + 1 with D = min(80, 90 - 17 - 2) = 71; the glyph is white,
    # so probe left of it, inside the circle.
    expect_colour "Play circle purple" "$(($(px 158) + $(px 80) / 2 - $(px 71) * 4 / 10))" \
        "$(($(px 274) + $(px 71) / 2 + $(px 1)))" 91 68 207
}

for state in "96 100" "96 50" "96 150" "144 100" "144 150"; do
    read -r dpi zoom <<<"$state"
    section "$dpi DPI, zoom $zoom %"
    start_at "$dpi" "$zoom"
    shot "dpi$dpi-zoom$zoom-idle"
    idle_checks
    settings_checks "dpi$dpi-zoom$zoom"
    app_close
done

# The window keeps the suggested position where its new size fits the work area; the layout moves it back onto it
# where not. POSITION X Y W H against the work area.
on_work_area() {
    local wl wt wr wb
    win workarea >/dev/null
    read -r wl wt wr wb <<<"$(out workarea)"
    awk -v x="$1" -v y="$2" -v w="$3" -v h="$4" -v l="$wl" -v t="$wt" -v r="$wr" -v b="$wb" 'BEGIN {
        if (x + w > r) x = r - w; if (y + h > b) y = b - h; if (x < l) x = l; if (y < t) y = t; print x, y }'
}

# dpi_change DPI X Y: WM_DPICHANGED with a suggested rectangle at X Y, the window's size scaled as the system does.
dpi_change() {
    local w0 h0 w h
    win winrect >/dev/null
    read -r _ _ w0 h0 <<<"$(out winrect)"
    w=$((w0 * $1 / DPI_NOW)) h=$((h0 * $1 / DPI_NOW))
    win dpi "$1" "$2" "$3" "$w" "$h" idle 5000 winrect >/dev/null
    DPI_NOW=$1
    SCALE=$(awk -v d="$1" 'BEGIN { print d / 96 }')
    local got
    got=$(out winrect)
    expect "window position after WM_DPICHANGED to $1 (suggested $2 $3)" "$(cut -d' ' -f1,2 <<<"$got")" \
        "$(on_work_area "$2" "$3" "$(cut -d' ' -f3 <<<"$got")" "$(cut -d' ' -f4 <<<"$got")")"
}

section "96 DPI, zoom 100 %, then told 144 DPI (WM_DPICHANGED) and back"
start_at 96 100
DPI_NOW=96
dpi_change 144 60 40
shot "dpi96-to-144-idle"
idle_checks
settings_checks "dpi96-to-144"
dpi_change 96 100 30
shot "dpi96-to-144-to-96-idle"
idle_checks
app_close

section "96 DPI, zoom 100 %: recording, the player"
start_at 96 100
record_and_play_checks dpi96-zoom100
app_close

section "GDI+ disabled: the plain GDI fallback"
start_at 96 100 "$BASE_OVERRIDES;gdiplus=d"
shot "gdi-idle"
idle_checks
record_and_play_checks gdi
app_close

section "no leaks: GDI objects and windows over 20 zoom changes and a recording"
# The counting itself first: made and deleted objects of the driver's own process must show in its figures.
drv guicheck >/dev/null || fail "object counting" "the driver's counts do not follow the objects it made and deleted"
# What the driver counts: the system's GDI and USER figures, or where the system answers 0 the GDI handle table;
# and the process's windows.
gui_counts() {
    local k v s=''
    for k in gdi user 'gdi table' windows; do
        v=$(out "$k")
        [ -n "$v" ] && s+="$k $v, "
    done
    printf '%s\n' "${s%, }"
}
start_at 96 100
# One zoom change back and forth first: the first use of a size makes objects that are kept (cached device contexts).
win select kIdWindowSize 10 select kIdWindowSize 5 idle 5000 gui >/dev/null
COUNTS0=$(gui_counts)
if [ -z "$(out gdi)$(out 'gdi table')" ] || [ "$(out gdi)$(out 'gdi table')" -le 0 ]; then
    fail "object counts" "no GDI figure for the window's process ($COUNTS0)"
fi
for _ in $(seq 10); do win select kIdWindowSize 10 select kIdWindowSize 5 >/dev/null; done
win idle 5000 gui >/dev/null
expect "objects after 20 zoom changes" "$(gui_counts)" "$COUNTS0"
RECORD_SECONDS=${LOOK_RECORD_SECONDS:-300}
# Speech all the way, so the meter moves for the whole recording; the feeder then keeps the microphone going.
sox "$WORK/speech.wav" -t raw "$WORK/speech-long.raw" repeat $((RECORD_SECONDS / 5 + 5)) trim 0 $((RECORD_SECONDS + 15))
wine_env_use_mic 22050
mic_drain 22050 >/dev/null
win click kIdRecord >/dev/null
feed_start 22050 "$WORK/speech-long.raw" $((RECORD_SECONDS + 60))
win waittext kIdTime 00:00:02 10000 gui >/dev/null
COUNTS1=$(gui_counts)
win waittext kIdTime "$(printf '00:%02d:%02d' $((RECORD_SECONDS / 60)) $((RECORD_SECONDS % 60)))" \
    $((RECORD_SECONDS * 1000 + 10000)) gui >/dev/null
expect "objects after ${RECORD_SECONDS} s of recording with the meter moving" "$(gui_counts)" "$COUNTS1"
win click kIdStop idle 10000 >/dev/null
feed_stop
app_close

e2e_finish
