#!/bin/sh
# The bad-input matrix: the real program `zep`, in a private copy of the game
# folder under a private X server, started once for every broken file and
# broken environment the game can meet. Where the game cannot run it must
# exit 1 with one line on stderr naming the file and the problem; where it
# can, it must show its window within seconds, print only the documented
# message, leave highscore.ini as it was, and end on SIGTERM like any
# program. Never a crash, a hang or a window left behind.
#
#   run.sh ZEP GROUP [ZEP_HEADLESS]
#
# GROUP: images, music, scores, environment or folder (the read-only game
# folder at a win, and a loss, played by the headless runner ZEP_HEADLESS).
# Exit status 0 when every case held, 1 when one did not, 77 when the group
# could not run here (ctest reports that as skipped).
set -u

ZEP_BUILT=${1:?usage: run.sh ZEP GROUP [ZEP_HEADLESS]}
GROUP=${2:?usage: run.sh ZEP GROUP [ZEP_HEADLESS]}
HEADLESS=${3:-}
ASSETS=$(dirname "$ZEP_BUILT")

IMAGES="tile tileON tileBOMB tileGOAL tileSAFE tileHELPER player1 player2 player3 player4"
# How long a run may take before it counts as a hang, and how long the game
# may take to show its window (generous for the sanitizer build).
RUN_LIMIT=30
WINDOW_LIMIT=15

passed=0
failed=0
skipped=0
WORK=""
XVFB_PID=""
GAME_PID=""
MOUNTED=""

# --- Bookkeeping ---------------------------------------------------------------

ok() {
    passed=$((passed + 1))
    echo "ok: $CASE"
}

fail() {
    failed=$((failed + 1))
    echo "FAIL: $CASE: $*"
}

skip() {
    skipped=$((skipped + 1))
    echo "skip: $CASE: $*"
}

# Kills a process this script started, and reaps it.
stop_pid() {
    [ -n "$1" ] || return 0
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 0
}

cleanup() {
    stop_pid "$GAME_PID"
    stop_pid "$XVFB_PID"
    for m in $MOUNTED; do umount "$m" 2>/dev/null; done
    if [ -n "$WORK" ]; then
        chmod -R u+rwx "$WORK" 2>/dev/null
        rm -rf "$WORK"
    fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

need() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "skip: $GROUP: $tool is missing (scripts/install-deps installs it)"
            exit 77
        fi
    done
}

[ -x "$ZEP_BUILT" ] || { echo "FAIL: no game program at $ZEP_BUILT"; exit 1; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/zep-badinput-$GROUP.XXXXXX") || exit 1
# The game's per-user score place, kept inside the work folder.
mkdir -p "$WORK/home" "$WORK/runtime"
chmod 700 "$WORK/runtime"

# A private X server. Its display number is drawn at random from a high range
# rather than found by scanning up from :0 (as -displayfd does), so it keeps
# clear of the other X servers that tests start side by side; a number that
# turns out to be taken is simply drawn again.
start_x() {
    need Xvfb xdotool od import convert
    tries=0
    while [ $tries -lt 10 ]; do
        tries=$((tries + 1))
        number=$(($(od -An -N2 -tu2 /dev/urandom | tr -d ' \n') % 50000 + 10000))
        # -noreset: by default the server resets when its last client leaves
        # and hangs up on anyone who connects during the reset.
        Xvfb ":$number" -noreset -nolisten tcp -screen 0 1024x768x24 >"$WORK/xvfb.log" 2>&1 &
        XVFB_PID=$!
        n=0
        while [ $n -lt 100 ] && kill -0 "$XVFB_PID" 2>/dev/null; do
            if DISPLAY=":$number" xdotool getdisplaygeometry >/dev/null 2>&1; then
                # A server that found the number taken exits at once: ours
                # must still be there a moment after the display answered.
                sleep 0.3
                if kill -0 "$XVFB_PID" 2>/dev/null; then
                    X_DISPLAY=":$number"
                    return 0
                fi
                break
            fi
            sleep 0.1
            n=$((n + 1))
        done
        stop_pid "$XVFB_PID"
        XVFB_PID=""
    done
    echo "FAIL: no private Xvfb would start:"
    cat "$WORK/xvfb.log"
    exit 1
}

# --- The game folder -----------------------------------------------------------

# A fresh copy of the built game in $WORK/game (program, images, music).
fresh_game() {
    GAME="$WORK/game"
    chmod -R u+rwx "$GAME" 2>/dev/null
    rm -rf "$GAME"
    mkdir -p "$GAME"
    cp "$ZEP_BUILT" "$GAME/zep" && cp -r "$ASSETS/Images" "$GAME/" && cp "$ASSETS/main.ogg" "$GAME/" || {
        echo "FAIL: cannot copy the game from $ASSETS"
        exit 1
    }
}

# PNG signature, an IHDR of the given width and height (8-bit RGB, with a
# correct CRC) and IEND: all a loader needs to see to judge the size.
png_zero_size() {
    printf '\211PNG\r\n\032\n\000\000\000\015IHDR\000\000\000\000\000\000\000\000\010\002\000\000\000\264\351\353\105\000\000\000\000IEND\256\102\140\202'
}
png_huge_size() {
    printf '\211PNG\r\n\032\n\000\000\000\015IHDR\000\001\206\240\000\001\206\240\010\002\000\000\000\047\060\234\237\000\000\000\000IEND\256\102\140\202'
}

# Spoils file $1 (relative to the game folder) in the way $2 names.
spoil() {
    f="$GAME/$1"
    case $2 in
    missing) rm -f "$f" ;;
    empty) : >"$f" ;;
    truncated)
        size=$(wc -c <"$f")
        head -c $((size / 2)) "$f" >"$f.cut" && mv "$f.cut" "$f"
        ;;
    headers-cut) head -c 3000 "$f" >"$f.cut" && mv "$f.cut" "$f" ;;
    text) echo "this is a note, not a picture or a tune" >"$f" ;;
    zero-size) png_zero_size >"$f" ;;
    huge-size) png_huge_size >"$f" ;;
    folder) rm -f "$f" && mkdir "$f" ;;
    fifo) rm -f "$f" && mkfifo "$f" ;;
    unreadable) chmod 000 "$f" ;;
    esac
}

