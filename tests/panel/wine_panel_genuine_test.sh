#!/usr/bin/env bash
# The panel host with the genuine WebView2 loader under Wine, which has no WebView2 runtime: opening reports
# "Microsoft Edge WebView2 Runtime was not found." and leaves the embedded loader, byte for byte, in the panel folder
# of the local application data. A loader file of the same size that does not load is written anew once; a file of
# another size is written anew.
#
# usage: wine_panel_genuine_test.sh PANEL_PROBE.exe LOADER.dll NOTAFON.exe
set -uo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/panel_test_lib.sh"
wine_env_require || exit 1
PROBE=$1 LOADER=$2 APP=$3
for f in "$PROBE" "$LOADER" "$APP"; do [ -f "$f" ] || { echo "FAIL: $f is missing"; exit 1; }; done
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "== no runtime"
probe open 380 0 480 520 state
expect "open fails" "$(out open)" 0
expect "runtime error" "$(out error)" "Microsoft Edge WebView2 Runtime was not found."
expect "not created" "$(out created)" 0
DATA=$(unix_path "$(out data-folder)")
expect "data folder under local application data" "$(out data-folder | sed 's/.*\\AppData\\Local\\//')" \
    'Parlowen\Notafon'
[ -d "$DATA/handoff" ] && echo "ok: hand-off folder made" || fail "hand-off folder" "missing under $DATA"
if cmp -s "$DATA/WebView2Loader.dll" "$LOADER"; then
    echo "ok: loader file equals the embedded resource ($(stat -c %s "$LOADER") bytes)"
else
    fail "loader file" "$DATA/WebView2Loader.dll differs from $LOADER"
fi

# Resource 200 as carried by the probe that wrote the file and by Notafon.exe (built with the same loader file).
for exe in "$PROBE" "$APP"; do
    wrestool -x --raw --type=10 --name=200 "$exe" >"$WORK/resource.dll" 2>/dev/null
    if [ -s "$WORK/resource.dll" ] && cmp -s "$WORK/resource.dll" "$DATA/WebView2Loader.dll"; then
        echo "ok: the loader file equals resource 200 of $(basename "$exe")"
    else
        fail "resource 200 of $(basename "$exe")" "missing or different from the written loader file"
    fi
done

echo "== a loader file of the same size that does not load (a write cut short) is written anew once"
head -c "$(stat -c %s "$LOADER")" /dev/zero | tr '\0' 'x' >"$DATA/WebView2Loader.dll"
probe open 380 0 480 520
expect "the runtime is looked for again" "$(out error)" "Microsoft Edge WebView2 Runtime was not found."
cmp -s "$DATA/WebView2Loader.dll" "$LOADER" && echo "ok: the damaged file holds the resource again" ||
    fail "damaged loader" "not rewritten from the resource"

echo "== a loader file of another size is written anew"
printf 'short' >"$DATA/WebView2Loader.dll"
probe open 380 0 480 520
expect "runtime error again" "$(out error)" "Microsoft Edge WebView2 Runtime was not found."
cmp -s "$DATA/WebView2Loader.dll" "$LOADER" && echo "ok: rewritten from the resource" ||
    fail "rewritten loader" "differs from $LOADER"

echo "failures: $FAILURES"
[ "$FAILURES" -eq 0 ]
