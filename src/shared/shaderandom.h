#pragma once

#include <cstdint>

// The 15-bit pseudo-random generator of the stitch renderer. It belongs to one renderer, so
// no other code disturbs its sequence and tests can fix the seed. The sequence is the
// classic linear congruential one of the C library: values 0 to 32767.
class TShadeRandom {
 public:
  static constexpr std::uint32_t kMax = 32767;

  explicit TShadeRandom(std::uint32_t seed) : state_(seed) {}

  std::uint32_t Next() {
    state_ = state_ * 214013u + 2531011u;
    return (state_ >> 16) & kMax;
  }
  // A value from 0 to n inclusive: Next() * n / 32767.
  std::uint32_t Random(std::uint32_t n) { return Next() * n / kMax; }

 private:
  std::uint32_t state_;
};
