#!/usr/bin/env bash
# A host on a database server used from two PCs at once: 24 + 24 concurrent
# sendsummary runs through two PM000.INI files (two Windows directories
# naming the same host folder, whose DBName names a descriptor of one
# database) with one formsetup among them, on a private cluster of this
# test's own. What they leave is checked as on a shared folder
# (tests/shared/batch.sh): numbers unique, every SPOOL row with its spool
# file and its copies (the same bytes), nothing else left in the folder; and
# on the server no session or advisory lock of a run left behind.
#
#   server_batch.sh batch|kill|stop|cut BIN_DIR MAKE_SERVER_HOST [PROXY]
#
#   batch  every run exits 0
#   kill   8 runs killed (kill -9) at random moments; then one more run,
#          which must exit 0 at once (a dead run's locks went with its
#          connection) and after which nothing may be left half done
#   stop   the server stopped with pg_ctl stop -m immediate mid-batch and
#          started again a second later: every run that exited 0 has its row
#          and files; every run in flight ends within about 15 s with one box,
#          3043 and a cause, having left nothing (checked before any later
#          run sweeps); then one more run exits 0
#   cut    6 + 6 runs reach the server through a link of 20 ms round trips
#          (a delaying proxy, PROXY); mid-batch the link goes silent without
#          closing and stays so until every run has ended: each run in
#          flight ends within 20 s with one box, 3043 and a cause, having
#          left nothing; the link comes back and one more run exits 0
#
# MAKE_SERVER_HOST is the test helper that makes the server database of a
# host folder. Without PostgreSQL's server programs the script exits 77
# (skipped). Every path out stops the cluster by its PID and removes the
# test's folder.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
MODE=${1:-}
BIN=${2:-}
MAKER=${3:-}
PROXY=${4:-}
case $MODE in
  batch | kill | stop) ;;
  cut) [ -x "$PROXY" ] || { echo "cut needs the delaying proxy" >&2; exit 2; } ;;
  *) echo "usage: $0 batch|kill|stop|cut BIN_DIR MAKE_SERVER_HOST [PROXY]" >&2; exit 2 ;;
esac
[ -x "$BIN/sendsummary" ] && [ -x "$MAKER" ] || { echo "no programs in '$BIN' or no '$MAKER'" >&2; exit 2; }
source "$here/../shared/batch.sh"
source "$here/delay_link.sh"

FS=postgres
HOST_DB=zel.pg
DATABASE=zel_batch
RUNS_PER_PC=24
RUN_TIMEOUT=40    # seconds; a run that has not ended by then hangs, and fails
NEXT_RUN_LIMIT=5  # seconds the run after the kills may take: at once
TOLD_WITHIN=15    # seconds after the stop by which every run in flight has ended
DOWN_FOR=1        # seconds the server stays stopped
CUT_TOLD_WITHIN=20  # seconds after the link went silent by which every run in flight has ended
# Every run that was not killed on purpose exits 0 (check_batch).
fs_every_run_exits_0=yes
[ "$MODE" != stop ] && [ "$MODE" != cut ] || fs_every_run_exits_0=no
[ "$MODE" != cut ] || RUNS_PER_PC=6

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/zel-server-batch.XXXXXX")
CLUSTER=$ROOT/cluster
cleanup() {
  trap '' INT TERM
  local job
  [ -z "${PROXY_PID:-}" ] || { kill "$PROXY_PID" 2>/dev/null; wait "$PROXY_PID" 2>/dev/null; }
  for job in $(jobs -p); do
    pkill -TERM -P "$job" 2>/dev/null
    kill "$job" 2>/dev/null
  done
  wait 2>/dev/null
  "$here/cluster.sh" stop "$CLUSTER" >/dev/null 2>&1
  rm -rf "$ROOT"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(now_ms)
CONNINFO=$("$here/cluster.sh" start "$CLUSTER" --owner $$ --lifetime 600 2>"$ROOT/cluster.err")
case $? in
  0) ;;
  77) echo "${CONNINFO:-SKIP: PostgreSQL is not installed}"; exit 77 ;;
  *) cat "$ROOT/cluster.err"; echo "the test's cluster did not start"; exit 1 ;;
esac
PSQL=$(dirname "$(readlink -f "$(command -v psql 2>/dev/null || echo /none/psql)")")/psql
[ -x "${PG_BINDIR:-/none}/psql" ] && PSQL=$PG_BINDIR/psql
[ -x "$PSQL" ] || { echo "SKIP: psql is missing (postgresql-client)"; exit 77; }
# PC 2 runs under a host name of its own where a UTS namespace can be made:
# its sessions name another machine, as another PC's would.
! unshare --uts true 2>/dev/null || PC2_MACHINE=zelpc2
echo "$FS: cluster started in $(seconds $(($(now_ms) - started))) s"

