#!/bin/bash
# Fuzzes what a gallery run reads back from its folder: index.json
# (gallery_index_fuzz) and the thumbnails (thumbnail_fuzz), each for a bounded
# time, starting from a small gallery made by tilvex-cli and the regression
# files in corpus/gallery/ (a chunk longer than its file, names outside the
# folder). Exits non-zero on any crash, sanitizer report, allocation beyond
# the limit or broken property.
#   run-gallery-fuzz.sh BIN_DIR [SECONDS_EACH] [CLI]
set -euo pipefail
bin="$1"
seconds="${2:-20}"
# The seeds need no instrumentation: any tilvex-cli of this source makes them.
cli="${3:-$bin/tilvex-cli}"
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/index" "$work/thumbnail" "$bin/../fuzz-artifacts"

"$cli" gallery --out "$work/gallery" --count 6 --seed 1 --max-iterations 20000 --thumb 24 > /dev/null
cp "$work/gallery/index.json" "$work/index/"
cp "$work/gallery"/*.png "$work/thumbnail/"
cp "$here"/corpus/gallery/*.json "$work/index/" 2>/dev/null || true
cp "$here"/corpus/gallery/*.png "$work/thumbnail/" 2>/dev/null || true

status=0
for pair in gallery_index_fuzz:index thumbnail_fuzz:thumbnail; do
    fuzzer="$bin/${pair%%:*}"
    corpus="$work/${pair##*:}"
    echo "${pair%%:*}: $(ls "$corpus" | wc -l) seed files, ${seconds}s"
    set +e
    # A file of a few kilobytes must never make the reader ask for hundreds of megabytes.
    "$fuzzer" "$corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=256 \
        -artifact_prefix="$bin/../fuzz-artifacts/" -print_final_stats=1 2>&1 | grep -v "# Uses:" | tail -n 12
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    set -e
done
exit "$status"
