#include "console/primitives.h"

#include <gtest/gtest.h>

#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::HasTextAt;

TEST(CentreColumn, CentresOnTheEightyColumnRow) {
  EXPECT_EQ(CentreColumn(""), 41);
  EXPECT_EQ(CentreColumn("x"), 40);
  EXPECT_EQ(CentreColumn("xx"), 40);
  EXPECT_EQ(CentreColumn(std::string(10, 'x')), 36);
  EXPECT_EQ(CentreColumn(std::string(11, 'x')), 35);
  EXPECT_EQ(CentreColumn(std::string(79, 'x')), 1);
  EXPECT_EQ(CentreColumn(std::string(80, 'x')), 1);
}

TEST(PrintAt, WritesAtThePlaceOrCentredAndLeavesTheColoursSet) {
  Screen screen;
  PrintAt(screen, "Presents", kYellow, kBlack, 3, 0, true);
  EXPECT_TRUE(HasTextAt(screen, 3, 37, "Presents"));
  EXPECT_EQ(screen.Attribute(), MakeAttribute(kYellow, kBlack));
  EXPECT_EQ(screen.CursorColumn(), 45);

  PrintAt(screen, "", kRed, kBlue, 9, 12);
  EXPECT_EQ(screen.CursorRow(), 9);
  EXPECT_EQ(screen.CursorColumn(), 12);
  EXPECT_EQ(screen.Attribute(), MakeAttribute(kRed, kBlue));
}

TEST(PrintAt, ACentredTextWiderThanTheBoardStartsWhereTheCursorWas) {
  Screen screen;
  screen.MoveTo(4, 5);
  PrintAt(screen, std::string(85, 'w'), kBrightWhite, kBlack, 6, 0, true);
  EXPECT_EQ(screen.At(6, 4).ch, ' ');
  EXPECT_EQ(screen.At(6, 5).ch, 'w');
}

TEST(DrawBox, FramesAndFillsTheInside) {
  Screen screen;
  screen.MoveTo(7, 20);
  screen.Write("old text inside");
  DrawBox(screen, 5, 10, 9, 69, kSingleLine, kBrightWhite, kBlue);
  EXPECT_EQ(screen.At(5, 10).ch, 0xDA);
  EXPECT_EQ(screen.At(5, 69).ch, 0xBF);
  EXPECT_EQ(screen.At(9, 10).ch, 0xC0);
  EXPECT_EQ(screen.At(9, 69).ch, 0xD9);
  EXPECT_EQ(screen.At(5, 11).ch, 0xC4);
  for (int row = 6; row <= 8; ++row) {
    EXPECT_EQ(screen.At(row, 10).ch, 0xB3);
    EXPECT_EQ(screen.At(row, 69).ch, 0xB3);
    EXPECT_TRUE(HasTextAt(screen, row, 11, std::string(58, ' ')));
    for (int column = 10; column <= 69; ++column)
      EXPECT_EQ(screen.At(row, column).attr, MakeAttribute(kBrightWhite, kBlue));
  }
  EXPECT_EQ(screen.At(7, 70).attr, MakeAttribute(kLightGrey, kBlack));

  DrawBox(screen, 2, 1, 18, 52, kDoubleLine, kLightBlue, kBlack);
  EXPECT_EQ(screen.At(2, 1).ch, 0xC9);
  EXPECT_EQ(screen.At(18, 52).ch, 0xBC);
  EXPECT_EQ(screen.At(10, 52).ch, 0xBA);
  EXPECT_EQ(screen.At(2, 30).ch, 0xCD);
}

TEST(Clearing, ClearSpanAndClearToEndOfLineWriteBrightWhiteBlanks) {
  Screen screen;
  screen.MoveTo(22, 1);
  screen.Write(std::string(80, '#'));
  ClearToEndOfLine(screen, 22, 1, kBlack);
  EXPECT_TRUE(HasTextAt(screen, 22, 1, std::string(80, ' ')));
  EXPECT_EQ(screen.At(22, 80).attr, MakeAttribute(kBrightWhite, kBlack));

  screen.MoveTo(21, 40);
  screen.Write(std::string(40, '#'));
  ClearSpan(screen, 21, 48, 27, kBlack);
  EXPECT_TRUE(HasTextAt(screen, 21, 47, "#" + std::string(27, ' ') + "#"));
  EXPECT_EQ(screen.CursorRow(), 22);
  EXPECT_EQ(screen.CursorColumn(), 1);
}

TEST(RightAlignNumber, PadsToTheFieldAndShowsEveryDigitOfWiderValues) {
  EXPECT_EQ(RightAlignNumber(1234, 7), "   1234");
  EXPECT_EQ(RightAlignNumber(-12, 5), "  -12");
  EXPECT_EQ(RightAlignNumber(0, 5), "    0");
  EXPECT_EQ(RightAlignNumber(12345678, 7), "12345678");
  EXPECT_EQ(RightAlignNumber(5, 3), "  5");
}

}  // namespace
}  // namespace lexfray
