// The design colours dialog for a design queued on a machine panel (a double-click on the
// panel picture). Nothing opens while the machine receives a design. The dialog edits a copy;
// its needles go back to the design only when that design is still queued afterwards.
#pragma once

#include "hoopdesk/colours/queuedcolours.h"

class TPanelManager;

// Queued design `position` of the machine shown in panel `slot`, on the program's background
// colour `backColor`; true when the dialog's needles were written back.
bool ShowQueuedDesignColours(TPanelManager& panels, int slot, int position, std::uint32_t backColor,
                             const TSetColRunner& run = {});
