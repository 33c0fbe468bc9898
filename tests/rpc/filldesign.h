// A large design for the transfer benchmarks: rows of short stitches, back and forth, as a fill
// looks, in its stream form.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/memstream.h"
#include "shared/stitch.h"

inline std::unique_ptr<platform::MemStream> FillDesignStream(int stitches) {
  TStitchItem design;
  design.Title = "Big";
  design.Points.reserve(static_cast<std::size_t>(stitches));
  for (int i = 0; i < stitches; ++i) {
    const int row = i / 1000, col = i % 1000;
    design.Points.push_back({sfStitch, row % 2 ? 999 - col : col, row});
  }
  TEmbColor c;
  c.Index = 0xFF;
  design.Colors.push_back(c);
  return design.Save();
}
