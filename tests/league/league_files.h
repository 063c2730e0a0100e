#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "config/settings.h"
#include "league/competition_records.h"
#include "league/competition_state.h"
#include "players/player_record.h"
#include "support/temp_folder.h"

namespace lexfray::testing {

// Settings for a competition installation in folder.
Settings LeagueSettings(const TempFolder& folder, std::string_view site);

// A player-file record as the game start leaves it.
PlayerRecord Player(std::string_view name, double total, std::int16_t monthGames,
                    std::string_view lastPlayed = "03-15-08");
void WritePlayers(const TempFolder& folder, const std::vector<PlayerRecord>& players);

// An entry as the exchange program might write it for any site.
CompetitionEntry Entry(std::string_view site, std::string_view player, double score,
                       std::string_view plays = "    1", std::string_view loc = "   ");
void WriteScoreFile(const TempFolder& folder, const CompetitionHeader& header,
                    const std::vector<CompetitionEntry>& entries);

// The score file's whole records.
std::vector<CompetitionRecordBytes> ScoreRecords(const TempFolder& folder);
CompetitionEntry ScoreEntry(const TempFolder& folder, std::size_t recordNumber);
CompetitionHeader ScoreHeader(const TempFolder& folder);

std::string Padded(std::string_view text, std::size_t width);

// The export as the game makes it, on a clock of its own: why it did not go in, nothing when
// it did.
std::optional<std::string> ExportFailure(const Settings& settings, CompetitionState& state,
                                         PlayerRecord& playerRecord);

}  // namespace lexfray::testing
