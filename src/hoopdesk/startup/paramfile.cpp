#include "hoopdesk/startup/paramfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "platform/datafolder.h"
#include "platform/fileutil.h"
#include "platform/lasterror.h"

namespace {

constexpr std::size_t kCountField = 4;
constexpr std::uint8_t kLineEnd = 0x0A;
constexpr char kHexDigits[] = "0123456789abcdef";

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

bool NeedsEncoding(const std::string& arg) {
  return arg.find(static_cast<char>(kLineEnd)) != std::string::npos ||
         arg.find(static_cast<char>(TParamFile::kEncodedMark)) != std::string::npos;
}

void AppendEncoded(const std::string& arg, std::vector<std::uint8_t>& out) {
  out.push_back(TParamFile::kEncodedMark);
  for (const char c : arg) {
    const auto byte = static_cast<std::uint8_t>(c);
    out.push_back(static_cast<std::uint8_t>(kHexDigits[byte >> 4]));
    out.push_back(static_cast<std::uint8_t>(kHexDigits[byte & 0x0F]));
  }
}

int HexValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One line of the file as the argument it holds.
std::string DecodeLine(std::span<const std::uint8_t> line) {
  std::string raw(line.begin(), line.end());
  if (line.empty() || line[0] != TParamFile::kEncodedMark) return raw;
  const std::span<const std::uint8_t> hex = line.subspan(1);
  if (hex.size() % 2 != 0) return raw;
  std::string arg;
  arg.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]);
    const int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return raw;
    arg.push_back(static_cast<char>(high << 4 | low));
  }
  return arg;
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
    if (NeedsEncoding(args[i]))
      AppendEncoded(args[i], data);
    else
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
    args.push_back(DecodeLine(data.subspan(p, end - p)));
    p = end + 1;
  }
  return args;
}

bool TParamFile::Write(const std::filesystem::path& path, const std::vector<std::string>& args) {
  const std::vector<std::uint8_t> data = Encode(args);
  if (data.size() > kMaxFileSize) {
    platform::SetLastError(EFBIG);
    return false;
  }
  return platform::WriteFileAtomically(path, data);
}

int TParamFile::Read(const std::filesystem::path& path,
                     const std::function<void(const std::string& arg)>& open) {
  std::filesystem::path taken = PrivateName(path, "taken");
  if (::rename(path.c_str(), taken.c_str()) != 0) {
    // Nothing there, or a second start holds it to add its own arguments.
    if (errno == ENOENT) return 0;
    // A folder the file cannot be renamed in: read it where it lies.
    taken = path;
  }
  const auto data = platform::ReadFileBytes(taken, kMaxFileSize);
  if (!data && platform::GetLastError() != EFBIG) {
    if (taken != path) PutBack(taken, path);
    return 0;
  }
  platform::RemoveFile(taken);
  if (!data) return 0;
  const std::vector<std::string> args = Decode(*data);
  for (const std::string& arg : args) open(arg);
  return static_cast<int>(args.size());
}

std::filesystem::path TParamFile::PrivateName(const std::filesystem::path& path,
                                              std::string_view purpose) {
  std::string name = path.string();
  name += '.';
  name += purpose;
  name += '-';
  name += std::to_string(::getpid());
  return name;
}

bool TParamFile::PutBack(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}
