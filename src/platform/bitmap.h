#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/canvas.h"
#include "platform/wintypes.h"

namespace platform {

// Whether the owner may write the pixel memory itself (a device-independent bitmap) or
// only draw through a canvas (a device bitmap: Pixels() is null).
enum class PixelAccess { Direct, DeviceOnly };

// A bottom-up bitmap of 24 or 32 bits per pixel: row r of the memory is screen line
// (height - 1 - r), rows are padded to 4 bytes, a pixel's bytes are blue, green, red
// (and a fourth that drawing leaves alone). New pixels are black.
class Bitmap {
 public:
  // Bitmaps larger than this many bytes are refused (the size becomes 0 x 0).
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 28;

  Bitmap() : Bitmap(0, 0) {}
  // Bits per pixel other than 24 and 32 are taken as 24.
  Bitmap(int width, int height, int bits_per_pixel = 24, PixelAccess access = PixelAccess::Direct);
  Bitmap(const Bitmap& other);
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(const Bitmap& other);
  Bitmap& operator=(Bitmap&& other) noexcept;
  ~Bitmap() = default;

  // New size, all pixels black; false (and 0 x 0) for a negative or too large size.
  bool SetSize(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bits_per_pixel_; }
  int BytesPerRow() const { return stride_; }
  PixelAccess Access() const { return access_; }

  // The pixel memory for direct access; null for a device bitmap or an empty one.
  std::uint8_t* Pixels();
  const std::uint8_t* Pixels() const;

  // Screen coordinates; reads outside give black, writes outside are dropped.
  COLORREF GetPixel(int x, int y) const;
  void SetPixel(int x, int y, COLORREF color);
  bool Contains(std::int64_t x, std::int64_t y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_;
  }

  // The bitmap's own canvas, whose pen, brush and raster operation persist.
  Canvas& GetCanvas() { return canvas_; }

 private:
  friend class Canvas;
  // Storage of screen pixel (x, y) whatever the access; the caller keeps (x, y) inside.
  std::uint8_t* At(std::int64_t x, std::int64_t y) {
    return bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride_ +
           static_cast<std::size_t>(x) * (bits_per_pixel_ / 8);
  }
  const std::uint8_t* At(std::int64_t x, std::int64_t y) const {
    return const_cast<Bitmap*>(this)->At(x, y);
  }

  int width_ = 0;
  int height_ = 0;
  int bits_per_pixel_ = 24;
  int stride_ = 0;
  PixelAccess access_ = PixelAccess::Direct;
  std::vector<std::uint8_t> bits_;
  Canvas canvas_;
};

}  // namespace platform
