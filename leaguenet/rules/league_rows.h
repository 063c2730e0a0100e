#pragma once

#include <optional>
#include <string>
#include <vector>

#include "league/competition_records.h"

namespace lexfray::leaguenet {

// One entry of another site as the league sends it, every column as text.
struct LeagueRow {
  std::string site;
  std::string loc;
  std::string player;
  std::string score;
  std::string lastDate;
  std::string plays;
  std::string gameCode;
};

// The row as an entry of the score file, every text printable and cut to its field;
// nothing when the score is not a sane number or the site or player is empty.
std::optional<CompetitionEntry> EntryFromLeagueRow(const LeagueRow& row);

// A score as the server writes a double; nothing when it is not a number at all.
std::optional<double> ParseScore(const std::string& text);

// Columns in the order of LeagueRow; nothing when there are too few.
std::optional<LeagueRow> RowFromColumns(const std::vector<std::string>& columns);

}  // namespace lexfray::leaguenet
