#!/bin/bash
# Only the menu's EXIT ends the game from inside: the window manager's close
# request (WM_DELETE_WINDOW) is ignored and the game plays on. From outside,
# SIGTERM (a session manager) and SIGINT (Ctrl-C in the terminal) end it at
# once, in the menu and during play.
# Usage: close-signals.sh ZEP_PROGRAM OUTPUT_FOLDER CLOSE_REQUEST_PROGRAM
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rw_begin close-signals "$1" "$2"
close_request=$3
[ -x "$close_request" ] || rw_fail "no close-request helper at $close_request"

game="$RW_WORK/game"
rw_copy_game "$game"
rw_write_scores "$game" '3\r\n17\r\n0\r\n42\r\n'
rw_start_x

alive() {
    local state
    state=$(rw_proc_state "$RW_ZEP_PID")
    [ -n "$state" ] && [ "$state" != Z ]
}
menu_shown() { [ "$(rw_count_colour "$(rw_shot menu)" 480x64+0+256 255,255,255)" -gt 5000 ]; }
normal_picked() { [ "$(rw_count_colour "$(rw_shot after-close)" 480x64+0+64 125,195,75)" -gt 2000 ]; }
playing() { [ "$(rw_count_colour "$(rw_shot play)" 800x60+0+540 49,49,254 6)" -gt 1000 ]; }

# Sends signal $1 and checks that the game ends by it (or cleanly) and takes
# its window along. $2 says where the game was.
end_by_signal() {
    kill -"$1" "$RW_ZEP_PID" || rw_fail "cannot send SIG$1"
    rw_wait_exit 10 # a hang guard, not a timing test
    local by_signal=$((128 + $(kill -l "$1")))
    [ "$RW_STATUS" -eq "$by_signal" ] || [ "$RW_STATUS" -eq 0 ] ||
        rw_fail "SIG$1 $2 ended the game with status $RW_STATUS: $(cat "$RW_WORK/zep.out")"
    rw_window_gone || rw_fail "the window stayed after SIG$1"
    rw_ok "SIG$1 $2 ends the game (status $RW_STATUS)"
}

# First run: a close request in the menu, then SIGTERM.
rw_launch "$game/zep" "$game"
rw_until menu_shown || rw_fail "no menu"
"$close_request" "$RW_WID" || rw_fail "the close request could not be sent"
sleep 1
alive || rw_fail "the game ended on a close request (status $(wait "$RW_ZEP_PID"; echo $?))"
[ -n "$(xdotool search --onlyvisible --name '^ZEP$' 2>/dev/null)" ] || rw_fail "the window went on a close request"
# Xvfb keeps a window's last picture, so only an answer to input shows
# that the game still runs its frames.
rw_click 100 90
rw_until normal_picked || rw_fail "after a close request the menu no longer answers a click"
rw_keep "$(rw_shot after-close)"
rw_ok "close request ignored, the menu still answers"
end_by_signal TERM "in the menu"

# Second run: Ctrl-C during play.
rw_launch "$game/zep" "$game"
rw_until menu_shown || rw_fail "no menu on the second run"
rw_click 50 500
rw_until playing || rw_fail "START GAME did not start play"
end_by_signal INT "during play"
