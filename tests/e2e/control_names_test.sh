#!/usr/bin/env bash
# The end-to-end driver, its scripts, the screenshot script and the window benchmark name controls as
# ui/control_ids.h does: the driver's table holds every identifier of the header (the compiler checks the names it
# holds; this checks that none is missing), every name a script uses is in the header, and no script hands the
# driver a raw number for a control.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
HEADER="$HERE/../../src/ui/control_ids.h"
DRIVER="$HERE/driver_win.cpp"
failed=0

declared=$(sed -n 's/^ *\(kId[A-Za-z0-9]*\) *=.*/\1/p' "$HEADER" | sort -u)
tabled=$(sed -n 's/^ *CONTROL(\(kId[A-Za-z0-9]*\)),.*/\1/p' "$DRIVER" | sort -u)
[ -n "$declared" ] || { echo "FAIL: no identifiers found in $HEADER"; exit 1; }
missing=$(comm -23 <(echo "$declared") <(echo "$tabled"))
if [ -n "$missing" ]; then
    echo "FAIL: the driver's table lacks: $(echo $missing)"
    failed=1
fi

scripts=("$HERE"/e2e_*.sh "$HERE/../../scripts/screenshots.sh" "$HERE/../../bench/window_cpu.sh"
    "$HERE/../../bench/panel_open.sh")
used=$(grep -oh '\bkId[A-Za-z0-9]*' "${scripts[@]}" | sort -u)
unknown=$(comm -13 <(echo "$declared") <(echo "$used"))
if [ -n "$unknown" ]; then
    echo "FAIL: the scripts name controls the header does not declare: $(echo $unknown)"
    failed=1
fi

steps='click|timedclick|postclick|check|select|settext|slider|text|enabled|checked|cursel|sliderpos|center|waittext|waitprefix|rect|pixels|wheel|vscroll'
raw=$(grep -nE "\\b($steps|waitfor [a-z]+) [0-9]{3,}\\b" "${scripts[@]}" || true)
if [ -n "$raw" ]; then
    printf 'FAIL: a control given by number:\n%s\n' "$raw"
    failed=1
fi

[ $failed -eq 0 ] || exit 1
echo "PASS: $(echo "$declared" | wc -l) identifiers, $(echo "$used" | wc -l) of them used by the scripts"
