#include "rpc/publication.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace rpc {

namespace {

constexpr char kMagic[8] = {'P', 'e', 'l', 'S', 'r', 'v', '0', '1'};
constexpr size_t kPidOffset = 8;
constexpr size_t kPathOffset = 16;
constexpr size_t kPathSpace = kPublicationSize - kPathOffset;

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::filesystem::path PublicationPath() {
  const auto dir = RuntimeFolder();
  return dir.empty() ? dir : dir / ("PelService" + InstanceSuffix());
}

std::filesystem::path ServerSocketPath() {
  const auto dir = RuntimeFolder();
  return dir.empty() ? dir : dir / ("pelservice" + InstanceSuffix() + ".sock");
}

std::filesystem::path ServerLockPath() {
  const auto dir = RuntimeFolder();
  return dir.empty() ? dir : dir / ("pelservice" + InstanceSuffix() + ".lock");
}

Publication::Claim Publication::TryClaim(std::unique_ptr<Publication>* out, std::string* error) {
  const auto path = ServerLockPath();
  if (path.empty()) {
    *error = "no private runtime folder";
    return Claim::kFailed;
  }
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd.valid()) {
    *error = Errno("cannot open the lock file");
    return Claim::kFailed;
  }
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return Claim::kAlreadyRunning;
    *error = Errno("cannot lock the lock file");
    return Claim::kFailed;
  }
  *out = std::make_unique<Publication>(std::move(fd));
  return Claim::kClaimed;
}

Publication::~Publication() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool Publication::Publish(const PublishedReference& ref, std::string* error) {
  const std::string& path = ref.socketPath.native();
  if (path.empty() || path.size() >= kPathSpace) {
    *error = "socket path too long";
    return false;
  }
  const auto target = PublicationPath();
  if (target.empty()) {
    *error = "no private runtime folder";
    return false;
  }
  unsigned char block[kPublicationSize] = {};
  std::memcpy(block, kMagic, sizeof kMagic);
  const int32_t pid = ref.pid;
  std::memcpy(block + kPidOffset, &pid, sizeof pid);
  std::memcpy(block + kPathOffset, path.data(), path.size());
  // Written beside it and renamed over whatever a dead server left, so a reader sees a whole
  // reference or none. We hold the lock: no other server writes here.
  auto temporary = target;
  temporary += ".new";
  ::unlink(temporary.c_str());
  UniqueFd file(
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!file.valid() ||
      ::write(file.get(), block, sizeof block) != static_cast<ssize_t>(sizeof block) ||
      ::rename(temporary.c_str(), target.c_str()) != 0) {
    *error = Errno("cannot create the publication");
    ::unlink(temporary.c_str());
    return false;
  }
  path_ = target;
  return true;
}

std::optional<PublishedReference> ReadPublication() {
  const auto where = PublicationPath();
  if (where.empty()) return std::nullopt;
  UniqueFd file(::open(where.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!file.valid()) return std::nullopt;
  struct stat st {};
  if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 077) != 0 || st.st_size < static_cast<off_t>(kPublicationSize))
    return std::nullopt;
  unsigned char block[kPublicationSize];
  if (::pread(file.get(), block, sizeof block, 0) != static_cast<ssize_t>(sizeof block))
    return std::nullopt;
  if (std::memcmp(block, kMagic, sizeof kMagic) != 0) return std::nullopt;
  const char* path = reinterpret_cast<const char*>(block + kPathOffset);
  const size_t len = strnlen(path, kPathSpace);
  if (len == 0 || len == kPathSpace) return std::nullopt;
  PublishedReference ref;
  int32_t pid = 0;
  std::memcpy(&pid, block + kPidOffset, sizeof pid);
  ref.pid = pid;
  ref.socketPath = std::string(path, len);
  return ref;
}

}  // namespace rpc
