#include "hoopdesk/colours/colordialoghook.h"

#include <QColorDialog>

namespace {

TColorDialogHook& Hook() {
  static TColorDialogHook hook;
  return hook;
}

}  // namespace

void SetColorDialogHook(TColorDialogHook hook) { Hook() = std::move(hook); }

std::optional<COLORREF> RunColorDialog(QWidget* owner, COLORREF start) {
  if (Hook()) return Hook()(owner, start);
  const QColor chosen =
      QColorDialog::getColor(QColor(GetRValue(start), GetGValue(start), GetBValue(start)), owner);
  if (!chosen.isValid()) return std::nullopt;
  return RGB(chosen.red(), chosen.green(), chosen.blue());
}
