#include "league/score_export.h"

#include <span>
#include <string>
#include <vector>

#include "config/constants.h"
#include "console/primitives.h"
#include "dialogs/message_box.h"
#include "league/site_export.h"
#include "players/player_file.h"

namespace lexfray {

namespace {

constexpr std::string_view kOneMomentPlease = " One Moment Please.... ";
constexpr int kNoticeRow = 12;
constexpr std::string_view kFailureTitle = "LeagueNET";

std::string FailureText(const SaveResult& saved) {
  if (saved.outcome == SaveResult::kKept)
    return "The LeagueNET scores are kept and will count: they go into the score file as soon "
           "as it is free (" + (saved.holder ? HolderText(*saved.holder) + " holds it" : saved.reason) +
           "). Play goes on.";
  return std::string(kScoresNotSavedText) + " (" + saved.reason +
         "). Play goes on; the next export tries again.";
}

}  // namespace

SaveResult ExportIntoScoreFile(const Settings& settings, Clock& clock, CompetitionState& state,
                              PlayerRecord& playerRecord) {
  std::string error;
  std::optional<PlayerFileView> view = ReadPlayerFile(settings.programFolder, &error);
  if (!view) return {SaveResult::kFailed, error, {}};
  SiteExport export_{settings.siteName, {}};
  const std::vector<std::uint8_t>& records = view->image.records;
  export_.players.reserve(records.size() / PlayerRecord::kSize);
  for (std::size_t at = 0; at < records.size(); at += PlayerRecord::kSize)
    export_.players.push_back(DecodePlayerRecord(std::span(records).subspan(at, PlayerRecord::kSize)));
  if (!export_.players.empty()) playerRecord = export_.players.back();
  view.reset();  // the export needs the players, not the file they came from
  return SaveSiteExport({settings.PathOf(kScoreFileName), !settings.Shared()}, clock, export_,
                        state.header, state.entry);
}

void ExportScores(Io& io, const Settings& settings, CompetitionState& state,
                  PlayerRecord& playerRecord) {
  io.screen.Clear();
  PrintAt(io.screen, kOneMomentPlease, kBrightWhite, kBlue, kNoticeRow, 0, true);
  io.terminal.Show(io.screen);
  SaveResult saved = ExportIntoScoreFile(settings, io.clock, state, playerRecord);
  // With the competition off the score file only mirrors the player file, so nothing the
  // player entered is lost when it cannot be written.
  if (saved.outcome != SaveResult::kSaved && settings.Competition())
    ConsoleMessageBox(io, FailureText(saved), kStyleOk | kStyleExclamation, kFailureTitle,
                      kIconExclamation);
}

}  // namespace lexfray
