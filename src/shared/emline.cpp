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

// 3 mm at 72 dots per inch: the length below which a line counts as short.
constexpr std::int64_t kRef = static_cast<std::int64_t>(1.0 / 25.4 * 72.0 * 3.0);

// floor(n / d) for one weight sum d and several n, with one division per weight sum
// instead of one per channel: for d below 2^24 (and so n below 2^32) the quotient is the
// high half of n * (floor(2^64 / d) + 1), which is exact while n * d < 2^64.
class Quotient {
 public:
  explicit Quotient(std::uint64_t d) : d_(d) {
    if (d > 1 && d < (std::uint64_t{1} << 24)) scale_ = ~std::uint64_t{0} / d + 1;
  }
  std::uint64_t operator()(std::uint64_t n) const {
    if (scale_ != 0) return static_cast<std::uint64_t>((static_cast<Wide>(n) * scale_) >> 64);
    return d_ == 1 ? n : n / d_;
  }

 private:
  __extension__ using Wide = unsigned __int128;
  std::uint64_t d_;
  std::uint64_t scale_ = 0;
};

// One pixel's channels become (old * b + c * a + (a + b) / 2) / (a + b).
inline void Mix(std::uint8_t* p, const EmLine::Bgr& c, std::uint64_t a, std::uint64_t b,
                const Quotient& by_sum) {
  const std::uint64_t half = (a + b) / 2;
  p[0] =
      static_cast<std::uint8_t>(by_sum(p[0] * b + static_cast<std::uint64_t>(c.Blue) * a + half));
  p[1] =
      static_cast<std::uint8_t>(by_sum(p[1] * b + static_cast<std::uint64_t>(c.Green) * a + half));
  p[2] = static_cast<std::uint8_t>(by_sum(p[2] * b + static_cast<std::uint64_t>(c.Red) * a + half));
}

// The length factor g of a line by its random part r (0 to 7) and its length len (at
// least 8); lines of kFactorLengths and more all get the least factor 5.
constexpr std::int64_t kFactorLengths = 36;
constexpr auto kFactorTable = [] {
  std::array<std::array<std::int64_t, kFactorLengths>, 8> t{};
  for (std::int64_t r = 0; r < 8; ++r)
    for (std::int64_t len = kRef; len < kFactorLengths; ++len)
      t[static_cast<std::size_t>(r)][static_cast<std::size_t>(len)] =
          std::max<std::int64_t>((r + 15) * kRef / len, 5);
  return t;
}();

// 18 / n and 18 % n for n from 1 to 18 (index 0 unused).
constexpr auto kEighteenths = [] {
  std::array<std::pair<std::int64_t, std::int64_t>, 19> t{};
  for (std::int64_t n = 1; n <= 18; ++n) t[static_cast<std::size_t>(n)] = {18 / n, 18 % n};
  return t;
}();

}  // namespace

EmLine::EmLine(platform::Bitmap& bitmap, int width, std::uint32_t seed)
    // A brush wider than the bitmap paints what one as wide as the bitmap does.
    : width_(std::clamp(width, 1, std::max({1, bitmap.Width(), bitmap.Height()}))),
      pixels_(bitmap.BitsPerPixel() >= 24 ? bitmap.Pixels() : nullptr),
      bytes_per_pixel_(bitmap.BitsPerPixel() / 8),
      row_stride_((static_cast<std::int64_t>(bitmap.BytesPerRow()) + 3) & ~std::int64_t{3}),
      clip_width_(bitmap.Width()),
      clip_height_(bitmap.Height()),
      random_(seed) {}

inline const EmLine::Table& EmLine::TableFor(std::uint32_t k, std::int64_t g) {
  const std::size_t slot = k * kFactors + static_cast<std::size_t>(g - kMinFactor);
  if (table_stamp_[slot] != stamp_) {
    table_stamp_[slot] = stamp_;
    BuildTable(k, g, tables_[slot]);
  }
  return tables_[slot];
}

void EmLine::BuildTable(std::uint32_t k, std::int64_t g, Table& shades) const {
  const std::int32_t light = Lightness(colour_);
  Bgr base;
  if (k <= 7) {
    base = EachChannel(colour_, [](std::int32_t c) { return (c * 93 + 50) / 100; });
  } else {
    const std::int32_t t = (255 - light) * ((5 * light >> 3) + 96) / 255;
    const std::int32_t d = (t * static_cast<std::int32_t>(k) + 50) / 100;
    base = EachChannel(colour_, [d](std::int32_t c) { return c + (255 - c) * d / 255; });
  }
  shades[3] = shades[4] = base;
  shades[2] = EachChannel(base, [](std::int32_t c) { return c * 98 / 100; });
  shades[1] = EachChannel(base, [](std::int32_t c) { return c * 92 / 100; });
  shades[0] = EachChannel(base, [](std::int32_t c) { return c * 84 / 100; });

  const std::int32_t base_light = Lightness(base);
  const auto s = static_cast<std::int32_t>(((5 * base_light >> 3) + 96) * g / 255);
  for (std::int32_t j = 0; j < 3; ++j)
    shades[5 + j] =
        EachChannel(base, [&](std::int32_t c) { return c + (255 - c) * (j + 1) * s / 100; });
}

