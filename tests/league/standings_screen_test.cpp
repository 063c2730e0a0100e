#include "league/standings_screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "console/primitives.h"
#include "league/league_files.h"
#include "league/score_export.h"
#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BgAt;
using testing::Entry;
using testing::FgAt;
using testing::HasTextAt;
using testing::Padded;
using testing::Player;
using testing::RowOf;
using testing::TextAt;
using testing::WritePlayers;
using testing::WriteScoreFile;

constexpr std::string_view kPagePrompt = "Press [ENTER] to Continue or [END]";
constexpr std::string_view kFinalPrompt = "Press [ENTER] to Continue";

struct StandingsBoard {
  explicit StandingsBoard(std::string_view site = "NORTH")
      : settings(testing::LeagueSettings(folder, site)) {}
  void Show() { ShowStandings(board.io, settings, state); }

  testing::BoardHarness board;
  testing::TempFolder folder;
  Settings settings;
  CompetitionState state;
};

// Entries P1, P2, ... with falling scores, so that they are listed in this order.
std::vector<CompetitionEntry> Numbered(int count) {
  std::vector<CompetitionEntry> entries;
  for (int i = 1; i <= count; ++i) entries.push_back(Entry("SOUTH", "P" + std::to_string(i), 1000 - i));
  return entries;
}

bool OnlyPrompt(const Screen& screen, std::string_view prompt) {
  return RowOf(screen, prompt) == 24 && TextAt(screen, 24, 1, 80).find(prompt) != std::string::npos;
}

TEST(ShowStandings, AFreshFileShowsNoScoreToBeatAndTheSitesPlayers) {
  StandingsBoard site;
  WritePlayers(site.folder, {Player("ANNA", 1234, 7), Player("ZED", 0, 1), Player("BOB", 99, 2)});
  PlayerRecord buffer;
  ASSERT_FALSE(testing::ExportFailure(site.settings, site.state, buffer));

  site.board.terminal
      .Then([](const Screen& screen) {
        EXPECT_EQ(testing::GoldenDifference(screen, "league_standings_fresh"), "");
        std::string line = "Score-To-Beat> No Score-To-Beat As Yet,  0";
        int column = CentreColumn(line);
        EXPECT_TRUE(HasTextAt(screen, 3, column, line));
        EXPECT_EQ(FgAt(screen, 3, column + 13), kYellow);
        EXPECT_EQ(FgAt(screen, 3, column + 14), kLightCyan);
        EXPECT_TRUE(HasTextAt(screen, 1, CentreColumn(" LEXFRAY LeagueNET Standings "),
                              " LEXFRAY LeagueNET Standings "));
        EXPECT_TRUE(HasTextAt(screen, 5, 1, "Player Name.............. Score  Plays  Originating From"));
        EXPECT_TRUE(HasTextAt(screen, 5, 77, "LOC"));
        EXPECT_EQ(BgAt(screen, 5, 79), kRed);
        EXPECT_EQ(BgAt(screen, 5, 80), kBlack);
        EXPECT_TRUE(HasTextAt(screen, 7, 1, Padded("ANNA", 25) + "  1234"));
        EXPECT_TRUE(HasTextAt(screen, 7, 34, "    7"));
        EXPECT_TRUE(HasTextAt(screen, 8, 1, Padded("BOB", 25) + "    99"));
        EXPECT_EQ(RowOf(screen, "ZED"), 0);
        EXPECT_EQ(FgAt(screen, 7, 1), kLightRed);
        EXPECT_TRUE(OnlyPrompt(screen, kFinalPrompt));
      })
      .Key(kKeyEnter);
  site.Show();
  EXPECT_TRUE(site.board.terminal.ScriptDone());
}

