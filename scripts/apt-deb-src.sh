#!/usr/bin/env bash
# Prints the deb-src entries (deb822 format) that mirror this machine's own apt sources: for every enabled `deb`
# entry that carries the release's own suite, the same addresses, suites, components and keyring, so shine's source
# package comes from whatever mirror the machine is set up with. Reads both formats apt reads: one-line `.list`
# files and deb822 `.sources` files. Entries of other suites (third-party repositories, which often publish no
# sources) are left out. Prints nothing when no entry fits.
#
# usage: apt-deb-src.sh [APT_DIR [CODENAME]]   (default /etc/apt and VERSION_CODENAME from /etc/os-release)
set -euo pipefail

APT_DIR=${1:-/etc/apt}
CODENAME=${2:-}
if [ -z "$CODENAME" ]; then
    # shellcheck disable=SC1091
    CODENAME=$(. /etc/os-release && printf '%s' "${VERSION_CODENAME:-}")
fi
[ -n "$CODENAME" ] || { echo "apt-deb-src: the release's codename is unknown" >&2; exit 1; }

files=()
[ -f "$APT_DIR/sources.list" ] && files+=("$APT_DIR/sources.list")
for f in "$APT_DIR"/sources.list.d/*.list "$APT_DIR"/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
done
[ ${#files[@]} -gt 0 ] || exit 0

# One stanza out per entry in; the same entry in two files is written once.
awk -v codename="$CODENAME" '
function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
function has_word(list, word,    n, i, w) {
    n = split(list, w, /[ \t]+/)
    for (i = 1; i <= n; ++i) if (w[i] == word) return 1
    return 0
}
function emit(uris, suites, components, signed,    s) {
    if (uris == "" || suites == "" || !has_word(suites, codename)) return
    s = "Types: deb-src\nURIs: " uris "\nSuites: " suites "\n"
    if (components != "") s = s "Components: " components "\n"
    if (signed != "") s = s "Signed-By:" (signed ~ /^\n/ ? "" : " ") signed "\n"
    if (s in seen) return
    seen[s] = 1
    printf "%s%s", (count++ ? "\n" : ""), s
}
# deb822: stanzas split by empty lines, "Field: value", continuation lines start with white space.
function stanza_begin() { delete field; last = "" }
function stanza_end() {
    if (("types" in field) && has_word(field["types"], "deb") && tolower(field["enabled"]) != "no")
        emit(field["uris"], field["suites"], field["components"], field["signed-by"])
    stanza_begin()
}
FNR == 1 { if (deb822) stanza_end(); deb822 = FILENAME ~ /\.sources$/; stanza_begin() }
deb822 {
    if ($0 ~ /^#/) next
    if ($0 ~ /^[ \t]*$/) { stanza_end(); next }
    if ($0 ~ /^[ \t]/) { if (last != "") field[last] = field[last] "\n" $0; next }
    i = index($0, ":")
    if (!i) next
    last = tolower(trim(substr($0, 1, i - 1)))
    field[last] = trim(substr($0, i + 1))
    next
}
# One-line format: deb [option=value ...] URI SUITE [COMPONENT...]
{
    line = $0
    sub(/#.*/, "", line)
    line = trim(line)
    if (line !~ /^deb[ \t]/) next
    line = trim(substr(line, 4))
    signed = ""
    if (substr(line, 1, 1) == "[") {
        close_at = index(line, "]")
        if (!close_at) next
        n = split(substr(line, 2, close_at - 2), opts, /[ \t]+/)
        for (i = 1; i <= n; ++i) if (opts[i] ~ /^signed-by=/) signed = substr(opts[i], 11)
        line = trim(substr(line, close_at + 1))
    }
    n = split(line, w, /[ \t]+/)
    if (n < 2) next
    components = ""
    for (i = 3; i <= n; ++i) components = components (i > 3 ? " " : "") w[i]
    emit(w[1], w[2], components, signed)
}
END { if (deb822) stanza_end() }
' "${files[@]}"
