#include "shared/colorinfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../platform/tempdir.h"
#include "platform/fileutil.h"
#include "platform/inifile.h"

namespace {

TSTITCH_COLOR Entry(const std::string& label, COLORREF color = 0) {
  return {color, 1, label, "note " + label};
}

std::vector<std::string> Labels(const TColorInfo& p) {
  std::vector<std::string> out;
  for (int i = 0; i < p.GetCount(); ++i) out.push_back(p.GetLabel(i));
  return out;
}

TColorInfo Abc() {
  TColorInfo p;
  for (const char* l : {"A", "B", "C"}) p.Insert(-1, Entry(l));
  return p;
}

TEST(ColorInfo, NewPaletteIsEmptyAndUnmodified) {
  TColorInfo p;
  EXPECT_EQ(p.GetCount(), 0);
  EXPECT_FALSE(p.IsModified());
  EXPECT_EQ(p.GetSection(), "");
  EXPECT_EQ(p.GetFileName(), "");
}

TEST(ColorInfo, InvalidIndexesAreIgnored) {
  TColorInfo p = Abc();
  for (int i : {-1, 3, 1000}) {
    EXPECT_EQ(p.GetColor(i), 0u);
    EXPECT_EQ(p.GetRGB(i), TRGBValues{});
    EXPECT_FALSE(p.GetFlag(i));
    EXPECT_EQ(p.GetLabel(i), "");
    p.SetColor(i, 5);
    p.SetFlag(i, true);
    p.SetLabel(i, "x");
    EXPECT_EQ(p.Delete(i), 3);
  }
  EXPECT_EQ(Labels(p), (std::vector<std::string>{"A", "B", "C"}));
}

TEST(ColorInfo, GetRgbGivesBlueGreenRed) {
  TColorInfo p;
  p.Insert(-1, Entry("x", RGB(10, 20, 30)));
  EXPECT_EQ(p.GetRGB(0), (TRGBValues{30, 20, 10}));
}

TEST(ColorInfo, MoveFollowsInsertBeforeRule) {
  struct Case {
    int from, to;
    bool ok;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {0, 2, true, {"B", "A", "C"}},   {2, 0, true, {"C", "A", "B"}},
      {0, 3, true, {"B", "C", "A"}},   {1, 1, true, {"A", "B", "C"}},
      {0, 4, false, {"A", "B", "C"}},  {3, 0, false, {"A", "B", "C"}},
      {-1, 0, false, {"A", "B", "C"}}, {0, -1, false, {"A", "B", "C"}},
  };
  for (const Case& c : cases) {
    TColorInfo p = Abc();
    EXPECT_EQ(p.Move(c.from, c.to), c.ok) << c.from << "->" << c.to;
    EXPECT_EQ(Labels(p), c.labels) << c.from << "->" << c.to;
  }
}

TEST(ColorInfo, InsertPositions) {
  TColorInfo empty;
  EXPECT_EQ(empty.Insert(-1, Entry("e")), 0);
  EXPECT_TRUE(empty.IsModified());

  TColorInfo p = Abc();
  TColorInfo untouched = Abc();
  EXPECT_EQ(untouched.Insert(5, Entry("e")), 5);
  EXPECT_EQ(untouched.Insert(3, Entry("e")), 3);
  EXPECT_EQ(untouched.GetCount(), 3);

  EXPECT_EQ(p.Insert(1, Entry("X")), 1);
  EXPECT_EQ(Labels(p), (std::vector<std::string>{"A", "X", "B", "C"}));
  EXPECT_EQ(p.GetEntry(1).Note, "note X");  // all four fields are copied
}

TEST(ColorInfo, DeleteReturnsNewCount) {
  TColorInfo p = Abc();
  EXPECT_EQ(p.Delete(0), 2);
  EXPECT_EQ(Labels(p), (std::vector<std::string>{"B", "C"}));
}

TEST(ColorInfo, BuiltinColours) {
  EXPECT_EQ(BuiltinColor(0), RGB(0, 0, 255));
  EXPECT_EQ(BuiltinColor(29), RGB(160, 0, 0));
  EXPECT_EQ(BuiltinColor(45), RGB(192, 192, 192));
  EXPECT_EQ(BuiltinColor(59), RGB(255, 255, 255));
  EXPECT_EQ(BuiltinColor(60), 0u);
  EXPECT_EQ(BuiltinColor(-1), 0u);
}

}  // namespace

