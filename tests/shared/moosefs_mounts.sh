# Two mfsmount clients of one MooseFS: a master and a chunkserver of our own,
# all three inside a network namespace made here (MooseFS refuses 127.x
# addresses, so the namespace's loopback gets an address of the documentation
# range, reachable from nowhere else). Only the network is the namespace's:
# the programs are entered into it with `nsenter --net`, so their mounts are
# this machine's and every program sees them. Sourced through mounts.sh.

fs_needs_fuse=yes
fs_commands=(mfsmaster mfschunkserver mfsmount ip nsenter)

MFS_ADDRESS=192.0.2.1
# The master gives SQLite's locks of a client that is gone back only with its
# session (SESSION_SUSTAIN_TIME below, a minute, and about a minute more to
# notice the client gone: 118 s measured): the run lock of a cut PC is taken
# over after a minute, but the database opens for the other PC only then.
fs_takeover_limit=150
fs_takeover_give_up=170


# waits_for FILE TEXT [SECONDS]: waits (30 s) until a daemon's log says TEXT.
waits_for() {
  local tries=$((${3:-30} * 10))
  until grep -q "$2" "$1" 2>/dev/null; do
    tries=$((tries - 1))
    [ $tries -gt 0 ] || { echo "not ready: $(tail -2 "$1")" >&2; return 1; }
    sleep 0.1
  done
}

fs_start() {
  local dir=$ROOT/mfs
  mkdir -p "$dir/master" "$dir/chunkserver" "$dir/chunks"
  MFS_NETNS=zelmfs$$
  ip netns add "$MFS_NETNS" || { MFS_NETNS=; return 1; }
  # nsenter replaces itself by the program: the PID is the daemon's.
  in_namespace=(nsenter "--net=/run/netns/$MFS_NETNS")
  ip -n "$MFS_NETNS" link set lo up &&
    ip -n "$MFS_NETNS" addr add "$MFS_ADDRESS/32" dev lo || return 1
  cp /var/lib/mfs/metadata.mfs.empty "$dir/master/metadata.mfs"
  echo "* / rw,alldirs,maproot=0" >"$dir/mfsexports.cfg"
  : >"$dir/mfstopology.cfg"
  echo "$dir/chunks" >"$dir/mfshdd.cfg"
  cat >"$dir/mfsmaster.cfg" <<EOF
WORKING_USER = root
WORKING_GROUP = root
DATA_PATH = $dir/master
EXPORTS_FILENAME = $dir/mfsexports.cfg
TOPOLOGY_FILENAME = $dir/mfstopology.cfg
MATOML_LISTEN_HOST = $MFS_ADDRESS
MATOCS_LISTEN_HOST = $MFS_ADDRESS
MATOCL_LISTEN_HOST = $MFS_ADDRESS
NICE_LEVEL = 0
DISABLE_OOM_KILLER = 0
# A client gone for good gives back its session, and the locks it held on
# files (SQLite's on the database), after a minute rather than a day.
SESSION_SUSTAIN_TIME = 60
EOF
  cat >"$dir/mfschunkserver.cfg" <<EOF
WORKING_USER = root
WORKING_GROUP = root
DATA_PATH = $dir/chunkserver
HDD_CONF_FILENAME = $dir/mfshdd.cfg
HDD_LEAVE_SPACE_DEFAULT = 0
MASTER_HOST = $MFS_ADDRESS
CSSERV_LISTEN_HOST = $MFS_ADDRESS
NICE_LEVEL = 0
DISABLE_OOM_KILLER = 0
EOF
  start_daemon "$dir/master.log" "${in_namespace[@]}" mfsmaster -c "$dir/mfsmaster.cfg" -f start
  MFS_MASTER_PID=$DAEMON_PID
  waits_for "$dir/master.log" "initialized properly" || return 1
  start_daemon "$dir/chunkserver.log" "${in_namespace[@]}" mfschunkserver -c "$dir/mfschunkserver.cfg" -f start
  MFS_CHUNKSERVER_PID=$DAEMON_PID
  waits_for "$dir/master.log" "chunkserver register end"
}

# fs_mount DIR: an mfsmount client of its own on DIR.
fs_mount() {
  start_fuse_client "$1" "${1%/*}/mfsmount.log" "${in_namespace[@]}" mfsmount -f -H "$MFS_ADDRESS" "$1"
}

# Stops the chunkserver and the master (it saves its metadata first), once
# the mounts are gone, and removes the namespace.
fs_stop() {
  stop_pid "${MFS_CHUNKSERVER_PID:-}" 20
  stop_pid "${MFS_MASTER_PID:-}" 20
  MFS_CHUNKSERVER_PID='' MFS_MASTER_PID=''
  [ -z "${MFS_NETNS:-}" ] || ip netns del "$MFS_NETNS" 2>/dev/null || true
  MFS_NETNS=
}
