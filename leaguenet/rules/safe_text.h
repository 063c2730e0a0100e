#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lexfray::leaguenet {

// Printable ASCII cut to width, every other byte shown as '?': what text from the score
// file or the league becomes before it is written anywhere, so that no site can put a
// control byte into another site's file or terminal.
std::string PrintableText(std::string_view text, std::size_t width);

// PrintableText with the trailing blanks removed: the form in which texts go to the league.
std::string TrimmedPrintable(std::string_view text, std::size_t width);

// PrintableText without blanks at either end: a number kept as text, like the plays.
std::string BarePrintable(std::string_view text, std::size_t width);

// BarePrintable right-aligned in width, as the game writes the plays.
std::string RightAlignedPrintable(std::string_view text, std::size_t width);

// A score the game can have written: whole, from 0 (not -0) to the most a player can reach
// in a month (kMostMonthlyScore).
bool IsSaneScore(double score);

}  // namespace lexfray::leaguenet
