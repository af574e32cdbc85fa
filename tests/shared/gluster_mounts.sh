# Two FUSE mounts of a one-brick GlusterFS volume. glusterd is started when it
# is not running (and stopped again after); the volume is made on a brick in
# the harness's folder, with `force` because the brick is on the root
# filesystem, and deleted after. Sourced by shared_host_test.sh, which sets
# ROOT and calls fs_mount and fs_unmount.

fs_commands=(glusterd gluster glusterfs mount.glusterfs)

gluster_cli() { timeout 60 gluster --mode=script "$@"; }

# Mounts a fresh volume as $ROOT/pc1/mnt and $ROOT/pc2/mnt (MOUNT1, MOUNT2).
fs_mount() {
  mkdir -p "$ROOT/brick" "$ROOT/pc1/mnt" "$ROOT/pc2/mnt"
  if ! pgrep -x glusterd >/dev/null; then
    glusterd -p "$ROOT/glusterd.pid" || return 1
    GLUSTERD_PID=$(cat "$ROOT/glusterd.pid")
  fi
  local tries=0
  until gluster_cli volume list >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -lt 30 ] || { echo "glusterd does not answer" >&2; return 1; }
    sleep 1
  done
  # The brick's host must be this machine's name: gluster refuses a bare
  # loopback address.
  local server
  server=$(hostname)
  VOLUME=zelshared$$
  gluster_cli volume create "$VOLUME" "$server:$ROOT/brick" force >/dev/null || { VOLUME=; return 1; }
  gluster_cli volume start "$VOLUME" >/dev/null || return 1
  for pc in pc1 pc2; do
    mount -t glusterfs "$server:/$VOLUME" "$ROOT/$pc/mnt" || return 1
  done
  MOUNT1=$ROOT/pc1/mnt
  MOUNT2=$ROOT/pc2/mnt
}

# Unmounts, stops and deletes the volume, and stops glusterd when we started
# it. Safe to call at any stage of fs_mount, and twice.
fs_unmount() {
  for pc in pc1 pc2; do
    unmount_fuse "$ROOT/$pc/mnt"
  done
  if [ -n "${VOLUME:-}" ]; then
    gluster_cli volume stop "$VOLUME" force >/dev/null 2>&1 || true
    gluster_cli volume delete "$VOLUME" >/dev/null 2>&1 || true
    VOLUME=
  fi
  if [ -n "${GLUSTERD_PID:-}" ]; then
    kill "$GLUSTERD_PID" 2>/dev/null || true
    GLUSTERD_PID=
  fi
}
