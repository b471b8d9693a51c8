#!/usr/bin/env bash
# The installed tree: installs into a temporary prefix, validates the desktop
# entry, the file type and the software-centre metadata, checks that they agree
# with each other and with the programs, that the manual pages and the
# completion know every option the programs list, and runs the installed
# tilvex-cli.
set -u
bin=$1
build=$(cd "$bin/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for tool in desktop-file-validate appstreamcli update-mime-database xmllint; do
    command -v "$tool" > /dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log" 2>&1 || { cat "$work/install.log"; echo "FAIL: install"; exit 1; }
share="$prefix/share"
desktop="$share/applications/org.tilvex.Tilvex.desktop"
mime="$share/mime/packages/tilvex.xml"
metainfo="$share/metainfo/org.tilvex.Tilvex.metainfo.xml"
for f in "$prefix/bin/tilvex-cli" "$desktop" "$mime" "$metainfo" "$share/icons/hicolor/scalable/apps/tilvex.svg" \
         "$share/man/man1/tilvex.1.gz" "$share/man/man1/tilvex-cli.1.gz" "$share/bash-completion/completions/tilvex-cli"; do
    [ -f "$f" ] || fail "not installed: ${f#"$prefix"/}"
done
[ "$failures" -eq 0 ] || exit 1
if [ -x "$bin/tilvex" ] && [ ! -x "$prefix/bin/tilvex" ]; then fail "the desktop program was built but not installed"; fi

# Every PNG icon has the size its folder names.
for size in 16 22 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/tilvex.png"
    [ -f "$png" ] || { fail "no ${size}x${size} icon"; continue; }
    got=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}')
    [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done

desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=tilvex %f' "$desktop" || fail "the desktop entry does not pass the file to tilvex"
grep -qx 'MimeType=application/x-tilvex-session;' "$desktop" || fail "the desktop entry does not offer Tilvex for sessions"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the desktop entry's icon '$icon' is not installed"

xmllint --noout "$mime" || fail "the MIME package is not well-formed"
mkdir -p "$work/mime/packages" && cp "$mime" "$work/mime/packages/"
update-mime-database "$work/mime" 2> "$work/mime.log" || fail "update-mime-database: $(cat "$work/mime.log")"
grep -q ':application/x-tilvex-session:\*\.qlt$' "$work/mime/globs2" 2> /dev/null || fail "*.qlt is not a Tilvex session"
grep -q '<comment>Tilvex session</comment>' "$work/mime/application/x-tilvex-session.xml" 2> /dev/null ||
    fail "the session type lacks its comment"

appstreamcli validate --no-net "$metainfo" > "$work/appstream.log" 2>&1 || { cat "$work/appstream.log"; fail "appstreamcli validate"; }
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
    fail "the metainfo does not name the desktop entry"

# One version everywhere: the programs, the metainfo's release, the manual pages.
version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo")
[ "$("$prefix/bin/tilvex-cli" --version)" = "tilvex-cli $version" ] || fail "tilvex-cli --version is not $version"
if [ -x "$prefix/bin/tilvex" ]; then
    [ "$("$prefix/bin/tilvex" --version)" = "tilvex $version" ] || fail "tilvex --version is not $version"
fi
for page in tilvex tilvex-cli; do
    gzip -dc "$share/man/man1/$page.1.gz" > "$work/$page.1" || fail "$page.1.gz is no gzip file"
    grep -q "^\.TH .*\"Tilvex $version\"" "$work/$page.1" || fail "$page.1 does not carry version $version"
done

# Every long option a program lists is in its manual page (written \-\- in roff)
# and, for tilvex-cli, in the completion.
options() { "$@" --help | grep -o -- '--[a-z][a-z-]*' | sort -u; }
check_options() {
    local page=$1 completion=$2
    shift 2
    for option in $(options "$@"); do
        grep -qF -- "$(printf '%s' "$option" | sed 's/-/\\-/g')" "$work/$page.1" || fail "$page.1 lacks $option"
        [ -z "$completion" ] || grep -qw -- "$option" "$completion" || fail "the completion lacks $option"
    done
}
completion="$share/bash-completion/completions/tilvex-cli"
check_options tilvex-cli "$completion" "$prefix/bin/tilvex-cli"
check_options tilvex-cli "$completion" "$prefix/bin/tilvex-cli" render
check_options tilvex-cli "$completion" "$prefix/bin/tilvex-cli" info
check_options tilvex-cli "$completion" "$prefix/bin/tilvex-cli" studio
check_options tilvex-cli "$completion" "$prefix/bin/tilvex-cli" gallery
check_options tilvex-cli "$completion" "$prefix/bin/tilvex-cli" animate
[ -x "$prefix/bin/tilvex" ] && check_options tilvex "" "$prefix/bin/tilvex"
bash -n "$completion" || fail "the completion is not valid bash"
if [ -x "$bin/tilvex-mpi" ]; then
    mpi="$prefix/bin/tilvex-mpi"
    [ -x "$mpi" ] || fail "tilvex-mpi was built but not installed"
    gzip -dc "$share/man/man1/tilvex-mpi.1.gz" > "$work/tilvex-mpi.1" || fail "tilvex-mpi.1.gz is no gzip file"
    grep -q "^\.TH .*\"Tilvex $version\"" "$work/tilvex-mpi.1" || fail "tilvex-mpi.1 does not carry version $version"
    [ "$("$mpi" --version)" = "tilvex-mpi $version" ] || fail "tilvex-mpi --version is not $version"
    check_options tilvex-mpi "$share/bash-completion/completions/tilvex-mpi" "$mpi"
    check_options tilvex-mpi "$share/bash-completion/completions/tilvex-mpi" "$mpi" studio
    check_options tilvex-mpi "$share/bash-completion/completions/tilvex-mpi" "$mpi" gallery
    [ -f "$share/doc/tilvex-mpi/examples/tilvex-poster.sbatch" ] || fail "the Slurm example is not installed"
fi

# The installed tilvex-cli makes a quilt and writes its picture.
"$prefix/bin/tilvex-cli" render --seed 7 --max-iterations 20000 --png "$work/q.png" > "$work/q.json" ||
    fail "the installed tilvex-cli could not render"
grep -q '"iterationCount": 20001' "$work/q.json" || fail "the render did not run to its limit"
[ "$(head -c 4 "$work/q.png" | od -An -c | tr -d ' ')" = "211PNG" ] || fail "no PNG written"

# The Python module, where it was built, imports from the prefix and makes a quilt.
if ls "$build"/python/tilvex.*.so > /dev/null 2>&1; then
    PYTHONPATH="$prefix/lib/python3/dist-packages" /usr/bin/python3 -c \
        'import tilvex; q = tilvex.Quilt(seed=7, max_iterations=20000); q.run(); assert q.density.sum() > 0' ||
        fail "the installed Python module does not make a quilt"
    [ -f "$share/doc/python3-tilvex/copyright" ] || fail "the Python module's package has no copyright"
fi

[ "$failures" -eq 0 ] && echo "PASS: installed tree"
exit $((failures > 0))
