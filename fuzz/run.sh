#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each in turn: FUZZ_SECONDS each (default 60), or
# FUZZ_RUNS executions each when that is set. New inputs go to a scratch corpus, never into
# the seeds. Fails on the first crash, leak or failed check; the input is left in the build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
targets=(statement_reader invoice_detail_reader email_request)

CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTORVIK_FUZZ=ON -DTORVIK_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/%/_fuzz}"

if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); else limit=(-max_total_time="${FUZZ_SECONDS:-60}"); fi
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for t in "${targets[@]}"; do
  scratch="$build/fuzz-corpus/$t"
  log="$build/fuzz-$t.log"
  mkdir -p "$scratch"
  echo "== $t"
  if ! "$build/fuzz/${t}_fuzz" "${limit[@]}" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$build/crash-$t-" "$scratch" "$top/fuzz/corpus/$t" >"$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz target $t failed; the input is in $build/crash-$t-*" >&2
    exit 1
  fi
  grep -E "^Done [0-9]+ runs|stat::number_of_executed_units" "$log"
done
