#!/bin/bash
# The desktop program on a virtual X display, driven like a user: accept the
# first quilt dialog, let it generate, Rebuild and View Quilt from the keyboard
# (Alt+Q, Q), then check on a screenshot that the view shows a quilt.
set -u
bin="$1"
app="$bin/tilvex"
if ! command -v Xvfb > /dev/null; then
    echo "SKIP: Xvfb is not installed"
    exit 0
fi
for tool in xdotool import; do
    command -v "$tool" > /dev/null || { echo "FAIL: $tool is missing"; exit 1; }
done
# The first Python that has Pillow (a version manager's may not).
python=""
for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c "import PIL" 2> /dev/null; then python=$candidate; break; fi
done
[ -n "$python" ] || { echo "FAIL: no Python with Pillow"; exit 1; }
[ -x "$app" ] || { echo "FAIL: $app is not built"; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2> /dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
    wait 2> /dev/null
    if [ -n "${KEEP_SCREENSHOT:-}" ]; then cp "$work"/*.png "$KEEP_SCREENSHOT"/ 2> /dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log"
    exit 1
}

# Xvfb picks a free display itself and reports its number; -noreset keeps it
# accepting connections when the first program run below ends.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

# A private profile: the run leaves the user's recent-file list alone.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb

app_pid=""

# Finds the first visible window whose title contains $1; waits up to 20 s.
find_window() {
    local id=""
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$app_pid" 2> /dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Too little memory: the message, then the end, never the main window.
"$app" --available-memory 500000 > "$work/app.log" 2>&1 &
app_pid=$!
box=$(find_window "TILVEX Windows Application") || fail "no start-up memory message"
xdotool search --onlyvisible --name " - TILVEX" > /dev/null 2>&1 && fail "the main window opened despite the failure"
xdotool windowfocus --sync "$box" && sleep 0.3 && xdotool key Return || fail "could not press Enter"
for _ in $(seq 100); do kill -0 "$app_pid" 2> /dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2> /dev/null && fail "the program did not end after the memory message"
wait "$app_pid"
status=$?
[ "$status" -ne 0 ] || fail "start-up failure ended with status 0"
app_pid=""

"$app" --seed 7 > "$work/app.log" 2>&1 &
app_pid=$!

# File New at start-up asks for the square quilt's settings: accept them.
dialog=$(find_window "Set Square Quilt") || fail "the first dialog did not appear"
xdotool windowfocus --sync "$dialog" && sleep 0.3 && xdotool key Return || fail "could not press Enter"
frame=$(find_window " - TILVEX") || fail "the main window did not appear"
title=$(xdotool getwindowname "$frame")
[ "$title" = "Tilvex - TILVEX" ] || fail "unexpected title '$title'"
xdotool search --onlyvisible --name "Set Square Quilt" > /dev/null 2>&1 && fail "the dialog is still open"

sleep 4  # generation in idle time

xdotool windowfocus --sync "$frame" && sleep 0.3 || fail "could not focus the main window"
xdotool key alt+q && sleep 0.5 && xdotool key q || fail "could not type Alt+Q, Q"
sleep 1.5
kill -0 "$app_pid" 2> /dev/null || fail "the program ended"

eval "$(xdotool getwindowgeometry --shell "$frame")"
import -window root "$work/screen.png" || fail "no screenshot"

"$python" - "$work/screen.png" "$X" "$Y" "$WIDTH" "$HEIGHT" << 'EOF' || fail "the screenshot shows no quilt"
import sys
from PIL import Image

path, x, y, w, h = sys.argv[1], *map(int, sys.argv[2:])
shot = Image.open(path).convert("RGB")
window = shot.crop((x, y, x + w, y + h))
W, H = window.size
px = window.load()

# The view is the white client area; it starts below the menu bar and toolbar.
# Find its top edge: the first row, from the top, that is white at the right.
def white(c):
    return c == (255, 255, 255)

top = next((r for r in range(H) if all(white(px[c, r]) for c in range(W - 60, W - 10))), None)
if top is None:
    print("no white view area in the window")
    sys.exit(1)
# The tile (200 x 200 for the default grid) sits at the view's top-left corner.
tile = window.crop((0, top, 200, min(top + 200, H)))
colours = len(set(tile.getdata()))
nonwhite = sum(1 for c in tile.getdata() if not white(c))
beside = window.crop((220, top + 10, min(W, 420), min(top + 190, H)))
beside_white = sum(1 for c in beside.getdata() if white(c)) / max(1, beside.size[0] * beside.size[1])
print(f"view top at {top}: {colours} colours in the tile area, {nonwhite} non-white pixels, "
      f"{beside_white:.0%} white beside it")
ok = colours >= 30 and nonwhite > 0.9 * tile.size[0] * tile.size[1] and beside_white > 0.95
sys.exit(0 if ok else 1)
EOF

# Sanitizer builds report memory and undefined-behaviour errors in the log.
grep -qE "ERROR: AddressSanitizer|runtime error:" "$work/app.log" && fail "sanitizer report"
echo "PASS: the view shows a quilt after Alt+Q, Q"
