#include "sim/simslpagent.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "hoopdesk/slp/slpmessage.h"
#include "sim/slpagentwire.h"

namespace sim {

namespace {

constexpr std::string_view kOwnAddress = "127.0.0.1";

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// True when the comma-separated list holds the item (compared without regard to case).
bool ListHolds(std::string_view list, std::string_view item) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    if (EqualNoCase(list.substr(0, comma), item)) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

bool Concerns(const slp::TServiceRequest& request) {
  return EqualNoCase(request.serviceType, slp::kSewingMachineType) &&
         !ListHolds(request.previousResponders, kOwnAddress) &&
         (request.scopes.empty() || ListHolds(request.scopes, "DEFAULT"));
}

}  // namespace

TSimSlpAgent::TSimSlpAgent(TSlpAgentConfig config) : config_(std::move(config)) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  sockaddr_in bound{};
  bound.sin_family = AF_INET;
  bound.sin_port = htons(config_.port);
  bound.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof bound;
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
  if (wakeFd_ < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  port_ = ntohs(bound.sin_port);
  thread_ = std::thread([this] { Run(); });
}

TSimSlpAgent::~TSimSlpAgent() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    thread_.join();
  }
  if (fd_ >= 0) ::close(fd_);
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

std::string TSimSlpAgent::Address() const {
  return std::string(kOwnAddress) + ":" + std::to_string(port_);
}

std::vector<std::uint8_t> TSimSlpAgent::LastRequest() const {
  const std::lock_guard lock(mutex_);
  return lastRequest_;
}

void TSimSlpAgent::Run() {
  std::array<std::uint8_t, slp::kMaxDatagram> buffer;
  for (;;) {
    std::array<pollfd, 2> fds{pollfd{fd_, POLLIN, 0}, pollfd{wakeFd_, POLLIN, 0}};
    if (::poll(fds.data(), fds.size(), -1) < 0) continue;
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t got = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got > 0) Answer(buffer.data(), static_cast<std::size_t>(got), &from, fromSize);
  }
}

void TSimSlpAgent::Answer(const std::uint8_t* bytes, std::size_t size, const void* from,
                          unsigned fromSize) {
  const auto request = ParseServiceRequest({bytes, size});
  if (!request) return;
  {
    const std::lock_guard lock(mutex_);
    lastRequest_.assign(bytes, bytes + size);
  }
  ++requests_;
  if (!Concerns(*request)) return;
  const auto sendTo = [&](std::span<const std::uint8_t> datagram) {
    ::sendto(fd_, datagram.data(), datagram.size(), MSG_NOSIGNAL,
             static_cast<const sockaddr*>(from), fromSize);
  };
  for (const auto& datagram : config_.noise) sendTo(datagram);
  for (std::size_t i = 0; i < config_.urls.size(); ++i) {
    if (i > 0 && !WaitGap()) return;
    const slp::TUrlEntry entry{3600, config_.urls[i]};
    sendTo(EncodeServiceReply(request->xid, request->language, {&entry, 1}));
  }
}

bool TSimSlpAgent::WaitGap() const {
  if (config_.replyGap.count() <= 0) return true;
  pollfd wake{wakeFd_, POLLIN, 0};
  return ::poll(&wake, 1, static_cast<int>(config_.replyGap.count())) == 0;
}

}  // namespace sim
