#include "league/standings_file.h"

#include <algorithm>
#include <span>
#include <utility>

#include "config/constants.h"
#include "league/score_file.h"
#include "platform/file_lock.h"

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
  std::optional<ScoreFileRecords> records;
  // Under the lock, a file that another game or the exchange is changing is seen as it was or
  // as it will be, never half of each.
  if (std::optional<FileLock> lock = FileLock::Take(path, LockKind::kShared))
    records = ReadScoreFile(path);
  if (!records || records->missing) return;

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
}

std::int64_t LoadTopScore(const Settings& settings, CompetitionState& state) {
  LoadStandings(settings, state);
  return TopScore(state.standings);
}

}  // namespace lexfray
