#include "shared/frmmarlow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../platform/tempdir.h"
#include "shared/colorinfo.h"
#include "shared/stitch.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

class NativeFiles : public TempDirTest {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void WriteFile(const std::string& name, const Bytes& b) const {
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }

  Bytes ReadFile(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
};

std::vector<std::uint8_t> Funcs(const TStitchItem& d) {
  std::vector<std::uint8_t> f;
  for (const auto& p : d.Points) f.push_back(p.Func);
  return f;
}

// Positions of the moving records, which the native records carry.
std::vector<TPoint> MovingPositions(const TStitchItem& d) {
  std::vector<TPoint> out;
  for (const auto& p : d.Points) {
    if (IsMovingFunc(p.Func)) out.push_back({p.X, p.Y});
  }
  return out;
}

TStitchItem Parsed(const Bytes& file) {
  TStitchItem d;
  TStitchFormatMarlow::ParseDesignFile(file, d, true);
  return d;
}

TColorInfo Palette(std::initializer_list<COLORREF> colors) {
  TColorInfo p;
  for (auto c : colors) p.Insert(-1, TSTITCH_COLOR{c, 1, "", ""});
  return p;
}

}  // namespace

TEST(NativeDesignFile, EveryFunctionCodeHasItsControlByte) {
  TStitchItem d;
  for (std::uint8_t f = 0; f <= 12; ++f) d.Points.push_back({f, 0, 0});
  const Bytes want = {0x80, 0x90, 0x85, 0x8A, 0x82, 0x89, 0x81, 0x84, 0x83, 0x86, 0x96, 0x87, 0};
  for (int i = 0; i <= 12; ++i) {
    std::uint8_t dx = 9, dy = 9;
    EXPECT_EQ(TStitchFormatMarlow::GetEmbData(d, i, dx, dy), want[static_cast<std::size_t>(i)]);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
  }
  std::uint8_t dx = 9, dy = 9;
  EXPECT_EQ(TStitchFormatMarlow::GetEmbData(d, 13, dx, dy), 0);
  EXPECT_EQ(TStitchFormatMarlow::GetEmbData(d, -1, dx, dy), 0);
}

TEST(NativeDesignFile, FileLayout) {
  TStitchItem d;
  d.Points = {{sfStitch, 50, 20}, {sfStitch, 60, 10}, {sfJump, 40, 30}, {sfCut, 0, 0}};
  const Bytes want = {0x8A, 0,  0,    0x80, 0, 0,    0x80, 10, 10,  0xF0,
                      20,   20, 0x81, 0,    0, 0x87, 0,    0,  0x1A};
  EXPECT_EQ(TStitchFormatMarlow::BuildDesignFile(d), want);
  EXPECT_EQ(want.size(), 3 * d.Points.size() + 7);
}

TEST(NativeDesignFile, RecordZeroCarriesNoMoveAndTheRecordAfterItKeepsItsMove) {
  // A first stitch at (50, 20) is written without a move and reads back at (0, 0).
  TStitchItem first;
  first.Points = {{sfStitch, 50, 20}, {sfStitch, 51, 20}};
  EXPECT_EQ(
      Parsed(TStitchFormatMarlow::BuildDesignFile(first)).Points,
      (std::vector<TEmbPoint>{{sfStart, 0, 0}, {sfStitch, 0, 0}, {sfStitch, 1, 0}, {sfEnd, 1, 0}}));
  // After a start record the first stitch carries its move from it.
  TStitchItem started;
  started.Points = {{sfStart, 40, 20}, {sfStitch, 50, 20}, {sfStitch, 50, 21}};
  EXPECT_EQ(TStitchFormatMarlow::EncodeRecords(started),
            (Bytes{0x8A, 0, 0, 0x80, 0, 10, 0xC0, 1, 0}));

  // The stream form puts a start record at (0, 0) in front: the records sent from it carry
  // the first stitch's move from home, and a file written from it reads back in place.
  auto stream = first.Save();
  TStitchItem sent;
  ASSERT_TRUE(sent.Load(stream.get()));
  EXPECT_EQ(TStitchFormatMarlow::EncodeRecords(sent),
            (Bytes{0x8A, 0, 0, 0xC0, 20, 50, 0x80, 0, 1, 0x87, 0, 0}));
  const TStitchItem back = Parsed(TStitchFormatMarlow::BuildDesignFile(sent));
  EXPECT_EQ(Funcs(back), Funcs(sent));
  EXPECT_EQ(MovingPositions(back), MovingPositions(first));
}

