#include "players/total_score.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "console/primitives.h"

namespace lexfray {

namespace {

// The most characters the table line has room for after the name and the sign position.
constexpr std::size_t kWidestDigits = 20;

}  // namespace

double TotalFromFile(double stored) {
  return std::isfinite(stored) ? stored : 0.0;
}

double TotalToFile(double total) {
  double sane = TotalFromFile(total);
  return sane < 0 ? 0.0 : sane;
}

std::string TotalText(double total) {
  double value = TotalFromFile(total);
  if (value == 0) value = 0;  // no "-0"
  char digits[64];
  auto fixed =
      std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::fixed);
  std::size_t length =
      fixed.ec == std::errc() ? static_cast<std::size_t>(fixed.ptr - digits) : sizeof digits;
  std::string shown = length > kWidestDigits ? ExponentForm(std::fabs(value), kWidestDigits)
                                             : std::string(digits, length);
  return (value < 0 ? "-" : " ") + shown;
}

}  // namespace lexfray
