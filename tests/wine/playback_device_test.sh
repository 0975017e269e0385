#!/usr/bin/env bash
# Plays files through the real waveOut device under Wine and checks what reaches PulseAudio's null sink: the Windows
# notafon-cli opens each file like the player does and plays it with the real playback thread ("listen"), while
# parecord records the sink's monitor at 44100 Hz. The recording must hold the track that the same build's decoder
# chain gives ("decode"), resampled to 44100 Hz: its 0.25 s windows in order, at most 0.2 s of slip between
# neighbours, at least three in four of them with correlation 0.99 or more, and the RMS within 15 %. The slack is for
# the recording path, which on a busy two-core machine drops a few tens of milliseconds now and then (see below);
# for the same reason each file gets up to three captures, and one good match passes it.
#   WAV at 22050 Hz (built-in reader), MP3 at 44100 Hz (minimp3), M4A (AAC, 44100 Hz mono: the one layout Wine's
#   Media Foundation source reader converts) through the general decoder.
# Then a longer M4A is read the way the player streams it, after seeks to several places ("stream-check"), against its
# whole decode: at every place the best alignment must be no shift at all, and the difference at most a twentieth of
# the signal in RMS (25 dB). That tolerance is Wine's: its decoder does not give the same samples twice over a file's
# first seconds (two whole decodes of one file differed by 29 to 40 dB there), while later places agree to 2 LSB.
# Needs the environment of scripts/wine-env.sh (wine_env_up); scripts/test.sh provides it.
#
# usage: playback_device_test.sh WINDOWS_CLI.exe NATIVE_SIGNAL_MATCH
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/wine_audio.sh"
wine_env_require

WIN_CLI=$1 MATCH=$2
for f in "$WIN_CLI" "$MATCH"; do
    [ -f "$f" ] || { echo "FAIL: $f is missing (build the native and Windows presets first)"; exit 1; }
done

WORK=$(mktemp -d)
cleanup() {
    speaker_record_stop
    [ -n "${KEEP_WORK:-}" ] && cp -r "$WORK" "$KEEP_WORK"; rm -rf "$WORK"
}
trap cleanup EXIT

# 1.2 s of a 440 Hz tone, 0.1 s of silence, then speech: tonal and broadband, with a gap to line up on.
played_signal() { make_signal "$1" "$2" 0 1.2 0.5 "Play it back, word for word."; }

# play FILE DECODER: decodes FILE with the Windows build (expecting DECODER), plays it through waveOut while
# recording the sink, and matches the recording against the decoded track.
play() {
    local file=$1 want=$2 name
    name=$(basename "$file")
    echo "== $name"
    wine "$WIN_CLI" decode "$(wine_path "$file")" --out "$(wine_path "$WORK/expected.wav")" | tr -d '\r' \
        >"$WORK/decode.out" || { cat "$WORK/decode.out"; echo "FAIL: $name does not decode"; return 1; }
    cat "$WORK/decode.out"
    local decoder rate
    decoder=$(sed -n 's/^decoder: //p' "$WORK/decode.out")
    rate=$(sed -n 's/^rate: //p' "$WORK/decode.out")
    [ "$decoder" = "$want" ] || { echo "FAIL: decoded by '$decoder', expected '$want'"; return 1; }

    # Recorded at the sink's own rate, with room for the recorder to fall behind: with a 20 ms record buffer on this
    # busy two-core machine, parecord lost stretches of 20 to 100 ms in about a third of the runs (the audio after
    # them came early, by whole 50 ms buffers or less); resampling on the record side made it worse.
    sox "$WORK/expected.wav" -r 44100 "$WORK/expected44100.wav"
    local attempt
    # A drop-out on the recording side spoils one capture now and then; a fault of the player spoils every one.
    for attempt in 1 2 3; do
        echo "-- capture $attempt of 3"
        capture_and_match "$file" && return 0
    done
    return 1
}

capture_and_match() {
    local file=$1
    speaker_record_start "$WORK/rec.raw" || { echo "FAIL: parecord delivered nothing"; return 1; }
    wine "$WIN_CLI" listen --timeout 30 "$(wine_path "$file")" | tr -d '\r' >"$WORK/listen.out" || true
    cat "$WORK/listen.out"
    # The sink's monitor reaches parecord with a delay: a second more of recording holds the end of the track.
    sleep 1
    speaker_record_stop
    grep -q '^ended: 1' "$WORK/listen.out" || { echo "FAIL: the player did not reach the end"; return 1; }
    sox -t raw -r 44100 -e signed -b 16 -c 1 "$WORK/rec.raw" "$WORK/rec.wav"
    "$MATCH" "$WORK/rec.wav" "$WORK/expected44100.wav" --min-corr 0.99 --rms-tolerance 0.05 --windows 0.2 \
        --max-bad-windows 0.25
}

failed=0
played_signal 22050 "$WORK/source22050.wav"
play "$WORK/source22050.wav" wav || failed=1

played_signal 44100 "$WORK/source44100.wav"
ffmpeg -v error -y -i "$WORK/source44100.wav" -c:a libmp3lame -b:a 128k "$WORK/source.mp3"
play "$WORK/source.mp3" mp3 || failed=1

ffmpeg -v error -y -i "$WORK/source44100.wav" -c:a aac -b:a 96k -ac 1 -ar 44100 "$WORK/source.m4a"
play "$WORK/source.m4a" general || failed=1

# stream_check FILE: seeks to places before, inside and past the first seconds, back and forth, and some at the start.
stream_check() {
    local file=$1
    echo "== stream-check $(basename "$file")"
    wine "$WIN_CLI" stream-check "$(wine_path "$file")" --seconds 0.5 --at 0 --at 12.5 --at 3.3 --at 0.05 --at 20.2 \
        --at 1 --at 7.77 --at 21 --at 0.2 | tr -d '\r' >"$WORK/check.out" || { cat "$WORK/check.out"; return 1; }
    cat "$WORK/check.out"
    grep -q '^decoder: general' "$WORK/check.out" && grep -q '^streamed: 1' "$WORK/check.out" ||
        { echo "FAIL: not streamed through the general decoder"; return 1; }
    [ "$(grep -c '^at: ' "$WORK/check.out")" = 9 ] || { echo "FAIL: a place is missing"; return 1; }
    awk '/^at: / && ($4 != 0 || $8 < 25) { bad = 1; print "FAIL: " $0 } END { exit bad }' "$WORK/check.out"
}

sox "$WORK/source44100.wav" "$WORK/long44100.wav" repeat 7
ffmpeg -v error -y -i "$WORK/long44100.wav" -c:a aac -b:a 96k -ac 1 -ar 44100 "$WORK/long.m4a"
stream_check "$WORK/long.m4a" || failed=1

[ $failed -eq 0 ] && echo "PASS" || { echo "FAIL: see above"; exit 1; }
