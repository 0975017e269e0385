#!/usr/bin/env bash
# Fuzzes the player's decoder chain (WAV reader, MP3 path, decoder choice, two-thread MP3 decode) with libFuzzer
# under ASan and UBSan, built by the fuzz preset (clang, NOTAFON_FUZZ) from the product's own source lists. Usage:
#   scripts/fuzz.sh [--seconds N] [--jobs N]      (default 600 s, 1 job)
# It starts from the kept corpus fuzz/decoder_corpus/ (seeds from fuzz/make_seeds.sh, and inputs that once failed);
# what it finds grows in build/fuzz/corpus, and crash inputs land in build/fuzz/crashes. Once a crash is fixed, keep
# its input in fuzz/decoder_corpus/: the native tests replay every file there (CTest fuzz_decoder_corpus).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/build/fuzz"
seconds=600
jobs=1
usage() { echo "usage: $0 [--seconds N] [--jobs N]" >&2; exit 2; }
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) [ $# -ge 2 ] || usage; seconds=$2; shift 2 ;;
        --jobs) [ $# -ge 2 ] || usage; jobs=$2; shift 2 ;;
        *) usage ;;
    esac
done

"$ROOT/scripts/bootstrap.sh" >&2
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target notafon_decoder_fuzz
mkdir -p "$OUT/corpus" "$OUT/crashes"

cd "$OUT"
# -max_len covers a few seconds of MP3 or WAV; the two-thread path needs at least a few dozen frames.
"$OUT/fuzz/notafon_decoder_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=4096 \
    -jobs="$jobs" -workers="$jobs" -artifact_prefix="$OUT/crashes/" -print_final_stats=1 "$OUT/corpus" \
    "$ROOT/fuzz/decoder_corpus"
