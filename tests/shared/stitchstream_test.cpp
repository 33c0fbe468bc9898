#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shared/stitch.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::int32_t v) {
  for (int i = 0; i < 4; ++i)
    b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
}

void PutRec(Bytes& b, std::uint8_t f, std::int32_t x, std::int32_t y) {
  b.insert(b.end(), {f, 0, 0, 0});
  Put32(b, x);
  Put32(b, y);
}

Bytes Saved(const TStitchItem& d) {
  auto s = d.Save();
  EXPECT_NE(s, nullptr);
  EXPECT_EQ(s->Position(), s->size()) << "Save leaves the position at the end";
  return s->Bytes();
}

// The fixed tail after the colour blocks: UniqueID, RawRect, ViewRect, NeedleIndex.
void PutTail(Bytes& b, const TStitchItem& d) {
  Put32(b, d.UniqueID);
  for (auto r : {d.RawRect, d.ViewRect}) {
    Put32(b, r.left);
    Put32(b, r.top);
    Put32(b, r.right);
    Put32(b, r.bottom);
  }
  Put32(b, d.NeedleIndex);
}

std::int32_t Count32At(const Bytes& b, std::size_t off) {
  std::int32_t v;
  std::memcpy(&v, b.data() + off, 4);
  return v;
}

// A form as another sender could write it: the records exactly as given, no start or end
// record added.
Bytes FormWithRecords(const std::vector<TEmbPoint>& records) {
  Bytes b;
  for (auto v : {1, 2, 3, 4}) Put32(b, v);  // Origin, Offset
  Put32(b, 1);
  b.push_back(0);
  Put32(b, static_cast<std::int32_t>(records.size()));
  for (const auto& r : records) PutRec(b, r.Func, r.X, r.Y);
  Put32(b, 2);
  b.insert(b.end(), {'T', 0});
  Put32(b, 1);
  b.insert(b.end(), {7, 1, 2, 3, 0});
  TStitchItem tail;
  tail.UniqueID = 9;
  tail.RawRect = {0, 0, 1000, 500};
  PutTail(b, tail);
  return b;
}

}  // namespace

TEST(StreamForm, EmptyDesignGoldenBytes) {
  TStitchItem d;
  d.UniqueID = 0x01020304;
  d.NeedleIndex = -1;
  Bytes want;
  for (int i = 0; i < 4; ++i) Put32(want, 0);  // Origin, Offset
  Put32(want, 1);                              // P
  want.push_back(0);
  Put32(want, 0);  // N, no start or end record added
  Put32(want, 1);  // T
  want.push_back(0);
  Put32(want, 0);  // C
  PutTail(want, d);
  EXPECT_EQ(Saved(d), want);
  EXPECT_EQ(want.size(), 72u + 1 + 1);
}

TEST(StreamForm, FullDesignGoldenBytes) {
  TStitchItem d;
  d.Origin = {-5, 6};
  d.Offset = {7, -8};
  d.FileName = "ab";
  d.Points = {{sfStitch, 10, -20}, {sfJump, 0x01020304, 5}};
  d.Title = "T";
  d.Colors = {TEmbColor{1, 0xFF, 0x00112233, "ignored"}};
  d.UniqueID = 42;
  d.RawRect = {1, 2, 3, 4};
  d.ViewRect = {5, 6, 7, 8};
  d.NeedleIndex = 3;

  Bytes want;
  for (auto v : {-5, 6, 7, -8}) Put32(want, v);
  Put32(want, 3);
  want.insert(want.end(), {'a', 'b', 0});
  Put32(want, 4);
  PutRec(want, sfStart, 0, 0);
  PutRec(want, sfStitch, 10, -20);
  PutRec(want, sfJump, 0x01020304, 5);
  PutRec(want, sfEnd, 0, 0);
  Put32(want, 2);
  want.insert(want.end(), {'T', 0});
  Put32(want, 1);
  want.insert(want.end(), {0xFF, 0x33, 0x22, 0x11, 0x00});
  PutTail(want, d);
  EXPECT_EQ(Saved(d), want);
}

