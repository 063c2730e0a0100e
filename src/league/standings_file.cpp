#include "league/standings_file.h"

#include <utility>

#include "config/constants.h"
#include "console/primitives.h"
#include "league/score_file_image.h"

namespace lexfray {

namespace {

StandingsEntry StandingsEntryOf(std::span<const std::uint8_t> record) {
  CompetitionEntry stored = DecodeCompetitionEntry(record);
  return {std::move(stored.site), std::move(stored.player), WholeScore(stored.score),
          std::move(stored.lastDate), std::move(stored.loc), std::move(stored.plays)};
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
