#!/usr/bin/env bash
# Builds the programs optimised and starts them: PelService runs in the foreground (started by
# hand, it serves every client of this user until a client calls Exit or Ctrl-C ends it).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
exec build/release/src/pelsrv/pelservice "$@"
