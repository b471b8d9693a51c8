#!/bin/bash
# Fuzzes the look files of tilvex-cli studio and animate --look for a bounded time,
# starting from looks of every shape. Exits non-zero on any crash, sanitizer
# report or broken property.
#   run-look-fuzz.sh BIN_DIR [SECONDS]
set -euo pipefail
bin="$1"
seconds="${2:-20}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$bin/../fuzz-artifacts"

i=0
for look in '{}' '{"colormap": "magma", "gamma": 1.8}' '{"colormap": "quilt", "equalize": true}' \
            '{"gradient": ["#000000", "#ff8800", "#ffffff"], "background": "#102030", "gamma": 0.5}' \
            '{"colormap": "twilight", "background": "#ffffff", "gamma": 10, "equalize": false}' \
            '{"colormap": "magma", "denoise": "off", "oversample": 2}' '{"gamma": 1e-3}' '{"gradient": ["#000000"]}' '{"colormap": "viridis", "extra": 1}' '[]' '{"gamma": "2"}'; do
    printf '%s' "$look" > "$work/corpus/seed-$i.json"
    i=$((i + 1))
done
echo "look_fuzz: $i seed looks, ${seconds}s"

"$bin/look_fuzz" "$work/corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$bin/../fuzz-artifacts/" -print_final_stats=1 2>&1 | grep -v "# Uses:" | tail -n 12
exit "${PIPESTATUS[0]}"
