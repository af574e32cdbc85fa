# One batch on a host shared by two PCs: a fresh host made through the first
# mount, 12 sendsummary runs from each PC and one formsetup, all at once, then
# what they left checked. Sourced by shared_host_test.sh, which sets BIN,
# ROOT, FS, MOUNT1, MOUNT2 and MODE:
#
#   batch  the batch, then a resend of an already sent record through each
#          mount (exit 0, both copies kept)
#   kill   the batch with about 8 runs killed (kill -9) at random moments,
#          mostly the one holding the run lock; then one more run, after
#          which nothing may be left half done
#   cut    PC 2 (another machine: a host name of its own) loses its mount
#          while one of its runs holds the run lock: its runs must end soon
#          with box 3043 and a cause, and PC 1 must take the lock over
#          within about a minute of its last sign of life

RUNS_PER_PC=12
RUN_TIMEOUT=180  # seconds; a run stuck on a mount is killed, and fails
KILLS=8
CUT_RUNS_END=20  # seconds after the cut by which PC 2's runs must have ended
TAKEOVER_LIMIT=75  # seconds from the lock's last renewal to PC 1's takeover
TAKEOVER_GIVE_UP=100  # seconds after the cut PC 1 goes on trying
LEFTOVERS_SILENT=60  # seconds after which another PC's lock, or what it left, is taken as dead
# The host database as DBName names it in the host folder. A harness of a
# host of another kind sets it, and check_host, anew after sourcing this.
HOST_DB=zel.db

# Milliseconds since the epoch.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# make_host FOLDER1 FOLDER2: the host made in FOLDER1 (PC 1's view), a
# sample declaration in it, and PC 2's PM000.INI naming the same host through
# FOLDER2. Prints the sample's record.
make_host() {
  local pc
  for pc in pc1 pc2; do
    rm -rf "$ROOT/$pc/windows"
    mkdir -p "$ROOT/$pc/windows"
  done
  WINDIR=$ROOT/pc1/windows "$BIN/zelhost" init "$1" >/dev/null || return 1
  sed "s|$1/|$2/|g" "$ROOT/pc1/windows/PM000.INI" >"$ROOT/pc2/windows/PM000.INI"
  WINDIR=$ROOT/pc1/windows "$BIN/zelhost" sample "$1" | tail -1
}

# run_program ID PC PROGRAM [ARG]: waits (30 s at most) for the start signal,
# runs the program as PC and leaves its exit status, time, end, PID and
# message boxes in $RUNS/ID.{rc,ms,end,pid,msg}. With PC2_MACHINE set, PC 2's
# programs run under that host name, as another machine.
run_program() {
  local id=$1 pc=$2 waited=0
  shift 2
  while [ ! -e "$RUNS/go" ] && [ $waited -lt 3000 ]; do
    sleep 0.01
    waited=$((waited + 1))
  done
  local as=()
  [ "$pc" != pc2 ] || [ -z "${PC2_MACHINE:-}" ] ||
    as=(unshare --uts sh -c 'hostname "$0" && exec "$@"' "$PC2_MACHINE")
  local start rc
  start=$(now_ms)
  WINDIR=$ROOT/$pc/windows ZEL_MESSAGE_UI=text ZEL_MESSAGE_ANSWER=no \
    ZEL_MESSAGE_LOG=$RUNS/$id.msg timeout -k 5 "$RUN_TIMEOUT" \
    sh -c 'echo $$ >"$0" && exec "$@"' "$RUNS/$id.pid" "${as[@]}" "$BIN/$@" \
    </dev/null >"$RUNS/$id.out" 2>&1
  rc=$?
  now_ms >"$RUNS/$id.end"
  echo $(($(cat "$RUNS/$id.end") - start)) >"$RUNS/$id.ms"
  echo "$rc" >"$RUNS/$id.rc"
}

# The NC number of run I (1..24, then the runs after the batch): it makes
# the run's output name, and is printed in its spool file.
nc_number() { printf '%08d' "$1"; }

