#!/usr/bin/env bash
# Process start of the real hoopdesk to its main window mapped on an X server, with PelService
# already running, in a private world. Needs a display; run it as
#   xvfb-run -a bash bench/hoopdesk/measure_window.sh [build/release]
# Prints one figure per run; nothing is asserted.
set -euo pipefail
build=${1:-build/release}
hoopdesk=$(realpath "$build/src/hoopdesk/hoopdesk")
pelservice=$(realpath "$build/src/pelsrv/server/pelservice")
world=$(mktemp -d /tmp/pellora-measure-XXXXXX)
mkdir -p "$world/home" "$world/run" "$world/config"
chmod 700 "$world/run"
export PELLORA_HOME=$world/home XDG_RUNTIME_DIR=$world/run XDG_CONFIG_HOME=$world/config
export PELLORA_INSTANCE=measure HOME=$world
"$pelservice" >"$world/pelservice.log" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$world"' EXIT
sleep 0.5
for run in 1 2 3 4 5; do
  start=$(date +%s%N)
  "$hoopdesk" >/dev/null 2>&1 &
  program=$!
  until xdotool search --onlyvisible --name '^Hoopdesk$' >/dev/null 2>&1; do :; done
  end=$(date +%s%N)
  echo "run $run: process start to main window shown $(((end - start) / 1000000)) ms"
  sleep 0.5
  kill "$program"
  wait "$program" 2>/dev/null || true
done
