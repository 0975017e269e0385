#!/usr/bin/env bash
# THE run command. Until the application window exists, it demonstrates the recording engine under Wine: in a Wine
# environment of its own (virtual display, PulseAudio with a FIFO microphone), espeak-ng speaks a sentence into the
# microphone while the Windows notafon-cli records it as MP3 (48 kbps, 22050 Hz). It prints the verdict and where the
# file went (out/demo/), and leaves nothing running.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
bash scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target notafon-cli

source "$ROOT/scripts/wine-env.sh"
wine_env_up

OUT="$ROOT/out/demo"
mkdir -p "$OUT"
speech="$NOTAFON_E2E/speech"
espeak-ng -w "$speech.wav" "Hello from Notafon. Everything you say goes straight into a file on your disk."
sox "$speech.wav" -r 22050 -b 16 -c 1 -t raw "$speech.raw"
seconds=$(soxi -D "$speech.wav" | awk '{ printf "%.1f", $1 + 1.0 }')

echo "Recording ${seconds} s from the microphone while espeak-ng speaks into it..."
status=0
wine_env_capture 22050 "$speech.raw" "$NOTAFON_E2E/capture.out" wine "$ROOT/build/windows/src/notafon-cli.exe" \
    capture --format 1 --folder "$(wine_path "$OUT")" --seconds "$seconds" || status=$?
result=$(tr -d '\r' <"$NOTAFON_E2E/capture.out")
verdict=$(sed -n 's/^status: //p' <<<"$result")
detail=$(sed -n 's/^detail: //p' <<<"$result" | sed 's/\\r\\n/\n/g')
windows_path=$(sed -n 's/^path: //p' <<<"$result")
wine_env_down

echo "Verdict: ${verdict:-none}"
[ -n "$detail" ] && echo "$detail"
if [ $status -ne 0 ] || [ -z "$windows_path" ]; then
    echo "$result"
    echo "The demo recording failed (exit status $status)."
    exit 1
fi
# Z: is the Unix root in the prefix.
unix_path=$(printf '%s' "${windows_path#Z:}" | tr '\\' '/')
echo
echo "The recording is at: $unix_path"
ls -l "$unix_path"
