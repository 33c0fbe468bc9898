#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "shared/colorinfo.h"
#include "shared/drawparam.h"
#include "shared/stitch.h"

namespace {

using platform::Bitmap;

// The design position (0.1 mm) that lands on pixel p at zoom 100 with origin 0.
std::int32_t U(std::int32_t p) { return (p * 254 + 95) / 96; }

TEmbPoint Rec(std::uint8_t func, std::int32_t px, std::int32_t py) { return {func, U(px), U(py)}; }

TStitchItem Design(std::vector<TEmbPoint> points,
                   std::vector<COLORREF> colours = {RGB(255, 0, 0)}) {
  TStitchItem d;
  d.Points = std::move(points);
  for (const COLORREF c : colours) d.Colors.push_back({0, 0, c, ""});
  return d;
}

enum class Seen { None, Colour, Grey, Other };

// Red threads keep red above green in every shade; unsewn grey ones have equal channels.
Seen Classify(COLORREF c) {
  if (c == platform::kBlack) return Seen::None;
  if (GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c)) return Seen::Grey;
  if (GetRValue(c) > GetGValue(c) && GetGValue(c) == GetBValue(c)) return Seen::Colour;
  return Seen::Other;
}

std::string Describe(Seen s) {
  return s == Seen::None ? "-" : s == Seen::Colour ? "C" : s == Seen::Grey ? "G" : "?";
}

// Ten stitches along row 20, record i at x = 2 + 4 i; segment i (ending at record i) is
// sampled in its middle, in the lower row of the 2-pixel line, which the cross's arms never
// cross there. The cross is found by its upper arm, which turns black pixels white.
class TraceRow : public ::testing::Test {
 protected:
  static constexpr int kRow = 20;
  TraceRow() : bmp_(48, 40) {
    std::vector<TEmbPoint> pts;
    for (int i = 0; i < 10; ++i) pts.push_back(Rec(sfStitch, 2 + 4 * i, kRow));
    design_ = Design(pts);
  }

  void Run(int first, int trace, bool all) {
    TDrawParam p;
    p.Bitmap = &bmp_;
    p.First = first;
    p.DrawAll = all ? 1 : 0;
    p.Seed = 5;
    design_.DrawStitch(&p, trace, nullptr);
  }

  // One letter per segment 1..9.
  std::string Segments() const {
    std::string out;
    for (int i = 1; i < 10; ++i) out += Describe(Classify(bmp_.GetPixel(4 * i, kRow + 1)));
    return out;
  }

  // Records whose point carries the cross's upper arm; none when empty.
  std::vector<int> CrossAt() const {
    std::vector<int> out;
    for (int i = 0; i < 10; ++i)
      if (bmp_.GetPixel(2 + 4 * i, kRow - 6) == platform::kWhite) out.push_back(i);
    return out;
  }

  Bitmap bmp_;
  TStitchItem design_;
};

TEST_F(TraceRow, RecordsColouredGreyOrSkippedByTracePosition) {
  struct Case {
    int first, trace;
    bool all;
    const char* segments;
    std::vector<int> cross;
    int first_after;
  };
  const Case cases[] = {
      {0, 5, false, "CCCC-----", {4}, 0},  // forward: records 0 to 4 in colour
      {0, 5, true, "CCCCGGGGG", {4}, 0},   // and the rest in grey when all are drawn
      {7, 3, false, "--GGGG---", {3}, 3},  // a step back greys records 3 to 6
      {0, 0, true, "GGGGGGGGG", {0}, 0},   // trace 0: all grey, cross on record 0
      {0, -1, true, "CCCCCCCCC", {}, 0},   // no trace: all in colour, no cross
      {0, -1, false, "---------", {}, 0},  // nothing in range
  };
  for (const Case& c : cases) {
    SetUp();
    bmp_.SetSize(48, 40);
    design_.CrossDrawn = 0;
    TDrawParam p;
    p.Bitmap = &bmp_;
    p.First = c.first;
    p.DrawAll = c.all ? 1 : 0;
    p.Seed = 5;
    design_.DrawStitch(&p, c.trace, nullptr);
    EXPECT_EQ(Segments(), c.segments) << c.first << " " << c.trace;
    EXPECT_EQ(CrossAt(), c.cross) << c.first << " " << c.trace;
    EXPECT_EQ(p.First, c.first_after);
    EXPECT_EQ(design_.CrossEnabled, c.trace >= 0 ? 1 : 0);
  }
}

