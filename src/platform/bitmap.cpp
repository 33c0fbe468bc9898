#include "platform/bitmap.h"

#include <utility>

namespace platform {

Bitmap::Bitmap(int width, int height, int bits_per_pixel, PixelAccess access)
    : bits_per_pixel_(bits_per_pixel == 32 ? 32 : 24), access_(access), canvas_(*this) {
  SetSize(width, height);
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_),
      height_(other.height_),
      bits_per_pixel_(other.bits_per_pixel_),
      stride_(other.stride_),
      access_(other.access_),
      bits_(other.bits_),
      canvas_(other.canvas_, *this) {}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      bits_per_pixel_(other.bits_per_pixel_),
      stride_(std::exchange(other.stride_, 0)),
      access_(other.access_),
      bits_(std::move(other.bits_)),
      canvas_(other.canvas_, *this) {
  other.bits_.clear();
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
  if (this != &other) {
    Bitmap copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this != &other) {
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    bits_per_pixel_ = other.bits_per_pixel_;
    stride_ = std::exchange(other.stride_, 0);
    access_ = other.access_;
    bits_ = std::move(other.bits_);
    other.bits_.clear();
    canvas_ = Canvas(other.canvas_, *this);
  }
  return *this;
}

bool Bitmap::SetSize(int width, int height) {
  const std::size_t row = (static_cast<std::size_t>(width < 0 ? 0 : width) *
                               static_cast<std::size_t>(bits_per_pixel_ / 8) +
                           3) &
                          ~std::size_t{3};
  const bool fits = width >= 0 && height >= 0 && row <= kMaxBytes &&
                    (height == 0 || row <= kMaxBytes / static_cast<std::size_t>(height));
  if (!fits) {
    width = 0;
    height = 0;
  }
  width_ = width;
  height_ = height;
  stride_ = fits ? static_cast<int>(row) : 0;
  bits_.assign(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_), 0);
  return fits;
}

std::uint8_t* Bitmap::Pixels() {
  return access_ == PixelAccess::Direct && !bits_.empty() ? bits_.data() : nullptr;
}

const std::uint8_t* Bitmap::Pixels() const { return const_cast<Bitmap*>(this)->Pixels(); }

COLORREF Bitmap::GetPixel(int x, int y) const {
  if (!Contains(x, y)) return kBlack;
  const std::uint8_t* p = At(x, y);
  return RGB(p[2], p[1], p[0]);
}

void Bitmap::SetPixel(int x, int y, COLORREF color) {
  if (!Contains(x, y)) return;
  std::uint8_t* p = At(x, y);
  p[0] = GetBValue(color);
  p[1] = GetGValue(color);
  p[2] = GetRValue(color);
}

}  // namespace platform
