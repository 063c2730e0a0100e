#include "dialogs/box_look.h"

#include <gtest/gtest.h>

namespace lexfray {
namespace {

using Lines = std::vector<std::string>;

TEST(LayoutText, BreaksAtRealAndWrittenLineFeedsAndCarriageReturns) {
  EXPECT_EQ(LayoutText("a\\nb\nc\r\nd\re", 20), (Lines{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(LayoutText("\\n\\nx", 20), (Lines{"", "", "x"}));
  EXPECT_EQ(LayoutText("", 20), (Lines{""}));
  EXPECT_EQ(LayoutText("ends with\n", 20), (Lines{"ends with", ""}));
}

TEST(LayoutText, TabsInBothFormsMoveToTheNextEighthColumn) {
  EXPECT_EQ(LayoutText("\\tLEXFRAY", 30), (Lines{"        LEXFRAY"}));
  EXPECT_EQ(LayoutText("ab\tc\\t\\td", 30), (Lines{"ab      c               d"}));
  // A lone backslash, or one before another letter, is an ordinary character.
  EXPECT_EQ(LayoutText("C:\\x\\", 30), (Lines{"C:\\x\\"}));
}

TEST(LayoutText, LongLinesWrapAtABlankOrCutWhereThereIsNone) {
  EXPECT_EQ(LayoutText("one two three four", 9), (Lines{"one two", "three", "four"}));
  EXPECT_EQ(LayoutText("abcdefghijkl", 5), (Lines{"abcde", "fghij", "kl"}));
}

TEST(LayoutDocument, TakesOnlyRealLineEndsAndTabsAndKeepsWrittenOnesAsTheyStand) {
  EXPECT_EQ(LayoutDocument("C:\\new\\table\r\n\tx\\n", 30), (Lines{"C:\\new\\table", "        x\\n"}));
  EXPECT_EQ(LayoutDocument("a\rb\n\nc", 30), (Lines{"a", "b", "", "c"}));
}

TEST(LayoutDocument, WrapsAVeryLongLineWholeAndInOrder) {
  std::string word = "abcdefg ";
  std::string text;
  for (int i = 0; i < 100000; ++i) text += word;
  text += std::string(200, 'x');
  Lines lines = LayoutDocument(text, 76);
  // Nine words fit a line of 76; the 200 x's at the end are cut into pieces of 76.
  ASSERT_EQ(lines.size(), 100000 / 9 + 1 + 3);
  EXPECT_EQ(lines.front(), "abcdefg abcdefg abcdefg abcdefg abcdefg abcdefg abcdefg abcdefg abcdefg");
  EXPECT_EQ(lines[lines.size() - 4], "abcdefg");
  EXPECT_EQ(lines.back(), std::string(48, 'x'));
}

TEST(CentredBox, CentresAndStaysOnTheBoard) {
  BoxRect box = CentredBox(40, 5);
  EXPECT_EQ(box.right - box.left + 1, 42);
  EXPECT_EQ(box.left, 20);
  EXPECT_EQ(box.bottom - box.top + 1, 7);
  BoxRect huge = CentredBox(500, 500);
  EXPECT_GE(huge.left, 1);
  EXPECT_LE(huge.right, 80);
  EXPECT_GE(huge.top, 1);
  EXPECT_LE(huge.bottom, 25);
}

}  // namespace
}  // namespace lexfray
