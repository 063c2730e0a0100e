#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "dialogs/io.h"
#include "league/competition_state.h"
#include "players/player_record.h"

namespace lexfray {

// How the export tells that the LeagueNET scores were not saved.
inline constexpr std::string_view kScoresNotSavedText = "The LeagueNET scores could not be saved";

// Copies every player of the player file into the score file as an entry of this site:
// the first entry with the same name (first 25 characters) and site (first 35), compared
// in upper case without trailing blanks, gets the new score, status, date, site spelling
// and plays; a player without one gets a new entry at the end. The file is created with an
// empty score to beat when it has no header yet, and the header's programVersion is
// rewritten. "COMPUTER PLAYER" is never exported.
//
// The buffers are the program's own: state.header ends as the file's header,
// state.entry as the last entry written, playerRecord as the last player record read. A
// new header or entry takes its unwritten bytes from these buffers.
//
// Returns the reason when the score file could not be written.
std::optional<std::string> ExportIntoScoreFile(const Settings& settings, CompetitionState& state,
                                               PlayerRecord& playerRecord);

// The export as the player sees it: " One Moment Please.... " on a cleared board while it
// runs, and, with the competition on, a message box when the score file could not be
// written. Play goes on either way.
void ExportScores(Io& io, const Settings& settings, CompetitionState& state,
                  PlayerRecord& playerRecord);

}  // namespace lexfray
