#include "league/standings_file.h"

#include <algorithm>
#include <span>
#include <utility>

#include "config/constants.h"
#include "league/score_file.h"

namespace lexfray {

namespace {

StandingsEntry StandingsEntryOf(std::span<const std::uint8_t> record) {
  CompetitionEntry stored = DecodeCompetitionEntry(record);
  return {std::move(stored.site), std::move(stored.player), WholeScore(stored.score),
          std::move(stored.lastDate), std::move(stored.loc), std::move(stored.plays)};
}

}  // namespace

std::string LoadStandings(const Settings& settings, CompetitionState& state) {
  std::string reason;
  std::optional<ScoreFileRecords> records = ReadScoreFile(settings.PathOf(kScoreFileName), &reason);
  if (!records) return reason;
  if (records->missing) return {};

  const std::int64_t count = records->Count();
  auto record = [&](std::int64_t n) {
    return std::span<const std::uint8_t>(records->bytes)
        .subspan(static_cast<std::size_t>(n - 1) * kCompetitionRecordSize, kCompetitionRecordSize);
  };
  Standings standings;
  standings.reserve(static_cast<std::size_t>(std::max<std::int64_t>(count - 1, 0)));
  for (std::int64_t n = 2; n <= count; ++n) standings.push_back(StandingsEntryOf(record(n)));
  if (count >= 1) state.header = DecodeCompetitionHeader(record(1));
  if (count >= 2) state.entry = DecodeCompetitionEntry(record(count));
  state.standings = std::move(standings);
  RankByScore(state.standings);
  return {};
}

std::int64_t LoadTopScore(const Settings& settings, CompetitionState& state) {
  LoadStandings(settings, state);
  return TopScore(state.standings);
}

}  // namespace lexfray
