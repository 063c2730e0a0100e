#include "dialogs/action_reader.h"

#include <gtest/gtest.h>

#include <array>

#include "support/harness.h"
#include "support/snapshot.h"

namespace lexfray {
namespace {

using testing::BoardHarness;
using testing::HasTextAt;

constexpr std::array<HotArea, 2> kAreas = {{{10, 10, 55, 62, "Q"}, {16, 18, 10, 26, "ENTER"}}};

std::string ReadWord(BoardHarness& h, int maxLength = 7, bool keepCase = false, std::string_view hotKeys = {}) {
  return ReadAction(h.io, {maxLength, kYellow, kBlack, 19, 35, keepCase, hotKeys}, kAreas);
}

TEST(ReadAction, EnterEndsTheTextAndIsNotKept) {
  BoardHarness h;
  h.terminal.Type("cat\r");
  EXPECT_EQ(ReadWord(h), "CAT");
  EXPECT_TRUE(HasTextAt(h.screen, 19, 35, "CAT"));
  EXPECT_EQ(h.screen.At(19, 35).attr, MakeAttribute(kYellow, kBlack));

  BoardHarness alone;
  alone.terminal.Key(kKeyEnter);
  EXPECT_EQ(ReadWord(alone), "");
}

TEST(ReadAction, TheSeventhCharacterEndsTheTextAndIsEchoed) {
  BoardHarness h;
  h.terminal.Type("letters");
  EXPECT_EQ(ReadWord(h), "LETTERS");
  EXPECT_TRUE(HasTextAt(h.screen, 19, 35, "LETTERS"));
  EXPECT_TRUE(h.terminal.ScriptDone());

  BoardHarness one;
  one.terminal.Type("p");
  EXPECT_EQ(ReadWord(one, 1), "P");
}

TEST(ReadAction, BackspaceRemovesTheLastCharacterAndItsEcho) {
  BoardHarness h;
  h.terminal.Key(kKeyBackspace).Type("cat").Key(kKeyBackspace).Key(kKeyEnter);
  EXPECT_EQ(ReadWord(h), "CA");
  EXPECT_TRUE(HasTextAt(h.screen, 19, 35, "CA "));
}

TEST(ReadAction, KeepCaseAndHotKeys) {
  BoardHarness h;
  h.terminal.Type("Ab\r");
  EXPECT_EQ(ReadWord(h, 7, true), "Ab");

  BoardHarness hot;
  hot.terminal.Type("q");
  EXPECT_EQ(ReadWord(hot, 7, false, "tq"), "Q");
  BoardHarness notAlone;
  notAlone.terminal.Type("xq\r");
  EXPECT_EQ(ReadWord(notAlone, 7, false, "q"), "XQ");
}

TEST(ReadAction, ExtendedKeysAreIgnored) {
  BoardHarness h;
  h.terminal.Key(kKeyUp).Type("a").Key(kKeyFunction).Key(kKeyHome).Key(kKeyEnd).Key(kKeyDelete)
      .Key(kKeyPageDown).Type("b\r");
  EXPECT_EQ(ReadWord(h), "AB");
}

TEST(ReadAction, OtherKeysAreTakenAsTheyComeAndShownSafely) {
  BoardHarness h;
  h.terminal.Key(kKeyEscape).Key(kKeyTab).Key(3).Key(kKeyEnter);
  EXPECT_EQ(ReadWord(h), "\x1B\t\x03");
  EXPECT_EQ(h.screen.At(19, 35).ch, 0x1B);
}

TEST(ReadAction, AClickOnAHotAreaGivesItsWordAtOnceAndOtherClicksAreIgnored) {
  BoardHarness h;
  h.terminal.Type("ca").Click(1, 1).Click(10, 54).Click(10, 62);
  EXPECT_EQ(ReadWord(h), "Q");
  EXPECT_TRUE(HasTextAt(h.screen, 19, 35, "CA"));  // the typed letters stay on the board

  BoardHarness corner;
  corner.terminal.Click(18, 10);
  EXPECT_EQ(ReadWord(corner), "ENTER");
}

TEST(ReadAction, InputTypedAheadIsDroppedButNotTheKeysOfTheEntry) {
  BoardHarness h;
  h.terminal.TypeAhead("zz\r").Type("ab\r");
  EXPECT_EQ(ReadWord(h), "AB");
  EXPECT_EQ(h.terminal.discards(), 1);
  EXPECT_EQ(h.terminal.dropped(), 3);
  EXPECT_EQ(h.terminal.waits(), 3);
}

TEST(ReadAction, AnInvisibleEchoLeavesTheBoardAlone) {
  BoardHarness h;
  h.screen.MoveTo(21, 50);
  h.screen.Write("E");
  h.terminal.Type("z");
  EXPECT_EQ(ReadAction(h.io, {1, kBlack, kBlack, 21, 50, false, {}}, kAreas), "Z");
  EXPECT_EQ(h.screen.At(21, 50).ch, 'E');
}

TEST(PressEnterPrompt, ShowsThePromptWithEnterInWhite) {
  BoardHarness h;
  h.terminal.Key('x');
  EXPECT_EQ(PressEnterPrompt(h.io), "X");
  EXPECT_TRUE(HasTextAt(h.screen, 24, 28, "Press [ENTER] to Continue"));
  EXPECT_EQ(testing::FgAt(h.screen, 24, 28), kLightGreen);
  EXPECT_EQ(testing::FgAt(h.screen, 24, 35), kBrightWhite);
  EXPECT_EQ(testing::FgAt(h.screen, 24, 39), kBrightWhite);
  EXPECT_EQ(testing::FgAt(h.screen, 24, 40), kLightGreen);
  EXPECT_TRUE(h.screen.CursorVisible());
}

TEST(PressEnterPrompt, AClickOnEnterGivesACarriageReturnAndTheKeyTheEmptyText) {
  BoardHarness click;
  click.terminal.Click(24, 34).Click(24, 35);
  EXPECT_EQ(PressEnterPrompt(click.io), "\r");
  BoardHarness far;
  far.terminal.Click(24, 34).Click(24, 40);
  EXPECT_THROW(PressEnterPrompt(far.io), testing::ScriptEnded);
  BoardHarness key;
  key.terminal.Key(kKeyEnter);
  EXPECT_EQ(PressEnterPrompt(key.io), "");
}

TEST(PressEnterOrEndPrompt, EndIsTypedOrClickedAndTheEndKeyIsIgnored) {
  BoardHarness typed;
  typed.terminal.Key(kKeyEnd).Key('e');
  EXPECT_TRUE(IsEndAnswer(PressEnterOrEndPrompt(typed.io)));
  EXPECT_TRUE(HasTextAt(typed.screen, 24, 24, "Press [ENTER] to Continue or [END]"));
  EXPECT_EQ(testing::FgAt(typed.screen, 24, 54), kBrightWhite);
  EXPECT_EQ(testing::FgAt(typed.screen, 24, 56), kBrightWhite);
  EXPECT_EQ(testing::FgAt(typed.screen, 24, 57), kLightGreen);

  BoardHarness clickEnd;
  clickEnd.terminal.Click(24, 57);
  EXPECT_TRUE(IsEndAnswer(PressEnterOrEndPrompt(clickEnd.io)));
  BoardHarness clickEnter;
  clickEnter.terminal.Click(24, 31);
  EXPECT_FALSE(IsEndAnswer(PressEnterOrEndPrompt(clickEnter.io)));
  BoardHarness other;
  other.terminal.Key('x');
  EXPECT_FALSE(IsEndAnswer(PressEnterOrEndPrompt(other.io)));
}

}  // namespace
}  // namespace lexfray
