# The control: one local folder seen by both PCs through two links, where
# SQLite's own locking holds. A batch that fails here is the harness's fault
# or the programs', not the filesystem's. Sourced through
# mounts.sh.

fs_commands=()
# The folder the server shares, as the server sees it, under $ROOT.
fs_served=served
fs_needs_fuse=no

fs_start() { mkdir -p "$ROOT/served"; }

# fs_mount DIR: DIR becomes a link to the folder.
fs_mount() { rmdir "$1" && ln -s "$ROOT/served" "$1"; }

fs_stop() { :; }
