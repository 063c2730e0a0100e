#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace lexfray {

// The player file's counters are 16-bit: arithmetic on them stops at the ends of the range
// instead of wrapping round to the other sign.
constexpr std::int16_t Saturate16(std::int64_t value) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

constexpr std::int16_t Add16(std::int16_t value, int delta) {
  return Saturate16(static_cast<std::int64_t>(value) + delta);
}

}  // namespace lexfray
