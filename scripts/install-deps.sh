#!/usr/bin/env bash
# Installs what the build needs from Debian's packages when it is missing:
# with apt-get when run as root, otherwise by printing the line to run.
# With the argument "fuzz", also clang and its libFuzzer (for make fuzz).
set -euo pipefail

# dpkg-dev (dpkg-shlibdeps) and man-db serve the package and its man pages;
# sqlite3 and python3 are the plain clients the host database tests run.
packages=(cmake g++ make pkg-config libsqlite3-dev libsodium-dev libgtest-dev libgmock-dev sqlite3 python3 dpkg-dev man-db
          # the dialog helper (GTK 3) and its tests: an X server, keyboard input, screenshots
          libgtk-3-dev xvfb xdotool imagemagick)
# Optional, shared filesystems: the harness of hosts shared by two PCs (ctest
# label shared) mounts sshfs over its own sshd and GlusterFS, and skips
# without them.
shared_filesystems=(openssh-server sshfs glusterfs-server glusterfs-client)
packages+=("${shared_filesystems[@]}")
if [ "${1:-}" = fuzz ]; then packages+=(clang libclang-rt-dev); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
