#!/usr/bin/env bash
# The test command: installs what is missing, builds the Linux program (plain, under ASan +
# UBSan and under TSan) and the Windows program (MinGW-w64), runs every test (the Windows ones
# under Wine, the dialog tests under Wine and Xvfb), the packages (installed, run, checked with
# lintian and removed) and a short run of every fuzz target (clang build in build/fuzz), and
# ends with one line "N passed, N failed".
# Exits non-zero when anything fails.
set -u
source "$(dirname "$0")/lib/setup.sh"
mkdir -p "$BUILD/results"
cd "$ROOT"

ensure_packages "${REQUIRED_PACKAGES[@]}" || exit 1

status=0
configure linux -DCMAKE_BUILD_TYPE=RelWithDebInfo && build linux || status=1
configure asan -DCMAKE_BUILD_TYPE=Debug -DQR_SANITIZE=address,undefined && build asan || status=1
configure tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQR_SANITIZE=thread && build tsan || status=1
configure win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" &&
  build win || status=1

passed=0
failed=0

# run_program LABEL COMMAND...: runs one GoogleTest program, its exit code kept beside its log.
run_program() {
  local label=$1
  shift
  # Relative to the project folder, so that Wine's programs write it to the same place.
  local xml=build/results/$label.xml
  rm -f "$xml"
  log "running $label"
  "$@" --gtest_output="xml:$xml" >"$BUILD/results/$label.log" 2>&1
  echo $? >"$BUILD/results/$label.code"
}

# tally LABEL: adds the counts of a program run by run_program.
tally() {
  local label=$1
  local xml=build/results/$label.xml
  local code
  code=$(cat "$BUILD/results/$label.code" 2>/dev/null || echo 1)
  local tests=0 failures=0 errors=0
  if [ -f "$xml" ]; then
    local head
    head=$(grep -m1 '<testsuites' "$xml")
    tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$head")
    failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$head")
    errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$head")
  fi
  local bad=$((failures + errors))
  if [ "$code" -ne 0 ] && [ "$bad" -eq 0 ]; then bad=1; fi  # crashed or never started
  passed=$((passed + tests - failures - errors))
  failed=$((failed + bad))
  if [ "$bad" -ne 0 ]; then
    log "$label: $bad failed (exit $code)"
    grep -E '^\[  FAILED  \]|Failure|ERROR|Sanitizer' "$BUILD/results/$label.log" | head -n 40 >&2
  fi
  log "$label: $((tests - failures - errors)) passed"
}

run_gtest() {
  run_program "$@"
  tally "$1"
}

# run_screen_tests LABEL SCRIPT ARGUMENTS...: a script of Windows cases on a virtual screen,
# which prints "PASS name" or "FAIL name: why" for each case.
run_screen_tests() {
  local label=$1
  shift
  local log=$BUILD/results/$label.log
  log "running $label"
  xvfb-run -a -s "-screen 0 1024x768x24" "$@" >"$log" 2>&1
  local code=$?
  local good bad
  good=$(grep -c '^PASS ' "$log")
  bad=$(grep -c '^FAIL ' "$log")
  if [ "$code" -ne 0 ] && [ "$bad" -eq 0 ]; then bad=1; fi
  passed=$((passed + good))
  failed=$((failed + bad))
  if [ "$bad" -ne 0 ]; then
    log "$label: $bad failed (exit $code)"
    grep -v '^PASS ' "$log" | head -n 40 >&2
  fi
  log "$label: $good passed"
}

# The fuzz targets, a few seconds each from the seeds and the corpus of earlier runs: each
# target is one test.
run_fuzz_targets() {
  local log=$BUILD/results/fuzz.log
  log "running the fuzz targets"
  "$ROOT/scripts/fuzz.sh" "${QR_FUZZ_SECONDS:-4}" >"$log" 2>&1
  local code=$?
  local good bad
  good=$(grep -c '^PASS ' "$log")
  bad=$(grep -c '^FAIL ' "$log")
  if [ "$code" -ne 0 ] && [ "$bad" -eq 0 ]; then bad=1; fi  # the build failed
  passed=$((passed + good))
  failed=$((failed + bad))
  if [ "$bad" -ne 0 ]; then
    log "fuzz: $bad failed (exit $code)"
    grep -v '^PASS ' "$log" | tail -n 40 >&2
  fi
  log "fuzz: $good passed"
}

# The integration tests wait mostly on the displays' own pauses and line time on real ptys,
# hardly using the processor: the three configurations' runs, each cut into shards, wait side
# by side, while the unit tests run one after the other.
SHARDS=3
integration=()
for config in linux asan tsan; do
  program=$BUILD/$config/tests/integration_tests
  [ -x "$program" ] || continue
  for ((shard = 0; shard < SHARDS; shard++)); do
    label=$config-integration_tests-$shard
    GTEST_TOTAL_SHARDS=$SHARDS GTEST_SHARD_INDEX=$shard run_program "$label" "$program" &
    integration+=("$label")
  done
done
for config in linux asan tsan; do
  for program in "$BUILD/$config"/tests/*_tests; do
    [ "$(basename "$program")" = integration_tests ] && continue
    [ -x "$program" ] && run_gtest "$config-$(basename "$program")" "$program"
  done
done
wait
for label in "${integration[@]}"; do tally "$label"; done

if [ -d "$BUILD/win/tests" ]; then
  wine_env
  trap stop_wine_fixtures EXIT
  start_wine_fixtures || failed=$((failed + 1))
  for program in "$BUILD/win"/tests/*_tests.exe; do
    [ -f "$program" ] && run_gtest "win-$(basename "$program" .exe)" wine "$program"
  done
  stop_wine_fixtures
  # The Windows dialogs driven by tests/winui, alone and in the updater's run against emulated
  # displays; screenshots of the dialogs in both languages go to build/results/screenshots.
  if [ -f "$BUILD/win/tests/winui/winui.exe" ]; then
    rm -rf "$BUILD/results/screenshots"
    run_screen_tests win-dialogs "$ROOT/tests/winui/dialog-tests.sh" "$BUILD/win" \
      "$BUILD/results/screenshots"
    run_screen_tests win-updater "$ROOT/tests/winui/updater-tests.sh" "$BUILD/win" \
      "$BUILD/linux/emulator/quorlin-emulator" "$ROOT/examples/corlet" "$BUILD/results/screenshots"
  fi
fi

# The packages a user installs (scripts/package.sh): the .deb installed, run and removed again,
# the Windows zip's program started under Wine.
log "building the packages"
if "$ROOT/scripts/package.sh" >"$BUILD/results/package.log" 2>&1; then
  wine_env
  run_screen_tests packages "$ROOT/scripts/lib/package-tests.sh" "$BUILD/packages"
else
  log "packages: not built"
  tail -n 20 "$BUILD/results/package.log" >&2
  failed=$((failed + 1))
fi

run_fuzz_targets

[ "$status" -ne 0 ] && log "a build failed" && failed=$((failed + 1))
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
