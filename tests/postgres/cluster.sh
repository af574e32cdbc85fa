#!/usr/bin/env bash
# A private PostgreSQL cluster for tests: made with initdb in a fresh
# temporary folder, reached only through a Unix socket in that folder (no TCP
# port), trusted for local connections (the folder is the server user's
# alone), and stopped by its PID.
#
#   cluster.sh start DIR [--owner PID|parent] [--lifetime SECONDS] [--tls CERTS PORT | --tcp PORT]
#                                     prints the libpq connection string
#                                     (--tcp: plain TCP on 127.0.0.1:PORT
#                                     besides the socket, for a client that
#                                     has no Unix socket, such as Wine's;
#                                     with either, PORT free is one found
#                                     free, and DIR/conninfo-tcp holds the
#                                     TCP connection string)
#   cluster.sh stop DIR
#   cluster.sh crash DIR              the server ended at once (pg_ctl stop -m
#                                     immediate: no checkpoint, sessions cut),
#                                     its data kept for restart
#   cluster.sh restart DIR            started again on the same data (after
#                                     crash recovery), on the same socket
#
# DIR keeps what a later stop needs (the server's folder, its PID, a watch's
# PID) and the connection string, in DIR/conninfo. Start first stops and
# removes a cluster an earlier start left in DIR. A watch started beside the
# server stops it after SECONDS (default 10800) or, with --owner, as soon as
# that process (parent: the one that ran this script, such as ctest) is gone,
# so that an interrupted run leaves no server behind.
#
# As root the server runs as the user postgres (ZEL_PG_USER), since initdb
# and postgres refuse root; otherwise as the caller. The server's programs are
# taken from PG_BINDIR, else the newest /usr/lib/postgresql/N/bin, else PATH.
# Without them start exits 77 (skipped).
set -euo pipefail

usage() {
  echo "usage: $0 start DIR [--owner PID|parent] [--lifetime SECONDS] [--tls CERTS PORT | --tcp PORT] | stop|crash|restart DIR" >&2
  exit 2
}
[ $# -ge 2 ] || usage
command=$1
DIR=$(realpath -m -- "$2")

if [ "$(id -u)" -eq 0 ]; then
  server_user=${ZEL_PG_USER:-postgres}
else
  server_user=$(id -un)
fi

# as_server COMMAND…: runs COMMAND as the server's user, in the folder /
# (the caller's may be closed to that user), without the lock's descriptor
# (a server that kept it would hold the lock).
as_server() {
  if [ "$(id -u)" -ne 0 ]; then
    (cd / && "$@" 9<&-)
  elif command -v runuser >/dev/null; then
    (cd / && runuser -u "$server_user" -- "$@" 9<&-)
  else
    (cd / && setpriv --reuid="$server_user" --regid="$server_user" --init-groups -- "$@" 9<&-)
  fi
}

# One start, stop or watch's stop at a time on DIR: a start left running by
# an interrupted run must not meet the next run's. The lock is on DIR's
# parent folder, which outlives DIR.
lock_dir() {
  [ -r "$(dirname "$DIR")" ] || return 0
  exec 9<"$(dirname "$DIR")"
  flock 9
}

find_bindir() {
  local dir
  if [ -n "${PG_BINDIR:-}" ]; then
    dir=$PG_BINDIR
  else
    dir=$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -1)
    [ -x "$dir/pg_ctl" ] || dir=$(dirname "$(command -v pg_ctl 2>/dev/null || echo /none/pg_ctl)")
  fi
  local program
  for program in initdb pg_ctl postgres; do
    [ -x "$dir/$program" ] || return 1
  done
  echo "$dir"
}

# is_our_server PID FOLDER: PID is alive and is the postmaster of FOLDER's
# data (its command line names the data folder), not a process that took
# the number since.
is_our_server() {
  [ -n "$1" ] && [ -r "/proc/$1/cmdline" ] &&
    tr '\0' '\n' <"/proc/$1/cmdline" 2>/dev/null | grep -qxF "$2/data"
}

