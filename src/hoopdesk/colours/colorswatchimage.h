// A thread colour's swatch (the tinted grey icon) as an image widgets can draw.
#pragma once

#include <QImage>
#include <cstdint>

#include "platform/wintypes.h"

// background: a COLORREF, or kButtonFaceBackground; marked swatches are drawn inverted. A null
// image when there is no swatch icon.
QImage ColorSwatchImage(COLORREF color, std::int32_t background, bool marked = false);
