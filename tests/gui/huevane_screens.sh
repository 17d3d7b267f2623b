#!/usr/bin/env bash
# Huevane on a 1024x768 screen under Xvfb with openbox, at scale 1 (no logo files: the panes say
# where they go) and at QT_SCALE_FACTOR=2 (the demo's logos): the window and every control that
# takes the focus lie on the screen.  usage: huevane_screens.sh BUILD_FOLDER [SCREENSHOT_FOLDER]
set -euo pipefail
build=$(cd "$1" && pwd) shots=${2:-} here=$(cd "$(dirname "$0")" && pwd)
for tool in xvfb-run openbox; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -n "${SCREENS_DISPLAY:-}" ] || SCREENS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build" "$shots"

work=$(mktemp -d) pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
[ -z "$shots" ] || { mkdir -p "$shots"; shots=$(cd "$shots" && pwd); rm -f "$shots"/huevane-*.png; }
mkdir -p "$work/nologo"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1
for run in "1 $work/nologo" "2 $here/../../demo/install"; do
  read -r scale home <<< "$run"
  QT_SCALE_FACTOR=$scale TORVIK_HOME=$home HUEVANE_SHOTS=${shots:+$shots/huevane-scale$scale} \
    "$build/tests/colours/huevane_screen_check" || { echo "FAILED at scale $scale"; exit 1; }
done
echo "passed: Huevane and its controls lie on the screen at scale 1 and 2"
