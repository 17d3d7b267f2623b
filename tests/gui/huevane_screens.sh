#!/usr/bin/env bash
# Huevane on a 1024x768 screen under Xvfb with openbox, at scale 1 (no logo files: the panes say
# where they go) and at QT_SCALE_FACTOR=2 (the demo's logos): the window and every control that
# takes the focus lie on the screen, and the real program opens on it and closes with Alt+L.
# usage: huevane_screens.sh BUILD_FOLDER [SCREENSHOT_FOLDER]
set -euo pipefail
build=$(cd "$1" && pwd) shots=${2:-} here=$(cd "$(dirname "$0")" && pwd)
for tool in xvfb-run openbox xdotool import; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -n "${SCREENS_DISPLAY:-}" ] || SCREENS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build" "$shots"

work=$(mktemp -d) pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
[ -z "$shots" ] || { mkdir -p "$shots"; shots=$(cd "$shots" && pwd); rm -f "$shots"/huevane-*.png; }
mkdir -p "$work/nologo" "$work/config" "$work/cache"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1

fail() { echo "FAILED: $*"; exit 1; }
for run in "1 $work/nologo" "2 $here/../../demo/install"; do
  read -r scale home <<< "$run"
  export QT_SCALE_FACTOR=$scale TORVIK_HOME=$home
  HUEVANE_SHOTS=${shots:+$shots/huevane-scale$scale} "$build/tests/colours/huevane_screen_check" \
    || fail "at scale $scale a control lies off the screen"

  "$build/colours/huevane" & pid=$!; pids+=($pid)
  window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Mailvoy Color Selector' | head -1) \
    || fail "no window at scale $scale"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  frame=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9].*' | tr -d ' ' || true)
  IFS=, read -r left right top bottom <<< "${frame:-0,0,0,0}"
  (( X - left >= 0 && Y - top >= 0 && X + WIDTH + right <= 1024 && Y + HEIGHT + bottom <= 768 )) \
    || fail "at scale $scale the window lies at $X,$Y ${WIDTH}x$HEIGHT, frame $frame"
  [ -z "$shots" ] || import -window root "$shots/huevane-scale$scale-program.png"
  xdotool key --clearmodifiers alt+l
  timeout 10 tail --pid="$pid" -f /dev/null || fail "Alt+L did not close Huevane at scale $scale"
  [ -s "$XDG_CONFIG_HOME/Torvik/Mailvoy.ini" ] || fail "closing saved no colours"
  echo "scale $scale: window at $X,$Y ${WIDTH}x$HEIGHT inside 1024x768"
done
echo "passed: Huevane and its controls lie on the screen at scale 1 and 2"
