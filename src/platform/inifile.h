#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A profile (INI) text with the Windows rules: a line "[name]" opens a section, a line
// "key=value" holds a value; section and key names compare without regard to ASCII case;
// the first section of a name and the first key within it win; names and values are read
// without their surrounding blanks. The text is kept line by line, so a write replaces one
// line or adds one and leaves every other byte as it was. Lines of any other shape are kept
// and ignored. Values have no length limit of their own.
class IniFile {
 public:
  // Anything larger is refused by ReadIniFile rather than read into memory.
  static constexpr std::size_t kMaxFileSize = std::size_t{16} << 20;

  static IniFile Parse(std::string_view text);
  std::string Text() const;

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  // True when the section exists and holds at least one key.
  bool HasKeys(std::string_view section) const;
  // The key names of the section as the file spells them, first occurrences only, in order.
  std::vector<std::string> Keys(std::string_view section) const;
  // Updates the key in place, or adds it at the end of its section, or adds the section at the
  // end of the text. False, with nothing changed, when the names or the value cannot be stored
  // on one line so that they read back the same (see IsValidSectionName and IsValidKeyName;
  // a value must not hold a line break). Blanks around a value are dropped when it is read.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes every line of the key in the section; true when there was one.
  bool Remove(std::string_view section, std::string_view key);

 private:
  enum class Kind { Other, Section, Key };
  struct Line {
    std::string text;  // the line as it stands, without its line break
    std::string eol;   // "\r\n", "\n" or "" for a last line without one
    Kind kind = Kind::Other;
    std::string name;   // section or key name, blanks removed
    std::string value;  // key lines: the value, blanks removed
  };
  static Line Classify(std::string text, std::string eol, bool first);
  // Index of the first header of the section, or none.
  std::optional<std::size_t> FindSection(std::string_view section) const;
  // One past the last line of the section that starts at `start`.
  std::size_t SectionEnd(std::size_t start) const;
  std::string NewLineBreak() const;

  std::vector<Line> lines_;
};

// A section name reads back as written when it is not empty, has no surrounding blanks, no
// "]" and no control characters.
bool IsValidSectionName(std::string_view name);
// A key reads back as written when it is not empty, has no surrounding blanks, no "=", no
// control characters and does not begin with "[".
bool IsValidKeyName(std::string_view name);

// Reads a profile file; a missing file reads as empty. None when the file exists but cannot
// be read or is larger than IniFile::kMaxFileSize (the last-error slot says why).
std::optional<IniFile> ReadIniFile(const std::filesystem::path& path);
// Writes the text atomically (temporary file and rename).
bool WriteIniFile(const std::filesystem::path& path, const IniFile& ini);

// The Windows-shaped calls, one file access each.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view fallback, const std::filesystem::path& path);
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& path);

}  // namespace platform
