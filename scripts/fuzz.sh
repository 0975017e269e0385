#!/usr/bin/env bash
# Fuzzes the player's decoder chain (WAV reader, MP3 path, decoder choice, two-thread MP3 decode) with libFuzzer
# under ASan and UBSan. Usage:
#   scripts/fuzz.sh [--seconds N] [--jobs N]      (default 600 s, 1 job)
# The seeds are generated here (sox and ffmpeg: WAV of every accepted layout and some refused ones, MP3 at several
# rates with and without ID3v2 tags, a mixed-rate stream); the corpus grows in build/fuzz/corpus and crash inputs
# land in build/fuzz/crashes. Keep each crash input in tests/player/fuzz_regressions/ once it is fixed: the unit
# tests decode every file there.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/build/fuzz"
seconds=600
jobs=1
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds=$2; shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        *) echo "usage: $0 [--seconds N] [--jobs N]" >&2; exit 2 ;;
    esac
done

"$ROOT/scripts/bootstrap.sh" >&2
mkdir -p "$OUT/obj" "$OUT/seeds" "$OUT/corpus" "$OUT/crashes"
FLAGS=(-g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
INC=(-I"$ROOT/src" -isystem "$ROOT/.deps/include")
# minimp3 as the product builds it: C, third-party warnings off, locals zeroed.
# clang 14 wants its consent flag for the zeroing; later versions take the plain flag.
ZERO=(-ftrivial-auto-var-init=zero)
clang -x c -fsyntax-only "${ZERO[@]}" /dev/null 2>/dev/null ||
    ZERO+=(-enable-trivial-auto-var-init-zero-knowing-it-will-be-removed-from-clang)
clang "${FLAGS[@]/-fsanitize=fuzzer,/-fsanitize=fuzzer-no-link,}" -w "${ZERO[@]}" "${INC[@]}" \
    -c "$ROOT/src/player/minimp3_impl.c" -o "$OUT/obj/minimp3_impl.o"
clang++ -std=c++17 "${FLAGS[@]}" -Wall -Wextra -Werror "${INC[@]}" \
    "$ROOT/fuzz/decoder_fuzz.cpp" "$ROOT/src/player/wav_reader.cpp" "$ROOT/src/player/mp3_decoder.cpp" \
    "$ROOT/src/player/track_loader.cpp" "$ROOT/src/player/pcm_track.cpp" "$ROOT/src/player/threads_std.cpp" \
    "$OUT/obj/minimp3_impl.o" -lpthread -o "$OUT/decoder_fuzz"

seeds="$OUT/seeds"
if [ ! -f "$seeds/.done" ]; then
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    sox -n -r 22050 -c 1 -b 16 "$tmp/tone.wav" synth 0.3 sine 440
    for layout in "-b 8 -c 1" "-b 16 -c 2" "-b 24 -c 1" "-b 32 -c 1" "-e floating-point -b 32 -c 2" \
        "-b 16 -c 3" "-b 24 -c 6" "-e a-law -b 8 -c 1" "-e ima-adpcm -b 4 -c 1" "-r 8000 -b 16 -c 1"; do
        name=$(echo "$layout" | tr -d ' -')
        # shellcheck disable=SC2086
        sox "$tmp/tone.wav" $layout "$seeds/wav-$name.wav"
    done
    for rate in 8000 22050 44100 48000; do
        ffmpeg -v error -y -i "$tmp/tone.wav" -ar $rate -ac 1 -c:a libmp3lame -b:a 32k "$seeds/mono-$rate.mp3"
        ffmpeg -v error -y -i "$tmp/tone.wav" -ar $rate -ac 2 -c:a libmp3lame -b:a 64k -id3v2_version 0 \
            -write_xing 0 "$seeds/stereo-$rate-bare.mp3"
    done
    cat "$seeds/mono-22050.mp3" "$seeds/stereo-44100-bare.mp3" >"$seeds/mixed-rate.mp3"
    ffmpeg -v error -y -i "$tmp/tone.wav" -ac 1 -c:a mp2 -b:a 64k -f mp2 "$seeds/layer2.mp2"
    : >"$seeds/.done"
fi

cd "$OUT"
# -max_len covers a few seconds of MP3 or WAV; the two-thread path needs at least a few dozen frames.
"$OUT/decoder_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=4096 -jobs="$jobs" \
    -workers="$jobs" -artifact_prefix="$OUT/crashes/" -print_final_stats=1 "$OUT/corpus" "$seeds"
