#!/usr/bin/env bash
# scripts/skipped-tests.sh on a ctest log with each kind of skip: a
# GoogleTest skip, a script's "SKIP:" and the shared harness's "SKIPPED:";
# a test that passed says nothing.
#   skipped_tests_test.sh SOURCE_DIR
set -uo pipefail
build=$(mktemp -d "${TMPDIR:-/tmp}/zel-skipped.XXXXXX")
trap 'rm -rf "$build"' EXIT
mkdir -p "$build/Testing/Temporary"
cat >"$build/Testing/Temporary/LastTest.log" <<'LOG'
1/5 Test: PostgresTestCluster.Listens
Output:
----------------------------------------------------------
[ RUN      ] PostgresTestCluster.Listens
../../tests/postgres/cluster_test.cpp:21: Skipped
PostgreSQL is not installed (postgresql, libpq-dev)

[  SKIPPED ] PostgresTestCluster.Listens (0 ms)
<end of output>
2/5 Test: PostgresScratchDatabase.Copies
Output:
----------------------------------------------------------
../../tests/postgres/cluster_test.cpp:40: Skipped
PostgreSQL is not installed (postgresql, libpq-dev)
<end of output>
3/5 Test: PostgresCluster.notInstalled
Output:
----------------------------------------------------------
SKIP: PostgreSQL is not installed (postgresql, libpq-dev)
<end of output>
4/5 Test: SharedHost.sshfs
Output:
----------------------------------------------------------
SKIPPED: needs root (to mount, and to run the servers)
<end of output>
5/5 Test: Layering.IncludesGoDownwardOnly
Output:
----------------------------------------------------------
<end of output>
LOG
got=$("$1/scripts/skipped-tests.sh" "$build")
failed=0
# expect PATTERN: a line of the summary matches it.
expect() { grep -qE -- "$1" <<<"$got" || { echo "no line matching: $1"; failed=1; }; }
expect '^Skipped 4 tests, by reason:$'
pg='^  PostgreSQL is not installed \(postgresql, libpq-dev\): 3 in '
expect "$pg"
for suite in PostgresCluster PostgresScratchDatabase PostgresTestCluster; do
  expect "$pg.*\\b$suite\\b"
done
expect '^  needs root \(to mount, and to run the servers\): 1 in SharedHost$'
[ "$(wc -l <<<"$got")" -eq 3 ] || { echo "more lines than reasons"; failed=1; }
[ $failed -eq 0 ] || echo "$got"
exit $failed
