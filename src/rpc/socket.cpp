#include "rpc/socket.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace rpc {

UniqueFd& UniqueFd::operator=(UniqueFd&& o) noexcept {
  if (this != &o) {
    reset();
    fd_ = std::exchange(o.fd_, -1);
  }
  return *this;
}

UniqueFd::~UniqueFd() { reset(); }

void UniqueFd::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

namespace {

bool IsPrivateFolder(const std::filesystem::path& dir) {
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// Larger buffers let a design of megabytes cross in fewer, bigger steps.
void WidenBuffers(int fd) {
  const int size = 1 << 20;
  ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

// $XDG_STATE_HOME, else ~/.local/state; the home from $HOME, else from the user database.
std::filesystem::path StateHome() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') return state;
  std::filesystem::path home;
  if (const char* h = std::getenv("HOME"); h && *h == '/') {
    home = h;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
    home = pw->pw_dir;
  }
  return home.empty() ? home : home / ".local" / "state";
}

bool MakeAddress(const std::filesystem::path& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  const std::string& s = path.native();
  if (s.empty() || s.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, s.data(), s.size());
  return true;
}

}  // namespace

std::filesystem::path RuntimeFolder() {
  if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg) {
    std::filesystem::path dir(xdg);
    if (IsPrivateFolder(dir)) return dir;
  }
  // A folder in the user's home, never one with a fixed name in a folder that others can
  // write (another user could make it first).
  const std::filesystem::path state = StateHome();
  if (state.empty()) return {};
  const std::filesystem::path dir = state / "pellora";
  std::error_code ec;
  std::filesystem::create_directories(dir.parent_path(), ec);
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
  if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return {};
  return dir;
}

std::string InstanceSuffix() {
  const char* value = std::getenv("PELLORA_INSTANCE");
  if (!value || !*value) return {};
  std::string out = ".";
  for (const char* p = value; *p && out.size() <= 40; ++p) {
    const char c = *p;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_';
    out += plain ? c : '_';
  }
  return out;
}

UniqueFd ListenUnix(const std::filesystem::path& path) {
  sockaddr_un addr;
  if (!MakeAddress(path, &addr)) return {};
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return {};
  ::unlink(path.c_str());
  // Bind under a tight umask so the socket never exists with wider rights, then pin 0600.
  const mode_t old = ::umask(077);
  const int rc = ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  ::umask(old);
  if (rc != 0 || ::chmod(path.c_str(), 0600) != 0 || ::listen(fd.get(), 16) != 0) return {};
  return fd;
}

UniqueFd ConnectUnix(const std::filesystem::path& path, bool* queueFull) {
  if (queueFull) *queueFull = false;
  sockaddr_un addr;
  if (!MakeAddress(path, &addr)) return {};
  // Non-blocking for the connect only: a blocking one waits, without end, for a server that
  // stopped accepting once its queue is full.
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return {};
  int rc;
  do {
    rc = ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    if (queueFull) *queueFull = errno == EAGAIN;
    return {};
  }
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return {};
  WidenBuffers(fd.get());
  return fd;
}

void PrepareAccepted(int fd) { WidenBuffers(fd); }

int64_t PeerUid(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred) return -1;
  return cred.uid;
}

bool SendAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return true;
}

bool SendAll(int fd, std::span<const std::vector<uint8_t>> buffers) {
  std::vector<iovec> pieces;
  pieces.reserve(buffers.size());
  for (const auto& b : buffers)
    if (!b.empty()) pieces.push_back({const_cast<uint8_t*>(b.data()), b.size()});
  size_t first = 0;
  while (first < pieces.size()) {
    msghdr msg{};
    msg.msg_iov = pieces.data() + first;
    msg.msg_iovlen = std::min<size_t>(pieces.size() - first, IOV_MAX);
    const ssize_t n = ::sendmsg(fd, &msg, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    // Step past what went out: the pieces written whole, then into the one the write ended in.
    auto left = static_cast<size_t>(n);
    while (first < pieces.size() && left >= pieces[first].iov_len) left -= pieces[first++].iov_len;
    if (left > 0) {
      pieces[first].iov_base = static_cast<uint8_t*>(pieces[first].iov_base) + left;
      pieces[first].iov_len -= left;
    }
  }
  return true;
}

int MillisecondsUntil(Deadline deadline) {
  const auto left = deadline - std::chrono::steady_clock::now();
  if (left <= left.zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

SendResult SendBefore(int fd, std::span<const uint8_t> bytes, Deadline deadline, size_t* written) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) {
      bytes = bytes.subspan(static_cast<size_t>(n));
      *written += static_cast<size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return SendResult::kGone;
    pollfd p{fd, POLLOUT, 0};
    const int rc = ::poll(&p, 1, MillisecondsUntil(deadline));
    if (rc < 0 && errno != EINTR) return SendResult::kGone;
    if (rc == 0 && std::chrono::steady_clock::now() >= deadline) return SendResult::kTimedOut;
  }
  return SendResult::kSent;
}

ssize_t ReadSome(int fd, std::span<uint8_t> buffer) {
  for (;;) {
    const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), 0);
    if (n >= 0 || errno != EINTR) return n;
  }
}

}  // namespace rpc
