#!/bin/sh
# Starts the installed game the way a desktop does, through PREFIX/bin/zep
# from another folder (/), in its own X server with no sound device, and
# looks for its menu on the screen: the white "CHOOSE GAMEMODE" heading at
# y 256..320 on black, and the selected EASY line in green at the top. Then
# SIGTERM must end it.
#   launcher.sh PREFIX
set -eu
prefix=$(cd "$1" && pwd)

fail() {
    echo "FAIL (installed launcher): $*" >&2
    exit 1
}

# Once: re-run this script inside a private 800 x 600 X server.
if [ -z "${ZEP_INSTALL_IN_XVFB:-}" ]; then
    for tool in xvfb-run xauth xdotool import convert; do
        command -v "$tool" >/dev/null || fail "$tool is missing (run scripts/install-deps)"
    done
    ZEP_INSTALL_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 800x600x24" sh "$0" "$prefix"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zep-install-launcher.XXXXXX")
pid=""
# Ends the game if a check failed while it ran, then removes the work folder.
cleanup() {
    status=$?
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
# A fallback to a per-user score file stays inside the work folder.
export HOME="$work/home" XDG_DATA_HOME="$work/data" SDL_AUDIODRIVER=dummy

cd /
"$prefix/bin/zep" 2>"$work/stderr" &
pid=$!

# The window, by its title; bounded wait while the program is alive.
window=""
tries=0
while [ -z "$window" ]; do
    kill -0 "$pid" 2>/dev/null || fail "the game ended before its window showed: $(cat "$work/stderr")"
    [ "$tries" -lt 150 ] || fail "no window titled ZEP"
    window=$(xdotool search --name '^ZEP$' 2>/dev/null | head -n 1) || window=""
    [ -n "$window" ] || sleep 0.1
    tries=$((tries + 1))
done
echo "ok: window $window titled ZEP"

# Count of pixels in the WxH+X+Y box of $1 that are exactly white.
white_in() {
    convert "$1" -crop "$2" +repage -fill black +opaque '#FFFFFF' -format '%[fx:round(mean*w*h)]' info:
}
# Count of pixels in the box of $1 that are clearly green.
green_in() {
    convert "$1" -crop "$2" +repage -fx 'g > r + 0.1 && g > b + 0.1' -format '%[fx:round(mean*w*h)]' info:
}

# The first frames may still be on their way: look again until the menu
# shows or the game has had plenty of time.
shot=$work/screen.png
tries=0
while :; do
    import -window root "$shot" || fail "import could not take a screenshot"
    heading=$(white_in "$shot" 480x64+0+256)
    [ "$heading" -gt 2000 ] && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended: $(cat "$work/stderr")"
    [ "$tries" -lt 50 ] || fail "no CHOOSE GAMEMODE heading on the screen ($heading white pixels)"
    sleep 0.2
    tries=$((tries + 1))
done
background=$(convert "$shot" -format '%[hex:p{700,290}]' info:)
[ "$background" = 000000 ] || fail "the menu's background right of the heading is #$background, not black"
easy=$(green_in "$shot" 480x64+0+0)
[ "$easy" -gt 2000 ] || fail "the selected EASY line is not green ($easy green pixels)"
below=$(white_in "$shot" 800x64+0+320)
[ "$below" -eq 0 ] || fail "$below white pixels below the heading"
echo "ok: the menu shows ($heading white heading pixels, $easy green EASY pixels)"

kill -TERM "$pid"
tries=0
while kill -0 "$pid" 2>/dev/null && [ "$(sed -n 's/^[0-9]* (.*) \([A-Za-z]\) .*/\1/p' "/proc/$pid/stat" 2>/dev/null)" != Z ]; do
    [ "$tries" -lt 100 ] || fail "SIGTERM did not end the game"
    sleep 0.1
    tries=$((tries + 1))
done
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 143 ] || fail "the game ended with status $status after SIGTERM, not by the signal (143)"
echo "ok: SIGTERM ended the game"
if [ -s "$work/stderr" ]; then
    echo "note: the game's stderr:"
    cat "$work/stderr"
fi
