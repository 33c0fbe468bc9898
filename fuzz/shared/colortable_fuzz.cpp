// Feeds arbitrary bytes to the profile reader and the colour-value parser the way a palette
// load does, and checks that a write keeps every other byte of the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/inifile.h"
#include "shared/colorinfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const platform::IniFile ini = platform::IniFile::Parse(text);
  if (ini.Text() != text) std::abort();

  for (const char* section : {"SysColor", "MacColor1", "1"}) {
    if (!ini.HasKeys(section)) continue;
    for (int i = 0; i < 60; ++i) {
      const auto value = ini.Get(section, std::to_string(i));
      if (!value) continue;
      const auto entry = ParseColorValue(*value);
      if (!entry) continue;
      // Whatever was read must be written on one line and read back the same.
      platform::IniFile copy = ini;
      if (!copy.Set(section, std::to_string(i), FormatColorValue(*entry))) std::abort();
      const auto back = platform::IniFile::Parse(copy.Text()).Get(section, std::to_string(i));
      const auto again = back ? ParseColorValue(*back) : std::nullopt;
      if (!again || again->Color != entry->Color || again->Flag != entry->Flag) std::abort();
    }
  }
  platform::IniFile pruned = ini;
  for (const std::string& key : ini.Keys("SysColor")) {
    if (!pruned.Remove("SysColor", key) || pruned.Get("SysColor", key)) std::abort();
  }
  if (pruned.HasKeys("SysColor")) std::abort();
  return 0;
}
