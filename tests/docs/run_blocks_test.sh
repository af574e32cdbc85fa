#!/usr/bin/env bash
# run_blocks.sh on made-up documents: what it runs, in which order and
# shell, what its marks leave out, and that a failing block or a stray mark
# fails it.
#   run_blocks_test.sh SOURCE_DIR
set -uo pipefail
runner=$1/tests/docs/run_blocks.sh
fake=$(mktemp -d "${TMPDIR:-/tmp}/zel-blocks.XXXXXX")
trap 'rm -rf "$fake"' EXIT
mkdir -p "$fake/src/man" "$fake/build/bin" "$fake/build/man"

failed=0
# check NAME FILE EXPECTED_EXIT PATTERN... < DOCUMENT: runs the runner on the
# document; each pattern must be in its output.
check() {
  local name=$1 file=$2 expected=$3
  shift 3
  cat >"$fake/src/$file"
  local out rc
  out=$("$runner" "$fake/src" "$fake/build" "$file" 2>&1)
  rc=$?
  local ok=1
  [ "$rc" -eq "$expected" ] || ok=0
  for pattern in "$@"; do grep -qE -- "$pattern" <<<"$out" || ok=0; done
  if [ "$ok" = 1 ]; then echo "ok: $name"; else
    echo "FAIL: $name (exit $rc, expected $expected)"; echo "$out" | sed 's/^/  | /'; failed=1
  fi
}

check "blocks share one shell, in order, in an empty HOME" a.md 0 '^ok: a.md: 2 blocks' '^2 command blocks ran, 0 not run' <<'DOC'
```sh
export NAME=first; [ -z "$(ls -A "$HOME")" ]; touch ~/made
```
```text
false
```
```sh
[ "$NAME" = first ] && [ -f ~/made ] && [ -z "${WINDIR:-}" ]
```
DOC
check "a failing block fails and is named" b.md 1 'FAIL: b.md: the block at b.md:4 failed' <<'DOC'
```sh
true
```
```sh
true
false
true
```
DOC
check "a failing stage of a pipe fails" c.md 1 'FAIL: c.md: the block at c.md:1' <<'DOC'
```sh
false | cat
```
DOC
check "a marked block is not run, and listed" d.md 0 '1 command blocks ran, 1 not run' 'd.md:2: needs a server' <<'DOC'
<!-- not run: needs a server -->
```sh
false
```
```sh
true
```
DOC
check "a mark before no shell block fails" e.md 1 'e.md:1: a not-run mark that precedes no command block' <<'DOC'
<!-- not run: stray -->
Some text.
```sh
true
```
DOC
check "make runs only the demo" f.md 1 'make test is not run by this test' <<'DOC'
```sh
make test
```
DOC
check "a man page's examples: escapes undone, prose and marks passed over" man/x.1.in 0 \
  '^ok: man/x.1.in: 2 blocks' '1 not run' 'man/x.1.in:11: needs Windows' <<'DOC'
.TH X 1
.SH DESCRIPTION
.nf
false
.fi
.SH EXAMPLES
Prose that is no command.
.nf
[ "a\-b" = a-b ] && [ "\(aq" = "'" ]
.\" not run: needs Windows
false
[ "$(printf '%s' 'a\eb' | wc -c)" = 3 ]
.fi
.SH SEE ALSO
DOC
exit $failed
