#!/usr/bin/env bash
# Runs the tests of a Windows build tree under Wine: one Wine prefix of the
# build's own, made once, and one Wine server started for the run and stopped
# after it, so that each test program does not start Wine anew.
# Usage: scripts/wine-ctest.sh BUILD_DIR [ctest arguments...]
set -euo pipefail
build=$(cd "$1" && pwd)
shift
command -v wine >/dev/null || { echo "wine is not installed: the Windows tests cannot run" >&2; exit 1; }

export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=-all
# No Mono or Gecko to install, and no window: message boxes are text.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX"
  wine wineboot --init >/dev/null 2>&1
  wineserver -w
fi
# A server left by an interrupted run of this prefix would refuse a new one.
wineserver -k 2>/dev/null || true
wineserver -p
# The desktop process, started now: started by a test's first window (a
# message box), it would keep that test's output pipe open, and ctest would
# wait for its end.
wine explorer.exe /desktop </dev/null >/dev/null 2>&1 &
# Wine's services (services.exe, rpcss, plugplay …) start with the first
# process and keep the descriptors it had: started by a test beside the
# desktop, they kept that test's output pipe, and ctest waited for ever.
# They are started here first, on /dev/null.
wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true' EXIT
ctest --test-dir "$build" --output-on-failure "$@"
