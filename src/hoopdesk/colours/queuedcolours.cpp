#include "hoopdesk/colours/queuedcolours.h"

#include "hoopdesk/colours/fsetcol.h"

bool EditQueuedColours(QWidget* owner, int model, const TColorInfo& palette,
                       const TStitchItem& design, std::uint32_t backColor,
                       const TQueuedDesignLookup& lookup, const TSetColRunner& run) {
  TStitchItem copy = design;
  TColorInfo paletteCopy = palette;
  if (run) {
    run(owner, model, paletteCopy, copy);
  } else {
    TFSetCol dialog(owner, model, &paletteCopy, &copy, TColorFrameMode::DialogNeedles, backColor);
    dialog.exec();
  }
  TStitchItem* now = lookup ? lookup() : nullptr;
  if (now == nullptr || !now->IsSame(&copy) || now->GetColorCount() != copy.GetColorCount())
    return false;
  for (int i = 0; i < copy.GetColorCount(); ++i) copy.ClearMark(i);
  now->Colors = copy.Colors;
  return true;
}
