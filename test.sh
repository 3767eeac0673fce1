#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test (window tests offscreen).
# Also builds the suite with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs
# it first; `./test.sh --quick` skips that.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh
marvento_install_missing
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

if [ "${1:-}" != "--quick" ]; then
  echo "== Sanitizer build (build-asan/)"
  marvento_build build-asan -DCMAKE_BUILD_TYPE=Debug -DMARVENTO_SANITIZE=ON
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure --parallel "$jobs" --timeout 900
fi

echo "== Build (build/)"
marvento_build build
ctest --test-dir build --output-on-failure --parallel "$jobs" --timeout 600
