# One batch on a host shared by two PCs: a fresh host made through the first
# mount, 12 sendsummary runs from each PC and one formsetup, all at once, then
# what they left checked. Sourced by shared_host_test.sh, which sets BIN,
# ROOT, MOUNT1 and MOUNT2.

RUNS_PER_PC=12
RUN_TIMEOUT=180  # seconds; a run stuck on a mount is killed, and fails

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

# run_program ID PC PROGRAM [ARG]: waits for the start signal, runs the
# program as PC and leaves its exit status, time and message boxes in
# $RUNS/ID.{rc,ms,msg}.
run_program() {
  local id=$1 pc=$2
  shift 2
  while [ ! -e "$RUNS/go" ]; do sleep 0.01; done
  local start rc
  start=$(now_ms)
  WINDIR=$ROOT/$pc/windows ZEL_MESSAGE_UI=text ZEL_MESSAGE_ANSWER=no \
    ZEL_MESSAGE_LOG=$RUNS/$id.msg timeout -k 5 "$RUN_TIMEOUT" "$BIN/$@" \
    </dev/null >"$RUNS/$id.out" 2>&1
  rc=$?
  echo $(($(now_ms) - start)) >"$RUNS/$id.ms"
  echo "$rc" >"$RUNS/$id.rc"
}

# The NC number of run I (1..24): it makes the run's output name, and is
# printed in its spool file.
nc_number() { printf '%08d' "$1"; }

# run_batch N: runs and checks batch N; prints its figures on one line and
# its faults after it. Returns 1 when the host is not as it should be.
run_batch() {
  local n=$1
  RUNS=$ROOT/runs$n
  mkdir -p "$RUNS"
  local host1=$MOUNT1/host$n host2=$MOUNT2/host$n
  local record made
  made=$(now_ms)
  record=$(make_host "$host1" "$host2")
  if [ -z "$record" ]; then
    echo "batch $n: the host could not be made through the mount"
    return 1
  fi
  local prefix=${record%????????} i pc
  echo "$FS batch $n: host made in $(seconds $(($(now_ms) - made))) s"
  for i in $(seq 1 $((2 * RUNS_PER_PC))); do
    pc=pc1
    [ "$i" -le "$RUNS_PER_PC" ] || pc=pc2
    run_program "s$i" "$pc" sendsummary "$prefix$(nc_number "$i")" &
    # formsetup starts among them, from PC 2.
    [ "$i" -ne $((RUNS_PER_PC + RUNS_PER_PC / 2)) ] || run_program formsetup pc2 formsetup &
  done
  local started
  started=$(now_ms)
  touch "$RUNS/go"
  wait
  local elapsed=$(($(now_ms) - started))
  check_batch "$n" "$host1" "$prefix" "$elapsed"
}

