#!/usr/bin/env bash
# "If anything goes wrong, your recording is already on disk": notafon-cli record --abort-at S kills its own process
# (SIGKILL natively, TerminateProcess on Windows) right after the input up to S seconds was processed, with no stop.
# The file left behind is checked against an uncrashed recording of the same input by audio_check:
#   WAV: a valid header whose data length covers every whole 30-buffer block (3 s) processed, so at most the last
#        3 s are outside it; every processed buffer is in the file; the data equals the reference's start exactly.
#   MP3: decodes without errors to exactly the start of the reference's audio. Lost at the end, measured: the pass
#        still being collected, the last frame (shine holds its final 32-bit word back), and the codec's 1057-sample
#        delay, so at most 1057 + 2 * pass - 1 samples (2208 at 22050 Hz, 3360 at 44100 Hz).
# Abort points sit before, at and after a header refresh, and inside and at the end of an MP3 pass. One more run
# replaces an existing file with Replace ticked and is killed half-way: both files must be on disk.
#
# usage: crash_safety_test.sh native|wine CLI AUDIO_CHECK FORMAT
#   wine: CLI is the Windows notafon-cli.exe, run with the environment of scripts/wine-env.sh (scripts/test.sh).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
MODE=$1 CLI=$2 CHECK=$3 FORMAT=$4
for f in "$CLI" "$CHECK"; do [ -f "$f" ] || { echo "FAIL: $f is missing"; exit 1; }; done

case "$MODE" in
    native) KILLED_STATUS=137 ;;  # 128 + SIGKILL
    wine)
        source "$HERE/../../scripts/wine-env.sh"
        wine_env_require
        KILLED_STATUS=9  # the exit code cliKillSelf hands TerminateProcess
        ;;
    *) echo "usage: crash_safety_test.sh native|wine CLI AUDIO_CHECK FORMAT" >&2; exit 2 ;;
esac

case "$FORMAT" in
    5) RATE=44100 PASS=0 ABORTS="0.5 2.95 3.05 6.55 7.99" ;;
    # At 6.45 s the 64 whole buffers processed (6.4 s) end exactly with a pass, at either rate.
    1) RATE=22050 PASS=576 ABORTS="0.73 1.05 3.37 6.45" ;;
    4) RATE=44100 PASS=1152 ABORTS="0.73 1.05 3.37 6.45" ;;
    *) echo "FAIL: no crash scenario for format $FORMAT"; exit 1 ;;
esac

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# notafon-cli record with paths the program can open: Unix ones natively, Z: ones under Wine.
record() {
    local folder=$1 input=$2
    shift 2
    if [ "$MODE" = wine ]; then
        wine "$CLI" record --format "$FORMAT" --folder "$(wine_path "$folder")" "$@" "$(wine_path "$input")"
    else
        "$CLI" record --format "$FORMAT" --folder "$folder" "$@" "$input"
    fi
}

# 8 s of input: a quiet sweep, a tone at 0.99 of full scale (the limiter acts), then a two-tone chord with tremolo.
sox -D -n -r $RATE -b 16 -c 1 "$WORK/a.wav" synth 1.5 sine 300-2500 vol 0.4
sox -D -n -r $RATE -b 16 -c 1 "$WORK/b.wav" synth 1.0 sine 440 vol 0.99
sox -D -n -r $RATE -b 16 -c 1 "$WORK/c.wav" synth 5.5 sine 180 sine 900 remix - tremolo 4 70 vol 0.5
sox -D "$WORK/a.wav" "$WORK/b.wav" "$WORK/c.wav" "$WORK/input.wav"

EXT=wav
[ "$PASS" -gt 0 ] && EXT=mp3

out=$(record "$WORK/ref" "$WORK/input.wav" --name ref 2>&1 | tr -d '\r') || true
reference="$WORK/ref/ref.$EXT"
[ -f "$reference" ] || { echo "$out"; echo "FAIL: the uncrashed reference recording was not saved"; exit 1; }
if [ "$EXT" = mp3 ]; then
    "$CHECK" mp3-corr "$reference" "$WORK/input.wav" --min-corr 0.99 >"$WORK/ref.check" ||
        { cat "$WORK/ref.check"; echo "FAIL: the reference recording does not match its input"; exit 1; }
fi

failed=0
for at in $ABORTS; do
    echo "== format $FORMAT, killed after ${at} s"
    status=0
    record "$WORK/crash-$at" "$WORK/input.wav" --name crash --abort-at "$at" >"$WORK/out" 2>&1 || status=$?
    if [ "$status" -ne "$KILLED_STATUS" ] || grep -q '^status:' "$WORK/out"; then
        tr -d '\r' <"$WORK/out"
        echo "FAIL: exit status $status: the recording was not killed (expected $KILLED_STATUS)"
        failed=1
        continue
    fi
    file="$WORK/crash-$at/crash.$EXT"
    if [ ! -f "$file" ]; then
        echo "FAIL: nothing on disk after the kill"
        failed=1
        continue
    fi
    if [ "$EXT" = wav ]; then
        "$CHECK" crash-wav "$file" "$reference" --abort-at "$at" || failed=1
    else
        "$CHECK" crash-mp3 "$file" "$reference" "$WORK/input.wav" --abort-at "$at" \
            --max-loss $((1057 + 2 * PASS - 1)) --min-corr 0.99 || failed=1
    fi
done

# With Replace, a take killed half-way leaves both on disk: the take so far under the name, and the file it replaces,
# byte for byte, waiting beside it as "NAME (replaced).EXT".
at=3.37
[ "$EXT" = wav ] && at=2.95
echo "== format $FORMAT, replacing a file, killed after ${at} s"
mkdir -p "$WORK/replace-$at"
cp "$reference" "$WORK/replace-$at/crash.$EXT"
status=0
record "$WORK/replace-$at" "$WORK/input.wav" --name crash --replace --abort-at "$at" >"$WORK/out" 2>&1 || status=$?
if [ "$status" -ne "$KILLED_STATUS" ]; then
    tr -d '\r' <"$WORK/out"
    echo "FAIL: exit status $status: the recording was not killed (expected $KILLED_STATUS)"
    failed=1
elif ! cmp -s "$reference" "$WORK/replace-$at/crash (replaced).$EXT"; then
    ls -l "$WORK/replace-$at"
    echo "FAIL: the replaced file is not waiting intact beside the take"
    failed=1
elif [ "$EXT" = wav ]; then
    "$CHECK" crash-wav "$WORK/replace-$at/crash.$EXT" "$reference" --abort-at "$at" || failed=1
else
    "$CHECK" crash-mp3 "$WORK/replace-$at/crash.$EXT" "$reference" "$WORK/input.wav" --abort-at "$at" \
        --max-loss $((1057 + 2 * PASS - 1)) --min-corr 0.99 || failed=1
fi

if [ $failed -ne 0 ]; then
    echo "FAIL: crash_safety_test format $FORMAT ($MODE)"
    exit 1
fi
echo "PASS: crash_safety_test format $FORMAT ($MODE)"
