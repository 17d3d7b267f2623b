#!/usr/bin/env bash
# Tries the Debian package as an administrator would on a fresh Debian 12: makes a minimal root
# with mmdebstrap, installs the package there with apt-get (which brings its dependencies), and
# runs man brevix, brevix --version and brevix --once on a copy of the demo share, whose PDFs
# it leaves in BUILD_FOLDER/try-in-chroot.
# As root, with Debian's mirror reachable; not part of CI.
# Usage: bash packaging/try-in-chroot.sh [BUILD_FOLDER]     (default: build)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-${BUILD_DIR:-$top/build}}" && pwd)
deb=$(ls -t "$build"/torvik_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "no package in $build: run bash packaging/check.sh $build first" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "run as root: mmdebstrap and chroot need it" >&2; exit 1; }
command -v mmdebstrap >/dev/null || { echo "mmdebstrap is missing: apt-get install mmdebstrap" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$deb" "$work/"
cp -r "$top/demo/share" "$work/share"

# The checks run inside the new root, after the package is installed.
cat >"$work/checks.sh" <<'CHECKS'
set -eu
echo "== man brevix"
MANWIDTH=80 man brevix | head -n 8
echo "== brevix --version"
brevix --version
echo "== brevix --once on the demo share"
export TORVIK_UNC_ROOT=/tmp/try/share
status=0
brevix --once --server demo --store 7 || status=$?
echo "status $status"
echo "== out folder";  ls /tmp/try/share/demo/parlow/email7/statements/out
echo "== in folder";   ls /tmp/try/share/demo/parlow/email7/in
echo "== temp folder"; ls /tmp/try/share/demo/parlow/email7/statements/temp
exit "$status"
CHECKS

# man-db is not in minbase; an administrator who reads manual pages has it.
mmdebstrap --variant=minbase --include=man-db bookworm "$work/root" http://deb.debian.org/debian \
  --customize-hook="mkdir -p \"\$1/tmp/try\" && cp -r '$work/share' '$work/checks.sh' '$deb' \"\$1/tmp/try/\"" \
  --customize-hook='chroot "$1" sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/try/torvik_*.deb"' \
  --customize-hook='chroot "$1" sh /tmp/try/checks.sh' \
  --customize-hook="copy-out /tmp/try/share/demo/parlow/email7/statements/out '$work'"
rm -rf "$build/try-in-chroot"
mv "$work/out" "$build/try-in-chroot"
echo "the package installs and runs on a fresh Debian 12 root; its PDFs are in $build/try-in-chroot"
