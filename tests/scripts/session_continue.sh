#!/bin/bash
# A quilt saved halfway and continued from its session file ends exactly where
# one uninterrupted run ends; `info` reports saved sessions and refuses bad ones.
set -u
bin="$1"
cli="$bin/tilvex-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$cli" render --seed 9 --kind hex --max-iterations 200000 --save "$work/a.qlt" > "$work/a.json" || fail "first half"
"$cli" render --load "$work/a.qlt" --max-iterations 400000 --save "$work/b.qlt" > "$work/b.json" || fail "second half"
"$cli" render --seed 9 --kind hex --max-iterations 400000 --save "$work/c.qlt" > "$work/c.json" || fail "whole run"

# The random source is not saved: a restart in the second half would differ.
grep -q '"restarts": 0,' "$work/b.json" || fail "the second half restarted; pick another seed"
cmp "$work/b.qlt" "$work/c.qlt" || fail "continued session differs from the uninterrupted one"

"$cli" info "$work/b.qlt" > "$work/info.json" || fail "info on a good session"
for want in '"kind": "hex"' '"iterationCount": 400001' '"maxIterations": 400000' '"limitReached": true' \
            '"generating": false' '"maxGridSize": 601' '"coefficients": {'; do
    grep -qF "$want" "$work/info.json" || fail "info lacks $want"
done

# The first-half session stopped at its limit and says so.
"$cli" info "$work/a.qlt" | grep -qF '"iterationCount": 200001' || fail "info on the first half"

# A Wild Corner quilt reopens as itself and continues with its own map.
"$cli" render --seed 11 --kind wild-corner --max-iterations 100000 --save "$work/w1.qlt" > /dev/null || fail "wild 1"
"$cli" render --load "$work/w1.qlt" --max-iterations 300000 --save "$work/w2.qlt" > "$work/w2.json" || fail "wild 2"
"$cli" render --seed 11 --kind wild-corner --max-iterations 300000 --save "$work/w3.qlt" > /dev/null || fail "wild 3"
grep -q '"restarts": 0,' "$work/w2.json" || fail "the Wild Corner second half restarted; pick another seed"
grep -qF '"kind": "wild-corner"' "$work/w2.json" || fail "a Wild Corner session reopened as another kind"
cmp "$work/w2.qlt" "$work/w3.qlt" || fail "continued Wild Corner session differs from the uninterrupted one"

# A quilt name in another encoding (bytes 0xE9 0xFF) still gives valid JSON.
cp "$work/b.qlt" "$work/latin.qlt"
printf '\xe9\xff' | dd of="$work/latin.qlt" bs=1 seek=112 conv=notrunc status=none
"$cli" info "$work/latin.qlt" > "$work/latin.json" || fail "info on a name that is not UTF-8"
python3 -c 'import json, sys; json.load(open(sys.argv[1], encoding="utf-8"))' "$work/latin.json" ||
    fail "info wrote invalid JSON for a name that is not UTF-8"

head -c 5000 "$work/b.qlt" > "$work/short.qlt"
if "$cli" info "$work/short.qlt" > /dev/null 2> "$work/err.txt"; then fail "info accepted a truncated file"; fi
grep -q "shorter than its own fields say" "$work/err.txt" || fail "no reason for the truncated file: $(cat "$work/err.txt")"
if "$cli" info "$work/missing.qlt" > /dev/null 2> "$work/err.txt"; then fail "info accepted a missing file"; fi
grep -q "Cannot open" "$work/err.txt" || fail "no reason for the missing file"
echo "session continuation: ok"
