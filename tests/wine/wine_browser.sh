# shellcheck shell=bash
# Wine's default browser as a logger, for tests of what the program hands the user's browser (sourced).
#
#   logging_browser_start LOG   the default browser becomes a script that appends every address it is given to LOG
#   logging_browser_stop        the prefix's own default browser again

WINE_BROWSERS_KEY='HKCU\Software\Wine\WineBrowser'

logging_browser_start() {
    local script="$1.sh"
    printf '#!/bin/sh\nprintf '"'"'%%s\\n'"'"' "$@" >>"%s"\n' "$1" >"$script"
    chmod +x "$script"
    wine reg add "$WINE_BROWSERS_KEY" /v Browsers /t REG_SZ /d "$script" /f >/dev/null 2>&1
}

logging_browser_stop() {
    wine reg delete "$WINE_BROWSERS_KEY" /v Browsers /f >/dev/null 2>&1
}
