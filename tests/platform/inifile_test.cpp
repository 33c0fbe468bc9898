#include "platform/inifile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include <unistd.h>

#include "platform/fileutil.h"
#include "tempdir.h"

namespace {

using platform::IniFile;

TEST(IniFile, ReadsByWindowsRules) {
  const std::string text =
      "; comment\n"
      "orphan=before any section\n"
      "[Alpha]\r\n"
      "  Key One  =  spaced value \t\r\n"
      "key one=second occurrence\n"
      "novalue line\n"
      "=no key\n"
      "empty=\n"
      "\t[ Beta ]  trailing\n"
      "k=beta\n"
      "[alpha]\n"
      "late=only in the second alpha\n"
      "[Gamma]\n"
      "\n"
      "[Unclosed\n"
      "u=1";
  const IniFile ini = IniFile::Parse(text);
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"alpha", "KEY ONE", "spaced value"},  // case-insensitive, trimmed, first wins
      {"Alpha", "empty", ""},
      {"Alpha", "novalue line", std::nullopt},
      {"Alpha", "", std::nullopt},
      {"ALPHA", "late", std::nullopt},  // the first section of a name wins
      {"beta", "k", "beta"},
      {"Beta", "key one", std::nullopt},
      {"Missing", "k", std::nullopt},
      {"", "orphan", std::nullopt},
      {"Unclosed", "u", "1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ini.Get(c.section, c.key), c.value) << c.section << "/" << c.key;
  EXPECT_TRUE(ini.HasKeys("alpha"));
  EXPECT_FALSE(ini.HasKeys("Gamma"));  // present but without keys counts as missing
  EXPECT_FALSE(ini.HasKeys("Nope"));
  EXPECT_EQ(ini.Text(), text);  // an unchanged file is reproduced byte for byte
}

TEST(IniFile, WritesChangeOnlyTheirOwnLine) {
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  };
  const Case cases[] = {
      {"update in place keeps the line break and the other lines",
       "# top\r\n[S]\r\nA = 1\r\nB=2\r\n", "s", "a", "9", "# top\r\n[S]\r\nA=9\r\nB=2\r\n"},
      {"new key goes after the last filled line of its section", "[S]\nA=1\n\n[T]\nX=1\n", "S", "B",
       "2", "[S]\nA=1\nB=2\n\n[T]\nX=1\n"},
      {"new key in an empty last section without a final line break", "[S]", "S", "A", "1",
       "[S]\nA=1\n"},
      {"new section at the end, file's own line breaks", "[S]\r\nA=1", "T", "B", "2",
       "[S]\r\nA=1\r\n[T]\r\nB=2\r\n"},
      {"empty file", "", "S", "A", "", "[S]\nA=\n"},
      {"only the first duplicate key changes", "[S]\nA=1\nA=2\n", "S", "A", "3", "[S]\nA=3\nA=2\n"},
  };
  for (const Case& c : cases) {
    IniFile ini = IniFile::Parse(c.before);
    EXPECT_TRUE(ini.Set(c.section, c.key, c.value)) << c.name;
    EXPECT_EQ(ini.Text(), c.after) << c.name;
    EXPECT_EQ(IniFile::Parse(ini.Text()).Get(c.section, c.key), c.value) << c.name;
  }
}

TEST(IniFile, RefusesNamesAndValuesThatWouldBreakTheFile) {
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"", "k", "v"},   {"a]b", "k", "v"},  {"a\nb", "k", "v"}, {" s", "k", "v"},
      {"s", "", "v"},   {"s", "a=b", "v"},  {"s", "[k", "v"},   {"s", "k\r", "v"},
      {"s", "k ", "v"}, {"s", "k", "a\nb"}, {"s", "k", "a\rb"},
  };
  const std::string text = "[s]\nk=old\n";
  for (const Case& c : cases) {
    IniFile ini = IniFile::Parse(text);
    EXPECT_FALSE(ini.Set(c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(ini.Text(), text);
  }
}

TEST(IniFile, LongValuesAndByteOrderMark) {
  const std::string big(5000, 'x');
  IniFile ini = IniFile::Parse("\xEF\xBB\xBF[S]\nA=1\n");
  EXPECT_EQ(ini.Get("S", "A"), "1");
  ASSERT_TRUE(ini.Set("S", "Big", big));
  EXPECT_EQ(IniFile::Parse(ini.Text()).Get("s", "big"), big);
  EXPECT_EQ(ini.Text().substr(0, 3), "\xEF\xBB\xBF");
}

using IniFileOnDisk = TempDirTest;

TEST_F(IniFileOnDisk, ProfileCallsRoundTripAndLeaveNoTemporaryFiles) {
  const auto path = dir_ / "SysColor.dat";
  EXPECT_EQ(platform::GetPrivateProfileString("S", "A", "dflt", path), "dflt");
  ASSERT_TRUE(platform::WritePrivateProfileString("S", "A", "1", path));
  ASSERT_TRUE(platform::WritePrivateProfileString("s", "B", "2", path));
  EXPECT_EQ(platform::GetPrivateProfileString("S", "b", "dflt", path), "2");
  EXPECT_EQ(platform::ReadFileText(path, 1000), "[S]\nA=1\nB=2\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(IniFileOnDisk, FailedWriteKeepsTheOldFile) {
  const auto path = dir_ / "SysColor.dat";
  ASSERT_TRUE(platform::WritePrivateProfileString("S", "A", "1", path));
  {
    FileSizeLimit limit(64);  // every write beyond 64 bytes fails, also for root
    EXPECT_FALSE(platform::WritePrivateProfileString("S", "A", std::string(100, 'x'), path));
  }
  EXPECT_EQ(platform::GetPrivateProfileString("S", "A", "", path), "1");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(IniFileOnDisk, OversizedOrUnreadableFilesAreRefused) {
  const auto big = dir_ / "big.dat";
  ASSERT_TRUE(platform::WriteFileAtomically(big, std::string(IniFile::kMaxFileSize + 1, 'a')));
  EXPECT_FALSE(platform::ReadIniFile(big).has_value());
  EXPECT_FALSE(platform::WritePrivateProfileString("S", "A", "1", big));
  EXPECT_FALSE(platform::ReadIniFile(dir_).has_value());  // a folder
  EXPECT_TRUE(platform::ReadIniFile(dir_ / "missing.dat").has_value());
}

}  // namespace

namespace {

TEST(IniFile, KeysAndRemove) {
  IniFile ini = IniFile::Parse("[S]\nA=1\nb=2\na=3\n[T]\nC=4\n[s]\nD=5");
  EXPECT_EQ(ini.Keys("s"), (std::vector<std::string>{"A", "b"}));
  EXPECT_TRUE(ini.Keys("none").empty());
  EXPECT_TRUE(ini.Remove("s", "a"));  // every line of the key in the first section
  EXPECT_FALSE(ini.Remove("s", "a"));
  EXPECT_EQ(ini.Text(), "[S]\nb=2\n[T]\nC=4\n[s]\nD=5");
  IniFile tail = IniFile::Parse("[S]\nA=1\nB=2");
  EXPECT_TRUE(tail.Remove("S", "B"));
  EXPECT_EQ(tail.Text(), "[S]\nA=1");
}

}  // namespace
