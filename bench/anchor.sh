#!/usr/bin/env bash
# Brevix against a plain library, in the case of a store with a logo: the same COUNT one-page
# statements (default 300, one per account) filed by `brevix --once` (PDF, archive copy, mail
# request, as in a store) and drawn by the ReportLab anchor (one PDF each), one after the other,
# both with the store's logo (the demo's stmtlogo in the install folder; ANCHOR_LOGO for the
# anchor). RUNS times (default 1) on fresh shares; prints each run's rates and ratio, and for
# several runs their min/median/max and the load average.
# Usage: bench/anchor.sh [BUILD_FOLDER] [COUNT] [FOLDER]
#   FOLDER: where the share lies (default $TMPDIR or /tmp); give a disk folder to measure a disk share.
#   LOGO=FILE uses another logo, LOGO= none (the case of a store without a logo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
count=${2:-300}
runs=${RUNS:-1}
logo=${LOGO-$here/../demo/install/stmtlogo}
anchor=${ANCHOR:-$(cd "$here/../.." && pwd)/shared/anchors/reportlab_statements.py}
[ -r "$anchor" ] || anchor=/work/shared/anchors/reportlab_statements.py
scratch=$(mktemp -d "${3:-${TMPDIR:-/tmp}}/brevix-anchor.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fs_type=$(stat -f -c %T "$scratch")

one_run() {
  local share="$scratch/run$1"
  local store="$share/unc/host/parlow/email7"
  mkdir -p "$store/statements/temp" "$store/statements/tempdet" "$store/statements/out" "$store/in" \
    "$share/unc/host/tarnlnk/TVK7/STATEMENTS/0105" "$share/config/Torvik" "$share/install" "$share/anchor-in" "$share/anchor-out"
  bash "$here/drop_statements.sh" "$store/statements/temp" "$count"
  cp "$store/statements/temp/"*.txt "$share/anchor-in/"
  [ -z "$logo" ] || cp "$logo" "$share/install/stmtlogo"
  # The files lie ready before the run: the settle time (SETTLE_MS, default 0 here) is a wait of
  # its own at the start of a run, not a cost per statement.
  printf '[eStatements]\nSettings\\SettleMs=%s\n' "${SETTLE_MS:-0}" > "$share/config/Torvik/Brevix.ini"
  sync

  local start end done_count anchor_line
  start=$(date +%s.%N)
  TORVIK_UNC_ROOT="$share/unc" TORVIK_HOME="$share/install" XDG_CONFIG_HOME="$share/config" \
    "${BREVIX:-$build/mailer/brevix}" --once --server host --store 7 > "$share/done.txt"
  end=$(date +%s.%N)
  done_count=$(wc -l < "$share/done.txt")
  [ "$done_count" -eq "$count" ] || { echo "brevix filed only $done_count of $count statements" >&2; exit 1; }
  anchor_line=$(ANCHOR_LOGO="$logo" /usr/bin/python3 "$anchor" "$share/anchor-in" "$share/anchor-out")
  awk -v n="$count" -v s="$start" -v e="$end" \
    -v a="$(echo "$anchor_line" | sed -n 's/.*: \([0-9.]*\) statements\/s.*/\1/p')" \
    'BEGIN { printf "%.1f %.1f %.2f\n", n / (e - s), a, n / (e - s) / a }'
  rm -rf "$share"
}

echo "share:            $scratch ($fs_type), $count statements, logo: ${logo:-none}"
for r in $(seq 1 "$runs"); do
  read -r b a ratio < <(one_run "$r")
  printf 'run %d:            brevix --once %.1f statements/s, ReportLab anchor %.1f/s, ratio %.2fx\n' "$r" "$b" "$a" "$ratio"
  echo "$b $a $ratio" >> "$scratch/results"
done
if [ "$runs" -gt 1 ]; then
  for col in 1 2 3; do
    sort -g -k$col,$col "$scratch/results" | awk -v c=$col '{ v[NR] = $c } END {
      printf "%-17s %s / %s / %s (min / median / max)\n", (c == 1 ? "brevix:" : c == 2 ? "anchor:" : "ratio:"), v[1], v[int((NR + 1) / 2)], v[NR] }'
  done
  echo "load average:     $(cut -d' ' -f1-3 /proc/loadavg)"
fi