# start_runs PREFIX: the batch's runs, in the background: 2 × RUNS_PER_PC
# sendsummary runs with PREFIX's records (PC 1's, then PC 2's), and
# formsetup among them from PC 2. Their PIDs in RUN_PIDS.
start_runs() {
  local prefix=$1 i pc
  RUN_PIDS=()
  for i in $(seq 1 $((2 * RUNS_PER_PC))); do
    pc=pc1
    [ "$i" -le "$RUNS_PER_PC" ] || pc=pc2
    # (The shell's word of a run killed on purpose goes to shell.err.)
    run_program "s$i" "$pc" sendsummary "$prefix$(nc_number "$i")" 2>>"$RUNS/shell.err" &
    RUN_PIDS+=($!)
    if [ "$i" -eq $((RUNS_PER_PC + RUNS_PER_PC / 2)) ]; then
      run_program formsetup pc2 formsetup 2>>"$RUNS/shell.err" &
      RUN_PIDS+=($!)
    fi
  done
}

# run_batch N: runs and checks batch N; prints its figures on one line and
# its faults after it. Returns 1 when the host is not as it should be.
run_batch() {
  local n=$1
  RUNS=$ROOT/runs$n
  mkdir -p "$RUNS"
  local host1=$MOUNT1/host$n host2=$MOUNT2/host$n
  local record made
  [ "$MODE" != cut ] || PC2_MACHINE=zelpc2
  KILLED=" "
  made=$(now_ms)
  record=$(make_host "$host1" "$host2")
  if [ -z "$record" ]; then
    echo "batch $n: the host could not be made through the mount"
    return 1
  fi
  local prefix=${record%????????}
  OUTPUT=${prefix:17:4}${prefix:21:6}${prefix:27:1}  # form, period and part, week
  echo "$FS batch $n: host made in $(seconds $(($(now_ms) - made))) s"
  start_runs "$prefix"
  local started
  started=$(now_ms)
  FAULTS=() NOTES=()
  # The host as the file server holds it, where the harness has it: the
  # lock read there is no client's cached view.
  local served=$host1
  [ -z "${fs_served:-}" ] || served=$ROOT/$fs_served/host$n
  watch_lock "${fs_served:+$served}" &
  local watcher=$!
  touch "$RUNS/go"
  case $MODE in
    kill) kill_runs "$served" ;;
    cut) cut_pc2 "$served" ;;
  esac
  wait "${RUN_PIDS[@]}"
  local elapsed=$(($(now_ms) - started))
  touch "$RUNS/done"
  wait "$watcher"
  [ -z "${fs_served:-}" ] || lock_seen_free "$started"
  case $MODE in
    kill) next_run "$prefix" ;;
    cut) cut_outcome "$prefix" ;;
  esac
  local whole=0
  check_batch "$n" "$host1" "$prefix" "$elapsed" || whole=1
  if [ "$MODE" = batch ]; then
    FAULTS=() NOTES=()
    resend "$host1" "$prefix"
    report "$FS batch $n, a resend through each PC" || whole=1
  fi
  return $whole
}

# kill_runs SERVED_HOST: kills up to KILLS runs with kill -9, one every 30–300 ms:
# the run holding the run lock when there is one, else one still going.
kill_runs() {
  local kills=0 tries=0 pid victim
  while [ $kills -lt $KILLS ] && [ $tries -lt 400 ]; do
    tries=$((tries + 1))
    sleep "0.$(printf '%03d' $((30 + RANDOM % 270)))"
    pid=$(lock_owner "$1" | sed -n 's/^process=//p')
    victim=
    [ -z "$pid" ] || victim=$(grep -lx "$pid" "$RUNS"/*.pid 2>/dev/null | head -1)
    [ -n "$victim" ] || victim=$(live_runs | shuf -n 1)
    [ -n "$victim" ] || break
    victim=${victim##*/}
    victim=${victim%.pid}
    case $KILLED in *" $victim "*) continue ;; esac
    pid=$(cat "$RUNS/$victim.pid")
    [ ! -e "$RUNS/$victim.rc" ] && kill -9 "$pid" 2>/dev/null || continue
    KILLED+="$victim "
    kills=$((kills + 1))
  done
}

