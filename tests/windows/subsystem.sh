#!/usr/bin/env bash
# formsetup.exe and sendsummary.exe are programs without a console window
# (their PE header names the Windows GUI subsystem), zelhost.exe a console
# program.
# Usage: subsystem.sh OBJDUMP BIN_DIR
set -uo pipefail
objdump=$1 bin=$2
status=0
for expected in "formsetup Windows GUI" "sendsummary Windows GUI" "zelhost Windows CUI"; do
  program=${expected%% *} want=${expected#* }
  # objdump -p: "Subsystem		00000002	(Windows GUI)"
  got=$("$objdump" -p "$bin/$program.exe" | sed -nE 's/^Subsystem[[:space:]]+[0-9a-f]+[[:space:]]+\((.*)\)$/\1/p')
  if [ "$got" != "$want" ]; then
    echo "$program.exe: subsystem '${got:-none read}', expected '$want'" >&2
    status=1
  fi
done
exit $status
