#!/usr/bin/env bash
# zelhost upsize killed (kill -9) at 5 random moments of its run, one in each
# fifth of the time a whole upsize takes. After each kill DBName's path holds
# the whole file host (formsetup and sendsummary exit 0 on it, zelhost check
# passes) or, when the kill came after the switch, the descriptor with the
# file kept beside, which is then put back as the README says. Finally an
# upsize into a fresh empty database succeeds and the programs work on the
# server host.
#
#   upsize_kill.sh BIN_DIR CONNINFO_FILE
#
# CONNINFO_FILE holds the connection string of the test cluster (the ctest
# fixture postgres writes it); without it, or without psql, the test skips.
set -uo pipefail

BIN=${1:?usage: $0 BIN_DIR CONNINFO_FILE}
CONNINFO_FILE=${2:?usage: $0 BIN_DIR CONNINFO_FILE}
[ -s "$CONNINFO_FILE" ] || { echo "SKIP: no test cluster is running (ctest fixture postgres)"; exit 77; }
command -v psql >/dev/null || { echo "SKIP: psql is missing (postgresql-client)"; exit 77; }
CONNINFO=$(cat "$CONNINFO_FILE")

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/zel-upsize-kill.XXXXXX")
databases=()
cleanup() {
  local d
  for d in "${databases[@]}"; do
    psql "$CONNINFO" -qc "DROP DATABASE IF EXISTS \"$d\" WITH (FORCE)" >/dev/null 2>&1
  done
  rm -rf "$ROOT"
}
trap cleanup EXIT

export ZEL_WINDIR=$ROOT/windows ZEL_MESSAGE_UI=text SOURCE_DATE_EPOCH=1718454225
HOST=$ROOT/host
DB=$HOST/zel.db
fail() { echo "FAIL: $*" >&2; exit 1; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# A fresh empty database of the cluster; prints its connection string.
fresh_database() {
  local name=zel_upsize_kill_$$_$1
  psql "$CONNINFO" -qc "CREATE DATABASE \"$name\"" >/dev/null || fail "CREATE DATABASE $name"
  databases+=("$name")
  sed "s/dbname=[^ ]*/dbname=$name/" <<<"$CONNINFO"
}

# The programs on the host DBName names, whichever it is.
programs_work() {
  "$BIN/formsetup" || fail "$1: formsetup exits $?"
  "$BIN/sendsummary" "$RECORD" || fail "$1: sendsummary exits $?"
  "$BIN/zelhost" check "$DB" >/dev/null 2>&1 || fail "$1: zelhost check finds $("$BIN/zelhost" check "$DB" 2>&1)"
}

is_file_host() { [ "$(head -c 15 "$DB")" = "SQLite format 3" ]; }

# Back to the file host, as the README tells an administrator.
go_back() {
  [ -f "$DB.upsized" ] || fail "$1: the descriptor is in place but $DB.upsized is missing"
  mv "$DB.upsized" "$DB"
}

"$BIN/zelhost" init "$HOST" >/dev/null 2>&1 || fail "zelhost init"
"$BIN/formsetup" || fail "formsetup"
RECORD=$("$BIN/zelhost" sample "$HOST" | tail -1)
# 10,000 SPOOL rows, so that an upsize lasts long enough to be cut.
statements=()
for i in $(seq 100001 110000); do
  statements+=("INSERT INTO SPOOL VALUES ('RP0019', '$i', '00$i.PRN', '2024-06-15 12:00:00', 'ADMIN', '20123456789', 6)")
done
"$BIN/zelhost" sql "$DB" "${statements[@]}" || fail "the SPOOL rows"

# One whole upsize, timed; then back to the file.
target=$(fresh_database 0)
started=$(now_ms)
"$BIN/zelhost" upsize "$HOST" --server "$target" >/dev/null 2>"$ROOT/upsize.err" ||
  fail "the timed upsize: $(cat "$ROOT/upsize.err")"
whole=$(($(now_ms) - started))
! is_file_host || fail "the timed upsize left no descriptor"
go_back "timed"
programs_work "after going back"

after_switch=0
for k in 1 2 3 4 5; do
  target=$(fresh_database "$k")
  at=$(((k - 1) * whole / 5 + RANDOM % (whole / 5 + 1)))
  "$BIN/zelhost" upsize "$HOST" --server "$target" >/dev/null 2>&1 &
  pid=$!
  sleep "$((at / 1000)).$(printf %03d $((at % 1000)))"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if ! is_file_host; then
    after_switch=$((after_switch + 1))
    go_back "kill $k at $at ms"
  fi
  programs_work "kill $k at $at ms of $whole"
done

target=$(fresh_database 6)
"$BIN/zelhost" upsize "$HOST" --server "$target" >/dev/null 2>"$ROOT/upsize.err" ||
  fail "the upsize after the kills: $(cat "$ROOT/upsize.err")"
! is_file_host || fail "the last upsize left no descriptor"
programs_work "on the server host"
echo "5 kills within an upsize of $whole ms ($after_switch after the switch); the host whole after each"