TEST_F(TraceRow, IncrementalTraceAddsRecordsAndMovesTheOneCross) {
  Run(0, 5, false);
  EXPECT_EQ(CrossAt(), std::vector<int>{4});
  Run(5, 9, false);
  EXPECT_EQ(Segments(), "CCCCCCCC-");
  EXPECT_EQ(CrossAt(), std::vector<int>{8});
  EXPECT_EQ(design_.CrossPos, (TPoint{2 + 4 * 8, kRow}));
  // Erasing restores every pixel the cross touched.
  const Bitmap before_cross = [&] {
    Bitmap copy(bmp_);
    design_.EraseXorCross(copy.GetCanvas());
    return copy;
  }();
  EXPECT_TRUE(before_cross.GetPixel(34, kRow - 6) == platform::kBlack);
}

TEST_F(TraceRow, RepeatedPositionMovesTheCrossToItsRecord) {
  // Everything grey with the cross on record 0, then the machine reports stitch 4 twice: the
  // first call draws nothing new (first = trace) and still moves the cross to record 3.
  Run(0, 0, true);
  ASSERT_EQ(CrossAt(), std::vector<int>{0});
  Run(4, 4, false);
  EXPECT_EQ(CrossAt(), std::vector<int>{3});
  EXPECT_EQ(design_.CrossPos, (TPoint{2 + 4 * 3, kRow}));
  Run(4, 4, false);
  EXPECT_EQ(CrossAt(), std::vector<int>{3}) << "still one cross";
}

TEST(StitchDraw, LiftsJumpsAndCuts) {
  // stitch, stitch, jump, stitch: the jump neither draws nor moves the pen, so the last
  // stitch is drawn from the second. A cut lifts the pen: the stitch after it only moves.
  Bitmap bmp(40, 20);
  TStitchItem d =
      Design({Rec(sfStitch, 2, 5), Rec(sfStitch, 10, 5), Rec(sfJump, 30, 15), Rec(sfStitch, 20, 5),
              Rec(sfCut, 20, 5), Rec(sfStitch, 30, 10), Rec(sfStitch, 36, 10)});
  TDrawParam p;
  p.Bitmap = &bmp;
  p.DrawAll = 1;
  p.Seed = 1;
  d.DrawStitch(&p, -1, nullptr);
  EXPECT_EQ(Classify(bmp.GetPixel(6, 5)), Seen::Colour);
  EXPECT_EQ(Classify(bmp.GetPixel(15, 5)), Seen::Colour);  // from the second stitch, not the jump
  EXPECT_EQ(Classify(bmp.GetPixel(25, 10)), Seen::None);   // no line across the jump
  EXPECT_EQ(Classify(bmp.GetPixel(25, 7)), Seen::None);    // nor across the cut
  EXPECT_EQ(Classify(bmp.GetPixel(33, 10)), Seen::Colour);
}

TEST(StitchDraw, ColourChangeTakesTheNextBlockAndLifts) {
  Bitmap bmp(40, 10);
  TStitchItem d = Design({Rec(sfStitch, 2, 5), Rec(sfStitch, 10, 5), Rec(sfColorChange, 10, 5),
                          Rec(sfStitch, 14, 5), Rec(sfStitch, 30, 5)},
                         {RGB(255, 0, 0), RGB(0, 0, 255)});
  TDrawParam p;
  p.Bitmap = &bmp;
  p.DrawAll = 1;
  p.Seed = 1;
  d.DrawStitch(&p, -1, nullptr);
  EXPECT_GT(GetRValue(bmp.GetPixel(6, 5)), GetBValue(bmp.GetPixel(6, 5)));
  EXPECT_EQ(bmp.GetPixel(12, 5), platform::kBlack);  // the change lifted the pen
  EXPECT_GT(GetBValue(bmp.GetPixel(22, 5)), GetRValue(bmp.GetPixel(22, 5)));
}

