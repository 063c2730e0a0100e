#include "shell/visit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "config/constants.h"
#include "game/scoring.h"
#include "game_fixture.h"
#include "league/competition_records.h"
#include "platform/record_fields.h"
#include "players/player_record.h"
#include "support/harness.h"
#include "support/player_files.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::HasTextAt;
using testing::ProgramHarness;
using testing::RowOf;

// The whole program with a small dictionary that the rich rack spells sixty words from.
struct VisitHarness : ProgramHarness {
  explicit VisitHarness(std::string_view competition = "0") {
    folder.Write("LEXFRAY.CFG", testing::ConfigText("North", "5", "Y", competition));
    testing::WriteDictionary(folder, testing::SixtyWords());
  }
  // From the title screen: Play, "New Player", the name.
  void LogInAsNewPlayer(std::string_view name) {
    terminal.Key(kKeyEnter).Then([](const Screen& s) { EXPECT_GT(RowOf(s, " PLAYER NAME LOGIN "), 0); });
    terminal.Key(kKeyEnd).Key(kKeyEnter).Type(std::string(name) + "\r");
    random.DealLetters(std::string(testing::kRichRack));
  }
  void PlayWords(const std::vector<std::string>& words) {
    for (const std::string& word : words) terminal.Type(word.size() == 7 ? word : word + "\r");
  }
  void QuitTheGame() { terminal.Type("Q\r").Key('y'); }
  PlayerRecord Record(int n) const { return testing::ReadPlayerFile(folder).at(static_cast<std::size_t>(n - 1)); }
};

int Score(const std::vector<std::string>& words) {
  return std::accumulate(words.begin(), words.end(), 0, [](int sum, const std::string& w) { return sum + WordScore(w); });
}

TEST(Visit, ANewPlayerPlaysAWordQuitsAndTheFinalTableShowsTheTotal) {
  VisitHarness h;
  h.LogInAsNewPlayer("Anna");
  h.terminal.Then([](const Screen& s) { EXPECT_TRUE(HasTextAt(s, 25, 22, "Player: ANNA")); });
  h.PlayWords({"ACE"});
  h.QuitTheGame();
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, "WANT TO PLAY ANOTHER GAME?"), 0); });
  h.terminal.Key('n').Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "LEX FRAY'S          TOP         PLAYERS"), 0);
    int row = RowOf(s, "ANNA");
    ASSERT_GT(row, 0);
    EXPECT_NE(s.RowText(row).find("    201"), std::string::npos);
    EXPECT_TRUE(HasTextAt(s, 24, 28, "Press [ENTER] to Continue"));
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());

  PlayerRecord anna = h.Record(1);
  EXPECT_EQ(ComparableName(anna.name), "ANNA");
  EXPECT_EQ(anna.totalScore, 201);
  EXPECT_EQ(anna.lastPlayed, "12-07-26");
  EXPECT_EQ(anna.monthGames, 1);
  // Outside the competition the totals are still exported on the way out.
  EXPECT_TRUE(h.folder.Exists(kScoreFileName));
  EXPECT_TRUE(h.launcher.runs.empty());
}

TEST(Visit, ACancelledLoginReturnsToTheUntouchedTitleScreen) {
  VisitHarness h;
  Screen title;
  h.terminal.Then([&](const Screen& s) { title = s; });
  h.terminal.Key('p').Key(kKeyEscape);
  h.terminal.Then([&](const Screen& s) { EXPECT_EQ(s.cells(), title.cells()); });
  h.terminal.Click(17, 15).Key(kKeyEnd).Key(kKeyEnter).Type("J2\r");
  h.terminal.Then([&](const Screen& s) { EXPECT_EQ(s.cells(), title.cells()); });
  h.terminal.Key('x');
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_EQ(h.clock.sleeps().back(), 5000);  // the two-letter notice
  EXPECT_EQ(h.folder.Read(kPlayerFileName), "");
}

