// LEXFRAY.ISC: the standings, the top score and the export, twice, on any score file and a
// small player file, both taken from the input.
#include <cmath>
#include <cstdint>

#include "config/constants.h"
#include "fuzz_check.h"
#include "league/score_export.h"
#include "league/standings_file.h"
#include "platform/record_fields.h"
#include "players/player_record.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

using namespace lexfray;

namespace {

constexpr std::size_t kMostRecords = 40;
constexpr std::size_t kVersionAt = 49;
constexpr std::size_t kVersionEnd = kVersionAt + CompetitionHeader::kVersionWidth;

std::size_t Records(const std::string& bytes) { return bytes.size() / kCompetitionRecordSize; }

std::string_view Record(const std::string& bytes, std::size_t n) {
  return std::string_view(bytes).substr((n - 1) * kCompetitionRecordSize, kCompetitionRecordSize);
}

std::string SiteOf(std::string_view record) {
  return ComparableName(record.substr(entry_layout::kSite, CompetitionEntry::kSiteWidth));
}

void CheckStandings(const Settings& settings, std::size_t records) {
  CompetitionState state;
  std::int64_t top = LoadTopScore(settings, state);
  const Standings& standings = state.standings;
  fuzz::Require(standings.size() == (records > 0 ? records - 1 : 0), "every entry stands");
  for (std::size_t i = 0; i < standings.size(); ++i) {
    double score = standings[i].score;
    fuzz::Require(std::isfinite(score) && score == std::floor(score), "scores are whole numbers");
    fuzz::Require(std::fabs(score) <= kLargestWholeScore, "scores stay in the exact range");
    fuzz::Require(i == 0 || standings[i - 1].score >= score, "the standings are ranked");
  }
  fuzz::Require(top == (standings.empty() ? 0 : static_cast<std::int64_t>(standings[0].score)),
                "the top score is the first of the standings");
}

// Other sites' entries stay byte for byte, and the header changes only in its version.
void CheckExport(const std::string& before, const std::string& after, const std::string& site) {
  fuzz::Require(Records(after) >= Records(before), "an export never drops a record");
  if (Records(before) == 0) return;
  std::string_view headerBefore = Record(before, 1), headerAfter = Record(after, 1);
  fuzz::Require(headerBefore.substr(0, kVersionAt) == headerAfter.substr(0, kVersionAt) &&
                    headerBefore.substr(kVersionEnd) == headerAfter.substr(kVersionEnd),
                "the header changes only in its version");
  fuzz::Require(headerAfter.substr(kVersionAt, CompetitionHeader::kVersionWidth) == " 1.6 ",
                "the header carries this version");
  for (std::size_t n = 2; n <= Records(before); ++n)
    if (SiteOf(Record(before, n)) != ComparableName(site))
      fuzz::Require(Record(before, n) == Record(after, n), "other sites' entries stay as they are");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string_view input = fuzz::Bytes(data + 1, size - 1);
  std::size_t playerBytes = std::min<std::size_t>(data[0] % 4 * PlayerRecord::kSize, input.size());
  std::string players(input.substr(0, playerBytes));
  std::string scores(input.substr(playerBytes, kMostRecords * kCompetitionRecordSize + 250));

  testing::TempFolder folder;
  Settings settings = fuzz::SettingsFor(folder.path(), /*competition=*/true, false);
  folder.Write(kPlayerFileName, players);
  folder.Write(kScoreFileName, scores);
  CheckStandings(settings, Records(scores));

  CompetitionState state;
  PlayerRecord buffer;
  testing::FakeClock clock;
  auto exportSucceeds = [&] { return ExportIntoScoreFile(settings, clock, state, buffer).outcome == SaveResult::kSaved; };
  fuzz::Require(exportSucceeds(), "an export into a folder succeeds");
  std::string exported = folder.Read(kScoreFileName);
  CheckExport(scores, exported, settings.siteName);
  fuzz::Require(folder.Read(kPlayerFileName) == players, "an export writes no player");
  CheckStandings(settings, Records(exported));

  fuzz::Require(exportSucceeds(), "a second export succeeds");
  fuzz::Require(folder.Read(kScoreFileName) == exported, "a second export changes nothing");
  return 0;
}
