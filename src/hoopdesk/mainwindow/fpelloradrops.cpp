// TFPellora: what the layout window asks of it while a design is dragged out of it: the trash
// button, the machine panel under the pointer, the order list's row. Docking the layout and the
// trace window is the dock area's (docking/dockarea.h).
#include <QListWidget>

#include "hoopdesk/controls/dropdownbutton.h"
#include "hoopdesk/mainwindow/fpellora.h"

void TFPellora::SetTrashActive(bool active) { ui_.TrashBtn->SetActive(active); }

int TFPellora::MachineAtFormPoint(int x, int y) const {
  return panels_.MachineAtPoint(mapToGlobal(QPoint(x, y)));
}

void TFPellora::SelectOrderRow(int position) { ui_.ListBox->setCurrentRow(position); }
