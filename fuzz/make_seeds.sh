#!/usr/bin/env bash
# Writes the decoder fuzz target's seeds into fuzz/decoder_corpus/ (run once; the seeds are kept in the repository,
# so the fuzzer and the replay test start from the same bytes everywhere). A short 440 Hz tone as WAV in every layout
# the reader accepts and some it refuses, and as MP3 at four rates, mono with tags and stereo bare, one stream that
# changes rate, and MPEG layer 2. Short on purpose: a few KB each, yet above the 99 samples a track needs and with a
# dozen MP3 frames, enough for the two-thread decode.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
SEEDS="$ROOT/fuzz/decoder_corpus"
mkdir -p "$SEEDS"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

sox -D -n -r 22050 -c 1 -b 16 "$tmp/tone.wav" synth 0.3 sine 440
sox -D "$tmp/tone.wav" "$tmp/short.wav" trim 0 0.02
for layout in "-b 16 -c 1" "-b 8 -c 1" "-b 16 -c 2" "-b 24 -c 1" "-b 32 -c 1" "-e floating-point -b 32 -c 2" \
    "-b 16 -c 3" "-b 24 -c 6" "-e a-law -b 8 -c 1" "-e ima-adpcm -b 4 -c 1" "-r 8000 -b 16 -c 1"; do
    name=$(echo "$layout" | tr -d ' -')
    # shellcheck disable=SC2086
    sox -D "$tmp/short.wav" $layout "$SEEDS/seed-wav-$name.wav"
done
for rate in 8000 22050 44100 48000; do
    ffmpeg -v error -y -i "$tmp/tone.wav" -ar $rate -ac 1 -c:a libmp3lame -b:a 32k "$SEEDS/seed-mono-$rate.mp3"
    ffmpeg -v error -y -i "$tmp/tone.wav" -ar $rate -ac 2 -c:a libmp3lame -b:a 64k -id3v2_version 0 \
        -write_xing 0 "$SEEDS/seed-stereo-$rate-bare.mp3"
done
cat "$SEEDS/seed-mono-22050.mp3" "$SEEDS/seed-stereo-44100-bare.mp3" >"$SEEDS/seed-mixed-rate.mp3"
ffmpeg -v error -y -i "$tmp/tone.wav" -ac 1 -c:a mp2 -b:a 64k -f mp2 "$SEEDS/seed-layer2.mp2"
ls -l "$SEEDS"
