#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest (the cross builds' emulator). Now and then wine exits at once without
# having started the program: a nonzero exit with nothing written at all, which the end-to-end driver meets too. That
# start is made once more, and said; a program that started, whatever it then did, is never run again.
#
# usage: wine-run.sh PROGRAM.exe [ARGS...]
set -u
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
rc=0
wine "$@" >"$out" 2>"$err" || rc=$?
if [ "$rc" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
    echo "wine-run: wine exited with $rc without starting $(basename "$1"): starting it again"
    rc=0
    wine "$@" >"$out" 2>"$err" || rc=$?
fi
cat "$out"
cat "$err" >&2
exit "$rc"
