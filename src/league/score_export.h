#pragma once

#include <string_view>

#include "config/settings.h"
#include "dialogs/io.h"
#include "league/competition_state.h"
#include "league/score_file.h"
#include "players/player_record.h"

namespace lexfray {

// How the export tells that the LeagueNET scores were not saved.
inline constexpr std::string_view kScoresNotSavedText = "The LeagueNET scores could not be saved";

// Copies every player of the player file, as every player sees it, into the score file as
// an entry of this site (see ApplySiteExport in league/site_export.h). The buffers are the
// program's own: state.header ends as the file's header, state.entry as the last entry
// written, playerRecord as the last player record read.
SaveResult ExportIntoScoreFile(const Settings& settings, Clock& clock, CompetitionState& state,
                              PlayerRecord& playerRecord);

// The export as the player sees it: " One Moment Please.... " on a cleared board while it
// runs, and, with the competition on, a message box when the score file could not be
// written or its export waits for the file's holder. Play goes on either way.
void ExportScores(Io& io, const Settings& settings, CompetitionState& state,
                  PlayerRecord& playerRecord);

}  // namespace lexfray
