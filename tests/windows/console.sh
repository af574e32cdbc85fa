#!/usr/bin/env bash
# formsetup.exe and sendsummary.exe, started from a console (Wine's cmd.exe
# on a pseudo-terminal) with no standard handles of their own, write their
# usage, version and text boxes to that console, and their exit status
# reaches it; without text asked for, the console shows no box, and the
# transcript has it.
# Usage: console.sh WINDOWS_BIN_DIR (exit 77: no Wine or no prefix)
set -uo pipefail
bin=$(cd "$1" && pwd)
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
command -v script >/dev/null || { echo "SKIP: script (bsdutils) is not installed"; exit 77; }
[ -d "${WINEPREFIX:-}/dosdevices" ] ||
  { echo "SKIP: no Wine prefix (scripts/wine-ctest.sh makes one)"; exit 77; }
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY ZEL_MESSAGE_UI
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winBin="Z:${bin//\//\\}"
export ZEL_WINDIR="Z:${work//\//\\}"   # no PM000.INI there: sendsummary's box
status=0

# console EXPECTED_STATUS EXPECTED_TEXT COMMAND...: COMMAND run by cmd.exe on a
# terminal; its status and whether the terminal showed the text.
console() {
  local want=$1 text=$2 got
  shift 2
  timeout 120 script -qec "wine cmd /c \"start /wait $winBin\\$*\"" /dev/null >"$work/out" 2>&1
  got=$?
  [ $got -eq "$want" ] || { echo "$*: exit status $got, expected $want" >&2; status=1; }
  if [ -n "$text" ] && ! grep -qF -- "$text" "$work/out"; then
    echo "$*: the console did not show '$text':" >&2; cat -v "$work/out" >&2; status=1
  fi
}

console 0 "formsetup 1.0" formsetup.exe --version
console 0 "usage: sendsummary RECORD" sendsummary.exe --help
ZEL_MESSAGE_UI=text console 1 "== Mensaje [critical] ==" sendsummary.exe x
ZEL_MESSAGE_UI=text console 1 "[Aceptar]" formsetup.exe
# Not asked for text: nothing on the console, the box in the transcript.
export ZEL_MESSAGE_LOG=$work/boxes.log
console 1 "" sendsummary.exe x
if grep -q "Mensaje" "$work/out"; then echo "a box reached the console untold" >&2; status=1; fi
grep -q '"program":"sendsummary"' "$work/boxes.log" || { echo "no box in the transcript" >&2; status=1; }
exit $status
