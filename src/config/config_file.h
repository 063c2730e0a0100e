#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace lexfray {

inline constexpr int kConfigLines = 32;
// Many times the size of any configuration: a larger file is no configuration.
inline constexpr std::size_t kLargestConfig = 64 * 1024;

// The settings that the configuration file holds, as read from its 32 lines.
struct ConfigValues {
  std::string siteName;         // line 1, unchanged
  std::string gamesPerDayText;  // line 7, unchanged
  std::int16_t gamesPerDay = 0;
  std::string monthlyReset;  // line 9, upper-cased, blanks kept
  std::int16_t competitionActive = 0;  // line 32
};

// A line whose number does not fit the 16-bit range, with what the line must hold in the
// words of the file's own notes.
struct ConfigError {
  int line;
  std::string message;
};

// Lines end at a carriage return (a line feed after it is skipped) or at a line feed
// alone; a byte 26 ends the file; missing lines read as empty; lines after the 32nd are
// never read.
std::variant<ConfigValues, ConfigError> ParseConfig(std::string_view bytes);

// The leading decimal number of a text (blanks before it skipped, a sign and a fraction
// taken), rounded to the nearest whole number with halves to even; 0 when there is none.
// The point is always '.', whatever the locale. Nothing when it lies outside the 16-bit
// range.
std::optional<std::int16_t> LeadingNumber(std::string_view text);

}  // namespace lexfray
