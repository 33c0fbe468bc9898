// What the layout window asks of the main window while a design is dragged out of it. Points
// are in the main window's client coordinates.
#pragma once

class TStitchItem;
class QWidget;

class TLayoutHost {
 public:
  virtual ~TLayoutHost() = default;

  // The widget whose coordinates the other requests take (the main window).
  virtual QWidget* DragSpace() = 0;
  virtual bool IsTrashBox(int x, int y) const = 0;
  virtual void SetTrashActive(bool active) = 0;
  // The machine whose panel can take a design at the point, or -1.
  virtual int MachineAtFormPoint(int x, int y) const = 0;
  virtual void QueueLayoutDesign(int machine, const TStitchItem& design) = 0;
  virtual void DeleteLayoutDesign(int index) = 0;
  // Selects the order list's row (-1: none).
  virtual void SelectOrderRow(int position) = 0;
};
