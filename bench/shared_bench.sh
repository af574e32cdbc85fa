#!/usr/bin/env bash
# formsetup and sendsummary timed on a host kept on a shared filesystem of
# the harness (tests/shared), through the first of a fresh pair of mounts:
# N times (default 5) formsetup on a new host, formsetup run again on it, and
# sendsummary of a fresh record; prints the median of each in seconds, and
# how many runs failed with their first box.
#
#   bench/shared_bench.sh local|sshfs|smb|moosefs|glusterfs BIN_DIR [N]
#
# The filesystems need what tests/shared needs (root, /dev/fuse, the
# packages); without them the script exits 77. The mounts are this machine's
# (MooseFS's daemons are in a network namespace, its mounts are not), so the
# programs run here see them.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/shared/mounts.sh"
FS=${1:-}
BIN=${2:-}
N=${3:-5}
if ! mounts_load "$FS" || [ ! -x "$BIN/formsetup" ]; then
  echo "usage: $0 local|sshfs|smb|moosefs|glusterfs BIN_DIR [N]" >&2
  exit 2
fi
BIN=$(cd "$BIN" && pwd)
unmet=$(mounts_unmet)
[ -z "$unmet" ] || { echo "SKIPPED: $unmet"; exit 77; }

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/zel-bench-$FS.XXXXXX")
cleanup() {
  trap '' INT TERM
  mounts_stop
  rm -rf "$ROOT"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mounts_start || { echo "$FS: the shared folder could not be mounted twice" >&2; exit 1; }
export WINDIR=$ROOT/pc1/windows ZEL_MESSAGE_UI=text ZEL_MESSAGE_ANSWER=no
mkdir -p "$WINDIR"

# timed NAME COMMAND…: runs the command (its boxes in $ROOT/NAME.msg) and
# appends its time in milliseconds to $ROOT/NAME.ms; a failure is counted.
declare -A failures=()
timed() {
  local name=$1 start rc
  shift
  start=$(date +%s%N)
  ZEL_MESSAGE_LOG=$ROOT/$name.msg timeout 300 "$@" </dev/null >"$ROOT/$name.out" 2>&1
  rc=$?
  echo $((($(date +%s%N) - start) / 1000000)) >>"$ROOT/$name.ms"
  if [ "$rc" != 0 ]; then
    failures[$name]+="  exit $rc: $(first_box "$ROOT/$name.msg" "$ROOT/$name.out")"$'\n'
    rm -f "$ROOT/$name.msg"
  fi
}

# first_box MSG OUT: a run's first box, its text and its cause, on one line.
first_box() {
  local box
  box=$(head -1 "$1" 2>/dev/null | sed -n 's/.*"text":"\([^"]*\)".*"cause":"\([^"]*\)".*/\1 (\2)/p; t; s/.*"text":"\([^"]*\)".*/\1/p')
  [ -n "$box" ] || box="no box: $(head -1 "$2")"
  box=${box//\\n/ }
  echo "${box//$ROOT\//}" | cut -c1-220
}

median() {
  local count
  count=$(wc -l <"$1")
  sort -n "$1" | sed -n "$(((count + 1) / 2))p" | awk '{ printf "%.3f", $1 / 1000 }'
}

for i in $(seq 1 "$N"); do
  host=$MOUNT1/host$i
  "$BIN/zelhost" init "$host" >/dev/null || { echo "zelhost init failed on $host"; exit 1; }
  record=
  for _ in 1 2 3; do
    record=$("$BIN/zelhost" sample "$host" 2>"$ROOT/sample.err" | tail -1)
    [ -z "$record" ] || break
    echo "zelhost sample failed on host$i: $(tail -1 "$ROOT/sample.err")"
  done
  [ -n "$record" ] || exit 1
  timed formsetup-new "$BIN/formsetup"
  timed formsetup-again "$BIN/formsetup"
  timed sendsummary "$BIN/sendsummary" "${record%????????}$(printf '%08d' "$i")"
done

printf '%s, %d runs each, median seconds:' "$FS" "$N"
for name in formsetup-new formsetup-again sendsummary; do
  printf ' %s %s' "$name" "$(median "$ROOT/$name.ms")"
done
echo
for name in "${!failures[@]}"; do
  echo "$name failed $(printf '%s' "${failures[$name]}" | grep -c .) of $N times:"
  printf '%s' "${failures[$name]}"
done