TEST(Visit, TwoGamesInARowAddUpAndTheSecondKeepsTheScreenStanding) {
  VisitHarness h;
  h.LogInAsNewPlayer("Anna");
  h.PlayWords({"ACE", "ACHED"});
  h.QuitTheGame();
  h.terminal.Key('y');
  h.random.DealLetters(std::string(testing::kRichRack));
  h.terminal.Then([](const Screen& s) {
    EXPECT_TRUE(HasTextAt(s, 5, 3, std::string(49, ' ')));  // the last game's words are gone
    EXPECT_TRUE(HasTextAt(s, 16, 72, "    0"));
    EXPECT_TRUE(HasTextAt(s, 13, 72, "    542"));
  });
  h.PlayWords({"ACT"});
  h.QuitTheGame();
  h.terminal.Key('n').Then([](const Screen& s) {
    int row = RowOf(s, "ANNA");
    ASSERT_GT(row, 0);
    EXPECT_NE(s.RowText(row).find("    758"), std::string::npos);
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Record(1).totalScore, Score({"ACE", "ACHED", "ACT"}));
  EXPECT_EQ(h.Record(1).dayGames, 2);
  EXPECT_EQ(h.Record(1).monthGames, 2);
}

TEST(Visit, AFullGameEarnsTheBonusOnTheTotalButNotOnTheGameScore) {
  VisitHarness h;
  h.LogInAsNewPlayer("Anna");
  std::vector<std::string> words = testing::SixtyWords();
  h.PlayWords(words);
  int score = Score(words);
  h.terminal.Then([&](const Screen& s) {
    EXPECT_GT(RowOf(s, "WANT TO PLAY ANOTHER GAME?"), 0);
    EXPECT_EQ(RowOf(s, "C O N G R A T U L A T I O N S"), 0);
  });
  h.terminal.Key('n').Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Record(1).totalScore, score + 1000);
  const std::vector<int>& sleeps = h.clock.sleeps();
  EXPECT_NE(std::find(sleeps.begin(), sleeps.end(), 4000), sleeps.end());
}

TEST(Visit, KeysTypedAheadOfTheQuestionsAnswerNone) {
  VisitHarness h;
  h.LogInAsNewPlayer("Anna");
  h.PlayWords({"ACE"});
  // Typed fast after Q Enter, before the quit question showed: lost, and the game goes on.
  h.terminal.Type("Q\r").TypeAhead("cat\r").Key(kKeyEscape);
  h.PlayWords({"ACT"});
  // Y answers the quit question; the Enter typed with it does not answer the next one.
  h.terminal.Type("Q\r").Key('y').KeyAhead(kKeyEnter).Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "WANT TO PLAY ANOTHER GAME?"), 0);
  });
  h.terminal.Key('n').Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_EQ(h.Record(1).totalScore, Score({"ACE", "ACT"}));
  EXPECT_EQ(h.Record(1).monthGames, 1);
}

TEST(Visit, AFullGameShowsItsFinalScoreAndEnterTypedOutOfHabitAnswersNothing) {
  VisitHarness h;
  h.LogInAsNewPlayer("Anna");
  std::vector<std::string> words = testing::SixtyWords();
  std::string last = words.back();
  words.pop_back();
  h.PlayWords(words);
  // The last word ends the entry by itself; the Enter after it, and one pressed while the
  // congratulations showed, come before the question does.
  h.terminal.Type(last.size() == 7 ? last : last + "\r").TypeAhead("\r\r");
  std::string score = std::to_string(Score(testing::SixtyWords()));
  h.terminal.Then([&](const Screen& s) {
    EXPECT_GT(RowOf(s, "WANT TO PLAY ANOTHER GAME?"), 0);
    EXPECT_TRUE(HasTextAt(s, 16, 72, score));
  });
  h.terminal.Key('n').Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
}

TEST(Visit, QuittingWithFourCompleteLengthsEarnsNoBonus) {
  VisitHarness h;
  h.LogInAsNewPlayer("Anna");
  std::vector<std::string> words;
  for (int length = 3; length <= 6; ++length) {
    std::vector<std::string> some = testing::TwelveWordsOfLength(length);
    words.insert(words.end(), some.begin(), some.end());
  }
  h.PlayWords(words);
  h.QuitTheGame();
  h.terminal.Key('n').Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Record(1).totalScore, Score(words));
  const std::vector<int>& sleeps = h.clock.sleeps();
  EXPECT_EQ(std::find(sleeps.begin(), sleeps.end(), 4000), sleeps.end());
}

