#!/usr/bin/env bash
# zelhost upsize timed: a file host after formsetup, with the sample
# declaration and ROWS SPOOL rows (default 10000), moved N times (default 5)
# into a fresh database of a private cluster (tests/postgres/cluster.sh),
# put back between runs as the README says. Prints the median, the fastest
# and the slowest upsize, and beside them zelhost check of the same file
# (which upsize runs first) and the ratio of the medians.
#
#   bench/upsize_bench.sh BIN_DIR [N] [ROWS]
#
# Without PostgreSQL's server programs or psql the script exits 77.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
BIN=${1:-}
N=${2:-5}
ROWS=${3:-10000}
[ -x "$BIN/zelhost" ] || { echo "usage: $0 BIN_DIR [N] [ROWS]" >&2; exit 2; }
command -v psql >/dev/null || { echo "SKIPPED: psql is missing (postgresql-client)"; exit 77; }

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/zel-bench-upsize.XXXXXX")
cleanup() {
  "$here/../tests/postgres/cluster.sh" stop "$ROOT/cluster" >/dev/null 2>&1
  rm -rf "$ROOT"
}
trap cleanup EXIT
CONNINFO=$("$here/../tests/postgres/cluster.sh" start "$ROOT/cluster" --owner $$ 2>"$ROOT/cluster.err")
case $? in
  0) ;;
  77) echo "SKIPPED: ${CONNINFO:-PostgreSQL is not installed}"; exit 77 ;;
  *) cat "$ROOT/cluster.err" >&2; exit 1 ;;
esac

export ZEL_WINDIR=$ROOT/windows ZEL_MESSAGE_UI=text
HOST=$ROOT/host
DB=$HOST/zel.db
"$BIN/zelhost" init "$HOST" >/dev/null 2>&1 && "$BIN/formsetup" &&
  "$BIN/zelhost" sample "$HOST" >/dev/null || { echo "the host could not be made" >&2; exit 1; }
# In calls of 5000 statements, which a command line holds.
for ((first = 1; first <= ROWS; first += 5000)); do
  statements=()
  for ((i = 100000 + first; i < 100000 + first + 5000 && i <= 100000 + ROWS; i++)); do
    statements+=("INSERT INTO SPOOL VALUES ('RP0019', '$i', '00$i.PRN', '2024-06-15 12:00:00', 'ADMIN', '20123456789', 6)")
  done
  "$BIN/zelhost" sql "$DB" "${statements[@]}" || exit 1
done

now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

upsizes=() checks=()
for run in $(seq 1 "$N"); do
  psql "$CONNINFO" -qc "CREATE DATABASE bench_$run" >/dev/null || exit 1
  started=$(now_ms)
  "$BIN/zelhost" check "$DB" >/dev/null 2>&1 || { echo "zelhost check failed" >&2; exit 1; }
  checks+=($(($(now_ms) - started)))
  started=$(now_ms)
  "$BIN/zelhost" upsize "$HOST" --server "${CONNINFO/dbname=postgres/dbname=bench_$run}" \
    >/dev/null 2>"$ROOT/upsize.err" || { cat "$ROOT/upsize.err" >&2; exit 1; }
  upsizes+=($(($(now_ms) - started)))
  mv "$DB.upsized" "$DB"
done
up=$(printf '%s\n' "${upsizes[@]}" | median)
ck=$(printf '%s\n' "${checks[@]}" | median)
echo "upsize of $ROWS SPOOL rows, $N runs: median $up ms" \
  "(fastest $(printf '%s\n' "${upsizes[@]}" | sort -n | head -1)," \
  "slowest $(printf '%s\n' "${upsizes[@]}" | sort -n | tail -1))"
echo "zelhost check of the same file: median $ck ms; upsize / check $(awk "BEGIN { printf \"%.2f\", $up / $ck }")"
