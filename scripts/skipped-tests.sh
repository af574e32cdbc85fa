#!/usr/bin/env bash
# Says which tests the last ctest run of a build skipped, and why: one line a
# reason, with how many tests and which suites. Reads the run's log, where a
# GoogleTest skip prints its reason on the line after "Skipped" and a script
# test prints "SKIP: reason" (the shared-filesystem harness "SKIPPED: reason").
#   skipped-tests.sh BUILD_DIR
set -euo pipefail
log=$1/Testing/Temporary/LastTest.log
[ -f "$log" ] || exit 0

awk '
  /^[0-9]+\/[0-9]+ Test: / { test = $0; sub(/^[0-9]+\/[0-9]+ Test: /, "", test); after = 0; next }
  after && NF { reason[test] = $0; after = 0; next }
  /: Skipped$/ { if (!(test in reason)) after = 1; next }
  /^SKIP(PED)?: / { if (!(test in reason)) { r = $0; sub(/^SKIP(PED)?: /, "", r); reason[test] = r } }
  END {
    for (t in reason) {
      r = reason[t]; suite = t; sub(/\..*/, "", suite)
      count[r]++
      if (index(" " suites[r] " ", " " suite " ") == 0) suites[r] = suites[r] (suites[r] == "" ? "" : " ") suite
      total++
    }
    if (!total) { print "No test was skipped."; exit }
    printf "Skipped %d test%s, by reason:\n", total, total == 1 ? "" : "s"; fflush()
    for (r in count) printf "  %s: %d in %s\n", r, count[r], suites[r] | "sort"
  }' "$log"
