#!/usr/bin/env bash
# Drives the real Brevix as an operator would, under Xvfb with openbox, by keys and clicks: an
# access key presses its button or does nothing, and the attachment picker keeps what was chosen
# through a second Remove and an Escape.  usage: operator_slips.sh BUILD_FOLDER [SCREENSHOT_FOLDER]
set -euo pipefail
build=$(cd "$1" && pwd) shots=${2:-} here=$(cd "$(dirname "$0")" && pwd)
for tool in xvfb-run openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -n "${SLIPS_DISPLAY:-}" ] || SLIPS_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build" "$shots"

work=$(mktemp -d) pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$here/../../demo/share" "$work/unc"
store="$work/unc/demo/parlow/email7"
# Enough statements that some still wait when Exit is pressed, however soon the first tick comes.
for n in $(seq 100 160); do cp "$store/statements/temp/10234.txt" "$store/statements/temp/$n.txt"; done
mkdir -p "$work/config/Torvik" "$work/home"
printf '[eStatements]\nSettings\\Host=demo\nSettings\\Directory=7\n' > "$work/config/Torvik/Brevix.ini"
for name in first second third; do echo "$name" > "$work/home/$name.pdf"; done
export TORVIK_UNC_ROOT="$work/unc" TORVIK_HOME="$work" HOME="$work/home" XDG_CONFIG_HOME="$work/config"
export XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 & pids+=($!)
sleep 1

shot() { [ -z "$shots" ] || { mkdir -p "$shots" && import -window root "$shots/$1.png"; }; }
fail() { echo "FAILED: $*"; shot failed; exit 1; }
window() { timeout 10 xdotool search --sync --onlyvisible --name "^$1" | head -1; }
key() { xdotool key --clearmodifiers "$@"; sleep 0.3; }  # a button pressed by key acts 0.1 s later
# Clicks, or with a 4th argument of 2 double-clicks, at x,y of the window's client area.
click() { xdotool mousemove --window "$1" "$2" "$3" click --repeat "${4:-1}" --delay 80 1; sleep 0.3; }
start() { "$build/mailer/brevix" & brevix=$!; pids+=($brevix); main=$(window "Statement Email") || fail "no window"; }
ini() { tr -d '\r' < "$work/config/Torvik/Brevix.ini" | grep -E '^Settings\\(Host|Directory)=' | sort | tr '\n' ' '; }
leave() {  # Exit, answered Yes
  key alt+e
  [ -n "$(window Brevix)" ] || fail "no question at Exit; Brevix.ini holds $(ini)"
  shot "$1" && key alt+y && timeout 10 tail --pid="$brevix" -f /dev/null || fail "Brevix did not end after Yes"
}

# Alt+P in Server processes; a second Alt+P (its button greyed out) and Alt+P, Alt+X in Store
# Number must type nothing, so Exit saves what the boxes held.
start
click "$main" 150 40
key alt+p
key alt+p
click "$main" 140 72
key alt+p alt+x
shot 1-process-pressed-twice
leave 2-exit-question
[ "$(ini)" = 'Settings\Directory=7 Settings\Host=demo ' ] || fail "Brevix.ini holds $(ini)"

# Two files chosen, the first selected, Remove twice, Escape: the picker stays, holding the second.
start
key alt+a
picker=$(window "File Attachment") || fail "Alt+A opened no picker"
click "$picker" 340 56 2
click "$picker" 340 74 2
click "$picker" 120 344
key alt+r
key alt+r
key Escape
shot 3-picker-after-remove-twice-and-escape
[ -n "$(window "File Attachment")" ] || fail "Escape closed the picker"
key alt+e
shot 4-main-window-with-the-list
copied=$(find "$store/statements/out" -name '*.pdf' -printf '%f ')
[ "$copied" = "second.pdf " ] || fail "the picker copied: $copied"
leave 5-exit-again
echo "passed: access keys typed nothing; Remove twice removed one file; Escape kept the picker open"
