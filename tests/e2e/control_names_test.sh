#!/usr/bin/env bash
# The end-to-end driver, its scripts, the screenshot script and the window benchmark name controls as the control
# list (ui/control_list.h) does: the driver builds its name table from the list, every name a script uses is a key
# of the list, and no script hands the driver a raw number for a control.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
LIST="$HERE/../../src/ui/control_list.h"
DRIVER="$HERE/driver_win.cpp"
failed=0

# The second argument of every X(...) and S(...) row.
declared=$(sed -n 's/^ *[XS]([A-Za-z0-9]*, *\(k[A-Za-z0-9]*\),.*/\1/p' "$LIST" | sort -u)
[ -n "$declared" ] || { echo "FAIL: no controls found in $LIST"; exit 1; }
if ! grep -q '^ *NOTAFON_CONTROLS(CONTROL, CONTROL)' "$DRIVER"; then
    echo "FAIL: the driver's name table is not made from the control list"
    failed=1
fi

scripts=("$HERE"/e2e_*.sh "$HERE/../../scripts/screenshots.sh" "$HERE/../../bench/window_cpu.sh"
    "$HERE/../../bench/panel_open.sh")
used=$(grep -oh '\bkId[A-Za-z0-9]*' "${scripts[@]}" | sort -u)
unknown=$(comm -13 <(echo "$declared") <(echo "$used"))
if [ -n "$unknown" ]; then
    echo "FAIL: the scripts name controls the list does not declare: $(echo $unknown)"
    failed=1
fi

steps='click|timedclick|postclick|queueclick|check|select|settext|slider|text|enabled|checked|cursel|sliderpos|center|waittext|waitprefix|rect|pixels|wheel|focus|vscroll'
raw=$(grep -nE "\\b($steps|waitfor [a-z]+) [0-9]{3,}\\b" "${scripts[@]}" || true)
if [ -n "$raw" ]; then
    printf 'FAIL: a control given by number:\n%s\n' "$raw"
    failed=1
fi

[ $failed -eq 0 ] || exit 1
echo "PASS: $(echo "$declared" | wc -l) controls, $(echo "$used" | wc -l) of them used by the scripts"
