#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lexfray {

// One entry of the score file as the standings list it.
struct StandingsEntry {
  std::string site;   // 35 characters
  std::string name;   // 25 characters
  double score = 0.0;  // the stored score cut down to a whole number (see WholeScore)
  std::string date;   // MM-DD
  std::string loc;    // 3 characters
  std::string plays;  // 5 characters
};

// Every entry of the score file, highest score first, as last loaded.
using Standings = std::vector<StandingsEntry>;

// Largest score the standings carry: every whole number up to it is exact in a double and
// converts to a 64-bit integer safely.
inline constexpr double kLargestWholeScore = 9007199254740992.0;  // 2^53

// A score from the file cut down to the next whole number at or below it. The file is
// shared with another program, so anything may stand there: NaN counts as 0, and values
// beyond +-kLargestWholeScore (infinities included) stop there.
double WholeScore(double stored);

// Sorts highest score first with a shell sort whose gaps halve from the count. Only a
// strictly higher score moves an entry, so equal scores stand in whatever order its
// exchanges leave, not in file order.
void RankByScore(Standings& standings);

// The first score of the standings as a whole number, 0 when there is no entry.
std::int64_t TopScore(const Standings& standings);

}  // namespace lexfray
