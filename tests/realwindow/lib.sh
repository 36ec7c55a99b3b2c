# Shared steps of the real-window tests: a private copy of the game, a
# private X server, the game in it, input through xdotool, screenshots read
# with ImageMagick, and a cleanup that always runs. Sourced by each test as
#   . lib.sh; rw_begin NAME ZEP_PATH OUTPUT_FOLDER
# All state lives in RW_* variables of the sourcing script.

set -u

# Fails the test with a reason; the EXIT trap cleans up. Inside $(...) it
# ends only that subshell: callers add "|| exit 1" where it matters.
rw_fail() {
    echo "FAIL ($RW_NAME): $*" >&2
    exit 1
}

# Notes a step that passed, so a failing run shows how far it got.
rw_ok() {
    echo "ok: $*"
}

# Sets up the work folder and the artefact folder and installs the cleanup.
# $1 test name, $2 the built zep, $3 where screenshots are kept.
rw_begin() {
    RW_NAME=$1
    RW_ZEP_BUILT=$2
    RW_OUT=$3
    RW_ZEP_PID=""
    RW_XVFB_PID=""
    RW_EXTRA_PIDS=""
    [ -x "$RW_ZEP_BUILT" ] || rw_fail "no game program at $RW_ZEP_BUILT"
    for tool in Xvfb xdotool xprop import convert identify compare; do
        command -v "$tool" >/dev/null || rw_fail "$tool is missing (run scripts/install-deps)"
    done
    mkdir -p "$RW_OUT" || rw_fail "cannot make $RW_OUT"
    RW_WORK=$(mktemp -d "${TMPDIR:-/tmp}/zep-$RW_NAME.XXXXXX") || rw_fail "no temp folder"
    # The game may fall back to a per-user score file: keep it inside the work folder.
    export HOME="$RW_WORK/home" XDG_DATA_HOME="$RW_WORK/home/.local/share"
    mkdir -p "$HOME"
    trap rw_cleanup EXIT
    trap 'exit 1' INT TERM HUP
}

