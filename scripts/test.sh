#!/usr/bin/env bash
# Sets up this machine and passes the tests: installs the Debian packages, then
# builds with warnings as errors and runs the whole suite twice, once in a plain
# build and once under AddressSanitizer and UndefinedBehaviorSanitizer, and ends
# with one summary line per run. The build trees are its own (build-test/ and
# build-test-asan/): the demo's build/ has other options, and sharing it would
# make each command recompile what the other built.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

summary=()
failed=0

# Builds and tests one tree; records its summary line and goes on either way.
run_suite() {
  local name=$1 dir=$2
  shift 2
  echo "== $name ($dir/) =="
  mkdir -p "$dir"
  local result
  if ! cmake -S . -B "$dir" -DGATEWAY_WERROR=ON -DGATEWAY_BUILD_TESTS=ON "$@" >/dev/null ||
    ! cmake --build "$dir" -j "$jobs"; then
    result="the build failed"
  elif ctest --test-dir "$dir" --output-on-failure -j "$jobs" | tee "$dir/ctest.log"; then
    result=$(grep -E 'tests passed' "$dir/ctest.log" | tail -n 1 || true)
  else
    result="FAILED: $(grep -E 'tests passed|tests failed' "$dir/ctest.log" | tail -n 1 || true)"
  fi
  [[ $result == "100% tests passed"* ]] || failed=1
  summary+=("$(printf '%-51s %s' "$name ($dir/):" "$result")")
}

run_suite "plain build" build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGATEWAY_BUILD_BENCH=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite "AddressSanitizer + UBSan build" build-test-asan -DCMAKE_BUILD_TYPE=Debug \
  -DGATEWAY_SANITIZE=ON -DGATEWAY_BUILD_BENCH=OFF

echo
printf '%s\n' "${summary[@]}"
exit "$failed"
