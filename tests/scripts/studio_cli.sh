#!/usr/bin/env bash
# tilvex-cli studio: refusals name what is accepted, failed writes leave no
# file, and a render reports itself and leaves the exact quilt as render makes it.
set -u
bin=$1
cli="$bin/tilvex-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
quick="--seed 7 --max-iterations 60000 --size 64 --spp 2"

for args in "--colormap jet" "--gradient #000000" "--gradient #000000,#GG0000" "--size 8" "--spp 0" \
            "--gamma 0" "--period 0" "--threads -1" "--background red" "--kind octagon" "--simd sse" "--precision rough"; do
    # shellcheck disable=SC2086
    "$cli" studio $quick $args --png "$work/x.png" > "$work/out" 2> "$work/err"
    code=$?
    [ "$code" -eq 2 ] || fail "studio $args exited $code, not 2"
    [ -s "$work/err" ] || fail "studio $args said nothing on stderr"
    [ -e "$work/x.png" ] && fail "studio $args wrote an image"
done
"$cli" studio $quick --colormap jet --png "$work/x.png" 2> "$work/err"
grep -q "viridis, magma, inferno, plasma, cividis, twilight, gray, quilt" "$work/err" || fail "colour maps not listed: $(cat "$work/err")"
"$cli" studio $quick --simd sse --png "$work/x.png" 2> "$work/err"
grep -q "auto, avx512, avx2, scalar" "$work/err" || fail "vector paths not listed: $(cat "$work/err")"
"$cli" studio $quick > /dev/null 2>&1 && fail "studio without --png succeeded"
# A picture too large to write is refused before the quilt is generated (a billion iterations would take minutes).
timeout 60 "$cli" studio --seed 1 --max-iterations 1000000000 --size 4096 --period 17 --png "$work/big.png" \
    > /dev/null 2> "$work/err"
[ $? -eq 2 ] || fail "a 69632-pixel picture was not refused at once"
grep -q "69632 x 69632" "$work/err" || fail "the size refusal does not give the size: $(cat "$work/err")"

# Outputs that cannot be written are refused before the quilt is generated (a billion iterations would take minutes).
mkdir "$work/folder.png"
huge="--seed 1 --max-iterations 1000000000"
for args in "studio --png $work/missing/x.png" "studio --png $work/folder.png" \
            "studio --png $work/x.png --save $work/missing/x.qlt" "studio --png $work/x.png --save /dev/null" \
            "render --bmp $work/missing/x.bmp" "render --save $work/folder.png"; do
    # shellcheck disable=SC2086
    timeout 60 "$cli" $args $huge > /dev/null 2> "$work/err"
    [ $? -eq 1 ] || fail "$args: not refused at once with exit 1"
    grep -q "cannot write" "$work/err" || fail "$args: $(cat "$work/err")"
done

mkdir "$work/ro" && chmod 500 "$work/ro"
if [ "$(id -u)" -ne 0 ]; then
    "$cli" studio $quick --png "$work/ro/x.png" > /dev/null 2>&1; [ $? -eq 1 ] || fail "unwritable folder: not exit 1"
fi
"$cli" studio $quick --png "$work/missing/x.png" > /dev/null 2>&1; [ $? -eq 1 ] || fail "missing folder: not exit 1"
"$cli" studio $quick --png /dev/full > /dev/null 2>&1; [ $? -eq 1 ] || fail "full device: not exit 1"
ls "$work" | grep -q saving && fail "a temporary file was left behind"

json=$("$cli" studio $quick --period 2 --kind hex --png "$work/hex.png") || fail "hex studio render failed"
for key in '"kind": "hex"' '"width": 128' '"samples":' '"threads":' '"simd": "' '"samplesPerSecond":' '"colormap": "viridis"'; do
    echo "$json" | grep -q "$key" || fail "JSON lacks $key: $json"
done
echo "$json" | grep -q '"simd": "auto"' && fail "JSON names auto, not the path taken: $json"
json=$("$cli" studio $quick --simd scalar --png "$work/s.png") || fail "scalar studio render failed"
echo "$json" | grep -q '"simd": "scalar"' || fail "JSON lacks the scalar path: $json"
# Every vector path draws the same picture; the settings name the path that ran and the precision.
"$cli" studio $quick --png "$work/a.png" > /dev/null || fail "studio render on the widest path failed"
/usr/bin/python3 - "$work/s.png" "$work/a.png" <<'PY' || fail "the scalar and the widest path's pictures differ"
import json, sys
from PIL import Image
scalar, widest = Image.open(sys.argv[1]), Image.open(sys.argv[2])
assert scalar.tobytes() == widest.tobytes(), "pixels differ"
render = json.loads(scalar.text["Tilvex"])["render"]
assert render["simd"] == "scalar" and render["precision"] == "exact", render
PY
/usr/bin/python3 - "$work/hex.png" <<'PY' || fail "hex.png is not a 128-pixel-wide RGB PNG"
import sys
from PIL import Image
im = Image.open(sys.argv[1])
assert im.mode == "RGB" and im.size[0] == 128, (im.mode, im.size)
PY

# The studio's quilt is the one render makes with the same options.
name_r=$("$cli" render --seed 7 --max-iterations 60000 | grep quiltName)
name_s=$("$cli" studio $quick --png "$work/s.png" | grep quiltName)
[ "$name_r" = "$name_s" ] || fail "studio quilt $name_s differs from render's $name_r"
"$cli" render --seed 7 --max-iterations 60000 --save "$work/s.qlt" > /dev/null
name_l=$("$cli" studio --load "$work/s.qlt" --size 64 --spp 2 --png "$work/l.png" | grep quiltName)
[ "$name_r" = "$name_l" ] || fail "studio --load quilt $name_l differs from $name_r"

# A picture made without --seed can be made again: the JSON gives the seed drawn, --save the session.
json=$("$cli" studio --max-iterations 60000 --size 64 --spp 2 --threads 256 --png "$work/r.png" --save "$work/r.qlt")
seed=$(echo "$json" | python3 -c 'import json, sys; print(json.load(sys.stdin)["seed"])')
"$cli" render --seed "$seed" --max-iterations 60000 --save "$work/again.qlt" > /dev/null
cmp -s "$work/r.qlt" "$work/again.qlt" || fail "studio --save with the seed reported ($seed) is not what render makes"
echo "$json" | grep -q "\"threads\": $(nproc)," || fail "JSON does not report the $(nproc) threads in use: $json"

[ "$failures" -eq 0 ] && echo "studio command: all checks passed"
exit "$failures"
