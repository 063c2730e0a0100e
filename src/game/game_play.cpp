#include "game/game_play.h"

#include "game/rack.h"
#include "game/word_prompt.h"

namespace lexfray {

GameEnd PlayGame(GameContext& context, GameState& state, bool followOnGame) {
  Screen& screen = context.io.screen;
  bool competition = context.settings.Competition();
  ScorePanel panel = context.hooks.PanelValues();
  if (!followOnGame) DrawGameScreen(screen, competition, panel.allowanceText, context.playerName);
  ShowScorePanel(screen, competition, panel);
  DealRack(state, context.random, screen);
  for (int length = kShortestWord; length <= kLongestWord; ++length) state.nextRow[length] = kFirstWordRow;
  return WordPrompt(context, state);
}

}  // namespace lexfray
