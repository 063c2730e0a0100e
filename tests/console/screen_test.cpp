#include "console/screen.h"

#include <gtest/gtest.h>

#include "console/cp437.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::HasTextAt;

TEST(Screen, WritingWrapsAtTheRightEdgeAndStopsAtTheLastCell) {
  Screen screen;
  screen.MoveTo(1, 78);
  screen.Write("abcde");
  EXPECT_TRUE(HasTextAt(screen, 1, 78, "abc"));
  EXPECT_TRUE(HasTextAt(screen, 2, 1, "de"));

  screen.MoveTo(25, 79);
  screen.Write("xyz!");
  EXPECT_TRUE(HasTextAt(screen, 25, 79, "xy"));
  EXPECT_TRUE(HasTextAt(screen, 1, 1, " "));  // never scrolls or wraps round
  EXPECT_EQ(screen.CursorRow(), 25);
}

TEST(Screen, ACoordinateOffTheBoardKeepsThatCoordinateOfTheCursor) {
  Screen screen;
  screen.MoveTo(5, 10);
  screen.MoveTo(0, 20);
  EXPECT_EQ(screen.CursorRow(), 5);
  EXPECT_EQ(screen.CursorColumn(), 20);
  screen.MoveTo(26, 81);
  EXPECT_EQ(screen.CursorRow(), 5);
  EXPECT_EQ(screen.CursorColumn(), 20);
  screen.MoveTo(7, -3);
  EXPECT_EQ(screen.CursorRow(), 7);
  EXPECT_EQ(screen.CursorColumn(), 20);
}

TEST(Screen, LineBreakGoesToTheFirstColumnOfTheNextRow) {
  Screen screen;
  screen.MoveTo(3, 40);
  screen.LineBreak();
  EXPECT_EQ(screen.CursorRow(), 4);
  EXPECT_EQ(screen.CursorColumn(), 1);
  screen.MoveTo(25, 40);
  screen.LineBreak();
  EXPECT_EQ(screen.CursorRow(), 25);
}

TEST(Screen, RecolourKeepsTheTextAndClearUsesTheCurrentColours) {
  Screen screen;
  screen.MoveTo(24, 30);
  screen.Write("ENTER");
  screen.Recolour(24, 30, 5, kBrightWhite, kBlack);
  EXPECT_TRUE(HasTextAt(screen, 24, 30, "ENTER"));
  EXPECT_EQ(screen.At(24, 34).attr, MakeAttribute(kBrightWhite, kBlack));
  EXPECT_EQ(screen.At(24, 35).attr, MakeAttribute(kLightGrey, kBlack));

  screen.SetColours(kYellow, kBlue);
  screen.Clear();
  EXPECT_EQ(screen.At(25, 80), (Cell{' ', MakeAttribute(kYellow, kBlue)}));
  EXPECT_EQ(screen.CursorRow(), 1);
}

TEST(Screen, SaveAndRestoreBringBackCellsCursorAndColours) {
  Screen screen;
  screen.MoveTo(10, 10);
  screen.SetColours(kRed, kGreen);
  screen.SetCursorVisible(false);
  Screen::Snapshot saved = screen.Save();
  screen.SetColours(kBlack, kBlack);
  screen.MoveTo(1, 1);
  screen.Write("over");
  screen.SetCursorVisible(true);
  screen.Restore(saved);
  EXPECT_TRUE(HasTextAt(screen, 1, 1, "    "));
  EXPECT_EQ(screen.CursorRow(), 10);
  EXPECT_EQ(screen.Attribute(), MakeAttribute(kRed, kGreen));
  EXPECT_FALSE(screen.CursorVisible());
}

TEST(Cp437, ControlBytesHaveVisibleGlyphsAndHighBytesTheirCodePageLetters) {
  EXPECT_EQ(Cp437ToUnicode(0x00), U' ');
  EXPECT_EQ(Cp437ToUnicode(0x01), U'\u263A');
  EXPECT_EQ(Cp437ToUnicode(0x1B), U'\u2190');
  EXPECT_EQ(Cp437ToUnicode(0x7F), U'\u2302');
  EXPECT_EQ(Cp437ToUnicode('A'), U'A');
  EXPECT_EQ(Cp437ToUnicode(0xC9), U'\u2554');
  EXPECT_EQ(Cp437ToUnicode(0xB3), U'\u2502');
  EXPECT_EQ(Cp437ToUnicode(0xFF), U'\u00A0');
  for (int byte = 0; byte < 256; ++byte) {
    char32_t glyph = Cp437ToUnicode(static_cast<unsigned char>(byte));
    EXPECT_FALSE(glyph < 0x20 || (glyph >= 0x7F && glyph < 0xA0)) << "byte " << byte;
  }
}

}  // namespace
}  // namespace lexfray
