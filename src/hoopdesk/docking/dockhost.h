// What a dock form asks of the window it is docked in while another dock form is dragged over
// it and dropped. Points and rectangles are global (screen) coordinates.
#pragma once

#include <QPoint>
#include <QRect>

#include "hoopdesk/docking/dockzone.h"

class TFDockForm;

struct TDockTarget {
  TDockAlign align = alNone;
  QRect preview;  // where the dropped form would go; empty for none
};

class TDockHost {
 public:
  virtual ~TDockHost() = default;
  // The shown dock form under the point, or null.
  virtual TFDockForm* DockSiteAt(QPoint global) const = 0;
  // The zone of the docking area under the point.
  virtual TDockTarget DockZoneAt(QPoint global) const = 0;
  // Docks `dropped` beside `target` on the side `align` names, or both as pages for client.
  virtual void DockFormAt(TFDockForm* target, TFDockForm* dropped, TDockAlign align) = 0;
};
