#!/usr/bin/env bash
# Brevix on a real SMB share seen by two workstations (Samba on loopback, two smbnetfs mounts,
# which carry no locks to the server): each customer gets their own statement exactly once.
# Usage: two_workstations.sh BREVIX   (exit 77: skipped, with the reason)
BREVIX=$(realpath "$1")
. "$(dirname "$0")/smb_rig.sh"

SENT=$SMB_DIR/sent
mkdir -p "$SENT"
# The mail sender on the server: takes each whole request out of the in folder, keeping a copy.
mail_sender() {
  while :; do
    for f in "$STORE"/in/STMT_*.TXT; do
      [ -e "$f" ] || continue
      mv "$f" "$SENT/$(basename "$f").$(date +%s%N)" 2>/dev/null || true
    done
    sleep 0.2
  done
}
start_sender() { mail_sender & SENDER=$!; BACKGROUND+=($SENDER); }
stop_sender() { kill "$SENDER"; wait "$SENDER" 2>/dev/null || true; }
sent_count() { find "$SENT" -type f | wc -l; }
# Each request sent names a PDF that holds its own customer's account and the invoice pages.
check_sent() {
  local expected=$1 f acct pdf
  [ "$(sent_count)" -eq "$expected" ] || fail "$(sent_count) requests sent, $expected expected"
  local dup; dup=$(ls "$SENT" | sed 's/\.TXT\..*//' | sort | uniq -d)
  [ -z "$dup" ] || fail "mailed more than once: $dup"
  for f in "$SENT"/*; do
    acct=$(sed -n 's/^MAILTO=c\(.*\)@acme.example\r$/\1/p' "$f")
    pdf=$(sed -n 's/^ATTACH=statements\\out\\\([^|]*\)\r$/\1/p' "$f")
    [ -f "$STORE/statements/out/$pdf" ] || fail "$f names $pdf, which is not in the out folder"
    pdftotext "$STORE/statements/out/$pdf" - | grep -qx "$acct" || fail "$pdf, mailed to $acct, is not $acct's statement"
    pdftotext "$STORE/statements/out/$pdf" - | grep -q "INV-$acct" || fail "$pdf has no invoice pages"
  done
}
left_in() { find "$@" -mindepth 1 | sed "s|$STORE/||"; }
wait_until() {  # seconds, command...
  local limit=$1; shift
  for _ in $(seq $((limit * 5))); do "$@" && return 0; sleep 0.2; done
  return 1
}
stop_watches() {  # as a service stop would: SIGTERM, and they end between two files
  pkill -TERM -f "^$BREVIX --watch" || true
  wait_until 60 bash -c "! pgrep -f '^$BREVIX --watch' >/dev/null" || fail "a watch did not end on SIGTERM"
}
reset_store() {
  rm -rf "$STORE"/statements/{temp,tempdet,out}/* "$STORE"/statements/{temp,tempdet,out}/.[!.]* \
    "$STORE"/in/* "$SRV"/tarnlnk/TVK7/STATEMENTS/0105/* "$SENT"/* "$STORE"/.brevix.* "$STORE"/brevix.lock 2>/dev/null || true
}

echo "== the whole run over SMB writes what a local run writes, byte for byte"
LOCAL=$SMB_DIR/local
mkdir -p "$LOCAL/$SMB_HOST"
for i in $(seq 1001 1020); do drop_statement "$i"; done
cp -a "$SRV/parlow" "$SRV/tarnlnk" "$LOCAL/$SMB_HOST/"
brevix_on 1 --once >"$SMB_DIR/once.out" || fail "brevix --once over SMB: $(cat "$SMB_DIR/once.out")"
XDG_CONFIG_HOME=$CONFIG TORVIK_UNC_ROOT=$LOCAL "$BREVIX" --once >/dev/null
diff -r "$LOCAL/$SMB_HOST/parlow/email7/in" "$STORE/in" || fail "requests differ from a local run's"
diff -r "$LOCAL/$SMB_HOST/parlow/email7/statements/out" "$STORE/statements/out" || fail "PDFs differ"
[ "$(ls "$STORE/in" | wc -l)" -eq 20 ] || fail "not 20 requests"

echo "== two workstations watching, killed and restarted, a mail sender running: 200 statements, each once"
reset_store
start_sender
for i in $(seq 2001 2200); do drop_statement "$i"; done
# Each workstation runs brevix --watch again whenever it ends, as a service would.
SUPERVISORS=()
for ws in 1 2; do
  ( while [ ! -e "$SMB_DIR/stop" ]; do brevix_on "$ws" --watch >>"$SMB_DIR/watch$ws.out" 2>>"$SMB_DIR/watch$ws.err" || true; done ) &
  SUPERVISORS+=($!); BACKGROUND+=($!)
done
kills=0
for round in $(seq 6); do
  sleep 1.5
  pid=$(pgrep -f "^$BREVIX --watch" | shuf -n1 || true)
  [ -n "$pid" ] && kill -KILL "$pid" && kills=$((kills + 1))
done
wait_until 240 bash -c "[ \$(find '$SENT' -type f | wc -l) -ge 200 ] && [ -z \"\$(find '$STORE/statements/temp' '$STORE/statements/tempdet' -mindepth 1)\" ]" \
  || fail "not done in time: $(sent_count) sent, left: $(left_in "$STORE/statements/temp" "$STORE/statements/tempdet" | head)"
sleep 2  # a run that mailed twice would do it now
touch "$SMB_DIR/stop"; stop_watches
for pid in "${SUPERVISORS[@]}"; do wait "$pid" 2>/dev/null || true; done
stop_sender
check_sent 200
# The next run clears what the killed ones wrote and never claimed, their heartbeats too.
brevix_on 1 --once >/dev/null || fail "a run after the kills failed"
[ -z "$(find "$STORE" "$STORE/statements/out" -maxdepth 1 -name '.*' | grep -v '\.[A-Za-z0-9]\{6\}$')" ] \
  || fail "left behind: $(find "$STORE" "$STORE/statements/out" -maxdepth 1 -name '.*' | head)"
echo "   $kills kills; $(grep -c mailed "$SMB_DIR"/watch1.out || true) and $(grep -c mailed "$SMB_DIR"/watch2.out || true) lines mailed by ws1 and ws2"
grep -q "not carried to the file server" "$SMB_DIR"/watch*.err || fail "no run said that the lock is not carried"
# Each statement mailed has its line in the store's delivery record, written through the mounts.
missing=$(for i in $(seq 2001 2200); do cut -f5,11 "$STORE"/history/*.txt | grep -qxE "$i	(mailed|recovered)" || echo "$i"; done)
[ -z "$missing" ] || fail "mailed but not in the delivery record: $(echo $missing | head -c 200)"
brevix_on 2 --history 2001 | grep -q "	2001	c2001@acme.example	2001.0105.PDF	" || fail "brevix --history 2001 over SMB: $(brevix_on 2 --history 2001 2>&1)"
! grep -q "No delivery record" "$SMB_DIR"/watch*.err || fail "the record could not be written: $(grep -h "No delivery record" "$SMB_DIR"/watch*.err | head -1)"

# Runs brevix as workstation $2 on a machine of its own name $1: its own host name and process ids,
# the rest of this machine shared (a container, or a cloned image).
brevix_as() {
  local host=$1 ws=$2; shift 2
  local mnt=$MNT1; [ "$ws" = 2 ] && mnt=$MNT2
  XDG_CONFIG_HOME=$CONFIG TORVIK_UNC_ROOT=$mnt unshare --uts --pid --fork --mount --mount-proc \
    sh -c 'hostname "$0" && exec "$@"' "$host" "$BREVIX" "$@"
}
# Waits until all $1 statements were sent and temp and tempdet are empty, stops both watches
# (their output $2 1 and $2 2) and the sender, and checks each went out once and no run failed.
finish_both() {
  local n=$1 o=$2
  wait_until 300 bash -c "[ \$(find '$SENT' -type f | wc -l) -ge $n ] && [ -z \"\$(find '$STORE/statements/temp' '$STORE/statements/tempdet' -mindepth 1)\" ]" \
    || fail "not done in time: $(sent_count) sent; ws1: $(tail -3 "$SMB_DIR/${o}1.err"); ws2: $(tail -3 "$SMB_DIR/${o}2.err")"
  sleep 2
  stop_watches
  stop_sender
  check_sent "$n"
  ! grep -q "^Error\|<3>" "$SMB_DIR/${o}1.err" "$SMB_DIR/${o}2.err" || fail "a run failed: $(grep -h "Error" "$SMB_DIR/${o}"?.err | head -3)"
}

# Two watches on machines named $1 and $2, a mail sender running, 200 statements: each once.
two_machines() {
  reset_store
  start_sender
  for i in $(seq 5001 5200); do drop_statement "$i"; done
  brevix_as "$1" 1 --watch >"$SMB_DIR/m1.out" 2>"$SMB_DIR/m1.err" & BACKGROUND+=($!)
  brevix_as "$2" 2 --watch >"$SMB_DIR/m2.out" 2>"$SMB_DIR/m2.err" & BACKGROUND+=($!)
  finish_both 200 m
}

if [ -n "${ONLY_STOP:-}" ]; then :; elif unshare --uts --pid --fork --mount --mount-proc true 2>/dev/null; then
  echo "== two workstations of the same host name (cloned images, containers): each once"
  two_machines store0007 store0007
  echo "== two workstations whose names are alike in their first 32 characters: each once"
  two_machines store0007-frontcounter-workstation-a store0007-frontcounter-workstation-b
else
  echo "== (no namespaces here: the same-host-name cases are left out)"
fi

echo "== a workstation stopped for 40 s mid-batch while the other takes over: each once, nothing left"
reset_store
start_sender
for i in $(seq 6001 6150); do drop_statement "$i"; done
brevix_on 1 --watch >"$SMB_DIR/s1.out" 2>"$SMB_DIR/s1.err" & BACKGROUND+=($!)
wait_until 30 pgrep -f "^$BREVIX --watch" >/dev/null || fail "ws1 did not start"
S1=$(pgrep -f "^$BREVIX --watch")  # the program itself, not the shell that started it
# Stopped while it holds claims (most often before their hand-off, whose renames are over quickly);
# what it holds then is the other's to finish, whatever it was.
wait_until 120 bash -c "ls -A '$STORE/statements/temp' | grep -q '\.claimed\$'" || fail "ws1 claimed nothing: $(cat "$SMB_DIR/s1.err")"
kill -STOP "$S1"
brevix_on 2 --watch >"$SMB_DIR/s2.out" 2>"$SMB_DIR/s2.err" & BACKGROUND+=($!)
sleep 40
kill -CONT "$S1"
finish_both 150 s
echo "   ws1: $(grep -c "mailed" "$SMB_DIR/s1.out") mailed, $(grep -c "taken over" "$SMB_DIR/s1.out") taken over; ws2: $(grep -c "recovered" "$SMB_DIR/s2.out") recovered"

echo "== the lock file deleted while held: the holder stops, the next one takes over, each once"
reset_store
brevix_on 1 --watch >"$SMB_DIR/w1.out" 2>"$SMB_DIR/w1.err" & W1=$!; BACKGROUND+=($W1)
wait_until 60 test -s "$STORE/brevix.lock" || fail "the watch took no lock: $(cat "$SMB_DIR/w1.err")"
rm -f "$STORE/brevix.lock"
for i in $(seq 3001 3050); do drop_statement "$i"; done
brevix_on 2 --once >"$SMB_DIR/w2.out" 2>"$SMB_DIR/w2.err" || true
wait_until 240 bash -c "[ -z \"\$(find '$STORE/statements/temp' -mindepth 1)\" ]" || fail "statements left after the lock file was deleted: $(left_in "$STORE/statements/temp" | head -5); ws1: $(cat "$SMB_DIR/w1.err"); ws2: $(cat "$SMB_DIR/w2.err")"
stop_watches
start_sender
wait_until 60 bash -c "[ \$(find '$SENT' -type f | wc -l) -ge 50 ]" || true
stop_sender
check_sent 50

echo "== names and accounts that differ only in letter case"
reset_store
for twin in 11111:stmt 22222:STMT ab100:a1 AB100:a2; do drop_statement "${twin%:*}" "" "${twin#*:}"; done
start_sender
for _ in 1 2 3; do brevix_on 1 --once >>"$SMB_DIR/case.out" 2>>"$SMB_DIR/case.err" || true; sleep 1; done
stop_sender
check_sent "$(ls "$SENT" | wc -l)"
for acct in ab100 AB100; do
  ls "$SENT" | grep -q "^STMT_$acct.TXT" || fail "account $acct was never mailed: $(cat "$SMB_DIR/case.err")"
done
# Of stmt.txt and STMT.txt one is mailed with its own PDF (check_sent), the other set aside naming it.
[ "$(ls "$SENT" | grep -c '^STMT_\(11111\|22222\)\.TXT')" -eq 1 ] || fail "not exactly one of the name twins mailed"
grep -q "another statement's document whose name differs only in letter case" "$SMB_DIR/case.err" \
  || fail "the other name twin was not set aside naming the first"

echo "== a statement written over SMB in pieces is mailed whole"
reset_store
printf '[eStatements]\nSettings\\Host=%s\nSettings\\Directory=7\nSettings\\SettleMs=3000\n' "$SMB_HOST" >"$CONFIG/Torvik/Brevix.ini"
brevix_on 1 --watch >"$SMB_DIR/p.out" 2>"$SMB_DIR/p.err" & W1=$!; BACKGROUND+=($W1)
target=$MNT2/$SMB_HOST/parlow/email7/statements/temp/4001.txt
{
  printf '*\tTORVIK HARDWARE\t12 Mill Rd\tSpringfield OR\t\tThank you\t\t\r\nH\tAcme Corp\t1 Main St\tEugene OR 97401\t\t06/30/26\t4001\t150.00\r\n'; sleep 0.5
  printf 'E\tc4001@acme.example\t0105\tar@torvik.example\t\t\t\r\nD\t06/01/26\t1001\tBolts\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\r\n'; sleep 0.5
  printf 'D\t06/02/26\t1002\tNuts\t5.00\t0.00\t5.00\t0.00\t0.00\t0.00\t5.00\r\nF\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\t12'; sleep 0.5
  printf '345.67\r\n'
} >"$target"
wait_until 120 test -e "$STORE/in/STMT_4001.TXT" || fail "the statement written in pieces was not mailed: $(cat "$SMB_DIR/p.err")"
stop_watches
pdftotext "$STORE/statements/out/4001.0105.PDF" - | grep -q "12,\?345\.67" || fail "mailed before it was whole"
pdftotext "$STORE/statements/out/4001.0105.PDF" - | grep -q "Nuts" || fail "mailed without its last line"
echo "PASS"
