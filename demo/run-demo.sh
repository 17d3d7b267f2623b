#!/usr/bin/env bash
# Runs Brevix on a scratch copy of the demo share.
set -euo pipefail
build=${1:?build folder}
"$build/mailer/brevix"
