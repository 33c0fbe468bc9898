#!/bin/bash
# The server's system calls per block of a 1,000,000-stitch send: runs blocktransfer_bench's
# server case with pelservice under strace and counts, for each send, the calls of all the
# server's threads from its header frame to its last data frame, per data frame.
#
#   bench/pelsrv/block_syscalls.sh [build/release/bench/pelsrv/blocktransfer_bench]
set -euo pipefail
bench=${1:-build/release/bench/pelsrv/blocktransfer_bench}
trace=$(mktemp -d)/pelservice.trace
PELLORA_SERVICE_WRAPPER="strace -f -o $trace" "$bench" --benchmark_filter=SendThroughServer \
  >/dev/null 2>&1
# A frame is a 521-byte send; a send begins with its header frame ('B'). A call that another
# thread interrupts shows as "<unfinished ...>" and "<... resumed>": it is counted once.
awk '
  function commit(   n) { for (n in pend) { seg[n] += pend[n] } delete pend }
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
  / resumed>/ || /^[0-9]+ +(\+\+\+|---)/ { next }
  {
    name = $2
    sub(/\(.*/, "", name)
    is_frame = ($0 ~ /^[0-9]+ +(sendto|write)\(/ && $0 ~ /, 521(, |\) = )/)
    if (is_frame && $0 ~ /, "B\\0/) { close_send(); open = 1 }
    if (!open) next
    pend[name]++
    # what follows the last data frame of a send is not part of its blocks
    if (is_frame) { frames++; commit() }
  }
  END {
    close_send()
    if (blocks == 0) { print "no send found"; exit 1 }
    printf "sends %d, blocks %d, server calls per block %.2f\n", sends, blocks, total / blocks
    for (n in sum) printf "  %-16s %8.2f\n", n, sum[n] / blocks | "sort -k2 -nr"
  }' "$trace"
