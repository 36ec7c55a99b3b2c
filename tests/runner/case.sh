#!/bin/sh
# Replays one scripted game, tests/runner/cases/NAME.in, with zep-headless in
# a scratch copy of the built game folder (so no real best score is touched)
# and compares what it leaves with what is checked in:
#   expected/NAME.tsv            the trace, one line a frame
#   expected/NAME.state.sha256   digest of the final state (--state JSON)
#   expected/NAME.highscore.ini  the folder's best-score file at the end, if any
#   goldens/SHOT.png             each "# golden: FRAME[/PRESENT] SHOT" shot
# Lines at the top of the case give the rest of the command line
# ("# args: ..."), and the best scores the folder starts with
# ("# highscores: EASY NORMAL HARD EXPERT").
#
#   case.sh HEADLESS BUILD_DIR NAME [regen]
# With "regen" it rewrites the expected files and goldens from this run.
set -eu

headless=$1
build=$(cd "$2" && pwd)
name=$3
mode=${4:-check}
here=$(cd "$(dirname "$0")" && pwd)
input=$here/cases/$name.in
[ -f "$input" ] || { echo "case.sh: no case $input" >&2; exit 2; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zep-runner-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/game" "$tmp/out"
cp -R "$build/Images" "$tmp/game/Images"
cp "$build/main.ogg" "$tmp/game/main.ogg"

scores=$(sed -n 's/^# highscores: *//p' "$input")
if [ -n "$scores" ]; then
    # shellcheck disable=SC2086
    printf '%s\r\n' $scores > "$tmp/game/highscore.ini"
fi

# The command: the case's own arguments, then one --shot per golden.
# shellcheck disable=SC2046
set -- $(sed -n 's/^# args: *//p' "$input")
goldens=$(sed -n 's/^# golden: *//p' "$input")
shots=""
while read -r frame shot; do
    [ -n "$frame" ] || continue
    set -- "$@" --shot "$frame:$tmp/out/$shot.png"
    shots="$shots $shot"
done <<EOF
$goldens
EOF

status=0
"$headless" --dir "$tmp/game" --input "$input" --trace "$tmp/out/trace.tsv" --state "$tmp/out/state.json" "$@" \
    || status=$?
if [ "$status" -ne 0 ]; then
    echo "case $name: zep-headless exited with status $status" >&2
    exit 1
fi
(cd "$tmp/out" && sha256sum state.json | cut -d' ' -f1) > "$tmp/out/state.sha256"

expected=$here/expected
if [ "$mode" = regen ]; then
    cp "$tmp/out/trace.tsv" "$expected/$name.tsv"
    cp "$tmp/out/state.sha256" "$expected/$name.state.sha256"
    rm -f "$expected/$name.highscore.ini"
    if [ -f "$tmp/game/highscore.ini" ]; then cp "$tmp/game/highscore.ini" "$expected/$name.highscore.ini"; fi
    for shot in $shots; do cp "$tmp/out/$shot.png" "$here/goldens/$shot.png"; done
    echo "case $name: expected files and goldens rewritten"
    exit 0
fi

failed=""
cmp -s "$tmp/out/trace.tsv" "$expected/$name.tsv" || {
    echo "case $name: the trace differs from expected/$name.tsv; first differences:" >&2
    diff "$expected/$name.tsv" "$tmp/out/trace.tsv" 2>&1 | head -n 12 >&2 || true
    failed="$failed trace"
}
cmp -s "$tmp/out/state.sha256" "$expected/$name.state.sha256" || {
    echo "case $name: the final state's digest differs from expected/$name.state.sha256" >&2
    failed="$failed state"
}
# The folder's best-score file after the game: written by a win only.
if [ -f "$expected/$name.highscore.ini" ]; then
    cmp -s "$tmp/game/highscore.ini" "$expected/$name.highscore.ini" || {
        echo "case $name: the best-score file differs from expected/$name.highscore.ini (or is missing)" >&2
        failed="$failed highscore.ini"
    }
elif [ -f "$tmp/game/highscore.ini" ]; then
    echo "case $name: the game wrote a best-score file where none was expected" >&2
    failed="$failed highscore.ini"
fi
for shot in $shots; do
    cmp -s "$tmp/out/$shot.png" "$here/goldens/$shot.png" || {
        echo "case $name: shot $shot differs from goldens/$shot.png" >&2
        failed="$failed $shot.png"
    }
done

if [ -n "$failed" ]; then
    keep=$build/runner-failed/$name
    rm -rf "$keep"
    mkdir -p "$keep"
    cp "$tmp/out/"* "$keep/"
    echo "case $name: FAILED ($failed ); this run's outputs are kept in $keep" >&2
    echo "If the change was meant, regenerate with: sh $here/regen.sh $build $name" >&2
    exit 1
fi
echo "case $name: trace, state and best scores match${shots:+; shots:$shots}"
