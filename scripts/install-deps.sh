#!/usr/bin/env bash
# Installs what the build and its tests use from Debian's packages.
#
# As root, every missing package is installed with apt-get. Otherwise a
# missing required package stops here with the one apt-get line to run, and a
# missing optional group is named on one line with what will be skipped; the
# build goes on without it.
#
#   install-deps.sh          the build and the tests
#   install-deps.sh fuzz     also clang and its libFuzzer, required (make fuzz)
#   install-deps.sh package  also dpkg-dev, required (make package)
set -euo pipefail

# What the build cannot do without.
required=(cmake g++ make pkg-config libsqlite3-dev libsodium-dev libgtest-dev libgmock-dev)

# Optional groups: the packages of each, and what is skipped without them.
# A group is one line of each array, in the same order; a new group (another
# platform's tests, say) is one more line of each.
group_names=(
  dialog
  desktop
  clients
  package
  shared
  postgres
  page
  windows
)
group_packages=(
  "libgtk-3-dev"
  "xvfb xdotool imagemagick"
  "sqlite3 python3"
  "dpkg-dev man-db lintian"
  "openssh-server sshfs glusterfs-server glusterfs-client samba smbnetfs moosefs-master moosefs-chunkserver moosefs-client"
  "postgresql libpq-dev openssl"
  "libcairo2-dev libpango1.0-dev fonts-liberation poppler-utils"
  ""
)
group_skips=(
  "the dialog helper zeldialog (message boxes stay text) and the desktop dialog tests"
  "the desktop dialog tests (they open dialogs on an Xvfb of their own)"
  "the tests that open a host with the plain sqlite3 shell or Python"
  "the Debian package test"
  "the tests of hosts shared by several PCs (ctest label shared)"
  "the tests on a database server (ctest label postgres)"
  "zelhost page (drawing spool files) and its tests, or those that need the fonts or pdftotext"
  "the Windows build's tests"
)

case "${1:-}" in
  fuzz) required+=(clang libclang-rt-dev) ;;
  package) required+=(dpkg-dev) ;;
esac

# A package counts as installed once it is unpacked and configured; one whose
# triggers are still to run (another apt is busy, or was interrupted) is
# installed all the same.
installed() {
  dpkg-query -W -f='${db:Status-Status}\n' "$1" 2>/dev/null |
    grep -qxE 'installed|triggers-pending|triggers-awaited'
}
required_here() { [[ " ${required[*]} " == *" $1 "* ]]; }
missing_of() {  # the packages of the arguments that are not installed
  local p
  for p in "$@"; do installed "$p" || printf '%s ' "$p"; done
}
optional_missing_of() {  # the same, for optional packages this run does not require
  local p
  for p in $(missing_of "$@"); do required_here "$p" || printf '%s ' "$p"; done
}

read -r -a missing_required <<<"$(missing_of "${required[@]}")"
all_optional=()
for packages in "${group_packages[@]}"; do
  read -r -a list <<<"$packages"
  all_optional+=("${list[@]}")
done
read -r -a missing_optional <<<"$(optional_missing_of "${all_optional[@]}")"
missing=("${missing_required[@]}" "${missing_optional[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # Another apt (an unattended upgrade, another build) may hold dpkg's lock:
  # wait for it rather than fail.
  apt=(apt-get -o DPkg::Lock::Timeout=300)
  "${apt[@]}" update -qq
  "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
  exit 0
fi

for i in "${!group_names[@]}"; do
  read -r -a list <<<"$(optional_missing_of ${group_packages[$i]})"
  [ ${#list[@]} -eq 0 ] && continue
  echo "Without ${list[*]} (optional, group ${group_names[$i]}): skipping ${group_skips[$i]}." >&2
done
if [ ${#missing_required[@]} -gt 0 ]; then
  echo "Missing packages the build needs: ${missing_required[*]}" >&2
  echo "Run: sudo apt-get install -y ${missing_required[*]}" >&2
  exit 1
fi
exit 0
