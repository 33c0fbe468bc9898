#include "pelsrv/server/jpegimage.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "jpegdecode.h"

namespace {

TEST(JpegImage, ColoursKeepTheirPlaceAndChannel) {
  // Left half red, right half blue, bottom quarter green: a swapped channel or an upside-down
  // copy shows at once.
  platform::Bitmap bitmap(64, 64, 24);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      bitmap.SetPixel(x, y, y >= 48 ? RGB(0, 255, 0) : x < 32 ? RGB(255, 0, 0) : RGB(0, 0, 255));
  auto jpeg = EncodeJpeg(bitmap);
  ASSERT_TRUE(jpeg.has_value());
  DecodedJpeg image = DecodeJpeg(*jpeg);
  ASSERT_EQ(image.width, 64);
  ASSERT_EQ(image.height, 64);
  EXPECT_TRUE(image.baseline);
  EXPECT_EQ(image.lumaQuant0, 3);  // quality 90 scales the standard table to 20 %
  auto near = [](Rgb p, int r, int g, int b) {
    return std::abs(p.r - r) < 40 && std::abs(p.g - g) < 40 && std::abs(p.b - b) < 40;
  };
  EXPECT_TRUE(near(image.At(8, 8), 255, 0, 0));
  EXPECT_TRUE(near(image.At(56, 8), 0, 0, 255));
  EXPECT_TRUE(near(image.At(30, 60), 0, 255, 0));
}

TEST(JpegImage, ThirtyTwoBitBitmapsAndOddSizesEncode) {
  platform::Bitmap bitmap(13, 7, 32);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) bitmap.SetPixel(x, y, RGB(250, 250, 250));
  auto jpeg = EncodeJpeg(bitmap);
  ASSERT_TRUE(jpeg.has_value());
  DecodedJpeg image = DecodeJpeg(*jpeg);
  EXPECT_EQ(image.width, 13);
  EXPECT_EQ(image.height, 7);
  EXPECT_GT(image.At(6, 3).r, 230);
}

TEST(JpegImage, EmptyBitmapGivesNothing) {
  EXPECT_FALSE(EncodeJpeg(platform::Bitmap()).has_value());
}

}  // namespace
