#include "rpc/publication.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
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

std::string PublicationName() {
  return "/PelService." + std::to_string(::getuid()) + InstanceSuffix();
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
  if (published_) ::shm_unlink(PublicationName().c_str());
}

bool Publication::Publish(const PublishedReference& ref, std::string* error) {
  const std::string& path = ref.socketPath.native();
  if (path.empty() || path.size() >= kPathSpace) {
    *error = "socket path too long";
    return false;
  }
  // We hold the lock, so any object of this name is a dead server's: replace it.
  const std::string name = PublicationName();
  ::shm_unlink(name.c_str());
  UniqueFd shm(::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!shm.valid()) {
    *error = Errno("cannot create the publication");
    return false;
  }
  published_ = true;
  unsigned char block[kPublicationSize] = {};
  const int32_t pid = ref.pid;
  std::memcpy(block + kPidOffset, &pid, sizeof pid);
  std::memcpy(block + kPathOffset, path.data(), path.size());
  // The magic goes in last, so a reader never takes a half-written block for a reference.
  if (::ftruncate(shm.get(), kPublicationSize) != 0 ||
      ::pwrite(shm.get(), block, sizeof block, 0) != static_cast<ssize_t>(sizeof block) ||
      ::pwrite(shm.get(), kMagic, sizeof kMagic, 0) != static_cast<ssize_t>(sizeof kMagic)) {
    *error = Errno("cannot write the publication");
    return false;
  }
  return true;
}

std::optional<PublishedReference> ReadPublication() {
  UniqueFd shm(::shm_open(PublicationName().c_str(), O_RDONLY | O_CLOEXEC, 0));
  if (!shm.valid()) return std::nullopt;
  struct stat st {};
  if (::fstat(shm.get(), &st) != 0 || st.st_uid != ::getuid() || (st.st_mode & 077) != 0 ||
      st.st_size < static_cast<off_t>(kPublicationSize))
    return std::nullopt;
  unsigned char block[kPublicationSize];
  if (::pread(shm.get(), block, sizeof block, 0) != static_cast<ssize_t>(sizeof block))
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
