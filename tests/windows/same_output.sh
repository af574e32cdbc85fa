#!/usr/bin/env bash
# The Windows build, under Wine, writes what the Linux build writes: on a
# fresh host made by each build's zelhost init, formsetup, zelhost sample
# and sendsummary exit 0, and the summaries (text, spool and its copy) and
# formsetup's send configuration file and the rows of SPOOL, CAB, DET, PARAM
# and cont are the same bytes, for the same host folder and clock.
# With --server, each build's host is a server host (zelhost init --server)
# in a database of its own on a private cluster this script starts, reached
# over TCP on 127.0.0.1 (Wine has no Unix socket), and stops by its PID.
# Usage: same_output.sh LINUX_BUILD WINDOWS_BUILD [--server]
#        (exit 77: no Wine, or with --server no PostgreSQL)
set -uo pipefail
linux=$(cd "$1" && pwd)/bin
windows=$(cd "$2" && pwd)/bin
server=${3:-}
source "$(dirname "$0")/wine.sh"
export WINEPREFIX=${WINEPREFIX:-$(cd "$2" && pwd)/wine-prefix}
export ZEL_MESSAGE_UI=text SOURCE_DATE_EPOCH=1765000000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

conninfo=
if [ "$server" = --server ]; then
  cluster=$(dirname "$0")/../postgres/cluster.sh
  psql=$(command -v psql || true)
  [ -n "$psql" ] || { echo "SKIP: psql is not installed (postgresql)" >&2; exit 77; }
  "$cluster" start "$work/cluster" --owner $$ --lifetime 600 --tcp free >/dev/null
  case $? in
    0) ;;
    77) echo "SKIP: PostgreSQL's server programs are not installed (postgresql)" >&2; exit 77 ;;
    *) echo "the cluster did not start" >&2; exit 1 ;;
  esac
  trap '"$cluster" stop "$work/cluster"; rm -rf "$work"' EXIT
  conninfo=$(sed -E 's/ dbname=[^ ]+//' "$work/cluster/conninfo-tcp")
  for system in linux windows; do
    "$psql" "$conninfo dbname=postgres" -qAtc "CREATE DATABASE zel_$system" || exit 1
  done
fi

# run SYSTEM: the four steps on $work/host with that system's programs.
run() {
  local system=$1 host=$work/host windir=$work/windows
  rm -rf "$host" "$windir" && mkdir -p "$windir"
  local exe=() suffix="" hostArg=$host
  if [ "$system" = windows ]; then
    exe=(wine) suffix=.exe hostArg=$(win_path "$host") windir=$(win_path "$windir")
  fi
  local bin=${!system}
  step() {
    ZEL_WINDIR=$windir "${exe[@]}" "$bin/$1$suffix" "${@:2}" >"$work/$system.out" 2>&1 ||
      { echo "$system: $* failed:" >&2; cat "$work/$system.out" >&2; status=1; }
  }
  if [ -n "$conninfo" ]; then
    step zelhost init --server "$conninfo dbname=zel_$system" "$hostArg"
  else
    step zelhost init "$hostArg"
  fi
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