# --- Running the game ----------------------------------------------------------

# The environment of every run: nothing from the caller's session but PATH,
# a private home and an empty runtime folder (so no sound server is found),
# plus the given assignments. In a sanitizer build, LeakSanitizer's report at
# exit is switched off: after a refused start it lists only what libdbus and
# the libraries SDL loads and unloads again keep (one report a run, none of it
# ours, and unloaded code cannot even be named in a suppression); the game's
# own leaks are the unit tests' and the fuzzers' business. ASan's memory
# checks and UBSan stay on, and any report of theirs fails the case.
game_env() {
    exec env -i PATH="$PATH" HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime" ASAN_OPTIONS=detect_leaks=0 "$@"
}

# Whether a window titled exactly ZEP exists on our display.
zep_window() {
    DISPLAY=$X_DISPLAY xdotool search --name '^ZEP$' >/dev/null 2>&1
}

# Whether that window shows anything but black: the menu's first frame.
zep_drawn() {
    wid=$(DISPLAY=$X_DISPLAY xdotool search --name '^ZEP$' 2>/dev/null | head -n 1)
    [ -n "$wid" ] || return 1
    level=$(import -display "$X_DISPLAY" -window "$wid" png:- 2>/dev/null |
        convert png:- -format '%[fx:maxima]' info: 2>/dev/null)
    [ -n "$level" ] && [ "$level" != 0 ]
}

