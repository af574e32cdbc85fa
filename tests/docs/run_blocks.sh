#!/usr/bin/env bash
# Every command the docs give runs as written: the ```sh blocks of README.md
# and docs/*.md and the lines of the man pages' EXAMPLES, each document's in
# its order, in one shell, so that what a block exports or makes is there for
# the next. Each document starts afresh: an empty HOME (so no PM000.INI but
# the one its commands write), this build's programs first on PATH, its man
# pages for `man`, and from a folder that looks like the top of the source
# tree, whose build/ holds this build's programs and a demo made anew as
# `make demo` makes it. `make demo` itself runs the demo script: the programs
# are built already.
#
# A block that cannot run here (it installs packages, needs a database server
# or Windows, builds or runs the tests) is marked in its document: in
# Markdown a line `<!-- not run: REASON -->` just before its fence, in a man
# page a comment `.\" not run: REASON` just before the line. Those are
# counted and listed. A mark that precedes no block fails the test.
#   run_blocks.sh SOURCE_DIR BUILD_DIR [DOCUMENT...]
set -uo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
shift 2
for tool in sqlite3 man iconv; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (the docs' commands use it)"; exit 77; }
done
if [ $# -gt 0 ]; then documents=("$@"); else
  mapfile -t documents < <(cd "$source" && ls README.md docs/*.md man/*.1.in)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zel-docs.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The runnable blocks of a Markdown page, as records ended by the character 036 (RS):
# "run LINE\nTEXT" or "skip LINE\nREASON"; "stray LINE" for a mark that
# precedes no ```sh fence.
markdown_blocks() {
  awk '
    function flush() { printf "%s", record; printf "\036"; record = "" }
    /^```/ && !inside {
      inside = 1; lang = substr($0, 4)
      if (lang == "sh" || lang == "bash") {
        if (mark != "") { record = "skip " NR "\n" mark; flush(); skipping = 1 }
        else { record = "run " NR "\n"; running = 1 }
      } else if (mark != "") { record = "stray " mark_line; flush() }
      mark = ""; next
    }
    /^```/ && inside { inside = 0; if (running) flush(); running = skipping = 0; next }
    inside { if (running) record = record $0 "\n"; next }
    mark != "" && !/^[[:space:]]*$/ { record = "stray " mark_line; flush(); mark = "" }
    /^<!-- not run: .*-->[[:space:]]*$/ {
      mark = $0; sub(/^<!-- not run: */, "", mark); sub(/ *-->[[:space:]]*$/, "", mark)
      mark_line = NR
    }
    END { if (mark != "") { record = "stray " mark_line; flush() } }
  ' "$1"
}

# The lines of a man page's EXAMPLES that stand as typed (between .nf and
# .fi), as the reader sees them (roff escapes undone), one record each, as
# above.
man_blocks() {
  awk '
    function flush() { printf "%s", record; printf "\036"; record = "" }
    /^\.SH / { examples = ($0 == ".SH EXAMPLES"); next }
    !examples { next }
    /^\.nf/ { filled = 1; next }
    /^\.fi/ { filled = 0; next }
    /^\.\\" not run: / { mark = $0; sub(/^\.\\" not run: */, "", mark); mark_line = NR; next }
    !filled || /^\./ || /^[[:space:]]*$/ { next }
    {
      line = $0
      gsub(/\\-/, "-", line); gsub(/\\\(aq/, "\047", line); gsub(/\\&/, "", line)
      gsub(/\\e/, "\\", line)
      if (mark != "") { record = "skip " NR "\n" mark; mark = "" }
      else record = "run " NR "\n" line "\n"
      flush()
    }
    END { if (mark != "") { record = "stray " mark_line; flush() } }
  ' "$1"
}

# A folder that looks like the source tree's top: its files and folders, and
# a build/ of this build's programs (not the build tree itself, whose demo
# and files the commands must not touch).
top=$work/top
mkdir -p "$top/build" "$work/man/man1"
for entry in "$source"/* "$source"/.[!.]*; do
  [ -e "$entry" ] || continue
  name=$(basename "$entry")
  [ "$name" = build ] || [ "$name" = .git ] || ln -s "$entry" "$top/$name"
done
for part in bin libexec hostdb; do
  [ -e "$build/$part" ] && ln -s "$build/$part" "$top/build/$part"
done
for page in "$build"/man/*.1; do ln -s "$page" "$work/man/man1/"; done

ran=0
not_run=0
failed=0
skipped_list=
for document in "${documents[@]}"; do
  [ -f "$source/$document" ] || { echo "FAIL: no $document"; failed=1; continue; }
  case "$document" in
    *.md) extract=markdown_blocks ;;
    *) extract=man_blocks ;;
  esac
  script=$work/script.sh
  state=$work/state
  printf 'set -euo pipefail\n' >"$script"
  printf 'make() { [ "$*" = demo ] || { echo "make $* is not run by this test: mark its block" >&2; return 1; }\n' >>"$script"
  printf '  "%s/scripts/demo.sh" build; }\n' "$source" >>"$script"
  blocks=0
  while IFS= read -r -d $'\036' record; do
    head=${record%%$'\n'*}
    body=${record#*$'\n'}
    kind=${head%% *}
    line=${head#* }
    case $kind in
      run)
        blocks=$((blocks + 1))
        printf 'echo %q >"%s"\n%s\n' "$document:$line" "$state" "$body" >>"$script" ;;
      skip)
        not_run=$((not_run + 1))
        skipped_list+="  $document:$line: $body"$'\n' ;;
      stray)
        echo "FAIL: $document:$line: a not-run mark that precedes no command block"
        failed=1 ;;
    esac
  done < <($extract "$source/$document")
  [ "$blocks" -gt 0 ] || continue

  # Each document afresh: its own HOME, no Windows directory set, a new demo.
  home=$work/home
  rm -rf "$home" "$top/build/demo" "$work/tmp"
  mkdir -p "$home" "$work/tmp"
  if grep -q 'build/demo' "$source/$document"; then
    "$source/scripts/demo.sh" "$top/build" >"$work/demo.log" 2>&1 ||
      { cat "$work/demo.log"; echo "FAIL: the demo for $document"; failed=1; continue; }
  fi
  : >"$state"
  (
    cd "$top" &&
      env -u WINDIR -u ZEL_WINDIR -u XDG_CONFIG_HOME -u ZEL_MESSAGE_LOG -u ZEL_SQL_LOG \
        -u DISPLAY -u WAYLAND_DISPLAY -u SOURCE_DATE_EPOCH \
        HOME="$home" TMPDIR="$work/tmp" ZEL_MESSAGE_UI=text MANPATH="$work/man" MANPAGER=cat \
        PATH="$top/build/bin:$PATH" timeout 300 bash "$script" </dev/null
  ) >"$work/out.log" 2>&1
  status=$?
  if [ "$status" -eq 0 ]; then
    ran=$((ran + blocks))
    echo "ok: $document: $blocks blocks"
  else
    cat "$work/out.log"
    echo "FAIL: $document: the block at $(cat "$state") failed (exit status $status)"
    failed=1
  fi
done

echo "$ran command blocks ran, $not_run not run:"
printf '%s' "$skipped_list"
exit $failed
