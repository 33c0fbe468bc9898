#!/usr/bin/env bash
# Builds and starts simulated sewing machines on this computer (TCP on 127.0.0.1) with the
# discovery agent that answers Hoopdesk for them, so Hoopdesk can be tried without a machine.
#
#   bash scripts/simmachines.sh [N] [OPTIONS]   # N machines, 2 when not given (1 to 16)
#
# OPTIONS go to pellora-simshop: --sew-seconds S (a design takes S seconds, default 5),
# --alarm-every N (the first machine stops with an alarm every Nth design, default 3; 0: never).
#
# Then start Hoopdesk with the address it prints, for example:
#   PELLORA_SLP_ADDRESS=127.0.0.1:4270 bash scripts/run.sh
# Ctrl-C stops the machines.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-2}
shift || true
slp_port=${SIM_SLP_PORT:-4270}
cmake -S . -B build/sim -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ \
  -DCMAKE_C_COMPILER=gcc -DPELLORA_TESTS=ON -DPELLORA_BENCH=OFF >/dev/null
cmake --build build/sim -j "$(nproc)" --target pellora-simshop
echo "Start Hoopdesk with: PELLORA_SLP_ADDRESS=127.0.0.1:$slp_port bash scripts/run.sh"
exec build/sim/tests/sim/pellora-simshop --machines "$count" --slp "$slp_port" "$@"
