#!/usr/bin/env bash
# Exports quilts with tilvex-cli and reads the files back with Pillow, an
# independent decoder. $1: the directory holding tilvex-cli.
set -euo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)

python=""
for candidate in python3 /usr/bin/python3; do
    if command -v "$candidate" > /dev/null && "$candidate" -c "import PIL" 2> /dev/null; then
        python=$candidate
        break
    fi
done
if [ -z "$python" ]; then
    echo "decode_images: no python3 with Pillow (Debian package python3-pil)" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/tilvex-cli" render --seed 7 --max-iterations 300000 --period 3 \
    --bmp "$work/q.bmp" --pcx "$work/q.pcx" --png "$work/q.png" > /dev/null
"$python" "$here/check_images.py" square "$work/q.bmp" "$work/q.pcx" "$work/q.png" 600

# A hex tile is 173.2 rows high: five periods must still make complete files.
"$bin/tilvex-cli" render --seed 7 --kind hex --max-iterations 300000 --period 5 \
    --bmp "$work/h.bmp" --pcx "$work/h.pcx" --png "$work/h.png" > /dev/null
"$python" "$here/check_images.py" complete "$work/h.bmp" "$work/h.pcx" "$work/h.png"

# A full device: non-zero exit and a message, no JSON on stdout.
status=0
"$bin/tilvex-cli" render --seed 7 --max-iterations 20000 --bmp /dev/full > "$work/out" 2> "$work/err" || status=$?
if [ "$status" -eq 0 ] || [ ! -s "$work/err" ]; then
    echo "decode_images: --bmp /dev/full exited $status with message '$(cat "$work/err")'" >&2
    exit 1
fi
echo "decode_images: /dev/full refused: $(cat "$work/err")"
