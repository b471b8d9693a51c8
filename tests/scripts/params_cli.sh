#!/bin/bash
# Coefficients by name on the command line: the table lists them, --param sets
# them (and refuses bad ones with status 2), and a session made with --param
# reopens and continues like any other.
set -u
bin="$1"
cli="$bin/tilvex-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$cli" params --kind 4-8-8 --json > "$work/t.json" || fail "params --json"
python3 - "$work/t.json" <<'PY' || fail "the 4-8-8 table"
import json, sys
t = json.load(open(sys.argv[1]))
names = [p["name"] for p in t["parameters"]]
assert t["form"] == "4-8-8" and len(names) == 32 and len(set(names)) == 32, names
assert "octagon.angular[3].im" in names
PY
"$cli" params --kind hex --detailed --knot | grep -q '^detail\[11\]\.im' || fail "hex detailed table"
"$cli" params --kind 4-8-8 --knot 2> /dev/null; [ $? -eq 2 ] || fail "--knot on 4-8-8 accepted"

# A set coefficient is what info reads back; the session continues exactly as one run.
"$cli" render --seed 3 --kind 4-8-8 --max-iterations 100000 --param 'octagon.radial[1].re=-2.5' \
    --save "$work/a.qlt" > /dev/null || fail "render --param"
"$cli" info "$work/a.qlt" | grep -qF '"octagon.radial[1].re": -2.5' || fail "info lacks the set value"
"$cli" render --load "$work/a.qlt" --max-iterations 200000 --save "$work/b.qlt" > "$work/b.json" || fail "continue"
"$cli" render --seed 3 --kind 4-8-8 --max-iterations 200000 --param 'octagon.radial[1].re=-2.5' \
    --save "$work/c.qlt" > /dev/null || fail "whole run"
grep -q '"restarts": 0,' "$work/b.json" || fail "the continued run restarted; pick another seed"
cmp "$work/b.qlt" "$work/c.qlt" || fail "a session made with --param does not continue as one run"

# Refusals: status 2, the kind's names or the range in the message, no file.
refused() {
    "$cli" "$@" --save "$work/no.qlt" > /dev/null 2> "$work/err"
    [ $? -eq 2 ] || fail "accepted: $*"
    [ ! -e "$work/no.qlt" ] || fail "wrote a session: $*"
}
refused render --kind square --param beta=0.7
grep -qF 'between -0.6 and 0.2' "$work/err" || fail "range not named"
refused render --kind hex --param beta=0.1
grep -qF 'lambda.re, lambda.im, alpha.re' "$work/err" || fail "names not listed"
refused render --kind square --param alpha=inf
refused render --kind square --param emm=0.5
refused render --kind square --param alpha
echo "params_cli: ok"
