#!/usr/bin/env bash
# Builds everything under AddressSanitizer and UndefinedBehaviorSanitizer (with the fuzz
# targets and benchmarks) and runs every test through CTest; then builds the test programs that
# run threads under ThreadSanitizer and runs them; then builds every target with g++ (preset
# gcc, optimised, warnings as errors as everywhere) and runs the tests once more.
set -euo pipefail
cd "$(dirname "$0")/.."
# PELLORA_JOBS sets how many compilers and tests run at once (default: one per core).
jobs="${PELLORA_JOBS:-$(nproc)}"
for preset in test tsan gcc; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
