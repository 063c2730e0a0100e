#pragma once

#include <string_view>

#include "game/game_state.h"

namespace lexfray {

// The sum of the character codes of the word's letters: CAT scores 67 + 65 + 84 = 216.
int WordScore(std::string_view word);

// Works out completionTotal; true when all five lengths are complete and the game is over.
bool EndOfGameTest(GameState& state);

}  // namespace lexfray
