#!/bin/sh
# Rewrites the runner's expected traces, state digests, best-score files and
# golden shots from a build, after a change that alters them on purpose:
#   sh tests/runner/regen.sh BUILD_DIR [NAME...]     (default: every case)
# Look at the rewritten goldens and `git diff tests/runner` before committing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: regen.sh BUILD_DIR [NAME...]}
shift
headless=$build/zep-headless
[ -x "$headless" ] || { echo "regen.sh: $headless is not built" >&2; exit 2; }
if [ $# -eq 0 ]; then
    for f in "$here"/cases/*.in; do set -- "$@" "$(basename "$f" .in)"; done
fi
for name in "$@"; do sh "$here/case.sh" "$headless" "$build" "$name" regen; done
