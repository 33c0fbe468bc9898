#include "shared/getserial.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

#include "platform/fileutil.h"
#include "platform/lasterror.h"

namespace {

constexpr int kLastSequence = 999;

}  // namespace

TLocalDate LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string SerialBaseName(const TLocalDate& date, int sequence) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.02d%.02d%x%.03d", date.Year % 100, date.Day,
                static_cast<unsigned>(date.Month), sequence);
  return buffer;
}

TSerialNamer::TSerialNamer(SerialClock clock) : clock_(std::move(clock)) {}

void TSerialNamer::SetFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  folder_ = std::move(folder);
}

bool TSerialNamer::MakeName(std::string_view extension, std::string& folder, std::string& name) {
  if (folder_.empty()) {
    platform::SetLastError(ENOENT);
    return false;
  }
  if (!platform::DirectoryExists(folder_) && !platform::CreateFolder(folder_) &&
      !platform::DirectoryExists(folder_))  // another program may have made it meanwhile
    return false;
  folder = folder_;

  const TLocalDate today = clock_();
  if (static_cast<unsigned>(today.Day) != counterDay_) {
    counter_ = 1;
    counterDay_ = static_cast<unsigned>(today.Day);
  }
  while (counter_ <= kLastSequence) {
    name = SerialBaseName(today, counter_) + std::string(extension);
    ++counter_;
    if (platform::CreateNewFile(folder_ + name)) return true;
    if (platform::GetLastError() != EEXIST) return false;
  }
  platform::SetLastError(EEXIST);
  return false;
}

namespace {

struct SharedNamer {
  std::mutex mutex;
  TSerialNamer namer;
};

SharedNamer& TheNamer() {
  static SharedNamer shared;
  return shared;
}

}  // namespace

void ReleaseSerialName(const std::string& folder, const std::string& name) {
  std::filesystem::path path(folder + name);
  std::error_code ec;
  std::filesystem::remove(path, ec);
  std::filesystem::remove(path.replace_extension(".00o"), ec);
}

void SetSerialFolder(std::string folder) {
  std::lock_guard lock(TheNamer().mutex);
  TheNamer().namer.SetFolder(std::move(folder));
}

void SetSerialClock(SerialClock clock) {
  std::lock_guard lock(TheNamer().mutex);
  SharedNamer& shared = TheNamer();
  const std::string folder = shared.namer.GetFolder();
  shared.namer = TSerialNamer(clock ? std::move(clock) : SerialClock(LocalToday));
  shared.namer.SetFolder(folder);
}

bool MakeSerialName(std::string_view extension, std::string& folder, std::string& name) {
  std::lock_guard lock(TheNamer().mutex);
  return TheNamer().namer.MakeName(extension, folder, name);
}
