#include "hoopdesk/sendfolder/sendfolderexpiry.h"

#include <algorithm>
#include <limits>

namespace {

using FileTime = std::filesystem::file_time_type;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

// The name without its last extension (".10o" is 4 characters).
std::string_view Stem(std::string_view name) {
  return name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string_view{};
}

}  // namespace

FileTime ExpiryCutOff(FileTime now, std::int32_t days) {
  using Rep = FileTime::rep;
  const Rep perDay = std::chrono::duration_cast<FileTime::duration>(std::chrono::days(1)).count();
  Rep span = 0;
  if (__builtin_mul_overflow(static_cast<Rep>(std::max(days, 0)), perDay, &span))
    span = std::numeric_limits<Rep>::max();
  Rep cutoff = 0;
  if (__builtin_sub_overflow(now.time_since_epoch().count(), span, &cutoff))
    cutoff = std::numeric_limits<Rep>::min();
  return FileTime(FileTime::duration(cutoff));
}

std::vector<std::string> ExpiredSendFiles(std::vector<TSendFileEntry> entries,
                                          std::int32_t fileLimit) {
  std::sort(entries.begin(), entries.end(), [](const TSendFileEntry& a, const TSendFileEntry& b) {
    if (a.time != b.time) return a.time < b.time;
    return LessNoCase(a.name, b.name);
  });
  const std::size_t keep = static_cast<std::size_t>(std::max(fileLimit, 0));
  std::vector<std::string> expired;
  for (std::size_t i = 0; i + keep < entries.size() && entries[i].old; ++i)
    expired.push_back(entries[i].name);
  return expired;
}

bool IsCompanionName(const std::string& designName, const std::string& candidate) {
  if (candidate.size() != designName.size() || candidate.size() < 4) return false;
  const std::string_view ext = std::string_view(candidate).substr(candidate.size() - 4);
  // The stem exactly: "a.00o" belongs to the kept "a.10o", not to "A.10o".
  return Stem(candidate) == Stem(designName) && ext[0] == '.' && ext[1] == '0' &&
         Lower(ext[3]) == 'o';
}
