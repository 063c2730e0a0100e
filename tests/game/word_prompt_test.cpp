#include "game/word_prompt.h"

#include <gtest/gtest.h>

#include <string>

#include "config/constants.h"
#include "game_fixture.h"
#include "platform/terminal.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BgAt;
using testing::FgAt;
using testing::GameFixture;
using testing::HasTextAt;
using testing::RowOf;
using testing::ScriptEnded;

// The message area as it stood at the nth pause.
std::string MessageAt(const GameFixture& game, std::size_t pause) {
  return game.clock.atPause.at(pause).RowText(21).substr(47, 27);
}

TEST(WordPrompt, ShowsThePromptAndEchoesWhatIsTypedInYellow) {
  GameFixture game;
  game.terminal().Type("ac").Then([](const Screen& shown) {
    EXPECT_TRUE(HasTextAt(shown, 19, 2, "Form a WORD or Select an Option: AC"));
    EXPECT_EQ(FgAt(shown, 19, 2), kBrightWhite);
    EXPECT_EQ(FgAt(shown, 19, 35), kYellow);
    EXPECT_TRUE(HasTextAt(shown, 16, 72, "    0"));
  });
  EXPECT_THROW(game.Play(), ScriptEnded);
}

TEST(WordPrompt, AcceptsAWordIntoItsSortedColumnAndScoresIt) {
  GameFixture game;
  game.terminal().Type("aim\r").Type("ace\r").Then([](const Screen& shown) {
    EXPECT_TRUE(HasTextAt(shown, 5, 5, "ACE"));
    EXPECT_TRUE(HasTextAt(shown, 6, 5, "AIM"));
    EXPECT_EQ(FgAt(shown, 5, 5), kBrightWhite);
    EXPECT_TRUE(HasTextAt(shown, 16, 72, "  416"));
  });
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_EQ(game.state.foundCount[3], 2);
  EXPECT_EQ(game.state.nextRow[3], 7);
  EXPECT_EQ(game.state.usedWords[0], "AIM");
  EXPECT_EQ(game.state.usedWords[1], "ACE");
  EXPECT_EQ(game.state.usedCount, 2);
  EXPECT_EQ(game.state.gameScore, 416);
  EXPECT_TRUE(game.clock.atPause.empty());
}

TEST(WordPrompt, TheSeventhLetterSubmitsTheWord) {
  GameFixture game;
  game.terminal().Type("achiest");
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_EQ(game.state.foundWords[7][0], "ACHIEST");
  EXPECT_TRUE(HasTextAt(game.screen(), 5, 44, "ACHIEST"));
}

TEST(WordPrompt, RefusesAWordUsedBeforeInRedForTwoSeconds) {
  GameFixture game;
  game.terminal().Type("ace\r").Type("ace\r");
  EXPECT_THROW(game.Play(), ScriptEnded);
  ASSERT_EQ(game.clock.sleeps(), std::vector<int>{2000});
  const Screen& atPause = game.clock.atPause[0];
  EXPECT_TRUE(HasTextAt(atPause, 21, 52, " Word Already Used "));
  EXPECT_EQ(FgAt(atPause, 21, 52), kBrightWhite);
  EXPECT_EQ(BgAt(atPause, 21, 52), kRed);
  EXPECT_EQ(game.state.usedCount, 1);
  EXPECT_EQ(game.state.gameScore, 201);
}

TEST(WordPrompt, TheUsedWordTestComesBeforeTheLetterAndDictionaryTests) {
  GameFixture game;
  game.state.usedWords[5] = "ZZZ";  // not on the rack, not in the dictionary
  game.terminal().Type("zzz\r").Type("ace\r");
  game.terminal().Then([&game](const Screen&) { game.folder.Remove(kWordFileName); }).Type("ace\r");
  EXPECT_THROW(game.Play(), ScriptEnded);
  ASSERT_EQ(game.clock.atPause.size(), 2u);
  EXPECT_EQ(MessageAt(game, 0), "     Word Already Used     ");
  EXPECT_EQ(MessageAt(game, 1), "     Word Already Used     ");
}

TEST(WordPrompt, RefusesLettersTheRackDoesNotHoldOftenEnough) {
  GameFixture game({"TEE", "TEEN", "ACE"});
  game.terminal().Type("tee\r").Type("hqs\r");
  EXPECT_THROW(game.Play(), ScriptEnded);  // one E on the rack
  ASSERT_EQ(game.clock.atPause.size(), 2u);
  const Screen& atPause = game.clock.atPause[0];
  EXPECT_TRUE(HasTextAt(atPause, 21, 50, " Invalid Letters in Word "));
  EXPECT_EQ(BgAt(atPause, 21, 50), kRed);
  EXPECT_EQ(MessageAt(game, 1), "   Invalid Letters in Word ");
  EXPECT_EQ(game.state.usedCount, 0);

  GameFixture twoEs({"TEE"});
  twoEs.terminal().Type("tee\r");
  EXPECT_THROW(twoEs.Play("EEINRSTLCDOPMGH"), ScriptEnded);
  EXPECT_EQ(twoEs.state.foundWords[3][0], "TEE");
}

