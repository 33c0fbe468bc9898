#pragma once

#include <QImage>

#include "platform/bitmap.h"

// A copy of a 24-bit design bitmap (bottom-up, blue-green-red) as a top-down QImage; a null
// image for an empty bitmap or one of another depth.
QImage ToQImage(const platform::Bitmap& bitmap);
