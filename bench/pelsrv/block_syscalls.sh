#!/bin/bash
# The server's system calls per block of a 1,000,000-stitch send: runs blocktransfer_bench's
# server case with pelservice traced and counts, for each send, the calls of all the server's
# threads from its header frame to its last data frame, per data frame.
#
#   bench/pelsrv/block_syscalls.sh [--perf] [--service PELSERVICE] [BENCH]
#
# strace (the default) slows every call down, which changes how often threads find work
# waiting; --perf counts with the kernel's syscall tracepoint (perf record) at nearly full speed.
# --service traces another pelservice build in place of the one the benchmark was built with
# (to compare two versions of the server with the same benchmark).
set -euo pipefail
tool=strace
service=
while [[ ${1:-} == --* ]]; do
  case $1 in
    --perf) tool=perf; shift ;;
    --service) service=$(realpath "$2"); shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
bench=${1:-build/release/bench/pelsrv/blocktransfer_bench}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# The benchmark puts its own server's path after the wrapper; a shim runs the other one instead.
shim=
if [[ -n $service ]]; then
  printf '#!/bin/sh\nshift\nexec %q "$@"\n' "$service" >"$dir/service"
  chmod +x "$dir/service"
  shim=$dir/service
fi

# Each call as one line: "<seconds> <name> <frame>", frame 1 for a 521-byte send, 2 for the
# header frame of a send (strace only; perf tells a new send by the pause before it).
if [[ $tool == strace ]]; then
  PELLORA_SERVICE_WRAPPER="strace -f -ttt -o $dir/trace $shim" "$bench" \
    --benchmark_filter=SendThroughServer >/dev/null 2>&1
  # A call that another thread interrupts shows as "<unfinished ...>" and "<... resumed>": it
  # is counted once.
  awk '/ resumed>/ || / (\+\+\+|---) / { next }
    {
      name = $3; sub(/\(.*/, "", name)
      frame = ($0 ~ / (sendto|write)\(/ && $0 ~ /, 521(, |\) = )/) ? 1 : 0
      if (frame && $0 ~ /, "B\\0/) frame = 2
      print $2, name, frame
    }' "$dir/trace" >"$dir/calls"
else
  PELLORA_SERVICE_WRAPPER="perf record -q -e raw_syscalls:sys_enter -o $dir/perf.data $shim" \
    "$bench" --benchmark_filter=SendThroughServer >/dev/null 2>&1
  perf script -i "$dir/perf.data" -F time,trace 2>/dev/null | awk '
    BEGIN {
      split("0 read 1 write 7 poll 9 mmap 10 mprotect 11 munmap 24 sched_yield 44 sendto " \
            "45 recvfrom 46 sendmsg 47 recvmsg 202 futex 232 epoll_wait 271 ppoll", t, " ")
      for (i = 1; i < length(t); i += 2) names[t[i]] = t[i + 1]
    }
    {
      time = $1; sub(/:$/, "", time)
      nr = $3; name = (nr in names) ? names[nr] : "NR" nr
      frame = (nr == "44" && $0 ~ /\([0-9a-f]+, [0-9a-f]+, 209,/) ? 1 : 0
      print time, name, frame
    }' >"$dir/calls"
fi

by_pause=0
[[ $tool == perf ]] && by_pause=1
awk -v by_pause=$by_pause '
  function close_send(   n) {
    if (frames > 1) {
      ++sends
      blocks += frames - 1
      for (n in seg) { sum[n] += seg[n]; total += seg[n] }
    }
    delete seg
    delete pend
    frames = 0
  }
  {
    t = $1 + 0; name = $2; frame = $3 + 0
    # A send begins with its header frame, or (perf) with the first frame after a pause.
    if (frame == 2 || (by_pause && frame && frames > 0 && t - last > 0.02)) close_send()
    if (frame) last = t
    if (frames == 0 && !frame) next
    pend[name]++
    # What follows the last data frame of a send is not part of its blocks.
    if (frame) { frames++; for (n in pend) { seg[n] += pend[n] } delete pend }
  }
  END {
    close_send()
    if (blocks == 0) { print "no send found"; exit 1 }
    printf "%d sends, %d blocks: %.2f server calls per block\n", sends, blocks, total / blocks
    for (n in sum) if (sum[n] / blocks >= 0.01) printf "  %-12s %6.2f\n", n, sum[n] / blocks | "sort -k2 -nr"
  }' "$dir/calls"
