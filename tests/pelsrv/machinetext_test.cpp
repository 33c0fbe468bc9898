#include "pelsrv/protocol/machinetext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Utf8Of(const std::string& raw) {
  return MachineTextToUtf8({reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size()});
}

}  // namespace

TEST(MachineText, BecomesValidUtf8UpToTheFirstNul) {
  struct Case {
    std::string raw;
    std::string utf8;
  };
  const std::vector<Case> cases = {
      {"2609c008.10o", "2609c008.10o"},
      {std::string("AB\0CD", 5), "AB"},
      {"%s%n%x", "%s%n%x"},                                      // kept as text, never a format
      {"caf\xC3\xA9", "caf\xC3\xA9"},                            // valid sequence kept
      {"caf\xE9", "caf\xEF\xBF\xBD"},                            // Latin-1 byte replaced
      {"\xC3", "\xEF\xBF\xBD"},                                  // cut sequence
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8Of(c.raw), c.utf8) << c.raw;
}

TEST(MachineText, OnlyPlainNamesMayBeJoinedToTheSendFolder) {
  struct Case {
    std::string name;
    bool safe;
  };
  const std::vector<Case> cases = {
      {"2609c008.10o", true}, {"STAR.10O", true}, {"a b.10o", true},   {"", false},
      {".", false},           {"..", false},      {"../x.10o", false}, {"a/b.10o", false},
      {"a\\b.10o", false},    {"c:x.10o", false}, {"x..10o", false},   {"a\tb", false},
      {"a\x7f", false},       {"/etc", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSafeDesignName(c.name), c.safe) << c.name;
}
