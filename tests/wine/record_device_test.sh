#!/usr/bin/env bash
# Records from the real waveIn device under Wine: a known signal goes into PulseAudio's FIFO microphone in real time
# while the Windows notafon-cli captures it, once as WAV and once as MP3.
#   WAV (format 5, 44100 Hz): the file must hold exactly the samples the limiter makes of the fed signal. The expected
#     samples come from the native notafon-cli recording the same signal (same limiter code, another compiler); the
#     pipe's leading silence leaves the limiter's gain at 1, so only the lag between the two is unknown.
#   MP3 (format 1, 48 kbps at 22050 Hz, the default row): the file must decode cleanly to audio that correlates
#     closely with the fed signal.
# The signal has a tone above the limiter's 27000 ceiling (0.98 of full scale) and a spoken phrase.
# Needs the environment of scripts/wine-env.sh (wine_env_up); scripts/test.sh provides it.
#
# usage: record_device_test.sh WINDOWS_CLI.exe NATIVE_CLI NATIVE_AUDIO_CHECK
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/wine_audio.sh"
wine_env_require

WIN_CLI=$1 NATIVE_CLI=$2 CHECK=$3
for f in "$WIN_CLI" "$NATIVE_CLI" "$CHECK"; do
    [ -x "$f" ] || [ -f "$f" ] || { echo "FAIL: $f is missing (build the native and Windows presets first)"; exit 1; }
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The fed signal at RATE: 0.25 s of digital silence, 0.5 s of 440 Hz at 0.98 of full scale, 0.1 s of silence, then
# speech.
fed_signal() { make_signal "$1" "$2" 0.25 0.5 0.98 "Every word is kept safe."; }

# Captures SECONDS at FORMAT into DIR while RAW plays into the microphone of RATE; prints the capture's output.
capture() {
    local format=$1 rate=$2 seconds=$3 dir=$4 raw=$5 status=0
    mkdir -p "$dir"
    wine_env_capture "$rate" "$raw" "$WORK/capture.out" wine "$WIN_CLI" capture --format "$format" \
        --folder "$(wine_path "$dir")" --seconds "$seconds" --name device || status=$?
    tr -d '\r' <"$WORK/capture.out"
    [ $status -eq 0 ] || { echo "FAIL: capture failed ($status)"; exit 1; }
}

# The one recording in DIR; its path must be the one the capture printed.
recorded_file() {
    local dir=$1 ext=$2 files
    files=("$dir"/*)
    [ ${#files[@]} -eq 1 ] && [ -f "${files[0]}" ] || { echo "FAIL: expected one file in $dir: ${files[*]}" >&2; exit 1; }
    [ "${files[0]}" = "$dir/device.$ext" ] || { echo "FAIL: unexpected file ${files[0]}" >&2; exit 1; }
    local printed
    printed=$(tr -d '\r' <"$WORK/capture.out" | sed -n 's/^path: //p')
    [ "$printed" = "$(wine_path "${files[0]}")" ] || { echo "FAIL: printed path '$printed' is not the file" >&2; exit 1; }
    echo "${files[0]}"
}

expect_status() {
    local want=$1 got
    got=$(tr -d '\r' <"$WORK/capture.out" | sed -n 's/^status: //p')
    [ "$got" = "$want" ] || { echo "FAIL: status '$got', expected '$want'"; exit 1; }
}

# The signal lasts 2.6 s; the device may deliver up to a buffer of silence before it (seen: 0 to 100 ms).
SECONDS_CAPTURED=3.5
failed=0

echo "== WAV, format 5, 44100 Hz"
fed_signal 44100 "$WORK/fed44100.wav"
capture 5 44100 "$SECONDS_CAPTURED" "$WORK/wav" "$WORK/fed44100.raw"
# 5 of about 35 buffers peak above 31999: the verdict is that the sound was too loud.
expect_status "Saved, but the sound was too loud"
wav=$(recorded_file "$WORK/wav" wav) || exit 1
"$NATIVE_CLI" record --format 5 --folder "$WORK/expected" --name expected "$WORK/fed44100.wav" >/dev/null
"$CHECK" wav-match "$wav" "$WORK/expected/expected.wav" --min-coverage 0.98 || failed=1

echo "== MP3, format 1 (48 kbps), 22050 Hz"
fed_signal 22050 "$WORK/fed22050.wav"
capture 1 22050 "$SECONDS_CAPTURED" "$WORK/mp3" "$WORK/fed22050.raw"
expect_status "Saved, but the sound was too loud"
mp3=$(recorded_file "$WORK/mp3" mp3) || exit 1
# Measured in 6 runs: 0.9992 overall, 0.99999 over the tone, 0.9978-0.9979 over the speech.
"$CHECK" mp3-corr "$mp3" "$WORK/fed22050.wav" --min-corr 0.99 \
    --window 0.25:0.75 --window 0.85:2.6 --min-window-corr 0.98 || failed=1

if [ $failed -ne 0 ]; then
    echo "FAIL: record_device_test"
    exit 1
fi
echo "PASS: record_device_test"
