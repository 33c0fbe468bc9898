#pragma once

#include <filesystem>
#include <mutex>
#include <string_view>

// The one text log the driver keeps for all its ports. Lines come from the caller's thread and
// from the port threads; one lock keeps a line whole and keeps the file from being closed under
// a writer.
namespace portlink {

struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
};

using LocalClock = LocalTime (*)();
LocalTime SystemLocalTime();

class Log {
 public:
  static constexpr std::size_t kMaxLine = 255;  // with the line end

  explicit Log(LocalClock clock = SystemLocalTime) : clock_(clock) {}
  ~Log();
  Log(const Log&) = delete;
  Log& operator=(const Log&) = delete;

  bool IsOpen() const;
  // Opens the file for appending, unless a log is open already; an open log starts with
  // "Application started.". A file that cannot be opened (or is held by another opener) leaves
  // the log closed, silently.
  void Open(const std::filesystem::path& file);
  // Writes "Application end." and an empty line, then closes the file.
  void Close();
  // Drops the file without writing anything more.
  void Forget();
  // Writes one time-stamped line; comNumber > 0 adds the "com%d: " prefix. False when there is
  // no open log or the write failed.
  bool WriteLine(std::string_view text, int comNumber);

  void SetClock(LocalClock clock);

 private:
  bool WriteLocked(std::string_view text, int comNumber);
  void CloseLocked();

  mutable std::mutex mutex_;
  int fd_ = -1;
  int lastDay_ = 0;  // day of the month of the last line; 0 before the first
  LocalClock clock_;
};

}  // namespace portlink
