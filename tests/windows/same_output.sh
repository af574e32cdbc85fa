#!/usr/bin/env bash
# The Windows build, under Wine, writes what the Linux build writes: on a
# fresh host made by each build's zelhost init, formsetup, zelhost sample
# and sendsummary exit 0, and the summaries (text, spool and its copy) and
# formsetup's send configuration file and the rows of SPOOL, CAB, DET, PARAM
# and cont are the same bytes, for the same host folder and clock.
# Usage: same_output.sh LINUX_BUILD WINDOWS_BUILD (exit 77: no Wine)
set -uo pipefail
linux=$(cd "$1" && pwd)/bin
windows=$(cd "$2" && pwd)/bin
command -v wine >/dev/null || { echo "wine is not installed" >&2; exit 77; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$(cd "$2" && pwd)/wine-prefix}
unset DISPLAY WAYLAND_DISPLAY
export ZEL_MESSAGE_UI=text SOURCE_DATE_EPOCH=1765000000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# run SYSTEM: the four steps on $work/host with that system's programs.
run() {
  local system=$1 host=$work/host windir=$work/windows
  rm -rf "$host" "$windir" && mkdir -p "$windir"
  local exe=() suffix="" hostArg=$host
  if [ "$system" = windows ]; then
    exe=(wine) suffix=.exe hostArg="Z:${host//\//\\}" windir="Z:${windir//\//\\}"
  fi
  local bin=${!system}
  step() {
    ZEL_WINDIR=$windir "${exe[@]}" "$bin/$1$suffix" "${@:2}" >"$work/$system.out" 2>&1 ||
      { echo "$system: $* failed:" >&2; cat "$work/$system.out" >&2; status=1; }
  }
  step zelhost init "$hostArg"
  step formsetup
  step zelhost sample "$hostArg"
  local record
  record=$(tail -n 1 "$work/$system.out" | tr -d '\r')
  step sendsummary "$record"
  mkdir -p "$work/out-$system"
  cp -r "$host/TMP" "$host/RPT" "$work/out-$system/"
  # formsetup's send configuration lies in tmp/ beside TMP/ on a system that
  # tells the two apart, in TMP/ on Windows.
  rm -f "$work/out-$system/TMP/env661.txt"
  cp "$(find "$host" -iname env661.txt | head -n 1)" "$work/out-$system/env661.txt"
  for table in SPOOL CAB DET PARAM cont; do
    "$linux/zelhost" sql "$host/zel.db" "SELECT * FROM $table" >"$work/out-$system/$table.rows"
  done
}

run linux
run windows
if ! diff -r "$work/out-linux" "$work/out-windows"; then
  echo "the Windows build wrote other bytes than the Linux build" >&2
  status=1
fi
[ $status -eq 0 ] && echo "same bytes: $(cd "$work/out-linux" && find . -type f | sort | tr '\n' ' ')"
exit $status
