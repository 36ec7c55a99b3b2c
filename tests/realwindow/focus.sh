#!/bin/bash
# Switching to another window forgets the held mouse button: a player who
# holds the button on a mode line and switches away does not pick the lines
# the pointer then crosses; once back, a new click works as usual.
# Usage: focus.sh ZEP_PROGRAM OUTPUT_FOLDER FOCUS_WINDOW_PROGRAM
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rw_begin focus "$1" "$2"
focus_window=$3
[ -x "$focus_window" ] || rw_fail "no focus-window helper at $focus_window"

game="$RW_WORK/game"
rw_copy_game "$game"
rw_start_x
rw_launch "$game/zep" "$game"

normal_on=125,195,75
hard_on=95,165,45
hard_off=160,90,210
menu_shown() { [ "$(rw_count_colour "$(rw_shot menu)" 480x64+0+256 255,255,255)" -gt 5000 ]; }
normal_picked() { [ "$(rw_count_colour "$(rw_shot normal)" 480x64+0+64 $normal_on)" -gt 2000 ]; }
hard_picked() { [ "$(rw_count_colour "$(rw_shot hard)" 480x64+0+128 $hard_on)" -gt 2000 ]; }
rw_until menu_shown || rw_fail "no menu"

# Press on NORMAL and keep holding.
rw_mouse 100 90
xdotool mousedown 1 || rw_fail "mousedown failed"
rw_until normal_picked || rw_fail "holding the button on NORMAL did not select it"

# Another window takes the focus; SDL reports the loss 200 ms later (a
# second leaves room for a slow frame on a busy machine).
"$focus_window" >"$RW_WORK/focus-window.id" 2>&1 &
RW_EXTRA_PIDS="$RW_EXTRA_PIDS $!"
helper=$!
has_id() { [ -s "$RW_WORK/focus-window.id" ]; }
rw_until has_id || rw_fail "the other window did not take the focus"
sleep 1

# Still holding, drag over HARD: the game must not take it as held.
rw_mouse 100 150
sleep 1
shot=$(rw_shot dragged) || exit 1
rw_keep "$shot"
n=$(rw_count_colour "$shot" 480x64+0+128 $hard_on)
[ "$n" -eq 0 ] || rw_fail "after the focus went, the still-held button picked HARD"
n=$(rw_count_colour "$shot" 480x64+0+128 $hard_off)
[ "$n" -gt 2000 ] || rw_fail "the HARD line is not drawn in its off colour ($n pixels)"
n=$(rw_count_colour "$shot" 480x64+0+64 $normal_on)
[ "$n" -gt 2000 ] || rw_fail "NORMAL lost its selection ($n pixels)"
rw_ok "a button held across a focus change reads as released"
xdotool mouseup 1

# The other window goes, the focus comes back to the game: a new click acts.
rw_kill "$helper"
sleep 1
rw_click 100 150
rw_until hard_picked || rw_fail "with the focus back, clicking HARD did not select it"
rw_ok "a new click after the focus came back works"
