#pragma once

#include "platform/clock.h"

namespace lexfray {

class SystemClock final : public Clock {
 public:
  LocalTime Now() override;
  // Sleeps the whole time, even when a signal interrupts the sleep.
  void Sleep(int milliseconds) override;
};

}  // namespace lexfray
