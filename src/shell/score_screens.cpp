#include "shell/score_screens.h"

#include <optional>

#include "league/score_export.h"
#include "league/standings_screen.h"
#include "players/top_players.h"

namespace lexfray {

void ShowCurrentScores(Io& io, ProgramState& state) {
  if (state.settings.Competition()) {
    ExportScores(io, state.settings, state.competition, state.playerRecord);
    ShowStandings(io, state.settings, state.competition);
    return;
  }
  ShowTopPlayers(io, TablePass(io, state.settings, state.playerRecord, std::nullopt));
}

}  // namespace lexfray