namespace {

TEST(ColorValue, SplitsFieldsLikeTheFile) {
  struct Case {
    const char* value;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"10 , 20,30", {"10", "20", "30"}},
      {"1,2,3,0,\"Light blue\"", {"1", "2", "3", "0", "Light blue"}},
      {"1 2 3", {"1", "2", "3"}},
      {"1,,3", {"1", "", "3"}},
      {"1,2,", {"1", "2", ""}},
      {"\t 1,\"a\"\"b\",\"open", {"1", "a\"b", "open"}},
      {"\"\"", {""}},
      {"", {}},
      {"  ,", {"", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitColorFields(c.value), c.fields) << c.value;
}

TEST(ColorValue, ParsesChannelsFlagAndLabel) {
  struct Case {
    const char* value;
    bool present;
    COLORREF color;
    int flag;
    const char* label;
  };
  const Case cases[] = {
      {"10 , 20,30", true, RGB(10, 20, 30), 1, ""},
      {"1,2,3,0,\"Light blue\"", true, RGB(1, 2, 3), 0, "Light blue"},
      {"300,x,-1", true, RGB(44, 255, 255), 1, ""},
      {"1,2,3,00", true, RGB(1, 2, 3), 1, ""},  // only exactly "0" clears the flag
      {"1,2,3,,lbl", true, RGB(1, 2, 3), 1, "lbl"},
      {"99999999999,+7,0x10", true, RGB(255, 7, 255), 1, ""},
      {"1,2", false, 0, 0, ""},
      {"", false, 0, 0, ""},
  };
  for (const Case& c : cases) {
    const auto entry = ParseColorValue(c.value);
    ASSERT_EQ(entry.has_value(), c.present) << c.value;
    if (!entry) continue;
    EXPECT_EQ(entry->Color, c.color) << c.value;
    EXPECT_EQ(entry->Flag, c.flag) << c.value;
    EXPECT_EQ(entry->Label, c.label) << c.value;
  }
}

TEST(ColorValue, FormatKeepsPlainLabelsAndReadsBackAnyLabel) {
  EXPECT_EQ(FormatColorValue({RGB(255, 0, 0), 1, "Red", "n"}), "255,0,0,1,\"Red\"");
  EXPECT_EQ(FormatColorValue({RGB(1, 2, 3), 0, "", ""}), "1,2,3,0,\"\"");
  EXPECT_EQ(FormatColorValue({0, 1, "5\" reel", ""}), "0,0,0,1,\"5\"\" reel\"");
  const struct {
    const char* label;
    const char* readBack;
  } cases[] = {
      {"a \"quoted\" name", "a \"quoted\" name"},
      {"two\r\nlines", "two  lines"},
      {"\"", "\""},
      {"back\\slash, comma", "back\\slash, comma"},
  };
  for (const auto& c : cases) {
    const std::string value = FormatColorValue({RGB(9, 8, 7), 1, c.label, ""});
    EXPECT_EQ(value.find_first_of("\r\n"), std::string::npos);
    const auto entry = ParseColorValue(value);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->Label, c.readBack);
    EXPECT_EQ(entry->Color, RGB(9, 8, 7));
  }
}

TEST(ColorSections, NetworkNamesCannotMeetOtherSections) {
  struct Case {
    const char* host;
    const char* section;
  };
  const Case cases[] = {
      {"", "1"},
      {"1", "1"},
      {"emb-07.shop.local", "emb-07.shop.local"},
      {"192.168.0.5", "192.168.0.5"},
      {"SysColor", "%SysColor"},
      {"syscolor", "%syscolor"},
      {"SysColors", "SysColors"},
      {"MacColor1", "%MacColor1"},
      {"maccolorX", "%maccolorX"},
      {"Machine 1", "%Machine%201"},
      {"a]b\nc=d", "%a%5Db%0Ac%3Dd"},
      {"%SysColor", "%%25SysColor"},
  };
  for (const Case& c : cases) {
    const std::string section = NetworkColorSection(c.host);
    EXPECT_EQ(section, c.section) << c.host;
    EXPECT_TRUE(platform::IsValidSectionName(section)) << c.host;
  }
  EXPECT_EQ(SerialColorSection(0), "MacColor1");
  EXPECT_EQ(SerialColorSection(2), "MacColor3");
}

class ColorFile : public TempDirTest {
 protected:
  std::string Path() const { return (dir_ / "SysColor.dat").string(); }
  TColorInfo Load(const std::string& section, int count) const {
    TColorInfo p;
    p.SetFileName(Path());
    p.LoadColors(section, count);
    return p;
  }
};

TEST_F(ColorFile, MissingFileOrSectionGivesBuiltinColours) {
  TColorInfo p = Load("MacColor1", 15);
  ASSERT_EQ(p.GetCount(), 15);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(p.GetColor(i), BuiltinColor(i));
    EXPECT_EQ(p.GetLabel(i), "");
    EXPECT_TRUE(p.GetFlag(i));
  }
  EXPECT_FALSE(p.IsModified());
  EXPECT_FALSE(p.SaveColors());  // only loaded: nothing is written
  EXPECT_FALSE(std::filesystem::exists(Path()));

