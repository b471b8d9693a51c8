#!/usr/bin/env bash
# tilvex-cli gallery: refused options exit 2, a folder that cannot be made or
# written exits 1 and leaves no index behind, a run writes a complete folder.
set -u
bin=$1
cli="$bin/tilvex-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
small="--count 3 --seed 5 --max-iterations 60000 --thumb 24"

for args in "" "--out $work/a --count 0" "--out $work/a --kind octagon" "--out $work/a --thumb 8" \
            "--out $work/a --threads -1" "--out $work/a --max-iterations 0" "--out $work/a --bogus" \
            "--out $work/a --seed 1.5" "--out $work/a --seed 4294967290 --count 10"; do
    # shellcheck disable=SC2086
    "$cli" gallery $args > "$work/out" 2> "$work/err"
    code=$?
    [ "$code" -eq 2 ] || fail "gallery $args exited $code, not 2"
    [ -s "$work/err" ] || fail "gallery $args said nothing on stderr"
    [ -s "$work/out" ] && fail "gallery $args printed a result"
done
[ -e "$work/a" ] && fail "a refused run made its folder"

touch "$work/file"
for out in "$work/file" "$work/file/sub" /proc/tilvex-gallery; do
    # shellcheck disable=SC2086
    "$cli" gallery --out "$out" $small > "$work/out" 2> "$work/err"
    code=$?
    [ "$code" -eq 1 ] || fail "gallery --out $out exited $code, not 1"
    grep -q "$out" "$work/err" || fail "gallery --out $out did not name the folder: $(cat "$work/err")"
    [ -s "$work/out" ] && fail "gallery --out $out printed a summary"
done

# shellcheck disable=SC2086
"$cli" gallery --out "$work/g" $small --threads 2 > "$work/summary" || fail "a small gallery failed"
# A session of the gallery continued in place is never replaced unasked.
kept=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))[0]['session'])" "$work/g/index.json")
"$cli" render --load "$work/g/$kept" --max-iterations 90000 --save "$work/g/$kept" > /dev/null
cp "$work/g/$kept" "$work/continued.qlt"
# shellcheck disable=SC2086
"$cli" gallery --out "$work/g" $small > /dev/null 2> "$work/err"
[ $? -eq 2 ] || fail "a second gallery into the same folder was not refused"
grep -q -- "--overwrite" "$work/err" || fail "the refusal does not name --overwrite: $(cat "$work/err")"
cmp -s "$work/g/$kept" "$work/continued.qlt" || fail "the refused run changed $kept"
# --add: new names for the new quilts, the index lists old and new.
# shellcheck disable=SC2086
"$cli" gallery --out "$work/g" $small --add > /dev/null || fail "--add failed"
cmp -s "$work/g/$kept" "$work/continued.qlt" || fail "--add replaced $kept"
python3 - "$work/g" << 'PY' || fail "--add did not keep both galleries"
import json, os, sys
index = json.load(open(f"{sys.argv[1]}/index.json"))
files = [e["session"] for e in index] + [e["thumbnail"] for e in index]
assert len(index) == 6 and len(set(files)) == 12, index
assert set(os.listdir(sys.argv[1])) == set(files) | {"index.json", "index.png"}, os.listdir(sys.argv[1])
PY
# --overwrite: the whole earlier gallery goes, a killed run's staging folder too.
mkdir -p "$work/g/.gallery-999999999"
# shellcheck disable=SC2086
"$cli" gallery --out "$work/g" $small --overwrite > /dev/null || fail "--overwrite failed"
python3 - "$work" << 'PY' || fail "the gallery folder or summary is wrong"
import json, os, sys
work = sys.argv[1]
summary = json.load(open(f"{work}/summary"))
assert list(summary) == ["count", "seconds", "quiltsPerSecond", "threads"], summary
assert summary["count"] == 3 and summary["threads"] == 2, summary
index = json.load(open(f"{work}/g/index.json"))
assert len(index) == 3
assert [e["score"] for e in index] == sorted((e["score"] for e in index), reverse=True)
names = {"index.json", "index.png"}
for e in index:
    assert set(e) == {"name", "kind", "seed", "score", "filledCells", "session", "thumbnail", "command"}, e
    assert e["session"] == e["name"] + ".qlt" and e["thumbnail"] == e["name"] + ".png", e
    assert e["command"] == f"tilvex-cli render --seed {e['seed']} --kind {e['kind']} --max-iterations 60000", e
    names |= {e["session"], e["thumbnail"]}
assert set(os.listdir(f"{work}/g")) == names, os.listdir(f"{work}/g")
assert open(f"{work}/g/index.png", "rb").read(8) == b"\x89PNG\r\n\x1a\n"
PY

# Memory follows the quilts in flight, not the count.
peak() {
    python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$cli" gallery --out "$work/m$1" --count "$1" --seed 1 \
        --max-iterations 1 --thumb 16
}
# The sanitizer's quarantine holds freed memory back, so there the peak says nothing.
if ! ldd "$cli" | grep -q libasan; then
    few=$(peak 6) many=$(peak 60)
    [ $((many - few)) -lt 20000 ] || fail "60 quilts took $((many - few)) kB more than 6"
fi

first=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))[0]['session'])" "$work/g/index.json")
"$cli" render --load "$work/g/$first" --max-iterations 80000 > "$work/continued" || fail "render --load of $first failed"
grep -q '"iterationCount": 80001' "$work/continued" || fail "the session did not continue: $(cat "$work/continued")"

[ "$failures" -eq 0 ] && echo "PASS: gallery command" && exit 0
exit 1