TEST(Visit, InTheCompetitionTheGameShowsItsNumberAndTheVisitEndsWithTheStandings) {
  VisitHarness h("1");
  h.LogInAsNewPlayer("Anna");
  h.terminal.Then([](const Screen& s) {
    EXPECT_TRUE(HasTextAt(s, 5, 69, "  1 of 156"));  // December: 5 x 31 + 1
    EXPECT_TRUE(HasTextAt(s, 9, 72, "      0"));
  });
  h.terminal.Type("S\r").Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " LEXFRAY LeagueNET Standings "), 0);
  });
  h.terminal.Key(kKeyEnter);
  h.PlayWords({"ACE"});
  h.QuitTheGame();
  h.terminal.Key('n');
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, " LeagueNET PROCESSING "), 0); });
  h.terminal.Key('n').Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, "Score-To-Beat> No Score-To-Beat As Yet,  0"), 0);
    int row = RowOf(s, "ANNA");
    ASSERT_GT(row, 0);
    EXPECT_EQ(testing::FgAt(s, row, 1), kLightRed);
  });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_TRUE(h.launcher.runs.empty());
  EXPECT_FALSE(h.folder.Exists("root/QuillonHomeSoftware/LeagueNet/GOLN"));
}

TEST(Visit, TheGameThatUsesUpTheAllowanceEndsThePlayWithoutTheQuestion) {
  VisitHarness h("1");
  std::filesystem::create_directories(h.folder.PathOf("root/QuillonHomeSoftware/LeagueNet"));
  testing::WritePlayerFile(h.folder, {testing::Player("ANNA", 5000, 155, "12-06-26", 3)});
  h.terminal.Key(kKeyEnter).Key(kKeyEnter);  // Play, then ANNA from the list
  h.random.DealLetters(std::string(testing::kRichRack));
  h.terminal.Then([](const Screen& s) { EXPECT_TRUE(HasTextAt(s, 5, 69, "156 of 156")); });
  h.QuitTheGame();
  h.terminal.Then([](const Screen& s) {
    EXPECT_GT(RowOf(s, " MAXIMUM GAMES PLAYED "), 0);
    EXPECT_EQ(RowOf(s, "WANT TO PLAY ANOTHER GAME?"), 0);
  });
  h.terminal.Key(kKeyEnter);
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, " LeagueNET PROCESSING "), 0); });
  h.terminal.Key('y').Then([](const Screen& s) { EXPECT_GT(RowOf(s, "LeagueNET Standings"), 0); });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_EQ(h.launcher.runs.size(), 1u);
  EXPECT_TRUE(h.folder.Exists("root/QuillonHomeSoftware/LeagueNet/GOLN"));
  EXPECT_TRUE(h.terminal.releasesReported());
}

TEST(Visit, AStartBeyondTheAllowanceGoesStraightToTheFinalScores) {
  VisitHarness h("1");
  testing::WritePlayerFile(h.folder, {testing::Player("ANNA", 5000, 156, "12-06-26", 3)});
  h.terminal.Key(kKeyEnter).Key(kKeyEnter);
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, " MAXIMUM GAMES PLAYED "), 0); });
  h.terminal.Key(kKeyEnter).Then([](const Screen& s) { EXPECT_GT(RowOf(s, "LeagueNET Standings"), 0); });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_EQ(h.Record(1).monthGames, 156);  // counted, then taken back
}

TEST(Visit, TheLastTwentyMinutesOfTheMonthEndTheProgramAtOnce) {
  VisitHarness h("1");
  h.clock.Set({2026, 12, 31, 23, 45, 0, 0});
  h.terminal.Key(kKeyEnter).Key(kKeyEnd).Key(kKeyEnter).Type("Anna\r");
  h.terminal.Then([](const Screen& s) { EXPECT_GT(RowOf(s, " END of MONTH NOTICE!! "), 0); });
  h.terminal.Key(kKeyEnter);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_TRUE(h.terminal.ScriptDone());
  EXPECT_FALSE(h.folder.Exists(kScoreFileName));
}

}  // namespace
}  // namespace lexfray
