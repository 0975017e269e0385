# shellcheck shell=bash
# Wine test environment, sourced by the test and run scripts (sourcing it only defines variables and functions).
#
#   wine_env_base      builds the cached base prefix under .deps/wine-base once; rebuilt when missing, incomplete,
#                      or made by another Wine version
#   wine_env_up        a fresh environment for one run: own folder, Xvfb on a free display, PulseAudio with a null
#                      sink "speaker" and two FIFO microphones, a hard-linked copy of the base prefix with a warm
#                      wineserver; exports what tests need and tears everything down on EXIT, INT and TERM
#   wine_env_down      the teardown (idempotent; by process id and by this prefix's wineserver only)
#   wine_env_require   for tests: fails clearly unless wine_env_up's environment is present
#   wine_env_use_mic   makes the 44100 Hz or the 22050 Hz FIFO microphone the default source
#   wine_path          a Unix path as a Windows path (Z: drive) for arguments to Windows programs
#   wine_env_capture   runs a capturing Windows program while a recording plays into the microphone in real time
#
# Two microphones because PulseAudio resamples when a client opens a source at another rate, and a resampled capture
# is no longer bit-exact: each recording rate gets a pipe at its own rate.

NOTAFON_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NOTAFON_WINE_BASE="$NOTAFON_ROOT/.deps/wine-base"
# Bump when the base recipe below changes, so cached bases are rebuilt.
NOTAFON_WINE_BASE_RECIPE=1

_wine_env_say() { printf 'wine-env: %s\n' "$*" >&2; }

# What the base was made with; a different Wine (its wine.inf) would update a copy in place and so change the base.
_wine_env_base_stamp() {
    printf 'recipe %s\n%s\n' "$NOTAFON_WINE_BASE_RECIPE" "$(WINEDEBUG=-all wine --version 2>/dev/null)"
    stat -c 'wine.inf %Y %s' /usr/share/wine/wine.inf 2>/dev/null || true
}

_wine_env_base_ok() {
    local base=$NOTAFON_WINE_BASE f
    for f in system.reg user.reg userdef.reg drive_c/windows/system32/kernel32.dll drive_c/windows/Fonts/marlett.ttf; do
        [ -e "$base/$f" ] || return 1
    done
    [ -f "$base/.notafon-base" ] && [ "$(cat "$base/.notafon-base")" = "$(_wine_env_base_stamp)" ]
}

