#!/usr/bin/env bash
# Brevix on an SMB share: a Samba server on its own loopback address and an smbnetfs mount of
# it, as a workstation sees the statement server. Each round, on fresh store folders, one after
# the other through the mount, each first, second and third in turn:
#   brevix   `brevix --once` on COUNT statements (default 300, one per account, settle time 0,
#            the demo store's logo in the install folder); timed from start to exit;
#   anchor   the ReportLab anchor reading the same statements from the share and writing its
#            PDFs to it (ANCHOR_LOGO set); its own timing, start-up left out;
#   floor    handoff_floor.c: only the file operations of a safe hand-off, one statement after
#            another, nothing laid out; timed from start to exit.
# Prints each round's rates and the ratios brevix/floor and brevix/anchor, then min / median /
# max of each. Then runs brevix once more under strace (and the floor) and prints the calls on
# the share's paths per statement, by call.
# Usage: bench/smb_speed.sh [BUILD_FOLDER] [COUNT]   (exit 77: skipped, with the reason)
#   ROUNDS (default 3); OPS_COUNT: statements of the traced runs (default 100, 0: none);
#   SMB_HOST (default 127.0.0.5, clear of the test suite's server on 127.0.0.1);
#   LOGO=FILE another logo, LOGO= none; STEP_LIMIT: seconds any one run may take (default 900);
#   KEEP_TRACES=FOLDER keeps the traces there.
#   The server's folders lie in $TMPDIR (default /tmp).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
count=${2:-300}
rounds=${ROUNDS:-3}
ops_count=${OPS_COUNT:-100}
step_limit=${STEP_LIMIT:-900}
logo=${LOGO-$here/../demo/install/stmtlogo}
brevix=${BREVIX:-$build/mailer/brevix}
anchor=${ANCHOR:-$(cd "$here/../.." && pwd)/shared/anchors/reportlab_statements.py}
[ -r "$anchor" ] || anchor=/work/shared/anchors/reportlab_statements.py

skip() { echo "SKIP: $*"; exit 77; }
[ -x "$brevix" ] || { echo "no $brevix: build the target brevix first" >&2; exit 1; }
[ -r "$anchor" ] || skip "no ReportLab anchor at $anchor (set ANCHOR)"
/usr/bin/python3 -c 'import reportlab' 2>/dev/null || skip "ReportLab is not installed (Debian package python3-reportlab)"
command -v cc >/dev/null || skip "no C compiler for the floor (Debian package build-essential)"
if [ "$ops_count" -gt 0 ]; then command -v strace >/dev/null || skip "strace is not installed (Debian package strace; OPS_COUNT=0 leaves the count out)"; fi

export SMB_HOST=${SMB_HOST:-127.0.0.5}
# A server of our own address that does not go away is not waited for long: skipped instead.
SMB_PORT_WAIT=${SMB_PORT_WAIT:-30} SMB_START_TRIES=${SMB_START_TRIES:-3}
. "$here/../tests/smb/smb_server.sh"

MNT=$SMB_DIR/ws/mnt
LOCAL=$SMB_DIR/local
mkdir -p "$LOCAL/install" "$LOCAL/config/Torvik"
[ -z "$logo" ] || cp "$logo" "$LOCAL/install/stmtlogo"
# The files lie ready before each run: the settle time is a wait at the start of a backlog, not
# a cost per statement.
printf '[eStatements]\nSettings\\SettleMs=0\n' >"$LOCAL/config/Torvik/Brevix.ini"
cc -O2 -o "$LOCAL/handoff_floor" "$here/handoff_floor.c"
mount_workstation "$SMB_DIR/ws" "$MNT"
VIEW=$MNT/$SMB_HOST  # the shares as the workstation sees them

# Each run is bounded by STEP_LIMIT and waited for in the background, so that a signal reaches
# the cleanup at once; the cleanup ends the run first (timeout passes the signal on).
STEP=""
step() {
  timeout -k 10 "$step_limit" "$@" &
  STEP=$!
  local status=0
  wait "$STEP" || status=$?
  STEP=""
  return $status
}
stop_step() {
  [ -n "$STEP" ] || return 0
  kill -TERM "$STEP" 2>/dev/null
  for _ in $(seq 75); do kill -0 "$STEP" 2>/dev/null || return 0; sleep 0.2; done
}
SMB_CLEANUP_HOOKS+=(stop_step)

