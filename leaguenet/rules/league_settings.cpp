#include "rules/league_settings.h"

#include <charconv>
#include <set>

namespace lexfray::leaguenet {

namespace {

std::string_view Trimmed(std::string_view text) {
  const char* blanks = " \t\r";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool ReadWhole(std::string_view text, int low, int high, int& to) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return false;
  to = value;
  return true;
}

// The error for one key = value pair, empty when it was taken.
std::string Take(std::string_view key, std::string_view value, LeagueSettings& settings) {
  if ((key == "league" || key == "folder") && value.empty())
    return std::string(key) + " needs a value";
  if (key == "league") {
    settings.league = value;
  } else if (key == "folder") {
    settings.folder = value;
  } else if (key == "others") {
    if (!ReadWhole(value, 1, kMostOthers, settings.others))
      return "others must be a whole number from 1 to " + std::to_string(kMostOthers) +
             ": the score file keeps room for the site's own " + std::to_string(kMostPlayers) +
             " players";
  } else if (key == "timeout") {
    if (!ReadWhole(value, 1, 600, settings.timeoutSeconds))
      return "timeout must be from 1 to 600 seconds";
  } else {
    return "unknown key '" + std::string(key) + "'";
  }
  return {};
}

}  // namespace

SettingsReading ParseSettings(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  LeagueSettings settings;
  std::set<std::string, std::less<>> seen;
  int lineNumber = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;
    std::size_t equals = line.find('=');
    std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (equals == std::string_view::npos) return {std::nullopt, where + "expected key = value"};
    std::string_view key = Trimmed(line.substr(0, equals));
    if (!seen.emplace(key).second)
      return {std::nullopt, where + std::string(key) + " is given twice"};
    std::string error = Take(key, Trimmed(line.substr(equals + 1)), settings);
    if (!error.empty()) return {std::nullopt, where + error};
    if (key == "league") settings.leagueLine = lineNumber;
  }
  if (settings.league.empty())
    return {std::nullopt, "no league given (league = connection string)"};
  return {settings, {}};
}

std::vector<std::string> SettingsCandidates(const std::string& given,
                                            const std::string& invokedAs) {
  if (!given.empty()) return {given};
  std::vector<std::string> candidates;
  std::size_t slash = invokedAs.rfind('/');
  if (slash != std::string::npos)
    candidates.push_back(invokedAs.substr(0, slash + 1) + std::string(kSettingsName));
  candidates.emplace_back(kSystemSettings);
  return candidates;
}

}  // namespace lexfray::leaguenet