TEST(WordPrompt, RefusesAWordNotInTheDictionary) {
  GameFixture game;
  game.terminal().Type("tic\r");
  EXPECT_THROW(game.Play(), ScriptEnded);
  ASSERT_EQ(game.clock.atPause.size(), 1u);
  EXPECT_EQ(MessageAt(game, 0), " TIC      Not in Dictionary");
  EXPECT_EQ(game.state.usedCount, 0);
  EXPECT_EQ(game.state.gameScore, 0);
}

TEST(WordPrompt, DropsWhatCannotBeAWordWithoutAMessage) {
  GameFixture game;
  game.terminal().Type("\r").Type("ac\r").Type("   \r").Type("x\r").Key(kKeyFunction).Key(kKeyUp);
  game.terminal().Type("ac ").Type("\r").Then([](const Screen& shown) {
    EXPECT_TRUE(HasTextAt(shown, 21, 48, std::string(27, ' ')));
  });
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_TRUE(game.clock.sleeps().empty());
  EXPECT_EQ(game.state.usedCount, 0);
}

TEST(WordPrompt, WordsOfACompleteLengthAreIgnoredSilently) {
  GameFixture game;
  for (const std::string& word : testing::TwelveWordsOfLength(3)) game.terminal().Type(word + "\r");
  game.terminal().Then([](const Screen& shown) {
    EXPECT_TRUE(HasTextAt(shown, 17, 3, "Complete"));
    EXPECT_EQ(FgAt(shown, 17, 3), kYellow);
    EXPECT_EQ(BgAt(shown, 17, 3), kRed);
  });
  game.terminal().Type("and\r").Type("ace\r").Type("acts\r");
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_TRUE(game.clock.sleeps().empty());
  EXPECT_EQ(game.state.foundCount[3], 12);
  EXPECT_EQ(game.state.nextRow[3], 17);
  EXPECT_EQ(game.state.foundCount[4], 1);
}

TEST(WordPrompt, TypedOptionsRunAndAreNeverWords) {
  GameFixture game;
  game.terminal().Type("t\r").Then([&game](const Screen&) {
    EXPECT_EQ(game.state.rackMixedShown, 1);
  });
  game.terminal().Type("s\r").Then([&game](const Screen&) { EXPECT_EQ(game.hooks.scoresShown, 1); });
  game.terminal().Type("h\r").Then([](const Screen& shown) { EXPECT_NE(RowOf(shown, "HELP MENU"), 0); });
  game.terminal().Key(kKeyEscape);
  game.terminal().Type("q\r").Then([](const Screen& shown) { EXPECT_NE(RowOf(shown, "QUIT VALIDATION"), 0); });
  game.terminal().Type("n");
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_EQ(game.state.usedCount, 0);
  EXPECT_TRUE(game.clock.sleeps().empty());
}

TEST(WordPrompt, ClickedOptionLabelsRunTheirOptions) {
  GameFixture game;
  game.terminal().Click(6, 55).Then([&game](const Screen&) { EXPECT_EQ(game.state.rackMixedShown, 1); });
  game.terminal().Click(7, 62).Then([&game](const Screen&) { EXPECT_EQ(game.state.rackMixedShown, 0); });
  game.terminal().Click(14, 60).Then([&game](const Screen&) { EXPECT_EQ(game.hooks.scoresShown, 1); });
  game.terminal().Click(12, 55).Then([](const Screen& shown) { EXPECT_NE(RowOf(shown, "HELP MENU"), 0); });
  game.terminal().Key(kKeyEscape).Click(9, 55).Click(21, 66).Click(21, 72);
  game.terminal().Click(10, 62).Then([](const Screen& shown) { EXPECT_NE(RowOf(shown, "QUIT VALIDATION"), 0); });
  game.terminal().Type("y");
  EXPECT_EQ(game.Play(), GameEnd::kQuit);
}

TEST(WordPrompt, AClickWhileLettersAreTypedReplacesThem) {
  GameFixture game;
  game.terminal().Type("ace").Click(6, 58).Then([&game](const Screen&) {
    EXPECT_EQ(game.state.rackMixedShown, 1);
  });
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_EQ(game.state.usedCount, 0);
  EXPECT_TRUE(game.clock.sleeps().empty());
}

TEST(WordPrompt, DecliningTheQuitQuestionLeavesTheGameAsItWas) {
  GameFixture game;
  game.terminal().Type("ace\r").Type("q\r").Key(kKeyEscape).Type("q\r").Type("n").Type("aim\r");
  EXPECT_THROW(game.Play(), ScriptEnded);
  EXPECT_EQ(game.state.usedCount, 2);
  EXPECT_EQ(game.state.gameScore, 201 + 215);
}

}  // namespace
}  // namespace lexfray
