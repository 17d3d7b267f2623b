#!/usr/bin/env bash
# Bounded memory: renders one statement of LINES lines (default 2,000,000) with `brevix --render`
# under a virtual memory limit (default 256 MiB) and prints the time, the peak resident memory
# and the pages written. Fails when the render fails or the limit is hit.
# Usage: bench/big_statement.sh [BUILD_FOLDER] [LINES] [LIMIT_MIB]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
lines=${2:-2000000}
limit=${3:-256}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/brevix-big.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

{
  printf '*\tTORVIK HARDWARE\t12 Mill Rd\tSpringfield OR\t\tThank you\t\t\r\n'
  printf 'H\tAcme Corp\t1 Main St\tEugene OR 97401\t\t06/30/26\t12345\t150.00\r\n'
  printf 'E\tap@acme.example\t0105\tar@torvik.example\t\t\t\r\n'
  awk -v n="$lines" 'BEGIN { for (i = 0; i < n; i++)
    printf "D\t06/01/26\t%d\tBolts and washers\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\r\n", 1000000 + i }'
  printf 'F\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\t10.00\r\n'
} > "$scratch/big.txt"

export TORVIK_UNC_ROOT="$scratch" TORVIK_HOME="$scratch" XDG_CONFIG_HOME="$scratch" QT_QPA_PLATFORM=offscreen
(
  ulimit -v $((limit * 1024))
  /usr/bin/time -f "%e %M" -o "$scratch/time" "${BREVIX:-$build/mailer/brevix}" --render "$scratch/big.txt" -o "$scratch/big.pdf" > /dev/null
)
read -r seconds peak < "$scratch/time"
pages=$(grep -ac '/Type /Page /Parent' "$scratch/big.pdf" || true)
awk -v lines="$lines" -v in_bytes="$(stat -c %s "$scratch/big.txt")" -v s="$seconds" -v limit="$limit" \
  -v peak="$peak" -v pages="$pages" -v out_bytes="$(stat -c %s "$scratch/big.pdf")" 'BEGIN {
  printf "statement:     %d lines, %.1f MiB\n", lines, in_bytes / 1048576
  printf "render:        %s s under ulimit -v %d MiB\n", s, limit
  printf "peak resident: %.1f MiB\n", peak / 1024
  printf "PDF:           %d pages, %.1f MiB\n", pages, out_bytes / 1048576
}'