TEST(StreamForm, StartAndEndRecordsAreAddedOnlyWhereMissing) {
  struct Case {
    std::vector<std::uint8_t> in, out;
  } cases[] = {
      {{0, 0}, {3, 0, 0, 11}}, {{3, 0, 11}, {3, 0, 11}}, {{3, 0}, {3, 0, 11}},
      {{11}, {3, 11}},         {{3}, {3, 11}},
  };
  for (const auto& c : cases) {
    TStitchItem d;
    for (auto f : c.in) d.Points.push_back({f, 1, 1});
    const Bytes b = Saved(d);
    const std::size_t nAt = 20 + 1;
    ASSERT_EQ(Count32At(b, nAt), static_cast<std::int32_t>(c.out.size()));
    for (std::size_t i = 0; i < c.out.size(); ++i) EXPECT_EQ(b[nAt + 4 + 12 * i], c.out[i]);
  }
}

TEST(StreamForm, RoundTrip) {
  TStitchItem d;
  d.Origin = {1, 2};
  d.Offset = {3, 4};
  d.FileName = "/tmp/x/STAR.10o";
  d.Points = {{sfStart, 0, 0}, {sfStitch, -7, 8}, {sfColorChange, -7, 8}, {sfEnd, 0, 0}};
  d.Title = "Star";
  d.Colors = {TEmbColor{1, 2, 0xABCDEF, "a"}, TEmbColor{0, 0xFF, 0x10, "b"}};
  d.UniqueID = -3;
  d.RawRect = {-7, 0, 0, 8};
  d.ViewRect = {-2, -1, 1, 2};
  d.NeedleIndex = 1;

  TStitchItem r;
  r.Saved = 1;
  r.PenWidth = 4;
  r.Points = {{sfStitch, 9, 9}};
  r.Colors.resize(3);
  auto s = d.Save();
  ASSERT_TRUE(r.Load(s.get())) << "Load seeks to the start itself";
  EXPECT_EQ(r.Origin, d.Origin);
  EXPECT_EQ(r.Offset, d.Offset);
  EXPECT_EQ(r.FileName, d.FileName);
  EXPECT_EQ(r.Points, d.Points);
  EXPECT_EQ(r.Title, d.Title);
  EXPECT_EQ(r.Colors,
            (std::vector<TEmbColor>{TEmbColor{0, 2, 0xABCDEF, ""}, TEmbColor{0, 0xFF, 0x10, ""}}));
  EXPECT_EQ(r.UniqueID, d.UniqueID);
  EXPECT_EQ(r.RawRect, d.RawRect);
  EXPECT_EQ(r.ViewRect, d.ViewRect);
  EXPECT_EQ(r.NeedleIndex, d.NeedleIndex);
  EXPECT_EQ(r.Saved, 1) << "not carried";
  EXPECT_EQ(r.PenWidth, 4) << "not carried";
}

TEST(StreamForm, NonPositiveTextLengthReadsAsEmpty) {
  for (std::int32_t p : {0, -1, -100000}) {
    Bytes b;
    for (int i = 0; i < 4; ++i) Put32(b, 0);
    Put32(b, p);
    Put32(b, 3);  // N follows right after the field
    PutRec(b, sfStart, 0, 0);
    PutRec(b, sfStitch, 4, 5);
    PutRec(b, sfEnd, 0, 0);
    Put32(b, 0);  // T
    Put32(b, 0);  // C
    TStitchItem d;
    d.UniqueID = 5;
    PutTail(b, d);
    platform::MemStream s(b);
    TStitchItem r;
    r.FileName = "old";
    EXPECT_TRUE(r.Load(&s));
    EXPECT_EQ(r.FileName, "");
    EXPECT_EQ(r.Points, (std::vector<TEmbPoint>{{sfStart, 0, 0}, {sfStitch, 4, 5}, {sfEnd, 0, 0}}));
    EXPECT_EQ(r.UniqueID, 5);
  }
}

