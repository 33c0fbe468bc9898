// The common colour dialog, behind a hook so tests can answer it.
#pragma once

#include <functional>
#include <optional>

#include "platform/wintypes.h"

class QWidget;

// Returns the chosen colour, or nothing when the operator cancelled.
using TColorDialogHook = std::function<std::optional<COLORREF>(QWidget* owner, COLORREF start)>;

// Installs the hook; an empty one restores the real dialog.
void SetColorDialogHook(TColorDialogHook hook);

std::optional<COLORREF> RunColorDialog(QWidget* owner, COLORREF start);
