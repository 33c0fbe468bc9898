#pragma once

#include <cstdint>
#include <optional>

namespace platform {
class Bitmap;
}

// What TStitchItem::DrawStitch draws, where and at which scale. Filled by the caller;
// DrawStitch may exchange First with the trace index of a backward step.
struct TDrawParam {
  platform::Bitmap* Bitmap = nullptr;  // target; nothing is drawn without one
  std::int32_t XOffset = 0;            // pixels added to every scaled X
  std::int32_t YOffset = 0;            // pixels added to every scaled Y
  std::int32_t Zoom = 100;             // percent; positions are scaled only below 100
  std::int32_t First = 0;              // first record drawn when DrawAll is clear
  std::uint8_t DrawAll = 0;            // draw every record, ignoring the range
  // Seed of the line shades; the current time when empty. Fixed seeds repeat a drawing.
  std::optional<std::uint32_t> Seed;
};
