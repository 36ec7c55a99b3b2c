#!/bin/bash
# Measures the game's pace in a real window: frames shown per second and the
# share of one core the game (and the X server) use, 5 s in the menu and 5 s
# of play with the figure standing. A measurement, not a ctest test: it only
# fails when the pace is far from 60 steps a second (below 30 or above 90).
# Usage: measure-pacing.sh ZEP_PROGRAM COUNT_PRESENTS_LIBRARY [OUTPUT_FOLDER]
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rw_begin measure-pacing "$1" "${3:-${TMPDIR:-/tmp}/zep-measure-pacing}"
shim=$2
[ -r "$shim" ] || rw_fail "no count-presents library at $shim"
case $shim in /*) ;; *) shim="$PWD/$shim" ;; esac

game="$RW_WORK/game"
report="$RW_WORK/presents.txt"
rw_copy_game "$game"
rw_write_scores "$game" '3\r\n17\r\n0\r\n42\r\n'
rw_start_x
rw_launch "$game/zep" "$game" LD_PRELOAD="$shim" ZEP_PRESENT_COUNT_FILE="$report"
ticks=$(getconf CLK_TCK)

# CPU ticks (user + system) of process $1 so far.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

# Asks the shim for a report line and sets S_PRESENTS, S_TIME, S_GAME_TICKS, S_X_TICKS.
sample() {
    local before
    before=$( [ -f "$report" ] && wc -l <"$report" || echo 0)
    S_GAME_TICKS=$(cpu_ticks "$RW_ZEP_PID")
    S_X_TICKS=$(cpu_ticks "$RW_XVFB_PID")
    kill -USR1 "$RW_ZEP_PID"
    more() { [ "$( [ -f "$report" ] && wc -l <"$report" || echo 0)" -gt "$before" ]; }
    RW_WAIT=3 rw_until more || rw_fail "the count-presents library wrote no report (is it loaded?)"
    local line
    line=$(tail -n 1 "$report")
    S_PRESENTS=$(echo "$line" | sed 's/.*presents=\([0-9]*\).*/\1/')
    S_TIME=$(echo "$line" | sed 's/.*monotonic=\([0-9.]*\).*/\1/')
}

# Measures $2 seconds and prints one result line labelled $1; fails if wildly off.
measure() {
    sample
    local p0=$S_PRESENTS t0=$S_TIME g0=$S_GAME_TICKS x0=$S_X_TICKS
    sleep "$2"
    sample
    awk -v label="$1" -v p="$((S_PRESENTS - p0))" -v t0="$t0" -v t1="$S_TIME" \
        -v g="$((S_GAME_TICKS - g0))" -v x="$((S_X_TICKS - x0))" -v hz="$ticks" 'BEGIN {
            dt = t1 - t0
            printf "%s: %d frames in %.3f s = %.1f steps/s; CPU: game %.0f%%, X server %.0f%% of one core\n",
                label, p, dt, p / dt, 100 * g / hz / dt, 100 * x / hz / dt
            exit (p / dt < 30 || p / dt > 90) ? 1 : 0
        }' || rw_fail "$1: the pace is far from 60 steps a second"
}

menu_shown() { [ "$(rw_count_colour "$(rw_shot menu)" 480x64+0+256 255,255,255)" -gt 5000 ]; }
rw_until menu_shown || rw_fail "no menu"
sleep 1
measure menu 5

rw_click 50 500
playing() { [ "$(rw_count_colour "$(rw_shot play)" 800x60+0+540 49,49,254 6)" -gt 1000 ]; }
rw_until playing || rw_fail "START GAME did not start play"
sleep 1
measure play 5
