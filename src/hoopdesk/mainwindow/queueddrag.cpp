#include "hoopdesk/mainwindow/queueddrag.h"

namespace {

bool Same(const TStitchItem* queued, const TStitchItem& dragged) {
  return queued != nullptr && queued->IsSame(&dragged) && queued->FileName == dragged.FileName &&
         queued->Title == dragged.Title && queued->Points == dragged.Points;
}

}  // namespace

int FindQueuedDesign(const TStitch& queue, const TQueuedDrag& drag) {
  if (Same(queue.GetItem(drag.position), drag.design)) return drag.position;
  for (int i = 0; i < queue.GetCount(); ++i) {
    if (Same(queue.GetItem(i), drag.design)) return i;
  }
  return -1;
}
