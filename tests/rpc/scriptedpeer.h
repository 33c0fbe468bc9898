#pragma once

#include <sys/socket.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "rpc/frame.h"
#include "rpc/pelsrvclient.h"
#include "rpc/socket.h"

// A server written by hand at the other end of a socket pair, with a client on this end. A
// thread of its own reads what the client sends and hands each call to the test's handler,
// which answers it at once, later (from any thread) or never.
class ScriptedPeer {
 public:
  using OnCall = std::function<void(ScriptedPeer&, const rpc::Frame& call)>;

  explicit ScriptedPeer(OnCall onCall = {}) : onCall_(std::move(onCall)) {
    int fds[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0) {
      server_ = rpc::UniqueFd(fds[0]);
      client_ = std::make_unique<rpc::PelSrvClient>(rpc::UniqueFd(fds[1]));
    }
    reader_ = std::thread([this] { Run(); });
  }
  ~ScriptedPeer() {
    ::shutdown(server_.get(), SHUT_RDWR);
    reader_.join();
  }
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  rpc::PelSrvClient& client() { return *client_; }

  // A reply without error information.
  void Reply(uint32_t seq, HRESULT hr, const std::vector<uint8_t>& outs = {}) {
    rpc::FrameWriter w;
    w.U8(0);
    w.Bytes(outs);
    Send(rpc::EncodeFrame(rpc::FrameKind::kReply, seq, hr, w.bytes()));
  }
  // An event for the sink with the given cookie; args are the event's values.
  void Event(int32_t dispid, uint32_t sinkCookie, const std::vector<uint8_t>& args) {
    rpc::FrameWriter w;
    w.U32(sinkCookie);
    w.Bytes(args);
    Send(rpc::EncodeFrame(rpc::FrameKind::kEvent, ++eventSeq_, dispid, w.bytes()));
  }

  // True once the client has closed its end and everything it sent has been read.
  bool ended() const { return ended_; }

  // Every frame the client sent so far, in order.
  std::vector<rpc::Frame> received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }

 private:
  void Run() {
    ReadAll();
    ended_ = true;
  }
  void ReadAll() {
    rpc::FrameDecoder decoder;
    std::vector<uint8_t> chunk(64 * 1024);
    for (;;) {
      const ssize_t n = rpc::ReadSome(server_.get(), chunk);
      if (n <= 0) return;
      decoder.Feed(std::span(chunk.data(), static_cast<size_t>(n)));
      while (auto frame = decoder.Next()) {
        {
          std::lock_guard lock(mutex_);
          received_.push_back(*frame);
        }
        if (frame->kind == rpc::FrameKind::kCall && onCall_) onCall_(*this, *frame);
      }
      if (decoder.failed()) return;
    }
  }
  void Send(const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(sendMutex_);
    rpc::SendAll(server_.get(), bytes);
  }

  OnCall onCall_;
  rpc::UniqueFd server_;
  std::unique_ptr<rpc::PelSrvClient> client_;
  std::atomic<uint32_t> eventSeq_{0};
  std::atomic<bool> ended_{false};
  mutable std::mutex mutex_;
  std::vector<rpc::Frame> received_;
  std::mutex sendMutex_;
  std::thread reader_;
};
