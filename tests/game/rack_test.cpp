#include "game/rack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "game/game_state.h"
#include "support/fakes.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::FgAt;
using testing::HasTextAt;
using testing::ScriptedRandom;

std::string Letters(const std::array<char, kRackSize>& rack) { return std::string(rack.begin(), rack.end()); }

// The rack row as drawn: every second cell from column 7.
std::string ShownRack(const Screen& screen) {
  std::string letters;
  for (int i = 0; i < kRackSize; ++i) letters.push_back(static_cast<char>(screen.At(21, 7 + 2 * i).ch));
  return letters;
}

TEST(DealRack, DealsTheDrawnLettersAndShowsThemSortedInYellow) {
  ScriptedRandom random;
  random.DealLetters("ZEBRAQUICKFOXJM");
  GameState state;
  Screen screen;
  DealRack(state, random, screen);
  EXPECT_EQ(Letters(state.rackMixed), "ZEBRAQUICKFOXJM");
  EXPECT_EQ(Letters(state.rackSorted), "ABCEFIJKMOQRUXZ");
  EXPECT_EQ(ShownRack(screen), "ABCEFIJKMOQRUXZ");
  EXPECT_TRUE(HasTextAt(screen, 21, 7, "A B C E F I J K M O Q R U X Z"));
  for (int column = 7; column <= 35; column += 2) EXPECT_EQ(FgAt(screen, 21, column), kYellow);
}

TEST(DealRack, ThrowsAwayARackWithoutAVowelAndDealsAgain) {
  ScriptedRandom random;
  random.DealLetters("BCDFGHJKLMNPQRY").DealLetters("BCDFGHJKLMNPQRO");
  GameState state;
  Screen screen;
  DealRack(state, random, screen);
  EXPECT_EQ(Letters(state.rackMixed), "BCDFGHJKLMNPQRO");
}

TEST(DealRack, KeepsTheMixedViewAndShowsTheNewRackInDealtOrder) {
  ScriptedRandom random;
  random.DealLetters("ZEBRAQUICKFOXJM");
  GameState state;
  state.rackMixedShown = 1;
  Screen screen;
  DealRack(state, random, screen);
  EXPECT_EQ(state.rackMixedShown, 1);
  EXPECT_EQ(ShownRack(screen), "ZEBRAQUICKFOXJM");
}

TEST(RandomBelow, StaysInRangeWhateverTheGeneratorGives) {
  ScriptedRandom random;
  random.Push(0).Push(0.999999).Push(1.0).Push(-0.5).Push(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(RandomBelow(random, 26), 0);
  EXPECT_EQ(RandomBelow(random, 26), 25);
  EXPECT_EQ(RandomBelow(random, 26), 0);
  EXPECT_EQ(RandomBelow(random, 26), 0);
  EXPECT_EQ(RandomBelow(random, 26), 0);
}

class ToggleRackViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    random.DealLetters("ZEBRAQUICKFOXJM");
    DealRack(state, random, screen);
  }
  // Fifteen zeros make the shuffle carry the last letter to the front.
  void ShuffleByRotation() {
    for (int i = 0; i < kRackSize; ++i) random.Push(0);
  }
  ScriptedRandom random;
  GameState state;
  Screen screen;
};

TEST_F(ToggleRackViewTest, ShufflesThenSortsThenShufflesAgainFromTheLastShuffle) {
  ShuffleByRotation();
  ToggleRackView(state, random, screen);
  EXPECT_EQ(state.rackMixedShown, 1);
  EXPECT_EQ(ShownRack(screen), "MZEBRAQUICKFOXJ");

  ToggleRackView(state, random, screen);
  EXPECT_EQ(state.rackMixedShown, 0);
  EXPECT_EQ(ShownRack(screen), "ABCEFIJKMOQRUXZ");

  ShuffleByRotation();
  ToggleRackView(state, random, screen);
  EXPECT_EQ(ShownRack(screen), "JMZEBRAQUICKFOX");
}

TEST_F(ToggleRackViewTest, ChangesNothingButTheRackRow) {
  Screen before = screen;
  ShuffleByRotation();
  ToggleRackView(state, random, screen);
  for (int row = 1; row <= kRows; ++row) {
    if (row == 21) continue;
    EXPECT_EQ(screen.RowText(row), before.RowText(row)) << "row " << row;
  }
  std::string sorted = Letters(state.rackMixed);
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, Letters(state.rackSorted));
}

TEST(ResetGameState, EmptiesWordsCountsAndScoreButKeepsTheRack) {
  GameState state;
  state.rackMixed.fill('E');
  state.foundWords[3][0] = "CAT";
  state.foundCount[3] = 1;
  state.nextRow[3] = 6;
  state.usedWords[0] = "CAT";
  state.usedCount = 1;
  state.gameScore = 216;
  ResetGameState(state);
  EXPECT_EQ(state.gameScore, 0);
  EXPECT_EQ(state.usedCount, 0);
  EXPECT_EQ(state.usedWords[0], "");
  for (int length = 3; length <= 7; ++length) {
    EXPECT_EQ(state.foundCount[length], 0);
    EXPECT_EQ(state.nextRow[length], 5);
  }
  EXPECT_EQ(state.foundWords[3][0], "");
  EXPECT_EQ(state.rackMixed[0], 'E');
}

}  // namespace
}  // namespace lexfray
