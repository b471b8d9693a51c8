#!/bin/bash
# Fuzzes session loading and everything after it for a bounded time, starting
# from real sessions of every kind saved by tilvex-cli, the committed samples
# and the regression files in corpus/. Exits non-zero on any crash, sanitizer
# report or broken property.
#   run-session-fuzz.sh BIN_DIR [SECONDS] [CLI]
set -euo pipefail
bin="$1"
seconds="${2:-60}"
# The seeds need no instrumentation: any tilvex-cli of this source makes them.
cli="${3:-$bin/tilvex-cli}"
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$bin/../fuzz-artifacts"

seed=1
for kind in square hex 4-6-12 4-8-8 3-12-12 wild-corner; do
    for grid in 20 33; do
        "$cli" render --seed $seed --kind "$kind" --grid $grid --max-iterations 20000 \
            --save "$work/corpus/$kind-$grid.qlt" > /dev/null
        seed=$((seed + 1))
    done
done
"$cli" render --seed 7 --kind hex --knot --grid 24 --max-iterations 20000 --save "$work/corpus/knot.qlt" > /dev/null
"$cli" render --seed 8 --kind square --detailed --depth 4 --grid 21 --max-iterations 20000 \
    --save "$work/corpus/detailed.qlt" > /dev/null
"$cli" render --seed 9 --kind wild-corner --corner 42 --grid 20 --max-iterations 20000 \
    --save "$work/corpus/corner42.qlt" > /dev/null
cp "$here"/../tests/data/*.qlt "$work/corpus/" 2>/dev/null || true
# Files that once crashed or stalled a program: a name that is not UTF-8,
# counters at the top of int, a negative iteration count, values that are not
# finite, a tile of no width and a billion rows.
cp "$here"/corpus/*.qlt "$work/corpus/"
echo "session_fuzz: $(ls "$work/corpus" | wc -l) seed sessions, ${seconds}s"

# New inputs go to the temporary corpus; crash inputs are kept for a rerun.
"$bin/session_fuzz" "$work/corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$bin/../fuzz-artifacts/" -print_final_stats=1 2>&1 | grep -v "# Uses:" | tail -n 25
exit "${PIPESTATUS[0]}"
