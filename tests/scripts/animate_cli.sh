#!/usr/bin/env bash
# tilvex-cli animate: refusals exit 2 before any work; clips decode (ffprobe)
# to seconds x fps frames of the clip's size in the codec the name asks for;
# a failed or interrupted clip leaves nothing behind.
set -u
bin=$1
cli="$bin/tilvex-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cli" render --seed 3 --max-iterations 50000 --save "$work/a.qlt" > /dev/null
"$cli" render --seed 4 --max-iterations 50000 --save "$work/b.qlt" > /dev/null
"$cli" render --seed 5 --kind hex --max-iterations 50000 --save "$work/h.qlt" > /dev/null
echo '{"colormap": "magma", "gamma": 1.5}' > "$work/magma.json"
echo '{"colormap": "inferno"}' > "$work/inferno.json"
keys="--key $work/a.qlt --key $work/b.qlt"
tiny="--size 48 --spp 2 --seconds 0.5 --fps 8"

check_refused() {
    local expect=$1; shift
    "$cli" animate "$@" > /dev/null 2> "$work/err"
    local code=$?
    [ "$code" -eq 2 ] || fail "animate $* exited $code, not 2"
    grep -q -- "$expect" "$work/err" || fail "animate $*: message lacks '$expect': $(cat "$work/err")"
}
check_refused "hex quilt" $keys --key "$work/h.qlt" $tiny --out "$work/x.mp4"
check_refused "--fps must be between 1 and 120" $keys --size 48 --fps 500 --out "$work/x.mp4"
check_refused ".mp4 or .webm" $keys $tiny --out "$work/x.avi"
check_refused "--grow takes one key" $keys $tiny --grow --out "$work/x.mp4"
check_refused "once per key" $keys --key "$work/a.qlt" --look "$work/magma.json" --look "$work/magma.json" $tiny --out "$work/x.mp4"
check_refused "'colormap'" $keys --look "$work/magma.json" --look "$work/inferno.json" $tiny --out "$work/x.mp4"
check_refused "--key-times" $keys --key-times 0,9 $tiny --out "$work/x.mp4"
ls "$work" | grep -q '^x\.' && fail "a refused clip wrote something"

json=$("$cli" animate $keys $tiny --out "$work/c.mp4") || fail "mp4 clip failed"
for key in '"frames": 4' '"codec": "h264"' '"width": 48' '"framesPerSecond":'; do
    echo "$json" | grep -q "$key" || fail "JSON lacks $key: $json"
done
"$cli" animate $keys $tiny --loop --height 30 --look "$work/magma.json" --out "$work/c.webm" > /dev/null || fail "webm clip failed"
probe() { ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_name,pix_fmt,width,height,nb_read_frames -of csv=p=0 "$1"; }
[ "$(probe "$work/c.mp4")" = "h264,48,48,yuv420p,4" ] || fail "c.mp4 is $(probe "$work/c.mp4")"
[ "$(probe "$work/c.webm")" = "vp9,48,30,yuv420p,4" ] || fail "c.webm is $(probe "$work/c.webm")"

"$cli" animate --key "$work/a.qlt" --grow $tiny --out "$work/frames/" > /dev/null || fail "growth frames failed"
[ "$(ls "$work/frames" | wc -l)" -eq 4 ] || fail "frames/ holds $(ls "$work/frames")"
/usr/bin/python3 - "$work/frames/frame-00003.png" <<'PY' || fail "the last frame is not a 48x48 RGB PNG with its settings"
import sys
from PIL import Image
im = Image.open(sys.argv[1])
assert im.mode == "RGB" and im.size == (48, 48) and "Tilvex" in im.text, (im.mode, im.size)
PY

"$cli" animate $keys $tiny --out "$work/missing/c.mp4" > /dev/null 2>&1
[ $? -eq 1 ] || fail "a clip into a missing folder did not exit 1"
# Ctrl+C mid-clip: exit 130, nothing at the name, no hidden part left.
"$cli" animate $keys --size 400 --spp 50 --seconds 10 --out "$work/i.mp4" > /dev/null 2>&1 &
pid=$!
sleep 2
kill -INT $pid
wait $pid
code=$?
[ "$code" -eq 130 ] || fail "an interrupted clip exited $code, not 130"
ls -A "$work" | grep -q -e '^i\.mp4' -e 'part' && fail "an interrupted clip left $(ls -A "$work")"

[ "$failures" -eq 0 ] && echo "animate_cli: all checks passed"
exit "$failures"
