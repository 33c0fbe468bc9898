#!/usr/bin/env bash
# Builds the programs optimised and starts them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