# check_batch N HOST PREFIX ELAPSED_MS: what the runs of batch N left in HOST.
check_batch() {
  local n=$1 host=$2 prefix=$3 elapsed=$4
  local faults=() ok=0 ok1=0 ok2=0 i name
  local output=${prefix:17:4}${prefix:21:6}${prefix:27:1}  # form, period and part, week
  declare -A rowOf=() ncOf=()

  # The register, read through PC 1's mount.
  local spool
  if ! spool=$(WINDIR=$ROOT/pc1/windows timeout 60 "$BIN/zelhost" sql "$host/zel.db" \
      "SELECT Secuencia, Archivo FROM SPOOL WHERE CodRep = 'RP0019'" 2>"$RUNS/spool.err"); then
    faults+=("the SPOOL table cannot be read: $(tail -1 "$RUNS/spool.err")")
    spool=unread
  fi
  local rows=0 sequence file
  while IFS=$'\t' read -r sequence file; do
    [ -n "$file" ] || continue
    rows=$((rows + 1))
    [ -z "${rowOf[$file]:-}" ] || faults+=("file number $file registered twice")
    rowOf[$file]=$sequence
  done < <([ "$spool" = unread ] || echo "$spool" | tail -n +2)
  local sequences
  sequences=$(echo "$spool" | tail -n +2 | cut -f1 | sort | uniq -d | tr '\n' ' ')
  [ -z "$sequences" ] || faults+=("sequences registered twice: $sequences")

  # The spool files, each named by the NC number it prints.
  local files=0 nc
  for file in "$host/RPT"/[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9].PRN; do
    [ -e "$file" ] || continue
    name=${file##*/}
    files=$((files + 1))
    # (Without the register, every file would be named here.)
    [ -n "${rowOf[$name]:-}" ] || [ "$spool" = unread ] || faults+=("spool file $name has no SPOOL row")
    nc=$(grep -ao 'NC [0-9]\{8\}' "$file" | head -1 | cut -c4-)
    if [ -z "$nc" ]; then
      faults+=("spool file $name is incomplete")
    elif [ -n "${ncOf[$nc]:-}" ]; then
      faults+=("spool files ${ncOf[$nc]} and $name are of one run")
    else
      ncOf[$nc]=$name
    fi
  done
  for file in "${!rowOf[@]}"; do
    [ -e "$host/RPT/$file" ] || faults+=("SPOOL row $file has no spool file")
  done

  # Each run: exit 0 with all its outputs, or failed with none of them.
  local copies=0 texts=0 rc spoolFile copy text
  declare -A boxes=()
  for i in $(seq 1 $((2 * RUNS_PER_PC))); do
    nc=$(nc_number "$i")
    copy=$host/RPT/$output$nc.PRN
    text=$host/TMP/$output$nc.txt
    spoolFile=${ncOf[$nc]:-}
    [ ! -e "$copy" ] || copies=$((copies + 1))
    [ ! -e "$text" ] || texts=$((texts + 1))
    rc=$(cat "$RUNS/s$i.rc")
    if [ "$rc" = 0 ]; then
      ok=$((ok + 1))
      if [ "$i" -le "$RUNS_PER_PC" ]; then ok1=$((ok1 + 1)); else ok2=$((ok2 + 1)); fi
      if [ -z "$spoolFile" ]; then
        faults+=("run $i exited 0 without its spool file")
      elif ! cmp -s "$host/RPT/$spoolFile" "$copy"; then
        faults+=("run $i exited 0 but its copy of $spoolFile is missing or differs")
      fi
      [ -e "$text" ] || faults+=("run $i exited 0 without its text summary")
    else
      [ -z "$spoolFile" ] || faults+=("run $i failed (exit $rc) but left spool file $spoolFile")
      [ ! -e "$copy" ] || faults+=("run $i failed (exit $rc) but left its copy")
      [ ! -e "$text" ] || faults+=("run $i failed (exit $rc) but left its text summary")
      boxes["$(first_box "$RUNS/s$i.msg" "$RUNS/s$i.out" "$rc")"]+=x
    fi
  done

  # Nothing else in the outputs' folders: no staged file left behind. (On
  # a share that ignores case, as SMB does, TMP is also tmp, which holds
  # env661.txt.)
  local stray
  stray=$(ls -A "$host/RPT" "$host/TMP" 2>/dev/null | grep -v -e '^$' -e ':$' -e '^env661\.txt$' \
    -e '^[0-9]\{8\}\.PRN$' -e "^$output[0-9]\{8\}\.\(PRN\|txt\)$" | tr '\n' ' ')
  [ -z "$stray" ] || faults+=("files left in RPT or TMP: $stray")
  # Nor in the host folder: no lock or temporary file outlives the runs.
  stray=$(ls -A "$host" | grep -v -x -e PM000.MDW -e RPT -e TMP -e tmp \
    -e 'zel\.db\(-wal\|-shm\|-journal\)\?' | tr '\n' ' ')
  [ -z "$stray" ] || faults+=("left in the host folder: $stray")

  local formsetupRc
  formsetupRc=$(cat "$RUNS/formsetup.rc")
  if [ "$formsetupRc" = 0 ]; then
    local reports
    reports=$(WINDIR=$ROOT/pc1/windows timeout 60 "$BIN/zelhost" sql "$host/zel.db" \
      "SELECT count(*) AS n FROM reportes WHERE CodRep IN ('RP0018', 'RP0019')" 2>/dev/null | tail -1)
    [ "$reports" = 2 ] || faults+=("formsetup exited 0 but its reports are not registered")
  fi

  local check wholeness=whole
  if ! check=$(WINDIR=$ROOT/pc1/windows timeout 120 "$BIN/zelhost" check "$host/zel.db" 2>&1); then
    wholeness="not whole"
    faults+=("zelhost check: $(echo "$check" | head -2 | tr '\n\t' '  ')")
  fi

  # A batch where every run failed proves nothing about the host.
  [ "$ok" -gt 0 ] || faults+=("no sendsummary run exited 0")

  local times median slowest
  times=$(cat "$RUNS"/s*.ms | sort -n)
  median=$(echo "$times" | sed -n "$((RUNS_PER_PC))p")
  slowest=$(cat "$RUNS"/*.ms | sort -n | tail -1)
  printf '%s batch %d: sendsummary %d/%d exit 0 (PC 1 %d, PC 2 %d), formsetup exit %s%s; ' \
    "$FS" "$n" "$ok" $((2 * RUNS_PER_PC)) "$ok1" "$ok2" "$formsetupRc" \
    "$( [ "$formsetupRc" = 0 ] || echo " ($(first_box "$RUNS/formsetup.msg" "$RUNS/formsetup.out" "$formsetupRc"))")"
  [ "$spool" != unread ] || rows=unreadable
  printf 'SPOOL rows %s, spool files %d, copies %d + %d; check %s; ' \
    "$rows" "$files" "$copies" "$texts" "$wholeness"
  printf '%s s, sendsummary median %s s, slowest run %s s\n' \
    "$(seconds "$elapsed")" "$(seconds "$median")" "$(seconds "$slowest")"
  local box
  for box in "${!boxes[@]}"; do
    echo "  ${#boxes[$box]} failed sendsummary runs: $box"
  done
  for box in "${faults[@]}"; do
    echo "  FAULT: $box"
  done
  [ ${#faults[@]} -eq 0 ]
}

# first_box MSG OUT RC: the first message box of a run in one line, or how it
# ended when it showed none.
first_box() {
  local text
  text=$(head -1 "$1" 2>/dev/null | sed -n 's/.*"title":"\([^"]*\)","text":"\(.*\)","icon".*/\1: \2/p')
  if [ -n "$text" ]; then
    text=${text//\\n/ }
    echo "${text//$ROOT\//}" | cut -c1-110
  elif [ "$3" = 124 ] || [ "$3" = 137 ]; then
    echo "killed after ${RUN_TIMEOUT} s"
  else
    echo "exit $3 without a box: $(head -1 "$2" | cut -c1-80)"
  fi
}

seconds() { printf '%d.%02d' $(($1 / 1000)) $((($1 % 1000) / 10)); }
