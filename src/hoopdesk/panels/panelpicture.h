// The pictures of the machine panels: the queue thumbnails of a machine that can take designs,
// the silver box of one that cannot, and the machine pictures the sew buttons show by state.
#pragma once

#include <QImage>
#include <QPixmap>
#include <cstdint>

#include "hoopdesk/panels/panelgeometry.h"

class TColorInfo;
class TStitch;

// A panel image of the geometry's size. canTake: a white panel with the queued designs as
// numbered thumbnails (the first at the right end) in the machine's palette; otherwise a
// silver box. Both get a black border.
QImage PaintPanel(int width, int height, int off, bool canTake, TStitch& queue,
                  const TColorInfo* palette);

// The machine picture of that resource id (128 online, 129 sending, 131 alarm, 132 offline,
// 133 in the synchronised group); a null pixmap for another id.
QPixmap SewPicture(std::uint32_t resId);
