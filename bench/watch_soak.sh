#!/usr/bin/env bash
# Soak of a service: the real `brevix --watch` on a local share while statements keep arriving
# (1,000 at a time, each a new account, so the out folder and the archive only grow) and a mail
# sender empties the in folder. Prints the resident memory every 10,000 statements filed (EVERY
# sets another step) and its growth since the first step; a flat service grows by little.
# Usage: bench/watch_soak.sh [BUILD_FOLDER] [COUNT] [FOLDER]
#   COUNT: statements in all (default 100,000); FOLDER: where the share lies (default $TMPDIR or /tmp).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
count=${2:-100000}
every=${EVERY:-10000}
scratch=$(mktemp -d "${3:-${TMPDIR:-/tmp}}/brevix-watch.XXXXXX")
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT

store="$scratch/unc/host/parlow/email7"
mkdir -p "$store/statements/temp" "$store/statements/tempdet" "$store/statements/out" "$store/in" \
  "$scratch/unc/host/tarnlnk/TVK7/STATEMENTS/0105" "$scratch/config/Torvik" "$scratch/install" "$scratch/staging"
[ -z "${LOGO-x}" ] || cp "${LOGO:-$here/../demo/install/stmtlogo}" "$scratch/install/stmtlogo"
printf '[eStatements]\nSettings\\SettleMs=%s\n' "${SETTLE_MS:-0}" > "$scratch/config/Torvik/Brevix.ini"
export TORVIK_UNC_ROOT="$scratch/unc" TORVIK_HOME="$scratch/install" XDG_CONFIG_HOME="$scratch/config"
"${BREVIX:-$build/mailer/brevix}" --watch --server host --store 7 > "$scratch/done.txt" 2> "$scratch/errors.txt" &
pid=$!

start=$(date +%s.%N)
dropped=0
next=$every
first_rss=""
printf '%10s %10s %12s %10s\n' statements seconds "resident MiB" growth
while :; do
  done_count=$(wc -l < "$scratch/done.txt")
  if [ "$done_count" -ge "$next" ]; then
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
    first_rss=${first_rss:-$rss}
    awk -v n="$done_count" -v t="$(date +%s.%N)" -v s="$start" -v r="$rss" -v f="$first_rss" \
      'BEGIN { printf "%10d %10.1f %12.1f %+10.1f\n", n, t - s, r / 1024, (r - f) / 1024 }'
    next=$((next + every))
  fi
  [ "$done_count" -ge "$count" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "brevix --watch ended early:" >&2; cat "$scratch/errors.txt" >&2; exit 1; }
  # Whole files only: written beside the temp folder, then renamed in.
  if [ "$dropped" -lt "$count" ] && [ "$((dropped - done_count))" -lt 2000 ]; then
    batch=$((count - dropped < 1000 ? count - dropped : 1000))
    bash "$here/drop_statements.sh" "$scratch/staging" "$batch" $((100001 + dropped))
    find "$scratch/staging" -name '*.txt' -exec mv -t "$store/statements/temp" {} +
    dropped=$((dropped + batch))
  fi
  find "$store/in" -name '*.TXT' -delete  # the mail sender
  sleep 0.2
done
echo "out folder: $(find "$store/statements/out" -name '*.PDF' | wc -l) PDFs"
