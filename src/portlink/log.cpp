#include "portlink/log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace portlink {

LocalTime SystemLocalTime() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
  std::tm tm{};
  localtime_r(&seconds, &tm);
  return {tm.tm_year + 1900,           tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
          static_cast<int>(ms.count())};
}

Log::~Log() { Forget(); }

bool Log::IsOpen() const {
  std::lock_guard lock(mutex_);
  return fd_ >= 0;
}

void Log::Open(const std::filesystem::path& file) {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0) return;
  int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return;
  // Not shared: a second opener, in this process or another, gets no log.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  WriteLocked("Application started.", 0);
}

void Log::Close() {
  std::lock_guard lock(mutex_);
  if (fd_ < 0) return;
  WriteLocked("Application end.\r\n", 0);
  CloseLocked();
}

void Log::Forget() {
  std::lock_guard lock(mutex_);
  CloseLocked();
}

void Log::CloseLocked() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool Log::WriteLine(std::string_view text, int comNumber) {
  std::lock_guard lock(mutex_);
  return WriteLocked(text, comNumber);
}

void Log::SetClock(LocalClock clock) {
  std::lock_guard lock(mutex_);
  clock_ = clock;
}

bool Log::WriteLocked(std::string_view text, int comNumber) {
  if (fd_ < 0) return false;
  LocalTime t = clock_();
  char head[64];
  int n;
  if (t.day == lastDay_) {
    n = std::snprintf(head, sizeof head, "           %02d:%02d:%02d:%03d ", t.hour, t.minute,
                      t.second, t.millisecond);
  } else {
    n = std::snprintf(head, sizeof head, "%d-%02d-%02d %02d:%02d:%02d:%03d ", t.year, t.month,
                      t.day, t.hour, t.minute, t.second, t.millisecond);
  }
  lastDay_ = t.day;
  std::string line(head, n > 0 ? static_cast<std::size_t>(n) : 0);
  if (comNumber > 0) line += "com" + std::to_string(comNumber) + ": ";
  const std::size_t room = kMaxLine - 2 > line.size() ? kMaxLine - 2 - line.size() : 0;
  line.append(text.substr(0, room));
  line += "\r\n";
  // One write per line: O_APPEND keeps lines whole; the descriptor is unbuffered.
  return ::write(fd_, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

}  // namespace portlink
