#include "shared/colorinfo.h"

#include <array>
#include <charconv>
#include <utility>

#include "platform/inifile.h"

namespace {

constexpr std::array<COLORREF, kBuiltinColorCount> kBuiltinColors = {
    RGB(0, 0, 255),     RGB(0, 102, 255),   RGB(0, 204, 255),   RGB(0, 255, 204),
    RGB(0, 255, 102),   RGB(64, 128, 0),    RGB(102, 255, 0),   RGB(204, 255, 0),
    RGB(255, 204, 0),   RGB(255, 102, 0),   RGB(255, 0, 0),     RGB(255, 0, 102),
    RGB(255, 0, 204),   RGB(204, 0, 255),   RGB(0, 0, 0),       RGB(6, 0, 255),
    RGB(64, 64, 128),   RGB(64, 128, 255),  RGB(0, 255, 0),     RGB(128, 128, 0),
    RGB(128, 64, 0),    RGB(255, 128, 128), RGB(64, 0, 128),    RGB(128, 0, 255),
    RGB(0, 0, 128),     RGB(0, 128, 255),   RGB(0, 128, 0),     RGB(64, 128, 0),
    RGB(255, 0, 0),     RGB(160, 0, 0),     RGB(128, 0, 128),   RGB(255, 0, 128),
    RGB(0, 0, 64),      RGB(0, 64, 128),    RGB(0, 64, 0),      RGB(64, 64, 0),
    RGB(128, 0, 0),     RGB(64, 0, 0),      RGB(64, 0, 64),     RGB(128, 0, 64),
    RGB(0, 0, 0),       RGB(0, 128, 128),   RGB(64, 128, 128),  RGB(128, 128, 128),
    RGB(128, 128, 64),  RGB(192, 192, 192), RGB(64, 0, 64),     RGB(6, 0, 255),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
    RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
};

// Entries that come from the built-in table or from a value without a flag field are offered
// to colour matching; an operator clears the flag deliberately.
constexpr std::uint8_t kDefaultFlag = 1;

bool IsBlank(char c) { return c == ' ' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// A field that is not a signed 32-bit decimal number counts as 255; a number keeps its low 8 bits.
std::uint8_t ChannelValue(const std::string& field) {
  const char* first = field.data();
  const char* last = first + field.size();
  if (first != last && *first == '+') ++first;
  std::int32_t v = 0;
  auto [ptr, ec] = std::from_chars(first, last, v);
  if (first == last || ec != std::errc() || ptr != last) return 255;
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) & 0xFF);
}

// The entry index a key names ("0", "1", ... without leading zeros), or -1.
int EntryIndexOfKey(std::string_view key) {
  if (key.empty() || key.size() > 9 || (key.size() > 1 && key.front() == '0')) return -1;
  int index = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return -1;
    index = index * 10 + (c - '0');
  }
  return index;
}

}  // namespace

COLORREF BuiltinColor(int i) {
  return i >= 0 && i < kBuiltinColorCount ? kBuiltinColors[static_cast<std::size_t>(i)] : 0;
}

