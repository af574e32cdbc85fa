#!/usr/bin/env bash
# zelhost.exe init, under Wine, on a UNC folder (a share Wine maps from its
# prefix's dosdevices/unc), on a drive's root and on an accented name: the
# host lands in the folder named, PM000.INI names it with its server and
# root kept, in Windows-1252 bytes, and formsetup.exe runs on that host.
# Usage: init_folders.sh WINDOWS_BIN_DIR (exit 77: no Wine or no prefix)
set -uo pipefail
bin=$(cd "$1" && pwd)
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
[ -d "${WINEPREFIX:-}/dosdevices" ] ||
  { echo "SKIP: no Wine prefix (scripts/wine-ctest.sh makes one)"; exit 77; }
export WINEDEBUG=-all ZEL_MESSAGE_UI=text
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d)
server=zelsrv$$
unc=$WINEPREFIX/dosdevices/unc/$server
# A drive letter no other mapping holds.
drive=
for letter in y x w v u t s r q; do
  [ -e "$WINEPREFIX/dosdevices/$letter:" ] || { drive=$letter; break; }
done
[ -n "$drive" ] || { echo "no free drive letter in $WINEPREFIX/dosdevices" >&2; exit 1; }
trap 'rm -rf "$work" "$unc"; rm -f "$WINEPREFIX/dosdevices/$drive:"' EXIT
mkdir -p "$unc" "$work/share" "$work/root" "$work/windows"
ln -s "$work/share" "$unc/zel"
ln -s "$work/root" "$WINEPREFIX/dosdevices/$drive:"
windir="Z:${work//\//\\}\\windows"
DRIVE=${drive^^}
zwork="Z:${work//\//\\}"

# The folder given to init | where it is on Linux | SysPath's bytes (printf).
cases=(
  "\\\\$server\\zel\\ZEL|$work/share/ZEL|//$server/zel/ZEL/"
  "\\\\$server\\zel\\Año\\..\\Caño|$work/share/Caño|//$server/zel/Ca\\xf1o/"
  "$DRIVE:\\|$work/root|$DRIVE:/"
  "$zwork\\Ñandú|$work/Ñandú|Z:${work}/\\xd1and\\xfa/"
)
status=0
fail() { echo "$folder: $*" >&2; status=1; }
for entry in "${cases[@]}"; do
  IFS='|' read -r folder linux syspath <<<"$entry"
  rm -f "$work/windows/PM000.INI"
  out=$(ZEL_WINDIR=$windir wine "$bin/zelhost.exe" init "$folder" 2>&1) ||
    { fail "init failed: $out"; continue; }
  for file in zel.db PM000.MDW; do
    [ -f "$linux/$file" ] || fail "no $linux/$file"
  done
  # tmp/ and TMP/ are one folder on Windows: Wine made it as TMP.
  [ -n "$(find "$linux" -maxdepth 2 -ipath "$linux/tmp/env661.txt")" ] || fail "no $linux/tmp/env661.txt"
  printf "[Options]\r\nSysPath=$syspath\r\nDBPath=$syspath\r\nDBName=zel.db\r\nSysUser=ADMIN\r\n" \
    >"$work/expected.ini"
  cmp "$work/expected.ini" "$work/windows/PM000.INI" ||
    fail "PM000.INI: $(od -c "$work/windows/PM000.INI" | head -5)"
  out=$(ZEL_WINDIR=$windir wine "$bin/formsetup.exe" 2>&1) || fail "formsetup failed: $out"
done
[ $status -eq 0 ] && echo "init made ${#cases[@]} hosts where their folders say"
exit $status
