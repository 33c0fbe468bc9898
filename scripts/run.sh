#!/usr/bin/env bash
# Builds Hoopdesk and PelService optimised (nothing else) and starts Hoopdesk. PelService is
# registered, so Hoopdesk starts it on demand and it ends with Hoopdesk.
#
# Without a display, Hoopdesk is shown on a virtual X server (Xvfb) through a VNC server that
# listens on 127.0.0.1 only; the script prints how to reach it. Arguments go to Hoopdesk.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target hoopdesk pelservice
build/release/src/pelsrv/server/pelservice /RegServer
hoopdesk=build/release/src/hoopdesk/hoopdesk

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$hoopdesk" "$@"
fi

echo "No display found: showing Hoopdesk on a virtual X server through VNC (127.0.0.1 only)."
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
logs=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$logs"
}
trap cleanup EXIT INT TERM

Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

x11vnc -display ":$display" -localhost -listen 127.0.0.1 -nopw -forever -shared \
  -autoport 5900 >"$logs/x11vnc.log" 2>&1 &
pids+=($!)
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/^PORT=\([0-9]*\)$/\1/p' "$logs/x11vnc.log" | head -n1)
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "The VNC server did not start:" >&2
  cat "$logs/x11vnc.log" >&2
  exit 1
fi
echo "Connect a VNC viewer to 127.0.0.1:$port (display :$((port - 5900)))."
echo "From another computer: ssh -L $port:127.0.0.1:$port <this host>, then view 127.0.0.1:$port."
echo "Close Hoopdesk (File > Exit) or press Ctrl-C here to stop."
DISPLAY=":$display" "$hoopdesk" "$@"
