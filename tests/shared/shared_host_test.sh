#!/usr/bin/env bash
# A host kept on a shared filesystem and used from two PCs at once: the
# filesystem mounted twice on this machine, each mount standing for one PC
# with its own PM000.INI, and batches of 12 + 12 concurrent sendsummary runs
# with one formsetup among them, then a resend of an already sent record
# through each mount. Prints each batch's figures and times, and what it
# found wrong.
#
#   shared_host_test.sh [--kill|--cut] FS BIN_DIR [BATCHES]
#
# FS is sshfs, glusterfs, smb, moosefs or local. With --kill, about 8 runs
# of each batch are killed (kill -9) at random moments, and one more run
# after the batch must leave nothing half done; with --cut (one batch), PC
# 2's FUSE client is killed while one of its runs holds the run lock: its
# runs must end soon with box 3043 and a cause, and PC 1 must take the lock
# over within about a minute (batch.sh says more). BATCHES defaults to
# $ZEL_SHARED_BATCHES, or 1. The shared filesystems need root, /dev/fuse and
# their packages; without them the script exits 77 (skipped) naming what is
# missing. "local" is the control: one local folder that both PCs see. Every
# path out unmounts, stops what it started and removes its folder.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/mounts.sh"
MODE=batch
case ${1:-} in
  --kill) MODE=kill; shift ;;
  --cut) MODE=cut; shift ;;
esac
FS=${1:-}
BIN=${2:-}
batches=${3:-${ZEL_SHARED_BATCHES:-1}}
if ! mounts_load "$FS"; then
  echo "usage: $0 [--kill|--cut] sshfs|glusterfs|smb|moosefs|local BIN_DIR [BATCHES]" >&2
  exit 2
fi
source "$here/batch.sh"
[ -x "$BIN/sendsummary" ] || { echo "no programs in '$BIN'" >&2; exit 2; }
unmet=$(mounts_unmet)
[ -z "$unmet" ] || { echo "SKIPPED: $unmet"; exit 77; }
if [ "$MODE" = cut ]; then
  [ "$FS" != local ] || { echo "SKIPPED: a local folder has no client to cut off"; exit 77; }
  command -v unshare >/dev/null || { echo "SKIPPED: unshare is missing (util-linux)"; exit 77; }
  batches=1  # the cut mount stays cut
fi

ROOT=$(mktemp -d "${TMPDIR:-/tmp}/zel-shared-$FS.XXXXXX")
cleanup() {
  trap '' INT TERM
  # Runs still going (only after an interruption) are ended first, with
  # the timeout each runs under: they hold the mounts.
  local job
  for job in $(jobs -p); do
    pkill -TERM -P "$job" 2>/dev/null
    kill "$job" 2>/dev/null
  done
  wait 2>/dev/null
  mounts_stop
  rm -rf "$ROOT"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(now_ms)
mounts_start || { echo "$FS: the shared folder could not be mounted twice"; exit 1; }
echo "$FS: mounted in $(seconds $(($(now_ms) - started))) s"

failed=0
for n in $(seq 1 "$batches"); do
  run_batch "$n" || failed=$((failed + 1))
done
echo "$FS: $((batches - failed)) of $batches batches whole, in $(seconds $(($(now_ms) - started))) s"
[ "$failed" -eq 0 ]