# A store of its own for each run: fresh folders on the server, COUNT statements in its temp.
make_store() {  # store number, statements
  local s=$1
  mkdir -p "$SRV/parlow/email$s/statements/temp" "$SRV/parlow/email$s/statements/tempdet" \
    "$SRV/parlow/email$s/statements/out" "$SRV/parlow/email$s/in" "$SRV/tarnlnk/TVK$s/STATEMENTS/0105"
  bash "$here/drop_statements.sh" "$SRV/parlow/email$s/statements/temp" "$2"
  chmod -R 0777 "$SRV/parlow/email$s" "$SRV/tarnlnk/TVK$s"
}
drop_store() { rm -rf "$SRV/parlow/email$1" "$SRV/tarnlnk/TVK$1"; }
files_in() { find "$1" -maxdepth 1 -type f ! -name '.*' | wc -l; }
run_brevix() {  # store number, output file
  step env TORVIK_UNC_ROOT="$MNT" TORVIK_HOME="$LOCAL/install" XDG_CONFIG_HOME="$LOCAL/config" \
    "$brevix" --once --server "$SMB_HOST" --store "$1" >"$2" 2>"$2.err" \
    || { echo "brevix --once failed ($?): $(tail -3 "$2.err")" >&2; exit 1; }
}
run_floor() {  # store number, output file
  local st=$VIEW/parlow/email$1
  step "$LOCAL/handoff_floor" "$st/statements/temp" "$st/statements/out" "$st" "$st/in" \
    "$VIEW/tarnlnk/TVK$1/STATEMENTS/0105" "floor$1" >"$2" || { echo "the floor failed ($?)" >&2; exit 1; }
}
now() { date +%s.%N; }
rate() { awk -v n="$1" -v s="$2" -v e="$3" 'BEGIN { printf "%.1f", n / (e - s) }'; }

echo "server:  smbd $SMB_HOST, folders in $SRV ($(stat -f -c %T "$SRV")); smbnetfs mount $MNT"
bash "$here/drop_statements.sh" "$LOCAL" 1
echo "case:    $count statements of $(wc -l < "$LOCAL/100001.txt") lines, one per account; logo: ${logo:-none}; $rounds rounds"
rm -f "$LOCAL/100001.txt"
results=$LOCAL/results
: >"$results"
# One contender's timed run in round r, on the round's stores; its rate in b, a or f.
time_brevix() {
  start=$(now); run_brevix "$bstore" "$LOCAL/brevix$r.out"; end=$(now)
  [ "$(grep -c 'mailed$' "$LOCAL/brevix$r.out" || true)" -eq "$count" ] && [ "$(files_in "$SRV/parlow/email$bstore/in")" -eq "$count" ] \
    || { echo "brevix mailed $(files_in "$SRV/parlow/email$bstore/in") of $count statements: $(head -3 "$LOCAL/brevix$r.out.err")" >&2; exit 1; }
  b=$(rate "$count" "$start" "$end")
}
time_anchor() {
  step env ANCHOR_LOGO="$logo" /usr/bin/python3 "$anchor" "$VIEW/parlow/anchor$r/in" "$VIEW/parlow/anchor$r/out" >"$LOCAL/anchor$r.out" \
    || { echo "the anchor failed ($?)" >&2; exit 1; }
  [ "$(files_in "$anchor_dir/out")" -eq "$count" ] || { echo "the anchor wrote $(files_in "$anchor_dir/out") of $count PDFs" >&2; exit 1; }
  a=$(sed -n 's/.*: \([0-9.]*\) statements\/s.*/\1/p' "$LOCAL/anchor$r.out")
}
time_floor() {
  start=$(now); run_floor "$fstore" "$LOCAL/floor$r.out"; end=$(now)
  [ "$(files_in "$SRV/parlow/email$fstore/in")" -eq "$count" ] || { echo "the floor handed off $(files_in "$SRV/parlow/email$fstore/in") of $count" >&2; exit 1; }
  f=$(rate "$count" "$start" "$end")
}
for r in $(seq 1 "$rounds"); do
  bstore=$((100 + r)) fstore=$((200 + r)) anchor_dir=$SRV/parlow/anchor$r
  make_store "$bstore" "$count"
  make_store "$fstore" "$count"
  mkdir -p "$anchor_dir/in" "$anchor_dir/out"
  cp "$SRV/parlow/email$bstore/statements/temp/"*.txt "$anchor_dir/in/"
  chmod -R 0777 "$anchor_dir"
  sync

  # Each takes each place in turn, so that what comes before a run (the stores just made, the
  # anchor's work) weighs on all alike.
  order=(brevix anchor floor)
  for i in 0 1 2; do "time_${order[$(((i + r - 1) % 3))]}"; done

  read -r bf ba < <(awk -v b="$b" -v f="$f" -v a="$a" 'BEGIN { printf "%.2f %.2f\n", b / f, b / a }')
  printf 'round %d: brevix %s statements/s, anchor %s/s, floor %s/s; brevix/floor %sx, brevix/anchor %sx\n' "$r" "$b" "$a" "$f" "$bf" "$ba"
  echo "$b $a $f $bf $ba" >>"$results"
  drop_store "$bstore"; drop_store "$fstore"; rm -rf "$anchor_dir"
