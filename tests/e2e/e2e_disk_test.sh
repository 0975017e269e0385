#!/usr/bin/env bash
# Notafon.exe end to end under Wine: a recording that the disk or the microphone lets down.
#   A WAV take with Replace on, in a folder on a small tmpfs that fills up while it runs: the take stops at once with
#   "Stopped: the disk is full", the file holds exactly the whole samples that reached the disk (header = data), the
#   file it was to replace is kept beside it, and the detail says what is kept where.
#   An MP3 take on the same full-ish disk: it stops the same way and the file ends on a whole frame.
#   A microphone source removed from the sound server mid-take: "Stopped: the microphone stopped" within 2 s, the
#   file kept and valid.
#
# usage: e2e_disk_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"

SMALL="$WORK/small"
GONE_MODULE=''
disk_cleanup() {
    [ -n "$GONE_MODULE" ] && pactl unload-module "$GONE_MODULE" >/dev/null 2>&1
    pactl set-default-source "$NOTAFON_MIC_SOURCE_22050" >/dev/null 2>&1
    e2e_cleanup
    # The application is gone by now (e2e_cleanup ends it): nothing holds the volume.
    mountpoint -q "$SMALL" 2>/dev/null && umount "$SMALL"
    rm -rf "$WORK"
}
trap disk_cleanup EXIT

mkdir -p "$SMALL"
mount -t tmpfs -o size=1m,mode=0777 tmpfs "$SMALL" || { echo "FAIL: could not mount a small tmpfs (needs root)"; exit 1; }

# Fills the volume, then frees FREE_KB of it again: the recording runs into the end a known time after its start.
leave_free() {
    rm -f "$SMALL/filler"
    dd if=/dev/zero of="$SMALL/filler" bs=4k 2>/dev/null
    local size
    size=$(stat -c %s "$SMALL/filler")
    truncate -s $((size - $1 * 1024)) "$SMALL/filler"
    echo "free: $(df -k --output=avail "$SMALL" | tail -1) KB"
}

sox -D -n -r 22050 -b 16 -c 1 -t raw "$WORK/tone.raw" synth 20 sine 300 vol 0.3
sox -D -n -r 44100 -b 16 -c 1 -t raw "$WORK/tone44.raw" synth 20 sine 300 vol 0.3

section "a WAV take that fills the disk, Replace on"
sox -D -n -r 8000 -b 16 -c 1 "$SMALL/e2e full.wav" synth 0.5 sine 500 vol 0.2
cp "$SMALL/e2e full.wav" "$WORK/old.wav"
leave_free 200  # a little over 2 s of 44100 Hz WAV
fresh_settings "$SMALL"
wine reg add "$E2E_KEY" /v Format /t REG_DWORD /d 5 /f >/dev/null 2>&1
wine reg add "$E2E_KEY" /v Replace /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine_env_use_mic 44100
app_start
feed_start 44100 "$WORK/tone44.raw"
win settext kIdFileName "e2e full" click kIdRecord waitprefix kIdStatus "Stopped:" 15000 \
    text kIdStatus text kIdDetail enabled kIdRecord text kIdLoadedName
feed_stop
expect "status when the disk is full" "$(out 'text kIdStatus')" "Stopped: the disk is full"
expect "Record enabled again" "$(out 'enabled kIdRecord')" 1
expect "the kept part is loaded" "$(out 'text kIdLoadedName')" "e2e full.wav"
detail=$(out 'text kIdDetail')
full_win=$(wine_path "$SMALL/e2e full.wav")
aside_win=$(wine_path "$SMALL/e2e full (replaced).wav")
expect_match "detail names the cause and the kept file" "$detail" \
    "^There was no more room on the disk\. Everything up to then \(00:0[0-9], 0\.[0-9] MB\) is kept in:"
case "$detail" in
    *"$full_win"*"The file it was to replace is kept as:"*"$aside_win"*) echo "ok: detail names both files" ;;
    *) fail "detail names both files" "got '$detail'" ;;
