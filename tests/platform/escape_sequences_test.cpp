#include "platform/system/escape_sequences.h"

#include <gtest/gtest.h>

#include "platform/system/curses_keys.h"
#include "platform/terminal.h"

namespace lexfray {
namespace {

TEST(EscapeSequences, VtEditingKeysWithOrWithoutModifiers) {
  EXPECT_EQ(KeyOfEscapeSequence("[1~"), kKeyHome);
  EXPECT_EQ(KeyOfEscapeSequence("[7~"), kKeyHome);
  EXPECT_EQ(KeyOfEscapeSequence("[4~"), kKeyEnd);
  EXPECT_EQ(KeyOfEscapeSequence("[8~"), kKeyEnd);
  EXPECT_EQ(KeyOfEscapeSequence("[2~"), kKeyInsert);
  EXPECT_EQ(KeyOfEscapeSequence("[3;5~"), kKeyDelete);
  EXPECT_EQ(KeyOfEscapeSequence("[5~"), kKeyPageUp);
  EXPECT_EQ(KeyOfEscapeSequence("[6~"), kKeyPageDown);
  EXPECT_EQ(KeyOfEscapeSequence("[15~"), kKeyFunction);
  EXPECT_EQ(KeyOfEscapeSequence("[24;2~"), kKeyFunction);
}

TEST(EscapeSequences, CursorKeysInBothForms) {
  EXPECT_EQ(KeyOfEscapeSequence("[A"), kKeyUp);
  EXPECT_EQ(KeyOfEscapeSequence("OB"), kKeyDown);
  EXPECT_EQ(KeyOfEscapeSequence("[1;5C"), kKeyRight);
  EXPECT_EQ(KeyOfEscapeSequence("OD"), kKeyLeft);
  EXPECT_EQ(KeyOfEscapeSequence("[H"), kKeyHome);
  EXPECT_EQ(KeyOfEscapeSequence("OF"), kKeyEnd);
  EXPECT_EQ(KeyOfEscapeSequence("[Z"), kKeyBackTab);
  EXPECT_EQ(KeyOfEscapeSequence("OP"), kKeyFunction);
}

TEST(EscapeSequences, TheKeypadInApplicationModeTypesItsCharacters) {
  EXPECT_EQ(KeyOfEscapeSequence("OM"), kKeyEnter);
  EXPECT_EQ(KeyOfEscapeSequence("Op"), '0');
  EXPECT_EQ(KeyOfEscapeSequence("Oy"), '9');
  EXPECT_EQ(KeyOfEscapeSequence("Ok"), '+');
  EXPECT_EQ(KeyOfEscapeSequence("Oo"), '/');
  EXPECT_EQ(KeyOfEscapeSequence("OX"), '=');
}

TEST(EscapeSequences, RepliesReportsAndBrokenSequencesAreNoKeys) {
  EXPECT_EQ(KeyOfEscapeSequence("[I"), std::nullopt);        // focus in
  EXPECT_EQ(KeyOfEscapeSequence("[?1;2c"), std::nullopt);    // device attributes
  EXPECT_EQ(KeyOfEscapeSequence("[<0;10;5M"), std::nullopt);  // a mouse report
  EXPECT_EQ(KeyOfEscapeSequence("[99~"), std::nullopt);
  EXPECT_EQ(KeyOfEscapeSequence("[x1~"), std::nullopt);
  EXPECT_EQ(KeyOfEscapeSequence("[1"), std::nullopt);  // cut short
  EXPECT_EQ(KeyOfEscapeSequence("O"), std::nullopt);
  EXPECT_EQ(KeyOfEscapeSequence("Oab"), std::nullopt);
}

TEST(EscapeSequences, ASequenceIsWholeAtItsFinalByte) {
  EXPECT_FALSE(IsCompleteEscapeSequence("["));
  EXPECT_FALSE(IsCompleteEscapeSequence("[1;5"));
  EXPECT_TRUE(IsCompleteEscapeSequence("[1;5A"));
  EXPECT_TRUE(IsCompleteEscapeSequence("[15~"));
  EXPECT_FALSE(IsCompleteEscapeSequence("O"));
  EXPECT_TRUE(IsCompleteEscapeSequence("OM"));
}

TEST(MouseReports, BothFormsGiveTheCellAndOnlyTheLeftButtonPresses) {
  std::optional<MouseReport> press = SgrMouseReport("[<0;12;5M");
  ASSERT_TRUE(press);
  EXPECT_EQ(press->x, 12);
  EXPECT_EQ(press->y, 5);
  EXPECT_TRUE(press->leftPress);
  EXPECT_FALSE(press->release);
  EXPECT_TRUE(SgrMouseReport("[<0;12;5m")->release);
  EXPECT_FALSE(SgrMouseReport("[<2;12;5M")->leftPress);   // right button
  EXPECT_FALSE(SgrMouseReport("[<64;12;5M")->leftPress);  // wheel
  EXPECT_FALSE(SgrMouseReport("[<32;12;5M")->leftPress);  // motion
  EXPECT_FALSE(SgrMouseReport("[<0;12M"));
  EXPECT_FALSE(SgrMouseReport("[<0;12;5;1M"));
  EXPECT_FALSE(SgrMouseReport("[1;5A"));

  std::optional<MouseReport> x10 = X10MouseReport(std::string{' ', ',', '%'});
  ASSERT_TRUE(x10);
  EXPECT_EQ(x10->x, 12);
  EXPECT_EQ(x10->y, 5);
  EXPECT_TRUE(x10->leftPress);
  EXPECT_TRUE(X10MouseReport(std::string{'#', ',', '%'})->release);
  EXPECT_FALSE(X10MouseReport(std::string{'`', ',', '%'})->leftPress);  // wheel
  EXPECT_EQ(X10MouseReport(std::string{'\xFF', '\xFF', '\xFF'})->x, 223);  // far columns
  EXPECT_FALSE(X10MouseReport(" ,"));
}

TEST(MouseReports, TheWheelTurnsANotchUpOrDownInBothForms) {
  EXPECT_EQ(SgrMouseReport("[<64;12;5M")->wheel, -1);
  EXPECT_EQ(SgrMouseReport("[<65;12;5M")->wheel, 1);
  EXPECT_EQ(SgrMouseReport("[<81;12;5M")->wheel, 1);  // with Ctrl held
  EXPECT_EQ(SgrMouseReport("[<66;12;5M")->wheel, 0);  // sideways
  EXPECT_EQ(SgrMouseReport("[<96;12;5M")->wheel, 0);  // a motion
  EXPECT_EQ(SgrMouseReport("[<0;12;5M")->wheel, 0);
  EXPECT_EQ(X10MouseReport(std::string{'`', ',', '%'})->wheel, -1);
  EXPECT_EQ(X10MouseReport(std::string{'a', ',', '%'})->wheel, 1);
  EXPECT_EQ(X10MouseReport(std::string{'#', ',', '%'})->wheel, 0);
}

TEST(CursesKeys, EnterBackspaceAndPlainBytes) {
  EXPECT_EQ(KeyOfCursesCode('\r'), kKeyEnter);
  EXPECT_EQ(KeyOfCursesCode('\n'), kKeyEnter);
  EXPECT_EQ(KeyOfCursesCode(127), kKeyBackspace);
  EXPECT_EQ(KeyOfCursesCode(8), kKeyBackspace);
  EXPECT_EQ(KeyOfCursesCode(3), 3);  // Ctrl+C is a key in raw mode
  EXPECT_EQ(KeyOfCursesCode('e'), 'e');
  EXPECT_EQ(KeyOfCursesCode(0xC3), std::nullopt);  // half of a UTF-8 character
  EXPECT_EQ(KeyOfCursesCode(0xFF), std::nullopt);
}

}  // namespace
}  // namespace lexfray
