#include "hoopdesk/startup/paramfile.h"

#include <algorithm>
#include <cerrno>

#include "platform/datafolder.h"
#include "platform/fileutil.h"
#include "platform/lasterror.h"

namespace {

constexpr std::size_t kCountField = 4;
constexpr std::uint8_t kLineEnd = 0x0A;

// The count field read as a decimal number: blanks skipped, reading stops at the first
// non-digit or at the end of the field.
std::size_t ReadCount(std::span<const std::uint8_t> field) {
  std::size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r'))) ++i;
  std::size_t count = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i)
    count = count * 10 + (field[i] - '0');
  return count;
}

}  // namespace

std::filesystem::path TParamFile::DefaultPath() { return platform::DataPath("param.txt"); }

std::vector<std::uint8_t> TParamFile::Encode(const std::vector<std::string>& args) {
  const std::size_t count = std::min(args.size(), kMaxArguments);
  // At most four digits, padded with 0x00 bytes.
  const std::string digits = std::to_string(count);
  std::vector<std::uint8_t> data(digits.begin(), digits.end());
  data.resize(kCountField, 0);
  for (std::size_t i = 0; i < count; ++i) {
    data.insert(data.end(), args[i].begin(), args[i].end());
    data.push_back(kLineEnd);
  }
  return data;
}

std::vector<std::string> TParamFile::Decode(std::span<const std::uint8_t> data) {
  const std::size_t count = ReadCount(data.first(std::min(data.size(), kCountField)));
  std::vector<std::string> args;
  std::size_t p = kCountField;
  for (std::size_t i = 0; i < count && p < data.size(); ++i) {
    std::size_t end = p;
    while (end < data.size() && data[end] != kLineEnd) ++end;
    args.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(p),
                      data.begin() + static_cast<std::ptrdiff_t>(end));
    p = end + 1;
  }
  return args;
}

bool TParamFile::Write(const std::filesystem::path& path, const std::vector<std::string>& args) {
  return platform::WriteFileAtomically(path, Encode(args));
}

int TParamFile::Read(const std::filesystem::path& path,
                     const std::function<void(const std::string& arg)>& open) {
  const auto data = platform::ReadFileBytes(path, kMaxFileSize);
  if (!data) {
    if (platform::GetLastError() == EFBIG) platform::RemoveFile(path);
    return 0;
  }
  platform::RemoveFile(path);
  const std::vector<std::string> args = Decode(*data);
  for (const std::string& arg : args) open(arg);
  return static_cast<int>(args.size());
}
