# sshfs mounts of one folder, served by an sshd of our own on the loopback:
# its configuration, host key, client key and port live in the harness's
# folder. Sourced through mounts.sh.

# The folder the server shares, as the server sees it, under $ROOT.
fs_served=served
fs_needs_fuse=yes
fs_commands=(/usr/sbin/sshd ssh-keygen sshfs fusermount3)
# A file server reached over ssh: no run may fail for the sharing.
fs_every_run_exits_0=yes

# Starts sshd on a free port of 127.0.0.1, serving $ROOT/served.
fs_start() {
  local dir=$ROOT/sshd
  mkdir -p "$dir" "$ROOT/served" /run/sshd
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
      SSHD_PID=$(pid_in "$dir/sshd.pid")
      SSHD_PORT=$port
      break
    fi
  done
  [ -n "${SSHD_PID:-}" ] || { echo "sshd did not start: $(tail -3 "$dir/sshd.log")" >&2; return 1; }
}

# fs_mount DIR: mounts the served folder on DIR (the client in the
# foreground, so that its PID is known).
fs_mount() {
  start_fuse_client "$1" "${1%/*}/sshfs.log" sshfs -f -p "$SSHD_PORT" \
    -o "IdentityFile=$ROOT/sshd/client_key,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null" \
    -o BatchMode=yes,ServerAliveInterval=5,ServerAliveCountMax=3 \
    "$(id -un)@127.0.0.1:$ROOT/served" "$1"
}

# Stops our sshd, once the mounts are gone.
fs_stop() {
  if [ -n "${SSHD_PID:-}" ]; then
    kill "$SSHD_PID" 2>/dev/null || true
    SSHD_PID=
  fi
}
