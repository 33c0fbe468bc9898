#include "platform/fileutil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <system_error>

#include "platform/lasterror.h"

namespace platform {

namespace {

// Closes a descriptor when it leaves scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded (it can report a late write error).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool Fail() {
  SetLastError(errno);
  return false;
}

template <typename Buffer>
std::optional<Buffer> ReadWhole(const std::filesystem::path& path, std::size_t maxSize) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return Fail(), std::nullopt;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return Fail(), std::nullopt;
  if (!S_ISREG(st.st_mode)) {
    SetLastError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return std::nullopt;
  }
  Buffer data;
  // The size is only a hint: the file may change while we read, so the limit is checked
  // against what actually arrives.
  if (static_cast<std::uint64_t>(st.st_size) <= maxSize)
    data.reserve(static_cast<std::size_t>(st.st_size));
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(), std::nullopt;
    }
    if (n == 0) break;
    if (data.size() + static_cast<std::size_t>(n) > maxSize) {
      SetLastError(EFBIG);
      return std::nullopt;
    }
    data.insert(data.end(), chunk, chunk + n);
  }
  return data;
}

bool WriteAll(int fd, const std::uint8_t* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

}  // namespace

bool FileExists(const std::filesystem::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 || Fail();
}

bool DirectoryExists(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return Fail();
  return S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::filesystem::path& path) {
  return ::mkdir(path.c_str(), 0777) == 0 || Fail();
}

bool CreateNewFile(const std::filesystem::path& path) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  return fd.get() >= 0 || Fail();
}

bool RemoveFile(const std::filesystem::path& path) { return ::unlink(path.c_str()) == 0 || Fail(); }

std::optional<std::string> ReadFileText(const std::filesystem::path& path, std::size_t maxSize) {
  return ReadWhole<std::string>(path, maxSize);
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                       std::size_t maxSize) {
  return ReadWhole<std::vector<std::uint8_t>>(path, maxSize);
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> data) {
  std::filesystem::path target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    target = std::filesystem::canonical(path, ec);
    if (ec) {
      SetLastError(ec.value());
      return false;
    }
  }
  mode_t mode = 0666 & ~static_cast<mode_t>(0022);
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;

  std::string pattern = target.string() + ".XXXXXX";
  Fd fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (fd.get() < 0) return Fail();
  const std::filesystem::path temp = pattern;
  const bool written = WriteAll(fd.get(), data.data(), data.size()) &&
                       ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0 && fd.Close() &&
                       ::rename(temp.c_str(), target.c_str()) == 0;
  if (!written) {
    const int error = errno;
    ::unlink(temp.c_str());
    SetLastError(error);
    return false;
  }
  return true;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view data) {
  return WriteFileAtomically(
      path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.data()),
                                          data.size()));
}

void RotateLog(const std::filesystem::path& log, std::uintmax_t limit) {
  std::ifstream readable(log, std::ios::binary);
  if (!readable) return;
  readable.close();
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(log, ec);
  if (ec || size <= limit) return;
  std::filesystem::path old = log;
  old.replace_extension(".old");
  std::filesystem::remove(old, ec);
  std::filesystem::rename(log, old, ec);
}

}  // namespace platform
