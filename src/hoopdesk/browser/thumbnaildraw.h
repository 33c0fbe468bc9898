// Drawing one thumbnail, apart from any cache or thread: everything it needs comes in the
// request by value, so a worker thread can draw it while the window goes on.
#pragma once

#include <QImage>
#include <functional>

#include "hoopdesk/browser/thumbnailkey.h"
#include "shared/colorinfo.h"

enum class TThumbnailStatus { Missing, Failed, Drawn };

struct TThumbnail {
  TThumbnailStatus status = TThumbnailStatus::Missing;
  QImage image;  // blank (background only) when the file could not be read
};

struct TThumbnailRequest {
  TThumbnailKey key;
  TColorInfo palette;  // a copy: the window's palette stays the window's
};

// The design of the request fitted into a picture of its size. The shading of the threads is
// seeded alike every time, so a design gives the same pixels whenever and wherever it is drawn.
// Safe to call from any thread.
TThumbnail DrawThumbnail(const TThumbnailRequest& request);

using TThumbnailDrawer = std::function<TThumbnail(const TThumbnailRequest&)>;

// A picture of the background only, of the given size: a slot's face until its design is drawn.
QImage BlankThumbnail(QSize size);
