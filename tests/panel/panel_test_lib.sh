# shellcheck shell=bash
# Shared by the panel's Wine tests (sourced): runs panel_probe and checks what it printed and what the WebView2 test
# double logged.
#   probe STEP...          runs the probe; its output is in $PROBE_OUT, printed indented
#   out KEY                the last value of "KEY: value" in $PROBE_OUT
#   expect NAME GOT WANT / expect_line NAME FILE LINE / expect_no_line NAME FILE REGEX / fail NAME WHY
#   unix_path WINPATH      a Windows path of the prefix as a Unix path
# Needs the environment of scripts/wine-env.sh (wine_env_up); scripts/test.sh provides it.

PANEL_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/wine-env.sh
source "$PANEL_HERE/../../scripts/wine-env.sh"
# shellcheck source=../wine/wine_browser.sh
source "$PANEL_HERE/../wine/wine_browser.sh"
FAILURES=0

fail() {
    printf 'FAIL: %s: %s\n' "$1" "$2"
    FAILURES=$((FAILURES + 1))
}

expect() {
    if [ "$2" = "$3" ]; then printf 'ok: %s\n' "$1"; else fail "$1" "got '$2', want '$3'"; fi
}

expect_line() {
    if grep -qxF -- "$3" "$2"; then printf 'ok: %s\n' "$1"; else fail "$1" "no line '$3' in $(basename "$2")"; fi
}

expect_no_line() {
    if grep -qE -- "$3" "$2"; then fail "$1" "found $(grep -E -- "$3" "$2" | head -1)"; else printf 'ok: %s\n' "$1"; fi
}

probe() {
    PROBE_OUT=$(wine "$PROBE" "$@" 2>&1 | tr -d '\r')
    printf '%s\n' "$PROBE_OUT" | sed 's/^/    /'
}

out() { printf '%s\n' "$PROBE_OUT" | sed -n "s/^$1: //p" | tail -1; }

unix_path() { winepath -u "$1" 2>/dev/null | sed 's:/$::'; }

# The line number of the first line equal to TEXT in FILE (0 when absent), for order checks.
line_of() {
    local n
    n=$(grep -nxF -- "$2" "$1" | head -1 | cut -d: -f1)
    echo "${n:-0}"
}
