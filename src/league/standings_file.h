#pragma once

#include <cstdint>

#include "config/settings.h"
#include "league/competition_state.h"

namespace lexfray {

// Reads the score file's header into state.header and all its entries into
// state.standings, ranked highest first; the entry buffer is left holding the last entry
// read. When the file is missing, cannot be read or holds more than kMostScoreRecords
// records, nothing changes: the previous standings stay, and the reason is returned (empty
// for a missing file, which the next export makes).
std::string LoadStandings(const Settings& settings, CompetitionState& state);

// The game screen's top score: LoadStandings, then the first score (0 with no entry).
std::int64_t LoadTopScore(const Settings& settings, CompetitionState& state);

}  // namespace lexfray
