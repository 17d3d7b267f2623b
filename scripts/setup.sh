#!/usr/bin/env bash
# Sets up Brevix and Huevane on Debian 12: installs the system packages that are missing,
# builds, then runs the demo ("demo") or the whole test suite ("test").
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
mode=${1:-}

packages=(
  build-essential cmake pkg-config git
  qt6-base-dev libgl1-mesa-dev libsystemd-dev
  fonts-liberation fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils libpoppler-cpp-dev mupdf-tools qpdf
  libharfbuzz-dev libfontconfig-dev libdeflate-dev libssl-dev
  python3-reportlab
  xvfb xauth openbox xdotool imagemagick
  clang libclang-rt-14-dev
  lintian desktop-file-utils systemd man-db
  samba smbnetfs fuse3 iproute2 prometheus-node-exporter curl
  mmdebstrap systemd-container debian-archive-keyring
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Builds the given targets, or everything (tests and benchmarks too) when none is given.
compile() {
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVIK_BENCHMARKS=ON >/dev/null
  if [ $# -gt 0 ]; then cmake --build "$build" -j "$(nproc)" --target "$@"; else cmake --build "$build" -j "$(nproc)"; fi
}

case "$mode" in
  demo)
    install_missing
    compile brevix huevane  # the demo runs the programs only
    exec bash "$top/demo/run-demo.sh" "$build"
    ;;
  test)
    install_missing
    compile
    cd "$build"
    ctest --output-on-failure -j "$(nproc)"
    ;;
  *)
    echo "usage: $0 demo|test" >&2
    exit 2
    ;;
esac
