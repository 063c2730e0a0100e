#include "game/scoring.h"

namespace lexfray {

int WordScore(std::string_view word) {
  int score = 0;
  for (char c : word) score += static_cast<unsigned char>(c);
  return score;
}

bool EndOfGameTest(GameState& state) {
  int total = 0;
  for (int length = kShortestWord; length <= kLongestWord; ++length) total += state.nextRow[length];
  state.completionTotal = static_cast<std::int16_t>(total);
  return total >= kCompletionTotal;
}

}  // namespace lexfray