TEST(ShowStandings, FifteenEntriesFillAPageAndLeaveAnEmptySecondOne) {
  StandingsBoard site;
  WriteScoreFile(site.folder, CompetitionHeader{}, Numbered(15));
  site.board.terminal
      .Then([](const Screen& screen) {
        EXPECT_TRUE(HasTextAt(screen, 7, 1, "P1 "));
        EXPECT_TRUE(HasTextAt(screen, 21, 1, "P15 "));
        EXPECT_TRUE(OnlyPrompt(screen, kPagePrompt));
      })
      .Key(kKeyEnter)
      .Then([](const Screen& screen) {
        EXPECT_EQ(RowOf(screen, "P"), 5);  // only the column labels start with a P
        EXPECT_TRUE(HasTextAt(screen, 7, 1, std::string(80, ' ')));
        EXPECT_TRUE(OnlyPrompt(screen, kFinalPrompt));
      })
      .Key(kKeyEnter);
  site.Show();
  EXPECT_TRUE(site.board.terminal.ScriptDone());
}

TEST(ShowStandings, TheSixteenthEntryOpensTheSecondPage) {
  StandingsBoard site;
  std::vector<CompetitionEntry> entries = Numbered(16);
  entries.insert(entries.begin() + 3, Entry("SOUTH", "NOUGHT", 0));
  entries.insert(entries.begin() + 5, Entry("SOUTH", "MINUS", -40));
  WriteScoreFile(site.folder, CompetitionHeader{}, entries);
  site.board.terminal
      .Then([](const Screen& screen) {
        EXPECT_TRUE(HasTextAt(screen, 21, 1, "P15 "));
        EXPECT_EQ(RowOf(screen, "NOUGHT"), 0);
        EXPECT_TRUE(OnlyPrompt(screen, kPagePrompt));
      })
      .Key(kKeyEnter)
      .Then([](const Screen& screen) {
        EXPECT_EQ(RowOf(screen, "Score-To-Beat> "), 3);
        EXPECT_TRUE(HasTextAt(screen, 7, 1, "P16 "));
        EXPECT_TRUE(HasTextAt(screen, 8, 1, std::string(80, ' ')));
        EXPECT_TRUE(OnlyPrompt(screen, kFinalPrompt));
      })
      .Key(kKeyEnter);
  site.Show();
  EXPECT_TRUE(site.board.terminal.ScriptDone());
}

TEST(ShowStandings, EndAtThePagePromptStopsAtOnce) {
  for (std::string_view answer : {"e", "E"}) {
    StandingsBoard site;
    WriteScoreFile(site.folder, CompetitionHeader{}, Numbered(40));
    site.board.terminal.Type(answer);
    site.Show();
    EXPECT_EQ(site.board.terminal.waits(), 1);
  }
  StandingsBoard clicked;
  WriteScoreFile(clicked.folder, CompetitionHeader{}, Numbered(40));
  int column = CentreColumn(kPagePrompt) + 30;  // the END of the prompt
  clicked.board.terminal.Click(24, column);
  clicked.Show();
  EXPECT_EQ(clicked.board.terminal.waits(), 1);
}

TEST(ShowStandings, ScoresAreListedAsWholeNumbersInTheirColumns) {
  StandingsBoard site;
  WriteScoreFile(site.folder, CompetitionHeader{},
                 {Entry("SOUTH", "ANNA", 123456.7, "   31", "US "), Entry("SOUTH", "BIG", 12345678),
                  Entry("SOUTH", "ODD", std::nan(""))});
  site.board.terminal
      .Then([](const Screen& screen) {
        EXPECT_TRUE(HasTextAt(screen, 7, 1, Padded("BIG", 25) + "12345678"));  // every digit
        EXPECT_TRUE(HasTextAt(screen, 8, 26, "123456  "));  // the fraction is cut, not rounded
        EXPECT_EQ(FgAt(screen, 8, 26), kLightRed);
        EXPECT_TRUE(HasTextAt(screen, 8, 34, "   31"));
        EXPECT_EQ(FgAt(screen, 8, 38), kLightCyan);
        EXPECT_TRUE(HasTextAt(screen, 8, 41, Padded("SOUTH", 34)));
        EXPECT_EQ(FgAt(screen, 8, 41), kYellow);
        EXPECT_TRUE(HasTextAt(screen, 8, 77, "US "));
        EXPECT_EQ(FgAt(screen, 8, 77), kYellow);
        EXPECT_EQ(RowOf(screen, "ODD"), 0);  // not a number: counted as 0 and not listed
      })
      .Key(kKeyEnter);
  site.Show();
}

