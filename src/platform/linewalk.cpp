#include "platform/linewalk.h"

#include <algorithm>

namespace platform {
namespace {

// Products of two coordinates of up to 34 bits overflow 64 bits.
__extension__ using Wide = __int128;

// Smallest integer not below num / den, den > 0.
Wide CeilDiv(Wide num, Wide den) {
  const Wide q = num / den;
  return (num % den != 0 && num > 0) ? q + 1 : q;
}

struct CountRange {
  Wide first;
  Wide last;
};

// The counts n for which c0 + n * unit lies in [lo, hi).
CountRange CountsInside(std::int64_t c0, int unit, std::int64_t lo, std::int64_t hi) {
  if (unit > 0) return {Wide{lo} - c0, Wide{hi} - 1 - c0};
  return {Wide{c0} - hi + 1, Wide{c0} - lo};
}

}  // namespace

void LineWalk::Seek(std::int64_t step) {
  // After `step` steps the other coordinate has moved m times, with the error kept in
  // [-2 * major, 0): m = floor((2 * step * minor + major) / (2 * major)).
  const Wide m = major_ == 0 ? 0 : (Wide{2} * step * minor_ + major_) / (Wide{2} * major_);
  step_ = step;
  x_ = x0_ + step * main_dx_ + static_cast<std::int64_t>(m) * other_dx_;
  y_ = y0_ + step * main_dy_ + static_cast<std::int64_t>(m) * other_dy_;
  error_ =
      static_cast<std::int64_t>(-Wide{major_} + Wide{2} * step * minor_ - Wide{2} * major_ * m);
}

bool LineWalk::ClipPart(std::int64_t left, std::int64_t top, std::int64_t right,
                        std::int64_t bottom) {
  if (Done()) return false;
  // Every point of the walk lies in the box spanned by the two ends.
  const std::int64_t x_lo = std::min(x0_, x1_), x_hi = std::max(x0_, x1_);
  const std::int64_t y_lo = std::min(y0_, y1_), y_hi = std::max(y0_, y1_);
  if (x_lo >= left && x_hi < right && y_lo >= top && y_hi < bottom) return true;
  if (x_hi < left || x_lo >= right || y_hi < top || y_lo >= bottom) {
    last_ = step_ - 1;
    return false;
  }

  // Along the main axis the step count, along the other the number m(step) of moves (a
  // non-decreasing count): the counts that keep each coordinate inside the window.
  const bool y_main = steep_;
  const CountRange steps = CountsInside(y_main ? y0_ : x0_, y_main ? main_dy_ : main_dx_,
                                        y_main ? top : left, y_main ? bottom : right);
  const CountRange moves = CountsInside(y_main ? x0_ : y0_, y_main ? other_dx_ : other_dy_,
                                        y_main ? left : top, y_main ? right : bottom);
  Wide first = std::max(Wide{step_}, steps.first);
  Wide last = std::min(Wide{last_}, steps.last);
  const Wide m_lo = moves.first;
  const Wide m_hi = moves.last;
  if (minor_ == 0) {
    if (m_lo > 0 || m_hi < 0) first = last + 1;
  } else {
    const Wide two_minor = Wide{2} * minor_;
    if (m_lo > 0) first = std::max(first, CeilDiv(Wide{2} * major_ * m_lo - major_, two_minor));
    last = std::min(last, CeilDiv(Wide{2} * major_ * (m_hi + 1) - major_, two_minor) - 1);
  }
  if (first > last) {
    last_ = step_ - 1;
    return false;
  }
  last_ = static_cast<std::int64_t>(last);
  Seek(static_cast<std::int64_t>(first));
  return true;
}

}  // namespace platform
