#include "rules/safe_text.h"

#include <algorithm>
#include <cmath>

#include "players/player_record.h"

namespace lexfray::leaguenet {

std::string PrintableText(std::string_view text, std::size_t width) {
  std::string shown(text.substr(0, width));
  for (char& c : shown)
    if (c < ' ' || c > '~') c = '?';
  return shown;
}

std::string TrimmedPrintable(std::string_view text, std::size_t width) {
  std::string shown = PrintableText(text, width);
  shown.erase(shown.find_last_not_of(' ') + 1);
  return shown;
}

std::string BarePrintable(std::string_view text, std::size_t width) {
  std::string shown = TrimmedPrintable(text, width);
  shown.erase(0, std::min(shown.size(), shown.find_first_not_of(' ')));
  return shown;
}

std::string RightAlignedPrintable(std::string_view text, std::size_t width) {
  std::string shown = BarePrintable(text, width);
  return std::string(width - shown.size(), ' ') + shown;
}

bool IsSaneScore(double score) {
  return std::isfinite(score) && !std::signbit(score) && score <= kMostMonthlyScore &&
         score == std::trunc(score);
}

}  // namespace lexfray::leaguenet
