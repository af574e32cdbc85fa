#!/usr/bin/env bash
# The Windows installer zel0661.msi from a Windows build tree: the programs
# and the extension stripped (each one's debugging information kept apart in
# OUT_DIR/debug/NAME.debug, which the stripped file names by a debug link),
# with the README and the licence, made into an .msi by wixl (msitools).
# Usage: windows-package.sh BUILD_DIR OUT_DIR [VERSION] (default: the
# project's version in CMakeLists.txt). Prints the .msi's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=${3:-$(sed -nE 's/^project\(zel0661 VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")}
host=x86_64-w64-mingw32
command -v wixl >/dev/null || { echo "wixl is not installed (Debian package wixl)" >&2; exit 1; }

stage=$out/stage
rm -rf "$stage" "$out/debug" && mkdir -p "$stage" "$out/debug"
for file in bin/formsetup.exe bin/sendsummary.exe bin/zelhost.exe hostdb/zeljet.dll; do
  name=$(basename "$file")
  "$host-objcopy" --only-keep-debug "$build/$file" "$out/debug/$name.debug"
  # A DLL keeps what its exports need; a program needs no symbol at all.
  case $name in
    *.dll) "$host-strip" --strip-unneeded -o "$stage/$name" "$build/$file" ;;
    *) "$host-strip" --strip-all -o "$stage/$name" "$build/$file" ;;
  esac
  (cd "$out/debug" && "$host-objcopy" --add-gnu-debuglink="$name.debug" "$stage/$name")
done
cp "$root/README.md" "$root/LICENSE" "$stage/"
# wixl reads a Source that is absolute amiss; relative ones from here.
(cd "$out" && wixl -a x64 -D Version="$version" -D Stage=stage -o zel0661.msi "$root/cmake/zel0661.wxs")
echo "$out/zel0661.msi"