# watch_lock SERVED_HOST: the host's run lock as the file server holds it
# (where the harness has the served folder: sshfs, smb, local), sampled
# every 20 ms until the batch is done (300 s at most): one line a change,
# "MS held" or "MS free", in $RUNS/lock.log.
watch_lock() {
  [ -n "$1" ] || return 0
  local state='' now tries=15000
  : >"$RUNS/lock.log"
  until [ -e "$RUNS/done" ] || [ $tries -le 0 ]; do
    now=free
    [ ! -e "$1/zel.db.lock" ] || now=held
    [ "$now" = "$state" ] || echo "$(now_ms) $now" >>"$RUNS/lock.log"
    state=$now
    sleep 0.02
    tries=$((tries - 1))
  done
}

# lock_seen_free STARTED_MS: how long the lock was free on the server while
# runs were still going, and a fault for each run that gave up waiting (box
# 516) at a moment the server held no lock: its PC saw one that was gone.
lock_seen_free() {
  local last_end free=0 since='' ms state
  last_end=$(cat "$RUNS"/s*.end "$RUNS"/formsetup.end | sort -n | tail -1)
  while read -r ms state; do
    if [ "$state" = free ]; then since=$ms; else
      [ -z "$since" ] || free=$((free + ms - since)); since=
    fi
  done <"$RUNS/lock.log"
  [ -z "$since" ] || [ "$since" -ge "$last_end" ] || free=$((free + last_end - since))
  NOTES+=("the run lock was free on the server for $(seconds "$free") s of the $(seconds $((last_end - $1))) s the runs took")
  local file id end at
  for file in $(grep -l '"text":"[^"]*siendo usada por otro proceso' "$RUNS"/*.msg 2>/dev/null); do
    id=${file##*/}
    id=${id%.msg}
    end=$(cat "$RUNS/$id.end")
    # The server's state at the run's end, less the time a box takes.
    at=$(awk -v t=$((end - 100)) '$1 <= t { s = $2 } END { print s }' "$RUNS/lock.log")
    [ "$at" != free ] || FAULTS+=("run $id showed box 516 while the server held no lock")
  done
}

# lock_owner HOST: the owner record of the host's run lock, if it is held
# (the file owner in the lock folder, or the lock itself where it is a file).
lock_owner() {
  cat "$1/zel.db.lock/owner" 2>/dev/null || cat "$1/zel.db.lock" 2>/dev/null
}

