#!/bin/sh
# Validates the installed desktop entry and AppStream metainfo with the
# desktop's own tools, and checks that they agree with the tree: the entry's
# icon and program are installed, the metainfo launches this entry.
#   validate.sh PREFIX
set -eu
prefix=$1
entry=$prefix/share/applications/zep.desktop
metainfo=$prefix/share/metainfo/org.example.zep.metainfo.xml

fail() {
    echo "FAIL (install files): $*" >&2
    exit 1
}

for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || fail "$tool is missing (run scripts/install-deps)"
done

# desktop-file-validate prints hints and errors but exits 0 on hints alone:
# any output at all counts as a fault.
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
echo "ok: desktop-file-validate $entry"

appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate found problems"
echo "ok: appstreamcli validate --no-net --pedantic"

# One value of the [Desktop Entry] group.
value() {
    sed -n "s/^$1=//p" "$entry"
}
[ "$(value Categories)" = "Game;ArcadeGame;" ] || fail "Categories=$(value Categories)"
[ "$(value Exec)" = zep ] && [ -L "$prefix/bin/$(value Exec)" ] || fail "Exec=$(value Exec) is not the launcher in bin/"
icon=$(value Icon)
for size in 48 64 128 256; do
    [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] || fail "no ${size}x${size} icon named $icon"
done
grep -q '<launchable type="desktop-id">zep.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch zep.desktop"
grep -q '<release version="1.0"' "$metainfo" || fail "the metainfo has no release 1.0"
echo "ok: entry, icons and metainfo agree"

page=$prefix/share/man/man6/zep.6
head -n 1 "$page" | grep -q '^\.TH ZEP 6 ' || fail "$page does not start with .TH ZEP 6"
grep -q 'XDG_DATA_HOME/zep/highscore.ini' "$page" || fail "$page does not say where the scores are kept"
if command -v man >/dev/null; then
    # Rendering warnings (bad requests, lines that do not fit) go to stderr.
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || fail "man cannot render $page"
    [ -z "$warnings" ] || fail "man warns about $page: $warnings"
    echo "ok: man renders $page without warnings"
else
    echo "note: man is not installed; the page was not rendered"
fi
