// The exchange and the game share one score file: the exchange writes only what the game reads,
// keeps the administrator's link, leaves a read-only or oversized file as it is, and applies
// the game's exports that wait in the file's spool.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>

#include "league/score_export.h"
#include "league/score_file.h"
#include "league/site_export.h"
#include "platform/file_lock.h"
#include "rules/league_settings.h"
#include "support/fakes.h"
#include "test_league.h"

namespace lexfray::testing {
namespace {

namespace fs = std::filesystem;

struct Scene {
  const TestLeague& league;
  const TestSite& north;
  const TempFolder& elsewhere;
  std::optional<FileLock>& held;  // the game's lock, taken by the test
};

struct ScoreFileCase {
  const char* name;
  std::function<void(const Scene&)> prepare;
  int exitCode;
  const char* reason;  // in the exchange's message; the file stays as it was when it fails
  std::function<void(const Scene&)> check;
};

void Nothing(const Scene&) {}

// YY of the current local year.
std::string ThisYear() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char year[8];
  std::snprintf(year, sizeof year, "%02d", local.tm_year % 100);
  return year;
}

class ExchangeScoreFile : public ::testing::TestWithParam<ScoreFileCase> {};

TEST_P(ExchangeScoreFile, LeavesAFileTheGameReads) {
  TestLeague league;
  TestSite north(league, "NORTH", "NTH");
  TempFolder elsewhere;
  north.WriteScoreFile({GameEntry("NORTH", "ANNA", 300, ThisMonth() + "-05", 4)});
  std::optional<FileLock> held;
  Scene scene{league, north, elsewhere, held};
  GetParam().prepare(scene);
  std::string before = north.ScoreFileBytes();

  CommandResult run = north.Exchange();
  EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err;
  EXPECT_NE(run.err.find(GetParam().reason), std::string::npos) << run.err;
  if (GetParam().exitCode != 0) {
    EXPECT_EQ(north.ScoreFileBytes(), before);
  } else {
    std::string error;
    std::optional<ScoreFileRecords> records = ReadScoreFile(north.ScoreFilePath(), &error);
    ASSERT_TRUE(records) << error;
    EXPECT_FALSE(records->partial);
  }
  GetParam().check(scene);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExchangeScoreFile,
    ::testing::Values(
        ScoreFileCase{"ALinkStaysALinkAndItsTargetIsReplaced",
                      [](const Scene& s) {
                        fs::rename(s.north.ScoreFilePath(), s.elsewhere.PathOf("scores"));
                        fs::create_symlink(s.elsewhere.PathOf("scores"), s.north.ScoreFilePath());
                      },
                      0, "",
                      [](const Scene& s) {
                        EXPECT_TRUE(fs::is_symlink(s.north.ScoreFilePath()));
                        EXPECT_EQ(fs::file_size(s.elsewhere.PathOf("scores")), 2u * 251);
                        EXPECT_EQ(std::distance(fs::directory_iterator(s.elsewhere.path()), {}), 1);
                      }},
        ScoreFileCase{"AReadOnlyFileIsLeftAlone",
                      [](const Scene& s) { ::chmod(s.north.ScoreFilePath().c_str(), 0444); }, 1,
                      "LEXFRAY.ISC is read-only", Nothing},
        ScoreFileCase{"AHugeFileIsRefusedUnread",
                      [](const Scene& s) { fs::resize_file(s.north.ScoreFilePath(), 100'000'000); },
                      1, "LEXFRAY.ISC is too large: more than 10000 entries", Nothing},
        ScoreFileCase{"AGamesExportKeptInTheSpoolIsApplied",
                      [](const Scene& s) {
                        FakeClock clock;
                        s.held = FileLock::Take(s.north.ScoreFilePath(), clock);
                        PlayerRecord bea;
                        bea.name = "BEA" + std::string(27, ' ');
                        bea.totalScore = 50;
                        bea.lastPlayed = ThisMonth() + "-05-26";
                        CompetitionState state;
                        SaveResult kept = SaveSiteExport({s.north.ScoreFilePath()}, clock,
                                                        SiteExport{"NORTH", {bea}}, state.header,
                                                        state.entry);
                        EXPECT_EQ(kept.outcome, SaveResult::kKept) << kept.reason;
                        s.held.reset();
                      },
                      0, "",
                      [](const Scene& s) {
                        lexfray::ScoreFile file = s.north.ScoreFile();
                        ASSERT_EQ(file.entries.size(), 2u);
                        EXPECT_EQ(Trimmed(EntryAt(file, 1).player), "BEA");
                        EXPECT_TRUE(fs::is_empty(s.north.ProgramFolder() + ".LEXFRAY.ISC.spool"));
                      }},
        // At the most others the settings take, the file keeps room for every player the
        // site may still have this month: the game adds them all after the exchange.
        ScoreFileCase{"TheOtherSitesLeaveRoomForEveryPlayerOfTheSite",
                      [](const Scene& s) {
                        TestSite south(s.league, "SOUTH", "STH");
                        s.league.Sql(
                            "INSERT INTO league.entries (month, site, player, score, last_date, "
                            "plays, game_code) SELECT date_trunc('month', league.utc_now())::date, "
                            "'SOUTH', 'P' || i, i, to_char(league.utc_now(), 'MM-DD'), '1', "
                            "'LEXFRAY0' FROM generate_series(1, 10500) i");
                        s.north.SetLeague(
                            s.north.League(),
                            "others = " + std::to_string(leaguenet::kMostOthers) + "\n");
                      },
                      0, "",
                      [](const Scene& s) {
                        EXPECT_EQ(fs::file_size(s.north.ScoreFilePath()), 5002u * 251);
                        EXPECT_EQ(Trimmed(EntryAt(s.north.ScoreFile(), 0).player), "ANNA");
                        std::vector<std::pair<std::string, std::string>> players;
                        for (int n = 0; n < kMostPlayers; ++n)
                          players.emplace_back(n == 0 ? "ANNA" : "NEW " + std::to_string(n),
                                               ThisMonth() + "-05-" + ThisYear());
                        s.north.WritePlayers(players);
                        Settings game;
                        game.programFolder = s.north.ProgramFolder();
                        game.siteName = "NORTH";
                        game.competitionActive = 1;
                        CompetitionState state;
                        PlayerRecord last;
                        FakeClock clock;
                        SaveResult exported = ExportIntoScoreFile(game, clock, state, last);
                        EXPECT_EQ(exported.outcome, SaveResult::kSaved) << exported.reason;
                        EXPECT_EQ(fs::file_size(s.north.ScoreFilePath()),
                                  static_cast<std::uintmax_t>(kMostScoreRecords) * 251);
                      }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lexfray::testing