void EmLine::ChooseShades(std::int64_t length) {
  const std::int64_t len = std::max(length, kRef);
  std::uint32_t k = random_.Random(28);
  while (k == last_random_) k = random_.Random(28);
  last_random_ = k;
  // g = (random(7) + 15) * 8 / len, at least 5: at most 22, and 5 for every len from 36 on.
  const std::uint32_t r = random_.Random(7);
  const std::int64_t g =
      len >= kFactorLengths ? kMinFactor : kFactorTable[r][static_cast<std::size_t>(len)];
  shades_ = &TableFor(k, g);
}

inline void EmLine::Blend(std::int64_t x, std::int64_t y, const Bgr& c, std::uint64_t a,
                          std::uint64_t b) {
  if (x < 0 || y < 0 || x >= clip_width_ || y >= clip_height_) return;
  std::uint8_t* p = pixels_ + (clip_height_ - 1 - y) * row_stride_ + x * bytes_per_pixel_;
  if (b == 0) {  // the colour itself
    p[0] = static_cast<std::uint8_t>(c.Blue);
    p[1] = static_cast<std::uint8_t>(c.Green);
    p[2] = static_cast<std::uint8_t>(c.Red);
  } else {
    Mix(p, c, a, b, Quotient(a + b));
  }
  if (width_ > 1) BlendRest(x, y, c, a, b);
}

void EmLine::BlendRest(std::int64_t x, std::int64_t y, const Bgr& c, std::uint64_t a,
                       std::uint64_t b) {
  // The rest of a wide brush only tints what is there.
  const std::uint64_t rest_a = 2 * a;
  const std::uint64_t rest_b = 10 * b + 8 * a;
  const Quotient by_sum(rest_a + rest_b);
  const std::int64_t x_end = std::min(x + width_, clip_width_);
  const std::int64_t y_end = std::min(y + width_, clip_height_);
  std::uint8_t* row = pixels_ + (clip_height_ - 1 - y) * row_stride_;
  for (std::int64_t py = y; py < y_end; ++py, row -= row_stride_) {
    for (std::int64_t px = py == y ? x + 1 : x; px < x_end; ++px)
      Mix(row + px * bytes_per_pixel_, c, rest_a, rest_b, by_sum);
  }
}

void EmLine::Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Bgr colour) {
  if (pixels_ == nullptr) return;
  if (colour.Blue != colour_.Blue || colour.Green != colour_.Green || colour.Red != colour_.Red) {
    colour_ = colour;
    ++stamp_;  // every kept table belonged to the old colour
  }
  ChooseShades(std::max(std::llabs(x1 - x0), std::llabs(y1 - y0)));
  const Table& shades = *shades_;

  platform::LineWalk clipped(x0, y0, x1, y1);
  // A point blends itself and its neighbours one pixel around; no other points matter.
  if (!clipped.Clip(-1, -1, clip_width_ + 1, clip_height_ + 1)) return;
  platform::LineWalk walk = clipped;  // a copy no call sees can live in registers
  const std::int64_t major = walk.Major();
  const std::int64_t minor = walk.Minor();
  const int ox = walk.OtherDx();
  const int oy = walk.OtherDy();
  // Shade position step * 18 / (major + 1), kept up to date without a division per point.
  const std::int64_t span = major + 1;
  const std::int64_t per_step = span > 18 ? 0 : kEighteenths[static_cast<std::size_t>(span)].first;
  const std::int64_t per_step_rest =
      span > 18 ? 18 : kEighteenths[static_cast<std::size_t>(span)].second;
  std::int64_t position = 0;
  std::int64_t rest = 0;
  if (walk.Step() != 0) {  // a clipped line starts part way
    position = walk.Step() * 18 / span;
    rest = walk.Step() * 18 % span;
  }
  for (; !walk.Done(); walk.Next()) {
    const std::int64_t s = position > 7 ? 17 - position : position;
    const Bgr& c = shades[static_cast<std::size_t>(std::min<std::int64_t>(s, 7))];
    const std::int64_t step = walk.Step();
    position += per_step;
    rest += per_step_rest;
    if (rest >= span) {
      ++position;
      rest -= span;
    }
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
