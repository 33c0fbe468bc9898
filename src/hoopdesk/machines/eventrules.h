// The rules the event sink and the poll apply to a machine, kept apart from the widgets: the
// percentage a sewing progress reply shows, what the end of a transfer does to the queue and
// the alarm, which acknowledged file names are taken, and the alarm's blink steps.
#pragma once

#include <cstdint>
#include <string_view>

// nPos of nMax in percent, computed in 64 bits and kept within 0..100; a finished design
// (100 %) shows 0, as does a reply without a total.
std::int32_t SewingPercent(std::int32_t nPos, std::int32_t nMax);

// What the end of a transfer (a TResState) does beyond stopping the send animation.
enum class TSendStopEffect {
  RemoveHead,  // normal end: the sent design leaves the queue, progress back to 0
  ClearAlarm,  // cancelled: the alarm ends and the server's error is cleared
  Alarm,       // error (mode 1) or busy (mode 2): the design stays at the head
  None,        // an unknown end state
};
TSendStopEffect SendStopEffect(std::int32_t resState);

// A name the machine acknowledged that may be looked up in the send folder: one plain file
// name, never a path, "." or "..", nor one with control characters.
bool IsPlainSendName(std::string_view name);

// One blink step of a machine's alarm.
enum class TBlinkStep {
  None,         // no alarm, or acknowledged
  ClearItself,  // a rejected or busy alarm after 11 blink steps ends by itself
  Blink,        // show the alarm picture or the normal one, and count the step
};
TBlinkStep NextBlinkStep(std::int32_t alarmMode, std::int32_t alarmTicks);
