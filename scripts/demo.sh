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
    # The spool file as the page the host prints from it.
    status=0
    "$bin/zelhost" page "$demo/host/RPT/$spool" -o "$demo/summary.png" || status=$?
    case $status in
      0) echo "Its page:         $demo/summary.png (zelhost page)" ;;
      2) echo "Its page:         not drawn: this zelhost cannot draw (no cairo or Pango)" ;;
      *) echo "Its page:         zelhost page failed (exit status $status)"; exit 1 ;;
    esac
  else
    echo "sendsummary ended with a message (see $messages)."
  fi
fi

db="$demo/host/zel.db"
sql() { "$bin/zelhost" sql "$db" "$1"; }
echo
echo "== what formsetup made in $db"
echo "form tables ($(sql "SELECT count(*) AS n FROM MSysObjects WHERE Name LIKE 'F0%' OR Name LIKE 'HF0%' OR Name LIKE 'TMP_F0%' OR Name = 'EFCONTROLNS'" | tail -n 1)):"
sql "SELECT Name FROM MSysObjects WHERE Name LIKE 'F0%' OR Name LIKE 'HF0%' OR Name LIKE 'TMP_F0%' OR Name = 'EFCONTROLNS' ORDER BY Id" \
  | tail -n +2 | paste -sd' ' | fold -s -w 100 | sed 's/^/  /'
echo "text fields that accept '': $(sql "SELECT count(*) AS n FROM MSysColumns WHERE AllowZeroLength = 1 AND TableName NOT IN (SELECT Name FROM MSysObjects WHERE Name IN ('PARAM','reportes','envio_t','SPOOL','CAB','DET','cont'))" | tail -n 1)"
echo "PARAM rows by group:"
sql "SELECT Numero, count(*) AS rows_ FROM PARAM GROUP BY Numero ORDER BY Numero" | tail -n +2 \
  | awk -F'\t' '{printf "%s=%s ", $1, $2} END {print ""}' | fold -s -w 100 | sed 's/^/  /'
echo "reportes:"
sql "SELECT * FROM reportes ORDER BY codrep" | sed 's/^/  /'
echo "envio_t (from $demo/host/tmp/env661.txt):"
sql "SELECT * FROM envio_t ORDER BY tabla_o" | sed 's/^/  /'

echo
echo "== what the run did"
touch "$trace"
echo "statements sent:  $(grep -c $'^E\t' "$trace") (trace: $trace)"
echo "queries opened:   $(grep -c $'^Q\t' "$trace")"
echo "message boxes:    $(wc -l < "$messages") (transcript: $messages)"
echo
echo "Demo host:        $demo/host"
echo "Windows folder:   $WINDIR (PM000.INI)"
echo "Inspect it with:  $bin/zelhost shell $db"
echo "Check it with:    $bin/zelhost check $db"
