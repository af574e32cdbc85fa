#!/usr/bin/env bash
# Within each folder given, the units (a .h and its .cpp) include one
# another in one direction only: no unit includes, from its header or its
# source, a unit that includes it back, directly or around a loop, so that
# the folder reads from the top down.
set -uo pipefail
cd "$1" || exit 2
shift

status=0
for folder in "$@"; do
  edges=$(for file in "$folder"/*.cpp "$folder"/*.h; do
            [ -e "$file" ] || continue
            unit=$(basename "${file%.*}")
            grep -oE "^#include \"$folder/[a-z0-9_]+\.h\"" "$file" |
              sed -E "s|^#include \"$folder/([a-z0-9_]+)\.h\"|\1|" |
              while read -r used; do
                [ "$used" = "$unit" ] || echo "$unit $used"
              done
          done | sort -u)
  if ! loop=$(echo "$edges" | tsort 2>&1 >/dev/null) || [ -n "$loop" ]; then
    echo "$folder: units include each other: ${loop//$'\n'/ }" >&2
    status=1
  fi
done
exit $status
