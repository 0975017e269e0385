#!/usr/bin/env bash
# Sets up (scripts/bootstrap.sh), then runs a benchmark from a Release build of the bench preset. Usage:
#   scripts/bench.sh record [--seconds N] [--repeat N]
#   scripts/bench.sh player [--seconds N] [--repeat N]
# record: one hour (by default) of generated speech recorded as MP3 at format 1 (48 kbps, 22050 Hz) and format 4
# (128 kbps, 44100 Hz), the whole buffer path against shine alone (unpatched and patched) and shineenc; CPU time,
# best of --repeat interleaved rounds, beside callgrind instruction counts of the first 60 s (load does not move
# those).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench"

usage() { echo "usage: $0 record|player [--seconds N] [--repeat N]" >&2; exit 2; }
[ $# -ge 1 ] || usage
what=$1
shift
seconds=3600
repeat=3
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) [ $# -ge 2 ] || usage; seconds=$2; shift 2 ;;
        --repeat) [ $# -ge 2 ] || usage; repeat=$2; shift 2 ;;
        *) usage ;;
    esac
done

build() {
    cmake --preset bench >/dev/null
    cmake --build --preset bench -j2 --target "$@"
}

# callgrind's instruction count (Ir) of one run; the rest of the arguments are valgrind's options and the program.
instructions() {
    local file="$out/callgrind.out"
    rm -f "$file"
    valgrind --tool=callgrind --callgrind-out-file="$file" "$@" >"$out/callgrind.log" 2>&1 ||
        { cat "$out/callgrind.log" >&2; echo "bench: callgrind failed: $*" >&2; exit 1; }
    awk '/^(summary|totals):/ { print $2; exit }' "$file"
}

# The generated input is cached by everything it depends on: the generator, its sentences and the tools. An hour at
# both rates takes about 450 MB, so a cache of the same length made by an older generator is removed.
speech_input() {
    local seconds=${1:-$seconds}
    local key
    key=$( (cat "$ROOT/bench/make_speech.sh" "$ROOT/bench/sentences.txt"; espeak-ng --version; sox --version) |
        sha256sum | cut -c1-16)
    local dir="$BUILD/input/speech-${seconds}s-$key"
    if [ ! -f "$dir/speech-44100.wav" ]; then
        echo "bench: generating $seconds s of speech into ${dir#"$ROOT"/}" >&2
        rm -rf "$BUILD/input/speech-${seconds}s-"*
        "$ROOT/bench/make_speech.sh" "$dir" "$seconds" >&2
    fi
    echo "$dir"
}

case "$what" in
    record)
        "$ROOT/scripts/bootstrap.sh" >&2
        build notafon_bench_record notafon_bench_shine_unpatched notafon_bench_shine_patched
        input=$(speech_input)
        counted=60
        [ "$seconds" -lt "$counted" ] && counted=$seconds
        short=$(speech_input "$counted")
        out="$BUILD/out/record"
        mkdir -p "$out"
        bin="$BUILD/bench"
        echo "bench: CPU time of a recording; shineenc $(dpkg-query -W -f='${Version}' shineenc 2>/dev/null || echo '(version unknown)'), valgrind $(valgrind --version)"
        for format in 1 4; do
            rate=22050 kbps=48
            [ "$format" = 4 ] && rate=44100 kbps=128
            wav="$short/speech-$rate.wav"
            counts="$out/instructions-format-$format.tsv"
            echo "bench: counting instructions of format $format on $counted s (callgrind)" >&2
            {
                printf 'seconds\t%s\n' "$counted"
                printf 'engine whole path\t%s\n' "$(instructions --collect-atstart=no --toggle-collect='*RecordOnce*' \
                    "$bin/notafon_bench_record" --format "$format" --input "$wav" --out-dir "$out" --only-engine)"
                printf 'shine alone\t%s\n' "$(instructions --collect-atstart=no --toggle-collect='*ShineAloneOnce*' \
                    "$bin/notafon_bench_shine_unpatched" --kbps "$kbps" --input "$wav")"
                printf 'shine alone, patched\t%s\n' "$(instructions --collect-atstart=no \
                    --toggle-collect='*ShineAloneOnce*' "$bin/notafon_bench_shine_patched" --kbps "$kbps" --input "$wav")"
                printf 'shineenc\t%s\n' "$(instructions shineenc -q -m -b "$kbps" "$wav" "$out/callgrind-shineenc.mp3")"
            } >"$counts"
            "$bin/notafon_bench_record" --format "$format" --input "$input/speech-$rate.wav" --out-dir "$out" \
                --repeat "$repeat" --instructions "$counts"
        done
        ;;
    player)
        # player: the same speech made into MP3 files (48 kbps at 22050 Hz, 128 kbps at 44100 Hz, by ffmpeg's LAME
        # encoder), loaded into the track next to mpg123 and ffmpeg; then the 44100 Hz speech stretched at 0.65x,
        # 1.5x and 3x next to soundstretch.
        "$ROOT/scripts/bootstrap.sh" >&2
        build notafon_bench_player
        input=$(speech_input)
        out="$BUILD/out/player"
        mkdir -p "$out"
        for spec in "22050 48k" "44100 128k"; do
            set -- $spec
            mp3="$input/speech-$1-$2.mp3"
            [ -f "$mp3" ] || ffmpeg -v error -y -i "$input/speech-$1.wav" -c:a libmp3lame -b:a "$2" "$mp3"
        done
        echo "bench: mpg123 $(dpkg-query -W -f='${Version}' mpg123 2>/dev/null), ffmpeg $(dpkg-query -W -f='${Version}' ffmpeg 2>/dev/null), soundstretch $(dpkg-query -W -f='${Version}' soundstretch 2>/dev/null)"
        for spec in "22050 48k" "44100 128k"; do
            set -- $spec
            "$BUILD/bench/notafon_bench_player" load "$input/speech-$1-$2.mp3" --repeat "$repeat"
        done
        for speed in 0.65 1.5 3; do
            "$BUILD/bench/notafon_bench_player" stretch "$input/speech-44100.wav" --speed "$speed" --repeat 1
        done
        ;;
    *) usage ;;
esac
