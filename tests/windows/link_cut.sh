#!/usr/bin/env bash
# The Windows sendsummary, under Wine, on a server host whose link goes
# silent in the middle of its run: it ends within 20 s with one box, 3043
# and a cause, and leaves nothing (no SPOOL row, no file in TMP or RPT); once
# the link is back the next run exits 0 with its row. The link is the Linux
# build's delaying proxy (10 ms each way) in front of a private cluster. To
# be sure the run is mid-way when the link goes, a session of the test holds
# the SPOOL table locked until the run waits for it on the server; then the
# link is cut and the lock let go.
# Usage: link_cut.sh LINUX_BUILD WINDOWS_BUILD (exit 77: no Wine or no PostgreSQL)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
proxy=$(cd "$1" && pwd)/bench/delay_proxy
windows=$(cd "$2" && pwd)/bin
source "$here/wine.sh"
source "$here/../postgres/delay_link.sh"
command -v psql >/dev/null || { echo "SKIP: psql is missing (postgresql-client)"; exit 77; }
[ -x "$proxy" ] || { echo "no delaying proxy in $1" >&2; exit 2; }
export WINEPREFIX=${WINEPREFIX:-$(cd "$2" && pwd)/wine-prefix}
export ZEL_MESSAGE_UI=text SOURCE_DATE_EPOCH=1765000000

work=$(mktemp -d)
PROXY_PID= holder_pid=
cleanup() {
  [ -z "$holder_pid" ] || release_lock
  [ -z "$PROXY_PID" ] || kill "$PROXY_PID" 2>/dev/null
  wait 2>/dev/null
  "$here/../postgres/cluster.sh" stop "$work/cluster" >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

socket_conninfo=$("$here/../postgres/cluster.sh" start "$work/cluster" --owner $$ --lifetime 600 2>/dev/null)
case $? in
  0) ;;
  77) echo "SKIP: PostgreSQL's server programs are not installed (postgresql)"; exit 77 ;;
  *) fail "the cluster did not start" ;;
esac
server() { psql "$socket_conninfo" -X -qAt "$@"; }
served() { psql "${socket_conninfo/dbname=postgres/dbname=zel_cut}" -X -qAt "$@"; }
server -c "CREATE DATABASE zel_cut" || fail "CREATE DATABASE"

start_proxy "$proxy" "$socket_conninfo" "$work" ||
  fail "the proxy did not start: $(cat "$work/proxy.err")"
port=$PROXY_PORT

host=$work/host
export ZEL_WINDIR=$(win_path "$work/windows")
mkdir -p "$work/windows"
user=${socket_conninfo##*user=}
run() { wine "$windows/$1.exe" "${@:2}"; }
out=$(run zelhost init --server "host=127.0.0.1 port=$port dbname=zel_cut user=$user" "$(win_path "$host")" 2>&1) ||
  fail "zelhost init --server: $out"
out=$(run formsetup 2>&1) || fail "formsetup: $out"
record=$(run zelhost sample "$(win_path "$host")" | tail -n 1 | tr -d '\r')
files_before=$(cd "$host" && find TMP RPT -type f 2>/dev/null | sort)

# The lock, held by a session of the test's own until the server ends it.
PGAPPNAME=zel_lock_holder served -c "BEGIN; LOCK TABLE spool IN ACCESS EXCLUSIVE MODE; SELECT pg_sleep(600)" \
  >/dev/null 2>&1 &
holder_pid=$!
release_lock() {
  server -c "SELECT pg_terminate_backend(pid) FROM pg_stat_activity
             WHERE application_name = 'zel_lock_holder'" >/dev/null
  wait "$holder_pid" 2>/dev/null
  holder_pid=
}
for _ in $(seq 500); do
  [ "$(server -c "SELECT count(*) FROM pg_locks l JOIN pg_class c ON c.oid = l.relation
                  WHERE c.relname = 'spool' AND l.mode = 'AccessExclusiveLock' AND l.granted")" = 1 ] && break
  sleep 0.01
done

run sendsummary "$record" >"$work/run.out" 2>&1 &
run_pid=$!
waiting=
for _ in $(seq 3000); do
  waiting=$(server -c "SELECT count(*) FROM pg_stat_activity
                       WHERE datname = 'zel_cut' AND wait_event_type = 'Lock'")
  [ "$waiting" = 1 ] && break
  kill -0 $run_pid 2>/dev/null || break
  sleep 0.01
done
[ "$waiting" = 1 ] || fail "the run never waited for the table: $(cat "$work/run.out")"
cut_ms=$(now_ms)
kill -USR1 "$PROXY_PID"
release_lock
wait $run_pid
rc=$?
took=$(($(now_ms) - cut_ms))
out=$(tr -d '\r' <"$work/run.out")
echo "cut mid-run: exit $rc after $((took / 1000)).$((took % 1000 / 100)) s:"; sed 's/^/  /' <<<"$out"
[ $rc -ne 0 ] || fail "the run cut off exits 0"
[ $took -le 20000 ] || fail "the run ended only $took ms after the cut"
grep -q '3043' <<<"$out" || fail "no box 3043"
[ "$(grep -c '^== ' <<<"$out")" -eq 1 ] || fail "not one box"
grep -q '^sendsummary: PostgreSQL ' <<<"$out" || fail "no cause"
[ "$(served -c "SELECT count(*) FROM spool")" = 0 ] || fail "the run cut off left its SPOOL row"
[ "$(cd "$host" && find TMP RPT -type f 2>/dev/null | sort)" = "$files_before" ] ||
  fail "the run cut off left files: $(cd "$host" && find TMP RPT -type f | sort)"

# The link given up and made again on the same port: the next run exits 0.
kill "$PROXY_PID"; wait "$PROXY_PID" 2>/dev/null; PROXY_PID=
start_proxy "$proxy" "$socket_conninfo" "$work" "$port" ||
  fail "the proxy did not start again on port $port: $(cat "$work/proxy.err")"
out=$(run sendsummary "$record" 2>&1) || fail "the run after the link came back exits $?: $out"
[ "$(served -c "SELECT count(*) FROM spool")" = 1 ] || fail "the run after the link came back has no row"
echo "PASS: cut off mid-run it ended with box 3043 and left nothing; the next run exits 0"
