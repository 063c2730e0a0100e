#pragma once

#include <optional>
#include <string>

#include "dialogs/io.h"
#include "game/game_play.h"
#include "platform/platform.h"
#include "players/play_limits.h"
#include "players/top_players.h"
#include "shell/program_state.h"

namespace lexfray {

// How a visit ended: back at the main menu (the login was cancelled or refused), or with
// the program's end.
enum class VisitEnd { kBackToMenu, kProgramEnd };

// One visit of the play path: login, then one game after another for that player, each
// banked at its game over, until the player stops or the allowance is used up; then the
// final scores.
class Visit : private GameHooks {
 public:
  Visit(Io& io, Platform& platform, ProgramState& state);
  VisitEnd Run();

 private:
  enum class AfterGame { kNextGame, kFinalScreen };

  void ShowScores() override;
  ScorePanel PanelValues() override;

  AfterGame GameOver();
  std::optional<TableWriteBack> WriteBack() const;
  void GrantBonusIfComplete();
  void CloseThePlay();
  void FinalScreen();

  Io& io_;
  Platform& platform_;
  ProgramState& state_;
  PlayLimits limits_;
  std::string playerName_;
  double playerTotal_ = 0;
  std::int16_t gamesCounted_ = 0;
  std::string fileMonth_;     // record 1's month when the game began
  bool fileMovedOn_ = false;  // the game's total found a file started afresh
};

}  // namespace lexfray
