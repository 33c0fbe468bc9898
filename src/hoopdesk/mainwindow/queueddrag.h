// A queued design dragged from a machine panel to the trash. The drag names the design by its
// machine's cookie and a copy of it, not by its queue position alone: the queue may change
// while the drag runs (a transfer ends, the machine asks for the next design), and then the
// position taken at the start would name another design.
#pragma once

#include <cstdint>

#include "shared/stitch.h"
#include "shared/stitchlist.h"

struct TQueuedDrag {
  std::int32_t cookie = 0;
  int position = -1;  // in the queue when the drag began
  TStitchItem design;
};

// Where the dragged design is in `queue` now: its old position when the design there is still
// the same one, else the first position that holds the same design; -1 when it has gone.
int FindQueuedDesign(const TStitch& queue, const TQueuedDrag& drag);
