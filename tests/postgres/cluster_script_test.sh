#!/usr/bin/env bash
# cluster.sh leaves no server behind: a second start in the same folder stops
# the first cluster, the watch stops a cluster whose owner is gone, and stop
# ends the server and removes its folders. As root, a start and stop as the
# user nobody too. Prints the start and stop times.
#   cluster_script_test.sh
set -uo pipefail
cluster=$(cd "$(dirname "$0")" && pwd)/cluster.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/zel-pg-test.XXXXXX")
chmod 1777 "$work"  # a start as another user makes its folder here
sleep 600 &
owner=$!
cleanup() {
  "$cluster" stop "$work/a" >/dev/null 2>&1
  kill "$owner" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failed=0
fail() { echo "FAIL: $*"; failed=1; }
alive() {  # a zombie has ended
  local stat
  stat=$(cat "/proc/${1:-none}/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}
ms() { echo $((${EPOCHREALTIME/./} / 1000)); }

# start DIR: starts a cluster owned by $owner; sets PID and FOLDER.
start() {
  local out
  out=$("$cluster" start "$1" --owner "$owner" 2>"$work/start.err")
  local rc=$?
  [ $rc -ne 77 ] || { cat "$work/start.err"; echo "$out"; exit 77; }
  [ $rc -eq 0 ] || { cat "$work/start.err"; fail "start $1 exited $rc"; return 1; }
  [ "$out" = "$(cat "$1/conninfo")" ] || fail "the printed connection string is not the one in conninfo"
  PID=$(cat "$1/server.pid")
  FOLDER=$(cat "$1/server-dir")
  [[ $out == "host=$FOLDER port=5432 dbname=postgres user="* ]] || fail "connection string: $out"
  alive "$PID" || fail "no server $PID after start"
  [ -S "$FOLDER/.s.PGSQL.5432" ] || fail "no socket in $FOLDER"
}

started=$(ms)
start "$work/a" || exit 1
first=$PID first_folder=$FOLDER
echo "start: $(($(ms) - started)) ms"

# A start over a cluster an interrupted run left: the old one goes.
start "$work/a" || exit 1
alive "$first" && fail "the first server $first still runs after the second start"
[ -e "$first_folder" ] && fail "the first server's folder is still there"
[ "$PID" != "$first" ] || fail "the second start kept the first server"

# Its owner gone, the watch stops it within a few seconds.
kill "$owner"
for _ in $(seq 50); do
  alive "$PID" || [ -e "$work/a" ] || break
  sleep 0.2
done
alive "$PID" && fail "the server $PID outlived its owner by 10 s"
[ -e "$FOLDER" ] && fail "the server's folder outlived its owner"
[ -e "$work/a" ] && fail "the cluster's record outlived its owner"

# Start and stop, as root and as another user.
cycle() {  # cycle LABEL [runuser -u USER --]
  local label=$1
  shift
  local t0 t1 t2 pid folder
  t0=$(ms)
  "$@" "$cluster" start "$work/b" --owner $$ >/dev/null 2>"$work/start.err" ||
    { cat "$work/start.err"; fail "$label: start failed"; return; }
  t1=$(ms)
  pid=$(cat "$work/b/server.pid") folder=$(cat "$work/b/server-dir")
  "$@" "$cluster" stop "$work/b" || fail "$label: stop failed"
  t2=$(ms)
  alive "$pid" && fail "$label: server $pid still runs after stop"
  [ -e "$folder" ] && fail "$label: $folder is still there after stop"
  [ -e "$work/b" ] && fail "$label: $work/b is still there after stop"
  echo "$label: start $((t1 - t0)) ms, stop $((t2 - t1)) ms"
}
cycle "as $(id -un)"
if [ "$(id -u)" -eq 0 ] && id -u nobody >/dev/null 2>&1; then
  if runuser -u nobody -- test -x "$cluster"; then
    cycle "as nobody" runuser -u nobody --
  else
    echo "not tried as nobody: $cluster is closed to it"
  fi
fi
exit $failed
