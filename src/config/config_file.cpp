#include "config/config_file.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace lexfray {

namespace {

constexpr char kEndOfFile = 26;

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

// The digits, sign and fraction at the start of text, after any blanks.
std::string NumberPrefix(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) number.push_back(text[i++]);
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '.' && !point) point = true;
    else if (!std::isdigit(static_cast<unsigned char>(c))) break;
    number.push_back(c);
  }
  return number;
}

}  // namespace

std::optional<std::int16_t> LeadingNumber(std::string_view text) {
  std::string number = NumberPrefix(text);
  if (number.find_first_of("0123456789") == std::string::npos) return 0;
  double value = std::nearbyint(std::strtod(number.c_str(), nullptr));  // halves to even
  if (!(value >= -32768.0 && value <= 32767.0)) return std::nullopt;
  return static_cast<std::int16_t>(value);
}

std::variant<ConfigValues, ConfigError> ParseConfig(std::string_view bytes) {
  std::vector<std::string> lines = SplitLines(bytes);
  ConfigValues values;
  values.siteName = lines[0];
  values.gamesPerDayText = lines[6];
  values.monthlyReset = UpperCase(lines[8]);
  std::optional<std::int16_t> games = LeadingNumber(lines[6]);
  if (!games) return ConfigError{7, "the games per day is out of range"};
  std::optional<std::int16_t> competition = LeadingNumber(lines[31]);
  if (!competition) return ConfigError{32, "the competition switch is out of range"};
  values.gamesPerDay = *games;
  values.competitionActive = *competition;
  return values;
}

}  // namespace lexfray
