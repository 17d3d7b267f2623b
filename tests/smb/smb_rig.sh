# A real SMB file server on loopback and two workstations' mounts of it, for the SMB tests.
# Sourced; sets SMB_DIR, SRV (the server's own view of its shares), MNT1 and MNT2 (what each
# workstation sees of \\$SMB_HOST), CONFIG (an XDG_CONFIG_HOME naming the server and store 7), and
# stops the server, what the test started in the background and unmounts on exit, whatever
# happened (smb_server.sh).
. "$(dirname "${BASH_SOURCE[0]}")/smb_server.sh"
BREVIX=${BREVIX:?set BREVIX to the brevix program}
MNT1=$SMB_DIR/ws1/mnt
MNT2=$SMB_DIR/ws2/mnt
CONFIG=$SMB_DIR/config

BACKGROUND=()  # pids of loops the test started
stop_background() {
  touch "$SMB_DIR/stop"
  for pid in "${BACKGROUND[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  pkill -KILL -f "$BREVIX --watch" 2>/dev/null || true
}
SMB_CLEANUP_HOOKS+=(stop_background)

mkdir -p "$SRV"/parlow/email7/statements/{temp,tempdet,out} "$SRV"/parlow/email7/in \
  "$SRV"/tarnlnk/TVK7/STATEMENTS/0105 "$CONFIG/Torvik"
chmod -R 0777 "$SRV"
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
