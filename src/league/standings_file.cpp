#include "league/standings_file.h"

#include "config/constants.h"
#include "console/primitives.h"
#include "league/score_file_image.h"
#include "platform/record_fields.h"

namespace lexfray {

namespace {

StandingsEntry StandingsEntryOf(std::span<const std::uint8_t> record) {
  using namespace entry_layout;
  using E = CompetitionEntry;
  StandingsEntry entry;
  entry.site = fields::GetText(record, kSite, E::kSiteWidth);
  entry.name = fields::GetText(record, kPlayer, E::kPlayerWidth);
  entry.score = WholeScore(fields::GetDouble(record, kScore));
  entry.date = fields::GetText(record, kLastDate, E::kDateWidth);
  entry.loc = fields::GetText(record, kLoc, E::kLocWidth);
  entry.plays = fields::GetText(record, kPlays, E::kPlaysWidth);
  return entry;
}

}  // namespace

void LoadStandings(const Settings& settings, CompetitionState& state) {
  std::string path = settings.PathOf(kScoreFileName);
  if (!FileExists(path)) return;
  std::optional<RecordFile> file = RecordFile::Open(path, kCompetitionRecordSize);
  if (!file) return;
  std::optional<ScoreFileImage> read = ScoreFileImage::Read(*file);
  if (!read) return;
  const ScoreFileImage& image = *read;

  if (image.Count() >= 1) state.header = DecodeCompetitionHeader(image.Record(1));
  state.standings.clear();
  state.standings.reserve(static_cast<std::size_t>(image.Count()));
  for (std::int64_t r = 2; r <= image.Count(); ++r) state.standings.push_back(StandingsEntryOf(image.Record(r)));
  if (image.Count() >= 2) state.entry = DecodeCompetitionEntry(image.Record(image.Count()));
  RankByScore(state.standings);
}

std::int64_t LoadTopScore(const Settings& settings, CompetitionState& state) {
  LoadStandings(settings, state);
  return TopScore(state.standings);
}

}  // namespace lexfray
