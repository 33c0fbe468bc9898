// How many machines the desktop program holds and how many of them the Send tab shows at once.
#pragma once

// The machine list's limit: start-up, the port dialog and discovery stop adding there.
inline constexpr int kMaxMachines = 16;
// The Send tab's panel slots (and the trace window's frames, one per slot).
inline constexpr int kPanelSlots = 6;
