#!/usr/bin/env bash
# Screenshots of Notafon.exe under Wine in the states a user sees: idle, settings open and scrolled, recording with
# the meter moving, paused, a file loaded in the player, mini mode with and without the player; at 96 and 144 DPI, at
# zoom 100 % and 150 %, and with GDI+ disabled (plain GDI shapes). Runs in a Wine environment of its own
# (scripts/wine-env.sh) that is torn down afterwards.
#
# usage: scripts/screenshots.sh [--docs] [OUT]
#   OUT      where the pictures go (default build/screenshots)
#   --docs   also refresh the pictures the README shows (docs/window.png, docs/window-settings.png)
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT" || exit 1
DOCS=0
if [ "${1:-}" = "--docs" ]; then
    DOCS=1
    shift
fi
OUT=$(realpath -m "${1:-$ROOT/build/screenshots}")
mkdir -p "$OUT"

cmake --preset windows >/dev/null && cmake --build --preset windows -j2 --target Notafon notafon_e2e_driver || exit 1
APP="$ROOT/build/windows/src/Notafon.exe"
DRIVER="$ROOT/build/windows/tests/notafon_e2e_driver.exe"

# shellcheck source=wine-env.sh
source "$ROOT/scripts/wine-env.sh"
# shellcheck source=../tests/wine/wine_audio.sh
source "$ROOT/tests/wine/wine_audio.sh"
wine_env_up || exit 1
WORK=$(mktemp -d "$NOTAFON_E2E/shots.XXXXXX")
KEY='HKCU\Software\Parlowen\Recorder'
BASE_OVERRIDES=$WINEDLLOVERRIDES
APP_PID='' FEED_PID=''

espeak-ng -w "$WORK/speech-raw.wav" "Every word is saved as you go. The meter follows the voice while you speak." &&
    sox "$WORK/speech-raw.wav" -r 22050 -b 16 -c 1 -t raw "$WORK/speech.raw" norm -3 || exit 1

drv() { wine "$DRIVER" find PRLWRecorder 30000 "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# The X window of Notafon's main window, captured whole.
shot() {
    local wid
    wid=$(xdotool search --name '^Notafon v2\.0$' 2>/dev/null | head -1)
    if [ -z "$wid" ] || ! import -window "$wid" "$OUT/$1.png" 2>/dev/null; then
        echo "screenshots: could not capture $1" >&2
        return 1
    fi
    echo "screenshots: $OUT/$1.png ($(identify -format '%wx%h' "$OUT/$1.png"))"
}

# start DPI ZOOM [OVERRIDES]: fresh settings at that zoom, the screen at that DPI, Notafon started and shown.
start() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wine reg delete "$KEY" /f >/dev/null 2>&1
    wine reg add "$KEY" /v Folder /t REG_SZ /d "$(wine_path "$WORK/recordings")" /f >/dev/null 2>&1
    wine reg add "$KEY" /v Zoom /t REG_DWORD /d "$2" /f >/dev/null 2>&1
    wine reg add "$KEY" /v Format /t REG_DWORD /d 0 /f >/dev/null 2>&1
    mkdir -p "$WORK/recordings"
    WINEDLLOVERRIDES=${3:-$BASE_OVERRIDES} wine "$APP" >/dev/null 2>&1 &
    APP_PID=$!
    drv idle 5000 >/dev/null
}

stop() {
    drv close 20000 >/dev/null
    wait "$APP_PID" 2>/dev/null
    APP_PID=''
}

feed_stop() {
    [ -n "$FEED_PID" ] || return 0
    kill "$FEED_PID" 2>/dev/null
    wait "$FEED_PID" 2>/dev/null
    FEED_PID=''
}
trap 'feed_stop; [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null; wine_env_down' EXIT

wine_env_use_mic 22050
# state NAME DPI ZOOM [OVERRIDES]: idle, mini, settings open, settings scrolled to the end, recording, paused, a file
# loaded, mini with the player.
states() {
    local name=$1
    start "$2" "$3" "${4:-}"
    shot "$name-idle"
    drv click kIdMiniToggle idle 10000 >/dev/null
    shot "$name-mini"
    drv click kIdMiniToggle idle 10000 >/dev/null
    drv click kIdSettings idle 10000 >/dev/null
    shot "$name-settings"
    # Twenty notches down over a check box of the settings: the container forwards the wheel to the window.
    drv wheel kIdReplace -2400 idle 5000 >/dev/null
    shot "$name-settings-scrolled"
    drv click kIdSettings click kIdRecord >/dev/null
    python3 "$ROOT/tests/tools/feed_fifo.py" "$NOTAFON_MIC_FIFO_22050" "$WORK/speech.raw" --rate 22050 \
        --max-seconds 30 &
    FEED_PID=$!
    drv waittext kIdTime 00:00:02 10000 >/dev/null
    shot "$name-recording"
    drv click kIdPause idle 10000 >/dev/null
    shot "$name-paused"
    drv click kIdPause click kIdStop idle 10000 >/dev/null
    feed_stop
    shot "$name-player"
    drv click kIdMiniToggle idle 10000 >/dev/null
    shot "$name-mini-player"
    drv click kIdMiniToggle idle 10000 >/dev/null
    stop
}

states dpi96-zoom100 96 100
states dpi96-zoom150 96 150
states dpi144-zoom100 144 100
states dpi144-zoom150 144 150
states dpi96-zoom100-gdi 96 100 "$BASE_OVERRIDES;gdiplus=d"

if [ "$DOCS" = 1 ]; then
    cp "$OUT/dpi96-zoom100-idle.png" "$ROOT/docs/window.png"
    cp "$OUT/dpi96-zoom100-settings.png" "$ROOT/docs/window-settings.png"
    echo "screenshots: docs/window.png and docs/window-settings.png refreshed"
fi