# The PID files of the runs still going.
live_runs() {
  local file
  for file in "$RUNS"/*.pid; do
    [ -e "${file%.pid}.rc" ] || echo "$file"
  done
}

# next_run PREFIX: after a batch with kills, one more sendsummary from PC 1,
# which must exit 0 and leave nothing of the killed runs half done.
next_run() {
  local nc
  nc=$(nc_number $((2 * RUNS_PER_PC + 1)))
  run_program next pc1 sendsummary "$1$nc"
  local rc
  rc=$(cat "$RUNS/next.rc")
  NOTES+=("killed:${KILLED}(each killed run ended with exit 137: $(grep -lx 137 "$RUNS"/*.rc 2>/dev/null | wc -l))")
  [ "$rc" = 0 ] || FAULTS+=("the run after the kills failed (exit $rc): $(first_box "$RUNS/next.msg" "$RUNS/next.out" "$rc")")
}

# cut_pc2 SERVED_HOST: waits (30 s at most) until a run of PC 2 holds the run lock,
# then kills PC 2's FUSE client: PC 2 has lost its connection.
cut_pc2() {
  local lock=$1/zel.db.lock tries=0 client workers
  client=$(mounts_client_pid 2)
  until lock_owner "$1" | grep -qx "machine=$PC2_MACHINE"; do
    tries=$((tries + 1))
    [ $tries -lt 1500 ] || break
    sleep 0.02
  done
  # The client and the workers it forked (smbnetfs's, sshfs's ssh).
  workers=$(pgrep -P "$client")
  kill -9 "$client" $workers
  CUT_MS=$(now_ms)
  if [ $tries -ge 1500 ]; then
    NOTES+=("no run of PC 2 held the run lock within 30 s; cut anyway")
    CUT_HELD=
    return
  fi
  # The lock's last sign of life, by the file server's clock: the newest
  # modification time in the lock folder.
  sleep 1
  if lock_owner "$1" | grep -qx "machine=$PC2_MACHINE"; then
    CUT_HELD=$lock
    RENEWED_MS=$(find "$lock" -maxdepth 1 -printf '%T@\n' 2>/dev/null | sort -n | tail -1 |
      awk '{ printf "%.0f", $1 * 1000 }')
  else
    CUT_HELD=
    NOTES+=("PC 2's run gave the lock back as it was cut off")
  fi
}

# cut_outcome PREFIX: PC 2's runs ended soon, each that did not finish before
# the cut with box 3043 and its cause; PC 1 took over a lock left by PC 2
# within TAKEOVER_LIMIT seconds of its last renewal (trying with more runs,
# PC 1's batch runs done, until TAKEOVER_GIVE_UP after the cut).
cut_outcome() {
  local i id rc end box
  for i in $(seq $((RUNS_PER_PC + 1)) $((2 * RUNS_PER_PC))) formsetup; do
    id=s$i
    [ "$i" != formsetup ] || id=formsetup
    rc=$(cat "$RUNS/$id.rc") end=$(cat "$RUNS/$id.end")
    # Runs that ended before the cut are judged with the batch.
    [ "$rc" != 0 ] && [ "$end" -gt "$CUT_MS" ] || continue
    [ "$end" -le $((CUT_MS + CUT_RUNS_END * 1000)) ] ||
      FAULTS+=("PC 2's run $id ended $(seconds $((end - CUT_MS))) s after the cut")
    box=$(head -1 "$RUNS/$id.msg" 2>/dev/null)
    # sendsummary's connection box gives the description without the number.
    if [[ ($box != *3043* && $box != *'Error de red o de disco.'*) || $box != *'"cause":"'?* ]]; then
      FAULTS+=("PC 2's run $id ended without box 3043 and a cause (exit $rc): $(first_box "$RUNS/$id.msg" "$RUNS/$id.out" "$rc")")
    fi
  done
  [ -n "$CUT_HELD" ] || { after_cut "$1"; return 0; }
  local taken='' n=$((2 * RUNS_PER_PC)) deadline=$((CUT_MS + ${fs_takeover_give_up:-$TAKEOVER_GIVE_UP} * 1000))
  for i in $(seq 1 "$RUNS_PER_PC"); do
    [ "$(cat "$RUNS/s$i.rc")" = 0 ] && [ "$(cat "$RUNS/s$i.end")" -gt "$CUT_MS" ] || continue
    end=$(cat "$RUNS/s$i.end")
    [ -n "$taken" ] && [ "$taken" -le "$end" ] || taken=$end
  done
  while [ -z "$taken" ]; do
    n=$((n + 1))
    run_program "t$n" pc1 sendsummary "$1$(nc_number "$n")"
    [ "$(cat "$RUNS/t$n.rc")" != 0 ] || taken=$(cat "$RUNS/t$n.end")
    [ "$(now_ms)" -lt "$deadline" ] || break
  done
  if [ -z "$taken" ]; then
    FAULTS+=("PC 1 had not taken over PC 2's lock ${fs_takeover_give_up:-$TAKEOVER_GIVE_UP} s after the cut: $(first_box "$RUNS/t$n.msg" "$RUNS/t$n.out" 1)")
    return
  fi
  local after=$((taken - RENEWED_MS))
  NOTES+=("PC 1 took over PC 2's lock $(seconds "$after") s after its last renewal ($(seconds $((taken - CUT_MS))) s after the cut)")
  [ "$after" -le $((${fs_takeover_limit:-$TAKEOVER_LIMIT} * 1000)) ] ||
    FAULTS+=("PC 1 took over PC 2's lock only $(seconds "$after") s after its last renewal")
  after_cut "$1"
}

# after_cut PREFIX: once what PC 2's runs left (the folders in which they
# waited for the lock) has been silent for longer than a lock may be, a run
# of PC 1 exits 0 and removes it.
after_cut() {
  local ready=$((CUT_MS + (LEFTOVERS_SILENT + 2) * 1000))
  while [ "$(now_ms)" -lt "$ready" ]; do sleep 0.2; done
  run_program after pc1 sendsummary "$1$(nc_number 99)"
  local rc
  rc=$(cat "$RUNS/after.rc")
  [ "$rc" = 0 ] || FAULTS+=("PC 1's run after the cut failed (exit $rc): $(first_box "$RUNS/after.msg" "$RUNS/after.out" "$rc")")
}

# resend HOST PREFIX: sends again, through each PC, a record that PC sent in
# the batch; each must exit 0 and leave both copies, of the new spool file.
resend() {
  local host=$1 pc first i rc nc
  for pc in 1 2; do
    first=$(((pc - 1) * RUNS_PER_PC + 1))
    for i in $(seq "$first" $((first + RUNS_PER_PC - 1))) none; do
      [ "$i" = none ] || [ "$(cat "$RUNS/s$i.rc")" != 0 ] || break
    done
    [ "$i" != none ] || { FAULTS+=("no run of PC $pc exited 0: nothing to resend"); continue; }
    nc=$(nc_number "$i")
    run_program "r$pc" "pc$pc" sendsummary "$2$nc"
    rc=$(cat "$RUNS/r$pc.rc")
    if [ "$rc" != 0 ]; then
      FAULTS+=("the resend of run $i through PC $pc failed (exit $rc): $(first_box "$RUNS/r$pc.msg" "$RUNS/r$pc.out" "$rc")")
    fi
  done
  read_register "$host"
  register_faults "$host"
  local file copy
  for nc in "${!ncFiles[@]}"; do
    set -- ${ncFiles[$nc]}
    [ $# -gt 1 ] || continue
    copy=$host/RPT/$OUTPUT$nc.PRN
    file=$(printf '%s\n' "$@" | sort | tail -1)
    cmp -s "$host/RPT/$file" "$copy" || FAULTS+=("after the resend of NC $nc its copy is missing or not of $file")
    [ -e "$host/TMP/$OUTPUT$nc.txt" ] || FAULTS+=("after the resend of NC $nc its text summary is missing")
  done
}

# read_register HOST: the SPOOL rows of RP0019 (rowOf: file → sequence) and
# the spool files (ncFiles: NC number → its files), with faults found.
read_register() {
  local host=$1 spool sequence file name nc
  declare -gA rowOf=() ncFiles=()
  SPOOL_READ=yes ROWS=0 FILES=0
  if ! spool=$(WINDIR=$ROOT/pc1/windows timeout 60 "$BIN/zelhost" sql "$host/$HOST_DB" \
      "SELECT Secuencia, Archivo FROM SPOOL WHERE CodRep = 'RP0019'" 2>"$RUNS/spool.err"); then
    FAULTS+=("the SPOOL table cannot be read: $(tail -1 "$RUNS/spool.err")")
    SPOOL_READ=
  fi
  while IFS=$'\t' read -r sequence file; do
    [ -n "$file" ] || continue
    ROWS=$((ROWS + 1))
    [ -z "${rowOf[$file]:-}" ] || FAULTS+=("file number $file registered twice")
    rowOf[$file]=$sequence
  done < <([ -z "$SPOOL_READ" ] || echo "$spool" | tail -n +2)
  local sequences
  sequences=$(echo "$spool" | tail -n +2 | cut -f1 | sort | uniq -d | tr '\n' ' ')
  [ -z "$sequences" ] || [ -z "$SPOOL_READ" ] || FAULTS+=("sequences registered twice: $sequences")
  # The spool files, each named by the NC number it prints.
  for file in "$host/RPT"/[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9].PRN; do
    [ -e "$file" ] || continue
    name=${file##*/}
    FILES=$((FILES + 1))
    nc=$(grep -ao 'NC [0-9]\{8\}' "$file" | head -1 | cut -c4-)
    if [ -z "$nc" ]; then
      FAULTS+=("spool file $name is incomplete")
    else
      ncFiles[$nc]+="$name "
    fi
  done
}

