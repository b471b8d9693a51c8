#!/usr/bin/env bash
# tilvex-mpi under mpirun: the studio's PNG (8 and 16 bits) and OpenEXR file
# are byte for byte tilvex-cli's for 1, 2 and 3 ranks, the gallery's folder is tilvex-cli's for 2 ranks, a
# film's video or frames are tilvex-cli's for 2 and 3 ranks, refused
# options are reported once with tilvex-cli's status, and a rank that fails
# ends the job naming it and leaves no picture.
set -u
bin=$(cd "$1" && pwd)
cli="$bin/tilvex-cli"
mpi="$bin/tilvex-mpi"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# mpirun passes its standard input to rank 0: it must not eat the cases read below.
run() { mpirun --oversubscribe "$@" < /dev/null; }

# Each case: ranks, then options; every kind's path and a period and thread count in turn.
while read -r ranks options; do
    # shellcheck disable=SC2086
    "$cli" studio $options --png "$work/cli.png" > "$work/cli.json" || fail "tilvex-cli studio $options failed"
    # shellcheck disable=SC2086
    run -np "$ranks" "$mpi" studio $options --png "$work/mpi.png" > "$work/mpi.json" ||
        fail "tilvex-mpi studio on $ranks ranks failed: $options"
    cmp -s "$work/cli.png" "$work/mpi.png" || fail "$ranks ranks, $options: the PNG differs from tilvex-cli's"
    grep -q "\"ranks\": $ranks" "$work/mpi.json" || fail "the summary does not give $ranks ranks: $(cat "$work/mpi.json")"
    [ "$(grep '"samples"' "$work/cli.json")" = "$(grep '"samples"' "$work/mpi.json")" ] ||
        fail "$ranks ranks: the samples summed are not tilvex-cli's"
    rm -f "$work/cli.png" "$work/mpi.png"
done << 'CASES'
1 --seed 7 --max-iterations 60000 --size 96 --spp 4 --period 1
2 --seed 7 --max-iterations 60000 --size 96 --spp 4 --kind hex --threads 1 --period 2
3 --seed 8 --max-iterations 60000 --size 80 --spp 4 --kind 4-6-12 --simd scalar --threads 2 --period 1
3 --seed 9 --max-iterations 60000 --size 64 --spp 4 --kind wild-corner --gamma 1.5 --colormap magma --period 1
2 --seed 5 --max-iterations 60000 --size 72 --spp 4 --kind 3-12-12 --bit-depth 16 --equalize --period 1
3 --seed 6 --max-iterations 60000 --size 64 --spp 4 --kind hex --color-by blend --period 1
CASES
# The linear picture is developed from the densities gathered on rank 0.
exr="--seed 5 --max-iterations 60000 --size 48 --spp 4 --kind 4-8-8 --color-by direction"
# shellcheck disable=SC2086
"$cli" studio $exr --exr "$work/cli.exr" > /dev/null && run -np 3 "$mpi" studio $exr --exr "$work/mpi.exr" > /dev/null &&
    cmp -s "$work/cli.exr" "$work/mpi.exr" || fail "3 ranks: the OpenEXR file differs from tilvex-cli's"

# The Slurm batch script, run outside Slurm: one rank on this node.
TILVEX_MPI="$mpi" bash "$(dirname "$0")/../../data/tilvex-poster.sbatch" --seed 7 --max-iterations 60000 --size 64 \
    --spp 4 --png "$work/slurm.png" > /dev/null 2>&1 || fail "the Slurm batch script failed"
"$cli" studio --seed 7 --max-iterations 60000 --size 64 --spp 4 --png "$work/cli.png" > /dev/null
cmp -s "$work/cli.png" "$work/slurm.png" || fail "the Slurm batch script's picture is not tilvex-cli's"

small="--count 5 --seed 11 --max-iterations 40000 --thumb 24"
# shellcheck disable=SC2086
"$cli" gallery --out "$work/cli" $small > /dev/null || fail "tilvex-cli gallery failed"
# shellcheck disable=SC2086
run -np 2 "$mpi" gallery --out "$work/mpi" $small --threads 1 > "$work/gallery.json" || fail "tilvex-mpi gallery failed"
diff -r "$work/cli" "$work/mpi" > /dev/null || fail "the gallery folders differ: $(diff -rq "$work/cli" "$work/mpi")"
grep -q '"ranks": 2' "$work/gallery.json" || fail "the gallery summary lacks its ranks: $(cat "$work/gallery.json")"

