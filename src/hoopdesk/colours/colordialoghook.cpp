#include "hoopdesk/colours/colordialoghook.h"

#include <QColorDialog>

#include "hoopdesk/controls/colorref.h"

namespace {

TColorDialogHook& Hook() {
  static TColorDialogHook hook;
  return hook;
}

}  // namespace

void SetColorDialogHook(TColorDialogHook hook) { Hook() = std::move(hook); }

std::optional<COLORREF> RunColorDialog(QWidget* owner, COLORREF start) {
  if (Hook()) return Hook()(owner, start);
  const QColor chosen = QColorDialog::getColor(ToQColor(start), owner);
  if (!chosen.isValid()) return std::nullopt;
  return ToColorRef(chosen);
}
