#!/usr/bin/env bash
# Tries the package's service under a real systemd: makes a fresh Debian 12 root with systemd and
# the package, sets store 7 up as the README says (a local folder owned by the service's user
# stands for the mounted share), boots it with systemd-nspawn and checks what an administrator
# sees: the statements mailed, the figures file for monitoring written, each statement's line in
# the journal with its fields, the status naming the temp folder as written, only a bad
# statement among the warnings, a stopped run restarted by the watchdog, a clean stop, and a boot
# that finishes while the share is missing. Prints systemctl status and the warnings on the way.
# As root, with Debian's mirror reachable; skips, saying why, where mmdebstrap or systemd-nspawn
# cannot run. Downloaded packages are kept in $SYSTEMD_TEST_CACHE when it is set.
# Usage: bash packaging/systemd-test.sh [BUILD_FOLDER [PACKAGE.deb]]     (default: build, its package)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-${BUILD_DIR:-$top/build}}" && pwd)
deb=${2:-}

skip() { echo "systemd test skipped: $*"; exit 0; }
[ "$(id -u)" -eq 0 ] || skip "it needs root (mmdebstrap, systemd-nspawn)"
command -v mmdebstrap >/dev/null || skip "mmdebstrap is missing (apt-get install mmdebstrap)"
command -v systemd-nspawn >/dev/null || skip "systemd-nspawn is missing (apt-get install systemd-container)"
[ -d /sys/fs/cgroup/systemd ] || [ -f /sys/fs/cgroup/cgroup.controllers ] || skip "no cgroup file system for systemd-nspawn"

if [ -z "$deb" ]; then
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  rm -f "$build"/torvik_*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  deb=$(echo "$build"/torvik_"${version}"_*.deb)
fi
deb=$(realpath "$deb")
echo "== $deb"

