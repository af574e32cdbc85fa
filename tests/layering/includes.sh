#!/usr/bin/env bash
# The layers include downward only: platform/ nothing above it; hostdb/ the
# platform; the programs and the toolkit the engine's public headers and the
# platform. Only hostdb/ itself and the toolkit (which makes SQLite indexes)
# reach into the SQLite implementation, hostdb/sqlite/.
set -uo pipefail
cd "$1" || exit 2

status=0
# check FOLDER ALLOWED-PREFIXES-REGEX
check() {
  local folder=$1 allowed=$2
  while IFS= read -r line; do
    echo "not allowed in $folder: $line" >&2
    status=1
  done < <(grep -rn --include='*.cpp' --include='*.h' -E '^#include "' "$folder" |
           grep -vE "#include \"($allowed)")
}

generated='build_account\.h|build_info\.h|best_fit_table\.inc|request\.h'
check platform "platform/|$generated"
check hostdb "hostdb/|platform/|$generated"
check installer "installer/|hostdb/[a-z_]+\.h|platform/|$generated"
check report "report/|hostdb/[a-z_]+\.h|platform/|$generated"
check tools/zelhost "tools/zelhost/|hostdb/|platform/|$generated"
check tools/zeldialog "tools/zeldialog/|$generated"
exit $status
