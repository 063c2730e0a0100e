#include "league/standings_file.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "config/constants.h"
#include "league/score_file_image.h"
#include "platform/files.h"

namespace lexfray {

namespace {

constexpr std::int64_t kBlockRecords = 1024;

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
  if (!file || file->Count() > kMostScoreRecords) return;

  // Read a block at a time: the standings alone are held, not the file besides.
  const std::int64_t count = file->Count();
  std::vector<std::uint8_t> block;
  CompetitionHeader header = state.header;
  Standings standings;
  standings.reserve(static_cast<std::size_t>(std::max<std::int64_t>(count - 1, 0)));
  for (std::int64_t first = 1; first <= count; first += kBlockRecords) {
    std::int64_t wanted = std::min(kBlockRecords, count - first + 1);
    block.resize(static_cast<std::size_t>(wanted) * kCompetitionRecordSize);
    if (file->ReadMany(first, wanted, block) != wanted) return;
    for (std::int64_t i = 0; i < wanted; ++i) {
      auto record = std::span<const std::uint8_t>(block).subspan(
          static_cast<std::size_t>(i) * kCompetitionRecordSize, kCompetitionRecordSize);
      if (first + i == 1) header = DecodeCompetitionHeader(record);
      else standings.push_back(StandingsEntryOf(record));
      if (first + i == count && count >= 2) state.entry = DecodeCompetitionEntry(record);
    }
  }
  state.header = std::move(header);
  state.standings = std::move(standings);
  RankByScore(state.standings);
}

std::int64_t LoadTopScore(const Settings& settings, CompetitionState& state) {
  LoadStandings(settings, state);
  return TopScore(state.standings);
}

}  // namespace lexfray
