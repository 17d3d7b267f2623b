#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it as Debian's own tools do:
# lintian on the package, desktop-file-validate on its menu entries, systemd-analyze verify on
# its unit. Any error or warning fails; lintian's informational tags are shown and allowed.
# Usage: bash packaging/check.sh [BUILD_FOLDER]     (default: build)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-${BUILD_DIR:-$top/build}}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f "$build"/torvik_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(echo "$build"/torvik_"${version}"_*.deb)
echo "== $deb"
dpkg-deb -x "$deb" "$work/root"

echo "== lintian"
# Root is what CI runs as; lintian only advises against it.
if ! lintian --fail-on error,warning --display-info --pedantic --tag-display-limit 0 "$deb" \
    2> >(grep -v 'running with root privileges is not recommended' >&2); then
  echo "lintian: errors or warnings above"
  failed=1
fi

echo "== desktop-file-validate"
for entry in "$work"/root/usr/share/applications/*.desktop; do
  out=$(desktop-file-validate "$entry" 2>&1) || failed=1
  [ -z "$out" ] || echo "$out"
  if grep -qE ': (error|warning): ' <<<"$out"; then failed=1; fi
done

echo "== systemd-analyze verify"
# The unit names its program without a folder, as systemd finds it in /usr/bin or
# /usr/local/bin; here it is the program in the package, and man finds the package's page.
units="$work/units"
mkdir -p "$units"
for unit in "$work"/root/usr/lib/systemd/system/*.service; do
  sed "s|^ExecStart=brevix |ExecStart=$work/root/usr/bin/brevix |" "$unit" >"$units/$(basename "$unit")"
  out=$(MANPATH="$work/root/usr/share/man" systemd-analyze verify "$units/$(basename "$unit")" 2>&1) || failed=1
  [ -z "$out" ] || { echo "$out"; failed=1; }
done

if [ "$failed" -ne 0 ]; then
  echo "packaging check FAILED"
  exit 1
fi
echo "packaging check passed: $(basename "$deb")"