std::vector<std::string> SplitColorFields(std::string_view value) {
  std::vector<std::string> fields;
  std::size_t p = 0;
  const std::size_t n = value.size();
  while (p < n && IsBlank(value[p])) ++p;
  while (p < n) {
    std::string field;
    if (value[p] == '"') {
      ++p;
      while (p < n) {
        if (value[p] == '"') {
          if (p + 1 < n && value[p + 1] == '"') {
            field += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        field += value[p++];
      }
    } else {
      while (p < n && value[p] != ',' && !IsBlank(value[p])) field += value[p++];
    }
    fields.push_back(std::move(field));
    while (p < n && IsBlank(value[p])) ++p;
    if (p < n && value[p] == ',') {
      ++p;
      while (p < n && IsBlank(value[p])) ++p;
      if (p == n) fields.emplace_back();  // a trailing comma adds one empty field
    }
  }
  return fields;
}

std::optional<TSTITCH_COLOR> ParseColorValue(std::string_view value) {
  std::vector<std::string> fields = SplitColorFields(value);
  if (fields.size() < 3) return std::nullopt;
  TSTITCH_COLOR entry;
  entry.Color = RGB(ChannelValue(fields[0]), ChannelValue(fields[1]), ChannelValue(fields[2]));
  entry.Flag = fields.size() > 3 && fields[3] == "0" ? 0 : kDefaultFlag;
  if (fields.size() > 4) entry.Label = std::move(fields[4]);
  return entry;
}

std::string FormatColorValue(const TSTITCH_COLOR& entry) {
  std::string out = std::to_string(GetRValue(entry.Color)) + ',' +
                    std::to_string(GetGValue(entry.Color)) + ',' +
                    std::to_string(GetBValue(entry.Color)) + ',' + (entry.Flag ? '1' : '0') + ",\"";
  for (char c : entry.Label) {
    if (c == '"')
      out += "\"\"";
    else if (c == '\r' || c == '\n')
      out += ' ';
    else
      out += c;
  }
  out += '"';
  return out;
}

void TColorInfo::LoadColors(std::string section, int count) {
  Entries.clear();
  Section = std::move(section);
  // A file that cannot be read counts as missing: the built-in colours stand in.
  const std::optional<platform::IniFile> ini =
      FileName.empty() ? std::nullopt : platform::ReadIniFile(FileName);
  if (!ini || !ini->HasKeys(Section)) {
    for (int i = 0; i < count; ++i) Entries.push_back({BuiltinColor(i), kDefaultFlag, {}, {}});
    return;
  }
  for (int i = 0; i < count; ++i) {
    const std::optional<std::string> value = ini->Get(Section, std::to_string(i));
    if (std::optional<TSTITCH_COLOR> entry = ParseColorValue(value ? *value : std::string()))
      Entries.push_back(std::move(*entry));
  }
}

bool TColorInfo::SaveColors() {
  if (!Modified) return false;
  if (FileName.empty()) return false;
  // One read and one atomic write for the whole palette; other sections stay as they are.
  std::optional<platform::IniFile> ini = platform::ReadIniFile(FileName);
  if (!ini) return false;
  for (int i = 0; i < GetCount(); ++i)
    if (!ini->Set(Section, std::to_string(i),
                  FormatColorValue(Entries[static_cast<std::size_t>(i)])))
      return false;
  // Entry keys beyond the palette would bring deleted colours back at the next load.
  for (const std::string& key : ini->Keys(Section))
    if (EntryIndexOfKey(key) >= GetCount()) ini->Remove(Section, key);
  if (!platform::WriteIniFile(FileName, *ini)) return false;
  Modified = 0;
  return true;
}

COLORREF TColorInfo::GetColor(int i) const {
  return Valid(i) ? Entries[static_cast<std::size_t>(i)].Color : 0;
}

TRGBValues TColorInfo::GetRGB(int i) const {
  if (!Valid(i)) return {};
  const COLORREF c = Entries[static_cast<std::size_t>(i)].Color;
  return {GetBValue(c), GetGValue(c), GetRValue(c)};
}

void TColorInfo::SetColor(int i, COLORREF color) {
  if (!Valid(i)) return;
  Entries[static_cast<std::size_t>(i)].Color = color;
  Modified = 1;
}

bool TColorInfo::GetFlag(int i) const {
  return Valid(i) && Entries[static_cast<std::size_t>(i)].Flag != 0;
}

void TColorInfo::SetFlag(int i, bool flag) {
  if (!Valid(i)) return;
  Entries[static_cast<std::size_t>(i)].Flag = flag ? 1 : 0;
  Modified = 1;
}

std::string TColorInfo::GetLabel(int i) const {
  return Valid(i) ? Entries[static_cast<std::size_t>(i)].Label : std::string();
}

void TColorInfo::SetLabel(int i, std::string text) {
  if (!Valid(i)) return;
  Entries[static_cast<std::size_t>(i)].Label = std::move(text);
  Modified = 1;
}

TSTITCH_COLOR TColorInfo::GetEntry(int i) const {
  return Valid(i) ? Entries[static_cast<std::size_t>(i)] : TSTITCH_COLOR{};
}

int TColorInfo::Insert(int at, const TSTITCH_COLOR& entry) {
  if (at >= GetCount()) return at;
  if (at < 0) {
    Entries.push_back(entry);
    Modified = 1;
    return GetCount() - 1;
  }
  Entries.insert(Entries.begin() + at, entry);
  Modified = 1;
  return at;
}

int TColorInfo::Delete(int i) {
  if (!Valid(i)) return GetCount();
  Entries.erase(Entries.begin() + i);
  Modified = 1;
  return GetCount();
}

bool TColorInfo::Move(int from, int to) {
  if (!Valid(from) || to < 0 || to > GetCount()) return false;
  TSTITCH_COLOR entry = std::move(Entries[static_cast<std::size_t>(from)]);
  Entries.erase(Entries.begin() + from);
  Entries.insert(Entries.begin() + (from < to ? to - 1 : to), std::move(entry));
  Modified = 1;
  return true;
}

std::string SerialColorSection(int devNo) { return "MacColor" + std::to_string(devNo + 1); }

namespace {

bool IsPlainHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] - 'A' + 'a') : s[i];
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::string NetworkColorSection(std::string_view hostName) {
  if (hostName.empty()) return "1";
  bool plain = !StartsWithNoCase(hostName, "maccolor") &&
               !(hostName.size() == 8 && StartsWithNoCase(hostName, "syscolor"));
  for (char c : hostName) plain = plain && IsPlainHostChar(c);
  if (plain) return std::string(hostName);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "%";
  for (char c : hostName) {
    if (IsPlainHostChar(c)) {
      out += c;
    } else {
      const auto b = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}