esac
"$CHECK" whole "$SMALL/e2e full.wav" | tee "$WORK/whole.out" || fail "WAV after a full disk" "not whole"
seconds=$(sed -n 's/^seconds: //p' "$WORK/whole.out")
holds "$seconds" 1.5 'a >= b' && echo "ok: $seconds s kept" || fail "WAV after a full disk" "only $seconds s kept"
cmp -s "$WORK/old.wav" "$SMALL/e2e full (replaced).wav" && echo "ok: the old file is kept as it was" ||
    fail "old file" "not kept beside the take"
app_close

section "an MP3 take that fills the disk"
rm -f "$SMALL"/*.wav
leave_free 20  # a little over 3 s of 48 kbps
wine reg add "$E2E_KEY" /v Format /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$E2E_KEY" /v Replace /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine_env_use_mic 22050
mic_drain 22050
app_start
feed_start 22050 "$WORK/tone.raw"
win settext kIdFileName "e2e full" click kIdRecord waitprefix kIdStatus "Stopped:" 20000 text kIdStatus text kIdDetail
feed_stop
expect "MP3 status when the disk is full" "$(out 'text kIdStatus')" "Stopped: the disk is full"
"$CHECK" whole "$SMALL/e2e full.mp3" | tee "$WORK/whole.out" || fail "MP3 after a full disk" "not whole frames"
seconds=$(sed -n 's/^seconds: //p' "$WORK/whole.out")
holds "$seconds" 1.5 'a >= b' && echo "ok: $seconds s kept" || fail "MP3 after a full disk" "only $seconds s kept"
app_close

section "the microphone goes away"
fresh_settings "$REC"
wine reg add "$E2E_KEY" /v Format /t REG_DWORD /d 1 /f >/dev/null 2>&1
GONE_FIFO="$WORK/gone.fifo"
GONE_MODULE=$(pactl load-module module-pipe-source source_name=micgone file="$GONE_FIFO" format=s16le rate=22050 \
    channels=1) || { fail "microphone" "could not add a source"; e2e_finish; }
pactl set-default-source micgone
app_start
python3 "$NOTAFON_ROOT/tests/tools/feed_fifo.py" "$GONE_FIFO" "$WORK/tone.raw" --rate 22050 --max-seconds 30 &
FEED_PID=$!
win settext kIdFileName "e2e gone" click kIdRecord waittext kIdTime 00:00:02 10000
# The wait starts before the source goes, so that its clock measures the recorder, not the driver's start.
wine "$DRIVER" find PRLWRecorder 5000 waitprefix kIdStatus "Stopped:" 8000 clock text kIdStatus text kIdDetail \
    >"$WORK/gone.out" 2>&1 &
waiter=$!
for _ in $(seq 250); do grep -q . "$WORK/gone.out" && break; sleep 0.02; done
gone_at=$(date +%s.%N)
pactl unload-module "$GONE_MODULE" && GONE_MODULE=''
wait "$waiter"
feed_stop
DRV_OUT=$(tr -d '\r' <"$WORK/gone.out")
printf '%s\n' "$DRV_OUT" | sed 's/^/    /'
pactl set-default-source "$NOTAFON_MIC_SOURCE_22050"
expect "status when the microphone goes" "$(out 'text kIdStatus')" "Stopped: the microphone stopped"
stopped_at=$(awk -v c="$(out clock)" 'BEGIN { printf "%.3f", c / 1e7 - 11644473600 }')
took=$(awk -v a="$stopped_at" -v b="$gone_at" 'BEGIN { printf "%.2f", a - b }')
holds "$took" 2.0 'a <= b' && echo "ok: stopped $took s after the source went" ||
    fail "microphone" "stopped $took s after the source went"
expect_match "detail when the microphone goes" "$(out 'text kIdDetail')" \
    "^The microphone stopped delivering sound \(it was unplugged, or the computer went to sleep\)\. Everything up to then"
if "$NATIVE_CLI" decode "$REC/e2e gone.mp3" --out "$WORK/gone.wav" >/dev/null; then
    kept=$(soxi -D "$WORK/gone.wav")
    holds "$kept" 1.8 'a >= b' && echo "ok: $kept s kept" || fail "microphone" "only $kept s kept"
else
    fail "microphone" "the file was not kept"
fi
app_close
e2e_finish
