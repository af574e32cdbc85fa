#!/usr/bin/env bash
# Makes a demo host under the build folder and runs the programs on it.
set -euo pipefail

build=${1:-build}
bin="$build/bin"
demo="$(cd "$build" && pwd)/demo"

rm -rf "$demo"
mkdir -p "$demo/windows"
export WINDIR="$demo/windows"
messages="$demo/messages.jsonl"
trace="$demo/sql.log"
: > "$messages"

echo "== zelhost init $demo/host"
"$bin/zelhost" init "$demo/host"
echo "== zelhost sample $demo/host"
record=$("$bin/zelhost" sample "$demo/host" | tail -n 1)
echo "declaration record: '$record'"

echo
echo "== formsetup"
if ZEL_MESSAGE_LOG="$messages" ZEL_SQL_LOG="$trace" "$bin/formsetup"; then
  echo "formsetup completed without a message."
else
  echo "formsetup ended with a message (see $messages)."
fi

if [ -x "$bin/sendsummary" ]; then
  echo
  echo "== sendsummary '$record'"
  if ZEL_MESSAGE_LOG="$messages" ZEL_SQL_LOG="$trace" "$bin/sendsummary" "$record"; then
    echo "sendsummary completed without a message."
    # The output name: form, period and the two characters after it, week, NC number.
    output="${record:17:4}${record:21:6}${record:27:1}${record:28:8}"
    spool=$("$bin/zelhost" sql "$demo/host/zel.db" \
      "SELECT Archivo FROM SPOOL WHERE CodRep = 'RP0019' ORDER BY Archivo DESC" | sed -n 2p)
    echo
    echo "-- text summary $demo/host/TMP/$output.txt (Windows-1252, shown in UTF-8)"
    iconv -f WINDOWS-1252 -t UTF-8 "$demo/host/TMP/$output.txt" | tr -d '\r' | sed 's/^/   | /'
    echo
    echo "Spool file:       $demo/host/RPT/$spool (registered in SPOOL)"
    echo "Its copy:         $demo/host/RPT/$output.PRN"
    echo "Text summary:     $demo/host/TMP/$output.txt"
  else
    echo "sendsummary ended with a message (see $messages)."
  fi
fi

db="$demo/host/zel.db"
echo
echo "== tables in $db"
"$bin/zelhost" sql "$db" "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'MSys%' ORDER BY name" \
  | tail -n +2 | paste -sd' ' | fold -s -w 100
echo
echo "== what the run did"
touch "$trace"
echo "statements sent:  $(grep -c $'^E\t' "$trace") (trace: $trace)"
echo "queries opened:   $(grep -c $'^Q\t' "$trace")"
echo "message boxes:    $(wc -l < "$messages") (transcript: $messages)"
echo
echo "Demo host:        $demo/host"
echo "Windows folder:   $WINDIR (PM000.INI)"
echo "Inspect it with:  sqlite3 $db  (then: .load $(cd "$build" && pwd)/hostdb/zeljet)"