# The game must refuse to run: exit status 1, exactly the one line $1 on
# stderr, within the time limit, and no window left. Further arguments are
# assignments for the environment (default: our display, no sound device).
expect_refusal() {
    want=$1
    shift
    [ $# -gt 0 ] || set -- DISPLAY="$X_DISPLAY" SDL_AUDIODRIVER=dummy
    (cd "$GAME" && game_env "$@" timeout -k 5 "$RUN_LIMIT" ./zep >"$WORK/stdout" 2>"$WORK/stderr")
    status=$?
    got=$(cat "$WORK/stderr")
    lines=$(wc -l <"$WORK/stderr")
    if [ $status -eq 124 ] || [ $status -eq 137 ]; then
        fail "still running after ${RUN_LIMIT}s (a hang)"
    elif [ $status -ne 1 ]; then
        fail "exit status $status, want 1; stderr: $got"
    elif [ "$lines" -ne 1 ] || [ "$got" != "$want" ]; then
        fail "stderr is '$got', want the one line '$want'"
    elif [ -n "${X_DISPLAY:-}" ] && zep_window; then
        fail "a ZEP window is still there after the game ended"
    else
        ok
    fi
}

# Fingerprint of highscore.ini (kind, size, mode, time and the bytes of a
# small file), so a run that changed it in any way shows.
score_print() {
    f="$GAME/highscore.ini"
    if [ ! -e "$f" ] && [ ! -L "$f" ]; then
        echo absent
        return
    fi
    stat -c '%F %s %a %Y' "$f" 2>/dev/null
    if [ -f "$f" ] && [ "$(stat -c %s "$f")" -le 1048576 ] && [ -r "$f" ]; then cksum <"$f"; fi
}

# Leftovers of an interrupted save beside highscore.ini.
temporaries() {
    ls "$GAME" | grep -c '^highscore\.ini\.tmp-' 2>/dev/null
}

# The game must run: its window titled ZEP shows and draws a frame within the
# limit, stderr holds exactly $1 (may be empty), SIGTERM ends it as the
# signal's normal effect (status 143), and highscore.ini is as it was.
# Further arguments are environment assignments as for expect_refusal.
expect_running() {
    want=$1
    shift
    [ $# -gt 0 ] || set -- DISPLAY="$X_DISPLAY" SDL_AUDIODRIVER=dummy
    before=$(score_print)
    # game_env execs, so the background job's pid is the game's own.
    (cd "$GAME" && game_env "$@" ./zep >"$WORK/stdout" 2>"$WORK/stderr") &
    GAME_PID=$!
    shown=""
    n=0
    drawn=""
    # The window opens part-way through start-up; the first frame in it
    # comes once start-up is over (music included), so stderr is complete.
    while [ $n -lt $((WINDOW_LIMIT * 5)) ]; do
        kill -0 "$GAME_PID" 2>/dev/null || break
        if [ -z "$shown" ] && zep_window; then shown=yes; fi
        if [ -n "$shown" ] && zep_drawn; then
            drawn=yes
            break
        fi
        sleep 0.2
        n=$((n + 1))
    done
    alive=""
    kill -0 "$GAME_PID" 2>/dev/null && alive=yes
    kill -TERM "$GAME_PID" 2>/dev/null
    n=0
    while kill -0 "$GAME_PID" 2>/dev/null && [ $n -lt 150 ]; do
        # A zombie has ended: wait reaps it below.
        [ "$(sed -n 's/^[0-9]* (.*) \([A-Z]\) .*/\1/p' "/proc/$GAME_PID/stat" 2>/dev/null)" = Z ] && break
        sleep 0.1
        n=$((n + 1))
    done
    if kill -0 "$GAME_PID" 2>/dev/null && [ "$(sed -n 's/^[0-9]* (.*) \([A-Z]\) .*/\1/p' "/proc/$GAME_PID/stat" 2>/dev/null)" != Z ]; then
        kill -KILL "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
        GAME_PID=""
        fail "did not end within 15 s of SIGTERM"
        return
    fi
    wait "$GAME_PID" 2>/dev/null
    status=$?
    GAME_PID=""
    got=$(cat "$WORK/stderr")
    # A sound library's own complaints, when the case allows them (NOISE).
    [ -n "${NOISE:-}" ] && got=$(grep -v "^$NOISE" "$WORK/stderr")
    after=$(score_print)
    if [ -z "$alive" ]; then
        fail "ended by itself with status $status before SIGTERM; stderr: $got"
    elif [ -z "$shown" ]; then
        fail "no window titled ZEP within ${WINDOW_LIMIT}s; stderr: $got"
    elif [ -z "$drawn" ]; then
        fail "the window showed no frame within ${WINDOW_LIMIT}s; stderr: $got"
    elif [ $status -ne 143 ]; then
        fail "SIGTERM gave exit status $status, want 143 (killed by the signal)"
    elif [ "$got" != "$want" ]; then
        fail "stderr is '$got', want '$want'"
    elif [ "$before" != "$after" ]; then
        fail "highscore.ini changed: '$before' became '$after'"
    elif [ "$(temporaries)" -ne 0 ]; then
        fail "a temporary score file was left behind"
    elif zep_window; then
        fail "a ZEP window is still there after the game ended"
    else
        ok
    fi
}

# --- The groups ----------------------------------------------------------------

# Every image and the music, each spoilt every way that makes it unusable.
group_images() {
    start_x
    for name in $IMAGES; do
        file="Images/$name.png"
        for how in missing empty truncated text zero-size huge-size folder fifo unreadable; do
            CASE="$file $how"
            case $how in
            missing) problem="cannot open: No such file or directory" ;;
            empty) problem="empty file" ;;
            truncated) problem="truncated PNG data" ;;
            text) problem="not a PNG image" ;;
            zero-size) problem="image has no pixels" ;;
            huge-size) problem="image too large (100000 x 100000)" ;;
            folder) problem="is a folder" ;;
            fifo) problem="not a regular file" ;;
            unreadable) problem="cannot open: Permission denied" ;;
            esac
            if [ "$how" = unreadable ] && [ "$(id -u)" -eq 0 ]; then
                skip "root reads any file"
                continue
            fi
            fresh_game
            spoil "$file" "$how"
            expect_refusal "zep: $file: $problem"
        done
    done
}

