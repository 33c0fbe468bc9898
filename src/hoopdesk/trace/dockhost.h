// What a dock form asks of the window it is docked in while another dock form is dragged over
// it and dropped. Points and rectangles are global (screen) coordinates.
#pragma once

#include <QPoint>
#include <QRect>

class TFDockForm;

// The component library's alignments: 0 none, 1 top, 2 bottom, 3 left, 4 right, 5 client.
struct TDockTarget {
  int align = 0;
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
  virtual void DockFormAt(TFDockForm* target, TFDockForm* dropped, int align) = 0;
};
