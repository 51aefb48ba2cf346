#!/usr/bin/env bash
# Sets up this machine and passes the tests: installs the Debian packages, then
# builds with warnings as errors and runs the whole suite twice, once in a plain
# build and once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DGATEWAY_WERROR=ON -DGATEWAY_BUILD_TESTS=ON -DGATEWAY_BUILD_BENCH=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== plain build =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DGATEWAY_SANITIZE=ON -DGATEWAY_BUILD_BENCH=OFF
