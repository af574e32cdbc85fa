# Two smbnetfs mounts of one share, served by an smbd of our own on a port
# of 127.0.0.1: its smb.conf and its private, lock, state, cache and pid
# folders live in the harness's folder; no nmbd, no system service. Each
# client (one PC) has its own HOME with its own smbnetfs configuration.
# Sourced through mounts.sh.

# The folder the server shares, as the server sees it, under $ROOT.
fs_served=served
fs_needs_fuse=yes
fs_commands=(smbd smbnetfs fusermount3 ss)

SMB_SHARE=zel
# A file server shared by an office's PCs: no run may fail for the sharing.
fs_every_run_exits_0=yes

# Starts smbd on a free port of 127.0.0.1, sharing $ROOT/served.
fs_start() {
  local dir=$ROOT/smbd sub port
  for sub in private lock state cache pid ncalrpc log; do mkdir -p "$dir/$sub"; done
  mkdir -p "$ROOT/served"
  for _ in 1 2 3 4 5; do
    port=$(shuf -i 20000-60000 -n 1)
    ss -ltn "sport = :$port" | grep -q LISTEN && continue
    cat >"$dir/smb.conf" <<EOF
[global]
  smb ports = $port
  interfaces = 127.0.0.1
  bind interfaces only = yes
  disable netbios = yes
  server role = standalone server
  private dir = $dir/private
  binddns dir = $dir/private
  lock directory = $dir/lock
  state directory = $dir/state
  cache directory = $dir/cache
  pid directory = $dir/pid
  ncalrpc dir = $dir/ncalrpc
  log file = $dir/log/smbd.log
  passdb backend = tdbsam:$dir/private/passdb.tdb
  usershare path =
  load printers = no
  printcap name = /dev/null
  disable spoolss = yes
  map to guest = Bad User
  # No RPC helper daemons (samba-dcerpcd), which smbd would otherwise start
  # on demand, for a listing of the shares, and leave running.
  rpc start on demand helpers = no
[$SMB_SHARE]
  path = $ROOT/served
  read only = no
  guest ok = yes
  force user = root
EOF
    # In a process group of its own: smbd signals its group as it ends.
    start_daemon "$dir/smbd.out" smbd --foreground -s "$dir/smb.conf"
    SMBD_PID=$DAEMON_PID
    local tries=100
    while [ $tries -gt 0 ] && kill -0 "$SMBD_PID" 2>/dev/null; do
      if ss -ltn "sport = :$port" | grep -q LISTEN; then
        SMBD_PORT=$port
        return 0
      fi
      sleep 0.1
      tries=$((tries - 1))
    done
    stop_pid "$SMBD_PID"
    SMBD_PID=
  done
  echo "smbd did not start: $(tail -3 "$dir/smbd.out")" >&2
  return 1
}

# fs_mount DIR: an smbnetfs client of its own (its HOME beside DIR) on DIR.
fs_mount() {
  local home=${1%/*}/home
  mkdir -p "$home/.smb"
  cat >"$home/.smb/smbnetfs.conf" <<EOF
auth "guest" ""
host 127.0.0.1 visible=true
smb_query_browsers "false"
use_libsecret "false"
EOF
  chmod 600 "$home/.smb/smbnetfs.conf"
  HOME=$home start_fuse_client "$1" "$home/smbnetfs.out" smbnetfs "$1" -f \
    -o "config=$home/.smb/smbnetfs.conf"
}

# The share under the mount: smbnetfs shows servers and their shares.
fs_folder() { echo "$1/127.0.0.1:$SMBD_PORT/$SMB_SHARE"; }

# Stops our smbd and the processes it forked, once the mounts are gone,
# and any helper started with our configuration.
fs_stop() {
  [ -n "${SMBD_PID:-}" ] || return 0
  local pids pid
  pids=$(pgrep -P "$SMBD_PID")
  stop_pid "$SMBD_PID"
  pids+=" $(pgrep -f -- "--configfile=$ROOT/smbd/smb.conf")"
  for pid in $pids; do stop_pid "$pid" 2; done
  SMBD_PID=
}