# register_faults HOST: rows and spool files one to one, nothing else left
# in the host, and zelhost check finds it whole.
register_faults() {
  local host=$1 file
  if [ -n "$SPOOL_READ" ]; then
    for file in "$host/RPT"/[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9].PRN; do
      [ ! -e "$file" ] || [ -n "${rowOf[${file##*/}]:-}" ] || FAULTS+=("spool file ${file##*/} has no SPOOL row")
    done
  fi
  for file in "${!rowOf[@]}"; do
    [ -e "$host/RPT/$file" ] || FAULTS+=("SPOOL row $file has no spool file")
  done
  # Nothing else in the outputs' folders: no staged file left behind. (On
  # a share that ignores case, as SMB does, TMP is also tmp, which holds
  # env661.txt.)
  local stray
  stray=$(ls -A "$host/RPT" "$host/TMP" 2>/dev/null | grep -v -e '^$' -e ':$' -e '^env661\.txt$' \
    -e '^[0-9]\{8\}\.PRN$' -e "^$OUTPUT[0-9]\{8\}\.\(PRN\|txt\)$" | tr '\n' ' ')
  [ -z "$stray" ] || FAULTS+=("files left in RPT or TMP: $stray")
  # Nor in the host folder: no lock or temporary file outlives the runs.
  stray=$(ls -A "$host" | grep -v -x -e PM000.MDW -e RPT -e TMP -e tmp \
    -e "${HOST_DB//./\\.}\\(-wal\\|-shm\\|-journal\\)\\?" | tr '\n' ' ')
  [ -z "$stray" ] || FAULTS+=("left in the host folder: $stray")
  check_host "$host"
}

