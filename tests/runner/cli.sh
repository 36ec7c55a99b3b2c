#!/bin/sh
# zep-headless's own command line: each bad argument or input script is
# refused with one line naming the problem and the right exit status (2: bad
# command line or script, nothing runs and no output is made; 1: the game or
# an output failed), and the defaults and output paths behave as documented.
#   cli.sh HEADLESS BUILD_DIR
set -eu

headless=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
build=$(cd "$2" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zep-runner-cli-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/game" "$tmp/empty" "$tmp/work"
cp -R "$build/Images" "$tmp/game/Images"
cp "$build/main.ogg" "$tmp/game/main.ogg"
: > "$tmp/file"
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# expect WHAT STATUS MESSAGE ARGS...: runs the runner with ARGS (a trace is
# asked for in $tmp/out.tsv) and checks the status and the one-line message.
# A refused command line (status 2) must leave no trace file behind.
expect() {
    what=$1 want_status=$2 want=$3
    shift 3
    rm -f "$tmp/out.tsv"
    status=0
    "$headless" "$@" >"$tmp/stdout" 2>"$tmp/stderr" || status=$?
    [ "$status" -eq "$want_status" ] || fail "$what: exit status $status, expected $want_status"
    got=$(cat "$tmp/stderr")
    [ "$got" = "$want" ] || fail "$what: message
  got:      $got
  expected: $want"
    [ "$(wc -l < "$tmp/stderr")" -eq 1 ] || fail "$what: the message is not one line"
    if [ "$want_status" -eq 2 ] && [ -e "$tmp/out.tsv" ]; then fail "$what: refused, yet made a trace"; fi
    return 0
}

script() { printf '%b' "$2" > "$tmp/$1"; }

run="--dir $tmp/game --trace $tmp/out.tsv"

# --- Bad input scripts: the file and line are named, nothing runs ----------
script bad.in '0 press\n3 jump\n'
# shellcheck disable=SC2086
expect "unknown event" 2 "zep-headless: $tmp/bad.in:2: unknown event 'jump'" $run --input "$tmp/bad.in"
script key.in '0 move 1 1\n# a comment\n\n7 down Q\n'
# shellcheck disable=SC2086
expect "unknown key" 2 "zep-headless: $tmp/key.in:4: unknown key 'Q'" $run --input "$tmp/key.in"
script back.in '5 press\n3 release\n'
# shellcheck disable=SC2086
expect "frames going backwards" 2 "zep-headless: $tmp/back.in:2: frame 3 goes back before frame 5" \
    $run --input "$tmp/back.in"
script move.in '0 move 10\n'
# shellcheck disable=SC2086
expect "move without Y" 2 "zep-headless: $tmp/move.in:1: 'move' needs X and Y" $run --input "$tmp/move.in"
# shellcheck disable=SC2086
expect "missing input file" 2 "zep-headless: $tmp/none.in: No such file or directory" $run --input "$tmp/none.in"
# shellcheck disable=SC2086
expect "input is a folder" 2 "zep-headless: $tmp/empty: Is a directory" $run --input "$tmp/empty"

# --- Bad command lines -------------------------------------------------------
# shellcheck disable=SC2086
expect "shot without a colon" 2 "zep-headless: --shot '12': expected FRAME:FILE.png" $run --shot 12
# shellcheck disable=SC2086
expect "shot with a bad frame" 2 "zep-headless: --shot 'x:a.png': bad frame number 'x'" $run --shot x:a.png
# shellcheck disable=SC2086
expect "shot without a file" 2 "zep-headless: --shot '3:': missing file name after the frame" $run --shot 3:
# shellcheck disable=SC2086
expect "shot of present 0" 2 "zep-headless: --shot '3/0:a.png': bad present number '0' (1 is the frame's first)" \
    $run --shot 3/0:a.png
# shellcheck disable=SC2086
expect "shot past the last frame" 2 "zep-headless: --shot 5: the run has only 5 frames (0 to 4)" \
    $run --frames 5 --shot "5:$tmp/a.png"
# shellcheck disable=SC2086
expect "negative seed" 2 "zep-headless: --seed: '-1' is not a whole number from 0 to 4294967295" $run --seed -1
# shellcheck disable=SC2086
expect "seed past uint32" 2 "zep-headless: --seed: '4294967296' is not a whole number from 0 to 4294967295" \
    $run --seed 4294967296
# shellcheck disable=SC2086
expect "bad frame count" 2 "zep-headless: --frames: 'ten' is not a whole number from 0 to 1000000000" \
    $run --frames ten
# shellcheck disable=SC2086
expect "unknown option" 2 "zep-headless: unknown option '--fast'" $run --fast
# shellcheck disable=SC2086
expect "option without its value" 2 "zep-headless: --frames needs a value" $run --frames
# shellcheck disable=SC2086
expect "option twice" 2 "zep-headless: --seed given twice" $run --seed 1 --seed 2

# --- The game's folder and outputs ---------------------------------------------
expect "missing folder" 1 "zep-headless: $tmp/nowhere: No such file or directory" \
    --dir "$tmp/nowhere" --trace "$tmp/out.tsv"
[ ! -e "$tmp/out.tsv" ] || fail "missing folder: made a trace"
expect "folder is a file" 1 "zep-headless: $tmp/file: not a folder" --dir "$tmp/file"
expect "folder without images" 1 "zep-headless: Images/tile.png: cannot open: No such file or directory" \
    --dir "$tmp/empty"
expect "trace in a missing folder" 1 \
    "zep-headless: $tmp/no/such.tsv: cannot open for writing: No such file or directory" \
    --dir "$tmp/game" --trace "$tmp/no/such.tsv"
# shellcheck disable=SC2086
expect "shot in a missing folder" 1 "zep-headless: $tmp/no/a.png: cannot open for writing: No such file or directory" \
    $run --frames 2 --shot "1:$tmp/no/a.png"
script exit.in '0 move 10 560\n1 press\n'
# shellcheck disable=SC2086
expect "shot after EXIT" 1 "zep-headless: --shot 50: not taken, EXIT ended the game at frame 1" \
    $run --input "$tmp/exit.in" --frames 60 --shot "50:$tmp/a.png"
[ "$(wc -l < "$tmp/out.tsv")" -eq 3 ] || fail "shot after EXIT: the trace should hold frames 0 and 1"
# shellcheck disable=SC2086
expect "second present of a menu frame" 1 "zep-headless: --shot 3/2: frame 3 presented 1 time(s)" \
    $run --frames 5 --shot "3/2:$tmp/a.png"

# --- Defaults and paths ----------------------------------------------------------
# Without --frames the run goes through the last event's frame, or the last shot's.
script four.in '4 move 1 1\n'
"$headless" --dir "$tmp/game" --input "$tmp/four.in" --trace "$tmp/out.tsv" || fail "four frames: status $?"
[ "$(tail -n 1 "$tmp/out.tsv" | cut -f1)" = 4 ] || fail "the run should end with the last event's frame, 4"
"$headless" --dir "$tmp/game" --input "$tmp/four.in" --shot "9:$tmp/a.png" --trace "$tmp/out.tsv" ||
    fail "shot frame 9: status $?"
[ "$(tail -n 1 "$tmp/out.tsv" | cut -f1)" = 9 ] || fail "the run should reach the last shot's frame, 9"
# Relative output paths are the caller's, though the game enters its own folder.
(cd "$tmp/work" && "$headless" --dir ../game --frames 3 --trace t.tsv --state s.json --shot 2:m.png) ||
    fail "relative paths: status $?"
for f in t.tsv s.json m.png; do
    [ -s "$tmp/work/$f" ] || fail "relative paths: $f not written in the caller's folder"
    [ ! -e "$tmp/game/$f" ] || fail "relative paths: $f written in the game's folder"
done
# --time prints its table on standard output, one line per screen.
"$headless" --dir "$tmp/game" --frames 3 --time > "$tmp/time.txt" || fail "--time: status $?"
grep -q '^menu  *3 ' "$tmp/time.txt" || fail "--time: no menu line for 3 frames: $(cat "$tmp/time.txt")"
grep -q 'frames/s' "$tmp/time.txt" || fail "--time: no frames per second"

if [ "$failures" -ne 0 ]; then
    echo "cli.sh: $failures check(s) failed" >&2
    exit 1
fi
echo "cli.sh: every check passed"
