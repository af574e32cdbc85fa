# One shared filesystem mounted twice on this machine, each mount one PC.
# Sourced by shared_host_test.sh, mount_pair.sh and bench/shared_bench.sh:
#
#   mounts_load FS            sources the filesystem's file (sshfs, glusterfs,
#                             smb, moosefs, local); returns 2 for another name
#   mounts_unmet              prints why this machine cannot mount it, if so
#   mounts_start              with ROOT (a fresh folder) set: starts the
#                             servers, mounts twice, sets MOUNT1 and MOUNT2
#                             (the shared folder as PC 1 and PC 2 see it)
#   mounts_stop               unmounts, stops by their PIDs what was started
#   mounts_client_pid N       the FUSE client process of mount N (1 or 2)
#
# Each filesystem's file defines fs_commands, fs_needs_fuse, fs_start,
# fs_mount DIR, fs_stop, and may define fs_folder DIR (where the shared folder
# is under the mount; DIR itself by default). Daemons are started in the
# background, disowned, so that a caller's `wait` never waits for them.

mounts_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

mounts_load() {
  case $1 in
    sshfs) source "$mounts_here/sshfs_mounts.sh" ;;
    glusterfs) source "$mounts_here/gluster_mounts.sh" ;;
    smb) source "$mounts_here/smb_mounts.sh" ;;
    moosefs) source "$mounts_here/moosefs_mounts.sh" ;;
    local) source "$mounts_here/local_folder.sh" ;;
    *) return 2 ;;
  esac
  declare -F fs_folder >/dev/null || fs_folder() { echo "$1"; }
}

mounts_unmet() {
  if [ "$fs_needs_fuse" = yes ]; then
    [ "$(id -u)" -eq 0 ] || { echo "needs root (to mount, and to run the servers)"; return; }
    [ -c /dev/fuse ] || { echo "no /dev/fuse"; return; }
  fi
  local command
  for command in "${fs_commands[@]}"; do
    command -v "$command" >/dev/null ||
      { echo "$command is missing (scripts/install-deps.sh installs it)"; return; }
  done
}

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

# stop_pid PID [SECONDS]: asks the process to end, waits up to SECONDS (10)
# for it, then kills it.
stop_pid() {
  local pid=$1 tries=$((${2:-10} * 10))
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  while kill -0 "$pid" 2>/dev/null && [ "$tries" -gt 0 ]; do
    sleep 0.1
    tries=$((tries - 1))
  done
  kill -9 "$pid" 2>/dev/null || true
}

# start_daemon LOG COMMAND…: starts a daemon that stays in the foreground,
# in the background, and sets DAEMON_PID.
start_daemon() {
  local log=$1
  shift
  "$@" </dev/null >"$log" 2>&1 &
  DAEMON_PID=$!
  disown "$DAEMON_PID"
}

# start_fuse_client DIR LOG COMMAND…: starts a FUSE client that stays in the
# foreground and waits (up to 30 s) for DIR to be mounted; the client's PID
# becomes the mount's.
declare -A mount_client=()
start_fuse_client() {
  local dir=$1 log=$2 tries=300
  shift 2
  start_daemon "$log" "$@"
  mount_client[$dir]=$DAEMON_PID
  until mountpoint -q "$dir"; do
    tries=$((tries - 1))
    if [ "$tries" -le 0 ] || ! kill -0 "$DAEMON_PID" 2>/dev/null; then
      echo "$dir was not mounted: $(tail -2 "$log")" >&2
      return 1
    fi
    sleep 0.1
  done
}

# mounts_client_pid N: the client of mount N: the one started here, or the
# process whose command line names the mount (a client that made itself a
# daemon), the first of its kind where it forked workers.
mounts_client_pid() {
  local dir=$ROOT/pc$1/mnt
  if [ -n "${mount_client[$dir]:-}" ]; then
    echo "${mount_client[$dir]}"
    return
  fi
  local proc found=
  for proc in /proc/[0-9]*; do
    tr '\0' '\n' 2>/dev/null <"$proc/cmdline" | grep -qxF "$dir" || continue
    local pid=${proc#/proc/}
    # A worker forked by the client has the client's command line too.
    if [ -z "$found" ] || [ "$pid" -lt "$found" ]; then found=$pid; fi
  done
  [ -n "$found" ] && echo "$found"
}

# unmount_fuse DIR: unmounts DIR when it is a mount; lazily when it is busy
# or its server is gone, so that nothing is left hanging.
unmount_fuse() {
  mountpoint -q "$1" 2>/dev/null || [ -n "$(findmnt -n -M "$1" 2>/dev/null)" ] || return 0
  timeout 30 umount "$1" 2>/dev/null || umount -l "$1" 2>/dev/null || true
}

mounts_start() {
  local pc
  for pc in 1 2; do mkdir -p "$ROOT/pc$pc/mnt"; done
  fs_start || return 1
  for pc in 1 2; do fs_mount "$ROOT/pc$pc/mnt" || return 1; done
  MOUNT1=$(fs_folder "$ROOT/pc1/mnt")
  MOUNT2=$(fs_folder "$ROOT/pc2/mnt")
  # Both PCs see one folder: a file written by one is read by the other
  # (a new chunkserver may take a few seconds to offer its space).
  local probe=.zel-probe-$$ tries=0
  until echo shared 2>/dev/null >"$MOUNT1/$probe" && [ "$(cat "$MOUNT2/$probe" 2>/dev/null)" = shared ]; do
    tries=$((tries + 1))
    [ $tries -lt 60 ] || { echo "the two mounts do not share a folder" >&2; return 1; }
    sleep 0.5
  done
  rm -f "$MOUNT1/$probe"
}

mounts_stop() {
  local pc pid
  for pc in 1 2; do
    pid=${mount_client[$ROOT/pc$pc/mnt]:-}
    unmount_fuse "$ROOT/pc$pc/mnt"
    stop_pid "$pid" 5
  done
  fs_stop
}
