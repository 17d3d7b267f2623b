# A real SMB file server on loopback and two workstations' mounts of it, for the SMB tests.
# Sourced; sets SMB_DIR, SRV (the server's own view of its shares), MNT1 and MNT2 (what each
# workstation sees of \\$SMB_HOST), CONFIG (an XDG_CONFIG_HOME naming the server and store 7), and
# stops the server and unmounts on exit, whatever happened.
set -euo pipefail

skip() { echo "SKIP: $*"; exit 77; }
[ -c /dev/fuse ] || skip "no /dev/fuse on this machine"
command -v smbd >/dev/null || skip "smbd is not installed (Debian package samba)"
command -v smbnetfs >/dev/null || skip "smbnetfs is not installed (Debian package smbnetfs)"
[ "$(id -u)" -eq 0 ] || skip "smbd on port 445 and FUSE mounts for other users need root"

BREVIX=${BREVIX:?set BREVIX to the brevix program}
SMB_HOST=${SMB_HOST:-127.0.0.1}
SMB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/brevix-smb.XXXXXX")
SRV=$SMB_DIR/srv
MNT1=$SMB_DIR/ws1/mnt
MNT2=$SMB_DIR/ws2/mnt
CONFIG=$SMB_DIR/config

BACKGROUND=()  # pids of loops the test started
smb_cleanup() {
  local status=$?
  touch "$SMB_DIR/stop"
  for pid in "${BACKGROUND[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  pkill -KILL -f "$BREVIX --watch" 2>/dev/null || true
  for m in "$MNT1" "$MNT2"; do fusermount -u -z "$m" 2>/dev/null || true; done
  [ -f "$SMB_DIR/state/pid/smbd.pid" ] && kill "$(cat "$SMB_DIR/state/pid/smbd.pid")" 2>/dev/null || true
  pkill -f "smbd -s $SMB_DIR/smb.conf" 2>/dev/null || true
  sleep 0.5
  rm -rf "$SMB_DIR" 2>/dev/null || true
  exit $status
}
trap smb_cleanup EXIT INT TERM

mkdir -p "$SRV"/parlow/email7/statements/{temp,tempdet,out} "$SRV"/parlow/email7/in \
  "$SRV"/tarnlnk/TVK7/STATEMENTS/0105 "$SMB_DIR"/state/{lock,state,cache,private,pid} "$CONFIG/Torvik"
chmod -R 0777 "$SRV"
cat >"$SMB_DIR/smb.conf" <<CONF
[global]
  interfaces = $SMB_HOST
  bind interfaces only = yes
  server role = standalone server
  map to guest = Bad User
  guest account = root
  lock directory = $SMB_DIR/state/lock
  state directory = $SMB_DIR/state/state
  cache directory = $SMB_DIR/state/cache
  private dir = $SMB_DIR/state/private
  pid directory = $SMB_DIR/state/pid
  log file = $SMB_DIR/state/log.%m
  disable netbios = yes
  load printers = no
  printcap name = /dev/null
  disable spoolss = yes
  server min protocol = SMB2
  # The test's folders may lie on a tmpfs, which keeps no extended attributes.
  store dos attributes = no
  ea support = no
  map archive = no
CONF
for share in parlow tarnlnk; do
  printf '[%s]\n  path = %s\n  guest ok = yes\n  read only = no\n  force user = root\n' "$share" "$SRV/$share" >>"$SMB_DIR/smb.conf"
done
# One SMB server per machine on the port: another test's (a suite in a chroot beside this one)
# is waited for, and a server that lost the race for the port is started again.
ours_listens() {
  [ -f "$SMB_DIR/state/pid/smbd.pid" ] && kill -0 "$(cat "$SMB_DIR/state/pid/smbd.pid")" 2>/dev/null &&
    ss -ltn 2>/dev/null | grep -q "$SMB_HOST:445 "
}
started=""
for _ in $(seq 60); do
  for _ in $(seq 100); do ss -ltn 2>/dev/null | grep -q ":445 " || break; sleep 3; done
  rm -f "$SMB_DIR/state/pid/smbd.pid"
  smbd -s "$SMB_DIR/smb.conf" -D || skip "smbd does not start here"
  for _ in $(seq 50); do ours_listens && { started=yes; break; }; sleep 0.1; done
  [ -n "$started" ] && break
  pkill -f "smbd -s $SMB_DIR/smb.conf" 2>/dev/null || true
done
[ -n "$started" ] || { cat "$SMB_DIR"/state/log.smbd >&2 || true; skip "no SMB server of this test listens on $SMB_HOST:445"; }

mount_workstation() {  # HOME folder, mount point
  mkdir -p "$1/.smb" "$2"
  printf 'smb_query_browsers false\nshow_$_shares false\nauth "guest" ""\nhost %s visible=true\n' "$SMB_HOST" >"$1/.smb/smbnetfs.conf"
  chmod 600 "$1/.smb/smbnetfs.conf"
  touch "$1/.smb/smb.conf"
  HOME=$1 smbnetfs "$2" -o allow_other 2>"$1/smbnetfs.log" || skip "smbnetfs cannot mount: $(cat "$1/smbnetfs.log")"
  for _ in $(seq 50); do [ -d "$2/$SMB_HOST/parlow/email7/in" ] && return 0; sleep 0.2; done
  skip "the share does not appear through smbnetfs"
}
mount_workstation "$SMB_DIR/ws1" "$MNT1"
mount_workstation "$SMB_DIR/ws2" "$MNT2"
printf '[eStatements]\nSettings\\Host=%s\nSettings\\Directory=7\nSettings\\SettleMs=0\n' "$SMB_HOST" >"$CONFIG/Torvik/Brevix.ini"

STORE=$SRV/parlow/email7

# A statement of account $1 in $2 (the server's temp folder unless given), with a detail file.
drop_statement() {
  local acct=$1 temp=${2:-$STORE/statements/temp} name=${3:-$1}
  printf 'H\t1\tShip\t\t\t\t1.00\t\t\t\t\t\t1.00\t\r\nD\tINV-%s\t\t\t1\tX\t1\t1\t\t1\t\t\r\n' "$acct" \
    >"$temp/../tempdet/${name}det.txt"
  printf '*\tTORVIK HARDWARE\t12 Mill Rd\tSpringfield OR\t\tThank you\t\t\r\nH\tAcme Corp\t1 Main St\tEugene OR 97401\t\t06/30/26\t%s\t150.00\r\nE\tc%s@acme.example\t0105\tar@torvik.example\t\t\t\r\nD\t06/01/26\t1001\tBolts\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\r\nF\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\t10.00\r\n' \
    "$acct" "$acct" >"$temp/$name.txt.part"
  mv "$temp/$name.txt.part" "$temp/$name.txt"
}

# Runs brevix as workstation $1 (1 or 2) with the rest of the arguments.
brevix_on() {
  local ws=$1; shift
  local mnt=$MNT1; [ "$ws" = 2 ] && mnt=$MNT2
  XDG_CONFIG_HOME=$CONFIG TORVIK_UNC_ROOT=$mnt "$BREVIX" "$@"
}

fail() { echo "FAIL: $*" >&2; exit 1; }