# server_value SQL: the first value of SQL on the cluster's own database.
server_value() { timeout 20 "$PSQL" -X -A -t -q -d "$CONNINFO" -c "$1" 2>&1; }

# make_server_host FOLDER: a host folder as zelhost init makes it, its
# database on the server, PC 1's and PC 2's PM000.INI naming it, and a sample
# declaration. Prints the sample's record.
make_server_host() {
  local pc
  for pc in pc1 pc2; do mkdir -p "$ROOT/$pc/windows"; done
  WINDIR=$ROOT/pc1/windows "$BIN/zelhost" init "$1" >/dev/null 2>"$ROOT/init.err" &&
    rm -f "$1/zel.db" &&
    "$MAKER" "$CONNINFO" "$DATABASE" "$1" 2>"$ROOT/make.err" || {
    cat "$ROOT/init.err" "$ROOT/make.err" >&2
    return 1
  }
  sed -i 's/^DBName=zel\.db/DBName=zel.pg/' "$ROOT/pc1/windows/PM000.INI"
  cp "$ROOT/pc1/windows/PM000.INI" "$ROOT/pc2/windows/PM000.INI"
  WINDIR=$ROOT/pc1/windows "$BIN/zelhost" sample "$1" 2>"$ROOT/sample.err" | tail -1
}

