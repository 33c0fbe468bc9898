#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/bitmap.h"
#include "shared/shaderandom.h"

// Renders stitch lines as short shaded threads straight into the pixel memory of a 24- or
// 32-bit bitmap: dark at the ends, bright in the middle, with a randomised brightness per
// line and an anti-aliased edge. One renderer serves one drawing pass.
class EmLine {
 public:
  struct Bgr {
    std::int32_t Blue = 0;
    std::int32_t Green = 0;
    std::int32_t Red = 0;
  };

  // Width is the square brush size in pixels (values below 1 count as 1).
  EmLine(platform::Bitmap& bitmap, int width, std::uint32_t seed);

  // The line from (x0, y0) to (x1, y1), both ends included, in the colour; nothing when
  // the bitmap has no pixel memory. Pixels outside the bitmap are never touched, and only
  // the part of a line that can reach the bitmap is walked.
  void Line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, Bgr colour);

  // The shade table of the last line: 0 darkest at the ends, 7 brightest in the middle.
  const std::array<Bgr, 8>& Shades() const { return *shades_; }

 private:
  using Table = std::array<Bgr, 8>;
  // A line's table depends only on the colour, the randomised brightness k (0 to 28) and the
  // length factor g (5 to 22), so tables are kept per (k, g) until the colour changes.
  static constexpr int kBrightnesses = 29;
  static constexpr int kMinFactor = 5;
  static constexpr int kFactors = 18;

  void ChooseShades(std::int64_t length);
  const Table& TableFor(std::uint32_t k, std::int64_t g);
  void BuildTable(std::uint32_t k, std::int64_t g, Table& shades) const;
  void Blend(std::int64_t x, std::int64_t y, const Bgr& c, std::uint64_t a, std::uint64_t b);
  void BlendRest(std::int64_t x, std::int64_t y, const Bgr& c, std::uint64_t a, std::uint64_t b);

  int width_;
  std::uint8_t* pixels_;
  int bytes_per_pixel_;
  std::int64_t row_stride_;
  std::int64_t clip_width_;
  std::int64_t clip_height_;
  Bgr colour_{-1, -1, -1};
  // On the heap: 50 KB is too much for the stack of a worker thread.
  std::vector<Table> tables_ = std::vector<Table>(kBrightnesses * kFactors);
  std::array<std::uint32_t, kBrightnesses * kFactors> table_stamp_{};  // valid when == stamp_
  std::uint32_t stamp_ = 0;
  const Table* shades_ = tables_.data();
  std::uint32_t last_random_ = 0;
  TShadeRandom random_;
};
