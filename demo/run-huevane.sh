#!/usr/bin/env bash
# Runs Huevane with the demo store's logos ("Torvik Hardware") unless TORVIK_HOME names others.
set -euo pipefail
build=${1:?build folder}
export TORVIK_HOME=${TORVIK_HOME:-$(cd "$(dirname "$0")" && pwd)/install}
exec "$build/colours/huevane"
