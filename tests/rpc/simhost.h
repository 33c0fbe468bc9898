#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "pelsrvapi/pelservice_tlb.h"
#include "rpc/socket.h"
#include "sim/simmachine.h"

// A simulated machine behind a TCP port on the loopback interface, as a server process reaches
// a real one. Each connection the server makes meets a fresh machine; the test drives it with
// Do(), which runs under the same lock as the bytes the machine receives.
class SimHost {
 public:
  explicit SimHost(sim::TSimConfig config) : config_(std::move(config)) {
    config_.wire = sim::Wire::kTcp;
    listener_ = rpc::UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(listener_.get(), 4);
    ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = addr.sin_port;  // network byte order, as TConnInfo wants it
    stop_ = rpc::UniqueFd(::eventfd(0, EFD_CLOEXEC));
    thread_ = std::thread([this] { Run(); });
  }
  ~SimHost() {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(stop_.get(), &one, sizeof one);
    thread_.join();
  }

  TConnInfo ConnInfo() const {
    TConnInfo info{};
    info.tcpip = 1;
    info.b1 = 127;
    info.b4 = 1;
    info.port = port_;
    return info;
  }

  // Runs f(machine) under the machine's lock; false when no machine is connected.
  template <class F>
  bool Do(F f) {
    std::lock_guard lock(mutex_);
    if (!machine_) return false;
    f(*machine_);
    return true;
  }
  bool Connected() {
    std::lock_guard lock(mutex_);
    return machine_ != nullptr;
  }

 private:
  class SocketPipe : public sim::IBytePipe {
   public:
    explicit SocketPipe(int fd) : fd_(fd) {}
    void Write(std::span<const std::uint8_t> bytes) override { rpc::SendAll(fd_, bytes); }

   private:
    int fd_;
  };

  void Run() {
    rpc::UniqueFd peer;
    for (;;) {
      pollfd fds[3] = {{stop_.get(), POLLIN, 0},
                       {listener_.get(), POLLIN, 0},
                       {peer.valid() ? peer.get() : -1, POLLIN, 0}};
      if (::poll(fds, 3, -1) < 0) continue;
      if (fds[0].revents) break;
      if (fds[1].revents & POLLIN) {
        rpc::UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        std::lock_guard lock(mutex_);
        machine_.reset();
        pipe_ = std::make_unique<SocketPipe>(fd.get());
        machine_ = std::make_unique<sim::TSimMachine>(config_, *pipe_);
        peer = std::move(fd);
      }
      if (peer.valid() && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
        std::uint8_t buf[4096];
        const ssize_t n = rpc::ReadSome(peer.get(), buf);
        std::lock_guard lock(mutex_);
        if (n <= 0) {
          machine_.reset();
          peer.reset();
        } else if (machine_) {
          machine_->Receive(std::span(buf, static_cast<std::size_t>(n)));
        }
      }
    }
    std::lock_guard lock(mutex_);
    machine_.reset();
  }

  sim::TSimConfig config_;
  rpc::UniqueFd listener_;
  rpc::UniqueFd stop_;
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::unique_ptr<SocketPipe> pipe_;
  std::unique_ptr<sim::TSimMachine> machine_;
  std::thread thread_;
};
