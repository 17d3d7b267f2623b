#!/usr/bin/env bash
# Drops COUNT one-page statements (accounts FIRST, FIRST + 1, ...; FIRST defaults to 100001) into
# FOLDER, as the benchmarks share them.
# Usage: bench/drop_statements.sh FOLDER COUNT [FIRST]
set -euo pipefail
folder=${1:?usage: drop_statements.sh FOLDER COUNT [FIRST]}
count=${2:?usage: drop_statements.sh FOLDER COUNT [FIRST]}
first=${3:-100001}
lines=""
for i in $(seq 1 25); do
  lines+="D\t06/01/26\t$((1000 + i))\tBolts and washers\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\r\n"
done
for i in $(seq "$first" $((first + count - 1))); do
  printf "*\tTORVIK HARDWARE\t12 Mill Rd\tSpringfield OR\t\tThank you\t\t\r\nH\tAcme Corp\t1 Main St\tEugene OR 97401\t\t06/30/26\t$i\t150.00\r\nE\tap@acme.example\t0105\tar@torvik.example\t\t\t\r\n${lines}F\t10.00\t0.00\t10.00\t0.00\t0.00\t0.00\t10.00\t10.00\r\n" \
    > "$folder/$i.txt"
done
