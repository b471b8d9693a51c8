#!/usr/bin/env bash
# Redraws the committed PNG icons from tilvex.svg (after editing it).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" tilvex.svg -o "tilvex-$size.png"
done