TEST(StitchDraw, RangeCarriesColourLiftAndPenFromTheRecordsBeforeIt) {
  // 0 stitch, 1 stitch, 2 colour change (blue), 3 stitch (lifted), 4 jump, 5 stitch, 6 cut,
  // 7 stitch (lifted), 8 stitch.
  const std::vector<TEmbPoint> pts = {
      Rec(sfStitch, 2, 5),  Rec(sfStitch, 6, 5),  Rec(sfColorChange, 6, 5),
      Rec(sfStitch, 10, 5), Rec(sfJump, 30, 9),   Rec(sfStitch, 14, 5),
      Rec(sfCut, 14, 5),    Rec(sfStitch, 18, 5), Rec(sfStitch, 22, 5)};
  struct Case {
    int first, trace;
    const char* pixels;  // at x = 8, 12, 16, 20: b blue, - nothing
  };
  const Case cases[] = {
      {5, 9, "-b-b"}, {4, 9, "-b-b"}, {3, 9, "-b-b"}, {7, 9, "---b"}, {6, 7, "----"}};
  for (const Case& c : cases) {
    Bitmap bmp(30, 10);
    TStitchItem d = Design(pts, {RGB(255, 0, 0), RGB(0, 0, 255)});
    TDrawParam p;
    p.Bitmap = &bmp;
    p.First = c.first;
    p.Seed = 2;
    d.DrawStitch(&p, c.trace, nullptr);
    std::string seen;
    for (const int x : {8, 12, 16, 20}) {
      const COLORREF px = bmp.GetPixel(x, 6);  // below the cross's arm
      seen += px == platform::kBlack ? '-' : GetBValue(px) > GetRValue(px) ? 'b' : '?';
    }
    EXPECT_EQ(seen, c.pixels) << c.first << " " << c.trace;
  }
}

TEST(StitchDraw, PaletteEntriesGiveTheColours) {
  Bitmap bmp(20, 10);
  TStitchItem d = Design({Rec(sfStitch, 2, 5), Rec(sfStitch, 18, 5)}, {RGB(255, 0, 0)});
  d.Colors[0].Index = 1;
  TColorInfo palette;
  palette.Insert(-1, {RGB(255, 0, 0), 1, "", ""});
  palette.Insert(-1, {RGB(0, 255, 0), 1, "", ""});
  TDrawParam p;
  p.Bitmap = &bmp;
  p.DrawAll = 1;
  p.Seed = 1;
  d.DrawStitch(&p, -1, &palette);
  const COLORREF mid = bmp.GetPixel(10, 5);
  EXPECT_GT(GetGValue(mid), GetRValue(mid));
}

