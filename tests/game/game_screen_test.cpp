#include "game/game_screen.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::FgAt;
using testing::HasTextAt;

TEST(PanelNumber, ShowsWholeNumbersAndSaneValuesForBrokenOnes) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(PanelNumber(1234.9, 7), "   1234");
  EXPECT_EQ(PanelNumber(0, 7), "      0");
  EXPECT_EQ(PanelNumber(-0.4, 7), "      0");
  EXPECT_EQ(PanelNumber(-25, 7), "    -25");
  EXPECT_EQ(PanelNumber(12345678, 7), "12345678");
  EXPECT_EQ(PanelNumber(std::numeric_limits<double>::quiet_NaN(), 7), "      0");
  EXPECT_EQ(PanelNumber(kInfinity, 7), "99999999");
  EXPECT_EQ(PanelNumber(-kInfinity, 7), "-9999999");
  EXPECT_EQ(PanelNumber(1e300, 7), "99999999");
  EXPECT_EQ(PanelNumber(std::numeric_limits<double>::max(), 5), "99999999");
}

TEST(ShowScorePanel, CompetitionShowsTheGameNumberAndTheTopScore) {
  Screen screen;
  DrawGameScreen(screen, true, "10", "BOB");
  ShowScorePanel(screen, true, {3, "10", 98765.5, 250});
  EXPECT_TRUE(HasTextAt(screen, 5, 69, "  3 of 10"));
  EXPECT_EQ(FgAt(screen, 5, 72), kLightRed);
  EXPECT_EQ(FgAt(screen, 5, 76), kBrightWhite);
  EXPECT_TRUE(HasTextAt(screen, 9, 72, "  98765"));
  EXPECT_TRUE(HasTextAt(screen, 13, 72, "    250"));
  EXPECT_EQ(screen.RowText(5).find("Unlimited"), std::string::npos);
}

// The cells between the panel's side lines on the game number's row and the one below.
struct GamesLineCase {
  std::int16_t counted;
  const char* allowance;
  const char* numberRow;
  const char* rowBelow;
};

TEST(ShowScorePanel, TheGameNumberAndTheAllowanceStayInsideThePanel) {
  const GamesLineCase cases[] = {
      {3, "10", "   3 of 10  ", "            "},
      {1, "32767", "  1 of 32767", "            "},
      {1000, "10", "  1000 of 10", "            "},
      {32767, "32767", "    32767 of", "       32767"},
      {-32768, "-32768", "   -32768 of", "      -32768"},
  };
  for (const GamesLineCase& c : cases) {
    SCOPED_TRACE(c.numberRow);
    Screen screen;
    DrawGameScreen(screen, true, c.allowance, "BOB");
    ShowScorePanel(screen, true, {c.counted, c.allowance, 0, 0});
    EXPECT_EQ(testing::TextAt(screen, 5, 68, 79), c.numberRow);
    EXPECT_EQ(testing::TextAt(screen, 6, 68, 79), c.rowBelow);
    EXPECT_EQ(screen.At(5, 80).ch, 0xBA);
    EXPECT_EQ(screen.At(6, 80).ch, 0xBA);
  }
}

TEST(ShowScorePanel, AHugeTotalStopsShortOfTheFrame) {
  Screen screen;
  DrawGameScreen(screen, false, "", "BOB");
  ShowScorePanel(screen, false, {0, "", 0, 1e40});
  EXPECT_TRUE(HasTextAt(screen, 13, 72, "99999999"));
  EXPECT_EQ(screen.At(13, 80).ch, 0xBA);
  EXPECT_TRUE(HasTextAt(screen, 9, 73, "N/A"));
}

TEST(DrawGameScreen, CentresThePlayerLineOnTheFullPaddedName) {
  Screen screen;
  DrawGameScreen(screen, false, "", "BOB");
  EXPECT_TRUE(HasTextAt(screen, 25, 22, "Player: BOB"));
  Screen padded;
  DrawGameScreen(padded, false, "", "BOB" + std::string(27, ' '));
  EXPECT_EQ(padded.RowText(25), screen.RowText(25));
}

TEST(ShowAllColumns, DrawsEveryListAndMarksOnlyTheFullOnes) {
  GameState state;
  for (int i = 0; i < kWordsPerLength; ++i) state.foundWords[5][static_cast<std::size_t>(i)] = "WORDS";
  state.foundCount[5] = 12;
  state.foundWords[7][0] = "ZYMURGY";
  state.foundCount[7] = 1;
  Screen screen;
  ShowAllColumns(screen, state);
  EXPECT_TRUE(HasTextAt(screen, 16, 24, "WORDS"));
  EXPECT_TRUE(HasTextAt(screen, 17, 23, "Complete"));
  EXPECT_TRUE(HasTextAt(screen, 5, 44, "ZYMURGY"));
  EXPECT_FALSE(HasTextAt(screen, 17, 43, "Complete"));
  EXPECT_FALSE(HasTextAt(screen, 17, 3, "Complete"));
}

TEST(ClearWordArea, BlanksTheWordRowsInsideTheFrame) {
  Screen screen;
  DrawGameScreen(screen, false, "", "BOB");
  ShowComplete(screen, 7);
  screen.MoveTo(5, 3);
  screen.Write("CAT");
  ClearWordArea(screen);
  for (int row = 5; row <= 17; ++row) {
    EXPECT_TRUE(HasTextAt(screen, row, 3, std::string(49, ' '))) << "row " << row;
    EXPECT_EQ(screen.At(row, 52).ch, 0xBA);
  }
  EXPECT_TRUE(HasTextAt(screen, 4, 3, "--------"));
}

}  // namespace
}  // namespace lexfray
