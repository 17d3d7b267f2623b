#!/usr/bin/env bash
# Drives the real programs as an operator would, under Xvfb with a window manager (openbox),
# by keys and clicks (xdotool): an access key presses its button or does nothing, and the
# attachment picker keeps what was chosen through a second Remove and an Escape.
# usage: operator_slips.sh BUILD_FOLDER [SCREENSHOT_FOLDER]
set -euo pipefail
build=$(cd "${1:?usage: operator_slips.sh BUILD_FOLDER [SCREENSHOT_FOLDER]}" && pwd)
shots=${2:-}
here=$(cd "$(dirname "$0")" && pwd)

for tool in xvfb-run openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [ -z "${SLIPS_DISPLAY_READY:-}" ]; then
  SLIPS_DISPLAY_READY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build" "$shots"
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

cp -r "$here/../../demo/share" "$work/unc"
find "$work/unc" -name .keep -delete
mkdir -p "$work/config/Torvik" "$work/cache" "$work/install" "$work/home"
printf '[eStatements]\nSettings\\Host=demo\nSettings\\Directory=7\n' > "$work/config/Torvik/Brevix.ini"
for name in first.pdf second.pdf third.pdf; do echo "$name" > "$work/home/$name"; done
store="$work/unc/demo/parlow/email7"
# Enough statements that some still wait when Exit is pressed, however soon the first tick comes.
for n in $(seq 100 160); do cp "$store/statements/temp/10234.txt" "$store/statements/temp/$n.txt"; done
export TORVIK_UNC_ROOT="$work/unc" TORVIK_HOME="$work/install" HOME="$work/home"
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
unset QT_QPA_PLATFORM

openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

fail() { echo "FAILED: $*"; shot failed; exit 1; }
shot() { [ -z "$shots" ] || { mkdir -p "$shots" && import -window root "$shots/$1.png"; }; }
window() { timeout 10 xdotool search --sync --onlyvisible --name "^$1" | head -1; }
key() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
# Clicks (or, with 2, double-clicks) at x,y pixels of the window's client area.
click() { xdotool mousemove --window "$1" "$2" "$3" click --repeat "${4:-1}" --delay 80 1; sleep 0.3; }
ended() { for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.2; done; return 1; }
start() { "$build/mailer/brevix" & brevix=$!; pids+=($brevix); main=$(window "Statement Email") || fail "no main window"; }
ini() { tr -d '\r' < "$XDG_CONFIG_HOME/Torvik/Brevix.ini" | grep -E '^Settings\\(Host|Directory)=' | sort | tr '\n' ' '; }

# 1. Focus in Server: Alt+P processes; the second Alt+P, its button greyed out, and Alt+P and
#    Alt+X in Store Number must type nothing.
start
click "$main" 150 40
key alt+p
key alt+p
click "$main" 140 72
key alt+p alt+x
shot 1-process-pressed-twice
key alt+e
[ -n "$(window Brevix)" ] || fail "no question before Exit; Brevix.ini holds $(ini)"
shot 2-exit-question
key alt+y
ended "$brevix" || fail "Brevix did not end after Exit and Yes"
[ "$(ini)" = 'Settings\Directory=7 Settings\Host=demo ' ] || fail "Brevix.ini holds $(ini)"

# 2. The picker: two files chosen, Remove pressed twice with the first selected, then Escape.
start
key alt+a
picker=$(window "File Attachment") || fail "Alt+A opened no picker"
click "$picker" 340 56 2                     # first.pdf
click "$picker" 340 74 2                     # second.pdf
click "$picker" 120 344                      # select the first chosen entry
key alt+r
key alt+r
key Escape
shot 3-picker-after-remove-twice-and-escape
[ -n "$(window "File Attachment")" ] || fail "Escape closed the picker"
key alt+e
shot 4-main-window-with-the-list
copied=$(find "$store/statements/out" -name '*.pdf' -printf '%f ')
[ "$copied" = "second.pdf " ] || fail "the picker copied: $copied"
key alt+e
[ -n "$(window Brevix)" ] || fail "no question before Exit; Brevix.ini holds $(ini)"
key alt+y
ended "$brevix" || fail "Brevix did not end after Exit and Yes"
echo "passed: access keys typed nothing; Remove twice removed one file; Escape kept the picker open"
