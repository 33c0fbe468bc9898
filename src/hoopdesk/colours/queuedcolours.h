// Needle assignment for a design queued on a machine. The dialog runs modally, and while it
// runs server events and the poll timer may send, remove or reorder the machine's queued
// designs or remove the machine: the dialog therefore edits a copy, and afterwards the
// assignments are written back to the design only if it can still be found.
#pragma once

#include <cstdint>
#include <functional>

#include "shared/colorinfo.h"
#include "shared/stitch.h"

class QWidget;

// Looks the queued design up again (null when it has gone); called after the dialog.
using TQueuedDesignLookup = std::function<TStitchItem*()>;
// Shows the dialog for the copy; replaceable so tests can act as the operator.
using TSetColRunner =
    std::function<void(QWidget* owner, int model, TColorInfo& palette, TStitchItem& design)>;

// Runs the dialog in needle mode on copies of the design and palette, on the program's
// background colour `backColor`; when the design is still queued afterwards (same design), its
// colour blocks take the copy's, unmarked. True when written back.
bool EditQueuedColours(QWidget* owner, int model, const TColorInfo& palette,
                       const TStitchItem& design, std::uint32_t backColor,
                       const TQueuedDesignLookup& lookup, const TSetColRunner& run = {});
