#!/usr/bin/env bash
# scripts/install-deps.sh against a made-up dpkg: dpkg-query, apt-get and id
# are stand-ins on PATH, so that what it counts as installed and what it asks
# apt-get to do are seen without touching the system.
#   install_deps_test.sh SOURCE_DIR
set -uo pipefail
script=$1/scripts/install-deps.sh
fake=$(mktemp -d "${TMPDIR:-/tmp}/zel-deps.XXXXXX")
trap 'rm -rf "$fake"' EXIT

# dpkg-query -W -f=FORMAT PACKAGE: the status named in $fake/status
# ("PACKAGE STATUS", "none" for unknown; every other package installed), in
# the fields FORMAT asks for.
cat >"$fake/dpkg-query" <<'FAKE'
#!/usr/bin/env bash
status=$(awk -v p="${!#}" '$1 == p { print $2 }' "$FAKE/status")
status=${status:-installed}
[ "$status" != none ] || exit 1
format=${2#-f=}
format=${format//'${db:Status-Status}'/$status}
format=${format//'${Status}'/install ok $status}
printf "$format"
FAKE
printf '#!/bin/sh\necho "$*" >>"$FAKE/apt.log"\n' >"$fake/apt-get"
printf '#!/bin/sh\n[ "$1" = -u ] && echo "$FAKE_UID"\n' >"$fake/id"
chmod +x "$fake/dpkg-query" "$fake/apt-get" "$fake/id"

failed=0
# check NAME UID "STATUS LINES" EXPECTED_EXIT GREP_PATTERN...: runs the
# script with those statuses as user UID; each pattern must be in its
# combined output and apt-get calls (one "apt: " line per call).
check() {
  local name=$1 uid=$2 statuses=$3 expected=$4
  shift 4
  printf '%s\n' "$statuses" >"$fake/status"
  : >"$fake/apt.log"
  local out rc
  out=$(FAKE=$fake FAKE_UID=$uid PATH="$fake:$PATH" "$script" 2>&1)
  rc=$?
  out+=$'\n'$(sed 's/^/apt: /' "$fake/apt.log")
  local pattern ok=yes
  [ "$rc" -eq "$expected" ] || ok=no
  for pattern in "$@"; do
    grep -qE -- "$pattern" <<<"$out" || ok=no
  done
  if [ $ok = no ]; then
    echo "FAIL $name: exit $rc (expected $expected), output:"$'\n'"$out"
    failed=1
  fi
}

# Triggers still to run leave a package installed: nothing to do, nothing said.
check "triggers pending" 1000 "libgtest-dev triggers-pending
postgresql triggers-awaited" 0 '^$'
check "half configured is missing" 1000 "libgtest-dev half-configured" 1 \
  'Missing packages the build needs: libgtest-dev$' 'apt-get install -y libgtest-dev$'
check "optional group named" 1000 "libpq-dev none" 0 \
  '^Without libpq-dev \(optional, group postgres\): skipping the tests on a database server \(ctest label postgres\)\.$'
check "root waits for the lock" 0 "postgresql none
sqlite3 config-files" 0 \
  '^apt: -o DPkg::Lock::Timeout=300 update' \
  '^apt: -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends sqlite3 postgresql$'
[ $failed -eq 0 ] && echo "install-deps.sh: all cases pass"
exit $failed
