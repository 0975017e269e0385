#!/usr/bin/env bash
# Makes the recording benchmark's input: SECONDS of speech-like mono 16-bit audio at 22050 Hz and 44100 Hz, written
# as OUT_DIR/speech-22050.wav and OUT_DIR/speech-44100.wav. Deterministic: espeak-ng speaks bench/sentences.txt with
# a rotating set of voices, speeds, pitches and loudness, separated by pauses, looped to length, over a faint noise
# floor (sox seeds its noise with -R). Nothing is downloaded.
#
# Every pause, together with the silence at the ends of the spoken clips, stays well under the recorder's 1.5 s
# silence allowance, so skip-silence keeps every sample and the engine encodes exactly what its peers encode.
set -euo pipefail

usage() { echo "usage: $0 OUT_DIR SECONDS" >&2; exit 2; }
[ $# -eq 2 ] || usage
OUT=$1
SECONDS_WANTED=$2
if ! [[ "$SECONDS_WANTED" =~ ^[0-9]+$ ]] || [ "$SECONDS_WANTED" -eq 0 ]; then usage; fi

HERE=$(cd "$(dirname "$0")" && pwd)
SENTENCES="$HERE/sentences.txt"

VOICES=(en-us en-gb+m3 en-us+f2 en-gb-x-rp+f4 en-gb-scotland en-029+m5 en-us+klatt en-gb+f3)
SPEEDS=(150 172 138 160 185 145)
PITCHES=(45 60 35 70 50)
# Peak level of each sentence in dBFS: mostly a normal speaking level, now and then above the limiter's ceiling
# (27000, about -1.7 dBFS) so that it has to pull the voice down.
PEAKS=(-8 -4 -12 -6 -0.5 -10 -3 -15 -1)
PAUSES=(0.35 0.6 0.25 0.8 0.45 0.9 0.3 0.7)

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# One pass over the sentences: each clip trimmed of espeak-ng's own edge silence, set to its loudness, then padded
# with its pause.
clips=()
i=0
while IFS= read -r line; do
    [ -n "$line" ] || continue
    raw="$TMP/raw-$i.wav"
    clip="$TMP/clip-$i.wav"
    espeak-ng -v "${VOICES[i % ${#VOICES[@]}]}" -s "${SPEEDS[i % ${#SPEEDS[@]}]}" -p "${PITCHES[i % ${#PITCHES[@]}]}" \
        -w "$raw" -- "$line"
    sox -R -D "$raw" -r 22050 -c 1 -b 16 "$clip" \
        silence 1 0.02 0.3% reverse silence 1 0.02 0.3% reverse \
        gain -n "${PEAKS[i % ${#PEAKS[@]}]}" pad 0 "${PAUSES[i % ${#PAUSES[@]}]}"
    clips+=("$clip")
    i=$((i + 1))
done <"$SENTENCES"
[ ${#clips[@]} -gt 0 ] || { echo "$0: no sentences in $SENTENCES" >&2; exit 1; }
sox -R -D "${clips[@]}" "$TMP/block-22050.wav"
sox -R -D "$TMP/block-22050.wav" -r 44100 "$TMP/block-44100.wav" rate -v

block_seconds=$(soxi -D "$TMP/block-22050.wav")
repeats=$(awk -v t="$SECONDS_WANTED" -v b="$block_seconds" 'BEGIN { r = int(t / b); if (r * b < t) r++; print r - 1 }')

mkdir -p "$OUT"
for rate in 22050 44100; do
    # The looped speech, trimmed to length, mixed with a noise floor about 70 dB down: a real microphone never delivers
    # digital silence, and the encoder's effort depends on what fills the pauses.
    sox -R -D "$TMP/block-$rate.wav" "$TMP/long-$rate.wav" repeat "$repeats" trim 0 "$SECONDS_WANTED"
    sox -R -D -n -r "$rate" -c 1 -b 16 "$TMP/noise-$rate.wav" synth "$SECONDS_WANTED" whitenoise vol 0.0005
    sox -R -D -m -v 1 "$TMP/long-$rate.wav" -v 1 "$TMP/noise-$rate.wav" -b 16 "$TMP/speech-$rate.wav"
    mv "$TMP/speech-$rate.wav" "$OUT/speech-$rate.wav"
done
