#include "league/competition_program.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "console/primitives.h"
#include "league/league_files.h"
#include "league/score_export.h"
#include "league/standings_screen.h"
#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::Entry;
using testing::HasTextAt;
using testing::Padded;
using testing::Player;
using testing::RowOf;

struct Installation {
  Installation() : settings(testing::LeagueSettings(folder, "NORTH")) {
    std::filesystem::create_directories(folder.PathOf("root/QuillonHomeSoftware/LeagueNet"));
  }
  void Run() { RunCompetitionProgram(board.io, settings, board.terminal, launcher); }
  std::string Marker() const { return folder.PathOf("root/QuillonHomeSoftware/LeagueNet/GOLN"); }

  testing::BoardHarness board;
  testing::FakeLauncher launcher;
  testing::TempFolder folder;
  Settings settings;
};

TEST(RunCompetitionProgram, NoLeavesNoMarkerAndStartsNothing) {
  for (int key : {int{'N'}, int{kKeyEnter}, int{kKeyEscape}}) {  // No is the default
    Installation site;
    site.board.terminal
        .Then([](const Screen& screen) {
          EXPECT_NE(RowOf(screen, "LeagueNET PROCESSING"), 0);
          EXPECT_NE(RowOf(screen, "We are now prepared"), 0);
        })
        .Key(key);
    site.Run();
    EXPECT_FALSE(std::filesystem::exists(site.Marker()));
    EXPECT_TRUE(site.launcher.runs.empty());
    EXPECT_EQ(site.board.terminal.suspends(), 0);
    EXPECT_FALSE(site.board.terminal.releasesReported());
  }
}

TEST(RunCompetitionProgram, YesDropsAnEmptyMarkerAndWaitsForTheProgram) {
  Installation site;
  site.folder.Write("root/QuillonHomeSoftware/LeagueNet/GOLN", "left over");
  WritePlayers(site.folder, {Player("ANNA", 300, 3)});
  PlayerRecord buffer;
  CompetitionState state;
  ASSERT_FALSE(testing::ExportFailure(site.settings, state, buffer));

  // The exchange program sets the score to beat and brings another site's entries; the
  // terminal stays the game's, showing a notice, while it runs.
  int discardsBeforeRun = 0;
  site.launcher.onRun = [&site, &discardsBeforeRun](const std::string&) {
    EXPECT_EQ(site.board.terminal.suspends(), 0);
    EXPECT_NE(RowOf(site.board.terminal.shown(), "Processing LeagueNET scores"), 0);
    discardsBeforeRun = site.board.terminal.discards();
    EXPECT_EQ(std::filesystem::file_size(site.Marker()), 0u);
    CompetitionHeader header = testing::ScoreHeader(site.folder);
    header.beatName = Padded("OLGA", 25);
    header.beatSite = Padded("SOUTH", 35);
    header.beatScore = 9000;
    std::vector<CompetitionEntry> entries = {testing::ScoreEntry(site.folder, 2),
                                             Entry("SOUTH", "OLGA", 9000, "   20", "RU ")};
    testing::WriteScoreFile(site.folder, header, entries);
  };
  site.board.terminal.Type("Y");
  site.Run();
  ASSERT_EQ(site.launcher.runs.size(), 1u);
  EXPECT_EQ(site.launcher.runs[0], site.folder.PathOf("root/QuillonHomeSoftware/LeagueNet/LeagueNet.exe"));
  EXPECT_EQ(site.launcher.folders[0], site.settings.programFolder);
  // keys typed meanwhile answer nothing
  EXPECT_EQ(site.board.terminal.discards(), discardsBeforeRun + 1);
  EXPECT_EQ(RowOf(site.board.io.screen, "Processing LeagueNET scores"), 0);
  EXPECT_TRUE(site.board.terminal.releasesReported());

  ExportScores(site.board.io, site.settings, state, buffer);
  site.board.terminal
      .Then([](const Screen& screen) {
        std::string line = "Score-To-Beat> OLGA, SOUTH 9000";
        EXPECT_TRUE(HasTextAt(screen, 3, CentreColumn(line), line));
        EXPECT_TRUE(HasTextAt(screen, 7, 1, Padded("OLGA", 25) + "  9000"));
        EXPECT_TRUE(HasTextAt(screen, 7, 77, "RU "));
        EXPECT_TRUE(HasTextAt(screen, 8, 1, Padded("ANNA", 25) + "   300"));
      })
      .Key(kKeyEnter);
  ShowStandings(site.board.io, site.settings, state);
  EXPECT_TRUE(site.board.terminal.ScriptDone());
}

TEST(RunCompetitionProgram, AMissingFolderPassesQuietly) {
  Installation site;
  std::filesystem::remove_all(site.folder.PathOf("root"));
  site.board.terminal.Type("y");
  site.Run();
  EXPECT_FALSE(std::filesystem::exists(site.Marker()));
  EXPECT_EQ(site.launcher.runs.size(), 1u);
  EXPECT_EQ(site.board.terminal.suspends(), 0);
  EXPECT_EQ(site.board.terminal.waits(), 1);
}

}  // namespace
}  // namespace lexfray
