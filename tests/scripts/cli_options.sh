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

# Every command: what would be accepted and ignored is refused. One case a line, fields split at "|",
# '' an empty value, then after "=>" a part of the message.
x="$work/x.png"
while IFS= read -r line; do
    said=${line##*=> }
    IFS='|' read -r -a args <<< "${line% =>*}"
    for i in "${!args[@]}"; do [ "${args[$i]}" = "''" ] && args[$i]=""; done
    timeout 20 "$cli" "${args[@]}" > "$work/out" 2> "$work/err"
    code=$?
    [ "$code" -eq 2 ] || fail "${args[*]} exited $code, not 2"
    grep -qF -- "$said" "$work/err" || fail "${args[*]} did not say '$said': $(cat "$work/err")"
    [ -s "$work/out" ] && fail "${args[*]} printed a result"
    [ -e "$x" ] && fail "${args[*]} wrote a picture"
    rm -f "$x"
done << CASES
studio|--gradient|''|--png|$x => --gradient: needs a value
studio|--gradient|#000000,#ffffff|--colormap|magma|--png|$x => excludes
studio|--gradient|#ff0000,,#00ff00|--png|$x => colour 2 is missing
studio|--threads|''|--png|$x => --threads: needs a value
render|--max-iterations|'' => --max-iterations: needs a value
render|--seed|'' => --seed: needs a value
gallery|--out|$work/g|--seed|'' => --seed: needs a value
studio|--studio-seed|-1|--png|$x => between 0 and 18446744073709551615
studio|--studio-seed|18446744073709551616|--png|$x => between 0 and 18446744073709551615
render|--kind|4-8-8|--detailed => --detailed needs --kind square or hex
studio|--depth|5|--png|$x => --depth needs --detailed
render|--kind|Hex => square, hex, 4-6-12, 4-8-8, 3-12-12, wild-corner
gallery|--out|$work/g|--kind|Hex => any, square, hex
CASES
[ -e "$work/g" ] && fail "a refused gallery made its folder"
# A FIFO or device to load is refused at once, not waited on.
mkfifo "$work/fifo.qlt"
for file in "$work/fifo.qlt" /dev/zero; do
    timeout 20 "$cli" studio --load "$file" --png "$x" > /dev/null 2> "$work/err"
    [ $? -eq 1 ] && grep -q "not a regular file" "$work/err" || fail "--load $file: $(cat "$work/err")"
done
# With --load, --seed seeds what is drawn after loading: here the random palette.
"$cli" render --seed 3 --max-iterations 30000 --save "$work/s.qlt" > /dev/null
for s in 5 6; do "$cli" render --load "$work/s.qlt" --seed $s --palette random --bmp "$work/l$s.bmp" > "$work/l$s.json"; done
grep -q '"seed": 5,' "$work/l5.json" || fail "render --load --seed 5 does not report seed 5"
cmp -s "$work/l5.bmp" "$work/l6.bmp" && fail "--seed with --load changed nothing"
# Without --seed the seed drawn is reported, and makes the same quilt again.
json=$("$cli" render --max-iterations 30000 --bmp "$work/drawn.bmp")
seed=$(echo "$json" | python3 -c 'import json, sys; print(json.load(sys.stdin)["seed"])')
"$cli" render --seed "$seed" --max-iterations 30000 --bmp "$work/again.bmp" > /dev/null
cmp -s "$work/drawn.bmp" "$work/again.bmp" || fail "the seed reported ($seed) does not make the quilt again"

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
