#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

// Unix-domain stream sockets of the server interface, and where they live.
namespace rpc {

// Owns one file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& o) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void reset();

 private:
  int fd_ = -1;
};

// The user's private runtime folder: $XDG_RUNTIME_DIR when it is private, else "pellora" in
// the user's state folder ($XDG_STATE_HOME, else ~/.local/state), created with mode 0700 and
// refused when it is a link or belongs to someone else. Empty when none is usable.
std::filesystem::path RuntimeFolder();

// Suffix that keeps separate server instances apart: "" normally, "." and the sanitised value
// of $PELLORA_INSTANCE when set (tests run servers side by side).
std::string InstanceSuffix();

// Listens on path with mode 0600 (a file left at path is replaced). Invalid fd on failure.
UniqueFd ListenUnix(const std::filesystem::path& path);

// Connects to a listening socket without waiting for the server to take the connection: a
// server whose queue of connections to accept is full (it does not accept) gives an invalid fd
// at once, with *queueFull set. Invalid fd on any failure.
UniqueFd ConnectUnix(const std::filesystem::path& path, bool* queueFull = nullptr);

// Sets up a connection the server accepted (socket buffers).
void PrepareAccepted(int fd);

// The user id of the process at the other end; -1 when it cannot be told.
int64_t PeerUid(int fd);

// Writes everything (EINTR retried, no SIGPIPE). False when the peer is gone.
bool SendAll(int fd, std::span<const uint8_t> bytes);
// Writes the buffers one after the other, as few calls as the system allows (gathered
// writes); false when the peer is gone.
bool SendAll(int fd, std::span<const std::vector<uint8_t>> buffers);

using Deadline = std::chrono::steady_clock::time_point;

// The milliseconds left until deadline, rounded up, as poll() takes them (0 once it has passed).
int MillisecondsUntil(Deadline deadline);

enum class SendResult { kSent, kTimedOut, kGone };

// Writes everything unless the peer takes no more before the deadline (EINTR retried, no
// SIGPIPE). *written grows by the bytes that went, also when not all of them did.
SendResult SendBefore(int fd, std::span<const uint8_t> bytes, Deadline deadline, size_t* written);

// One read: the byte count, 0 at the end of the stream, -1 on an error (EINTR retried).
ssize_t ReadSome(int fd, std::span<uint8_t> buffer);

}  // namespace rpc
