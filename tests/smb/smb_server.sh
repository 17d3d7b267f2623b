# A Samba server on a loopback address serving the parlow and tarnlnk shares, and smbnetfs mounts
# of it, for the SMB tests and benchmarks. Sourced; sets SMB_HOST (default 127.0.0.1; another
# 127.0.0.x keeps a run clear of one on another address), SMB_DIR, SRV (the server's own view
# of its shares) and mount_workstation. On exit, whatever happened, runs the functions named in
# SMB_CLEANUP_HOOKS, unmounts, stops the server and removes SMB_DIR.
# SMB_PORT_WAIT: seconds to wait for another server on the same address to finish (default 300);
# SMB_START_TRIES: how often to start the server again when another one took the port (default 60).
set -euo pipefail

skip() { echo "SKIP: $*"; exit 77; }
[ -c /dev/fuse ] || skip "no /dev/fuse on this machine"
command -v smbd >/dev/null || skip "smbd is not installed (Debian package samba)"
command -v smbnetfs >/dev/null || skip "smbnetfs is not installed (Debian package smbnetfs)"
command -v fusermount >/dev/null || command -v fusermount3 >/dev/null || skip "fusermount is not installed (Debian package fuse3)"
command -v ss >/dev/null || skip "ss is not installed (Debian package iproute2)"
[ "$(id -u)" -eq 0 ] || skip "smbd on port 445 and FUSE mounts for other users need root"

SMB_HOST=${SMB_HOST:-127.0.0.1}
case $SMB_HOST in 127.*) ;; *) skip "SMB_HOST must be a loopback address (127.x.y.z), not $SMB_HOST" ;; esac
SMB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/brevix-smb.XXXXXX")
SRV=$SMB_DIR/srv
SMB_MOUNTS=()
SMB_CLEANUP_HOOKS=()

smb_unmount() {
  if command -v fusermount >/dev/null; then fusermount -u -z "$1" 2>/dev/null || true
  else fusermount3 -u -z "$1" 2>/dev/null || true; fi
}
smb_cleanup() {
  local status=$?
  set +e
  for hook in "${SMB_CLEANUP_HOOKS[@]}"; do "$hook"; done
  for m in "${SMB_MOUNTS[@]}"; do smb_unmount "$m"; done
  [ -f "$SMB_DIR/state/pid/smbd.pid" ] && kill "$(cat "$SMB_DIR/state/pid/smbd.pid")" 2>/dev/null
  pkill -f "smbd -s $SMB_DIR/smb.conf" 2>/dev/null
  sleep 0.5
  rm -rf "$SMB_DIR" 2>/dev/null
  exit $status
}
trap smb_cleanup EXIT INT TERM

mkdir -p "$SRV"/parlow "$SRV"/tarnlnk "$SMB_DIR"/state/{lock,state,cache,private,pid}
chmod -R 0777 "$SRV"
# An address given with a mask is taken as it is; a bare one must already be an interface's,
# which only 127.0.0.1 is.
cat >"$SMB_DIR/smb.conf" <<CONF
[global]
  interfaces = $SMB_HOST/8
  bind interfaces only = yes
  smb ports = 445
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
  # The folders may lie on a tmpfs, which keeps no extended attributes.
  store dos attributes = no
  ea support = no
  map archive = no
CONF
for share in parlow tarnlnk; do
  printf '[%s]\n  path = %s\n  guest ok = yes\n  read only = no\n  force user = root\n' "$share" "$SRV/$share" >>"$SMB_DIR/smb.conf"
done

# Another server bound to this address (a suite in a chroot beside this one) or to all of them
# holds the port: it is waited for, and a server that lost the race for the port is started again.
port_taken() { ss -ltn 2>/dev/null | grep -qE "(^|[[:space:]])($SMB_HOST|0\.0\.0\.0|\*|\[::\]):445[[:space:]]"; }
ours_listens() {
  [ -f "$SMB_DIR/state/pid/smbd.pid" ] && kill -0 "$(cat "$SMB_DIR/state/pid/smbd.pid")" 2>/dev/null &&
    ss -ltn 2>/dev/null | grep -q "$SMB_HOST:445 "
}
started=""
port_wait=${SMB_PORT_WAIT:-300}
for _ in $(seq "${SMB_START_TRIES:-60}"); do
  waited=0
  while port_taken; do
    [ "$waited" -lt "$port_wait" ] || skip "another SMB server holds $SMB_HOST:445 for more than $port_wait s"
    sleep 3; waited=$((waited + 3))
  done
  rm -f "$SMB_DIR/state/pid/smbd.pid"
  smbd -s "$SMB_DIR/smb.conf" -D || skip "smbd does not start here"
  for _ in $(seq 50); do ours_listens && { started=yes; break; }; sleep 0.1; done
  [ -n "$started" ] && break
  pkill -f "smbd -s $SMB_DIR/smb.conf" 2>/dev/null || true
done
[ -n "$started" ] || { cat "$SMB_DIR"/state/log.smbd >&2 || true; skip "no SMB server of this run listens on $SMB_HOST:445"; }

# Mounts the server's shares as one workstation sees them: MOUNT_POINT/$SMB_HOST/parlow, ...
mount_workstation() {  # HOME folder, mount point
  mkdir -p "$1/.smb" "$2"
  printf 'smb_query_browsers false\nshow_$_shares false\nauth "guest" ""\nhost %s visible=true\n' "$SMB_HOST" >"$1/.smb/smbnetfs.conf"
  chmod 600 "$1/.smb/smbnetfs.conf"
  touch "$1/.smb/smb.conf"
  HOME=$1 smbnetfs "$2" -o allow_other 2>"$1/smbnetfs.log" || skip "smbnetfs cannot mount: $(cat "$1/smbnetfs.log")"
  SMB_MOUNTS+=("$2")
  for _ in $(seq 50); do [ -d "$2/$SMB_HOST/parlow" ] && [ -d "$2/$SMB_HOST/tarnlnk" ] && return 0; sleep 0.2; done
  skip "the share does not appear through smbnetfs"
}
