#!/usr/bin/env bash
# THE run command: installs what is missing (bootstrap), builds Notafon.exe and runs it under Wine.
#
# With a working X display, Notafon runs there in a Wine prefix of its own under .deps/wine-user (kept between runs,
# so the settings stay) and uses the machine's sound server. Without one, it runs in a Wine environment of its own
# (a virtual display, PulseAudio with a null speaker and a FIFO microphone): a screenshot of the window goes to
# out/notafon-window.png, and Notafon keeps running until its window is closed or Ctrl+C is pressed; everything is
# torn down afterwards.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
bash scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target Notafon
APP="$ROOT/build/windows/src/Notafon.exe"

source "$ROOT/scripts/wine-env.sh"

if [ -n "${DISPLAY:-}" ] && xwininfo -root >/dev/null 2>&1; then
    wine_env_base
    export WINEPREFIX="$ROOT/.deps/wine-user" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    [ -f "$WINEPREFIX/system.reg" ] || cp -a "$NOTAFON_WINE_BASE" "$WINEPREFIX"
    wine_env_fonts
    echo "Starting Notafon on $DISPLAY (Wine prefix: .deps/wine-user)"
    exec wine "$APP"
fi

wine_env_up
OUT="$ROOT/out"
mkdir -p "$OUT"
wine "$APP" >/dev/null 2>&1 &
APP_PID=$!
window=""
for _ in $(seq 200); do
    window=$(xdotool search --name '^Notafon v2.0$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "Notafon's window did not appear."
    exit 1
fi
sleep 1
import -window "$window" "$OUT/notafon-window.png"
echo "Notafon is running on a virtual display (no X display here); its window is in out/notafon-window.png."
echo "Press Ctrl+C to stop it."
wait "$APP_PID" || true
