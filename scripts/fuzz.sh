#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan + UBSan) into build/fuzz and runs each
# for SECONDS seconds (default 60), starting from the seeds of the golden tests and the corpus
# the earlier runs grew (build/fuzz/corpus). Prints "PASS target" or "FAIL target" per target;
# a crash's input is kept in build/results/fuzz. Exits non-zero when a target failed.
#
#   scripts/fuzz.sh [SECONDS]
set -u
source "$(dirname "$0")/lib/setup.sh"
seconds=${1:-60}
cd "$ROOT"
mkdir -p "$BUILD/results/fuzz"

# libFuzzer and the sanitizer runtimes are only recommended by clang.
ensure_packages clang libclang-rt-dev python3 || exit 1
configure fuzz -DCMAKE_BUILD_TYPE= -DQR_FUZZ=ON -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ && build fuzz || exit 1

corpus=$BUILD/fuzz/corpus
python3 "$ROOT/fuzz/make-seeds.py" "$corpus" || exit 1

failed=0
for target in "$BUILD"/fuzz/fuzz/*_fuzzer; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  log=$BUILD/results/fuzz/$name.log
  # -timeout: one input that takes seconds is a hang; the clock is virtual, so none should.
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$BUILD/results/fuzz/$name-" "$corpus/$name" >"$log" 2>&1
  if [ $? -eq 0 ]; then
    echo "PASS $name $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" |
      grep -o '[0-9]*$') runs"
  else
    echo "FAIL $name (see $log)"
    grep -m1 -E 'ERROR|runtime error|deadly signal|timeout' "$log" >&2
    failed=$((failed + 1))
  fi
done
[ "$failed" -eq 0 ]
