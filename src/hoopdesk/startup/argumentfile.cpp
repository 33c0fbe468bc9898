#include "hoopdesk/startup/argumentfile.h"

#include <sys/stat.h>

namespace {

constexpr std::size_t kMaxSuffixLength = 3;

// Reads a decimal number the way the C library's atoi does, within the text only.
int ReadNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

}  // namespace

bool NamesExistingFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

TArgumentFile SplitArgumentFile(std::string_view text, int machineCount,
                                const TFileProbe& namesFile) {
  TArgumentFile result{std::string(text), kNoMachine};
  if (namesFile && namesFile(result.path)) return result;

  std::size_t slash = std::string_view::npos;
  for (std::size_t i = text.size(); i-- > 1;) {
    if (text[i] == '.') break;
    if (text[i] == '/') {
      slash = i;
      break;
    }
  }
  if (slash == std::string_view::npos) return result;
  const std::string_view suffix = text.substr(slash + 1);
  if (suffix.size() > kMaxSuffixLength) return result;

  int machine = ReadNumber(suffix) - 1;
  if (machine < 0 || machine >= machineCount) machine = 0;
  return TArgumentFile{std::string(text.substr(0, slash)), machine};
}

bool SuppressesFileLoading(const std::vector<std::string>& args) {
  return !args.empty() && args.front() == "/Automation";
}

std::string MakeArgumentAbsolute(std::string_view text, const std::filesystem::path& cwd) {
  if (text.empty() || text.front() == '/') return std::string(text);
  std::string absolute = cwd.string();
  if (absolute.empty() || absolute.back() != '/') absolute += '/';
  absolute += text;
  return absolute;
}
