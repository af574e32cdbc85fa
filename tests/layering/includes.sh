#!/usr/bin/env bash
# The layers include downward only: platform/ nothing above it; hostdb/ the
# platform; the programs and the toolkit the engine's public headers and the
# platform. The engine-neutral reading of the engine's SQL, hostdb/jet/,
# includes no engine's implementation. Only the SQLite implementation,
# hostdb/sqlite/, the registration of engines (hostdb/engines.cpp) and the
# toolkit (which checks, mends and indexes the SQLite file itself) reach into
# hostdb/sqlite/, and only the implementation and the sqlite3 shell's
# extension (hostdb/extension/) include SQLite's headers. The operating
# system's side of the platform lies in platform/posix/ or platform/windows/,
# one beside the other: each includes the portable platform and itself, the
# portable platform includes neither, and nothing above the platform knows
# which one is built (neither folder, no Win32 or POSIX header, no test of
# _WIN32).
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

# deny FOLDER... -- REGEX: lines matching REGEX in the sources of the folders.
deny() {
  local folders=() pattern
  while [ "$1" != -- ]; do folders+=("$1"); shift; done
  pattern=$2
  while IFS= read -r line; do
    echo "not allowed: $line" >&2
    status=1
  done < <(grep -rnE --include='*.cpp' --include='*.h' "$pattern" "${folders[@]}")
}

generated='build_account\.h|build_info\.h|best_fit_table\.inc|request\.h'
portable='platform/[a-z0-9_]+\.h'
check platform/posix "$portable|platform/posix/|$generated"
check platform/windows "$portable|platform/windows/|$generated"
platform_portable=(platform/*.cpp platform/*.h)
deny "${platform_portable[@]}" -- '^#include "platform/(posix|windows)/'
deny hostdb installer report tools -- '^#include "platform/(posix|windows)/|^#include <(windows|unistd|fcntl|dirent|io)\.h>|^#include <sys/|^#\s*if.*(_WIN32|__linux__|__unix__|__MINGW)'
deny tests bench fuzz -- '^#\s*if.*(_WIN32|__MINGW)'
check platform "platform/|$generated"
check hostdb "hostdb/|platform/|$generated"
check hostdb/jet "hostdb/jet/|hostdb/[a-z_]+\.h|platform/"
hostdb_own=()
for f in hostdb/*.cpp hostdb/*.h; do [ "$f" = hostdb/engines.cpp ] || hostdb_own+=("$f"); done
deny "${hostdb_own[@]}" -- '^#include "hostdb/sqlite/'
deny "${hostdb_own[@]}" -- '^#include "hostdb/postgres/'
# The two engines know nothing of each other; only the server engine
# includes libpq's headers.
deny hostdb/postgres -- '^#include "hostdb/sqlite/'
deny hostdb/sqlite -- '^#include "hostdb/postgres/'
deny hostdb/*.cpp hostdb/*.h hostdb/jet hostdb/sqlite installer report -- '^#include <libpq-fe\.h>'
deny hostdb/*.cpp hostdb/*.h hostdb/jet installer report tools -- '^#include <sqlite3(ext)?\.h>'

check installer "installer/|hostdb/[a-z_]+\.h|platform/|$generated"
check report "report/|hostdb/[a-z_]+\.h|platform/|$generated"
check tools/zelhost "tools/zelhost/|hostdb/|platform/|$generated"
check tools/zeldialog "tools/zeldialog/|$generated"
exit $status
