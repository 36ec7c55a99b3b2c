#!/bin/bash
# Started from another folder (from /, from a folder holding a stray
# highscore.ini), the game reads the records beside its program, not the
# current folder's, and leaves the folder it was started from alone.
# Usage: other-folder.sh ZEP_PROGRAM OUTPUT_FOLDER
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rw_begin other-folder "$1" "$2"

with17="$RW_WORK/with17"   # the game whose NORMAL record is 17
with0="$RW_WORK/with0"     # the same records but NORMAL 0
stray="$RW_WORK/stray"     # a current folder with a highscore.ini of its own (NORMAL 99)
rw_copy_game "$with17"
rw_copy_game "$with0"
mkdir -p "$stray"
rw_write_scores "$with17" '3\r\n17\r\n0\r\n42\r\n'
rw_write_scores "$with0" '3\r\n0\r\n0\r\n42\r\n'
rw_write_scores "$stray" '3\r\n99\r\n0\r\n42\r\n'
root_had_file=no
[ -e /highscore.ini ] && root_had_file=yes
rw_start_x

# True once screenshot $1 shows the menu's white CHOOSE GAMEMODE line.
menu_in_shot() { [ "$(rw_count_colour "$(rw_shot "$1")" 480x64+0+256 255,255,255)" -gt 5000 ]; }

# Runs program $1 from folder $2 to the menu, keeps a screenshot as $3.png
# in the work folder, and leaves through EXIT.
menu_from() {
    rw_launch "$1" "$2"
    rw_until menu_in_shot "$3" || rw_fail "no menu when started from $2"
    rw_click 50 560
    rw_wait_exit 10
    [ "$RW_STATUS" -eq 0 ] || rw_fail "run from $2 ended with status $RW_STATUS: $(cat "$RW_WORK/zep.out")"
    rw_window_gone || rw_fail "the window stayed after EXIT"
}

menu_from "$with17/zep" / from-root
menu_from "$with17/zep" "$stray" from-stray
menu_from "$with0/zep" "$stray" with0
rw_keep "$RW_WORK/from-root.png"
rw_keep "$RW_WORK/with0.png"

# The NORMAL line's record starts after its 17-character label (x 544).
digits=256x64+544+64
easy=800x64+0+0
n=$(rw_count_differences "$RW_WORK/from-root.png" "$RW_WORK/with0.png" $digits)
[ "$n" -gt 50 ] || rw_fail "NORMAL's record looks the same for 17 and 0 ($n pixels differ): not read beside the program"
n=$(rw_count_differences "$RW_WORK/from-root.png" "$RW_WORK/with0.png" $easy)
[ "$n" -eq 0 ] || rw_fail "the EASY line changed with NORMAL's record ($n pixels)"
rw_ok "from /: NORMAL's record comes from the program's folder"
n=$(rw_count_differences "$RW_WORK/from-root.png" "$RW_WORK/from-stray.png" $digits)
[ "$n" -eq 0 ] || rw_fail "started beside a stray highscore.ini, the menu shows another record ($n pixels differ)"
rw_ok "a highscore.ini in the current folder is ignored"

[ "$(printf '3\r\n99\r\n0\r\n42\r\n')" = "$(cat "$stray/highscore.ini")" ] || rw_fail "the stray highscore.ini was changed"
extra=$(find "$stray" -mindepth 1 ! -name highscore.ini)
[ -z "$extra" ] || rw_fail "the game left files in the folder it was started from: $extra"
[ $root_had_file = yes ] || [ ! -e /highscore.ini ] || rw_fail "the game created /highscore.ini"
[ "$(printf '3\r\n17\r\n0\r\n42\r\n')" = "$(cat "$with17/highscore.ini")" ] || rw_fail "the game's own highscore.ini changed without a win"
rw_ok "no files written outside the game's folder"