group_music() {
    start_x
    for how in missing empty headers-cut text image folder fifo unreadable truncated; do
        CASE="main.ogg $how"
        fresh_game
        case $how in
        truncated)
            # Every whole page up to the cut still decodes: the game plays
            # the part that is there, and loops it.
            spoil main.ogg truncated
            expect_running ""
            continue
            ;;
        image) cp "$GAME/Images/tile.png" "$GAME/main.ogg" ;;
        unreadable)
            if [ "$(id -u)" -eq 0 ]; then
                skip "root reads any file"
                continue
            fi
            spoil main.ogg unreadable
            ;;
        *) spoil main.ogg "$how" ;;
        esac
        case $how in
        missing) problem="cannot open: No such file or directory" ;;
        empty) problem="empty file" ;;
        headers-cut | text | image) problem="not an Ogg Vorbis file" ;;
        folder) problem="is a folder" ;;
        fifo) problem="not a regular file" ;;
        unreadable) problem="cannot open: Permission denied" ;;
        esac
        expect_refusal "zep: main.ogg: $problem"
    done
}

# highscore.ini in every broken shape: the game starts with zeros and runs.
group_scores() {
    start_x
    for how in missing empty folder fifo unreadable garbage huge-sparse long-line; do
        CASE="highscore.ini $how"
        fresh_game
        f="$GAME/highscore.ini"
        want=""
        case $how in
        missing) ;;
        empty) : >"$f" ;;
        folder)
            mkdir "$f"
            want="zep: highscore.ini: Is a directory; starting with no best scores"
            ;;
        fifo)
            mkfifo "$f"
            want="zep: highscore.ini: not a regular file; starting with no best scores"
            ;;
        unreadable)
            if [ "$(id -u)" -eq 0 ]; then
                skip "root reads any file"
                continue
            fi
            printf '5\r\n6\r\n7\r\n8\r\n' >"$f"
            chmod 000 "$f"
            want="zep: highscore.ini: Permission denied; starting with no best scores"
            ;;
        garbage) head -c 70000 /dev/urandom >"$f" ;;
        huge-sparse) truncate -s 500M "$f" ;;
        long-line)
            # One 8 MB line of digits and blanks with no line end at all.
            yes '12345 ' | head -c 8000000 | tr -d '\n' >"$f"
            ;;
        esac
        expect_running "$want"
    done
}

# The machine around the game: no sound device or server, no display.
group_environment() {
    start_x
    fresh_game
    CASE="sound: SDL_AUDIODRIVER unset, no sound server"
    # With no sound card SDL ends up trying ALSA, and libasound prints eight
    # "ALSA lib ..." lines about the missing card itself; the game then runs
    # silently as it should. Those lines are libasound's, so they are let
    # through here, and nothing else is.
    NOISE="ALSA lib "
    expect_running "" DISPLAY="$X_DISPLAY"
    NOISE=""
    CASE="sound: SDL_AUDIODRIVER=dummy"
    expect_running "" DISPLAY="$X_DISPLAY" SDL_AUDIODRIVER=dummy
    CASE="sound: SDL_AUDIODRIVER names no driver"
    expect_running "" DISPLAY="$X_DISPLAY" SDL_AUDIODRIVER=no-such-driver
    # No display: the one line names what is wrong with it.
    for how in unset dead; do
        CASE="display: DISPLAY $how"
        if [ "$how" = unset ]; then
            set -- SDL_AUDIODRIVER=dummy
            want="zep: cannot open the window: no display to show it on (DISPLAY is not set)"
        else
            set -- DISPLAY=":65000" SDL_AUDIODRIVER=dummy
            want="zep: cannot open the window: display :65000 cannot be reached (*)"
        fi
        (cd "$GAME" && game_env "$@" timeout -k 5 "$RUN_LIMIT" ./zep >"$WORK/stdout" 2>"$WORK/stderr")
        status=$?
        got=$(cat "$WORK/stderr")
        # shellcheck disable=SC2254
        case $got in
        $want)
            if [ $status -eq 1 ] && [ "$(wc -l <"$WORK/stderr")" -eq 1 ]; then ok; else fail "status $status, stderr '$got'"; fi
            ;;
        *) fail "status $status, stderr '$got', want '$want'" ;;
        esac
    done
}

