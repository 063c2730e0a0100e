#include "game/game_play.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "config/constants.h"
#include "game/scoring.h"
#include "game_fixture.h"
#include "platform/terminal.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::FgAt;
using testing::GameFixture;
using testing::GoldenDifference;
using testing::HasTextAt;
using testing::RowOf;
using testing::ScriptEnded;

TEST(GameScreen, AFreshGameMatchesItsPicture) {
  GameFixture game;
  game.terminal().Then([](const Screen& shown) {
    EXPECT_EQ(GoldenDifference(shown, "game_fresh"), "");
    EXPECT_TRUE(HasTextAt(shown, 5, 70, "Unlimited"));
    EXPECT_TRUE(HasTextAt(shown, 9, 73, "N/A"));
    EXPECT_TRUE(HasTextAt(shown, 25, 22, "Player: ALICE"));
    EXPECT_EQ(FgAt(shown, 25, 22), kLightCyan);
    EXPECT_EQ(FgAt(shown, 25, 30), kBrightWhite);
  });
  EXPECT_THROW(game.Play(), ScriptEnded);
}

// All sixty words in an order that mixes the lengths.
std::vector<std::string> ShuffledSixty() {
  std::vector<std::string> words;
  for (int i = 11; i >= 0; --i)
    for (int length = 7; length >= 3; --length)
      words.push_back(testing::TwelveWordsOfLength(length)[static_cast<std::size_t>(i)]);
  return words;
}

TEST(Game, EndsRightAfterTheSixtiethWordWithoutAnotherPrompt) {
  GameFixture game;
  std::vector<std::string> words = ShuffledSixty();
  for (const std::string& word : words) game.terminal().Type(word.size() == 7 ? word : word + "\r");
  EXPECT_EQ(game.Play(), GameEnd::kComplete);
  EXPECT_TRUE(game.terminal().ScriptDone());
  int total = std::accumulate(words.begin(), words.end(), 0,
                              [](int sum, const std::string& word) { return sum + WordScore(word); });
  EXPECT_EQ(game.state.gameScore, total);
  EXPECT_EQ(game.state.usedCount, 60);
  EXPECT_EQ(game.state.completionTotal, 85);
  for (int length = 3; length <= 7; ++length) {
    EXPECT_EQ(game.state.nextRow[length], 17);
    EXPECT_EQ(game.state.foundWords[length][0], testing::TwelveWordsOfLength(length)[0]);
  }
  for (int column : {3, 13, 23, 33, 43}) EXPECT_TRUE(HasTextAt(game.screen(), 17, column, "Complete"));
  // The score of the last word is shown, and neither the word nor its dictionary message stays.
  EXPECT_TRUE(HasTextAt(game.screen(), 16, 72, std::to_string(total)));
  EXPECT_EQ(RowOf(game.screen(), "Checking"), 0);
  EXPECT_EQ(RowOf(game.screen(), "Form a WORD"), 0);
  EXPECT_EQ(GoldenDifference(game.screen(), "game_complete"), "");
}

TEST(Game, QuitBeforeAnyWordEndsWithNoScore) {
  GameFixture game;
  game.terminal().Type("q\r").Then([](const Screen& shown) {
    EXPECT_NE(RowOf(shown, "Are you sure you want to QUIT?"), 0);
  });
  game.terminal().Type("y");
  EXPECT_EQ(game.Play(), GameEnd::kQuit);
  EXPECT_TRUE(game.terminal().ScriptDone());
  EXPECT_EQ(game.state.gameScore, 0);
  EXPECT_EQ(game.state.usedCount, 0);
}

TEST(Game, AFollowOnGameKeepsTheScreenAndDealsANewRackInTheChosenView) {
  GameFixture game;
  game.terminal().Type("ace\r").Type("t\r").Type("q\r").Type("y");
  game.random.DealLetters(std::string(testing::kRichRack));
  for (int i = 0; i < kRackSize; ++i) game.random.Push(0.999);  // a shuffle that keeps the order
  ASSERT_EQ(PlayGame(game.context, game.state, false), GameEnd::kQuit);
  ASSERT_EQ(game.state.rackMixedShown, 1);

  ResetGameState(game.state);
  ClearWordArea(game.board.screen);
  game.terminal().Then([](const Screen& shown) {
    EXPECT_TRUE(HasTextAt(shown, 5, 3, std::string(49, ' ')));
    EXPECT_TRUE(HasTextAt(shown, 21, 7, "Z E B R A Q U I C K F O X J M"));
    EXPECT_TRUE(HasTextAt(shown, 16, 72, "    0"));
    EXPECT_TRUE(HasTextAt(shown, 3, 57, "OPTIONS"));
  });
  EXPECT_THROW(game.Play("ZEBRAQUICKFOXJM", true), ScriptEnded);
  EXPECT_EQ(game.hooks.panelsAsked, 2);
}

