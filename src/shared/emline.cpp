#include "shared/emline.h"

#include <algorithm>
#include <cstdlib>

#include "platform/linewalk.h"

namespace {

std::int32_t Lightness(const EmLine::Bgr& c) {
  const std::int32_t hi = std::max({c.Blue, c.Green, c.Red});
  const std::int32_t lo = std::min({c.Blue, c.Green, c.Red});
  return (hi + lo) / 2;
}

template <typename F>
EmLine::Bgr EachChannel(const EmLine::Bgr& c, F f) {
  return {f(c.Blue), f(c.Green), f(c.Red)};
}

}  // namespace

EmLine::EmLine(platform::Bitmap& bitmap, int width, std::uint32_t seed)
    : width_(std::max(1, width)),
      pixels_(bitmap.BitsPerPixel() >= 24 ? bitmap.Pixels() : nullptr),
      bytes_per_pixel_(bitmap.BitsPerPixel() / 8),
      row_stride_((static_cast<std::int64_t>(bitmap.BytesPerRow()) + 3) & ~std::int64_t{3}),
      clip_width_(bitmap.Width()),
      clip_height_(bitmap.Height()),
      random_(seed) {}

void EmLine::BuildShades(std::int64_t length) {
  // 3 mm at 72 dots per inch: the length below which a line counts as short.
  constexpr std::int64_t kRef = static_cast<std::int64_t>(1.0 / 25.4 * 72.0 * 3.0);
  const std::int64_t len = std::max(length, kRef);

  std::uint32_t k = random_.Random(28);
  while (k == last_random_) k = random_.Random(28);
  last_random_ = k;

  const std::int32_t light = Lightness(colour_);
  Bgr base;
  if (k <= 7) {
    base = EachChannel(colour_, [](std::int32_t c) { return (c * 93 + 50) / 100; });
  } else {
    const std::int32_t t = (255 - light) * ((5 * light >> 3) + 96) / 255;
    const std::int32_t d = (t * static_cast<std::int32_t>(k) + 50) / 100;
    base = EachChannel(colour_, [d](std::int32_t c) { return c + (255 - c) * d / 255; });
  }
  shades_[3] = shades_[4] = base;
  shades_[2] = EachChannel(base, [](std::int32_t c) { return c * 98 / 100; });
  shades_[1] = EachChannel(base, [](std::int32_t c) { return c * 92 / 100; });
  shades_[0] = EachChannel(base, [](std::int32_t c) { return c * 84 / 100; });

  const std::int32_t base_light = Lightness(base);
  std::int64_t g = (static_cast<std::int64_t>(random_.Random(7)) + 15) * kRef / len;
  if (g <= 5) g = 5;
  const auto s = static_cast<std::int32_t>(((5 * base_light >> 3) + 96) * g / 255);
  for (std::int32_t j = 0; j < 3; ++j)
    shades_[5 + j] =
        EachChannel(base, [&](std::int32_t c) { return c + (255 - c) * (j + 1) * s / 100; });
}

void EmLine::Blend(std::int64_t x, std::int64_t y, const Bgr& c, std::uint64_t a, std::uint64_t b) {
  if (x < 0 || y < 0 || x >= clip_width_ || y >= clip_height_) return;
  const std::uint64_t channel[3] = {static_cast<std::uint64_t>(c.Blue),
                                    static_cast<std::uint64_t>(c.Green),
                                    static_cast<std::uint64_t>(c.Red)};
  const std::int64_t x_end = std::min(x + width_, clip_width_);
  const std::int64_t y_end = std::min(y + width_, clip_height_);
  bool first = true;
  for (std::int64_t py = y; py < y_end; ++py) {
    std::uint8_t* p = pixels_ + (clip_height_ - 1 - py) * row_stride_ + x * bytes_per_pixel_;
    for (std::int64_t px = x; px < x_end; ++px, p += bytes_per_pixel_) {
      for (int i = 0; i < 3; ++i)
        p[i] = static_cast<std::uint8_t>((p[i] * b + channel[i] * a + (a + b) / 2) / (a + b));
      if (first) {  // the rest of a wide brush only tints what is there
        first = false;
        b = 10 * b + 8 * a;
        a = 2 * a;
      }
    }
  }
}

void EmLine::Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Bgr colour) {
  if (pixels_ == nullptr) return;
  colour_ = colour;
  BuildShades(std::max(std::llabs(x1 - x0), std::llabs(y1 - y0)));

  platform::LineWalk walk(x0, y0, x1, y1);
  // A point blends itself and its neighbours one pixel around; no other points matter.
  if (!walk.Clip(-1, -1, clip_width_ + 1, clip_height_ + 1)) return;
  const std::int64_t major = walk.Major();
  const std::int64_t minor = walk.Minor();
  const int ox = walk.OtherDx();
  const int oy = walk.OtherDy();
  for (; !walk.Done(); walk.Next()) {
    const std::int64_t step = walk.Step();
    std::int64_t s = step * 18 / (major + 1);
    if (s > 7) s = 17 - s;
    const Bgr& c = shades_[static_cast<std::size_t>(std::min<std::int64_t>(s, 7))];
    const std::int64_t x = walk.X();
    const std::int64_t y = walk.Y();
    if (minor == major) {
      Blend(x, y, c, 1, 0);
      if (step < major) {
        Blend(x + 1, y, c, 1, 1);
        Blend(x, y + 1, c, 1, 1);
      }
    } else if (minor == 0) {
      Blend(x, y, c, 1, 0);
    } else {
      // The neighbour across the ideal line takes the share the point leaves.
      std::int64_t e = walk.Error() + major;
      int side = 1;
      if (e < 0) {
        e = -e;
        side = -1;
      }
      const auto weight_main = static_cast<std::uint64_t>(major);
      const auto weight_edge = static_cast<std::uint64_t>(e);
      Blend(x, y, c, weight_main, weight_edge);
      Blend(x + side * ox, y + side * oy, c, weight_edge, weight_main);
    }
  }
}