TEST(NativeDesignFile, AJumpAwayFromTheStartReadsWrittenAndSentInPlace) {
  // Start, a jump of +100 in X, a stitch, the end.
  const Bytes file = {0x8A, 0, 0, 0x90, 0, 0x64, 0x80, 0, 0x0A, 0x87, 0, 0, 0x1A};
  const std::vector<TEmbPoint> points = {
      {sfStart, 0, 0}, {sfJump, 100, 0}, {sfStitch, 110, 0}, {sfEnd, 110, 0}};
  TStitchItem d = Parsed(file);
  ASSERT_EQ(d.Points, points);
  std::uint8_t dx = 0, dy = 0;
  EXPECT_EQ(TStitchFormatMarlow::GetEmbData(d, 1, dx, dy), 0x90);
  EXPECT_EQ(dy, 0);
  EXPECT_EQ(dx, 0x64);
  EXPECT_EQ(TStitchFormatMarlow::BuildDesignFile(d), file);
  EXPECT_EQ(TStitchFormatMarlow::EncodeRecords(d), Bytes(file.begin(), file.end() - 1));
  EXPECT_EQ(Parsed(TStitchFormatMarlow::BuildDesignFile(d)).Points, points);
}

TEST(NativeDesignFile, StartEndAndUnknownRecordsAreNotWrittenTwice) {
  TStitchItem d;
  d.Points = {{sfStart, 0, 0}, {sfStitch, 1, 0}, {200, 0, 0}, {sfEnd, 0, 0}};
  EXPECT_EQ(TStitchFormatMarlow::BuildDesignFile(d),
            (Bytes{0x8A, 0, 0, 0x80, 0, 1, 0x87, 0, 0, 0x1A}));
}