// Ring radii and line widths follow the zoom.
TEST(StitchDraw, RingRadiiAndLineWidthsFollowTheZoom) {
  struct Case {
    int zoom, pen_width, outer, inner, line_width;
  };
  const Case cases[] = {{100, 0, 12, 2, 2}, {75, 0, 9, 2, 2}, {70, 0, 8, 1, 2},  {69, 0, 8, 1, 1},
                        {50, 0, 6, 1, 1},   {4, 0, 1, 1, 1},  {100, 1, 12, 2, 1}};
  for (const Case& c : cases) {
    Bitmap bmp(100, 80);
    bmp.GetCanvas().GetBrush().color = RGB(0, 0, 255);
    bmp.GetCanvas().FillRect({0, 0, 100, 80});
    // Positions 0 scale to 0 at every zoom; the offsets place them.
    TStitchItem d =
        Design({{sfStitch, 0, 0}, {sfModeJump, 0, 0}, {sfStitch, 0, 0}, {sfStitch, U(60), 0}});
    d.PenWidth = c.pen_width;
    TDrawParam p;
    p.Bitmap = &bmp;
    p.XOffset = 20;
    p.YOffset = 40;
    p.Zoom = c.zoom;
    p.DrawAll = 1;
    p.Seed = 1;
    d.DrawStitch(&p, -1, nullptr);
    const std::string at = "zoom " + std::to_string(c.zoom);
    EXPECT_EQ(bmp.GetPixel(20, 40 - c.outer), platform::kBlack) << at;  // outline top
    EXPECT_EQ(bmp.GetPixel(20 - c.outer, 40), platform::kBlack) << at;  // outline left
    EXPECT_EQ(bmp.GetPixel(20, 40 - c.outer - 1), RGB(0, 0, 255)) << at;
    EXPECT_EQ(bmp.GetPixel(20 - c.outer - 1, 40), RGB(0, 0, 255)) << at;
    EXPECT_EQ(bmp.GetPixel(20, 40 - c.inner), platform::kBlack) << at;  // the black centre
    if (c.outer > c.inner + 1) {
      EXPECT_EQ(bmp.GetPixel(20, 40 - c.inner - 1), platform::kWhite) << at;
    }
    // The line's last point, right of the ring: as many rows as the line's width.
    const int x = 20 + U(60) * 96 / 254 * c.zoom / 100;
    int rows = 0;
    for (int y = 36; y < 45; ++y) rows += bmp.GetPixel(x, y) != RGB(0, 0, 255);
    EXPECT_EQ(rows, c.line_width) << at;
  }
}

TEST(StitchDraw, GreyRingsOnUnsewnRecords) {
  Bitmap bmp(60, 40);
  TStitchItem d = Design({Rec(sfStitch, 10, 20), Rec(sfStitch, 12, 20), Rec(sfModeJump, 40, 20)});
  TDrawParam p;
  p.Bitmap = &bmp;
  p.DrawAll = 1;
  p.Seed = 1;
  d.DrawStitch(&p, 1, nullptr);
  EXPECT_EQ(bmp.GetPixel(40, 8), RGB(192, 192, 192));   // outline of the grey pen
  EXPECT_EQ(bmp.GetPixel(40, 12), RGB(128, 128, 128));  // grey stock brush inside
}

TEST(StitchDraw, FirstStitchAfterALiftGetsNoRing) {
  Bitmap bmp(60, 40);
  TStitchItem d = Design({Rec(sfModeJump, 30, 20), Rec(sfStitch, 50, 20)});
  TDrawParam p;
  p.Bitmap = &bmp;
  p.DrawAll = 1;
  p.Seed = 1;
  d.DrawStitch(&p, -1, nullptr);
  EXPECT_EQ(bmp.GetPixel(30, 8), platform::kBlack);
  EXPECT_EQ(bmp.GetPixel(30 - 12, 20), platform::kBlack);
  EXPECT_NE(bmp.GetPixel(40, 20), platform::kBlack);
}

TEST(StitchDraw, DeviceBitmapGetsRingsAndCrossButNoLines) {
  Bitmap bmp(60, 40, 24, platform::PixelAccess::DeviceOnly);
  TStitchItem d = Design({Rec(sfStitch, 5, 20), Rec(sfModeJump, 30, 20), Rec(sfStitch, 55, 20)});
  TDrawParam p;
  p.Bitmap = &bmp;
  p.DrawAll = 1;
  d.DrawStitch(&p, 2, nullptr);
  EXPECT_EQ(bmp.GetPixel(10, 20), platform::kBlack);  // no line
  EXPECT_EQ(bmp.GetPixel(30, 8), platform::kBlack);   // ring outline
  EXPECT_EQ(bmp.GetPixel(30, 10), platform::kWhite);  // ring inside
  EXPECT_EQ(bmp.GetPixel(30, 12), platform::kBlack);  // the cross (trace 2 - 1) inverts it
  EXPECT_EQ(bmp.GetPixel(22, 20), platform::kBlack);
  EXPECT_EQ(bmp.GetPixel(31, 20), platform::kWhite);  // inner black circle inverted
}

