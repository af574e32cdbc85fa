#!/usr/bin/env bash
# zel0661.msi under Wine: msiexec /i installs the stripped programs under
# Program Files with an entry in the list of installed programs, and they run
# against a host; an .msi of a higher version replaces it in place, and the
# lower one then refuses to install; msiexec /x removes every installed file. The host folder and PM000.INI stay byte
# for byte through installing, upgrading and removing.
# Usage: msi_install.sh WINDOWS_BUILD_DIR (exit 77: no Wine, wixl or prefix)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
command -v wixl >/dev/null || { echo "SKIP: wixl is not installed"; exit 77; }
[ -d "${WINEPREFIX:-}/dosdevices" ] ||
  { echo "SKIP: no Wine prefix (scripts/wine-ctest.sh makes one)"; exit 77; }
export WINEDEBUG=-all ZEL_MESSAGE_UI=text SOURCE_DATE_EPOCH=1765000000
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d)
installed="$WINEPREFIX/drive_c/Program Files/ZEL 0661"
installedWin='C:\Program Files\ZEL 0661'
status=0
fail() { echo "$*" >&2; status=1; }
winPath() { local p=${1//\//\\}; echo "Z:$p"; }
msiexec() { wine msiexec "$@" /qn /l*v "$(winPath "$work/msiexec.log")" ||
  { fail "msiexec $*: exit $?"; tail -n 30 "$work/msiexec.log" | iconv -f UTF-16LE -t UTF-8 >&2; }; }
cleanup() {
  [ -d "$installed" ] && wine msiexec /x "$(winPath "$work/v2/zel0661.msi")" /qn >/dev/null 2>&1
  [ -d "$installed" ] && wine msiexec /x "$(winPath "$work/v1/zel0661.msi")" /qn >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
[ ! -e "$installed" ] || { echo "$installed exists before the test" >&2; exit 1; }

# The project's version and one above it.
version=$(sed -nE 's/^project\(zel0661 VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
higher=${version%.*}.$((${version##*.} + 1))
"$root/scripts/windows-package.sh" "$build" "$work/v1" "$version" >/dev/null || exit 1
"$root/scripts/windows-package.sh" "$build" "$work/v2" "$higher" >/dev/null || exit 1
# Stripped, each program is about 8 MB (SQLite, libsodium, libpq and OpenSSL
# linked in): one that keeps its debugging information is several times that.
for file in "$work"/v1/stage/*.exe "$work"/v1/stage/*.dll; do
  size=$(stat -c %s "$file")
  [ "$size" -le $((10 * 1024 * 1024)) ] || fail "$(basename "$file"): $size bytes, over 10 MB"
done

# The uninstall entries (one per line: "DisplayName|DisplayVersion") of ZEL 0661.
entries() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk '/^HKEY/ { if (name == "ZEL 0661") print name "|" ver; name = ver = "" }
      $1 == "DisplayName" { name = substr($0, index($0, "REG_SZ") + 10) }
      $1 == "DisplayVersion" { ver = $3 }
      END { if (name == "ZEL 0661") print name "|" ver }'
}
# Every file of the host and the Windows directory, with its bytes' hash.
snapshot() { (cd "$work" && find host windows -type f -print0 | sort -z | xargs -0 sha256sum); }

mkdir -p "$work/windows"
export ZEL_WINDIR
ZEL_WINDIR=$(winPath "$work/windows")
wine "$build/bin/zelhost.exe" init "$(winPath "$work/host")" >/dev/null 2>&1 || fail "zelhost init failed"
snapshot >"$work/before"

msiexec /i "$(winPath "$work/v1/zel0661.msi")"
for name in formsetup.exe sendsummary.exe zelhost.exe zeljet.dll README.md LICENSE; do
  cmp -s "$work/v1/stage/$name" "$installed/$name" || fail "installed $name: not the package's"
done
[ "$(entries)" = "ZEL 0661|$version" ] || fail "installed programs list: '$(entries)'"
snapshot | cmp -s - "$work/before" || fail "installing changed the host or PM000.INI"

# The installed programs on the host.
wine "$installedWin\\formsetup.exe" >"$work/run.out" 2>&1 || fail "formsetup: $(cat "$work/run.out")"
record=$(wine "$installedWin\\zelhost.exe" sample "$(winPath "$work/host")" 2>/dev/null | tail -n 1 | tr -d '\r')
wine "$installedWin\\sendsummary.exe" "$record" >"$work/run.out" 2>&1 ||
  fail "sendsummary: $(cat "$work/run.out")"
ls "$work/host/RPT/"*.PRN >/dev/null 2>&1 || fail "sendsummary wrote no spool copy"
snapshot >"$work/used"

msiexec /i "$(winPath "$work/v2/zel0661.msi")"
[ "$(entries)" = "ZEL 0661|$higher" ] || fail "after the upgrade, installed programs list: '$(entries)'"
for name in formsetup.exe sendsummary.exe zelhost.exe zeljet.dll README.md LICENSE; do
  [ -f "$installed/$name" ] || fail "after the upgrade, no $name"
done
snapshot | cmp -s - "$work/used" || fail "upgrading changed the host or PM000.INI"
# The lower version refuses to replace the higher one.
wine msiexec /i "$(winPath "$work/v1/zel0661.msi")" /qn >/dev/null 2>&1 &&
  fail "the lower version installed over the higher one"
[ "$(entries)" = "ZEL 0661|$higher" ] || fail "after the refused downgrade: '$(entries)'"

msiexec /x "$(winPath "$work/v2/zel0661.msi")"
[ -z "$(entries)" ] || fail "after removal, installed programs list: '$(entries)'"
left=$(find "$installed" 2>/dev/null)
[ -z "$left" ] || fail "after removal, left: $left"
snapshot | cmp -s - "$work/used" || fail "removing changed the host or PM000.INI"
[ $status -eq 0 ] && echo "installed $version, upgraded to $higher, removed; the host unchanged"
exit $status
