#!/usr/bin/env bash
# Every relative link of README.md and docs/*.md leads somewhere: the file or
# folder exists, and a "#anchor" names a heading of the page it points to
# (headings made anchors as GitHub makes them).
#   check_links.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 2
export LC_ALL=C.UTF-8

# The anchors of a Markdown page's headings, one a line (a repeated heading
# gets -1, -2, ... as on GitHub); fenced code is passed over.
anchors() {
  awk '/^```/ { fence = !fence; next } !fence && /^#+ / { sub(/^#+ +/, ""); print }' "$1" |
    sed -E 's/[`*]//g; s/\[([^]]*)\]\([^)]*\)/\1/g' | tr '[:upper:]' '[:lower:]' |
    sed -E 's/[^[:alnum:] _-]//g; s/ /-/g' |
    awk '{ n = seen[$0]++; print (n ? $0 "-" n : $0) }'
}

# The link targets of a page: [text](target) and ![alt](target), outside
# fenced and inline code.
targets() {
  awk '/^```/ { fence = !fence; next } !fence' "$1" | sed -E 's/`[^`]*`//g' |
    grep -oE '\]\([^) ]+\)' | sed -E 's/^\]\(//; s/\)$//'
}

declare -A anchors_of  # a page's anchors, read once
bad=0
for page in README.md docs/*.md; do
  [ -f "$page" ] || continue
  while read -r target; do
    case "$target" in http://* | https://* | mailto:*) continue ;; esac
    file=${target%%#*}
    anchor=
    [[ $target == *#* ]] && anchor=${target#*#}
    path=$page
    if [ -n "$file" ]; then
      path=$(dirname "$page")/$file
      if [ ! -e "$path" ]; then
        echo "$page: $target: no such file"; bad=1; continue
      fi
    fi
    [[ $path == *.md ]] && [ -z "${anchors_of[$path]+set}" ] && anchors_of[$path]=$(anchors "$path")
    if [ -n "$anchor" ] && [[ $path == *.md ]] && ! grep -qxF -- "$anchor" <<<"${anchors_of[$path]}"; then
      echo "$page: $target: no heading with this anchor in $path"; bad=1
    fi
  done < <(targets "$page")
done
exit $bad
