#!/bin/bash
# A player's round trip: the menu shows the records of highscore.ini, a
# click picks NORMAL, START GAME opens the board with the HUD (and NORMAL's
# record), Escape goes back to the menu, and EXIT ends the program cleanly
# and takes the window away.
# Usage: menu-play.sh ZEP_PROGRAM OUTPUT_FOLDER
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rw_begin menu-play "$1" "$2"

game="$RW_WORK/game"
rw_copy_game "$game"
rw_write_scores "$game" '3\r\n17\r\n0\r\n42\r\n'
rw_start_x
rw_launch "$game/zep" "$game"

white=255,255,255
normal_on=125,195,75  # NORMAL when selected (each line has its own pair of colours)
easy_off=100,30,150   # EASY when not selected
hud_blue=49,49,254    # LIVES at score 1 (speed 1 + 1/60); the tolerance covers nearby scores
choose_band=480x64+0+256

menu_shown() { [ "$(rw_count_colour "$(rw_shot menu)" $choose_band $white)" -gt 5000 ]; }
rw_until menu_shown || rw_fail "the menu's CHOOSE GAMEMODE line never showed"

rw_click 100 90
normal_picked() { [ "$(rw_count_colour "$(rw_shot menu-normal)" 480x64+0+64 $normal_on)" -gt 2000 ]; }
rw_until normal_picked || rw_fail "clicking the NORMAL line did not select it"
menu=$(rw_shot menu-normal) || exit 1
n=$(rw_count_colour "$menu" 480x64+0+0 $easy_off)
[ "$n" -gt 2000 ] || rw_fail "EASY is still selected after picking NORMAL ($n pixels in its off colour)"
rw_keep "$menu"
rw_ok "NORMAL selected"

rw_click 50 500
playing() {
    local shot
    shot=$(rw_shot play) || return 1
    [ "$(rw_count_colour "$shot" 800x60+0+540 $hud_blue 6)" -gt 1000 ] &&
        [ "$(rw_count_colour "$shot" $choose_band $white)" -lt 500 ]
}
rw_until playing || rw_fail "START GAME did not show the play screen (HUD blue at the bottom, menu gone)"
play=$(rw_shot play) || exit 1
rw_keep "$play"
rw_ok "play screen with the LIVES line"

# "THE HIGHEST SCORE: 17": the HUD's two digits at scale 2 (x 304..335,
# y 48..63) must have the shape of the menu's "17" at scale 4 (NORMAL line,
# characters 17 and 18) sampled down by two.
convert "$menu" -crop 64x32+544+64 +repage -sample 32x16! \
    -fill white -opaque "rgb($normal_on)" -fill black +opaque white "$RW_WORK/menu-17.png" &&
    convert "$play" -crop 32x16+304+48 +repage \
        -fuzz 4% -fill white -opaque "rgb($hud_blue)" -fill black +opaque white "$RW_WORK/hud-17.png" ||
    rw_fail "cannot cut out the digits"
lit=$(rw_count_colour "$RW_WORK/menu-17.png" 32x16+0+0 $white)
[ "$lit" -gt 40 ] || rw_fail "the menu's NORMAL record has only $lit lit pixels"
n=$(rw_count_differences "$RW_WORK/menu-17.png" "$RW_WORK/hud-17.png" 32x16+0+0)
[ "$n" -eq 0 ] || rw_fail "the HUD's highest score differs from NORMAL's record 17 in $n pixels"
rw_ok "HUD shows NORMAL's record"

rw_key Escape 0.2
back() {
    local shot
    shot=$(rw_shot menu-again) || return 1
    [ "$(rw_count_colour "$shot" $choose_band $white)" -gt 5000 ] &&
        [ "$(rw_count_colour "$shot" 480x64+0+64 $normal_on)" -gt 2000 ]
}
rw_until back || rw_fail "Escape did not bring back the menu with NORMAL selected"
rw_ok "Escape back to the menu"

rw_click 50 560
# A hang guard, not a timing test: EXIT closes the window at once.
rw_wait_exit 10
[ "$RW_STATUS" -eq 0 ] || rw_fail "EXIT ended the game with status $RW_STATUS: $(cat "$RW_WORK/zep.out")"
rw_window_gone || rw_fail "a ZEP window is still there after EXIT"
rw_ok "EXIT: status 0, window gone"
