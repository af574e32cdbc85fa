# FUSE mounts of a one-brick GlusterFS volume. glusterd is started when it is
# not running (and stopped again after); the volume is made on a brick in the
# harness's folder, with `force` because the brick is on the root filesystem,
# and deleted after. Sourced through mounts.sh.

# The folder the server shares, as the server sees it, under $ROOT.
fs_served=brick
fs_needs_fuse=yes
fs_commands=(glusterd gluster glusterfs mount.glusterfs)

gluster_cli() { timeout 60 gluster --mode=script "$@"; }

# Starts glusterd when needed, and a fresh volume.
fs_start() {
  mkdir -p "$ROOT/brick"
  if ! pgrep -x glusterd >/dev/null; then
    glusterd -p "$ROOT/glusterd.pid" || return 1
    GLUSTERD_PID=$(pid_in "$ROOT/glusterd.pid")
  fi
  local tries=0
  until gluster_cli volume list >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -lt 30 ] || { echo "glusterd does not answer" >&2; return 1; }
    sleep 1
  done
  # The brick's host must be this machine's name: gluster refuses a bare
  # loopback address.
  VOLUME=zelshared$$
  gluster_cli volume create "$VOLUME" "$(hostname):$ROOT/brick" force >/dev/null || { VOLUME=; return 1; }
  gluster_cli volume start "$VOLUME" >/dev/null
}

# fs_mount DIR: mounts the volume on DIR.
fs_mount() { mount -t glusterfs "$(hostname):/$VOLUME" "$1"; }

# Stops and deletes the volume, once the mounts are gone, and stops glusterd
# when we started it.
fs_stop() {
  if [ -n "${VOLUME:-}" ]; then
    gluster_cli volume stop "$VOLUME" force >/dev/null 2>&1 || true
    gluster_cli volume delete "$VOLUME" >/dev/null 2>&1 || true
    VOLUME=
  fi
  if [ -n "${GLUSTERD_PID:-}" ]; then
    # Waited for: a glusterd still ending would be taken for a running one.
    stop_pid "$GLUSTERD_PID"
    GLUSTERD_PID=
  fi
}
