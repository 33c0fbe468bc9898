// JPEG encoding of the server's preview and trace bitmaps.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/bitmap.h"

inline constexpr int kJpegQuality = 90;

// Baseline JPEG of the bitmap (bottom-up blue-green-red rows turned into top-down RGB).
// Nothing for an empty bitmap or when the encoder fails.
std::optional<std::vector<std::uint8_t>> EncodeJpeg(const platform::Bitmap& bitmap,
                                                    int quality = kJpegQuality);