TEST(StitchDraw, CrossDrawnTwiceRestoresThePixels) {
  Bitmap bmp(30, 30);
  bmp.GetCanvas().GetBrush().color = RGB(10, 100, 200);
  bmp.GetCanvas().FillRect({3, 3, 20, 25});
  const Bitmap before(bmp);
  TStitchItem::XorCross(bmp.GetCanvas(), {12, 12});
  EXPECT_EQ(bmp.GetPixel(12, 4), RGB(245, 155, 55));
  EXPECT_EQ(bmp.GetPixel(12, 20), bmp.GetPixel(12, 20));
  EXPECT_EQ(bmp.GetPixel(12, 21), before.GetPixel(12, 21));  // the arms end before +8
  TStitchItem::XorCross(bmp.GetCanvas(), {12, 12});
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(bmp.GetPixel(x, y), before.GetPixel(x, y));
  TStitchItem::XorCross(bmp.GetCanvas(), {-2147483647 - 1, 2147483647});  // harmless
}

TEST(StitchDraw, DrawFitsCentresAndOutlines) {
  Bitmap bmp(50, 50);
  TStitchItem d = Design({{sfStitch, -U(50), 0}, {sfStitch, U(50), 0}});
  d.ViewRect = {-50, -25, 50, 25};
  d.CrossDrawn = 1;
  bmp.GetCanvas().GetBrush().color = RGB(0, 0, 255);
  EXPECT_EQ(d.Draw(bmp, true, 0, -1, nullptr), 50);
  EXPECT_EQ(d.CrossDrawn, 0);
  EXPECT_EQ(bmp.GetPixel(0, 0), platform::kBlack);  // outline in the canvas pen
  EXPECT_EQ(bmp.GetPixel(49, 30), platform::kBlack);
  EXPECT_EQ(bmp.GetPixel(10, 10), RGB(0, 0, 255));  // the brush
  EXPECT_NE(bmp.GetPixel(25, 25), RGB(0, 0, 255));  // the line through the centre
  EXPECT_EQ(bmp.GetCanvas().GetBrush().style, platform::BrushStyle::Clear);

  TStitchItem flat = Design({{sfStitch, 0, 0}, {sfStitch, 0, 0}});
  flat.ViewRect = {0, 0, 0, 0};  // scaled as if 1 pixel: zoom capped at 100
  EXPECT_EQ(flat.Draw(bmp, false, 0, -1, nullptr), 100);
}

TEST(StitchDraw, DrawIntoARectangleCentresThere) {
  Bitmap bmp(100, 40);
  TStitchItem d = Design({{sfStitch, -U(10), 0}, {sfStitch, U(10), 0}});
  d.ViewRect = {-10, -10, 10, 10};
  EXPECT_EQ(d.Draw(bmp, 60, 0, 40, 40, nullptr), 100);
  EXPECT_NE(bmp.GetPixel(80, 20), platform::kBlack);
  EXPECT_EQ(bmp.GetPixel(50, 20), platform::kBlack);
  EXPECT_EQ(bmp.GetPixel(60, 0), platform::kBlack);  // no outline
  EXPECT_EQ(d.Draw(bmp, 0, 0, -5, 40, nullptr), -25);
}

TEST(StitchDraw, CraftedCoordinatesStayInsideAndFinish) {
  Bitmap bmp(16, 16);
  TStitchItem d = Design({{sfStitch, -2147483647 - 1, -2147483647 - 1},
                          {sfModeJump, 2147483647, 2147483647},
                          {sfStitch, -2147483647 - 1, 2147483647},
                          {sfStitch, 5, 5}});
  d.Origin = {2147483647, -2147483647 - 1};
  d.ViewRect = {-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647};
  d.Draw(bmp, true, 0, 2, nullptr);
  TDrawParam p;
  p.Bitmap = &bmp;
  p.Zoom = 2147483647;
  p.XOffset = 2147483647;
  p.DrawAll = 1;
  d.DrawStitch(&p, 3, nullptr);
  p.Zoom = -2147483647 - 1;
  d.DrawStitch(&p, -1, nullptr);
}

}  // namespace
