#include "config/config_file.h"

#include <cctype>
#include <limits>
#include <vector>

namespace lexfray {

namespace {

constexpr char kEndOfFile = 26;
// The whole digits of the widest 16-bit number; a number with more is out of range
// whatever follows.
constexpr std::size_t kMostWholeDigits = 5;
constexpr std::int64_t kBeyondRange = 1000000;

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < bytes.size() && static_cast<int>(lines.size()) < kConfigLines; ++i) {
    char c = bytes[i];
    if (c == kEndOfFile) break;
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty() && static_cast<int>(lines.size()) < kConfigLines) lines.push_back(std::move(line));
  lines.resize(kConfigLines);
  return lines;
}

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The parts of a decimal number at the start of a text, after any blanks.
struct DecimalNumber {
  bool negative = false;
  std::string_view whole;     // digits before the point
  std::string_view fraction;  // digits after it
};

std::string_view DigitsAt(std::string_view text, std::size_t& at) {
  std::size_t start = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  return text.substr(start, at - start);
}

DecimalNumber LeadingDecimal(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  DecimalNumber number;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) number.negative = text[at++] == '-';
  number.whole = DigitsAt(text, at);
  if (at < text.size() && text[at] == '.') number.fraction = DigitsAt(text, ++at);
  return number;
}

// Nearest whole number of the digits, an exact half going to the even neighbour. Worked
// out on the digits themselves, so that neither the locale's decimal point nor the
// precision of a double has any say.
std::int64_t RoundedMagnitude(const DecimalNumber& number) {
  std::size_t firstDigit = number.whole.find_first_not_of('0');
  if (firstDigit == std::string_view::npos) firstDigit = number.whole.size();
  std::string_view significant = number.whole.substr(firstDigit);
  if (significant.size() > kMostWholeDigits) return kBeyondRange;
  std::int64_t value = 0;
  for (char digit : significant) value = value * 10 + (digit - '0');
  if (number.fraction.empty() || number.fraction[0] < '5') return value;
  bool beyondHalf = number.fraction[0] > '5' ||
                    number.fraction.find_first_not_of('0', 1) != std::string_view::npos;
  return beyondHalf || value % 2 != 0 ? value + 1 : value;
}

}  // namespace

std::optional<std::int16_t> LeadingNumber(std::string_view text) {
  DecimalNumber number = LeadingDecimal(text);
  if (number.whole.empty() && number.fraction.empty()) return 0;
  std::int64_t value = RoundedMagnitude(number);
  if (number.negative) value = -value;
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max())
    return std::nullopt;
  return static_cast<std::int16_t>(value);
}

std::variant<ConfigValues, ConfigError> ParseConfig(std::string_view bytes) {
  std::vector<std::string> lines = SplitLines(bytes);
  ConfigValues values;
  values.siteName = lines[0];
  values.gamesPerDayText = lines[6];
  values.monthlyReset = UpperCase(lines[8]);
  std::optional<std::int16_t> games = LeadingNumber(lines[6]);
  if (!games) return ConfigError{7, "the games per day must be a whole number from 0 to 32767"};
  std::optional<std::int16_t> competition = LeadingNumber(lines[31]);
  if (!competition) return ConfigError{32, "the competition switch must be 1 (on) or 0 (off)"};
  values.gamesPerDay = *games;
  values.competitionActive = *competition;
  return values;
}

}  // namespace lexfray
