#include "exchange/site_players.h"

#include "players/player_file.h"

namespace lexfray::leaguenet {

std::optional<MonthPlayers> PlayersOfThisMonth(const std::string& folder, const SiteMonth& month,
                                               std::string* error) {
  std::optional<PlayerFileView> view = ReadPlayerFile(folder, error);
  if (!view) return std::nullopt;
  return PlayersOfMonth(view->image.records, month);
}

}  // namespace lexfray::leaguenet
