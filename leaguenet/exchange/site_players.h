#pragma once

#include <optional>
#include <string>

#include "exchange/exchange_plan.h"

namespace lexfray::leaguenet {

// PlayersOfMonth of the player file LEXFRAY.USR in folder, read as the game reads it (the
// last whole file with the changes pending in its spool, within the game's limit); none when
// there is no player file. Nothing, with the reason in *error, when it cannot be read.
std::optional<MonthPlayers> PlayersOfThisMonth(const std::string& folder, const SiteMonth& month,
                                               std::string* error);

}  // namespace lexfray::leaguenet
