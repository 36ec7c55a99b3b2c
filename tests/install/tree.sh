#!/bin/sh
# Installs the built game into PREFIX (emptied first) and checks the tree:
# exactly the files of expected-tree.txt (no test or tool programs), a
# relative launcher link, icons of the sizes they are named for; then the same
# install staged under DESTDIR, as a package build does it.
#   tree.sh BUILD_DIR PREFIX
set -eu
build=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "FAIL (install tree): $*" >&2
    exit 1
}

# Every path under $1, relative to it, sorted.
tree_of() {
    (cd "$1" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)
}

rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" || fail "cmake --install failed"

tree_of "$prefix" > "$prefix.tree"
LC_ALL=C sort "$here/expected-tree.txt" > "$prefix.expected"
if ! diff -u "$prefix.expected" "$prefix.tree"; then
    rm -f "$prefix.tree" "$prefix.expected"
    fail "the installed tree differs from expected-tree.txt (- expected, + installed)"
fi
rm -f "$prefix.tree" "$prefix.expected"
echo "ok: the tree holds exactly the expected files"

[ -L "$prefix/bin/zep" ] || fail "bin/zep is not a symbolic link"
[ "$(readlink "$prefix/bin/zep")" = ../lib/zep/zep ] ||
    fail "bin/zep points to $(readlink "$prefix/bin/zep"), not ../lib/zep/zep"
[ -x "$prefix/lib/zep/zep" ] && [ ! -L "$prefix/lib/zep/zep" ] || fail "lib/zep/zep is not an executable file"
echo "ok: bin/zep -> ../lib/zep/zep"

for size in 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/zep.png
    got=$(identify -format '%wx%h' "$icon") || fail "$icon is not a readable image"
    [ "$got" = "${size}x${size}" ] || fail "$icon is $got"
done
echo "ok: icons 48, 64, 128, 256 of their sizes"

# Staged: everything under DESTDIR/usr, and the launcher link still relative
# (an absolute one would point into the staging folder).
stage=$prefix.stage
rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null || fail "staged install failed"
tree_of "$stage" > "$stage.tree"
{ echo usr; sed 's|^|usr/|' "$here/expected-tree.txt"; } | LC_ALL=C sort > "$stage.expected"
status=0
diff -u "$stage.expected" "$stage.tree" || status=1
link=$(readlink "$stage/usr/bin/zep" || true)
rm -rf "$stage" "$stage.tree" "$stage.expected"
[ "$status" -eq 0 ] || fail "the staged tree differs (- expected, + staged)"
[ "$link" = ../lib/zep/zep ] || fail "staged bin/zep points to '$link'"
echo "ok: DESTDIR staging gives the same tree under usr/"
