#!/bin/bash
# The game's window as a window manager and a player see it: named ZEP,
# 800 x 600 and not resizable, and the menu drawn on it with the selected
# mode (EASY, the first run's choice) in green and the next one in purple.
# Usage: window.sh ZEP_PROGRAM OUTPUT_FOLDER
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rw_begin window "$1" "$2"

game="$RW_WORK/game"
rw_copy_game "$game" # no highscore.ini: a first run, every record 0
rw_start_x
rw_launch "$game/zep" "$game"

easy_green() { [ "$(rw_count_colour "$(rw_shot menu)" 480x64+0+0 155,225,105)" -gt 2000 ]; }
rw_until easy_green || rw_fail "the EASY line never showed in green"
shot=$(rw_shot menu) || exit 1
rw_keep "$shot"

size=$(identify -format %wx%h "$shot")
[ "$size" = 800x600 ] || rw_fail "the window's picture is $size, not 800x600"
rw_ok "client area 800x600"

name=$(xdotool getwindowname "$RW_WID")
[ "$name" = ZEP ] || rw_fail "window name is '$name'"
wm_name=$(xprop -id "$RW_WID" WM_NAME)
[ "$wm_name" = 'WM_NAME(STRING) = "ZEP"' ] || rw_fail "WM_NAME is: $wm_name"
rw_ok "named ZEP"

# Without a window manager the hints are what SDL asked for; a resizable
# window would have no maximum, or one larger than its minimum.
hints=$(xprop -id "$RW_WID" WM_NORMAL_HINTS)
echo "$hints" | grep -q 'minimum size: 800 by 600' || rw_fail "no 800x600 minimum size: $hints"
echo "$hints" | grep -q 'maximum size: 800 by 600' || rw_fail "no 800x600 maximum size: $hints"
rw_ok "not resizable"

# Each mode line lies in its own 64-pixel band, its label 480 pixels wide.
easy=$(rw_band "$shot" 480x64+0+0)
normal=$(rw_band "$shot" 480x64+0+64)
n=$(rw_count "$easy" 155,225,105)
[ "$n" -gt 2000 ] || rw_fail "EASY line: only $n green pixels"
n=$(rw_count "$easy" 130,60,180)
[ "$n" -eq 0 ] || rw_fail "EASY line: $n purple pixels, as if not selected"
n=$(rw_count "$normal" 130,60,180)
[ "$n" -gt 2000 ] || rw_fail "NORMAL line: only $n purple pixels"
n=$(rw_count "$normal" 155,225,105)
[ "$n" -eq 0 ] || rw_fail "NORMAL line: $n green pixels, as if selected"
rw_ok "EASY green, NORMAL purple"
