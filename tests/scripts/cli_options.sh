#!/usr/bin/env bash
# tilvex-cli: refused options exit 2 with a message; a run reports its state;
# the palette choices change the exported colours and nothing else.
set -u
bin=$1
cli="$bin/tilvex-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for args in "--grid 10" "--grid 601" "--kind octagon" "--depth 9" "--knot" "--corner 2 --kind wild-corner" \
            "--period 0" "--palette pastel" "--palette cycle:1,2:3,4,5:6" "--palette cycle:0,0,0:255,255,255:129" \
            "--bogus" "--max-iterations 0" "--max-iterations 1000000001" "--max-iterations 2147483647" \
            "--seed nan" "--seed inf" "--seed 1e308" "--seed -1" "--seed 2.5"; do
    # shellcheck disable=SC2086
    "$cli" render $args > "$work/out" 2> "$work/err"
    code=$?
    [ "$code" -eq 2 ] || fail "render $args exited $code, not 2"
    [ -s "$work/err" ] || fail "render $args said nothing on stderr"
    [ -s "$work/out" ] && fail "render $args printed a result"
done
grep -q "between 0 and 4294967295" <("$cli" render --seed nan 2>&1) || fail "--seed nan does not name the range"

json=$("$cli" render --seed 7 --max-iterations 120000) || fail "render --seed 7 failed"
echo "$json" | grep -q '"iterationCount": 120001' || fail "iterationCount is not maxIterations + 1: $json"
echo "$json" | grep -q '"limitReached": true' || fail "limit not reached: $json"

# Same seed, same quilt: the palettes differ only in colour, never in the picture's structure.
for p in start random density cycle:0,0,40:255,220,120:2; do
    "$cli" render --seed 3 --max-iterations 150000 --palette "$p" --bmp "$work/$p.bmp" > /dev/null || fail "--palette $p"
done
cmp -s "$work/start.bmp" "$work/density.bmp" && fail "density palette changed nothing"
python3=/usr/bin/python3
[ -x "$python3" ] || python3=python3
"$python3" - "$work" << 'PY' || fail "palettes changed the picture's indices"
import sys
from PIL import Image
d = sys.argv[1]
names = ["start", "random", "density", "cycle:0,0,40:255,220,120:2"]
pixels = [list(Image.open(f"{d}/{n}.bmp").getdata()) for n in names]
sys.exit(0 if all(p == pixels[0] for p in pixels) else 1)
PY

"$cli" info "$work/none.qlt" > /dev/null 2>&1 && fail "info on a missing file succeeded"

[ "$failures" -eq 0 ] && echo "PASS: command-line options" && exit 0
exit 1
