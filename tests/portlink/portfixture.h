#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/messagetarget.h"
#include "portlink/portlink.h"

namespace portlink::testing {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// A pseudo-terminal whose master side the test holds, playing the machine.
class Machine {
 public:
  Machine() {
    int slave = -1;
    char name[256] = {};
    if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
    slave_ = slave;
    path_ = name;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~Machine() {
    HangUp();
    if (slave_ >= 0) close(slave_);
  }
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  const std::string& Path() const { return path_; }
  int SlaveFd() const { return slave_; }  // the test's own handle on the driver's device

  void Send(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
    }
  }

  // What the driver wrote, waiting up to timeout for count bytes.
  Bytes Receive(std::size_t count, std::chrono::milliseconds timeout = 2s) {
    Bytes out;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      std::uint8_t buf[4096];
      ssize_t n = read(master_, buf, sizeof buf);
      if (n > 0) out.insert(out.end(), buf, buf + n);
    }
    return out;
  }

  void HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

// The three linked records of one port, zeroed as a caller makes them.
struct Records {
  Records() {
    sys.cmdInfo = &cmd;
    sys.ttyInfo = &tty;
  }
  Records(const Records&) = delete;
  Records& operator=(const Records&) = delete;
  CMDInfo cmd{};
  TTYInfo tty{};
  SYSInfo sys{};
};

// A data folder, a machine on COM1 and the records of slot 0, set up as a caller does.
class PortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::temp_directory_path() /
            ("portlink-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter_));
    std::filesystem::create_directories(home_);
    setenv("PELLORA_HOME", home_.c_str(), 1);
    ASSERT_FALSE(machine_.Path().empty());
    setenv("PELLORA_COM1", machine_.Path().c_str(), 1);

    sys_.cmdInfo = &cmd_;
    sys_.ttyInfo = &tty_;
    tty_.window = window_.Id();
    tty_.comIndex = 0;
    tty_.callerId = 0xC0;
    tty_.rxMode = 1;
    tty_.logLevel = 1;
    tty_.logFileName = "test.log";
    DLLInitialize(nullptr);
    SetupSYSInfo(0, &sys_);
  }

  void TearDown() override {
    CloseCommPort(0);
    DLLInitialize(nullptr);
    unsetenv("PELLORA_COM1");
    std::filesystem::remove_all(home_);
  }

  std::optional<platform::Message> WaitFor(std::uint32_t msg, std::chrono::milliseconds t = 2s) {
    return queue_->WaitFor(msg, t);
  }

  std::string LogText() {
    std::ifstream in(home_ / "test.log");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::shared_ptr<platform::QueueTarget> queue_ = std::make_shared<platform::QueueTarget>();
  platform::TargetRegistration window_{queue_};
  Machine machine_;
  std::filesystem::path home_;
  CMDInfo cmd_{};
  TTYInfo tty_{};
  SYSInfo sys_{};
  static inline int counter_ = 0;
};

}  // namespace portlink::testing