work=$(mktemp -d /var/tmp/brevix-systemd-test.XXXXXX)
root=$work/root
nspawn=
leader=
stop_container() {
  if [ -n "$nspawn" ] && kill -0 "$nspawn" 2>/dev/null; then
    # SIGTERM asks nspawn to power the container off; SIGKILL if that takes too long.
    kill -TERM "$nspawn" 2>/dev/null || true
    for _ in $(seq 60); do kill -0 "$nspawn" 2>/dev/null || break; sleep 0.5; done
    kill -KILL "$nspawn" 2>/dev/null || true
    wait "$nspawn" 2>/dev/null || true
  fi
  nspawn= leader=
}
cleanup() {
  stop_container
  # Nothing of the container may stay mounted before its root goes.
  if [ -d "$root" ]; then
    { findmnt -rn -o TARGET | grep -F "$root" | sort -r || true; } | while read -r m; do umount -l "$m" || true; done
  fi
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FAILED: $*"; failed=1; }

echo "== mmdebstrap: a minbase Debian 12 with systemd and the package"
cache=${SYSTEMD_TEST_CACHE:-}
hooks=()
if [ -n "$cache" ]; then
  mkdir -p "$cache"
  hooks+=(--setup-hook="mkdir -p \"\$1/var/cache/apt/archives\" && find '$cache' -name '*.deb' -exec cp {} \"\$1/var/cache/apt/archives/\" \\;"
          --customize-hook="find \"\$1/var/cache/apt/archives\" -name '*.deb' -exec cp -n {} '$cache/' \\;")
fi
cp "$deb" "$work/torvik.deb"
if ! mmdebstrap --variant=minbase --include=systemd,systemd-sysv,dbus --skip=cleanup/apt/cache "${hooks[@]}" \
    --customize-hook="copy-in '$work/torvik.deb' /root" \
    --customize-hook='chroot "$1" sh -c "DEBIAN_FRONTEND=noninteractive apt-get install -y -q /root/torvik.deb"' \
    bookworm "$root" http://deb.debian.org/debian >"$work/mmdebstrap.log" 2>&1; then
  tail -n 30 "$work/mmdebstrap.log"
  if grep -qE 'Temporary failure resolving|Could not resolve|Failed to fetch' "$work/mmdebstrap.log"; then
    skip "Debian's mirror cannot be reached"
  fi
  echo "mmdebstrap failed"; exit 1
fi

echo "== store 7 as the README sets it up"
# The server's name in the shipped Brevix.ini; the share stands for the cifs mount owned by brevix.
# Where the package falls short, the test says so, then sets the store up as it can to go on.
ini=$root/etc/torvik/Torvik/Brevix.ini
if [ -f "$ini" ]; then
  sed -i 's/^;Settings\\Host=.*/Settings\\Host=statsrv/' "$ini"
  grep -q '^Settings\\Host=statsrv$' "$ini" || fail "Brevix.ini has no Settings\\Host line to set"
else
  fail "the package ships no /etc/torvik/Torvik/Brevix.ini"
  mkdir -p "$(dirname "$ini")" && printf '[eStatements]\nSettings\\Host=statsrv\n' >"$ini"
fi
[ -f "$root/etc/default/brevix" ] || fail "the package ships no /etc/default/brevix"
# The share is a folder of the root, mounted on /mnt/unc at boot as an fstab line mounts it.
# (systemd does not start automounts in a container, so "x-systemd.automount" cannot be tried.)
share=$root/srv/unc
mkdir -p "$share" "$root/mnt/unc"
cp -r "$top/demo/share/demo" "$share/statsrv"
find "$share/statsrv" -name .keep -delete
if ! chroot "$root" sh -c 'chown -R brevix:brevix /srv/unc/statsrv && chmod -R go-w /srv/unc/statsrv' 2>/dev/null; then
  fail "no user brevix to own the share"
  chmod -R a+rwX "$share/statsrv"
fi
printf '[Mount]\nWhat=/srv/unc\nWhere=/mnt/unc\nType=none\nOptions=bind\n[Install]\nWantedBy=remote-fs.target\n' \
  >"$root/etc/systemd/system/mnt-unc.mount"
chroot "$root" systemctl enable mnt-unc.mount >/dev/null 2>&1 || fail "systemctl enable mnt-unc.mount"
store=$share/statsrv/parlow/email7
waiting=$(ls "$store/statements/temp" | wc -l)
chroot "$root" systemctl enable brevix@7 >/dev/null 2>&1 || fail "systemctl enable brevix@7"
# Quick enough for a test: the watchdog after 5 s, the restart after 1 s.
mkdir -p "$root/etc/systemd/system/brevix@.service.d"
printf '[Service]\nWatchdogSec=5\nRestartSec=1\nTimeoutAbortSec=2\n' >"$root/etc/systemd/system/brevix@.service.d/test.conf"
# The node exporter's text-file folder as Debian's prometheus-node-exporter makes it: root's, 0755.
mkdir -p "$root/var/lib/prometheus/node-exporter"
chmod 755 "$root/var/lib/prometheus" "$root/var/lib/prometheus/node-exporter"
# A clean journal for every boot, kept in memory.
mkdir -p "$root/etc/systemd/journald.conf.d"
printf '[Journal]\nStorage=volatile\n' >"$root/etc/systemd/journald.conf.d/test.conf"

boot() {
  systemd-nspawn -q -D "$root" -b --register=no --keep-unit >"$work/boot.log" 2>&1 &
  nspawn=$!
  for _ in $(seq 100); do
    leader=$( (ps -o pid= --ppid "$nspawn" || true) | head -n 1 | tr -d ' ')
    [ -n "$leader" ] && [ "$(cat "/proc/$leader/comm" 2>/dev/null)" = systemd ] && break
    leader=
    kill -0 "$nspawn" 2>/dev/null || break
    sleep 0.2
  done
  if [ -z "$leader" ]; then
    cat "$work/boot.log"
    skip "systemd-nspawn cannot boot a container here"
  fi
}
ct() { nsenter -t "$leader" -m -u -i -n -p -- "$@"; }
# Waits up to $1 seconds until the command after it succeeds.
until_true() {
  local seconds=$1; shift
  for _ in $(seq $((seconds * 4))); do "$@" && return 0; sleep 0.25; done
  return 1
}
show() { ct systemctl show -p "$1" --value brevix@7; }
# The service manager answers (its bus is up), then the boot finishes: is-system-running --wait
# returns once nothing is starting any more. Prints the state it ended in.
booted() {
  until_true 30 manager_answers || { echo "no answer from systemd"; return 1; }
  timeout "$1" nsenter -t "$leader" -m -u -i -n -p -- systemctl is-system-running --wait 2>&1 || true
}
manager_answers() { [ -n "$(ct systemctl is-system-running 2>/dev/null)" ]; }
warnings() { ct journalctl -q --no-pager -u brevix@7 -p warning -o cat; }
statusText() { show StatusText; }
status_says() { statusText | grep -qF -- "$1"; }
warned() { warnings | grep -q -- "$1"; }

echo "== boot with the share in place"
boot
state=$(booted 90)
[ "$state" = running ] || fail "the boot ended $state"
mailed() {
  [ "$(ls "$store/statements/temp" | wc -l)" -eq 0 ] && [ "$(ls "$store/in" | wc -l)" -eq $((waiting - 1)) ]
}
until_true 60 mailed || fail "not all of the $waiting statements were mailed: temp holds $(ls "$store/statements/temp" | wc -l), in $(ls "$store/in" | wc -l)"
until_true 10 status_says "$((waiting - 1)) mailed today" || true
figures=$root/var/lib/prometheus/node-exporter/brevix_statsrv_7.prom
figures_say() { grep -qF "brevix_statements_total{server=\"statsrv\",store=\"7\",outcome=\"mailed\"} $((waiting - 1))" "$figures" 2>/dev/null; }
until_true 20 figures_say || fail "no figures file $figures telling $((waiting - 1)) mailed: $(cat "$figures" 2>&1 | head -3)"
sha=$(ct journalctl -q --no-pager -u brevix@7 BREVIX_ACCOUNT=10234 --output=cat --output-fields=BREVIX_SHA256)
archived=$(sha256sum "$share/statsrv/tarnlnk/TVK7/STATEMENTS/1226/10234.1226.PDF" | cut -d' ' -f1)
[ "$sha" = "$archived" ] || fail "journalctl -u brevix@7 BREVIX_ACCOUNT=10234 gives the SHA-256 \"$sha\", not the archive copy's $archived"
grep -q "	10234	.*	$archived	STMT_10234.TXT	mailed	" "$store"/history/*.txt || fail "10234 is not in the delivery record: $(cat "$store"/history/*.txt)"
echo "-- systemctl status brevix@7 after a clean run"
ct systemctl status --no-pager -l brevix@7 2>/dev/null | sed -n '1,12p' || true
echo "-- journalctl -u brevix@7 -p warning after a clean run"
warnings
status=$(statusText)
case "$status" in
  *'watching \\statsrv\parlow\email7\statements\temp: '*) ;;
  *) fail "StatusText does not name \\\\statsrv\\parlow\\email7\\statements\\temp as written: $status" ;;
esac
[ -z "$(warnings)" ] || fail "warnings on a clean run"
ct journalctl -q --no-pager -o cat | grep -E 'QStandardPaths|Fontconfig error|Permission denied' && fail "complaints in the journal"
[ "$(ct stat -c %a /run/brevix-7)" = 700 ] || fail "/run/brevix-7 is not 0700"
exposure=$(ct systemd-analyze security brevix@7.service 2>/dev/null | sed -n 's/.*Overall exposure level for brevix@7.service: \([0-9.]*\).*/\1/p')
echo "systemd-analyze security brevix@7.service: ${exposure:-?}"
awk -v e="${exposure:-99}" 'BEGIN { exit !(e <= 4.0) }' || fail "exposure ${exposure:-unknown} above 4.0"

echo "== a bad statement"
printf 'X|short\r\n' >"$store/statements/temp/99999.txt"
chroot "$root" chown brevix:brevix /srv/unc/statsrv/parlow/email7/statements/temp/99999.txt 2>/dev/null ||
  chmod a+rw "$store/statements/temp/99999.txt"
until_true 20 warned 'Set aside .*99999.txt' ||
  fail "the bad statement is not among the warnings"
sleep 2
echo "-- systemctl status brevix@7 after a bad statement"
ct systemctl status --no-pager -l brevix@7 2>/dev/null | sed -n '1,12p' || true
echo "-- journalctl -u brevix@7 -p warning after a bad statement"
warnings
[ "$(warnings | grep -vc 'Set aside .*99999.txt')" -eq 0 ] || fail "other warnings than the bad statement's"
[ "$(warnings | grep -c 'Set aside')" -eq 1 ] || fail "the bad statement was reported more than once"

echo "== the archive share out of reach"
mv "$share/statsrv/tarnlnk" "$share/statsrv/tarnlnk.away"
for account in 10388 20417; do
  cp "$top/demo/share/demo/parlow/email7/statements/temp/$account.txt" "$store/statements/temp/"
  chroot "$root" chown brevix:brevix "/srv/unc/statsrv/parlow/email7/statements/temp/$account.txt" 2>/dev/null ||
    chmod a+rw "$store/statements/temp/$account.txt"
done
until_true 20 status_says 'warning: no archive copies, no \\statsrv\tarnlnk' ||
  fail "the status does not warn of the archive: $(statusText)"
[ "$(warnings | grep -cF 'No archive copy: no \\statsrv\tarnlnk ')" -eq 1 ] ||
  fail "the archive out of reach is not one warning: $(warnings | grep -c 'No archive copy')"
warnings | grep '^No archive copy' || true
mv "$share/statsrv/tarnlnk.away" "$share/statsrv/tarnlnk"

echo "== a run stopped with SIGSTOP"
pid=$(show MainPID)
ct systemctl kill --kill-whom=main --signal=SIGSTOP brevix@7 || fail "cannot stop the run with SIGSTOP"
restarted() { local now; now=$(show MainPID); [ "$now" != 0 ] && [ "$now" != "$pid" ] && [ "$(show ActiveState)" = active ]; }
until_true 30 restarted || fail "the watchdog did not restart the stopped run (MainPID $(show MainPID), $(show ActiveState))"
ct journalctl -q --no-pager -u brevix@7 -o cat | grep -m1 -i 'watchdog timeout' || fail "no watchdog timeout in the journal"

echo "== systemctl stop"
started=$(date +%s)
ct systemctl stop brevix@7 || fail "systemctl stop brevix@7 failed"
[ $(($(date +%s) - started)) -lt 10 ] || fail "systemctl stop took $(($(date +%s) - started)) s"
[ "$(show Result)" = success ] || fail "stopped with result $(show Result)"
[ "$(show ActiveState)" = inactive ] || fail "state $(show ActiveState) after stop"
stop_container

echo "== boot with the share missing"
# Nothing mounted, and no /mnt/unc at all.
chroot "$root" systemctl disable mnt-unc.mount >/dev/null 2>&1
rmdir "$root/mnt/unc"
boot
state=$(booted 90)
echo "system: $state"
[ "$state" = running ] || fail "the boot with the share missing ended ${state:-not within 90 s}"
until_true 10 status_says 'waiting for' || true
status=$(statusText)
echo "status: $status"
case "$status" in
  *'waiting for \\statsrv\parlow\email7\statements\temp: no \\statsrv\parlow (/mnt/unc/statsrv/parlow); is the share mounted?'*) ;;
  *) fail "the status does not say what is missing: $status" ;;
esac
[ "$(show ActiveState)" = active ] || fail "brevix@7 is $(show ActiveState) while the share is missing"
warnings | grep -q 'Cannot Connect to' || fail "the missing share is not a warning"
stop_container

if [ "$failed" -ne 0 ]; then
  echo "systemd test FAILED"
  exit 1
fi
echo "systemd test passed: $(basename "$deb")"
