#!/usr/bin/env bash
# zelhost's bash completion: the commands zelhost --help lists, completed
# from what is typed, and init's and upsize's options.
# Usage: completion_test.sh SOURCE_DIR BIN_DIR
set -uo pipefail
source "$1/tools/zelhost/zelhost.bash-completion"
bin=$2
status=0

# completes WORD... : what the completion offers for the last word.
completes() {
  COMP_WORDS=("$bin/zelhost" "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _zelhost
  echo "${COMPREPLY[*]}"
}
expect() {
  local got
  got=$(completes "${@:2}")
  [ "$got" = "$1" ] || { echo "zelhost ${*:2}<TAB>: '$got', not '$1'" >&2; status=1; }
}

expect "init" in
expect "sample sql shell" s
expect "upsize" u
expect "--server" upsize h --s
expect "check" ch
expect "--dbname" init --d
expect "--help --version" --
expect "page" p
expect "--paper" page x.PRN --p
expect "letter" page x.PRN --paper l
exit $status
