// Real-looking designs for desktop tests, screenshots and benchmarks: satin-stitched petals,
// hearts, stars and spirals in a few thread colours, written as native or ".dst" files.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "shared/common.h"
#include "shared/frmmarlow.h"
#include "shared/intmath.h"
#include "shared/stitch.h"

namespace designmaker {

inline constexpr double kTau = 6.283185307179586;

struct Palette {
  COLORREF color;
  const char* name;
};
inline constexpr Palette kThreads[] = {{0x3A2AD8, "Poppy Red"}, {0x2FA84A, "Leaf Green"},
                                       {0x2BC8F2, "Sunflower"}, {0xB0602A, "Denim Blue"},
                                       {0x9A3C8E, "Plum"},      {0x1C7AE8, "Tangerine"},
                                       {0x5A5A5A, "Charcoal"},  {0xC8A0F0, "Blossom Pink"}};

// Sets the design's rectangles from its records, as a reader does (origin 0, 0).
inline void SetBounds(TStitchItem& d) {
  TRect bounds;
  bool first = true;
  for (const TEmbPoint& p : d.Points) {
    if (!IsMovingFunc(p.Func)) continue;
    if (first) bounds = {p.X, p.Y, p.X, p.Y};
    first = false;
    ExtendRect(bounds, TPoint{p.X, p.Y});
  }
  d.Origin = {0, 0};
  d.SetRawRect(bounds);
  d.SetViewRect(intmath::ViewOf(bounds, d.Origin));
}

// Builds a design by satin runs along curves; each run is one colour block.
class Builder {
 public:
  // A satin column of `width` along curve(t), t from 0 to 1, about `stitches` stitches.
  void Satin(const std::function<std::pair<double, double>(double)>& curve, double width,
             int stitches, int thread) {
    BeginBlock(thread);
    for (int s = 0; s <= stitches; ++s) {
      const double t = static_cast<double>(s) / stitches;
      const auto [x, y] = curve(t);
      const auto [x2, y2] = curve(std::min(1.0, t + 0.001));
      double nx = -(y2 - y), ny = x2 - x;
      const double len = std::hypot(nx, ny);
      if (len > 0) nx /= len, ny /= len;
      const double side = (s % 2 == 0 ? 0.5 : -0.5) * width;
      Add(sfStitch, x + nx * side, y + ny * side);
    }
  }

  TStitchItem Finish(const std::string& title) {
    d_.Points.push_back({sfEnd, last_.x, last_.y});
    d_.SetColorCount();
    for (int i = 0; i < d_.GetColorCount() && i < static_cast<int>(threads_.size()); ++i) {
      const Palette& p = kThreads[threads_[i] % std::size(kThreads)];
      d_.Colors[i] = {0, kNoPaletteIndex, p.color, p.name};
    }
    d_.Title = title;
    SetBounds(d_);
    return d_;
  }

