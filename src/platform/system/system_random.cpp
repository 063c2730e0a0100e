#include "platform/system/system_random.h"

#include <cmath>
#include <cstdint>

namespace lexfray {

void SystemRandom::Seed(double secondsSinceMidnight) {
  // The milliseconds count too: two starts in the same second deal differently.
  double milliseconds = secondsSinceMidnight * 1000.0;
  bool usable = std::isfinite(milliseconds) && milliseconds >= 0 && milliseconds < 1e15;
  engine_.seed(usable ? static_cast<std::uint64_t>(std::llround(milliseconds)) : 0);
}

double SystemRandom::Next() {
  // The top 53 bits as the fraction of a double: uniform, and never 1.
  return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

}  // namespace lexfray
