#!/bin/bash
# Fuzzes reading studio pictures (their note and session) for a bounded
# time, starting from pictures tilvex-cli writes (look files: run-look-fuzz.sh).
# Exits non-zero on any crash, sanitizer report or broken property.
#   run-picture-fuzz.sh BIN_DIR [SECONDS] [CLI]
set -euo pipefail
bin="$1"
seconds="${2:-30}"
# The seeds need no instrumentation: any tilvex-cli of this source makes them.
cli="${3:-$bin/tilvex-cli}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pictures" "$bin/../fuzz-artifacts"

seed=1
for kind in square hex 4-6-12; do
    "$cli" studio --seed $seed --kind "$kind" --grid 24 --max-iterations 20000 --size 24 --spp 1 \
        --png "$work/pictures/$kind.png" --exr "$work/pictures/$kind.exr" \
        --color-by blend --exposure 1.5 > /dev/null
    seed=$((seed + 1))
done
for target in picture:pictures; do
    name=${target%%:*}
    corpus="$work/${target##*:}"
    echo "${name}_fuzz: $(ls "$corpus" | wc -l) seeds, ${seconds}s"
    "$bin/${name}_fuzz" "$corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
        -artifact_prefix="$bin/../fuzz-artifacts/" -print_final_stats=1 2>&1 | grep -v "# Uses:" | tail -n 8
    [ "${PIPESTATUS[0]}" -eq 0 ] || exit 1
done
