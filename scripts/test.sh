#!/usr/bin/env bash
# Builds everything and runs all tests.
#   bash scripts/test.sh              with g++ (build/)
#   bash scripts/test.sh --sanitize   with clang, AddressSanitizer (leaks included) and
#                                     UndefinedBehaviorSanitizer (float-cast-overflow included),
#                                     every report a failure (build-sanitize/)
set -euo pipefail
cd "$(dirname "$0")/.."
mode=()
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  mode=(--sanitize)
  dir=build-sanitize
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
bash scripts/build.sh "${mode[@]}"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
