# Sourced by the test scripts that run the Windows programs under Wine: they
# skip (exit 77) without Wine; Wine writes no debug output, installs no Mono
# or Gecko and opens no window. win_path PATH is PATH as the programs see it
# (drive Z: is /).
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
win_path() { echo "Z:${1//\//\\}"; }
