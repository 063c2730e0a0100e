#include "shell/title_screen.h"

#include <gtest/gtest.h>

#include "config/constants.h"
#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BgAt;
using testing::FgAt;
using testing::HasTextAt;

TEST(TitleScreen, MatchesItsPicture) {
  testing::BoardHarness h;
  std::string title(kSpacedTitle);
  ShowTitleScreen(h.io, title, false);
  EXPECT_EQ(testing::GoldenDifference(h.screen, "title_screen"), "");
  EXPECT_EQ(h.screen.CursorRow(), 21);
  EXPECT_EQ(h.screen.CursorColumn(), 50);
  EXPECT_EQ(h.screen.Attribute(), MakeAttribute(kLightRed, kLightGrey));
}

TEST(TitleScreen, ShowsTheCompetitionState) {
  testing::BoardHarness off;
  std::string title(kSpacedTitle);
  ShowTitleScreen(off.io, title, false);
  EXPECT_TRUE(HasTextAt(off.screen, 13, 41, "InActive"));
  EXPECT_EQ(FgAt(off.screen, 13, 41), kLightRed);

  testing::BoardHarness on;
  title = kSpacedTitle;
  ShowTitleScreen(on.io, title, true);
  EXPECT_TRUE(HasTextAt(on.screen, 13, 41, " ACTIVE "));
  EXPECT_EQ(FgAt(on.screen, 13, 42), kLightGreen);
}

TEST(SlideInTitle, GrowsFromTheRightAndEndsWithTheLettersOnColumns33To48) {
  testing::BoardHarness h;
  std::string title(kSpacedTitle);
  std::vector<int> firstColumns;
  SlideInTitle(h.io, title, 7, 67, 54, kBrightWhite, kBlue);
  EXPECT_EQ(title, std::string(kSpacedTitle) + std::string(19, ' '));
  EXPECT_TRUE(HasTextAt(h.screen, 7, 33, "L E X    F R A Y"));
  EXPECT_TRUE(HasTextAt(h.screen, 7, 49, std::string(19, ' ')));
  EXPECT_EQ(BgAt(h.screen, 7, 67), kBlue);
  EXPECT_EQ(BgAt(h.screen, 7, 32), kBlack);
  // 500 ms first, then 30 ms for each of the 35 steps.
  ASSERT_EQ(h.clock.sleeps().size(), 36u);
  EXPECT_EQ(h.clock.sleeps().front(), 500);
  EXPECT_EQ(h.clock.sleeps().back(), 30);
  EXPECT_EQ(h.terminal.shows(), 36);
}

TEST(SlideInTitle, TrimsCutsAndPadsWithHalfTheSpareWidthRoundedToEven) {
  testing::BoardHarness h;
  std::string padded = "  ABC  ";
  SlideInTitle(h.io, padded, 7, 67, 8, kBrightWhite, kBlue);
  EXPECT_EQ(padded, "ABC  ");  // (8 - 3) / 2 = 2.5 goes to 2

  std::string odd = "ABCDE";
  SlideInTitle(h.io, odd, 7, 67, 12, kBrightWhite, kBlue);
  EXPECT_EQ(odd, "ABCDE    ");  // 3.5 goes to 4

  std::string longer = "ABCDEFGHIJ";
  SlideInTitle(h.io, longer, 7, 67, 4, kBrightWhite, kBlue);
  EXPECT_EQ(longer, "ABCD");
}

}  // namespace
}  // namespace lexfray
