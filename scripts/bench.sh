#!/usr/bin/env bash
# Sets up (scripts/bootstrap.sh), then runs a benchmark from a Release build of the bench preset. Usage:
#   scripts/bench.sh record [--seconds N] [--repeat N]
#   scripts/bench.sh player [--seconds N] [--repeat N]
#   scripts/bench.sh panel [--seconds N] [--repeat N]
#   scripts/bench.sh layout [--repeat N]
#   scripts/bench.sh window-cpu [--seconds N]
#   scripts/bench.sh paint [--repeat N]
#   scripts/bench.sh startup [--repeat N]
#   scripts/bench.sh panel-open [--repeat N]
# record: one hour (by default) of generated speech recorded as MP3 at format 1 (48 kbps, 22050 Hz) and format 4
# (128 kbps, 44100 Hz), the whole buffer path against shine alone (unpatched and patched) and shineenc; CPU time,
# best of --repeat interleaved rounds, beside callgrind instruction counts of the first 60 s (load does not move
# those).
# player: MP3 loading and stretching next to mpg123, ffmpeg and soundstretch, then the "open" section: time to the
# first buffer after open and after seeks, and memory, for 10 min, 1 h and 5 h files next to mpg123; then the "cpu"
# section: the CPU time of playing the 1 h MP3 files at 100 % and 150 % next to mpg123 plus soundstretch.
# startup: Notafon.exe of the bench-windows preset against a minimal window program built with it: executable size,
# the median of --repeat (default 10) cold starts under Wine to the window shown and painted, and the private bytes
# of the idle process; between them the minimal window with the application's manifest and one button.
# panel-open: the time from a click on "Transcribe on Parlowen" to the browser's Navigate under Wine, with the
# WebView2 test double as the loader, against a peer that does only that (bench/panel_open.sh); median of --repeat
# (default 10) rounds.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/bench"

usage() { echo "usage: $0 record|player|panel|layout|window-cpu|paint|startup|panel-open [--seconds N] [--repeat N]" >&2; exit 2; }
[ $# -ge 1 ] || usage
what=$1
shift
seconds=3600
repeat=
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
    record | player | layout) repeat=${repeat:-3} ;;
    panel | paint) repeat=${repeat:-5} ;;
    startup | panel-open) repeat=${repeat:-10} ;;
esac
case "$repeat" in
    '' | *[!0-9]* | 0) [ "$what" = window-cpu ] || usage ;;
