#!/usr/bin/env bash
# THE test command: installs what is missing (bootstrap), checks the formatting of the project's own C and C++ files,
# builds and tests the native preset (sanitized unit tests, crash-safety tests), builds the Windows target with clang
# as a second compiler (built, not tested), builds the Windows preset, then runs its tests under Wine (the same unit
# tests, crash safety, the real-device recording and the end-to-end tests of Notafon.exe) in a Wine environment of
# their own that is torn down afterwards. The first two stages are the fast ones: a formatting or native failure ends
# the run there, before the Windows build is started.
# Every test runs once: a test that passes only now and then is a failure to fix, not to retry.
# Exits non-zero if any step or test failed.
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT" || exit 1
START=$(date +%s)
# ctest output, kept for a look after a failure.
LOGS="$ROOT/build/test-logs"
mkdir -p "$LOGS"
FAILED_STEPS=()

elapsed() { echo "$(($(date +%s) - START)) s"; }
step() { printf '\n== %s (at %s)\n' "$*" "$(elapsed)"; }
fail_step() { FAILED_STEPS+=("$1"); printf 'test.sh: step failed: %s\n' "$1"; }

# ctest's closing line, "N% tests passed, F tests failed out of T": prints "passed failed".
ctest_counts() {
    sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$1" | tail -1 |
        awk '{ print $2 - $1, $1 }'
}

PASSED=0 FAILED=0
run_ctest() {
    local preset=$1 log="$LOGS/ctest-$1.log" counts
    # No standard input: CI has none, and no test may wait for one.
    ctest --preset "$preset" "${@:2}" </dev/null 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    counts=$(ctest_counts "$log")
    if [ -n "$counts" ]; then
        PASSED=$((PASSED + ${counts% *}))
        FAILED=$((FAILED + ${counts#* }))
    fi
    if [ "$rc" -ne 0 ] || [ -z "$counts" ]; then fail_step "ctest --preset $preset"; fi
}

summary() {
    printf '\n== done in %s\n' "$(elapsed)"
    if [ ${#FAILED_STEPS[@]} -gt 0 ]; then
        printf 'test.sh: failed: %s\n' "${FAILED_STEPS[*]}"
    fi
    echo "summary: $PASSED passed, $FAILED failed"
}

step "bootstrap"
bash "$ROOT/scripts/bootstrap.sh" || { fail_step bootstrap; exit 1; }

# The project's own C and C++ files, NUL-separated: third-party code lives under .deps and build, outside these
# folders. Outside a git checkout (an unpacked copy) every file of the folders counts.
own_sources() {
    if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git -C "$ROOT" ls-files -z --cached --others --exclude-standard -- src tests bench fuzz
    else
        find src tests bench fuzz -type f -print0
    fi | grep -zE '\.(c|cc|cpp|h|hpp)$'
}

step "format check"
if ! own_sources | xargs -0 -r clang-format --dry-run -Werror; then
    fail_step "format check"
    summary
    exit 1
fi

step "native: configure and build"
if cmake --preset native >/dev/null && cmake --build --preset native -j2; then
    step "native: tests"
    # The first failure ends the stage: the run stops within a minute instead of after every other test.
    run_ctest native -j2 --stop-on-failure
else
    fail_step "native build"
fi
if [ ${#FAILED_STEPS[@]} -gt 0 ]; then
    summary
    exit 1
fi

# A second compiler for the Windows target: clang builds the product's sources with the same warnings as errors and
# refuses some of what gcc lets through (and MSVC would refuse). Built, not run: the gcc build is the one tested.
step "windows (clang): configure and build"
if ! { cmake --preset windows-clang >/dev/null && cmake --build --preset windows-clang -j2; }; then
    fail_step "windows clang build"
fi

step "windows: configure and build"
if cmake --preset windows >/dev/null && cmake --build --preset windows -j2; then
    step "windows: tests under Wine"
    # shellcheck source=wine-env.sh
    source "$ROOT/scripts/wine-env.sh"
    if wine_env_up; then
        run_ctest windows
        wine_env_down
    else
        wine_env_down
        fail_step "Wine environment"
    fi
else
    fail_step "windows build"
fi

summary
[ ${#FAILED_STEPS[@]} -eq 0 ]