# check_host HOST: WHOLE is "whole" when zelhost check finds the host
# database whole, else "not whole" with a fault.
check_host() {
  local check
  WHOLE=whole
  if ! check=$(WINDIR=$ROOT/pc1/windows timeout 120 "$BIN/zelhost" check "$1/$HOST_DB" 2>&1); then
    WHOLE="not whole"
    FAULTS+=("zelhost check: $(echo "$check" | head -2 | tr '\n\t' '  ')")
  fi
}

# check_batch N HOST PREFIX ELAPSED_MS: what the runs of batch N left in HOST.
check_batch() {
  local n=$1 host=$2 prefix=$3 elapsed=$4
  local ok=0 ok1=0 ok2=0 i nc
  read_register "$host"
  for nc in "${!ncFiles[@]}"; do
    set -- ${ncFiles[$nc]}
    [ $# -eq 1 ] || FAULTS+=("spool files $* are of one run")
  done
  register_faults "$host"

  # Each run: exit 0 with all its outputs, or failed with none of them (a
  # run killed on purpose may have got as far as it did).
  local copies=0 texts=0 rc spoolFile copy text
  declare -A boxes=()
  for i in $(seq 1 $((2 * RUNS_PER_PC))); do
    nc=$(nc_number "$i")
    copy=$host/RPT/$OUTPUT$nc.PRN
    text=$host/TMP/$OUTPUT$nc.txt
    spoolFile=${ncFiles[$nc]:-}
    spoolFile=${spoolFile% }
    [ ! -e "$copy" ] || copies=$((copies + 1))
    [ ! -e "$text" ] || texts=$((texts + 1))
    rc=$(cat "$RUNS/s$i.rc")
    if [ "$rc" = 0 ]; then
      ok=$((ok + 1))
      if [ "$i" -le "$RUNS_PER_PC" ]; then ok1=$((ok1 + 1)); else ok2=$((ok2 + 1)); fi
      if [ -z "$spoolFile" ]; then
        FAULTS+=("run $i exited 0 without its spool file")
      elif ! cmp -s "$host/RPT/$spoolFile" "$copy"; then
        FAULTS+=("run $i exited 0 but its copy of $spoolFile is missing or differs")
      fi
      [ -e "$text" ] || FAULTS+=("run $i exited 0 without its text summary")
    else
      boxes["$(first_box "$RUNS/s$i.msg" "$RUNS/s$i.out" "$rc")"]+=x
      [[ ${KILLED:-} != *" s$i "* ]] || continue
      [ -z "$spoolFile" ] || FAULTS+=("run $i failed (exit $rc) but left spool file $spoolFile")
      [ ! -e "$copy" ] || FAULTS+=("run $i failed (exit $rc) but left its copy")
      [ ! -e "$text" ] || FAULTS+=("run $i failed (exit $rc) but left its text summary")
    fi
  done

  local formsetupRc
  formsetupRc=$(cat "$RUNS/formsetup.rc")
  if [ "$formsetupRc" = 0 ]; then
    local reports
    reports=$(WINDIR=$ROOT/pc1/windows timeout 60 "$BIN/zelhost" sql "$host/$HOST_DB" \
      "SELECT count(*) AS n FROM reportes WHERE CodRep IN ('RP0018', 'RP0019')" 2>/dev/null | tail -1)
    [ "$reports" = 2 ] || FAULTS+=("formsetup exited 0 but its reports are not registered")
  fi

  # Where the filesystem promises it (smb_mounts.sh), every run exits 0
  # that was not killed on purpose: a killed run's leftovers (a hot
  # journal, its lock) stop no other.
  if [ "${fs_every_run_exits_0:-no}" = yes ] && [ "$MODE" != cut ]; then
    # (A run killed just after it ended counts as killed, whatever its exit.)
    local spared=0 sparedFailed=0
    for i in $(seq 1 $((2 * RUNS_PER_PC))); do
      [[ ${KILLED:-} == *" s$i "* ]] && continue
      spared=$((spared + 1))
      [ "$(cat "$RUNS/s$i.rc")" = 0 ] || sparedFailed=$((sparedFailed + 1))
    done
    [ "$sparedFailed" -eq 0 ] ||
      FAULTS+=("$sparedFailed of the $spared sendsummary runs not killed failed")
    [ "$formsetupRc" = 0 ] || [[ ${KILLED:-} == *" formsetup "* ]] ||
      FAULTS+=("formsetup failed (exit $formsetupRc)")
  fi
  # A batch where every run failed proves nothing about the host.
  # (After a cut the batch's runs may all have waited for PC 2's lock; the
  # run after the cut stands for them.)
  [ "$ok" -gt 0 ] || [ "$MODE" = cut ] || FAULTS+=("no sendsummary run exited 0")

  local times median slowest
  times=$(cat "$RUNS"/s*.ms | sort -n)
  median=$(echo "$times" | sed -n "$((RUNS_PER_PC))p")
  slowest=$(cat "$RUNS"/s*.ms "$RUNS"/formsetup.ms | sort -n | tail -1)
  printf '%s batch %d (%s): sendsummary %d/%d exit 0 (PC 1 %d, PC 2 %d), formsetup exit %s%s; ' \
    "$FS" "$n" "$MODE" "$ok" $((2 * RUNS_PER_PC)) "$ok1" "$ok2" "$formsetupRc" \
    "$( [ "$formsetupRc" = 0 ] || echo " ($(first_box "$RUNS/formsetup.msg" "$RUNS/formsetup.out" "$formsetupRc"))")"
  local rows=$ROWS
  [ -n "$SPOOL_READ" ] || rows=unreadable
  printf 'SPOOL rows %s, spool files %d, copies %d + %d; check %s; ' \
    "$rows" "$FILES" "$copies" "$texts" "$WHOLE"
  printf '%s s, sendsummary median %s s, slowest run %s s\n' \
    "$(seconds "$elapsed")" "$(seconds "$median")" "$(seconds "$slowest")"
  local box
  for box in "${!boxes[@]}"; do
    echo "  ${#boxes[$box]} failed sendsummary runs: $box"
  done
  report ""
}

# report TITLE: the notes and faults found (after a line naming TITLE, when
# given); returns 1 when there is a fault.
report() {
  [ -z "$1" ] || echo "$1: $([ ${#FAULTS[@]} -eq 0 ] && echo whole || echo "${#FAULTS[@]} faults")"
  local line
  for line in "${NOTES[@]}"; do echo "  $line"; done
  for line in "${FAULTS[@]}"; do echo "  FAULT: $line"; done
  [ ${#FAULTS[@]} -eq 0 ]
}

# first_box MSG OUT RC: the first message box of a run in one line, with its
# cause, or how it ended when it showed none.
first_box() {
  local text
  text=$(head -1 "$1" 2>/dev/null | sed -n 's/.*"title":"\([^"]*\)","text":"\(.*\)","icon".*"cause":"\([^"]*\)".*/\1: \2 (cause: \3)/p; t; s/.*"title":"\([^"]*\)","text":"\(.*\)","icon".*/\1: \2/p')
  if [ -n "$text" ]; then
    text=${text//\\n/ }
    echo "${text//$ROOT\//}" | cut -c1-400
  elif [ "$3" = 124 ] || [ "$3" = 137 ]; then
    echo "killed (exit $3)"
  else
    echo "exit $3 without a box: $(head -1 "$2" | cut -c1-80)"
  fi
}

seconds() { printf '%d.%02d' $(($1 / 1000)) $((($1 % 1000) / 10)); }
