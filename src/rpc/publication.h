#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "rpc/socket.h"

// The published reference of a running server: the file "PelService" in the user's private
// runtime folder, 512 bytes holding the server's socket address and process id. Only the user
// can create anything there, so no other user can plant a reference or stop a server from
// publishing.
//
// One instance per user: the server claims it by taking an exclusive lock on a file in the
// runtime folder and keeps the lock for its whole life. The kernel drops the lock when the
// process dies, so a publication left by a dead server is stale and simply replaced; claim and
// check are one atomic step, never a race between "does it exist" and "create it".
namespace rpc {

inline constexpr size_t kPublicationSize = 512;

struct PublishedReference {
  std::filesystem::path socketPath;
  pid_t pid = 0;
};

// Where the reference is published (per instance); empty without a private runtime folder.
std::filesystem::path PublicationPath();
// Where the server listens, and its lock file.
std::filesystem::path ServerSocketPath();
std::filesystem::path ServerLockPath();

class Publication {
 public:
  enum class Claim { kClaimed, kAlreadyRunning, kFailed };

  // Takes the single-instance lock. kClaimed fills *out.
  static Claim TryClaim(std::unique_ptr<Publication>* out, std::string* error);

  Publication(const Publication&) = delete;
  Publication& operator=(const Publication&) = delete;
  // Removes the published reference, if any, and gives up the lock.
  ~Publication();

  // Writes the reference, replacing whatever a dead server left. False on failure.
  bool Publish(const PublishedReference& ref, std::string* error);

  explicit Publication(UniqueFd lock) : lock_(std::move(lock)) {}

 private:
  UniqueFd lock_;
  std::filesystem::path path_;  // the reference written, once published
};

// The reference published by a running server of this user, if any. It is checked to belong to
// this user; whether the server still answers shows when the caller connects.
std::optional<PublishedReference> ReadPublication();

}  // namespace rpc
