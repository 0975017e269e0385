# shellcheck shell=bash
# The tests' side of the sound server in the Wine environment of scripts/wine-env.sh (sourced; defines functions
# only): what goes into the FIFO microphones and what comes out of the speaker.
#
#   wine_env_use_mic RATE               makes the 44100 Hz or the 22050 Hz FIFO microphone the default source
#   feed_start RATE RAW [MAX_S] / feed_stop   the microphone of RATE plays RAW (mono s16le) in real time, then
#                                       silence until stopped or MAX_S seconds (default 60); FEED_PID is the feeder
#   wine_env_capture RATE RAW OUTPUT COMMAND...   a capturing Windows program while RAW plays into the microphone
#   speaker_record_start FILE / speaker_record_stop   parecord of the null sink's monitor into FILE (raw, 44100 Hz
#                                       mono); SPEAKER_PID is the recorder
#   make_signal RATE OUT LEAD TONE VOLUME PHRASE   a test signal: LEAD s of digital silence, TONE s of 440 Hz at
#                                       VOLUME of full scale, 0.1 s of silence, then PHRASE spoken; OUT (.wav) and the
#                                       same samples raw beside it (.raw)

# shellcheck source=../../scripts/wine-env.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../../scripts/wine-env.sh"

FEED_PID='' SPEAKER_PID=''

wine_env_use_mic() {
    case "$1" in
        44100) pactl set-default-source "$NOTAFON_MIC_SOURCE_44100" ;;
        22050) pactl set-default-source "$NOTAFON_MIC_SOURCE_22050" ;;
        *) _wine_env_say "no microphone at $1 Hz" && return 1 ;;
    esac
}

# PulseAudio stops reading a FIFO once nobody records from it, so every feeder started here must be stopped: one
# blocked on the full pipe would hang for good.
feed_start() {
    local fifo=NOTAFON_MIC_FIFO_$1
    [ -n "${!fifo:-}" ] || { _wine_env_say "no microphone at $1 Hz"; return 1; }
    python3 "$NOTAFON_ROOT/tests/tools/feed_fifo.py" "${!fifo}" "$2" --rate "$1" --max-seconds "${3:-60}" &
    FEED_PID=$!
}
feed_stop() {
    [ -n "$FEED_PID" ] || return 0
    kill "$FEED_PID" 2>/dev/null
    wait "$FEED_PID" 2>/dev/null
    FEED_PID=
}

# wine_env_capture RATE RAW OUTPUT COMMAND...: runs COMMAND (a Windows capture, output to OUTPUT) with the RATE
# microphone as the default source, and once it prints "started: 1" plays RAW (mono s16le) into that microphone in
# real time, then silence until COMMAND ends. Feeding only once capture runs means the recording holds no sound from
# before the signal (at most some silence the device delivers first). Returns COMMAND's exit status, or 1 when it
# does not start or end in time.
wine_env_capture() {
    local rate=$1 raw=$2 output=$3 fifo cmd_pid status=0
    shift 3
    fifo=NOTAFON_MIC_FIFO_$rate
    [ -n "${!fifo:-}" ] || { _wine_env_say "no microphone at $rate Hz"; return 1; }
    wine_env_use_mic "$rate" || return 1
    : >"$output"
    "$@" >"$output" 2>&1 </dev/null &
    cmd_pid=$!
    for _ in $(seq 500); do
        grep -q '^started: 1' "$output" && break
        kill -0 "$cmd_pid" 2>/dev/null || break
        sleep 0.02
    done
    if ! grep -q '^started: 1' "$output"; then
        _wine_env_say "capture did not start"
        kill "$cmd_pid" 2>/dev/null
        wait "$cmd_pid" 2>/dev/null
        return 1
    fi
    feed_start "$rate" "$raw" 120
    for _ in $(seq 1200); do
        kill -0 "$cmd_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$cmd_pid" 2>/dev/null; then
        _wine_env_say "capture did not end within 120 s"
        kill "$cmd_pid" 2>/dev/null
        status=1
    fi
    wait "$cmd_pid" 2>/dev/null || status=$?
    # Nobody reads the microphone any more.
    feed_stop
    return "$status"
}

# Delivery starts late (0.3 to 2 s) and a stale file would look like data at once: wait for fresh bytes. The 250 ms
# latency keeps parecord from losing stretches on a busy machine.
speaker_record_start() {
    rm -f "$1"
    parecord --device=speaker.monitor --raw --format=s16le --rate=44100 --channels=1 --latency-msec=250 "$1" &
    SPEAKER_PID=$!
    for _ in $(seq 250); do [ -s "$1" ] && return 0; sleep 0.02; done
    return 1
}
# SIGTERM: parecord ignored SIGINT when it ran as a background job. It ends within milliseconds as a rule, but once
# in a run of the whole suite it did not end at all: after 5 s it is killed, and what it wrote stays.
speaker_record_stop() {
    [ -n "$SPEAKER_PID" ] || return 0
    kill -TERM "$SPEAKER_PID" 2>/dev/null
    local _
    for _ in $(seq 100); do kill -0 "$SPEAKER_PID" 2>/dev/null || break; sleep 0.05; done
    if kill -0 "$SPEAKER_PID" 2>/dev/null; then
        echo "speaker: parecord still ran 5 s after SIGTERM; killed"
        kill -KILL "$SPEAKER_PID" 2>/dev/null
    fi
    wait "$SPEAKER_PID" 2>/dev/null
    SPEAKER_PID=
}

# -D: no dither, so the silences are exact zeros and the signal is the same on every run.
make_signal() {
    local rate=$1 out=$2 lead=$3 tone=$4 volume=$5 phrase=$6 tmp parts=() status=0
    tmp=$(mktemp -d) || return 1
    if [ "$lead" != 0 ]; then
        parts+=("$tmp/lead.wav")
        sox -D -n -r "$rate" -b 16 -c 1 "$tmp/lead.wav" trim 0 "$lead" || status=1
    fi
    [ $status -eq 0 ] &&
        sox -D -n -r "$rate" -b 16 -c 1 "$tmp/tone.wav" synth "$tone" sine 440 vol "$volume" &&
        sox -D -n -r "$rate" -b 16 -c 1 "$tmp/gap.wav" trim 0 0.1 &&
        espeak-ng -w "$tmp/speech-raw.wav" "$phrase" &&
        sox "$tmp/speech-raw.wav" -r "$rate" -b 16 -c 1 "$tmp/speech.wav" &&
        sox -D "${parts[@]}" "$tmp/tone.wav" "$tmp/gap.wav" "$tmp/speech.wav" "$out" &&
        sox "$out" -t raw "${out%.wav}.raw" || status=1
    rm -rf "$tmp"
    return $status
}
