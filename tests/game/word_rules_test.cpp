#include <gtest/gtest.h>

#include <string>

#include "game/about_box.h"
#include "game/scoring.h"
#include "game/word_prompt.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::HasTextAt;

GameState StateWithRack(std::string_view mixed, std::string_view sorted) {
  GameState state;
  std::copy(mixed.begin(), mixed.end(), state.rackMixed.begin());
  std::copy(sorted.begin(), sorted.end(), state.rackSorted.begin());
  for (int length = kShortestWord; length <= kLongestWord; ++length) state.nextRow[length] = kFirstWordRow;
  return state;
}

TEST(WordScore, SumsTheLetterCodes) {
  EXPECT_EQ(WordScore("CAT"), 216);
  EXPECT_EQ(WordScore("ZOO"), 248);
  EXPECT_EQ(WordScore("STOP"), WordScore("POTS"));
  EXPECT_EQ(WordScore("ZZZZZZZ"), 630);
}

TEST(TestLetters, UsesEachRackLetterOnceAndRestoresTheScratchCopy) {
  GameState state = StateWithRack("TEBRAQUICKFOXJM", "ABCEFIJKMOQRTUX");
  EXPECT_TRUE(TestLetters("BRAKE", state));
  EXPECT_EQ(std::string(state.rackSorted.begin(), state.rackSorted.end()), "TEBRAQUICKFOXJM");
  EXPECT_FALSE(TestLetters("TEE", state));
  EXPECT_FALSE(TestLetters("CAT1", state));
  EXPECT_FALSE(TestLetters("BOOK", state));
  GameState twoOs = StateWithRack("TOBRAQUICKFOXJM", "ABCFIJKMOOQRTUX");
  EXPECT_TRUE(TestLetters("BOOK", twoOs));
  EXPECT_EQ(twoOs.rackSorted, twoOs.rackMixed);
}

TEST(AcceptWord, KeepsTheListSortedAndCountsTheWord) {
  GameState state = StateWithRack("", "");
  Screen screen;
  EXPECT_FALSE(AcceptWord(screen, "ZOO", state));
  EXPECT_FALSE(AcceptWord(screen, "APE", state));
  EXPECT_EQ(state.foundWords[3][0], "APE");
  EXPECT_EQ(state.foundWords[3][1], "ZOO");
  EXPECT_TRUE(HasTextAt(screen, 5, 5, "APE"));
  EXPECT_TRUE(HasTextAt(screen, 6, 5, "ZOO"));
  EXPECT_EQ(state.nextRow[3], 7);
  EXPECT_EQ(state.usedWords[1], "APE");
  EXPECT_EQ(state.gameScore, WordScore("ZOO") + WordScore("APE"));
}

TEST(AcceptWord, TheTwelfthWordMarksTheLengthAndOnlyTheFifthLengthEndsTheGame) {
  GameState state = StateWithRack("", "");
  Screen screen;
  for (int length = kShortestWord; length <= kLongestWord; ++length) {
    for (int i = 0; i < kWordsPerLength; ++i) {
      std::string candidate = std::string(static_cast<std::size_t>(length), static_cast<char>('A' + i));
      bool ended = AcceptWord(screen, candidate, state);
      EXPECT_EQ(ended, length == kLongestWord && i == kWordsPerLength - 1);
    }
    EXPECT_TRUE(HasTextAt(screen, 17, 3 + 10 * (length - 3), "Complete"));
  }
  EXPECT_EQ(state.completionTotal, 85);
  EXPECT_FALSE(AcceptWord(screen, "MMM", state));  // a full list takes no more
  EXPECT_EQ(state.usedCount, 60);
}

TEST(EndOfGameTest, NeedsAllFiveLengthsComplete) {
  GameState state;
  for (int length = kShortestWord; length <= kLongestWord; ++length) state.nextRow[length] = 17;
  state.nextRow[6] = 16;
  EXPECT_FALSE(EndOfGameTest(state));
  EXPECT_EQ(state.completionTotal, 84);
  state.nextRow[6] = 17;
  EXPECT_TRUE(EndOfGameTest(state));
}

TEST(AboutText, AssemblesTheLinesInTheirOrder) {
  EXPECT_EQ(AboutText("LEXFRAY", "1.6", "02/12/08", "2003-2008"),
            "Quillon Home Software\\n"
            "Copyright (c) 2003-2008 Quillon Home Software\\n"
            "  \\n"
            "\\tLEXFRAY\\n"
            "\\tv1.6     02/12/08\\n"
            "   \\n"
            "Contact  :  support@quillon-home.example\\n"
            "Web Site:  https://quillon-home.example/");
}

}  // namespace
}  // namespace lexfray
