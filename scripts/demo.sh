#!/usr/bin/env bash
# Makes a demo host under the build folder and runs the programs on it.
set -euo pipefail

build=${1:-build}
bin="$build/bin"
demo="$(cd "$build" && pwd)/demo"

rm -rf "$demo"
mkdir -p "$demo/windows"
export WINDIR="$demo/windows"
export ZEL_MESSAGE_LOG="$demo/messages.jsonl"
export ZEL_SQL_LOG="$demo/sql.log"

echo "== zelhost init $demo/host"
"$bin/zelhost" init "$demo/host"
echo "== zelhost sample $demo/host"
record=$("$bin/zelhost" sample "$demo/host" | tail -n 1)
echo "declaration record: '$record'"

echo
echo "== formsetup"
if "$bin/formsetup"; then
  echo "formsetup completed without a message."
else
  echo "formsetup ended with a message (see $ZEL_MESSAGE_LOG)."
fi

if [ -x "$bin/sendsummary" ]; then
  echo
  echo "== sendsummary '$record'"
  if "$bin/sendsummary" "$record"; then
    echo "sendsummary completed without a message."
  else
    echo "sendsummary ended with a message (see $ZEL_MESSAGE_LOG)."
  fi
fi

db="$demo/host/zel.db"
echo
echo "== tables in $db"
"$bin/zelhost" sql "$db" "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'MSys%' ORDER BY name" \
  | tail -n +2 | paste -sd' ' | fold -s -w 100
echo
echo "== what the run did"
echo "statements sent:  $(grep -c $'^E\t' "$ZEL_SQL_LOG" 2>/dev/null || echo 0) (trace: $ZEL_SQL_LOG)"
echo "queries opened:   $(grep -c $'^Q\t' "$ZEL_SQL_LOG" 2>/dev/null || echo 0)"
echo "message boxes:    $(wc -l < "$ZEL_MESSAGE_LOG" 2>/dev/null || echo 0) (transcript: $ZEL_MESSAGE_LOG)"
echo
echo "Demo host:        $demo/host"
echo "Windows folder:   $WINDIR (PM000.INI)"
echo "Inspect it with:  sqlite3 $db  (then: .load $(cd "$build" && pwd)/hostdb/zeljet)"
