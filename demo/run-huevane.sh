#!/usr/bin/env bash
# Runs Huevane with the demo store's logos ("Torvik Hardware") unless TORVIK_HOME names others,
# on the demo's scratch settings: the colours chosen are those the next run-demo.sh prints with.
set -euo pipefail
build=${1:?build folder}
scratch=${BREVIX_DEMO_DIR:-${TMPDIR:-/tmp}/brevix-demo}
export TORVIK_HOME=${TORVIK_HOME:-$(cd "$(dirname "$0")" && pwd)/install}
export XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
"$build/colours/huevane"
echo "Colours saved in $XDG_CONFIG_HOME/Torvik/Mailvoy.ini; bash $(dirname "$0")/run-demo.sh $build prints the statements with them."