TEST(StreamForm, BadStreamsStopWithoutReadingPastTheData) {
  TStitchItem d;
  d.FileName = "name";
  d.Points = {{sfStitch, 1, 1}, {sfStitch, 2, 2}};
  d.Title = "title";
  d.Colors.resize(2);
  const Bytes good = Saved(d);
  const std::size_t nAt = 20 + 5;
  const std::size_t tAt = nAt + 4 + 12 * 4;
  const std::size_t cAt = tAt + 4 + 6;

  struct Case {
    const char* what;
    std::size_t at;
    std::int32_t value;
    std::size_t truncate;
  } cases[] = {
      {"file name longer than the stream", 16, 0x7FFFFFFF, 0},
      {"negative record count", nAt, -1, 0},
      {"huge record count", nAt, 0x7FFFFFFF, 0},
      {"record count just past the data", nAt, 100, 0},
      {"huge title", tAt, 0x40000000, 0},
      {"negative colour count", cAt, -5, 0},
      {"huge colour count", cAt, 0x7FFFFFFF, 0},
      {"truncated in the records", 0, 0, nAt + 20},
      {"truncated in the tail", 0, 0, good.size() - 1},
      {"empty", 0, 0, 1},
  };
  for (const auto& c : cases) {
    Bytes b = good;
    if (c.truncate)
      b.resize(c.truncate - 1);
    else
      std::memcpy(b.data() + c.at, &c.value, 4);
    platform::MemStream s(b);
    TStitchItem r;
    EXPECT_FALSE(r.Load(&s)) << c.what;
    EXPECT_LE(r.Points.size(), 4u) << c.what;
    EXPECT_LE(r.Colors.size(), 2u) << c.what;
  }
  TStitchItem r;
  EXPECT_FALSE(r.Load(nullptr));
}

TEST(StreamForm, LoadSplitsMovesTooLongForNativeRecords) {
  TStitchItem d;
  d.Points = {{sfStart, 0, 0}, {sfStitch, 0, 0}, {sfStitch, 200, 0}, {sfEnd, 0, 0}};
  auto s = d.Save();
  TStitchItem r;
  ASSERT_TRUE(r.Load(s.get()));
  EXPECT_EQ(
      r.Points,
      (std::vector<TEmbPoint>{
          {sfStart, 0, 0}, {sfStitch, 0, 0}, {sfJump, 100, 0}, {sfStitch, 200, 0}, {sfEnd, 0, 0}}));
}

TEST(StreamForm, SaveAndLoadAreInversesWhateverTheRecords) {
  struct Case {
    const char* what;
    std::vector<TEmbPoint> records;
    std::size_t carried;  // records in the form, and in the design once loaded
  } cases[] = {
      {"no records", {}, 0},
      {"as Save writes them", {{sfStart, 0, 0}, {sfStitch, 5, 5}, {sfEnd, 0, 0}}, 3},
      {"first record far from home, no start record", {{sfStitch, 1000, 0}}, 1 + 7 + 1 + 1},
      {"one record so far away that it splits into 63,987 jumps",
       {{sfStitch, 8'126'476, 0}},
       63'990},
      {"a move too long to split", {{sfStitch, 0x40000000, 0}}, 3},
      {"only an end record", {{sfEnd, 0, 0}}, 2},
      {"start record away from home",
       {{sfStart, 500, 500}, {sfStitch, 1000, 500}, {sfEnd, 0, 0}},
       3 + 3},
      {"long move between stitches, no end record",
       {{sfStart, 0, 0}, {sfStitch, 0, 0}, {sfStitch, 300, 0}},
       4 + 2},
      {"end and start records only inside", {{sfEnd, 0, 0}, {sfStitch, 1, 1}, {sfStart, 0, 0}}, 5},
  };
  const std::size_t nAt = 20 + 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // A form from some sender: loaded, saved, and loaded again.
    platform::MemStream form(FormWithRecords(c.records));
    TStitchItem once;
    ASSERT_TRUE(once.Load(&form));
    EXPECT_EQ(once.Points.size(), c.carried);
    const Bytes saved = Saved(once);
    platform::MemStream savedStream(saved);
    TStitchItem twice;
    ASSERT_TRUE(twice.Load(&savedStream));
    EXPECT_EQ(twice.Points, once.Points);
    EXPECT_EQ(Saved(twice), saved);

    // A design of this program: saved, loaded, and saved again.
    TStitchItem design;
    design.Points = c.records;
    const Bytes first = Saved(design);
    EXPECT_EQ(Count32At(first, nAt), static_cast<std::int32_t>(c.carried));
    EXPECT_EQ(design.Points, c.records) << "Save leaves the design as it was";
    platform::MemStream firstStream(first);
    TStitchItem loaded;
    ASSERT_TRUE(loaded.Load(&firstStream));
    EXPECT_EQ(Saved(loaded), first);
  }
}
