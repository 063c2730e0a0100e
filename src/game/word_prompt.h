#pragma once

#include <string_view>

#include "console/screen.h"
#include "game/game_play.h"
#include "game/game_state.h"

namespace lexfray {

enum class PassOutcome { kNextPass, kComplete, kQuit };

// One pass of the word prompt: the prompt, the player's word or option, its checks and,
// for a good word, its acceptance.
PassOutcome WordPromptPass(GameContext& context, GameState& state);

// Passes until the game ends.
GameEnd WordPrompt(GameContext& context, GameState& state);

// True when every letter of the word can be taken from a separate letter of the rack.
// rackSorted serves as scratch space and holds the mixed order afterwards.
bool TestLetters(std::string_view word, GameState& state);

// Stores a word of 3 to 7 letters, whose length is not complete yet, in its sorted list,
// shows its column and adds its score; marks the length "Complete" with its twelfth word.
// True when the word completes the fifth length and so ends the game.
bool AcceptWord(Screen& screen, std::string_view word, GameState& state);

}  // namespace lexfray
