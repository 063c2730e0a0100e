#pragma once

#include <span>
#include <string_view>

// The league's SQL, from the .sql files beside this header, built into the program.
namespace lexfray::leaguenet::league_sql {

// From an empty database to this leaguenet's league: step n takes a league at step n - 1 (0
// for one made before the steps were counted) to step n, once.
extern const std::span<const std::string_view> kSteps;

// The functions, privileges and limits as this version has them, in order; applied after the
// steps whenever they differ from what the league holds.
extern const std::span<const std::string_view> kDefinitions;

}  // namespace lexfray::leaguenet::league_sql