TEST(ShowStandings, AScoreOfAnyWidthKeepsThePlaysAndSiteInTheirColumns) {
  StandingsBoard site;
  WriteScoreFile(site.folder, CompetitionHeader{},
                 {Entry("OTHER", "INF", std::numeric_limits<double>::infinity(), "  199"),
                  Entry("SOUTH", "WIDE", 123456789012, "    1"),
                  Entry("SOUTH", "FULL", 99999999, "    2")});
  site.board.terminal
      .Then([](const Screen& screen) {
        EXPECT_TRUE(HasTextAt(screen, 7, 26, "9.01e+15  199  OTHER"));
        EXPECT_TRUE(HasTextAt(screen, 8, 26, "1.23e+11    1  SOUTH"));
        EXPECT_TRUE(HasTextAt(screen, 9, 26, "99999999    2  SOUTH"));
      })
      .Key(kKeyEnter);
  site.Show();
}

TEST(ShowStandings, OnlyTheSitesOwnSpellingIsShownInLightRed) {
  std::string longSite = "The Very Long Site Name Of The North Club";  // over 35 characters
  StandingsBoard site(longSite);
  WriteScoreFile(site.folder, CompetitionHeader{},
                 {Entry(longSite, "OWN", 50), Entry("THE VERY LONG SITE NAME OF THE NORTH CLUB", "UPPER", 40),
                  Entry("SOUTH", "OTHER", 30)});
  site.board.terminal
      .Then([](const Screen& screen) {
        EXPECT_EQ(FgAt(screen, RowOf(screen, "OWN"), 1), kLightRed);
        EXPECT_EQ(FgAt(screen, RowOf(screen, "UPPER"), 1), kBrightWhite);
        EXPECT_EQ(FgAt(screen, RowOf(screen, "OTHER"), 1), kBrightWhite);
      })
      .Key(kKeyEnter);
  site.Show();
}

// A score file that cannot be read shows no standings, and says why rather than look like a
// month nobody played.
TEST(ShowStandings, AScoreFileThatCannotBeReadSaysWhyThePageIsEmpty) {
  StandingsBoard b;
  b.folder.Write("LEXFRAY.ISC", "");
  std::filesystem::resize_file(b.folder.PathOf("LEXFRAY.ISC"), std::uintmax_t{40} << 30);
  b.board.terminal.Then([](const Screen& s) {
    EXPECT_EQ(RowOf(s, "No standings: "), kStandingsFirstRow) << testing::Picture(s);
    EXPECT_NE(RowOf(s, "is too large"), 0) << testing::Picture(s);
  });
  b.board.terminal.Key(kKeyEnter);
  b.Show();
  EXPECT_TRUE(b.board.terminal.ScriptDone());
}

TEST(ShowStandingsHeader, ShowsTheScoreToBeatTheExchangeProgramSet) {
  Screen screen;
  CompetitionHeader header;
  header.beatName = Padded("JOHN SMITH", 25);
  header.beatSite = Padded("SOUTH CLUB", 35);
  header.beatScore = 5000;
  ShowStandingsHeader(screen, header);
  std::string line = "Score-To-Beat> JOHN SMITH, SOUTH CLUB 5000";
  EXPECT_TRUE(HasTextAt(screen, 3, CentreColumn(line), line));

  header.beatName = std::string(25, 'N');
  header.beatSite = std::string(35, 'S');
  header.beatScore = 1e300;
  ShowStandingsHeader(screen, header);
  EXPECT_EQ(TextAt(screen, 3, 1, 15), "Score-To-Beat> ");
  EXPECT_EQ(TextAt(screen, 4, 1, 80), std::string(80, ' '));
}

TEST(ScoreToBeatText, PlainDecimalWithoutLeadingBlanks) {
  EXPECT_EQ(ScoreToBeatText(0), "0");
  EXPECT_EQ(ScoreToBeatText(98765), "98765");
  EXPECT_EQ(ScoreToBeatText(2500.5), "2500.5");
  EXPECT_EQ(ScoreToBeatText(-3), "-3");
  EXPECT_EQ(ScoreToBeatText(std::nan("")), "0");
  EXPECT_EQ(ScoreToBeatText(1e300), "1e+300");
}

}  // namespace
}  // namespace lexfray