wine_env_base() {
    _wine_env_base_ok && return 0
    mkdir -p "$(dirname "$NOTAFON_WINE_BASE")"
    (
        # Two runs starting at once build it only once. Every step is checked by hand: set -e does not act in a
        # function called from a condition.
        flock 9 || exit 1
        _wine_env_base_ok && exit 0
        new="$NOTAFON_WINE_BASE.new"
        rm -rf "$new" "$new.tmp"
        mkdir -p "$new.tmp" || exit 1
        _wine_env_say "building the base Wine prefix (once)"
        export WINEPREFIX="$new" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
        export TMPDIR="$new.tmp"
        unset DISPLAY
        trap 'wineserver -k >/dev/null 2>&1' EXIT
        wine wineboot -i >"$new.tmp/wineboot.log" 2>&1 || { cat "$new.tmp/wineboot.log" >&2; exit 1; }
        # This Wine build does not load /usr/share/wine/fonts; without them captions lack Marlett and Tahoma.
        cp /usr/share/wine/fonts/* "$new/drive_c/windows/Fonts/" || exit 1
        cat >"$new.tmp/base.reg" <<'EOF_REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x800"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Segoe UI"="DejaVu Sans"
"Georgia"="DejaVu Serif"
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
"Calibri"="Carlito"
"Cambria"="Caladea"
EOF_REG
        wine regedit /S "$(winepath -w "$new.tmp/base.reg")" >/dev/null 2>&1 || exit 1
        # The hives reach the disk only when the server ends.
        wineserver -w || exit 1
        trap - EXIT
        grep -q 'Explorer\\\\Desktops' "$new/user.reg" || { _wine_env_say "base.reg did not reach user.reg"; exit 1; }
        rm -f "$new/wineserver"
        _wine_env_base_stamp >"$new/.notafon-base" || exit 1
        rm -rf "$NOTAFON_WINE_BASE" "$new.tmp"
        mv "$new" "$NOTAFON_WINE_BASE" || exit 1
        _wine_env_base_ok
    ) 9>"$NOTAFON_WINE_BASE.lock"
}

wine_env_up() {
    wine_env_base || { _wine_env_say "could not build the base prefix"; return 1; }
    local base_dev run_root
    base_dev=$(stat -c %d "$NOTAFON_WINE_BASE")
    run_root=${TMPDIR:-/tmp}
    # Hard links need the run folder on the base's file system.
    [ "$(stat -c %d "$run_root" 2>/dev/null)" = "$base_dev" ] || run_root="$NOTAFON_ROOT/.deps"
    NOTAFON_E2E=$(mktemp -d "$run_root/notafon-wine.XXXXXX") || return 1
    export NOTAFON_E2E
    # Given back by wine_env_down, so later steps of the caller see their own temporary folder and display.
    _NOTAFON_SAVED_TMPDIR=${TMPDIR-__unset__} _NOTAFON_SAVED_DISPLAY=${DISPLAY-__unset__}
    trap 'wine_env_down' EXIT
    trap 'wine_env_down; trap - INT; kill -INT $$' INT
    trap 'wine_env_down; trap - TERM; kill -TERM $$' TERM

    mkdir -p "$NOTAFON_E2E/tmp" "$NOTAFON_E2E/pulse" "$NOTAFON_E2E/x"
    export WINEPREFIX="$NOTAFON_E2E/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export TMPDIR="$NOTAFON_E2E/tmp"

    # Display: Xvfb picks a free one and writes its number to fd 3.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$NOTAFON_E2E/x/display" \
        >"$NOTAFON_E2E/x/xvfb.log" 2>&1 &
    NOTAFON_XVFB_PID=$!
    for _ in $(seq 200); do
        [ -s "$NOTAFON_E2E/x/display" ] && break
        kill -0 "$NOTAFON_XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    [ -s "$NOTAFON_E2E/x/display" ] || { _wine_env_say "Xvfb did not start"; return 1; }
    DISPLAY=":$(tr -d '\n' <"$NOTAFON_E2E/x/display")"
    export DISPLAY
    for _ in $(seq 200); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.05; done

    # PulseAudio: the speaker and the two microphones. PulseAudio does not expand variables: real paths go in.
    local p="$NOTAFON_E2E/pulse"
    export PULSE_SERVER="unix:$p/pulse.sock" PULSE_RUNTIME_PATH="$p" PULSE_STATE_PATH="$p"
    export NOTAFON_MIC_FIFO_44100="$p/mic44100.fifo" NOTAFON_MIC_FIFO_22050="$p/mic22050.fifo"
    export NOTAFON_MIC_SOURCE_44100=mic44100 NOTAFON_MIC_SOURCE_22050=mic22050
    cat >"$p/pulse.pa" <<EOF
load-module module-null-sink sink_name=speaker
load-module module-pipe-source source_name=mic44100 file=$NOTAFON_MIC_FIFO_44100 format=s16le rate=44100 channels=1
load-module module-pipe-source source_name=mic22050 file=$NOTAFON_MIC_FIFO_22050 format=s16le rate=22050 channels=1
load-module module-native-protocol-unix auth-anonymous=1 socket=$p/pulse.sock
set-default-sink speaker
set-default-source mic44100
EOF
    HOME="$p" pulseaudio -n --daemonize=yes --exit-idle-time=-1 --use-pid-file=yes -F "$p/pulse.pa" \
        >"$p/pulseaudio.log" 2>&1 || { _wine_env_say "PulseAudio did not start: $(tail -3 "$p/pulseaudio.log")"; return 1; }
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
    pactl info >/dev/null 2>&1 || { _wine_env_say "PulseAudio does not answer"; return 1; }
    [ -p "$NOTAFON_MIC_FIFO_44100" ] && [ -p "$NOTAFON_MIC_FIFO_22050" ] || {
        _wine_env_say "the microphone FIFOs were not created"
        return 1
    }

    # Prefix: hard links, except the hives, which wineserver rewrites in place.
    cp -al "$NOTAFON_WINE_BASE" "$WINEPREFIX" || return 1
    local f
    for f in system.reg user.reg userdef.reg; do
        rm "$WINEPREFIX/$f" && cp -p "$NOTAFON_WINE_BASE/$f" "$WINEPREFIX/$f" || return 1
    done
    wineserver -p || return 1
    # The first program starts the prefix's services; later ones then start in a fraction of a second.
    wine cmd /c exit >/dev/null 2>&1 || { _wine_env_say "the warm-up Wine program failed"; return 1; }
    export NOTAFON_WINE_ENV=1 NOTAFON_XVFB_PID
    _wine_env_say "up: $NOTAFON_E2E (DISPLAY=$DISPLAY)"
}

wine_env_down() {
    [ -n "${NOTAFON_E2E:-}" ] && [ -d "$NOTAFON_E2E" ] || return 0
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    local pid
    if [ -f "$NOTAFON_E2E/pulse/pid" ]; then
        pid=$(cat "$NOTAFON_E2E/pulse/pid")
        if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
            for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
        fi
    fi
    if [ -n "${NOTAFON_XVFB_PID:-}" ]; then
        kill "$NOTAFON_XVFB_PID" 2>/dev/null && wait "$NOTAFON_XVFB_PID" 2>/dev/null
    fi
    rm -rf "$NOTAFON_E2E"
    unset NOTAFON_E2E NOTAFON_WINE_ENV NOTAFON_XVFB_PID WINEPREFIX PULSE_SERVER PULSE_RUNTIME_PATH PULSE_STATE_PATH \
        NOTAFON_MIC_FIFO_44100 NOTAFON_MIC_FIFO_22050
    if [ "${_NOTAFON_SAVED_TMPDIR:-__unset__}" = __unset__ ]; then unset TMPDIR; else export TMPDIR=$_NOTAFON_SAVED_TMPDIR; fi
    if [ "${_NOTAFON_SAVED_DISPLAY:-__unset__}" = __unset__ ]; then unset DISPLAY; else export DISPLAY=$_NOTAFON_SAVED_DISPLAY; fi
    trap - EXIT INT TERM
    return 0
}

wine_env_require() {
    local missing=() v
    for v in NOTAFON_WINE_ENV WINEPREFIX TMPDIR DISPLAY PULSE_SERVER NOTAFON_MIC_FIFO_44100 NOTAFON_MIC_FIFO_22050; do
        [ -n "${!v:-}" ] || missing+=("$v")
    done
    if [ ${#missing[@]} -gt 0 ] || [ ! -d "${WINEPREFIX:-/nonexistent}" ]; then
        echo "FAIL: the Wine test environment is missing (${missing[*]:-prefix}): run the Windows tests through" \
            "scripts/test.sh, or source scripts/wine-env.sh and call wine_env_up first" >&2
        return 1
    fi
}

wine_env_use_mic() {
    case "$1" in
        44100) pactl set-default-source "$NOTAFON_MIC_SOURCE_44100" ;;
        22050) pactl set-default-source "$NOTAFON_MIC_SOURCE_22050" ;;
        *) _wine_env_say "no microphone at $1 Hz" && return 1 ;;
    esac
}

# Wine maps Z: to the Unix root in every fresh prefix.
wine_path() {
    local p
    p=$(realpath -m "$1")
    printf 'Z:%s\n' "${p//\//\\}"
}

# wine_env_capture RATE RAW OUTPUT COMMAND...: runs COMMAND (a Windows capture, output to OUTPUT) with the RATE
# microphone as the default source, and once it prints "started: 1" plays RAW (mono s16le) into that microphone in
# real time, then silence until COMMAND ends. Feeding only once capture runs means the recording holds no sound from
# before the signal (at most some silence the device delivers first). Returns COMMAND's exit status, or 1 when it does not start or end in time.
wine_env_capture() {
    local rate=$1 raw=$2 output=$3 fifo cmd_pid feed_pid status=0
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
    python3 "$NOTAFON_ROOT/tests/tools/feed_fifo.py" "${!fifo}" "$raw" --rate "$rate" --max-seconds 120 &
    feed_pid=$!
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
    # Nobody reads the microphone any more: a feeder left running would block on the full pipe for good.
    kill "$feed_pid" 2>/dev/null
    wait "$feed_pid" 2>/dev/null
    return "$status"
}
