#!/usr/bin/env bash
# The README's first run still works: makes the demo host as `make demo` does,
# then runs the commands of the block marked "<!-- quick start -->" (all but
# `make demo` itself) from a folder where build/ is this build, and fails when
# any of them fails.
#   quick_start.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)

block=$(awk '/<!-- quick start -->/ { marked = 1; next }
             marked && /^```/ { if (inside) exit; inside = 1; next }
             inside' "$source/README.md")
[ -n "$block" ] || { echo "README.md has no block marked <!-- quick start -->"; exit 1; }
grep -qx 'make demo.*' <<<"$block" || { echo "the quick start does not begin with make demo"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/build"
for part in bin libexec hostdb; do
  [ -e "$build/$part" ] && ln -s "$build/$part" "$work/build/$part"
done

unset DISPLAY WAYLAND_DISPLAY
export ZEL_MESSAGE_UI=text
"$source/scripts/demo.sh" "$work/build" >"$work/demo.log" 2>&1 || {
  cat "$work/demo.log"; echo "FAIL: make demo"; exit 1; }

commands=$(grep -vx 'make demo.*' <<<"$block")
echo "$commands"
cd "$work"
bash -euo pipefail -c "$commands" </dev/null || { echo "FAIL: a quick-start command failed"; exit 1; }
