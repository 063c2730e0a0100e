#include <gtest/gtest.h>

#include "console/cp437.h"
#include "console/screen.h"
#include "platform/system/ascii_glyphs.h"
#include "platform/system/board_layout.h"
#include "platform/system/console_colours.h"
#include "platform/system/terminal_text.h"

namespace lexfray {
namespace {

TEST(ConsoleColours, BlueAndRedSwapPlacesBrightnessStays) {
  EXPECT_EQ(CursesColour(kBlack), 0);
  EXPECT_EQ(CursesColour(kBlue), 4);
  EXPECT_EQ(CursesColour(kGreen), 2);
  EXPECT_EQ(CursesColour(kCyan), 6);
  EXPECT_EQ(CursesColour(kRed), 1);
  EXPECT_EQ(CursesColour(kBrown), 3);
  EXPECT_EQ(CursesColour(kLightGrey), 7);
  EXPECT_EQ(CursesColour(kLightBlue), 12);
  EXPECT_EQ(CursesColour(kYellow), 11);
  EXPECT_EQ(CursesColour(kBrightWhite), 15);
}

TEST(ConsoleColours, EightColoursTurnBrightToBoldAndDropABrightBackground) {
  EightColourLook yellowOnBlue = EightColourLookOf(MakeAttribute(kYellow, kBlue));
  EXPECT_EQ(yellowOnBlue.fg, 3);
  EXPECT_EQ(yellowOnBlue.bg, 4);
  EXPECT_TRUE(yellowOnBlue.bold);
  EightColourLook onLightGreen = EightColourLookOf(MakeAttribute(kBlack, kLightGreen));
  EXPECT_EQ(onLightGreen.bg, 2);
  EXPECT_FALSE(onLightGreen.bold);
}

// Without colours, what sets a chosen list entry (black on light cyan) and a focused
// button (bright white on green) apart from their neighbours must be more than bold.
TEST(ConsoleColours, WithoutColoursTheChosenEntryAndTheFocusedButtonAreReversed) {
  auto look = [](int fg, int bg) { return MonochromeLookOf(MakeAttribute(fg, bg)); };
  EXPECT_TRUE(look(kBlack, kLightCyan).reverse);
  EXPECT_FALSE(look(kBrightWhite, kBlue).reverse);  // the other entries
  EXPECT_TRUE(look(kBrightWhite, kGreen).reverse);
  EXPECT_TRUE(look(kBrightWhite, kGreen).bold);
  EXPECT_FALSE(look(kBlack, kLightGrey).reverse);  // the other buttons
  EXPECT_FALSE(look(kLightGrey, kBlack).reverse);
  EXPECT_FALSE(look(kLightGrey, kBlack).bold);
  EXPECT_TRUE(look(kBrightWhite, kRed).reverse);  // a title bar
}

TEST(ConsoleColours, EightColourPairsAreDistinctAndGreyOnBlackIsTheDefault) {
  EXPECT_EQ(EightColourLookOf(MakeAttribute(kLightGrey, kBlack)).pair, 0);
  bool used[64] = {};
  for (int fg = 0; fg < 8; ++fg) {
    for (int bg = 0; bg < 8; ++bg) {
      int pair = EightColourLookOf(MakeAttribute(fg, bg)).pair;
      ASSERT_GE(pair, 0);
      ASSERT_LT(pair, 64);
      EXPECT_FALSE(used[pair]) << "pair " << pair << " twice";
      used[pair] = true;
      EXPECT_EQ(EightColourLookOf(MakeAttribute(fg + 8, bg + 8)).pair, pair);
    }
  }
}

TEST(AsciiGlyphs, BoxLinesOfBothStylesUseTheLineDrawingSet) {
  struct Case {
    unsigned char single, twin;
    char letter;
  };
  for (Case c : {Case{0xDA, 0xC9, 'l'}, Case{0xBF, 0xBB, 'k'}, Case{0xC0, 0xC8, 'm'},
                 Case{0xD9, 0xBC, 'j'}, Case{0xC4, 0xCD, 'q'}, Case{0xB3, 0xBA, 'x'},
                 Case{0xC3, 0xCC, 't'}, Case{0xB4, 0xB9, 'u'}, Case{0xC2, 0xCB, 'w'},
                 Case{0xC1, 0xCA, 'v'}, Case{0xC5, 0xCE, 'n'}}) {
    for (unsigned char byte : {c.single, c.twin}) {
      AsciiGlyph glyph = AsciiGlyphOf(byte);
      EXPECT_TRUE(glyph.lineDrawing) << int(byte);
      EXPECT_EQ(glyph.ch, c.letter) << int(byte);
    }
  }
}

TEST(AsciiGlyphs, EveryByteBecomesOnePrintableCharacter) {
  for (int byte = 0; byte < 256; ++byte) {
    AsciiGlyph glyph = AsciiGlyphOf(static_cast<unsigned char>(byte));
    EXPECT_GE(glyph.ch, 0x20) << byte;
    EXPECT_LT(glyph.ch, 0x7F) << byte;
  }
  EXPECT_EQ(AsciiGlyphOf('A').ch, 'A');
  EXPECT_FALSE(AsciiGlyphOf('q').lineDrawing);
  EXPECT_EQ(AsciiGlyphOf(0x82).ch, 'e');  // e acute
  EXPECT_EQ(AsciiGlyphOf(0x9A).ch, 'U');  // U umlaut
  EXPECT_EQ(AsciiGlyphOf(0x00).ch, ' ');
  EXPECT_EQ(AsciiGlyphOf(0x1B).ch, ',');  // the left arrow, not an escape
  EXPECT_TRUE(AsciiGlyphOf(0x1B).lineDrawing);
  EXPECT_EQ(AsciiGlyphOf(0x7F).ch, '?');
  EXPECT_EQ(AsciiGlyphOf(0xEA).ch, '?');  // Omega
}

TEST(BoardLayout, CentredWithTheOddCellBelowAndRight) {
  BoardLayout exact = LayoutFor(25, 80);
  EXPECT_TRUE(exact.fits);
  EXPECT_EQ(exact.top, 0);
  EXPECT_EQ(exact.left, 0);
  BoardLayout larger = LayoutFor(30, 101);
  EXPECT_EQ(larger.top, 2);
  EXPECT_EQ(larger.left, 10);
  int row = 0, column = 0;
  ASSERT_TRUE(larger.ToBoard(2, 10, row, column));
  EXPECT_EQ(row, 1);
  EXPECT_EQ(column, 1);
  ASSERT_TRUE(larger.ToBoard(26, 89, row, column));
  EXPECT_EQ(row, 25);
  EXPECT_EQ(column, 80);
  EXPECT_FALSE(larger.ToBoard(1, 50, row, column));
  EXPECT_FALSE(larger.ToBoard(10, 90, row, column));
}

TEST(BoardLayout, OneCellShortInEitherDirectionDoesNotFit) {
  EXPECT_FALSE(LayoutFor(24, 80).fits);
  EXPECT_FALSE(LayoutFor(25, 79).fits);
  int row = 0, column = 0;
  EXPECT_FALSE(LayoutFor(24, 200).ToBoard(0, 0, row, column));
}

TEST(BoardLayout, TheNoticeNamesBothSizesAndFitsANarrowTerminal) {
  std::vector<std::string> notice = EnlargeNotice(24, 80);
  ASSERT_EQ(notice.size(), 3u);
  EXPECT_EQ(notice[0], "Lex Fray needs a terminal of 80 x 25.");
  EXPECT_EQ(notice[1], "This one is 80 x 24.");
  for (const std::string& line : EnlargeNotice(10, 12)) EXPECT_LE(line.size(), 12u);
  for (const std::string& line : EnlargeNotice(0, 0)) EXPECT_TRUE(line.empty());
}

TEST(TerminalText, PaddingIsTakenOutOfCapabilities) {
  EXPECT_EQ(WithoutPadding("\033[?1049l$<5>\033[23;0t"), "\033[?1049l\033[23;0t");
  EXPECT_EQ(WithoutPadding("$<2*/>x"), "x");
  EXPECT_EQ(WithoutPadding("a$b$<"), "a$b$<");
}

TEST(TerminalText, TitlesNeverCarryControlBytes) {
  EXPECT_EQ(TitleText("L E X", true), "L E X");
  EXPECT_EQ(TitleText("a\x07z", true), "a\u2022z");  // the bell shows as its bullet
  EXPECT_EQ(TitleText("\xC9\x82", true), "\u2554\u00E9");
  EXPECT_EQ(TitleText("a\x07\x1b\xC9z", false), "a???z");
}

TEST(TerminalText, Utf8OfEveryLength) {
  EXPECT_EQ(Utf8Of(U'A'), "A");
  EXPECT_EQ(Utf8Of(0xE9), "\xC3\xA9");
  EXPECT_EQ(Utf8Of(0x2554), "\xE2\x95\x94");
  EXPECT_EQ(Utf8Of(0x1F600), "\xF0\x9F\x98\x80");
  for (int byte = 0; byte < 256; ++byte)
    EXPECT_FALSE(Utf8Of(Cp437ToUnicode(static_cast<unsigned char>(byte))).empty());
}

}  // namespace
}  // namespace lexfray