esac

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
        # open: 10 min, 1 h and 5 h files (MP3 at both rates as bare frames, and 44100 Hz WAV), the 10 min speech
        # repeated; the time to the first buffer after open and after seeks, and memory, next to mpg123.
        ten=$(speech_input 600)
        long="$BUILD/input/open-$(basename "$ten")"
        mkdir -p "$long"
        for spec in "22050 48k" "44100 128k"; do
            set -- $spec
            base="$long/speech-$1-$2-10min.mp3"
            [ -f "$base" ] || ffmpeg -v error -y -i "$ten/speech-$1.wav" -c:a libmp3lame -b:a "$2" -write_xing 0 \
                -id3v2_version 0 -f mp3 "$base"
            for copies in 6 30; do
                f="$long/speech-$1-$2-$((copies / 6))h.mp3"
                [ -f "$f" ] || for _ in $(seq "$copies"); do cat "$base"; done >"$f"
            done
        done
        [ -f "$long/speech-44100-10min.wav" ] || cp "$ten/speech-44100.wav" "$long/speech-44100-10min.wav"
        for copies in 6 30; do
            f="$long/speech-44100-$((copies / 6))h.wav"
            # shellcheck disable=SC2046
            [ -f "$f" ] || sox $(for _ in $(seq "$copies"); do echo "$ten/speech-44100.wav"; done) "$f"
        done
        for length in 10min 1h 5h; do
            for f in "$long/speech-22050-48k-$length.mp3" "$long/speech-44100-128k-$length.mp3" \
                "$long/speech-44100-$length.wav"; do
                "$BUILD/bench/notafon_bench_player" open "$f" --repeat "$repeat"
            done
        done
        # cpu: the hour of both MP3 files played whole at 100 % and 150 % through the fake output, next to mpg123
        # decoding it to raw PCM and soundstretch stretching that decode at the same tempo.
        for spec in "22050 48k" "44100 128k"; do
            set -- $spec
            "$BUILD/bench/notafon_bench_player" cpu "$long/speech-$1-$2-1h.mp3" --repeat "$repeat"
        done
        ;;
    panel)
        # panel: the hand-off of an MP3 of --seconds (128 kbps, 44100 Hz, a tone: only its size matters) into the
        # panel's hand-off folder, copy and message, next to a plain copy of the same file.
        "$ROOT/scripts/bootstrap.sh" >&2
        build notafon_bench_panel
        mp3="$BUILD/input/handoff-${seconds}s-128k.mp3"
        if [ ! -f "$mp3" ]; then
            mkdir -p "$BUILD/input"
            ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=$seconds:sample_rate=44100" -ac 1 \
                -c:a libmp3lame -b:a 128k "$mp3.tmp.mp3" && mv "$mp3.tmp.mp3" "$mp3"
        fi
        "$BUILD/bench/notafon_bench_panel" handoff "$mp3" --repeat "$repeat"
        ;;
    layout)
        # The layout pass alone (no windows moved), in its common states.
        build notafon_bench_layout
        "$BUILD/bench/notafon_bench_layout" --repeat "$repeat"
        ;;
    paint)
        # A full repaint of the window's face under Wine at 100 % and 150 %, with GDI+ and with the GDI fallback;
        # a mingw Release build of its own beside the windows preset's.
        "$ROOT/scripts/bootstrap.sh" >&2
        cmake -S "$ROOT" -B "$BUILD-windows" -G Ninja --toolchain "$ROOT/cmake/mingw-toolchain.cmake" \
            -DCMAKE_BUILD_TYPE=Release -DNOTAFON_BENCH=ON >/dev/null
        cmake --build "$BUILD-windows" -j2 --target notafon_bench_paint
        source "$ROOT/scripts/wine-env.sh"
        wine_env_up
        wine "$BUILD-windows/bench/notafon_bench_paint.exe" --repeat "$repeat" --scale 1 --scale 1.5 | tr -d '\r'
        WINEDLLOVERRIDES="$WINEDLLOVERRIDES;gdiplus=d" \
            wine "$BUILD-windows/bench/notafon_bench_paint.exe" --repeat "$repeat" --scale 1 --scale 1.5 | tr -d '\r'
        wine_env_down
        ;;
    window-cpu)
        # Notafon.exe's CPU under Wine, idle and recording, next to the window-less capture; default 60 s each.
        "$ROOT/scripts/bootstrap.sh" >&2
        cmake --preset windows >/dev/null
        cmake --build --preset windows -j2 --target Notafon notafon-cli notafon_e2e_driver
        [ "$seconds" = 3600 ] && seconds=60
        "$ROOT/bench/window_cpu.sh" "$seconds"
        ;;
    startup)
        "$ROOT/scripts/bootstrap.sh" >&2
        cmake --preset bench-windows >/dev/null
        cmake --build --preset bench-windows -j2 --target Notafon notafon_bench_startup_probe \
            notafon_bench_minimal_window notafon_bench_controls_window
        WB="$ROOT/build/bench-windows"
        app="$WB/src/Notafon.exe"
        peer="$WB/bench/notafon_bench_minimal_window.exe"
        app_size=$(stat -c %s "$app")
        peer_size=$(stat -c %s "$peer")
        echo "size: Notafon.exe $app_size bytes, minimal window $peer_size bytes (both static, Release): ratio" \
            "$(awk -v a="$app_size" -v b="$peer_size" 'BEGIN { printf "%.2f", a / b }')"
        # The panel's loader library goes into the executable as a resource: counted here once the SDK is there.
        loader=$(ls "$ROOT"/.deps/webview2-*/x64/WebView2Loader.dll 2>/dev/null | tail -1 || true)
        if [ -n "$loader" ]; then
            loader_size=$(stat -c %s "$loader")
            echo "size: with ${loader#"$ROOT"/} ($loader_size bytes) inside:" \
                "$(awk -v a="$app_size" -v l="$loader_size" 'BEGIN { printf "%d bytes = %.2f MB (goal < 1.5 MB)", a + l, (a + l) / 1e6 }')"
        else
            echo "size: the WebView2 loader (WebView2Loader.dll, x64) is not in .deps; it will add its own size"
        fi
        # shellcheck source=wine-env.sh
        source "$ROOT/scripts/wine-env.sh"
        wine_env_up
        echo "bench: start-up under $(wine --version), $repeat starts each, the two programs taking turns"
        status=0
        # The window with the common controls goes between them: the start-up those libraries take under this
        # system, which any program of standard controls pays.
        wine "$WB/bench/notafon_bench_startup_probe.exe" --runs "$repeat" "$(wine_path "$app")" \
            "$(wine_path "$WB/bench/notafon_bench_controls_window.exe")" "$(wine_path "$peer")" | tr -d '\r' ||
            status=$?
        wine_env_down
        exit "$status"
        ;;
    panel-open)
        "$ROOT/scripts/bootstrap.sh" >&2
        cmake --preset bench-windows >/dev/null
        cmake --build --preset bench-windows -j2 --target NotafonWithDouble webview2_double notafon_e2e_driver \
            notafon_bench_panel_peer
        "$ROOT/bench/panel_open.sh" "$repeat"
        ;;
    *) usage ;;
esac
