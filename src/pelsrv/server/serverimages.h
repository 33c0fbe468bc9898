// The bitmaps behind IPelSrv::GetImage and IPelSrv::GetTraceImage.
#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/bitmap.h"

class TColorInfo;
class TCommBase;

inline constexpr int kPreviewSize = 64;
inline constexpr int kTraceSize = 128;
inline constexpr int kSmallTraceSize = 64;
inline constexpr int kEmptyTraceSize = 8;

// A 64 x 64 preview of the design file at path, fitted; plain white when the file cannot be
// read or drawn.
platform::Bitmap PreviewBitmap(const std::filesystem::path& path, const TColorInfo& palette);

// The trace of what the machine sews: 128 x 128 (64 x 64 when small) drawn by TraceImage of
// the kind bSewing, or an empty 8 x 8 when the send design has no stitch for the machine's
// type and bSewing is 0 or 1.
platform::Bitmap TraceBitmap(TCommBase& comm, std::uint8_t bSewing, std::uint8_t bSmall);

// Draws the connection's trace on a white background with the machine's colours. Kind 2: the
// second design in colour. Kind 1: the send design in grey, then its stitches up to the
// current one over it. Any other kind: the send design in colour.
void TraceImage(TCommBase& comm, int kind, platform::Bitmap& bitmap);
