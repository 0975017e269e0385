#!/usr/bin/env bash
# Builds what a Windows user downloads from a built Notafon.exe: the per-user installer (makensis) and the portable
# zip (Notafon.exe and README.txt), then SHA256SUMS over both. Run by the dist target of the Windows build
# (scripts/package.sh); the version comes from the CMake project.
#
# usage: make_dist.sh NOTAFON.exe VERSION ICON.ico OUT_DIR
set -euo pipefail

[ $# -eq 4 ] || { echo "usage: $0 NOTAFON.exe VERSION ICON.ico OUT_DIR" >&2; exit 2; }
EXE=$1 VERSION=$2 ICON=$3 OUT=$4
HERE=$(cd "$(dirname "$0")" && pwd)
for f in "$EXE" "$ICON"; do [ -f "$f" ] || { echo "make_dist: $f is missing" >&2; exit 1; }; done
[[ "$VERSION" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "make_dist: version '$VERSION' is not N.N.N.N" >&2; exit 1; }

SETUP="Notafon-$VERSION-setup.exe"
ZIP="Notafon-$VERSION-portable.zip"
mkdir -p "$OUT"
STAGE=$(mktemp -d "$OUT/.stage.XXXXXX")
trap 'rm -rf "$STAGE"' EXIT

# makensis reads the script's relative paths from the working folder: absolute ones only.
makensis -V2 -NOCD "-DVERSION=$VERSION" "-DEXE=$(realpath "$EXE")" "-DICON=$(realpath "$ICON")" \
    "-DOUTFILE=$STAGE/$SETUP" "$HERE/notafon.nsi"

# The read-me with Windows line ends, so every editor shows its lines; the entries dated like the executable, so
# the same build gives the same zip.
sed -e "s/@VERSION@/$VERSION/g" -e 's/$/\r/' "$HERE/readme-portable.txt" >"$STAGE/README.txt"
python3 - "$STAGE/$ZIP" "$EXE" "$STAGE/README.txt" <<'EOF_PY'
import os, sys, time, zipfile
out, exe, readme = sys.argv[1:]
stamp = time.gmtime(os.stat(exe).st_mtime)[:6]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for path, name in ((exe, "Notafon.exe"), (readme, "README.txt")):
        info = zipfile.ZipInfo(name, date_time=max(stamp, (1980, 1, 1, 0, 0, 0)))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(path, "rb") as f:
            z.writestr(info, f.read())
EOF_PY

(cd "$STAGE" && sha256sum "$SETUP" "$ZIP" >SHA256SUMS)
# The old outputs go only once all new ones exist, so a failed run leaves the last good set.
rm -f "$OUT"/Notafon-*-setup.exe "$OUT"/Notafon-*-portable.zip
mv "$STAGE/$SETUP" "$STAGE/$ZIP" "$STAGE/SHA256SUMS" "$OUT/"
echo "make_dist: $OUT"
(cd "$OUT" && ls -l "$SETUP" "$ZIP" && cat SHA256SUMS)