done
for col in 1 2 3 4 5; do
  sort -g -k$col,$col "$results" | awk -v c=$col '{ v[NR] = $c } END {
    split("brevix/s anchor/s floor/s brevix/floor brevix/anchor", label, " ")
    printf "%-14s %s / %s / %s (min / median / max)\n", label[c] ":", v[1], v[int((NR + 1) / 2)], v[NR] }'
done
echo "load average:  $(cut -d' ' -f1-3 /proc/loadavg)"

[ "$ops_count" -gt 0 ] || exit 0
# Every call that names a path on the mount, or a descriptor open on it (not execve, whose
# arguments name it); a call strace splits around a thread switch is counted once, at its start.
# What moves bytes through a descriptor already open is not a file-system operation of its own.
DATA_CALLS='^[0-9]+ +(read|write|pread64|pwrite64|readv|writev|close|lseek|fstat|fcntl|fadvise64)\(|^[0-9]+ +newfstatat\([0-9]+<[^>]*>, "",'
count_calls() {  # trace file, statements, label
  grep -F "$MNT" "$1" | grep -v -e '^[0-9]* *<\.\.\. ' -e '^[0-9]* *execve(' >"$1.share" || true
  local folders; folders=$(grep -cE '^[0-9]+ +(newfstatat|statx|stat|lstat)\(.*S_IFDIR' "$1.share" || true)
  sed -E 's/^[0-9]+ +//; s/\(.*//' "$1.share" | sort | uniq -c | sort -rn |
    awk -v n="$2" -v label="$3" -v folders="$folders" -v data="$(grep -cE "$DATA_CALLS" "$1.share" || true)" '{ total += $1; calls[NR] = $2; counts[NR] = $1 } END { ops = total - data;
      printf "%s: %.1f calls on the share per statement (%d statements; %.1f of them stat a folder)\n", label, total / n, n, folders / n
      printf "%s: %.1f operations per statement (the calls less reads, writes and closes of files already open)\n", label, ops / n
      line = " "
      for (i = 1; i <= NR; ++i) line = line sprintf(" %s %.2f", calls[i], counts[i] / n)
      print line }'
  [ -z "${KEEP_TRACES:-}" ] || cp "$1" "$1.share" "$KEEP_TRACES/"
}
echo "calls on the share's paths (strace -f -y -e trace=%file,%desc, $ops_count statements):"
make_store 301 "$ops_count"
step env TORVIK_UNC_ROOT="$MNT" TORVIK_HOME="$LOCAL/install" XDG_CONFIG_HOME="$LOCAL/config" \
  strace -f -qq -y -e trace=%file,%desc -o "$LOCAL/brevix.trace" "$brevix" --once --server "$SMB_HOST" --store 301 >"$LOCAL/traced.out" 2>&1 || { echo "brevix under strace failed: $(tail -3 "$LOCAL/traced.out")" >&2; exit 1; }
[ "$(files_in "$SRV/parlow/email301/in")" -eq "$ops_count" ] || { echo "brevix under strace mailed $(files_in "$SRV/parlow/email301/in") of $ops_count" >&2; exit 1; }
count_calls "$LOCAL/brevix.trace" "$ops_count" brevix
make_store 302 "$ops_count"
st=$VIEW/parlow/email302
step strace -f -qq -y -e trace=%file,%desc -o "$LOCAL/floor.trace" "$LOCAL/handoff_floor" \
  "$st/statements/temp" "$st/statements/out" "$st" "$st/in" "$VIEW/tarnlnk/TVK302/STATEMENTS/0105" floor302 >/dev/null \
  || { echo "the floor under strace failed" >&2; exit 1; }
count_calls "$LOCAL/floor.trace" "$ops_count" floor
