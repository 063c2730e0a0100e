#include "players/total_score.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace lexfray {

namespace {

// The widest number the table line has room for after the name, sign position included.
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
  if (length > kWidestDigits) {
    auto exponent = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                  std::chars_format::scientific);
    length = static_cast<std::size_t>(exponent.ptr - digits);
  }
  return std::string(value < 0 ? "-" : " ") + std::string(digits, length);
}

}  // namespace lexfray