TEST(NativeDesignFile, ReaderRules) {
  struct Case {
    const char* what;
    Bytes file;
    std::vector<TEmbPoint> points;
  } cases[] = {
      {"first record carries no move; directions",
       {0x8A, 0, 0, 0x80, 2, 3, 0xE0, 1, 1},
       {{sfStart, 0, 0}, {sfStitch, 3, -2}, {sfStitch, 2, -1}}},
      {"zero stitch after a stitch is dropped",
       {0x80, 0, 5, 0x80, 0, 0, 0x80, 0, 1},
       {{sfStitch, 5, 0}, {sfStitch, 6, 0}}},
      {"zero stitch after a jump is kept",
       {0x90, 0, 5, 0x80, 0, 0},
       {{sfJump, 5, 0}, {sfStitch, 5, 0}}},
      {"second zero jump is dropped, the first after a moving jump is kept",
       {0x90, 0, 5, 0x90, 0, 0, 0x90, 0, 0, 0x90, 0, 1},
       {{sfJump, 5, 0}, {sfJump, 5, 0}, {sfJump, 6, 0}}},
      {"a dropped kind still moves",
       {0x80, 0, 0, 0x88, 5, 5, 0x80, 0, 1},
       {{sfStitch, 0, 0}, {sfStitch, 6, -5}}},
      {"reading stops at the end record",
       {0x80, 0, 1, 0x87, 0, 0, 0x80, 0, 1},
       {{sfStitch, 1, 0}, {sfEnd, 1, 0}}},
      {"a partial record at the end is ignored", {0x80, 0, 1, 0x1A}, {{sfStitch, 1, 0}}},
      {"kinds of the native format only",
       {0x89, 0, 0, 0x96, 0, 2, 0x86, 0, 1, 0x83, 0, 0, 0x84, 0, 0, 0x82, 0, 0},
       {{sfControl, 0, 0},
        {sfNativeJump, 2, 0},
        {sfModeJump, 3, 0},
        {sfModeOff, 3, 0},
        {sfModeOn, 3, 0},
        {sfRepeatColor, 3, 0}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Parsed(c.file).Points, c.points) << c.what;
}

TEST(NativeDesignFile, FinishingSetsRectanglesAndColourBlocks) {
  // stitch, colour change, stitch, colour change after the last stitch (dropped)
  const Bytes file = {0x80, 0, 100, 0x85, 0, 0, 0xC0, 50, 100, 0x85, 0, 0, 0x87, 0, 0};
  TStitchItem d = Parsed(file);
  EXPECT_EQ(Funcs(d), (std::vector<std::uint8_t>{sfStitch, sfColorChange, sfStitch, sfEnd}));
  EXPECT_EQ(d.GetColorCount(), 2);
  EXPECT_EQ(d.RawRect, (TRect{100, 0, 200, 50}));
  EXPECT_EQ(d.Origin, (TPoint{150, 25}));
  EXPECT_EQ(d.ViewRect, (TRect{-18, -9, 18, 9}));
  EXPECT_EQ(d.Offset, (TPoint{0, 0}));
}

TEST(NativeDesignFile, MovesAreTakenFromTheLastMovingRecord) {
  // A colour change and a cut away from the stitches: the move to the next stitch is not lost.
  TStitchItem d;
  d.Points = {{sfStart, 0, 0},    {sfStitch, 10, 10},    {sfColorChange, 50, 50},  {sfCut, 70, -70},
              {sfStitch, 60, 60}, {sfModeJump, -60, 60}, {sfNativeJump, -60, -60}, {sfEnd, 0, 0}};
  const TStitchItem r = Parsed(TStitchFormatMarlow::BuildDesignFile(d));
  EXPECT_EQ(Funcs(r), Funcs(d));
  EXPECT_EQ(MovingPositions(r), MovingPositions(d));
}

TEST(NativeDesignFile, LongMovesAreSplitBeforeWritingAndReadBackInPlace) {
  TStitchItem d;
  d.Points = {{sfStart, 0, 0},        {sfStitch, 500, -300},  {sfColorChange, 0, 0},
              {sfStitch, -400, 1000}, {sfStitch, -399, 1001}, {sfEnd, 0, 0}};
  ASSERT_GT(d.LimitMoves(), 0);
  const Bytes file = TStitchFormatMarlow::BuildDesignFile(d);
  const Bytes records = TStitchFormatMarlow::EncodeRecords(d);
  EXPECT_EQ(file.size(), records.size() + 1)
      << "the file and the transfer stream count the same records";
  const TStitchItem r = Parsed(file);
  EXPECT_EQ(r.Points.size(), d.Points.size());
  EXPECT_EQ(MovingPositions(r), MovingPositions(d));
}

TEST(NativeDesignFile, UnsplitLongMovesAreClampedNeverWrapped) {
  TStitchItem d;
  d.Points = {{sfStitch, 0, 0}, {sfStitch, 300, -200}};
  std::uint8_t dx = 0, dy = 0;
  EXPECT_EQ(TStitchFormatMarlow::GetEmbData(d, 1, dx, dy), 0x80);
  EXPECT_EQ(dx, 127);
  EXPECT_EQ(dy, 127);
}

TEST(NativeDesignFile, EncodeRecordsAgreesWithGetEmbDataAtAnyStart) {
  TStitchItem d;
  d.Points = {{sfStart, 3, 3}, {sfColorChange, 9, 9}, {sfStitch, 10, 0},  {sfCut, 0, 0},
              {sfCut, 0, 0},   {sfJump, -20, 5},      {sfStitch, -20, 6}, {sfEnd, 0, 0}};
  const Bytes all = TStitchFormatMarlow::EncodeRecords(d);
  ASSERT_EQ(all.size(), 3 * d.Points.size());
  for (std::size_t first = 0; first < d.Points.size(); ++first) {
    const Bytes part = TStitchFormatMarlow::EncodeRecords(d, first, 2);
    const std::size_t n = std::min<std::size_t>(2, d.Points.size() - first);
    EXPECT_EQ(part, Bytes(all.begin() + 3 * first, all.begin() + 3 * (first + n)));
    std::uint8_t dx = 0, dy = 0;
    EXPECT_EQ(TStitchFormatMarlow::GetEmbData(d, static_cast<int>(first), dx, dy), all[3 * first]);
    EXPECT_EQ(dy, all[3 * first + 1]);
    EXPECT_EQ(dx, all[3 * first + 2]);
  }
  EXPECT_TRUE(TStitchFormatMarlow::EncodeRecords(d, 99).empty());
}

TEST(NativeDesignFile, MoveOf128FromTheFileIsSplitWhenRead) {
  // 0x80 as a signed byte is -128; with the direction bit it becomes +128.
  const Bytes file = {0x80, 0, 0, 0xA0, 0, 0x80, 0x87, 0, 0};
  TStitchItem d = Parsed(file);
  EXPECT_EQ(d.Points, (std::vector<TEmbPoint>{
                          {sfStitch, 0, 0}, {sfJump, 64, 0}, {sfStitch, 128, 0}, {sfEnd, 128, 0}}));
}

TEST(ControlFile, Reading) {
  TStitchItem d;
  d.Colors.resize(5);
  Bytes file(128 + 43 * 3);
  const std::string title = "Rose";
  std::copy(title.begin(), title.end(), file.begin() + 32);
  for (int i = 0; i < 3; ++i) {
    auto* rec = file.data() + 128 + 43 * i;
    rec[2] = static_cast<std::uint8_t>('a' + i);
    rec[33] = static_cast<std::uint8_t>(i + 1);
    rec[34] = 0x20;
    rec[35] = 0x30;
  }
  d.Colors[1].Mark = 1;
  EXPECT_EQ(TStitchFormatMarlow::ParseCtrlFile(file, d), 3);
  EXPECT_EQ(d.Title, "Rose");
  EXPECT_EQ(d.Colors[1].Color, 0x302002u);
  EXPECT_EQ(d.Colors[1].Name, "b");
  EXPECT_EQ(d.Colors[1].Mark, 0);
  EXPECT_EQ(d.Colors[3], TEmbColor{});

  file.resize(100);
  EXPECT_EQ(TStitchFormatMarlow::ParseCtrlFile(file, d), 0);
  EXPECT_EQ(d.Title, "Rose");
}

TEST(ControlFile, UnterminatedTitleAndNameStayInTheirFields) {
  TStitchItem d;
  d.Colors.resize(1);
  Bytes file(128 + 43, 'x');
  EXPECT_EQ(TStitchFormatMarlow::ParseCtrlFile(file, d), 1);
  EXPECT_EQ(d.Title, std::string(96, 'x'));
  EXPECT_EQ(d.Colors[0].Name, std::string(31, 'x'));
  Bytes tiny(20, 'y');
  EXPECT_EQ(TStitchFormatMarlow::ParseCtrlFile(tiny, d), 0);
  EXPECT_EQ(d.Title, "");
}

TEST(ControlFile, AllBlackColoursCountAsNone) {
  struct Case {
    int blocks;
    COLORREF second;
    int result;
  } cases[] = {{2, 0, 0}, {2, 0x10, 2}, {1, 0, 1}};
  for (const auto& c : cases) {
    TStitchItem d;
    d.Colors.resize(static_cast<std::size_t>(c.blocks));
    Bytes file(128 + 43 * 2);
    file[128 + 43 + 33] = static_cast<std::uint8_t>(c.second);
    file[128 + 2] = 'n';
    EXPECT_EQ(TStitchFormatMarlow::ParseCtrlFile(file, d), c.result);
    EXPECT_EQ(d.Colors[0].Name, "n") << "the blocks are stored anyway";
  }
}

TEST(ControlFile, WritingCutsTitleAndNamesToTheirFields) {
  TStitchItem d;
  d.Title = std::string(40, 'T');
  d.Colors = {TEmbColor{1, 0, 0x00332211, std::string(31, 'N')}, TEmbColor{0, 1, 5, "x"}};
  const Bytes file = TStitchFormatMarlow::BuildCtrlFile(d, nullptr);
  ASSERT_EQ(file.size(), 128u + 2 * 43);
  EXPECT_EQ(std::string(file.begin() + 32, file.begin() + 64), std::string(31, 'T') + '\0');
  EXPECT_EQ(file[128 + 33], 0x11);
  EXPECT_EQ(file[128 + 35], 0x33);

  TStitchItem r;
  r.Colors.resize(2);
  EXPECT_EQ(TStitchFormatMarlow::ParseCtrlFile(file, r), 2);
  EXPECT_EQ(r.Title, std::string(31, 'T'));
  EXPECT_EQ(r.Colors[0].Name, std::string(31, 'N'));

  const TColorInfo palette = Palette({0xAA, 0xBB});
  const Bytes viaPalette = TStitchFormatMarlow::BuildCtrlFile(d, &palette);
  EXPECT_EQ(viaPalette[128 + 33], 0xAA);
  EXPECT_EQ(viaPalette[128 + 43 + 33], 0xBB);
}

TEST_F(NativeFiles, SaveAndLoadRoundTrip) {
  TStitchItem d;
  d.Points = {{sfStitch, 50, 20},
              {sfStitch, 60, 10},
              {sfColorChange, 60, 10},
              {sfJump, 300, 300},
              {sfStitch, 301, 300}};
  d.SetColorCount();
  d.Title = "Star";
  d.Colors[0] = {0, 0, 0x0000FF, "red"};
  d.Colors[1] = {0, 0, 0x00FF00, "green"};
  ASSERT_TRUE(TStitchFormatMarlow::Save(Path("STAR.10o"), d, nullptr));
  EXPECT_EQ(d.Saved, 1);
  EXPECT_EQ(ReadFile("STAR.10o"), TStitchFormatMarlow::BuildDesignFile(d));

  const TColorInfo palette = Palette({0x00FF00, 0x0000FF, 0x123456});
  TStitchItem r;
  ASSERT_TRUE(r.Load(Path("STAR.00o"), palette));
  EXPECT_EQ(Funcs(r).front(), sfStart);
  EXPECT_EQ(r.Title, "Star");
  ASSERT_EQ(r.GetColorCount(), 2);
  EXPECT_EQ(r.Colors[0].Index, 1);
  EXPECT_EQ(r.Colors[1].Index, 0);
  EXPECT_EQ(r.Colors[1].Name, "green");
  const auto moving = MovingPositions(r);
  ASSERT_FALSE(moving.empty());
  // Positions come back relative to the first record.
  EXPECT_EQ(moving.front(), (TPoint{0, 0}));
  EXPECT_EQ(moving.back(), (TPoint{251, 280}));
}

TEST_F(NativeFiles, SiblingIsFoundWhateverTheCaseOfItsExtension) {
  TStitchItem d;
  d.Points = {{sfStitch, 0, 0}, {sfStitch, 5, 0}};
  d.SetColorCount();
  d.Title = "Upper";
  WriteFile("STAR.10O", TStitchFormatMarlow::BuildDesignFile(d));
  WriteFile("STAR.00O", TStitchFormatMarlow::BuildCtrlFile(d, nullptr));
  const TColorInfo palette = Palette({1, 2});
  for (const char* name : {"STAR.10O", "STAR.00O", "STAR.00o", "STAR.10o"}) {
    TStitchItem r;
    EXPECT_TRUE(r.Load(Path(name), palette)) << name;
    EXPECT_EQ(r.Title, "Upper") << name;
  }
  // A rewrite goes to the files that are there, not to new lower-case ones beside them.
  d.Title = "Again";
  ASSERT_TRUE(TStitchFormatMarlow::Save(Path("STAR.10O"), d, nullptr));
  EXPECT_FALSE(fs::exists(Path("STAR.00o")));
  EXPECT_FALSE(fs::exists(Path("STAR.10o")));
}

TEST_F(NativeFiles, ExtensionRulesOfTheLoader) {
  TStitchItem d;
  d.Points = {{sfStitch, 0, 0}};
  WriteFile("a.b.10o", TStitchFormatMarlow::BuildDesignFile(d));
  WriteFile("plain.txt", TStitchFormatMarlow::BuildDesignFile(d));
  const TColorInfo palette = Palette({1});
  TStitchItem r;
  EXPECT_TRUE(r.Load(Path("a.b.00O"), palette));
  EXPECT_FALSE(r.Load(Path("plain.txt"), palette));
  EXPECT_FALSE(r.Load(Path("x.10o/sub"), palette)) << "a dot before the last / is no extension";
  EXPECT_FALSE(r.Load(Path("missing.10o"), palette));
  WriteFile("empty.10o", {});
  EXPECT_FALSE(r.Load(Path("empty.10o"), palette));
  EXPECT_TRUE(r.Points.empty());
}

TEST_F(NativeFiles, DefaultColoursAndExactMatchStayInsideThePalette) {
  TStitchItem d;
  for (int i = 0; i < 4; ++i)
    d.Points.push_back({static_cast<std::uint8_t>(i ? sfColorChange : sfStitch), 0, 0});
  d.Points.push_back({sfStitch, 1, 1});
  d.SetColorCount();  // 4 blocks
  WriteFile("d.10o", TStitchFormatMarlow::BuildDesignFile(d));

  const TColorInfo machine = Palette({0x10, 0x20, 0x30});
  TStitchItem r;
  ASSERT_TRUE(r.Load(Path("d.10o"), machine));
  ASSERT_EQ(r.GetColorCount(), 4);
  EXPECT_EQ(r.Colors[3].Index, 0) << "defaults cycle through the palette's own entries";
  EXPECT_EQ(r.Colors[3].Color, 0x10u);
  EXPECT_EQ(r.Colors[2].Color, 0x30u);

  d.Colors = {TEmbColor{0, 0, 0x30, "a"}, TEmbColor{0, 0, 0, "b"}, TEmbColor{0, 0, 0x99, "c"},
              TEmbColor{0, 0, 0x10, "d"}};
  WriteFile("d.00o", TStitchFormatMarlow::BuildCtrlFile(d, nullptr));
  ASSERT_TRUE(r.Load(Path("d.10o"), machine));
  EXPECT_EQ(r.Colors[0].Index, 2);
  EXPECT_EQ(r.Colors[1].Index, kNoPaletteIndex) << "black is not found past a short palette";
  EXPECT_EQ(r.Colors[2].Index, kNoPaletteIndex);
  EXPECT_EQ(r.Colors[3].Index, 0);
  EXPECT_EQ(r.GetColor(1, &machine), 0x10u) << "a block without an entry shows entry 0";
}

TEST_F(NativeFiles, DefaultColoursWrapAfterSixtyEntries) {
  TStitchItem d;
  d.Points.push_back({sfStitch, 0, 0});
  for (int i = 0; i < 61; ++i) d.Points.push_back({sfColorChange, 0, 0});
  d.Points.push_back({sfStitch, 1, 0});
  WriteFile("many.10o", TStitchFormatMarlow::BuildDesignFile(d));
  TColorInfo palette;
  palette.LoadColors("SysColor", 60);  // no file: the built-in colours
  TStitchItem r;
  ASSERT_TRUE(r.Load(Path("many.10o"), palette));
  ASSERT_EQ(r.GetColorCount(), 62);
  for (int i : {0, 1, 59, 60, 61}) {
    EXPECT_EQ(r.Colors[static_cast<std::size_t>(i)].Index, i % 60);
    EXPECT_EQ(r.Colors[static_cast<std::size_t>(i)].Color, BuiltinColor(i % 60));
  }
}

TEST_F(NativeFiles, FailedControlFileStopsTheSaveAndKeepsTheOldDesign) {
  TStitchItem d;
  d.Points = {{sfStitch, 0, 0}, {sfStitch, 1, 0}};
  d.SetColorCount();
  WriteFile("keep.10o", {0x80, 0, 7});
  fs::create_directory(Path("keep.00o"));  // nothing can replace a folder
  EXPECT_FALSE(TStitchFormatMarlow::Save(Path("keep.10o"), d, nullptr));
  EXPECT_EQ(d.Saved, 0);
  EXPECT_EQ(ReadFile("keep.10o"), (Bytes{0x80, 0, 7}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 2)
      << "no temporary file is left behind";
}

TEST_F(NativeFiles, PartialWriteIsAFailureAndKeepsTheOldFile) {
  TStitchItem d;
  for (int i = 0; i < 5000; ++i) d.Points.push_back({sfStitch, i % 100, 0});
  d.SetColorCount();
  WriteFile("big.10o", {0x80, 0, 7});
  {
    FileSizeLimit limit(4096);  // the control file fits, the design file does not
    EXPECT_FALSE(TStitchFormatMarlow::Save(Path("big.10o"), d, nullptr));
  }
  EXPECT_EQ(d.Saved, 0);
  EXPECT_EQ(ReadFile("big.10o"), (Bytes{0x80, 0, 7}));
  EXPECT_TRUE(TStitchFormatMarlow::Save(Path("big.10o"), d, nullptr));
  EXPECT_EQ(d.Saved, 1);
}

TEST_F(NativeFiles, FailedDesignWriteIsReported) {
  TStitchItem d;
  d.Points = {{sfStitch, 0, 0}};
  d.SetColorCount();
  fs::create_directory(Path("dir.10o"));  // nothing can replace a folder
  EXPECT_FALSE(TStitchFormatMarlow::Save(Path("dir.10o"), d, nullptr));
  EXPECT_EQ(d.Saved, 0);
  EXPECT_TRUE(fs::exists(Path("dir.00o"))) << "the control file is written first";
  EXPECT_FALSE(TStitchFormatMarlow::Save(Path("nofolder/x.10o"), d, nullptr));
}
