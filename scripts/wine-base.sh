# shellcheck shell=bash
# The cached base Wine prefix under .deps/wine-base, sourced by scripts/wine-env.sh and scripts/run.sh (sourcing it
# only defines variables and functions).
#
#   wine_env_base      builds the base once; rebuilt when missing, incomplete, or made by another Wine version
#
# Every run copies it (hard links) instead of booting a prefix of its own, which takes about ten seconds.

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
