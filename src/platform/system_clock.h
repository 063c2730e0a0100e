#pragma once

#include "platform/clock.h"

namespace lexfray {

// From here on the local time is the machine's own: the zone of the player's environment
// (TZ, and TZDIR for where zones are found) is dropped. A game shared by every account of
// the machine dates the shared files by it, so that no player moves its calendar.
void UseMachineTimeZone();

class SystemClock final : public Clock {
 public:
  LocalTime Now() override;
  // Sleeps the whole time, even when a signal interrupts the sleep.
  void Sleep(int milliseconds) override;
};

}  // namespace lexfray
