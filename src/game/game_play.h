#pragma once

#include <string>

#include "config/settings.h"
#include "dialogs/io.h"
#include "game/dictionary.h"
#include "game/game_screen.h"
#include "game/game_state.h"
#include "platform/random_source.h"

namespace lexfray {

// What the game asks of the caller, who knows the players and the competition.
class GameHooks {
 public:
  virtual ~GameHooks() = default;
  // The "S" option: the caller shows its score screen; the game screen is rebuilt after.
  virtual void ShowScores() = 0;
  // Asked each time the score panel is drawn.
  virtual ScorePanel PanelValues() = 0;
};

struct GameContext {
  Io& io;
  const Settings& settings;
  RandomSource& random;
  const DictionaryIndex& dictionary;
  GameHooks& hooks;
  std::string playerName;  // upper case, padded to 30
};

enum class GameEnd { kComplete, kQuit };

// Plays one game to its end: draws the game screen (a follow-on game keeps the standing
// one), the score panel, deals the rack and runs the word prompt until all five lengths
// are complete or the player confirms a quit. The state is left as the game ended, for
// the game-over processing; before a follow-on game the caller empties it with
// ResetGameState and clears the words with ClearWordArea.
GameEnd PlayGame(GameContext& context, GameState& state, bool followOnGame);

}  // namespace lexfray