# running PID: whether the process is there and not a zombie (an ended
# server stays one until whoever inherited it reaps it).
running() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# wait_gone PID SECONDS: whether PID ended within SECONDS.
wait_gone() {
  local tries=$(($2 * 10))
  while running "$1" && [ "$tries" -gt 0 ]; do
    sleep 0.1
    tries=$((tries - 1))
  done
  ! running "$1"
}

# Stops the cluster recorded in DIR, by its PID, and removes its folder and
# what DIR holds of ours (DIR itself when nothing else is in it).
stop_cluster() {
  [ -d "$DIR" ] || return 0
  local watch
  watch=$(cat "$DIR/watch.pid" 2>/dev/null || true)
  if [ -n "$watch" ] && [ "$watch" != "${ZEL_PG_WATCH:-}" ]; then
    kill "$watch" 2>/dev/null || true
  fi
  local folder pid
  folder=$(cat "$DIR/server-dir" 2>/dev/null || true)
  if [ -n "$folder" ]; then
    # Before the PID was recorded (start interrupted), the server's own file.
    pid=$(cat "$DIR/server.pid" 2>/dev/null || head -1 "$folder/data/postmaster.pid" 2>/dev/null || true)
    if is_our_server "$pid" "$folder"; then
      [ -z "$bindir" ] ||
        as_server "$bindir/pg_ctl" stop -D "$folder/data" -m fast -w -t 20 >/dev/null 2>&1 || true
      if ! wait_gone "$pid" 2; then
        kill -QUIT "$pid" 2>/dev/null || true  # immediate shutdown: ends the backends too
        wait_gone "$pid" 5 || kill -KILL "$pid" 2>/dev/null || true
        wait_gone "$pid" 5 || echo "PostgreSQL server $pid did not end" >&2
      fi
    fi
    # Only a folder of our own making goes.
    case ${folder##*/} in
      zel-pg.*) rm -rf -- "$folder" ;;
    esac
  fi
  rm -f -- "$DIR/conninfo" "$DIR/conninfo.new" "$DIR/conninfo-tcp" "$DIR/conninfo-tcp.new" "$DIR/server.pid" "$DIR/server-dir" "$DIR/watch.pid"
  rmdir -- "$DIR" 2>/dev/null || true
}

# The watch: stops the cluster once its owner (if any) is gone or its time is
# up, unless the cluster was stopped or replaced meanwhile. A restart keeps
# the cluster's folder (its PID changes): the watch stays with it.
watch_cluster() {
  local owner=$3 owner_since=$4 lifetime=$5 folder
  folder=$(cat "$DIR/server-dir")
  local deadline=$((SECONDS + lifetime))
  # An owner already gone when the cluster started has no start time.
  owner_here() {
    [ -z "$owner" ] || { [ -n "$owner_since" ] && [ "$(started_at "$owner")" = "$owner_since" ]; }
  }
  while owner_here && [ $SECONDS -lt "$deadline" ]; do
    [ "$(cat "$DIR/server-dir" 2>/dev/null)" = "$folder" ] || return 0
    sleep 1
  done
  lock_dir
  [ "$(cat "$DIR/server-dir" 2>/dev/null)" = "$folder" ] || return 0
  ZEL_PG_WATCH=$$ stop_cluster
}

# started_at PID: when the process started (clock ticks since boot), so that
# a PID taken over by another process is not mistaken for it.
started_at() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0
  stat=${stat##*) }
  set -- $stat
  echo "${20}"
}