# Makes $1 read-only for everyone, root included: a read-only bind mount.
read_only_folder() {
    mount --bind "$1" "$1" 2>/dev/null || return 1
    MOUNTED="$1 $MOUNTED"
    mount -o remount,ro,bind "$1" 2>/dev/null || return 1
    ! touch "$1/.probe" 2>/dev/null
}

unmount_folder() {
    umount "$1" 2>/dev/null
    MOUNTED=""
}

# The headless runner starting EASY with seed $1 and steering with key $2 (or
# none) for $3 frames; writes the final state to $WORK/state.json.
play_headless() {
    seed=$1 key=$2 frames=$3
    {
        echo "0 move 100 500"
        echo "0 press"
        echo "1 release"
        [ "$key" = none ] || echo "2 down $key"
    } >"$WORK/script"
    (cd "$WORK" && game_env XDG_DATA_HOME="$XDG" timeout -k 5 120 "$HEADLESS" --dir "$GAME" --seed "$seed" \
        --frames "$frames" --input "$WORK/script" --state "$WORK/state.json" \
        >"$WORK/stdout" 2>"$WORK/stderr")
}

# A number field of the state file.
state_field() {
    sed -n "s/^  \"$1\": *\\([-0-9.]*\\).*/\\1/p" "$WORK/state.json"
}

