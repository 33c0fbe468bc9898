#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "shared/colorinfo.h"

namespace {

// B, G, R, A of pixel (x, y) counted from the top.
std::array<int, 4> At(const TSwatchBitmap& bmp, int x, int y) {
  const std::uint8_t* p = bmp.Pixels.data() + (static_cast<std::size_t>(y) * bmp.Width + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

TEST(ColorSwatch, TintsEachGreyLevelAndBlendsTheEdges) {
  // A 2 x 2 icon, rows bottom-up: bottom row grey 128 opaque, grey 0 opaque; top row grey 255
  // opaque, grey 128 at alpha 51.
  const std::uint8_t icon[] = {
      128, 128, 128, 255, 0,   0,   0,   255,  // bottom row
      255, 255, 255, 255, 128, 128, 128, 51,   // top row
  };
  const COLORREF thread = RGB(200, 100, 0);  // blue 0, green 100, red 200
  const TSwatchBitmap bmp = MakeSwatchFromIcon({icon, 2, 2}, thread, RGB(0, 0, 250), false);
  ASSERT_EQ(bmp.Width, 2);
  ASSERT_EQ(bmp.Pixels.size(), 16u);
  EXPECT_EQ(At(bmp, 0, 1), (std::array<int, 4>{0, 100, 200, 255}));  // 128: the colour itself
  EXPECT_EQ(At(bmp, 1, 1), (std::array<int, 4>{0, 0, 0, 255}));      // 0: black
  // 255: c + (255 - c) * 127 / 128 per channel.
  EXPECT_EQ(At(bmp, 0, 0), (std::array<int, 4>{0 + 255 * 127 / 128, 100 + 155 * 127 / 128,
                                               200 + 55 * 127 / 128, 255}));
  // Alpha 51 blends with the background (blue 250): (t * 51 + b * 204) / 255.
  EXPECT_EQ(At(bmp, 1, 0), (std::array<int, 4>{(0 * 51 + 250 * 204) / 255, (100 * 51) / 255,
                                               (200 * 51) / 255, 255}));
}

TEST(ColorSwatch, TransparentPixelsTakeTheBackground) {
  const std::uint8_t icon[] = {90, 90, 90, 0};
  const struct {
    std::int32_t background;
    bool marked;
    COLORREF expected;
  } cases[] = {
      {static_cast<std::int32_t>(RGB(1, 2, 3)), false, RGB(1, 2, 3)},
      {kButtonFaceBackground, false, kButtonFaceColor},
      {static_cast<std::int32_t>(RGB(1, 2, 3)), true, RGB(10, 20, 30)},  // marked: the colour
  };
  for (const auto& c : cases) {
    const TSwatchBitmap bmp =
        MakeSwatchFromIcon({icon, 1, 1}, RGB(10, 20, 30), c.background, c.marked);
    EXPECT_EQ(At(bmp, 0, 0), (std::array<int, 4>{GetBValue(c.expected), GetGValue(c.expected),
                                                 GetRValue(c.expected), 0}));
  }
}

TEST(ColorSwatch, MarkedSwatchInvertsTheColour) {
  const std::uint8_t icon[] = {128, 128, 128, 255};
  const TSwatchBitmap bmp = MakeSwatchFromIcon({icon, 1, 1}, RGB(10, 20, 30), 0, true);
  EXPECT_EQ(At(bmp, 0, 0), (std::array<int, 4>{225, 235, 245, 255}));
}

TEST(ColorSwatch, BuiltinIconAndMissingIcon) {
  const auto icon = FindIconBits(kSwatchIconId);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->Width, 32);
  EXPECT_EQ(icon->Height, 32);
  EXPECT_FALSE(FindIconBits(134).has_value());

  const TSwatchBitmap swatch = MakeColorSwatch(kSwatchIconId, RGB(255, 0, 0), -1, false);
  ASSERT_EQ(swatch.Pixels.size(), 32u * 32u * 4u);
  EXPECT_EQ(At(swatch, 0, 0)[3], 0);  // corner outside the bobbin
  EXPECT_EQ(At(swatch, 16, 16)[3], 255);
  for (int x = 0; x < 32; ++x)
    for (int y = 0; y < 32; ++y) EXPECT_EQ(At(swatch, x, y)[0], At(swatch, x, y)[1]);  // no blue

  const TSwatchBitmap missing = MakeColorSwatch(7, RGB(255, 0, 0), -1, false);
  EXPECT_EQ(missing.Width, 32);
  EXPECT_EQ(missing.Height, 32);
  EXPECT_EQ(missing.Pixels, std::vector<std::uint8_t>(32 * 32 * 4, 0));
}

}  // namespace
