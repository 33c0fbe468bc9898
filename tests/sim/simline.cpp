#include "sim/simline.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {

int ListenOnLoopback(std::uint16_t port, sockaddr_in& bound) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  bound = sockaddr_in{};
  bound.sin_family = AF_INET;
  bound.sin_port = htons(port);
  bound.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof bound;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// The machine writes its replies straight into the current line.
class TSimLine::FdPipe final : public IBytePipe {
 public:
  explicit FdPipe(std::atomic<int>& fd) : fd_(fd) {}
  void Write(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const int fd = fd_;
      if (fd < 0) return;
      const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n < 0 && errno == ENOTSOCK) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w <= 0) return;
        done += static_cast<std::size_t>(w);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }

 private:
  std::atomic<int>& fd_;
};

TSimLine::TSimLine(TSimConfig config, TLineTiming timing)
    : config_(std::move(config)), timing_(timing) {
  pipe_ = std::make_unique<FdPipe>(lineFd_);
  machine_ = std::make_unique<TSimMachine>(config_, *pipe_);
  wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

TSimLine::~TSimLine() {
  Stop();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void TSimLine::Start(int listenFd, int lineFd) {
  listenFd_ = listenFd;
  lineFd_ = lineFd;
  ownsLine_ = lineFd < 0;
  thread_ = std::thread([this] { Run(); });
}

void TSimLine::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  Wake();
  thread_.join();
  if (ownsLine_ && lineFd_ >= 0) ::close(lineFd_);
  lineFd_ = -1;
  if (listenFd_ >= 0) ::close(listenFd_);
  listenFd_ = -1;
}

void TSimLine::Wake() {
  std::uint64_t one = 1;
  [[maybe_unused]] auto n = ::write(wakeFd_, &one, sizeof one);
}

void TSimLine::Call(const std::function<void(TSimMachine&)>& fn) {
  bool done = false;
  {
    std::lock_guard lock(mutex_);
    calls_.push_back([&](TSimMachine& m) {
      fn(m);
      std::lock_guard inner(mutex_);
      done = true;
      changed_.notify_all();
    });
  }
  Wake();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return done; });
}

bool TSimLine::WaitFor(const std::function<bool(TSimMachine&)>& pred,
                       std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!Get<bool>(pred)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void TSimLine::SetTiming(TLineTiming timing) {
  Call([&](TSimMachine&) { timing_ = timing; });
}

void TSimLine::DropLine() {
  Call([&](TSimMachine&) {
    if (ownsLine_ && lineFd_ >= 0) {
      ::close(lineFd_);
      lineFd_ = -1;
    }
  });
}

void TSimLine::Run() {
  using Clock = std::chrono::steady_clock;
  auto nextKeepAlive = Clock::now() + timing_.keepAlive;
  auto nextTick = Clock::now() + timing_.sewTick;
  std::uint8_t buffer[1024];
  while (!stop_) {
    const auto now = Clock::now();
    if (lineFd_ >= 0 && timing_.keepAlive.count() > 0 && now >= nextKeepAlive) {
      machine_->SendKeepAlive();
      nextKeepAlive = now + timing_.keepAlive;
    }
    if (now >= nextTick) {
      machine_->Tick();
      nextTick = now + timing_.sewTick;
    }
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, POLLIN, 0}};
    if (lineFd_ >= 0) {
      fds[1].fd = lineFd_;
    } else if (listenFd_ >= 0) {
      fds[1].fd = listenFd_;
    }
    int wait_ms = 20;
    const int n = ::poll(fds, 2, wait_ms);
    if (n < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      std::uint64_t count;
      [[maybe_unused]] auto r = ::read(wakeFd_, &count, sizeof count);
    }
    for (;;) {
      std::function<void(TSimMachine&)> call;
      {
        std::lock_guard lock(mutex_);
        if (calls_.empty()) break;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call(*machine_);
    }
    if (fds[1].fd >= 0 && fds[1].revents != 0) {
      if (lineFd_ < 0) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
          lineFd_ = fd;
          nextKeepAlive = Clock::now() + timing_.keepAlive;
        }
      } else {
        const ssize_t got = ::read(lineFd_, buffer, sizeof buffer);
        if (got > 0) {
          machine_->Receive(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(got)));
        } else if (ownsLine_ && (got == 0 || (errno != EINTR && errno != EAGAIN))) {
          ::close(lineFd_);  // the server closed its end
          lineFd_ = -1;
        } else if (!ownsLine_) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));  // no slave open yet
        }
      }
    }
  }
}

TSimTcpMachine::TSimTcpMachine(TSimConfig config, TLineTiming timing, std::uint16_t port)
    : TSimLine(
          [&] {
            config.wire = Wire::kTcp;
            return config;
          }(),
          timing) {
  sockaddr_in bound{};
  const int fd = ListenOnLoopback(port, bound);
  port_ = ntohs(bound.sin_port);
  Start(fd, -1);
}

TSimTcpMachine::~TSimTcpMachine() { Stop(); }

TConnInfo TSimTcpMachine::ConnInfo() const {
  TConnInfo info{};
  info.tcpip = 1;
  info.b1 = 127;
  info.b4 = 1;
  info.port = htons(port_);
  return info;
}

TSimPtyMachine::TSimPtyMachine(TSimConfig config, int comIndex, TLineTiming timing)
    : TSimLine(
          [&] {
            config.wire = Wire::kSerial;
            return config;
          }(),
          timing),
      comIndex_(comIndex) {
  int slave = -1;
  char name[128] = {};
  if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::close(slave);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    slavePath_ = name;
    const std::string var = "PELLORA_COM" + std::to_string(comIndex + 1);
    ::setenv(var.c_str(), slavePath_.c_str(), 1);
  }
  Start(-1, master_);
}

TSimPtyMachine::~TSimPtyMachine() {
  Stop();
  if (master_ >= 0) ::close(master_);
  const std::string var = "PELLORA_COM" + std::to_string(comIndex_ + 1);
  ::unsetenv(var.c_str());
}

TConnInfo TSimPtyMachine::ConnInfo(std::uint16_t baudRate) const {
  TConnInfo info{};
  info.tcpip = 0;
  info.port = static_cast<std::uint16_t>(comIndex_);
  info.baudRate = baudRate;
  return info;
}

}  // namespace sim
