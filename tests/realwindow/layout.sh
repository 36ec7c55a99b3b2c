#!/bin/bash
# The movement keys follow the letters of the player's keyboard layout: on a
# French (AZERTY) layout the key marked A, where a US keyboard has Q, moves
# the figure down-left, and the key where US has A (marked Q) does nothing.
# Usage: layout.sh ZEP_PROGRAM OUTPUT_FOLDER
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rw_begin layout "$1" "$2"
command -v setxkbmap >/dev/null || rw_fail "setxkbmap is missing (run scripts/install-deps)"

game="$RW_WORK/game"
rw_copy_game "$game"
rw_start_x
setxkbmap -layout fr || rw_fail "cannot set the French layout"
setxkbmap -query | grep -q '^layout: *fr$' || rw_fail "the French layout did not take: $(setxkbmap -query)"
key_marked_a=24 # the key left of Z on AZERTY (Q on a US keyboard)
key_marked_q=38 # the key at the start of the home row (A on a US keyboard)
rw_launch "$game/zep" "$game"

menu_shown() { [ "$(rw_count_colour "$(rw_shot menu)" 480x64+0+256 255,255,255)" -gt 5000 ]; }
playing() { [ "$(rw_count_colour "$(rw_shot play)" 800x60+0+540 49,49,254 6)" -gt 1000 ]; }
rw_until menu_shown || rw_fail "no menu"

# Pixels in the colours of a visited cell (green) in geometry $2 of image
# $1, the figure (whose tint wanders through greens too) painted out.
visited_pixels() {
    convert "$1" -fill black -draw 'rectangle 376,268 424,304' -crop "$2" +repage \
        -format %c histogram:info:- |
        awk '{
                count = $0; sub(/:.*/, "", count)
                rgb = $0; sub(/^[^(]*\(/, "", rgb); sub(/\).*/, "", rgb)
                split(rgb, c, ",")
                if (c[2] > c[1] + 40 && c[2] > c[3] + 40) n += count
            }
            END { print n + 0 }'
}

# The visited cells left behind, one count a quadrant around the figure:
# sets UL UR DL DR.
trail() {
    UL=$(visited_pixels "$1" 400x300+0+0)
    UR=$(visited_pixels "$1" 400x300+400+0)
    DL=$(visited_pixels "$1" 400x300+0+300)
    DR=$(visited_pixels "$1" 400x300+400+300)
}

# The lives digit as a black-and-white mask in $2.
lives_mask() {
    convert "$1" -crop 32x32+224+540 +repage -fuzz 5% -fill white -opaque 'rgb(49,49,254)' \
        -fill black +opaque white "$2" || rw_fail "cannot cut out the lives digit"
}

# A stretch of board may start with a bomb; a life lost there sends the
# figure back to its start, so such a try is played again on a new board.
for try in 1 2 3 4 5; do
    rw_click 50 500
    rw_until playing || rw_fail "START GAME did not start play"
    sleep 0.3
    lives_mask "$(rw_shot start)" "$RW_WORK/lives-start.png"

    rw_key $key_marked_q 0.2
    sleep 0.3
    trail "$(rw_shot after-q)"
    [ $((UL + UR + DL + DR)) -lt 100 ] ||
        rw_fail "the key marked Q moved the figure (visited: UL $UL UR $UR DL $DL DR $DR)"

    # Hold the key marked A, then stop the game for the screenshot so that
    # the figure has gone only a few cells.
    xdotool keydown $key_marked_a && sleep 0.2 && xdotool keyup $key_marked_a || rw_fail "key failed"
    sleep 0.5 # it keeps moving; a slow (sanitizer) build needs the time
    kill -STOP "$RW_ZEP_PID"
    shot=$(rw_shot after-a) || exit 1
    kill -CONT "$RW_ZEP_PID"
    lives_mask "$shot" "$RW_WORK/lives-now.png"
    changed=$(rw_count_differences "$RW_WORK/lives-start.png" "$RW_WORK/lives-now.png" 32x32+0+0)
    [ "$changed" -ge 0 ] 2>/dev/null || rw_fail "cannot compare the lives digit: $changed"
    if [ "$changed" -ne 0 ]; then
        echo "try $try: the figure met a bomb; again on a new board"
        rw_key Escape 0.2
        rw_until menu_shown || rw_fail "Escape did not bring back the menu"
        continue
    fi
    rw_keep "$shot"
    trail "$shot"
    echo "visited pixels: up-left $UL, up-right $UR, down-left $DL, down-right $DR"
    # Going down-left, the cells left behind lie up-right of the figure.
    [ "$UR" -gt 300 ] || rw_fail "the key marked A did not move the figure"
    for other in "$UL" "$DL" "$DR"; do
        [ $((other * 4)) -lt "$UR" ] || rw_fail "the key marked A moved the figure elsewhere than down-left"
    done
    rw_ok "AZERTY: the key marked A moves down-left, the key marked Q does nothing"
    exit 0
done
rw_fail "every try met a bomb at once"
