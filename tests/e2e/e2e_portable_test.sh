#!/usr/bin/env bash
# The portable zip under Wine: SHA256SUMS matches the downloads, the zip holds exactly Notafon.exe (byte for byte the
# build's) and README.txt, and the unpacked Notafon.exe starts from a folder whose path has spaces and non-ASCII
# characters, started the way the shell starts it, and also where Media Foundation is missing.
#
# usage: e2e_portable_test.sh ZIP VERSION NOTAFON.exe DRIVER.exe NATIVE_BUILD ARTIFACTS
set -uo pipefail

ZIP=$1 VERSION=$2
shift 2
source "$(cd "$(dirname "$0")" && pwd)/e2e_lib.sh"
e2e_setup "$@"
BUILT=$APP
[ -f "$ZIP" ] || { echo "FAIL: $ZIP is missing (build the dist target)"; exit 1; }

section "download sums and contents"
DIST=$(dirname "$ZIP")
if (cd "$DIST" && sha256sum -c SHA256SUMS); then echo "ok: SHA256SUMS matches"; else
    fail "sums" "SHA256SUMS does not match the files in $DIST"
fi
expect "zip name" "$(basename "$ZIP")" "Notafon-$VERSION-portable.zip"
# A folder with spaces, accented Latin, Greek and Japanese: é ü ω 録音.
FOLDER_NAME=$'USB stick \u00e9\u00fc \u03c9 \u9332\u97f3'
FOLDER="$WORK/$FOLDER_NAME/Notafon $VERSION"
mkdir -p "$FOLDER"
python3 - "$ZIP" "$FOLDER" <<'EOF_PY' >"$WORK/entries.txt"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    if z.testzip() is not None:
        sys.exit("a damaged entry")
    print(" ".join(sorted(z.namelist())))
    z.extractall(sys.argv[2])
EOF_PY
expect "zip entries" "$(cat "$WORK/entries.txt")" "Notafon.exe README.txt"
if cmp -s "$BUILT" "$FOLDER/Notafon.exe"; then echo "ok: the zip's Notafon.exe is the build's, byte for byte"; else
    fail "zip" "its Notafon.exe differs from the build's"
fi
README="$FOLDER/README.txt"
grep -q "^Notafon $VERSION (portable)"$'\r'"\$" "$README" || fail "read-me" "no first line with the version and CRLF"
grep -q 'HKEY_CURRENT_USER\\Software\\Parlowen\\Recorder' "$README" || fail "read-me" "does not name the settings key"
grep -q 'WebView2' "$README" || fail "read-me" "does not name the WebView2 runtime"

section "start from a folder with spaces and non-ASCII characters"
fresh_settings "$WORK"
# The driver starts it from a UTF-16 path, as the shell would; the escapes keep the path independent of the locale
# Wine converts command lines with.
WIN_EXE=$(wine_path "$FOLDER/Notafon.exe")
ESCAPED=$(python3 -c 'import sys; print("".join(c if ord(c) < 128 else "\\u%04x" % ord(c) for c in sys.argv[1]))' \
    "$WIN_EXE")
drv launch "$ESCAPED" || fail "launch" "the driver could not start it"
if drv find PRLWRecorder 30000 image text kIdStatus; then
    expect "the running executable" "$(out image)" "$WIN_EXE"
    expect "status at start" "$(out 'text kIdStatus')" "Ready to record  (Ctrl+Shift+R)"
    if win close 20000; then
        expect "exit code after closing" "$(out exit)" 0
    else
        fail "close" "the window did not close"
    fi
else
    fail "start" "no Notafon window from $WIN_EXE"
    wine "$DRIVER" find PRLWRecorder 1000 terminate >/dev/null 2>&1
fi

section "start where Media Foundation is missing"
# Some Windows editions come without it; only playing the files it decodes needs it, so the program must start.
if WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mfplat=d;mfreadwrite=d" drv launch "$ESCAPED" &&
    drv find PRLWRecorder 30000 text kIdStatus; then
    expect "status at start without Media Foundation" "$(out 'text kIdStatus')" "Ready to record  (Ctrl+Shift+R)"
    win close 20000 || fail "close" "the window did not close"
else
    fail "start" "no Notafon window without Media Foundation"
    wine "$DRIVER" find PRLWRecorder 1000 terminate >/dev/null 2>&1
fi
e2e_finish
