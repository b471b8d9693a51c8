#!/usr/bin/env bash
# Starts the desktop program; without a display (or before it is built),
# renders a default quilt with the command-line program instead.
set -euo pipefail
bin=$1
out=$2
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/tilvex" ]; then
    exec "$bin/tilvex"
fi
mkdir -p "$out"
"$bin/tilvex-cli" render --seed 7 --period 2 --palette density --bmp "$out/quilt.bmp" --png "$out/quilt.png" > "$out/quilt.json" || \
    "$bin/tilvex-cli" render --seed 7 > "$out/quilt.json"
echo "No display: rendered a default quilt with tilvex-cli."
echo "State: $out/quilt.json"
for f in "$out"/quilt.bmp "$out"/quilt.png; do [ -f "$f" ] && echo "Image: $f"; done
exit 0
