#pragma once

#include <cstdint>

namespace platform {

// Bresenham walk of the line from (x0, y0) to (x1, y1), both ends included. The main axis is
// the longer one (y when |dy| > |dx|); the error starts at -major, grows by 2 * minor per
// step and, on reaching 0, moves the other coordinate and drops by 2 * major. The canvas and
// the stitch renderer both draw through it.
//
// Coordinates are 64-bit so that scaled design positions cannot overflow, and Clip() skips
// the steps outside a window in closed form, so a line of any length costs only the points
// that can reach the bitmap.
class LineWalk {
 public:
  LineWalk(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1)
      : x0_(x0), y0_(y0), x1_(x1), y1_(y1), x_(x0), y_(y0) {
    std::int64_t dx = x1 - x0;
    std::int64_t dy = y1 - y0;
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    dx = dx < 0 ? -dx : dx;
    dy = dy < 0 ? -dy : dy;
    steep_ = dy > dx;
    if (steep_) {
      major_ = dy;
      minor_ = dx;
      main_dy_ = sy;
      other_dx_ = sx;
    } else {
      major_ = dx;
      minor_ = dy;
      main_dx_ = sx;
      other_dy_ = sy;
    }
    last_ = major_;
    error_ = -major_;
  }

  bool Steep() const { return steep_; }
  std::int64_t Major() const { return major_; }
  std::int64_t Minor() const { return minor_; }
  // Unit steps along the main axis and along the other one, in screen terms.
  int MainDx() const { return main_dx_; }
  int MainDy() const { return main_dy_; }
  int OtherDx() const { return other_dx_; }
  int OtherDy() const { return other_dy_; }

  // Leaves out the steps from `step` on (a line without its last point stops at Major()).
  void StopBefore(std::int64_t step) {
    if (step - 1 < last_) last_ = step - 1;
  }
  // Keeps only the steps whose point lies in [left, right) x [top, bottom); the walk then
  // starts at the first of them with the position and error it would have reached.
  // False when no step remains.
  bool Clip(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    // Every point of the walk lies in the box spanned by the two ends.
    const bool x_inside = (x0_ < x1_ ? x0_ >= left && x1_ < right : x1_ >= left && x0_ < right);
    const bool y_inside = (y0_ < y1_ ? y0_ >= top && y1_ < bottom : y1_ >= top && y0_ < bottom);
    if (x_inside && y_inside && !Done()) return true;
    return ClipPart(left, top, right, bottom);
  }

  bool Done() const { return step_ > last_; }
  std::int64_t Step() const { return step_; }
  std::int64_t X() const { return x_; }
  std::int64_t Y() const { return y_; }
  std::int64_t Error() const { return error_; }

  void Next() {
    ++step_;
    x_ += main_dx_;
    y_ += main_dy_;
    error_ += 2 * minor_;
    if (error_ >= 0) {
      x_ += other_dx_;
      y_ += other_dy_;
      error_ -= 2 * major_;
    }
  }

 private:
  bool ClipPart(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
  void Seek(std::int64_t step);

  std::int64_t x0_, y0_, x1_, y1_;
  bool steep_ = false;
  std::int64_t major_ = 0, minor_ = 0;
  int main_dx_ = 0, main_dy_ = 0, other_dx_ = 0, other_dy_ = 0;
  std::int64_t step_ = 0, last_ = 0;
  std::int64_t x_, y_, error_ = 0;
};

}  // namespace platform
