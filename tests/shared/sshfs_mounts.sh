# Two sshfs mounts of one folder, served by an sshd of our own on the
# loopback: its configuration, host key, client key and port live in the
# harness's folder, and it is stopped with the mounts. Sourced by
# shared_host_test.sh, which sets ROOT and calls fs_mount and fs_unmount.

fs_commands=(/usr/sbin/sshd ssh-keygen sshfs fusermount3)

# Starts sshd on a free port of 127.0.0.1 and mounts $ROOT/served twice, as
# $ROOT/pc1/mnt and $ROOT/pc2/mnt (MOUNT1, MOUNT2).
fs_mount() {
  local dir=$ROOT/sshd
  mkdir -p "$dir" "$ROOT/served" "$ROOT/pc1/mnt" "$ROOT/pc2/mnt" /run/sshd
  ssh-keygen -q -t ed25519 -N '' -f "$dir/host_key"
  ssh-keygen -q -t ed25519 -N '' -f "$dir/client_key"
  cp "$dir/client_key.pub" "$dir/authorized_keys"
  local port
  for _ in 1 2 3 4 5; do
    port=$(shuf -i 20000-60000 -n 1)
    cat >"$dir/sshd_config" <<EOF
Port $port
ListenAddress 127.0.0.1
HostKey $dir/host_key
PidFile $dir/sshd.pid
AuthorizedKeysFile $dir/authorized_keys
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
Subsystem sftp internal-sftp
EOF
    # In daemon mode sshd binds before it forks: a taken port fails here.
    if /usr/sbin/sshd -f "$dir/sshd_config" -E "$dir/sshd.log"; then
      SSHD_PID=$(cat "$dir/sshd.pid")
      break
    fi
  done
  [ -n "${SSHD_PID:-}" ] || { echo "sshd did not start: $(tail -3 "$dir/sshd.log")" >&2; return 1; }
  local user
  user=$(id -un)
  for pc in pc1 pc2; do
    sshfs -p "$port" \
      -o "IdentityFile=$dir/client_key,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null" \
      -o BatchMode=yes,ServerAliveInterval=5,ServerAliveCountMax=3 \
      "$user@127.0.0.1:$ROOT/served" "$ROOT/$pc/mnt" || return 1
  done
  MOUNT1=$ROOT/pc1/mnt
  MOUNT2=$ROOT/pc2/mnt
}

# Unmounts what is mounted (lazily when busy, so that nothing hangs) and stops
# our sshd. Safe to call at any stage of fs_mount, and twice.
fs_unmount() {
  for pc in pc1 pc2; do
    unmount_fuse "$ROOT/$pc/mnt"
  done
  if [ -n "${SSHD_PID:-}" ]; then
    kill "$SSHD_PID" 2>/dev/null || true
    SSHD_PID=
  fi
}
