#!/usr/bin/env bash
# Notafon.exe end to end under Wine with its genuine WebView2 loader and no WebView2 runtime (Wine has none):
# "Transcribe on Parlowen" writes the embedded loader to the panel folder, finds no runtime, says so in a message box
# and opens the service's fallback address in the default browser; the window is back in its recorder-only layout.
#
# usage: e2e_panel_fallback_test.sh NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS SERVICE_ADDRESS
set -uo pipefail

source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
SERVICE=$5
e2e_setup "$1" "$2" "$3" "$4"

fallback_cleanup() {
    logging_browser_stop
    e2e_cleanup
}
trap fallback_cleanup EXIT

logging_browser_start "$WORK/browser.log"

section "Transcribe on Parlowen without a runtime"
fresh_settings "$REC"
app_start
if win postclick kIdTranscribe dialog 20000 1; then
    TEXT=$(out 'dialog text')
    expect_match "the reason first" "$TEXT" '^Microsoft Edge WebView2 Runtime was not found\.'
    expect_match "then the explanation" "$TEXT" \
        '\\r\\n\\r\\nNotafon needs the free Microsoft Edge WebView2 Runtime for its built-in panel \(Windows 11 and up-to-date Windows 10 already have it\)\. For now Parlowen will open in your normal browser instead\.$'
else
    fail "fallback" "no message box"
fi
for _ in $(seq 100); do [ -s "$WORK/browser.log" ] && break; sleep 0.1; done
expect "the fallback address in the browser" "$(cat "$WORK/browser.log" 2>/dev/null)" "$SERVICE/?utm_source=notafon"
win nodialog 5000 idle 5000 rect kIdPanelStrip rect kIdRecord winrect
expect "no panel strip" "$(out 'rect kIdPanelStrip' | awk '{ print $5 }')" 0
expect "the recorder shown" "$(out 'rect kIdRecord' | awk '{ print $5 }')" 1
expect "the window as wide as its column" "$(out client | awk '{ print $1 }')" 380

section "the loader written to the panel folder is the embedded one"
LOADER="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/Parlowen/Notafon/WebView2Loader.dll"
[ -f "$LOADER" ] || LOADER=$(find "$WINEPREFIX/drive_c/users" -path '*Parlowen/Notafon/WebView2Loader.dll' | head -1)
wrestool -x --raw --type=10 --name=200 "$APP" >"$WORK/resource.dll"
if [ -s "$WORK/resource.dll" ] && cmp -s "$LOADER" "$WORK/resource.dll"; then
    echo "ok: the loader file equals resource 200"
else
    fail "loader" "the panel folder's WebView2Loader.dll differs from resource 200 (or is missing)"
fi
app_close
e2e_finish