# Films: frames dealt round the ranks, gathered in order; a growth film's ranks each go on from their last frame.
"$cli" render --seed 5 --max-iterations 30000 --save "$work/a.qlt" > /dev/null
"$cli" render --seed 6 --max-iterations 30000 --save "$work/b.qlt" > /dev/null
while read -r ranks out options; do
    # shellcheck disable=SC2086
    "$cli" animate $options --seconds 0.5 --fps 10 --size 48 --spp 2 --out "$work/cli$out" > /dev/null ||
        fail "tilvex-cli animate $options failed"
    # shellcheck disable=SC2086
    run -np "$ranks" "$mpi" animate $options --seconds 0.5 --fps 10 --size 48 --spp 2 --out "$work/mpi$out" \
        > "$work/film.json" || fail "tilvex-mpi animate on $ranks ranks failed: $options"
    diff -r "$work/cli$out" "$work/mpi$out" > /dev/null || fail "$ranks ranks, $options: the film differs from tilvex-cli's"
    grep -q "\"ranks\": $ranks" "$work/film.json" || fail "the film's summary lacks its ranks: $(cat "$work/film.json")"
done << CASES
2 .mp4 --key $work/a.qlt --key $work/b.qlt --loop --motion-blur 2
3 -frames/ --key $work/a.qlt --key $work/b.qlt --threads 1
2 .webm --key $work/a.qlt --grow
CASES

# Refused on rank 0, once, in tilvex-cli's words and status.
for args in "studio --size 8 --png $work/x.png" "gallery --out $work/g --count 0" "studio --bogus" \
    "animate --key $work/a.qlt --fps 0 --out $work/x.mp4"; do
    # shellcheck disable=SC2086
    "$cli" $args > /dev/null 2> "$work/cli.err"
    want=$?
    # shellcheck disable=SC2086
    run -np 2 "$mpi" $args > "$work/out" 2> "$work/err"
    code=$?
    [ "$code" -eq "$want" ] || fail "tilvex-mpi $args exited $code, tilvex-cli $want"
    # mpirun adds its own report of the status; the message is there once.
    while IFS= read -r line; do
        [ "$(grep -cxF -- "${line/#tilvex-cli/tilvex-mpi}" "$work/err")" -eq 1 ] ||
            fail "tilvex-mpi $args did not say '$line' once: $(cat "$work/err")"
    done < "$work/cli.err"
done
[ -e "$work/x.png" ] || [ -e "$work/g" ] || [ -e "$work/x.mp4" ] && fail "a refused run wrote something"

# Rank 1 reads a damaged session where rank 0 reads a good one.
mkdir "$work/good" "$work/bad"
"$cli" render --seed 3 --max-iterations 20000 --save "$work/good/q.qlt" > /dev/null
head -c 100 "$work/good/q.qlt" > "$work/bad/q.qlt"
job="studio --load q.qlt --size 64 --spp 2 --png $work/out.png"
# shellcheck disable=SC2086
run -np 1 -wdir "$work/good" "$mpi" $job : -np 1 -wdir "$work/bad" "$mpi" $job > "$work/out" 2> "$work/err"
[ $? -eq 1 ] || fail "a rank with a damaged session did not end the job with status 1"
grep -q "^tilvex-mpi studio: rank 1: .*q.qlt" "$work/err" || fail "the failed rank is not named: $(cat "$work/err")"
job="animate --key q.qlt --seconds 0.2 --fps 10 --size 32 --out $work/film.mp4"
# shellcheck disable=SC2086
run -np 1 -wdir "$work/good" "$mpi" $job : -np 1 -wdir "$work/bad" "$mpi" $job > "$work/out" 2> "$work/err"
[ $? -eq 1 ] || fail "a rank with a damaged key did not end the film with status 1"
grep -q "^tilvex-mpi animate: rank 1: .*q.qlt" "$work/err" || fail "the film's failed rank is not named: $(cat "$work/err")"
[ -e "$work/film.mp4" ] && fail "a failed film left a file"
# A rank killed while it makes its quilt (which would take a minute): mpirun
# names it and ends the job.
job="studio --seed 3 --max-iterations 500000000 --size 64 --png $work/out.png"
# shellcheck disable=SC2016,SC2086
run -np 1 "$mpi" $job : -np 1 sh -c '(sleep 2; kill -9 $$) & exec "$0" "$@"' "$mpi" $job > "$work/out" 2> "$work/err"
[ $? -ne 0 ] || fail "a killed rank did not fail the job"
grep -q "rank 1 .*signal 9" "$work/err" || fail "the killed rank is not named: $(cat "$work/err")"
ls "$work" | grep -q "out\.png\|saving" && fail "a failed job left a picture behind"

[ "$failures" -eq 0 ] && echo "PASS: tilvex-mpi" && exit 0
exit 1
