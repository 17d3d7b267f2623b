#!/usr/bin/env bash
# Runs Brevix on a scratch copy of the demo share: the window when a display is present,
# otherwise one headless pass. Nothing outside the scratch folder is touched.
set -euo pipefail
build=${1:?usage: run-demo.sh BUILD_FOLDER}
demo=$(cd "$(dirname "$0")" && pwd)
scratch=${BREVIX_DEMO_DIR:-${TMPDIR:-/tmp}/brevix-demo}

rm -rf "$scratch"
mkdir -p "$scratch/config/Torvik" "$scratch/cache"
cp -r "$demo/share" "$scratch/unc"
find "$scratch/unc" -name .keep -delete
if [ -d "$demo/install" ]; then cp -r "$demo/install" "$scratch/install"; else mkdir -p "$scratch/install"; fi
printf '[eStatements]\nSettings\\Host=demo\nSettings\\Directory=7\n' > "$scratch/config/Torvik/Brevix.ini"

export TORVIK_UNC_ROOT="$scratch/unc" TORVIK_HOME="$scratch/install"
export XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
store="$scratch/unc/demo/parlow/email7"

echo "Demo share: $store (server \"demo\", store 7)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening the Brevix window: press Process to mail the five waiting statements."
  "$build/mailer/brevix" || true
else
  echo "No display: processing the waiting statements once (brevix --once)."
  "$build/mailer/brevix" --once
fi

echo
echo "PDFs:          $store/statements/out"
ls -1 "$store/statements/out" | sed 's/^/  /'
echo "Mail requests: $store/in"
ls -1 "$store/in" | sed 's/^/  /'
echo "Archive:       $scratch/unc/demo/tarnlnk/TVK7/STATEMENTS/1226"
