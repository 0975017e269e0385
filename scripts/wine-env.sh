# shellcheck shell=bash
# One run's Wine environment, sourced by the test and run scripts (sourcing it only defines variables and functions).
#
#   wine_env_up        a fresh environment for one run: own folder, Xvfb on a free display, PulseAudio with a null
#                      sink "speaker" and two FIFO microphones, a hard-linked copy of the base prefix with a warm
#                      wineserver; exports what tests need and tears everything down on EXIT, INT and TERM
#   wine_env_down      the teardown (idempotent; by process id and by this prefix's wineserver only)
#   wine_env_require   for tests: fails clearly unless wine_env_up's environment is present
#   wine_path          a Unix path as a Windows path (Z: drive) for arguments to Windows programs
#   wine_env_fonts     in the current WINEPREFIX, the Windows UI font the product asks for mapped to one Wine ships
#                      (wine_env_up does it for its prefix; run.sh for its own)
#
# The base prefix comes from scripts/wine-base.sh; feeding the microphones and recording the speaker are the tests'
# business (tests/wine/wine_audio.sh).
#
# Two microphones because PulseAudio resamples when a client opens a source at another rate, and a resampled capture
# is no longer bit-exact: each recording rate gets a pipe at its own rate.

# shellcheck source=wine-base.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-base.sh"

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
    wine_env_fonts || { _wine_env_say "could not set the font replacement"; return 1; }
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

# Every Windows since Vista has Segoe UI; Wine has none, and an unknown face falls back to a much wider font, so
# captions that fit on Windows would be cut here. Tahoma, which Wine ships, is a Windows UI font of about Segoe UI's
# width (its bold, used for the semibold weight, a little wider). Set per prefix, in the user's hive: the cached base
# prefix stays as its recipe makes it.
wine_env_fonts() {
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' /t REG_SZ /d Tahoma /f >/dev/null 2>&1
}

# Wine maps Z: to the Unix root in every fresh prefix.
wine_path() {
    local p
    p=$(realpath -m "$1")
    printf 'Z:%s\n' "${p//\//\\}"
}
