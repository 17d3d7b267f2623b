#!/usr/bin/env bash
# Soak: COUNT one-page statements (default 10,000) through the real `brevix --once` on a local
# share. Prints statements per second (overall, and over the first and the last tenth), the
# resident memory after the first 100 statements, the highest after that, and the peak.
# Usage: bench/soak.sh [BUILD_FOLDER] [COUNT]; BREVIX=path runs another build of the program;
# OUT_FILES=N fills the out folder with N earlier PDFs first (a store's years of statements).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
count=${2:-10000}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/brevix-soak.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

store="$scratch/unc/host/parlow/email7"
mkdir -p "$store/statements/temp" "$store/statements/tempdet" "$store/statements/out" "$store/in" \
  "$scratch/unc/host/tarnlnk/TVK7/STATEMENTS/0105" "$scratch/config" "$scratch/install"
bash "$(dirname "$0")/drop_statements.sh" "$store/statements/temp" "$count"
if [ "${OUT_FILES:-0}" -gt 0 ]; then
  (cd "$store/statements/out" && seq -f '%.0f.0105.PDF' 5000001 $((5000000 + OUT_FILES)) | xargs touch)
fi
sync  # the first flush of the run must not write out the statements just dropped

# The statements lie ready before the run: no settle wait (SETTLE_MS sets one).
mkdir -p "$scratch/config/Torvik"
printf '[eStatements]\nSettings\\SettleMs=%s\n' "${SETTLE_MS:-0}" > "$scratch/config/Torvik/Brevix.ini"
export TORVIK_UNC_ROOT="$scratch/unc" TORVIK_HOME="$scratch/install" XDG_CONFIG_HOME="$scratch/config"
start=$(date +%s.%N)
"${BREVIX:-$build/mailer/brevix}" --once --server host --store 7 > "$scratch/done.txt" &
pid=$!
# One sample every 0.2 s: statements done, resident KiB, peak KiB, time.
while [ -r "/proc/$pid/status" ]; do
  read -r rss hwm < <(awk '/^VmRSS/{r=$2} /^VmHWM/{h=$2} END{print r+0, h+0}' "/proc/$pid/status" 2>/dev/null || echo "0 0")
  [ "$rss" -gt 0 ] && echo "$(wc -l < "$scratch/done.txt") $rss $hwm $(date +%s.%N)" >> "$scratch/samples"
  sleep 0.2
done
wait "$pid"
end=$(date +%s.%N)

done_count=$(wc -l < "$scratch/done.txt")
awk -v n="$done_count" -v s="$start" -v e="$end" '
  $1 >= 100 && base == "" { base = $2 }
  $1 >= 100 && $2 > high { high = $2 }
  { peak = $3 > peak ? $3 : peak }
  $1 >= n / 10 && t1 == "" { t1 = $4 - s; c1 = $1 }
  $1 >= n - n / 10 && t9 == "" { t9 = $4; c9 = $1 }
  END {
    t = e - s
    printf "statements:          %d in %.1f s, %.1f per second\n", n, t, n / t
    printf "first tenth:         %.1f per second\n", c1 / t1
    printf "last tenth:          %.1f per second\n", (n - c9) / (e - t9)
    printf "resident at 100:     %.1f MiB\n", base / 1024
    printf "highest after 100:   %.1f MiB (+%.1f MiB)\n", high / 1024, (high - base) / 1024
    printf "peak resident:       %.1f MiB\n", peak / 1024
  }' "$scratch/samples"
[ "$done_count" -eq "$count" ] || { echo "only $done_count of $count statements were processed" >&2; exit 1; }