  TColorInfo big = Load("SysColor", 62);
  EXPECT_EQ(big.GetColor(59), RGB(255, 255, 255));
  EXPECT_EQ(big.GetColor(61), 0u);
}

TEST_F(ColorFile, ExistingSectionSkipsUnusableKeys) {
  ASSERT_TRUE(platform::WriteFileAtomically(
      Path(), std::string_view("[syscolor]\n0=1,2,3,1,\"A\"\n1=4,5,6\n2=7,8\n4=10,11,12,0,\"E\"\n"
                               "[Other]\n3=1,1,1\n")));
  TColorInfo p = Load("SysColor", 5);
  ASSERT_EQ(p.GetCount(), 3);  // "2" has two fields, "3" is missing
  EXPECT_EQ(p.GetColor(1), RGB(4, 5, 6));
  EXPECT_EQ(p.GetLabel(2), "E");
  EXPECT_FALSE(p.GetFlag(2));
}

TEST_F(ColorFile, SaveWritesEveryEntryAndKeepsTheRest) {
  ASSERT_TRUE(platform::WriteFileAtomically(
      Path(), std::string_view("; shop colours\n[SysColor]\n0=1,1,1\n1=2,2,2\n2=3,3,3\n"
                               "[MacColor1]\n0=9,9,9\n")));
  TColorInfo p = Load("SysColor", 3);
  p.Delete(2);
  p.SetLabel(0, "He said \"red\"\nthen left");
  ASSERT_TRUE(p.SaveColors());
  EXPECT_FALSE(p.IsModified());
  EXPECT_EQ(platform::ReadFileText(Path(), 1000),
            "; shop colours\n[SysColor]\n0=1,1,1,1,\"He said \"\"red\"\" then left\"\n"
            "1=2,2,2,1,\"\"\n[MacColor1]\n0=9,9,9\n");
  EXPECT_FALSE(p.SaveColors());  // nothing changed since

  TColorInfo again = Load("SysColor", 3);  // the deleted entry stays deleted
  ASSERT_EQ(again.GetCount(), 2);
  EXPECT_EQ(again.GetLabel(0), "He said \"red\" then left");
}

TEST_F(ColorFile, FailedSaveReportsFalseAndStaysModified) {
  TColorInfo p;
  p.SetFileName((dir_ / "missing-folder" / "SysColor.dat").string());
  p.LoadColors("SysColor", 3);
  p.SetColor(0, RGB(1, 2, 3));
  EXPECT_FALSE(p.SaveColors());
  EXPECT_TRUE(p.IsModified());

  TColorInfo q = Load("SysColor", 60);
  q.SetFlag(0, false);
  {
    FileSizeLimit limit(100);
    EXPECT_FALSE(q.SaveColors());
  }
  EXPECT_TRUE(q.IsModified());
  EXPECT_FALSE(std::filesystem::exists(Path()));
  EXPECT_TRUE(q.SaveColors());
}

TEST_F(ColorFile, UnsafeSectionNameIsNotWritten) {
  TColorInfo p = Load("bad]name", 2);
  p.SetColor(0, 1);
  EXPECT_FALSE(p.SaveColors());
  EXPECT_TRUE(p.IsModified());
}

}  // namespace