TEST(Game, TheScoresOptionRebuildsTheWholeScreen) {
  GameFixture game(testing::SixtyWords(), true);
  game.hooks.panel = {3, "10", 12345.9, 4321};
  game.hooks.onScores = [&game] { game.board.screen.Clear(); };
  for (const std::string& word : testing::TwelveWordsOfLength(4)) game.terminal().Type(word + "\r");
  game.terminal().Type("ace\r").Type("aim\r").Type("s\r").Then([](const Screen& shown) {
    EXPECT_EQ(GoldenDifference(shown, "game_after_scores"), "");
    EXPECT_TRUE(HasTextAt(shown, 5, 69, "  3 of 10"));
    EXPECT_TRUE(HasTextAt(shown, 9, 72, "  12345"));
    EXPECT_TRUE(HasTextAt(shown, 13, 72, "   4321"));
  });
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_EQ(game.hooks.scoresShown, 1);
}

TEST(Game, TheRebuiltRackIsSortedAgainAfterTheLetterTests) {
  GameFixture game;
  game.terminal().Type("ace\r").Type("s\r").Then([](const Screen& shown) {
    EXPECT_TRUE(HasTextAt(shown, 21, 7, "A C D E G H I L M N O P R S T"));
  });
  EXPECT_THROW(game.Play(), ScriptEnded);
}

class GameHelpTest : public ::testing::Test {
 protected:
  // Opens the help menu and chooses entry n.
  void Choose(int entry) {
    game.terminal().Type("h\r");
    for (int i = 1; i < entry; ++i) game.terminal().Key(kKeyDown);
    game.terminal().Key(kKeyEnter);
  }
  void ExpectBack() {
    game.terminal().Then([](const Screen& shown) {
      EXPECT_EQ(RowOf(shown, "HELP MENU"), 0);
      EXPECT_TRUE(HasTextAt(shown, 19, 2, "Form a WORD or Select an Option: "));
    });
  }
  GameFixture game;
};

TEST_F(GameHelpTest, TheMenuOffersItsFiveEntries) {
  game.terminal().Type("h\r").Then([](const Screen& shown) {
    EXPECT_NE(RowOf(shown, "Choose Your Option"), 0);
    EXPECT_NE(RowOf(shown, "About This Program"), 0);
    EXPECT_NE(RowOf(shown, "Help/Instructions"), 0);
    EXPECT_NE(RowOf(shown, "End User License Agreement"), 0);
    EXPECT_NE(RowOf(shown, "LeagueNET Information"), 0);
  });
  EXPECT_THROW(game.Play(), ScriptEnded);
}

TEST_F(GameHelpTest, AboutShowsTheVersionAndGoesBackToTheGame) {
  Choose(1);
  game.terminal().Then([](const Screen& shown) {
    EXPECT_NE(RowOf(shown, "ABOUT LEXFRAY"), 0);
    EXPECT_NE(RowOf(shown, "v1.6     02/12/08"), 0);
    EXPECT_NE(RowOf(shown, "Copyright (c) 2003-2008 Quillon Home Software"), 0);
  });
  game.terminal().Key(kKeyEnter);
  ExpectBack();
  EXPECT_THROW(game.Play(), ScriptEnded);
}

TEST_F(GameHelpTest, TheInstructionsAreShownOnlyWhenTheirFileIsThere) {
  Choose(2);
  ExpectBack();
  game.terminal().Then([this](const Screen&) { game.folder.Write(kInstructionsFileName, "How to play"); });
  Choose(2);
  game.terminal().Then([](const Screen& shown) {
    EXPECT_NE(RowOf(shown, "LEX FRAY HELP FILE"), 0);
    EXPECT_NE(RowOf(shown, "How to play"), 0);
  });
  game.terminal().Key(kKeyEscape);
  ExpectBack();
  EXPECT_THROW(game.Play(), ScriptEnded);
}

TEST_F(GameHelpTest, TheLicenceAndTheAdvertisementAreShownFromTheProgramFolder) {
  game.folder.Write(kAdvertFileName, "Join the league");
  Choose(3);
  game.terminal().Then([](const Screen& shown) { EXPECT_NE(RowOf(shown, "END USER LICENSE AGREEMENT"), 0); });
  game.terminal().Key(kKeyEscape);
  Choose(4);
  game.terminal().Then([](const Screen& shown) {
    EXPECT_NE(RowOf(shown, "LEAGUENET ADVERTISEMENT"), 0);
    EXPECT_NE(RowOf(shown, "Join the league"), 0);
  });
  game.terminal().Key(kKeyEscape);
  ExpectBack();
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_TRUE(game.folder.Exists(kLicenceFileName));  // the viewer leaves the missing file behind
}

TEST_F(GameHelpTest, TheEmptyFifthEntryLeadsStraightBack) {
  Choose(5);
  ExpectBack();
  EXPECT_THROW(game.Play(), ScriptEnded);
}

}  // namespace
}  // namespace lexfray