# check_host HOST: on the server, once the runs are done, no session of the
# host's database is left (a killed run's ends when the server notices its
# client gone) and no advisory lock is held: nothing stands in a later run's
# way.
check_host() {
  local sessions locks tries=50
  WHOLE=whole
  for (( ; ; tries--)); do
    sessions=$(server_value "SELECT count(*) FROM pg_stat_activity WHERE datname = '$DATABASE'")
    [ "$sessions" != 0 ] && [ $tries -gt 0 ] || break
    sleep 0.1
  done
  locks=$(server_value "SELECT count(*) FROM pg_locks l JOIN pg_database d ON d.oid = l.database
                        WHERE l.locktype = 'advisory' AND d.datname = '$DATABASE'")
  [ "$sessions" = 0 ] || FAULTS+=("sessions of the host left on the server after the runs: $sessions")
  [ "$locks" = 0 ] || FAULTS+=("advisory locks left on the server after the runs: $locks")
  [ "$sessions" = 0 ] && [ "$locks" = 0 ] || WHOLE="not whole"
}

# wait_for_ended_runs N: until N sendsummary runs have ended, or 10 s.
wait_for_ended_runs() {
  local tries=0
  while [ "$(ls "$RUNS"/s*.rc 2>/dev/null | wc -l)" -lt "$1" ] && [ $tries -lt 1000 ]; do
    sleep 0.01
    tries=$((tries + 1))
  done
}

# judge_run_in_flight ID RC END SINCE_MS WITHIN EVENT: a run that did not
# exit 0 ended after the event (at SINCE_MS), within WITHIN seconds of it,
# with one box: 3043 and a cause. SLOWEST keeps the latest end after it.
judge_run_in_flight() {
  local id=$1 rc=$2 end=$3 since=$4 within=$5 event=$6 box
  [ "$end" -gt "$since" ] ||
    FAULTS+=("run $id failed before the $event (exit $rc): $(first_box "$RUNS/$id.msg" "$RUNS/$id.out" "$rc")")
  [ $((end - since)) -le "$SLOWEST" ] || SLOWEST=$((end - since))
  [ "$end" -le $((since + within * 1000)) ] ||
    FAULTS+=("run $id ended only $(seconds $((end - since))) s after the $event")
  box=$(head -1 "$RUNS/$id.msg" 2>/dev/null)
  if [[ ($box != *3043* && $box != *'Error de red o de disco.'*) || $box != *'"cause":"'?* ]]; then
    FAULTS+=("run $id ended without box 3043 and a cause (exit $rc): $(first_box "$RUNS/$id.msg" "$RUNS/$id.out" "$rc")")
  fi
  [ "$(wc -l <"$RUNS/$id.msg" 2>/dev/null || echo 0)" -le 1 ] ||
    FAULTS+=("run $id showed $(wc -l <"$RUNS/$id.msg") boxes")
}

# stop_server: once a few runs have ended (or 10 s), the server stopped at
# once, and started again DOWN_FOR seconds later.
stop_server() {
  wait_for_ended_runs 6
  STOP_MS=$(now_ms)
  "$here/cluster.sh" crash "$CLUSTER" || FAULTS+=("pg_ctl stop -m immediate failed")
  STOPPED_MS=$(now_ms)
  sleep "$DOWN_FOR"
  "$here/cluster.sh" restart "$CLUSTER" || FAULTS+=("the server did not start again")
  RESTARTED_MS=$(now_ms)
}

# stop_outcome: the runs that did not exit 0 (formsetup among them) were in
# flight at the stop, and each ended within TOLD_WITHIN seconds with one box: 3043 and a cause.
stop_outcome() {
  local i rc end before=0 failed=0
  SLOWEST=0
  for i in $(seq 1 $((2 * RUNS_PER_PC))) formsetup; do
    [ "$i" = formsetup ] || i=s$i
    rc=$(cat "$RUNS/$i.rc") end=$(cat "$RUNS/$i.end")
    if [ "$rc" = 0 ]; then
      [ "$i" = formsetup ] || [ "$end" -gt "$STOP_MS" ] || before=$((before + 1))
      continue
    fi
    [ "$i" = formsetup ] || failed=$((failed + 1))
    judge_run_in_flight "$i" "$rc" "$end" "$STOP_MS" "$TOLD_WITHIN" stop
  done
  NOTES+=("server stopped $(seconds $((STOP_MS - STARTED_MS))) s into the batch ($(seconds $((STOPPED_MS - STOP_MS))) s to stop), accepting again $(seconds $((RESTARTED_MS - STOP_MS))) s after")
  NOTES+=("exit 0 before the stop: $before, after it: $(($(grep -lx 0 "$RUNS"/s*.rc | wc -l) - before)); failed: $failed, the last $(seconds "$SLOWEST") s after the stop")
  [ "$failed" -gt 0 ] || FAULTS+=("no run was in flight at the stop: the stop proved nothing")
}

# through_proxy HOST: the host's descriptor names the proxy instead of the
# cluster's socket.
through_proxy() {
  local user
  user=$(sed -n 's/.*user=\([^ ]*\).*/\1/p' <<<"$CONNINFO")
  echo "host=127.0.0.1 port=$PROXY_PORT dbname=$DATABASE user=$user" >"$1/$HOST_DB"
}

# cut_link: once a few runs have ended (or 10 s), the link goes silent: the
# proxy passes nothing on and closes nothing.
cut_link() {
  wait_for_ended_runs 3
  CUT_MS=$(now_ms)
  kill -USR1 "$PROXY_PID"
}

# cut_outcome: every run that did not exit 0 was in flight at the cut and
# ended within CUT_TOLD_WITHIN seconds of it, with one box: 3043 and a cause.
cut_outcome() {
  local i rc end failed=0
  SLOWEST=0
  for i in $(seq 1 $((2 * RUNS_PER_PC))) formsetup; do
    [ "$i" = formsetup ] || i=s$i
    rc=$(cat "$RUNS/$i.rc") end=$(cat "$RUNS/$i.end")
    [ "$rc" != 0 ] || continue
    failed=$((failed + 1))
    judge_run_in_flight "$i" "$rc" "$end" "$CUT_MS" "$CUT_TOLD_WITHIN" cut
  done
  NOTES+=("link cut $(seconds $((CUT_MS - STARTED_MS))) s into the batch; $failed runs in flight, the last ended $(seconds "$SLOWEST") s after the cut")
  [ "$failed" -gt 0 ] || FAULTS+=("no run was in flight at the cut: the cut proved nothing")
}

# mend_link: the silent proxy stopped (its connections closed, as a link
# that is given up), and a new one on the same port.
mend_link() {
  kill "$PROXY_PID" 2>/dev/null
  wait "$PROXY_PID" 2>/dev/null
  PROXY_PID=
  start_proxy "$PROXY" "$CONNINFO" "$ROOT" "$PROXY_PORT" || FAULTS+=("the link could not be made again on port $PROXY_PORT")
}

# killed_runs_whole: each killed run left all of its outputs (row, spool
# file, copy of the same bytes, text summary) or none of them. After
# check_batch, whose read_register gave ncFiles.
killed_runs_whole() {
  local victim i nc spoolFile copy text
  for victim in $KILLED; do
    [[ $victim == s* ]] || continue
    i=${victim#s}
    nc=$(nc_number "$i")
    spoolFile=${ncFiles[$nc]:-}
    spoolFile=${spoolFile% }
    copy=$HOST/RPT/$OUTPUT$nc.PRN text=$HOST/TMP/$OUTPUT$nc.txt
    if [ -n "$spoolFile" ]; then
      cmp -s "$HOST/RPT/$spoolFile" "$copy" && [ -e "$text" ] ||
        FAULTS+=("killed run $victim left its row and spool file $spoolFile without both its copies")
    elif [ -e "$copy" ] || [ -e "$text" ]; then
      FAULTS+=("killed run $victim left a copy without its row")
    fi
  done
}

# unsettled_runs: the failed runs told that whether their commit took effect
# could not be learnt (the link went with the answer to it). Like killed runs
# they leave their outputs for the next run to settle from the register: they
# join KILLED; UNSETTLED counts them.
unsettled_runs() {
  local i
  UNSETTLED=0
  for i in $(seq 1 $((2 * RUNS_PER_PC))); do
    [ "$(cat "$RUNS/s$i.rc")" != 0 ] || continue
    grep -qs "could not be learnt" "$RUNS/s$i.msg" "$RUNS/s$i.out" || continue
    KILLED+="s$i "
    UNSETTLED=$((UNSETTLED + 1))
  done
  [ "$UNSETTLED" = 0 ] || NOTES+=("$UNSETTLED runs could not learn whether their commit took effect: settled by the next run")
}

# next_server_run PREFIX: one more run from PC 1, which must exit 0 at once;
# then the host's rows and files one to one again.
next_server_run() {
  FAULTS=() NOTES=()
  run_program next pc1 sendsummary "$1$(nc_number $((2 * RUNS_PER_PC + 1)))"
  local rc
  rc=$(cat "$RUNS/next.rc")
  [ "$rc" = 0 ] || FAULTS+=("the next run failed (exit $rc): $(first_box "$RUNS/next.msg" "$RUNS/next.out" "$rc")")
  [ "$(cat "$RUNS/next.ms")" -le $((NEXT_RUN_LIMIT * 1000)) ] ||
    FAULTS+=("the next run took $(seconds "$(cat "$RUNS/next.ms")") s")
  read_register "$HOST"
  register_faults "$HOST"
  report "$FS ($MODE): the next run, $(seconds "$(cat "$RUNS/next.ms")") s; SPOOL rows $ROWS, spool files $FILES"
}

RUNS=$ROOT/runs
mkdir -p "$RUNS"
HOST=$ROOT/served/host
KILLED=" "
FAULTS=() NOTES=()
record=$(make_server_host "$HOST")
[ -n "$record" ] || { echo "$FS: the server host could not be made"; exit 1; }
if [ "$MODE" = cut ]; then
  start_proxy "$PROXY" "$CONNINFO" "$ROOT" || { echo "$FS: the delaying proxy did not start: $(tail -1 "$ROOT/proxy.err")"; exit 1; }
  through_proxy "$HOST"
fi
prefix=${record%????????}
OUTPUT=${prefix:17:4}${prefix:21:6}${prefix:27:1}  # form, period and part, week
start_runs "$prefix"
STARTED_MS=$(now_ms)
touch "$RUNS/go"
case $MODE in
  kill) kill_runs "$HOST" ;;
  stop) stop_server ;;
  cut) cut_link ;;
