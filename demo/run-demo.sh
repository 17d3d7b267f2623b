#!/usr/bin/env bash
# Runs Brevix on a scratch copy of the demo share: the window when a display is present,
# otherwise one headless pass. Nothing outside the scratch folder is touched. The scratch
# settings stay from one run to the next, so the colours chosen with run-huevane.sh show.
set -euo pipefail
build=${1:?usage: run-demo.sh BUILD_FOLDER}
demo=$(cd "$(dirname "$0")" && pwd)
scratch=${BREVIX_DEMO_DIR:-${TMPDIR:-/tmp}/brevix-demo}

rm -rf "$scratch/unc" "$scratch/install" "$scratch/cache"
mkdir -p "$scratch/config/Torvik" "$scratch/cache"
cp -r "$demo/share" "$scratch/unc"
find "$scratch/unc" -name .keep -delete
if [ -d "$demo/install" ]; then cp -r "$demo/install" "$scratch/install"; else mkdir -p "$scratch/install"; fi
printf '[eStatements]\nSettings\\Host=demo\nSettings\\Directory=7\n' > "$scratch/config/Torvik/Brevix.ini"

export TORVIK_UNC_ROOT="$scratch/unc" TORVIK_HOME="$scratch/install"
export XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
store="$scratch/unc/demo/parlow/email7"
archive="$scratch/unc/demo/tarnlnk/TVK7/STATEMENTS"

echo "Demo share: $store (server \"demo\", store 7)"
if [ -f "$scratch/config/Torvik/Mailvoy.ini" ]; then
  echo "Statement colours: those chosen in Huevane ($scratch/config/Torvik/Mailvoy.ini)"
fi
# What each statement is, read before the run takes it: account, statement reference, and
# whether its first record carries the mark "A" (not to be mailed).
statements=$(cd "$store/statements/temp" && for f in *; do
  tr -d '\r' < "$f" | awk -F'\t' -v file="$f" '
    $1 == "*" { mark = (NF == 9 && $9 == "A") } $1 == "H" { account = $7 } $1 == "E" { ref = $3 }
    END { print file "\t" account "\t" ref "\t" mark }'
done)

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Opening the Brevix window: press Process to mail the five waiting statements."
  "$build/mailer/brevix" || true
else
  echo "No display: processing the waiting statements once (brevix --once)."
  "$build/mailer/brevix" --once
fi

echo
echo "Statements:"
while IFS=$'\t' read -r file account ref mark; do
  account=$(echo "$account" | tr -d ' ') pdf="$account.$ref.PDF"
  if [ -e "$store/statements/temp/$file" ]; then
    echo "  $file: still waiting in the temp folder (not processed)"
  elif [ -f "$store/in/STMT_$account.TXT" ]; then
    to=$(tr -d '\r' < "$store/in/STMT_$account.TXT" | iconv -f WINDOWS-1252 -t UTF-8 | sed -n 's/^MAILTO=//p')
    echo "  $file: account $account, mailed to $to (request in/STMT_$account.TXT, PDF statements/out/$pdf)"
  elif [ "$mark" = 1 ]; then
    echo "  $file: account $account, filed without mail: its \"*\" record ends in \"A\", the mark of a statement not to be mailed (PDF in the archive only: $ref/$pdf)"
  else
    echo "  $file: account $account, filed without a mail request (see Brevix's messages above)"
  fi
done <<< "$statements"
echo
echo "PDFs:          $store/statements/out"
ls -1 "$store/statements/out" | sed 's/^/  /'
echo "Mail requests: $store/in"
ls -1 "$store/in" | sed 's/^/  /'
echo "Archive:       $archive/1226"
echo "Delivery record: TORVIK_UNC_ROOT=$scratch/unc XDG_CONFIG_HOME=$scratch/config $build/mailer/brevix --history [ACCOUNT]"