# Kills one process we started (if still there) and reaps it.
rw_kill() {
    local pid=$1
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    kill -CONT "$pid" 2>/dev/null # a stopped process acts on TERM only once resumed
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        kill -0 "$pid" 2>/dev/null || break
        [ "$(rw_proc_state "$pid")" = Z ] && break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

# The one-letter state of a process (R, S, Z...), empty when it is gone.
rw_proc_state() {
    sed -n 's/^[0-9]* (.*) \([A-Za-z]\) .*/\1/p' "/proc/$1/stat" 2>/dev/null
}

# Stops the game, the helpers and the X server, and removes the work folder.
rw_cleanup() {
    local status=$?
    rw_kill "$RW_ZEP_PID"
    local pid
    for pid in $RW_EXTRA_PIDS; do rw_kill "$pid"; done
    rw_kill "$RW_XVFB_PID"
    [ -n "${RW_WORK:-}" ] && rm -rf "$RW_WORK"
    exit "$status"
}

# Copies the built game (program, images, music) into folder $1.
rw_copy_game() {
    local from
    from=$(dirname "$RW_ZEP_BUILT")
    mkdir -p "$1" || rw_fail "cannot make $1"
    cp "$RW_ZEP_BUILT" "$1/zep" && cp -r "$from/Images" "$1/" && cp "$from/main.ogg" "$1/" ||
        rw_fail "cannot copy the game from $from"
}

# Writes a high-score file with the bytes $2 (backslash escapes such as \r\n
# taken as in printf) into folder $1.
rw_write_scores() {
    printf '%b' "$2" >"$1/highscore.ini" || rw_fail "cannot write $1/highscore.ini"
}

# Starts a private X server on a free display (the server picks it) and
# exports DISPLAY. Screen 1024x768x24, no TCP, and no reset when the last
# client leaves (a reset hangs up on a client connecting meanwhile, and keeps
# no keyboard layout); further arguments are passed on to Xvfb.
rw_start_x() {
    local numfile="$RW_WORK/display"
    : >"$numfile"
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset "$@" 9>"$numfile" >"$RW_WORK/xvfb.log" 2>&1 &
    RW_XVFB_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$numfile" ] && break
        kill -0 "$RW_XVFB_PID" 2>/dev/null || rw_fail "Xvfb did not start: $(cat "$RW_WORK/xvfb.log")"
        sleep 0.05
    done
    [ -s "$numfile" ] || rw_fail "Xvfb gave no display number within 5 s"
    DISPLAY=":$(tr -dc 0-9 <"$numfile")"
    export DISPLAY
    rw_ok "X server on $DISPLAY"
}

# Starts the game program $1 with the current folder $2, silent sound, and
# the signals' default actions (a script's background job would otherwise
# ignore Ctrl-C); any further arguments are NAME=VALUE settings for its
# environment. Sets RW_ZEP_PID.
rw_start_zep() {
    local program=$1 cwd=$2
    shift 2
    # Under AddressSanitizer: the X, GL and D-Bus libraries leak at exit, and
    # SDL unloads some of them before the leak report, so those leaks cannot
    # be suppressed by name. The game's own leaks are the headless tests' job.
    (cd "$cwd" && exec env --default-signal=INT,TERM,QUIT SDL_AUDIODRIVER=dummy \
        ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" "$@" "$program") \
        >"$RW_WORK/zep.out" 2>&1 &
    RW_ZEP_PID=$!
}

# Waits (20 s at most) for the game's window and sets RW_WID. Fails at
# once if the game ends first.
rw_wait_window() {
    RW_WID=""
    local deadline=$((SECONDS + 20))
    while [ -z "$RW_WID" ]; do
        local state
        state=$(rw_proc_state "$RW_ZEP_PID")
        [ -n "$state" ] && [ "$state" != Z ] || rw_fail "the game ended before its window showed: $(cat "$RW_WORK/zep.out")"
        [ "$SECONDS" -lt "$deadline" ] || rw_fail "no window named ZEP within 20 s: $(cat "$RW_WORK/zep.out")"
        RW_WID=$(xdotool search --onlyvisible --name '^ZEP$' 2>/dev/null | head -n 1)
        [ -n "$RW_WID" ] || sleep 0.1
    done
    rw_ok "window $RW_WID"
    # With no window manager the keyboard focus follows the pointer: bring
    # it in over an empty spot of the menu, then wait, since SDL drops a click
    # that comes within 200 ms of the window's gaining the focus.
    rw_mouse 780 380
    sleep 0.4
}

# Starts program $1 in current folder $2 (further arguments as for
# rw_start_zep) and waits for its window; the X server must be up.
rw_launch() {
    rw_start_zep "$@"
    rw_wait_window
}

# Moves the mouse to ($1, $2) of the window's client area.
rw_mouse() {
    xdotool mousemove --window "$RW_WID" "$1" "$2" || rw_fail "mousemove failed"
    sleep 0.05
}

# A left click held for 0.1 s at ($1, $2): the game reads the button as a
# state once a frame, as a player's finger would hold it for several frames.
rw_click() {
    rw_mouse "$1" "$2"
    xdotool mousedown 1 && sleep 0.1 && xdotool mouseup 1 || rw_fail "click at $1,$2 failed"
    sleep 0.05
}

# Holds key $1 for $2 seconds (default 0.2). The pointer must be over the
# window: with no window manager the keyboard follows it.
rw_key() {
    xdotool keydown "$1" && sleep "${2:-0.2}" && xdotool keyup "$1" || rw_fail "key $1 failed"
    sleep 0.05
}

# Takes a screenshot of the window's client area into the work folder as $1.png
# and prints its path.
rw_shot() {
    local path="$RW_WORK/$1.png"
    import -window "$RW_WID" "$path" 2>"$RW_WORK/import-$1.err" ||
        rw_fail "screenshot failed: $(cat "$RW_WORK/import-$1.err")"
    echo "$path"
}

# Copies screenshot $1 into the artefact folder and prints where it went.
rw_keep() {
    cp "$1" "$RW_OUT/" || rw_fail "cannot keep $1"
    echo "artefact: $RW_OUT/$(basename "$1")"
}

# Prints the colour histogram of image $1 inside geometry $2 (WxH+X+Y), one
# "count: (r,g,b) ..." line per colour, for rw_count.
rw_band() {
    convert "$1" -crop "$2" +repage -format %c histogram:info:- || rw_fail "cannot read $1 at $2"
}

# Counts the pixels of histogram $1 (from rw_band) whose colour is within $3
# of R,G,B $2 in every channel ($3 defaults to 0: exact).
rw_count() {
    echo "$1" | awk -v want="$2" -v tol="${3:-0}" '
        BEGIN { split(want, w, ","); n = 0 }
        {
            count = $0; sub(/:.*/, "", count)
            rgb = $0; sub(/^[^(]*\(/, "", rgb); sub(/\).*/, "", rgb)
            split(rgb, c, ",")
            ok = 1
            for (k = 1; k <= 3; ++k) {
                d = c[k] - w[k]; if (d < 0) d = -d
                if (d > tol) ok = 0
            }
            if (ok) n += count + 0
        }
        END { print n }'
}

# Counts the pixels of image $1 inside geometry $2 within $4 of colour $3.
rw_count_colour() {
    rw_count "$(rw_band "$1" "$2")" "$3" "${4:-0}"
}

# Counts the pixels that differ between the same geometry $3 of images $1 and $2.
rw_count_differences() {
    local a="$RW_WORK/diff-a.png" b="$RW_WORK/diff-b.png"
    convert "$1" -crop "$3" +repage "$a" && convert "$2" -crop "$3" +repage "$b" || rw_fail "cannot crop $3"
    # compare prints the count on stderr (and exits 1 when the images differ);
    # anything else is an error, printed as such so that no check can pass on it.
    local out
    out=$(compare -metric AE "$a" "$b" null: 2>&1)
    case $out in
    '' | *[!0-9.e+]*) echo "compare-failed: $out" ;;
    *) awk -v n="$out" 'BEGIN { printf "%d\n", n + 0 }' ;;
    esac
}

# Repeats command "$@" every 0.1 s until it succeeds or $RW_WAIT seconds (20)
# pass: generous, for a loaded machine or a sanitizer build.
rw_until() {
    local deadline=$((SECONDS + ${RW_WAIT:-20}))
    while ! "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Waits up to $1 seconds for the game to end; sets RW_STATUS to its exit
# status (128 + N for signal N) and clears RW_ZEP_PID. Fails if it goes on.
rw_wait_exit() {
    local limit=$1 ticks=0 state
    while :; do
        state=$(rw_proc_state "$RW_ZEP_PID")
        [ -z "$state" ] || [ "$state" = Z ] && break
        ticks=$((ticks + 1))
        [ "$ticks" -le $((limit * 20)) ] || rw_fail "the game was still running ${limit} s later"
        sleep 0.05
    done
    wait "$RW_ZEP_PID"
    RW_STATUS=$?
    RW_ZEP_PID=""
}

# True once no window named ZEP is left (2 s at most): the X server drops a
# client's windows a moment after the client goes.
rw_window_gone() {
    local ticks=0
    while [ -n "$(xdotool search --name '^ZEP$' 2>/dev/null)" ]; do
        ticks=$((ticks + 1))
        [ "$ticks" -le 20 ] || return 1
        sleep 0.1
    done
}
