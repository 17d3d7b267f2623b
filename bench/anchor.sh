#!/usr/bin/env bash
# Brevix against a plain library: the same COUNT one-page statements (default 300) filed by
# `brevix --once` (PDF, archive copy, mail request, as in a store) and drawn by the ReportLab
# anchor (one PDF each), one after the other. Prints both rates and their ratio.
# Usage: bench/anchor.sh [BUILD_FOLDER] [COUNT] [FOLDER]
#   FOLDER: where the share lies (default $TMPDIR or /tmp); give a disk folder to measure a disk share.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
count=${2:-300}
anchor=${ANCHOR:-$(cd "$(dirname "$0")/../.." && pwd)/shared/anchors/reportlab_statements.py}
[ -r "$anchor" ] || anchor=/work/shared/anchors/reportlab_statements.py
scratch=$(mktemp -d "${3:-${TMPDIR:-/tmp}}/brevix-anchor.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

store="$scratch/unc/host/parlow/email7"
mkdir -p "$store/statements/temp" "$store/statements/tempdet" "$store/statements/out" "$store/in" \
  "$scratch/unc/host/tarnlnk/TVK7/STATEMENTS/0105" "$scratch/config" "$scratch/install" "$scratch/anchor-in" "$scratch/anchor-out"
bash "$(dirname "$0")/drop_statements.sh" "$store/statements/temp" "$count"
cp "$store/statements/temp/"*.txt "$scratch/anchor-in/"
# The files lie ready before the run: the settle time (SETTLE_MS, default 0 here) is a wait of
# its own at the start of a run, not a cost per statement.
mkdir -p "$scratch/config/Torvik"
printf '[eStatements]\nSettings\\SettleMs=%s\n' "${SETTLE_MS:-0}" > "$scratch/config/Torvik/Brevix.ini"
sync

export TORVIK_UNC_ROOT="$scratch/unc" TORVIK_HOME="$scratch/install" XDG_CONFIG_HOME="$scratch/config"
start=$(date +%s.%N)
"${BREVIX:-$build/mailer/brevix}" --once --server host --store 7 > "$scratch/done.txt"
end=$(date +%s.%N)
done_count=$(wc -l < "$scratch/done.txt")
[ "$done_count" -eq "$count" ] || { echo "brevix filed only $done_count of $count statements" >&2; exit 1; }

anchor_line=$(/usr/bin/python3 "$anchor" "$scratch/anchor-in" "$scratch/anchor-out")
anchor_rate=$(echo "$anchor_line" | sed -n 's/.*: \([0-9.]*\) statements\/s.*/\1/p')

awk -v n="$count" -v s="$start" -v e="$end" -v a="$anchor_rate" -v fs="$(stat -f -c %T "$scratch")" 'BEGIN {
  b = n / (e - s)
  printf "share:            %s (%s)\n", ENVIRON["TORVIK_UNC_ROOT"], fs
  printf "brevix --once:    %d statements in %.2f s, %.1f statements/s\n", n, e - s, b
  printf "ReportLab anchor: %.1f statements/s\n", a
  printf "ratio:            %.2fx\n", b / a
}'