start_cluster() {
  local owner= lifetime=10800 certs= port= tcp=
  while [ $# -gt 0 ]; do
    case $1 in
      --tls) [ $# -ge 3 ] || usage; certs=$2; port=$3; shift 3 ;;
      --tcp) [ $# -ge 2 ] || usage; tcp=1; port=$2; shift 2 ;;
      --owner) [ $# -ge 2 ] || usage; owner=$2; shift 2 ;;
      --lifetime) [ $# -ge 2 ] || usage; lifetime=$2; shift 2 ;;
      *) usage ;;
    esac
  done
  [ "$owner" != parent ] || owner=$PPID
  [[ $owner =~ ^[0-9]*$ && $lifetime =~ ^[0-9]+$ ]] || usage
  [ -z "$certs" ] || [ -z "$tcp" ] || usage
  if [ -n "$port" ]; then
    [ "$port" != free ] || port=$(free_port) || { echo "no free TCP port found" >&2; exit 1; }
    [[ $port =~ ^[0-9]+$ ]] || usage
  fi
  if [ "$(id -u)" -eq 0 ] && ! id -u "$server_user" >/dev/null 2>&1; then
    echo "no user $server_user to run the server as (ZEL_PG_USER names another)" >&2
    exit 1
  fi
  local since=
  [ -z "$owner" ] || since=$(started_at "$owner")
  mkdir -p -- "$(dirname "$DIR")"
  lock_dir
  stop_cluster
  local started=$EPOCHREALTIME
  mkdir -p -- "$DIR"
  chmod 700 "$DIR"
  # A short path (a socket's must fit in 107 bytes) that needs no quoting in
  # the connection string, and one the server's user can reach: root's own
  # TMPDIR may be closed to it.
  local base=${TMPDIR:-/tmp}
  if [ "$(id -u)" -eq 0 ] || [ ${#base} -gt 80 ] || ! [[ $base =~ ^[A-Za-z0-9/._-]+$ ]]; then
    base=/tmp
  fi
  local folder
  folder=$(mktemp -d "$base/zel-pg.XXXXXX")
  echo "$folder" >"$DIR/server-dir"
  # From here every way out that is not a started cluster stops and removes it.
  trap 'stop_cluster' EXIT
  trap 'exit 130' INT TERM
  [ "$(id -u)" -ne 0 ] || chown "$server_user:" "$folder"

  if ! as_server "$bindir/initdb" -D "$folder/data" -U "$server_user" --encoding=UTF8 --locale=C \
      --auth-local=trust --auth-host=reject --no-sync --no-instructions >"$folder/initdb.log" 2>&1; then
    echo "initdb failed:" >&2
    tail -5 "$folder/initdb.log" >&2
    exit 1
  fi
  # No TCP at all; the socket in the folder, for the server's user alone.
  # fsync off: a test's data need not outlive a crash of this machine; the
  # commits themselves stay synchronous, as on a real server.
  as_server tee -a "$folder/data/postgresql.conf" >/dev/null <<EOF
listen_addresses = ''
unix_socket_directories = '$folder'
unix_socket_permissions = 0700
fsync = off
EOF
  if [ -n "$certs" ]; then
    # --tls: besides the socket, TLS alone on 127.0.0.1:PORT with the
    # server.crt and server.key CERTS holds; anything else over TCP refused.
    as_server cp "$certs/server.crt" "$certs/server.key" "$folder/data/"
    as_server chmod 600 "$folder/data/server.key"
    as_server tee -a "$folder/data/postgresql.conf" >/dev/null <<EOF
listen_addresses = '127.0.0.1'
port = $port
ssl = on
ssl_cert_file = 'server.crt'
ssl_key_file = 'server.key'
EOF
    as_server tee "$folder/data/pg_hba.conf" >/dev/null <<EOF
local all all trust
hostssl all all 127.0.0.1/32 trust
host all all all reject
EOF
  fi
  if [ -n "$tcp" ]; then
    # --tcp: besides the socket, plain TCP on 127.0.0.1:PORT, trusted: only
    # this machine reaches it, and the tests' cluster holds nothing secret.
    as_server tee -a "$folder/data/postgresql.conf" >/dev/null <<EOF
listen_addresses = '127.0.0.1'
port = $port
EOF
    as_server tee "$folder/data/pg_hba.conf" >/dev/null <<EOF
local all all trust
host all all 127.0.0.1/32 trust
host all all all reject
EOF
  fi
  if ! as_server "$bindir/pg_ctl" start -D "$folder/data" -l "$folder/server.log" -w -t 60 >/dev/null; then
    echo "the PostgreSQL server did not start:" >&2
    tail -5 "$folder/server.log" >&2
    exit 1
  fi
  local pid
  pid=$(head -1 "$folder/data/postmaster.pid")
  echo "$pid" >"$DIR/server.pid"

  setsid "$0" watch "$DIR" "$owner" "$since" "$lifetime" \
    </dev/null >/dev/null 2>&1 9<&- &
  echo $! >"$DIR/watch.pid"

  local conninfo="host=$folder port=${port:-5432} dbname=postgres user=$server_user"
  if [ -n "$port" ]; then
    echo "host=127.0.0.1 port=$port dbname=postgres user=$server_user" >"$DIR/conninfo-tcp.new"
    mv "$DIR/conninfo-tcp.new" "$DIR/conninfo-tcp"
  fi
  echo "$conninfo" >"$DIR/conninfo.new"
  mv "$DIR/conninfo.new" "$DIR/conninfo"
  trap - EXIT INT TERM
  local took
  took=$(awk -v a="$started" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
  echo "PostgreSQL $("$bindir/postgres" -V | awk '{ print $3 }') started in $took s:" \
       "PID $pid, socket in $folder, as $server_user" >&2
  echo "$conninfo"
}

# A TCP port on 127.0.0.1 that nothing listens on now: one of the dynamic
# range, tried until a connection to it is refused.
free_port() {
  local port tries
  for ((tries = 0; tries < 100; tries++)); do
    port=$((49152 + RANDOM % 16000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return 0
    fi
  done
  return 1
}

# The folder of the running cluster recorded in DIR, or a failure.
cluster_folder() {
  local folder
  folder=$(cat "$DIR/server-dir" 2>/dev/null) && [ -d "$folder/data" ] ||
    { echo "no cluster in $DIR" >&2; return 1; }
  echo "$folder"
}

# Ends the server as a crash would: every process at once, no checkpoint;
# what was committed is in the WAL, which the restart replays.
crash_cluster() {
  local folder
  folder=$(cluster_folder) || exit 1
  as_server "$bindir/pg_ctl" stop -D "$folder/data" -m immediate -w -t 20 >/dev/null
}

restart_cluster() {
  local folder
  folder=$(cluster_folder) || exit 1
  if ! as_server "$bindir/pg_ctl" start -D "$folder/data" -l "$folder/server.log" -w -t 60 >/dev/null; then
    echo "the PostgreSQL server did not start again:" >&2
    tail -5 "$folder/server.log" >&2
    exit 1
  fi
  head -1 "$folder/data/postmaster.pid" >"$DIR/server.pid"
}

bindir=$(find_bindir) || bindir=
case $command in
  start)
    if [ -z "$bindir" ]; then
      echo "SKIP: PostgreSQL is not installed (postgresql, libpq-dev)"
      exit 77
    fi
    shift 2
    start_cluster "$@"
    ;;
  stop)
    [ $# -eq 2 ] || usage
    [ -d "$DIR" ] || exit 0
    lock_dir
    stop_cluster
    ;;
  crash | restart)
    [ $# -eq 2 ] || usage
    [ -n "$bindir" ] || { echo "SKIP: PostgreSQL is not installed (postgresql, libpq-dev)"; exit 77; }
    lock_dir
    "${command}_cluster"
    ;;
  watch) [ $# -eq 5 ] || usage; watch_cluster "$@" ;;
  *) usage ;;
esac
