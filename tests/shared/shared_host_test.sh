#!/usr/bin/env bash
# A host kept on a shared filesystem and used from two PCs at once: the
# filesystem mounted twice on this machine, each mount standing for one PC
# with its own PM000.INI, and batches of 12 + 12 concurrent sendsummary runs
# with one formsetup among them. Prints each batch's figures and times, and
# what it found wrong.
#
#   shared_host_test.sh sshfs|glusterfs|local BIN_DIR [BATCHES]
#
# BATCHES defaults to $ZEL_SHARED_BATCHES, or 1. The shared filesystems need
# root, /dev/fuse and their packages; without them the script exits 77
# (skipped) naming what is missing. "local" is the control: one local folder
# that both PCs see. Every path out unmounts, stops what it started and
# removes its folder.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
FS=${1:-}
BIN=${2:-}
batches=${3:-${ZEL_SHARED_BATCHES:-1}}
case $FS in
  sshfs) source "$here/sshfs_mounts.sh" ;;
  glusterfs) source "$here/gluster_mounts.sh" ;;
  local) source "$here/local_folder.sh" ;;
  *) echo "usage: $0 sshfs|glusterfs|local BIN_DIR [BATCHES]" >&2; exit 2 ;;
esac
source "$here/batch.sh"
[ -x "$BIN/sendsummary" ] || { echo "no programs in '$BIN'" >&2; exit 2; }

skip() { echo "SKIPPED: $*"; exit 77; }
if [ "$fs_needs_fuse" = yes ]; then
  [ "$(id -u)" -eq 0 ] || skip "needs root (to mount, and to run the servers)"
  [ -c /dev/fuse ] || skip "no /dev/fuse"
fi
for command in "${fs_commands[@]}"; do
  command -v "$command" >/dev/null || skip "$command is missing (scripts/install-deps.sh installs it)"
done

# pid_in FILE: the process id a daemon writes to FILE once it has forked
# (it may not be there yet when the command that started it returns).
pid_in() {
  local tries=0
  until [ -s "$1" ]; do
    tries=$((tries + 1))
    [ $tries -lt 100 ] || return 1
    sleep 0.1
  done
  cat "$1"
}

# unmount_fuse DIR: unmounts DIR when it is a mount; lazily when it is busy
# or its server is gone, so that nothing is left hanging.
unmount_fuse() {
  mountpoint -q "$1" 2>/dev/null || return 0
  timeout 30 umount "$1" 2>/dev/null || umount -l "$1" 2>/dev/null || true
}

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/zel-shared-$FS.XXXXXX")
cleanup() {
  trap - EXIT INT TERM
  # Runs still going (only after an interruption) are ended first, with
  # the timeout each runs under: they hold the mounts.
  local job
  for job in $(jobs -p); do
    pkill -TERM -P "$job" 2>/dev/null
    kill "$job" 2>/dev/null
  done
  wait 2>/dev/null
  unmount_fuse "$ROOT/pc1/mnt"
  unmount_fuse "$ROOT/pc2/mnt"
  fs_stop
  rm -rf "$ROOT"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(now_ms)
MOUNT1=$ROOT/pc1/mnt
MOUNT2=$ROOT/pc2/mnt
mkdir -p "$MOUNT1" "$MOUNT2"
fs_start && fs_mount "$MOUNT1" && fs_mount "$MOUNT2" ||
  { echo "$FS: the shared folder could not be mounted twice"; exit 1; }
echo "$FS: mounted in $(seconds $(($(now_ms) - started))) s"

failed=0
for n in $(seq 1 "$batches"); do
  run_batch "$n" || failed=$((failed + 1))
done
echo "$FS: $((batches - failed)) of $batches batches whole, in $(seconds $(($(now_ms) - started))) s"
[ "$failed" -eq 0 ]