 private:
  void BeginBlock(int thread) {
    if (d_.Points.empty()) {
      d_.Points.push_back({sfStart, 0, 0});
    } else {
      d_.Points.push_back({sfColorChange, last_.x, last_.y});
    }
    threads_.push_back(thread);
    jumpNext_ = true;
  }
  void Add(std::uint8_t func, double x, double y) {
    const TPoint p{static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
    d_.Points.push_back({jumpNext_ ? static_cast<std::uint8_t>(sfJump) : func, p.x, p.y});
    jumpNext_ = false;
    last_ = p;
  }

  TStitchItem d_;
  TPoint last_;
  std::vector<int> threads_;
  bool jumpNext_ = false;
};

// One of several motifs (kind modulo 4), scaled by `size` (0.1 mm), about `stitches` stitches.
inline TStitchItem MakeDesign(int kind, int stitches, int size, const std::string& title,
                              int seed = 0) {
  Builder b;
  const double r = size / 2.0;
  switch (kind % 4) {
    case 0: {  // flower: petals around a spiral centre
      const int petals = 5 + seed % 4;
      const int per = std::max(8, stitches * 3 / 4 / petals);
      for (int p = 0; p < petals; ++p) {
        const double a0 = kTau * p / petals;
        b.Satin(
            [=](double t) {
              const double a = a0 + (t - 0.5) * kTau / petals * 0.9;
              const double rr = r * (0.3 + 0.7 * std::sin(t * kTau / 2));
              return std::pair{rr * std::cos(a), rr * std::sin(a)};
            },
            r * 0.18, per, p % 2 == 0 ? 0 : 7);
      }
      b.Satin(
          [=](double t) {
            return std::pair{r * 0.25 * t * std::cos(t * 18), r * 0.25 * t * std::sin(t * 18)};
          },
          r * 0.05, std::max(8, stitches / 4), 2);
      break;
    }
    case 1:  // heart
      b.Satin(
          [=](double t) {
            const double a = t * kTau;
            const double x = 16 * std::pow(std::sin(a), 3);
            const double y =
                -(13 * std::cos(a) - 5 * std::cos(2 * a) - 2 * std::cos(3 * a) - std::cos(4 * a));
            return std::pair{x * r / 17, y * r / 17};
          },
          r * 0.16, stitches * 2 / 3, 0);
      b.Satin(
          [=](double t) {
            return std::pair{(t - 0.5) * r * 0.9, r * 0.1 * std::sin(t * 12)};
          },
          r * 0.08, stitches / 3, 6);
      break;
    case 2: {  // star with a ring
      const int points = 5 + seed % 3;
      b.Satin(
          [=](double t) {
            const double a = t * kTau;
            const double k = std::fmod(t * points * 2, 2.0);
            const double rr = r * (0.45 + 0.55 * std::abs(1 - k));
            return std::pair{rr * std::cos(a), rr * std::sin(a)};
          },
          r * 0.12, stitches / 2, 2);
      b.Satin(
          [=](double t) {
            return std::pair{r * 0.3 * std::cos(t * kTau), r * 0.3 * std::sin(t * kTau)};
          },
          r * 0.1, stitches / 2, 3);
      break;
    }
    default:  // spiral of three colours
      for (int c = 0; c < 3; ++c) {
        b.Satin(
            [=](double t) {
              const double a = (c + t) * kTau * 1.3;
              const double rr = r * (0.15 + 0.28 * (c + t));
              return std::pair{rr * std::cos(a), rr * std::sin(a)};
            },
            r * 0.1, stitches / 3, 4 + c);
      }
  }
  return b.Finish(title);
}

inline bool WriteNative(const std::filesystem::path& path, TStitchItem design) {
  return TStitchFormatMarlow::Save(path.string(), design, nullptr);
}

// The ".dst" records of a move of at most 121 units per axis.
inline void DstRecord(std::vector<std::uint8_t>& out, int dx, int dy, std::uint8_t flags) {
  std::uint8_t b[3] = {0, 0, static_cast<std::uint8_t>(0x03 | flags)};
  const auto put = [&](int& v, int unit, int byte, std::uint8_t plus, std::uint8_t minus) {
    if (v > unit / 2) {
      b[byte] |= plus;
      v -= unit;
    } else if (v < -unit / 2) {
      b[byte] |= minus;
      v += unit;
    }
  };
  int x = dx, y = -dy;  // ".dst" counts y upwards
  put(x, 81, 2, 0x04, 0x08);
  put(y, 81, 2, 0x20, 0x10);
  put(x, 27, 1, 0x04, 0x08);
  put(y, 27, 1, 0x20, 0x10);
  put(x, 9, 0, 0x04, 0x08);
  put(y, 9, 0, 0x20, 0x10);
  put(x, 3, 1, 0x01, 0x02);
  put(y, 3, 1, 0x80, 0x40);
  put(x, 1, 0, 0x01, 0x02);
  put(y, 1, 0, 0x80, 0x40);
  out.insert(out.end(), {b[0], b[1], b[2]});
}

// Writes the design as a ".dst" file: a 512-byte header, then stitches and jumps (long moves
// split), colour changes and the end record.
inline bool WriteDst(const std::filesystem::path& path, const TStitchItem& design) {
  std::vector<std::uint8_t> bytes(512, ' ');
  TPoint at;
  for (const TEmbPoint& p : design.Points) {
    if (p.Func == sfColorChange) {
      DstRecord(bytes, 0, 0, 0xC0);
      continue;
    }
    if (!IsMovingFunc(p.Func)) continue;
    int dx = p.X - at.x, dy = p.Y - at.y;
    const bool jump = p.Func != sfStitch;
    while (std::abs(dx) > 121 || std::abs(dy) > 121) {
      const int sx = std::clamp(dx, -121, 121), sy = std::clamp(dy, -121, 121);
      DstRecord(bytes, sx, sy, 0x80);
      dx -= sx;
      dy -= sy;
    }
    DstRecord(bytes, dx, dy, jump ? 0x80 : 0x00);
    at = {p.X, p.Y};
  }
  bytes.insert(bytes.end(), {0x00, 0x00, 0xF3});
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

}  // namespace designmaker