esac
wait "${RUN_PIDS[@]}"
elapsed=$(($(now_ms) - STARTED_MS))
NOTES+=("$((2 * RUNS_PER_PC)) sendsummary runs in $(seconds "$elapsed") s: $(awk -v n=$((2 * RUNS_PER_PC)) -v ms="$elapsed" 'BEGIN { printf "%.1f", n * 1000 / ms }') runs a second")
[ "$MODE" != kill ] ||
  NOTES+=("killed:${KILLED}(each killed run ended with exit 137: $(grep -lx 137 "$RUNS"/*.rc 2>/dev/null | wc -l))")
[ "$MODE" != stop ] || stop_outcome
if [ "$MODE" = cut ]; then
  cut_outcome
  mend_link
fi
UNSETTLED=0
[ "$MODE" = kill ] || unsettled_runs

whole=0
batch_faults=("${FAULTS[@]}") batch_notes=("${NOTES[@]}")
# The staged files of killed and unsettled runs are the next run's to sweep:
# the batch is checked after it. Otherwise before it: a run that failed must
# itself have left nothing.
settled_by_next=no
[ "$MODE" != kill ] && [ "$UNSETTLED" = 0 ] || settled_by_next=yes
[ $settled_by_next = no ] || next_server_run "$prefix" || whole=1
FAULTS=("${batch_faults[@]}") NOTES=("${batch_notes[@]}")
check_batch 1 "$HOST" "$prefix" "$elapsed" || whole=1
if [ $settled_by_next = yes ]; then
  FAULTS=() NOTES=()
  killed_runs_whole
  report "$FS ($MODE): the killed and unsettled runs, all or nothing" || whole=1
else
  next_server_run "$prefix" || whole=1
fi
echo "$FS ($MODE): $([ $whole = 0 ] && echo whole || echo "faults found") in $(seconds $(($(now_ms) - started))) s"
exit $whole
