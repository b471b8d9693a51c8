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
            "--gamma 0" "--period 0" "--threads -1" "--background red" "--kind octagon" "--simd sse" "--precision rough" \
            "--denoise on" "--denoise-radius 40" "--exposure bright" "--exposure 30" "--vibrancy 2" \
            "--highlight -1" "--color-by hue" "--oversample 5" "--bit-depth 12" "--dpi -3" "--look $work/none.json"; do
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

# Looks: a bad key or value is refused naming it; a saved look reads back as the same look.
echo '{"gamma": 2, "vibrance": 1}' > "$work/bad.json"
"$cli" studio $quick --look "$work/bad.json" --png "$work/x.png" > /dev/null 2> "$work/err"
[ $? -eq 2 ] && grep -q vibrance "$work/err" || fail "unknown look key not refused by name: $(cat "$work/err")"
echo '{"oversample": 9}' > "$work/bad.json"
"$cli" studio $quick --look "$work/bad.json" --png "$work/x.png" > /dev/null 2> "$work/err"
[ $? -eq 2 ] && grep -q oversample "$work/err" || fail "out-of-range look value not refused by name: $(cat "$work/err")"
"$cli" studio --colormap magma --color-by blend --exposure -1 --save-look "$work/look.json" > /dev/null || fail "--save-look alone failed"
"$cli" studio --look "$work/look.json" --save-look "$work/again.json" > /dev/null && cmp -s "$work/look.json" "$work/again.json" \
    || fail "a saved look does not read back as itself"

# Deep pictures that remember their quilt: 16-bit PNG with pHYs, OpenEXR, info and --load.
"$cli" studio $quick --kind 4-8-8 --bit-depth 16 --dpi 300 --png "$work/d.png" --exr "$work/d.exr" > "$work/d.json" \
    || fail "16-bit and OpenEXR render failed"
[ "$(identify -units PixelsPerInch -format '%z %[fx:round(resolution.x)]' "$work/d.png")" = "16 300" ] || fail "d.png is not 16 bits at 300 dpi"
/usr/bin/python3 - "$work/d.exr" <<'PY' || fail "d.exr is not an OpenEXR file of the tile's size"
import sys
data = open(sys.argv[1], "rb").read()
assert data[:4] == b"\x76\x2f\x31\x01" and b"Tilvex session" in data and b"quiltName" in data
PY
name_d=$(grep quiltName "$work/d.json")
for picture in d.png d.exr; do
    "$cli" info "$work/$picture" > "$work/info.json" || fail "info $picture failed"
    grep -q '"bitDepth": 16' "$work/info.json" && grep -q '"quilt": {' "$work/info.json" || fail "info $picture lacks the look or quilt"
    [ "$(grep -m1 quiltName "$work/info.json")" = "$name_d" ] || fail "info $picture names another quilt"
    name_l=$("$cli" studio --load "$work/$picture" --size 64 --spp 1 --png "$work/again.png" | grep quiltName)
    [ "$name_l" = "$name_d" ] || fail "studio --load $picture reopened $name_l, not $name_d"
done
"$cli" render --load "$work/hex.png" --max-iterations 70000 > /dev/null || fail "render --load of a picture failed"
"$cli" info "$work/bad.json" > /dev/null 2>&1 && fail "info accepted a JSON file"

# A picture made without --seed can be made again: the JSON gives the seed drawn, --save the session.
json=$("$cli" studio --max-iterations 60000 --size 64 --spp 2 --threads 256 --png "$work/r.png" --save "$work/r.qlt")
seed=$(echo "$json" | python3 -c 'import json, sys; print(json.load(sys.stdin)["seed"])')
"$cli" render --seed "$seed" --max-iterations 60000 --save "$work/again.qlt" > /dev/null
cmp -s "$work/r.qlt" "$work/again.qlt" || fail "studio --save with the seed reported ($seed) is not what render makes"
echo "$json" | grep -q "\"threads\": $(nproc)," || fail "JSON does not report the $(nproc) threads in use: $json"

[ "$failures" -eq 0 ] && echo "studio command: all checks passed"
exit "$failures"
