#!/bin/sh
# Wins a scripted game in copies of the installed game folder with the
# headless runner, and finds the best score in the right file:
#  - system-wide (the folder is read-only: a read-only bind mount as root,
#    no write permission otherwise): in $XDG_DATA_HOME/zep/highscore.ini,
#    zep/ made 0700, nothing written beside the program; the next start
#    reads it back;
#  - a portable copy (writable folder): beside the program, nothing per user.
# The win is a script of the runner's own cases (its "# args:" line gives the
# seed and frame count).
#   scores.sh HEADLESS PREFIX WIN_SCRIPT
# Exits 77 (skipped) when this machine cannot make a folder read-only for us.
set -eu
headless=$1
prefix=$(cd "$2" && pwd)
script=$3

fail() {
    echo "FAIL (installed scores): $*" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/zep-install-scores.XXXXXX")
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP
# shellcheck disable=SC2046
set -- $(sed -n 's/^# args: *//p' "$script")
[ "$#" -gt 0 ] || fail "$script has no '# args:' line"

# Runs the runner on the game copy $1 with the arguments that follow, with
# the folder read-only (as a system-wide install is) when $2 is "read-only".
run_game() {
    game=$1
    access=$2
    shift 2
    if [ "$access" != read-only ]; then
        "$headless" --dir "$game" "$@"
    elif [ "$(id -u)" -eq 0 ]; then
        # Root writes anywhere, except on a read-only mount: one of our own,
        # in a mount namespace that ends with the command.
        unshare --mount sh -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" &&
            if touch "$1/probe" 2>/dev/null; then echo "the folder is still writable" >&2; exit 3; fi &&
            shift && exec "$@"' sh "$game" "$headless" --dir "$game" "$@"
    else
        chmod -R a-w "$game"
        "$headless" --dir "$game" "$@"
        status=$?
        chmod -R u+w "$game"
        return "$status"
    fi
}

# The four best scores in a state file, "A B C D".
scores_of() {
    sed -n 's/^ *"highScores": \[\([-0-9,]*\)\],*$/\1/p' "$1" | tr ',' ' '
}

if [ "$(id -u)" -eq 0 ] && ! unshare --mount true 2>/dev/null; then
    echo "skipped: root here cannot make a private read-only mount, so no folder is read-only for it"
    exit 77
fi

# --- System-wide -------------------------------------------------------------
export XDG_DATA_HOME="$work/data" HOME="$work/home"
cp -R "$prefix/lib/zep" "$work/system"
run_game "$work/system" read-only "$@" --input "$script" --state "$work/won.json" || fail "the winning run failed"
set -- $(scores_of "$work/won.json")
[ "$#" -eq 4 ] || fail "no best scores in the runner's state"
best=$1
[ "$best" -gt 0 ] && [ "$2 $3 $4" = "0 0 0" ] || fail "the script did not win EASY (best scores $*)"

file=$XDG_DATA_HOME/zep/highscore.ini
[ -f "$file" ] || fail "no per-user file $file after the win"
printf '%s\r\n' "$best" 0 0 0 | cmp -s - "$file" || fail "$file holds '$(od -c "$file" | head -n 2)'"
[ "$(stat -c %a "$XDG_DATA_HOME/zep")" = 700 ] || fail "$XDG_DATA_HOME/zep has mode $(stat -c %a "$XDG_DATA_HOME/zep")"
[ ! -e "$work/system/highscore.ini" ] || fail "a file was written beside the installed program"
[ ! -e "$HOME" ] || fail "XDG_DATA_HOME is set, yet something was made under HOME"
echo "ok: system-wide: best $best in $file"

# The next start of the installed game reads the per-user file.
printf '# nothing: just start\n' > "$work/idle.in"
run_game "$work/system" read-only --frames 2 --input "$work/idle.in" --state "$work/next.json" ||
    fail "the second run failed"
[ "$(scores_of "$work/next.json")" = "$best 0 0 0" ] ||
    fail "the next start read '$(scores_of "$work/next.json")', not '$best 0 0 0'"
echo "ok: the next start reads $best from the per-user file"

# --- A portable copy ---------------------------------------------------------
export XDG_DATA_HOME="$work/data-portable"
set -- $(sed -n 's/^# args: *//p' "$script")
cp -R "$prefix/lib/zep" "$work/portable"
run_game "$work/portable" writable "$@" --input "$script" --state "$work/portable.json" || fail "the portable run failed"
printf '%s\r\n' "$best" 0 0 0 | cmp -s - "$work/portable/highscore.ini" ||
    fail "the portable copy's highscore.ini is missing or wrong"
[ ! -e "$XDG_DATA_HOME" ] || fail "the portable copy wrote under XDG_DATA_HOME"
echo "ok: portable copy: best $best beside the program"
