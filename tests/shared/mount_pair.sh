#!/usr/bin/env bash
# One shared filesystem of the harness mounted twice (two PCs), for running
# programs by hand against both mounts. Prints the two folders and stays
# until it is interrupted or killed (its PID is printed); then it unmounts and
# stops the servers it started, and removes ROOT's contents it made.
#
#   mount_pair.sh sshfs|glusterfs|smb|moosefs|local ROOT
#
# ROOT is a folder of your own (made when missing). With ZEL_MOUNT_PAIR_READY
# set to a file name, that file is written once both mounts are up (for
# scripts that start this one in the background).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/mounts.sh"
FS=${1:-}
ROOT=${2:-}
if [ -z "$ROOT" ] || ! mounts_load "$FS"; then
  echo "usage: $0 sshfs|glusterfs|smb|moosefs|local ROOT" >&2
  exit 2
fi
unmet=$(mounts_unmet)
[ -z "$unmet" ] || { echo "SKIPPED: $unmet"; exit 77; }
mkdir -p "$ROOT" && ROOT=$(cd "$ROOT" && pwd) || exit 2

stopped=
stop() {
  [ -z "$stopped" ] || return 0
  stopped=yes
  trap '' INT TERM HUP
  mounts_stop
  rm -rf "$ROOT/pc1" "$ROOT/pc2" "$ROOT/served" "$ROOT/brick" "$ROOT/sshd" "$ROOT/smbd" "$ROOT/mfs"
}
trap stop EXIT
trap 'exit 130' INT TERM HUP

mounts_start || { echo "$FS: the shared folder could not be mounted twice" >&2; exit 1; }
mkdir -p "$ROOT/pc1/windows" "$ROOT/pc2/windows"
cat <<INFO
$FS mounted twice:
  PC 1: $MOUNT1   (client $(mounts_client_pid 1 || echo -))
  PC 2: $MOUNT2   (client $(mounts_client_pid 2 || echo -))
Each PC needs its own Windows directory, for instance:
  WINDIR=$ROOT/pc1/windows zelhost init $MOUNT1/host
  sed 's|$MOUNT1/|$MOUNT2/|g' $ROOT/pc1/windows/PM000.INI > $ROOT/pc2/windows/PM000.INI
To stop: kill $$   (or Ctrl-C)
INFO
[ -z "${ZEL_MOUNT_PAIR_READY:-}" ] || printf 'MOUNT1=%q\nMOUNT2=%q\n' "$MOUNT1" "$MOUNT2" >"$ZEL_MOUNT_PAIR_READY"
# Waits in small steps, so that a signal is acted on at once.
while true; do sleep 1; done
