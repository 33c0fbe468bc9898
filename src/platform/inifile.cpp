#include "platform/inifile.h"

#include <cerrno>
#include <unordered_set>

#include "platform/fileutil.h"
#include "platform/lasterror.h"

namespace platform {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool HasControl(std::string_view s) {
  for (char c : s)
    if (IsControl(c)) return true;
  return false;
}

bool HasLineBreak(std::string_view s) {
  return s.find('\n') != std::string_view::npos || s.find('\r') != std::string_view::npos;
}

}  // namespace

bool IsValidSectionName(std::string_view name) {
  return !name.empty() && Trim(name) == name && name.find(']') == std::string_view::npos &&
         !HasControl(name);
}

bool IsValidKeyName(std::string_view name) {
  return !name.empty() && Trim(name) == name && name.find('=') == std::string_view::npos &&
         name.front() != '[' && !HasControl(name);
}

IniFile::Line IniFile::Classify(std::string text, std::string eol, bool first) {
  Line line{std::move(text), std::move(eol), Kind::Other, {}, {}};
  std::string_view body = line.text;
  if (first && body.substr(0, kUtf8Bom.size()) == kUtf8Bom) body.remove_prefix(kUtf8Bom.size());
  body = Trim(body);
  if (!body.empty() && body.front() == '[') {
    body.remove_prefix(1);
    line.kind = Kind::Section;
    line.name = Trim(body.substr(0, body.find(']')));
    return line;
  }
  const std::size_t eq = body.find('=');
  if (eq == std::string_view::npos) return line;
  const std::string_view key = Trim(body.substr(0, eq));
  if (key.empty()) return line;
  line.kind = Kind::Key;
  line.name = key;
  line.value = Trim(body.substr(eq + 1));
  return line;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view body = text.substr(0, nl);
    std::string_view eol;
    if (nl != std::string_view::npos) {
      const bool crlf = !body.empty() && body.back() == '\r';
      if (crlf) body.remove_suffix(1);
      eol = crlf ? "\r\n" : "\n";
      text.remove_prefix(nl + 1);
    } else {
      text = {};
    }
    ini.lines_.push_back(Classify(std::string(body), std::string(eol), ini.lines_.empty()));
  }
  return ini;
}

std::string IniFile::Text() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.eol;
  }
  return out;
}

std::optional<std::size_t> IniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section && SameName(lines_[i].name, section)) return i;
  return std::nullopt;
}

std::size_t IniFile::SectionEnd(std::size_t start) const {
  std::size_t end = start + 1;
  while (end < lines_.size() && lines_[end].kind != Kind::Section) ++end;
  return end;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  const std::optional<std::size_t> start = FindSection(Trim(section));
  if (!start) return std::nullopt;
  key = Trim(key);
  const std::size_t end = SectionEnd(*start);
  for (std::size_t i = *start + 1; i < end; ++i)
    if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, key)) return lines_[i].value;
  return std::nullopt;
}

bool IniFile::HasKeys(std::string_view section) const { return !Keys(section).empty(); }

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  const std::optional<std::size_t> start = FindSection(Trim(section));
  if (!start) return keys;
  std::unordered_set<std::string> seen;
  const std::size_t end = SectionEnd(*start);
  for (std::size_t i = *start + 1; i < end; ++i) {
    if (lines_[i].kind != Kind::Key) continue;
    std::string folded = lines_[i].name;
    for (char& c : folded) c = Lower(c);
    if (seen.insert(std::move(folded)).second) keys.push_back(lines_[i].name);
  }
  return keys;
}

bool IniFile::Remove(std::string_view section, std::string_view key) {
  const std::optional<std::size_t> start = FindSection(Trim(section));
  if (!start) return false;
  key = Trim(key);
  bool removed = false;
  for (std::size_t i = SectionEnd(*start); i-- > *start + 1;) {
    if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, key)) {
      // A last line without a line break hands that state to the line before it.
      if (lines_[i].eol.empty() && i + 1 == lines_.size()) lines_[i - 1].eol.clear();
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      removed = true;
    }
  }
  return removed;
}

std::string IniFile::NewLineBreak() const {
  // Follow the file's own convention so a file made on Windows stays consistent.
  for (const Line& line : lines_)
    if (!line.eol.empty()) return line.eol;
  return "\n";
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (!IsValidSectionName(section) || !IsValidKeyName(key) || HasLineBreak(value)) return false;
  const std::string eol = NewLineBreak();
  const std::string keyLine = std::string(key) + "=" + std::string(value);

  const std::optional<std::size_t> start = FindSection(section);
  if (!start) {
    if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
    std::string header(1, '[');
    header.append(section).push_back(']');
    lines_.push_back(Classify(std::move(header), eol, lines_.empty()));
    lines_.push_back(Classify(keyLine, eol, false));
    return true;
  }
  // The new key goes after the last line of the section that is not blank, so blank lines
  // that separate it from the next section stay where they are.
  std::size_t insertAt = *start + 1;
  for (std::size_t i = *start + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i) {
    if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, key)) {
      // The key keeps the spelling the file gave it.
      std::string lineEol = lines_[i].eol;
      lines_[i] = Classify(lines_[i].name + "=" + std::string(value), std::move(lineEol), false);
      return true;
    }
    if (!Trim(lines_[i].text).empty()) insertAt = i + 1;
  }
  if (lines_[insertAt - 1].eol.empty()) lines_[insertAt - 1].eol = eol;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                Classify(keyLine, eol, false));
  return true;
}

std::optional<IniFile> ReadIniFile(const std::filesystem::path& path) {
  std::optional<std::string> text = ReadFileText(path, IniFile::kMaxFileSize);
  if (!text) {
    if (GetLastError() == ENOENT) return IniFile{};
    return std::nullopt;
  }
  return IniFile::Parse(*text);
}

bool WriteIniFile(const std::filesystem::path& path, const IniFile& ini) {
  return WriteFileAtomically(path, ini.Text());
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::filesystem::path& path) {
  const std::optional<IniFile> ini = ReadIniFile(path);
  std::optional<std::string> value = ini ? ini->Get(section, key) : std::nullopt;
  return value ? std::move(*value) : std::string(fallback);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& path) {
  std::optional<IniFile> ini = ReadIniFile(path);
  if (!ini) return false;
  if (!ini->Set(section, key, value)) {
    SetLastError(EINVAL);
    return false;
  }
  return WriteIniFile(path, *ini);
}

}  // namespace platform
