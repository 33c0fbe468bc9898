#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "rpc/frame.h"
#include "rpc/publication.h"
#include "rpc/socket.h"
#include "sim/simmachine.h"

// Pieces of the attacks on a server process: what the process holds, raw connections that
// speak the wire format badly on purpose, and a machine that floods file-name replies.
namespace attack {

struct ProcessFigures {
  long rssKb = -1;
  long threads = -1;
};

// Resident memory and thread count of a process, from /proc.
inline ProcessFigures ReadProcess(pid_t pid) {
  ProcessFigures f;
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (in >> key) {
    if (key == "VmRSS:") in >> f.rssKb;
    if (key == "Threads:") in >> f.threads;
    in.ignore(1 << 12, '\n');
  }
  return f;
}

// The pid of the server this user runs, from its publication.
inline pid_t PublishedPid() {
  auto ref = rpc::ReadPublication();
  return ref ? ref->pid : -1;
}

// A connection to the published server that a test writes bytes to by hand. Sends give up
// after sendTimeout, so a server that stops reading never holds the test.
inline rpc::UniqueFd RawConnection(
    std::chrono::milliseconds sendTimeout = std::chrono::seconds(2)) {
  auto ref = rpc::ReadPublication();
  if (!ref) return {};
  rpc::UniqueFd fd = rpc::ConnectUnix(ref->socketPath);
  if (!fd.valid()) return fd;
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(sendTimeout).count();
  timeval tv{static_cast<time_t>(us / 1000000), static_cast<suseconds_t>(us % 1000000)};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  return fd;
}

// A connection attempt that never waits: none when the server's queue of connections to accept
// is full.
inline rpc::UniqueFd ConnectWithoutWaiting() {
  auto ref = rpc::ReadPublication();
  if (!ref) return {};
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string& path = ref->socketPath.native();
  if (path.size() >= sizeof addr.sun_path) return {};
  std::copy(path.begin(), path.end(), addr.sun_path);
  rpc::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return {};
  return fd;
}

// Up to n connections, trying again for at most `limit` while the server's queue is full.
inline std::vector<rpc::UniqueFd> ConnectMany(int n, std::chrono::milliseconds limit) {
  std::vector<rpc::UniqueFd> fds;
  const auto end = std::chrono::steady_clock::now() + limit;
  while (static_cast<int>(fds.size()) < n && std::chrono::steady_clock::now() < end) {
    if (auto fd = ConnectWithoutWaiting(); fd.valid())
      fds.push_back(std::move(fd));
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return fds;
}

// Sends the headers of a call whose body announces bodySize bytes and then `send` bytes of
// it; the bytes the server took.
inline size_t SendPartOfFrame(int fd, size_t bodySize, size_t send) {
  const auto head =
      rpc::EncodeFrameHeader(rpc::FrameKind::kCall, 1, 23, bodySize - rpc::kBodyHeaderSize);
  if (!rpc::SendAll(fd, head)) return 0;
  std::vector<uint8_t> chunk(1 << 20, 0xA5);
  size_t sent = 0;
  while (sent < send) {
    const size_t n = std::min(chunk.size(), send - sent);
    const ssize_t got = ::send(fd, chunk.data(), n, MSG_NOSIGNAL);
    if (got <= 0) break;
    sent += static_cast<size_t>(got);
  }
  return sent;
}

// One call frame, ready to be written.
inline std::vector<uint8_t> CallFrame(uint32_t seq, int32_t dispid,
                                      const std::vector<uint8_t>& ins = {}) {
  return rpc::EncodeFrame(rpc::FrameKind::kCall, seq, dispid, ins);
}

// The file-name reply 0x20 of a machine holding `name`.
inline void SendFileNameReply(sim::TSimMachine& m, const std::string& name) {
  std::vector<uint8_t> payload(21, 0);
  payload[0] = 1;     // needle
  payload[3] = 0x10;  // remaining memory, low byte
  std::copy_n(name.begin(), std::min<size_t>(name.size(), 12), payload.begin() + 7);
  m.SendReply(0x20, payload);
}

// The 99th percentile of samples (0 when there are none).
inline double P99(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, v.size() * 99 / 100)];
}

// The next frame that comes on a connection written by hand, or none within `limit`.
inline std::optional<rpc::Frame> NextFrame(int fd, rpc::FrameDecoder& decoder,
                                           std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  std::vector<uint8_t> chunk(4096);
  for (;;) {
    if (auto f = decoder.Next()) return f;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0 || decoder.failed()) return std::nullopt;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t n = rpc::ReadSome(fd, chunk);
    if (n <= 0) return std::nullopt;
    decoder.Feed(std::span(chunk.data(), static_cast<size_t>(n)));
  }
}

// A call written by hand and its reply awaited, at most `limit`; the time it took, or a
// negative value when no reply came in time (or the connection ended).
inline double TimedCallMs(int fd, uint32_t seq, int32_t dispid, const std::vector<uint8_t>& ins,
                          std::chrono::milliseconds limit) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  if (!rpc::SendAll(fd, CallFrame(seq, dispid, ins))) return -1;
  rpc::FrameDecoder decoder;
  while (auto f = NextFrame(fd, decoder, limit)) {
    if (f->kind == rpc::FrameKind::kReply && f->seq == seq)
      return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  return -1;
}

// CPU time (user and system) the process has used, in clock ticks.
inline long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(text.substr(close + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

}  // namespace attack
