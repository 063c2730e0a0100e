#include "game/game_state.h"

namespace lexfray {

void ResetGameState(GameState& state) {
  state.gameScore = 0;
  state.usedCount = 0;
  state.usedWords.fill(std::string());
  for (int length = kShortestWord; length <= kLongestWord; ++length) {
    state.foundCount[length] = 0;
    state.foundWords[length].fill(std::string());
    state.nextRow[length] = kFirstWordRow;
  }
}

}  // namespace lexfray