# Reads the board after the first play frame and prints the steering key
# whose straight run (rows stay put under W and S, columns under D and A)
# meets the goal before any bomb ("win"), or meets at least three bombs and
# no goal before the border ("loss": a bomb costs a life only once, and the
# figure comes back to the start each time and runs the same line again).
straight_lines() {
    awk -v want="$1" '
        /"playerRow"/ { v = $2; gsub(/[^0-9.]/, "", v); pr = int(v) }
        /"playerCol"/ { v = $2; gsub(/[^0-9.]/, "", v); pc = int(v) }
        /"lastRow"/ { v = $2; gsub(/[^0-9]/, "", v); n = int(v) }
        /"tiles"/ { inTiles = 1; r = 0; next }
        inTiles && /\[/ {
            line = $0; gsub(/[^0-9,]/, "", line); k = split(line, cell, ",")
            for (c = 1; c <= k; ++c) t[r, c - 1] = cell[c]
            ++r; next
        }
        inTiles { inTiles = 0 }
        END {
            # W: column - 1, S: column + 1, D: row - 1, A: row + 1.
            split("W S D A", keys, " "); split("0 0 -1 1", dr, " "); split("-1 1 0 0", dc, " ")
            for (d = 1; d <= 4; ++d) {
                i = pr; j = pc; bombs = 0; goal = 0
                while (1) {
                    i += dr[d]; j += dc[d]
                    if (i < 0 || j < 0 || i > n || j > n) break
                    if (t[i, j] == 2) { goal = 1; break }
                    if (t[i, j] == 1) ++bombs
                }
                if (want == "win" && goal && bombs == 0) { print keys[d]; exit }
                if (want == "loss" && !goal && bombs >= 3) { print keys[d]; exit }
            }
        }' "$WORK/state.json"
}

# Finds a seed whose first board has the wanted straight line ($1: win or
# loss); sets SEED and KEY.
find_board() {
    SEED=""
    KEY=""
    for s in $(seq 1 400); do
        play_headless "$s" none 2 || continue
        KEY=$(straight_lines "$1")
        if [ -n "$KEY" ]; then
            SEED=$s
            return 0
        fi
    done
    return 1
}

# The headless runner with no per-user score place at all.
play_headless_nowhere() {
    (cd "$WORK" && exec env -i PATH="$PATH" ASAN_OPTIONS=detect_leaks=0 timeout -k 5 120 "$HEADLESS" --dir "$GAME" --seed "$SEED" \
        --frames 1500 --input "$WORK/script" --state "$WORK/state.json" >"$WORK/stdout" 2>"$WORK/stderr")
}

# The read-only game folder at a win, and a loss in a writable one, played
# with the headless runner (the real game's start-up, rules and files, with
# scripted input and no window).
group_folder() {
    if [ -z "$HEADLESS" ] || [ ! -x "$HEADLESS" ]; then
        echo "skip: folder: the headless runner zep-headless is not built"
        exit 77
    fi
    XDG="$WORK/home/.local/share"
    # EASY's best is 1, so any win (start cell and goal: 2 at least) beats it.
    scores='1\r\n6\r\n7\r\n8\r\n'

    fresh_game
    printf "$scores" >"$GAME/highscore.ini"
    CASE="highscore.ini after a loss"
    if ! find_board loss; then
        fail "no seed in 1..400 gives a straight run over three bombs"
    else
        CASE="$CASE (seed $SEED, holding $KEY)"
        before=$(score_print)
        play_headless "$SEED" "$KEY" 1500
        status=$?
        lives=$(state_field lives)
        mode=$(state_field screenMode)
        if [ $status -ne 0 ]; then
            fail "the runner failed with status $status: $(cat "$WORK/stderr")"
        elif [ "$lives" != 0 ] || [ "$mode" != 0 ]; then
            fail "seed $SEED key $KEY: want a lost game back at the menu, got lives $lives, screen $mode"
        elif [ "$before" != "$(score_print)" ] || [ -s "$WORK/stderr" ] || [ -e "$XDG/zep" ]; then
            fail "a loss wrote a score file or printed: $(cat "$WORK/stderr")"
        else
            ok
        fi
    fi

    CASE="read-only folder at a win"
    if ! find_board win; then
        fail "no seed in 1..400 gives a straight run to the goal"
        return
    fi
    for place in per-user nowhere; do
        fresh_game
        printf "$scores" >"$GAME/highscore.ini"
        rm -rf "$XDG"
        CASE="read-only folder at a win (seed $SEED, holding $KEY), per-user place: $place"
        if ! read_only_folder "$GAME"; then
            unmount_folder "$GAME"
            skip "cannot make a read-only bind mount here"
            continue
        fi
        before=$(score_print)
        if [ "$place" = per-user ]; then
            play_headless "$SEED" "$KEY" 1500
        else
            play_headless_nowhere
        fi
        status=$?
        after=$(score_print)
        left=$(temporaries)
        unmount_folder "$GAME"
        lives=$(state_field lives)
        mode=$(state_field screenMode)
        high=$(sed -n 's/^  "highScores": \[\([-0-9]*\),.*/\1/p' "$WORK/state.json")
        got=$(cat "$WORK/stderr")
        if [ $status -ne 0 ]; then
            fail "the runner failed with status $status: $got"
        elif [ "$mode" != 0 ] || [ "${lives:-0}" -le 0 ] || [ "${high:-0}" -le 1 ]; then
            fail "seed $SEED key $KEY did not win (screen $mode, lives $lives, EASY best $high)"
        elif [ "$before" != "$after" ] || [ "$left" -ne 0 ]; then
            fail "the read-only folder's highscore.ini changed or a temporary was left"
        elif [ "$place" = per-user ]; then
            saved=$(head -n 1 "$XDG/zep/highscore.ini" 2>/dev/null | tr -d '\r')
            if [ -n "$got" ] || [ "$saved" != "$high" ]; then
                fail "want the win saved silently in \$XDG_DATA_HOME/zep/highscore.ini, got '$saved', stderr '$got'"
            else
                ok
            fi
        else
            case $got in
            "zep: highscore.ini: cannot save best scores: "*"Read-only file system") ok ;;
            *) fail "stderr is '$got', want 'zep: highscore.ini: cannot save best scores: ...: Read-only file system'" ;;
            esac
        fi
    done
}

case $GROUP in
images) group_images ;;
music) group_music ;;
scores) group_scores ;;
environment) group_environment ;;
folder) group_folder ;;
*)
    echo "run.sh: unknown group '$GROUP'"
    exit 2
    ;;
esac

echo "badinput $GROUP: $passed ok, $failed failed, $skipped skipped"
[ $failed -eq 0 ] || exit 1
[ $passed -gt 0 ] || exit 77
exit 0
