#!/usr/bin/env bash
# Builds everything under AddressSanitizer and UndefinedBehaviorSanitizer (with the fuzz
# targets and benchmarks) and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset test >/dev/null
cmake --build --preset test -j "$(nproc)"
ctest --preset test
