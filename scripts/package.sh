#!/usr/bin/env bash
# Sets up (scripts/bootstrap.sh), builds the Windows preset and makes what a Windows user downloads, in build/dist/:
#   Notafon-VERSION-setup.exe     per-user installer (no administrator rights; the program, a Start menu shortcut
#                                 and an entry in the list of installed programs; its uninstaller keeps the user's
#                                 recordings and settings)
#   Notafon-VERSION-portable.zip  Notafon.exe and README.txt, to run from any folder
#   SHA256SUMS                    the sums of both
# VERSION is the CMake project version. The installer is made by makensis (packaging/notafon.nsi).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
bash "$ROOT/scripts/bootstrap.sh"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target dist
