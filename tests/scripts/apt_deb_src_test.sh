#!/usr/bin/env bash
# scripts/apt-deb-src.sh on made-up apt configurations: the deb-src entries it derives must carry the addresses,
# suites, components and keyrings of the release's own deb entries, from both source formats, and nothing else.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
DERIVE="$HERE/../../scripts/apt-deb-src.sh"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failed=0

check() {
    local name=$1 dir=$2 want=$3 got
    got=$(bash "$DERIVE" "$dir" bookworm)
    if [ "$got" = "$want" ]; then
        echo "ok: $name"
    else
        printf 'FAIL: %s\n--- got:\n%s\n--- expected:\n%s\n' "$name" "$got" "$want"
        failed=1
    fi
}

# deb822: a mirror with two suites, the security archive, a third-party repository, a disabled entry, a deb-src
# entry and an inline key, which keeps its continuation lines.
mkdir -p "$WORK/a/sources.list.d"
cat >"$WORK/a/sources.list.d/debian.sources" <<'EOT'
# the machine's mirror
Types: deb
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://mirror.example/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb deb-src
URIs: http://other.example/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb-src
URIs: http://sources-only.example/debian
Suites: bookworm
Components: main
EOT
cat >"$WORK/a/sources.list.d/vendor.sources" <<'EOT'
Types: deb
URIs: https://vendor.example/apt
Suites: nodistro
Components: main
Signed-By: /usr/share/keyrings/vendor.gpg

Types: deb
URIs: http://inline.example/debian
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL
 -----END PGP PUBLIC KEY BLOCK-----
EOT
check "deb822 sources" "$WORK/a" "Types: deb-src
URIs: http://mirror.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://inline.example/debian
Suites: bookworm
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL
 -----END PGP PUBLIC KEY BLOCK-----"

# One-line format: options in brackets, comments, deb-src lines and another release are passed over; a repeated
# entry is written once; files that apt does not read are not read either.
mkdir -p "$WORK/b/sources.list.d"
cat >"$WORK/b/sources.list" <<'EOT'
# deb http://commented.example/debian bookworm main
deb [arch=amd64 signed-by=/etc/apt/keyrings/mirror.gpg] http://mirror.example/debian bookworm main non-free-firmware
deb-src http://mirror.example/debian bookworm main
deb http://old.example/debian bullseye main
deb http://plain.example/debian bookworm main # a trailing comment
EOT
cat >"$WORK/b/sources.list.d/again.list" <<'EOT'
deb [arch=amd64 signed-by=/etc/apt/keyrings/mirror.gpg] http://mirror.example/debian bookworm main non-free-firmware
EOT
echo "deb http://disabled.example/debian bookworm main" >"$WORK/b/sources.list.d/off.list.disabled"
check "one-line sources" "$WORK/b" "Types: deb-src
URIs: http://mirror.example/debian
Suites: bookworm
Components: main non-free-firmware
Signed-By: /etc/apt/keyrings/mirror.gpg

Types: deb-src
URIs: http://plain.example/debian
Suites: bookworm
Components: main"

mkdir -p "$WORK/c/sources.list.d"
echo "deb http://old.example/debian bullseye main" >"$WORK/c/sources.list.d/old.list"
check "no entry of this release" "$WORK/c" ""

[ $failed -eq 0 ] && echo PASS || { echo "FAIL: apt_deb_src_test"; exit 1; }
